// SPDX-License-Identifier: GPL-3.0-or-later
// Every XML reader of the programs, given the files that once stopped them
// at start (kel_test/hostile_xml.h: elements nested 200,000 deep behind
// something that ended the old depth check early): none crashes; each
// refuses the file with the reason, takes nothing of it and leaves it as it
// was. The settings reader streams (it builds no tree): it reads what comes
// before the nesting and reads past the rest.
#include <gtest/gtest.h>

#include <QDir>
#include <QUrl>

#include "AppConfig.h"
#include "storage/ChannelFiles.h"
#include "storage/HandOverFiles.h"
#include "storage/Settings.h"
#include "storage/SetupCipher.h"
#include "caldrune/caldrune.h"
#include "kel_test/hostile_xml.h"
#include "kel_test/test_support.h"
#include "Lorrimax/lorrimax_fixture.h"
#include "sabrel/upgrade.h"
#include "ziraz/genericds.h"
#include "ziraz/xmlguard.h"

namespace {

using kel_test::HostileXml;
using kel_test::HostileXmlCases;
using kel_test::HostileXmlDocument;

const int kDepth = 200000;

QString Home() { return kel_test::ProgramFolder(); }

// Writes the case's document into the program folder; returns its path.
QString Write(const HostileXml& c, const QString& name, const QString& root, const QString& content,
              int depth = kDepth) {
    const QString path = Home() + "/" + name;
    EXPECT_TRUE(kel_test::WriteFile(path, HostileXmlDocument(c, root, depth, content)));
    return path;
}

QString Refusal(const QString& name, const HostileXml& c) { return name + ": " + QString::fromLatin1(c.refusal); }

TEST(HostileXml, ToolkitReaderRefusesThemWithTheReason) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        const QString path = Write(c, "hostile.xml", "Root", "<Key>kept?</Key>");
        ziraz::GenericDS file;
        EXPECT_FALSE(file.loadXML(path));
        EXPECT_TRUE(file.isNull());
        EXPECT_EQ(file.errorString(), Refusal(path, c));

        ziraz::GenericDS text;
        ASSERT_TRUE(text.loadXmlString("<Old/>"));
        EXPECT_FALSE(text.loadXmlString(ziraz::DecodeXml(kel_test::ReadFile(path))));
        EXPECT_TRUE(text.isNull());
        EXPECT_EQ(text.errorString(), Refusal("XML text", c));
    }
}

TEST(HostileXml, HandOverReadersRefuseThemAndKeepTheFiles) {
    ChannelFiles block;
    block.DiskName = QStringLiteral("E:\\");
    block.ChannelInfo.SetChannelNumber(1);
    APT_QMR::CSingleFile file("c01.qrv", "E:\\", 1000, 1709280000, 1709280060, 1, "dev", 1);
    block.SingleFileList.push_back(&file);
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        const QString searched = Write(c, "SearchedFile.xml", "SearchedFile", block.ToXml());
        const QString disks = Write(c, "DiskFile.xml", "DiskInfos", "<Disk><DiskName>E:\\</DiskName></Disk>");
        const QByteArray searchedBytes = kel_test::ReadFile(searched);
        const QByteArray diskBytes = kel_test::ReadFile(disks);

        std::vector<std::unique_ptr<ChannelFiles>> records;
        int unknown = -1;
        QString error;
        EXPECT_FALSE(ReadHandOverChannels(searched, &records, &unknown, &error));
        EXPECT_TRUE(records.empty());
        EXPECT_EQ(unknown, 0);
        EXPECT_EQ(error, Refusal(searched, c));

        std::vector<std::string> names{"stale"};
        EXPECT_FALSE(ReadHandOverDisks(disks, &names, &error));
        EXPECT_TRUE(names.empty());
        EXPECT_EQ(error, Refusal(disks, c));

        EXPECT_EQ(kel_test::ReadFile(searched), searchedBytes);
        EXPECT_EQ(kel_test::ReadFile(disks), diskBytes);
    }
}

TEST(HostileXml, RecordReadersLeaveTheRecordAsItWas) {
    APT_QMR::CSingleFile kept("kept.qrv", "F:\\", 7, 100, 200, 2, "dev", 3);
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        const auto text = [&c](const char* root, const char* content) {
            return ziraz::DecodeXml(HostileXmlDocument(c, root, kDepth, content));
        };
        ChannelFiles record;
        record.DiskName = QStringLiteral("kept");
        record.ChannelInfo.SetChannelNumber(9);
        record.SingleFileList.push_back(&kept);
        record.FromXml(text("PlaybackFilesOfChannel", "<DiskName>new</DiskName><SingleFileList/>"));
        EXPECT_EQ(record.DiskName, "kept");
        EXPECT_EQ(record.ChannelInfo.GetChannelNumber(), 9);
        EXPECT_EQ(record.SingleFileList, std::vector<APT_QMR::CSingleFile*>{&kept});

        APT_QMR::CSingleFile file = kept;
        file.fromXml(text("CSingleFile", "<FileName>new.qrv</FileName><FileSize>1</FileSize>"));
        EXPECT_EQ(file.FileName, "kept.qrv");
        EXPECT_EQ(file.FileSize, 7u);

        APT_QMR::CChannel channel;
        channel.SetChannelNumber(5);
        channel.fromXml(text("CChannel", "<ChannelNumber>6</ChannelNumber>"));
        EXPECT_EQ(channel.GetChannelNumber(), 5);
    }
}

int g_argc = 1;
char g_arg0[] = "hostile_xml_test";
char* g_argv[] = {g_arg0, nullptr};

TEST(HostileXml, SetupFileGivesTheDefaultsAndTheProgramStarts) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        const QString path =
            Write(c, "setup.xml", "Setup", "<Language>1</Language><VersionType>3</VersionType><SingleInstance>0</SingleInstance>");
        const QByteArray bytes = kel_test::ReadFile(path);
        apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
        ASSERT_TRUE(hull->initialize(g_argc, g_argv, "Quillmere", "setup.xml", true));
        EXPECT_EQ(hull->language(), 0);
        EXPECT_EQ(hull->versionType(), 0);
        EXPECT_TRUE(hull->singleInstance());
        EXPECT_TRUE(hull->startApp());
        hull->distory();
        EXPECT_EQ(kel_test::ReadFile(path), bytes);
    }
}

TEST(HostileXml, SetupSegmentsAreRefusedAndKept) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        std::string cipher;
        {
            ScopedCipherKeys fileKeys(SetupFileCipherKeys());
            ASSERT_TRUE(SetupCipher::GetInstance()->EncryptString(
                cipher, HostileXmlDocument(c, "DESetup", kDepth,
                                           "<Segments><S0>AAAA</S0><S1>BBBB</S1><S2>CCCC</S2><S3>DDDD</S3></Segments>")
                            .toStdString()));
        }
        const QString path = Home() + "/DESetup.xml";
        ASSERT_TRUE(kel_test::WriteFile(path, QByteArray::fromStdString(cipher)));
        DESetupConfig config;
        const SetupCipherKeys before = config.GetKeys();
        EXPECT_FALSE(config.Load(path));
        EXPECT_TRUE(config.Segments().isEmpty());
        EXPECT_EQ(config.GetKeys().key, before.key);
        EXPECT_EQ(config.GetKeys().iv, before.iv);
        EXPECT_EQ(kel_test::ReadFile(path), QByteArray::fromStdString(cipher));
    }
}

TEST(HostileXml, SettingsReaderReadsPastThem) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        const QString path = Write(c, "Settings.xml", "Settings", "<SpeedValue><Value>60</Value></SpeedValue>");
        const QByteArray bytes = kel_test::ReadFile(path);
        CSettingsStore store;
        EXPECT_TRUE(store.Load(path));
        EXPECT_EQ(store.GetValueText(SettingKey::SpeedValue), "60");
        EXPECT_EQ(kel_test::ReadFile(path), bytes);
    }
}

TEST(HostileXml, UninstallerConfigIsRefused) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        const QString path = Write(c, "AppConfig.xml", "AppConfig",
                                   "<GUID>{6F1C2A51-0000-4000-8000-000000000001}</GUID><InstallPath>/opt/</InstallPath>");
        const QByteArray bytes = kel_test::ReadFile(path);
        const appinstaller::AppConfig config(path);
        EXPECT_EQ(config.GetGUID(), "");
        EXPECT_EQ(config.GetVersion(), "");
        EXPECT_TRUE(config.GetComponents().empty());
        EXPECT_EQ(kel_test::ReadFile(path), bytes);
    }
}

// The update index may be 64 KB at most: nested 4,000 deep.
TEST(HostileXml, UpdateIndexIsRefused) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir().mkpath(Home() + "/srv"));
        Write(c, "srv/update.xml", "Update", "<Version>9.0</Version><Package>p.bin</Package>", 4000);
        upgrade::Upgrade up;
        up.setServerAddr(QUrl::fromLocalFile(Home() + "/srv/").toString().toStdString());
        std::string version = "unchanged";
        upgrade::tagAppProperty installed;
        installed.version = "1.0";
        EXPECT_FALSE(up.checkUpdate(version, installed));
        EXPECT_EQ(version, "unchanged");
    }
    // The same index without the nesting is an update: the refusal above is
    // the check's.
    ASSERT_TRUE(kel_test::WriteFile(Home() + "/srv/update.xml",
                                    "<?xml version=\"1.0\"?><Update><Version>9.0</Version><Package>p.bin</Package></Update>"));
    upgrade::Upgrade up;
    up.setServerAddr(QUrl::fromLocalFile(Home() + "/srv/").toString().toStdString());
    std::string version;
    upgrade::tagAppProperty installed;
    installed.version = "1.0";
    EXPECT_TRUE(up.checkUpdate(version, installed));
}

class HostileHandOver : public lorrimax_test::DialogTest {};

// The batch downloader reads neither file, says so, shows an empty table and
// leaves both files as they were.
TEST_F(HostileHandOver, BatchDownloaderSaysTheFilesCannotBeRead) {
    for (const HostileXml& c : HostileXmlCases()) {
        SCOPED_TRACE(c.name);
        presenter.calls.clear();
        const QString searched = Write(c, "SearchedFile.xml", "SearchedFile", "");
        const QString disks = Write(c, "DiskFile.xml", "DiskInfos", "<Disk><DiskName>E:\\</DiskName></Disk>");
        const QByteArray searchedBytes = kel_test::ReadFile(searched);
        const QByteArray diskBytes = kel_test::ReadFile(disks);
        Lorrimax& d = Make();
        d.LoadSearchedFiles();
        const QStringList expected = {QStringLiteral("The disk list \"DiskFile.xml\" cannot be read."),
                                      QStringLiteral("The search result \"SearchedFile.xml\" cannot be read.")};
        EXPECT_EQ(d.loadErrors(), expected);
        EXPECT_EQ(presenter.Texts(ziraz::DialogKind::Warning), QStringList{expected.join('\n')});
        EXPECT_TRUE(d.judgedDisks().empty());
        EXPECT_TRUE(d.entries().isEmpty());
        EXPECT_EQ(d.tableModel()->rowCount(), 0);
        EXPECT_EQ(kel_test::ReadFile(searched), searchedBytes);
        EXPECT_EQ(kel_test::ReadFile(disks), diskBytes);
    }
}

}  // namespace
