// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: settings file, screen fitting, "DESetup.xml" and the map key.
#include <gtest/gtest.h>

#include <QDir>
#include <QWidget>

#include <optional>
#include <vector>

#include "Quillmere/KelStartup.h"
#include "Quillmere/Quillmere.h"
#include "common/MapKeyHolder.h"
#include "storage/Settings.h"
#include "storage/SetupCipher.h"
#include "kel_test/read_only_folder.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"
#include "ziraz/dialogs.h"
#include "ziraz/ziraz.h"

namespace {

// Puts the cipher's key pair back after each test.
class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        m_saved = SetupCipher::GetInstance()->CurrentKeys();
        SetupCipher::GetInstance()->SwapKeys(DefaultCipherKeys());
        home = kel_test::ProgramFolder() + "/";
        MapKeyHolder::instance()->setKey("stale");
    }
    void TearDown() override { SetupCipher::GetInstance()->SwapKeys(m_saved); }

    static QByteArray Encipher(const QString& text, const SetupCipherKeys& keys) {
        ScopedCipherKeys scoped(keys);
        std::string out;
        EXPECT_TRUE(SetupCipher::GetInstance()->EncryptString(out, text.toStdString()));
        return QByteArray::fromStdString(out);
    }
    static QString SetupXml(const QStringList& segments) {
        QString xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DESetup><Version>1</Version><Segments>";
        for (int i = 0; i < segments.size(); ++i) xml += QString("<S%1>%2</S%1>").arg(i).arg(segments[i]);
        return xml + "</Segments></DESetup>";
    }

    QString home;

private:
    SetupCipherKeys m_saved;
};

bool SameKeys(const SetupCipherKeys& a, const SetupCipherKeys& b) { return a.key == b.key && a.iv == b.iv; }

TEST_F(StartupTest, FirstStartMakesTheSetupFileFromTheBenchmark) {
    const QStringList benchmarkSegments = {"AAAA", "BBBB", "CCCC", "DDDD"};
    QDir().mkpath(home + "maintain");
    kel_test::WriteFile(home + "maintain/DESetup.xml.benchmark", Encipher(SetupXml(benchmarkSegments), SetupFileCipherKeys()));

    { Quillmere window; }
    ASSERT_TRUE(QFile::exists(home + "DESetup.xml"));
    const QStringList segments = DESetupConfig::instance()->Segments();
    ASSERT_EQ(segments.size(), 4);
    for (const QString& s : segments) {
        EXPECT_FALSE(benchmarkSegments.contains(s));
        EXPECT_EQ(s.size(), 32);
    }
    SetupCipherKeys expected;
    ASSERT_TRUE(DeriveSegmentKeys(segments, &expected));
    EXPECT_TRUE(SameKeys(SetupCipher::GetInstance()->CurrentKeys(), expected));

    // A second start only loads the file.
    const QByteArray written = kel_test::ReadFile(home + "DESetup.xml");
    SetupCipher::GetInstance()->SwapKeys(DefaultCipherKeys());
    { Quillmere window; }
    EXPECT_EQ(kel_test::ReadFile(home + "DESetup.xml"), written);
    EXPECT_EQ(DESetupConfig::instance()->Segments(), segments);
    EXPECT_TRUE(SameKeys(SetupCipher::GetInstance()->CurrentKeys(), expected));
}

TEST_F(StartupTest, MapKeyIsReadWithTheKeysOfTheSetupFile) {
    const QStringList segments = {"11112222", "33334444", "55556666", "77778888"};
    kel_test::WriteFile(home + "DESetup.xml", Encipher(SetupXml(segments), SetupFileCipherKeys()));
    SetupCipherKeys keys;
    ASSERT_TRUE(DeriveSegmentKeys(segments, &keys));
    QDir().mkpath(home + "map");
    kel_test::WriteFile(home + "map/api.txt", Encipher("Key_Of_The_Map_42", keys));

    Quillmere window;
    EXPECT_EQ(MapKeyHolder::instance()->key(), "Key_Of_The_Map_42");
}

TEST_F(StartupTest, WithoutSetupFilesTheBuiltInKeysStay) {
    QDir().mkpath(home + "map");
    kel_test::WriteFile(home + "map/api.txt", Encipher("PlainDefaultKey", DefaultCipherKeys()));
    Quillmere window;
    EXPECT_FALSE(QFile::exists(home + "DESetup.xml"));
    EXPECT_TRUE(SameKeys(SetupCipher::GetInstance()->CurrentKeys(), DefaultCipherKeys()));
    EXPECT_EQ(MapKeyHolder::instance()->key(), "PlainDefaultKey");
}

TEST_F(StartupTest, BadBenchmarkLeavesNoSetupFileBehind) {
    QDir().mkpath(home + "maintain");
    kel_test::WriteFile(home + "maintain/DESetup.xml.benchmark", "not enciphered at all");
    { Quillmere window; }
    // The copy could not be given its own segments, so it is not kept for
    // the next start to mistake for this installation's file.
    EXPECT_FALSE(QFile::exists(home + "DESetup.xml"));
    EXPECT_TRUE(SameKeys(SetupCipher::GetInstance()->CurrentKeys(), DefaultCipherKeys()));
}

TEST_F(StartupTest, MapKeyMissingOrUndecipherableIsEmpty) {
    { Quillmere window; }
    EXPECT_EQ(MapKeyHolder::instance()->key(), "");
    QDir().mkpath(home + "map");
    for (const QByteArray& content : {QByteArray(), QByteArray("@@not base64@@"), QByteArray("QUJDRA==")}) {
        MapKeyHolder::instance()->setKey("stale");
        kel_test::WriteFile(home + "map/api.txt", content);
        Quillmere window;
        EXPECT_EQ(MapKeyHolder::instance()->key(), "") << content.constData();
    }
}

TEST(Startup, SettingsFileMissingThenPresent) {
    CSettingsStore* store = CSettingsStore::GetInstance();
    EXPECT_FALSE(KelStartup::LoadSettings());
    EXPECT_EQ(store->GetValue(SettingKey::DownloadSavePath), nullptr);

    kel_test::WriteFile(kel_test::ProgramFolder() + "/Settings.xml",
                        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>"
                        "<DownloadSavePath><Value>/data/down/</Value></DownloadSavePath>"
                        "<ChannelNum><Value>8</Value></ChannelNum>"
                        "<VoicePath><Value></Value></VoicePath></Settings>");
    EXPECT_TRUE(KelStartup::LoadSettings());
    EXPECT_EQ(store->GetValueText(SettingKey::DownloadSavePath), "/data/down/");
    EXPECT_EQ(store->GetValueText(SettingKey::ChannelNum), "8");
    EXPECT_EQ(store->GetValueText(SettingKey::VoicePath), ziraz::GetTargetPathFile("alarm_input.wav"));
}

TEST(Startup, FitToScreen) {
    struct Case {
        QRect available;
        QSize size;
        QSize minimum;
        bool atOrigin;
    };
    const Case cases[] = {
        {QRect(0, 0, 1920, 1040), QSize(1270, 760), QSize(1270, 760), false},
        {QRect(0, 0, 720, 720), QSize(1270, 760), QSize(1270, 760), false},  // not below 720: large branch
        {QRect(0, 0, 1024, 700), QSize(1024, 700), QSize(1024, 700), true},
        {QRect(0, 0, 700, 900), QSize(700, 900), QSize(700, 900), true},
    };
    for (const Case& c : cases) {
        QWidget window;
        window.setMinimumSize(1270, 760);
        window.setMaximumSize(10000, 10000);
        window.move(50, 60);
        window.show();
        KelStartup::FitToScreen(&window, c.available);
        EXPECT_EQ(window.size(), c.size) << c.available.width() << "x" << c.available.height();
        EXPECT_EQ(window.minimumSize(), c.minimum);
        if (c.atOrigin) {
            EXPECT_EQ(window.pos(), QPoint(0, 0));
        }
    }
    KelStartup::FitToScreen(nullptr, QRect(0, 0, 10, 10));
}

}  // namespace

// A program folder that is missing or cannot be written, and a drive table
// that cannot be read, are said at the start, with what follows from them
// and where: once, in one message.
TEST(Startup, WrongProgramFoldersAreSaid) {
    const QString root = kel_test::ProgramFolder();
    const QString elsewhere = root + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere + "/home/translations"));
    ASSERT_TRUE(kel_test::WriteFile(elsewhere + "/home/translations/Quillmere_en.qm", "x"));
    ASSERT_TRUE(QDir().mkpath(root + "/saves"));
    auto* store = CSettingsStore::GetInstance();
    const QString savedPath = store->GetValueText(SettingKey::DownloadSavePath);

    {
        // KEL_HOME names a folder that is not there; nothing to save to.
        kel_test::ScopedEnv home("KEL_HOME", (elsewhere + "/missing").toStdString());
        store->SetValueText(SettingKey::DownloadSavePath, "");
        EXPECT_EQ(KelStartup::StartupProblems(),
                  QString("The program folder %1/missing named by KEL_HOME does not exist. It holds no translations: "
                          "the texts are shown untranslated. Settings cannot be kept. Nothing can be saved: no "
                          "folder to save to is set that can be written. Correct KEL_HOME, or prepare the folder "
                          "with scripts/prepare-home.sh.")
                      .arg(elsewhere));
    }
    {
        // A read-only program folder; downloads go to a folder that can be
        // written. The drive table file is gone as well.
        kel_test::ScopedEnv home("KEL_HOME", (elsewhere + "/home").toStdString());
        kel_test::ScopedEnv drives("KEL_DRIVES", (root + "/no-drives.txt").toStdString());
        wincompat::ReloadDriveTable();
        store->SetValueText(SettingKey::DownloadSavePath, root + "/saves/Download/");
        kel_test::ScopedReadOnlyFolder readOnly(elsewhere + "/home");
        if (!readOnly.ok()) GTEST_SKIP() << readOnly.why();
        const QString expected =
            QString("The program folder %1/home cannot be written to. Settings cannot be kept. Downloads, clips and "
                    "snapshots are saved to the folders the settings name (downloads: %2/saves/Download/). Correct "
                    "KEL_HOME, or prepare the folder with scripts/prepare-home.sh.\n\n"
                    "The drive table %2/no-drives.txt (named by KEL_DRIVES) cannot be read: No such file or "
                    "directory. No disk is listed; correct the file or unset KEL_DRIVES to list the disks of this "
                    "computer, then press Refresh.")
                .arg(elsewhere, root);
        EXPECT_EQ(KelStartup::StartupProblems(), expected);
        std::vector<ziraz::DialogCall> calls;
        {
            ziraz::ScopedDialogPresenter dialogs([&](const ziraz::DialogCall& c) -> std::optional<int> {
                calls.push_back(c);
                return 0;
            });
            QWidget window;
            KelStartup::ShowStartupProblems(&window);
        }
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].kind, ziraz::DialogKind::Warning);
        EXPECT_EQ(calls[0].text, expected);
    }
    wincompat::ReloadDriveTable();
    // A folder that can be written: nothing to say.
    EXPECT_EQ(KelStartup::StartupProblems(), QString());
    store->SetValueText(SettingKey::DownloadSavePath, savedPath);
}
