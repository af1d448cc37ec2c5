// SPDX-License-Identifier: GPL-3.0-or-later
#include "caldrune/caldrune.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFont>
#include <QFile>
#include <QLibraryInfo>
#include <QLockFile>
#include <QRegExp>
#include <QTranslator>
#include <atomic>
#include <cstdio>
#include <QLoggingCategory>

#include "ziraz/ziraz.h"

namespace apt {

namespace {

// Debug lines of this library; off unless enabled (QT_LOGGING_RULES="kel.platform.hull.debug=true").
Q_LOGGING_CATEGORY(lcHull, "kel.platform.hull", QtWarningMsg)

std::atomic<int> g_language{0};

int ChildInt(const ziraz::GenericDS& root, const char* name, int fallback) {
    ziraz::GenericDS child = root.GetChildByName(name);
    if (child.isNull()) return fallback;
    bool ok = false;
    const int value = child.GetValue().trimmed().toInt(&ok);
    return ok ? value : fallback;
}
}  // namespace

ToolApplicationHull* ToolApplicationHull::instance() {
    // Made on first use; C++ guarantees a single construction across threads.
    static ToolApplicationHull* hull = new ToolApplicationHull;
    return hull;
}

ToolApplicationHull::ToolApplicationHull() = default;
ToolApplicationHull::~ToolApplicationHull() = default;

bool SayWhenNoDisplay(const QString& program) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) return false;
    if (!qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty()) return false;
    std::fprintf(stderr, "%s: no display to show its window on (DISPLAY is not set); start it from a desktop "
                         "session or set DISPLAY.\n",
                 qPrintable(program));
    return true;
}

bool ToolApplicationHull::initialize(int& argc, char** argv, const QString& first, const QString& second, bool gui) {
    if (second.endsWith(".xml", Qt::CaseInsensitive) || !first.endsWith(".xml", Qt::CaseInsensitive)) {
        m_moduleName = first;
        m_configFile = second;
    } else {
        m_moduleName = second;
        m_configFile = first;
    }
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        m_app = qobject_cast<QApplication*>(existing);
        if (!m_app && gui) {
            qCDebug(lcHull) << "ToolApplicationHull::initialize an application without widgets exists already";
            return false;
        }
    } else {
        m_app = new QApplication(argc, argv);
    }
    if (m_app && m_app->applicationName().isEmpty()) m_app->setApplicationName(m_moduleName);
    readSetup();
    m_initialised = true;
    return true;
}

void ToolApplicationHull::readSetup() {
    m_language = 0;
    m_versionType = 0;
    m_singleInstance = true;
    m_styleSheet.clear();
    if (!m_configFile.isEmpty()) {
        const QString path = QDir::isAbsolutePath(m_configFile) ? m_configFile : ziraz::GetTargetPathFile(m_configFile);
        ziraz::GenericDS root;
        const bool loaded = root.loadXML(path);
        // A file that is there but refused (not well-formed, nested too deep)
        // leaves the defaults; it is neither used half-read nor replaced.
        if (!loaded && QFile::exists(path))
            qCWarning(lcHull).noquote() << "ToolApplicationHull::readSetup" << root.errorString();
        if (loaded) {
            m_language = ChildInt(root, "Language", 0);
            m_versionType = ChildInt(root, "VersionType", 0);
            m_singleInstance = ChildInt(root, "SingleInstance", 1) != 0;
            ziraz::GenericDS style = root.GetChildByName("StyleSheet");
            if (!style.isNull()) m_styleSheet = style.GetValue().trimmed();
        }
    }
    g_language.store(m_language);
}

void ToolApplicationHull::setAppName(const QString& name) {
    m_appName = name;
    if (m_app) m_app->setApplicationDisplayName(name);
}

QString ToolApplicationHull::appName() const { return m_appName; }
QString ToolApplicationHull::moduleName() const { return m_moduleName; }
QString ToolApplicationHull::configFile() const { return m_configFile; }

bool ToolApplicationHull::startApp() {
    if (!m_initialised || !QCoreApplication::instance()) return false;
    if (m_started) return true;
    m_otherInstance = false;
    if (QCoreApplication::instance() && !m_translator) {
        // The catalogue of the configured language: "<module>_zh" for
        // Chinese, "<module>_en" otherwise. Loaded first, so that a program
        // refused below can say why in the operator's language.
        auto* translator = new QTranslator;
        const QString name = m_moduleName + (m_language == 1 ? QStringLiteral("_zh") : QStringLiteral("_en"));
        if (translator->load(name, ziraz::GetTargetPathFile("translations"))) {
            QCoreApplication::installTranslator(translator);
            m_translator = translator;
        } else {
            delete translator;
        }
    }
    if (QCoreApplication::instance() && !m_qtTranslator && m_language == 1) {
        // Qt's own texts (the file and folder dialogs: "Look in", "File
        // name", "Save", "Cancel") in the same language: a copy beside the
        // program first, else the system's.
        auto* translator = new QTranslator;
        const QString name = QStringLiteral("qtbase_zh_CN");
        if ((translator->load(name, ziraz::GetTargetPathFile("translations")) ||
             translator->load(name, QLibraryInfo::location(QLibraryInfo::TranslationsPath))) &&
            QCoreApplication::installTranslator(translator)) {
            m_qtTranslator = translator;
        } else {
            qCWarning(lcHull) << "ToolApplicationHull::startApp Qt's own catalogue" << name << "not found";
            delete translator;
        }
    }
    ApplyProgramFont();
    if (m_singleInstance) {
        // One running instance per program folder and module.
        m_lock = new QLockFile(instanceLockPath(m_moduleName));
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0)) {
            qCDebug(lcHull) << "ToolApplicationHull::startApp another instance is running";
            delete m_lock;
            m_lock = nullptr;
            m_otherInstance = true;
            return false;
        }
    }
    if (m_app && !m_styleSheet.isEmpty()) {
        QFile file(QDir::isAbsolutePath(m_styleSheet) ? m_styleSheet : ziraz::GetTargetPathFile(m_styleSheet));
        if (file.open(QIODevice::ReadOnly)) m_app->setStyleSheet(QString::fromUtf8(file.readAll()));
    }
    m_started = true;
    return true;
}

void ToolApplicationHull::ApplyProgramFont() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
}

QString ToolApplicationHull::instanceLockPath(const QString& moduleName) {
    const QByteArray folder = QDir(ziraz::GetTargetPath()).absolutePath().toUtf8();
    const QString tag = QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Md5).toHex().left(12));
    QString name = moduleName;
    name.replace(QRegExp("[^A-Za-z0-9_.-]"), "_");
    return QDir::temp().filePath(name + "-" + tag + ".lock");
}

bool ToolApplicationHull::isStarted() const { return m_started; }
bool ToolApplicationHull::refusedForRunningInstance() const { return m_otherInstance; }
QApplication* ToolApplicationHull::application() const { return m_app; }
int ToolApplicationHull::language() const { return m_language; }
int ToolApplicationHull::versionType() const { return m_versionType; }
bool ToolApplicationHull::singleInstance() const { return m_singleInstance; }

void ToolApplicationHull::distory() {
    for (QTranslator** t : {&m_translator, &m_qtTranslator}) {
        if (!*t) continue;
        QCoreApplication::removeTranslator(*t);
        delete *t;
        *t = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        delete m_lock;
        m_lock = nullptr;
    }
    m_started = false;
    m_initialised = false;
}

ConfigureManager* ConfigureManager::instance() {
    static ConfigureManager manager;
    return &manager;
}

int ConfigureManager::getCurrentLanguage() { return g_language.load(); }
void ConfigureManager::setCurrentLanguage(int language) { g_language.store(language); }

}  // namespace apt
