// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Application module of the programs.
//
// ToolApplicationHull owns the application object. initialize() makes it
// (or adopts one that already exists) and reads the set-up file from the
// program folder; startApp() decides whether the program may run; distory()
// tears the hull down after the event loop.
//
// Set-up file (root element of any name; every child optional):
//   <Setup>
//     <Language>0</Language>            0 English, 1 Chinese
//     <VersionType>0</VersionType>      build flavour, read by the pages
//     <SingleInstance>1</SingleInstance> 1: a second start in the same
//                                        program folder is refused
//     <StyleSheet>style.qss</StyleSheet> style sheet of the application,
//                                        relative to the program folder
//   </Setup>
// A missing or unreadable file gives these defaults (no style sheet).
// startApp loads the translation catalogue of the configured language,
// "translations/<name>_en.qm" (language 0) or "translations/<name>_zh.qm"
// (language 1) in the program folder, when present, and gives the
// application the programs' font (ApplyProgramFont).
#include <QString>

class QApplication;
class QLockFile;
class QTranslator;

namespace apt {

// A program started where no window can be shown (no DISPLAY or
// WAYLAND_DISPLAY, and QT_QPA_PLATFORM naming no other platform) says so in
// one line on the error output, naming itself, instead of the toolkit's
// abort text, and returns true: the program then ends with exit code 1.
bool SayWhenNoDisplay(const QString& program);

class ToolApplicationHull {
public:
    static ToolApplicationHull* instance();

    // The two names are the application name and the set-up file name, in
    // either order (the one ending in ".xml" is taken as the file). `gui`
    // asks for a widget application. `argc` must outlive the application
    // object. False when no application object could be had (a non-widget
    // application already exists).
    bool initialize(int& argc, char** argv, const QString& first, const QString& second, bool gui = true);
    // Display name of the application.
    void setAppName(const QString& name);
    QString appName() const;
    // Name given to initialize (used for the instance lock and translations).
    QString moduleName() const;
    QString configFile() const;
    // False when the hull is not initialised, or when another running
    // instance holds this program folder and the set-up asks for one.
    bool startApp();
    bool isStarted() const;
    // True after startApp refused because another instance holds this
    // program folder (the catalogue is loaded then, so the program can say
    // so in the operator's language).
    bool refusedForRunningInstance() const;
    QApplication* application() const;
    int language() const;
    int versionType() const;
    bool singleInstance() const;
    // Releases what startApp took (the instance lock, the translator). The
    // application object itself stays until the process ends, so windows
    // that outlive this call can still be destroyed.
    void distory();

    // The font every window of the programs is laid out for: the
    // sans-serif family (Chinese texts fall back to a CJK sans-serif) at 9
    // points, whatever the platform's or desktop's default is, so that a
    // page looks the same on a display, offscreen and on every desktop.
    static void ApplyProgramFont();

    // The lock file that marks a running instance of `moduleName` in the
    // current program folder.
    static QString instanceLockPath(const QString& moduleName);

    ToolApplicationHull(const ToolApplicationHull&) = delete;
    ToolApplicationHull& operator=(const ToolApplicationHull&) = delete;

private:
    ToolApplicationHull();
    ~ToolApplicationHull();
    void readSetup();

    QApplication* m_app = nullptr;
    bool m_initialised = false;
    bool m_started = false;
    QString m_moduleName;
    QString m_configFile;
    QString m_appName;
    int m_language = 0;
    int m_versionType = 0;
    bool m_singleInstance = true;
    bool m_otherInstance = false;
    QString m_styleSheet;
    QLockFile* m_lock = nullptr;
    QTranslator* m_translator = nullptr;
    // Qt's own catalogue of the language (its file and folder dialogs, its
    // standard buttons); none for English.
    QTranslator* m_qtTranslator = nullptr;
};

// The interface language of the running program.
class ConfigureManager {
public:
    static ConfigureManager* instance();
    // 0 English, 1 Chinese. Follows the hull's set-up once it is initialised.
    static int getCurrentLanguage();
    static void setCurrentLanguage(int language);
};

}  // namespace apt
