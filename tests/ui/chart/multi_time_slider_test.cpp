// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QApplication>
#include <QWheelEvent>

#include <memory>

#include "chart/ChartLayer.h"
#include "kel_test/test_support.h"
#include "chart/MultiChartView.h"
#include "chart/MultiTimeSlider.h"
#include "chart/TimeSliderFilterPopup.h"
#include "chart/UpdateEvent.h"

namespace {

const QDate kDay(2024, 3, 10);
const qint64 kBase = QDateTime(kDay, QTime(0, 0)).toSecsSinceEpoch();  // tests run in UTC
const QColor kDefaultBand(113, 160, 250);
const QColor kGreen(20, 200, 20);

QDateTime At(int dayOffset, int h, int m = 0) { return QDateTime(kDay.addDays(dayOffset), QTime(h, m)); }

CDateTimePair Rec(const QDateTime& s, const QDateTime& e, int type = 0, const QVariant& colour = QVariant()) {
    CDateTimePair p(s, e);
    p.setData(type, CDateTimePair::RecordTypeRole);
    if (colour.isValid()) p.setData(colour, CDateTimePair::ColorRole);
    return p;
}

void Flush() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Records the types of the custom events the view receives.
class EventTypes : public QObject {
public:
    QList<int> types;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() >= QEvent::User) types.append(e->type());
        return false;
    }
};

// A shown slider with 16 rows: plot (112, 0, 900, height), one day window.
class SliderTest : public testing::Test {
protected:
    void SetUp() override { make(160); }
    void make(int height) {
        slider = std::make_unique<CMultiTimeSlider>();
        slider->setRowCount(16);
        QStringList captions;
        for (int i = 1; i <= 16; ++i) captions << QString("window%1").arg(i, 2, 10, QChar('0'));
        slider->setRowCaptions(captions);
        slider->resize(1113, height);
        slider->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(slider.get()));
        slider->setDays(kDay, kDay);
        Flush();
        ASSERT_EQ(view()->plotRect(), QRect(112, 0, 900, height));
    }
    CMultiChartView* view() const { return slider->view(); }
    double lower() const { return view()->xAxis().lower(); }
    double upper() const { return view()->xAxis().upper(); }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, pos, slider->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(slider.get(), &e);
    }
    void click(QPoint pos) {
        mouse(QEvent::MouseButtonPress, pos);
        mouse(QEvent::MouseButtonRelease, pos);
    }
    void drag(QPoint from, QPoint to) {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
    }
    QImage shot() {
        Flush();
        return view()->grab().toImage();
    }
    void showNoonToNoon() { slider->setCurrentTime(static_cast<time_t>(kBase + 43200)); }  // range 0 .. 86400

    std::unique_ptr<CMultiTimeSlider> slider;
};

TEST_F(SliderTest, StartsWithOneDayAtLevelNine) {
    CMultiTimeSlider fresh;
    EXPECT_EQ(fresh.rowSeriesCount(), 16);
    EXPECT_EQ(fresh.level(), 9);
    EXPECT_EQ(fresh.axisSeries()->interval(), 7200);
    EXPECT_EQ(fresh.view()->xAxis().upper() - fresh.view()->xAxis().lower(), 86400);
    EXPECT_EQ(fresh.windowStart(), QDate::currentDate().startOfDay());
    EXPECT_EQ(fresh.baseTime(), fresh.windowStart());
    EXPECT_EQ(fresh.lowerLimit(), -43200);
    EXPECT_EQ(fresh.upperLimit(), 129600);
    EXPECT_EQ(fresh.popupCount(), 0);
    EXPECT_EQ(slider->popupCount(), 16);
    EXPECT_EQ(slider->backgroundSeries()->captions().value(15), "window16");
}

TEST_F(SliderTest, CurrentTimeCentresTheCursorInsideTheWindow) {
    slider->setCurrentTime(static_cast<time_t>(kBase + 6 * 3600));
    EXPECT_EQ(lower(), -21600);
    EXPECT_EQ(upper(), 64800);
    EXPECT_EQ(view()->cursorText(), "2024-03-10 06:00:00");

    slider->setCurrentTime(static_cast<time_t>(kBase - 5000));
    EXPECT_EQ(view()->cursorText(), "2024-03-10 00:00:00");
    EXPECT_EQ(lower(), -43200);
    slider->setCurrentTime(static_cast<time_t>(kBase + 3 * 86400));
    EXPECT_EQ(view()->cursorText(), "2024-03-11 00:00:00");
    EXPECT_EQ(upper(), 129600);
}

TEST_F(SliderTest, ZoomWalksTheLevelTable) {
    struct Level {
        int level;
        int tick;
        double span;
    } table[] = {{10, 3600, 43200}, {11, 1800, 21600}, {12, 600, 7200}, {13, 300, 3600},
                 {14, 60, 720},     {15, 30, 360},     {16, 10, 120}};
    showNoonToNoon();
    for (const Level& l : table) {
        slider->OnSlotZoomOut();
        EXPECT_EQ(slider->level(), l.level);
        EXPECT_EQ(slider->axisSeries()->interval(), l.tick);
        EXPECT_DOUBLE_EQ(upper() - lower(), l.span);
        EXPECT_DOUBLE_EQ((upper() + lower()) / 2, 43200);  // zoom keeps the centre
    }
    slider->OnSlotZoomOut();
    EXPECT_EQ(slider->level(), 16);
    for (int i = 0; i < 10; ++i) slider->OnSlotZoomIn();
    EXPECT_EQ(slider->level(), 9);
    EXPECT_DOUBLE_EQ(upper() - lower(), 86400);

    // The buttons: "ZoomOut" narrows, "ZoomIn" widens.
    QTest::mouseClick(view()->findChild<QToolButton*>("TimeSlider_ZoomOut"), Qt::LeftButton);
    EXPECT_EQ(slider->level(), 10);
    QTest::mouseClick(view()->findChild<QToolButton*>("TimeSlider_ZoomIn"), Qt::LeftButton);
    EXPECT_EQ(slider->level(), 9);

    // The wheel over the rows (delivered to the widget under the pointer, as
    // the window system does): a delta of 1 or more widens, anything else
    // narrows.
    QWidget* under = slider->childAt(500, 100);
    ASSERT_TRUE(under);
    const QPoint at = under->mapFrom(slider.get(), QPoint(500, 100));
    for (int delta : {0, -120, 120, -120, -120, 120}) {
        const int before = slider->level();
        QWheelEvent w(QPointF(at), under->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(under, &w);
        EXPECT_EQ(slider->level(), delta >= 1 ? std::max(before - 1, 9) : before + 1) << delta;
    }
    for (int i = 0; i < 3; ++i) slider->OnSlotZoomIn();

    slider->applyLevel(7);
    EXPECT_EQ(slider->axisSeries()->interval(), 43200);
    slider->applyLevel(3);
    EXPECT_EQ(slider->axisSeries()->interval(), -1);
    EXPECT_DOUBLE_EQ(upper() - lower(), 86400);
}

TEST_F(SliderTest, ZoomNearAnEndStaysInsideTheLimits) {
    slider->applyLevel(16);
    slider->setCurrentTime(static_cast<time_t>(kBase));  // (-60, 60)
    EXPECT_EQ(lower(), -60);
    slider->setSpan(200000);
    EXPECT_EQ(lower(), -43200);
    EXPECT_EQ(upper(), 156800);
}

TEST_F(SliderTest, MovesStepByTheTickAndStopAtTheLimits) {
    slider->applyLevel(12);  // tick 600, span 7200
    slider->setCurrentTime(static_cast<time_t>(kBase + 3600));
    slider->MoveRight();
    EXPECT_TRUE(slider->isMoving());
    EXPECT_EQ(lower(), 600);
    EXPECT_EQ(view()->cursorText(), "2024-03-10 01:10:00");
    for (int i = 0; i < 400; ++i) slider->MoveRight();
    EXPECT_EQ(upper(), 129600);
    EXPECT_EQ(lower(), 129600 - 7200);
    slider->MoveRight();
    EXPECT_EQ(upper(), 129600);
    for (int i = 0; i < 400; ++i) slider->MoveLeft();
    EXPECT_EQ(lower(), -43200);
    EXPECT_EQ(upper(), -43200 + 7200);

    // While moving, playback time does not move the axis; letting go of a
    // move button ends the move.
    slider->setCurrentTime(static_cast<time_t>(kBase + 43200));
    EXPECT_EQ(lower(), -43200);
    QTest::mouseClick(view()->findChild<QToolButton*>("TimeSlider_MoveRight"), Qt::LeftButton);
    EXPECT_FALSE(slider->isMoving());
    slider->setCurrentTime(static_cast<time_t>(kBase + 43200));
    EXPECT_EQ(lower(), 43200 - 3600);
}

TEST_F(SliderTest, DayWindowSetsTheLimits) {
    slider->setDays(kDay, kDay.addDays(2));
    EXPECT_EQ(slider->windowStart(), At(0, 0));
    EXPECT_EQ(slider->windowEnd(), At(3, 0));
    EXPECT_EQ(slider->lowerLimit(), -43200);
    EXPECT_EQ(slider->upperLimit(), 3 * 86400 + 43200);
    EXPECT_EQ(view()->cursorText(), "2024-03-10 12:00:00");
    // A last day before the first shows the first day alone.
    slider->setDays(kDay.addDays(5), kDay);
    EXPECT_EQ(slider->windowStart(), At(5, 0));
    EXPECT_EQ(slider->windowEnd(), At(6, 0));
    EXPECT_EQ(slider->upperLimit(), 129600);
    // An absurdly long window is cut so second counts stay in range.
    slider->setDays(QDate(1900, 1, 1), QDate(2200, 1, 1));
    EXPECT_GT(slider->upperLimit(), 0);
    EXPECT_GT(slider->windowEnd(), slider->windowStart());
}

TEST_F(SliderTest, RecordsOverlappingTheWindowBecomeBands) {
    slider->setRowRecords({Rec(At(0, 6), At(0, 7), 5),                            // inside
                           Rec(At(-1, 23), At(0, 1), 6, QColor(kGreen)),          // only its end inside
                           Rec(At(-1, 12), At(1, 12), 7, QBrush(Qt::red)),        // covers the window
                           Rec(At(1, 2), At(1, 3), 8),                            // outside
                           Rec(QDateTime(), At(0, 3), 9)},                        // no start
                          2);
    const CTimeRectSeries* row = slider->findRow(2);
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->rectCount(), 3);
    const TimeRect a = row->rects().value(5).value(0);
    EXPECT_EQ(a.begin, QPoint(6 * 3600, 2 * 26 + 40));
    EXPECT_EQ(a.end, QPoint(7 * 3600, 2 * 26 + 52));
    EXPECT_EQ(a.brush.color(), kDefaultBand);
    const TimeRect b = row->rects().value(6).value(0);
    EXPECT_EQ(b.begin.x(), 0);
    EXPECT_EQ(b.end.x(), 3600);
    EXPECT_EQ(b.brush.color(), kGreen);
    const TimeRect c = row->rects().value(7).value(0);
    EXPECT_EQ(c.begin.x(), 0);
    EXPECT_EQ(c.end.x(), 86400);
    EXPECT_EQ(c.brush.color(), QColor(Qt::red));

    // The searched span clips the bands; what lies outside it is dropped.
    slider->setRecordLimits(At(0, 5), At(0, 6, 30));
    slider->setRowRecords({Rec(At(0, 6), At(0, 7), 5), Rec(At(-1, 23), At(0, 1), 6)}, 2);
    ASSERT_EQ(row->rectCount(), 1);
    EXPECT_EQ(row->rects().value(5).value(0).end.x(), 6 * 3600 + 1800);

    // Rows that do not exist are left alone.
    for (int bad : {-1, 16, 1000}) {
        slider->setRowRecords({Rec(At(0, 6), At(0, 7))}, bad);
        slider->clearRow(bad);
        slider->clearRowType(5, bad);
        slider->clearRowFilter(bad);
        slider->addFilterType(bad, QIcon(), "x", 1);
    }
    EXPECT_EQ(slider->findRow(16), nullptr);
    slider->clearRow(2);
    EXPECT_EQ(row->rectCount(), 0);
}

TEST_F(SliderTest, BandsAndCursorArePaintedWhereTheirTimesMap) {
    showNoonToNoon();  // x 0 .. 86400 over pixels 112 .. 1012
    slider->setRowRecords({Rec(At(0, 6), At(0, 7), 5)}, 0);
    slider->setRowRecords({Rec(At(0, 18), At(0, 19), 9, QColor(kGreen)), Rec(At(0, 3), At(0, 4), 4)}, 1);
    QImage img = shot();
    // 06:00 to 07:00 is x 337 to 375.
    EXPECT_EQ(img.pixelColor(340, 46), kDefaultBand);
    EXPECT_EQ(img.pixelColor(372, 46), kDefaultBand);
    EXPECT_NE(img.pixelColor(330, 46), kDefaultBand);
    EXPECT_NE(img.pixelColor(380, 46), kDefaultBand);
    EXPECT_NE(img.pixelColor(340, 56), kDefaultBand);  // below the band
    EXPECT_EQ(img.pixelColor(800, 72), kGreen);        // 18:30 in row 1
    EXPECT_EQ(img.pixelColor(243, 72), kDefaultBand);  // 03:30 in row 1
    // The cursor line in the middle of the plot.
    EXPECT_EQ(img.pixelColor(561, 120), QColor("#F0DE68"));

    // The row's filter: only type 4 stays.
    slider->addFilterType(1, QIcon(), "nine", 9);
    slider->addFilterType(1, QIcon(), "four", 4);
    CTimeSliderFilterPopup* p = slider->popup(1);
    for (auto it = p->typeBoxes().cbegin(); it != p->typeBoxes().cend(); ++it) {
        if (it.value() == 9) it.key()->setChecked(false);
    }
    p->okButton()->click();
    EXPECT_EQ(slider->findRow(1)->filter(), QList<int>{4});
    img = shot();
    EXPECT_NE(img.pixelColor(800, 72), kGreen);
    EXPECT_EQ(img.pixelColor(243, 72), kDefaultBand);
    EXPECT_EQ(img.pixelColor(340, 46), kDefaultBand);

    // Scrolling 24 units moves everything up by 24 pixels.
    view()->scrollBar()->setValue(24);
    img = shot();
    EXPECT_EQ(img.pixelColor(243, 48), kDefaultBand);
}

// The labels at the ends of the axis stay over the plot: the last one keeps
// clear of the "Later" button beside it, the first of the "Earlier" one.
TEST_F(SliderTest, EndLabelsStayClearOfTheButtons) {
    showNoonToNoon();
    const QImage img = shot();
    const QRect plot = view()->plotRect();
    auto* later = view()->findChild<QToolButton*>("TimeSlider_MoveRight");
    ASSERT_TRUE(later);
    auto labelPixels = [&](int from, int to) {
        int n = 0;
        for (int y = 8; y < 28; ++y)
            for (int x = from; x <= to; ++x) n += img.pixelColor(x, y).lightness() > 200;
        return n;
    };
    // The gaps between the plot and the buttons stay empty.
    EXPECT_EQ(labelPixels(plot.right() + 1, later->geometry().left() - 1), 0);
    EXPECT_EQ(labelPixels(95, plot.left() - 1), 0);
    // The end labels are there, inside.
    EXPECT_GT(labelPixels(plot.right() - 40, plot.right()), 0);
    EXPECT_GT(labelPixels(plot.left(), plot.left() + 40), 0);
}

TEST_F(SliderTest, ClickOnARowReportsRowAndTime) {
    showNoonToNoon();
    slider->setRowRecords({Rec(At(0, 6), At(0, 7))}, 0);
    slider->setRowRecords({Rec(At(0, 18), At(0, 19))}, 1);
    Flush();
    QSignalSpy clicks(slider.get(), QOverload<int, time_t>::of(&CMultiTimeSlider::MouseClick));
    QSignalSpy drags(slider.get(), &CMultiTimeSlider::Mousedrag);

    click(QPoint(350, 46));  // anywhere along row 0
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.last().at(0).toInt(), 0);
    EXPECT_EQ(clicks.last().at(1).value<time_t>(), kBase + 22848);
    click(QPoint(800, 72));
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks.last().at(0).toInt(), 1);

    click(QPoint(350, 58));   // gap between rows 0 and 1
    click(QPoint(350, 98));   // row 2 shows no band
    click(QPoint(60, 46));    // left of the plot
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_EQ(drags.count(), 0);

    // Press and release at the same x is a click even after moving between.
    mouse(QEvent::MouseButtonPress, QPoint(350, 46));
    mouse(QEvent::MouseMove, QPoint(420, 46));
    mouse(QEvent::MouseButtonRelease, QPoint(350, 46));
    EXPECT_EQ(clicks.count(), 3);
    EXPECT_EQ(drags.count(), 0);
    // A right click does nothing.
    mouse(QEvent::MouseButtonPress, QPoint(350, 46), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, QPoint(350, 46), Qt::RightButton);
    EXPECT_EQ(clicks.count(), 3);
}

TEST_F(SliderTest, ClickFindsTheRowOnATallerSlider) {
    make(320);  // every band twice as high: row 1 at pixels 132 .. 156
    showNoonToNoon();
    slider->setRowRecords({Rec(At(0, 6), At(0, 7))}, 1);
    EXPECT_EQ(shot().pixelColor(350, 150), kDefaultBand);
    QSignalSpy clicks(slider.get(), QOverload<int, time_t>::of(&CMultiTimeSlider::MouseClick));
    click(QPoint(350, 150));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.last().at(0).toInt(), 1);
    click(QPoint(350, 75));  // the band's unscaled place is outside it
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SliderTest, DragReportsTheTimeAtTheCursor) {
    showNoonToNoon();
    QSignalSpy drags(slider.get(), &CMultiTimeSlider::Mousedrag);
    QSignalSpy clicks(slider.get(), QOverload<int, time_t>::of(&CMultiTimeSlider::MouseClick));
    mouse(QEvent::MouseButtonPress, QPoint(500, 100));
    EXPECT_TRUE(slider->isMoving());
    EXPECT_EQ(view()->cursor().shape(), Qt::OpenHandCursor);
    mouse(QEvent::MouseMove, QPoint(590, 100));  // 90 pixels = 8640 s
    EXPECT_EQ(lower(), -8640);
    EXPECT_EQ(upper(), 77760);
    EXPECT_EQ(view()->cursorText(), "2024-03-10 09:36:00");
    mouse(QEvent::MouseButtonRelease, QPoint(590, 100));
    ASSERT_EQ(drags.count(), 1);
    EXPECT_EQ(drags.last().at(0).value<time_t>(), kBase + 34560);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(slider->isMoving());
    EXPECT_FALSE(view()->testAttribute(Qt::WA_SetCursor));

    // Beyond the limits the range is pinned with its span kept.
    drag(QPoint(150, 100), QPoint(1000, 100));
    EXPECT_EQ(lower(), -43200);
    EXPECT_EQ(upper(), 43200);
    drag(QPoint(1000, 100), QPoint(120, 100));
    drag(QPoint(1000, 100), QPoint(120, 100));
    EXPECT_EQ(lower(), 43200);
    EXPECT_EQ(upper(), 129600);
    EXPECT_EQ(drags.last().at(0).value<time_t>(), kBase + 86400);
}

TEST_F(SliderTest, PlaybackTimeWaitsWhileTheOperatorHoldsTheAxis) {
    showNoonToNoon();
    mouse(QEvent::MouseButtonPress, QPoint(500, 100));
    slider->setCurrentTime(static_cast<time_t>(kBase + 3600));
    EXPECT_EQ(lower(), 0);
    mouse(QEvent::MouseButtonRelease, QPoint(500, 100));
    slider->setCurrentTime(static_cast<time_t>(kBase + 3600));
    EXPECT_EQ(lower(), 3600 - 43200);

    slider->setDragging(true);
    slider->setCurrentTime(static_cast<time_t>(kBase + 7200));
    EXPECT_EQ(lower(), 3600 - 43200);
    slider->setMoving(false);
    slider->setCurrentTime(static_cast<time_t>(kBase + 7200));
    EXPECT_EQ(lower(), 7200 - 43200);
}

TEST_F(SliderTest, FilterIconOpensOnlyAPopupWithTypes) {
    const QPoint icon0(85, 40);
    const QPoint icon15(85, 35 + 15 * 26 + 5);
    mouse(QEvent::MouseButtonPress, icon0);
    mouse(QEvent::MouseButtonRelease, icon0);
    EXPECT_FALSE(slider->popup(0)->isVisible());
    EXPECT_FALSE(slider->isMoving());

    slider->addFilterType(0, QIcon(), "Overspeed", 3);
    mouse(QEvent::MouseButtonPress, icon0);
    EXPECT_TRUE(slider->popup(0)->isVisible());
    EXPECT_FALSE(slider->isMoving());
    slider->popup(0)->hide();

    // The last row's icon belongs to the last row (seen after scrolling).
    slider->addFilterType(15, QIcon(), "Lane", 4);
    view()->scrollBar()->setValue(view()->scrollBar()->maximum());
    Flush();
    const int scrolled = view()->scrollBar()->value();
    mouse(QEvent::MouseButtonPress, icon15 - QPoint(0, scrolled));
    EXPECT_TRUE(slider->popup(15)->isVisible());
    slider->popup(15)->hide();
}

TEST_F(SliderTest, RepaintRequestsAreCustomEventsToTheView) {
    EventTypes seen;
    view()->installEventFilter(&seen);
    const int before = view()->redrawCount();
    slider->setRowRecords({Rec(At(0, 6), At(0, 7))}, 0);
    mouse(QEvent::MouseMove, QPoint(400, 100));  // no drag: refresh of the mouse time
    Flush();
    view()->removeEventFilter(&seen);
    EXPECT_EQ(seen.types, (QList<int>{QEvent::User, 3000}));
    EXPECT_EQ(view()->redrawCount(), before + 2);
    EXPECT_NE(slider->mouseTextSeries()->text().trimmed(), "");

    mouse(QEvent::MouseMove, QPoint(50, 100));  // outside the plot: text cleared
    EXPECT_EQ(slider->mouseTextSeries()->text(), " ");
}

TEST_F(SliderTest, EnterAndLeaveWithTheLeaveDelay) {
    QSignalSpy enters(slider.get(), &CMultiTimeSlider::MouseEnter);
    QSignalSpy leaves(slider.get(), &CMultiTimeSlider::MouseLeave);
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(slider.get(), &enter);
    EXPECT_EQ(enters.count(), 1);
    EXPECT_TRUE(slider->isInside());
    EXPECT_TRUE(slider->updateTimer()->isActive());
    EXPECT_EQ(slider->updateTimer()->interval(), 5000);

    QCoreApplication::sendEvent(slider.get(), &leave);
    EXPECT_FALSE(slider->isInside());
    EXPECT_FALSE(slider->updateTimer()->isActive());
    EXPECT_TRUE(slider->leaveTimerActive());
    QCoreApplication::sendEvent(slider.get(), &enter);  // back within the delay: no signals
    EXPECT_FALSE(slider->leaveTimerActive());
    EXPECT_EQ(enters.count(), 1);
    EXPECT_EQ(leaves.count(), 0);

    QCoreApplication::sendEvent(slider.get(), &leave);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !leaves.isEmpty(); }));
    EXPECT_EQ(leaves.count(), 1);
    EXPECT_FALSE(slider->leaveTimerActive());
}

TEST_F(SliderTest, ResetClearsRowsAndReturnsToToday) {
    slider->setDays(kDay, kDay.addDays(1));
    slider->setRowRecords({Rec(At(0, 6), At(0, 7))}, 0);
    slider->setRowRecords({Rec(At(1, 6), At(1, 7))}, 3);
    slider->OnSlotZoomOut();
    slider->addFilterType(3, QIcon(), "a", 1);
    slider->reset();
    slider->clearAllFilters();
    for (unsigned r = 0; r < 16; ++r) EXPECT_EQ(slider->findRow(r)->rectCount(), 0) << r;
    EXPECT_EQ(slider->level(), 9);
    EXPECT_EQ(slider->windowStart(), QDate::currentDate().startOfDay());
    EXPECT_EQ(slider->upperLimit(), 129600);
    EXPECT_FALSE(slider->popup(3)->hasTypes());
    EXPECT_EQ(slider->rowStartTime(3), 0u);
}

TEST_F(SliderTest, NarrowSliderDoesNotDivideByZero) {
    slider->resize(200, 60);  // plot width 200 - 213 < 0
    Flush();
    QSignalSpy clicks(slider.get(), QOverload<int, time_t>::of(&CMultiTimeSlider::MouseClick));
    QSignalSpy drags(slider.get(), &CMultiTimeSlider::Mousedrag);
    const double lo = lower();
    drag(QPoint(150, 46), QPoint(180, 46));
    click(QPoint(150, 46));
    EXPECT_EQ(lower(), lo);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(drags.count(), 0);
}

}  // namespace
