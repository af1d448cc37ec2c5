// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmWidget.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSaveFile>
#include <QSpacerItem>
#include <QTextStream>
#include <QToolButton>
#include <QTreeView>

#include <ctime>
#include <initializer_list>

#include "storage/RecorderTime.h"
#include "search/AlarmClipSearchThread.h"
#include "AlarmModels.h"
#include "search/AlarmSearch.h"
#include "CaptureView.h"
#include "CustomPlayerFrame.h"
#include "storage/DiskEnum.h"
#include "common/InterfaceHelpers.h"
#include "common/MultiCheckCombox.h"
#include "search/PicSearchThread.h"
#include "Playback/PlayBackInteraction.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/mainwindow.h"
#include "ziraz/sharetools.h"
#include "storage/KelLogging.h"

namespace Ui {

void AlarmWidget::setupUi(QWidget* form) {
    EnsureAlarmPageResources();
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("AlarmWidget"));
    form->resize(1670, 883);
    gridLayout_3 = new QGridLayout(form);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->setSpacing(0);
    gridLayout_3->setContentsMargins(11, 11, 11, 11);
    m_pContainerWidget = new QWidget(form);
    m_pContainerWidget->setObjectName(QStringLiteral("m_pContainerWidget"));
    gridLayout_4 = new QGridLayout(m_pContainerWidget);
    gridLayout_4->setObjectName(QStringLiteral("gridLayout_4"));
    gridLayout_4->setSpacing(6);
    gridLayout_4->setHorizontalSpacing(0);
    gridLayout_4->setVerticalSpacing(20);
    gridLayout_4->setContentsMargins(11, 11, 11, 11);
    m_pTopWidget = new QWidget(m_pContainerWidget);
    m_pTopWidget->setObjectName(QStringLiteral("m_pTopWidget"));
    m_pTopWidget->setFixedHeight(122);
    gridLayout_2 = new QGridLayout(m_pTopWidget);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setSpacing(0);
    gridLayout_2->setContentsMargins(11, 11, 11, 11);
    gridLayout = new QGridLayout();
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(6);
    gridLayout->setHorizontalSpacing(0);
    gridLayout->setVerticalSpacing(20);

    horizontalLayout_6 = new QHBoxLayout();
    horizontalLayout_6->setObjectName(QStringLiteral("horizontalLayout_6"));
    horizontalLayout_6->setSpacing(12);
    horizontalLayout_5 = new QHBoxLayout();
    horizontalLayout_5->setObjectName(QStringLiteral("horizontalLayout_5"));
    horizontalLayout_5->setSpacing(16);
    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setSpacing(8);
    m_pStartStopTimeLabel = new ziraz::Label(m_pTopWidget);
    m_pStartStopTimeLabel->setObjectName(QStringLiteral("m_pStartStopTimeLabel"));
    m_pStartStopTimeLabel->setFixedSize(96, 32);
    m_pStartStopTimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalLayout_3->addWidget(m_pStartStopTimeLabel);
    m_pRangeDateTimeEdit = new ziraz::RangeDateTimeEdit(m_pTopWidget);
    m_pRangeDateTimeEdit->setObjectName(QStringLiteral("m_pRangeDateTimeEdit"));
    m_pRangeDateTimeEdit->setFixedSize(310, 32);
    horizontalLayout_3->addWidget(m_pRangeDateTimeEdit);
    horizontalLayout_5->addLayout(horizontalLayout_3);
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(8);
    m_pChannelLabel = new QLabel(m_pTopWidget);
    m_pChannelLabel->setObjectName(QStringLiteral("m_pChannelLabel"));
    m_pChannelLabel->setFixedSize(96, 32);
    m_pChannelLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalLayout_2->addWidget(m_pChannelLabel);
    m_pChannelWidget = new CMultiCheckCombox();
    m_pChannelWidget->setParent(m_pTopWidget);
    m_pChannelWidget->setObjectName(QStringLiteral("m_pChannelWidget"));
    m_pChannelWidget->setFixedHeight(32);
    m_pChannelWidget->setMinimumWidth(200);
    m_pChannelWidget->setMaximumWidth(310);
    horizontalLayout_2->addWidget(m_pChannelWidget);
    horizontalLayout_5->addLayout(horizontalLayout_2);
    horizontalLayout_6->addLayout(horizontalLayout_5);
    horizontalLayout_6->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(8);
    m_pQueryBtn = new QToolButton(m_pTopWidget);
    m_pQueryBtn->setObjectName(QStringLiteral("m_pQueryBtn"));
    m_pQueryBtn->setFixedSize(96, 32);
    horizontalLayout->addWidget(m_pQueryBtn);
    m_pResetBtn = new QToolButton(m_pTopWidget);
    m_pResetBtn->setObjectName(QStringLiteral("m_pResetBtn"));
    m_pResetBtn->setFixedSize(96, 32);
    horizontalLayout->addWidget(m_pResetBtn);
    m_pExportBtn = new QToolButton(m_pTopWidget);
    m_pExportBtn->setObjectName(QStringLiteral("m_pExportBtn"));
    m_pExportBtn->setFixedSize(96, 32);
    horizontalLayout->addWidget(m_pExportBtn);
    horizontalLayout_6->addLayout(horizontalLayout);
    gridLayout->addLayout(horizontalLayout_6, 0, 0, 1, 2);

    horizontalLayout_4 = new QHBoxLayout();
    horizontalLayout_4->setObjectName(QStringLiteral("horizontalLayout_4"));
    horizontalLayout_4->setSpacing(8);
    m_pAlarmTypeLabel = new QLabel(m_pTopWidget);
    m_pAlarmTypeLabel->setObjectName(QStringLiteral("m_pAlarmTypeLabel"));
    m_pAlarmTypeLabel->setFixedSize(96, 32);
    m_pAlarmTypeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    horizontalLayout_4->addWidget(m_pAlarmTypeLabel);
    m_pAlarmTypeWidget = new CMultiCheckCombox();
    m_pAlarmTypeWidget->setParent(m_pTopWidget);
    m_pAlarmTypeWidget->setObjectName(QStringLiteral("m_pAlarmTypeWidget"));
    m_pAlarmTypeWidget->setFixedHeight(32);
    m_pAlarmTypeWidget->setMinimumWidth(200);
    m_pAlarmTypeWidget->setMaximumWidth(310);
    horizontalLayout_4->addWidget(m_pAlarmTypeWidget);
    gridLayout->addLayout(horizontalLayout_4, 1, 0, 1, 1);
    gridLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 1, 1, 1);
    gridLayout_2->addLayout(gridLayout, 0, 0, 1, 1);
    gridLayout_4->addWidget(m_pTopWidget, 0, 0, 1, 1);

    m_pMultiPageTreeView = new ziraz::CMultiPageTableView(m_pContainerWidget);
    m_pMultiPageTreeView->setObjectName(QStringLiteral("m_pMultiPageTreeView"));
    m_pMultiPageTreeView->setMinimumSize(0, 0);
    gridLayout_4->addWidget(m_pMultiPageTreeView, 1, 0, 1, 1);
    gridLayout_3->addWidget(m_pContainerWidget, 0, 0, 1, 1);
    retranslateUi(form);
}

void AlarmWidget::retranslateUi(QWidget* form) {
    form->setWindowTitle(QApplication::translate("AlarmWidget", "AlarmWidget", nullptr));
    m_pStartStopTimeLabel->setText(QApplication::translate("AlarmWidget", "StartstopTimeeWuzHqGN", nullptr));
    m_pChannelLabel->setText(QApplication::translate("AlarmWidget", "Channel", nullptr));
    m_pQueryBtn->setText(QApplication::translate("AlarmWidget", "Query", nullptr));
    m_pResetBtn->setText(QApplication::translate("AlarmWidget", "Reset", nullptr));
    m_pExportBtn->setText(QApplication::translate("AlarmWidget", "Export", nullptr));
    m_pAlarmTypeLabel->setText(QApplication::translate("AlarmWidget", "AlarmType", nullptr));
}

}  // namespace Ui

namespace {

void ReportButton(bool ok, const char* line) {
    if (!ok)
        ShareTools::debugMessage(QStringLiteral("connect failure! ") +
                                 QStringLiteral("..\\..\\..\\src\\Quillmere\\ui\\AlarmPage\\AlarmWidget") + ":" +
                                 QString::fromLatin1(line) + QStringLiteral(" in ") +
                                 QStringLiteral("CAlarmWidget::initUi"));
}

// One CSV field: quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

CAlarmWidget::CAlarmWidget(QWidget* parent) : ziraz::Widget(parent) {
    m_pUi = new Ui::AlarmWidget;
    m_pUi->setupUi(this);
    RegisterAlarmRecordMetaTypes();
    initUi();
    m_pAlarmSearchThread = new CAlarmSearchThread();
    connect(m_pAlarmSearchThread, &CAlarmSearchThread::signalSendWriteOver, this, &CAlarmWidget::onSearchFilesFinished);
    connect(this, &CAlarmWidget::signalAlarmWidgetInfo, this, &CAlarmWidget::onReceiveData);
}

CAlarmWidget::~CAlarmWidget() {
    delete m_pUi;
    m_pUi = nullptr;
    // A search under way ends first; what it found and never reported is
    // freed with the rest.
    m_pAlarmSearchThread->StopSearch();
    m_pAlarmSearchThread->wait();
    QVector<ChannelFiles*> unreported;
    m_pAlarmSearchThread->GetResults(unreported);
    for (ChannelFiles* record : unreported)
        if (!m_vecChannelFiles.contains(record)) m_vecChannelFiles << record;
    releaseChannelFiles();
    delete m_pAlarmSearchThread;
    m_pAlarmSearchThread = nullptr;
    delete m_pPicSearchThread;
    m_pPicSearchThread = nullptr;
}

void CAlarmWidget::releaseChannelFiles() {
    if (APT_QMR::CPlayBackInteraction* playback = m_videoView.playback()) playback->Reset();
    for (ChannelFiles* record : m_vecChannelFiles) {
        for (APT_QMR::CSingleFile* file : record->SingleFileList) delete file;
        delete record;
    }
    m_vecChannelFiles.clear();
}

void CAlarmWidget::initUi() {
    m_pUi->m_pRangeDateTimeEdit->SetButtonPixmap(1, QPixmap(QStringLiteral(":/Quillmere/Images/PlayBack/Search/date.png")));
    const QDate today = QDate::currentDate();
    m_pUi->m_pRangeDateTimeEdit->setDateTimeRange(QDateTime(today, QTime(0, 0, 0), Qt::UTC), QDateTime(today, QTime(23, 59, 59), Qt::UTC));
    // The texts are set: let the labels, buttons and the range grow to show
    // them whole.
    for (QWidget* w : std::initializer_list<QWidget*>{m_pUi->m_pStartStopTimeLabel, m_pUi->m_pChannelLabel,
                                                      m_pUi->m_pAlarmTypeLabel, m_pUi->m_pQueryBtn, m_pUi->m_pResetBtn,
                                                      m_pUi->m_pExportBtn})
        FitToContent(w, 96, 32);
    FitToContent(m_pUi->m_pRangeDateTimeEdit, 310, 32);
    // The two rows start in one column: the labels before the range and
    // before the alarm types are as wide as the wider of them, and the
    // alarm types stay at the left of their row.
    const int labelWidth =
        qMax(m_pUi->m_pStartStopTimeLabel->minimumWidth(), m_pUi->m_pAlarmTypeLabel->minimumWidth());
    for (QWidget* label : {static_cast<QWidget*>(m_pUi->m_pStartStopTimeLabel), static_cast<QWidget*>(m_pUi->m_pAlarmTypeLabel)})
        label->setFixedWidth(labelWidth);
    m_pUi->horizontalLayout_4->addStretch(1);
    // The selector's field starts 4 pixels into it: the field of the second
    // row lines up with the range above it.
    m_pUi->horizontalLayout_4->setSpacing(4);
    if (!m_pChannelModel) {
        m_pChannelModel = new CChannelCheckedModel(this);
        m_pUi->m_pChannelWidget->setModel(m_pChannelModel);
    }
    if (!m_pAlarmTypeModel) {
        m_pAlarmTypeModel = new CAlarmTypeCheckedModel(this);
        m_pUi->m_pAlarmTypeWidget->setModel(m_pAlarmTypeModel);
    }
    if (!m_pAlarmModel) {
        m_pAlarmModel = new CAlarmCheckedModel(this);
        m_pUi->m_pMultiPageTreeView->SetModel(m_pAlarmModel);
        m_pUi->m_pMultiPageTreeView->SetSortingEnabled(true, 0);
    }
    QTreeView* view = m_pUi->m_pMultiPageTreeView->GetTableView();
    QHeaderView* header = view->header();
    header->setSortIndicator(1, Qt::AscendingOrder);
    header->setSectionResizeMode(0, QHeaderView::Fixed);
    const int widths[5] = {60, 240, 250, 260, 270};
    for (int c = 0; c < 5; ++c) view->setColumnWidth(c, widths[c]);
    WidenColumnsToContents(view);

    connect(m_pUi->m_pMultiPageTreeView, &ziraz::CMultiPageTableView::SignalClicked, this, &CAlarmWidget::onClickAction);
    ReportButton(connect(m_pUi->m_pQueryBtn, SIGNAL(clicked()), this, SLOT(onQueryBtn())), "119");
    ReportButton(connect(m_pUi->m_pResetBtn, SIGNAL(clicked()), this, SLOT(onResetBtn())), "120");
    ReportButton(connect(m_pUi->m_pExportBtn, SIGNAL(clicked()), this, SLOT(onExportBtn())), "121");

    m_lstIconPaths << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
                   << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
                   << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");
    initDiskInfo();
}

void CAlarmWidget::initDiskInfo() {
    for (auto& entry : m_diskTable) entry = DiskDriveEntry();
    m_iDiskCount = 0;
    DiskEnum disks;
    std::vector<int> numbers;
    const int count = disks.GetPhysicalDriveNumbers(&numbers);
    if (count <= 0) return;
    m_iDiskCount = qMin(count, static_cast<int>(kMaxDrives));
    for (int i = 0; i < m_iDiskCount; ++i) {
        DiskDriveEntry& entry = m_diskTable[i];
        entry.driveNumber = numbers[static_cast<size_t>(i)];
        const int letters = disks.GetDriveLetterOfPhysicalDrive(entry.driveNumber, entry.driveLetters);
        entry.letterCount = letters > 0 ? letters : 0;
    }
}

QStringList CAlarmWidget::getDiskPaths() const {
    QStringList paths;
    for (int i = 0; i < m_iDiskCount; ++i) {
        const DiskDriveEntry& entry = m_diskTable[i];
        if (entry.driveNumber < 0) continue;
        if (entry.letterCount > 0) {
            for (int k = 0; k < 26; ++k)
                if (entry.driveLetters[k]) paths << QString(QChar(entry.driveLetters[k])) + QStringLiteral(":\\");
        } else {
            paths << QStringLiteral("\\\\.\\PHYSICALDRIVE") + QString::number(entry.driveNumber);
        }
    }
    return paths;
}

void CAlarmWidget::onQueryBtn() {
    initDiskInfo();
    QDateTime start;
    QDateTime end;
    m_pUi->m_pRangeDateTimeEdit->getDateTimeRange(start, end);

    QVector<int> channels;
    for (const QModelIndex& index : m_pChannelModel->GetCheckedIndexes())
        channels << index.data(alarmroles::kNumberRole).toInt();
    if (channels.isEmpty()) {
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("PleaseSeleJuzmqbfo"), this);
        return;
    }
    std::vector<int> types;
    for (const QModelIndex& index : m_pAlarmTypeModel->GetCheckedIndexes())
        types.push_back(index.data(alarmroles::kNumberRole).toInt());
    if (types.empty()) {
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("PleaseSelectAlarmTypegNJVOICO"), this);
        return;
    }
    m_pAlarmModel->SetAlarmTypes(types);
    m_pAlarmModel->removeRows(0, m_pAlarmModel->rowCount());

    auto* search = new CAlarmSearch(this);
    search->SetSearchCondition(getDiskPaths(), start, end, channels);
    connect(search, &CAlarmSearch::signalAlarmInfo, this, &CAlarmWidget::signalAlarmWidgetInfo);
    // Each query has its own search; it goes once it has delivered.
    connect(search, &QThread::finished, search, &QObject::deleteLater);
    search->start(QThread::InheritPriority);
    m_iPendingResults = 1;

    ziraz::ChaseDialog wait(this, QStringLiteral(":/Quillmere/Images/Alarm/Loading.gif"), tr("SearchHCU29A3C"), false);
    if (wait.titleBar()) wait.titleBar()->setCloseButtonShow(false);
    connect(this, &CAlarmWidget::signalSearchFinish, &wait, &ziraz::ChaseDialog::OnStopChaseByAccept);
    wait.exec();
    if (m_pAlarmModel->rowCount() == 0)
        ziraz::WarningDialog::showWarningDialog(2000, 2, tr("No Alarm had been searched"), this, nullptr, nullptr,
                                                m_lstIconPaths, QSize(310, 120));
}

void CAlarmWidget::onReceiveData(std::vector<COMMON_MSG_INFO> vsCommonMsgInfo) {
    --m_iPendingResults;
    m_pAlarmModel->AddAlarmInfos(vsCommonMsgInfo);
    // The rows follow the order the header's arrow shows (by time unless
    // the operator chose another column), and their times show whole.
    QTreeView* view = m_pUi->m_pMultiPageTreeView->GetTableView();
    view->sortByColumn(view->header()->sortIndicatorSection(), view->header()->sortIndicatorOrder());
    WidenColumnsToContents(view);
    m_pUi->m_pMultiPageTreeView->UpdatePage();
    if (m_iPendingResults == 0) emit signalSearchFinish();
}

void CAlarmWidget::onResetBtn() {
    m_pAlarmTypeModel->UncheckAll();
    m_pChannelModel->UncheckAll();
    m_pUi->m_pAlarmTypeWidget->clearChecked();
    m_pUi->m_pChannelWidget->clearChecked();
    const QDate today = QDate::currentDate();
    m_pUi->m_pRangeDateTimeEdit->setDateTimeRange(QDateTime(today, QTime(0, 0, 0), Qt::UTC), QDateTime(today, QTime(23, 59, 59), Qt::UTC));
    m_pAlarmModel->removeRows(0, m_pAlarmModel->rowCount());
}

bool CAlarmWidget::exportCsv(const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCDebug(lcKelUi, "open DeviceDatabase failed or Cannot open file for writing!");
        return false;
    }
    QTextStream out(&file);
    out << CsvField(tr("TimeOfOccurrence")) << "," << CsvField(tr("AlarmChannelNameJzmkhgDE")) << ","
        << CsvField(tr("AlarmType")) << "\n";
    for (int row = 0; row < m_pAlarmModel->rowCount(); ++row) {
        if (!m_pAlarmModel->index(row, 0).data(Qt::CheckStateRole).toBool()) continue;
        out << CsvField(m_pAlarmModel->index(row, 1).data().toString()) << ","
            << CsvField(m_pAlarmModel->index(row, 2).data().toString()) << ","
            << CsvField(m_pAlarmModel->index(row, 3).data().toString()) << "\n";
    }
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        qCDebug(lcKelUi, "open DeviceDatabase failed or Cannot open file for writing!");
        return false;
    }
    return true;
}

void CAlarmWidget::onExportBtn() {
    if (m_pAlarmModel->rowCount() == 0) {
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("NoDataCanBeExported"), this);
        return;
    }
    bool anyTicked = false;
    for (int row = 0; row < m_pAlarmModel->rowCount() && !anyTicked; ++row)
        anyTicked = m_pAlarmModel->index(row, 0).data(Qt::CheckStateRole).toBool();
    if (!anyTicked) {
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("SelectExportContentpbiCojov"), this);
        return;
    }
    // The dialog adds ".csv" to a name typed without it before it asks
    // about a file of that name; a name that still lacks it gets it here.
    QFileDialog dialog(this, tr("ExportLog"), QString(), tr("Files (*.csv)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString name = CsvFileName(dialog.selectedFiles().first());
    if (name.isEmpty()) return;
    if (!exportCsv(name)) return;
    ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("ExportSuccessful"), this);
}

QString CAlarmWidget::CsvFileName(const QString& name) {
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || trimmed.endsWith(QLatin1Char('/'))) return QString();
    if (trimmed.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) return trimmed;
    return trimmed + QStringLiteral(".csv");
}

QString CAlarmWidget::alarmCaption() {
    return tr("ChannelRKQ33T39") + QString::number(m_iAlarmChannel) + "-" + m_pAlarmModel->GetAlarmTypeName(m_iAlarmType);
}

void CAlarmWidget::onClickAction(QModelIndex miIndex, ziraz::ItemDataRole enumType) {
    if (!miIndex.isValid() || miIndex.column() != 4) return;
    // The alarm's times are recorder times, as the recordings' are.
    m_tAlarmStart = static_cast<time_t>(miIndex.data(alarmroles::kAlarmStartRole).toDouble());
    m_tAlarmEnd = static_cast<time_t>(miIndex.data(alarmroles::kAlarmEndRole).toDouble());
    m_iAlarmChannel = miIndex.data(alarmroles::kNumberRole).toInt();
    m_iAlarmType = static_cast<int>(miIndex.data(alarmroles::kAlarmTypeRole).toUInt());
    std::vector<time_t> times = {m_tAlarmStart, m_tAlarmEnd};
    const QStringList disks = getDiskPaths();

    if (enumType == ziraz::PictureActionRole) {
        if (!m_pCaptureView) m_pCaptureView = new CCaptureView(this);
        if (!m_pPicSearchThread) {
            m_pPicSearchThread = new CPicSearchThread();
            connect(m_pPicSearchThread, &CPicSearchThread::signalSendWriteOver, this, &CAlarmWidget::onSearchPicFinished);
        }
        if (m_pPicSearchThread->isRunning()) m_pPicSearchThread->StopSearch();
        // The wait dialog listens before the copy starts: a copy that ends at
        // once must still close it.
        ziraz::ChaseDialog wait(this, QStringLiteral(":/Quillmere/Images/Alarm/Loading.gif"), tr("SearchHCU29A3C"),
                                false);
        if (wait.titleBar()) wait.titleBar()->setCloseButtonShow(false);
        connect(m_pPicSearchThread, &CPicSearchThread::signalSendWriteOver, &wait,
                &ziraz::ChaseDialog::OnStopChaseByAccept);
        m_pPicSearchThread->StartSearch(disks, times, m_iAlarmChannel);
        wait.exec();
    } else if (enumType == ziraz::LiveViewActionRole) {
        if (m_pAlarmSearchThread->isRunning()) m_pAlarmSearchThread->StopSearch();
        releaseChannelFiles();
        m_pAlarmSearchThread->SetSearchMode(1);
        m_pAlarmSearchThread->StartSearch(disks, times, m_iAlarmChannel);
        m_videoView.setDownloadEnabled(false);
        m_videoView.exec();
    }
}

void CAlarmWidget::onSearchPicFinished() {
    if (!m_pCaptureView) return;
    m_pCaptureView->setTitleText(alarmCaption());
    m_pCaptureView->showAlarmPicture(m_iAlarmChannel, m_iAlarmType, m_tAlarmStart, m_tAlarmEnd);
    m_pCaptureView->exec();
}

void CAlarmWidget::onSearchFilesFinished() {
    QVector<ChannelFiles*> results;
    m_pAlarmSearchThread->GetResults(results);
    // Records of an earlier report not yet released go with this one.
    for (ChannelFiles* record : results)
        if (!m_vecChannelFiles.contains(record)) m_vecChannelFiles << record;
    if (results.isEmpty() || !m_videoView.playback() || !m_pAlarmModel) return;

    const QDateTime alarmStart = RecorderDateTime(m_tAlarmStart);
    const QDateTime alarmEnd = RecorderDateTime(m_tAlarmEnd);
    ChannelFiles* chosen = nullptr;
    std::vector<APT_QMR::CSingleFile*> collected;
    for (ChannelFiles* record : results) {
        if (!record) continue;
        for (APT_QMR::CSingleFile* file : record->SingleFileList) {
            if (!file) continue;
            if (RecorderDateTime(file->StartTime) <= alarmStart &&
                RecorderDateTime(file->EndTime) >= alarmStart)
                collected.push_back(file);
        }
        if (!collected.empty()) {
            chosen = record;
            break;
        }
    }
    if (!chosen) return;

    auto* record = new ChannelFiles();
    record->DiskName = chosen->DiskName;
    record->DeviceName = chosen->DeviceName;
    record->ChannelInfo = chosen->ChannelInfo;
    record->StartTime = alarmStart.date();
    record->EndTime = alarmEnd.date();
    record->SingleFileList = collected;

    m_videoView.setStartTime(m_tAlarmStart);
    m_videoView.setEndTime(m_tAlarmEnd);
    m_videoView.setTitle(alarmCaption());
    APT_QMR::CPlayBackInteraction* playback = m_videoView.playback();
    playback->SetDownLoadFileType(0);
    playback->SetChannel(chosen->ChannelInfo);
    playback->SetFileList(collected);
    playback->SetChannelFiles(record);
    playback->SeekTo(m_tAlarmStart);
    m_videoView.startPlay(m_tAlarmStart);
}
