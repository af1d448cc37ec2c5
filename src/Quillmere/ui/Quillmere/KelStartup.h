// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start-up sequence of KEL, in steps that main() runs in order.
#include <QRect>
#include <QString>

class QWidget;

namespace KelStartup {

// Software OpenGL and the software scene graph; before any window exists.
void PrepareEnvironment();
// Tells the operator, on the error output and in a message that closes by
// itself after a few seconds, that KEL runs already with this program folder
// (a second start ends without a window of its own).
void TellRunningInstance();
// Loads "Settings.xml" of the program folder into the settings store; a
// missing file leaves the store as it was. True when the file was read.
bool LoadSettings();
// What the operator must know at the start: a program folder that is
// missing or cannot be written (ProgramFolderProblem) and a drive table
// that cannot be read (DriveTableProblem). Empty when all is well.
QString StartupProblems();
// Says StartupProblems, when there are any, once: on the error output and in
// a message over `window`.
void ShowStartupProblems(QWidget* window);
// Sizes a shown window to the screen's available area: below 720 in either
// direction the window takes the whole area (also as its minimum) at (0, 0);
// otherwise it asks for 1024 by 720, bounded by its own minimum size.
void FitToScreen(QWidget* window, const QRect& available);
// The whole program: hull, settings, main window, event loop. The exit code
// of the event loop, or 0 when the hull refuses to start.
// KEL_QUIT_AFTER_MS (milliseconds) ends the event loop after that delay,
// for demos and tests; with KEL_REPORT_SHOWN set, "KEL main window shown"
// is printed on standard output after the main window's first paint.
int Run(int& argc, char** argv);

}  // namespace KelStartup
