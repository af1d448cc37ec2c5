// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The download dialog of one playback cell: "Download By File" lists the
// cell's recordings with a check box per row and saves the ticked ones, one
// .mp4 file each; "Download By Time" saves the part of the recordings inside
// each of up to four ticked periods. Works through its own stream downloader
// and follows its progress signals.
#include <QDateTime>
#include <QList>
#include <QStandardItem>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <cstdint>
#include <functional>
#include <vector>

#include "storage/CommonHelpers.h"
#include "storage/SingleFile.h"
#include "Playback/StreamDownloader.h"
#include "common/SavedFileNotice.h"
#include "ziraz/dialogs.h"

class QCloseEvent;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QTabWidget;
class QVBoxLayout;

namespace APT_QMR {
class CPlayBackInteraction;
}

namespace ziraz {
class CheckBox;
class DateTimeEdit;
class Label;
class LineEdit;
class StandardItemModel;
class TableView;
class ToolButton;
}  // namespace ziraz

namespace Ui {
class CPlaybackDownloadClass {
public:
    QGridLayout* gridLayout_6 = nullptr;
    QWidget* widget_2 = nullptr;
    QVBoxLayout* verticalLayout_3 = nullptr;
    QHBoxLayout* horizontalLayout_7 = nullptr;
    ziraz::ToolButton* tab1Btn = nullptr;
    ziraz::ToolButton* tab2Btn = nullptr;
    QTabWidget* m_pDownloadTabWidget = nullptr;
    QWidget* tab = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    ziraz::TableView* m_pFileView = nullptr;
    QWidget* tab_2 = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QLabel* label = nullptr;
    QLabel* label_2 = nullptr;
    ziraz::CheckBox* periodBox[4] = {};
    ziraz::DateTimeEdit* beginTime[4] = {};
    ziraz::DateTimeEdit* endTime[4] = {};
    QProgressBar* progressBar[4] = {};
    QLabel* label_3 = nullptr;
    QLabel* m_pAllFileLabel = nullptr;
    QLabel* label_4 = nullptr;
    QLabel* m_pHardSpaceLabel = nullptr;
    ziraz::Label* label_5 = nullptr;
    ziraz::LineEdit* lineEdit = nullptr;
    ziraz::ToolButton* savePathBtn = nullptr;
    QWidget* bottomWidget = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    ziraz::ToolButton* m_pDownloadBtn = nullptr;
    ziraz::ToolButton* m_pStopBtn = nullptr;
    ziraz::ToolButton* m_pCancelBtn = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};
}  // namespace Ui

// What the dialog reads of the playback grid's model, for a window index:
// the cell's playback object (null when it has none) and its recordings.
struct DownloadCellAccess {
    std::function<APT_QMR::CPlayBackInteraction*(uint32_t)> playback;
    std::function<std::vector<APT_QMR::CSingleFile*>(uint32_t)> files;
};

struct TimePeriod {
    QDateTime start;
    QDateTime end;
};

class CPlaybackDownLoad : public ziraz::BaseDialog {
    Q_OBJECT
public:
    static const int kResumeRole = Qt::UserRole + 115;  // 371
    // Columns of the file table: number (with the row's check box), disk,
    // start, end, size, status.
    static const int kColumnCount = 6;
    static const int kDiskColumn = 1;
    static const int kStatusColumn = 5;
    static const uint64_t kMinFreeBytes = kDownloadMinFreeBytes;

    CPlaybackDownLoad(DownloadCellAccess cells, uint32_t windowIndex, QWidget* parent = nullptr);
    ~CPlaybackDownLoad() override;

    void setChannel(int downloadFileType);
    void setSavePath(const QString& folder);
    void setTitleSuffix(const QString& suffix);
    void InitDownloadFiles();
    void setDiskKind(bool bareDisk) { m_bDiskKind = bareDisk ? 1 : 0; }
    // Periods clear, every period today 00:00:00 to 23:59:59, bars at 0.
    void resetFrame();

    Ui::CPlaybackDownloadClass& ui() { return m_ui; }
    ziraz::StandardItemModel* model() const { return m_pModel; }
    APT_QMR::CStreamDownloader& downloader() { return m_downloader; }
    const QVector<QStandardItem*>& statusItems() const { return m_statusItems; }
    uint64_t selectedSize() const { return m_nSelectedSize; }
    QString lastFile() const { return m_strLastFile; }
    int downloadMode() const { return m_nDownloadMode; }
    QTimer* checkTimer() const { return m_pCheckTimer; }
    // True when the ticked periods are not acceptable (a warning was shown).
    bool checkTimePeriods();
    // Output path of a period download; removes a file left under that name.
    QString prepareTimeFile(const QDateTime& start, const QDateTime& end, int fileType, const QString& channelText);

signals:
    void SignalFinishedRev();
    void SignalBeginDownLoad();

public slots:
    void OnDownLoad();
    void OnStopDonload();
    void OnDownLoadCheck();
    void OnPlaybackRemoteEvent(int code, int index, int count);
    void OnGetFiles(QString path);
    void OnRevItems(const QList<QStandardItem*>& listItems);
    void OnUpdateDownloadBtnState();
    void OnSelectFileSizeChanged();
    void onTabOne();
    void onTabTwo();
    void onChangeFilePath();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void InitFrame();
    void startNextDownload();
    void DownloadByFile();
    void DownloadByTime();
    void unlock();
    // A job the downloader did not start: told as a failure.
    void startFailed();
    void announce(const QString& path);
    // The last output file, or what a stopped or cut-short one left.
    void announceFile();
    void warn(int displayMs, const QString& text);
    uint64_t refreshFreeSpace(const QString& folder);
    APT_QMR::CPlayBackInteraction* playback() const;
    std::vector<APT_QMR::CSingleFile*> cellFiles() const;
    // The recordings of the cell's channel in its playback object's list.
    std::vector<APT_QMR::CSingleFile*> channelFiles() const;
    Qt::CheckState headerCheckState() const;
    int firstTickedPeriod() const;
    bool periodHasRecording(int period) const;
    QString channelText() const;
    bool downloading() const;

    Ui::CPlaybackDownloadClass m_ui;
    DownloadCellAccess m_cells;
    uint32_t m_nWindowIndex;
    ziraz::StandardItemModel* m_pModel = nullptr;
    QVector<QStandardItem*> m_statusItems;
    QString m_strLastFile;
    SavedFileNotice m_fileNotices;
    uint8_t m_bDiskKind = 0;
    QString m_strTitleSuffix;
    APT_QMR::CStreamDownloader m_downloader;
    QTimer* m_pCheckTimer = nullptr;
    int m_nDownloadMode = 0;
    int m_nDownloadFileType = 0;
    QStringList m_iconPaths;
    uint64_t m_nSelectedSize = 0;
    QString m_strSaveFolder;
    QString m_strAnnouncedFile;
    // The running job has reported its end (its start report may still come).
    bool m_bJobEnded = true;
};
