// SPDX-License-Identifier: GPL-3.0-or-later
// KEL and the batch downloader started on a program folder whose XML files
// are hostile (kel_test/hostile_xml.h): both start, run and exit normally,
// say which files they refused, and leave every file as it was.
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <map>

#include "storage/SetupCipher.h"
#include "kel_test/hostile_xml.h"
#include "kel_test/test_support.h"

namespace {

using kel_test::HostileXml;

const int kDepth = 200000;

struct ProgramRun {
    int exitCode = -1;
    bool normalExit = false;
    QByteArray errors;
};

// Runs a program on the test's program folder until its test timer closes
// it; `rules` enables logging categories (the batch downloader tells the
// operator that a file cannot be read, the reason goes to its debug lines).
ProgramRun Start(const QString& bin, const QStringList& args, const QString& rules = QString()) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (!rules.isEmpty()) env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KEL_HOME"), kel_test::ProgramFolder());
    env.insert(QStringLiteral("KEL_QUIT_AFTER_MS"), QStringLiteral("300"));
    p.setProcessEnvironment(env);
    p.start(bin, args);
    ProgramRun run;
    if (!p.waitForStarted(30000) || !p.waitForFinished(120000)) return run;
    run.normalExit = p.exitStatus() == QProcess::NormalExit;
    run.exitCode = p.exitCode();
    run.errors = p.readAllStandardError();
    return run;
}

// The files of the program folder, by name.
std::map<QString, QByteArray> Files() {
    std::map<QString, QByteArray> files;
    const QDir home(kel_test::ProgramFolder());
    for (const QString& name : home.entryList(QDir::Files)) files[name] = kel_test::ReadFile(home.filePath(name));
    return files;
}

// The cases the programs were first seen to stop on.
std::vector<HostileXml> Cases() {
    std::vector<HostileXml> cases;
    for (const HostileXml& c : kel_test::HostileXmlCases())
        if (QByteArray(c.name).startsWith("invalid character reference") || QByteArray(c.name).startsWith("undeclared entity"))
            cases.push_back(c);
    return cases;
}

void WriteHostile(const HostileXml& c, const QString& name, const QString& root, const QString& content) {
    ASSERT_TRUE(kel_test::WriteFile(kel_test::ProgramFolder() + "/" + name,
                                    kel_test::HostileXmlDocument(c, root, kDepth, content)));
}

TEST(HostileXmlPrograms, KelStartsAndKeepsItsFiles) {
    const QString bin = qEnvironmentVariable("KEL_BIN");
    ASSERT_FALSE(bin.isEmpty());
    ASSERT_EQ(Cases().size(), 2u);
    for (const HostileXml& c : Cases()) {
        SCOPED_TRACE(c.name);
        WriteHostile(c, "setup.xml", "Setup", "<Language>1</Language>");
        WriteHostile(c, "Settings.xml", "Settings", "<SpeedValue><Value>60</Value></SpeedValue>");
        std::string cipher;
        {
            ScopedCipherKeys fileKeys(SetupFileCipherKeys());
            ASSERT_TRUE(SetupCipher::GetInstance()->EncryptString(
                cipher, kel_test::HostileXmlDocument(c, "DESetup", kDepth, "<Segments><S0>AAAA</S0></Segments>")
                            .toStdString()));
        }
        ASSERT_TRUE(kel_test::WriteFile(kel_test::ProgramFolder() + "/DESetup.xml", QByteArray::fromStdString(cipher)));
        const auto before = Files();

        const ProgramRun run = Start(bin, {});
        EXPECT_TRUE(run.normalExit) << run.errors.constData();
        EXPECT_EQ(run.exitCode, 0) << run.errors.constData();
        EXPECT_TRUE(run.errors.contains(QDir(kel_test::ProgramFolder()).filePath("setup.xml").toUtf8() + ": " +
                                        c.refusal))
            << run.errors.constData();
        EXPECT_TRUE(run.errors.contains("DESetupConfig::Load " +
                                        QDir(kel_test::ProgramFolder()).filePath("DESetup.xml").toUtf8() +
                                        " XML text: " + c.refusal))
            << run.errors.constData();
        const auto after = Files();
        for (const auto& f : before) {
            ASSERT_TRUE(after.count(f.first)) << f.first.toStdString();
            EXPECT_EQ(after.at(f.first), f.second) << f.first.toStdString();
        }
    }
}

TEST(HostileXmlPrograms, BatchDownloaderStartsAndKeepsItsFiles) {
    const QString bin = qEnvironmentVariable("LORRIMAX_BIN");
    ASSERT_FALSE(bin.isEmpty());
    for (const HostileXml& c : Cases()) {
        SCOPED_TRACE(c.name);
        WriteHostile(c, "setup.xml", "Setup", "<Language>1</Language>");
        WriteHostile(c, "Settings.xml", "Settings",
                     "<DownloadSavePath><Value>" + kel_test::ProgramFolder() + "/dl</Value></DownloadSavePath>");
        WriteHostile(c, "SearchedFile.xml", "SearchedFile", "");
        WriteHostile(c, "DiskFile.xml", "DiskInfos", "<Disk><DiskName>E:\\</DiskName></Disk>");
        const auto before = Files();

        const ProgramRun run = Start(bin, {QStringLiteral("0")}, QStringLiteral("kel.platform.toolkit.debug=true"));
        EXPECT_TRUE(run.normalExit) << run.errors.constData();
        EXPECT_EQ(run.exitCode, 0) << run.errors.constData();
        for (const char* name : {"setup.xml", "SearchedFile.xml", "DiskFile.xml"})
            EXPECT_TRUE(run.errors.contains(QDir(kel_test::ProgramFolder()).filePath(name).toUtf8() + ": " + c.refusal))
                << name << "\n" << run.errors.constData();
        const auto after = Files();
        for (const auto& f : before) {
            ASSERT_TRUE(after.count(f.first)) << f.first.toStdString();
            EXPECT_EQ(after.at(f.first), f.second) << f.first.toStdString();
        }
    }
}

}  // namespace
