// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QUrl>

#include "http_fixture.h"
#include "kel_test/test_support.h"
#include "sabrel/upgrade.h"

namespace {

QByteArray Index(const char* version, const char* package) {
    return QByteArray("<?xml version=\"1.0\"?><Update><Version>") + version + "</Version><Package>" + package +
           "</Package></Update>";
}

upgrade::tagAppProperty Installed(const char* version) {
    upgrade::tagAppProperty p;
    p.appName = "KEL";
    p.version = version;
    return p;
}

TEST(SabrelUpgrade, CompareVersions) {
    struct Case {
        const char *a, *b;
        int result;
    } cases[] = {{"4.3.0", "4.3", 0}, {"4.10", "4.9", 1}, {"4.3.1", "4.3.0", 1}, {"1", "2.0.0", -1}, {"", "0", 0}};
    for (const Case& c : cases) EXPECT_EQ(upgrade::Upgrade::compareVersions(c.a, c.b), c.result) << c.a << " " << c.b;
}

TEST(SabrelUpgrade, ChecksAndDownloadsOverHttp) {
    TinyHttpServer server;
    const QByteArray package(300000, 'p');
    server.set("/update.xml", 200, Index("4.4.0", "pkg/KEL-4.4.0.bin"));
    server.set("/pkg/KEL-4.4.0.bin", 200, package);

    upgrade::Upgrade up;
    up.setServerAddr(server.base().toStdString());
    up.setDownloadFolder((kel_test::ProgramFolder() + "/dl").toStdString());
    std::string version = "unchanged";
    EXPECT_FALSE(up.checkUpdate(version, Installed("4.4.0")));
    EXPECT_EQ(version, "unchanged");
    EXPECT_FALSE(up.dowmloadPackage());

    ASSERT_TRUE(up.checkUpdate(version, Installed("4.3.2")));
    EXPECT_EQ(version, "4.4.0");
    ASSERT_TRUE(up.dowmloadPackage());
    EXPECT_EQ(QString::fromStdString(up.packagePath()), kel_test::ProgramFolder() + "/dl/KEL-4.4.0.bin");
    EXPECT_EQ(kel_test::ReadFile(QString::fromStdString(up.packagePath())), package);
}

TEST(SabrelUpgrade, BadAnswersAreNoUpdate) {
    TinyHttpServer server;
    upgrade::Upgrade up;
    up.setServerAddr(server.base().toStdString());
    std::string version;
    const std::vector<std::pair<int, QByteArray>> answers = {
        {404, Index("9.0", "p.bin")},   // not found
        {200, "<Update><Version>"},     // not XML
        {200, Index("9.x", "p.bin")},   // not a version
        {200, Index("9.0", "")},        // no package
        {200, QByteArray(70000, ' ')},  // far too big for an index
    };
    for (const auto& a : answers) {
        server.set("/update.xml", a.first, a.second);
        EXPECT_FALSE(up.checkUpdate(version, Installed("1.0"))) << a.second.left(40).toStdString();
    }
    // Nobody listening.
    up.setServerAddr("http://127.0.0.1:1/");
    up.setTimeoutMs(20000);
    EXPECT_FALSE(up.checkUpdate(version, Installed("1.0")));
    up.setServerAddr("");
    EXPECT_FALSE(up.checkUpdate(version, Installed("1.0")));
}

TEST(SabrelUpgrade, PackageStaysInTheDownloadFolderAndAFailedDownloadLeavesNothing) {
    const QString root = kel_test::ProgramFolder();
    ASSERT_TRUE(kel_test::WriteFile(root + "/srv/update.xml", Index("2.0", "../escape.bin")));
    ASSERT_TRUE(kel_test::WriteFile(root + "/escape.bin", "payload"));
    upgrade::Upgrade up;
    up.setServerAddr(QUrl::fromLocalFile(root + "/srv/").toString().toStdString());
    up.setDownloadFolder((root + "/dl").toStdString());
    std::string version;
    ASSERT_TRUE(up.checkUpdate(version, Installed("1.0")));
    ASSERT_TRUE(up.dowmloadPackage());
    EXPECT_EQ(QString::fromStdString(up.packagePath()), root + "/dl/escape.bin");

    // The package vanished from the server: no file, partial or whole.
    ASSERT_TRUE(kel_test::WriteFile(root + "/srv/update.xml", Index("3.0", "gone.bin")));
    ASSERT_TRUE(up.checkUpdate(version, Installed("1.0")));
    EXPECT_FALSE(up.dowmloadPackage());
    EXPECT_EQ(QDir(root + "/dl").entryList(QDir::Files), QStringList{"escape.bin"});
}

}  // namespace
