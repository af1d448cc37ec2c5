// SPDX-License-Identifier: GPL-3.0-or-later
// The program-folder preparation tool: what it writes is what KEL reads, and
// a second run keeps every file as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "storage/Settings.h"
#include "storage/SetupCipher.h"
#include "kel_test/test_support.h"

namespace {

int RunTool(const QStringList& args, const QString& workingFolder = QString(), QByteArray* out = nullptr) {
    QProcess tool;
    if (!workingFolder.isEmpty()) tool.setWorkingDirectory(workingFolder);
    tool.start(qEnvironmentVariable("KEL_BINARY_DIR") + "/bin/kel-prepare-home", args);
    if (!tool.waitForFinished(120000)) return -1;
    if (out) *out = tool.readAllStandardOutput() + tool.readAllStandardError();
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

TEST(PrepareHome, WritesWhatTheProgramReadsAndKeepsItOnASecondRun) {
    const QString home = kel_test::ProgramFolder() + "/kel home";
    ASSERT_EQ(RunTool({home}), 0);

    CSettingsStore store;
    ASSERT_TRUE(store.Load(home + "/Settings.xml"));
    std::vector<CSettings*> entries;
    store.GetAll(entries);
    ASSERT_EQ(entries.size(), static_cast<size_t>(kSettingKeyCount));
    for (int key = 0; key < kSettingKeyCount; ++key) EXPECT_EQ(entries[key]->GetKey(), SettingKeyName(key));
    EXPECT_EQ(store.GetValueText(SettingKey::ChannelNum), "16");
    for (SettingKey folder : {SettingKey::CaptureSavePath, SettingKey::ClipSavePath, SettingKey::DownloadSavePath,
                              SettingKey::EvidenceVideoSavePath, SettingKey::EvidencePictureSavePath}) {
        const QString path = store.GetValueText(folder);
        EXPECT_TRUE(path.endsWith('/')) << path.toStdString();
        EXPECT_TRUE(QDir(path).exists()) << path.toStdString();
    }

    DESetupConfig config;
    ASSERT_TRUE(config.Load(home + "/maintain/DESetup.xml.benchmark"));
    EXPECT_EQ(config.Segments().size(), 4);
    EXPECT_TRUE(QFile::exists(home + "/setup.xml"));

    const QByteArray settings = kel_test::ReadFile(home + "/Settings.xml");
    const QByteArray benchmark = kel_test::ReadFile(home + "/maintain/DESetup.xml.benchmark");
    kel_test::WriteFile(home + "/setup.xml", "<Setup><Language>1</Language></Setup>");
    ASSERT_EQ(RunTool({home}), 0);
    EXPECT_EQ(kel_test::ReadFile(home + "/Settings.xml"), settings);
    EXPECT_EQ(kel_test::ReadFile(home + "/maintain/DESetup.xml.benchmark"), benchmark);
    EXPECT_EQ(kel_test::ReadFile(home + "/setup.xml"), "<Setup><Language>1</Language></Setup>");
}

TEST(PrepareHome, NeedsAFolder) { EXPECT_EQ(RunTool({}), 2); }

// Options never become folders: help is printed, anything unknown refused.
TEST(PrepareHome, PrintsUsageAndRefusesUnknownOptionsWithoutMakingFolders) {
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"--help"}, 0, "usage: kel-prepare-home"},
        {{"-h"}, 0, "usage: kel-prepare-home"},
        {{"--output", "x"}, 2, "unknown option --output"},
        {{"-x", "home"}, 2, "unknown option -x"},
        {{"a", "b", "c"}, 2, "usage: kel-prepare-home"},
    };
    for (const Case& c : cases) {
        const QString work = kel_test::ProgramFolder() + "/work";
        QDir(work).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(work));
        QByteArray out;
        EXPECT_EQ(RunTool(c.args, work, &out), c.code) << c.args.join(' ').toStdString();
        EXPECT_TRUE(out.contains(c.says)) << out.toStdString();
        EXPECT_TRUE(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
            << c.args.join(' ').toStdString();
    }
    // "--" ends the options: a folder may start with a dash.
    const QString work = kel_test::ProgramFolder() + "/dash";
    ASSERT_TRUE(QDir().mkpath(work));
    ASSERT_EQ(RunTool({"--", "-home"}, work), 0);
    EXPECT_TRUE(QFile::exists(work + "/-home/Settings.xml"));
}

}  // namespace
