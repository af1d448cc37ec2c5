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
// on the one downloader, each with only that channel's records.
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

#include "Download/DataDistributionThread.h"
#include "storage/CommonHelpers.h"
#include "storage/SingleFile.h"
#include "Playback/StreamDownloader.h"
#include "zun.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"

class ChannelFiles;
class QHBoxLayout;
class QProgressBar;
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
    // Rows of the file table: the status item carries a resume mark (-1 for
    // none) under this role.
    static const int kResumeRole = Qt::UserRole + 115;  // 371
    static const uint64_t kMinFreeBytes = kDownloadMinFreeBytes;

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
    // Fills the table from the entries (needs the save folder of the mode).
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
    ziraz::StandardItemModel* tableModel() const { return m_pModel; }
    CLorrimaxClass& form() { return ui; }
    APT_QMR::CStreamDownloader& downloader() { return m_downloader; }
    QVector<QCheckBox*> channelBoxes() const { return m_channelBoxes; }
    // Makes the window stay above other windows (shows it).
    void makeTopMost();
    // The close button of the title bar and Escape: closing, which a running
    // download refuses (see closeEvent).
    void reject() override;
    // The part that tells a disk in output names ("Disk 1 (E:)" gives
    // "Disk1(E)"): the shown name without what a file name cannot hold.
    static QString DiskNamePart(const QString& shownName);

    // The process end that a close while idle asks for (exit by default);
    // returns the previous function.
    static std::function<void(int)> setExitFunction(std::function<void(int)> fn);

    // Span estimate of [a, b] over the records (seconds since 1970).
    uint64_t EstimateSpanSize(time_t a, time_t b, const std::vector<APT_QMR::CSingleFile*>& files);
    // True when the sub-folder name stays one plain folder below the save folder.
    static bool IsSafeFolderName(const QString& name);

signals:
    void SignalFinishedRev();
    void SignalBeginDownLoad();

public slots:
    void OnDownLoad();
    void OnStopDonload();
    void OnDownLoadCheck();
    void OnPlaybackRemoteEvent(int code, int index, int value);
    void OnGetFiles(QString text);
    void OnRevItems(QList<QStandardItem*> listItems);
    void OnUpdateDownloadBtnState();
    void OnSelectFileSizeChanged();
    void onTabOne();
    void onTabTwo();
    void onChangeFilePath();
    void onAllCheckedStateChanged();
    void onSigleCheckedStateChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

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
    // The hand-over's records by channel, times and disk path, for finding
    // the record of each ticked row.
    class RecordIndex {
    public:
        explicit RecordIndex(const QVector<DownloadListEntry>& entries);
        APT_QMR::CSingleFile* Find(int channel, const QString& disk, time_t start, time_t end) const;

    private:
        using Span = std::tuple<int, time_t, time_t>;
        std::map<std::pair<Span, QString>, APT_QMR::CSingleFile*> m_byDisk;
        std::map<Span, APT_QMR::CSingleFile*> m_first;
    };
    bool HasFilesInSpan(const QDateTime& start, const QDateTime& end) const;
    bool PrepareOutputFolder(time_t start, time_t end, const QString& channelText, int mode);
    // A row of the by-file batch that failed: marked with why, unticked,
    // counted.
    void MarkFailedRow(QStandardItem* status, APT_QMR::DownloadFailure failure = APT_QMR::FailureNone);
    bool HasCheckedRowOfBatch() const;
    // Why a download failed, in the operator's words (empty when not known).
    QString FailureReason(APT_QMR::DownloadFailure failure);
    // The status text of a row that failed.
    QString FailureText(APT_QMR::DownloadFailure failure);
    static QString ProgressText(int percent);
    // The row being downloaded shows how far its file has come.
    void ShowRowProgress();
    // Notice of the last output file (says when it is incomplete).
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
    ziraz::StandardItemModel* m_pModel = nullptr;
    QVector<QStandardItem*> m_statusItems;
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
    QString m_lastAnnouncedFile;
    int m_failedRows = 0;
    int m_incompleteRows = 0;
    int m_completedRows = 0;
    // The rows handed to the downloader since the download button was
    // pressed (by file).
    QSet<QStandardItem*> m_batchRows;
    int m_downloadingIndex = -1;   // status item of the file being written, -1 none
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
