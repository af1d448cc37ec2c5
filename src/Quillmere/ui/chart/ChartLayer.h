// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small two-dimensional chart layer drawn straight with QPainter: a panel
// with two value axes and an ordered list of series. The time axes of the
// playback pages are built on it. Nothing here is a QObject; a view widget
// derives from both QFrame and CAxisPanel, hands the panel its plot rectangle
// and calls draw() on an off-screen pixmap.
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

class QPainter;
class CAxisPanel;
class CChartSeries;

// floor(r + 0.5), clamped into the int range (NaN gives 0).
int NearestPixel(double r);

// One value axis of a panel. A horizontal axis maps onto the plot
// rectangle's left and width, a vertical one onto its top and height.
class CAxisScale {
public:
    explicit CAxisScale(CAxisPanel* owner = nullptr);

    void setOwner(CAxisPanel* owner) { m_owner = owner; }
    CAxisPanel* owner() const { return m_owner; }

    void range(double& lower, double& upper) const;
    // Replaces the range; the layout follows on the next updateLayout().
    void setRange(double lower, double upper);
    double lower() const { return m_lower; }
    double upper() const { return m_upper; }

    void setReversed(bool reversed) { m_reversed = reversed; }
    bool isReversed() const { return m_reversed; }
    void setHorizontal(bool horizontal) { m_horizontal = horizontal; }
    bool isHorizontal() const { return m_horizontal; }

    int coordToPixel(double value) const;
    // With a zero pixel length the axis has no extent: every pixel maps to
    // the range's first end (lower when horizontal, upper when vertical).
    double pixelToCoord(int pixel) const;

    // Rereads the owner's plot rectangle, then rescale().
    void updateLayout();
    // Recomputes length, centre, span and factor from start and end.
    void rescale();
    // Sets the pixel ends directly (without an owner) and rescales.
    void setPixelRange(int start, int end);

    int start() const { return m_start; }
    int end() const { return m_end; }
    int length() const { return m_length; }
    int centre() const { return m_centre; }
    double factor() const { return m_factor; }
    double span() const { return m_span; }

private:
    CAxisPanel* m_owner;
    double m_lower = 0.0;
    double m_upper = 100.0;
    bool m_horizontal = true;
    bool m_reversed = false;
    int m_start = 0;
    int m_end = 0;
    int m_length = 0;
    double m_factor = 0.0;
    int m_centre = 0;
    double m_span = 100.0;
};

// The chart: two axes, a plot rectangle and the series it owns.
class CAxisPanel {
public:
    CAxisPanel();
    virtual ~CAxisPanel();
    CAxisPanel(const CAxisPanel&) = delete;
    CAxisPanel& operator=(const CAxisPanel&) = delete;

    void setFirstText(const QString& text) { m_firstText = text; }
    QString firstText() const { return m_firstText; }
    void setSecondText(const QString& text) { m_secondText = text; }
    QString secondText() const { return m_secondText; }

    void setPlotRect(const QRect& rect);
    QRect plotRect() const { return m_plotRect; }
    int plotWidth() const { return m_plotWidth; }
    int plotHeight() const { return m_plotHeight; }

    CAxisScale& xAxis() { return m_xAxis; }
    const CAxisScale& xAxis() const { return m_xAxis; }
    CAxisScale& yAxis() { return m_yAxis; }
    const CAxisScale& yAxis() const { return m_yAxis; }

    // The panel takes the series over. A null series or one already in the
    // list is not added twice. insertSeries clamps the index into the list.
    void addSeries(CChartSeries* series);
    void insertSeries(int index, CChartSeries* series);
    CChartSeries* seriesAt(int index) const;
    int seriesCount() const { return m_series.size(); }
    CChartSeries* findSeries(int type) const;
    void seriesOfType(int type, QList<CChartSeries*>& out) const;
    void removeSeriesAt(int index);
    void clearSeries();

    // Lays out both axes from the plot rectangle, then draws every series
    // in list order.
    virtual void draw(QPainter* painter);

private:
    void bind(CChartSeries* series);

    QString m_firstText;
    QString m_secondText;
    QRect m_plotRect;
    int m_plotWidth = 0;
    int m_plotHeight = 0;
    CAxisScale m_yAxis;
    CAxisScale m_xAxis;
    QList<CChartSeries*> m_series;
};

// Base of every series: points in value space, drawn through the owner's axes.
class CChartSeries {
public:
    CChartSeries() = default;
    virtual ~CChartSeries();
    CChartSeries(const CChartSeries&) = delete;
    CChartSeries& operator=(const CChartSeries&) = delete;

    virtual void clear();
    virtual void draw(QPainter* painter) = 0;
    virtual int type() const { return -1; }

    // Called by the panel when the series is added.
    void bindTo(CAxisPanel* owner, CAxisScale* xAxis, CAxisScale* yAxis);
    CAxisPanel* owner() const { return m_owner; }
    CAxisScale* xAxis() const { return m_xAxis; }
    CAxisScale* yAxis() const { return m_yAxis; }

    void addPoint(double x, double y);
    void appendValue(double y);
    void setPoint(int index, double x, double y);
    int pointCount() const { return m_x.size(); }
    const QVector<double>& xValues() const { return m_x; }
    const QVector<double>& yValues() const { return m_y; }

    // Extremes of the values; 0 for a series without points.
    double minX() const;
    double maxX() const;
    double minY() const;
    double maxY() const;

    // Pixels through the axes; 0 when the series is not bound or the index
    // is out of range.
    int xPixel(int index) const;
    int yPixel(int index) const;
    int xPixelOf(double value) const;
    int yPixelOf(double value) const;
    double xValueAt(int pixel) const;
    double yValueAt(int pixel) const;

    void setStyleFlag(bool flag) { m_styleFlag = flag; }
    bool styleFlag() const { return m_styleFlag; }
    void setInterval(int interval) { m_interval = interval; }
    int interval() const { return m_interval; }

protected:
    CAxisPanel* m_owner = nullptr;
    CAxisScale* m_xAxis = nullptr;
    CAxisScale* m_yAxis = nullptr;
    bool m_styleFlag = false;
    int m_interval = -1;
    QVector<double> m_x;
    QVector<double> m_y;
};

// Polyline; the y values are pixels. The style flag draws steps.
class CLineSeries : public CChartSeries {
public:
    void draw(QPainter* painter) override;
    void setPenWidth(int width) { m_penWidth = width; }
    int penWidth() const { return m_penWidth; }
    void setColor(const QColor& color) { m_color = color; }
    QColor color() const { return m_color; }

private:
    int m_penWidth = 1;
    QColor m_color = QColor(0, 0, 12);
};

// Outlined bars from the bottom of the y range up to each value.
class CBarSeries : public CChartSeries {
public:
    void draw(QPainter* painter) override;
    void setPenWidth(int width) { m_penWidth = width; }
    int penWidth() const { return m_penWidth; }
    void setColor(const QColor& color) { m_color = color; }
    QColor color() const { return m_color; }

private:
    int m_penWidth = 1;
    QColor m_color;
};

// Filled area under the points down to the plot height.
class CAreaSeries : public CChartSeries {
public:
    void draw(QPainter* painter) override;
    void setColor(const QColor& color) { m_color = color; }
    QColor color() const { return m_color; }

private:
    QColor m_color = QColor(0, 0, 12);
};

// Row lines with their captions and the header band; one y value per line.
class CBackGroundSeries : public CChartSeries {
public:
    int type() const override { return 0; }
    void draw(QPainter* painter) override;
    void setCaptions(const QStringList& captions) { m_captions = captions; }
    QStringList captions() const { return m_captions; }

    // Room for a caption: from its left edge to just before the row's filter
    // icon.
    static constexpr int kCaptionLeft = 5;
    static constexpr int kCaptionRoom = 80 - 3 - kCaptionLeft;
    // `font`, made smaller where `caption` would not fit the room otherwise
    // (never below 6 pixels), so that the whole caption shows.
    static QFont captionFont(const QFont& font, const QString& caption);

private:
    QStringList m_captions;
};

// Time ticks and their labels; values are seconds, the interval is the step.
class CAxisSeries : public CChartSeries {
public:
    CAxisSeries();
    int type() const override { return 1; }
    void draw(QPainter* painter) override;

    // The label of a tick at t seconds after the first midnight.
    static QString labelFor(qint64 t, int interval);

    QColor lineColor;
    int labelTop = 42;
    QColor tickColor;
    int tickBottom = 42;
    int tickHeight = 7;
    int tickWidth = 2;
    QFont font;
};

// The time under the mouse, written at its x position.
class CMouseTextSeries : public CChartSeries {
public:
    int type() const override { return 2; }
    void clear() override;
    void draw(QPainter* painter) override;

    void setColor(const QColor& color) { m_color = color; }
    QColor color() const { return m_color; }
    void setText(const QString& text) { m_text = text; }
    QString text() const { return m_text; }
    void setValue(double value) { m_value = value; }
    double value() const { return m_value; }

private:
    QColor m_color;
    QString m_text;
    double m_value = 0.0;
};

// The groove of the single-row slider: two caps and a stretched middle.
class CGrooveSeries : public CChartSeries {
public:
    CGrooveSeries();
    void draw(QPainter* painter) override;
    int grooveHeight() const { return m_grooveHeight; }

private:
    QPixmap m_left;
    QPixmap m_middle;
    QPixmap m_right;
    int m_grooveHeight = 11;
};

// One recording band: x in axis seconds, y in axis values or pixels.
struct TimeRect {
    QPoint begin;
    QPoint end;
    QBrush brush;
    int type = 0;
};

// The recording bands of one row, grouped by record type, with a type filter.
class CTimeRectSeries : public CChartSeries {
public:
    int type() const override { return 3; }
    void clear() override;
    void draw(QPainter* painter) override;

    void addRect(const QPoint& begin, const QPoint& end, const QBrush& brush, int type);
    void clearType(int type);
    void setFilter(const QList<int>& types) { m_filter = types; }
    QList<int> filter() const { return m_filter; }
    // True when the point's y lies within the band drawn last; false when
    // the last draw showed no band.
    bool contains(const QPoint& point) const;

    void setYMapping(bool on) { m_yMapping = on; }
    bool yMapping() const { return m_yMapping; }
    int bandTop() const { return m_bandTop; }
    int bandBottom() const { return m_bandBottom; }
    const QMap<int, QVector<TimeRect>>& rects() const { return m_rects; }
    int rectCount() const;

private:
    bool passesFilter(int type) const;

    QMap<int, QVector<TimeRect>> m_rects;
    bool m_yMapping = false;
    int m_bandTop = -1;
    int m_bandBottom = -1;
    bool m_drawnBand = false;
    QList<int> m_filter{-1};
};

// Grey marks with an icon above each (icons never overlap).
class CTagSeries : public CChartSeries {
public:
    struct Tag {
        QPoint begin;
        QPoint end;
        QString text;
    };

    explicit CTagSeries(const QPixmap& icon = QPixmap());
    void clear() override;
    void draw(QPainter* painter) override;

    void addTag(const QPoint& begin, const QPoint& end, const QString& text);
    bool tagAt(const QPoint& point, int& key) const;
    QString textAt(int x) const;
    void removeTag(int x);
    int tagCount() const { return m_tags.size(); }

private:
    QVector<Tag> m_tags;
    QPixmap m_icon;
    QBrush m_brush = QBrush(QColor(131, 131, 131));
    QMap<int, QRect> m_iconRects;
};

// Pixmaps at a pixel x and a y-axis value y.
class CImageSeries : public CChartSeries {
public:
    int type() const override { return 4; }
    void draw(QPainter* painter) override;
    void addImage(int x, int y, const QPixmap& pixmap);
    bool imageAt(const QPoint& point, int& index) const;
    int imageCount() const { return m_images.size(); }

private:
    struct Image {
        QPoint position;
        QPixmap pixmap;
    };
    QVector<Image> m_images;
};
