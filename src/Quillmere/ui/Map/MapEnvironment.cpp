// SPDX-License-Identifier: GPL-3.0-or-later
#include "MapEnvironment.h"

#include <QMutex>
#include <QMutexLocker>

#include <caldrune/caldrune.h>
#include "common/MapKeyHolder.h"

namespace {
QMutex g_lock;
std::function<int()> g_language;
std::function<QString()> g_key;
}  // namespace

namespace MapEnvironment {

int CurrentLanguage() {
    std::function<int()> source;
    {
        QMutexLocker lock(&g_lock);
        source = g_language;
    }
    if (source) return source();
    return apt::ConfigureManager::getCurrentLanguage();
}

QString MapKey() {
    std::function<QString()> source;
    {
        QMutexLocker lock(&g_lock);
        source = g_key;
    }
    if (source) return source();
    return MapKeyHolder::instance()->key();
}

std::function<int()> SetLanguageSource(std::function<int()> source) {
    QMutexLocker lock(&g_lock);
    std::swap(g_language, source);
    return source;
}

std::function<QString()> SetMapKeySource(std::function<QString()> source) {
    QMutexLocker lock(&g_lock);
    std::swap(g_key, source);
    return source;
}

}  // namespace MapEnvironment
