// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QMimeData>
#include <QPixmapCache>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <climits>

#include "common/InterfaceHelpers.h"
#include "kel_test/test_support.h"

namespace {

struct ValidatorCase {
    const char* text;
    bool expected;
};

void RunTable(bool (*fn)(const QString&), const char* name, std::initializer_list<ValidatorCase> cases) {
    for (const ValidatorCase& c : cases) EXPECT_EQ(fn(QString::fromUtf8(c.text)), c.expected) << name << " \"" << c.text << "\"";
}

TEST(Validators, Tables) {
    RunTable(IsValidIPv4, "IPv4",
             {{"192.168.1.1", true}, {"192.168.1.0", false}, {"192.168.1", false}, {"192.168.256.1", false},
              {"192.168.1.a", false}, {"", false}, {"1.2.3.4.", false}, {"..1.2", false},
              // numbers too long to convert are out of range, not 0
              {"1.2.3.99999999999999999999", false}, {"99999999999999999999.1.1.1", false}});
    RunTable(IsValidIPv4Parts, "IPv4Parts",
             {{"10.0.0.1", true}, {"10.0.0.0", false}, {"10.0.0", false}, {"10..0.1", false}, {"10.0.0.256", false},
              {"10.0.0. 1", false}, {"10.0.+0.1", false}});
    RunTable(IsValidIPv6, "IPv6",
             {{"::1", true}, {"fe80::1%eth0", true}, {"2001:db8:0:0:0:0:2:1", true}, {"::ffff:192.168.1.1", true},
              {"1::", true}, {"1::2::3", false}, {"1:2:3:4:5:6:7:8:9", false}, {"1:2:3:4:5:6:7", false},
              {"12345::1", false}, {"0x1::1", false}, {"g::1", false}, {":1:2:3:4:5:6:7", false}, {"", false}});
    RunTable(IsValidSubnetMask, "mask",
             {{"255.255.255.0", true}, {"255.255.254.0", true}, {"0.0.0.0", true}, {"255.255.0.255", false},
              {"255.255.255.255", false}, {"255.0.255.0", false}, {"", false}});
    RunTable(IsMulticastIPv4, "multicast",
             {{"224.0.0.1", true}, {"239.255.255.250", true}, {"240.0.0.1", false}, {"192.168.1.1", false},
              {"224.0.0.256", false}, {"224.0.0.1xyz", false}, {"224.0.0.1.5", false}, {"", false}});
    RunTable(IsValidMac, "MAC",
             {{"00:1A:2b:3C:4d:5E", true}, {"00-1A-2b-3C-4d-5E", false}, {"00:1A:2b:3C:4d", false},
              {"00:1A:2b:3C:4d:5G", false}, {"", false}});
    RunTable(IsValidFileName, "file name",
             {{"clip 01.mp4", true}, {"a'b", false}, {"a\\b", false}, {"a/b", false}, {"a:b", false}, {"a*b", false},
              {"a?b", false}, {"a\"b", false}, {"a<b", false}, {"a>b", false}, {"a|b", false}, {"", false}});
}

TEST(Texts, QuoteEventNamesAndGbk) {
    EXPECT_EQ(QuoteForHtml("a\"b"), "&quot;a&quot;b&quot;");
    EXPECT_EQ(QuoteForHtml("x<y>&"), "&quot;x&lt;y&gt;&amp;&quot;");
    EXPECT_EQ(PassString("same"), "same");
    EXPECT_EQ(EventTypeName(5), "MouseMove");
    EXPECT_EQ(EventTypeName(129), "HoverMove");
    EXPECT_EQ(EventTypeName(0), "None");
    EXPECT_EQ(EventTypeName(1), "1");
    EXPECT_EQ(EventTypeName(1000), "1000");

    EXPECT_TRUE(IsGbkText("\xB3\xB5"));         // a GB2312 pair
    EXPECT_TRUE(IsGbkText("ab\x81\x40"));       // a GBK pair after ASCII
    EXPECT_FALSE(IsGbkText("plain ascii"));
    EXPECT_FALSE(IsGbkText(""));
    EXPECT_FALSE(IsGbkText(nullptr));
    EXPECT_FALSE(IsGbkText("abc\xB3"));         // a lone last byte forms no pair
}

TEST(Texts, FormatFileSizeThresholds) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
        QLocale::setDefault(locale);
        const QString dp = locale.decimalPoint();
        EXPECT_EQ(FormatFileSize(1023), "1023");
        EXPECT_EQ(FormatFileSize(1024), "1 KB");
        EXPECT_EQ(FormatFileSize(1536), "1 KB");
        EXPECT_EQ(FormatFileSize(1048576), "1" + dp + "0 MB");
        EXPECT_EQ(FormatFileSize(3ULL << 29), "1" + dp + "50 GB");
        EXPECT_EQ(FormatFileSize(1ULL << 40), "1" + dp + "000 TB");
        EXPECT_EQ(FormatFileSize(0), "0");
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FormatFileSize(1024ULL * 1000), "1,000 KB");  // group separator of the locale
    QLocale::setDefault(QLocale::c());
}

TEST(Geometry, FitSizeToRatioAndDays) {
    struct Case { int a, b, w, h, ew, eh; };
    for (const Case& c : {Case{16, 9, 1600, 1200, 1600, 900}, Case{16, 9, 800, 900, 800, 450},
                          Case{4, 3, 1600, 900, 1200, 900}, Case{0, 9, 640, 480, 640, 480},
                          Case{16, -1, 640, 480, 640, 480},
                          // products beyond int range must not wrap
                          Case{100000, 1, INT_MAX, 100000, INT_MAX, 21474}}) {
        int w = -1, h = -1;
        FitSizeToRatio(c.a, c.b, c.w, c.h, &w, &h);
        EXPECT_EQ(w, c.ew) << c.a << ":" << c.b << " " << c.w << "x" << c.h;
        EXPECT_EQ(h, c.eh) << c.a << ":" << c.b << " " << c.w << "x" << c.h;
    }
    int w = 0;
    FitSizeToRatio(16, 9, 1600, 1200, &w, nullptr);  // a null out-pointer is skipped
    EXPECT_EQ(w, 1600);

    EXPECT_TRUE(IsDayValidForMonth(2, 29));
    EXPECT_FALSE(IsDayValidForMonth(2, 30));
    EXPECT_FALSE(IsDayValidForMonth(4, 31));
    EXPECT_TRUE(IsDayValidForMonth(1, 31));
    EXPECT_FALSE(IsDayValidForMonth(11, 31));
}

TEST(Geometry, ScreenFitting) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect s = screen->geometry();
    QWidget widget;
    // Right edge past the screen: moved left, size kept.
    const QRect past(s.right() + 30 - 100, s.top() + 10, 100, 50);
    const QRect fitted = FitRectToScreen(past, &widget);
    EXPECT_EQ(fitted.x(), past.x() - 30);
    EXPECT_EQ(fitted.size(), QSize(100, 50));
    const QRect low(s.left() + 5, s.bottom() - 10, 100, 50);
    EXPECT_EQ(FitRectToScreen(low, nullptr).top(), s.bottom() - 50);
    const QRect inside(s.left() + 5, s.top() + 5, 10, 10);
    EXPECT_EQ(FitRectToScreen(inside, &widget), inside);

    QWidget popup;
    popup.resize(120, 80);
    const QRect anchor(s.left() + 10, s.top() + 10, 50, 20);
    EXPECT_EQ(PopupGeometryBelow(anchor, &popup), QRect(anchor.bottomLeft(), QSize(120, 80)));
    const QRect nearBottom(s.right() - 20, s.bottom() - 30, 50, 20);
    const QRect above = PopupGeometryBelow(nearBottom, &popup);
    EXPECT_EQ(above.top(), nearBottom.top() - 80);
    EXPECT_EQ(above.left(), s.right() - 120);
    EXPECT_EQ(PopupGeometryBelow(anchor, nullptr), QRect());

    const QPoint in(s.left() + 3, s.top() + 3);
    EXPECT_EQ(FitPointToScreens(in), in);
}

TEST(Shapes, RoundedRegionsStayInsideTheRect) {
    const QRect rect(10, 20, 100, 60);
    const QRegion full = RoundedRegion(rect, 10);
    EXPECT_TRUE(full.contains(QPoint(60, 50)));
    EXPECT_FALSE(full.contains(rect.topLeft()));
    EXPECT_FALSE(full.contains(rect.bottomRight()));
    EXPECT_TRUE(LeftRoundedRegion(rect, 10).contains(rect.topRight()));
    EXPECT_FALSE(LeftRoundedRegion(rect, 10).contains(rect.topLeft()));
    EXPECT_TRUE(RightRoundedRegion(rect, 10).contains(rect.topLeft()));
    EXPECT_TRUE(TopRoundedRegion(rect, 10).contains(rect.bottomLeft()));
    EXPECT_FALSE(TopRoundedRegion(rect, 10).contains(rect.topRight()));
    for (int r : {-5, 0, 10, 1000}) {
        for (const QRegion& region : {RoundedRegion(rect, r), LeftRoundedRegion(rect, r),
                                      RightRoundedRegion(rect, r), TopRoundedRegion(rect, r)}) {
            EXPECT_TRUE(rect.contains(region.boundingRect())) << r;
            EXPECT_FALSE(region.isEmpty()) << r;
        }
    }
    EXPECT_EQ(RoundedRegion(rect, 0), QRegion(rect));
}

TEST(Coordinates, ChecksumAndOrdering) {
    EXPECT_DOUBLE_EQ(LongitudeToDegrees(12 * 360000 + 30 * 6000), 12.5);
    EXPECT_DOUBLE_EQ(LatitudeToDegrees(1 * 360000 + 0 * 6000 + 3600), 1.0 + 36.0 / 3600.0);

    const char bytes[] = {1, 2, 3, 4, 99, 99, 99, 99};
    EXPECT_EQ(Checksum4(bytes), 10);
    const char negative[] = {-1, -2, 3, 0};
    EXPECT_EQ(Checksum4(negative), 0);
    EXPECT_EQ(ComputeBlockChecksum(bytes, 4, 508), 396);  // only four bytes count
    EXPECT_EQ(ComputeBlockChecksum(bytes, 0), 10);
    EXPECT_EQ(ComputeBlockChecksum(bytes, 2, 2), 7);      // never past the range
    EXPECT_EQ(ComputeBlockChecksum(bytes, 4), 0);         // -1 at offset 4: empty range
    EXPECT_EQ(ComputeBlockChecksum(nullptr, 0, 4), 0);

    EXPECT_TRUE(RectXLess(QRect(1, 9, 1, 1), QRect(2, 0, 1, 1)));
    EXPECT_TRUE(RectYLess(QRect(9, 1, 1, 1), QRect(0, 2, 1, 1)));
    EXPECT_FALSE(RowLess(QModelIndex(), QModelIndex()));
}

TEST(Paths, AbsolutePathsMimeFilesAndCachedPixmaps) {
    EXPECT_TRUE(AppDirPath().endsWith('/'));
    EXPECT_EQ(MakeAbsolutePath("map/api.txt"), AppDirPath() + "map/api.txt");
    EXPECT_EQ(MakeAbsolutePath("/tmp/x"), "/tmp/x");

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/tmp/a.mp4"), QUrl("http://host/b.mp4"), QUrl::fromLocalFile("/tmp/c.mp4")});
    EXPECT_EQ(LocalFilesFromMimeData(&mime), (QStringList{"/tmp/a.mp4", "/tmp/c.mp4"}));
    EXPECT_TRUE(LocalFilesFromMimeData(nullptr).isEmpty());

    const QString path = kel_test::ProgramFolder() + "/dot.png";
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(path));
    const QPixmap first = LoadPixmapCached(path);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(4, 3));
    QPixmap cached;
    EXPECT_TRUE(QPixmapCache::find(path, &cached));
    EXPECT_EQ(LoadPixmapCached(path).cacheKey(), first.cacheKey());
    const QString missing = kel_test::ProgramFolder() + "/missing.png";
    EXPECT_TRUE(LoadPixmapCached(missing).isNull());
    EXPECT_FALSE(QPixmapCache::find(missing, &cached));
}

}  // namespace
