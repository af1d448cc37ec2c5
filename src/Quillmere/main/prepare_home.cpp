// SPDX-License-Identifier: GPL-3.0-or-later
// Prepares a program folder for KEL: the hull's set-up file, default
// settings, the setup benchmark the program makes "DESetup.xml" from, and the
// output folders the settings name. Files that exist are left as they are.
//
//   kel-prepare-home [--help] [--] <program folder> [<output folder>]
//
// The output folder defaults to "<program folder>/output". Options are
// refused unless known; "--" ends them (for a folder whose name starts with
// "-").
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <string>

#include "storage/ProgramFolder.h"

namespace {

const char kUsage[] =
    "usage: kel-prepare-home [--help] [--] <program folder> [<output folder>]\n"
    "Prepares a program folder for KEL: set-up file, default settings, setup\n"
    "benchmark and the output folders (default <program folder>/output).\n"
    "Files that exist are left as they are.\n";

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args;
    bool optionsEnd = false;
    for (const QString& a : app.arguments().mid(1)) {
        if (!optionsEnd && a == QLatin1String("--")) {
            optionsEnd = true;
        } else if (!optionsEnd && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!optionsEnd && a.startsWith(QLatin1Char('-'))) {
            std::fprintf(stderr, "kel-prepare-home: unknown option %s\n%s", qPrintable(a), kUsage);
            return 2;
        } else {
            args << a;
        }
    }
    if (args.isEmpty() || args.size() > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString home = QDir(args[0]).absolutePath();
    const QString output = QDir(args.size() > 1 ? args[1] : home + "/output").absolutePath();
    ProgramFolderReport report;
    const bool ok = PrepareProgramFolder(home, output, &report);
    for (const QString& f : report.written) std::printf("wrote %s\n", qPrintable(f));
    for (const QString& f : report.failed) std::fprintf(stderr, "cannot write %s\n", qPrintable(f));
    return ok ? 0 : 1;
}
