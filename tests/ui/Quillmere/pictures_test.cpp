// SPDX-License-Identifier: GPL-3.0-or-later
// Every picture the program names exists, and the buttons that carry no
// picture of their own show one, in each state, through the skin.
#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QHoverEvent>
#include <QImageReader>
#include <QMovie>
#include <QRegularExpression>
#include <QSet>
#include <QAbstractButton>
#include <QRadioButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>

#include "chart/MultiChartView.h"
#include "PlayControlBar/PlayControlBar.h"
#include "SearchBar/SearchBarWidget.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "PlaybackWindow/SinglePlaybackWindow.h"
#include "common/Skin.h"

// Outside any namespace: the resource functions are global.
static void InitAllResources() {
    Q_INIT_RESOURCE(playcontrolbar);
    Q_INIT_RESOURCE(alarmpage);
    Q_INIT_RESOURCE(searchbar);
    Q_INIT_RESOURCE(vehicledata);
    Q_INIT_RESOURCE(playbackwindow);
    Q_INIT_RESOURCE(colortip);
    Q_INIT_RESOURCE(Quillmere);
    Skin::InitResources();
}

namespace {

// Values of the "%1" in the picture paths the code builds, by a piece of the
// path that names the template.
const struct {
    const char* marker;
    std::function<QStringList()> values;
} kTemplates[] = {
    {"Car_%1", [] { QStringList v; for (int a = 0; a < 360; a += 5) v << QString::number(a); return v; }},
    {"Satellite_%1", [] { QStringList v; for (int n = 0; n <= 12; ++n) v << QString::number(n); return v; }},
    {"fenping%1", [] { return QStringList{"1", "4", "9", "16"}; }},
    {"Search/%1.png", [] { QStringList v; for (int k = 1; k <= 8; ++k) v << QString::number(k); return v; }},
};

QStringList Expand(const QString& path) {
    if (!path.contains("%1")) return {path};
    for (const auto& t : kTemplates) {
        if (!path.contains(QLatin1String(t.marker))) continue;
        QStringList out;
        for (const QString& v : t.values()) out << QString(path).replace("%1", v);
        return out;
    }
    ADD_FAILURE() << "no values known for the picture template " << path.toStdString();
    return {};
}

// Every resource picture named in the program's sources and style sheets:
// full paths, and folder paths ("...:/Folder/") joined with the picture
// names the same file gives.
QSet<QString> ReferencedPictures() {
    const QString root = qEnvironmentVariable("KEL_SOURCE_DIR");
    QSet<QString> out;
    const QRegularExpression quoted(R"re("(:/?[A-Za-z][^"]*)")re");
    const QRegularExpression url(R"re(url\((:/[^)]*)\))re");
    const QRegularExpression name(R"re("([A-Za-z0-9_ %!/.-]+\.(?:png|svg|gif))")re");
    for (const char* top : {"src", "platform"}) {
        QDirIterator it(root + "/" + top, {"*.cpp", "*.h", "*.qss", "*.ui"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            if (file.contains("/images/")) continue;  // the picture generators
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly)) continue;
            // Adjacent string literals are one string.
            const QString text =
                QString::fromUtf8(f.readAll()).replace(QRegularExpression(R"re("\s*\n\s*")re"), QString());
            QStringList paths, folders;
            for (const QRegularExpression& re : {quoted, url}) {
                auto m = re.globalMatch(text);
                while (m.hasNext()) {
                    const QString p = m.next().captured(1);
                    if (p.startsWith("://")) continue;
                    (p.endsWith('/') ? folders : paths) << p;
                }
            }
            if (!folders.isEmpty()) {
                auto m = name.globalMatch(text);
                while (m.hasNext()) {
                    const QString n = m.next().captured(1);
                    if (n.startsWith(':')) continue;
                    // A name given beside a folder lies in one of its folders.
                    QStringList candidates;
                    for (const QString& folder : folders) candidates << Expand(folder + n);
                    bool found = false;
                    for (const QString& c : candidates) found = found || QFile::exists(c);
                    EXPECT_TRUE(found) << n.toStdString() << " in none of the folders of " << file.toStdString();
                }
            }
            for (const QString& p : paths) {
                if (!p.contains('.')) continue;
                for (const QString& e : Expand(p)) out.insert(e);
            }
        }
    }
    return out;
}

class Pictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitAllResources();
        PlayControlBar::SetMapDialogFactory([](PlayControlBar*) { return nullptr; });
    }
};

TEST_F(Pictures, EveryReferencedPictureLoadsAndShowsSomething) {
    const QSet<QString> pictures = ReferencedPictures();
    ASSERT_GT(pictures.size(), 100);  // the walk found the sources
    for (const QString& path : pictures) {
        SCOPED_TRACE(path.toStdString());
        if (path.endsWith(".qss")) {
            EXPECT_TRUE(QFile::exists(path));
            continue;
        }
        QImageReader reader(path);
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        int visible = 0;
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x) visible += qAlpha(argb.pixel(x, y)) > 0;
        EXPECT_GT(visible, 0) << "an empty picture";
    }
}

TEST_F(Pictures, BusyAnimationsAreAnimatedGifs) {
    for (const char* path : {":/Quillmere/Images/Alarm/Loading.gif", ":/Quillmere/Images/PlayBack/Search/dengdai.gif"}) {
        SCOPED_TRACE(path);
        QMovie movie(path);
        ASSERT_TRUE(movie.isValid());
        EXPECT_EQ(movie.format(), QByteArray("gif"));
        EXPECT_GE(movie.frameCount(), 2);
        EXPECT_EQ(movie.loopCount(), -1);  // endless
    }
}

// The pixels of `button` drawn in about `colour`: how many, and the
// rectangle they cover.
struct Glyph {
    int pixels = 0;
    QRect bounds;
};

Glyph GlyphOf(QWidget* button, QRgb colour) {
    const QImage image = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    Glyph g;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 128) continue;  // a tint, not the glyph
            if (qAbs(qRed(p) - qRed(colour)) + qAbs(qGreen(p) - qGreen(colour)) + qAbs(qBlue(p) - qBlue(colour)) >= 30)
                continue;
            ++g.pixels;
            g.bounds |= QRect(x, y, 1, 1);
        }
    return g;
}

int PixelsOf(QWidget* button, QRgb colour) { return GlyphOf(button, colour).pixels; }

const QRgb kNormal = qRgb(0xc9, 0xd1, 0xd9);
const QRgb kHover = qRgb(0x15, 0xa4, 0xfa);
const QRgb kPressed = qRgb(0x0b, 0x7d, 0xc2);
const QRgb kDisabled = qRgb(0x5c, 0x63, 0x6b);

const QRgb kDark[4] = {kNormal, kHover, kPressed, kDisabled};
const QRgb kLight[4] = {qRgb(0x4a, 0x90, 0xe2), kHover, kPressed, qRgb(0xa8, 0xb0, 0xb8)};

// Each state of a skinned button shows its glyph in the state's colour.
void ExpectSkinnedStates(QAbstractButton* button, const QRgb (&colours)[4] = kDark) {
    ASSERT_NE(button, nullptr);
    SCOPED_TRACE(button->objectName().toStdString());
    struct State {
        const char* name;
        bool enabled, under, down;
        QRgb colour;
    };
    const State states[] = {
        {"normal", true, false, false, colours[0]},
        {"hover", true, true, false, colours[1]},
        {"pressed", true, true, true, colours[2]},
        {"disabled", false, false, false, colours[3]},
    };
    for (const State& s : states) {
        SCOPED_TRACE(s.name);
        // A push button takes its hover state from real pointer moves only.
        if (s.under && !s.down && !qobject_cast<QToolButton*>(button)) continue;
        button->setEnabled(s.enabled);
        button->setAttribute(Qt::WA_UnderMouse, s.under);
        QHoverEvent hover(s.under ? QEvent::HoverEnter : QEvent::HoverLeave, QPointF(5, 5), QPointF(-1, -1));
        QApplication::sendEvent(button, &hover);
        button->setDown(s.down);
        button->style()->unpolish(button);
        button->style()->polish(button);
        const Glyph glyph = GlyphOf(button, s.colour);
        EXPECT_GE(glyph.pixels, 6);
        // A recognisable picture fills the button, not a sliver of it.
        const int side = qMin(button->width(), button->height());
        EXPECT_GE(qMax(glyph.bounds.width(), glyph.bounds.height()), side / 2 - 1);
        EXPECT_GE(qMin(glyph.bounds.width(), glyph.bounds.height()), side / 3);
        for (const State& other : states) {
            if (other.colour != s.colour) {
                EXPECT_LT(PixelsOf(button, other.colour), 3) << "shows " << other.name;
            }
        }
    }
    button->setDown(false);
    button->setAttribute(Qt::WA_UnderMouse, false);
}

class SkinnedButtons : public Pictures {
protected:
    void SetUp() override { Skin::Apply(qApp); }
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

TEST_F(SkinnedButtons, ControlBarButtonsShowTheirPictureInEveryState) {
    PlayControlBar bar;
    bar.resize(900, 45);
    bar.show();
    for (const char* name : {"playAllBtn", "pauseAllBtn", "restoreAllBtn", "closeAllBtn", "reversePlayBtn", "btnStop",
                             "reSingleFrameBtn", "singleFrameBtn", "btnSlow", "btnFast", "btnSync", "btnUnSync",
                             "cutBtn", "winInfoBtn", "layoutBtn", "mapBtn", "fullScreenBtn"})
        ExpectSkinnedStates(bar.findChild<QToolButton*>(name));
    // The two buttons with pictures of their own show their disabled faces
    // before the first state report.
    for (const char* name : {"btnStart", "soundBtn"}) {
        SCOPED_TRACE(name);
        auto* button = bar.findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull());
        const QImage image = button->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        int drawn = 0;  // opaque pixels lighter than the bar's dark
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += qAlpha(image.pixel(x, y)) >= 128 && qGray(image.pixel(x, y)) > 0x50;
        EXPECT_GE(drawn, 20);
    }
}

TEST_F(SkinnedButtons, CellButtonsShowTheirPictureInEveryState) {
    SinglePlaybackWindow cell(nullptr);
    cell.resize(400, 300);
    cell.show();
    for (const char* name : {"PlayBottom_CaptureBtn", "PlayBottom_StopBtn", "PlayBottom_SlowBtn",
                             "PlayBottom_FastBtn", "PlayBottom_FrameBtn"}) {
        auto* button = cell.findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->setFixedSize(24, 24);
        ExpectSkinnedStates(button);
    }
}

TEST_F(SkinnedButtons, TimeAxisButtonsShowTheirPictureInEveryState) {
    CMultiChartView view;
    view.resize(800, 200);
    view.show();
    for (const char* name : {"TimeSlider_MoveLeft", "TimeSlider_MoveRight", "TimeSlider_ZoomIn", "TimeSlider_ZoomOut"})
        ExpectSkinnedStates(view.findChild<QToolButton*>(name));
}

TEST_F(SkinnedButtons, SearchPanelButtonsShowTheirPictureInEveryState) {
    SearchBarWidget panel;
    panel.setObjectName("Quillmere_SearchBar");  // as the main window names it
    panel.form()->radioLocal->click();  // shows the path row
    panel.resize(300, 720);
    panel.show();
    for (const char* name : {"btnPath", "pictureHintBtn"}) {
        auto* button = panel.findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->setFixedSize(26, 26);
        ExpectSkinnedStates(button, kLight);
    }
}

TEST_F(SkinnedButtons, SkinKeepsTheSetUpStyleSheetAfterIt) {
    qApp->setStyleSheet("QLabel { color: red; }");
    Skin::Apply(qApp);
    Skin::Apply(qApp);  // a second call adds nothing
    const QString sheet = qApp->styleSheet();
    EXPECT_TRUE(sheet.startsWith(Skin::StyleSheet()));
    EXPECT_TRUE(sheet.endsWith("QLabel { color: red; }"));
    EXPECT_EQ(sheet.count(Skin::StyleSheet()), 1);
}

}  // namespace
