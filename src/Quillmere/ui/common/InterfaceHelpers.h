// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Free helpers shared by the interface code.
#include <QByteArray>
#include <QString>
#include <string>

// The code-page conversions (LocalToUnicode, ...) live with the engine.
#include "storage/CodePage.h"

#include <QModelIndex>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QStringList>
#include <cstdint>

class QAbstractItemView;
class QMimeData;
class QWidget;

// --- paths and files ---------------------------------------------------------

// The application folder followed by "/".
QString AppDirPath();
// A relative path is put under AppDirPath(); any other path is kept.
QString MakeAbsolutePath(const QString& path);
// The local file paths of the URLs of `mime`, in order; URLs that are not
// local files are left out. A null pointer gives an empty list.
QStringList LocalFilesFromMimeData(const QMimeData* mime);

// --- images and window shapes -------------------------------------------------

// Loads a picture through the process-wide pixmap cache (the path is the
// key). A path that does not load gives a null pixmap and is not cached.
QPixmap LoadPixmapCached(const QString& path);
// Regions with rounded corners of radius r. r is kept within 0 and half the
// shorter side, so the region never reaches outside `rect`.
QRegion RoundedRegion(const QRect& rect, int r);
QRegion LeftRoundedRegion(const QRect& rect, int r);
QRegion RightRoundedRegion(const QRect& rect, int r);
QRegion TopRoundedRegion(const QRect& rect, int r);

// --- validators (empty text gives false) --------------------------------------

bool IsValidIPv4(const QString& text);       // dotted quad, last number not 0
bool IsValidIPv4Parts(const QString& text);  // four parts 0..255, last not 0
bool IsValidIPv6(const QString& text);
bool IsValidSubnetMask(const QString& text);
bool IsMulticastIPv4(const QString& text);  // 224.x.x.x to 239.x.x.x
bool IsValidMac(const QString& text);       // six hex pairs joined by ':'
bool IsValidFileName(const QString& text);  // none of ' \ / : * ? " < > |

// --- texts and code pages -----------------------------------------------------

// The text HTML-escaped and put in &quot; marks.
QString QuoteForHtml(const QString& text);
// True when the zero-terminated text holds a double-byte Chinese character
// pair. A null text gives false.
bool IsGbkText(const char* text);
// The name of a Qt event type ("MouseMove"), else its number.
QString EventTypeName(int type);
QString PassString(const QString& text);
// "1.5 MB": TB with 3 decimals, GB 2, MB 1, whole KB, else bytes without unit;
// numbers in the default locale.
QString FormatFileSize(uint64_t bytes);

// --- geometry -----------------------------------------------------------------

// Moves `rect` left/up so that it does not pass the right/bottom edge of the
// screen that holds `widget` (the primary screen for a null widget). The size
// is kept.
QRect FitRectToScreen(const QRect& rect, const QWidget* widget);
// Where `popup` opens under `anchor` (global): below it, or above it when
// there is no room below but room above; kept inside the screen horizontally.
QRect PopupGeometryBelow(const QRect& anchor, QWidget* popup);
// A global point outside every screen's available area is moved onto the
// edge of the area of its screen, unless the unavailable strip it lies in
// borders another screen.
QPoint FitPointToScreens(const QPoint& point);
// The largest size of ratio a:b within w x h (integer arithmetic); with a
// or b not above 0 the size is kept. Null out-pointers are skipped.
void FitSizeToRatio(int a, int b, int w, int h, int* outWidth, int* outHeight);
// False for February 30/31 and the 31st of April, June, September, November.
bool IsDayValidForMonth(int month, int day);

// --- coordinates, checksum, ordering -------------------------------------------

// degrees*360000 + minutes*6000 + hundredths of a second -> degrees.
double LongitudeToDegrees(uint32_t value);
double LatitudeToDegrees(uint32_t value);
// Running remainder sum of the first four bytes (signed) modulo 65535.
int Checksum4(const char* bytes);
// Checksum4 of the bytes from buffer + offset; only the first four count,
// and never more than `length` of them (length -1 means 4 - offset). A null
// buffer or an empty range gives 0.
int ComputeBlockChecksum(const char* buffer, int offset, int length = -1);
bool RowLess(const QModelIndex& a, const QModelIndex& b);
bool RectXLess(const QRect& a, const QRect& b);
bool RectYLess(const QRect& a, const QRect& b);

// --- layout -------------------------------------------------------------------

// Lets `widget` show its whole content: it keeps `height` and is at least
// `minWidth` wide, wider when its content (a translated text, a date range)
// asks for more. Call it after the content is set.
void FitToContent(QWidget* widget, int minWidth, int height);
// Widens every shown column of a table or tree view that is narrower than
// its title or than the widest of its rows in view, so that no text there is
// cut; no column is made narrower. A last column that stretches over the
// free width keeps stretching while that width is enough for it.
// With `exact`, the columns before the last one take just the width their
// title and rows need (narrower ones are widened, wider ones narrowed), so
// that a narrow dialog keeps room for its last column.
void WidenColumnsToContents(QAbstractItemView* view, bool exact = false);
// Applies WidenColumnsToContents to the view now and again whenever rows of
// its model come, go or change (once per turn of the event loop), so that
// texts that change later (a status) show whole too.
void KeepColumnsToContents(QAbstractItemView* view, bool exact = false);
