// SPDX-License-Identifier: GPL-3.0-or-later
// The evidence colour legend: its entries, its two pages, hiding on
// deactivation, and the scrolling of names that do not fit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "VideoColorTipWidget/ScrollLabel.h"
#include "VideoColorTipWidget/VideoColorTipWidget.h"

namespace {

struct Entry {
    const char* swatch;
    int r, g, b;
    const char* label;
    const char* text;
    int page;
};

const Entry kEntries[] = {
    {"colorOverSpeedLabel", 250, 128, 114, "labelOverSpeed", "OverSpeed", 0},
    {"colorBackLabel", 72, 61, 139, "labelBack", "Back", 0},
    {"colorlabel_5", 160, 82, 45, "labelInTheWay", "In The Way", 0},
    {"colorlabel_19", 153, 50, 204, "labelTurnRound", "Turn Round", 0},
    {"colorlabel_7", 255, 255, 0, "labelPark", "Park", 0},
    {"colorlabel_17", 220, 20, 60, "labelChangeLane", "Change Lane", 0},
    {"colorlabel_9", 152, 251, 152, "labelRetrograde", "Retrograde", 0},
    {"colorlabel_15", 30, 144, 255, "labelRidingPressureMarking", "Riding Pressure Marking", 0},
    {"colorlabel_11", 0, 255, 0, "labelNormal", "Normal", 0},
    {"colorlabel_13", 240, 255, 255, "labelOther", "Other", 0},
    {"label", 255, 69, 0, "label_2", "OverSpeed", 1},
    {"label_15", 106, 90, 205, "label_16", "Violation/Occupation/LaneChange/PressLine", 1},
    {"label_3", 210, 105, 30, "label_4", "Overtaking/Reverse/TurnOff", 1},
    {"label_13", 255, 240, 245, "label_14", "Crossroads/Sidewalks", 1},
    {"label_5", 128, 128, 0, "label_6", "CarDistance/LowSpeedDriving/HighSpeedRoad", 1},
    {"label_9", 255, 105, 180, "label_12", "WarningSigns", 1},
    {"label_7", 127, 255, 212, "label_8", "LicensePlate/SeatBelt", 1},
};

}  // namespace

TEST(ColorTip, EntriesSwatchesAndNamesPerPage) {
    VideoColorTipWidget tip;
    EXPECT_EQ(tip.size(), QSize(250, 200));
    EXPECT_EQ(tip.windowFlags() & (Qt::Dialog | Qt::FramelessWindowHint), Qt::Dialog | Qt::FramelessWindowHint);
    EXPECT_TRUE(tip.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(QPixmap(":/Quillmere/Images/PlayBack/Search/TipBg2.png").isNull());
    const QWidget* pages[] = {tip.findChild<QWidget*>("evidenceNormalPage"), tip.findChild<QWidget*>("evidence832Page")};
    ASSERT_TRUE(pages[0] && pages[1]);
    for (const Entry& e : kEntries) {
        SCOPED_TRACE(e.label);
        auto* swatch = pages[e.page]->findChild<QLabel*>(e.swatch);
        auto* name = pages[e.page]->findChild<ScrollLabel*>(e.label);
        ASSERT_TRUE(swatch && name);
        EXPECT_EQ(swatch->styleSheet(), QString("background-color: rgb(%1, %2, %3);").arg(e.r).arg(e.g).arg(e.b));
        EXPECT_EQ(swatch->size(), QSize(16, 16));
        EXPECT_EQ(name->width(), 87);
        const QString text = QString::fromLatin1(e.text);
        EXPECT_TRUE(name->scrollText() == text || name->scrollText() == text + "    " + text);
    }
}

TEST(ColorTip, PageButtonsSwitchPagesWithOneButtonChecked) {
    VideoColorTipWidget tip;
    auto* normal = tip.findChild<QPushButton*>("btnEvidenceNormal");
    auto* other = tip.findChild<QPushButton*>("btnEvidence832");
    auto* stack = tip.findChild<QStackedWidget*>("stackedWidget");
    ASSERT_TRUE(normal && other && stack);
    EXPECT_EQ(normal->text(), "EvidenceNormal");
    EXPECT_EQ(other->text(), "Evidence832");
    EXPECT_EQ(stack->currentIndex(), 0);
    EXPECT_TRUE(normal->isChecked());
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(other, Qt::LeftButton);
        EXPECT_EQ(stack->currentIndex(), 1);
        EXPECT_TRUE(other->isChecked());
        EXPECT_FALSE(normal->isChecked());
    }
    QTest::mouseClick(normal, Qt::LeftButton);
    EXPECT_EQ(stack->currentIndex(), 0);
    EXPECT_TRUE(normal->isChecked());
    EXPECT_FALSE(other->isChecked());
}

TEST(ColorTip, LosingActivationHidesIt) {
    VideoColorTipWidget tip;
    tip.show();
    ASSERT_TRUE(tip.isVisible());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&tip, &deactivate);
    EXPECT_FALSE(tip.isVisible());
}

TEST(ScrollLabelTest, ShortTextStandsStillLongTextScrollsAndWraps) {
    ScrollLabel label;
    label.setFixedWidth(87);
    label.setScrollText("Park");
    EXPECT_FALSE(label.isScrolling());
    EXPECT_EQ(label.text(), "Park");
    EXPECT_EQ(label.scrollText(), "Park");

    const QString text = "CarDistance/LowSpeedDriving/HighSpeedRoad";
    ASSERT_GT(QFontMetrics(label.font()).horizontalAdvance(text), 87);
    label.setScrollText(text);
    EXPECT_TRUE(label.isScrolling());
    EXPECT_EQ(label.scrollText(), text + "    " + text);
    EXPECT_EQ(label.scrollOffset(), 0);

    const int steps = text.length() + 2;
    for (int i = 1; i <= steps; ++i) {
        ASSERT_TRUE(QMetaObject::invokeMethod(&label, "onUpdateText"));
        EXPECT_EQ(label.scrollOffset(), i == steps ? 0 : i);
        // The visible text ends in a character of the text, not an ellipsis.
        ASSERT_FALSE(label.text().isEmpty());
        EXPECT_NE(label.text().back(), QChar(0x2026));
        EXPECT_TRUE(label.scrollText().mid(label.scrollOffset()).startsWith(label.text()));
    }

    label.setScrollText("Back");
    EXPECT_FALSE(label.isScrolling());
    EXPECT_EQ(label.text(), "Back");
}

// A legend that is not on screen does not wake the program every 300 ms;
// shown again, its long texts scroll on.
TEST(ScrollLabelTest, ScrollsOnlyWhileShown) {
    QWidget page;
    auto* label = new ScrollLabel(&page);
    label->setFixedWidth(87);
    const QString text = "CarDistance/LowSpeedDriving/HighSpeedRoad";
    label->setScrollText(text);
    EXPECT_TRUE(label->isScrolling());
    EXPECT_FALSE(label->isTicking());   // never shown yet

    page.show();
    EXPECT_TRUE(label->isTicking());
    page.hide();
    EXPECT_FALSE(label->isTicking());
    EXPECT_TRUE(label->isScrolling());
    page.show();
    EXPECT_TRUE(label->isTicking());

    label->setScrollText("Park");   // fits: stands still even when shown
    EXPECT_FALSE(label->isTicking());
}
