// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared helpers of the test programs.
#include <QString>
#include <functional>
#include <string>

class QTranslator;

namespace kel_test {

// The program folder of the running test (a fresh temporary folder per test,
// also published in the environment variable KEL_HOME).
QString ProgramFolder();

// Pins the local time zone for the lifetime of the object (TZ + tzset) and
// restores the previous value afterwards.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* tz);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;
private:
    bool m_had = false;
    std::string m_old;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
private:
    std::string m_name;
    bool m_had = false;
    std::string m_old;
};

// Writes a whole file (creating parent folders); returns false on failure.
bool WriteFile(const QString& path, const QByteArray& bytes);
QByteArray ReadFile(const QString& path);

// Handles the events of the calling thread until `done` holds; false when it
// still does not after `seconds` (a hang guard: longer in sanitized builds).
bool WaitUntil(const std::function<bool()>& done, int seconds = 60);

// Folder of the source tree and of the build tree (from the test environment).
QString SourceDir();
QString BinaryDir();

// Installs the program's built translation catalogue of a language ("en" or
// "zh", from the build tree's bin/translations) for the lifetime of the
// object. Tests that use it depend on the target kel_translations.
class ScopedCatalogue {
public:
    explicit ScopedCatalogue(const QString& language);
    ~ScopedCatalogue();
    bool loaded() const { return m_installed; }
    ScopedCatalogue(const ScopedCatalogue&) = delete;
    ScopedCatalogue& operator=(const ScopedCatalogue&) = delete;
private:
    QTranslator* m_translator = nullptr;
    bool m_installed = false;
};

}  // namespace kel_test
