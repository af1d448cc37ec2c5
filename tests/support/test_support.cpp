// SPDX-License-Identifier: GPL-3.0-or-later
#include "kel_test/test_support.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace kel_test {

namespace {
std::unique_ptr<QTemporaryDir>& CurrentHome() {
    static std::unique_ptr<QTemporaryDir> home;
    return home;
}
}  // namespace

void NewProgramFolder();
void DropProgramFolder();

void NewProgramFolder() {
    auto& home = CurrentHome();
    home.reset(new QTemporaryDir(QDir::tempPath() + "/kel-test-XXXXXX"));
    setenv("KEL_HOME", home->path().toLocal8Bit().constData(), 1);
}

void DropProgramFolder() {
    CurrentHome().reset();
    unsetenv("KEL_HOME");
}

QString ProgramFolder() {
    auto& home = CurrentHome();
    if (!home) NewProgramFolder();
    return home->path();
}

ScopedTimeZone::ScopedTimeZone(const char* tz) {
    const char* old = getenv("TZ");
    if (old) { m_had = true; m_old = old; }
    setenv("TZ", tz, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (m_had) setenv("TZ", m_old.c_str(), 1); else unsetenv("TZ");
    tzset();
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    const char* old = getenv(name);
    if (old) { m_had = true; m_old = old; }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_had) setenv(m_name.c_str(), m_old.c_str(), 1); else unsetenv(m_name.c_str());
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QString SourceDir() { return QString::fromLocal8Bit(qgetenv("KEL_SOURCE_DIR")); }
QString BinaryDir() { return QString::fromLocal8Bit(qgetenv("KEL_BINARY_DIR")); }

ScopedCatalogue::ScopedCatalogue(const QString& language) : m_translator(new QTranslator) {
    m_installed = m_translator->load("Quillmere_" + language, BinaryDir() + "/bin/translations") &&
                  QCoreApplication::installTranslator(m_translator);
}

ScopedCatalogue::~ScopedCatalogue() {
    if (m_installed) QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
}

namespace {
// How many times slower than a plain build the test programs run: 6 when
// sanitized (KEL_TEST_SLOWDOWN, set by kel_add_test as it sets ctest's time
// limits), else 1. A wait's limit only ends a test that would otherwise
// hang; what the test waits for may take any time on a busy machine.
int Slowdown() {
    bool ok = false;
    const int factor = qEnvironmentVariableIntValue("KEL_TEST_SLOWDOWN", &ok);
    return ok && factor > 1 ? factor : 1;
}
}  // namespace

bool WaitUntil(const std::function<bool()>& done, int seconds) {
    const qint64 limitMs = qint64(seconds) * 1000 * Slowdown();
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace kel_test
