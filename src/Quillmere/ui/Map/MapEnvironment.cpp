#include "MapEnvironment.h"

#include <QMutex>
#include <QMutexLocker>

#if defined(KEL_HAVE_CALDRUNE) && __has_include(<caldrune/caldrune.h>)
#include <caldrune/caldrune.h>
#define KEL_LANGUAGE_FROM_APPLICATION 1
#endif
#if defined(KEL_HAVE_MAP_KEY_HOLDER) && __has_include("QuillmereGlobals.h")
#include "QuillmereGlobals.h"
#define KEL_KEY_FROM_HOLDER 1
#endif

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
#ifdef KEL_LANGUAGE_FROM_APPLICATION
    return apt::ConfigureManager::getCurrentLanguage();
#else
    return 0;
#endif
}

QString MapKey() {
    std::function<QString()> source;
    {
        QMutexLocker lock(&g_lock);
        source = g_key;
    }
    if (source) return source();
#ifdef KEL_KEY_FROM_HOLDER
    return MapKeyHolder::instance()->key();
#else
    return QString();
#endif
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
