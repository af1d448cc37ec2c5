// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The row of playback controls under a playback grid: turns button clicks
// into signals and shows the state of the selected window (or of the windows
// playing in step). Owns the layout pop-up and the map dialog.
#include <QList>
#include <QString>

#include <functional>

#include "Playback/VehicleData.h"
#include "ziraz/controls.h"

class QHBoxLayout;
class QSpacerItem;
class QToolButton;

// Pop-up of the four layout buttons; a press outside it hides it.
class LayoutMenu : public ziraz::PlaneMenu {
    Q_OBJECT
public:
    explicit LayoutMenu(QWidget* parent = nullptr);
    bool event(QEvent* event) override;
};

class PlayControlBar : public ziraz::Widget {
    Q_OBJECT
public:
    explicit PlayControlBar(QWidget* parent = nullptr);
    ~PlayControlBar() override;

    // How a bar makes its map dialog (given the bar as parent). By default the
    // map dialog of the program, when the map is part of it; tests without a
    // web engine install a factory that gives null. Empty restores the default.
    using MapDialogFactory = std::function<QWidget*(PlayControlBar* bar)>;
    static void SetMapDialogFactory(MapDialogFactory factory);

    void closeMapWidget();
    void closeMap() { closeMapWidget(); }
    void clearMapTrace();
    void setControlBtnEnabled(bool start, bool stop, bool frame, bool slow, bool fast, bool sync, bool unsync,
                              bool sound);
    void setSpeedState(int step);
    void setVoiceState(bool soundOn, int volume);

    void setPlayAllEnabled(bool on);
    void setPauseAllEnabled(bool on);
    void setRestoreAllEnabled(bool on);
    void setCloseAllEnabled(bool on);
    void setStartEnabled(bool on);
    void setStopEnabled(bool on);
    void setFrameEnabled(bool on);
    void setSlowEnabled(bool on);
    void setFastEnabled(bool on);
    void setSyncEnabled(bool on);
    void setUnSyncEnabled(bool on);
    void setSoundEnabled(bool on);
    void setAllButtonsEnabled(bool on);

    // The map dialog (null when the map is not part of the program).
    QWidget* mapWidget() const { return m_map; }
    LayoutMenu* layoutMenu() const { return m_layoutMenu; }
    // Resource name of the speed picture now shown ("beishu_1.png", ...).
    QString speedPicture() const { return m_speedPicture; }

signals:
    void oneScreenSplit();
    void fourScreenSplit();
    void nineScreenSplit();
    void sixteenScreenSplit();
    void signalFullScreen();
    void signalPlayTitle();
    void signalPlayAll();
    void signalPauseAll();
    void signalRestoreAll();
    void signalCloseAll();
    void signalPlay();
    void signalStop();
    void signalSync();
    void signalUnSync();
    void signalFast();
    void signalSlow();
    void signalFrame();
    void signalVoiceState(bool state);
    void signalVoiceValue(int value);
    void signalVideoCut();

public slots:
    void onLayout();
    void onControlBtnState(int id, void* ptr);
    void onCloseLayoutMenu();
    void onLoadMap();
    void onVehicleEnviMapShow(VEH_META_INFO vehInfo);
    void onReloadMap();

private:
    void setupForm();
    void initConnect();
    QToolButton* makeButton(const char* name, const QString& tip);
    void setStartFace(bool pause);
    void onSoundStateChanged(bool on, int value);

    QWidget* m_map = nullptr;
    QHBoxLayout* m_layout = nullptr;
    QToolButton* m_playAll = nullptr;
    QToolButton* m_pauseAll = nullptr;
    QToolButton* m_restoreAll = nullptr;
    QToolButton* m_closeAll = nullptr;
    QToolButton* m_reversePlay = nullptr;
    QToolButton* m_start = nullptr;
    QToolButton* m_stop = nullptr;
    QToolButton* m_reSingleFrame = nullptr;
    QToolButton* m_singleFrame = nullptr;
    QToolButton* m_slow = nullptr;
    ziraz::Label* m_speedLabel = nullptr;
    QToolButton* m_fast = nullptr;
    QToolButton* m_sync = nullptr;
    QToolButton* m_unSync = nullptr;
    ziraz::VolumeButton* m_sound = nullptr;
    QSpacerItem* m_spacer = nullptr;
    QToolButton* m_cut = nullptr;
    QToolButton* m_winInfo = nullptr;
    QToolButton* m_layoutBtn = nullptr;
    QToolButton* m_mapBtn = nullptr;
    QToolButton* m_fullScreen = nullptr;
    QList<QToolButton*> m_layoutButtons;
    LayoutMenu* m_layoutMenu = nullptr;
    QString m_speedPicture;
    bool m_soundOn = false;
    int m_volume = 0;
};
