// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackControlArea.h"

#include <QVBoxLayout>

#include "PlayControlBar/PlayControlBar.h"
#include "PlaybackWindow.h"
#include "ziraz/sharetools.h"

PlaybackControlArea::PlaybackControlArea(QWidget* parent, int pageMode) : QWidget(parent) {
    auto* layout = new QVBoxLayout();
    setLayout(layout);
    m_bar = new PlayControlBar(this);
    m_grid = new PlaybackWindow(this, pageMode);
    m_grid->setControlBar(m_bar);
    layout->addWidget(m_grid);
    layout->addWidget(m_bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    initConnect();
}

void PlaybackControlArea::initConnect() {
    auto check = [](bool ok, int line) {
        if (!ok)
            ShareTools::debugMessage(
                QString("connect failure! %1:%2 in PlaybackControlArea::initConnect").arg(__FILE__).arg(line));
    };
    check(connect(m_bar, &PlayControlBar::oneScreenSplit, m_grid, &PlaybackWindow::oneScreenSplit), __LINE__);
    check(connect(m_bar, &PlayControlBar::fourScreenSplit, m_grid, &PlaybackWindow::fourScreenSplit), __LINE__);
    check(connect(m_bar, &PlayControlBar::nineScreenSplit, m_grid, &PlaybackWindow::nineScreenSplit), __LINE__);
    check(connect(m_bar, &PlayControlBar::sixteenScreenSplit, m_grid, &PlaybackWindow::sixteenScreenSplit), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalPlay, m_grid, &PlaybackWindow::onBtnStartClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalStop, m_grid, &PlaybackWindow::onBtnStopClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalSync, m_grid, &PlaybackWindow::onBtnSyncClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalUnSync, m_grid, &PlaybackWindow::onBtnUnSyncClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalFast, m_grid, &PlaybackWindow::onFastClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalSlow, m_grid, &PlaybackWindow::onSlowClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalFrame, m_grid, &PlaybackWindow::onFrameClick), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalFullScreen, m_grid, &PlaybackWindow::onFullScreen), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalPlayTitle, m_grid, &PlaybackWindow::onShowHideTitle), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalCloseAll, m_grid, &PlaybackWindow::onCloseAll), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalPlayAll, m_grid, &PlaybackWindow::onPlayAll), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalPauseAll, m_grid, &PlaybackWindow::onPauseAll), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalRestoreAll, m_grid, &PlaybackWindow::onRestoreAll), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalVideoCut, m_grid, &PlaybackWindow::onVideoCut), __LINE__);
    check(connect(m_grid, &PlaybackWindow::signalUpdateControlBar, m_bar, &PlayControlBar::onControlBtnState),
          __LINE__);
    check(connect(m_bar, &PlayControlBar::signalVoiceState, m_grid, &PlaybackWindow::onVoiceStateChanged), __LINE__);
    check(connect(m_bar, &PlayControlBar::signalVoiceValue, m_grid, &PlaybackWindow::onVoiceValueChanged), __LINE__);
    check(connect(this, &PlaybackControlArea::signalKeyFast, m_bar, &PlayControlBar::signalFast), __LINE__);
    check(connect(this, &PlaybackControlArea::signalKeySlow, m_bar, &PlayControlBar::signalSlow), __LINE__);
    check(connect(this, &PlaybackControlArea::signalKeyPlayAndPause, m_bar, &PlayControlBar::signalPlay), __LINE__);
    check(connect(this, &PlaybackControlArea::signalReloadMap, m_bar, &PlayControlBar::onReloadMap), __LINE__);
}

void PlaybackControlArea::onVideoTimeClicked(int index, time_t currentTime) {
    m_grid->onVideoTimeClicked(index, currentTime);
}
void PlaybackControlArea::onVideoTimeDrag(time_t currentTime) { m_grid->onVideoTimeDrag(currentTime); }
void PlaybackControlArea::onDoubleClickedPlay(QModelIndex index) { m_grid->onDoubleClickedPlay(index); }

void PlaybackControlArea::setSearchBar(QWidget* searchBar) { m_grid->setSearchBar(searchBar); }
void PlaybackControlArea::setTimeSlider(VideoTimeSliderWidget* slider) { m_grid->setTimeSlider(slider); }
void PlaybackControlArea::setVehicleDataWidget(QWidget* panel) { m_grid->setVehicleDataWidget(panel); }

void PlaybackControlArea::connectTimeUpdate() {
    m_grid->connectTimeUpdate();
    m_grid->connectTimeUpdateWhenSync();
}

void PlaybackControlArea::connectTimeWithShowPicture(QWidget* searchBar) {
    if (!searchBar) return;
    m_grid->connectTimeWithShowPicture(searchBar);
}

void PlaybackControlArea::connectVehicleDataUpdate() { m_grid->connectVehicleDataUpdate(); }
void PlaybackControlArea::setFullScreen(bool on) { m_grid->setFullScreen(on); }
void PlaybackControlArea::setControlBar() { m_grid->setControlBar(m_bar); }

void PlaybackControlArea::stopAll() {
    m_grid->onCloseAll();
    m_bar->closeMap();
}

bool PlaybackControlArea::isAnyWindowBusy() const { return m_grid->isAnyWindowBusy(); }

bool PlaybackControlArea::stopAllWindows() {
    m_grid->onCloseAll();
    return true;
}

void PlaybackControlArea::setCover(bool on) { m_grid->setCover(on); }
