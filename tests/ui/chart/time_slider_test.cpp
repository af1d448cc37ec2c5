// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <memory>

#include "chart/ChartLayer.h"
#include "kel_test/test_support.h"
#include "chart/ChartView.h"
#include "chart/TimeSlider.h"

namespace {

const QDate kDay(2024, 3, 10);
const qint64 kBase = QDateTime(kDay, QTime(0, 0)).toSecsSinceEpoch();  // tests run in UTC

QDateTime At(int h, int m = 0) { return QDateTime(kDay, QTime(h, m)); }

void Flush() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// A shown single-row slider: plot (24, 0, 768, 60), range 0 .. 86400.
class TimeSliderTest : public testing::Test {
protected:
    void SetUp() override {
        slider = std::make_unique<CTimeSlider>();
        slider->resize(800, 60);
        slider->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(slider.get()));
        slider->setDays(kDay, kDay);
        Flush();
        ASSERT_EQ(view()->plotRect(), QRect(24, 0, 768, 60));
        ASSERT_EQ(lower(), 0);
        ASSERT_EQ(upper(), 86400);
    }
    CChartView* view() const { return slider->view(); }
    double lower() const { return view()->xAxis().lower(); }
    double upper() const { return view()->xAxis().upper(); }
    void mouse(QEvent::Type type, QPoint pos) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, pos, slider->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, Qt::NoModifier);
        QCoreApplication::sendEvent(slider.get(), &e);
    }
    void wheel(int delta) {
        QWheelEvent w(QPointF(100, 30), slider->mapToGlobal(QPoint(100, 30)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider.get(), &w);
    }

    std::unique_ptr<CTimeSlider> slider;
};

TEST_F(TimeSliderTest, ZoomStaysBetweenNineAndThirteen) {
    EXPECT_EQ(slider->level(), 7);
    slider->OnSlotZoomIn();
    EXPECT_EQ(slider->level(), 7);
    struct Step {
        int level;
        double span;
    } steps[] = {{8, 86400}, {9, 86400}, {10, 43200}, {11, 21600}, {12, 7200}, {13, 3600}, {13, 3600}};
    for (const Step& s : steps) {
        wheel(-120);
        EXPECT_EQ(slider->level(), s.level);
        EXPECT_DOUBLE_EQ(upper() - lower(), s.span);
    }
    for (int i = 0; i < 8; ++i) wheel(120);
    EXPECT_EQ(slider->level(), 9);
    EXPECT_DOUBLE_EQ(upper() - lower(), 86400);
}

TEST_F(TimeSliderTest, ClickInTheGrooveReportsTimeAndSpan) {
    QSignalSpy one(slider.get(), QOverload<time_t>::of(&CTimeSlider::MouseClick));
    QSignalSpy two(slider.get(), QOverload<time_t, time_t>::of(&CTimeSlider::MouseClick));
    for (int y : {26, 36, 50}) {
        mouse(QEvent::MouseButtonPress, QPoint(408, y));
        mouse(QEvent::MouseButtonRelease, QPoint(408, y));
    }
    EXPECT_EQ(one.count(), 0);
    mouse(QEvent::MouseButtonPress, QPoint(408, 30));
    mouse(QEvent::MouseButtonRelease, QPoint(408, 30));
    ASSERT_EQ(one.count(), 1);
    ASSERT_EQ(two.count(), 1);
    EXPECT_EQ(one.last().at(0).value<time_t>(), kBase + 43200);
    EXPECT_EQ(two.last().at(0).value<time_t>(), kBase + 43200);
    EXPECT_EQ(two.last().at(1).value<time_t>(), kBase + 43200 + 112);  // 86400 / 768 seconds per pixel
}

TEST_F(TimeSliderTest, DragReportsTheCentreTime) {
    QSignalSpy one(slider.get(), QOverload<time_t>::of(&CTimeSlider::MouseClick));
    QSignalSpy two(slider.get(), QOverload<time_t, time_t>::of(&CTimeSlider::MouseClick));
    mouse(QEvent::MouseButtonPress, QPoint(408, 50));
    slider->setCurrentTime(static_cast<time_t>(kBase));  // ignored while held
    mouse(QEvent::MouseMove, QPoint(504, 50));           // 96 pixels = 10800 s
    EXPECT_EQ(lower(), -10800);
    mouse(QEvent::MouseButtonRelease, QPoint(504, 50));
    ASSERT_EQ(one.count(), 1);
    EXPECT_EQ(one.last().at(0).value<time_t>(), kBase + 32400);
    EXPECT_EQ(two.count(), 0);
    EXPECT_FALSE(slider->isMoving());
}

TEST_F(TimeSliderTest, RecordsAreGreyBandsInTheGroove) {
    CDateTimePair plain(At(6), At(7));
    CDateTimePair coloured(At(18), At(19));
    coloured.setData(QColor(0, 200, 0), CDateTimePair::ColorRole);
    coloured.setData(12, CDateTimePair::RecordTypeRole);
    slider->setRecords({plain, coloured, CDateTimePair(At(23), At(22))});
    EXPECT_EQ(slider->recordSeries()->rectCount(), 2);
    Flush();
    const QImage img = view()->grab().toImage();
    EXPECT_EQ(img.pixelColor(232, 32), QColor(131, 131, 131));  // 06:30
    EXPECT_EQ(img.pixelColor(616, 32), QColor(0, 200, 0));      // 18:30
    EXPECT_EQ(img.pixelColor(232, 40), img.pixelColor(300, 40));
    slider->clearRecords();
    EXPECT_EQ(slider->recordSeries()->rectCount(), 0);
}

TEST_F(TimeSliderTest, LargeAndNormalLayouts) {
    slider->ShowMaxsize();
    EXPECT_EQ(view()->rightMargin(), 100);
    EXPECT_TRUE(view()->findChild<QPushButton*>("m_pZoomInBtn")->isVisible());
    EXPECT_FALSE(slider->axisSeries()->styleFlag());
    EXPECT_EQ(slider->level(), 9);
    EXPECT_EQ(slider->axisSeries()->interval(), 7200);
    QTest::mouseClick(view()->findChild<QPushButton*>("m_pZoomOutBtn"), Qt::LeftButton);
    EXPECT_EQ(slider->level(), 10);

    slider->ShowNormalSize();
    EXPECT_EQ(view()->rightMargin(), 8);
    EXPECT_FALSE(view()->findChild<QPushButton*>("m_pZoomInBtn")->isVisible());
    EXPECT_TRUE(slider->axisSeries()->styleFlag());
    EXPECT_DOUBLE_EQ(upper() - lower(), 86400);
    EXPECT_EQ(slider->axisSeries()->interval(), 43200);
}

TEST_F(TimeSliderTest, EnterAndLeaveComeFromTheView) {
    QSignalSpy enters(slider.get(), &CTimeSlider::MouseEnter);
    QSignalSpy leaves(slider.get(), &CTimeSlider::MouseLeave);
    QEvent enter(QEvent::Enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(view(), &enter);
    EXPECT_EQ(enters.count(), 1);
    QCoreApplication::sendEvent(view(), &leave);
    QCoreApplication::sendEvent(view(), &enter);
    EXPECT_EQ(enters.count(), 1);
    QCoreApplication::sendEvent(view(), &leave);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !leaves.isEmpty(); }));
    EXPECT_EQ(leaves.count(), 1);
}

}  // namespace
