// SPDX-License-Identifier: GPL-3.0-or-later
// The control bar's states and signals, its layout pop-up, the control area's
// relays, and the window time axis.
#include "chart/ChartLayer.h"
#include "chart/MultiTimeSlider.h"
#include "PlayControlBar/PlayControlBar.h"
#include "PlaybackWindow/PlaybackControlArea.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "PlayControlBar/VideoTimeSliderWidget.h"

#include <QBrush>
#include <QLabel>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QSlider>
#include <functional>
#include "ziraz/controls.h"

#include <gtest/gtest.h>

namespace {

// No web engine in these tests: the bars get no map dialog.
class NoMapDialog : public ::testing::Environment {
    void SetUp() override { PlayControlBar::SetMapDialogFactory([](PlayControlBar*) { return nullptr; }); }
};
const auto* const kNoMap = ::testing::AddGlobalTestEnvironment(new NoMapDialog);

// A button of the bar or of its layout pop-up.
QToolButton* Button(PlayControlBar& bar, const char* name) {
    if (auto* b = bar.findChild<QToolButton*>(name)) return b;
    return bar.layoutMenu()->findChild<QToolButton*>(name);
}

const char* const kPlaybackButtons[] = {"btnStart",  "btnStop",    "singleFrameBtn", "btnSlow",
                                        "btnFast",   "btnSync",    "btnUnSync",      "playAllBtn",
                                        "pauseAllBtn", "restoreAllBtn", "closeAllBtn"};

TEST(PlayControlBar, FreshBarHasItsPlaybackButtonsOff) {
    PlayControlBar bar;
    EXPECT_EQ(bar.objectName(), "Quillmere_PlayControlBar");
    EXPECT_EQ(bar.height(), 45);
    for (const char* name : kPlaybackButtons) {
        auto* b = bar.findChild<QToolButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        EXPECT_FALSE(b->isEnabled()) << name;
    }
    EXPECT_FALSE(bar.findChild<QWidget*>("soundBtn")->isEnabled());
    for (const char* name : {"cutBtn", "winInfoBtn", "layoutBtn", "mapBtn", "fullScreenBtn"})
        EXPECT_TRUE(bar.findChild<QToolButton*>(name)->isEnabled()) << name;
    EXPECT_TRUE(bar.findChild<QToolButton*>("reversePlayBtn")->isHidden());
    EXPECT_EQ(bar.speedPicture(), "beishu_1.png");
}

TEST(PlayControlBar, PicturesAreAvailable) {
    PlayControlBar bar;
    for (const char* name : {"beishu_2.png", "beishu_1_16.png", "bofang_nor .png", "pause.png", "fenping9_hov.png"})
        EXPECT_FALSE(QPixmap(QString(":/Quillmere/Images/PlayBack/Buttons/") + name).isNull()) << name;
    auto* speed = bar.findChild<QLabel*>("speedLabel");
    ASSERT_NE(speed, nullptr);
    EXPECT_FALSE(speed->pixmap(Qt::ReturnByValue).isNull());
}

TEST(PlayControlBar, ButtonsEmitTheirSignals) {
    PlayControlBar bar;
    struct Case {
        const char* button;
        void (PlayControlBar::*signal)();
    };
    const Case cases[] = {{"cutBtn", &PlayControlBar::signalVideoCut},
                          {"winInfoBtn", &PlayControlBar::signalPlayTitle},
                          {"fullScreenBtn", &PlayControlBar::signalFullScreen},
                          {"PlayControlBar_NineWindowBtn", &PlayControlBar::nineScreenSplit}};
    for (const Case& c : cases) {
        QSignalSpy spy(&bar, c.signal);
        Button(bar, c.button)->click();
        EXPECT_EQ(spy.count(), 1) << c.button;
    }
}

// The sound button opens its volume pop-up; the slider reports the volume,
// the pop-up's button the sound state, each with the matching icons.
TEST(PlayControlBar, SoundButtonPopupSetsTheVolumeAndTheSound) {
    PlayControlBar bar;
    bar.show();
    auto* sound = bar.findChild<ziraz::VolumeButton*>("soundBtn");
    ASSERT_TRUE(sound);
    bar.setVoiceState(false, 0);
    sound->setEnabled(true);
    QSignalSpy values(&bar, &PlayControlBar::signalVoiceValue);
    QSignalSpy states(&bar, &PlayControlBar::signalVoiceState);
    const QString volumeIcons = ":/CommonSkin/Volume/Images/Public/Control/Volume/";
    for (const QString& path : {QString(":/Quillmere/Images/PlayBack/Buttons/sound.png"),
                                QString(":/Quillmere/Images/PlayBack/Buttons/jingyin_nor.png"),
                                volumeIcons + "OpenSound.png", volumeIcons + "CloseSound.png"})
        EXPECT_FALSE(QPixmap(path).isNull()) << path.toStdString();

    QTest::mouseClick(sound, Qt::LeftButton);
    ASSERT_TRUE(sound->popup()->isVisible());
    QSlider* slider = sound->volumeSlider();
    EXPECT_TRUE(slider->isVisible());
    EXPECT_TRUE(sound->muteButton()->isVisible());
    EXPECT_EQ(sound->muteButton()->icon().cacheKey() != 0, true);

    struct Step {
        const char* what;
        std::function<void()> act;
        QList<int> values;     // signalVoiceValue arguments so far
        QList<bool> states;    // signalVoiceState arguments so far
    };
    const Step steps[] = {
        {"slider up", [&] { slider->setValue(40000); }, {40000}, {true}},
        {"slider down", [&] { slider->triggerAction(QAbstractSlider::SliderPageStepSub); },
         {40000, 40000 - ziraz::VolumeButton::kMaxVolume / 10}, {true}},
        {"mute", [&] { QTest::mouseClick(sound->muteButton(), Qt::LeftButton); },
         {40000, 40000 - ziraz::VolumeButton::kMaxVolume / 10}, {true, false}},
        {"unmute", [&] { QTest::mouseClick(sound->muteButton(), Qt::LeftButton); },
         {40000, 40000 - ziraz::VolumeButton::kMaxVolume / 10}, {true, false, true}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        QList<int> gotValues;
        for (const auto& args : values) gotValues << args.at(0).toInt();
        QList<bool> gotStates;
        for (const auto& args : states) gotStates << args.at(0).toBool();
        EXPECT_EQ(gotValues, step.values);
        EXPECT_EQ(gotStates, step.states);
        EXPECT_EQ(sound->soundOn(), step.states.last());
    }
    // The grid's report puts the slider where the cell's volume is, silently.
    bar.setVoiceState(true, 1234);
    EXPECT_EQ(slider->value(), 1234);
    EXPECT_EQ(values.count(), 2);
}

TEST(PlayControlBar, StateOfAnUnboundWindowOffersOnlySync) {
    PlayControlBar bar;
    PlaybackGridModel model;
    bar.onControlBtnState(5, &model);
    for (const char* name : kPlaybackButtons)
        EXPECT_EQ(bar.findChild<QToolButton*>(name)->isEnabled(), QString(name) == "btnSync") << name;
}

TEST(PlayControlBar, SpeedStepPictures) {
    PlayControlBar bar;
    bar.setControlBtnEnabled(true, true, true, true, true, true, false, true);
    bar.setSpeedState(4);
    EXPECT_EQ(bar.speedPicture(), "beishu_16.png");
    EXPECT_FALSE(bar.findChild<QToolButton*>("btnFast")->isEnabled());
    bar.setSpeedState(-4);
    EXPECT_EQ(bar.speedPicture(), "beishu_1_16.png");
    EXPECT_FALSE(bar.findChild<QToolButton*>("btnSlow")->isEnabled());
    bar.setSpeedState(9);
    EXPECT_EQ(bar.speedPicture(), "beishu_1_16.png");
}

TEST(PlayControlBar, LayoutMenuStaysOpenOnAChoiceAndHidesOnAPressOutside) {
    PlayControlBar bar;
    bar.show();
    QSignalSpy four(&bar, &PlayControlBar::fourScreenSplit);
    bar.findChild<QToolButton*>("layoutBtn")->click();
    ASSERT_TRUE(bar.layoutMenu()->isVisible());
    EXPECT_EQ(bar.layoutMenu()->size(), QSize(322, 88));
    Button(bar, "PlayControlBar_FourWindowBtn")->click();
    EXPECT_EQ(four.count(), 1);
    EXPECT_TRUE(bar.layoutMenu()->isVisible());
    const QPoint outside = bar.layoutMenu()->geometry().bottomRight() + QPoint(50, 50);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(-10, -10), QPointF(outside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    EXPECT_TRUE(bar.layoutMenu()->event(&press));
    EXPECT_FALSE(bar.layoutMenu()->isVisible());
}

TEST(PlaybackControlArea, ShortcutsActLikeTheButtons) {
    PlaybackControlArea area(nullptr, 0);
    QSignalSpy play(area.controlBar(), &PlayControlBar::signalPlay);
    QSignalSpy slow(area.controlBar(), &PlayControlBar::signalSlow);
    emit area.signalKeyPlayAndPause();
    emit area.signalKeySlow();
    EXPECT_EQ(play.count(), 1);
    EXPECT_EQ(slow.count(), 1);
    // The bar's split buttons reach the grid.
    Button(*area.controlBar(), "PlayControlBar_SixteenWindowBtn")->click();
    EXPECT_EQ(area.playbackWindow()->splitMode(), 3);
    area.connectTimeWithShowPicture(nullptr);  // no panel: no connection, no failure
    EXPECT_TRUE(area.stopAllWindows());
}

TEST(VideoTimeSliderWidget, RowsCaptionsAndPassedOnSignals) {
    VideoTimeSliderWidget axis;
    EXPECT_EQ(axis.currentTime(), -1);
    EXPECT_EQ(axis.slider()->objectName(), "multiTimeSlider");
    EXPECT_EQ(axis.slider()->popupCount(), 16);
    QSignalSpy click(&axis, SIGNAL(signalMouseClick(int, time_t)));
    QSignalSpy drag(&axis, &VideoTimeSliderWidget::signalDrag);
    emit axis.slider()->MouseClick(3, time_t(1000));
    emit axis.slider()->Mousedrag(time_t(2000));
    ASSERT_EQ(click.count(), 1);
    EXPECT_EQ(click.at(0).at(0).toInt(), 3);
    ASSERT_EQ(drag.count(), 1);
    axis.onPlayTime(1234);
    EXPECT_EQ(axis.currentTime(), 1234);
}

TEST(VideoTimeSliderWidget, SingleRowReplacesBatchAdds) {
    VideoTimeSliderWidget axis;
    const QDateTime day(QDate(2024, 3, 1), QTime(0, 0, 0));
    axis.setSearchRange(day, day.addSecs(86399));
    axis.setDays(day.date(), day.date());
    auto span = [&](int from, int to) {
        CDateTimePair p(day.addSecs(from), day.addSecs(to));
        p.setData(1, CDateTimePair::RecordTypeRole);
        p.setData(QBrush(Qt::green), CDateTimePair::ColorRole);
        return p;
    };
    ASSERT_NE(axis.findRow(1), nullptr);
    axis.onAddSingleTime(1, {span(3600, 7200)});
    const int one = axis.findRow(1)->rectCount();
    EXPECT_GT(one, 0);
    axis.onAddSingleTime(1, {span(3600, 7200)});
    EXPECT_EQ(axis.findRow(1)->rectCount(), one);  // replaced
    QMap<uint, QList<CDateTimePair>> batch;
    batch[1] = {span(36000, 39600)};
    axis.setAllRecords(batch);
    EXPECT_GT(axis.findRow(1)->rectCount(), one);  // added
    axis.clearRow(1);
    EXPECT_EQ(axis.findRow(1)->rectCount(), 0);
    axis.onAddBatchTime(batch);
    EXPECT_GT(axis.findRow(1)->rectCount(), 0);
    axis.reset();
    EXPECT_EQ(axis.findRow(1)->rectCount(), 0);
}

}  // namespace
