// SPDX-License-Identifier: GPL-3.0-or-later
// The playback grid with real recordings: splits, maximise, binding from a
// window on, play / pause / speed / frame through the control bar, played time
// reaching the time axis, snapshot and clip files, sync, seeking behind the
// busy indicator, digital zoom and the cell menu.
#include "chart/ChartLayer.h"
#include "storage/OutputFileWriter.h"
#include "Playback/PlayBackInteraction.h"
#include "PlayControlBar/PlayControlBar.h"
#include "PlaybackWindow/PlaybackControlArea.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackModes.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "PlaybackWindow/SinglePlaybackWindow.h"
#include "Playback/SynPlaybackInteraction.h"
#include "PlaybackWindow/VideoCutWidget.h"
#include "PlayControlBar/VideoTimeSliderWidget.h"
#include "kel_test/signal_log.h"
#include "media_fixture.h"
#include "platform/fallowin/mp4_probe.h"
#include "recstream/recstream.h"
#include "test_hooks.h"
#include "vintrel.h"

#include <QAction>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QPainter>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QDropEvent>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QToolButton>

using namespace media_fixture;
using APT_QMR::CPlayBackInteraction;

namespace {

const int kChannels = 6;

class PlaybackGridTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RecordingFolder(kChannels);
        PlayControlBar::SetMapDialogFactory([](PlayControlBar*) { return nullptr; });
    }

    void SetUp() override {
        SetSaveFolders();
        g_playbackMode = 0;
        g_saveFolderMode = 0;
        g_diskSearchMode = 0;
        area.reset(new PlaybackControlArea(nullptr, 0));
        area->resize(800, 600);
        slider.reset(new VideoTimeSliderWidget);
        area->setTimeSlider(slider.get());
        area->connectTimeUpdate();
        grid = area->playbackWindow();
        bar = area->controlBar();
        SearchPanelAccess access;
        access.selectedFiles = [this]() { return panelRecords; };
        access.locateFile = [this](const QModelIndex&) { return panelRecords; };
        access.dateTimeRange = [](QDateTime* start, QDateTime* end) {
            *start = QDateTime::fromSecsSinceEpoch(T).date().startOfDay();
            *end = QDateTime(start->date(), QTime(23, 59, 59));
            return true;
        };
        grid->setSearchAccess(access);
        area->show();
    }

    void TearDown() override {
        area->stopAll();
        area.reset();
        FreeRecords(panelRecords);
    }

    void Offer(std::initializer_list<int> channels) {
        FreeRecords(panelRecords);
        for (int ch : channels) panelRecords.append(Record(ch));
    }

    CPlayBackInteraction* Interaction(int i) { return grid->model()->interaction(i); }
    bool Playing(int i) {
        CPlayBackInteraction* ia = Interaction(i);
        return ia && ia->m_streamPlayer.IsFileOpen() && ia->m_bPlaying;
    }
    time_t Played(int i) { return Interaction(i) ? Interaction(i)->m_streamPlayer.GetPlayedTime() : -1; }
    QToolButton* BarButton(const char* name) { return bar->findChild<QToolButton*>(name); }

    DialogRecorder dialogs;
    std::unique_ptr<PlaybackControlArea> area;
    std::unique_ptr<VideoTimeSliderWidget> slider;
    PlaybackWindow* grid = nullptr;
    PlayControlBar* bar = nullptr;
    QVector<ChannelFiles*> panelRecords;
};

// The threads the seek started the cells' windows on, in order (a cell
// tells a started window by signalTimerStart, right after its start).
class StartThreads {
public:
    StartThreads(PlaybackWindow* grid, std::initializer_list<int> cells) {
        for (int i : cells)
            m_connections << QObject::connect(grid->cells()[i], &SinglePlaybackWindow::signalTimerStart,
                                              grid->cells()[i], [this] { m_threads << QThread::currentThread(); },
                                              Qt::DirectConnection);
    }
    ~StartThreads() {
        for (const QMetaObject::Connection& c : m_connections) QObject::disconnect(c);
    }
    QList<QThread*> threads() const { return m_threads; }

private:
    QList<QMetaObject::Connection> m_connections;
    QList<QThread*> m_threads;
};

TEST_F(PlaybackGridTest, SixteenCellsTitledAndFourShown) {
    ASSERT_EQ(grid->cells().size(), 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(grid->cells()[i]->objectName(), QString("pPlaybackWnd%1").arg(i));
        EXPECT_EQ(grid->cells()[i]->titleText(), QString::asprintf("Window%02d", i + 1));
        EXPECT_EQ(grid->cells()[i]->isVisibleTo(grid), i < 4) << i;
    }
    EXPECT_EQ(grid->splitMode(), 1);
    // The grid sits above the bar without margins.
    EXPECT_EQ(grid->geometry().bottom() + 1, bar->geometry().top());
    EXPECT_EQ(grid->x(), 0);
}

TEST_F(PlaybackGridTest, CellPicturesAreAvailable) {
    EXPECT_FALSE(grid->cells()[0]->findChild<QToolButton*>("PlayBottom_PauseBtn")->icon().isNull());
    for (const char* path : {":/Playback/preview/Images/PlayBack/Preview/eZoom.png",
                             ":/Quillmere/Images/PlayBack/Preview/CloseView.png",
                             ":/Quillmere/Images/PlayBack/Windows/record.png"})
        EXPECT_FALSE(QPixmap(path).isNull()) << path;
    if (qEnvironmentVariableIsSet("KEL_GRAB")) {
        Offer({1, 2, 3});
        grid->onAcceptDrop(0);
        kel_test::WaitUntil([&] { return Played(2) >= static_cast<time_t>(T) + 2; });
        grid->cells()[0]->onFast();
        area->grab().save(qEnvironmentVariable("KEL_GRAB"));
    }
}

TEST_F(PlaybackGridTest, SplitsFitAndMaximise) {
    grid->sixteenScreenSplit();
    grid->fitSplitToCount(3);
    EXPECT_EQ(grid->splitMode(), 3);
    grid->oneScreenSplit();
    grid->fitSplitToCount(3);
    EXPECT_EQ(grid->splitMode(), 1);
    grid->fitSplitToCount(10);
    EXPECT_EQ(grid->splitMode(), 3);
    grid->setSplitMode(7);
    EXPECT_EQ(grid->splitMode(), 4);

    grid->oneScreenSplit();
    grid->onSingleWindowDoubleClick(0);
    EXPECT_TRUE(grid->isMaximised());
    grid->onSingleWindowDoubleClick(0);
    EXPECT_FALSE(grid->isMaximised());
    EXPECT_EQ(grid->splitMode(), 0);

    grid->nineScreenSplit();
    grid->onSingleWindowDoubleClick(5);
    EXPECT_TRUE(grid->cells()[5]->isVisibleTo(grid));
    EXPECT_FALSE(grid->cells()[0]->isVisibleTo(grid));
    grid->fourScreenSplit();
    EXPECT_FALSE(grid->isMaximised());
    EXPECT_TRUE(grid->cells()[0]->isVisibleTo(grid));
}

TEST_F(PlaybackGridTest, EscapeIsConsumedAndLeavesFullScreen) {
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    EXPECT_TRUE(QCoreApplication::sendEvent(grid->cells()[0], &esc));
    EXPECT_FALSE(grid->isFullScreenMode());
    grid->onFullScreen();
    EXPECT_TRUE(grid->isFullScreenMode());
    EXPECT_TRUE(grid->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(QCoreApplication::sendEvent(grid->cells()[0], &esc));
    EXPECT_FALSE(grid->isFullScreenMode());
    EXPECT_FALSE(grid->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(PlaybackGridTest, DropPastTheLastWindowPlaysWhatFitsAndWarns) {
    Offer({1, 2, 3, 4, 5, 6});
    grid->onAcceptDrop(12);
    for (int i = 12; i < 16; ++i) EXPECT_NE(Interaction(i), nullptr) << i;
    EXPECT_EQ(grid->model()->interactionMap().size(), 4);
    EXPECT_EQ(grid->splitMode(), 3);
    EXPECT_EQ(grid->model()->selectedIndex(), 12);
    const ziraz::DialogCall* warning = dialogs.find(ziraz::DialogKind::Warning);
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->text, "Some channel not play because not enough window.");
    EXPECT_EQ(warning->number, 3000);
    EXPECT_EQ(warning->pictureType, 2);
    EXPECT_EQ(warning->icons.size(), 3);
    EXPECT_EQ(warning->size, QSize(310, 120));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Playing(12) && Playing(15); }));
    EXPECT_TRUE(area->isAnyWindowBusy());
    // The panel's records stay the panel's; the grid played copies.
    EXPECT_EQ(panelRecords.size(), 6);
    EXPECT_TRUE(area->stopAllWindows());
    EXPECT_FALSE(area->isAnyWindowBusy());
}

TEST_F(PlaybackGridTest, ControlBarDrivesTheSelectedWindow) {
    Offer({1});
    QSignalSpy update(grid, &PlaybackWindow::signalUpdateControlBar);
    QSignalSpy vehicle(grid->cells()[0], &SinglePlaybackWindow::signalVehInfo);
    grid->onDoubleClickPlay(QModelIndex(), 0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    SinglePlaybackWindow* cell = grid->cells()[0];
    EXPECT_TRUE(cell->isOsdTimerActive());
    EXPECT_FALSE(update.isEmpty());

    // The played time advances, shows in the title band and reaches the axis.
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= static_cast<time_t>(T); }));
    const time_t first = Played(0);
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= first + 2; }));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return cell->timeLabel()->text() != "0000-00-00 00:00:00"; }));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return slider->currentTime() >= static_cast<time_t>(T); }));
    // The stream's vehicle data come out of the cell.
    EXPECT_TRUE(kel_test::WaitUntil([&] { return vehicle.count() > 0; }));
    // The picture shows in the cell's video area.
    EXPECT_TRUE(kel_test::WaitUntil([&] {
        const QImage shown = cell->videoWidget()->grab().toImage();
        return shown.pixelColor(shown.width() / 2, shown.height() / 2) != QColor(Qt::black);
    }));

    // The bar shows the playing window.
    QToolButton* start = BarButton("btnStart");
    ASSERT_TRUE(start->isEnabled());
    EXPECT_EQ(start->toolTip(), "Pause");
    EXPECT_TRUE(BarButton("btnStop")->isEnabled());
    EXPECT_TRUE(BarButton("btnSync")->isEnabled());
    EXPECT_FALSE(BarButton("btnUnSync")->isEnabled());
    EXPECT_TRUE(BarButton("closeAllBtn")->isEnabled());
    EXPECT_TRUE(BarButton("pauseAllBtn")->isEnabled());

    // Pause, resume, faster, slower, one frame. Paused, the window's time
    // stops being polled once its player waits for the next control; play
    // starts it again.
    start->click();
    EXPECT_TRUE(Interaction(0)->m_bPause);
    EXPECT_EQ(start->toolTip(), "Start");
    EXPECT_TRUE(BarButton("restoreAllBtn")->isEnabled());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return !cell->isOsdTimerActive(); }));
    const QString pausedAt = cell->timeLabel()->text();
    EXPECT_EQ(pausedAt, QDateTime::fromSecsSinceEpoch(Played(0)).toString("yyyy-MM-dd hh:mm:ss"));
    start->click();
    EXPECT_TRUE(Playing(0));
    EXPECT_TRUE(cell->isOsdTimerActive());
    BarButton("btnFast")->click();
    EXPECT_EQ(Interaction(0)->m_streamPlayer.GetSpeed(), 1);
    EXPECT_EQ(bar->speedPicture(), "beishu_2.png");
    BarButton("btnSlow")->click();
    BarButton("btnSlow")->click();
    EXPECT_EQ(Interaction(0)->m_streamPlayer.GetSpeed(), -1);
    EXPECT_EQ(bar->speedPicture(), "beishu_1_2.png");
    // A key relayed signal to signal works like the button.
    emit area->signalKeyFast();
    EXPECT_EQ(Interaction(0)->m_streamPlayer.GetSpeed(), 0);
    BarButton("singleFrameBtn")->click();
    EXPECT_TRUE(Interaction(0)->m_bSingleFrame);
    EXPECT_FALSE(Interaction(0)->m_bPlaying);
    emit area->signalKeyPlayAndPause();
    EXPECT_TRUE(Playing(0));

    BarButton("btnStop")->click();
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsFileOpen());
    EXPECT_FALSE(cell->isOsdTimerActive());
    EXPECT_EQ(cell->timeLabel()->text(), "0000-00-00 00:00:00");
    EXPECT_TRUE(BarButton("playAllBtn")->isEnabled());
    // Start again from the window's earliest recording.
    start->click();
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
}

TEST_F(PlaybackGridTest, SnapshotAndClipFilesAreWritten) {
    Offer({2});
    grid->onDoubleClickPlay(QModelIndex(), 1);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(1) && Played(1) >= static_cast<time_t>(T); }));
    SinglePlaybackWindow* cell = grid->cells()[1];

    cell->onSnapshot();
    const ziraz::DialogCall* shot = dialogs.find(ziraz::DialogKind::SnapshotInfo);
    ASSERT_NE(shot, nullptr) << (dialogs.calls.empty() ? std::string() : dialogs.calls.back().text.toStdString());
    EXPECT_TRUE(QFileInfo::exists(shot->text)) << shot->text.toStdString();
    EXPECT_TRUE(shot->text.startsWith(kel_test::ProgramFolder() + "/capture/"));

    // The clip of the recorder stream (raw): from the key frame of the frame
    // on screen at the start (one a second) to the frame on screen at the
    // stop, written once it stopped.
    const int port = Interaction(1)->m_streamPlayer.GetPlayer()->GetPort();
    auto shown = [port]() -> int64_t {
        OSTRUM_FILE_TIME t{};
        if (!Ostrum_GetPlayedTime(port, &t)) return -1;
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC)
                   .toMSecsSinceEpoch() + t.millisecond;
    };
    QSignalSpy finished(Interaction(1), &CPlayBackInteraction::signalClipFinished);
    const int64_t before = shown();
    cell->onRecord();
    const int64_t after = shown();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, "start recording."));
    EXPECT_TRUE(Interaction(1)->m_streamPlayer.IsClipping());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return shown() >= after + 2000; }));
    cell->onPause();
    const int64_t last = shown();
    dialogs.calls.clear();
    cell->onRecord();
    EXPECT_FALSE(Interaction(1)->m_streamPlayer.IsClipping());
    const ziraz::DialogCall* clip = dialogs.find(ziraz::DialogKind::Information);
    ASSERT_NE(clip, nullptr);
    const QString folder = kel_test::ProgramFolder() + "/clips/Clip/ch02_";
    ASSERT_TRUE(clip->text.startsWith(folder) && clip->text.endsWith(".mp4")) << clip->text.toStdString();
    const int64_t key = QDateTime::fromString(clip->text.mid(folder.size(), 14), "yyyyMMddhhmmss").toMSecsSinceEpoch();
    EXPECT_GE(key, before / 1000 * 1000);
    EXPECT_LE(key, after);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return finished.count() == 1; }));
    EXPECT_EQ(finished.at(0).at(0).toString(), clip->text);
    EXPECT_TRUE(finished.at(0).at(1).toBool());

    const QByteArray bytes = kel_test::ReadFile(clip->text);
    ASSERT_GT(bytes.size(), 40);
    recstream::StreamHeader header;
    ASSERT_TRUE(recstream::ParseHeader(bytes.constData(), 40, &header));
    EXPECT_EQ(int64_t(header.startTime) * 1000, key);   // the key frame's recorder second
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip->text.toStdString(), true, true);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.logErrors, 0);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.decodedFrames, static_cast<int>((last - key) / 100 + 1));
    EXPECT_EQ(probe.decodedFrames, probe.videoPackets);
    ASSERT_FALSE(probe.pictureKeys.empty());
    EXPECT_TRUE(probe.pictureKeys.front());
    EXPECT_NEAR(probe.firstTime, 0.0, 0.001);
    EXPECT_NEAR(probe.lastTime, (last - key) / 1000.0, 0.001);
}

TEST_F(PlaybackGridTest, ClipWithoutRoomIsRefused) {
    Offer({2});
    grid->onDoubleClickPlay(QModelIndex(), 0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    CSettingsStore::GetInstance()->SetValueText(SettingKey::ClipSavePath, QString());  // cannot be measured
    grid->cells()[0]->onRecord();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, "At least 2G disk space is need."));
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsClipping());
}

TEST_F(PlaybackGridTest, SyncPlaysWindowsInStepAndFeedsTheAxis) {
    grid->model()->select(0);
    grid->onBtnSyncClick();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Warning, "Please select a playing window to sync."));
    EXPECT_FALSE(grid->isSynchronised());
    grid->onBtnUnSyncClick();  // not in step: nothing
    EXPECT_FALSE(grid->isSynchronised());

    Offer({1, 2});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Playing(1); }));
    grid->model()->select(0);
    kel_test::SignalLog ticks(grid->model()->syncGroup(), &APT_QMR::SynPlaybackInteraction::signalCurrentTime);
    BarButton("btnSync")->click();
    EXPECT_TRUE(grid->isSynchronised());
    EXPECT_TRUE(grid->model()->isSyncRunning());
    EXPECT_TRUE(BarButton("btnUnSync")->isEnabled());
    EXPECT_FALSE(BarButton("btnSync")->isEnabled());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return ticks.count() >= 2; }));
    const time_t axis = slider->currentTime();
    EXPECT_GE(axis, static_cast<time_t>(T));

    // The group pauses and resumes from the play button.
    BarButton("btnStart")->click();
    EXPECT_FALSE(grid->model()->syncGroup()->IsPlaying());
    BarButton("btnStart")->click();
    EXPECT_TRUE(grid->model()->syncGroup()->IsPlaying());

    // A seek in step moves every window, and the group's ticks reach the
    // axis again afterwards.
    const time_t target = T + 20;
    const StartThreads starts(grid, {0, 1});
    grid->onVideoTimeClicked(0, target);
    EXPECT_EQ(starts.threads(), QList<QThread*>({qApp->thread(), qApp->thread()}));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= target && Played(1) >= target; }));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return slider->currentTime() >= target; }));

    // A window dropped on during play in step joins the group at its time.
    Offer({3});
    grid->onAcceptDrop(2);
    EXPECT_TRUE(grid->isSynchronised());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Playing(2) && Played(2) >= target; }));
    grid->onBtnStopClick();  // in step: every window stops
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsFileOpen());
    EXPECT_FALSE(Interaction(2)->m_streamPlayer.IsFileOpen());
    grid->onPlayAll();
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Playing(1) && Playing(2); }));

    BarButton("btnUnSync")->click();
    EXPECT_FALSE(grid->isSynchronised());
    EXPECT_FALSE(grid->model()->isSyncRunning());
}

// Quick clicks on the bar's Frame button: each click shows one more frame,
// in one window and in windows played in step (where a window just moved to
// the group's time shows nothing yet when the clicks begin).
TEST_F(PlaybackGridTest, QuickFrameClicksAllArrive) {
    for (const bool inStep : {false, true}) {
        SCOPED_TRACE(inStep ? "in step" : "one window");
        Offer({1, 2});
        grid->onAcceptDrop(0);
        ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Playing(1); }));
        ASSERT_TRUE(kel_test::WaitUntil(
            [&] { return Played(0) >= static_cast<time_t>(T) && Played(1) >= static_cast<time_t>(T); }));
        grid->model()->select(0);
        if (inStep) {
            BarButton("btnSync")->click();
            ASSERT_TRUE(grid->isSynchronised());
        }
        // The first click leaves play for single frames, the others step.
        BarButton("singleFrameBtn")->click();
        const time_t before[2] = {Played(0), Played(1)};
        for (int c = 0; c < 25; ++c) BarButton("singleFrameBtn")->click();   // 2.5 s at 10 fps
        EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= before[0] + 2; }))
            << Played(0) << " from " << before[0];
        if (inStep) {
            EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(1) >= before[1] + 2; }))
                << Played(1) << " from " << before[1];
        }
        if (inStep) BarButton("btnUnSync")->click();
        area->stopAll();
    }
}

TEST_F(PlaybackGridTest, SoundIsOnInOneWindowOnly) {
    Offer({1, 2, 3, 4, 5, 6});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(3) && Playing(5); }));
    auto soundOn = [&](int i) { return Interaction(i)->m_streamPlayer.GetPlayer()->IsSoundOn(); };
    grid->model()->select(3);
    grid->onVoiceStateChanged(true);
    EXPECT_TRUE(soundOn(3));
    grid->model()->select(5);
    grid->onVoiceStateChanged(true);
    EXPECT_TRUE(soundOn(5));
    EXPECT_FALSE(soundOn(3));
    grid->cells()[2]->onVoiceActionClicked();
    EXPECT_TRUE(soundOn(2));
    EXPECT_FALSE(soundOn(5));
}

TEST_F(PlaybackGridTest, ClickOnTheAxisSeeksThatWindow) {
    Offer({1, 2});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Playing(1); }));
    grid->cells()[1]->onPause();  // holds window 1 before the target
    grid->model()->select(1);
    const time_t target = T + 20;
    const StartThreads starts(grid, {0, 1});
    grid->onVideoTimeClicked(0, target);
    EXPECT_EQ(starts.threads(), QList<QThread*>({qApp->thread()}));   // window 0 alone
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= target && Played(0) < target + 8; }));
    EXPECT_LT(Played(1), target);
    EXPECT_TRUE(grid->cells()[0]->isOsdTimerActive());

    // A drag seeks the selected window.
    grid->onVideoTimeDrag(target);
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(1) >= target && Played(1) < target + 8; }));

    // A row without a window binding does nothing.
    grid->onVideoTimeClicked(9, target);
    EXPECT_EQ(Interaction(9), nullptr);

    // A time with no recording: the window is told so and resets, with no
    // picture and no stale time left.
    SinglePlaybackWindow* cell = grid->cells()[0];
    dialogs.calls.clear();
    grid->onVideoTimeClicked(0, T + 10 * kSeconds);
    EXPECT_TRUE(kel_test::WaitUntil([&] { return dialogs.saw(ziraz::DialogKind::Information, "Cannot find file."); }));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return !cell->isOsdTimerActive(); }));
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsFileOpen());
    EXPECT_EQ(cell->timeLabel()->text(), "0000-00-00 00:00:00");
}

TEST_F(PlaybackGridTest, DigitalZoomSelectsARegion) {
    SinglePlaybackWindow* cell = grid->cells()[0];
    cell->onDigitalZoom();  // no file: nothing
    EXPECT_FALSE(cell->isDigitalZoom());

    Offer({1});
    grid->onDoubleClickPlay(QModelIndex(), 0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    QWidget* video = cell->videoWidget();
    ASSERT_GT(video->width(), 20);

    // A release without a press changes nothing.
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    float region[4];
    Interaction(0)->GetDisplayRegion(region);
    EXPECT_FLOAT_EQ(region[2], 1.0f);

    cell->onDigitalZoom();
    ASSERT_TRUE(cell->isDigitalZoom());
    QTest::mousePress(video, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(video->width() * 2, video->height() / 2.0), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(video, &move);
    EXPECT_DOUBLE_EQ(cell->selectionEnd().x(), 1.0);  // clamped
    EXPECT_NEAR(cell->selectionEnd().y(), 0.5, 0.02);
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, QPoint(video->width() / 2, video->height() / 2));
    EXPECT_EQ(cell->selectionStart(), QPointF(-1, -1));
    Interaction(0)->GetDisplayRegion(region);
    EXPECT_NEAR(region[2], 1.0f, 0.02f);
    EXPECT_NEAR(region[3], 0.5f, 0.02f);

    cell->onDigitalZoom();  // leaving restores the whole picture
    EXPECT_FALSE(cell->isDigitalZoom());
    Interaction(0)->GetDisplayRegion(region);
    EXPECT_FLOAT_EQ(region[0], 0.0f);
    EXPECT_FLOAT_EQ(region[3], 1.0f);
}

TEST_F(PlaybackGridTest, ContextMenuEntriesFollowTheWindowState) {
    SinglePlaybackWindow* cell = grid->cells()[0];
    EXPECT_EQ(cell->buildContextMenu(), nullptr);

    Offer({1});
    grid->onDoubleClickPlay(QModelIndex(), 0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    cell->onStop();
    g_diskSearchMode = 1;
    QMenu* menu = cell->buildContextMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "SinglePlaybackWin_RightClick_Menu");
    QStringList enabled;
    for (QAction* a : menu->actions())
        if (a->isEnabled()) enabled << a->text();
    EXPECT_EQ(enabled, QStringList({"DownLoad", "Full Screen"}));

    g_diskSearchMode = 0;
    cell->onStartOrPause();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    menu = cell->buildContextMenu();
    ASSERT_EQ(menu->actions().size(), 5);  // no "DownLoad" after a folder search
    for (QAction* a : menu->actions()) EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();

    cell->onPause();
    menu = cell->buildContextMenu();
    EXPECT_FALSE(menu->actions()[2]->isEnabled());  // record: not while paused
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
}

TEST_F(PlaybackGridTest, ClipDialogOpensForTheSelectedWindow) {
    grid->model()->select(0);
    grid->onVideoCut();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Warning, "No video in selected window."));
    EXPECT_EQ(dialogs.find(ziraz::DialogKind::Modal), nullptr);

    Offer({3});
    grid->onAcceptDrop(0);
    VideoCutWidget* shown = nullptr;
    dialogs.onModal = [&](const ziraz::DialogCall& call) {
        shown = qobject_cast<VideoCutWidget*>(call.dialog);
        return 0;
    };
    grid->onVideoCut();
    ASSERT_EQ(shown, grid->clipDialog());
    EXPECT_EQ(shown->beginEdit()->dateTime().toSecsSinceEpoch(), T);
    EXPECT_EQ(shown->endEdit()->dateTime().toSecsSinceEpoch(), T + kSeconds);
    EXPECT_EQ(shown->chosenRecordings().size(), 1u);
    EXPECT_EQ(shown->size(), QSize(400, 250));
}

TEST_F(PlaybackGridTest, TimeAxisShowsEachWindowsRecordingsOnce) {
    Offer({1});
    grid->onAcceptDrop(0);
    ASSERT_NE(slider->findRow(0), nullptr);
    const int first = slider->findRow(0)->rectCount();
    EXPECT_GT(first, 0);
    Offer({2});
    grid->onAcceptDrop(1);
    EXPECT_EQ(slider->findRow(0)->rectCount(), first);
    EXPECT_GT(slider->findRow(1)->rectCount(), 0);
    grid->cells()[1]->onCloseClicked();
    EXPECT_EQ(slider->findRow(1)->rectCount(), 0);
    EXPECT_EQ(Interaction(1), nullptr);
    grid->onCloseAll();
    EXPECT_EQ(slider->findRow(0)->rectCount(), 0);
}

TEST_F(PlaybackGridTest, DownloadDialogOfACell) {
    Offer({2});
    grid->onAcceptDrop(4);
    SinglePlaybackWindow* cell = grid->cells()[4];
    grid->model()->select(0);
    QDialog* run = nullptr;
    dialogs.onModal = [&](const ziraz::DialogCall& call) {
        run = call.dialog;
        return 0;
    };
    cell->onDownLoad();
    EXPECT_EQ(grid->model()->selectedIndex(), 4);
    if (!run) GTEST_SKIP() << "the download dialog is not part of this program";
    EXPECT_TRUE(run->inherits("CPlaybackDownLoad"));
    EXPECT_EQ(run->parent(), cell);
    QDialog* first = run;
    run = nullptr;
    cell->onDownLoad();  // made once, run again
    EXPECT_EQ(run, first);
    cell->closeChannel();
}

TEST_F(PlaybackGridTest, SeekWhileRecordingStartsANewClipAtTheTarget) {
    Offer({1});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Played(0) >= static_cast<time_t>(T); }));
    grid->cells()[0]->onRecord();
    ASSERT_TRUE(Interaction(0)->m_streamPlayer.IsClipping());
    dialogs.calls.clear();
    grid->onVideoTimeClicked(0, T + 20);
    const ziraz::DialogCall* cut = dialogs.find(ziraz::DialogKind::Information);
    ASSERT_NE(cut, nullptr);
    EXPECT_TRUE(cut->flags[0]);  // shown as a path
    EXPECT_TRUE(cut->text.startsWith(kel_test::ProgramFolder() + "/clips/")) << cut->text.toStdString();
    EXPECT_TRUE(Interaction(0)->m_streamPlayer.IsClipping());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= static_cast<time_t>(T) + 20; }));
    grid->cells()[0]->onStop();
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsClipping());
}

TEST_F(PlaybackGridTest, PlayStopsAtTheEndOfTheSearchRange) {
    SearchPanelAccess access;
    access.selectedFiles = [this]() { return panelRecords; };
    access.dateTimeRange = [](QDateTime* start, QDateTime* end) {
        *start = QDateTime::fromSecsSinceEpoch(T);
        *end = QDateTime::fromSecsSinceEpoch(T + 3);
        return true;
    };
    grid->setSearchAccess(access);
    Offer({1});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    const QString ended = "The video has reached the end: " + grid->cells()[0]->titleText();
    EXPECT_TRUE(kel_test::WaitUntil([&] { return dialogs.saw(ziraz::DialogKind::Information, ended); }));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return !Interaction(0)->m_streamPlayer.IsFileOpen(); }));
}

// Windows played in step that all reach the end of the search range leave
// the bar offering only what can still be done, and each of those works:
// Start plays them again in step from the beginning of what they cover, and
// Unsync leaves the step without asking for a playing window. While they
// play, Unsync is offered only with one of them picked. The players go by a
// clock turned by hand, so the windows stand where they were started.
TEST_F(PlaybackGridTest, EndOfPlayInStepOffersOnlyWhatWorks) {
    const vintrel::ScopedManualClock manual(7000000);
    SearchPanelAccess access;
    access.selectedFiles = [this]() { return panelRecords; };
    access.dateTimeRange = [](QDateTime* start, QDateTime* end) {
        *start = QDateTime::fromSecsSinceEpoch(T);
        *end = QDateTime::fromSecsSinceEpoch(T + 3);
        return true;
    };
    grid->setSearchAccess(access);
    Offer({1, 2});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Playing(1); }));
    grid->model()->select(0);
    BarButton("btnSync")->click();
    ASSERT_TRUE(grid->isSynchronised());
    EXPECT_TRUE(BarButton("btnUnSync")->isEnabled());
    QTest::mouseClick(grid->cells()[3], Qt::LeftButton);  // a window outside the step
    EXPECT_FALSE(BarButton("btnUnSync")->isEnabled());
    QTest::mouseClick(grid->cells()[1], Qt::LeftButton);
    EXPECT_TRUE(BarButton("btnUnSync")->isEnabled());

    auto bothEnded = [&] {
        const bool ended =
            !Interaction(0)->m_streamPlayer.IsFileOpen() && !Interaction(1)->m_streamPlayer.IsFileOpen();
        if (!ended) vintrel::AdvanceManualClock(100);
        return ended;
    };
    ASSERT_TRUE(kel_test::WaitUntil(bothEnded));
    // One notice names both windows, and none without a name.
    const QString ended = "The video has reached the end: " + grid->cells()[0]->titleText() + ", " +
                          grid->cells()[1]->titleText();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, ended));
    EXPECT_FALSE(dialogs.saw(ziraz::DialogKind::Information, "The video has reach the end."));
    QCoreApplication::processEvents();
    struct Expect {
        const char* button;
        bool enabled;
    } expected[] = {{"btnStart", true},      {"btnStop", false},     {"singleFrameBtn", false},
                    {"btnSlow", false},      {"btnFast", false},     {"btnSync", false},
                    {"btnUnSync", true},     {"pauseAllBtn", false}, {"restoreAllBtn", false},
                    {"closeAllBtn", false},  {"playAllBtn", true}};
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.button);
        EXPECT_EQ(BarButton(e.button)->isEnabled(), e.enabled);
    }
    EXPECT_EQ(BarButton("btnStart")->toolTip(), "Start");

    const size_t before = dialogs.calls.size();
    BarButton("btnStart")->click();
    EXPECT_TRUE(Playing(0) && Playing(1));
    EXPECT_TRUE(grid->model()->syncGroup()->HasActiveWindow());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) == time_t(T) && Played(1) == time_t(T); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(BarButton("btnStart")->toolTip(), "Pause");
    EXPECT_TRUE(BarButton("btnStop")->isEnabled());

    // The same again through Play All.
    ASSERT_TRUE(kel_test::WaitUntil(bothEnded));
    BarButton("playAllBtn")->click();
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) == time_t(T) && Played(1) == time_t(T); }));

    ASSERT_TRUE(kel_test::WaitUntil(bothEnded));
    QCoreApplication::processEvents();
    ASSERT_TRUE(BarButton("btnUnSync")->isEnabled());
    BarButton("btnUnSync")->click();
    EXPECT_FALSE(grid->isSynchronised());
    EXPECT_FALSE(grid->model()->isSyncRunning());
    EXPECT_TRUE(BarButton("btnSync")->isEnabled());
    EXPECT_FALSE(BarButton("btnUnSync")->isEnabled());
    for (size_t i = before; i < dialogs.calls.size(); ++i)
        EXPECT_NE(dialogs.calls[i].kind, ziraz::DialogKind::Warning) << dialogs.calls[i].text.toStdString();
    EXPECT_FALSE(dialogs.saw(ziraz::DialogKind::Information, "Failed to play video."));
}

TEST_F(PlaybackGridTest, DropOnACellPlaysThePanelsSelection) {
    Offer({3});
    SinglePlaybackWindow* cell = grid->cells()[2];
    QSignalSpy dropped(cell, &SinglePlaybackWindow::signalAcceptDrop);
    QMimeData mime;
    mime.setText("files");
    QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(cell, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(cell, &drop);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toInt(), 2);
    EXPECT_NE(Interaction(2), nullptr);
    EXPECT_EQ(grid->model()->selectedIndex(), 2);
}

TEST_F(PlaybackGridTest, CellButtonsAndSpeedOverTheVideo) {
    SinglePlaybackWindow* cell = grid->cells()[0];
    auto button = [&](const char* name) { return cell->findChild<QToolButton*>(name); };
    EXPECT_FALSE(button("PlayBottom_PauseBtn")->isEnabled());
    Offer({1});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(cell, &enter);
    EXPECT_TRUE(cell->bottomBar()->isVisibleTo(cell));
    EXPECT_TRUE(cell->closeButton()->isVisibleTo(cell));
    for (const char* name : {"PlayBottom_PauseBtn", "PlayBottom_StopBtn", "PlayBottom_SlowBtn", "PlayBottom_FastBtn",
                             "PlayBottom_FrameBtn", "PlayBottom_CaptureBtn", "PlayBottom_RecordBtn"})
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    EXPECT_EQ(cell->speedLabel()->text(), "1x");
    cell->onCtrlSpeed(4);
    EXPECT_EQ(cell->speedLabel()->text(), "16x");
    EXPECT_FALSE(button("PlayBottom_FastBtn")->isEnabled());
    cell->onCtrlSpeed(-4);
    EXPECT_EQ(cell->speedLabel()->text(), "1/16x");
    EXPECT_FALSE(button("PlayBottom_SlowBtn")->isEnabled());
    EXPECT_TRUE(button("PlayBottom_FastBtn")->isEnabled());
    cell->onPause();
    EXPECT_FALSE(button("PlayBottom_FrameBtn")->isEnabled());
    EXPECT_FALSE(button("PlayBottom_RecordBtn")->isEnabled());
    EXPECT_EQ(button("PlayBottom_PauseBtn")->toolTip(), "Start");
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(cell, &leave);
    EXPECT_FALSE(cell->speedLabel()->isVisibleTo(cell));
    EXPECT_FALSE(cell->closeButton()->isVisibleTo(cell));
}

TEST_F(PlaybackGridTest, MissingRecordingReportsFailedToPlay) {
    ChannelFiles* missing = Record(1);
    missing->SingleFileList.front()->FileName = RecordingFolder(0) + "/gone.mp4";
    panelRecords.append(missing);
    grid->onAcceptDrop(2);
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, "Failed to play video."));
    EXPECT_FALSE(Interaction(2)->m_streamPlayer.IsFileOpen());
    dialogs.calls.clear();
    grid->onBtnStartClick();  // window 2 is selected: the start fails again
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, "Failed to play video."));
}

TEST_F(PlaybackGridTest, LocalFileThatCannotBePlayedIsNamedInAMessageBox) {
    const std::string path = RecordingFolder(0) + "/ch01_20240301080000_20240301080030.mp4";
    ASSERT_TRUE(kel_test::WriteFile(QString::fromStdString(path), QByteArray(30000, 'x')));
    ChannelFiles* damaged = Record(1);
    damaged->SingleFileList.front()->FileName = path;
    panelRecords.append(damaged);
    grid->onDoubleClickedPlay(QModelIndex());
    const ziraz::DialogCall* box = dialogs.find(ziraz::DialogKind::MessageInfo);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title, "Error");
    EXPECT_EQ(box->text, "The file " + QString::fromStdString(path) +
                             " cannot be played: it is damaged or it is not a video file.");
    EXPECT_FALSE(dialogs.saw(ziraz::DialogKind::Information, "Failed to play video."));
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsFileOpen());
}

// The downloader's .mp4 of a recording, found in a local folder, plays in a
// cell: played time, pause, a move on the time axis and the end of the file.
TEST_F(PlaybackGridTest, SavedMp4PlaysInACell) {
    const std::string path = SaveAsMp4(2, "ch02_saved.mp4");
    ASSERT_FALSE(path.empty());
    ChannelFiles* saved = Record(2);
    saved->SingleFileList.front()->FileName = path;
    panelRecords.append(saved);
    grid->onDoubleClickedPlay(QModelIndex());
    EXPECT_EQ(dialogs.find(ziraz::DialogKind::MessageInfo), nullptr);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Played(0) >= static_cast<time_t>(T) + 1; }));

    grid->cells()[0]->onPause();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !Interaction(0)->m_bPlaying; }));
    const time_t held = Played(0);
    grid->model()->select(0);
    const time_t target = T + 20;
    const StartThreads starts(grid, {0, 1});
    grid->onVideoTimeClicked(0, target);
    EXPECT_EQ(starts.threads(), QList<QThread*>({qApp->thread()}));   // window 0 alone
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Played(0) >= target && Played(0) < target + 8; }));
    EXPECT_NE(Played(0), held);
    grid->cells()[0]->onFast();
    // The pump notices the end of the file, the cell tells and stops.
    const QString ended = "The video has reached the end: " + grid->cells()[0]->titleText();
    EXPECT_TRUE(kel_test::WaitUntil([&] { return dialogs.saw(ziraz::DialogKind::Information, ended); }));
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsFileOpen());
}

// Recording while a saved .mp4 plays: the clip holds the frames shown from
// the key frame of the first (a key frame each second) to the last one shown
// before recording stopped; it is cut while the window goes on (its end
// comes through the event loop) and is an .mp4 file that decodes from its
// first picture, at its recorder time.
TEST_F(PlaybackGridTest, RecordingWhileASavedMp4PlaysCutsItsClip) {
    const std::string path = SaveAsMp4(2, "ch02_recorded.mp4");
    ASSERT_FALSE(path.empty());
    ChannelFiles* saved = Record(2);
    saved->SingleFileList.front()->FileName = path;
    panelRecords.append(saved);
    grid->onDoubleClickedPlay(QModelIndex());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Played(0) >= static_cast<time_t>(T) + 1; }));
    SinglePlaybackWindow* cell = grid->cells()[0];
    const int port = Interaction(0)->m_streamPlayer.GetPlayer()->GetPort();
    auto shown = [port]() -> int64_t {
        OSTRUM_FILE_TIME t{};
        if (!Ostrum_GetPlayedTime(port, &t)) return -1;
        return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::UTC)
                   .toMSecsSinceEpoch() + t.millisecond;
    };
    QSignalSpy finished(Interaction(0), &CPlayBackInteraction::signalClipFinished);

    const int64_t before = shown();
    cell->onRecord();
    const int64_t after = shown();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, "start recording."));
    EXPECT_TRUE(Interaction(0)->m_streamPlayer.IsClipping());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return shown() >= after + 2000; }));
    cell->onPause();   // recording stops at the frame left on screen
    const int64_t last = shown();
    dialogs.calls.clear();
    cell->onRecord();
    EXPECT_FALSE(Interaction(0)->m_streamPlayer.IsClipping());
    const ziraz::DialogCall* note = dialogs.find(ziraz::DialogKind::Information);
    ASSERT_NE(note, nullptr);
    const QString clip = note->text;
    // Named after the second of the frame on screen when recording started.
    const QString folder = kel_test::ProgramFolder() + "/clips/Clip/ch02_";
    ASSERT_TRUE(clip.startsWith(folder) && clip.endsWith(".mp4")) << clip.toStdString();
    const int64_t key = QDateTime::fromString(clip.mid(folder.size(), 14), "yyyyMMddhhmmss").toMSecsSinceEpoch();
    EXPECT_GE(key, before / 1000 * 1000);
    EXPECT_LE(key, after);
    EXPECT_EQ(finished.count(), 0);   // not waited for
    ASSERT_TRUE(kel_test::WaitUntil([&] { return finished.count() == 1; }));
    EXPECT_EQ(finished.at(0).at(0).toString(), clip);
    EXPECT_TRUE(finished.at(0).at(1).toBool());

    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip.toStdString(), true);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.logErrors, 0);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.decodedFrames, static_cast<int>((last - key) / 100 + 1));
    EXPECT_EQ(probe.decodedFrames, probe.videoPackets);
    EXPECT_EQ(probe.creationTime, QDateTime::fromMSecsSinceEpoch(key, Qt::UTC)
                                      .toString("yyyy-MM-ddThh:mm:ss.000000Z").toStdString());
    EXPECT_NEAR(probe.firstTime, 0.0, 0.001);
    EXPECT_NEAR(probe.duration, (last - key + 100) / 1000.0, 0.001);
}

// A clip of a file that went away while it was recorded cannot be cut: the
// window says so and nothing of it stays.
TEST_F(PlaybackGridTest, ClipOfAVanishedMp4IsReportedAndLeavesNothing) {
    const std::string path = SaveAsMp4(3, "ch03_vanishing.mp4");
    ASSERT_FALSE(path.empty());
    ChannelFiles* saved = Record(3);
    saved->SingleFileList.front()->FileName = path;
    panelRecords.append(saved);
    grid->onDoubleClickedPlay(QModelIndex());
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Played(0) >= static_cast<time_t>(T); }));
    SinglePlaybackWindow* cell = grid->cells()[0];
    cell->onRecord();
    ASSERT_TRUE(Interaction(0)->m_streamPlayer.IsClipping());
    const QString clip = QString::fromStdString(Interaction(0)->m_streamPlayer.GetPlayer()->GetClipPath());
    ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
    cell->onRecord();
    const QString text = "The clip " + clip + " could not be saved.";
    ASSERT_TRUE(kel_test::WaitUntil([&] { return dialogs.saw(ziraz::DialogKind::Information, text); }));
    EXPECT_FALSE(QFile::exists(clip));
    EXPECT_FALSE(QFile::exists(clip + ".part"));
}

TEST_F(PlaybackGridTest, CoverPausesPlayingWindowsAndResumesThem) {
    Offer({1, 2});
    grid->onAcceptDrop(0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0) && Playing(1); }));
    grid->cells()[1]->onPause();
    area->setCover(true);
    EXPECT_TRUE(Interaction(0)->m_bPause);
    EXPECT_FALSE(Interaction(0)->m_bPlaying);
    area->setCover(false);
    EXPECT_TRUE(Playing(0));
    EXPECT_TRUE(Interaction(1)->m_bPause);  // paused by the operator: stays paused
}

TEST_F(PlaybackGridTest, ZoomOverlayIsDrawnOverThePicture) {
    Offer({1});
    grid->onDoubleClickPlay(QModelIndex(), 0);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Playing(0); }));
    SinglePlaybackWindow* cell = grid->cells()[0];
    QWidget* video = cell->videoWidget();
    cell->onDigitalZoom();
    QTest::mousePress(video, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    QMouseEvent move(QEvent::MouseMove, QPointF(video->width() / 2.0, video->height() / 2.0), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(video, &move);

    QImage image(video->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        SinglePlaybackWindow::DrawCallback(0, &painter, cell);
    }
    // The grey selection frame runs along the top edge to the middle.
    auto greyNearTop = [&](int x) {
        for (int y = 0; y < 3; ++y)
            if (image.pixelColor(x, y) == QColor(172, 168, 168)) return true;
        return false;
    };
    EXPECT_TRUE(greyNearTop(video->width() / 4));
    EXPECT_FALSE(greyNearTop(video->width() * 3 / 4));
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, QPoint(video->width() / 2, video->height() / 2));
}

}  // namespace
