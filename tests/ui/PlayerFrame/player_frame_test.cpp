// SPDX-License-Identifier: GPL-3.0-or-later
// Player frames: selection border, hover bar, and the bottom bar's tool row
// with its overflow panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>

#include "PlayerFrame/PlayerFrame.h"

namespace {

QList<QWidget*> Buttons(QWidget* parent, int count, int width = 30) {
    QList<QWidget*> out;
    for (int i = 0; i < count; ++i) {
        auto* b = new QToolButton(parent);
        b->setFixedSize(width, 24);
        b->setObjectName(QString("b%1").arg(i));
        out << b;
    }
    return out;
}

bool InRow(CPlayWndBottom& bar, QWidget* w) { return bar.ui().hlayoutToolBtns->indexOf(w) >= 0; }

void Send(QWidget* w, QEvent::Type type) {
    QEvent e(type);
    QApplication::sendEvent(w, &e);
}

}  // namespace

TEST(PlayerFrame, SelectedBorderFollowsTheObjectName) {
    CBasePlayFrame frame;
    frame.setObjectName("cell3");
    frame.setSelected(1);
    EXPECT_EQ(frame.styleSheet(), "QFrame#cell3{border: 1px solid red; background-color: rgb(77,82 ,86);}");
    EXPECT_EQ(frame.selected(), 1);
    frame.setSelected(0);
    EXPECT_EQ(frame.styleSheet(), "QFrame#cell3{border: 1px solid black; background-color: rgb(77,82 ,86);}");
    EXPECT_EQ(frame.selected(), 0);
    EXPECT_EQ(frame.videoSurface()->pos(), QPoint(1, 1));
    EXPECT_EQ(frame.videoWinId(), static_cast<void*>(static_cast<QWidget*>(frame.videoSurface())));
}

TEST(PlayerFrame, BarShowsOnEnterAndStaysHiddenWithoutAutoShow) {
    CPlayerFrame frame;
    frame.resize(400, 300);
    frame.show();
    QSignalSpy shown(&frame, &CPlayerFrame::SignalShow);
    QSignalSpy hidden(&frame, &CPlayerFrame::SignalHide);
    EXPECT_FALSE(frame.bottomBar()->isVisible());
    Send(&frame, QEvent::Enter);
    EXPECT_TRUE(frame.bottomBar()->isVisible());
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(frame.bottomBar()->geometry(), QRect(1, 300 - 1 - 28, 398, 28));
    Send(&frame, QEvent::Leave);
    EXPECT_FALSE(frame.bottomBar()->isVisible());
    EXPECT_EQ(hidden.count(), 1);

    frame.setAutoShow(false);
    Send(&frame, QEvent::Enter);
    EXPECT_FALSE(frame.bottomBar()->isVisible());
    EXPECT_EQ(shown.count(), 1);
    Send(&frame, QEvent::Leave);
    EXPECT_EQ(hidden.count(), 2);

    frame.setSliderVisible(true);
    EXPECT_FALSE(frame.bottomBar()->ui().m_pSliderPlay->isHidden());
}

TEST(PlayWndBottom, GroupsKeepAtMostElevenWidgets) {
    QWidget owner;
    CPlayWndBottom bar(&owner);
    const QList<QWidget*> left = Buttons(&owner, 13);
    EXPECT_EQ(bar.setToolButtons(left, Buttons(&owner, 2), 0), 2);
    bar.resize(2000, 28);
    bar.updateLayout();
    for (int i = 0; i < 11; ++i) EXPECT_TRUE(InRow(bar, left[i])) << i;
    EXPECT_FALSE(InRow(bar, left[11]));
    EXPECT_FALSE(InRow(bar, left[12]));
}

TEST(PlayWndBottom, EverythingFitsWithoutTheExtensionButton) {
    QWidget owner;
    CPlayWndBottom bar(&owner);
    const QList<QWidget*> left = Buttons(&owner, 3), right = Buttons(&owner, 2);
    bar.setToolButtons(left, right);
    const QSize panelBefore = bar.extendPanel()->size();
    bar.resize(600, 28);
    bar.updateLayout();
    EXPECT_EQ(bar.lastOverflow(), -1);
    EXPECT_TRUE(bar.ui().m_pBtnExtend->isHidden());
    for (QWidget* w : left + right) EXPECT_TRUE(InRow(bar, w));
    EXPECT_EQ(bar.extendPanel()->size(), panelBefore);
    // Order: left group, stretch, right group.
    auto* row = bar.ui().hlayoutToolBtns;
    EXPECT_LT(row->indexOf(left[2]), row->indexOf(right[0]));
}

TEST(PlayWndBottom, OverflowMovesTheRestIntoThePanel) {
    QWidget owner;
    CPlayWndBottom bar(&owner);
    const QList<QWidget*> left = Buttons(&owner, 4, 40), right = Buttons(&owner, 3, 40);
    for (QWidget* w : left + right) w->setMinimumWidth(40);
    bar.setToolButtons(left, right);
    // Shown, so that width changes reach the bar as resize events.
    owner.resize(2000, 100);
    owner.show();
    bar.show();

    // 118 available: two left buttons fit (41 + 41), the third does not.
    bar.resize(136, 28);
    bar.updateLayout();
    EXPECT_EQ(bar.lastOverflow(), 2);
    EXPECT_FALSE(bar.ui().m_pBtnExtend->isHidden());
    EXPECT_TRUE(InRow(bar, left[0]) && InRow(bar, left[1]));
    EXPECT_GE(bar.ui().hlayoutExtendBottom->indexOf(left[2]), 0);
    EXPECT_GE(bar.ui().hlayoutExtendBottom->indexOf(left[3]), 0);
    for (QWidget* w : right) EXPECT_GE(bar.ui().hlayoutExtendTop->indexOf(w), 0);
    EXPECT_EQ(bar.extendWidth(), 18 + 3 * 41);
    EXPECT_EQ(bar.extendPanel()->size(), QSize(18 + 3 * 41, 57));

    // Wide enough for the left group and one right button.
    bar.resize(18 + 4 * 41 + 41 + 20, 28);
    EXPECT_EQ(bar.lastOverflow(), 101);
    EXPECT_TRUE(InRow(bar, right[0]));
    EXPECT_GE(bar.ui().hlayoutExtendTop->indexOf(right[1]), 0);
    EXPECT_TRUE(bar.ui().m_pFrameExtendBottom->isHidden());
    EXPECT_EQ(bar.extendPanel()->size(), QSize(18 + 2 * 41, 31));

    // A height-only change leaves the layout as it is.
    bar.setToolButtons(left, {});
    bar.resize(bar.width(), 40);
    EXPECT_EQ(bar.lastOverflow(), 101);
    // A width change lays the buttons out again.
    bar.resize(1000, 40);
    EXPECT_EQ(bar.lastOverflow(), -1);
    for (QWidget* w : left) EXPECT_TRUE(InRow(bar, w));
}
