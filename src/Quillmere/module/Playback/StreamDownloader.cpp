// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamDownloader.h"

#include <QDebug>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "storage/CommonHelpers.h"
#include "storage/CodePage.h"
#include "storage/KelLogging.h"
#include "storage/Settings.h"
#include "PlayerInterface.h"
#include "vintrel.h"
#include "wincompat/drives.h"

namespace APT_QMR {

namespace {

constexpr int kFirstDataWaitMs = 30000;
// A stream that delivers nothing for this long before its end has failed
// (a file that cannot be read may be opened and then stay silent).
constexpr uint64_t kStalledMs = 30000;
constexpr int kPassSleepMs = 5;
constexpr float kLowSpaceGiB = kDownloadMinFreeGiB;

void DeleteFile(const std::string& path) {
    const std::string local = wincompat::MapPath(path);
    if (!local.empty()) std::remove(local.c_str());
}

std::string TwoDigits(int channel) { return (channel >= 0 && channel < 10 ? "0" : "") + std::to_string(channel); }

const char* const kExtension = ".mp4";

// Cuts `source` from `from` to `to` into a new file named `path` (or the
// next free name): cut beside the name claimed, then named without replacing
// a file that another program or window saved meanwhile. Returns the name
// taken; empty when nothing was saved.
std::string CutIntoNewFile(const std::string& source, const OSTRUM_FILE_TIME& from, const OSTRUM_FILE_TIME& to,
                           const std::string& path) {
    int fd = -1;
    const std::string claimed = ClaimOutputPath(path, &fd);
    if (claimed.empty()) return std::string();
    ::close(fd);
    const std::string part = claimed + ".part";
    std::string taken;
    if (Ostrum_CutFile(source.c_str(), &from, &to, part.c_str()) != 0) taken = MoveToFreeOutputPath(part, claimed);
    if (taken.empty()) DeleteFile(part);
    return taken;
}

}  // namespace

const char* const kPartialMarker = "_partial";

// ---- parameter -------------------------------------------------------------------------

CStreamDownloaderParam::CStreamDownloaderParam() : Id(-1), ChannelNumber(-1) {}

CStreamDownloaderParam::CStreamDownloaderParam(int channelNumber) : Id(-1), ChannelNumber(channelNumber) {}

CStreamDownloaderParam::~CStreamDownloaderParam() = default;

// ---- set-up ------------------------------------------------------------------------------

CStreamDownloader::CStreamDownloader() : QObject(nullptr) {
    m_source.SetCallback(&CStreamDownloader::OnSourceData, this);
}

CStreamDownloader::~CStreamDownloader() {
    // Posted events die with the object: this last one is emitted at once.
    StopRunning(DownloadFailed, false);
    {
        ZUN_Guard guard(m_mutex);
        m_paramSet = false;
    }
    DestroyStartSem();
    delete m_param;
    m_param = nullptr;
    m_source.StopStream();
    m_writer.Close();
}

void CStreamDownloader::SetDiskKind(uint8_t bareDisk) { m_diskKind = bareDisk; }

void CStreamDownloader::SetDownLoadFileType(int type) { m_fileType = type; }

void CStreamDownloader::SetClipMode(bool on) { m_clipMode = on; }

void CStreamDownloader::SetSavePath(const QString& subFolder) { m_subFolder = subFolder; }

void CStreamDownloader::SetNamePart(std::function<std::string(const CSingleFile&)> part) {
    m_namePartOf = std::move(part);
}

bool CStreamDownloader::SetParam(CStreamDownloaderParam* param) {
    ZUN_Guard guard(m_mutex);
    if (IsDownloading()) return false;
    if (param != m_param) delete m_param;
    m_param = param;
    m_paramSet = true;
    return true;
}

uint32_t CStreamDownloader::GetTotalProgress() const {
    const uint64_t done = m_bytesDone.load();
    const uint64_t total = m_bytesTotal.load();
    if (done == total && total != 0) return 100;
    if (total == 0) return 0;
    const double percent = static_cast<double>(done) * 100.0 / static_cast<double>(total) + 0.5;
    if (percent >= 100.0) return 99;
    return static_cast<uint32_t>(percent);
}

QString CStreamDownloader::CurrentFilePath() const {
    ZUN_Guard guard(m_mutex);
    return LocalToUnicode(m_fullPath.c_str(), false);
}

bool CStreamDownloader::IsIncompleteFile(const QString& path) {
    static const QRegularExpression kIncomplete(QStringLiteral("%1( \\(\\d+\\))?\\.mp4$")
                                                    .arg(QRegularExpression::escape(QLatin1String(kPartialMarker))));
    return kIncomplete.match(QFileInfo(path).fileName()).hasMatch();
}

QString CStreamDownloader::FileNotice(const QString& path) {
    if (path.isEmpty()) return tr("The download is incomplete: nothing complete was saved.");
    if (IsIncompleteFile(path)) return tr("The download is incomplete. What was saved up to its end: %1").arg(path);
    return path;
}

uint64_t CStreamDownloader::EstimateFilesSize(const std::vector<CSingleFile*>& files, time_t start, time_t end) {
    uint64_t sum = 0;
    // What is copied: each moment once (see DownloadByTime).
    const std::vector<std::unique_ptr<CSingleFile>> line = OneTimeLine(files);
    for (size_t i = 0; i < line.size(); ++i) {
        const CSingleFile* f = line[i].get();
        if (!f) continue;
        const time_t fs = f->StartTime;
        const time_t fe = f->EndTime;
        if (!(fe > start && fs < end)) continue;
        const bool whole = fs == static_cast<time_t>(files[i]->StartTime);
        if (whole && fs >= start && fe <= end) {
            sum += f->FileSize;
            continue;
        }
        // The share of the entry's own length that lies in the span.
        const time_t from = std::max(start, fs);
        const time_t to = std::min(end, fe);
        const double length = static_cast<double>(fe - static_cast<time_t>(files[i]->StartTime) + 1);
        if (length <= 0 || to < from) continue;
        sum += static_cast<uint64_t>(static_cast<double>(f->FileSize) * static_cast<double>(to - from + 1) / length + 0.5);
    }
    return sum;
}

// ---- the first-data semaphore ------------------------------------------------------------

bool CStreamDownloader::CreateStartSem() {
    std::lock_guard<std::mutex> lock(m_semLock);
    if (m_startSem != -1) ZUN_SemDestroy(m_startSem);
    m_startSem = ZUN_SemCreate(0);
    return m_startSem != -1;
}

void CStreamDownloader::DestroyStartSem() {
    std::lock_guard<std::mutex> lock(m_semLock);
    if (m_startSem != -1) {
        ZUN_SemDestroy(m_startSem);
        m_startSem = -1;
    }
}

// ---- data ------------------------------------------------------------------------------------

void CStreamDownloader::OnSourceData(int, int dataType, unsigned char* data, int length, void* user) {
    auto* self = static_cast<CStreamDownloader*>(user);
    if (!self || !data || length <= 0) return;
    self->WriteData(dataType, data, static_cast<uint32_t>(length));
}

void CStreamDownloader::WriteData(int dataType, const uint8_t* data, uint32_t size) {
    if (dataType == 1) {
        // The first header starts the file; on a span file the header of a
        // later recording joins that recording on.
        m_writer.WriteHeader(data, size);
        m_taskBegun = true;
        m_bytesDone += size;
        m_bytesFile += size;
        m_lastDataMs = ZUN_MonotonicMs();
        std::lock_guard<std::mutex> lock(m_semLock);
        if (m_startSem != -1) ZUN_SemPost(m_startSem);
    } else if (dataType == 2) {
        m_writer.Write(data, size);
        m_bytesDone += size;
        m_bytesFile += size;
        m_lastDataMs = ZUN_MonotonicMs();
    }
}

void CStreamDownloader::EndRecording() {
    m_source.StopStream();
    // The writer has seen the recording whole: what of it is whole, and
    // where it really ends, is known now.
    m_writer.EndRecording();
    m_fileFrames = m_writer.FramesWritten();
    m_fileLastTime = m_writer.LastTime();
    // A recording that brought no header of its own brought nothing.
    m_taskLastTime = m_taskBegun.load() ? m_writer.RecordingLastTime() : -1;
}

// ---- output files ------------------------------------------------------------------------------

bool CStreamDownloader::StartFileTask(const std::shared_ptr<CSingleFile>& task, bool keepExisting, bool) {
    if (!task) {
        m_fullPath.clear();   // no file of this task exists
        m_failure = FailureRecordingUnreadable;
        return false;
    }
    // A span's file is named after the span; the recordings after its first
    // are joined onto it while it stays open (NextFileInSpan).
    if (!NameOutputFile(task, keepExisting)) return false;
    qCDebug(lcKelPlayback, "Create file path:%s", m_fullPath.c_str());
    if (!m_writer.Open(m_fullPath, false)) {
        qCDebug(lcKelPlayback) << "CStreamDownloader::StartFileTask open file failed";
        m_failure = FailureOutputNotWritable;
        m_fullPath.clear();   // nothing was made under that name
        return false;
    }
    // Another program or window may have claimed the name since it was
    // found free: the writer then took the next one.
    SetOutputPath(m_writer.Path());
    return OpenTask(task);
}

std::string CStreamDownloader::OutputName(const std::string& endText, const char* marker) const {
    std::string name = "ch" + m_nameChannel + "_" + m_nameStart + "_" + endText;
    if (!m_nameCode.empty()) name += "_" + m_nameCode;
    if (!m_namePart.empty()) name += "_" + m_namePart;
    return name + marker;
}

bool CStreamDownloader::NameOutputFile(const std::shared_ptr<CSingleFile>& task, bool spanName) {
    const time_t from = spanName ? m_spanStart : static_cast<time_t>(task->StartTime);
    const time_t to = spanName ? m_spanEnd : static_cast<time_t>(task->EndTime);
    m_nameChannel = TwoDigits(task->ChannelNumber);
    m_nameStart = TimeToString(from);
    m_nameCode.clear();
    if (m_fileType == 1) {
        char code[16];
        std::snprintf(code, sizeof code, "%04d", task->SubFileType);
        m_nameCode = code;
    }
    // A span's file may join recordings of several disks: it has the part
    // only when every recording of the span gives the same.
    m_namePart.clear();
    if (m_namePartOf && !spanName) {
        m_namePart = m_namePartOf(*task);
    } else if (m_namePartOf) {
        bool first = true;
        for (int i = SpanIndexFrom(0); i >= 0; i = SpanIndexFrom(i + 1)) {
            const std::string part = m_namePartOf(*m_tasks[static_cast<size_t>(i)]);
            if (first) m_namePart = part;
            else if (part != m_namePart) m_namePart.clear();
            first = false;
            if (m_namePart.empty()) break;
        }
    }

    SettingKey key = m_fileType == 1 ? SettingKey::EvidenceVideoSavePath : SettingKey::DownloadSavePath;
    if (m_clipMode) key = SettingKey::ClipSavePath;
    QString base;
    std::string folder;
    if (CSettingsStore::GetInstance()->GetValueText(key, &base)) {
        folder = base.toLocal8Bit().toStdString();
    } else {
        folder = "C:/";
    }
    const std::string sub = m_subFolder.toLocal8Bit().toStdString();
    const bool endsWithSeparator = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    if (!endsWithSeparator) folder += "/";
    if (!sub.empty()) folder += sub + "/";
    CreateDirectoryPath(folder);

    m_folder = folder;
    // A file of that name, from this download or any other, stays.
    m_fullPath = FreeOutputPath(folder, OutputName(TimeToString(to), ""), kExtension);
    m_fileName = m_fullPath.substr(folder.size());
    m_fileFrames = 0;
    m_fileLastTime = -1;
    m_fileShort = false;
    return true;
}

bool CStreamDownloader::OpenTask(const std::shared_ptr<CSingleFile>& task, bool joined) {
    m_taskLastTime = -1;
    m_taskBegun = false;
    // A time the recording carries outside the span it is read for is damage.
    m_writer.SetSpan(static_cast<int64_t>(task->StartTime), static_cast<int64_t>(task->EndTime));
    m_source.SetDiskKind(m_diskKind != 0);
    m_lastDataMs = ZUN_MonotonicMs();
    m_openTask = task;
    if (!m_source.StartStreamByTime(m_openTask)) {
        qCDebug(lcKelPlayback, "CStreamDownloader::OpenTask the recording %s could not be opened",
                task->FileName.c_str());
        m_failure = FailureRecordingUnreadable;
        // A recording joined onto a span's file leaves what the file holds.
        if (!joined && CloseOutput()) RemoveOutputFile();
        return false;
    }
    return true;
}

void CStreamDownloader::RemoveOutputFile() {
    if (!m_fullPath.empty()) DeleteFile(m_fullPath);
    // Only once: the name may be another's file a moment later.
    m_fullPath.clear();
}

void CStreamDownloader::SetOutputPath(const std::string& path) {
    m_fullPath = path;
    m_fileName = path.size() > m_folder.size() ? path.substr(m_folder.size()) : path;
}

bool CStreamDownloader::CloseOutput() {
    if (m_writer.Close()) {
        SetOutputPath(m_writer.Path());
        return true;
    }
    // The writer removed what it wrote; the name is none of ours.
    m_fullPath.clear();
    return false;
}

bool CStreamDownloader::FinishFile(bool complete) {
    EndRecording();
    if (!m_writer.IsOpen()) return false;
    if (complete) {
        if (CloseOutput()) return true;
        qCDebug(lcKelPlayback) << "CStreamDownloader::FinishFile the file could not be finished";
        return false;
    }
    const bool closed = CloseOutput();
    // Kept only with a whole frame in it, named after the time it reaches.
    if (!closed || m_fileFrames.load() == 0 || m_fileLastTime.load() < 0) {
        RemoveOutputFile();
        m_fullPath.clear();
        return false;
    }
    const std::string partial =
        FreeOutputPath(m_folder, OutputName(TimeToString(static_cast<time_t>(m_fileLastTime.load())), kPartialMarker), kExtension);
    const std::string taken = MoveToFreeOutputPath(m_fullPath, partial);
    if (taken.empty()) {
        qCDebug(lcKelPlayback, "CStreamDownloader::FinishFile %s could not be renamed", m_fullPath.c_str());
        RemoveOutputFile();
        return false;
    }
    SetOutputPath(taken);
    return true;
}

bool CStreamDownloader::OpenTaskReachedItsEnd() {
    const int64_t last = m_taskLastTime.load();
    // Nothing to judge the stream by: no record, or a stream without times.
    if (!m_openTask || last == RecordingGate::kNoTime) return true;
    // The last whole pack lies in the last second of the recording (its end
    // time is that second or the one after it).
    return last >= 0 && last + 1 >= static_cast<int64_t>(m_openTask->EndTime);
}

void CStreamDownloader::ClearTasks() {
    m_tasks.clear();
    m_currentTask.reset();
}

void CStreamDownloader::EndTasks() {
    m_lastIndex = m_taskIndex.load();
    m_taskIndex = -1;
    ClearTasks();
}

int CStreamDownloader::SpanIndexFrom(int from) const {
    for (int i = std::max(from, 0); i < TaskCount(); ++i) {
        const std::shared_ptr<CSingleFile>& f = m_tasks[static_cast<size_t>(i)];
        if (!f) continue;
        const time_t fs = f->StartTime;
        const time_t fe = f->EndTime;
        if (fe > m_spanStart && fs < m_spanEnd) return i;
    }
    return -1;
}

bool CStreamDownloader::FindFileInSpan(int from) {
    const int i = SpanIndexFrom(from);
    if (i < 0) return false;
    const std::shared_ptr<CSingleFile>& f = m_tasks[static_cast<size_t>(i)];
    const time_t fs = f->StartTime;
    const time_t fe = f->EndTime;
    if (fs >= m_spanStart && fe <= m_spanEnd) {
        m_currentTask = f;
    } else {
        m_currentTask.reset(f->clone(static_cast<int>(std::max(fs, m_spanStart)), static_cast<int>(std::min(fe, m_spanEnd))));
    }
    m_taskIndex = i;
    return true;
}

// ---- starting and stopping -----------------------------------------------------------------------

void CStreamDownloader::PostSignal(int code, int lastIndex, int count) {
    QMetaObject::invokeMethod(
        this, [this, code, lastIndex, count] { emit DownloadSignal(code, lastIndex, count); }, Qt::QueuedConnection);
}

void CStreamDownloader::PostPath(const QString& path) {
    QMetaObject::invokeMethod(this, [this, path] { emit DownloadFiles(path); }, Qt::QueuedConnection);
}

void CStreamDownloader::StopRunning(int code, bool post) {
    CBaseThread::Stop();
    ZUN_Guard guard(m_mutex);
    ++m_generation;
    m_failure = FailureNone;
    if (m_taskIndex.load() == -1) return;
    // Stopped before its end: the file is incomplete.
    FinishFile(false);
    EndTasks();
    const int last = m_lastIndex;
    const QString path = LocalToUnicode(m_fullPath.c_str(), false);
    guard.Release();
    if (post) {
        PostPath(path);
        PostSignal(code, last, 0);
    } else {
        emit DownloadFiles(path);
        emit DownloadSignal(code, last, 0);
    }
}

void CStreamDownloader::StopDownload(bool failed) { StopRunning(failed ? DownloadFailed : DownloadStopped, true); }

bool CStreamDownloader::DownloadByFile(std::vector<CSingleFile*> files, std::vector<int> positions,
                                       std::vector<int> resume) {
    // A refused call leaves a running download alone.
    if (!ArgumentsAccepted(!files.empty() && positions.size() == resume.size())) return false;
    StopRunning(DownloadStopped, true);
    ZUN_Guard guard(m_mutex);
    m_bytesFile = 0;
    if (!m_paramSet) return false;

    ClearTasks();
    m_leftOut = -1;
    m_leftOutFile.reset();
    uint64_t total = 0;
    for (CSingleFile* f : files) {
        m_tasks.emplace_back(f ? new CSingleFile(*f) : nullptr);
        if (f) total += f->FileSize;
    }
    m_lastIndex = -1;
    m_taskIndex = 0;
    m_bytesDone = 0;
    m_bytesTotal = total;
    m_byTime = false;
    m_cutting = false;

    if (!CreateStartSem()) {
        m_taskIndex = -1;
        ClearTasks();
        return false;
    }
    m_currentTask = m_tasks[0];
    if (!StartFileTask(m_currentTask, false, false)) {
        DestroyStartSem();
        ClearTasks();
        m_taskIndex = -1;
        return false;
    }
    return LaunchAfterFirstData(guard, "CStreamDownloader::DownloadByFile", true);
}

bool CStreamDownloader::ArgumentsAccepted(bool argumentsValid) const {
    ZUN_Guard guard(m_mutex);
    return argumentsValid && m_paramSet;
}

bool CStreamDownloader::DownloadByTime(std::vector<CSingleFile*> files, time_t start, time_t end) {
    if (!ArgumentsAccepted(!files.empty() && start >= 0 && start <= end)) return false;
    StopRunning(DownloadStopped, true);
    ZUN_Guard guard(m_mutex);
    m_bytesFile = 0;
    if (!m_paramSet) return false;

    ClearTasks();
    m_leftOut = -1;
    m_leftOutFile.reset();
    // Each moment once: where recordings of a channel overlap (found on two
    // disks), the later one adds only what the earlier did not hold.
    for (std::unique_ptr<CSingleFile>& f : OneTimeLine(files)) m_tasks.emplace_back(std::move(f));
    m_spanStart = start;
    m_spanEnd = end;
    m_lastIndex = -1;
    m_taskIndex = 0;
    m_bytesDone = 0;
    m_bytesTotal = EstimateFilesSize(files, start, end);
    m_byTime = true;

    if (!FindFileInSpan(0)) {
        m_taskIndex = -1;
        ClearTasks();
        return false;
    }
    // Recordings converted before (.mp4 files read straight from a folder)
    // hold no recorder stream to copy: the worker cuts each one's part of
    // the span out of it, into a file of its own (CutPass).
    m_cutting = m_diskKind != 0 && IsConvertedFile(m_currentTask->FileName);
    if (m_cutting) {
        const uint32_t generation = ++m_generation;
        const int count = TaskCount();
        guard.Release();
        PostSignal(DownloadStarted, -1, count);
        if (m_generation.load() == generation && IsDownloading() && !CBaseThread::Start()) StopRunning(DownloadFailed, true);
        return true;
    }
    if (!CreateStartSem()) {
        m_taskIndex = -1;
        ClearTasks();
        return false;
    }
    bool opened = m_fileType == 0 ? StartFileTask(m_currentTask, true, true)
                                  : StartFileTask(m_currentTask, false, false);
    if (!opened && m_failure.load() == FailureRecordingUnreadable) {
        // The first recording is missing: the span starts with the next one.
        m_leftOut = m_taskIndex.load();
        m_leftOutFile = m_currentTask;
        qCDebug(lcKelPlayback, "CStreamDownloader::DownloadByTime recording %d of the span is left out", m_leftOut);
        while (!opened && m_failure.load() == FailureRecordingUnreadable && FindFileInSpan(m_taskIndex.load() + 1)) {
            opened = m_fileType == 0 ? StartFileTask(m_currentTask, true, true)
                                     : StartFileTask(m_currentTask, false, false);
            if (opened && m_fileType == 0) m_fileShort = true;
        }
        if (!opened && m_failure.load() != FailureRecordingUnreadable) {
            m_leftOut = -1;   // not for want of recordings
            m_leftOutFile.reset();
        }
    }
    if (!opened) {
        DestroyStartSem();
        m_taskIndex = -1;
        ClearTasks();
        return false;
    }
    return LaunchAfterFirstData(guard, "CStreamDownloader::DownloadByTime", false);
}

bool CStreamDownloader::LaunchAfterFirstData(ZUN_Guard& guard, const char* caller, bool announceFirstFile) {
    const ZUN_SEM sem = m_startSem;
    const bool gotData = ZUN_SemTimedWait(sem, kFirstDataWaitMs) == 0;
    DestroyStartSem();
    if (!gotData) {
        qCDebug(lcKelPlayback) << caller << "no data";
        m_failure = FailureRecordingUnreadable;
        FinishFile(false);   // no whole frame: removed
        EndTasks();
        return false;
    }

    const uint32_t generation = ++m_generation;
    const int last = m_lastIndex;
    const int count = TaskCount();
    const QString path = CurrentFilePath();
    guard.Release();
    // Posted before the worker starts: the worker's events reach the pages
    // after them.
    PostPath(path);
    if (announceFirstFile) PostSignal(DownloadNextFile, last, count);
    PostSignal(DownloadStarted, last, count);
    if (m_generation.load() == generation && IsDownloading() && !CBaseThread::Start()) StopRunning(DownloadFailed, true);
    return true;
}

// ---- the worker ------------------------------------------------------------------------------------

bool CStreamDownloader::EmitUnlocked(int code, int lastIndex, int count) {
    const uint32_t generation = m_generation.load();
    m_mutex.Unlock();
    emit DownloadSignal(code, lastIndex, count);
    m_mutex.Lock();
    return m_generation.load() == generation;
}

bool CStreamDownloader::EmitPathUnlocked() {
    const uint32_t generation = m_generation.load();
    const QString path = CurrentFilePath();
    m_mutex.Unlock();
    emit DownloadFiles(path);
    m_mutex.Lock();
    return m_generation.load() == generation;
}

bool CStreamDownloader::EndAllDone() {
    if (m_leftOut >= 0) return EndLeftOut();
    m_taskIndex = -1;
    ClearTasks();
    m_bytesDone = m_bytesTotal.load();
    ++m_generation;
    EmitUnlocked(DownloadAllDone, m_lastIndex, 0);
    return false;
}

bool CStreamDownloader::EndCutsWith(int code, int index, int count) {
    m_fullPath.clear();   // a cut that did not end leaves nothing behind
    EndTasks();
    ++m_generation;
    m_mutex.Unlock();
    emit DownloadFiles(QString());
    emit DownloadSignal(code, index, count);
    m_mutex.Lock();
    return false;
}

bool CStreamDownloader::CutPass() {
    const int index = m_taskIndex.load();
    const int count = TaskCount();
    const std::shared_ptr<CSingleFile> task = m_currentTask;
    m_lastIndex = index;
    bool saved = false;
    if (!task || !IsConvertedFile(task->FileName)) {
        m_failure = FailureRecordingUnreadable;
    } else if (NameOutputFile(task, false)) {
        if (IsDiskSpaceLow(kLowSpaceGiB, -1, LocalToUnicode(m_folder.c_str(), false))) {
            m_failure = FailureDiskSpaceLow;
            return EndCutsWith(DownloadDiskSpaceLow, index, count);
        }
        // The pictures from the key frame at or before the span's first
        // second to its last, copied as they are, on the recorder's clock.
        const OSTRUM_FILE_TIME from = RecorderFileTime(static_cast<time_t>(task->StartTime));
        OSTRUM_FILE_TIME to = RecorderFileTime(static_cast<time_t>(task->EndTime));
        to.millisecond = 999;   // the span's last second is whole in it
        const std::string taken = CutIntoNewFile(task->FileName, from, to, m_fullPath);
        m_fullPath.clear();
        saved = !taken.empty();
        if (saved) SetOutputPath(taken);
        if (!saved) {
            qCDebug(lcKelPlayback, "CStreamDownloader::CutPass %s could not be cut", task->FileName.c_str());
            m_failure = FailureRecordingUnreadable;
        }
    }
    if (!saved) return EndCutsWith(DownloadFailed, index, count);
    if (!EmitPathUnlocked()) return false;
    if (!EmitUnlocked(DownloadFileDone, index, count)) return false;
    if (!FindFileInSpan(index + 1)) {
        return EndAllDone();
    }
    return true;
}

bool CStreamDownloader::LoopPass() {
    ZUN_Guard guard(m_mutex);
    if (m_taskIndex.load() == -1) return false;
    if (m_cutting) return CutPass();

    // The drive that is written to, whatever folder setting chose it.
    if (IsDiskSpaceLow(kLowSpaceGiB, -1, LocalToUnicode(m_folder.c_str(), false))) {
        m_failure = FailureDiskSpaceLow;
        const int last = m_lastIndex + 1;
        const int count = TaskCount();
        FinishFile(false);
        EndTasks();
        ++m_generation;
        const QString path = LocalToUnicode(m_fullPath.c_str(), false);
        guard.Release();
        emit DownloadFiles(path);
        emit DownloadSignal(DownloadDiskSpaceLow, last, count);
        return false;
    }

    const int pos = m_source.GetPos();
    if (pos == StorageOper::kPosEnd) return m_byTime ? NextFileInSpan() : NextFile();
    const uint64_t lastData = m_lastDataMs.load();
    const uint64_t now = ZUN_MonotonicMs();
    const bool stalled = pos != StorageOper::kPosEnd && now > lastData && now - lastData > kStalledMs;
    if (pos == StorageOper::kPosFailed || m_writer.HasFailed() || stalled) {
        m_failure = m_writer.HasFailed() ? FailureOutputWrite : FailureRecordingUnreadable;
        if (m_lastIndex == -1) m_lastIndex = 0;
        const int task = m_taskIndex.load();
        const int count = TaskCount();
        FinishFile(false);
        EndTasks();
        ++m_generation;
        const QString path = LocalToUnicode(m_fullPath.c_str(), false);
        guard.Release();
        emit DownloadFiles(path);
        emit DownloadSignal(DownloadFailed, task, count);
        return false;
    }
    guard.Release();
    ZUN_Sleep(kPassSleepMs);
    return true;
}

bool CStreamDownloader::NextFile() {
    EndRecording();
    const bool whole = OpenTaskReachedItsEnd();
    const bool finished = FinishFile(whole);
    m_lastIndex = m_taskIndex.load();
    if (whole && !finished) {
        // A file that could not be written completely is no finished file.
        m_failure = FailureOutputWrite;
        const int count = TaskCount();
        EndTasks();
        ++m_generation;
        EmitUnlocked(DownloadFailed, m_lastIndex, count);
        return false;
    }
    if (!EmitPathUnlocked()) return false;
    if (!EmitUnlocked(whole ? DownloadFileDone : DownloadFileIncomplete, m_lastIndex, TaskCount())) return false;
    m_bytesFile = 0;

    const int next = m_taskIndex.load() + 1;
    if (next >= TaskCount()) {
        return EndAllDone();
    }
    m_taskIndex = next;
    m_currentTask = m_tasks[static_cast<size_t>(next)];
    if (StartFileTask(m_currentTask, false, false)) {
        if (!EmitPathUnlocked()) return false;
        return EmitUnlocked(DownloadNextFile, m_lastIndex, TaskCount());
    }
    return NextFileFailed();
}

bool CStreamDownloader::NextFileFailed() {
    RemoveOutputFile();   // nothing of a file that could not be opened stays
    m_fullPath.clear();
    // The task that could not be opened is the one reported.
    m_lastIndex = m_taskIndex.load();
    m_taskIndex = -1;
    ClearTasks();
    ++m_generation;
    const int failed = m_lastIndex;
    m_mutex.Unlock();
    emit DownloadFiles(QString());
    emit DownloadSignal(DownloadFailed, failed, 0);
    m_mutex.Lock();
    return false;
}

std::shared_ptr<const CSingleFile> CStreamDownloader::LeftOutRecording() const {
    ZUN_Guard guard(m_mutex);
    return m_leftOutFile;
}

bool CStreamDownloader::EndLeftOut() {
    const int leftOut = m_leftOut;
    const int count = TaskCount();
    m_failure = FailureRecordingUnreadable;
    EndTasks();
    ++m_generation;
    m_mutex.Unlock();
    emit DownloadSignal(DownloadFailed, leftOut, count);
    m_mutex.Lock();
    return false;
}

int CStreamDownloader::OpenInSpan(int from, bool join) {
    while (FindFileInSpan(from)) {
        const int index = m_taskIndex.load();
        if (join ? OpenTask(m_currentTask, true) : StartFileTask(m_currentTask, false, false)) return 1;
        // An output file that cannot be made fails every later one too.
        if (m_failure.load() != FailureRecordingUnreadable) return -1;
        // Missing or unreadable: left out. Its time stays a gap in the span's
        // file, which can then no longer be whole.
        qCDebug(lcKelPlayback, "CStreamDownloader::OpenInSpan recording %d of the span is left out", index);
        if (m_leftOut < 0) {
            m_leftOut = index;
            m_leftOutFile = m_currentTask;
        }
        if (join) m_fileShort = true;
        from = index + 1;
    }
    return 0;
}

bool CStreamDownloader::NextFileInSpan() {
    EndRecording();
    const int done = m_taskIndex.load();
    // The span file of type 0 stays open until its last recording: the next
    // one is joined onto it. A recording that ended early leaves its file
    // incomplete, wherever it lies in the span: the file is reported (code 7)
    // and named as such once its last recording is in.
    const bool joinNext = m_fileType == 0 && SpanIndexFrom(done + 1) >= 0;
    if (!OpenTaskReachedItsEnd()) {
        if (joinNext)
            qCDebug(lcKelPlayback, "CStreamDownloader::NextFileInSpan recording %d ended before its end time", done);
        m_fileShort = true;
    }
    const bool whole = joinNext || !m_fileShort;
    bool finished;
    if (joinNext) {
        finished = !m_writer.HasFailed();
        if (!finished) FinishFile(false);   // what is whole in it stays, marked incomplete
    } else {
        finished = FinishFile(whole);
    }
    m_lastIndex = done;
    if (whole && !finished) {
        m_failure = FailureOutputWrite;
        const int count = TaskCount();
        EndTasks();
        ++m_generation;
        EmitUnlocked(DownloadFailed, m_lastIndex, count);
        return false;
    }
    if (!EmitPathUnlocked()) return false;
    if (!EmitUnlocked(whole ? DownloadFileDone : DownloadFileIncomplete, m_lastIndex, TaskCount())) return false;
    m_bytesFile = 0;

    const int opened = OpenInSpan(m_taskIndex.load() + 1, joinNext);
    if (opened > 0) return EmitPathUnlocked();
    if (opened < 0) return NextFileFailed();
    if (joinNext) {
        // No later recording of the span could be opened: the span's file
        // ends with what it holds.
        FinishFile(false);
        if (!EmitPathUnlocked()) return false;
    }
    return EndAllDone();
}

}  // namespace APT_QMR
