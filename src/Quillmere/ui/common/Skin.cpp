// SPDX-License-Identifier: GPL-3.0-or-later
#include "Skin.h"

#include <QApplication>
#include <QFile>

// The pictures are compiled into this static library; they have to be
// registered by hand, or the linker leaves them out.
static void InitSkinResources() { Q_INIT_RESOURCE(skin); }

namespace Skin {

void InitResources() {
    static const bool done = [] {
        InitSkinResources();
        return true;
    }();
    Q_UNUSED(done);
}

QString StyleSheet() {
    InitResources();
    QFile file(QStringLiteral(":/Quillmere/Qss/skin.qss"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

void Apply(QApplication* app) {
    if (!app) return;
    const QString skin = StyleSheet();
    if (skin.isEmpty() || app->styleSheet().startsWith(skin)) return;
    app->setStyleSheet(skin + QLatin1Char('\n') + app->styleSheet());
}

}  // namespace Skin
