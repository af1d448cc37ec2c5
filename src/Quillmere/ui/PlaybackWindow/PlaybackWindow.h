// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The video area of one playback page: sixteen playback cells shown 1, 4, 9
// or 16 at a time, the receiver of every control-bar button. It binds search
// results to cells, seeks cells to a time chosen on the time axis (on a worker
// thread behind a busy indicator) and opens the clip dialog.
#include <QDateTime>
#include <QFrame>
#include <QMap>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include <ctime>
#include <functional>

#include "storage/Channel.h"
#include "storage/ChannelFiles.h"
#include "Playback/VehicleData.h"

namespace APT_QMR {
class CPlayBackInteraction;
}  // namespace APT_QMR
class FindPosThread;
class PlayControlBar;
class PlaybackGridModel;
class QGridLayout;
class QTimer;
namespace ziraz {
class InformationDlg;
}  // namespace ziraz
class SinglePlaybackWindow;
class VideoCutWidget;
class VideoTimeSliderWidget;

// What the grid asks of the search panel. setSearchBar fills it from the
// panel; a page without the panel (or a test) may set it directly. The
// records handed out stay the panel's: the grid copies what it plays.
struct SearchPanelAccess {
    // Records of the panel's selected tree items (for a drop).
    std::function<QVector<ChannelFiles*>()> selectedFiles;
    // Records of one tree item (for a double-click).
    std::function<QVector<ChannelFiles*>(const QModelIndex&)> locateFile;
    // The panel's search range; false when there is none.
    std::function<bool(QDateTime* start, QDateTime* end)> dateTimeRange;
};

class PlaybackWindow : public QFrame {
    Q_OBJECT
public:
    PlaybackWindow(QWidget* parent, int pageMode);
    ~PlaybackWindow() override;

    // The search panel (a SearchBarWidget); its access functions are taken
    // from it when that class is part of the program.
    void setSearchBar(QWidget* searchBar);
    void setSearchAccess(const SearchPanelAccess& access) { m_search = access; }
    bool hasSearchPanel() const { return m_searchBar != nullptr || static_cast<bool>(m_search.selectedFiles); }
    void setTimeSlider(VideoTimeSliderWidget* slider) { m_timeSlider = slider; }
    VideoTimeSliderWidget* timeSlider() const { return m_timeSlider; }
    void setControlBar(PlayControlBar* bar) { m_controlBar = bar; }
    PlayControlBar* controlBar() const { return m_controlBar; }
    // The vehicle-data tab panel (a TimeVehicleDataWidget).
    void setVehicleDataWidget(QWidget* panel);

    void connectTimeUpdate();
    void disconnectTimeUpdate();
    void connectTimeUpdateWhenSync();
    void disconnectTimeUpdateWhenSync();
    void connectTimeWithShowPicture(QWidget* searchBar);
    void connectVehicleDataUpdate();
    void setFullScreen(bool on);
    bool isFullScreenMode() const { return m_fullScreen; }
    void exitFullScreen() { setFullScreen(false); }
    bool isAnyWindowBusy() const;
    void setCover(bool on);
    bool isBeforeSearchEnd(uint t) const;

    void setSplitMode(int mode);
    int splitMode() const { return m_splitMode; }
    void setDefaultSplit();
    static int windowCountOfSplit(int mode);
    void fitSplitToCount(int n);
    bool isMaximised() const { return m_maximised; }
    bool isTitleHidden() const { return m_titlesHidden; }
    bool isSynchronised() const { return m_synchronised; }
    PlaybackGridModel* model() const { return m_model; }
    const QVector<SinglePlaybackWindow*>& cells() const { return m_cells; }
    VideoCutWidget* clipDialog() const { return m_clipDialog; }
    FindPosThread* positionFinder() const { return m_finder; }

    // Plays the records from window `id` on (one record a window): the
    // common part of a drop and a double-click. The grid copies the records.
    void playRecords(const QVector<ChannelFiles*>& records, int id, bool doubleClick);
    bool playWindowAt(int index, time_t t);
    void setWindowSpeed(int index, int speed);
    void closeAll() { onCloseAll(); }

signals:
    void signalSyn(bool flag);
    void signalUpdateControlBar(int id, void* ptr);
    void signalVehicle(VEH_META_INFO info);

public slots:
    void oneScreenSplit();
    void fourScreenSplit();
    void nineScreenSplit();
    void sixteenScreenSplit();
    void onDoubleClickedPlay(QModelIndex index);
    void onDealSignalWindowsignalUpdateControlBar(int id, void* ptr);
    void onFullScreen();
    void onSingleWindowDoubleClick(int id);
    void onShowHideTitle();
    void onPlayAll();
    void onPauseAll();
    void onRestoreAll();
    void onCloseAll();
    void onSelectedPlaybackWnd(int id);
    void onBtnStartClick();
    void onBtnStopClick();
    void onFrameClick();
    void onFastClick();
    void onSlowClick();
    void onBtnSyncClick();
    void onBtnUnSyncClick();
    void onAcceptDrop(int id);
    void onDoubleClickPlay(QModelIndex index, int id);
    void onVoiceStateChanged(bool state);
    void onVoiceValueChanged(int value);
    void onVideoTimeClicked(int index, time_t currentTime);
    void onVideoTimeDrag(time_t currentTime);
    void onEmitSignalVehicle(VEH_META_INFO info);
    void onVideoCut();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onCellPlay();
    void onCellPlayedTime(int id, time_t t);
    void onCellReachedEnd(int id);
    void onModelSelectionChanged(int previous, int current);
    void onModelBinding(int index);
    void onModelBound(int index, APT_QMR::CPlayBackInteraction* interaction, APT_QMR::CChannel channel,
                      QString device);
    void onModelReleased(int index);

private:
    void createDefaultScreen();
    SinglePlaybackWindow* makeCell(int index);
    void ensureCells();
    void relayout();
    void endSync();
    // Windows played in step that have all ended play again together from
    // the beginning of what they cover.
    void restartGroup();
    time_t groupSpanStart() const;
    // Sets the sync flag and tells every cell.
    void setSynchronised(bool on);
    void clearMapTrace();
    void refreshTimeAxis();
    void seekTo(int index, time_t t, bool byClick);
    void showWarning(int number, const QString& text);
    void showFailedToPlay();
    void showFailedToPlay(SinglePlaybackWindow* cell);
    void emitUpdate(int id);
    bool searchRange(QDateTime* start, QDateTime* end) const;

    bool m_maximised = false;
    int m_savedSplitMode = 1;
    QVector<SinglePlaybackWindow*> m_cells;
    int m_splitMode = 4;
    QGridLayout* m_layout = nullptr;
    PlaybackGridModel* m_model = nullptr;
    QWidget* m_searchBar = nullptr;
    SearchPanelAccess m_search;
    bool m_fullScreen = false;
    bool m_titlesHidden = false;
    bool m_synchronised = false;
    QStringList m_alertIcons;
    FindPosThread* m_finder = nullptr;
    int m_pageMode = 0;
    VideoCutWidget* m_clipDialog = nullptr;
    VideoTimeSliderWidget* m_timeSlider = nullptr;
    QWidget* m_vehicleData = nullptr;
    PlayControlBar* m_controlBar = nullptr;
    // The windows that ended while the notice that names them shows, by
    // index, and that notice.
    QMap<int, QString> m_endedWindows;
    QPointer<ziraz::InformationDlg> m_endNotice;
    QTimer* m_endedWindowsTimer = nullptr;
};
