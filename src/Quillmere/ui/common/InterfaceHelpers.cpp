// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterfaceHelpers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QImage>
#include <QLayout>
#include <QLocale>
#include <QMimeData>
#include <QPixmapCache>
#include <QRegExp>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <algorithm>

// --- paths and files ---------------------------------------------------------

QString AppDirPath() { return QCoreApplication::applicationDirPath() + QLatin1Char('/'); }

QString MakeAbsolutePath(const QString& path) {
    if (QFileInfo(path).isRelative()) return AppDirPath() + path;
    return path;
}

QStringList LocalFilesFromMimeData(const QMimeData* mime) {
    QStringList files;
    if (!mime) return files;
    for (const QUrl& url : mime->urls()) {
        const QString local = url.toLocalFile();
        if (!local.isEmpty()) files << local;
    }
    return files;
}

// --- images and window shapes -------------------------------------------------

QPixmap LoadPixmapCached(const QString& path) {
    QPixmap pixmap;
    if (QPixmapCache::find(path, &pixmap)) return pixmap;
    const QImage image(path);
    pixmap = QPixmap::fromImage(image, Qt::OrderedDither | Qt::OrderedAlphaDither);
    if (pixmap.isNull()) return QPixmap();
    QPixmapCache::insert(path, pixmap);
    return pixmap;
}

namespace {

int ClampRadius(const QRect& rect, int r) {
    const int half = std::min(rect.width(), rect.height()) / 2;
    return std::max(0, std::min(r, half));
}

QRegion Corner(const QRect& rect, int r, bool right, bool bottom) {
    if (r <= 0) return QRegion();
    const int x = right ? rect.right() - 2 * r + 1 : rect.left();
    const int y = bottom ? rect.bottom() - 2 * r + 1 : rect.top();
    return QRegion(x, y, 2 * r, 2 * r, QRegion::Ellipse);
}

}  // namespace

QRegion RoundedRegion(const QRect& rect, int r) {
    r = ClampRadius(rect, r);
    QRegion region(rect.adjusted(r, 0, -r, 0));
    region += QRegion(rect.adjusted(0, r, 0, -r));
    region += Corner(rect, r, false, false);
    region += Corner(rect, r, true, false);
    region += Corner(rect, r, false, true);
    region += Corner(rect, r, true, true);
    return region;
}

QRegion LeftRoundedRegion(const QRect& rect, int r) {
    r = ClampRadius(rect, r);
    QRegion region(rect.adjusted(r, 0, 0, 0));
    region += QRegion(rect.adjusted(0, r, 0, -r));
    region += Corner(rect, r, false, false);
    region += Corner(rect, r, false, true);
    return region;
}

QRegion RightRoundedRegion(const QRect& rect, int r) {
    r = ClampRadius(rect, r);
    QRegion region(rect.adjusted(0, 0, -r, 0));
    region += QRegion(rect.adjusted(0, r, 0, -r));
    region += Corner(rect, r, true, false);
    region += Corner(rect, r, true, true);
    return region;
}

QRegion TopRoundedRegion(const QRect& rect, int r) {
    r = ClampRadius(rect, r);
    QRegion region(rect.adjusted(0, r, 0, 0));
    region += QRegion(rect.adjusted(r, 0, -r, 0));
    region += Corner(rect, r, false, false);
    region += Corner(rect, r, true, false);
    return region;
}

// --- validators ---------------------------------------------------------------

namespace {

const char* const kDottedQuad = "(\\d+)(\\.)(\\d+)(\\.)(\\d+)(\\.)(\\d+)";

// Reads captures 1, 3, 5, 7 of a dotted-quad match that covers the whole
// text; a number too long to convert counts as out of range.
bool ReadDottedQuad(const QString& text, int numbers[4]) {
    QRegExp quad{QString::fromLatin1(kDottedQuad)};
    if (quad.indexIn(text) != 0 || quad.matchedLength() != text.size()) return false;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint value = quad.cap(1 + 2 * i).toUInt(&ok);
        if (!ok || value > 255) return false;
        numbers[i] = static_cast<int>(value);
    }
    return true;
}

bool IsHexGroup(const QString& part) {
    static const QRegExp group(QStringLiteral("[0-9A-Fa-f]{1,4}"));
    return group.exactMatch(part);
}

}  // namespace

bool IsValidIPv4(const QString& text) {
    if (QRegExp(QStringLiteral("[^0-9.]")).indexIn(text) >= 0) return false;
    if (text.count(QLatin1Char('.')) != 3) return false;
    int numbers[4];
    if (!ReadDottedQuad(text, numbers)) return false;
    return numbers[3] != 0;
}

bool IsValidIPv4Parts(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() != 4) return false;
    static const QRegExp digits(QStringLiteral("[0-9]+"));
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint value = parts[i].toUInt(&ok, 10);
        if (!ok || !digits.exactMatch(parts[i]) || value > 255) return false;
        if (i == 3 && value == 0) return false;
    }
    return true;
}

bool IsValidIPv6(const QString& input) {
    QString text = input;
    const int zone = text.lastIndexOf(QLatin1Char('%'));
    if (zone >= 0) text.truncate(zone);
    const QStringList parts = text.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    const int n = parts.size();
    if (n < 3 || n > 8) return false;
    const int c = text.count(QStringLiteral("::"));
    if (n == 8 && c > 1) return false;
    if (c != 1) {
        const int needed = text.contains(QLatin1Char('.')) ? 7 : 8;
        if (n < needed) return false;
    }
    for (int i = n - 1; i >= 0; --i) {
        const QString& part = parts[i];
        if (part.isEmpty()) {
            if (i == n - 1) {
                if (!parts[i - 1].isEmpty()) return false;
            } else if (i == 0) {
                if (!parts[1].isEmpty()) return false;
            }
            continue;
        }
        if (IsHexGroup(part)) continue;
        if (i == n - 1 && IsValidIPv4Parts(part)) continue;
        return false;
    }
    return true;
}

bool IsValidSubnetMask(const QString& text) {
    static const QString pattern = QStringLiteral("(254|252|248|240|224|192|128|0)\\.0\\.0\\.0|") +
                                   QStringLiteral("255\\.(254|252|248|240|224|192|128|0)\\.0\\.0|") +
                                   QStringLiteral("255\\.255\\.(254|252|248|240|224|192|128|0)\\.0|") +
                                   QStringLiteral("255\\.255\\.255\\.(254|252|248|240|224|192|128|0)");
    return QRegExp(pattern).exactMatch(text);
}

bool IsMulticastIPv4(const QString& text) {
    int numbers[4];
    if (!ReadDottedQuad(text, numbers)) return false;
    return numbers[0] >= 224 && numbers[0] <= 239;
}

bool IsValidMac(const QString& text) {
    static const QString pattern = QStringLiteral(
        "[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}:[0-9A-Fa-f]{2}");
    return QRegExp(pattern).exactMatch(text);
}

bool IsValidFileName(const QString& text) {
    if (text.isEmpty()) return false;
    static const char* const forbidden[] = {"'", "\\", "/", ":", "*", "?", "\"", "<", ">", "|"};
    QStringList escaped;
    for (const char* c : forbidden) escaped << QRegExp::escape(QLatin1String(c));
    const QRegExp pattern(QLatin1Char('(') + escaped.join(QLatin1Char('|')) + QLatin1Char(')'));
    return pattern.indexIn(text) < 0;
}

// --- texts and code pages -----------------------------------------------------

QString QuoteForHtml(const QString& text) {
    QString quoted = QStringLiteral("&quot;%1&quot;").arg(text.toHtmlEscaped());
    quoted.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return quoted;
}

bool IsGbkText(const char* text) {
    if (!text) return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); p[0] && p[1]; ++p) {
        const unsigned lead = p[0], trail = p[1];
        if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA0 && trail <= 0xFE) return true;
        if (lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE) return true;
    }
    return false;
}

QString EventTypeName(int type) {
    switch (type) {
    case 0: return QStringLiteral("None");
    case 2: return QStringLiteral("MouseButtonPress");
    case 3: return QStringLiteral("MouseButtonRelease");
    case 4: return QStringLiteral("MouseButtonDblClick");
    case 5: return QStringLiteral("MouseMove");
    case 6: return QStringLiteral("KeyPress");
    case 7: return QStringLiteral("KeyRelease");
    case 8: return QStringLiteral("FocusIn");
    case 9: return QStringLiteral("FocusOut");
    case 10: return QStringLiteral("Enter");
    case 11: return QStringLiteral("Leave");
    case 12: return QStringLiteral("Paint");
    case 13: return QStringLiteral("Move");
    case 14: return QStringLiteral("Resize");
    case 17: return QStringLiteral("Show");
    case 18: return QStringLiteral("Hide");
    case 24: return QStringLiteral("WindowActivate");
    case 25: return QStringLiteral("WindowDeactivate");
    case 31: return QStringLiteral("Wheel");
    case 127: return QStringLiteral("HoverEnter");
    case 128: return QStringLiteral("HoverLeave");
    case 129: return QStringLiteral("HoverMove");
    default: return QString::number(type);
    }
}

QString PassString(const QString& text) { return text; }

QString FormatFileSize(uint64_t bytes) {
    const QLocale locale;
    const uint64_t kb = 1024ULL, mb = kb * 1024, gb = mb * 1024, tb = gb * 1024;
    if (bytes >= tb) return QStringLiteral("%1 TB").arg(locale.toString(double(bytes) / double(tb), 'f', 3));
    if (bytes >= gb) return QStringLiteral("%1 GB").arg(locale.toString(double(bytes) / double(gb), 'f', 2));
    if (bytes >= mb) return QStringLiteral("%1 MB").arg(locale.toString(double(bytes) / double(mb), 'f', 1));
    if (bytes >= kb) return QStringLiteral("%1 KB").arg(locale.toString(qulonglong(bytes >> 10)));
    return QString::number(bytes);
}

// --- geometry -----------------------------------------------------------------

namespace {

QScreen* ScreenOfWidget(const QWidget* widget) {
    QScreen* screen = widget ? widget->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

QScreen* ScreenOfPoint(const QPoint& point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    return screen ? screen : QGuiApplication::primaryScreen();
}

bool AnyAvailableContains(const QPoint& point) {
    for (QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().contains(point)) return true;
    return false;
}

bool AnyAvailableCoversRow(int y) {
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect a = s->availableGeometry();
        if (y >= a.top() && y <= a.bottom()) return true;
    }
    return false;
}

bool AnyAvailableCoversColumn(int x) {
    for (QScreen* s : QGuiApplication::screens()) {
        const QRect a = s->availableGeometry();
        if (x >= a.left() && x <= a.right()) return true;
    }
    return false;
}

}  // namespace

QRect FitRectToScreen(const QRect& rect, const QWidget* widget) {
    QScreen* screen = ScreenOfWidget(widget);
    if (!screen) return rect;
    const QRect s = screen->geometry();
    QRect result = rect;
    if (result.x() + result.width() > s.right()) result.moveLeft(s.right() - result.width());
    if (result.y() + result.height() > s.bottom()) result.moveTop(s.bottom() - result.height());
    return result;
}

QRect PopupGeometryBelow(const QRect& anchor, QWidget* popup) {
    if (!popup) return QRect();
    if (popup->layout()) popup->layout()->activate();
    const int w = popup->rect().width();
    const int h = popup->rect().height();
    QRect result(anchor.bottomLeft(), QSize(w, h));
    QScreen* screen = ScreenOfPoint(anchor.center());
    if (!screen) return result;
    const QRect s = screen->geometry();
    if (anchor.bottom() + h > s.bottom() && anchor.top() - h >= s.top()) result.moveTop(anchor.top() - h);
    const int x = std::max(anchor.x(), s.x());
    result.moveLeft(x + w > s.right() ? s.right() - w : x);
    return result;
}

QPoint FitPointToScreens(const QPoint& point) {
    if (QGuiApplication::screens().isEmpty()) return point;
    if (AnyAvailableContains(point)) return point;
    QScreen* screen = ScreenOfPoint(point);
    if (!screen) return point;
    const QRect a = screen->availableGeometry();
    const QRect s = screen->geometry();
    if (a.contains(s.topLeft()) && a.contains(s.topRight())) {
        return AnyAvailableCoversRow(s.bottom() + 1) ? point : QPoint(point.x(), a.bottom());
    }
    if (a.contains(s.topLeft()) && a.contains(s.bottomLeft())) {
        return AnyAvailableCoversColumn(s.right() + 1) ? point : QPoint(a.right(), point.y());
    }
    if (a.contains(s.topRight()) && a.contains(s.bottomRight())) {
        return AnyAvailableCoversColumn(s.x() - 1) ? point : QPoint(a.x(), point.y());
    }
    return AnyAvailableCoversRow(s.top() + 1) ? point : QPoint(point.x(), a.y());
}

void FitSizeToRatio(int a, int b, int w, int h, int* outWidth, int* outHeight) {
    int rw = w, rh = h;
    if (a > 0 && b > 0) {
        // 64-bit products: a*h and w*b overflow int for large sizes.
        const int64_t widthAtHeight = int64_t(a) * h / b;
        if (w <= widthAtHeight) {
            rw = w;
            rh = static_cast<int>(int64_t(w) * b / a);
        } else {
            rw = static_cast<int>(widthAtHeight);
            rh = h;
        }
    }
    if (outWidth) *outWidth = rw;
    if (outHeight) *outHeight = rh;
}

bool IsDayValidForMonth(int month, int day) {
    if (month == 2 && (day == 30 || day == 31)) return false;
    if ((month == 4 || month == 6 || month == 9 || month == 11) && day == 31) return false;
    return true;
}

// --- coordinates, checksum, ordering -------------------------------------------

double LongitudeToDegrees(uint32_t value) {
    const uint32_t degrees = value / 360000;
    const uint32_t minutes = value % 360000 / 6000;
    const uint32_t hundredths = value % 360000 % 6000;
    return degrees + minutes / 60.0 + hundredths / 100.0 / 3600.0;
}

double LatitudeToDegrees(uint32_t value) { return LongitudeToDegrees(value); }

namespace {

int ChecksumOf(const char* bytes, int count) {
    if (!bytes || count <= 0) return 0;
    int s = static_cast<signed char>(bytes[0]) % 65535;
    for (int i = 1; i < count && i < 4; ++i) s = (s + static_cast<signed char>(bytes[i])) % 65535;
    return s;
}

}  // namespace

int Checksum4(const char* bytes) { return ChecksumOf(bytes, 4); }

int ComputeBlockChecksum(const char* buffer, int offset, int length) {
    if (!buffer || offset < 0) return 0;
    if (length < 0) length = 4 - offset;
    return ChecksumOf(buffer + offset, std::min(length, 4));
}

bool RowLess(const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); }
bool RectXLess(const QRect& a, const QRect& b) { return a.x() < b.x(); }
bool RectYLess(const QRect& a, const QRect& b) { return a.y() < b.y(); }

void FitToContent(QWidget* widget, int minWidth, int height) {
    if (!widget) return;
    widget->setFixedHeight(height);
    widget->setMaximumWidth(QWIDGETSIZE_MAX);
    widget->setMinimumWidth(qMax(minWidth, widget->sizeHint().width()));
}

void WidenColumnsToContents(QAbstractItemView* view, bool exact) {
    if (!view || !view->model()) return;
    QHeaderView* header = nullptr;
    if (auto* table = qobject_cast<QTableView*>(view)) header = table->horizontalHeader();
    else if (auto* tree = qobject_cast<QTreeView*>(view)) header = tree->header();
    if (!header) return;
    view->ensurePolished();
    int lastShown = -1;
    for (int v = header->count() - 1; v >= 0 && lastShown < 0; --v)
        if (!header->isSectionHidden(header->logicalIndex(v))) lastShown = header->logicalIndex(v);
    int others = 0;
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c)) continue;
        const int needed = qMax(view->sizeHintForColumn(c), header->sectionSizeHint(c));
        if (c == lastShown && header->stretchLastSection()) {
            // It gets what the others leave of the view; where that is not
            // enough it stops stretching and takes its own width (the view
            // scrolls).
            // (Before the view is shown its width means nothing yet.)
            if (!view->isVisible() || view->viewport()->width() - others >= needed) continue;
            header->setStretchLastSection(false);
        }
        if (header->sectionSize(c) < needed || (exact && c != lastShown && header->sectionSize(c) > needed &&
                                                 header->sectionResizeMode(c) == QHeaderView::Interactive))
            header->resizeSection(c, needed);
        others += header->sectionSize(c);
    }
}

void KeepColumnsToContents(QAbstractItemView* view, bool exact) {
    if (!view || !view->model()) return;
    QAbstractItemModel* model = view->model();
    auto* timer = new QTimer(view);
    timer->setSingleShot(true);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, view, [view, exact] { WidenColumnsToContents(view, exact); });
    auto later = [timer] { timer->start(); };
    QObject::connect(model, &QAbstractItemModel::dataChanged, timer, later);
    QObject::connect(model, &QAbstractItemModel::rowsInserted, timer, later);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, timer, later);
    QObject::connect(model, &QAbstractItemModel::modelReset, timer, later);
    QObject::connect(model, &QAbstractItemModel::headerDataChanged, timer, later);
    WidenColumnsToContents(view, exact);
}
