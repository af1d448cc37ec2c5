// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm page: lists the alarm and driver-behaviour events of the attached
// recorder disks for ticked channels and alarm types and a time range; each
// row opens the alarm's picture or clip; ticked rows export to CSV.
#include <QModelIndex>
#include <QStringList>
#include <QVector>

#include <ctime>
#include <vector>

#include "search/AlarmRecords.h"
#include "storage/ChannelFiles.h"
#include "VideoView.h"
#include "ziraz/controls.h"
#include "ziraz/itemviews.h"

class CAlarmCheckedModel;
class CAlarmSearch;
class CAlarmSearchThread;
class CAlarmTypeCheckedModel;
class CCaptureView;
class CChannelCheckedModel;
class CMultiCheckCombox;
class CPicSearchThread;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QToolButton;

namespace ziraz {
class RangeDateTimeEdit;
}

namespace Ui {
class AlarmWidget {
public:
    QGridLayout* gridLayout_3 = nullptr;
    QWidget* m_pContainerWidget = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QWidget* m_pTopWidget = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QGridLayout* gridLayout = nullptr;
    QHBoxLayout* horizontalLayout_6 = nullptr;
    QHBoxLayout* horizontalLayout_5 = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    ziraz::Label* m_pStartStopTimeLabel = nullptr;
    ziraz::RangeDateTimeEdit* m_pRangeDateTimeEdit = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QLabel* m_pChannelLabel = nullptr;
    CMultiCheckCombox* m_pChannelWidget = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QToolButton* m_pQueryBtn = nullptr;
    QToolButton* m_pResetBtn = nullptr;
    QToolButton* m_pExportBtn = nullptr;
    QHBoxLayout* horizontalLayout_4 = nullptr;
    QLabel* m_pAlarmTypeLabel = nullptr;
    CMultiCheckCombox* m_pAlarmTypeWidget = nullptr;
    ziraz::CMultiPageTableView* m_pMultiPageTreeView = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};
}  // namespace Ui

struct DiskDriveEntry {
    int driveNumber = -1;
    char driveLetters[26] = {};
    int letterCount = 0;
};

class CAlarmWidget : public ziraz::Widget {
    Q_OBJECT
public:
    static const int kMaxDrives = 20;

    explicit CAlarmWidget(QWidget* parent = nullptr);
    ~CAlarmWidget() override;

    void initDiskInfo();
    QStringList getDiskPaths() const;
    // Writes the ticked rows as CSV; false when the file cannot be written.
    bool exportCsv(const QString& path);

    Ui::AlarmWidget* ui() const { return m_pUi; }
    CAlarmCheckedModel* alarmModel() const { return m_pAlarmModel; }
    CChannelCheckedModel* channelModel() const { return m_pChannelModel; }
    CAlarmTypeCheckedModel* alarmTypeModel() const { return m_pAlarmTypeModel; }
    CCaptureView* captureView() const { return m_pCaptureView; }
    CVideoView& videoView() { return m_videoView; }
    CAlarmSearchThread* alarmSearchThread() const { return m_pAlarmSearchThread; }
    CPicSearchThread* picSearchThread() const { return m_pPicSearchThread; }
    time_t alarmStart() const { return m_tAlarmStart; }
    time_t alarmEnd() const { return m_tAlarmEnd; }
    int alarmChannel() const { return m_iAlarmChannel; }

    // The file an export writes for the name the operator gave: the name
    // with ".csv" added unless it ends so already (any case); empty for an
    // empty name or a folder.
    static QString CsvFileName(const QString& name);

signals:
    void signalAlarmWidgetInfo(std::vector<COMMON_MSG_INFO> vsCommonMsgInfo);
    void signalSearchFinish();

public slots:
    void onQueryBtn();
    void onResetBtn();
    void onExportBtn();
    void onReceiveData(std::vector<COMMON_MSG_INFO> vsCommonMsgInfo);
    void onClickAction(QModelIndex miIndex, ziraz::ItemDataRole enumType);
    void onSearchFilesFinished();
    void onSearchPicFinished();

private:
    void initUi();
    QString alarmCaption();
    // Empties the alarm video's window, then frees the search records and
    // the file records in their lists.
    void releaseChannelFiles();

    Ui::AlarmWidget* m_pUi = nullptr;
    int m_iDiskCount = 0;
    DiskDriveEntry m_diskTable[kMaxDrives];
    CAlarmSearchThread* m_pAlarmSearchThread = nullptr;
    CPicSearchThread* m_pPicSearchThread = nullptr;
    QVector<ChannelFiles*> m_vecChannelFiles;
    CAlarmCheckedModel* m_pAlarmModel = nullptr;
    CChannelCheckedModel* m_pChannelModel = nullptr;
    CAlarmTypeCheckedModel* m_pAlarmTypeModel = nullptr;
    CCaptureView* m_pCaptureView = nullptr;
    CVideoView m_videoView;
    time_t m_tAlarmStart = 0;
    time_t m_tAlarmEnd = 0;
    int m_iAlarmChannel = 0;
    int m_iAlarmType = 0;
    int m_iPendingResults = 0;
    QStringList m_lstIconPaths;
};
