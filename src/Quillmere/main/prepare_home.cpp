// Prepares a program folder for KEL: the hull's set-up file, default
// settings, the setup benchmark the program makes "DESetup.xml" from, and the
// output folders the settings name. Files that exist are left as they are.
//
//   kel-prepare-home <program folder> [<output folder>]
//
// The output folder defaults to "<program folder>/output".
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <string>

#include "ProgramFolder.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kel-prepare-home <program folder> [<output folder>]\n");
        return 2;
    }
    const QString home = QDir(args[1]).absolutePath();
    const QString output = QDir(args.size() > 2 ? args[2] : home + "/output").absolutePath();
    ProgramFolderReport report;
    const bool ok = PrepareProgramFolder(home, output, &report);
    for (const QString& f : report.written) std::printf("wrote %s\n", qPrintable(f));
    for (const QString& f : report.failed) std::fprintf(stderr, "cannot write %s\n", qPrintable(f));
    return ok ? 0 : 1;
}
