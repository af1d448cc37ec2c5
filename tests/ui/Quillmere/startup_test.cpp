// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: settings file, screen fitting, "DESetup.xml" and the map key.
#include <gtest/gtest.h>

#include <QDir>
#include <QWidget>

#include "Quillmere/KelStartup.h"
#include "Quillmere/Quillmere.h"
#include "common/MapKeyHolder.h"
#include "storage/Settings.h"
#include "storage/SetupCipher.h"
#include "kel_test/test_support.h"
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
