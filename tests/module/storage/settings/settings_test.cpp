// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include "storage/Settings.h"
#include "kel_test/test_support.h"

namespace {

QString Path(const char* name) { return kel_test::ProgramFolder() + "/" + name; }

bool Write(const char* name, const char* text) { return kel_test::WriteFile(Path(name), QByteArray(text)); }

TEST(Settings, KeyTable) {
    const char* names[kSettingKeyCount] = {
        "CaptureSaveType", "CaptureSavePath", "ClipPackageSize", "ClipSavePath", "DownloadPackageSize",
        "DownloadSavePath", "EvidenceVideoSavePath", "EvidencePictureSavePath", "DecodeFrameType", "SecretKey",
        "EnableSpeedAlarm", "SpeedUnitType", "SpeedValue", "VoicePath", "MapKey", "ChannelNum", "MapType",
        "DownloadVideoType"};
    for (int i = 0; i < kSettingKeyCount; ++i) EXPECT_EQ(SettingKeyName(i), names[i]);
    EXPECT_EQ(SettingKeyName(SettingKey::MapType), "MapType");
    EXPECT_EQ(SettingKeyName(-1), "");
    EXPECT_EQ(SettingKeyName(18), "");
}

TEST(Settings, EmptyStoreAndMissingFile) {
    CSettingsStore store;
    EXPECT_FALSE(store.Load(Path("nothing.xml")));
    for (int i = -1; i <= kSettingKeyCount; ++i) EXPECT_EQ(store.GetValue(i), nullptr);
    QString out = "stale";
    EXPECT_FALSE(store.GetValueText(SettingKey::ClipSavePath, &out));
    EXPECT_TRUE(out.isEmpty());
}

TEST(Settings, LoadReadsValuesAndDefaultsVoicePath) {
    ASSERT_TRUE(Write("Settings.xml",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Settings>\n"
                      "  <CaptureSaveType><Value>1</Value></CaptureSaveType>\n"
                      "  <DownloadSavePath><Value>D:/Video &amp; more/</Value></DownloadSavePath>\n"
                      "  <VoicePath><Value></Value></VoicePath>\n"
                      "  <MapKey><Value/></MapKey>\n"
                      "  <Custom><Value>x</Value></Custom>\n"
                      "</Settings>\n"));
    CSettingsStore store;
    ASSERT_TRUE(store.Load(Path("Settings.xml")));
    std::vector<CSettings*> all;
    store.GetAll(all);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[4]->GetKey(), "Custom");
    EXPECT_EQ(store.GetValue(SettingKey::CaptureSaveType)->GetValue(), "1");
    EXPECT_EQ(store.GetValueText(SettingKey::DownloadSavePath), "D:/Video & more/");
    EXPECT_EQ(store.GetValueText(SettingKey::VoicePath),
              QDir::cleanPath(kel_test::ProgramFolder() + "/alarm_input.wav"));
    ASSERT_NE(store.GetValue(SettingKey::MapKey), nullptr);
    EXPECT_EQ(store.GetValueText(SettingKey::MapKey), "");  // other empty values stay empty
    EXPECT_EQ(store.GetValue(SettingKey::SecretKey), nullptr);
}

TEST(Settings, KeyWithoutValueDoesNotTakeTheNextKeysValue) {
    ASSERT_TRUE(Write("Settings.xml",
                      "<Settings><ClipSavePath/><MapType><Other>o</Other></MapType>"
                      "<SpeedValue><Value>80</Value></SpeedValue></Settings>"));
    CSettingsStore store;
    ASSERT_TRUE(store.Load(Path("Settings.xml")));
    std::vector<CSettings*> all;
    store.GetAll(all);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(store.GetValueText(SettingKey::ClipSavePath), "");
    EXPECT_EQ(store.GetValueText(SettingKey::MapType), "");
    EXPECT_EQ(store.GetValueText(SettingKey::SpeedValue), "80");
}

TEST(Settings, DuplicatesAndRepeatedLoadsKeepTheFirst) {
    ASSERT_TRUE(Write("a.xml", "<Settings><SpeedValue><Value>60</Value></SpeedValue>"
                               "<SpeedValue><Value>70</Value></SpeedValue></Settings>"));
    ASSERT_TRUE(Write("b.xml", "<Settings><SpeedValue><Value>90</Value></SpeedValue></Settings>"));
    CSettingsStore store;
    ASSERT_TRUE(store.Load(Path("a.xml")));
    ASSERT_TRUE(store.Load(Path("b.xml")));
    std::vector<CSettings*> all;
    store.GetAll(all);
    EXPECT_EQ(all.size(), 3u);
    EXPECT_EQ(store.GetValueText(SettingKey::SpeedValue), "60");
}

TEST(Settings, MalformedFileKeepsWhatWasRead) {
    ASSERT_TRUE(Write("bad.xml", "<Settings><SpeedValue><Value>60</Value></SpeedValue><MapType><Value>2</Va"));
    CSettingsStore store;
    EXPECT_TRUE(store.Load(Path("bad.xml")));
    EXPECT_EQ(store.GetValueText(SettingKey::SpeedValue), "60");
}

// The reader streams: a key nested 100,000 levels deep is read past like any
// other, and the keys around it keep their values.
TEST(Settings, DeeplyNestedKeyIsReadPast) {
    const QByteArray deep = QByteArray("<x>").repeated(100000) + QByteArray("</x>").repeated(100000);
    ASSERT_TRUE(kel_test::WriteFile(Path("deep.xml"), "<Settings><SpeedValue><Value>60</Value></SpeedValue><MapKey>" +
                                                          deep + "</MapKey><MapType><Value>2</Value></MapType>"
                                                                 "</Settings>"));
    CSettingsStore store;
    EXPECT_TRUE(store.Load(Path("deep.xml")));
    EXPECT_EQ(store.GetValueText(SettingKey::SpeedValue), "60");
    EXPECT_EQ(store.GetValueText(SettingKey::MapKey), "");
    EXPECT_EQ(store.GetValueText(SettingKey::MapType), "2");
}

TEST(Settings, SaveWritesEntriesInOrderAndLoadsBack) {
    CSettingsStore store;
    std::vector<CSettings*> entries = {new CSettings("Zeta", "z"), new CSettings("CaptureSavePath", "C:/a<b>&\"c\""),
                                       new CSettings("SpeedValue", QString::fromUtf8("\xE8\xBD\xA6 80"))};
    store.ReplaceAll(entries);
    ASSERT_TRUE(store.Save(Path("Settings.xml")));
    QByteArray text = kel_test::ReadFile(Path("Settings.xml"));
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << text.constData();
    int zeta = text.indexOf("<Zeta>"), capture = text.indexOf("<CaptureSavePath>"), speed = text.indexOf("<SpeedValue>");
    EXPECT_TRUE(zeta > 0 && zeta < capture && capture < speed) << text.constData();

    CSettingsStore back;
    ASSERT_TRUE(back.Load(Path("Settings.xml")));
    std::vector<CSettings*> all;
    back.GetAll(all);
    ASSERT_EQ(all.size(), 3u);
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->GetKey(), entries[i]->GetKey());
        EXPECT_EQ(all[i]->GetValue(), entries[i]->GetValue());
    }
}

TEST(Settings, FailedSaveKeepsTheOldFile) {
    CSettingsStore store;
    store.SetValueText(SettingKey::SpeedValue, "55");
    ASSERT_TRUE(store.Save(Path("Settings.xml")));
    const QByteArray before = kel_test::ReadFile(Path("Settings.xml"));
    EXPECT_FALSE(store.Save(Path("no/such/folder/Settings.xml")));

    // A write that fails half-way (file size limit) must not touch the old file.
    store.SetValueText(SettingKey::SecretKey, QString(200000, QChar('k')));
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = store.Save(Path("Settings.xml"));
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(kel_test::ReadFile(Path("Settings.xml")), before);
    EXPECT_EQ(store.GetValueText(SettingKey::SecretKey).size(), 200000);  // memory keeps the new value
}

TEST(Settings, GetAllAndReplaceAllShareEntries) {
    CSettingsStore store;
    store.SetValueText(SettingKey::ClipSavePath, "c");
    std::vector<CSettings*> all = {nullptr};
    store.GetAll(all);
    ASSERT_EQ(all.size(), 1u);
    all[0]->SetValue("edited");
    EXPECT_EQ(store.GetValueText(SettingKey::ClipSavePath), "edited");
    all.push_back(new CSettings("MapType", "1"));
    all.push_back(nullptr);
    store.ReplaceAll(all);
    std::vector<CSettings*> now;
    store.GetAll(now);
    EXPECT_EQ(now.size(), 2u);
    EXPECT_EQ(store.GetValueText(SettingKey::MapType), "1");
    EXPECT_FALSE(store.SetValueText(42, "x"));
}

TEST(Settings, InstanceIsCreatedOnceAcrossThreads) {
    std::vector<std::thread> threads;
    std::vector<CSettingsStore*> seen(8, nullptr);
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = CSettingsStore::GetInstance(); });
    for (auto& t : threads) t.join();
    for (CSettingsStore* s : seen) EXPECT_EQ(s, CSettingsStore::GetInstance());
}

TEST(Settings, ReadersGetCopiesWhileThePageEdits) {
    CSettingsStore store;
    store.SetValueText(SettingKey::DownloadSavePath, "D:/start/");
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                QString v;
                if (!store.GetValueText(SettingKey::DownloadSavePath, &v) || !v.startsWith("D:/")) ++bad;
            }
        });
    }
    CSettings* entry = store.GetValue(SettingKey::DownloadSavePath);
    for (int i = 0; i < 2000; ++i) {
        entry->SetValue(QString("D:/folder%1/").arg(i));
        if (i % 100 == 0) {
            std::vector<CSettings*> all;
            store.GetAll(all);
            store.ReplaceAll(all);
        }
    }
    stop = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(store.GetValueText(SettingKey::DownloadSavePath), "D:/folder1999/");
}

}  // namespace
