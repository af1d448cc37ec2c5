// SPDX-License-Identifier: GPL-3.0-or-later
// Starts as KEL starts (program folder, catalogue of the configured
// language, main window) from the folder it lies in, then prints the
// program folder and every text the shown main window shows:
//
//   folder <program folder>
//   text <text>
//
// Copied into an installation, it tells what a user of that installation
// sees.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstdio>

#include "Quillmere/KelStartup.h"
#include "Quillmere/Quillmere.h"
#include "caldrune/caldrune.h"
#include "storage/ProgramFolder.h"
#include "ziraz/ziraz.h"

int main(int argc, char** argv) {
    KelStartup::PrepareEnvironment();
    PrepareUserProgramFolder();
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    hull->initialize(argc, argv, "Quillmere", "setup.xml", true);
    if (!hull->startApp()) return 2;
    std::printf("folder %s\n", ziraz::GetTargetPath().toLocal8Bit().constData());
    {
        Quillmere window(nullptr);
        window.show();
        QApplication::processEvents();
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            QString text;
            if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
            if (!text.isEmpty()) std::printf("text %s\n", text.toUtf8().constData());
        }
        std::fflush(stdout);
        hull->distory();
    }
    return 0;
}
