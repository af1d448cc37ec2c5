// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackDownLoad.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QSpacerItem>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "storage/CommonHelpers.h"
#include "storage/DiskEnum.h"
#include "DataDistributionThread.h"
#include "common/InterfaceHelpers.h"
#include "Playback/PlayBackInteraction.h"
#include "common/SaveDrive.h"
#include "storage/Settings.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/itemviews.h"
#include "ziraz/sharetools.h"

namespace {
const char* const kPeriodNames[4] = {"First", "Second", "Third", "Four"};
const int kLeftCentred = 129;

void ReportConnect(bool ok, int line, const char* method) {
    if (!ok)
        ShareTools::debugMessage(QStringLiteral("connect failure!") + QStringLiteral(__FILE__) + ":" +
                                 QString::number(line) + QStringLiteral(" in") + QString::fromLatin1(method));
}
}  // namespace

namespace Ui {

void CPlaybackDownloadClass::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("CPlaybackDownloadClass"));
    form->resize(857, 630);
    form->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei;"));
    gridLayout_6 = new QGridLayout(form);
    gridLayout_6->setObjectName(QStringLiteral("gridLayout_6"));
    widget_2 = new QWidget(form);
    widget_2->setObjectName(QStringLiteral("widget_2"));
    verticalLayout_3 = new QVBoxLayout(widget_2);
    verticalLayout_3->setObjectName(QStringLiteral("verticalLayout_3"));

    horizontalLayout_7 = new QHBoxLayout();
    horizontalLayout_7->setObjectName(QStringLiteral("horizontalLayout_7"));
    tab1Btn = new ziraz::ToolButton(widget_2);
    tab1Btn->setObjectName(QStringLiteral("tab1Btn"));
    tab1Btn->setCheckable(true);
    tab1Btn->setMinimumHeight(30);
    horizontalLayout_7->addWidget(tab1Btn);
    tab2Btn = new ziraz::ToolButton(widget_2);
    tab2Btn->setObjectName(QStringLiteral("tab2Btn"));
    tab2Btn->setCheckable(true);
    tab2Btn->setMinimumHeight(30);
    horizontalLayout_7->addWidget(tab2Btn);
    horizontalLayout_7->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    verticalLayout_3->addLayout(horizontalLayout_7);

    m_pDownloadTabWidget = new QTabWidget(widget_2);
    m_pDownloadTabWidget->setObjectName(QStringLiteral("m_pDownloadTabWidget"));
    tab = new QWidget();
    tab->setObjectName(QStringLiteral("tab"));
    gridLayout_2 = new QGridLayout(tab);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    m_pFileView = new ziraz::TableView(tab);
    m_pFileView->setObjectName(QStringLiteral("m_pFileView"));
    gridLayout_2->addWidget(m_pFileView, 0, 0, 1, 1);
    m_pDownloadTabWidget->addTab(tab, QString());
    tab_2 = new QWidget();
    tab_2->setObjectName(QStringLiteral("tab_2"));
    gridLayout_3 = new QGridLayout(tab_2);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    label = new QLabel(tab_2);
    label->setObjectName(QStringLiteral("label"));
    label->setStyleSheet(QStringLiteral("color: #666666;"));
    gridLayout_3->addWidget(label, 0, 1, 1, 1);
    label_2 = new QLabel(tab_2);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_2->setStyleSheet(QStringLiteral("color: #666666;"));
    gridLayout_3->addWidget(label_2, 0, 2, 1, 1);
    for (int p = 0; p < 4; ++p) {
        const QString name = QString::fromLatin1(kPeriodNames[p]);
        periodBox[p] = new ziraz::CheckBox(tab_2);
        periodBox[p]->setObjectName(QStringLiteral("m_p") + name + QStringLiteral("PeriodCheckBox"));
        gridLayout_3->addWidget(periodBox[p], p + 1, 0, 1, 1);
        beginTime[p] = new ziraz::DateTimeEdit(tab_2);
        beginTime[p]->setObjectName(QStringLiteral("m_p") + name + QStringLiteral("BeginTime"));
        beginTime[p]->setEnabled(false);
        gridLayout_3->addWidget(beginTime[p], p + 1, 1, 1, 1);
        endTime[p] = new ziraz::DateTimeEdit(tab_2);
        endTime[p]->setObjectName(QStringLiteral("m_p") + name + QStringLiteral("EndTime"));
        endTime[p]->setEnabled(false);
        gridLayout_3->addWidget(endTime[p], p + 1, 2, 1, 1);
        progressBar[p] = new QProgressBar(tab_2);
        progressBar[p]->setObjectName(QStringLiteral("m_p") + name + QStringLiteral("ProgressBar"));
        progressBar[p]->setMaximumHeight(8);
        progressBar[p]->setValue(0);
        progressBar[p]->setTextVisible(false);
        gridLayout_3->addWidget(progressBar[p], p + 1, 3, 1, 1);
        QObject::connect(periodBox[p], SIGNAL(toggled(bool)), beginTime[p], SLOT(setEnabled(bool)));
        QObject::connect(periodBox[p], SIGNAL(toggled(bool)), endTime[p], SLOT(setEnabled(bool)));
    }
    gridLayout_3->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 5, 0, 1, 1);
    m_pDownloadTabWidget->addTab(tab_2, QString());
    verticalLayout_3->addWidget(m_pDownloadTabWidget);

    auto line = [&](QLabel*& caption, QLabel*& value, const char* captionName, const char* valueName) {
        auto* row = new QHBoxLayout();
        caption = new QLabel(widget_2);
        caption->setObjectName(QString::fromLatin1(captionName));
        row->addWidget(caption);
        value = new QLabel(widget_2);
        value->setObjectName(QString::fromLatin1(valueName));
        row->addWidget(value);
        row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        verticalLayout_3->addLayout(row);
    };
    line(label_3, m_pAllFileLabel, "label_3", "m_pAllFileLabel");
    line(label_4, m_pHardSpaceLabel, "label_4", "m_pHardSpaceLabel");
    {
        auto* row = new QHBoxLayout();
        label_5 = new ziraz::Label(widget_2);
        label_5->setObjectName(QStringLiteral("label_5"));
        row->addWidget(label_5);
        lineEdit = new ziraz::LineEdit(widget_2);
        lineEdit->setObjectName(QStringLiteral("lineEdit"));
        row->addWidget(lineEdit);
        savePathBtn = new ziraz::ToolButton(widget_2);
        savePathBtn->setObjectName(QStringLiteral("savePathBtn"));
        row->addWidget(savePathBtn);
        verticalLayout_3->addLayout(row);
    }
    bottomWidget = new QWidget(widget_2);
    bottomWidget->setObjectName(QStringLiteral("bottomWidget"));
    horizontalLayout = new QHBoxLayout(bottomWidget);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_pDownloadBtn = new ziraz::ToolButton(bottomWidget);
    m_pDownloadBtn->setObjectName(QStringLiteral("m_pDownloadBtn"));
    horizontalLayout->addWidget(m_pDownloadBtn);
    m_pStopBtn = new ziraz::ToolButton(bottomWidget);
    m_pStopBtn->setObjectName(QStringLiteral("m_pStopBtn"));
    horizontalLayout->addWidget(m_pStopBtn);
    m_pCancelBtn = new ziraz::ToolButton(bottomWidget);
    m_pCancelBtn->setObjectName(QStringLiteral("m_pCancelBtn"));
    horizontalLayout->addWidget(m_pCancelBtn);
    verticalLayout_3->addWidget(bottomWidget);
    gridLayout_6->addWidget(widget_2, 0, 0, 1, 1);
    retranslateUi(form);
}

void CPlaybackDownloadClass::retranslateUi(QWidget* form) {
    form->setWindowTitle(QApplication::translate("CPlaybackDownloadClass", "Form"));
    tab1Btn->setText(QApplication::translate("CPlaybackDownloadClass", "Download By File"));
    tab2Btn->setText(QApplication::translate("CPlaybackDownloadClass", "Download By Time"));
    m_pDownloadTabWidget->setTabText(0, QApplication::translate("CPlaybackDownloadClass", "Download By File"));
    m_pDownloadTabWidget->setTabText(1, QApplication::translate("CPlaybackDownloadClass", "Download By Time"));
    label->setText(QApplication::translate("CPlaybackDownloadClass", "Start Time"));
    label_2->setText(QApplication::translate("CPlaybackDownloadClass", "End Time"));
    const char* const periods[4] = {QT_TRANSLATE_NOOP("CPlaybackDownloadClass", "Time Period 1"),
                                    QT_TRANSLATE_NOOP("CPlaybackDownloadClass", "Time Period 2"),
                                    QT_TRANSLATE_NOOP("CPlaybackDownloadClass", "Time Period 3"),
                                    QT_TRANSLATE_NOOP("CPlaybackDownloadClass", "Time Period 4")};
    for (int p = 0; p < 4; ++p) periodBox[p]->setText(QApplication::translate("CPlaybackDownloadClass", periods[p]));
    label_3->setText(QApplication::translate("CPlaybackDownloadClass", "All selected files size:"));
    m_pAllFileLabel->setText(QString());
    label_4->setText(QApplication::translate("CPlaybackDownloadClass", "The remaining disk space size:"));
    m_pHardSpaceLabel->setText(QString());
    label_5->setText(QApplication::translate("CPlaybackDownloadClass", "File Save Path:"));
    m_pDownloadBtn->setText(QApplication::translate("CPlaybackDownloadClass", "DownLoad"));
    m_pStopBtn->setText(QApplication::translate("CPlaybackDownloadClass", "Stop"));
    m_pCancelBtn->setText(QApplication::translate("CPlaybackDownloadClass", "Cannel"));
}

}  // namespace Ui

CPlaybackDownLoad::CPlaybackDownLoad(DownloadCellAccess cells, uint32_t windowIndex, QWidget* parent)
    : ziraz::BaseDialog(false, false, false, false, true, true, true, parent),
      m_cells(std::move(cells)),
      m_nWindowIndex(windowIndex) {
    setBottomVisible(false);
    InitFrame();
    m_iconPaths << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
                << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
                << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");
    m_ui.m_pAllFileLabel->setText(QStringLiteral("0"));
    ReportConnect(connect(m_ui.savePathBtn, SIGNAL(clicked()), this, SLOT(onChangeFilePath())), __LINE__,
                  "CPlaybackDownLoad::CPlaybackDownLoad");
}

CPlaybackDownLoad::~CPlaybackDownLoad() {
    if (m_pCheckTimer) m_pCheckTimer->stop();
}

APT_QMR::CPlayBackInteraction* CPlaybackDownLoad::playback() const {
    return m_cells.playback ? m_cells.playback(m_nWindowIndex) : nullptr;
}

std::vector<APT_QMR::CSingleFile*> CPlaybackDownLoad::cellFiles() const {
    // Without the null entries a list may hold: row i is file i of this list.
    std::vector<APT_QMR::CSingleFile*> files;
    if (m_cells.files)
        for (APT_QMR::CSingleFile* f : m_cells.files(m_nWindowIndex))
            if (f) files.push_back(f);
    return files;
}

std::vector<APT_QMR::CSingleFile*> CPlaybackDownLoad::channelFiles() const {
    // The cell plays one channel: a by-time download takes only its
    // recordings, whatever else the cell's list holds.
    std::vector<APT_QMR::CSingleFile*> files;
    APT_QMR::CPlayBackInteraction* cell = playback();
    if (!cell) return files;
    const int channel = cell->GetChannel().GetChannelNumber();
    for (APT_QMR::CSingleFile* f : cell->GetFileList())
        if (f && f->ChannelNumber == channel) files.push_back(f);
    return files;
}

void CPlaybackDownLoad::InitFrame() {
    const char* method = "CPlaybackDownLoad::InitFrame";
    m_ui.setupUi(getSetupUiWidget());
    m_ui.m_pDownloadTabWidget->tabBar()->hide();
    m_ui.m_pFileView->setHorizontalScrollBar(new ziraz::HorScrollBar(m_ui.m_pFileView));
    m_ui.m_pDownloadTabWidget->setCurrentIndex(0);
    m_ui.tab1Btn->setChecked(true);
    for (QProgressBar* bar : m_ui.progressBar) bar->hide();
    m_ui.m_pStopBtn->setEnabled(false);
    const QDate today = QDate::currentDate();
    for (int p = 0; p < 4; ++p) {
        m_ui.beginTime[p]->setDateTime(QDateTime(today, QTime(0, 0, 0), Qt::UTC));
        m_ui.endTime[p]->setDateTime(QDateTime(today, QTime(23, 59, 59), Qt::UTC));
    }
    m_pCheckTimer = new QTimer(this);
    ReportConnect(connect(m_pCheckTimer, SIGNAL(timeout()), this, SLOT(OnDownLoadCheck())), __LINE__, method);
    // Wide enough for the disk column beside the times, sizes and statuses.
    resize(860, 640);
    ReportConnect(connect(m_ui.m_pDownloadBtn, SIGNAL(clicked()), this, SLOT(OnDownLoad())), __LINE__, method);
    ReportConnect(connect(m_ui.m_pStopBtn, SIGNAL(clicked()), this, SLOT(OnStopDonload())), __LINE__, method);
    ReportConnect(connect(m_ui.m_pCancelBtn, SIGNAL(clicked()), this, SLOT(close())), __LINE__, method);

    m_pModel = new ziraz::StandardItemModel(0, kColumnCount, this);
    const char* const headers[kColumnCount] = {"",          QT_TR_NOOP("Disk"), QT_TR_NOOP("Start Time"),
                                               QT_TR_NOOP("End Time"), QT_TR_NOOP("Size"), QT_TR_NOOP("Status")};
    for (int c = 0; c < kColumnCount; ++c) {
        m_pModel->setHeaderData(c, Qt::Horizontal, c == 0 ? QString() : tr(headers[c]));
        m_pModel->setHeaderData(c, Qt::Horizontal, kLeftCentred, Qt::TextAlignmentRole);
    }
    m_pModel->setHeaderData(0, Qt::Horizontal, true, ziraz::HeaderCheckRole);
    m_pModel->setHeaderData(0, Qt::Horizontal, Qt::Unchecked, Qt::CheckStateRole);
    m_ui.m_pFileView->setModel(m_pModel);
    m_ui.m_pFileView->setColumnWidth(0, 60);
    m_ui.m_pFileView->setColumnWidth(kDiskColumn, 120);
    // A long folder name keeps its start and its end in view.
    m_ui.m_pFileView->setTextElideMode(Qt::ElideMiddle);
    m_ui.m_pFileView->setColumnWidth(kDiskColumn + 1, 160);
    m_ui.m_pFileView->setColumnWidth(kDiskColumn + 2, 160);
    m_ui.m_pFileView->setColumnWidth(kStatusColumn - 1, 90);
    m_ui.m_pFileView->setColumnWidth(kStatusColumn, 60);
    m_ui.m_pFileView->checkHeader()->fitSectionsToTitles();
    // Disks, times and statuses show whole, also when a status changes.
    KeepColumnsToContents(m_ui.m_pFileView);

    ReportConnect(connect(m_pModel, SIGNAL(itemChanged(QStandardItem*)), this, SLOT(OnSelectFileSizeChanged())),
                  __LINE__, method);
    ReportConnect(connect(&m_downloader, SIGNAL(DownloadSignal(int, int, int)), this,
                          SLOT(OnPlaybackRemoteEvent(int, int, int))),
                  __LINE__, method);
    for (int p = 0; p < 4; ++p) {
        ReportConnect(connect(m_ui.periodBox[p], SIGNAL(stateChanged(int)), this, SLOT(OnSelectFileSizeChanged())),
                      __LINE__, method);
        ReportConnect(connect(m_ui.beginTime[p], SIGNAL(dateTimeChanged(const QDateTime&)), this,
                              SLOT(OnSelectFileSizeChanged())),
                      __LINE__, method);
        ReportConnect(connect(m_ui.endTime[p], SIGNAL(dateTimeChanged(const QDateTime&)), this,
                              SLOT(OnSelectFileSizeChanged())),
                      __LINE__, method);
    }
    ReportConnect(connect(m_ui.tab1Btn, SIGNAL(clicked()), this, SLOT(onTabOne())), __LINE__, method);
    ReportConnect(connect(m_ui.tab2Btn, SIGNAL(clicked()), this, SLOT(onTabTwo())), __LINE__, method);

    m_ui.savePathBtn->hide();
    m_strSaveFolder = tr("RodoroZOD");
    m_ui.lineEdit->setText(m_strSaveFolder);
    m_downloader.SetSavePath(m_strSaveFolder);
    m_ui.lineEdit->setContextMenuPolicy(Qt::NoContextMenu);
    m_ui.lineEdit->setMaxLength(15);
    m_ui.m_pFileView->setFocus();
}

void CPlaybackDownLoad::setChannel(int downloadFileType) {
    m_nDownloadFileType = downloadFileType;
    m_downloader.SetDownLoadFileType(downloadFileType);
}

void CPlaybackDownLoad::setSavePath(const QString& folder) {
    m_downloader.SetSavePath(folder);
    m_ui.lineEdit->setText(folder);
}

void CPlaybackDownLoad::setTitleSuffix(const QString& suffix) {
    m_strTitleSuffix = suffix;
    setTitle(tr("Files download") + "(" + suffix + ")");
}

void CPlaybackDownLoad::resetFrame() {
    const QDate today = QDate::currentDate();
    for (int p = 0; p < 4; ++p) {
        m_ui.progressBar[p]->setValue(0);
        m_ui.periodBox[p]->setChecked(false);
        m_ui.beginTime[p]->setDateTime(QDateTime(today, QTime(0, 0, 0), Qt::UTC));
        m_ui.endTime[p]->setDateTime(QDateTime(today, QTime(23, 59, 59), Qt::UTC));
    }
}

uint64_t CPlaybackDownLoad::refreshFreeSpace(const QString& folder) {
    uint64_t freeBytes = 0;
    if (!GetFreeDiskBytes(SaveDriveRoot(folder), &freeBytes, nullptr)) freeBytes = 0;
    m_ui.m_pHardSpaceLabel->setText(FormatFileSize(freeBytes));
    return freeBytes;
}

Qt::CheckState CPlaybackDownLoad::headerCheckState() const {
    return static_cast<Qt::CheckState>(m_pModel->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt());
}

void CPlaybackDownLoad::InitDownloadFiles() {
    const char* method = "CPlaybackDownLoad::InitDownloadFiles";
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) return;
    refreshFreeSpace(folder);
    m_pModel->removeRows(0, m_pModel->rowCount());
    m_pModel->setHeaderData(0, Qt::Horizontal, Qt::Unchecked, Qt::CheckStateRole);
    m_ui.m_pAllFileLabel->setText(QStringLiteral("0"));
    if (!playback()) return;

    {
        ziraz::Progress progress(this);
        CDataDistributionThread builder(cellFiles(), this);
        ReportConnect(connect(&builder, SIGNAL(SignalProgressChanged(int, int)), &progress,
                              SLOT(OnProgressChanged(int, int)), Qt::QueuedConnection),
                      __LINE__, method);
        ReportConnect(connect(this, SIGNAL(SignalFinishedRev()), &builder, SLOT(OnStartNow())), __LINE__, method);
        ReportConnect(connect(&builder, SIGNAL(SendFinished()), &progress, SLOT(onConfirmButtonClicked())), __LINE__,
                      method);
        ReportConnect(connect(&builder, SIGNAL(SignalSendItems(const QList<QStandardItem*>&)), this,
                              SLOT(OnRevItems(const QList<QStandardItem*>&))),
                      __LINE__, method);
        builder.startThread();
        progress.setFixedSize(1, 1);
        progress.exec();
    }
    TakeRowsOnTheirWay(this);
    OnUpdateDownloadBtnState();
}

void CPlaybackDownLoad::OnRevItems(const QList<QStandardItem*>& listItems) {
    if (!m_pModel) {
        qDeleteAll(listItems);
        return;
    }
    m_pModel->appendRow(listItems);
    emit SignalFinishedRev();
}

bool CPlaybackDownLoad::downloading() const {
    APT_QMR::CPlayBackInteraction* cell = playback();
    return cell && cell->IsDownloading();
}

void CPlaybackDownLoad::OnUpdateDownloadBtnState() {
    if (!playback()) return;
    // Also while this dialog's own job runs: a second start would only be
    // refused by the downloader and confuse the rows' status.
    const bool busy = downloading() || m_downloader.IsDownloading();
    m_ui.m_pDownloadBtn->setEnabled(!busy);
    m_ui.savePathBtn->setEnabled(!busy);
}

void CPlaybackDownLoad::OnSelectFileSizeChanged() {
    uint64_t total = 0;
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        QStandardItem* item = m_pModel->item(row, 0);
        if (!item || item->checkState() == Qt::Unchecked) continue;
        total += item->data(CDataDistributionThread::kFileSizeRole).toUInt();
    }
    if (playback()) {
        // What a period's download copies: the cell's channel, each moment once.
        const std::vector<APT_QMR::CSingleFile*> files = channelFiles();
        for (int p = 0; p < 4; ++p) {
            if (!m_ui.periodBox[p]->isChecked()) continue;
            total += APT_QMR::CStreamDownloader::EstimateFilesSize(
                files, static_cast<time_t>(m_ui.beginTime[p]->dateTime().toSecsSinceEpoch()),
                static_cast<time_t>(m_ui.endTime[p]->dateTime().toSecsSinceEpoch()));
        }
    }
    m_ui.m_pAllFileLabel->setText(FormatFileSize(total));
    m_nSelectedSize = total;
    OnUpdateDownloadBtnState();
}

void CPlaybackDownLoad::onTabOne() {
    m_ui.m_pDownloadTabWidget->setCurrentIndex(0);
    m_ui.tab1Btn->setChecked(true);
    m_ui.tab2Btn->setChecked(false);
}

void CPlaybackDownLoad::onTabTwo() {
    m_ui.m_pDownloadTabWidget->setCurrentIndex(1);
    m_ui.tab2Btn->setChecked(true);
    m_ui.tab1Btn->setChecked(false);
}

void CPlaybackDownLoad::onChangeFilePath() {}

void CPlaybackDownLoad::warn(int displayMs, const QString& text) {
    ziraz::WarningDialog::showWarningDialog(displayMs, 2, text, this, nullptr, nullptr, m_iconPaths, QSize(310, 120));
}

bool CPlaybackDownLoad::checkTimePeriods() {
    QVector<TimePeriod> periods;
    for (int p = 0; p < 4; ++p) {
        if (!m_ui.periodBox[p]->isChecked()) continue;
        const QDateTime start = m_ui.beginTime[p]->dateTime();
        const QDateTime end = m_ui.endTime[p]->dateTime();
        if (!(start < end)) {
            onTabTwo();
            warn(2000, tr("The segment") + QStringLiteral(" %1, ").arg(p + 1) +
                           tr("the start time should be earlier than end time."));
            return true;
        }
        periods.append({start, end});
    }
    for (int a = 0; a < periods.size(); ++a) {
        for (int b = 0; b < periods.size(); ++b) {
            if (a == b) continue;
            const TimePeriod& pa = periods[a];
            const TimePeriod& pb = periods[b];
            const bool startIn = pb.start >= pa.start && pb.start <= pa.end;
            const bool endIn = pb.end >= pa.start && pb.end <= pa.end;
            if (startIn || endIn) {
                onTabTwo();
                warn(2000, tr("The time cross."));
                return true;
            }
        }
    }
    return false;
}

void CPlaybackDownLoad::OnDownLoad() {
    m_strSaveFolder = m_ui.lineEdit->text().trimmed();
    m_downloader.SetSavePath(m_strSaveFolder);
    m_ui.m_pDownloadBtn->setFocus();
    if (!playback() || downloading()) return;
    m_strAnnouncedFile.clear();
    m_fileNotices.clear();
    emit SignalBeginDownLoad();
    for (QProgressBar* bar : m_ui.progressBar) bar->setValue(0);
    if (checkTimePeriods()) return;
    if (m_nSelectedSize == 0) {
        warn(2500, tr("No file to download."));
        return;
    }
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) return;
    if (refreshFreeSpace(folder) < kMinFreeBytes) {
        warn(2500, tr("At least 2G disk space is need."));
        return;
    }
    m_downloader.SetDiskKind(m_bDiskKind);
    // Copies of one recording from two disks tell their disk by name, as the
    // batch downloader's do.
    const std::vector<APT_QMR::CSingleFile*> files = cellFiles();
    m_downloader.SetNamePart(DiskNameParts({files.begin(), files.end()}));
    startNextDownload();
}

void CPlaybackDownLoad::startNextDownload() {
    if (headerCheckState() != Qt::Unchecked) {
        DownloadByFile();
        return;
    }
    for (ziraz::CheckBox* box : m_ui.periodBox) {
        if (box->isChecked()) {
            DownloadByTime();
            return;
        }
    }
}

void CPlaybackDownLoad::DownloadByFile() {
    const char* method = "CPlaybackDownLoad::DownloadByFile";
    m_nDownloadMode = 0;
    m_statusItems.clear();
    const std::vector<APT_QMR::CSingleFile*> files = cellFiles();
    std::vector<APT_QMR::CSingleFile*> selection;
    std::vector<int> positions;
    std::vector<int> resume;
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        QStandardItem* number = m_pModel->item(row, 0);
        if (!number || number->checkState() == Qt::Unchecked) continue;
        // A row past the cell's list (the list changed since the rows were
        // built) has no file to download.
        if (row >= static_cast<int>(files.size()) || !files[static_cast<size_t>(row)]) continue;
        selection.push_back(files[static_cast<size_t>(row)]);
        QStandardItem* status = m_pModel->item(row, kStatusColumn);
        m_statusItems.append(status);
        if (status) {
            const QVariant mark = status->data(kResumeRole);
            if (mark.isValid() && mark.toUInt() != 4294967295u) {
                positions.push_back(static_cast<int>(selection.size()) - 1);
                resume.push_back(static_cast<int>(mark.toUInt()));
            }
        }
    }
    APT_QMR::CPlayBackInteraction* cell = playback();
    if (!cell) return;
    // Connected again at every start: the earlier connection goes first.
    disconnect(&m_downloader, SIGNAL(DownloadFiles(QString)), this, SLOT(OnGetFiles(QString)));
    ReportConnect(connect(&m_downloader, SIGNAL(DownloadFiles(QString)), this, SLOT(OnGetFiles(QString))),
                  __LINE__, method);
    auto* param = new APT_QMR::CStreamDownloaderParam(cell->GetChannel().GetChannelNumber());
    m_downloader.SetDiskKind(m_bDiskKind);
    if (!m_downloader.SetParam(param)) {
        delete param;
        return;
    }
    m_bJobEnded = false;
    if (m_downloader.DownloadByFile(selection, positions, resume))
        m_pCheckTimer->start(1000);
    else
        startFailed();
}

void CPlaybackDownLoad::startFailed() {
    // The first recording could not be opened or gave nothing: no job runs
    // and none reports, so the failure is told here.
    m_bJobEnded = true;
    unlock();
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(tr("DownLoad Exception."), this, false, false, true);
}

QString CPlaybackDownLoad::channelText() const {
    APT_QMR::CPlayBackInteraction* cell = playback();
    const int number = cell ? cell->GetChannel().GetChannelNumber() : 0;
    return (number < 10 ? QStringLiteral("0") : QString()) + QString::number(number);
}

bool CPlaybackDownLoad::periodHasRecording(int period) const {
    APT_QMR::CPlayBackInteraction* cell = playback();
    if (!cell) return false;
    const qint64 a = m_ui.beginTime[period]->dateTime().toSecsSinceEpoch();
    const qint64 b = m_ui.endTime[period]->dateTime().toSecsSinceEpoch();
    // As the downloader takes them: a recording holds the seconds up to its
    // end time, so one that ends where the period begins has nothing in it.
    for (const APT_QMR::CSingleFile* file : channelFiles()) {
        const qint64 fs = file->StartTime;
        const qint64 fe = file->EndTime;
        if (fe > a && fs < b) return true;
    }
    return false;
}

QString CPlaybackDownLoad::prepareTimeFile(const QDateTime& start, const QDateTime& end, int fileType,
                                           const QString& channel) {
    if (fileType != 0) return QString();
    const QString name = QStringLiteral("ch") + channel + "_" +
                         QString::fromStdString(TimeToString(static_cast<time_t>(start.toSecsSinceEpoch()))) + "_" +
                         QString::fromStdString(TimeToString(static_cast<time_t>(end.toSecsSinceEpoch()))) +
                         QStringLiteral(".mp4");
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) folder = QStringLiteral("C:/");
    if (!folder.endsWith(QLatin1Char('\\')) && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    const QString directory = folder + m_strSaveFolder + QStringLiteral("/");
    CreateDirectoryPath(std::string(directory.toLocal8Bit().constData()));
    // A file of that name from before stays: the downloader writes beside it.
    return directory + name;
}

void CPlaybackDownLoad::DownloadByTime() {
    const char* method = "CPlaybackDownLoad::DownloadByTime";
    APT_QMR::CPlayBackInteraction* cell = playback();
    if (!cell) return;
    OnStopDonload();
    // Connected again at every start: the earlier connection goes first.
    disconnect(&m_downloader, SIGNAL(DownloadFiles(QString)), this, SLOT(OnGetFiles(QString)));
    ReportConnect(connect(&m_downloader, SIGNAL(DownloadFiles(QString)), this, SLOT(OnGetFiles(QString))),
                  __LINE__, method);
    m_nDownloadMode = 1;
    auto* param = new APT_QMR::CStreamDownloaderParam(cell->GetChannel().GetChannelNumber());
    m_downloader.SetDiskKind(m_bDiskKind);
    const QString channel = channelText();

    for (int p = 0; p < 4; ++p) {
        if (!m_ui.periodBox[p]->isChecked()) continue;
        const QDateTime start = m_ui.beginTime[p]->dateTime();
        const QDateTime end = m_ui.endTime[p]->dateTime();
        if (p == 0) prepareTimeFile(start, end, m_nDownloadFileType, channel);
        if (!periodHasRecording(p)) {
            m_ui.periodBox[p]->setChecked(false);
            continue;
        }
        if (p != 0) prepareTimeFile(start, end, m_nDownloadFileType, channel);
        const qint64 s = start.toSecsSinceEpoch();
        const qint64 e = end.toSecsSinceEpoch();
        if (s < 0) break;
        if (!m_downloader.SetParam(param)) {
            delete param;
            return;
        }
        param = nullptr;
        m_bJobEnded = false;
        if (m_downloader.DownloadByTime(channelFiles(), static_cast<time_t>(s), static_cast<time_t>(e)))
            m_pCheckTimer->start(1000);
        else
            startFailed();
        return;
    }
    delete param;
}

void CPlaybackDownLoad::OnStopDonload() {
    if (!playback()) return;
    m_downloader.StopDownload(false);
    m_pCheckTimer->stop();
}

void CPlaybackDownLoad::OnGetFiles(QString path) { m_strLastFile = path; }

int CPlaybackDownLoad::firstTickedPeriod() const {
    for (int p = 0; p < 4; ++p)
        if (m_ui.periodBox[p]->isChecked()) return p;
    return -1;
}

void CPlaybackDownLoad::unlock() {
    m_pCheckTimer->stop();
    m_ui.m_pFileView->setEnabled(true);
    for (int p = 0; p < 4; ++p) {
        m_ui.periodBox[p]->setEnabled(true);
        const bool on = m_ui.periodBox[p]->isChecked();
        m_ui.beginTime[p]->setEnabled(on);
        m_ui.endTime[p]->setEnabled(on);
    }
    m_ui.m_pStopBtn->setEnabled(false);
    OnUpdateDownloadBtnState();
}

// A saved file, once: its own report and the end of the job both name it.
void CPlaybackDownLoad::announce(const QString& path) { m_fileNotices.tell(this, path, path); }

void CPlaybackDownLoad::OnPlaybackRemoteEvent(int code, int index, int count) {
    const bool byFile = m_nDownloadMode == 0;
    const bool isRow = index >= 0 && index < m_statusItems.size();
    auto enableStart = [this] {
        // Enabled unless a job still runs (its own end enables it again).
        m_ui.m_pDownloadBtn->setEnabled(!downloading() && !m_downloader.IsDownloading());
        m_ui.savePathBtn->setEnabled(m_ui.m_pDownloadBtn->isEnabled());
    };
    // The start's own reports (DownloadStarted, the first path) come through the
    // downloader's queue and may arrive after the end of a short job: a late
    // start report of a job that is over changes nothing, and a missing path
    // is taken from the downloader.
    if (m_strLastFile.isEmpty()) m_strLastFile = m_downloader.CurrentFilePath();
    switch (code) {
    case APT_QMR::DownloadStarted:
        if (m_bJobEnded) break;
        m_ui.m_pFileView->setEnabled(false);
        for (int p = 0; p < 4; ++p) {
            m_ui.periodBox[p]->setEnabled(false);
            m_ui.beginTime[p]->setEnabled(false);
            m_ui.endTime[p]->setEnabled(false);
        }
        m_ui.m_pStopBtn->setEnabled(true);
        OnUpdateDownloadBtnState();
        m_ui.m_pDownloadBtn->setEnabled(false);
        m_ui.savePathBtn->setEnabled(false);
        break;
    case APT_QMR::DownloadStopped:
        m_bJobEnded = true;
        unlock();
        if (byFile) {
            if (!isRow) return;
            m_statusItems[index]->setText(tr("Manual Stop"));
            m_statusItems[index]->setData(-1, kResumeRole);
        } else {
            const int p = firstTickedPeriod();
            if (p >= 0) m_ui.progressBar[p]->setValue(count);
        }
        announceFile();
        enableStart();
        break;
    case APT_QMR::DownloadAllDone: {
        m_bJobEnded = true;
        unlock();
        if (!byFile) {
            const int p = firstTickedPeriod();
            if (p >= 0) {
                m_ui.progressBar[p]->setValue(count);
                m_ui.periodBox[p]->setChecked(false);
            }
        }
        if (headerCheckState() != Qt::Unchecked || firstTickedPeriod() >= 0) startNextDownload();
        // Nothing more runs (no job left, or the next one found nothing to
        // copy or could not start): the last file is told.
        if (m_bJobEnded) {
            announceFile();
            enableStart();
        }
        break;
    }
    case APT_QMR::DownloadFailed:
        m_bJobEnded = true;
        unlock();
        // A failure is always reported, also one before the first file.
        ziraz::InformationDlg::ShowInformationAtScreenRightBottom(tr("DownLoad Exception."), this, false, false, true);
        if (byFile && !isRow) return;
        if (byFile) m_statusItems[index]->setText(tr("Download Exception"));
        enableStart();
        break;
    case APT_QMR::DownloadNextFile:
        if (m_bJobEnded) break;
        if (byFile) {
            if (index + 1 < 0 || index + 1 >= m_statusItems.size()) return;
            m_statusItems[index + 1]->setText(tr("Downloading"));
        }
        m_ui.m_pDownloadBtn->setEnabled(false);
        m_ui.savePathBtn->setEnabled(false);
        break;
    case APT_QMR::DownloadFileDone:
        if (byFile) {
            if (!isRow) return;
            QStandardItem* status = m_statusItems[index];
            status->setText(tr("Download Completed"));
            status->setData(-1, kResumeRole);
            if (QStandardItem* number = m_pModel->item(status->row(), 0)) number->setCheckState(Qt::Unchecked);
            announce(m_strLastFile);
        } else if (m_nDownloadFileType == 0) {
            if (m_strAnnouncedFile.isEmpty()) {
                m_strAnnouncedFile = m_strLastFile;
            } else if (m_strAnnouncedFile != m_strLastFile) {
                announce(m_strAnnouncedFile);
                m_strAnnouncedFile = m_strLastFile;
            }
        } else {
            announce(m_strLastFile);
        }
        break;
    case APT_QMR::DownloadFileIncomplete:
        if (byFile && isRow) {
            QStandardItem* status = m_statusItems[index];
            status->setText(tr("Download Incomplete"));
            status->setData(-1, kResumeRole);
            if (QStandardItem* number = m_pModel->item(status->row(), 0)) number->setCheckState(Qt::Unchecked);
        }
        announceFile();
        break;
    case APT_QMR::DownloadDiskSpaceLow:
        m_bJobEnded = true;
        unlock();
        ziraz::WarningDlg::ShowMessageInfo(tr("Error"), tr("Disk space is not enough. At least 2G disk space is need."),
                                           this);
        if (byFile && !isRow) return;
        if (byFile) m_statusItems[index]->setText(tr("Download Exception"));
        enableStart();
        break;
    default:
        break;
    }
}

void CPlaybackDownLoad::announceFile() {
    m_fileNotices.tell(this, m_strLastFile, APT_QMR::CStreamDownloader::FileNotice(m_strLastFile));
}

void CPlaybackDownLoad::OnDownLoadCheck() {
    if (m_nDownloadMode == 1) {
        APT_QMR::CPlayBackInteraction* cell = playback();
        const int p = firstTickedPeriod();
        if (cell && cell->IsDownloading() && p >= 0)
            m_ui.progressBar[p]->setValue(static_cast<int>(cell->GetDownloadProgress()));
    }
    QString folder;
    if (CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) refreshFreeSpace(folder);
}

void CPlaybackDownLoad::closeEvent(QCloseEvent* event) {
    if (m_downloader.IsDownloading()) {
        warn(2000, tr("Downloading, please wait or stop."));
        event->ignore();
        return;
    }
    event->accept();
}

void CPlaybackDownLoad::reject() {
    if (m_downloader.IsDownloading()) {
        warn(2000, tr("Downloading, please wait or stop."));
        return;
    }
    ziraz::BaseDialog::reject();
}
