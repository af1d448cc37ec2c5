// SPDX-License-Identifier: GPL-3.0-or-later
// Main window: pages and their places, navigation and the mode values, keys,
// cover and the exit question.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QLayout>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <optional>

#include "Quillmere/OperateSelWidget.h"
#include "Quillmere/PageFactory.h"
#include "Playback/PlaybackGlobals.h"
#include "Quillmere/Quillmere.h"
#include "common/MapKeyHolder.h"
#include "Quillmere/TitleBar.h"
#include "kel_test/test_support.h"
#include "ziraz/controls.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"


#include "PlaybackWindow/PlaybackControlArea.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "SearchBar/SearchBarWidget.h"
#include "PictureShow/PictureShowView.h"
#include "SearchBar/PictureShowLabel.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "common/TipDialog.h"

#include <QTemporaryDir>

namespace {

// Answers every dialog with `answer` and records the calls.
struct DialogRecorder {
    explicit DialogRecorder(int answer)
        : presenter([this, answer](const ziraz::DialogCall& call) -> std::optional<int> {
              calls.push_back(call);
              if (onCall) onCall(call);
              return answer;
          }) {}
    std::vector<ziraz::DialogCall> calls;
    std::function<void(const ziraz::DialogCall&)> onCall;
    ziraz::ScopedDialogPresenter presenter;
};

bool LayoutHolds(QLayout* layout, QWidget* widget) {
    if (!layout) return false;
    for (int i = 0; i < layout->count(); ++i)
        if (layout->itemAt(i)->widget() == widget) return true;
    return false;
}

TEST(MainWindow, BuildsEveryPageInItsPlace) {
    Quillmere window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window.minimumSize(), QSize(1270, 760));
    EXPECT_EQ(window.maximumSize(), QSize(10000, 10000));
    ASSERT_TRUE(window.centralWidget());
    EXPECT_EQ(window.centralWidget()->objectName(), "Quillmere__tCenterWidget");
    EXPECT_EQ(window.centralWidget()->windowTitle(), "Quillmere");

    EXPECT_EQ(window.operateSelWidget()->objectName(), "Quillmere_OperateSelWidget");
    EXPECT_EQ(window.titleBar()->objectName(), "Quillmere_TitleBar");
    EXPECT_EQ(window.trackPage()->objectName(), "Quillmere_TrackPlaybackWidget");
    EXPECT_EQ(window.settingPage()->objectName(), "Quillmere_SettingWidget");
    EXPECT_EQ(window.logPage()->objectName(), "Quillmere_LogWidget");
    EXPECT_EQ(window.alarmPage()->objectName(), "Quillmere_AlarmWidget");
    EXPECT_EQ(window.playbackSearchBar()->objectName(), "Quillmere_SearchBar");
    EXPECT_EQ(window.evidenceSearchBar()->objectName(), "Quillmere_SearchBar");
    EXPECT_NE(window.playbackSearchBar(), window.evidenceSearchBar());
    EXPECT_NE(window.playbackControlArea(), window.evidenceControlArea());

    const QStringList pages = {"playbackPage", "evidencePlaybackPage", "TrackPlaybackPage", "logPage",
                               "alarmPage",    "settingPage",          "capturePlaybackPage"};
    ASSERT_EQ(window.stackedWidget()->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i) EXPECT_EQ(window.stackedWidget()->widget(i)->objectName(), pages[i]);
    EXPECT_EQ(window.stackedWidget()->currentIndex(), 0);

    QList<int> keys = window.pageLayoutKeys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, (QList<int>{32, 33, 34, 36, 40, 48, 129, 144, 257, 272}));

    struct Place {
        int key;
        QWidget* widget;
        const char* layout;
    };
    const Place places[] = {
        {33, window.playbackSearchBar(), "playbackPageLeftLayout"},
        {129, window.playbackControlArea(), "playbackPageRightTopLayout"},
        {257, window.vehicleDataPanel(), "playbackPageRightBottomLayout"},
        {48, window.evidenceSearchBar(), "evidencepPlaybackPageLeftLayout"},
        {144, window.evidenceControlArea(), "evidencepPlaybackPageRightTopLayout"},
        {272, window.evidenceTimeAxis(), "evidencepPlaybackPageRightBottomLayout"},
        {40, window.trackPage(), "TrackPlaybackLayout"},
        {34, window.logPage(), "logPageLayout"},
        {32, window.alarmPage(), "alarmPageLayout"},
        {36, window.settingPage(), "settingPageLayout"},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.layout);
        ASSERT_TRUE(p.widget);
        EXPECT_EQ(window.pageLayout(p.key)->objectName(), p.layout);
        EXPECT_TRUE(LayoutHolds(window.pageLayout(p.key), p.widget));
    }
    EXPECT_EQ(window.playbackSearchBar()->minimumWidth(), 315);
    EXPECT_EQ(window.playbackSearchBar()->maximumWidth(), 315);
    EXPECT_EQ(window.evidenceSearchBar()->maximumWidth(), 315);
    EXPECT_EQ(window.vehicleDataPanel()->maximumHeight(), 180);
    EXPECT_EQ(window.evidenceTimeAxis()->maximumHeight(), 157);
    EXPECT_TRUE(window.version().startsWith("Version:V4.3.2build"));
}

TEST(MainWindow, NavigationSwitchesPagesAndSetsTheModes) {
    Quillmere window;
    window.show();
    OperateSelWidget* nav = window.operateSelWidget();
    QSignalSpy leftSettings(&window, &Quillmere::singalTabChanged);

    struct Step {
        int button;
        int stack;
        int mode;  // expected g_playbackMode / g_saveFolderMode afterwards
        int tabChangedSignals;
    };
    const Step steps[] = {
        {1, 1, 1, 0},  // Evidence
        {3, 3, 1, 0},  // Log: modes untouched
        {4, 4, 1, 0},  // Alarm
        {5, 5, 1, 0},  // Setting
        {5, 5, 1, 0},  // Setting again: nothing emitted
        {0, 0, 0, 1},  // leaving Setting for Playback
        {5, 5, 0, 1},
        {4, 4, 0, 2},  // leaving Setting for Alarm
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.button);
        QTest::mouseClick(nav->button(s.button), Qt::LeftButton);
        EXPECT_EQ(window.stackedWidget()->currentIndex(), s.stack);
        EXPECT_EQ(window.currentNavigationIndex(), s.button);
        EXPECT_EQ(g_playbackMode, s.mode);
        EXPECT_EQ(g_saveFolderMode, s.mode);
        EXPECT_EQ(CurrentSyncGroup.load(), s.mode);
        EXPECT_EQ(CurrentCapturePage.load(), s.mode);
        EXPECT_EQ(leftSettings.count(), s.tabChangedSignals);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(nav->button(i)->isChecked(), i == s.button) << i;
    }
    // A direct call without a sender changes nothing.
    QMetaObject::invokeMethod(&window, "onTabChanged");
    EXPECT_EQ(window.stackedWidget()->currentIndex(), 4);
    EXPECT_NE(window.stackedWidget()->currentIndex(), 6);
}

TEST(MainWindow, KeysEmitTheirSignals) {
    Quillmere window;
    QSignalSpy help(&window, &Quillmere::signalGetHelp);
    QSignalSpy play(&window, &Quillmere::signalKeyPlayAndPause);
    QSignalSpy fast(&window, &Quillmere::signalKeyFast);
    QSignalSpy slow(&window, &Quillmere::signalKeySlow);
    DialogRecorder dialogs(1);  // F1 finds no manual and says so
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Right);
    QTest::keyClick(&window, Qt::Key_Left);
    QTest::keyClick(&window, Qt::Key_A);
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(play.count(), 1);
    EXPECT_EQ(fast.count(), 2);
    EXPECT_EQ(slow.count(), 1);
    EXPECT_EQ(help.count(), 1);
    // F1 reaches the title bar, which opens the manual through the about box.
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, ziraz::DialogKind::MessageInfo);
    EXPECT_EQ(dialogs.calls[0].text, "No user manual found.");

    // Whatever page is shown, the keys reach both control areas.
    {
        QSignalSpy playbackPlay(window.playbackControlArea(), SIGNAL(signalKeyPlayAndPause()));
        QSignalSpy evidencePlay(window.evidenceControlArea(), SIGNAL(signalKeyPlayAndPause()));
        QSignalSpy evidenceSlow(window.evidenceControlArea(), SIGNAL(signalKeySlow()));
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_Left);
        EXPECT_EQ(playbackPlay.count(), 1);
        EXPECT_EQ(evidencePlay.count(), 1);
        EXPECT_EQ(evidenceSlow.count(), 1);
    }
}

TEST(MainWindow, CoverFollowsTheSearchPanels) {
    Quillmere window;
    window.show();
    EXPECT_FALSE(window.isCovered());
    ASSERT_TRUE(QMetaObject::invokeMethod(&window, "onEnableCover", Q_ARG(bool, true)));
    EXPECT_TRUE(window.isCovered());
    ASSERT_TRUE(QMetaObject::invokeMethod(&window, "onEnableCover", Q_ARG(bool, false)));
    EXPECT_FALSE(window.isCovered());
    {
        // The real panel's signal reaches the window.
        ASSERT_TRUE(QMetaObject::invokeMethod(window.playbackSearchBar(), "signalCover", Q_ARG(bool, true)));
        EXPECT_TRUE(window.isCovered());
        ASSERT_TRUE(QMetaObject::invokeMethod(window.evidenceSearchBar(), "signalCover", Q_ARG(bool, false)));
        EXPECT_FALSE(window.isCovered());
    }
}

TEST(MainWindow, ExitQuestionAnsweredNoKeepsTheWindow) {
    Quillmere window;
    window.show();
    DialogRecorder dialogs(0);
    bool coveredWhileAsked = false;
    dialogs.onCall = [&](const ziraz::DialogCall&) { coveredWhileAsked = window.isCovered(); };
    EXPECT_FALSE(window.close());
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, ziraz::DialogKind::CheckMessage);
    EXPECT_EQ(dialogs.calls[0].title, "Exit");
    EXPECT_EQ(dialogs.calls[0].text, "Exit the KEL4.0 software?");
    EXPECT_EQ(dialogs.calls[0].parent, &window);
    EXPECT_TRUE(coveredWhileAsked);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isCovered());
}

TEST(MainWindow, ExitQuestionAnsweredYesCloses) {
    Quillmere window;
    window.show();
    DialogRecorder dialogs(1);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(dialogs.calls.size(), 1u);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.isCovered());
}

TEST(MainWindow, TitleBarCloseButtonAsksFirst) {
    Quillmere window;
    window.show();
    DialogRecorder dialogs(0);
    auto* close = window.titleBar()->findChild<QToolButton*>("closeBtn");
    ASSERT_TRUE(close);
    QTest::mouseClick(close, Qt::LeftButton);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, "Exit the KEL4.0 software?");
    EXPECT_TRUE(window.isVisible());
}

// Each search panel holds the widgets of its page.
TEST(MainWindow, SearchPanelsShowTheWidgetsOfTheirPage) {
    Quillmere window;
    window.show();
    struct Case {
        const char* page;
        int button;
        SearchBarWidget* panel;
        bool evidence;
    };
    const Case cases[] = {
        {"Playback", 0, qobject_cast<SearchBarWidget*>(window.playbackSearchBar()), false},
        {"Evidence", 1, qobject_cast<SearchBarWidget*>(window.evidenceSearchBar()), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        ASSERT_TRUE(c.panel);
        QTest::mouseClick(window.operateSelWidget()->button(c.button), Qt::LeftButton);
        Ui::SearchBarWidget* form = c.panel->form();
        EXPECT_EQ(form->recordBtn->isHidden(), !c.evidence);
        EXPECT_EQ(form->pictureBtn->isHidden(), !c.evidence);
        EXPECT_EQ(form->label->isHidden(), !c.evidence);
        EXPECT_EQ(form->pictureHintBtn->isHidden(), !c.evidence);
        EXPECT_EQ(form->pictureLable->isHidden(), !c.evidence);
        EXPECT_TRUE(form->pictureTableView->isHidden());
    }
}

// A new search while a window of the same page holds recordings asks first;
// "no" keeps the window, "yes" stops it and searches.
TEST(MainWindow, NewSearchAsksBeforeStoppingThePlayback) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Quillmere window;
    window.show();
    auto* panel = qobject_cast<SearchBarWidget*>(window.playbackSearchBar());
    auto* area = qobject_cast<PlaybackControlArea*>(window.playbackControlArea());
    ASSERT_TRUE(panel && area);
    ASSERT_EQ(area->playbackWindow()->model()->bind({new ChannelFiles}, 0), 0);
    ASSERT_TRUE(area->isAnyWindowBusy());
    panel->form()->radioLocal->click();
    panel->form()->lineEditPath->setText(folder.path());

    struct Case {
        int answer;
        bool stillPlaying;
    };
    for (const Case c : {Case{0, true}, Case{1, false}}) {
        SCOPED_TRACE(c.answer);
        DialogRecorder dialogs(c.answer);
        QString asked;
        dialogs.onCall = [&](const ziraz::DialogCall& call) {
            if (auto* question = dynamic_cast<TipDialog*>(call.dialog)) asked = question->tipText();
        };
        panel->form()->btnSearchRecord->click();
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].kind, ziraz::DialogKind::Modal);
        EXPECT_EQ(asked, "Stop the video play?");
        EXPECT_EQ(area->isAnyWindowBusy(), c.stillPlaying);
    }
    EXPECT_TRUE(kel_test::WaitUntil([&] { return panel->form()->btnSearchRecord->isEnabled(); }));
}

TEST(MainWindow, MapKeyHolderIsOneObject) {
    MapKeyHolder* holder = MapKeyHolder::instance();
    EXPECT_EQ(holder, MapKeyHolder::instance());
    holder->setKey("abc");
    EXPECT_EQ(MapKeyHolder::instance()->key(), "abc");
}

}  // namespace

namespace {

// Every connection between the pages that were built is made.
TEST(MainWindow, ConnectionsBetweenBuiltPagesHold) {
    QStringList messages;
    auto previous = ShareTools::setDebugMessageHandler([&](const QString& text) { messages << text; });
    {
        Quillmere window;
        for (QWidget* page : {window.trackPage(), window.settingPage(), window.logPage(), window.alarmPage(),
                              window.playbackControlArea(), window.vehicleDataPanel(), window.playbackSearchBar(),
                              window.evidenceSearchBar(), window.evidenceControlArea(), window.evidenceTimeAxis()})
            EXPECT_STRNE(page->metaObject()->className(), "QWidget");
        EXPECT_TRUE(QuillmerePages::VehicleDataTimeAxis(window.vehicleDataPanel()));
        auto* playbackBar = dynamic_cast<SearchBarWidget*>(window.playbackSearchBar());
        auto* evidenceBar = dynamic_cast<SearchBarWidget*>(window.evidenceSearchBar());
        ASSERT_TRUE(playbackBar && evidenceBar);
        EXPECT_EQ(playbackBar->panelMode(), 0);
        EXPECT_EQ(evidenceBar->panelMode(), 1);
        EXPECT_EQ(playbackBar->playbackControlArea(), window.playbackControlArea());
        EXPECT_EQ(evidenceBar->playbackControlArea(), window.evidenceControlArea());
    }
    ShareTools::setDebugMessageHandler(previous);
    for (const QString& m : messages) EXPECT_FALSE(m.contains("in Quillmere::initConnect")) << m.toStdString();
}

}  // namespace
