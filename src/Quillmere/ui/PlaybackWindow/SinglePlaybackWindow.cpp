// SPDX-License-Identifier: GPL-3.0-or-later
#include "SinglePlaybackWindow.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "storage/RecorderTime.h"
#include "storage/CommonHelpers.h"
#include "Playback/PlayBackInteraction.h"
#include "Playback/PlaybackGlobals.h"
#include "PlaybackGridModel.h"
#include "PlaybackModes.h"
#include "common/ScreenNote.h"
#include "storage/Settings.h"
#include "Playback/SynPlaybackInteraction.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"

#include "Download/PlaybackDownLoad.h"

using APT_QMR::CPlayBackInteraction;

// The cells' pictures live in this static library: register them once.
static void InitCellImages() {
    static const bool done = [] {
        Q_INIT_RESOURCE(playbackwindow);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

const char* const kButtonStyle =
    " QToolButton{border: transparent;color: rgb(255, 255, 255);}QToolButton:hover{border-image: "
    "url(:/images/MainView/Preview/hover.png);}";
const char* const kPauseIcon = ":/Quillmere/Images/PlayBack/Windows/pause.png";
const char* const kStartIcon = ":/Quillmere/Images/PlayBack/Buttons/bofang_nor .png";
const char* const kRecordDisIcon = ":/Playback/preview/Images/PlayBack/Preview/record_proview_dis.png";
const char* const kRecordingIcon = ":/Playback/preview/Images/PlayBack/Preview/little_record_nor.png";
const char* const kRecordIcon = ":/Quillmere/Images/PlayBack/Windows/record.png";
const char* const kZoomCursor = ":/Playback/preview/Images/PlayBack/Preview/eZoom.png";
const char* const kPreview = ":/Playback/preview/Images/PlayBack/Preview/";

const float kClipFreeGiB = kDownloadMinFreeGiB;
const float kSnapshotFreeGiB = 0.5f;

QString SpeedText(int step) {
    static const char* const texts[] = {"1/16x", "1/8x", "1/4x", "1/2x", "1x", "2x", "4x", "8x", "16x"};
    if (step < -4 || step > 4) return QString();
    return QString::fromLatin1(texts[step + 4]);
}

QCursor ZoomCursor() {
    QPixmap pixmap(kZoomCursor);
    if (pixmap.isNull()) return QCursor(Qt::CrossCursor);
    return QCursor(pixmap, 11, 11);
}

}  // namespace

SinglePlaybackWindow::SinglePlaybackWindow(PlaybackGridModel* model, QWidget* parent) : CPlayerFrame(parent) {
    InitCellImages();
    m_link = new Link{this, model};

    m_speedLabel = new QLabel(this);
    m_speedLabel->setObjectName("m_pSpeedLabel");
    m_speedLabel->setAlignment(Qt::AlignCenter);
    m_speedLabel->setStyleSheet("QLabel{background-color:rgb(0,0,0);color:rgb(255,255,255);font-size:14px;}");
    m_speedLabel->hide();

    m_timeLabel = new QLabel("0000-00-00 00:00:00", this);
    m_timeLabel->setObjectName("m_pTimeLabel");
    m_timeLabel->setStyleSheet(
        "QLabel#m_pTimeLabel{background-color:rgb(67,68,69);color:rgb(114,147,164);font-size:11px;font:bold;}");

    m_titleLabel = new ziraz::Label(this);
    m_titleLabel->setObjectName("m_pTitlelabel");
    m_titleLabel->setStyleSheet("QLabel#m_pTitlelabel{background-color:rgb(67,68,69);color:rgb(114,147,164);font:bold;}");
    m_titleLabel->setContentsMargins(0, 0, 6, 0);  // a gap before the time

    m_osdTimer = new QTimer(this);
    m_osdTimer->setInterval(300);

    m_captureBtn = setupToolButton("PlayBottom_CaptureBtn", tr("Capture"), QString());
    m_recordBtn = setupToolButton("PlayBottom_RecordBtn", tr("Start Recording"), kRecordDisIcon);
    m_pauseBtn = setupToolButton("PlayBottom_PauseBtn", tr("Pause"), kPauseIcon);
    m_stopBtn = setupToolButton("PlayBottom_StopBtn", tr("Stop Play"), QString());
    m_slowBtn = setupToolButton("PlayBottom_SlowBtn", tr("Slow Speed"), QString());
    m_fastBtn = setupToolButton("PlayBottom_FastBtn", tr("Fast Speed"), QString());
    m_frameBtn = setupToolButton("PlayBottom_FrameBtn", tr("Frame"), QString());
    bottomBar()->setToolButtons({m_captureBtn, m_recordBtn}, {m_pauseBtn, m_stopBtn, m_slowBtn, m_fastBtn, m_frameBtn});
    bottomBar()->updateLayout();
    setSliderVisible(false);
    setAutoShow(false);
    videoWidget()->setObjectName("videoSurface");
    videoWidget()->setStyleSheet("QFrame#videoSurface{background-color: rgb(0,0,0);}");

    m_closeBtn = new QPushButton(this);
    m_closeBtn->setObjectName("PlayFrame_CloseBtn");
    m_closeBtn->setFixedSize(16, 16);
    m_closeBtn->setStyleSheet(
        "QPushButton{ background-color:transparent; "
        "border-image:url(:/Quillmere/Images/PlayBack/Preview/CloseView.png); }QPushButton:hover{ "
        "border-image:url(:/Quillmere/Images/PlayBack/Preview/CloseViewHover.png); }");
    m_closeBtn->hide();

    m_zoomAction = new QAction(QIcon(QString(kPreview) + "eZoom.png"), tr("Digital Zoom"), this);
    m_zoomAction->setEnabled(false);
    m_downloadAction = new QAction(QIcon(QString(kPreview) + "DownLoad.png"), tr("DownLoad"), this);
    m_snapshotAction = new QAction(QIcon(QString(kPreview) + "snapshot.png"), tr("Snapshot"), this);
    m_snapshotAction->setEnabled(false);
    m_recordAction = new QAction(QIcon(QString(kPreview) + "record.png"), tr("Start Recording"), this);
    m_recordAction->setEnabled(false);
    m_soundAction = new QAction(QIcon(QString(kPreview) + "CloseSound.png"), tr("Open Sound"), this);
    m_soundAction->setEnabled(false);
    m_fullScreenAction =
        new QAction(QIcon(":/Quillmere/Images/PlayBack/Preview/quanpin_nor.png"), tr("Full Screen"), this);

    setAcceptDrops(true);
    setMouseTracking(true);
    videoWidget()->installEventFilter(this);
    videoWidget()->setMouseTracking(true);
    initConnect();
}

SinglePlaybackWindow::~SinglePlaybackWindow() {
    if (m_downloadDialog) delete m_downloadDialog.data();
    delete m_link;
}

QToolButton* SinglePlaybackWindow::setupToolButton(const QString& name, const QString& tip, const QString& icon) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setEnabled(false);
    button->setStyleSheet(kButtonStyle);
    if (!icon.isEmpty()) button->setIcon(QIcon(icon));
    return button;
}

void SinglePlaybackWindow::initConnect() {
    auto check = [](bool ok, int line) {
        if (!ok)
            ShareTools::debugMessage(
                QString("connect failure! %1:%2 in SinglePlaybackWindow::initConnect").arg(__FILE__).arg(line));
    };
    check(connect(videoWidget(), &QWidget::customContextMenuRequested, this,
                  &SinglePlaybackWindow::onRightMouseResponse),
          __LINE__);
    check(connect(m_zoomAction, &QAction::triggered, this, &SinglePlaybackWindow::onDigitalZoom), __LINE__);
    check(connect(m_downloadAction, &QAction::triggered, this, &SinglePlaybackWindow::onDownLoad), __LINE__);
    check(connect(m_snapshotAction, &QAction::triggered, this, &SinglePlaybackWindow::onSnapshot), __LINE__);
    check(connect(m_soundAction, &QAction::triggered, this, &SinglePlaybackWindow::onVoiceActionClicked), __LINE__);
    check(connect(m_recordAction, &QAction::triggered, this, &SinglePlaybackWindow::onRecord), __LINE__);
    check(connect(m_fullScreenAction, &QAction::triggered, this, &SinglePlaybackWindow::signalFullScreen), __LINE__);
    check(connect(m_captureBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onSnapshot), __LINE__);
    check(connect(m_recordBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onRecord), __LINE__);
    check(connect(m_stopBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onStop), __LINE__);
    check(connect(m_slowBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onSlow), __LINE__);
    check(connect(m_fastBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onFast), __LINE__);
    check(connect(m_frameBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onSingleFrame), __LINE__);
    check(connect(m_pauseBtn, &QToolButton::clicked, this, &SinglePlaybackWindow::onStartOrPause), __LINE__);
    check(connect(m_osdTimer, &QTimer::timeout, this, &SinglePlaybackWindow::onUpdateOSDTime), __LINE__);
    check(connect(this, &SinglePlaybackWindow::signalTimerStart, this, &SinglePlaybackWindow::startOsdTimer),
          __LINE__);
    check(connect(m_closeBtn, &QPushButton::clicked, this, &SinglePlaybackWindow::onCloseClicked), __LINE__);
}

// ---------------------------------------------------------------- helpers

CPlayBackInteraction* SinglePlaybackWindow::interaction() const {
    return m_link->model ? m_link->model->interaction(m_index) : nullptr;
}

bool SinglePlaybackWindow::hasFileOpen() const {
    CPlayBackInteraction* ia = interaction();
    return ia && ia->GetState().fileOpen;
}

bool SinglePlaybackWindow::isOsdTimerActive() const { return m_osdTimer->isActive(); }

void SinglePlaybackWindow::notice(const QString& text) {
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(text, this);
}

void SinglePlaybackWindow::showClipPath() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(ia->GetLastClipPath(), this, true, false, true);
}

void SinglePlaybackWindow::selectThis() {
    PlaybackGridModel* model = m_link->model;
    if (!model || model->selectedIndex() == m_index) return;
    model->select(m_index);
    emit signalSelected(m_index);
}

void SinglePlaybackWindow::refresh() {
    updateToolButtons();
    emit signalUpdateControlBar(m_index, m_link->model);
}

void SinglePlaybackWindow::refreshControls() { refresh(); }

void SinglePlaybackWindow::stopRecording() {
    CPlayBackInteraction* ia = interaction();
    if (!ia || !ia->GetState().clipping) return;
    ia->StopClip();
    showClipPath();
}

// ---------------------------------------------------------------- naming and title

void SinglePlaybackWindow::setWindowName(const QString& name) {
    setObjectName(name);
    setSelected(0);
}

void SinglePlaybackWindow::setTitle(const QString& title) {
    m_title = title;
    updateTitle();
}

void SinglePlaybackWindow::setChannelTitle(const QString& text) {
    m_channelText = text;
    updateTitle();
}

QString SinglePlaybackWindow::titleText() const { return m_titleLabel->wholeText(); }

void SinglePlaybackWindow::updateTitle() {
    // A narrow window shows the start of its name, cut with "…" clear of the
    // time beside it; the whole name is the label's tool tip then.
    m_titleLabel->setElidedText(m_channelText.isEmpty() ? m_title : m_title + ":" + m_channelText);
}

void SinglePlaybackWindow::setTitleHidden(bool hidden) {
    m_titleHidden = hidden;
    m_titleLabel->setVisible(!hidden);
    m_timeLabel->setVisible(!hidden);
    QWidget* video = videoWidget();
    const int m = m_nHorBorder;
    const int n = m_nVerBorder;
    if (hidden) video->setGeometry(video->x(), video->y() - 18, video->width(), video->height() + 18);
    else video->setGeometry(video->x(), video->y() + 18, video->width(), video->height() - 18);
    const int w = video->width();
    const int y = hidden ? n : n + 18;
    m_speedLabel->setGeometry(w - 2 * m - 58, y, 44, 28);
    m_closeBtn->setGeometry(w - 2 * m - 14, y, 16, 16);
}

void SinglePlaybackWindow::setChannel(APT_QMR::CChannel channel) {
    if (channel.GetChannelNumber() == -1) {
        videoWidget()->setUpdatesEnabled(true);
        videoWidget()->update();
    }
    setAutoShow(channel.GetChannelNumber() != -1);
}

// ---------------------------------------------------------------- controls

void SinglePlaybackWindow::onSelectedThis() { selectThis(); }

bool SinglePlaybackWindow::onNormal() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return false;
    if (!ia->Resume()) return false;
    refresh();
    return true;
}

void SinglePlaybackWindow::onPause() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    ia->Pause(true);
    refresh();
}

void SinglePlaybackWindow::onStop() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    if (ia->GetState().clipping) {
        ia->StopClip();
        showClipPath();
    }
    ia->StopPlayback();
    resetOsd();
    refresh();
}

void SinglePlaybackWindow::onCtrlSpeed(int speed) {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    if (ia->SetSpeed(speed)) updateSpeedText();
    refresh();
}

void SinglePlaybackWindow::onFast() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    selectThis();
    if (ia->Fast()) updateSpeedText();
    refresh();
}

void SinglePlaybackWindow::onSlow() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    selectThis();
    if (ia->Slow()) updateSpeedText();
    refresh();
}

void SinglePlaybackWindow::onSingleFrame() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    selectThis();
    ia->OneByOne();
    updateSpeedText();
    refresh();
}

void SinglePlaybackWindow::onSingleFrameBack() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    ia->OneByOneBack();
    refresh();
}

bool SinglePlaybackWindow::playFrom(time_t t) {
    if (t < 0) t = 0;
    CPlayBackInteraction* ia = interaction();
    if (!ia) return false;
    bool wasRecording = false;
    const CPlayBackInteraction::State state = ia->GetState();
    if (state.fileOpen && state.clipping) {
        ia->StopClip();
        showClipPath();
        wasRecording = true;
    }
    if (!ia->StartPlayback(videoWindow(), t)) return false;
    if (wasRecording) ia->StartClip(t);
    ia->SetDrawCallback(&SinglePlaybackWindow::DrawCallback, this);
    startOsdTimer();
    refresh();
    emit signalPlay();
    return true;
}

void SinglePlaybackWindow::onStartOrPause() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    selectThis();
    const CPlayBackInteraction::State state = ia->GetState();
    if (state.fileOpen) {
        if (!state.playing) {
            ia->Resume();
            ia->SetSpeed(state.speed);
        } else {
            ia->Pause(true);
        }
    } else {
        PlaybackGridModel* model = m_link->model;
        bool ok = false;
        if (model && model->isSyncRunning()) {
            APT_QMR::SynPlaybackInteraction* group = model->syncGroup();
            const time_t t = group->GetCurrentTime();
            const int speed = group->GetSpeed();
            ok = playFrom(t);
            if (ok) onCtrlSpeed(speed);
            group->AddInteraction(ia);
        } else {
            ok = playFrom(model ? model->earliestStart(m_index) : 0);
        }
        if (!ok) notice(tr("Cannot get video from disk."));
    }
    updateSpeedText();
    refresh();
}

void SinglePlaybackWindow::onRecord() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    if (ia->GetState().clipping) {
        stopRecording();
    } else {
        if (IsDiskSpaceLow(kClipFreeGiB, SettingKey::ClipSavePath)) {
            notice(tr("At least 2G disk space is need."));
            return;
        }
        CurrentCapturePage = g_saveFolderMode;
        if (ia->StartClip(-1)) notice(tr("start recording."));
        else notice(tr("start recording failed."));
    }
    refresh();
}

void SinglePlaybackWindow::onSnapshot() {
    const SettingKey key = g_saveFolderMode == 1 ? SettingKey::EvidencePictureSavePath : SettingKey::CaptureSavePath;
    if (IsDiskSpaceLow(kSnapshotFreeGiB, key)) {
        notice(tr("At least 512M disk space is need."));
        return;
    }
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    CurrentCapturePage = g_saveFolderMode;
    if (ia->Capture()) {
        ziraz::SnapshotInfoWnd::ShowInformationAtScreenRightBottom(ia->GetCapturePath(), this);
    } else {
        notice(tr("Snapshot failed."));
    }
}

void SinglePlaybackWindow::onUpdateOSDTime() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return;
    // One look at the player per tick: this runs every 300 ms in every
    // window that shows a file.
    const CPlayBackInteraction::State state = ia->GetState();
    switch (state.playerState) {
        case 1: notice(tr("Cannot get video from disk.")); onStop(); return;
        case 2: onStop(); return;
        case 3: notice(tr("Cannot find file.")); onStop(); return;
        case 4: notice(tr("Please set key.")); onStop(); return;
        case 5: notice(tr("Error key.")); onStop(); return;
        default: break;
    }
    if (state.endOfList) {
        reachedEnd();
        return;
    }
    if (state.clipping && IsDiskSpaceLow(kClipFreeGiB, SettingKey::ClipSavePath)) {
        notice(tr("At least 2G disk space is need."));
        stopRecording();
    }
    const time_t t = ia->GetPlayedTime();
    if (t < 0) return;
    emit signalPlayedTime(m_index, t);
    m_timeLabel->setText(RecorderDateTime(t).toString("yyyy-MM-dd hh:mm:ss"));
    PlaybackGridModel* model = m_link->model;
    if (model && model->selectedIndex() == m_index && !model->isSyncRunning()) emit signalCurrentTime(t);
    // Held on a picture whose time shows, with the player waiting for its
    // next control: nothing changes until one comes, which starts the timer
    // again (onPlayControl).
    if (state.resting) stopOsdTimer();
}

void SinglePlaybackWindow::onPlayControl() {
    if (hasFileOpen()) startOsdTimer();
}

void SinglePlaybackWindow::stopAtSearchEnd() { reachedEnd(); }

void SinglePlaybackWindow::reachedEnd() {
    onStop();
    // The grid gathers the windows that end into one notice; a window on
    // its own tells it itself.
    if (isSignalConnected(QMetaMethod::fromSignal(&SinglePlaybackWindow::signalReachedEnd)))
        emit signalReachedEnd(m_index);
    else
        notice(tr("The video has reach the end."));
}

void SinglePlaybackWindow::onDownLoad() {
    selectThis();
    if (!m_downloadDialog) {
        PlaybackGridModel* model = m_link->model;
        DownloadCellAccess access;
        access.playback = [model](uint32_t i) { return model ? model->interaction(static_cast<int>(i)) : nullptr; };
        access.files = [model](uint32_t i) {
            return model ? model->files(static_cast<int>(i)) : std::vector<APT_QMR::CSingleFile*>();
        };
        auto* dialog = new CPlaybackDownLoad(access, static_cast<uint32_t>(m_index), this);
        m_downloadDialog = dialog;
        dialog->setChannel(m_pageMode);
        dialog->setSavePath(tr("RodoroZOD"));
        connect(dialog, SIGNAL(SignalBeginDownLoad()), this, SLOT(onSetDownState()));
    }
    auto* dialog = static_cast<CPlaybackDownLoad*>(m_downloadDialog.data());
    dialog->setTitleSuffix(titleText());
    dialog->InitDownloadFiles();
    dialog->setDiskKind(m_rbs);
    dialog->exec();
}

void SinglePlaybackWindow::onSetDownState() {}
void SinglePlaybackWindow::onPlaybackRemoteEvent(int) {}

bool SinglePlaybackWindow::onVoiceActionClicked() {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return false;
    if (!ia->GetState().soundOn) {
        PlaybackGridModel* model = m_link->model;
        if (model) {
            for (auto it = model->interactionMap().cbegin(); it != model->interactionMap().cend(); ++it)
                if (it.key() != m_index && it.value()) it.value()->StopSound();
        }
        ia->PlaySound();
    } else {
        ia->StopSound();
    }
    refresh();
    return true;
}

bool SinglePlaybackWindow::onSetVoiceState(bool open) {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return false;
    if (open) return ia->PlaySound();
    return ia->StopSound();
}

bool SinglePlaybackWindow::onSetVoiceValue(int value) {
    CPlayBackInteraction* ia = interaction();
    if (!ia) return false;
    return ia->SetVolume(static_cast<uint16_t>(qBound(0, value, 65535)));
}

void SinglePlaybackWindow::onCloseClicked() {
    selectThis();
    closeChannel();
    if (m_link->model) m_link->model->release(m_index);
    bottomBar()->hide();
    m_closeBtn->hide();
    refresh();
}

void SinglePlaybackWindow::closeChannel() {
    CPlayBackInteraction* ia = interaction();
    if (ia && ia->GetState().clipping) stopRecording();
    if (m_downloadDialog) {
        auto* dialog = static_cast<CPlaybackDownLoad*>(m_downloadDialog.data());
        dialog->setSavePath(tr("RodoroZOD"));
        dialog->OnStopDonload();
        dialog->hide();
        dialog->resetFrame();
    }
    onStop();
    APT_QMR::CChannel none;
    none.SetChannelNumber(-1);
    setChannel(none);
    setChannelTitle(QString());
}

void SinglePlaybackWindow::onUpdateVehInfo(VEH_META_INFO wehInfo) { emit signalVehInfo(wehInfo); }

void SinglePlaybackWindow::onClipFinished(QString path, bool saved) {
    if (!saved) notice(tr("The clip %1 could not be saved.").arg(path));
}

void SinglePlaybackWindow::onClipEndedBySeek(QString path) { ShowScreenNote(path); }

// ---------------------------------------------------------------- display

void SinglePlaybackWindow::startOsdTimer() {
    if (!m_osdTimer->isActive()) m_osdTimer->start();
    // The player draws into a child view of the video area here, and a
    // widget without updates holds back its children's too: the area keeps
    // repainting (its black background lies under the player's view).
}

void SinglePlaybackWindow::stopOsdTimer() { m_osdTimer->stop(); }

void SinglePlaybackWindow::resetOsd() {
    if (m_zoom) resetDigitalZoom();
    videoWidget()->setUpdatesEnabled(true);
    videoWidget()->update();
    m_osdTimer->stop();
    m_timeLabel->setText("0000-00-00 00:00:00");
    m_speedLabel->hide();
}

void SinglePlaybackWindow::pauseForSeek(bool pause) {
    if (pause) {
        CPlayBackInteraction* ia = interaction();
        if (ia && ia->GetState().fileOpen && ia->GetState().playing) {
            emit m_pauseBtn->clicked();
            m_pausedForSeek = true;
        }
    } else if (m_pausedForSeek) {
        emit m_pauseBtn->clicked();
        m_pausedForSeek = false;
    }
}

void SinglePlaybackWindow::updateSpeedText() {
    if (!m_overlay || !hasFileOpen()) return;
    m_speedLabel->setText(SpeedText(interaction()->GetState().speed));
    m_speedLabel->show();
    m_speedLabel->raise();
}

void SinglePlaybackWindow::setRecordButtons(bool on, bool allowed) {
    CPlayBackInteraction* ia = interaction();
    const bool clipping = ia && ia->GetState().clipping;
    if (!on) {
        m_recordBtn->setEnabled(false);
        m_recordBtn->setIcon(QIcon(kRecordDisIcon));
        m_captureBtn->setEnabled(false);
        return;
    }
    m_captureBtn->setEnabled(true);
    if (allowed) {
        m_recordBtn->setEnabled(true);
        m_recordBtn->setIcon(QIcon(clipping ? kRecordingIcon : kRecordIcon));
        m_recordBtn->setToolTip(clipping ? tr("Stop Recording") : tr("Start Recording"));
    } else if (clipping) {
        m_recordBtn->setEnabled(true);
        m_recordBtn->setIcon(QIcon(kRecordingIcon));
        m_recordBtn->setToolTip(tr("Stop Recording"));
    } else {
        m_recordBtn->setEnabled(false);
        m_recordBtn->setIcon(QIcon(kRecordDisIcon));
        m_recordBtn->setToolTip(tr("Start Recording"));
    }
}

void SinglePlaybackWindow::updateToolButtons() {
    CPlayBackInteraction* ia = interaction();
    const CPlayBackInteraction::State state = ia ? ia->GetState() : CPlayBackInteraction::State();
    const bool open = ia && state.fileOpen;
    auto startFace = [this]() {
        m_pauseBtn->setIcon(QIcon(kStartIcon));
        m_pauseBtn->setToolTip(tr("Start"));
    };
    if (m_synchronised) {
        m_fastBtn->hide();
        m_slowBtn->hide();
        m_frameBtn->hide();
        if (!open) {
            m_pauseBtn->show();
            startFace();
            m_pauseBtn->setEnabled(true);
            m_stopBtn->hide();
            setRecordButtons(false, false);
        } else {
            m_stopBtn->show();
            m_stopBtn->setEnabled(true);
            m_pauseBtn->hide();
            setRecordButtons(true, state.playing);
        }
        return;
    }
    for (QToolButton* b : {m_pauseBtn, m_stopBtn, m_slowBtn, m_fastBtn, m_frameBtn}) b->show();
    if (!open) {
        m_pauseBtn->setEnabled(ia != nullptr);
        startFace();
        for (QToolButton* b : {m_stopBtn, m_frameBtn, m_slowBtn, m_fastBtn}) b->setEnabled(false);
        setRecordButtons(false, false);
        return;
    }
    if (!state.playing) {
        if (state.paused || state.singleFrame) {
            m_pauseBtn->setEnabled(true);
            m_stopBtn->setEnabled(true);
            m_frameBtn->setEnabled(state.singleFrame);
            m_slowBtn->setEnabled(false);
            m_fastBtn->setEnabled(false);
            startFace();
            setRecordButtons(true, false);
        }
        return;
    }
    for (QToolButton* b : {m_pauseBtn, m_stopBtn, m_slowBtn, m_fastBtn, m_frameBtn}) b->setEnabled(true);
    m_pauseBtn->setIcon(QIcon(kPauseIcon));
    m_pauseBtn->setToolTip(tr("Pause"));
    const int speed = state.speed;
    if (speed >= 4) m_fastBtn->setEnabled(false);
    if (speed <= -4) m_slowBtn->setEnabled(false);
    setRecordButtons(true, true);
}

// ---------------------------------------------------------------- digital zoom

void SinglePlaybackWindow::onDigitalZoom() {
    CPlayBackInteraction* ia = interaction();
    if (!ia || !ia->GetState().fileOpen) return;
    m_zoom = !m_zoom;
    if (!m_zoom) {
        videoWidget()->setCursor(Qt::ArrowCursor);
        ia->SetDisplayRegion(0, 0, 0, 0);
    } else {
        m_corner1 = QPointF(-1, -1);
        m_corner2 = QPointF(-1, -1);
        if (m_pointerInside || videoWidget()->underMouse()) videoWidget()->setCursor(ZoomCursor());
    }
    m_regionA = false;
    m_regionB = false;
}

void SinglePlaybackWindow::resetDigitalZoom() {
    m_zoom = false;
    videoWidget()->setCursor(Qt::ArrowCursor);
    if (CPlayBackInteraction* ia = interaction()) ia->SetDisplayRegion(0, 0, 0, 0);
    m_regionA = false;
    m_regionB = false;
}

bool SinglePlaybackWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != videoWidget()) return CPlayerFrame::eventFilter(watched, event);
    QWidget* video = videoWidget();
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton) {
                m_pressPoint = me->localPos();
                m_dragArmed = true;
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            if (hasFileOpen() && m_dragArmed && (m_zoom || m_regionA) && !m_regionB && video->width() > 0 &&
                video->height() > 0) {
                const double w = video->width();
                const double h = video->height();
                m_corner1 = QPointF(m_pressPoint.x() / w, m_pressPoint.y() / h);
                m_corner2 = QPointF(qBound(0.0, me->localPos().x() / w, 1.0), qBound(0.0, me->localPos().y() / h, 1.0));
                video->repaint();
                update();
            }
            break;
        }
        case QEvent::MouseButtonRelease: {
            if (m_dragArmed && hasFileOpen()) {
                m_dragArmed = false;
                if (m_zoom) {
                    if (m_corner1.x() >= 0 && m_corner2.x() >= 0)
                        interaction()->SetDisplayRegion(static_cast<float>(m_corner1.x()), static_cast<float>(m_corner1.y()),
                                                        static_cast<float>(m_corner2.x()), static_cast<float>(m_corner2.y()));
                    m_corner1 = QPointF(-1, -1);
                    m_corner2 = QPointF(-1, -1);
                    update();
                }
            }
            break;
        }
        case QEvent::Enter:
            if (m_zoom) {
                m_pointerInside = true;
                video->setCursor(ZoomCursor());
            }
            break;
        case QEvent::Leave:
            video->setCursor(Qt::ArrowCursor);
            m_pointerInside = false;
            break;
        default:
            break;
    }
    return CPlayerFrame::eventFilter(watched, event);
}

void SinglePlaybackWindow::DrawCallback(int, void* dc, void* user) {
    auto* cell = static_cast<SinglePlaybackWindow*>(user);
    if (cell && dc) cell->drawOverlay(static_cast<QPainter*>(dc));
}

void SinglePlaybackWindow::drawOverlay(QPainter* painter) {
    const int W = videoWidget()->width();
    const int H = videoWidget()->height();
    painter->save();
    painter->setBrush(Qt::NoBrush);
    const bool unset1 = m_corner1 == QPointF(-1, -1);
    const bool unset2 = m_corner2 == QPointF(-1, -1);
    if (m_zoom) {
        if (!unset1 && !unset2) {
            painter->setPen(QPen(QColor(172, 168, 168), 1, Qt::SolidLine));
            const QPointF a(m_corner1.x() * W, m_corner1.y() * H);
            const QPointF b(qMin(m_corner2.x() * W, double(W - 1)), qMin(m_corner2.y() * H, double(H - 1)));
            painter->drawRect(QRectF(a, b));
            painter->drawLine(QPointF(a.x(), a.y()), QPointF(b.x(), a.y()));
            painter->drawLine(QPointF(b.x(), a.y()), QPointF(b.x(), b.y()));
            painter->drawLine(QPointF(b.x(), b.y()), QPointF(a.x(), b.y()));
            painter->drawLine(QPointF(a.x(), b.y()), QPointF(a.x(), a.y()));
        }
    } else {
        painter->setPen(QPen(Qt::red, 2, Qt::SolidLine));
        if (!m_regionB) {
            const bool neg1 = m_corner1.x() < 0 && m_corner1.y() < 0;
            const bool neg2 = m_corner2.x() < 0 && m_corner2.y() < 0;
            if (!neg1 && !neg2)
                painter->drawRect(QRectF(QPointF(m_corner1.x() * W, m_corner1.y() * H),
                                         QPointF(m_corner2.x() * W, m_corner2.y() * H)));
        } else {
            const int cols = W / 30;
            const int rows = H / 30;
            if (cols > 0 && rows > 0) {
                const int cw = W / cols;
                const int ch = H / rows;
                for (int r = 0; r < rows; ++r)
                    for (int c = 0; c < cols; ++c) painter->drawRect(c * cw, r * ch, cw, ch);
            }
        }
    }
    painter->restore();
}

// ---------------------------------------------------------------- context menu

void SinglePlaybackWindow::setActionStates(bool zoom, bool snapshot, bool record, bool download, bool sound,
                                           bool fullScreen) {
    m_zoomAction->setEnabled(zoom);
    m_zoomAction->setIcon(QIcon(QString(kPreview) + (zoom ? "eZoom.png" : "zoom_dis.png")));
    m_snapshotAction->setEnabled(snapshot);
    m_snapshotAction->setIcon(QIcon(QString(kPreview) + (snapshot ? "snapshot.png" : "capture_dis.png")));
    m_recordAction->setEnabled(record);
    if (!record) {
        m_recordAction->setIcon(QIcon(QString(kPreview) + "record_dis.png"));
        m_recordAction->setToolTip(tr("Start Recording"));
    }
    m_downloadAction->setEnabled(download);
    m_downloadAction->setIcon(QIcon(QString(kPreview) + (download ? "DownLoad.png" : "download_dis.png")));
    m_soundAction->setEnabled(sound);
    if (!sound) {
        m_soundAction->setIcon(QIcon(QString(kPreview) + "sound_dis.png"));
        m_soundAction->setText(tr("Close Sound"));
    }
    m_fullScreenAction->setEnabled(fullScreen);
    m_fullScreenAction->setIcon(QIcon(fullScreen ? QString(":/Quillmere/Images/PlayBack/Preview/quanpin_nor.png")
                                                 : QString(kPreview) + "full_screen_dis.png"));
}

QMenu* SinglePlaybackWindow::buildContextMenu() {
    CPlayBackInteraction* ia = interaction();
    if (!ia || !ia->HasChannelFiles()) return nullptr;
    delete m_menu;
    m_menu = new QMenu(this);
    m_menu->setStyleSheet("background:rgba(50, 51, 52, 0.8);");
    m_menu->setObjectName("SinglePlaybackWin_RightClick_Menu");
    m_menu->addAction(m_zoomAction);
    m_menu->addAction(m_snapshotAction);
    m_menu->addAction(m_recordAction);
    if (g_diskSearchMode == 1) m_menu->addAction(m_downloadAction);
    m_menu->addAction(m_soundAction);
    const bool full = m_gridFullScreen;
    m_fullScreenAction->setText(full ? tr("Exit Full Screen") : tr("Full Screen"));
    m_menu->addAction(m_fullScreenAction);

    const CPlayBackInteraction::State state = ia->GetState();
    const bool open = state.fileOpen;
    if (!open) {
        setActionStates(false, false, false, true, false, true);
        m_recordAction->setIcon(QIcon(QString(kPreview) + "record.png"));
        m_recordAction->setText(tr("Start Recording"));
    } else {
        const bool playing = state.playing;
        setActionStates(true, true, playing, true, true, true);
        if (state.soundOn) {
            m_soundAction->setIcon(QIcon(":/CommonSkin/Volume/Images/Public/Control/Volume/OpenSound.png"));
            m_soundAction->setText(tr("Close Sound"));
        } else {
            m_soundAction->setIcon(QIcon(QString(kPreview) + "CloseSound.png"));
            m_soundAction->setText(tr("Open Sound"));
        }
        const bool clipping = state.clipping;
        if (clipping) {
            m_recordAction->setIcon(QIcon(QString(kPreview) + "Recording.png"));
            m_recordAction->setText(tr("Stop Recording"));
        } else {
            m_recordAction->setIcon(QIcon(QString(kPreview) + "record.png"));
            m_recordAction->setText(tr("Start Recording"));
        }
        if (!playing) m_recordAction->setEnabled(clipping);
    }
    return m_menu;
}

void SinglePlaybackWindow::onRightMouseResponse(QPoint) {
    if (QMenu* menu = buildContextMenu()) menu->exec(QCursor::pos());
}

// ---------------------------------------------------------------- events

void SinglePlaybackWindow::onBottomShown() {
    m_overlay = true;
    updateSpeedText();
}

void SinglePlaybackWindow::onBottomHidden() {
    m_overlay = false;
    m_speedLabel->hide();
    setCursor(Qt::ArrowCursor);
}

void SinglePlaybackWindow::mousePressEvent(QMouseEvent* event) {
    selectThis();
    emit signalUpdateControlBar(m_index, m_link->model);
    CPlayerFrame::mousePressEvent(event);
}

void SinglePlaybackWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (hasFileOpen()) emit signalDoubleClicked(m_index);
    CPlayerFrame::mouseDoubleClickEvent(event);
}

void SinglePlaybackWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->source() == this) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void SinglePlaybackWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (event->source() == this) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void SinglePlaybackWindow::dropEvent(QDropEvent* event) {
    if (event->source() == this) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    emit signalAcceptDrop(m_index);
}

void SinglePlaybackWindow::enterEvent(QEvent* event) {
    if (interaction()) {
        m_closeBtn->show();
        m_closeBtn->raise();
    }
    updateToolButtons();
    CPlayerFrame::enterEvent(event);
}

void SinglePlaybackWindow::leaveEvent(QEvent* event) {
    m_closeBtn->hide();
    CPlayerFrame::leaveEvent(event);
}

void SinglePlaybackWindow::paintEvent(QPaintEvent* event) {
    if (hasFileOpen()) interaction()->RefreshPlay();
    CPlayerFrame::paintEvent(event);
}

void SinglePlaybackWindow::resizeEvent(QResizeEvent* event) {
    if (!m_layoutHold) {
        const int m = m_nHorBorder;
        const int n = m_nVerBorder;
        const int w = width();
        const int h = height();
        if (!m_titleHidden) {
            videoWidget()->setGeometry(1, 19, w - 2 * m, h - 2 * n - 18);
            // The time keeps the room its longest text needs in its own
            // (bold) font; the name takes the rest, a small gap apart.
            m_timeLabel->ensurePolished();
            const int timeWidth =
                qMax(125, m_timeLabel->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 8);
            m_titleLabel->setGeometry(m, n, qMax(0, w - 2 * m - timeWidth), 18);
            m_timeLabel->setGeometry(w - 2 * m - timeWidth, n, timeWidth, 18);
            m_speedLabel->setGeometry(w - 2 * m - 60, n + 18, 44, 28);
            m_closeBtn->setGeometry(w - 2 * m - 16, n + 18, 16, 16);
        } else {
            videoWidget()->setGeometry(1, 1, w - 2 * m, h - 2 * n);
            m_titleLabel->hide();
            m_timeLabel->hide();
            m_speedLabel->move(w - 2 * m - 60, n);
            m_closeBtn->move(w - 2 * m - 16, n);
        }
    }
    CPlayerFrame::resizeEvent(event);
}
