// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Copies recordings from a recorder medium into output files on a worker
// thread: a list of whole files (one output file each) or a time span over a
// list of files. Progress reaches the pages only through DownloadSignal and
// DownloadFiles.
//
// Threads: the caller (GUI) runs the setters, SetParam, the two download
// calls and StopDownload; the worker runs the passes that move from file to
// file; the stream source's reading thread writes the data. The signals are
// emitted on the worker; those of the caller's calls (start, stop) are
// emitted from the downloader's own thread through its event queue, so a
// page receives every event in order. The downloader lives on a thread with
// an event loop (the GUI thread).
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "storage/BaseThread.h"
#include "storage/OutputFileWriter.h"
#include "storage/SingleFile.h"
#include "StreamSource.h"
#include "recstream/recstream.h"
#include "zun.h"

namespace APT_QMR {

// First value of CStreamDownloader::DownloadSignal.
enum DownloadEventCode {
    DownloadStarted = 0,        // second value: last index (-1), third: number of tasks
    DownloadStopped = 1,        // stopped by the caller: index of the task that ran, 0
    DownloadAllDone = 2,        // index of the last finished task, 0
    DownloadFailed = 3,         // failure or forced stop
    DownloadNextFile = 4,       // next file opened: last index, number of tasks
    DownloadFileDone = 5,       // file finished: its index, number of tasks
    DownloadDiskSpaceLow = 6,   // the output drive has less than 2 GiB free: last index + 1, number of tasks
    // A recording ended before its end time: its file is kept as an
    // incomplete one (see FinishFile) and the download goes on. Its index,
    // number of tasks. A span file (by time, type 0) is reported once it is
    // closed, with the index of its last recording, when any of its
    // recordings ended early; the recordings joined into it before that
    // report code 5.
    DownloadFileIncomplete = 7,
};

// Why the last download (or download call) failed, as far as the downloader
// can tell. Each start clears it.
enum DownloadFailure {
    FailureNone = 0,
    FailureOutputNotWritable = 1,    // the output file could not be created
    FailureRecordingUnreadable = 2,  // the recording could not be opened or read
    FailureOutputWrite = 3,          // writing or finishing the output file failed
    FailureDiskSpaceLow = 4,         // the output drive had less than 2 GiB free (code 6)
};

// What a stopped or failed download leaves: an output file that holds at
// least one complete frame is kept under a name that ends in its real end
// time and this marker before the extension; any other is removed. Names
// never replace an existing file: " (1)", " (2)"... go before the extension.
extern const char* const kPartialMarker;   // "_partial"

// One download task handed over with SetParam: the condition for starting a
// download. The downloader reads none of its fields.
class CStreamDownloaderParam {
public:
    CStreamDownloaderParam();
    explicit CStreamDownloaderParam(int channelNumber);
    virtual ~CStreamDownloaderParam();

    int Id;
    int ChannelNumber;
    std::string Name;
    std::string Extra;
};

class CStreamDownloader : public QObject, public CBaseThread {
    Q_OBJECT
public:
    CStreamDownloader();
    ~CStreamDownloader() override;

    // Setters, for an idle downloader.
    // true: streams through the direct file stream reader; false: through the
    // storage layer.
    void SetDiskKind(uint8_t bareDisk);
    // 0 ordinary download ("DownloadSavePath"), 1 evidence video
    // ("EvidenceVideoSavePath", the record's type code in the file name).
    void SetDownLoadFileType(int type);
    // Output under "ClipSavePath", whatever the type.
    void SetClipMode(bool on);
    // Sub-folder between the configured folder and the file name ("AlarmVideo").
    void SetSavePath(const QString& subFolder);
    // An extra part of the names of files that hold one recording (by file,
    // and by time of type 1): "_" and what `part` gives for the recording,
    // after the times and the type code; nothing when it gives an empty
    // text. A span's file (by time, type 0) has it when every recording of
    // the span gives the same. Called on the worker: it must only read data that stays as it
    // is while a download runs. Empty function: no extra part.
    void SetNamePart(std::function<std::string(const CSingleFile&)> part);

    // Takes ownership of `param` (deleted with the downloader or when a later
    // parameter replaces it). False while a download runs (the caller keeps it).
    bool SetParam(CStreamDownloaderParam* param);
    bool IsDownloading() const { return m_taskIndex.load() != -1; }
    // Bytes the current output file has been given so far.
    uint64_t CurrentFileBytes() const { return m_bytesFile.load(); }
    // A recording of a by-time download that cannot be opened (missing,
    // unreadable) is left out and the download goes on with the next one of
    // the span: its time stays a gap in the span's file, which is then kept
    // as an incomplete one (code 7). Once the rest is done the download ends
    // with code 3 and the index of the first recording left out, in place
    // of code 2; this is its record (null when none was left out).
    std::shared_ptr<const CSingleFile> LeftOutRecording() const;
    // Why the last download ended with code 3 or 6, or why the last download
    // call that got as far as opening a file returned false.
    DownloadFailure LastFailure() const { return static_cast<DownloadFailure>(m_failure.load()); }
    // 0..100; 100 only once every byte is done.
    uint32_t GetTotalProgress() const;

    // Each recording into an output file of its own. The two int lists must
    // have the same length; their contents are not used. The records are
    // copied: the caller may free them once the call returns. True when the
    // first file gave data within 30 s and the download runs.
    bool DownloadByFile(std::vector<CSingleFile*> files, std::vector<int> positions, std::vector<int> resume);
    // The span [start, end] (seconds since 1970) of the recordings that
    // overlap it: one output file for the whole span (type 0) or one per
    // recording, cut to the span (type 1). Recordings read straight from a
    // folder that were converted before (.mp4) are cut, one output file per
    // recording, from the key frame at or before the span's first second.
    bool DownloadByTime(std::vector<CSingleFile*> files, time_t start, time_t end);
    // Ends a running download: code 1, or code 3 with `failed` (reported
    // through the event queue, after DownloadFiles with what is left of the
    // file being written: an incomplete file, or an empty path when it was
    // removed). Nothing is reported when no download runs.
    void StopDownload(bool failed);

    // Path of the current (or last) output file, as reported with DownloadFiles
    // (empty when the last file was removed).
    QString CurrentFilePath() const;
    // The notice for the output file a download reported last: the path of
    // a complete file; for an incomplete one (or none) a text that says so.
    static QString FileNotice(const QString& path);
    static bool IsIncompleteFile(const QString& path);
    // Byte estimate of the span [start, end] over the files (seconds since 1970).
    static uint64_t EstimateFilesSize(const std::vector<CSingleFile*>& files, time_t start, time_t end);

signals:
    void DownloadSignal(int code, int lastIndex, int count);
    void DownloadFiles(QString path);

protected:
    bool OnStart() override { return true; }
    void OnExit() override {}
    bool Loop() override { return LoopPass(); }

private:
    static void OnSourceData(int handle, int dataType, unsigned char* data, int length, void* user);
    void WriteData(int dataType, const uint8_t* data, uint32_t size);
    // Stops the stream and ends its recording in the writer; takes the
    // counts of what the file received whole.
    void EndRecording();

    bool LoopPass();
    // One converted recording of a by-time download: its part of the span
    // cut out of it into an output file of its own.
    bool CutPass();
    // The batch's last task is done: the downloader idle, code 2 emitted
    // (mutex held; emitted without it). False, for the worker to end.
    bool EndAllDone();
    // Ends a batch of cuts with `code` (mutex held; emitted without it).
    bool EndCutsWith(int code, int index, int count);
    bool NextFile();
    bool NextFileInSpan();
    // Ends the batch at a next file that could not be opened (code 3 with
    // that file's index).
    bool NextFileFailed();
    // Ends a by-time download that left a recording out: code 3 with its index.
    bool EndLeftOut();
    // Opens the first recording of the span from task `from` on that can be
    // opened, joined onto the open file (`join`) or into a file of its own;
    // those that cannot are left out. 1 when one was opened, 0 when none is
    // left, -1 when an output file could not be made.
    int OpenInSpan(int from, bool join);
    // Sets the name parts, folder and a free path for a new output file of
    // `task` (named after the span with `spanName`).
    bool NameOutputFile(const std::shared_ptr<CSingleFile>& task, bool spanName);
    // Opens `task` into a new output file and starts its stream. `keepExisting`
    // names the file after the span (the span's later recordings are joined
    // onto it). A file of that name that exists already stays.
    bool StartFileTask(const std::shared_ptr<CSingleFile>& task, bool keepExisting, bool firstOfSpan);
    // Waits for the first data of the task just opened (mutex held through
    // `guard`), then releases the mutex, posts the start and starts the worker.
    // The checks a download call makes before it touches a running one.
    bool ArgumentsAccepted(bool argumentsValid) const;
    bool LaunchAfterFirstData(ZUN_Guard& guard, const char* caller, bool announceFirstFile);
    // Starts the stream of `task`. When it cannot be opened the output file
    // is closed and removed, unless the recording was to be `joined` onto it.
    bool OpenTask(const std::shared_ptr<CSingleFile>& task, bool joined = false);
    bool FindFileInSpan(int from);
    // Closes the current output file by the rule above: `complete` keeps it
    // under its name; otherwise it is kept as an incomplete file when it
    // holds a complete frame, else removed. The full path then names what is
    // left (empty when nothing is). False when nothing complete was kept.
    bool FinishFile(bool complete);
    // The recording just streamed reached its end time.
    bool OpenTaskReachedItsEnd();
    std::string OutputName(const std::string& endText, const char* marker) const;
    // Index of the first task from `from` on that overlaps the span; -1.
    int SpanIndexFrom(int from) const;
    // Ends the batch: the list emptied, the downloader idle.
    void EndTasks();
    // Stops the worker and, when a task runs, ends it with `code` (posted
    // to the downloader's own thread with `post`).
    void StopRunning(int code, bool post);
    // Emissions from the caller's side go through the downloader's thread,
    // so they reach the pages in order with the worker's queued ones.
    void PostSignal(int code, int lastIndex, int count);
    void PostPath(const QString& path);
    void ClearTasks();
    // Removes the output file the full path names (a file this download
    // made) and forgets the name.
    void RemoveOutputFile();
    // The output file is known under `path` (in the output folder).
    void SetOutputPath(const std::string& path);
    // Closes the output file: true when it was saved, the full path then
    // naming it (the next free name where another program or window saved
    // under its name meanwhile); otherwise nothing of it is left, and the
    // full path is empty.
    bool CloseOutput();
    bool CreateStartSem();
    void DestroyStartSem();
    int TaskCount() const { return static_cast<int>(m_tasks.size()); }
    // Emits with the mutex released; false when a stop or a new download
    // took over meanwhile (the pass must then leave the state alone).
    bool EmitUnlocked(int code, int lastIndex, int count);
    bool EmitPathUnlocked();

    CStreamSource m_source;
    CStreamFileWriter m_writer;
    CStreamDownloaderParam* m_param = nullptr;
    bool m_paramSet = false;

    std::vector<std::shared_ptr<CSingleFile>> m_tasks;   // copies of the caller's records
    std::shared_ptr<CSingleFile> m_currentTask;
    int m_lastIndex = -1;
    std::atomic<uint64_t> m_bytesDone{0};
    std::atomic<uint64_t> m_bytesTotal{0};
    std::string m_fileName;
    std::string m_fullPath;        // local 8-bit, drive paths allowed
    std::string m_folder;
    QString m_subFolder;
    std::atomic<uint64_t> m_bytesFile{0};
    bool m_clipMode = false;
    bool m_byTime = false;
    bool m_cutting = false;   // the recordings are converted files, cut rather than streamed
    time_t m_spanStart = 0;
    time_t m_spanEnd = 0;
    uint8_t m_diskKind = 0;
    std::shared_ptr<CSingleFile> m_openTask;   // the record the stream was opened with
    int m_fileType = 0;
    std::atomic<uint64_t> m_lastDataMs{0};   // monotonic time of the last data
    // The frames the current output file received whole, as the writer
    // counted them; taken once the stream has stopped.
    std::atomic<uint64_t> m_fileFrames{0};
    std::atomic<int64_t> m_fileLastTime{-1};   // recorder seconds of its last whole pack
    std::atomic<int64_t> m_taskLastTime{-1};   // the same, of the recording being streamed
    std::atomic<bool> m_taskBegun{false};      // that recording's header has come
    bool m_fileShort = false;   // a recording of the current file ended before its end time
    int m_leftOut = -1;         // index of the first recording of the span left out
    std::shared_ptr<CSingleFile> m_leftOutFile;
    // Parts of the current file's name: channel text, start text, type
    // code, extra part (SetNamePart).
    std::string m_nameChannel;
    std::string m_nameStart;
    std::string m_nameCode;
    std::string m_namePart;
    std::function<std::string(const CSingleFile&)> m_namePartOf;
    std::atomic<int> m_failure{FailureNone};   // DownloadFailure

    mutable ZUN_Mutex m_mutex;
    std::mutex m_semLock;          // guards m_startSem against the reading thread
    ZUN_SEM m_startSem = -1;
    std::atomic<int> m_taskIndex{-1};
    std::atomic<uint32_t> m_generation{0};   // changes at every start and stop
};

}  // namespace APT_QMR
