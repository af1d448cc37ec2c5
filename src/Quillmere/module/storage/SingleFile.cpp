// SPDX-License-Identifier: GPL-3.0-or-later
#include "SingleFile.h"

#include <algorithm>
#include <map>

#include <QDateTime>

#include "RecorderTime.h"
#include "ziraz/ziraz.h"

namespace APT_QMR {

namespace {

const char kTimePattern[] = "yyyy-MM-dd hh:mm:ss";

QString TimeText(uint32_t t) {
    return RecorderDateTime(static_cast<time_t>(t)).toString(QLatin1String(kTimePattern));
}

// The date and time of a text in exactly the form the writer uses
// ("2024-03-01 08:00:00"), read without the general pattern parser (which
// costs more than the rest of a record together); false for any other form.
bool ReadWrittenForm(const QString& text, QDate* date, QTime* time) {
    if (text.size() != 19) return false;
    const QChar* c = text.constData();
    int v[6] = {};
    const int at[6] = {0, 5, 8, 11, 14, 17};
    const int len[6] = {4, 2, 2, 2, 2, 2};
    for (int f = 0; f < 6; ++f)
        for (int k = 0; k < len[f]; ++k) {
            const char16_t d = c[at[f] + k].unicode();
            if (d < u'0' || d > u'9') return false;
            v[f] = v[f] * 10 + (d - u'0');
        }
    if (c[4] != QLatin1Char('-') || c[7] != QLatin1Char('-') || c[10] != QLatin1Char(' ') ||
        c[13] != QLatin1Char(':') || c[16] != QLatin1Char(':'))
        return false;
    if (!QDate::isValid(v[0], v[1], v[2]) || !QTime::isValid(v[3], v[4], v[5])) return false;
    *date = QDate(v[0], v[1], v[2]);
    *time = QTime(v[3], v[4], v[5]);
    return true;
}

uint32_t ParseTime(const QString& text) {
    QDate date;
    QTime time;
    // Any other form goes through the pattern parsers of the date and the
    // time, which refuse or read it as they always did. Recorder time: every
    // clock second is a time, whatever this machine's daylight-saving changes.
    if (!ReadWrittenForm(text, &date, &time)) {
        const int space = text.indexOf(QLatin1Char(' '));
        if (space < 0) return 0xFFFFFFFFu;
        date = QDate::fromString(text.left(space), QStringLiteral("yyyy-MM-dd"));
        time = QTime::fromString(text.mid(space + 1), QStringLiteral("hh:mm:ss"));
    }
    if (!date.isValid() || !time.isValid()) return 0xFFFFFFFFu;
    const qint64 secs = static_cast<qint64>(RecorderTime(date, time));
    if (secs < 0 || secs > 0xFFFFFFFELL) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(secs);
}

void Element(QString& out, const char* tag, const QString& value) {
    out += QLatin1Char('<') + QLatin1String(tag) + QLatin1Char('>');
    out += value;
    out += QLatin1String("</") + QLatin1String(tag) + QLatin1Char('>');
}

// 8-bit names go through the toolkit's default conversion both ways.
QString Text(const std::string& s) { return ziraz::ConvertToUnicode(s).toHtmlEscaped(); }
std::string Bytes(const QString& s) { return ziraz::ConvertFromUnicode(s); }

}  // namespace

CSingleFile::CSingleFile()
    : FileSize(0), SearchStartTime(0), SearchEndTime(0), StartTime(0), EndTime(0), ChannelNumber(0),
      FileType(0), SubType(0), EnforceMode(0), SubFileType(0) {}

CSingleFile::CSingleFile(const std::string& fileName, const std::string& diskName, uint32_t fileSize,
                         uint32_t startTime, uint32_t endTime, int fileType, std::string deviceName,
                         int channelNumber)
    : FileName(fileName), FileSize(fileSize), SearchStartTime(startTime), SearchEndTime(0),
      StartTime(startTime), EndTime(endTime), DeviceName(std::move(deviceName)),
      ChannelNumber(channelNumber), FileType(fileType), DiskName(diskName), SubType(0), EnforceMode(0),
      SubFileType(0) {}

CSingleFile* CSingleFile::clone(int start, int end) const {
    uint32_t endTime = end == -1 ? EndTime : static_cast<uint32_t>(end);
    auto* copy = new CSingleFile(FileName, DiskName, FileSize, static_cast<uint32_t>(start), endTime,
                                 FileType, DeviceName, ChannelNumber);
    copy->SubType = SubType;
    copy->SubFileType = SubFileType;
    copy->EnforceMode = EnforceMode;
    copy->SearchStartTime = SearchStartTime;
    copy->SearchEndTime = SearchEndTime;
    return copy;
}

QString CSingleFile::toXml() const {
    QString xml;
    xml.reserve(512);
    xml += QLatin1String("<CSingleFile>");
    Element(xml, "FileName", Text(FileName));
    Element(xml, "FileSize", QString::number(FileSize));
    Element(xml, "StartTime", TimeText(StartTime));
    Element(xml, "EndTime", TimeText(EndTime));
    Element(xml, "DeviceName", Text(DeviceName));
    Element(xml, "ChannelNumber", QString::number(ChannelNumber));
    Element(xml, "FileType", QString::number(FileType));
    Element(xml, "DiskName", Text(DiskName));
    Element(xml, "SubType", QString::number(SubType));
    Element(xml, "EnforceMode", QString::number(EnforceMode));
    Element(xml, "SubFileType", QString::number(SubFileType));
    Element(xml, "SearchStartTime", TimeText(SearchStartTime));
    Element(xml, "SearchEndTime", TimeText(SearchEndTime));
    xml += QLatin1String("</CSingleFile>");
    return xml;
}

void CSingleFile::fromXml(const QString& xml) {
    ziraz::GenericDS doc;
    if (!doc.loadXmlString(xml)) return;
    fromElement(doc);
}

void CSingleFile::fromElement(const ziraz::GenericDS& element) {
    if (element.isNull()) return;
    fromChildTexts([&element](const QString& name) { return element.GetChildByName(name).GetValue(); });
}

void CSingleFile::fromChildTexts(const std::function<QString(const QString&)>& childText) {
    auto value = [&childText](const char* name) { return childText(QLatin1String(name)); };
    FileName = Bytes(value("FileName"));
    FileSize = value("FileSize").toUInt();
    const QString start = value("StartTime");
    const QString end = value("EndTime");
    StartTime = ParseTime(start);
    EndTime = ParseTime(end);
    DeviceName = Bytes(value("DeviceName"));
    ChannelNumber = value("ChannelNumber").toInt();
    FileType = value("FileType").toInt();
    DiskName = Bytes(value("DiskName"));
    SubType = value("SubType").toInt();
    EnforceMode = value("EnforceMode").toUInt();
    SubFileType = value("SubFileType").toInt();
    // The whole file's times are mostly the span's own: read each text once.
    const QString searchStart = value("SearchStartTime");
    const QString searchEnd = value("SearchEndTime");
    SearchStartTime = searchStart == start ? StartTime : ParseTime(searchStart);
    SearchEndTime = searchEnd == end ? EndTime : ParseTime(searchEnd);
}

}  // namespace APT_QMR

namespace {
// Index of the first file (null entries skipped) that ends after t, or -1.
int FirstEndingAfter(const std::vector<APT_QMR::CSingleFile*>& files, int t) {
    for (size_t i = 0; i < files.size(); ++i) {
        const APT_QMR::CSingleFile* f = files[i];
        // A file shorter than a second (its first and last frame in the same
        // second, StartTime == EndTime) holds that one second.
        const uint32_t end = f && f->EndTime == f->StartTime ? f->StartTime + 1 : (f ? f->EndTime : 0);
        if (f && static_cast<int>(end) > t) return static_cast<int>(i);
    }
    return -1;
}
}  // namespace

bool FindFileAtTime(FilePosition& pos, const std::vector<APT_QMR::CSingleFile*>& files, int t) {
    pos.index = -1;
    pos.time = -1;
    int i = FirstEndingAfter(files, t);
    if (i < 0) return false;
    const APT_QMR::CSingleFile* f = files[static_cast<size_t>(i)];
    pos.index = i;
    int start = static_cast<int>(f->StartTime);
    int end = static_cast<int>(f->EndTime);
    pos.time = (start <= t && t <= end) ? t : start;
    return true;
}

bool IsTimeInFiles(const std::vector<APT_QMR::CSingleFile*>& files, int t) {
    int i = FirstEndingAfter(files, t);
    if (i < 0) return false;
    const APT_QMR::CSingleFile* f = files[static_cast<size_t>(i)];
    return static_cast<int>(f->StartTime) <= t && t <= static_cast<int>(f->EndTime);
}

std::vector<std::unique_ptr<APT_QMR::CSingleFile>> OneTimeLine(const std::vector<APT_QMR::CSingleFile*>& files) {
    std::vector<std::unique_ptr<APT_QMR::CSingleFile>> line(files.size());
    std::vector<size_t> order;
    order.reserve(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i] && files[i]->EndTime >= files[i]->StartTime) order.push_back(i);
    // By start; of two that start together the longer first (it leaves the
    // other less to add); else in the list's order.
    std::stable_sort(order.begin(), order.end(), [&files](size_t a, size_t b) {
        if (files[a]->StartTime != files[b]->StartTime) return files[a]->StartTime < files[b]->StartTime;
        return files[a]->EndTime > files[b]->EndTime;
    });
    // Per channel, the end of what is covered so far. A recording holds the
    // seconds [StartTime, EndTime): the next one may begin at its EndTime.
    std::map<int, uint32_t> coveredUntil;
    for (size_t i : order) {
        const APT_QMR::CSingleFile* f = files[i];
        auto covered = coveredUntil.find(f->ChannelNumber);
        if (covered == coveredUntil.end()) {
            line[i].reset(new APT_QMR::CSingleFile(*f));
            coveredUntil.emplace(f->ChannelNumber, f->EndTime);
            continue;
        }
        if (f->EndTime <= covered->second) continue;   // nothing new in it
        line[i].reset(new APT_QMR::CSingleFile(*f));
        if (f->StartTime < covered->second) line[i]->StartTime = covered->second;
        covered->second = f->EndTime;
    }
    return line;
}
