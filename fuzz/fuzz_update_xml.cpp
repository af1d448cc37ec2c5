// SPDX-License-Identifier: GPL-3.0-or-later
// The update server's answer ("update.xml") read by the upgrade library, and
// the package it offers downloaded, from a server folder on this machine.
//
// Input: pieces (see SplitPieces) "update.xml", the installed version, the
// package's bytes.
// Checked: an offered version is newer than the installed one, and the
// package lands inside the download folder, whole.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QUrl>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sabrel/upgrade.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    // Answers may name a package on the network: every transfer there goes
    // to a proxy that refuses at once, so nothing leaves the machine.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), 1));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 3);
    const std::string server = kelfuzz::CleanFolder("server");
    const std::string downloads = kelfuzz::CleanFolder("downloads");
    kelfuzz::WriteFile(server + "/update.xml", pieces[0]);
    // Every name the answer may give for the package finds the bytes there.
    kelfuzz::WriteFile(server + "/package.pkg", pieces[2]);

    upgrade::Upgrade library;
    library.setServerAddr(QUrl::fromLocalFile(QString::fromStdString(server)).toString().toStdString());
    library.setDownloadFolder(downloads);
    library.setTimeoutMs(5000);
    upgrade::tagAppProperty installed;
    installed.version = std::string(pieces[1].begin(), pieces[1].end());
    std::string offered = "unchanged";
    if (!library.checkUpdate(offered, installed)) {
        if (offered != "unchanged") __builtin_trap();   // a refused answer changed the version
        return 0;
    }
    if (upgrade::Upgrade::compareVersions(offered, installed.version) <= 0) __builtin_trap();
    if (library.dowmloadPackage()) {
        const QFileInfo package(QString::fromStdString(library.packagePath()));
        if (package.absoluteDir() != QDir(QString::fromStdString(downloads))) __builtin_trap();   // outside the folder
        if (!package.isFile()) __builtin_trap();
    }
    return 0;
}
