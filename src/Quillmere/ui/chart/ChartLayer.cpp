// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChartLayer.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <climits>
#include <cmath>

int NearestPixel(double r) {
    if (std::isnan(r)) {
        return 0;
    }
    const double f = std::floor(r + 0.5);
    if (f >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    if (f <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    return static_cast<int>(f);
}

namespace {

// Truncation toward zero into the 64-bit range (NaN gives 0).
qint64 TruncTo64(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= 9.2e18) {
        return LLONG_MAX;
    }
    if (v <= -9.2e18) {
        return LLONG_MIN;
    }
    return static_cast<qint64>(v);
}

// Clock time of t seconds after midnight, wrapped into one day.
QString ClockText(qint64 t) {
    qint64 s = t % 86400;
    if (s < 0) {
        s += 86400;
    }
    return QString("%1:%2:%3")
        .arg(s / 3600, 2, 10, QChar('0'))
        .arg((s / 60) % 60, 2, 10, QChar('0'))
        .arg(s % 60, 2, 10, QChar('0'));
}

}  // namespace

// ---------------------------------------------------------------- CAxisScale

CAxisScale::CAxisScale(CAxisPanel* owner) : m_owner(owner) {}

void CAxisScale::range(double& lower, double& upper) const {
    lower = m_lower;
    upper = m_upper;
}

void CAxisScale::setRange(double lower, double upper) {
    m_lower = lower;
    m_upper = upper;
}

int CAxisScale::coordToPixel(double value) const {
    const double offset = m_reversed ? (m_upper - value) * m_factor : (value - m_lower) * m_factor;
    const int n = NearestPixel(offset);
    // Keep the sum inside the int range.
    const qint64 p = static_cast<qint64>(m_start) + n;
    return static_cast<int>(std::clamp<qint64>(p, INT_MIN, INT_MAX));
}

double CAxisScale::pixelToCoord(int pixel) const {
    const double moved = m_length == 0 ? 0.0 : (static_cast<double>(pixel) - m_start) * m_span / m_length;
    return m_horizontal ? m_lower + moved : m_upper - moved;
}

void CAxisScale::updateLayout() {
    if (m_owner) {
        const QRect r = m_owner->plotRect();
        if (m_horizontal) {
            m_start = r.left();
            m_end = m_start + m_owner->plotWidth();
        } else {
            m_start = r.top();
            m_end = m_start + m_owner->plotHeight();
        }
    }
    rescale();
}

void CAxisScale::rescale() {
    m_length = m_end - m_start;
    m_centre = (m_start + m_end) / 2;
    m_span = m_upper - m_lower;
    m_factor = m_span == 0.0 ? 0.0 : m_length / m_span;
}

void CAxisScale::setPixelRange(int start, int end) {
    m_start = start;
    m_end = end;
    rescale();
}

// ---------------------------------------------------------------- CAxisPanel

CAxisPanel::CAxisPanel() : m_yAxis(this), m_xAxis(this) {
    m_yAxis.setHorizontal(false);
    m_yAxis.setReversed(true);
    m_yAxis.setRange(0, 100);
    m_xAxis.setHorizontal(true);
    m_xAxis.setReversed(false);
    m_xAxis.setRange(0, 100);
}

CAxisPanel::~CAxisPanel() { clearSeries(); }

void CAxisPanel::setPlotRect(const QRect& rect) {
    m_plotRect = rect;
    m_plotWidth = rect.width();
    m_plotHeight = rect.height();
}

void CAxisPanel::bind(CChartSeries* series) { series->bindTo(this, &m_xAxis, &m_yAxis); }

void CAxisPanel::addSeries(CChartSeries* series) {
    if (!series || m_series.contains(series)) {
        return;
    }
    bind(series);
    m_series.append(series);
}

void CAxisPanel::insertSeries(int index, CChartSeries* series) {
    if (!series || m_series.contains(series)) {
        return;
    }
    bind(series);
    m_series.insert(std::clamp(index, 0, m_series.size()), series);
}

CChartSeries* CAxisPanel::seriesAt(int index) const {
    return index >= 0 && index < m_series.size() ? m_series.at(index) : nullptr;
}

CChartSeries* CAxisPanel::findSeries(int type) const {
    for (CChartSeries* s : m_series) {
        if (s->type() == type) {
            return s;
        }
    }
    return nullptr;
}

void CAxisPanel::seriesOfType(int type, QList<CChartSeries*>& out) const {
    for (CChartSeries* s : m_series) {
        if (s->type() == type) {
            out.append(s);
        }
    }
}

void CAxisPanel::removeSeriesAt(int index) {
    if (index < 0 || index >= m_series.size()) {
        return;
    }
    delete m_series.takeAt(index);
}

void CAxisPanel::clearSeries() {
    const QList<CChartSeries*> all = m_series;
    m_series.clear();
    qDeleteAll(all);
}

void CAxisPanel::draw(QPainter* painter) {
    m_yAxis.updateLayout();
    m_xAxis.updateLayout();
    if (!painter) {
        return;
    }
    for (CChartSeries* s : m_series) {
        s->draw(painter);
    }
}

// -------------------------------------------------------------- CChartSeries

CChartSeries::~CChartSeries() = default;

void CChartSeries::clear() {
    m_x.clear();
    m_y.clear();
}

void CChartSeries::bindTo(CAxisPanel* owner, CAxisScale* xAxis, CAxisScale* yAxis) {
    m_owner = owner;
    m_xAxis = xAxis;
    m_yAxis = yAxis;
}

void CChartSeries::addPoint(double x, double y) {
    m_x.append(x);
    m_y.append(y);
}

void CChartSeries::appendValue(double y) { addPoint(m_x.size(), y); }

void CChartSeries::setPoint(int index, double x, double y) {
    if (index < 0 || index >= m_x.size()) {
        return;
    }
    m_x[index] = x;
    m_y[index] = y;
}

double CChartSeries::minX() const { return m_x.isEmpty() ? 0.0 : *std::min_element(m_x.begin(), m_x.end()); }
double CChartSeries::maxX() const { return m_x.isEmpty() ? 0.0 : *std::max_element(m_x.begin(), m_x.end()); }
double CChartSeries::minY() const { return m_y.isEmpty() ? 0.0 : *std::min_element(m_y.begin(), m_y.end()); }
double CChartSeries::maxY() const { return m_y.isEmpty() ? 0.0 : *std::max_element(m_y.begin(), m_y.end()); }

int CChartSeries::xPixel(int index) const {
    return index >= 0 && index < m_x.size() ? xPixelOf(m_x.at(index)) : 0;
}
int CChartSeries::yPixel(int index) const {
    return index >= 0 && index < m_y.size() ? yPixelOf(m_y.at(index)) : 0;
}
int CChartSeries::xPixelOf(double value) const { return m_xAxis ? m_xAxis->coordToPixel(value) : 0; }
int CChartSeries::yPixelOf(double value) const { return m_yAxis ? m_yAxis->coordToPixel(value) : 0; }
double CChartSeries::xValueAt(int pixel) const { return m_xAxis ? m_xAxis->pixelToCoord(pixel) : 0.0; }
double CChartSeries::yValueAt(int pixel) const { return m_yAxis ? m_yAxis->pixelToCoord(pixel) : 0.0; }

// ------------------------------------------------------------- CLineSeries

void CLineSeries::draw(QPainter* painter) {
    if (!m_xAxis || m_x.size() < 2) {
        return;
    }
    painter->setPen(QPen(m_color, m_penWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    QPainterPath path;
    path.moveTo(xPixel(0), m_y.at(0));
    for (int i = 1; i < m_x.size(); ++i) {
        const int x = xPixel(i);
        if (m_styleFlag) {
            path.lineTo(x, m_y.at(i - 1));
        }
        path.lineTo(x, m_y.at(i));
        path.moveTo(x, m_y.at(i));
    }
    painter->drawPath(path);
}

// -------------------------------------------------------------- CBarSeries

void CBarSeries::draw(QPainter* painter) {
    if (!m_xAxis || !m_yAxis) {
        return;
    }
    painter->setPen(QPen(m_color, m_penWidth));
    painter->setBrush(Qt::NoBrush);
    const int half = m_penWidth / 2;
    const int base = yPixelOf(m_yAxis->lower());
    for (int i = 0; i < m_x.size(); ++i) {
        const int x = xPixel(i);
        painter->drawRect(QRect(QPoint(x - half, yPixel(i)), QPoint(x + half, base)).normalized());
    }
}

// ------------------------------------------------------------- CAreaSeries

void CAreaSeries::draw(QPainter* painter) {
    if (!m_owner || m_x.size() < 2) {
        return;
    }
    const int h = m_owner->plotHeight();
    QPolygon polygon;
    polygon << QPoint(xPixel(0), h);
    if (!m_styleFlag) {
        for (int i = 0; i < m_x.size(); ++i) {
            polygon << QPoint(xPixel(i), yPixel(i));
        }
    }
    polygon << QPoint(xPixel(m_x.size() - 1), h);
    painter->setPen(m_color);
    painter->setBrush(QBrush(m_color, Qt::SolidPattern));
    painter->drawPolygon(polygon, Qt::OddEvenFill);
}

// ------------------------------------------------------- CBackGroundSeries

void CBackGroundSeries::draw(QPainter* painter) {
    if (!m_owner) {
        return;
    }
    const int w = m_owner->plotWidth();
    painter->setPen(QColor("#383C41"));
    for (int i = 0; i < m_y.size(); ++i) {
        const int p = yPixel(i);
        if (p >= 32) {
            painter->drawLine(1, p, w + 300, p);
        }
        painter->save();
        painter->setPen(QPen(QBrush(QColor("#949697")), 2));
        if (i < m_captions.size()) {
            painter->setFont(captionFont(painter->font(), m_captions.at(i)));
            painter->drawText(QRect(kCaptionLeft, p, 112, 24), Qt::AlignLeft | Qt::AlignVCenter, m_captions.at(i));
        }
        painter->restore();
    }
    painter->setBrush(QColor("#21262b"));
    painter->drawRect(QRect(0, 0, w + 300, 32));
    painter->setPen(QPen(QColor("#383C41"), 1));
    painter->drawLine(87, 0, 87, m_owner->plotHeight());
    painter->drawLine(0, 0, 0, m_owner->plotHeight());
}

QFont CBackGroundSeries::captionFont(const QFont& font, const QString& caption) {
    QFont fitted = font;
    const int width = QFontMetrics(font).horizontalAdvance(caption);
    if (width <= kCaptionRoom) return fitted;
    const qreal pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    int size = qMax(6, static_cast<int>(pixels * kCaptionRoom / width));
    fitted.setPixelSize(size);
    while (size > 6 && QFontMetrics(fitted).horizontalAdvance(caption) > kCaptionRoom) fitted.setPixelSize(--size);
    return fitted;
}

// ------------------------------------------------------------- CAxisSeries

CAxisSeries::CAxisSeries() : lineColor(255, 255, 255, 255), tickColor(255, 255, 255, 255) { font.setPointSize(7); }

QString CAxisSeries::labelFor(qint64 t, int interval) {
    if (interval > 21600) {
        if (t != 0 && t % 86400 == 0) {
            return QStringLiteral("24");
        }
        qint64 s = t % 86400;
        if (s < 0) {
            s += 86400;
        }
        return QString::number(s / 3600);
    }
    return ClockText(t);
}

void CAxisSeries::draw(QPainter* painter) {
    // A step of zero or less would never reach the upper end.
    if (m_interval <= 0 || !m_xAxis) {
        return;
    }
    const double lower = m_xAxis->lower();
    const double upper = m_xAxis->upper();
    if (!(lower <= upper)) {
        return;
    }
    painter->setPen(lineColor);
    const qint64 lowerT = TruncTo64(lower);
    double first = lower - static_cast<double>(lowerT % m_interval);
    if (lower > first) {
        first += m_interval;
    }
    for (qint64 t = TruncTo64(first); static_cast<double>(t) <= upper; t += m_interval) {
        int x = xPixelOf(static_cast<double>(t));
        if (static_cast<double>(t) == upper) {
            x -= 1;
        } else if (static_cast<double>(t) == lower) {
            x += 1;
        }
        painter->fillRect(QRect(x - 1, tickBottom - 18, tickWidth, tickHeight), tickColor);

        const QString label = labelFor(t, m_interval);
        if (!m_styleFlag) {
            painter->setFont(font);
            painter->setPen(QColor(255, 255, 255, 255));
        }
        QRect r = painter->boundingRect(QRect(x, labelTop, 15, 8), Qt::AlignLeft, label);
        r.moveCenter(QPoint(x, r.center().y()));
        if (m_styleFlag) {
            const int w = r.width();
            r.adjust(-w / 2, -6, -w / 2, 0);
        }
        QRect target(r.x(), r.y() + 6, r.width(), r.height());
        // A label at either end stays over the axis, clear of the buttons
        // beside it.
        if (m_xAxis->length() > target.width()) {
            if (target.right() > m_xAxis->end()) target.moveRight(m_xAxis->end());
            if (target.left() < m_xAxis->start()) target.moveLeft(m_xAxis->start());
        }
        if (target.isValid()) {
            painter->drawText(target, Qt::AlignLeft, label);
        }
    }
}

// -------------------------------------------------------- CMouseTextSeries

void CMouseTextSeries::clear() {
    m_text = QStringLiteral(" ");
    CChartSeries::clear();
}

void CMouseTextSeries::draw(QPainter* painter) {
    if (!m_xAxis || m_text.isEmpty() || m_value < m_xAxis->lower() || m_value > m_xAxis->upper()) {
        return;
    }
    painter->setPen(m_color);
    const QRect r = painter->boundingRect(QRect(xPixelOf(m_value), 10, 15, 8), Qt::AlignLeft, m_text);
    if (r.isValid()) {
        painter->drawText(r, Qt::AlignLeft, m_text);
    }
}

// ----------------------------------------------------------- CGrooveSeries

namespace {
// The pixmap of the resource, or a plain stand-in of the given size when the
// resource is not part of the program.
QPixmap PixmapOr(const QString& path, int w, int h, const QColor& colour) {
    QPixmap p(path);
    if (p.isNull()) {
        p = QPixmap(w, h);
        p.fill(colour);
    }
    return p;
}
}  // namespace

CGrooveSeries::CGrooveSeries()
    : m_left(PixmapOr(":/images/public/Timeslider/slider-left-bar.png", 4, 11, QColor(90, 90, 90))),
      m_middle(PixmapOr(":/images/public/Timeslider/slider-bar.png", 4, 11, QColor(70, 70, 70))),
      m_right(PixmapOr(":/images/public/Timeslider/slider-right-bar.png", 4, 11, QColor(90, 90, 90))) {}

void CGrooveSeries::draw(QPainter* painter) {
    if (!m_xAxis || m_y.isEmpty()) {
        return;
    }
    const int y = static_cast<int>(TruncTo64(m_y.at(0)));
    const int left = xPixelOf(m_xAxis->lower());
    const int right = xPixelOf(m_xAxis->upper());
    painter->drawPixmap(left, y, m_left);
    const int midLeft = left + m_left.width();
    const int midRight = right - m_right.width();
    if (midRight > midLeft) {
        painter->drawPixmap(QRect(midLeft, y, midRight - midLeft, m_grooveHeight), m_middle);
    }
    painter->drawPixmap(right - m_right.width(), y, m_right);
}

// --------------------------------------------------------- CTimeRectSeries

namespace {
// Left pixel and width of a span [x1, x2] shown on the x axis, or false when
// nothing of it is visible. Narrow spans (even inverted ones) are one pixel.
bool VisibleSpan(const CChartSeries& s, double x1, double x2, int& left, int& width) {
    const CAxisScale* axis = s.xAxis();
    const double lower = axis->lower();
    const double upper = axis->upper();
    const bool x1In = x1 >= lower && x1 <= upper;
    const bool x2In = x2 >= lower && x2 <= upper;
    const bool covers = x1 <= lower && x2 >= upper;
    if (!x1In && !x2In && !covers) {
        return false;
    }
    left = s.xPixelOf(std::max(x1, lower));
    const int right = s.xPixelOf(std::min(x2, upper));
    const qint64 w = static_cast<qint64>(right) - left;
    width = w < 2 ? 1 : static_cast<int>(std::min<qint64>(w, INT_MAX));
    return true;
}
}  // namespace

void CTimeRectSeries::clear() {
    m_rects.clear();
    m_filter = QList<int>{-1};
    m_bandTop = -1;
    m_bandBottom = -1;
    m_drawnBand = false;
    CChartSeries::clear();
}

void CTimeRectSeries::addRect(const QPoint& begin, const QPoint& end, const QBrush& brush, int type) {
    m_rects[type].append(TimeRect{begin, end, brush, type});
}

void CTimeRectSeries::clearType(int type) {
    auto it = m_rects.find(type);
    if (it != m_rects.end()) {
        it->clear();
    }
}

int CTimeRectSeries::rectCount() const {
    int n = 0;
    for (const auto& v : m_rects) {
        n += v.size();
    }
    return n;
}

bool CTimeRectSeries::passesFilter(int type) const { return m_filter.contains(-1) || m_filter.contains(type); }

void CTimeRectSeries::draw(QPainter* painter) {
    m_bandTop = -1;
    m_bandBottom = -1;
    m_drawnBand = false;
    if (!m_xAxis || !m_yAxis) {
        return;
    }
    for (auto it = m_rects.cbegin(); it != m_rects.cend(); ++it) {
        for (const TimeRect& r : it.value()) {
            if (!passesFilter(r.type)) {
                continue;
            }
            int left = 0;
            int width = 0;
            if (!VisibleSpan(*this, r.begin.x(), r.end.x(), left, width)) {
                continue;
            }
            const int top = m_yMapping ? yPixelOf(r.begin.y()) : r.begin.y();
            const int bottom = m_yMapping ? yPixelOf(r.end.y()) : r.end.y();
            m_bandTop = top;
            m_bandBottom = bottom;
            m_drawnBand = true;
            painter->fillRect(QRect(left, top, width, bottom - top), r.brush);
        }
    }
}

bool CTimeRectSeries::contains(const QPoint& point) const {
    // The point is a widget pixel and the band is kept in pixels, so the two
    // compare directly whatever the y scale is.
    if (!m_drawnBand) {
        return false;
    }
    const int y = point.y();
    return m_bandTop <= y && y <= m_bandBottom;
}

// -------------------------------------------------------------- CTagSeries

CTagSeries::CTagSeries(const QPixmap& icon) : m_icon(icon) {}

void CTagSeries::clear() {
    m_tags.clear();
    m_iconRects.clear();
    CChartSeries::clear();
}

void CTagSeries::addTag(const QPoint& begin, const QPoint& end, const QString& text) {
    m_tags.append(Tag{begin, end, text});
}

void CTagSeries::draw(QPainter* painter) {
    m_iconRects.clear();
    if (!m_xAxis) {
        return;
    }
    int lastIconRight = -1;
    for (const Tag& tag : m_tags) {
        int left = 0;
        int width = 0;
        if (!VisibleSpan(*this, tag.begin.x(), tag.end.x(), left, width)) {
            continue;
        }
        painter->fillRect(QRect(left, tag.begin.y(), width, tag.end.y() - tag.begin.y()), m_brush);
        if (left > lastIconRight) {
            painter->drawPixmap(left, tag.begin.y() - 20, m_icon);
            lastIconRight = left + 16;
            const int key = static_cast<int>(std::max<double>(tag.begin.x(), m_xAxis->lower()));
            m_iconRects.insert(key, QRect(left, tag.begin.y() - 20, 18, 18));
        }
    }
}

bool CTagSeries::tagAt(const QPoint& point, int& key) const {
    for (auto it = m_iconRects.cbegin(); it != m_iconRects.cend(); ++it) {
        if (it.value().contains(point)) {
            key = it.key();
            return true;
        }
    }
    return false;
}

QString CTagSeries::textAt(int x) const {
    for (const Tag& tag : m_tags) {
        if (tag.begin.x() == x) {
            return tag.text;
        }
    }
    return QString();
}

void CTagSeries::removeTag(int x) {
    for (int i = 0; i < m_tags.size(); ++i) {
        if (m_tags.at(i).begin.x() == x) {
            m_tags.remove(i);
            return;
        }
    }
}

// ------------------------------------------------------------ CImageSeries

void CImageSeries::addImage(int x, int y, const QPixmap& pixmap) { m_images.append(Image{QPoint(x, y), pixmap}); }

void CImageSeries::draw(QPainter* painter) {
    if (!m_yAxis) {
        return;
    }
    for (const Image& image : m_images) {
        const int p = yPixelOf(image.position.y());
        if (p >= 28) {
            painter->drawPixmap(image.position.x(), p, image.pixmap);
        }
    }
}

bool CImageSeries::imageAt(const QPoint& point, int& index) const {
    if (!m_yAxis) {
        return false;
    }
    for (int i = 0; i < m_images.size(); ++i) {
        const Image& image = m_images.at(i);
        const QRect r(QPoint(image.position.x(), yPixelOf(image.position.y())), image.pixmap.size());
        if (r.contains(point)) {
            index = i;
            return true;
        }
    }
    return false;
}
