// SPDX-License-Identifier: GPL-3.0-or-later
// Map web view and map dialog: the page chosen, the key put in, the calls made
// on the page, and the page itself answering them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QResizeEvent>
#include <QTimer>
#include <QWebEnginePage>
#include <cstring>
#include <memory>
#include <vector>

#include "Map/MapEnvironment.h"
#include "storage/Settings.h"
#include "Map/ViewMapWidget.h"
#include "Map/WebEngineView.h"
#include "kel_test/test_support.h"
#include "ziraz/ziraz.h"

namespace {

RUN_INFO point(uint32_t lat, char ns, uint32_t lon, char ew, int32_t heading = 0, uint32_t valid = 1) {
    RUN_INFO p;
    std::memset(&p, 0, sizeof p);
    p.gpsValid = valid;
    p.latitude = lat;
    p.latitudeHemisphere = ns;
    p.longitude = lon;
    p.longitudeHemisphere = ew;
    p.heading = heading;
    return p;
}

// Collects the scripts that views run, for the life of the object.
class ScriptLog {
public:
    ScriptLog() {
        m_old = WebEngineView::SetScriptObserver([this](WebEngineView*, const QString& s) { scripts.push_back(s); });
    }
    ~ScriptLog() { WebEngineView::SetScriptObserver(m_old); }
    bool contains(const QString& s) const { return std::find(scripts.begin(), scripts.end(), s) != scripts.end(); }
    std::vector<QString> scripts;

private:
    WebEngineView::ScriptObserver m_old;
};

// Language and key sources for the life of the object.
class ScopedMapEnvironment {
public:
    ScopedMapEnvironment(int language, const QString& key) {
        m_lang = MapEnvironment::SetLanguageSource([language] { return language; });
        m_key = MapEnvironment::SetMapKeySource([key] { return key; });
    }
    ~ScopedMapEnvironment() {
        MapEnvironment::SetLanguageSource(m_lang);
        MapEnvironment::SetMapKeySource(m_key);
    }

private:
    std::function<int()> m_lang;
    std::function<QString()> m_key;
};

void setMapType(const QString& type) { CSettingsStore::GetInstance()->SetValueText(SettingKey::MapType, type); }

// Copies the map pages the build made into the test's program folder.
void installPages() {
    const QString from = kel_test::BinaryDir() + "/bin/map/";
    for (const QString& name : QDir(from).entryList(QDir::Files)) {
        QFile file(from + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ASSERT_TRUE(kel_test::WriteFile(ziraz::GetTargetPath() + "map/" + name, file.readAll()));
    }
}

bool waitFor(const std::function<bool()>& done, int ms = 60000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Runs a script and waits for its result.
QVariant evaluate(QWebEnginePage* page, const QString& script) {
    bool done = false;
    QVariant result;
    page->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    waitFor([&] { return done; });
    return result;
}

QJsonObject pageState(QWebEnginePage* page) {
    return QJsonDocument::fromJson(evaluate(page, "KelMapState()").toString().toUtf8()).object();
}

}  // namespace

TEST(MapMarkerScript, PointsAreWrittenAsTheMapExpects) {
    const uint32_t lat30 = 10893000;  // 30 degrees 15 minutes 30 seconds
    struct Case {
        RUN_INFO p;
        const char* script;
    } cases[] = {
        {point(lat30, 'N', 41016725, 'E', 9000),
         "MoveMarker(\"30.258333333333333\", \"113.935347222222226\", \"90\", \"1\")"},
        {point(lat30, 'S', 41016725, 'W', 4599),
         "MoveMarker(\"-30.258333333333333\", \"-113.935347222222226\", \"45\", \"1\")"},
        {point(lat30, 'N', 41016725, 'E', -1),
         "MoveMarker(\"30.258333333333333\", \"113.935347222222226\", \"0\", \"1\")"},
        {point(0, 'N', 41016725, 'E'), ""},        // equator
        {point(lat30, 'N', 0, 'E'), ""},           // prime meridian
        {point(lat30, 'N', 41016725, 'E', 0, 0), ""},  // no fix
    };
    for (const Case& c : cases) {
        const QString script = WebEngineView::MoveMarkerScript(c.p);
        if (QString(c.script).isEmpty()) {
            EXPECT_TRUE(script.isEmpty()) << script.toStdString();
        } else {
            // The longitude digits depend on binary rounding; the latitude
            // must be exact.
            EXPECT_TRUE(script.startsWith(QString(c.script).left(40))) << script.toStdString();
            EXPECT_TRUE(script.endsWith(QString(c.script).right(12))) << script.toStdString();
        }
    }
    EXPECT_TRUE(WebEngineView::MoveMarkerScript(point(lat30, 'S', 41016725, 'E'))
                    .startsWith("MoveMarker(\"-30.258333333333333\", \"113.93534722222"));
}

TEST(MapView, PageChoiceFollowsMapTypeAndLanguage) {
    EXPECT_EQ(WebEngineView::PageFileName(0, 1), "playback_osm_zh.html");
    EXPECT_EQ(WebEngineView::PageFileName(0, 0), "playback_osm_en.html");
    EXPECT_EQ(WebEngineView::PageFileName(0, 2), "playback_osm_en.html");
    EXPECT_EQ(WebEngineView::PageFileName(1, 1), "playback_google_zh.html");
    EXPECT_EQ(WebEngineView::PageFileName(1, 0), "playback_google_en.html");
    EXPECT_TRUE(WebEngineView::PageFileName(2, 0).isEmpty());

    ScopedMapEnvironment env(1, "KEY");
    setMapType("0");
    WebEngineView view;
    view.loadMapPage();
    EXPECT_EQ(view.requestedUrl(),
              QUrl::fromLocalFile(QDir::cleanPath(ziraz::GetTargetPath() + "map/playback_osm_zh.html")));

    // A missing keyed page, and an unknown type, load nothing.
    setMapType("1");
    WebEngineView keyed;
    keyed.loadMapPage();
    EXPECT_TRUE(keyed.requestedUrl().isEmpty());
    EXPECT_TRUE(keyed.requestedHtml().isEmpty());
    setMapType("2");
    keyed.loadMapPage();
    EXPECT_TRUE(keyed.requestedHtml().isEmpty());
    setMapType("0");
}

TEST(MapView, KeyGoesIntoEveryKeyPlaceOfTheKeyedPage) {
    ScopedMapEnvironment env(0, "ab\"c&d");
    ASSERT_TRUE(kel_test::WriteFile(ziraz::GetTargetPath() + "map/playback_google_en.html",
                                    "<script src=\"https://maps.test/js?v=3&key=\"></script><a href=\"x?a=1&key=\">"));
    setMapType("1");
    WebEngineView view;
    view.loadMapPage();
    EXPECT_EQ(view.requestedHtml(),
              "<script src=\"https://maps.test/js?v=3&key=ab%22c%26d\"></script><a href=\"x?a=1&key=ab%22c%26d\">");
    EXPECT_EQ(view.requestedBaseUrl(), QUrl::fromLocalFile(ziraz::GetTargetPath() + "map/"));
    setMapType("0");
}

TEST(MapView, CallsMadeOnThePage) {
    ScriptLog log;
    WebEngineView view;
    view.moveMarker(point(10893000, 'N', 41016725, 'E', 9000));
    view.moveMarker(point(0, 'N', 41016725, 'E'));
    view.removeMarker();
    view.createETranslator();
    view.clearETranslator();
    ASSERT_EQ(log.scripts.size(), 4u);
    EXPECT_TRUE(log.scripts[0].startsWith("MoveMarker(\"30.258333333333333\""));
    EXPECT_EQ(log.scripts[1], "Remove()");
    EXPECT_EQ(log.scripts[2], "CreateETranslator(1, 0, 0, 0,0, 1, \"1111\")");
    EXPECT_EQ(log.scripts[3], "ClearETranslator(1)");
}

TEST(MapDialog, OpensSmallWithTitleAndCloseButtonOnly) {
    ScriptLog log;
    setMapType("0");
    ViewMapWidget dialog;
    EXPECT_EQ(dialog.size(), QSize(480, 360));
    EXPECT_EQ(dialog.title(), "Map");
    EXPECT_FALSE(dialog.isBottomVisible());
    EXPECT_EQ(dialog.getSetupUiWidget()->windowTitle(), "ViewMapWidget");
    EXPECT_EQ(dialog.alertIcons().size(), 3);
    // No web view (and no web engine) until the map is opened.
    EXPECT_EQ(dialog.mapView(), nullptr);
    dialog.setCenter();
    dialog.removeTrace();
    EXPECT_TRUE(log.scripts.empty());

    dialog.show();
    ASSERT_NE(dialog.mapView(), nullptr);
    EXPECT_EQ(dialog.mapView()->requestedUrl().fileName(), "playback_osm_en.html");
    dialog.addTracePoint(point(10893000, 'N', 41016725, 'E', 18000));
    dialog.setCenter();
    dialog.removeTrace();
    ASSERT_GE(log.scripts.size(), 3u);
    EXPECT_TRUE(log.contains("SetCenter()"));
    EXPECT_TRUE(log.contains("Remove()"));
    EXPECT_TRUE(log.scripts[0].startsWith("MoveMarker(") && log.scripts[0].endsWith("\"180\", \"1\")"));

    dialog.resize(800, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.mapView()->size(), dialog.getSetupUiWidget()->size());
}

// The trace given while the map was never opened shows when it opens; a
// trace cleared before that does not.
TEST(MapDialog, TraceGatheredBeforeTheMapOpensIsDrawn) {
    installPages();
    setMapType("0");
    ScriptLog log;
    ViewMapWidget dialog;
    dialog.addTracePoint(point(10893000, 'N', 41016725, 'E', 9000));
    dialog.removeTrace();
    dialog.addTracePoint(point(10893000, 'N', 41016725, 'E', 9000));
    dialog.addTracePoint(point(10893100, 'N', 41016800, 'E', 9000));
    EXPECT_TRUE(log.scripts.empty());
    dialog.show();
    ASSERT_TRUE(waitFor([&] { return log.contains("HideVintrel()"); })) << "the map page did not finish loading";
    EXPECT_EQ(pageState(dialog.mapView()->page()).value("points").toInt(), 2);
}

TEST(MapDialog, EveryFinishedLoadHidesThePlayerControls) {
    installPages();
    setMapType("0");
    ScriptLog log;
    ViewMapWidget dialog;
    dialog.show();
    auto hides = [&] { return std::count(log.scripts.begin(), log.scripts.end(), QString("HideVintrel()")); };
    ASSERT_TRUE(waitFor([&] { return hides() >= 1; })) << "the map page did not finish loading";
    QWebEnginePage* page = dialog.mapView()->page();
    EXPECT_TRUE(pageState(page).value("controlsHidden").toBool());

    // The page draws the trace of the points it is given, and clears it.
    dialog.addTracePoint(point(10893000, 'N', 41016725, 'E', 9000));
    dialog.addTracePoint(point(10893100, 'N', 41016800, 'E', 9000));
    dialog.addTracePoint(point(0, 'N', 41016800, 'E', 9000));
    EXPECT_EQ(pageState(page).value("points").toInt(), 2);
    dialog.removeTrace();
    EXPECT_EQ(pageState(page).value("points").toInt(), 0);

    const auto before = hides();
    dialog.reloadMap();
    EXPECT_TRUE(waitFor([&] { return hides() > before; }));
}

TEST(MapPages, EveryPageOffersTheCallsOfTheViewer) {
    installPages();
    for (const char* name : {"playback_osm_zh.html", "playback_osm_en.html", "playback_google_zh.html",
                             "playback_google_en.html"}) {
        QFile file(ziraz::GetTargetPath() + "map/" + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* fn : {"function MoveMarker(", "function Remove(", "function SetCenter(",
                               "function HideVintrel(", "function CreateETranslator(", "function ClearETranslator("})
            EXPECT_TRUE(text.contains(fn)) << name << " " << fn;
        if (QString(name).contains("google")) {
            EXPECT_EQ(text.count("&key="), 1) << name;
        }
    }
}

TEST(MapPages, KeyedPageRunsWithoutTheMapService) {
    installPages();
    ScopedMapEnvironment env(1, "TESTKEY");
    setMapType("1");
    ScriptLog log;
    ViewMapWidget dialog;
    dialog.show();
    ASSERT_TRUE(waitFor([&] { return log.contains("HideVintrel()"); }));
    QWebEnginePage* page = dialog.mapView()->page();
    dialog.addTracePoint(point(10893000, 'S', 41016725, 'W', 27000));
    const QJsonObject state = pageState(page);
    EXPECT_EQ(state.value("points").toInt(), 1);
    EXPECT_DOUBLE_EQ(state.value("heading").toDouble(), 270);
    EXPECT_TRUE(evaluate(page, "MAP_SERVICE_URL").toString().endsWith("&key=TESTKEY"));
    setMapType("0");
}
