// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/sharetools.h"

#include <QDebug>
#include <QLayout>
#include <QMutex>
#include <QMutexLocker>
#include <QWidget>
#include <QLoggingCategory>

namespace ShareTools {

namespace {

// Debug lines of this library; off unless enabled (QT_LOGGING_RULES="kel.platform.toolkit.debug=true").
Q_LOGGING_CATEGORY(lcToolkit, "kel.platform.toolkit", QtWarningMsg)

QMutex& HandlerLock() {
    static QMutex lock;
    return lock;
}

std::function<void(const QString&)>& Handler() {
    static std::function<void(const QString&)> handler;
    return handler;
}

}  // namespace

void debugMessage(const QString& text) {
    std::function<void(const QString&)> handler;
    {
        QMutexLocker locker(&HandlerLock());
        handler = Handler();
    }
    if (handler) handler(text);
    else qCDebug(lcToolkit).noquote() << text;
}

std::function<void(const QString&)> setDebugMessageHandler(std::function<void(const QString&)> handler) {
    QMutexLocker locker(&HandlerLock());
    std::function<void(const QString&)> old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

void clearLayout(QLayout* layout) {
    if (!layout) return;
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QLayout* inner = item->layout()) {
            clearLayout(inner);
            // The item is the nested layout itself; deleting it frees it.
        } else if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
}

}  // namespace ShareTools
