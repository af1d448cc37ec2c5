// SPDX-License-Identifier: GPL-3.0-or-later
// Removes what a package installation made in its program folder, as its
// record ("InstallManifest.txt") lists it: the set-up step's files, the
// programs' working files and folders, the record, then the folders it made
// when they are empty. Nothing is followed through a link and no mount point
// is entered (the uninstaller's remover); what stays is said, with why.
//
//   kel-purge <program folder> <package>
//
// Run by the package's purge, after the package's files and perhaps the
// libraries it used are gone: it needs nothing but the C library.
// Exit status: 0 when everything listed is gone, 1 when something stayed,
// 2 when nothing was removed (no usable record, another package's record).
#include <cstdio>
#include <string>

#include "treeremove/InstallRecord.h"
#include "treeremove/TreeRemover.h"

int main(int argc, char** argv) {
    if (argc != 3 || argv[1][0] != '/') {
        std::fprintf(stderr, "usage: kel-purge <program folder> <package>\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string package = argv[2];
    treeremove::InstallRecord record;
    std::string error;
    if (!treeremove::LoadRecord(folder, &record, &error)) {
        std::fprintf(stderr, "kel-purge: %s: %s; nothing was removed\n", folder.c_str(), error.c_str());
        return 2;
    }
    if (record.package != package) {
        std::fprintf(stderr, "kel-purge: %s: not installed by the package %s; nothing was removed\n", folder.c_str(),
                     package.c_str());
        return 2;
    }
    treeremove::TreeRemover remover;
    treeremove::RemovalReport report;
    treeremove::RemoveRecorded(remover, folder, record, &report);
    for (const std::string& k : report.kept)
        std::printf("kel-purge: kept %s: not empty (saved files, or what was left)\n", k.c_str());
    for (const std::string& f : report.failures) std::fprintf(stderr, "kel-purge: left %s\n", f.c_str());
    return report.failures.empty() ? 0 : 1;
}
