// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchLocalThread.h"

#include <QDate>
#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QMap>
#include <QMutexLocker>
#include <QRegExp>
#include <QTime>
#include <limits>
#include <string>

#include "RecordTypeCatalogue.h"
#include "Playback/StreamDownloader.h"
#include "vintrel.h"
#include "ziraz/ziraz.h"

namespace {

// The names before their ending.
const char* const kPlaybackPatterns[] = {
    "^ch[0-9]{2}_[0-9]{14}",
    "^ch[0-9]{2}_[0-9]{14}_[0-9]{14}",
    "^ch[0-9]{2}_[0-9]{8}_[0-9]{6}_[0-9]{4}_[0-9]{2}_[0-9]{9}_[0-9]{9}_[0-9]{3}",
};
const char* const kEvidencePattern = "^ch[0-9]{2}_[0-9]{14}_[0-9]{14}_[0-9]{4}";

// The ending of every name. A file this program saved may carry, before
// ".mp4", the disk it came from (the batch downloader names it when a
// channel was found on more than one disk: the panel's word for a disk, its
// number and letter as in "_Disk1(E)" or "_磁盘1(E)", or a letter alone), the
// marker of a download that did not run to its end and the " (1)", " (2)"...
// of a name that was taken (it never replaces a file): such files are listed
// like the others.
QString Ending() {
    return QStringLiteral("(_[^_0-9 ()]+[0-9]+(\\([A-Z]\\))?|_[A-Z])?(%1)?( \\([0-9]+\\))?.mp4$")
        .arg(QRegExp::escape(QLatin1String(APT_QMR::kPartialMarker)));
}

// Position and length of the record-type code in an evidence name.
constexpr int kCodePos = 35;
constexpr int kCodeLen = 4;

bool Matches(const char* pattern, const QString& name) {
    return QRegExp(QString::fromLatin1(pattern) + Ending(), Qt::CaseSensitive).indexIn(name) == 0;
}

// The recorder time of the library's fields (see storage/CommonHelpers.h).
QDateTime RecorderTimeOf(const OSTRUM_FILE_TIME& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second, 0), Qt::UTC);
}

// Start and end of a file through the player library; false when a call fails.
bool ReadFileTimes(const std::string& path, OSTRUM_FILE_TIME* first, OSTRUM_FILE_TIME* last) {
    int port = -1;
    if (!Ostrum_GetPort(&port)) return false;
    bool ok = false;
    if (Ostrum_OpenFile(port, path.c_str())) {
        ok = Ostrum_GetFileTotalTime(port, first, last) != 0;
        Ostrum_CloseFile(port);
    }
    Ostrum_FreePort(port);
    return ok;
}

}  // namespace

SearchLocalThread::SearchLocalThread() : QThread(nullptr) {}

SearchLocalThread::~SearchLocalThread() { wait(); }

void SearchLocalThread::setFolderPath(const QString& folder) {
    QMutexLocker lock(&m_inputLock);
    m_folder = folder;
}

void SearchLocalThread::setTypeFromName(int mode) {
    QMutexLocker lock(&m_inputLock);
    m_nameMode = mode;
}

void SearchLocalThread::setSearchCondition(bool timeSpanFilter, std::vector<time_t> times, QVector<int> values) {
    QMutexLocker lock(&m_inputLock);
    m_timeSpanFilter = timeSpanFilter;
    m_times = times;
    m_values = values;
}

void SearchLocalThread::startSearch() {
    if (isRunning()) return;
    start(QThread::InheritPriority);
}

void SearchLocalThread::stopSearch() {}

void SearchLocalThread::getResults(QVector<ChannelFiles*>& results) { results = m_results; }

bool SearchLocalThread::nameMatches(const QString& name, int mode) {
    if (mode == 0) {
        for (const char* pattern : kPlaybackPatterns) {
            if (Matches(pattern, name)) return true;
        }
        return false;
    }
    if (mode == 1) return Matches(kEvidencePattern, name);
    return false;
}

void SearchLocalThread::run() {
    search();
    emit signalSearchFinish();
}

void SearchLocalThread::search() {
    QString folder;
    int mode = 0;
    bool filter = false;
    {
        QMutexLocker lock(&m_inputLock);
        folder = m_folder;
        mode = m_nameMode;
        filter = m_timeSpanFilter;
    }
    m_results.resize(0);

    // The folder itself only, files only, each name once and in name order.
    QMap<QString, QString> candidates;
    if (!folder.isEmpty()) {
        QDirIterator it(folder, QStringList() << "*.mp4", QDir::Files);
        while (it.hasNext()) {
            it.next();
            candidates.insert(it.fileName(), it.fileInfo().absoluteFilePath());
        }
    }

    const std::string diskName = ziraz::ConvertFromUnicode(folder);
    QMap<int, QVector<APT_QMR::CSingleFile*>> byChannel;
    for (auto it = candidates.constBegin(); it != candidates.constEnd(); ++it) {
        const QString& name = it.key();
        if (!nameMatches(name, mode)) continue;
        bool ok = false;
        int channel = name.mid(2, 2).toInt(&ok, 10);
        if (!ok) channel = 0;
        const std::string path = ziraz::ConvertFromUnicode(it.value());

        OSTRUM_FILE_TIME first{};
        OSTRUM_FILE_TIME last{};
        if (!ReadFileTimes(path, &first, &last)) continue;
        const QDateTime startTime = RecorderTimeOf(first);
        const QDateTime endTime = RecorderTimeOf(last);
        // A time that is no calendar time would list the file at a made-up time.
        if (!startTime.isValid() || !endTime.isValid()) continue;
        // A file shorter than a second starts and ends in the same second:
        // it is listed all the same.
        const qint64 start = startTime.toSecsSinceEpoch();
        const qint64 end = endTime.toSecsSinceEpoch();

        const qint64 bytes = QFileInfo(ziraz::ConvertToUnicode(path)).size();
        const uint32_t size = bytes > static_cast<qint64>(std::numeric_limits<uint32_t>::max())
                                  ? std::numeric_limits<uint32_t>::max()
                                  : static_cast<uint32_t>(bytes);
        // The time-span list is never filled: with the filter on no file is
        // listed.
        if (filter) continue;

        auto* file = new APT_QMR::CSingleFile(path, diskName, size, static_cast<uint32_t>(start),
                                              static_cast<uint32_t>(end), 0, "DVR", channel);
        if (mode == 1) {
            const int code = name.mid(kCodePos, kCodeLen).toInt(nullptr, 10);
            if (static_cast<unsigned>(code) <= 9) {
                file->SetSubType(code);
                file->SetEnforceMode(0);
                file->SetSubFileType(code);
            } else {
                applyRecordType(code, file);
            }
        }
        byChannel[channel].append(file);
    }

    for (auto it = byChannel.constBegin(); it != byChannel.constEnd(); ++it) {
        auto* record = new ChannelFiles;
        record->DiskName = folder;
        record->DeviceName = "DVR";
        record->ChannelInfo.SetChannelNumber(it.key());
        record->ChannelInfo.SetDevice("DVR");
        record->ChannelInfo.SetRbs(true);
        record->SingleFileList.assign(it.value().begin(), it.value().end());
        m_results.append(record);
    }
}
