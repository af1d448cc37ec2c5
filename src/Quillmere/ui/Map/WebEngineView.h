// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The web view of the map dialog: loads the map page of the program folder
// (chosen by the MapType setting and the interface language) and drives it
// with JavaScript calls (vehicle marker, trace removal).
#include <QString>
#include <QUrl>
#include <QWebEngineView>

#include <functional>

#include "Playback/VehicleData.h"

class WebEngineView : public QWebEngineView {
    Q_OBJECT
public:
    explicit WebEngineView(QWidget* parent = nullptr);
    ~WebEngineView() override;

    // Loads the map page anew: MapType 0 the plain page, 1 the keyed page with
    // the map key put in; other values load nothing.
    void loadMapPage();
    // Moves the vehicle marker to the point (nothing for a point without fix
    // or on the equator or prime meridian).
    void moveMarker(RUN_INFO point);
    void addTracePoint(RUN_INFO point) { moveMarker(point); }
    // Removes the marker and its trace.
    void removeMarker();
    void removeTrace() { removeMarker(); }
    void createETranslator();
    void clearETranslator();

    // Runs a script in the page without waiting for a result.
    void runScript(const QString& script);

    // The MoveMarker call for a point, or an empty text when the point moves
    // nothing.
    static QString MoveMarkerScript(const RUN_INFO& point);
    // The file name of the page for a map type and language ("playback_osm_en.html", ...);
    // empty for an unknown type.
    static QString PageFileName(int mapType, int language);

    // What the last loadMapPage asked for: a URL, or HTML with its base URL.
    QUrl requestedUrl() const { return m_requestedUrl; }
    QString requestedHtml() const { return m_requestedHtml; }
    QUrl requestedBaseUrl() const { return m_requestedBaseUrl; }

    // Sees every script a view runs (for diagnostics and tests); returns the
    // previous observer.
    using ScriptObserver = std::function<void(WebEngineView*, const QString&)>;
    static ScriptObserver SetScriptObserver(ScriptObserver observer);

private:
    QUrl m_requestedUrl;
    QString m_requestedHtml;
    QUrl m_requestedBaseUrl;
};
