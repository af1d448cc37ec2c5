// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one window of the batch downloader: a frameless, always-on-top dialog
// with two pages. "Download By File" lists every recording of every searched
// channel with a check box per row; "Download By Time" has four time periods
// and 24 channel boxes that filter them. One embedded stream downloader does
// the work; its progress shows per row (by file) or per period (by time).
//
// By time, each checked channel of a period goes into a file of its own:
// the dialog runs one download per channel and period, one after the other,
// on the one downloader, each with only that channel's records. A table on
// the by-time page shows each of them with its status, as the file table
// shows its rows.
//
// The dialog reads its input itself (LoadSearchedFiles): "DiskFile.xml" and
// "SearchedFile.xml" in the program folder, which the main program writes
// before it starts the batch downloader. It owns the records read from them.
#include <QCheckBox>
#include <QDateTime>
#include <QList>
#include <QStandardItem>
#include <QString>
#include <QSet>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "Download/BatchFileModel.h"
#include "Download/DataDistributionThread.h"
#include "storage/CommonHelpers.h"
#include "storage/SingleFile.h"
#include "Playback/StreamDownloader.h"
#include "common/SavedFileNotice.h"
#include "zun.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"

class ChannelFiles;
class QHBoxLayout;
class QProgressBar;
class QStandardItemModel;
class QTimer;

// The form of the dialog, set up on the base dialog's centre widget.
class CLorrimaxClass {
public:
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);

    ziraz::ToolButton* tab1Btn = nullptr;
    ziraz::ToolButton* tab2Btn = nullptr;
    QTabWidget* m_pDownloadTabWidget = nullptr;
    QWidget* tabFile = nullptr;
    QWidget* tabTime = nullptr;
    ziraz::TableView* m_pFileView = nullptr;

    ziraz::CheckBox* m_pFirstPeriodCheckBox = nullptr;
    ziraz::CheckBox* m_pSecondPeriodCheckBox = nullptr;
    ziraz::CheckBox* m_pThirdPeriodCheckBox = nullptr;
    ziraz::CheckBox* m_pFourPeriodCheckBox = nullptr;
    ziraz::DateTimeEdit* m_pFirstBeginTime = nullptr;
    ziraz::DateTimeEdit* m_pFirstEndTime = nullptr;
    ziraz::DateTimeEdit* m_pSecondBeginTime = nullptr;
    ziraz::DateTimeEdit* m_pSecondEndTime = nullptr;
    ziraz::DateTimeEdit* m_pThirdBeginTime = nullptr;
    ziraz::DateTimeEdit* m_pThirdEndTime = nullptr;
    ziraz::DateTimeEdit* m_pFourBeginTime = nullptr;
    ziraz::DateTimeEdit* m_pFourEndTime = nullptr;
    QProgressBar* m_pFirstProgressBar = nullptr;
    QProgressBar* m_pSecondProgressBar = nullptr;
    QProgressBar* m_pThirdProgressBar = nullptr;
    QProgressBar* m_pFourProgressBar = nullptr;
    QLabel* label = nullptr;
    QLabel* label_2 = nullptr;
    // The downloads of a by-time round: period, channel, span, status.
    ziraz::TableView* m_pTimeJobView = nullptr;

    ziraz::CheckBox* checkBox = nullptr;  // "All"
    ziraz::CheckBox* channelBoxes[24] = {};  // checkBox1 .. checkBox24

    QLabel* label_3 = nullptr;
    QLabel* m_pAllFileLabel = nullptr;
    QLabel* label_4 = nullptr;
    QLabel* m_pHardSpaceLabel = nullptr;
    ziraz::Label* label_5 = nullptr;
    ziraz::LineEdit* lineEdit = nullptr;
    ziraz::ToolButton* savePathBtn = nullptr;
    QWidget* bottomWidget = nullptr;
    ziraz::ToolButton* m_pDownloadBtn = nullptr;
    ziraz::ToolButton* m_pStopBtn = nullptr;
    ziraz::ToolButton* m_pCancelBtn = nullptr;
};

class Lorrimax : public ziraz::BaseDialog {
    Q_OBJECT
public:
    static const uint64_t kMinFreeBytes = kDownloadMinFreeBytes;
    // The window is at least this wide; wider where the file table's texts
    // ask for more.
    static const int kMinimumWidth = 720;

    explicit Lorrimax(QWidget* parent = nullptr);
    ~Lorrimax() override;

    // Set-up by the program entry, in this order.
    void setTitleSuffix(const QString& suffix);
    void setDiskKind(bool bareDisk);
    void setDownLoadFileType(int mode);
    // Reads the two hand-over files of the program folder and fills the
    // table. Records that cannot be used (times missing or reversed) are
    // left out; a file that exists but cannot be read, or records left out,
    // are reported with a warning and in loadErrors().
    void LoadSearchedFiles();
    // Fills the table from the entries (needs the save folder of the mode)
    // and makes the window wide enough for every text a row can show.
    void InitDownloadFiles();

    // What the last LoadSearchedFiles could not use (empty when all went in).
    QStringList loadErrors() const { return m_loadErrors; }
    // The disk paths handed to the disk-type registry by the last load.
    std::vector<std::string> judgedDisks() const { return m_judgedDisks; }
    const QVector<DownloadListEntry>& entries() const { return m_entries; }
    int downloadFileType() const { return m_nMode; }
    bool diskKind() const { return m_bDiskKind; }
    uint64_t selectedSize() const { return m_nSelectedSize; }
    QString titleSuffix() const { return m_titleSuffix; }
    BatchFileModel* tableModel() const { return m_pModel; }
    // The by-time downloads of the current or last round, one row each:
    // period, channel, start, end, status.
    QStandardItemModel* timeJobModel() const { return m_pTimeJobModel; }
    CLorrimaxClass& form() { return ui; }
    APT_QMR::CStreamDownloader& downloader() { return m_downloader; }
    QVector<QCheckBox*> channelBoxes() const { return m_channelBoxes; }
    // Makes the window stay above other windows (shows it).
    void makeTopMost();
    // The close button of the title bar and Escape: closing, which a running
    // download refuses (see closeEvent).
    void reject() override;

    // The process end that a close while idle asks for (exit by default);
    // returns the previous function.
    static std::function<void(int)> setExitFunction(std::function<void(int)> fn);

    // Span estimate of [a, b] over the records (seconds since 1970).
    uint64_t EstimateSpanSize(time_t a, time_t b, const std::vector<APT_QMR::CSingleFile*>& files);
    // True when the sub-folder name stays one plain folder below the save folder.
    static bool IsSafeFolderName(const QString& name);
    // Every reason a failed file can be given, and every status a row can
    // show (in the language loaded).
    static QStringList FailureReasons();
    static QStringList StatusTexts();

signals:
    void SignalBeginDownLoad();

public slots:
    void OnDownLoad();
    void OnStopDonload();
    void OnDownLoadCheck();
    void OnPlaybackRemoteEvent(int code, int index, int value);
    void OnGetFiles(QString text);
    void OnUpdateDownloadBtnState();
    void OnSelectFileSizeChanged();
    void onTabOne();
    void onTabTwo();
    void onChangeFilePath();
    void onAllCheckedStateChanged();
    void onSigleCheckedStateChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The texts are measured again once the window has its final font and
    // style (they come with the showing).
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Period {
        QCheckBox* box;
        QDateTimeEdit* begin;
        QDateTimeEdit* end;
        QProgressBar* bar;
    };
    // One output of a by-time download: one channel over one period.
    struct TimeJob {
        int period = 0;
        int channel = 0;
        time_t start = 0;
        time_t end = 0;
        std::vector<APT_QMR::CSingleFile*> files;   // the channel's records, by start
        int outputs = 1;                            // files it writes when all goes well
    };

    void InitFrame();
    bool checkTimePeriods();
    int CheckDiskSpace(const QString& folder);
    bool LookupSaveFolder(QString* folder) const;
    void StartDownload();
    void DownloadByFile();
    void DownloadByTime();
    bool HasFilesInSpan(const QDateTime& start, const QDateTime& end) const;
    bool PrepareOutputFolder(time_t start, time_t end, const QString& channelText, int mode);
    // A row of the by-file batch that failed: marked with why, unticked,
    // counted, and named in the summary.
    void MarkFailedRow(int row, APT_QMR::DownloadFailure failure = APT_QMR::FailureNone);
    // A row's status; a finished one (not waiting or downloading) is unticked.
    void SetRowStatus(int row, BatchFileModel::Status status, const QString& reason = QString());
    // "Channel 1, <start> - <end>: <why>": a failed file in the summary.
    QString FailureLine(int channel, time_t start, time_t end, const QString& reason) const;
    // The widths the file table's columns need for every text they can
    // show, and the window's width from them.
    void FitColumnsToTexts();
    bool HasCheckedRowOfBatch() const;
    // Why a download failed, in the operator's words (empty when not known).
    QString FailureReason(APT_QMR::DownloadFailure failure);
    // The status text of a row that failed.
    // The row being downloaded shows how far its file has come (by time:
    // the row of the running channel and period).
    void ShowRowProgress();
    // The status of the running by-time download's row.
    void SetTimeJobStatus(size_t job, BatchFileModel::Status status, int percent = 0, const QString& reason = QString());
    void FillTimeJobTable();
    // Notice of the last output file (says when it is incomplete), unless
    // it was told already.
    void AnnounceFile();
    // Notice at the end of a download, or after a stop: how many files were
    // saved complete, failed or are incomplete (and why by time); after an
    // undisturbed download with nothing wrong, the last file.
    void AnnounceEnd(bool stopped = false);
    // By time: builds the downloads of the checked periods and channels.
    void PlanTimeJobs();
    // Starts the next by-time download; when none is left, ends the round.
    void StartNextTimeJob();
    // The current by-time download ended; `failure` says why it failed.
    void CloseTimeJob(bool complete);
    void FailTimeJob(APT_QMR::DownloadFailure failure);
    void CountTimeJobFiles();
    // Gives the downloader the disk parts of the names of channels found on
    // several disks.
    void SetNameParts();
    uint64_t SelectedFilesSize() const;
    uint64_t TimePeriodsSize();
    std::vector<APT_QMR::CSingleFile*> CheckedChannelRecords() const;
    QVector<int> GetCheckedChannels() const;
    bool HasSelection() const;
    bool HeaderChecked() const;
    void SetBusy(bool busy);
    void EndDownload();
    void ShowNotice(const QString& text, bool isPath, bool stay, bool autoClose);
    void Warn(int displayMs, const QString& text);
    void EnableStart();
    void SetDownloadButtonsFromState();
    void FreeRecords();
    void Connect(bool ok, int line, const char* method);

    CLorrimaxClass ui;
    QVector<DownloadListEntry> m_entries;
    BatchFileModel* m_pModel = nullptr;
    QStandardItemModel* m_pTimeJobModel = nullptr;
    // The rows handed to the downloader by the current by-file call, in its
    // order: the downloader's index i is row m_downloadRows[i].
    QVector<int> m_downloadRows;
    QString m_currentFile;
    ZUN_Mutex m_sizeLock;
    bool m_bDiskKind = false;
    QTimer* m_pCheckTimer = nullptr;
    QString m_titleSuffix;
    APT_QMR::CStreamDownloader m_downloader;
    int m_bByTime = 0;
    int m_nMode = 0;
    int m_nStartPage = 0;
    QStringList m_icons;
    uint64_t m_nSelectedSize = 0;
    QString m_subFolder;
    QVector<QCheckBox*> m_channelBoxes;
    // Each saved file is told once.
    SavedFileNotice m_fileNotices;
    int m_failedRows = 0;
    int m_incompleteRows = 0;
    int m_completedRows = 0;
    // The rows handed to the downloader since the download button was
    // pressed (by file).
    QSet<int> m_batchRows;
    int m_downloadingIndex = -1;   // index (into m_downloadRows) of the file being written, -1 none
    // By time: the downloads of this round, the running one, what it wrote.
    std::vector<TimeJob> m_timeJobs;
    size_t m_timeJob = 0;
    int m_jobFilesDone = 0;
    int m_jobFilesIncomplete = 0;
    bool m_periodFailed[4] = {};
    QStringList m_failureLines;

    Period m_periods[4] = {};
    // Records read from the hand-over (the entries point into them).
    std::vector<std::unique_ptr<ChannelFiles>> m_records;
    std::vector<std::unique_ptr<APT_QMR::CSingleFile>> m_files;
    QStringList m_loadErrors;
    std::vector<std::string> m_judgedDisks;
};
