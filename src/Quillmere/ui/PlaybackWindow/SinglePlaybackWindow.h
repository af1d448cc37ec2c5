// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One cell of the playback grid: a video surface with a title band, a bottom
// bar of tool buttons, a close button, the speed over the video, digital zoom
// and a context menu. The cell owns no player: it looks up the engine
// interaction of its index in the grid model each time it acts. It tells the
// grid what happens by signal; the grid tells it its mode.
#include <QPointF>
#include <QPointer>
#include <QString>

#include <ctime>

#include "PlayerFrame/PlayerFrame.h"
#include "storage/Channel.h"
#include "Playback/VehicleData.h"
#include "ziraz/controls.h"

class PlaybackGridModel;
class QAction;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QTimer;
class QToolButton;

namespace APT_QMR {
class CPlayBackInteraction;
}  // namespace APT_QMR

class SinglePlaybackWindow : public CPlayerFrame {
    Q_OBJECT
public:
    SinglePlaybackWindow(PlaybackGridModel* model, QWidget* parent = nullptr);
    ~SinglePlaybackWindow() override;

    void setPageMode(int mode) { m_pageMode = mode; }
    int pageMode() const { return m_pageMode; }
    // Object name; also unselects the frame.
    void setWindowName(const QString& name);
    void setWindowIndex(int index) { m_index = index; }
    int windowIndex() const { return m_index; }
    void setViewMode(int mode) { m_viewMode = mode; }
    // The video surface and the handle the player draws into.
    QWidget* videoWidget() const { return videoSurface(); }
    void* videoWindow() const { return videoWinId(); }
    void setTitle(const QString& title);
    void setChannelTitle(const QString& text);
    QString titleText() const;
    void setRbs(bool rbs) { m_rbs = rbs; }
    bool isRbs() const { return m_rbs; }
    void setTitleHidden(bool hidden);
    bool isTitleHidden() const { return m_titleHidden; }
    // The grid's modes: windows played in step (only start, stop and the
    // recording buttons show), and the grid shown on a screen of its own.
    void setSynchronised(bool on) { m_synchronised = on; }
    void setGridFullScreen(bool on) { m_gridFullScreen = on; }
    // The played time has passed the end of the searched days: tells the
    // operator and stops.
    void stopAtSearchEnd();

    // Plays from `t` (negative counts as 0); a running clip goes on from `t`.
    bool playFrom(time_t t);
    void closeChannel();
    void setChannel(APT_QMR::CChannel channel);
    void refreshControls();
    void startOsdTimer();
    // Stops the display timer only (while the window is sought on the
    // position finder's thread, nothing here may touch its player).
    void stopOsdTimer();
    void pauseForSeek(bool pause);
    void resetOsd();
    void resetDigitalZoom();
    void updateToolButtons();
    void updateSpeedText();

    // The player's draw callback (user value: the cell).
    static void DrawCallback(int port, void* dc, void* user);

    // Read by tests and the grid.
    bool isDigitalZoom() const { return m_zoom; }
    QPointF selectionStart() const { return m_corner1; }
    QPointF selectionEnd() const { return m_corner2; }
    bool isOsdTimerActive() const;
    QLabel* speedLabel() const { return m_speedLabel; }
    QLabel* timeLabel() const { return m_timeLabel; }
    ziraz::Label* titleLabel() const { return m_titleLabel; }
    QPushButton* closeButton() const { return m_closeBtn; }
    // The menu as the next right click would show it (not run); null when
    // the cell holds no channel-files record.
    QMenu* buildContextMenu();
    APT_QMR::CPlayBackInteraction* interaction() const;

signals:
    void signalSelected(int);
    void signalPlay();
    void signalPlayEnd();
    void signalAcceptDrop(int id);
    void signalUpdateControlBar(int id, void* ptr);
    void signalCurrentTime(time_t time);
    void signalDoubleClicked(int id);
    void signalVehInfo(VEH_META_INFO vehInfo);
    void signalTimerStart();
    // The menu's "Full Screen" / "Exit Full Screen".
    void signalFullScreen();
    // Each display tick with the time of the frame on screen.
    void signalPlayedTime(int id, time_t time);
    // The window played to its end (of its recordings or of the search
    // range) and stopped; the grid tells the operator which windows ended.
    void signalReachedEnd(int id);

public slots:
    void onSelectedThis();
    bool onNormal();
    void onPause();
    void onStop();
    void onCtrlSpeed(int speed);
    void onFast();
    void onSlow();
    void onRecord();
    void onSingleFrame();
    void onSingleFrameBack();
    void onStartOrPause();
    void onDigitalZoom();
    void onUpdateOSDTime();
    void onDownLoad();
    void onSetDownState();
    void onSnapshot();
    bool onVoiceActionClicked();
    bool onSetVoiceState(bool open);
    bool onSetVoiceValue(int value);
    void onPlaybackRemoteEvent(int state);
    void onRightMouseResponse(QPoint pos);
    void onCloseClicked();
    void onUpdateVehInfo(VEH_META_INFO wehInfo);
    // A control reached the window's player: the time on screen may move.
    void onPlayControl();
    // The end of a clip, cut after its path was shown: a clip that could
    // not be saved is told.
    void onClipFinished(QString path, bool saved);
    // A seek of the cell's interaction finished its clip: the path is shown
    // in a note at the bottom right of the screen.
    void onClipEndedBySeek(QString path);

protected:
    void onBottomShown() override;
    void onBottomHidden() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void initConnect();
    QToolButton* setupToolButton(const QString& name, const QString& tip, const QString& icon);
    void selectThis();
    void refresh();
    void stopRecording();
    void notice(const QString& text);
    // Stops at the end and tells it.
    void reachedEnd();
    void showClipPath();
    bool hasFileOpen() const;
    void setRecordButtons(bool on, bool allowed);
    void setActionStates(bool zoom, bool snapshot, bool record, bool download, bool sound, bool fullScreen);
    void updateTitle();
    void drawOverlay(QPainter* painter);

    struct Link {
        SinglePlaybackWindow* cell;
        PlaybackGridModel* model;
    };
    Link* m_link = nullptr;
    QPointer<QWidget> m_downloadDialog;
    int m_pageMode = 0;
    int m_index = 0;
    bool m_rbs = false;
    bool m_layoutHold = false;
    bool m_synchronised = false;
    bool m_gridFullScreen = false;
    bool m_overlay = false;
    bool m_zoom = false;
    int m_viewMode = 0;
    bool m_dragArmed = false;
    bool m_regionA = false;
    bool m_regionB = false;
    bool m_pointerInside = false;
    QPointF m_pressPoint;
    QPointF m_corner1{-1, -1};
    QPointF m_corner2{-1, -1};
    QLabel* m_speedLabel = nullptr;
    QLabel* m_timeLabel = nullptr;
    ziraz::Label* m_titleLabel = nullptr;
    bool m_titleHidden = false;
    QTimer* m_osdTimer = nullptr;
    bool m_pausedForSeek = false;
    QToolButton* m_captureBtn = nullptr;
    QToolButton* m_recordBtn = nullptr;
    QToolButton* m_pauseBtn = nullptr;
    QToolButton* m_stopBtn = nullptr;
    QToolButton* m_slowBtn = nullptr;
    QToolButton* m_fastBtn = nullptr;
    QToolButton* m_frameBtn = nullptr;
    QPushButton* m_closeBtn = nullptr;
    QString m_title;
    QString m_channelText;
    QAction* m_zoomAction = nullptr;
    QAction* m_downloadAction = nullptr;
    QAction* m_snapshotAction = nullptr;
    QAction* m_recordAction = nullptr;
    QAction* m_soundAction = nullptr;
    QAction* m_fullScreenAction = nullptr;
    QMenu* m_menu = nullptr;
};
