// SPDX-License-Identifier: GPL-3.0-or-later
#include "KelStartup.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <unistd.h>

#include <cstdio>

#include "storage/DiskEnum.h"
#include "storage/ProgramFolder.h"
#include "Quillmere.h"
#include "storage/Settings.h"
#include "common/RunningInstance.h"
#include "common/Skin.h"
#include "caldrune/caldrune.h"
#include "ziraz/dialogs.h"
#include "ziraz/ziraz.h"
#include "wincompat/heap.h"

namespace KelStartup {

namespace {

// With KEL_REPORT_SHOWN set, prints "KEL main window shown" on standard
// output once the main window has been painted for the first time (for the
// start-up benchmark).
class ShownReporter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, [] {
                std::fputs("KEL main window shown\n", stdout);
                std::fflush(stdout);
            });
        }
        return false;
    }
};

// The pictures of the messages: success, information, error.
QStringList DialogIcons() {
    return {QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png"),
            QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png"),
            QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png")};
}

}  // namespace

void PrepareEnvironment() {
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL, true);
    qputenv("QMLSCENE_DEVICE", "softwarecontext");
    // The map page's web view shares OpenGL contexts with the application,
    // which must be asked for before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);
    // The web engine's sandbox refuses to run for the super-user (as in a
    // container); the map page then runs without it.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

void TellRunningInstance() { ::TellRunningInstance(QStringLiteral("KEL")); }

bool LoadSettings() { return CSettingsStore::GetInstance()->Load(ziraz::GetTargetPathFile("Settings.xml")); }

QString StartupProblems() {
    QStringList problems;
    for (const QString& p : {ProgramFolderProblem(), DriveTableProblem()})
        if (!p.isEmpty()) problems << p;
    return problems.join(QStringLiteral("\n\n"));
}

void ShowStartupProblems(QWidget* window) {
    const QString text = StartupProblems();
    if (text.isEmpty()) return;
    std::fprintf(stderr, "%s\n", qPrintable(text));
    ziraz::WarningDialog::showWarningDialog(20000, 2, text, window, nullptr, nullptr, DialogIcons(), QSize(480, 240));
}

void FitToScreen(QWidget* window, const QRect& available) {
    if (!window) return;
    if (available.height() < 720 || available.width() < 720) {
        window->setMinimumSize(available.size());
        window->resize(available.size());
        window->move(0, 0);
    } else {
        window->resize(1024, 720);
    }
}

int Run(int& argc, char** argv) {
    if (apt::SayWhenNoDisplay(QStringLiteral("KEL"))) return 1;
    wincompat::UseLargeBlocksFromTheSystem();
    PrepareEnvironment();
    PrepareUserProgramFolder();
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    hull->initialize(argc, argv, "Quillmere", "setup.xml", true);
    if (!hull->startApp()) {
        if (hull->refusedForRunningInstance()) TellRunningInstance();
        return 0;
    }
    // Named once the catalogue is loaded, so the name is translated.
    hull->setAppName(QObject::tr("KEL4.3"));
    Skin::Apply(hull->application());

    LoadSettings();

    int exitCode = 0;
    {
        Quillmere window(nullptr);
        ShownReporter reporter;
        if (qEnvironmentVariableIsSet("KEL_REPORT_SHOWN")) window.installEventFilter(&reporter);
        window.show();
        QScreen* screen = QGuiApplication::primaryScreen();
        FitToScreen(&window, screen ? screen->availableGeometry() : QRect(0, 0, 1024, 720));
        // Said from the event loop, over the shown window.
        QTimer::singleShot(0, &window, [&window] { ShowStartupProblems(&window); });

        const QByteArray quitAfter = qgetenv("KEL_QUIT_AFTER_MS");
        if (!quitAfter.isEmpty()) {
            bool ok = false;
            const int ms = quitAfter.toInt(&ok);
            if (ok && ms >= 0) QTimer::singleShot(ms, hull->application(), [] { QCoreApplication::exit(0); });
        }

        hull->application();
        exitCode = QApplication::exec();
        // The hull goes first; the window is destroyed after it.
        hull->distory();
    }
    return exitCode;
}

}  // namespace KelStartup
