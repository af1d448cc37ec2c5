// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayControlBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QSpacerItem>
#include <QToolButton>
#include <QWidgetAction>

#include "Playback/PlayBackInteraction.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "Playback/SynPlaybackInteraction.h"
#include "ziraz/sharetools.h"

#include "Map/ViewMapWidget.h"

using APT_QMR::CPlayBackInteraction;

// The bar's pictures live in this static library: register them once.
static void InitBarImages() {
    static const bool done = [] {
        Q_INIT_RESOURCE(playcontrolbar);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

const QString kButtons(":/Quillmere/Images/PlayBack/Buttons/");

QString SpeedPicture(int step) {
    static const char* const names[] = {"beishu_1_16.png", "beishu_1_8.png", "beishu_1_4.png",
                                        "beishu_1_2.png",  "beishu_1.png",   "beishu_2.png",
                                        "beishu_4.png",    "beishu_8.png",   "beishu_16.png"};
    if (step < -4 || step > 4) return QString();
    return QString::fromLatin1(names[step + 4]);
}

PlayControlBar::MapDialogFactory& Factory() {
    static PlayControlBar::MapDialogFactory factory;
    return factory;
}

QWidget* DefaultMapDialog(PlayControlBar* bar) {
    return new ViewMapWidget(bar);
}

}  // namespace

void PlayControlBar::SetMapDialogFactory(MapDialogFactory factory) { Factory() = std::move(factory); }

// ---------------------------------------------------------------- layout menu

LayoutMenu::LayoutMenu(QWidget* parent) : ziraz::PlaneMenu(parent) {
    setObjectName("PlayControlBar_LayoutMenu");
    setFixedSize(322, 88);
}

bool LayoutMenu::event(QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
        auto* me = dynamic_cast<QMouseEvent*>(e);
        if (me && !geometry().contains(me->globalPos())) {
            setAttribute(Qt::WA_NoMouseReplay);
            hide();
        }
        return true;
    }
    return ziraz::PlaneMenu::event(e);
}

// ---------------------------------------------------------------- bar

PlayControlBar::PlayControlBar(QWidget* parent) : ziraz::Widget(parent) {
    InitBarImages();
    setupForm();
    setObjectName("Quillmere_PlayControlBar");
    setFixedHeight(45);

    const char* names[4] = {"PlayControlBar_OneWindowBtn", "PlayControlBar_FourWindowBtn",
                            "PlayControlBar_NineWindowBtn", "PlayControlBar_SixteenWindowBtn"};
    const int counts[4] = {1, 4, 9, 16};
    for (int i = 0; i < 4; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(names[i]);
        button->setFixedSize(64, 42);
        // A style sheet that gives a tool button only an image leaves it to
        // the platform style, which does not draw the image: the transparent
        // border makes the style sheet draw the button, picture included.
        button->setStyleSheet(QString("QToolButton{image:url(:/Quillmere/Images/PlayBack/Buttons/fenping%1_nor.png);"
                                      "border: 1px solid transparent;}"
                                      "\t\tQToolButton:hover{image:url(:/Quillmere/Images/PlayBack/Buttons/"
                                      "fenping%1_hov.png); border: 1px solid #15a4fa;}")
                                  .arg(counts[i]));
        m_layoutButtons << button;
    }
    m_layoutMenu = new LayoutMenu(nullptr);
    auto* holder = new ziraz::Widget(this);
    holder->setObjectName("LayoutMenu_Widget");
    holder->setFixedSize(318, 86);
    holder->setContentsMargins(2, 0, 0, 10);
    auto* row = new QHBoxLayout(holder);
    row->setSpacing(14);
    for (QToolButton* b : m_layoutButtons) row->addWidget(b);
    auto* action = new QWidgetAction(m_layoutMenu);
    action->setDefaultWidget(holder);
    m_layoutMenu->addAction(action);

    m_reversePlay->hide();
    m_reSingleFrame->hide();
    m_speedPicture = "beishu_1.png";
    m_speedLabel->setPixmap(QPixmap(kButtons + m_speedPicture));
    m_sound->setIcons(kButtons + "sound.png", kButtons + "jingyin_nor.png",
                      QStringLiteral(":/CommonSkin/Volume/Images/Public/Control/Volume/OpenSound.png"),
                      QStringLiteral(":/CommonSkin/Volume/Images/Public/Control/Volume/CloseSound.png"));
    m_sound->setIcon(QIcon(kButtons + "sound.png"));
    m_map = Factory() ? Factory()(this) : DefaultMapDialog(this);
    initConnect();
    setAllButtonsEnabled(false);
    // Disabled from the start, with their disabled faces: the start button has
    // no other picture until the first state report.
    m_start->setIcon(QIcon(kButtons + "bofang_dis.png"));
    m_sound->setIcon(QIcon(kButtons + "sound_dis.png"));
}

PlayControlBar::~PlayControlBar() {
    delete m_layoutMenu;
    delete m_map;
}

QToolButton* PlayControlBar::makeButton(const char* name, const QString& tip) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setFixedSize(20, 20);
    button->setToolTip(tip);
    button->setText(QString());
    m_layout->addWidget(button);
    return button;
}

void PlayControlBar::setupForm() {
    resize(825, 49);
    setWindowTitle(tr("PlayControlBar"));
    m_layout = new QHBoxLayout(this);
    m_layout->setObjectName("horizontalLayout");
    m_layout->setSpacing(6);
    m_layout->setContentsMargins(11, 11, 11, 11);
    m_playAll = makeButton("playAllBtn", tr("Play All"));
    m_pauseAll = makeButton("pauseAllBtn", tr("Pause All"));
    m_restoreAll = makeButton("restoreAllBtn", tr("Normal All"));
    m_closeAll = makeButton("closeAllBtn", tr("Close All"));
    m_reversePlay = makeButton("reversePlayBtn", tr("Reverse Play"));
    m_start = makeButton("btnStart", tr("Start"));
    m_stop = makeButton("btnStop", tr("Stop"));
    m_reSingleFrame = makeButton("reSingleFrameBtn", tr("Single Frame(Reverse)"));
    m_singleFrame = makeButton("singleFrameBtn", tr("Single Frame"));
    m_slow = makeButton("btnSlow", tr("Slow Forward"));
    m_speedLabel = new ziraz::Label(this);
    m_speedLabel->setObjectName("speedLabel");
    m_layout->addWidget(m_speedLabel);
    m_fast = makeButton("btnFast", tr("Fast Forward"));
    m_sync = makeButton("btnSync", tr("Synchronous Playback"));
    m_unSync = makeButton("btnUnSync", tr("Asynchronous Playback"));
    m_sound = new ziraz::VolumeButton(this);
    m_sound->setObjectName("soundBtn");
    m_sound->setFixedSize(20, 20);
    m_sound->setToolTip(tr("Volume"));
    m_layout->addWidget(m_sound);
    m_spacer = new QSpacerItem(328, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_layout->addItem(m_spacer);
    m_cut = makeButton("cutBtn", tr("Clip"));
    m_winInfo = makeButton("winInfoBtn", tr("Windown Infomation"));
    m_layoutBtn = makeButton("layoutBtn", tr("Layout"));
    m_mapBtn = makeButton("mapBtn", tr("Map"));
    m_fullScreen = makeButton("fullScreenBtn", tr("Full Screen"));
}

void PlayControlBar::initConnect() {
    auto check = [](bool ok, int line) {
        if (!ok)
            ShareTools::debugMessage(QString("connect failure! ..\\..\\..\\src\\Quillmere\\ui\\PlayControlBar\\PlayControlBar:%1"
                                             " in PlayControlBar::initConnect")
                                         .arg(line));
    };
    check(connect(m_layoutButtons[0], &QToolButton::clicked, this, &PlayControlBar::oneScreenSplit), __LINE__);
    check(connect(m_layoutButtons[1], &QToolButton::clicked, this, &PlayControlBar::fourScreenSplit), __LINE__);
    check(connect(m_layoutButtons[2], &QToolButton::clicked, this, &PlayControlBar::nineScreenSplit), __LINE__);
    check(connect(m_layoutButtons[3], &QToolButton::clicked, this, &PlayControlBar::sixteenScreenSplit), __LINE__);
    for (QToolButton* b : m_layoutButtons)
        check(connect(b, &QToolButton::clicked, this, &PlayControlBar::onCloseLayoutMenu), __LINE__);
    check(connect(m_fullScreen, &QToolButton::clicked, this, &PlayControlBar::signalFullScreen), __LINE__);
    check(connect(m_winInfo, &QToolButton::clicked, this, &PlayControlBar::signalPlayTitle), __LINE__);
    check(connect(m_playAll, &QToolButton::clicked, this, &PlayControlBar::signalPlayAll), __LINE__);
    check(connect(m_pauseAll, &QToolButton::clicked, this, &PlayControlBar::signalPauseAll), __LINE__);
    check(connect(m_restoreAll, &QToolButton::clicked, this, &PlayControlBar::signalRestoreAll), __LINE__);
    check(connect(m_closeAll, &QToolButton::clicked, this, &PlayControlBar::signalCloseAll), __LINE__);
    check(connect(m_start, &QToolButton::clicked, this, &PlayControlBar::signalPlay), __LINE__);
    check(connect(m_stop, &QToolButton::clicked, this, &PlayControlBar::signalStop), __LINE__);
    check(connect(m_sync, &QToolButton::clicked, this, &PlayControlBar::signalSync), __LINE__);
    check(connect(m_unSync, &QToolButton::clicked, this, &PlayControlBar::signalUnSync), __LINE__);
    check(connect(m_fast, &QToolButton::clicked, this, &PlayControlBar::signalFast), __LINE__);
    check(connect(m_slow, &QToolButton::clicked, this, &PlayControlBar::signalSlow), __LINE__);
    check(connect(m_singleFrame, &QToolButton::clicked, this, &PlayControlBar::signalFrame), __LINE__);
    check(connect(m_sound, &ziraz::VolumeButton::SignalSoundOpened, this,
                  [this](bool on) { onSoundStateChanged(on, m_sound->value()); }),
          __LINE__);
    check(connect(m_sound, &ziraz::VolumeButton::SignalVolumeValueChanged, this,
                  [this](int value) { onSoundStateChanged(m_sound->soundOn(), value); }),
          __LINE__);
    check(connect(m_cut, &QToolButton::clicked, this, &PlayControlBar::signalVideoCut), __LINE__);
    check(connect(m_layoutBtn, &QToolButton::clicked, this, &PlayControlBar::onLayout), __LINE__);
    check(connect(m_mapBtn, &QToolButton::clicked, this, &PlayControlBar::onLoadMap), __LINE__);
}

void PlayControlBar::onSoundStateChanged(bool on, int value) {
    const bool stateChanged = on != m_soundOn;
    const bool valueChanged = value != m_volume;
    m_soundOn = on;
    m_volume = value;
    if (stateChanged) emit signalVoiceState(on);
    if (valueChanged) emit signalVoiceValue(value);
}

void PlayControlBar::onLayout() {
    const QPoint p = m_layoutBtn->mapToGlobal(QPoint(0, 0));
    m_layoutMenu->move(p.x() - 280, p.y() - 91);
    m_layoutMenu->show();
    m_layoutBtn->setFocus();
}

void PlayControlBar::onCloseLayoutMenu() {}

void PlayControlBar::onLoadMap() {
    auto* map = qobject_cast<ViewMapWidget*>(m_map);
    if (!map) return;
    if (map->isVisible()) {
        map->hide();
    } else {
        map->setCenter();
        map->show();
    }
}

void PlayControlBar::onVehicleEnviMapShow(VEH_META_INFO vehInfo) {
    RUN_INFO point;
    static_assert(sizeof(RUN_INFO) <= sizeof(VEH_META_INFO) - 216, "RUN_INFO lies inside the record");
    memcpy(&point, reinterpret_cast<const char*>(&vehInfo) + 216, sizeof(RUN_INFO));
    if (auto* map = qobject_cast<ViewMapWidget*>(m_map)) map->addTracePoint(point);
}

void PlayControlBar::onReloadMap() {
    if (auto* map = qobject_cast<ViewMapWidget*>(m_map)) map->reloadMap();
}

void PlayControlBar::closeMapWidget() {
    if (m_map) m_map->close();
}

void PlayControlBar::clearMapTrace() {
    if (auto* map = qobject_cast<ViewMapWidget*>(m_map)) map->removeTrace();
}

void PlayControlBar::setControlBtnEnabled(bool start, bool stop, bool frame, bool slow, bool fast, bool sync,
                                          bool unsync, bool sound) {
    m_start->setEnabled(start);
    m_stop->setEnabled(stop);
    m_singleFrame->setEnabled(frame);
    m_slow->setEnabled(slow);
    m_fast->setEnabled(fast);
    m_sync->setEnabled(sync);
    m_unSync->setEnabled(unsync);
    m_sound->setEnabled(sound);
    if (!start) m_start->setIcon(QIcon(kButtons + "bofang_dis.png"));
    if (!sound) m_sound->setIcon(QIcon(kButtons + "sound_dis.png"));
}

void PlayControlBar::setStartFace(bool pause) {
    if (pause) {
        m_start->setIcon(QIcon(kButtons + "pause.png"));
        m_start->setToolTip(tr("Pause"));
    } else {
        m_start->setIcon(QIcon(kButtons + "bofang_nor .png"));
        m_start->setToolTip(tr("Start"));
    }
}

void PlayControlBar::setSpeedState(int step) {
    if (step == 4) m_fast->setEnabled(false);
    if (step == -4) m_slow->setEnabled(false);
    const QString name = SpeedPicture(step);
    if (name.isEmpty()) return;
    m_speedPicture = name;
    m_speedLabel->setPixmap(QPixmap(kButtons + name));
}

void PlayControlBar::setVoiceState(bool soundOn, int volume) {
    m_soundOn = soundOn;
    m_volume = soundOn ? volume : 32767;
    const QSignalBlocker block(m_sound);
    m_sound->setStateValue(soundOn, m_volume);
    m_sound->setIcon(QIcon(soundOn ? kButtons + "sound.png" : kButtons + "jingyin_nor.png"));
}

void PlayControlBar::onControlBtnState(int id, void* ptr) {
    auto* model = static_cast<PlaybackGridModel*>(ptr);
    if (!model) return;
    const QMap<int, CPlayBackInteraction*>& map = model->interactionMap();
    auto fileOpen = [](CPlayBackInteraction* ia) { return ia && ia->GetState().fileOpen; };

    if (model->isSyncRunning()) {
        APT_QMR::SynPlaybackInteraction* group = model->syncGroup();
        // Leaving the step takes a playing window to pick, while any plays;
        // once all have ended it always can.
        const bool unsync = fileOpen(map.value(id, nullptr));
        bool speedShown = true;
        if (map.isEmpty()) {
            setControlBtnEnabled(false, false, false, false, false, false, false, false);
            setStartFace(false);
            setSpeedState(0);
            speedShown = false;
        } else if (!group->HasActiveWindow()) {
            setControlBtnEnabled(true, false, false, false, false, false, true, false);
            setStartFace(false);
            setSpeedState(0);
            speedShown = false;
        } else if (group->IsPlaying() && !group->IsPaused() && !group->IsSingleFrame()) {
            setControlBtnEnabled(true, true, true, true, true, false, unsync, true);
            setStartFace(true);
        } else if (group->IsPaused()) {
            setControlBtnEnabled(true, true, false, false, false, false, unsync, true);
            setStartFace(false);
        } else if (group->IsSingleFrame()) {
            setControlBtnEnabled(true, true, true, false, false, false, unsync, true);
            setStartFace(false);
        } else {
            speedShown = false;
        }
        if (speedShown) setSpeedState(group->GetSpeed());
        CPlayBackInteraction* ia = map.value(id, nullptr);
        if (!fileOpen(ia)) {
            m_sound->setEnabled(false);
            m_sound->setIcon(QIcon(kButtons + "sound_dis.png"));
        } else {
            m_sound->setEnabled(true);
            const CPlayBackInteraction::State state = ia->GetState();
            setVoiceState(state.soundOn, state.volume);
        }
    } else {
        CPlayBackInteraction* ia = map.value(id, nullptr);
        const CPlayBackInteraction::State state = ia ? ia->GetState() : CPlayBackInteraction::State();
        bool showCell = false;
        if (!ia || !ia->HasChannelFiles()) {
            setControlBtnEnabled(false, false, false, false, false, true, false, false);
            m_start->setToolTip(tr("Start"));
        } else if (!state.fileOpen) {
            setControlBtnEnabled(true, false, false, false, false, true, false, false);
            setStartFace(false);
        } else if (state.playing) {
            setControlBtnEnabled(true, true, true, true, true, true, false, true);
            setStartFace(true);
            showCell = true;
        } else if (state.paused) {
            setControlBtnEnabled(true, true, false, false, false, true, false, true);
            setStartFace(false);
            showCell = true;
        } else if (state.singleFrame) {
            setControlBtnEnabled(true, true, true, false, false, true, false, true);
            setStartFace(false);
            showCell = true;
        }
        if (showCell) {
            setSpeedState(state.speed);
            setVoiceState(state.soundOn, state.volume);
        }
    }

    bool playAll = false, pauseAll = false, restoreAll = false, closeAll = false;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        CPlayBackInteraction* ia = it.value();
        if (!ia) continue;
        const CPlayBackInteraction::State state = ia->GetState();
        if (ia->HasChannelFiles() && !state.fileOpen) playAll = true;
        if (state.fileOpen) {
            closeAll = true;
            if (state.playing) pauseAll = true;
            else if (state.singleFrame || state.paused) restoreAll = true;
        }
    }
    m_playAll->setEnabled(playAll);
    m_pauseAll->setEnabled(pauseAll);
    m_restoreAll->setEnabled(restoreAll);
    m_closeAll->setEnabled(closeAll);
}

void PlayControlBar::setPlayAllEnabled(bool on) { m_playAll->setEnabled(on); }
void PlayControlBar::setPauseAllEnabled(bool on) { m_pauseAll->setEnabled(on); }
void PlayControlBar::setRestoreAllEnabled(bool on) { m_restoreAll->setEnabled(on); }
void PlayControlBar::setCloseAllEnabled(bool on) { m_closeAll->setEnabled(on); }
void PlayControlBar::setStartEnabled(bool on) { m_start->setEnabled(on); }
void PlayControlBar::setStopEnabled(bool on) { m_stop->setEnabled(on); }
void PlayControlBar::setFrameEnabled(bool on) { m_singleFrame->setEnabled(on); }
void PlayControlBar::setSlowEnabled(bool on) { m_slow->setEnabled(on); }
void PlayControlBar::setFastEnabled(bool on) { m_fast->setEnabled(on); }
void PlayControlBar::setSyncEnabled(bool on) { m_sync->setEnabled(on); }
void PlayControlBar::setUnSyncEnabled(bool on) { m_unSync->setEnabled(on); }
void PlayControlBar::setSoundEnabled(bool on) { m_sound->setEnabled(on); }

void PlayControlBar::setAllButtonsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_start, m_stop, m_singleFrame, m_slow, m_fast, m_sync, m_unSync,
                                                      m_sound, m_playAll, m_pauseAll, m_restoreAll, m_closeAll})
        w->setEnabled(on);
}
