// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackWindow.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMetaType>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "storage/RecorderTime.h"
#include "FindPosThread.h"
#include "common/LoadingWidget.h"
#include "Playback/PlayBackInteraction.h"
#include "PlayControlBar/PlayControlBar.h"
#include "PlaybackGridModel.h"
#include "SinglePlaybackWindow.h"
#include "Playback/SynPlaybackInteraction.h"
#include "VideoCutWidget.h"
#include "PlayControlBar/VideoTimeSliderWidget.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"

#include "SearchBar/SearchBarWidget.h"
#include "storage/KelLogging.h"

using APT_QMR::CPlayBackInteraction;
using APT_QMR::CSingleFile;

namespace {

void ReportConnectFailure(int line, const char* where) {
    ShareTools::debugMessage(QString("connect failure! %1:%2 in %3").arg(__FILE__).arg(line).arg(where));
}

bool HasFile(CPlayBackInteraction* ia) { return ia && ia->GetState().fileOpen; }

// A deep copy of a record and of each of its file records.
ChannelFiles* CopyRecord(const ChannelFiles* record) {
    auto* copy = new ChannelFiles(*record);
    for (auto& f : copy->SingleFileList)
        if (f) f = new CSingleFile(*f);
    return copy;
}

}  // namespace

PlaybackWindow::PlaybackWindow(QWidget* parent, int pageMode) : QFrame(parent), m_pageMode(pageMode) {
    m_model = new PlaybackGridModel();
    m_finder = new FindPosThread();
    m_layout = new QGridLayout(this);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);
    createDefaultScreen();
    m_splitMode = 1;
    ensureCells();
    relayout();
    m_savedSplitMode = 1;
    m_model->setOwner(this);
    m_model->setCells(m_cells);
    m_model->setPageMode(m_pageMode);
    connect(m_model, &PlaybackGridModel::signalSelectionChanged, this, &PlaybackWindow::onModelSelectionChanged);
    connect(m_model, &PlaybackGridModel::signalBinding, this, &PlaybackWindow::onModelBinding);
    connect(m_model, &PlaybackGridModel::signalBound, this, &PlaybackWindow::onModelBound);
    connect(m_model, &PlaybackGridModel::signalReleased, this, &PlaybackWindow::onModelReleased);
    m_alertIcons << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png"
                 << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png"
                 << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png";
    m_clipDialog = new VideoCutWidget(this);
    m_clipDialog->setFixedSize(400, 250);
    m_endedWindowsTimer = new QTimer(this);
    m_endedWindowsTimer->setSingleShot(true);
    m_endedWindowsTimer->setInterval(ziraz::InformationDlg::kDisplayMs);
    connect(m_endedWindowsTimer, &QTimer::timeout, this, [this] { m_endedWindows.clear(); });
}

PlaybackWindow::~PlaybackWindow() {
    if (m_finder->isRunning()) m_finder->wait();
    delete m_finder;
    // The cells look their interactions up in the model: stop them first.
    for (SinglePlaybackWindow* cell : m_cells) cell->resetOsd();
    delete m_model;
    m_model = nullptr;
    m_alertIcons.clear();
}

SinglePlaybackWindow* PlaybackWindow::makeCell(int index) {
    auto* cell = new SinglePlaybackWindow(m_model, this);
    cell->setPageMode(m_pageMode);
    cell->setWindowName(QString("pPlaybackWnd%1").arg(index));
    cell->setWindowIndex(index);
    cell->setViewMode(0);
    cell->setSynchronised(m_synchronised);
    cell->setGridFullScreen(m_fullScreen);
    if (!connect(cell, &SinglePlaybackWindow::signalPlayedTime, this, &PlaybackWindow::onCellPlayedTime))
        ReportConnectFailure(__LINE__, "PlaybackWindow::makeCell");
    if (!connect(cell, &SinglePlaybackWindow::signalFullScreen, this, &PlaybackWindow::onFullScreen))
        ReportConnectFailure(__LINE__, "PlaybackWindow::makeCell");
    if (!connect(cell, &SinglePlaybackWindow::signalReachedEnd, this, &PlaybackWindow::onCellReachedEnd))
        ReportConnectFailure(__LINE__, "PlaybackWindow::makeCell");
    return cell;
}

void PlaybackWindow::createDefaultScreen() {
    for (int i = 0; i < 16; ++i) {
        SinglePlaybackWindow* cell = makeCell(i);
        cell->setTitle(tr("Window") + QString::asprintf("%02d", i + 1));
        const char* where = "PlaybackWindow::createDefaultScreen";
        if (!connect(cell, &SinglePlaybackWindow::signalSelected, this, &PlaybackWindow::onSelectedPlaybackWnd))
            ReportConnectFailure(__LINE__, where);
        if (!connect(cell, &SinglePlaybackWindow::signalAcceptDrop, this, &PlaybackWindow::onAcceptDrop))
            ReportConnectFailure(__LINE__, where);
        if (!connect(cell, &SinglePlaybackWindow::signalUpdateControlBar, this,
                     &PlaybackWindow::onDealSignalWindowsignalUpdateControlBar))
            ReportConnectFailure(__LINE__, where);
        if (!connect(cell, &SinglePlaybackWindow::signalDoubleClicked, this, &PlaybackWindow::onSingleWindowDoubleClick))
            ReportConnectFailure(__LINE__, where);
        if (!connect(cell, &SinglePlaybackWindow::signalPlay, this, &PlaybackWindow::onCellPlay))
            ReportConnectFailure(__LINE__, where);
        cell->installEventFilter(this);
        m_cells.append(cell);
    }
}

void PlaybackWindow::onCellPlay() { clearMapTrace(); }

void PlaybackWindow::onCellPlayedTime(int id, time_t t) {
    if (id < 0 || id >= m_cells.size() || isBeforeSearchEnd(static_cast<uint>(t))) return;
    m_cells[id]->stopAtSearchEnd();
}

// Windows that end close together (all windows played in step, or a grid of
// recordings of one length) are named in one notice: each one that ends
// while it shows replaces it with one that names it too.
void PlaybackWindow::onCellReachedEnd(int id) {
    if (id < 0 || id >= m_cells.size()) return;
    m_endedWindows[id] = m_cells[id]->titleText();
    if (m_endNotice) m_endNotice->close();
    const QStringList names = m_endedWindows.values();
    m_endNotice = ziraz::InformationDlg::ShowInformationAtScreenRightBottom(
        tr("The video has reached the end: %1").arg(names.join(QStringLiteral(", "))), this, false, false, true);
    m_endedWindowsTimer->start();
}

// ---------------------------------------------------------------- the model's cells

void PlaybackWindow::onModelSelectionChanged(int previous, int current) {
    if (SinglePlaybackWindow* old = m_model->cell(previous)) old->setSelected(0);
    if (SinglePlaybackWindow* next = m_model->cell(current)) next->setSelected(1);
}

void PlaybackWindow::onModelBinding(int index) {
    if (SinglePlaybackWindow* cell = m_model->cell(index)) cell->closeChannel();
}

void PlaybackWindow::onModelBound(int index, CPlayBackInteraction* interaction, APT_QMR::CChannel channel,
                                  QString device) {
    SinglePlaybackWindow* cell = m_model->cell(index);
    if (!cell) return;
    connect(interaction, &CPlayBackInteraction::signalVehInfo, cell, &SinglePlaybackWindow::onUpdateVehInfo);
    connect(interaction, &CPlayBackInteraction::signalClipFinished, cell, &SinglePlaybackWindow::onClipFinished);
    connect(interaction, &CPlayBackInteraction::signalClipEndedBySeek, cell, &SinglePlaybackWindow::onClipEndedBySeek);
    connect(interaction, &CPlayBackInteraction::signalPlayControl, cell, &SinglePlaybackWindow::onPlayControl);
    cell->setChannel(channel);
    cell->setChannelTitle(device + "_" + QObject::tr("Channel") + QString::number(channel.GetChannelNumber()));
    cell->setRbs(channel.GetRbs());
}

void PlaybackWindow::onModelReleased(int index) {
    if (!m_timeSlider) return;
    if (index < 0) m_timeSlider->reset();
    else m_timeSlider->clearRow(index);
}

// ---------------------------------------------------------------- wiring

void PlaybackWindow::setSearchBar(QWidget* searchBar) {
    m_searchBar = searchBar;
    auto* panel = qobject_cast<SearchBarWidget*>(searchBar);
    if (panel) {
        QPointer<SearchBarWidget> guarded(panel);
        m_search.selectedFiles = [guarded]() {
            return guarded ? guarded->getSelectedFiles() : QVector<ChannelFiles*>();
        };
        m_search.locateFile = [guarded](const QModelIndex& index) {
            QVector<ChannelFiles*> records;
            if (guarded) guarded->locateFile(records, index);
            return records;
        };
        m_search.dateTimeRange = [guarded](QDateTime* start, QDateTime* end) {
            if (!guarded) return false;
            guarded->getDateTimeRange(*start, *end);
            return true;
        };
    }
}

void PlaybackWindow::setVehicleDataWidget(QWidget* panel) {
    m_vehicleData = panel;
    if (!panel) return;
    // The vehicle status panel: the child that re-emits the vehicle records.
    QObject* status = nullptr;
    for (QObject* child : panel->findChildren<QObject*>()) {
        const QMetaObject* mo = child->metaObject();
        if (mo->indexOfSignal("signalVehInfo(VEH_META_INFO)") >= 0 &&
            mo->indexOfSlot("onUpdateVehicleData1(VEH_META_INFO)") >= 0) {
            status = child;
            break;
        }
    }
    if (!status) return;
    if (!connect(status, SIGNAL(signalVehInfo(VEH_META_INFO)), this, SLOT(onEmitSignalVehicle(VEH_META_INFO))))
        ReportConnectFailure(__LINE__, "PlaybackWindow::setVehicleDataWidget");
}

void PlaybackWindow::connectTimeUpdate() {
    qRegisterMetaType<time_t>("time_t");
    if (!m_timeSlider) return;
    for (SinglePlaybackWindow* cell : m_cells)
        if (!connect(cell, &SinglePlaybackWindow::signalCurrentTime, m_timeSlider, &VideoTimeSliderWidget::onPlayTime,
                     Qt::UniqueConnection))
            ReportConnectFailure(__LINE__, "PlaybackWindow::connectTimeUpdate");
}

void PlaybackWindow::disconnectTimeUpdate() {
    if (!m_timeSlider) return;
    for (SinglePlaybackWindow* cell : m_cells)
        disconnect(cell, &SinglePlaybackWindow::signalCurrentTime, m_timeSlider, &VideoTimeSliderWidget::onPlayTime);
}

void PlaybackWindow::connectTimeUpdateWhenSync() {
    qRegisterMetaType<time_t>("time_t");
    if (!m_timeSlider) return;
    if (!connect(m_model->syncGroup(), &APT_QMR::SynPlaybackInteraction::signalCurrentTime, m_timeSlider,
                 &VideoTimeSliderWidget::onPlayTime, Qt::UniqueConnection))
        ReportConnectFailure(__LINE__, "PlaybackWindow::connectTimeUpdateWhenSync");
}

void PlaybackWindow::disconnectTimeUpdateWhenSync() {
    if (!m_timeSlider) return;
    disconnect(m_model->syncGroup(), &APT_QMR::SynPlaybackInteraction::signalCurrentTime, m_timeSlider,
               &VideoTimeSliderWidget::onPlayTime);
}

void PlaybackWindow::connectTimeWithShowPicture(QWidget* searchBar) {
    if (!searchBar) return;
    qRegisterMetaType<time_t>("time_t");
    if (!connect(m_model->syncGroup(), SIGNAL(signalCurrentTime(time_t)), searchBar, SLOT(onShowPictureByTime(time_t))))
        ReportConnectFailure(__LINE__, "PlaybackWindow::connectTimeWithShowPicture");
}

void PlaybackWindow::connectVehicleDataUpdate() {
    RegisterVehicleDataTypes();
    QObject* status = nullptr;
    if (m_vehicleData) {
        for (QObject* child : m_vehicleData->findChildren<QObject*>()) {
            if (child->metaObject()->indexOfSlot("onUpdateVehicleData1(VEH_META_INFO)") >= 0) {
                status = child;
                break;
            }
        }
    }
    for (SinglePlaybackWindow* cell : m_cells) {
        if (status && !connect(cell, SIGNAL(signalVehInfo(VEH_META_INFO)), status,
                               SLOT(onUpdateVehicleData1(VEH_META_INFO))))
            ReportConnectFailure(__LINE__, "PlaybackWindow::connectVehicleDataUpdate");
        if (m_controlBar && !connect(cell, &SinglePlaybackWindow::signalVehInfo, m_controlBar,
                                     &PlayControlBar::onVehicleEnviMapShow))
            ReportConnectFailure(__LINE__, "PlaybackWindow::connectVehicleDataUpdate");
    }
}

void PlaybackWindow::clearMapTrace() {
    if (m_controlBar) m_controlBar->clearMapTrace();
}

bool PlaybackWindow::searchRange(QDateTime* start, QDateTime* end) const {
    if (!m_search.dateTimeRange) return false;
    return m_search.dateTimeRange(start, end);
}

bool PlaybackWindow::isBeforeSearchEnd(uint t) const {
    QDateTime start, end;
    if (!searchRange(&start, &end) || !end.isValid()) return true;
    return static_cast<qint64>(t) < end.toSecsSinceEpoch();
}

bool PlaybackWindow::isAnyWindowBusy() const {
    for (int i = 0; i < 16; ++i) {
        CPlayBackInteraction* ia = m_model->interaction(i);
        if (ia && ia->HasChannelFiles()) return true;
    }
    return false;
}

void PlaybackWindow::setCover(bool on) {
    for (SinglePlaybackWindow* cell : m_cells) cell->pauseForSeek(on);
}

void PlaybackWindow::emitUpdate(int id) { emit signalUpdateControlBar(id, m_model); }

void PlaybackWindow::showWarning(int number, const QString& text) {
    ziraz::WarningDialog::showWarningDialog(number, 2, text, this, nullptr, nullptr, m_alertIcons, QSize(310, 120));
}

void PlaybackWindow::showFailedToPlay() {
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(tr("Failed to play video."), this, false, false, true);
}

// A file of a local folder that is there but cannot be played is named in a
// message box; other failures get the notice.
void PlaybackWindow::showFailedToPlay(SinglePlaybackWindow* cell) {
    CPlayBackInteraction* ia = cell ? cell->interaction() : nullptr;
    std::shared_ptr<APT_QMR::CSingleFile> file = ia ? ia->GetCurrentFile() : nullptr;
    const QString name =
        file ? QDir::toNativeSeparators(QString::fromLocal8Bit(file->FileName.c_str())) : QString();
    if (!cell || !cell->isRbs() || !file || ia->GetState().playerState != APT_QMR::CStreamPlayer::StateOpenFailed ||
        !QFileInfo(name).isFile()) {
        showFailedToPlay();
        return;
    }
    ziraz::WarningDlg::ShowMessageInfo(
        tr("Error"), tr("The file %1 cannot be played: it is damaged or it is not a video file.").arg(name), this);
}

// ---------------------------------------------------------------- layout

int PlaybackWindow::windowCountOfSplit(int mode) {
    switch (mode) {
        case 0: return 1;
        case 1: return 4;
        case 2: return 9;
        case 3: return 16;
        default: return 4;
    }
}

void PlaybackWindow::ensureCells() {
    if (m_splitMode < 0 || m_splitMode > 3) return;
    const int need = windowCountOfSplit(m_splitMode);
    while (m_cells.size() < need) {
        m_cells.append(makeCell(m_cells.size()));
        m_model->setCells(m_cells);
    }
}

void PlaybackWindow::relayout() {
    for (SinglePlaybackWindow* cell : m_cells) m_layout->removeWidget(cell);
    if (m_splitMode < 0 || m_splitMode > 3) return;
    const int side = m_splitMode + 1;
    const int n = side * side;
    for (int i = 0; i < n && i < m_cells.size(); ++i) m_layout->addWidget(m_cells[i], i / side, i % side);
    for (int i = 0; i < m_cells.size(); ++i) m_cells[i]->setVisible(i < n);
}

void PlaybackWindow::setSplitMode(int mode) {
    m_splitMode = (mode >= 0 && mode <= 3) ? mode : 4;
    ensureCells();
    relayout();
}

void PlaybackWindow::setDefaultSplit() {
    setSplitMode(1);
    m_savedSplitMode = 1;
}

void PlaybackWindow::fitSplitToCount(int n) {
    const int capacity = m_splitMode == 4 ? 1 : windowCountOfSplit(m_splitMode);
    if (n <= capacity) return;
    int mode = 3;
    if (n < 2) mode = 0;
    else if (n < 5) mode = 1;
    else if (n <= 9) mode = 2;
    setSplitMode(mode);
}

void PlaybackWindow::oneScreenSplit() {
    setSplitMode(0);
    m_maximised = false;
}
void PlaybackWindow::fourScreenSplit() {
    setSplitMode(1);
    m_maximised = false;
}
void PlaybackWindow::nineScreenSplit() {
    setSplitMode(2);
    m_maximised = false;
}
void PlaybackWindow::sixteenScreenSplit() {
    setSplitMode(3);
    m_maximised = false;
}

void PlaybackWindow::onSingleWindowDoubleClick(int id) {
    if (m_maximised) {
        setSplitMode(m_savedSplitMode);
        m_maximised = false;
        return;
    }
    if (id < 0 || id >= m_cells.size()) return;
    m_savedSplitMode = m_splitMode;
    for (int i = 0; i < m_cells.size(); ++i)
        if (i != id) m_cells[i]->hide();
    m_cells[id]->show();
    m_maximised = true;
}

void PlaybackWindow::onFullScreen() {
    if (!m_fullScreen) {
        m_fullScreen = true;
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        QScreen* screen = QGuiApplication::screenAt(mapToGlobal(rect().center()));
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (screen) move(screen->geometry().topLeft());
        showFullScreen();
    } else {
        m_fullScreen = false;
        setWindowFlags(Qt::SubWindow);
        showNormal();
    }
    for (SinglePlaybackWindow* cell : m_cells) cell->setGridFullScreen(m_fullScreen);
}

void PlaybackWindow::setFullScreen(bool on) {
    if (on) onFullScreen();
    else if (m_fullScreen) onFullScreen();
}

bool PlaybackWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (m_fullScreen) onFullScreen();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void PlaybackWindow::onShowHideTitle() {
    m_titlesHidden = !m_titlesHidden;
    for (SinglePlaybackWindow* cell : m_cells) cell->setTitleHidden(m_titlesHidden);
}

// ---------------------------------------------------------------- control-bar slots

void PlaybackWindow::onDealSignalWindowsignalUpdateControlBar(int id, void* ptr) {
    // The bar shows the selected window, the group played in step and what
    // "Play All", "Pause All", "Normal All" and "Close All" can do: a change
    // of any window (one that ends while another is selected) changes that,
    // so every report goes on, as one of the selected window.
    Q_UNUSED(id);
    emit signalUpdateControlBar(m_model->selectedIndex(), ptr);
}

void PlaybackWindow::onSelectedPlaybackWnd(int) {
    if (m_timeSlider) m_timeSlider->setDragging(false);
}

void PlaybackWindow::onPlayAll() {
    clearMapTrace();
    if (m_synchronised && !m_model->syncGroup()->HasActiveWindow()) {
        restartGroup();
        emitUpdate(m_model->selectedIndex());
        return;
    }
    for (int i = 0; i < m_cells.size(); ++i) {
        CPlayBackInteraction* ia = m_model->interaction(i);
        if (ia && ia->HasChannelFiles() && !HasFile(ia)) m_cells[i]->onStartOrPause();
    }
    emitUpdate(m_model->selectedIndex());
}

void PlaybackWindow::onPauseAll() {
    if (m_synchronised) {
        m_model->syncGroup()->Pause(true);
    } else {
        for (int i = 0; i < m_cells.size(); ++i) {
            CPlayBackInteraction* ia = m_model->interaction(i);
            if (ia && ia->HasChannelFiles() && ia->GetState().playing) m_cells[i]->onPause();
        }
    }
    emitUpdate(m_model->selectedIndex());
}

void PlaybackWindow::onRestoreAll() {
    if (m_synchronised) {
        APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();
        const int speed = group->GetSpeed();
        group->Play();
        group->SetSpeed(speed);
    } else {
        for (int i = 0; i < m_cells.size(); ++i) {
            CPlayBackInteraction* ia = m_model->interaction(i);
            if (!ia || !ia->HasChannelFiles()) continue;
            const CPlayBackInteraction::State state = ia->GetState();
            if (state.paused || state.singleFrame) m_cells[i]->onNormal();
        }
    }
    emitUpdate(m_model->selectedIndex());
}

void PlaybackWindow::onCloseAll() {
    APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();
    if (group->IsStarted()) {
        group->Stop();
        group->SetContext(0);
    }
    for (SinglePlaybackWindow* cell : m_cells) cell->closeChannel();
    setSynchronised(false);
    m_model->releaseAll();
    emitUpdate(m_model->selectedIndex());
}

void PlaybackWindow::onBtnStartClick() {
    clearMapTrace();
    const int sel = m_model->selectedIndex();
    CPlayBackInteraction* ia = m_model->selectedInteraction();
    APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();
    if (ia && !m_synchronised) {
        if (sel >= 0 && sel < m_cells.size()) {
            SinglePlaybackWindow* cell = m_cells[sel];
            if (!HasFile(ia)) {
                if (!cell->playFrom(m_model->earliestStart(sel))) showFailedToPlay(cell);
            } else if (!ia->GetState().playing) {
                const int speed = ia->GetState().speed;
                cell->onNormal();
                cell->onCtrlSpeed(speed);
            } else {
                cell->onPause();
            }
        }
    } else if (m_synchronised && !group->HasActiveWindow()) {
        restartGroup();
    } else if (m_synchronised) {
        if (group->IsPlaying()) {
            group->Pause(true);
        } else {
            const int speed = group->GetSpeed();
            group->Play();
            group->SetSpeed(speed);
        }
    }
    emitUpdate(sel);
}

void PlaybackWindow::onBtnStopClick() {
    const int sel = m_model->selectedIndex();
    if (!m_synchronised) {
        if (sel >= 0 && sel < m_cells.size()) m_cells[sel]->onStop();
    } else {
        const QMap<int, CPlayBackInteraction*> copy = m_model->interactionMap();
        for (auto it = copy.cbegin(); it != copy.cend(); ++it)
            if (it.key() >= 0 && it.key() < m_cells.size()) m_cells[it.key()]->onStop();
    }
    emitUpdate(sel);
}

void PlaybackWindow::onFrameClick() {
    const int sel = m_model->selectedIndex();
    if (m_synchronised) m_model->syncGroup()->OneByOne();
    else if (sel >= 0 && sel < m_cells.size()) m_cells[sel]->onSingleFrame();
    emitUpdate(sel);
}

void PlaybackWindow::onFastClick() {
    const int sel = m_model->selectedIndex();
    if (m_synchronised) m_model->syncGroup()->Fast();
    else if (sel >= 0 && sel < m_cells.size()) m_cells[sel]->onFast();
    emitUpdate(sel);
}

void PlaybackWindow::onSlowClick() {
    const int sel = m_model->selectedIndex();
    if (m_synchronised) m_model->syncGroup()->Slow();
    else if (sel >= 0 && sel < m_cells.size()) m_cells[sel]->onSlow();
    emitUpdate(sel);
}

void PlaybackWindow::onBtnSyncClick() {
    if (m_synchronised) return;
    const int sel = m_model->selectedIndex();
    CPlayBackInteraction* selected = m_model->selectedInteraction();
    if (!HasFile(selected)) {
        showWarning(1000, tr("Please select a playing window to sync."));
        emitUpdate(sel);
        return;
    }
    QList<int> recording;
    for (int i = 0; i < m_cells.size(); ++i) {
        CPlayBackInteraction* ia = m_model->interaction(i);
        if (HasFile(ia) && ia->GetState().clipping) {
            ia->StopClip();
            ziraz::InformationDlg::ShowInformationAtScreenRightBottom(ia->GetLastClipPath(), this, true, false, true);
            recording << i;
        }
    }
    APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();
    group->SetInteractions(m_model->interactions());
    const QMap<int, CPlayBackInteraction*> map = m_model->interactionMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (!HasFile(it.value()) && it.key() < m_cells.size()) m_cells[it.key()]->playFrom(0);
    group->Play();
    group->Start();
    group->SetContext(sel + 1);
    const time_t t = selected->GetPlayedTime();
    if (group->SeekTo(t)) {
        for (int i : recording) {
            CPlayBackInteraction* ia = m_model->interaction(i);
            if (ia && ia->GetState().playing) ia->StartClip(t);
        }
    }
    setSynchronised(true);
    emitUpdate(sel);
}

time_t PlaybackWindow::groupSpanStart() const {
    time_t first = -1;
    const QMap<int, CPlayBackInteraction*>& map = m_model->interactionMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!it.value() || !it.value()->HasChannelFiles()) continue;
        const time_t t = m_model->earliestStart(it.key());
        if (t > 0 && (first < 0 || t < first)) first = t;
    }
    // Not before the search range the axis shows, when the windows reach
    // into it.
    QDateTime start, end;
    if (first >= 0 && searchRange(&start, &end) && start.isValid() && start.toSecsSinceEpoch() > first &&
        (!end.isValid() || start.toSecsSinceEpoch() < end.toSecsSinceEpoch()))
        first = static_cast<time_t>(start.toSecsSinceEpoch());
    return first < 0 ? 0 : first;
}

void PlaybackWindow::restartGroup() {
    const time_t t = groupSpanStart();
    APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();
    const QMap<int, CPlayBackInteraction*> map = m_model->interactionMap();
    bool any = false;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!it.value() || !it.value()->HasChannelFiles()) continue;
        SinglePlaybackWindow* cell = m_model->cell(it.key());
        if (!cell || !cell->playFrom(t)) {
            showFailedToPlay(cell);
            continue;
        }
        group->AddInteraction(it.value());
        any = true;
    }
    if (any) group->Play();
}

void PlaybackWindow::endSync() {
    APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();
    group->Stop();
    group->SetContext(0);
    group->Clear();
    setSynchronised(false);
    emitUpdate(m_model->selectedIndex());
}

void PlaybackWindow::setSynchronised(bool on) {
    m_synchronised = on;
    for (SinglePlaybackWindow* cell : m_cells) cell->setSynchronised(on);
}

void PlaybackWindow::onBtnUnSyncClick() {
    if (!m_synchronised) return;
    // Once every window in step has ended there is nothing to pick: the
    // step simply ends.
    if (m_model->syncGroup()->HasActiveWindow() && !HasFile(m_model->selectedInteraction())) {
        showWarning(1000, tr("Please select a playing window to unsync."));
        emitUpdate(m_model->selectedIndex());
        return;
    }
    endSync();
}

void PlaybackWindow::onVoiceStateChanged(bool state) {
    const int sel = m_model->selectedIndex();
    if (sel >= 0 && sel < m_cells.size()) {
        if (state) {
            for (SinglePlaybackWindow* cell : m_cells) cell->onSetVoiceState(false);
            m_cells[sel]->onSetVoiceState(true);
        } else {
            m_cells[sel]->onSetVoiceState(false);
        }
    }
    emitUpdate(sel);
}

void PlaybackWindow::onVoiceValueChanged(int value) {
    qCDebug(lcKelUi) << "Voice " << value;
    const int sel = m_model->selectedIndex();
    if (sel >= 0 && sel < m_cells.size()) m_cells[sel]->onSetVoiceValue(value);
    emitUpdate(sel);
}

void PlaybackWindow::onEmitSignalVehicle(VEH_META_INFO info) { emit signalVehicle(info); }

bool PlaybackWindow::playWindowAt(int index, time_t t) {
    if (index < 0 || index >= m_cells.size()) return false;
    return m_cells[index]->playFrom(t);
}

void PlaybackWindow::setWindowSpeed(int index, int speed) {
    if (index >= 0 && index < m_cells.size()) m_cells[index]->onCtrlSpeed(speed);
}

// ---------------------------------------------------------------- playing records

void PlaybackWindow::onDoubleClickedPlay(QModelIndex index) {
    if (m_timeSlider) m_timeSlider->setDragging(false);
    const int sel = m_model->selectedIndex();
    onDoubleClickPlay(index, (sel >= 0 && sel < 16) ? sel : 0);
}

void PlaybackWindow::onAcceptDrop(int id) {
    if (!m_search.selectedFiles) return;
    playRecords(m_search.selectedFiles(), id, false);
}

void PlaybackWindow::onDoubleClickPlay(QModelIndex index, int id) {
    if (!m_search.locateFile) return;
    playRecords(m_search.locateFile(index), id, true);
}

void PlaybackWindow::playRecords(const QVector<ChannelFiles*>& source, int id, bool doubleClick) {
    if (doubleClick) clearMapTrace();
    m_model->select(id);
    if (!doubleClick && m_timeSlider) m_timeSlider->setDragging(false);

    QVector<ChannelFiles*> records;
    for (const ChannelFiles* r : source)
        if (r) records.append(CopyRecord(r));
    const int count = records.size();
    APT_QMR::SynPlaybackInteraction* group = m_model->syncGroup();

    bool synchronisedForm = false;
    time_t groupTime = 0;
    int groupSpeed = 0;
    if (m_synchronised) {
        if (group->HasActiveWindow()) {
            groupTime = group->GetCurrentTime();
            groupSpeed = group->GetSpeed();
            if (groupTime <= 0) {
                for (ChannelFiles* r : records) {
                    for (CSingleFile* f : r->SingleFileList) delete f;
                    delete r;
                }
                emitUpdate(id);
                return;
            }
            synchronisedForm = true;
        } else {
            emit signalSyn(false);
            endSync();
        }
    }

    m_model->bind(records, id);
    refreshTimeAxis();
    const int end = std::min(16, id + count);
    fitSplitToCount(end);

    if (!synchronisedForm) {
        qint64 rangeStart = -1;
        if (doubleClick) {
            QDateTime start, stop;
            if (searchRange(&start, &stop) && start.isValid()) rangeStart = start.toSecsSinceEpoch();
        }
        for (int i = id; i < end; ++i) {
            time_t t = m_model->earliestStart(i);
            if (doubleClick && rangeStart > static_cast<qint64>(t)) t = static_cast<time_t>(rangeStart);
            SinglePlaybackWindow* cell = m_model->cell(i);
            if (!cell || !cell->playFrom(t)) showFailedToPlay(cell);
        }
    } else {
        group->Play();
        group->SetSpeed(groupSpeed);
        for (int i = id; i < end; ++i) {
            group->AddInteraction(m_model->interaction(i));
            SinglePlaybackWindow* cell = m_model->cell(i);
            if (!cell || !cell->playFrom(group->GetCurrentTime())) {
                showFailedToPlay(cell);
                continue;
            }
            // Every window that joins takes the group's speed.
            cell->onCtrlSpeed(groupSpeed);
        }
    }
    if (id + count > 16)
        showWarning(synchronisedForm ? 5000 : 3000, tr("Some channel not play because not enough window."));
    emitUpdate(id);
}

void PlaybackWindow::refreshTimeAxis() {
    if (!m_timeSlider) return;
    time_t first = -1;
    time_t last = -1;
    const QMap<int, CPlayBackInteraction*>& map = m_model->interactionMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const time_t s = it.value()->GetSearchStartTime();
        const time_t e = it.value()->GetSearchEndTime();
        if (s >= 0 && (first < 0 || s < first)) first = s;
        if (e >= 0 && e > last) last = e;
    }
    QDateTime rangeStart, rangeEnd;
    if (!searchRange(&rangeStart, &rangeEnd)) {
        rangeStart = first >= 0 ? RecorderDateTime(first) : QDateTime();
        rangeEnd = last >= 0 ? RecorderDateTime(last) : QDateTime();
    }
    m_timeSlider->setSearchRange(rangeStart, rangeEnd);
    if (first >= 0 && last >= 0)
        m_timeSlider->setDays(RecorderDateTime(first).date(), RecorderDateTime(last).date());
    QMap<uint, QList<CDateTimePair>> rows;
    const auto& segments = m_model->segmentsPerCell();
    for (auto it = segments.cbegin(); it != segments.cend(); ++it) {
        rows[static_cast<uint>(it.key())] = it.value();
        // The axis adds what it is given: a refresh must not show a window's
        // recordings twice.
        m_timeSlider->clearRowRecords(it.key());
    }
    m_timeSlider->setAllRecords(rows);
}

// ---------------------------------------------------------------- seeking

void PlaybackWindow::onVideoTimeClicked(int index, time_t currentTime) { seekTo(index, currentTime, true); }

void PlaybackWindow::onVideoTimeDrag(time_t currentTime) { seekTo(m_model->selectedIndex(), currentTime, false); }

void PlaybackWindow::seekTo(int index, time_t t, bool) {
    clearMapTrace();
    qCDebug(lcKelUi) << "seek to" << RecorderDateTime(t);

    QMap<int, CPlayBackInteraction*> windows;
    QMap<int, SinglePlaybackWindow*> cells;
    QList<int> recording;
    const bool sync = m_synchronised;
    auto stopClipOf = [this, &recording](int i, CPlayBackInteraction* ia) {
        ia->StopClip();
        ziraz::InformationDlg::ShowInformationAtScreenRightBottom(ia->GetLastClipPath(), this, true, false, true);
        recording << i;
    };
    if (sync) {
        const QMap<int, CPlayBackInteraction*>& map = m_model->interactionMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.value()->GetState().clipping) stopClipOf(it.key(), it.value());
            windows[it.key()] = it.value();
            cells[it.key()] = m_model->cell(it.key());
        }
        disconnectTimeUpdateWhenSync();
    } else {
        CPlayBackInteraction* ia = m_model->interaction(index);
        if (!ia) return;
        if (HasFile(ia) && ia->GetState().clipping) stopClipOf(index, ia);
        windows[index] = ia;
        cells[index] = m_model->cell(index);
        disconnectTimeUpdate();
    }

    // The display timers of the windows being sought would read (and on a
    // passing stop state, stop) their players while the finder restarts them
    // on its thread: they rest until each window has started again.
    QList<int> timed;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (!it.value()) continue;
        if (it.value()->isOsdTimerActive()) timed << it.key();
        it.value()->stopOsdTimer();
    }

    auto* busy = new LoadingWidget(this);
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    busy->move(origin + QPoint(width() / 2 - busy->width() / 2, height() / 2 - busy->height() / 2));
    connect(m_finder, SIGNAL(finished()), busy, SLOT(onCloseDialog()));
    m_finder->setTargets(windows, cells, t);
    m_finder->start(QThread::InheritPriority);
    busy->exec();
    m_finder->wait();

    const QMap<int, bool> started = m_finder->startedWindows();
    if (sync) {
        int context = 0;
        if (CPlayBackInteraction* first = m_finder->firstInsideInteraction()) {
            const int key = m_model->interactionMap().key(first, -1);
            if (key >= 0) context = key + 1;
        }
        m_model->syncGroup()->SetContext(context);
        connectTimeUpdateWhenSync();
    } else {
        connectTimeUpdate();
    }

    for (auto it = started.cbegin(); it != started.cend(); ++it) {
        const int i = it.key();
        CPlayBackInteraction* ia = m_model->interaction(i);
        SinglePlaybackWindow* cell = m_model->cell(i);
        if (!ia || !cell) continue;
        if (recording.contains(i)) ia->StartClip(t);
        ia->SetDrawCallback(&SinglePlaybackWindow::DrawCallback, cell);
        cell->startOsdTimer();
        cell->refreshControls();
    }
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
        if (started.contains(it.key()) || !it.value()) continue;
        // A window that could not start at the time (no recording there)
        // keeps its display timer, which reads the player's state, tells the
        // operator and resets the window.
        if (timed.contains(it.key())) it.value()->startOsdTimer();
        it.value()->refreshControls();
    }
    if (sync) {
        m_model->syncGroup()->SetPlayState(false, false, false);
        emitUpdate(m_model->selectedIndex());
    }
    disconnect(m_finder, nullptr, busy, nullptr);
    delete busy;
}

// ---------------------------------------------------------------- clip dialog

void PlaybackWindow::onVideoCut() {
    const int sel = m_model->selectedIndex();
    const std::vector<CSingleFile*> files = m_model->files(sel);
    if (files.empty() || !files.front()) {
        showWarning(2000, tr("No video in selected window."));
        return;
    }
    if (sel < m_cells.size() && m_clipDialog) {
        m_clipDialog->setTimeRange(RecorderDateTime(files.front()->StartTime),
                                   RecorderDateTime(files.front()->EndTime));
        m_clipDialog->setSelectedWindow(sel);
        m_clipDialog->setWindowFiles(m_model->filesPerCell());
        VideoCutWidget::WindowChannels channels;
        for (auto it = m_model->interactionMap().cbegin(); it != m_model->interactionMap().cend(); ++it)
            if (it.value()) channels[it.key()] = it.value()->GetChannel();
        m_clipDialog->setWindowChannels(channels);
        m_clipDialog->setDownLoadFileType(m_pageMode);
        m_clipDialog->setDiskKind(m_cells[sel]->isRbs());
        m_clipDialog->resetInput();
        m_clipDialog->exec();
    }
}
