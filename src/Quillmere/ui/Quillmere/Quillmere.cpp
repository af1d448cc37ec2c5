// SPDX-License-Identifier: GPL-3.0-or-later
#include "Quillmere.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "OperateSelWidget.h"
#include "PageFactory.h"
#include "Playback/PlaybackGlobals.h"
#include "common/MapKeyHolder.h"
#include "storage/SetupCipher.h"
#include "TitleBar.h"
#include "ziraz/controls.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"
#include "ziraz/ziraz.h"

using namespace QuillmerePages;

static void InitQuillmereResources() { Q_INIT_RESOURCE(Quillmere); }

namespace {
void ReportConnectFailure(int line) {
    ShareTools::debugMessage(
        QString("connect failure! %1:%2 in Quillmere::initConnect").arg(QString::fromLatin1(__FILE__)).arg(line));
}

// A page widget with a grid layout of zero margins.
QGridLayout* PageGrid(QWidget* page, const char* gridName, bool zeroSpacing) {
    auto* grid = new QGridLayout(page);
    grid->setObjectName(gridName);
    grid->setContentsMargins(0, 0, 0, 0);
    if (zeroSpacing) grid->setSpacing(0);
    return grid;
}

// Left layout in column 0; right-top above right-bottom in column 1.
void ThreeAreas(QGridLayout* grid, QHBoxLayout*& left, QVBoxLayout*& rightTop, QVBoxLayout*& rightBottom,
                const char* leftName, const char* rightName, const char* topName, const char* bottomName) {
    left = new QHBoxLayout();
    left->setObjectName(leftName);
    grid->addLayout(left, 0, 0, 1, 1);
    auto* right = new QVBoxLayout();
    right->setObjectName(rightName);
    right->setSpacing(0);
    rightTop = new QVBoxLayout();
    rightTop->setObjectName(topName);
    right->addLayout(rightTop);
    rightBottom = new QVBoxLayout();
    rightBottom->setObjectName(bottomName);
    right->addLayout(rightBottom);
    grid->addLayout(right, 0, 1, 1, 1);
}

QHBoxLayout* OneArea(QGridLayout* grid, const char* name) {
    auto* layout = new QHBoxLayout();
    layout->setObjectName(name);
    grid->addLayout(layout, 0, 0, 1, 1);
    return layout;
}
}  // namespace

void Quillmere::Form::setupUi(QWidget* widget) {
    widget->resize(833, 636);
    gridLayout = new QGridLayout(widget);
    gridLayout->setObjectName("gridLayout");
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(0, 0, 0, 0);

    titleLayout = new QHBoxLayout();
    titleLayout->setObjectName("titleLayout");
    gridLayout->addLayout(titleLayout, 0, 0, 1, 1);

    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName("horizontalLayout_3");
    horizontalLayout_3->setSpacing(0);
    operateSelLayout = new QHBoxLayout();
    operateSelLayout->setObjectName("operateSelLayout");
    horizontalLayout_3->addLayout(operateSelLayout);
    stackedWidget = new ziraz::StackedWidget(widget);
    stackedWidget->setObjectName("stackedWidget");
    stackedWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    stackedWidget->setMinimumSize(0, 0);
    horizontalLayout_3->addWidget(stackedWidget);
    gridLayout->addLayout(horizontalLayout_3, 1, 0, 1, 1);

    playbackPage = new QWidget();
    playbackPage->setObjectName("playbackPage");
    ThreeAreas(PageGrid(playbackPage, "gridLayout_2", true), playbackPageLeftLayout, playbackPageRightTopLayout,
               playbackPageRightBottomLayout, "playbackPageLeftLayout", "playbackPageRightLayout",
               "playbackPageRightTopLayout", "playbackPageRightBottomLayout");
    stackedWidget->addWidget(playbackPage);

    evidencePlaybackPage = new QWidget();
    evidencePlaybackPage->setObjectName("evidencePlaybackPage");
    ThreeAreas(PageGrid(evidencePlaybackPage, "gridLayout_3", true), evidencepPlaybackPageLeftLayout,
               evidencepPlaybackPageRightTopLayout, evidencepPlaybackPageRightBottomLayout,
               "evidencepPlaybackPageLeftLayout", "evidencepPlaybackPageRightLayout",
               "evidencepPlaybackPageRightTopLayout", "evidencepPlaybackPageRightBottomLayout");
    stackedWidget->addWidget(evidencePlaybackPage);

    TrackPlaybackPage = new QWidget();
    TrackPlaybackPage->setObjectName("TrackPlaybackPage");
    TrackPlaybackLayout = OneArea(PageGrid(TrackPlaybackPage, "gridLayout_4", true), "TrackPlaybackLayout");
    stackedWidget->addWidget(TrackPlaybackPage);

    logPage = new QWidget();
    logPage->setObjectName("logPage");
    logPageLayout = OneArea(PageGrid(logPage, "gridLayout_5", false), "logPageLayout");
    stackedWidget->addWidget(logPage);

    alarmPage = new QWidget();
    alarmPage->setObjectName("alarmPage");
    alarmPageLayout = OneArea(PageGrid(alarmPage, "gridLayout_6", false), "alarmPageLayout");
    stackedWidget->addWidget(alarmPage);

    settingPage = new QWidget();
    settingPage->setObjectName("settingPage");
    settingPageLayout = OneArea(PageGrid(settingPage, "gridLayout_7", false), "settingPageLayout");
    stackedWidget->addWidget(settingPage);

    capturePlaybackPage = new QWidget();
    capturePlaybackPage->setObjectName("capturePlaybackPage");
    ThreeAreas(PageGrid(capturePlaybackPage, "gridLayout_8", false), capturePlaybackLeftLayout,
               capturePlaybackRightTopLayout, capturePlaybackRightBottomLayout, "capturePlaybackLeftLayout",
               "capturePlaybackRightLayout", "capturePlaybackRightTopLayout", "capturePlaybackRightBottomLayout");
    stackedWidget->addWidget(capturePlaybackPage);

    retranslateUi(widget);
    stackedWidget->setCurrentIndex(4);
}

void Quillmere::Form::retranslateUi(QWidget* widget) {
    widget->setWindowTitle(QCoreApplication::translate("QQuillmereClass", "Quillmere"));
}

Quillmere::Quillmere(QWidget* parent) : ziraz::MainWindow(parent, Qt::WindowFlags()), m_form(new Form) {
    InitQuillmereResources();
    checkDESetup();
    readMapKey();
    initUi();
    initConnect();
}

Quillmere::~Quillmere() {
    delete m_titleBar;
    m_titleBar = nullptr;
    delete m_operateSel;
    m_operateSel = nullptr;
    delete m_settingPage;
    m_settingPage = nullptr;
    delete m_logPage;
    m_logPage = nullptr;
    delete m_trackPage;
    m_trackPage = nullptr;
    delete m_vehicleData;
    m_vehicleData = nullptr;
    delete m_evidenceTimeAxis;
    m_evidenceTimeAxis = nullptr;
    delete m_alarmPage;
    m_alarmPage = nullptr;
    m_pageLayouts.clear();
    delete m_form;
    m_form = nullptr;
}

bool Quillmere::checkDESetup() {
    const QString folder = ziraz::GetTargetPath();
    const QString setupPath = folder + "DESetup.xml";
    const QString benchmarkPath = folder + "maintain/DESetup.xml.benchmark";
    const QString maintainPath = folder + "maintain/DESetup.xml";
    DESetupConfig* config = DESetupConfig::instance();

    if (!QFileInfo::exists(setupPath)) {
        if (!QFile::copy(benchmarkPath, setupPath)) return false;
        // The copy carries the segments of the benchmark, which every
        // installation shares; without fresh ones it must not stay, or later
        // starts would take it as this installation's own file.
        if (!config->WriteNewSegments(setupPath)) {
            QFile::remove(setupPath);
            return false;
        }
    }
    if (QFileInfo::exists(maintainPath)) config->Load(maintainPath);
    config->Load(setupPath);
    SetupCipher::GetInstance()->SwapKeys(config->GetKeys());
    return true;
}

void Quillmere::readMapKey() {
    QFile file(ziraz::GetTargetPath() + "map/api.txt");
    QString text;
    if (file.open(QIODevice::ReadOnly)) {
        text = QString::fromUtf8(file.readAll());
        file.close();
    }
    std::string plain;
    SetupCipher::GetInstance()->DecryptString(plain, text.toStdString());
    MapKeyHolder::instance()->setKey(QString::fromStdString(plain));
}

void Quillmere::initUi() {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);

    m_centralWidget = new ziraz::Widget(this);
    m_centralWidget->setObjectName("Quillmere__tCenterWidget");
    m_form->setupUi(m_centralWidget);
    setCentralWidget(m_centralWidget);

    m_operateSel = new OperateSelWidget(this);
    m_operateSel->setObjectName("Quillmere_OperateSelWidget");
    m_titleBar = new TitleBar(this);
    m_titleBar->setObjectName("Quillmere_TitleBar");
    m_form->titleLayout->addWidget(m_titleBar);
    m_form->operateSelLayout->addWidget(m_operateSel);
    m_form->stackedWidget->setCurrentIndex(0);

    m_trackPage = CreateTrackPage(this);
    m_trackPage->setObjectName("Quillmere_TrackPlaybackWidget");
    addPageWidget(PageTrack, AreaLeft, m_trackPage);

    m_settingPage = CreateSettingPage(this);
    m_settingPage->setObjectName("Quillmere_SettingWidget");
    addPageWidget(PageSetting, AreaLeft, m_settingPage);

    m_logPage = CreateLogPage(this);
    m_logPage->setObjectName("Quillmere_LogWidget");
    addPageWidget(PageLog, AreaLeft, m_logPage);

    m_alarmPage = CreateAlarmPage(this);
    m_alarmPage->setObjectName("Quillmere_AlarmWidget");
    addPageWidget(PageAlarm, AreaLeft, m_alarmPage);

    m_playbackArea = CreateControlArea(this, 0);
    addPageWidget(PagePlayback, AreaRightTop, m_playbackArea);

    m_vehicleData = CreateVehicleDataPanel(this);
    m_vehicleData->setFixedHeight(180);
    addPageWidget(PagePlayback, AreaRightBottom, m_vehicleData);

    m_playbackSearchBar = CreateSearchBar(this);
    SetSearchBarPanelMode(m_playbackSearchBar, 0);
    m_playbackSearchBar->setObjectName("Quillmere_SearchBar");
    m_playbackSearchBar->setFixedWidth(315);
    addPageWidget(PagePlayback, AreaLeft, m_playbackSearchBar);

    SetSearchBarControlArea(m_playbackSearchBar, m_playbackArea);

    setMinimumSize(1270, 760);
    setMaximumSize(10000, 10000);

    ControlAreaSetSearchBar(m_playbackArea, m_playbackSearchBar);
    ControlAreaSetTimeSlider(m_playbackArea, VehicleDataTimeAxis(m_vehicleData));
    ControlAreaSetVehicleDataWidget(m_playbackArea, m_vehicleData);
    ControlAreaConnectTimeUpdate(m_playbackArea);
    ControlAreaConnectVehicleDataUpdate(m_playbackArea);

    initEvidencePage();

    setWindowIcon(QIcon(":/Quillmere/Images/Title/logo_256.png"));
}

void Quillmere::initEvidencePage() {
    m_evidenceArea = CreateControlArea(this, 1);
    addPageWidget(PageEvidence, AreaRightTop, m_evidenceArea);

    m_evidenceTimeAxis = CreateWindowTimeAxis(this);
    m_evidenceTimeAxis->setFixedHeight(157);
    addPageWidget(PageEvidence, AreaRightBottom, m_evidenceTimeAxis);

    m_evidenceSearchBar = CreateSearchBar(this);
    SetSearchBarPanelMode(m_evidenceSearchBar, 1);
    m_evidenceSearchBar->setObjectName("Quillmere_SearchBar");
    m_evidenceSearchBar->setFixedWidth(315);
    addPageWidget(PageEvidence, AreaLeft, m_evidenceSearchBar);
    SetSearchBarControlArea(m_evidenceSearchBar, m_evidenceArea);

    setMinimumSize(1270, 760);
    setMaximumSize(10000, 10000);

    ControlAreaSetSearchBar(m_evidenceArea, m_evidenceSearchBar);
    ControlAreaSetTimeSlider(m_evidenceArea, m_evidenceTimeAxis);
    ControlAreaConnectTimeUpdate(m_evidenceArea);
    ControlAreaConnectTimeWithShowPicture(m_evidenceArea, m_evidenceSearchBar);
}

void Quillmere::addPageWidget(int pageBit, int area, QWidget* widget) {
    if (m_pageLayouts.isEmpty()) {
        m_pageLayouts.insert(PagePlayback | AreaLeft, m_form->playbackPageLeftLayout);
        m_pageLayouts.insert(PagePlayback | AreaRightTop, m_form->playbackPageRightTopLayout);
        m_pageLayouts.insert(PagePlayback | AreaRightBottom, m_form->playbackPageRightBottomLayout);
        m_pageLayouts.insert(PageTrack | AreaLeft, m_form->TrackPlaybackLayout);
        m_pageLayouts.insert(PageLog | AreaLeft, m_form->logPageLayout);
        m_pageLayouts.insert(PageAlarm | AreaLeft, m_form->alarmPageLayout);
        m_pageLayouts.insert(PageSetting | AreaLeft, m_form->settingPageLayout);
        m_pageLayouts.insert(PageEvidence | AreaLeft, m_form->evidencepPlaybackPageLeftLayout);
        m_pageLayouts.insert(PageEvidence | AreaRightTop, m_form->evidencepPlaybackPageRightTopLayout);
        m_pageLayouts.insert(PageEvidence | AreaRightBottom, m_form->evidencepPlaybackPageRightBottomLayout);
    }
    QLayout* layout = m_pageLayouts.value(pageBit | area, nullptr);
    if (!layout || !widget) return;
    ShareTools::clearLayout(layout);
    layout->addWidget(widget);
}

void Quillmere::connectPages(QObject* sender, const char* signal, QObject* receiver, const char* member, int line) {
    if (!sender || !receiver) return;
    if (!connect(sender, signal, receiver, member)) ReportConnectFailure(line);
}

void Quillmere::initConnect() {
    if (!connect(m_titleBar, &TitleBar::signalCheckUpdate, this, &Quillmere::signalCheckUpdate))
        ReportConnectFailure(__LINE__);
    for (int index : {0, 3, 4, 5, 2, 1}) {
        if (!connect(m_operateSel->button(index), &QToolButton::clicked, this, &Quillmere::onTabChanged))
            ReportConnectFailure(__LINE__);
    }
    if (!connect(this, SIGNAL(signalGetHelp()), m_titleBar, SLOT(onKeyF1Pressed()))) ReportConnectFailure(__LINE__);

    QWidget* vehicleTimeAxis = VehicleDataTimeAxis(m_vehicleData);
    if (vehicleTimeAxis) {
        connectPages(vehicleTimeAxis, SIGNAL(signalMouseClick(int, time_t)), m_playbackArea,
                     SLOT(onVideoTimeClicked(int, time_t)), __LINE__);
        connectPages(vehicleTimeAxis, SIGNAL(signalDrag(time_t)), m_playbackArea, SLOT(onVideoTimeDrag(time_t)),
                     __LINE__);
    }
    connectPages(m_evidenceTimeAxis, SIGNAL(signalMouseClick(int, time_t)), m_evidenceArea,
                 SLOT(onVideoTimeClicked(int, time_t)), __LINE__);
    connectPages(m_evidenceTimeAxis, SIGNAL(signalDrag(time_t)), m_evidenceArea, SLOT(onVideoTimeDrag(time_t)),
                 __LINE__);
    connectPages(this, SIGNAL(singalTabChanged()), m_settingPage, SLOT(isNeedSave()), __LINE__);
    connectPages(m_playbackSearchBar, SIGNAL(signalItemDoubleClickedMessage(QModelIndex)), m_playbackArea,
                 SLOT(onDoubleClickedPlay(QModelIndex)), __LINE__);
    connectPages(m_evidenceSearchBar, SIGNAL(signalItemDoubleClickedMessage(QModelIndex)), m_evidenceArea,
                 SLOT(onDoubleClickedPlay(QModelIndex)), __LINE__);
    connectPages(m_playbackSearchBar, SIGNAL(signalCover(bool)), this, SLOT(onEnableCover(bool)), __LINE__);
    connectPages(m_evidenceSearchBar, SIGNAL(signalCover(bool)), this, SLOT(onEnableCover(bool)), __LINE__);
    connectPages(m_settingPage, SIGNAL(signalReloadMap()), m_playbackArea, SIGNAL(signalReloadMap()), __LINE__);
    connectPages(m_settingPage, SIGNAL(signalReloadMap()), m_evidenceArea, SIGNAL(signalReloadMap()), __LINE__);
    connectPages(m_playbackSearchBar, SIGNAL(signalReloadDisk()), m_trackPage, SLOT(onReloadDisk()), __LINE__);
    connectPages(m_evidenceSearchBar, SIGNAL(signalReloadDisk()), m_trackPage, SLOT(onReloadDisk()), __LINE__);
    connectPages(m_playbackSearchBar, SIGNAL(signalReloadDisk()), m_logPage, SLOT(onReloadDisk()), __LINE__);
    connectPages(m_evidenceSearchBar, SIGNAL(signalReloadDisk()), m_logPage, SLOT(onReloadDisk()), __LINE__);
    connectPages(this, SIGNAL(signalKeyFast()), m_playbackArea, SIGNAL(signalKeyFast()), __LINE__);
    connectPages(this, SIGNAL(signalKeySlow()), m_playbackArea, SIGNAL(signalKeySlow()), __LINE__);
    connectPages(this, SIGNAL(signalKeyPlayAndPause()), m_playbackArea, SIGNAL(signalKeyPlayAndPause()), __LINE__);
    connectPages(this, SIGNAL(signalKeyFast()), m_evidenceArea, SIGNAL(signalKeyFast()), __LINE__);
    connectPages(this, SIGNAL(signalKeySlow()), m_evidenceArea, SIGNAL(signalKeySlow()), __LINE__);
    connectPages(this, SIGNAL(signalKeyPlayAndPause()), m_evidenceArea, SIGNAL(signalKeyPlayAndPause()), __LINE__);
}

QString Quillmere::version() const { return m_titleBar ? m_titleBar->version() : QString(); }

void Quillmere::onTabChanged() {
    QObject* from = sender();
    if (!from) return;
    const int index = from->property("s").toInt();
    if (m_navIndex == 5 && index != 5) emit singalTabChanged();
    m_navIndex = index;
    switch (index) {
    case 0:
    case 1:
        g_playbackMode = index;
        g_saveFolderMode = index;
        CurrentSyncGroup.store(index);
        CurrentCapturePage.store(index);
        m_form->stackedWidget->setCurrentIndex(index);
        break;
    case 2:
    case 3:
    case 4:
    case 5:
        m_form->stackedWidget->setCurrentIndex(index);
        break;
    default:
        break;
    }
}

void Quillmere::onEnableCover(bool on) {
    if (m_playbackArea) ControlAreaSetCover(m_playbackArea, on);
    if (on)
        enableCover();
    else
        disableCover();
}

void Quillmere::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_F1) emit signalGetHelp();
    if (key == Qt::Key_Space) emit signalKeyPlayAndPause();
    if (key == Qt::Key_Right) emit signalKeyFast();
    if (key == Qt::Key_Left) emit signalKeySlow();
}

void Quillmere::resizeEvent(QResizeEvent* event) { ziraz::MainWindow::resizeEvent(event); }

void Quillmere::closeEvent(QCloseEvent* event) {
    enableCover();
    const int answer = ziraz::WarningDlg::CheckMessageInfo(tr("Exit"), tr("Exit the KEL4.0 software?"), this);
    if (answer == 1) {
        ControlAreaStopAll(m_playbackArea);
        ControlAreaStopAll(m_evidenceArea);
        event->accept();
    } else {
        disableCover();
        event->ignore();
    }
    disableCover();
}
