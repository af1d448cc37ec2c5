// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <climits>
#include <cmath>

#include "chart/ChartLayer.h"

namespace {

const QColor kBack(10, 10, 10);
const QColor kBand(200, 40, 40);

// A panel with a 1000-pixel wide, 100-pixel high plot at (100, 0) and an
// image to draw into.
struct Canvas {
    CAxisPanel panel;
    QImage image{1200, 200, QImage::Format_RGB32};

    Canvas() {
        panel.setPlotRect(QRect(100, 0, 1000, 100));
        panel.yAxis().setReversed(false);
    }
    void render() {
        image.fill(kBack);
        QPainter p(&image);
        panel.draw(&p);
    }
    QColor at(int x, int y) const { return image.pixelColor(x, y); }
};

// Series that counts its own destruction.
struct CountingSeries : CChartSeries {
    explicit CountingSeries(int* deaths, int type = -1) : m_deaths(deaths), m_type(type) {}
    ~CountingSeries() override { ++*m_deaths; }
    void draw(QPainter*) override {}
    int type() const override { return m_type; }
    int* m_deaths;
    int m_type;
};

TEST(AxisScale, MapsValuesToNearestPixel) {
    CAxisScale axis;
    axis.setRange(0, 100);
    axis.setPixelRange(10, 110);  // one pixel per unit
    struct Case {
        double value;
        bool reversed;
        int pixel;
    } cases[] = {
        {0, false, 10},     {100, false, 110},  {50, false, 60},   {-2.5, false, 8},  {-2.6, false, 7},
        {2.5, false, 13},   {2.4, false, 12},   {0, true, 110},    {100, true, 10},   {25, true, 85},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << (c.reversed ? " reversed" : ""));
        axis.setReversed(c.reversed);
        EXPECT_EQ(axis.coordToPixel(c.value), c.pixel);
    }
    EXPECT_EQ(NearestPixel(-2.5), -2);
    EXPECT_EQ(NearestPixel(-2.6), -3);
    EXPECT_EQ(NearestPixel(2.5), 3);
}

TEST(AxisScale, PixelToCoordFollowsOrientationNotReversal) {
    CAxisScale axis;
    axis.setRange(0, 200);
    axis.setPixelRange(0, 100);
    EXPECT_DOUBLE_EQ(axis.pixelToCoord(25), 50.0);
    axis.setReversed(true);
    EXPECT_DOUBLE_EQ(axis.pixelToCoord(25), 50.0);
    axis.setHorizontal(false);
    EXPECT_DOUBLE_EQ(axis.pixelToCoord(25), 150.0);
    EXPECT_EQ(axis.centre(), 50);
    EXPECT_DOUBLE_EQ(axis.factor(), 0.5);
}

TEST(AxisScale, DegenerateRangesStayFinite) {
    CAxisScale axis;
    // Zero span: factor 0, every value on the start pixel.
    axis.setRange(5, 5);
    axis.setPixelRange(10, 110);
    EXPECT_EQ(axis.factor(), 0.0);
    EXPECT_EQ(axis.coordToPixel(-1e9), 10);
    EXPECT_EQ(axis.coordToPixel(1e9), 10);
    // Zero pixel length: no division by zero on the way back.
    axis.setRange(0, 100);
    axis.setPixelRange(40, 40);
    EXPECT_TRUE(std::isfinite(axis.pixelToCoord(70)));
    EXPECT_DOUBLE_EQ(axis.pixelToCoord(70), 0.0);
    // Values far outside the range give the int limits, not wrapped pixels.
    axis.setPixelRange(0, 1000);
    EXPECT_EQ(axis.coordToPixel(1e300), INT_MAX);
    EXPECT_EQ(axis.coordToPixel(-1e300), INT_MIN);
    EXPECT_EQ(axis.coordToPixel(std::nan("")), 0);
}

TEST(AxisScale, UpdateLayoutReadsThePlotRectangle) {
    CAxisPanel panel;
    panel.setPlotRect(QRect(112, 7, 900, 160));
    panel.xAxis().updateLayout();
    panel.yAxis().updateLayout();
    EXPECT_EQ(panel.xAxis().start(), 112);
    EXPECT_EQ(panel.xAxis().end(), 1012);
    EXPECT_EQ(panel.yAxis().start(), 7);
    EXPECT_EQ(panel.yAxis().end(), 167);
    // The panel's y axis is reversed by default: the upper bound is on top.
    EXPECT_EQ(panel.yAxis().coordToPixel(100), 7);
}

TEST(AxisPanel, OwnsAndFindsItsSeries) {
    int deaths = 0;
    {
        CAxisPanel panel;
        auto* a = new CountingSeries(&deaths, 3);
        auto* b = new CountingSeries(&deaths, 1);
        auto* c = new CountingSeries(&deaths, 3);
        panel.addSeries(a);
        panel.addSeries(b);
        panel.insertSeries(1, c);
        panel.addSeries(a);        // already there: not added twice
        panel.addSeries(nullptr);  // ignored
        panel.insertSeries(99, nullptr);
        ASSERT_EQ(panel.seriesCount(), 3);
        EXPECT_EQ(panel.seriesAt(0), a);
        EXPECT_EQ(panel.seriesAt(1), c);
        EXPECT_EQ(panel.seriesAt(3), nullptr);
        EXPECT_EQ(panel.seriesAt(-1), nullptr);
        EXPECT_EQ(a->owner(), &panel);
        EXPECT_EQ(a->xAxis(), &panel.xAxis());
        EXPECT_EQ(panel.findSeries(3), a);
        EXPECT_EQ(panel.findSeries(7), nullptr);
        QList<CChartSeries*> found;
        panel.seriesOfType(3, found);
        EXPECT_EQ(found, (QList<CChartSeries*>{a, c}));

        panel.removeSeriesAt(5);
        panel.removeSeriesAt(-1);
        EXPECT_EQ(deaths, 0);
        panel.removeSeriesAt(1);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(panel.seriesAt(1), b);
        // Inserting beyond the end appends.
        panel.insertSeries(40, new CountingSeries(&deaths));
        EXPECT_EQ(panel.seriesCount(), 3);
    }
    EXPECT_EQ(deaths, 4);
}

TEST(ChartSeries, PointsAndExtremes) {
    int deaths = 0;
    CountingSeries s(&deaths);
    // No points: extremes are 0 instead of reading past the end.
    EXPECT_EQ(s.minX(), 0.0);
    EXPECT_EQ(s.maxY(), 0.0);
    EXPECT_EQ(s.xPixel(0), 0);
    s.appendValue(5);
    s.appendValue(-3);
    s.addPoint(10, 7);
    s.setPoint(7, 1, 1);  // out of range: nothing
    s.setPoint(0, -4, 5);
    EXPECT_EQ(s.xValues(), (QVector<double>{-4, 1, 10}));
    EXPECT_EQ(s.minX(), -4);
    EXPECT_EQ(s.maxX(), 10);
    EXPECT_EQ(s.minY(), -3);
    EXPECT_EQ(s.maxY(), 7);
    s.clear();
    EXPECT_EQ(s.pointCount(), 0);
}

// A band series with the x axis 0..1000 over the plot and y in pixels.
struct BandCanvas : Canvas {
    CTimeRectSeries* bands = new CTimeRectSeries();
    BandCanvas() {
        panel.xAxis().setRange(0, 1000);
        panel.addSeries(bands);
    }
};

TEST(TimeRectSeries, ClipsSkipsAndWidensBands) {
    BandCanvas c;
    c.bands->addRect(QPoint(-500, 10), QPoint(2000, 20), QBrush(kBand), 1);  // covers the range
    c.bands->addRect(QPoint(1500, 30), QPoint(1600, 40), QBrush(kBand), 1);  // outside
    c.bands->addRect(QPoint(500, 50), QPoint(500, 60), QBrush(kBand), 1);    // zero width
    c.bands->addRect(QPoint(700, 70), QPoint(600, 80), QBrush(kBand), 1);    // inverted
    c.render();
    // Across the whole plot width.
    EXPECT_EQ(c.at(100, 15), kBand);
    EXPECT_EQ(c.at(1099, 15), kBand);
    EXPECT_EQ(c.at(99, 15), kBack);
    EXPECT_EQ(c.at(1100, 15), kBack);
    // Nothing of the band outside the range.
    for (int x = 0; x < 1200; x += 7) {
        ASSERT_EQ(c.at(x, 35), kBack) << x;
    }
    // Narrow and inverted bands are one pixel wide at their left end.
    EXPECT_EQ(c.at(600, 55), kBand);
    EXPECT_EQ(c.at(601, 55), kBack);
    EXPECT_EQ(c.at(800, 75), kBand);
    EXPECT_EQ(c.at(801, 75), kBack);
}

TEST(TimeRectSeries, FilterSelectsTypes) {
    struct Case {
        QList<int> filter;
        bool type1;
        bool type2;
    } cases[] = {
        {{-1}, true, true}, {{2}, false, true}, {{1, 2}, true, true}, {{}, false, false}, {{5, -1}, true, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "filter size " << k.filter.size());
        BandCanvas c;
        c.bands->addRect(QPoint(100, 10), QPoint(200, 20), QBrush(kBand), 1);
        c.bands->addRect(QPoint(300, 10), QPoint(400, 20), QBrush(kBand), 2);
        c.bands->setFilter(k.filter);
        c.render();
        EXPECT_EQ(c.at(250, 15) == kBand, k.type1);
        EXPECT_EQ(c.at(450, 15) == kBand, k.type2);
    }
    // clear() brings back every type.
    BandCanvas c;
    c.bands->setFilter({});
    c.bands->clear();
    EXPECT_EQ(c.bands->filter(), QList<int>{-1});
}

TEST(TimeRectSeries, ContainsComparesPixelsOfTheDrawnBand) {
    BandCanvas c;
    EXPECT_FALSE(c.bands->contains(QPoint(500, -1)));
    EXPECT_FALSE(c.bands->contains(QPoint(500, 0)));
    c.render();  // nothing drawn yet: band -1..-1
    EXPECT_FALSE(c.bands->contains(QPoint(500, 0)));

    // y through the y axis 0..50 over a 100-pixel plot: values 10..16 are
    // pixels 20..32; the point is a pixel and must be compared as one.
    c.panel.yAxis().setRange(0, 50);
    c.bands->setYMapping(true);
    c.bands->addRect(QPoint(100, 10), QPoint(200, 16), QBrush(kBand), 0);
    c.render();
    EXPECT_EQ(c.bands->bandTop(), 20);
    EXPECT_EQ(c.bands->bandBottom(), 32);
    EXPECT_TRUE(c.bands->contains(QPoint(0, 20)));
    EXPECT_TRUE(c.bands->contains(QPoint(0, 26)));
    EXPECT_TRUE(c.bands->contains(QPoint(0, 32)));
    EXPECT_FALSE(c.bands->contains(QPoint(0, 14)));
    EXPECT_FALSE(c.bands->contains(QPoint(0, 33)));
    EXPECT_EQ(c.at(250, 26), kBand);
    EXPECT_EQ(c.at(250, 33), kBack);
}

TEST(AxisSeries, TicksAndLabelsOverOneDay) {
    Canvas c;
    c.panel.xAxis().setRange(0, 86400);
    auto* axis = new CAxisSeries();
    axis->tickColor = QColor(0, 255, 0);
    axis->tickBottom = 60;  // ticks fill y 42..48
    axis->setInterval(7200);
    c.panel.addSeries(axis);
    c.render();
    const QColor tick(0, 255, 0);
    // Tick k sits at x = 100 + k * 1000 / 12, two pixels wide from x - 1; the
    // first is moved one pixel right, the last one pixel left.
    for (int k = 0; k <= 12; ++k) {
        int x = 100 + NearestPixel(k * 1000.0 / 12);
        if (k == 0) x += 1;
        if (k == 12) x -= 1;
        SCOPED_TRACE(k);
        EXPECT_EQ(c.at(x - 1, 45), tick);
        EXPECT_EQ(c.at(x, 45), tick);
        EXPECT_NE(c.at(x + 1, 45), tick);
        EXPECT_NE(c.at(x - 2, 45), tick);
    }
    EXPECT_EQ(CAxisSeries::labelFor(86400, 7200), "00:00:00");
    EXPECT_EQ(CAxisSeries::labelFor(7200 * 7 + 1830, 7200), "14:30:30");
    EXPECT_EQ(CAxisSeries::labelFor(-3600, 7200), "23:00:00");
    EXPECT_EQ(CAxisSeries::labelFor(0, 43200), "0");
    EXPECT_EQ(CAxisSeries::labelFor(43200, 43200), "12");
    EXPECT_EQ(CAxisSeries::labelFor(86400, 43200), "24");
    EXPECT_EQ(CAxisSeries::labelFor(86400 + 43200, 43200), "12");
}

TEST(AxisSeries, FirstTickIsTheFirstMultipleInsideTheRange) {
    Canvas c;
    c.panel.xAxis().setRange(-5000, 5000);
    auto* axis = new CAxisSeries();
    axis->tickColor = QColor(0, 255, 0);
    axis->tickBottom = 60;
    axis->setInterval(3600);
    c.panel.addSeries(axis);
    c.render();
    // Ticks at -3600, 0 and 3600 only.
    int ticks = 0;
    for (int x = 0; x < 1200; ++x) {
        if (c.at(x, 45) == QColor(0, 255, 0) && c.at(x - 1, 45) != QColor(0, 255, 0)) ++ticks;
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(c.at(100 + NearestPixel(1400 * 0.1), 45), QColor(0, 255, 0));
}

TEST(AxisSeries, NoStepDrawsNothing) {
    for (int interval : {-1, 0, -7200}) {
        Canvas c;
        c.panel.xAxis().setRange(0, 86400);
        auto* axis = new CAxisSeries();
        axis->tickColor = QColor(0, 255, 0);
        axis->setInterval(interval);
        c.panel.addSeries(axis);
        c.render();  // a step of 0 must not loop for ever
        for (int x = 0; x < 1200; x += 3) {
            ASSERT_EQ(c.at(x, 30), kBack) << interval;
        }
    }
}

TEST(MouseTextSeries, ClearLeavesABlankAndDrawsOnlyInsideTheRange) {
    CMouseTextSeries s;
    s.setText("12:00:00");
    s.addPoint(1, 1);
    s.clear();
    EXPECT_EQ(s.text(), " ");
    EXPECT_EQ(s.pointCount(), 0);
}

TEST(ImageAndTagSeries, HitTests) {
    Canvas c;
    c.panel.xAxis().setRange(0, 1000);
    QPixmap pix(16, 16);
    pix.fill(Qt::blue);
    auto* images = new CImageSeries();
    images->addImage(20, 10, pix);  // above the visibility limit: not drawn, still hit
    images->addImage(20, 40, pix);
    c.panel.addSeries(images);
    auto* tags = new CTagSeries(pix);
    tags->addTag(QPoint(100, 60), QPoint(300, 70), "first");
    tags->addTag(QPoint(105, 60), QPoint(110, 70), "close");  // its icon would overlap: none
    tags->addTag(QPoint(500, 60), QPoint(600, 70), "second");
    c.panel.addSeries(tags);
    c.render();

    int index = -1;
    EXPECT_TRUE(images->imageAt(QPoint(25, 45), index));
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(images->imageAt(QPoint(25, 15), index));
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(images->imageAt(QPoint(50, 45), index));
    EXPECT_EQ(c.at(25, 45), QColor(Qt::blue));
    EXPECT_EQ(c.at(25, 15), kBack);

    int key = -1;
    EXPECT_TRUE(tags->tagAt(QPoint(605, 45), key));  // icon of "second" at x 600
    EXPECT_EQ(key, 500);
    EXPECT_EQ(tags->textAt(key), "second");
    EXPECT_EQ(tags->textAt(1), QString());
    tags->removeTag(105);
    EXPECT_EQ(tags->tagCount(), 2);
    EXPECT_EQ(c.at(200, 65), QColor(131, 131, 131));
}

TEST(LineSeries, StepsUseThePreviousY) {
    Canvas c;
    c.panel.xAxis().setRange(0, 1000);
    auto* line = new CLineSeries();
    line->setColor(Qt::white);
    line->setStyleFlag(true);
    line->addPoint(100, 20);
    line->addPoint(500, 80);
    c.panel.addSeries(line);
    c.render();
    // Horizontal at y 20 to x 600, then down to 80.
    EXPECT_EQ(c.at(400, 20), QColor(Qt::white));
    EXPECT_EQ(c.at(600, 50), QColor(Qt::white));
    EXPECT_EQ(c.at(400, 50), kBack);
}

}  // namespace

// Row captions show whole before the filter icon: a caption too wide for the
// room is drawn smaller, one that fits keeps the font.
TEST(BackGroundSeries, CaptionsFitBeforeTheFilterIcon) {
    QFont font;
    font.setPixelSize(13);
    const struct {
        QString caption;
        bool keepsFont;
    } cases[] = {
        {"window01", true},
        {QString::fromUtf8("\xe7\xaa\x97\xe5\x8f\xa3" "16"), true},  // "window16" in Chinese
        {"Playback window 16", false},
        {"WWWWWWWWWW16", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption.toStdString());
        const QFont fitted = CBackGroundSeries::captionFont(font, c.caption);
        EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(c.caption), CBackGroundSeries::kCaptionRoom);
        EXPECT_EQ(fitted == font, c.keepsFont);
        EXPECT_GE(QFontInfo(fitted).pixelSize(), 6);
    }
}
