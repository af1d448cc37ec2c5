// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Right-hand side of a playback page: the playback grid above its control
// bar, wired to each other. The main window talks to the grid through it.
#include <QModelIndex>
#include <QWidget>

#include <ctime>

class PlayControlBar;
class PlaybackWindow;
class VideoTimeSliderWidget;

class PlaybackControlArea : public QWidget {
    Q_OBJECT
public:
    PlaybackControlArea(QWidget* parent, int pageMode);

    // The search panel (a SearchBarWidget).
    void setSearchBar(QWidget* searchBar);
    void setTimeSlider(VideoTimeSliderWidget* slider);
    // The vehicle-data tab panel (a TimeVehicleDataWidget).
    void setVehicleDataWidget(QWidget* panel);
    void connectTimeUpdate();
    void connectTimeWithShowPicture(QWidget* searchBar);
    void connectVehicleDataUpdate();
    void setFullScreen(bool on);
    void setControlBar();
    void finishSetup() {}
    void stopAll();
    bool isAnyWindowBusy() const;
    bool stopAllWindows();
    void setCover(bool on);

    PlaybackWindow* playbackWindow() const { return m_grid; }
    PlayControlBar* controlBar() const { return m_bar; }

signals:
    void signalReloadMap();
    void signalKeyFast();
    void signalKeySlow();
    void signalKeyPlayAndPause();

public slots:
    void onVideoTimeClicked(int index, time_t currentTime);
    void onVideoTimeDrag(time_t currentTime);
    void onDoubleClickedPlay(QModelIndex index);

private:
    void initConnect();

    PlayControlBar* m_bar = nullptr;
    PlaybackWindow* m_grid = nullptr;
};
