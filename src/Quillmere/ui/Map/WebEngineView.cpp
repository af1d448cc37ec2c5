// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebEngineView.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QTextStream>
#include <QWebEnginePage>

#include "common/InterfaceHelpers.h"
#include "MapEnvironment.h"
#include "storage/Settings.h"
#include "ziraz/ziraz.h"

namespace {
QMutex g_observerLock;
WebEngineView::ScriptObserver g_observer;
}  // namespace

namespace {
// Platforms without OpenGL (offscreen, minimal) cannot draw the page through
// the default scene graph; the software one works everywhere. The choice is
// read when the first web view is made, so it is settled here.
void chooseSceneGraphForPlatform() {
    const QString platform = QGuiApplication::platformName();
    if ((platform == "offscreen" || platform == "minimal") && qEnvironmentVariableIsEmpty("QMLSCENE_DEVICE"))
        qputenv("QMLSCENE_DEVICE", "softwarecontext");
}
}  // namespace

WebEngineView::WebEngineView(QWidget* parent) : QWebEngineView(parent) { chooseSceneGraphForPlatform(); }

WebEngineView::~WebEngineView() = default;

WebEngineView::ScriptObserver WebEngineView::SetScriptObserver(ScriptObserver observer) {
    QMutexLocker lock(&g_observerLock);
    std::swap(g_observer, observer);
    return observer;
}

void WebEngineView::runScript(const QString& script) {
    ScriptObserver observer;
    {
        QMutexLocker lock(&g_observerLock);
        observer = g_observer;
    }
    if (observer) observer(this, script);
    if (QWebEnginePage* p = page()) p->runJavaScript(script);
}

QString WebEngineView::PageFileName(int mapType, int language) {
    const QString suffix = language == 1 ? "zh.html" : "en.html";
    if (mapType == 0) return "playback_osm_" + suffix;
    if (mapType == 1) return "playback_google_" + suffix;
    return QString();
}

void WebEngineView::loadMapPage() {
    const int language = MapEnvironment::CurrentLanguage();
    const int mapType = CSettingsStore::GetInstance()->GetValueText(SettingKey::MapType).toInt();
    const QString fileName = PageFileName(mapType, language);
    if (fileName.isEmpty()) return;
    const QString folder = ziraz::GetTargetPath();
    const QString path = QDir::cleanPath(folder + "/map/" + fileName);
    if (mapType == 0) {
        m_requestedUrl = QUrl::fromLocalFile(path);
        m_requestedHtml.clear();
        m_requestedBaseUrl.clear();
        page()->load(m_requestedUrl);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    QString html = stream.readAll();
    file.close();
    // The key goes into a URL of the page: keep it from ending the URL, the
    // attribute or the script it stands in.
    const QString key = QString::fromLatin1(QUrl::toPercentEncoding(MapEnvironment::MapKey()));
    html.replace("&key=", "&key=" + key, Qt::CaseSensitive);
    m_requestedUrl.clear();
    m_requestedHtml = html;
    m_requestedBaseUrl = QUrl::fromLocalFile(folder + "map/");
    page()->setHtml(m_requestedHtml, m_requestedBaseUrl);
}

QString WebEngineView::MoveMarkerScript(const RUN_INFO& point) {
    if (point.gpsValid == 0) return QString();
    double lon = LongitudeToDegrees(point.longitude);
    double lat = LatitudeToDegrees(point.latitude);
    if (point.longitudeHemisphere == 'W') lon = -lon;
    if (point.latitudeHemisphere == 'S') lat = -lat;
    if (lat == 0.0 || lon == 0.0) return QString();
    const int heading = point.heading / 100;
    return QString("MoveMarker(\"%1\", \"%2\", \"%3\", \"%4\")")
        .arg(QString::number(lat, 'f', 15), QString::number(lon, 'f', 15),
             QString::number(static_cast<double>(heading), 'g'), QString::number(1));
}

void WebEngineView::moveMarker(RUN_INFO point) {
    if (!page()) return;
    const QString script = MoveMarkerScript(point);
    if (!script.isEmpty()) runScript(script);
}

void WebEngineView::removeMarker() { runScript("Remove()"); }

void WebEngineView::createETranslator() {
    runScript(QString("CreateETranslator(%1, %2, %3, %4,%5, %6, \"%7\")")
                  .arg(1)
                  .arg(0)
                  .arg(0)
                  .arg(0)
                  .arg(0)
                  .arg(1)
                  .arg("1111"));
}

void WebEngineView::clearETranslator() { runScript(QString("ClearETranslator(%1)").arg(1)); }
