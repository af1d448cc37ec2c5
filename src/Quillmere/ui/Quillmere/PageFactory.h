// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds the pages of the main window and makes the calls between them. Each
// page comes from its own library; the calls take the pages as plain widgets
// and do nothing when given another kind of widget.
class QWidget;

namespace QuillmerePages {

QWidget* CreateTrackPage(QWidget* parent);        // TrackPlaybackWidget
QWidget* CreateSettingPage(QWidget* parent);      // SettingWidget
QWidget* CreateLogPage(QWidget* parent);          // LogWidget
QWidget* CreateAlarmPage(QWidget* parent);        // CAlarmWidget
QWidget* CreateControlArea(QWidget* parent, int pageMode);  // PlaybackControlArea
QWidget* CreateVehicleDataPanel(QWidget* parent);  // TimeVehicleDataWidget
QWidget* CreateSearchBar(QWidget* parent);        // SearchBarWidget
QWidget* CreateWindowTimeAxis(QWidget* parent);   // VideoTimeSliderWidget

// The time axis that the vehicle-data panel made for its first tab.
QWidget* VehicleDataTimeAxis(QWidget* panel);

void SetSearchBarPanelMode(QWidget* searchBar, int mode);
void SetSearchBarControlArea(QWidget* searchBar, QWidget* controlArea);

void ControlAreaSetSearchBar(QWidget* controlArea, QWidget* searchBar);
void ControlAreaSetTimeSlider(QWidget* controlArea, QWidget* timeAxis);
void ControlAreaSetVehicleDataWidget(QWidget* controlArea, QWidget* panel);
void ControlAreaConnectTimeUpdate(QWidget* controlArea);
void ControlAreaConnectVehicleDataUpdate(QWidget* controlArea);
void ControlAreaConnectTimeWithShowPicture(QWidget* controlArea, QWidget* searchBar);
void ControlAreaSetCover(QWidget* controlArea, bool on);
void ControlAreaStopAll(QWidget* controlArea);

}  // namespace QuillmerePages
