// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageFactory.h"

#include <QWidget>

#include "AlarmPage/AlarmWidget.h"
#include "LogPage/LogWidget.h"
#include "PlaybackWindow/PlaybackControlArea.h"
#include "SearchBar/SearchBarWidget.h"
#include "SettingPage/SettingWidget.h"
#include "PlayBackPage/TimeVehicleDataWidget/TimeVehicleDataWidget.h"
#include "TrackPlayback/TrackPlaybackWidget.h"
#include "PlayControlBar/VideoTimeSliderWidget.h"

namespace QuillmerePages {

namespace {
template <class T>
QWidget* Named(T* page, const char* name) {
    if (page->objectName().isEmpty()) page->setObjectName(name);
    return page;
}
PlaybackControlArea* Area(QWidget* w) { return qobject_cast<PlaybackControlArea*>(w); }
SearchBarWidget* Bar(QWidget* w) { return qobject_cast<SearchBarWidget*>(w); }
}  // namespace

QWidget* CreateTrackPage(QWidget* parent) { return Named(new TrackPlaybackWidget(parent), "TrackPlaybackWidget"); }
QWidget* CreateSettingPage(QWidget* parent) { return Named(new SettingWidget(parent), "SettingWidget"); }
QWidget* CreateLogPage(QWidget* parent) { return Named(new LogWidget(parent), "LogWidget"); }
QWidget* CreateAlarmPage(QWidget* parent) { return Named(new CAlarmWidget(parent), "CAlarmWidget"); }
QWidget* CreateControlArea(QWidget* parent, int pageMode) {
    return Named(new PlaybackControlArea(parent, pageMode), "PlaybackControlArea");
}
QWidget* CreateVehicleDataPanel(QWidget* parent) {
    return Named(new TimeVehicleDataWidget(parent), "TimeVehicleDataWidget");
}
QWidget* CreateSearchBar(QWidget* parent) { return Named(new SearchBarWidget(parent), "SearchBarWidget"); }
QWidget* CreateWindowTimeAxis(QWidget* parent) {
    return Named(new VideoTimeSliderWidget(parent), "VideoTimeSliderWidget");
}

QWidget* VehicleDataTimeAxis(QWidget* panel) {
    if (!panel) return nullptr;
    for (QWidget* child : panel->findChildren<QWidget*>())
        if (child->inherits("VideoTimeSliderWidget")) return child;
    return nullptr;
}

void SetSearchBarPanelMode(QWidget* searchBar, int mode) {
    if (SearchBarWidget* bar = Bar(searchBar)) bar->setPanelMode(mode);
}

void SetSearchBarControlArea(QWidget* searchBar, QWidget* controlArea) {
    SearchBarWidget* bar = Bar(searchBar);
    if (!bar) return;
    PlaybackControlArea* area = Area(controlArea);
    bar->setPlaybackControlArea(area);
    // A new search asks before it stops the windows that play in the same page.
    if (area)
        bar->setPlaybackBusyHooks([area] { return area->isAnyWindowBusy(); }, [area] { area->stopAllWindows(); });
    else
        bar->setPlaybackBusyHooks(nullptr, nullptr);
}

void ControlAreaSetSearchBar(QWidget* controlArea, QWidget* searchBar) {
    if (PlaybackControlArea* area = Area(controlArea)) area->setSearchBar(searchBar);
}

void ControlAreaSetTimeSlider(QWidget* controlArea, QWidget* timeAxis) {
    if (PlaybackControlArea* area = Area(controlArea))
        area->setTimeSlider(qobject_cast<VideoTimeSliderWidget*>(timeAxis));
}

void ControlAreaSetVehicleDataWidget(QWidget* controlArea, QWidget* panel) {
    if (PlaybackControlArea* area = Area(controlArea)) area->setVehicleDataWidget(panel);
}

void ControlAreaConnectTimeUpdate(QWidget* controlArea) {
    if (PlaybackControlArea* area = Area(controlArea)) area->connectTimeUpdate();
}

void ControlAreaConnectVehicleDataUpdate(QWidget* controlArea) {
    if (PlaybackControlArea* area = Area(controlArea)) area->connectVehicleDataUpdate();
}

void ControlAreaConnectTimeWithShowPicture(QWidget* controlArea, QWidget* searchBar) {
    if (PlaybackControlArea* area = Area(controlArea)) area->connectTimeWithShowPicture(searchBar);
}

void ControlAreaSetCover(QWidget* controlArea, bool on) {
    if (PlaybackControlArea* area = Area(controlArea)) area->setCover(on);
}

void ControlAreaStopAll(QWidget* controlArea) {
    if (PlaybackControlArea* area = Area(controlArea)) area->stopAll();
}

}  // namespace QuillmerePages
