// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAction>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QIntValidator>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <deque>
#include <set>
#include <sys/resource.h>

#include "common/MapKeyHolder.h"
#include "SettingPage/SettingWidget.h"
#include "storage/Settings.h"
#include "storage/SetupCipher.h"
#include "kel_test/read_only_folder.h"
#include "kel_test/test_support.h"
#include "wincompat/drives.h"
#include "ziraz/dialogs.h"

namespace {

// A folder of the program folder (so on a file system with room).
QString Folder(const QString& name) {
    const QString path = kel_test::ProgramFolder() + "/" + name + "/";
    QDir().mkpath(path);
    return path;
}

// A drive letter the drive table lacks: its free space cannot be read, so it
// counts as too small for every folder.
const char kNoSpaceFolder[] = "Q:/video/";

struct Shown {
    int pictureType;
    QString text;
    QSize size;
    QStringList icons;
};

class SettingPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString table = kel_test::ProgramFolder() + "/drives.txt";
        ASSERT_TRUE(kel_test::WriteFile(table, QString("letter C 0 fixed ext4 %1\n")
                                                   .arg(kel_test::ProgramFolder())
                                                   .toUtf8()));
        m_drives.reset(new kel_test::ScopedEnv("KEL_DRIVES", table.toStdString()));
        wincompat::ReloadDriveTable();

        m_presenter.reset(new ziraz::ScopedDialogPresenter([this](const ziraz::DialogCall& call) -> std::optional<int> {
            if (call.kind == ziraz::DialogKind::Warning) {
                m_shown.push_back({call.pictureType, call.text, call.size, call.icons});
                return 1;
            }
            if (call.kind == ziraz::DialogKind::Modal) {
                m_questions << call.dialog->findChild<QLabel*>("m_labelTip")->text();
                return m_modalAnswer;
            }
            return 1;
        }));
        m_oldChooser = SettingWidget::SetPathChooser(
            [this](QWidget*, bool directory, const QString& start, const QString& filter) -> QString {
                m_chooserStarts << start;
                m_chooserFilters << (directory ? QString("<dir>") : filter);
                if (m_answers.empty()) return QString();
                QString answer = m_answers.front();
                m_answers.pop_front();
                return answer;
            });
        MapKeyHolder::instance()->setKey(QString());
    }

    void TearDown() override {
        SettingWidget::SetPathChooser(m_oldChooser);
        m_presenter.reset();
        m_drives.reset();
        wincompat::ReloadDriveTable();
    }

    // The store gets exactly these entries (key id, value), in that order.
    static void FillStore(const std::vector<std::pair<int, QString>>& values) {
        std::vector<CSettings*> entries;
        for (const auto& v : values) entries.push_back(new CSettings(SettingKeyName(v.first), v.second));
        std::vector<CSettings*> old;
        CSettingsStore::GetInstance()->GetAll(old);
        CSettingsStore::GetInstance()->ReplaceAll(entries);
        // No page of an earlier test is left to hold them.
        for (CSettings* e : std::set<CSettings*>(old.begin(), old.end())) delete e;
    }

    // All 18 keys with folders that exist.
    std::vector<std::pair<int, QString>> FullValues() {
        return {{0, "1"},
                {1, Folder("pic")},
                {2, "256"},
                {3, Folder("clip")},
                {4, "512"},
                {5, Folder("down")},
                {6, Folder("evv")},
                {7, Folder("evp")},
                {8, "2"},
                {9, "secret_1"},
                {10, "2"},
                {11, "1"},
                {12, "80"},
                {13, ""},
                {14, "oldkey"},
                {15, "8"},
                {16, "1"},
                {17, "1"}};
    }

    QString SettingsPath() const { return kel_test::ProgramFolder() + "/Settings.xml"; }

    // Key names and values of a written Settings.xml, in file order.
    static std::vector<std::pair<QString, QString>> ReadSettingsFile(const QString& path) {
        std::vector<std::pair<QString, QString>> out;
        QDomDocument doc;
        if (!doc.setContent(kel_test::ReadFile(path))) return out;
        for (QDomElement e = doc.documentElement().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            out.emplace_back(e.tagName(), e.firstChildElement("Value").text());
        return out;
    }

    QStringList Texts() const {
        QStringList texts;
        for (const Shown& s : m_shown) texts << s.text;
        return texts;
    }

    template <typename T>
    static T* Child(SettingWidget& page, const char* name) {
        T* child = page.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    static void ClickSave(SettingWidget& page) { QTest::mouseClick(Child<QToolButton>(page, "saveBtn"), Qt::LeftButton); }

    std::unique_ptr<kel_test::ScopedEnv> m_drives;
    std::unique_ptr<ziraz::ScopedDialogPresenter> m_presenter;
    SettingWidget::PathChooser m_oldChooser;
    std::vector<Shown> m_shown;
    QStringList m_questions;
    int m_modalAnswer = 1;
    std::deque<QString> m_answers;
    QStringList m_chooserStarts, m_chooserFilters;
};

TEST_F(SettingPageTest, ControlsShowTheStoredValues) {
    auto values = FullValues();
    // The store's own order need not be the key order.
    std::reverse(values.begin(), values.end());
    FillStore(values);
    SettingWidget page;

    EXPECT_EQ(Child<QLineEdit>(page, "picSavePahtLineEdit")->text(), Folder("pic"));
    EXPECT_EQ(Child<QLineEdit>(page, "clipFileSavePathEdit")->text(), Folder("clip"));
    EXPECT_EQ(Child<QLineEdit>(page, "downLoadFileSavePathEdit")->text(), Folder("down"));
    EXPECT_EQ(Child<QLineEdit>(page, "evidenceVideoSavePathLineEdit")->text(), Folder("evv"));
    EXPECT_EQ(Child<QLineEdit>(page, "evidencePicSavePahtLineEdit")->text(), Folder("evp"));
    EXPECT_EQ(Child<QComboBox>(page, "decodeFrameTypeComboBox")->currentIndex(), 2);
    EXPECT_EQ(Child<QComboBox>(page, "decodeFrameTypeComboBox")->itemText(3), "Sixteen Speed Key Frame");
    EXPECT_EQ(Child<QLineEdit>(page, "secretKeyEdit")->text(), "secret_1");
    EXPECT_EQ(Child<QLineEdit>(page, "secretKeyEdit")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Child<QCheckBox>(page, "speedAlarmCheckBox")->checkState(), Qt::Checked);
    EXPECT_EQ(Child<QComboBox>(page, "speedUnitComboBox")->currentText(), "mile/h");
    EXPECT_EQ(Child<QLineEdit>(page, "speedEdit")->text(), "80");
    EXPECT_EQ(Child<QLineEdit>(page, "mapKeyLineEdit")->text(), "oldkey");
    EXPECT_EQ(Child<QLineEdit>(page, "m_pChannelNumberLineEdit")->text(), "8");
    EXPECT_TRUE(Child<QRadioButton>(page, "googlemapRadioBtn")->isChecked());
    EXPECT_FALSE(Child<QRadioButton>(page, "osmRadioBtn")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(page, "mp4RadioBtn")->isChecked());
    // Google Map: the key may be edited; miles: speeds up to 620.
    EXPECT_TRUE(Child<QLineEdit>(page, "mapKeyLineEdit")->isEnabled());
    auto* speedRange = qobject_cast<const QIntValidator*>(Child<QLineEdit>(page, "speedEdit")->validator());
    ASSERT_NE(speedRange, nullptr);
    EXPECT_EQ(speedRange->top(), 620);
    // Folder and voice edits change only through their choosers.
    for (const char* name : {"picSavePahtLineEdit", "voiceEdit", "evidencePicSavePahtLineEdit"}) {
        EXPECT_TRUE(Child<QLineEdit>(page, name)->isReadOnly()) << name;
        EXPECT_EQ(Child<QLineEdit>(page, name)->maxLength(), 128) << name;
    }

    // The radio pairs are exclusive once loaded.
    Child<QRadioButton>(page, "osmRadioBtn")->click();
    EXPECT_FALSE(Child<QRadioButton>(page, "googlemapRadioBtn")->isChecked());
    EXPECT_FALSE(Child<QLineEdit>(page, "mapKeyLineEdit")->isEnabled());
}

// A fresh program folder: the empty voice file is the shipped alarm sound,
// and Save takes it; a cleared field is saved empty.
TEST_F(SettingPageTest, FreshProgramFolderSavesWithTheShippedAlarmSound) {
    const QString shipped = QStringLiteral(KEL_SHIPPED_ALARM_SOUND);
    ASSERT_TRUE(QFile::exists(shipped));
    const QString own = kel_test::ProgramFolder() + "/alarm_input.wav";
    QFile::remove(own);
    ASSERT_TRUE(QFile::copy(shipped, own));
    const QByteArray wav = kel_test::ReadFile(own);
    ASSERT_GT(wav.size(), 44);
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");

    ASSERT_TRUE(kel_test::WriteFile(SettingsPath(),
                                    "<?xml version=\"1.0\"?><Settings><VoicePath><Value></Value></VoicePath></Settings>"));
    FillStore({});
    ASSERT_TRUE(CSettingsStore::GetInstance()->Load(SettingsPath()));
    SettingWidget page;
    page.show();
    auto* voice = Child<QLineEdit>(page, "voiceEdit");
    EXPECT_EQ(voice->text(), QDir::cleanPath(own));
    ClickSave(page);
    EXPECT_EQ(Texts(), QStringList{"Save successful."});

    QAction* clear = voice->findChild<QAction*>("clearVoiceAction");
    ASSERT_TRUE(clear);
    EXPECT_TRUE(clear->isVisible());
    clear->trigger();
    EXPECT_EQ(voice->text(), "");
    EXPECT_FALSE(clear->isVisible());
    m_shown.clear();
    ClickSave(page);
    EXPECT_EQ(Texts(), QStringList{"Save successful."});
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::VoicePath), "");
    EXPECT_EQ(DefaultVoicePath(), QDir::cleanPath(own));
}

TEST_F(SettingPageTest, MissingKeysShowDefaultsAndAreWrittenByTheNextSave) {
    FillStore({{8, "1"}});
    SettingWidget page;
    EXPECT_EQ(Child<QLineEdit>(page, "picSavePahtLineEdit")->text(), "C:/");
    EXPECT_EQ(Child<QLineEdit>(page, "evidenceVideoSavePathLineEdit")->text(), "C:/");
    EXPECT_EQ(Child<QLineEdit>(page, "m_pChannelNumberLineEdit")->text(), "16");
    EXPECT_EQ(Child<QLineEdit>(page, "speedEdit")->text(), "");
    EXPECT_EQ(Child<QCheckBox>(page, "speedAlarmCheckBox")->checkState(), Qt::Unchecked);
    EXPECT_EQ(Child<QComboBox>(page, "decodeFrameTypeComboBox")->currentIndex(), 1);
    EXPECT_TRUE(Child<QRadioButton>(page, "osmRadioBtn")->isChecked());
    EXPECT_TRUE(Child<QRadioButton>(page, "psRadioBtn")->isChecked());
    EXPECT_FALSE(Child<QLineEdit>(page, "mapKeyLineEdit")->isEnabled());

    Child<QComboBox>(page, "decodeFrameTypeComboBox")->setCurrentIndex(0);
    ClickSave(page);
    EXPECT_EQ(Texts(), QStringList{"Save successful."});
    const auto written = ReadSettingsFile(SettingsPath());
    // The edited keys in key order, the untouched keys the store lacked left out.
    std::vector<QString> keys;
    for (const auto& kv : written) keys.push_back(kv.first);
    std::vector<QString> expected;
    for (int id : {1, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}) expected.push_back(SettingKeyName(id));
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::ChannelNum), "16");
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::DecodeFrameType), "0");
}

TEST_F(SettingPageTest, SaveWritesEveryKeyInOrderAndTellsTheMap) {
    FillStore(FullValues());
    SettingWidget page;
    QSignalSpy reload(&page, &SettingWidget::signalReloadMap);
    QSignalSpy decode(&page, &SettingWidget::signalDecodeFrameTypeChanged);

    const QString voice = kel_test::ProgramFolder() + "/alarm.wav";
    ASSERT_TRUE(kel_test::WriteFile(voice, "RIFF"));
    Child<QComboBox>(page, "decodeFrameTypeComboBox")->setCurrentIndex(3);
    Child<QLineEdit>(page, "secretKeyEdit")->setText("k_2");
    Child<QComboBox>(page, "speedUnitComboBox")->setCurrentIndex(0);
    Child<QLineEdit>(page, "speedEdit")->setText("120");
    page.setPictureSavePath(Folder("pic2"));
    m_answers = {voice};
    Child<QToolButton>(page, "voiceSaveBtn")->click();
    EXPECT_EQ(m_chooserFilters.value(0), "Audio(*.wav *.mp3 *.wma)");
    Child<QLineEdit>(page, "mapKeyLineEdit")->setText("  newkey_9 ");
    Child<QRadioButton>(page, "osmRadioBtn")->click();
    Child<QLineEdit>(page, "m_pChannelNumberLineEdit")->setText(" 4 ");
    Child<QRadioButton>(page, "psRadioBtn")->click();

    ClickSave(page);
    ASSERT_EQ(m_shown.size(), 1u);
    EXPECT_EQ(m_shown[0].text, "Save successful.");
    EXPECT_EQ(m_shown[0].pictureType, 0);
    EXPECT_EQ(m_shown[0].icons.value(2), ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");

    const auto written = ReadSettingsFile(SettingsPath());
    ASSERT_EQ(written.size(), 18u);
    const std::vector<QString> want = {"1",      Folder("pic2"), "256",  Folder("clip"), "512", Folder("down"),
                                       Folder("evv"), Folder("evp"), "3", "k_2", "2", "0",
                                       "120",    voice,          "newkey_9", "4",      "0",   "0"};
    for (int id = 0; id < 18; ++id) {
        EXPECT_EQ(written[id].first, SettingKeyName(id)) << id;
        EXPECT_EQ(written[id].second, want[id]) << SettingKeyName(id).toStdString();
    }
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SpeedValue), "120");

    // The key file holds the new key enciphered; the map gets the plain key.
    const QByteArray keyFile = kel_test::ReadFile(kel_test::ProgramFolder() + "/map/api.txt");
    ASSERT_FALSE(keyFile.isEmpty());
    EXPECT_FALSE(keyFile.contains("newkey_9"));
    std::string plain;
    ASSERT_TRUE(SetupCipher::GetInstance()->DecryptString(plain, keyFile.toStdString()));
    EXPECT_EQ(plain, "newkey_9");
    EXPECT_EQ(MapKeyHolder::instance()->key(), "newkey_9");
    // Key and map type both changed: one reload for each.
    EXPECT_EQ(reload.count(), 2);
    EXPECT_EQ(decode.count(), 1);

    // Saving again with nothing changed says so and writes nothing.
    QFile::remove(SettingsPath());
    m_shown.clear();
    ClickSave(page);
    EXPECT_EQ(Texts(), QStringList{"Save successful."});
    EXPECT_FALSE(QFile::exists(SettingsPath()));
    EXPECT_EQ(reload.count(), 2);
}

TEST_F(SettingPageTest, OnlyTheMapTypeOrOnlyTheKeyReloadsTheMapOnce) {
    FillStore(FullValues());
    {
        SettingWidget page;
        QSignalSpy reload(&page, &SettingWidget::signalReloadMap);
        Child<QRadioButton>(page, "osmRadioBtn")->click();
        ClickSave(page);
        EXPECT_EQ(reload.count(), 1);
        EXPECT_FALSE(QFile::exists(kel_test::ProgramFolder() + "/map/api.txt"));
    }
    {
        SettingWidget page;
        QSignalSpy reload(&page, &SettingWidget::signalReloadMap);
        Child<QRadioButton>(page, "googlemapRadioBtn")->click();
        ClickSave(page);
        EXPECT_EQ(reload.count(), 1);
        Child<QLineEdit>(page, "mapKeyLineEdit")->setText("other");
        ClickSave(page);
        EXPECT_EQ(reload.count(), 2);
        EXPECT_TRUE(QFile::exists(kel_test::ProgramFolder() + "/map/api.txt"));
        EXPECT_EQ(MapKeyHolder::instance()->key(), "other");
    }
}

TEST_F(SettingPageTest, InvalidValuesAreRefusedAndNothingIsStored) {
    struct Case {
        const char* name;
        std::function<void(SettingWidget&)> edit;
        const char* warning;
        const char* revertedEdit;  // a folder edit that shows the stored folder again
    };
    const std::vector<Case> cases = {
        {"empty speed", [](SettingWidget& p) { Child<QLineEdit>(p, "speedEdit")->setText(""); }, "Invalid Speed.",
         nullptr},
        {"zero speed", [](SettingWidget& p) { Child<QLineEdit>(p, "speedEdit")->setText("0"); }, "Invalid Speed.",
         nullptr},
        {"missing voice", [](SettingWidget& p) { Child<QLineEdit>(p, "voiceEdit")->setText("/no/such/file.wav"); },
         "Voice File do not exist.", nullptr},
        {"no channels", [](SettingWidget& p) { Child<QLineEdit>(p, "m_pChannelNumberLineEdit")->setText(""); },
         "Invalid Channel Num.", nullptr},
        {"17 channels", [](SettingWidget& p) { Child<QLineEdit>(p, "m_pChannelNumberLineEdit")->setText("17"); },
         "Invalid Channel Num.", nullptr},
        {"evidence video room", [](SettingWidget& p) { p.setEvidenceVideoSavePath(kNoSpaceFolder); },
         "Evidence video at least 2G disk space is need.", nullptr},
        {"evidence picture room", [](SettingWidget& p) { p.setEvidencePictureSavePath(kNoSpaceFolder); },
         "Evidence picture at least 512M disk space is need.", nullptr},
        {"picture room", [](SettingWidget& p) { p.setPictureSavePath(kNoSpaceFolder); },
         "Clip picture at least 512M disk space is need.", "picSavePahtLineEdit"},
        {"clip room", [](SettingWidget& p) { p.setClipSavePath(kNoSpaceFolder); },
         "Clip video at least 2G disk space is need.", "clipFileSavePathEdit"},
        {"download room", [](SettingWidget& p) { p.setDownloadSavePath(kNoSpaceFolder); },
         "Download video at least 2G disk space is need.", "downLoadFileSavePathEdit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FillStore(FullValues());
        m_shown.clear();
        SettingWidget page;
        QSignalSpy reload(&page, &SettingWidget::signalReloadMap);
        Child<QLineEdit>(page, "secretKeyEdit")->setText("changed");
        Child<QRadioButton>(page, "osmRadioBtn")->click();
        c.edit(page);
        ClickSave(page);
        ASSERT_EQ(m_shown.size(), 1u);
        EXPECT_EQ(m_shown[0].text, c.warning);
        EXPECT_EQ(m_shown[0].pictureType, 2);
        EXPECT_EQ(m_shown[0].size, QSize(310, 120));
        EXPECT_FALSE(QFile::exists(SettingsPath()));
        EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SecretKey), "secret_1");
        EXPECT_EQ(reload.count(), 0);
        if (c.revertedEdit) {
            EXPECT_NE(Child<QLineEdit>(page, c.revertedEdit)->text(), kNoSpaceFolder);
        }
    }
}

TEST_F(SettingPageTest, SpeedIsCheckedOnlyWhileTheAlarmIsOn) {
    FillStore(FullValues());
    SettingWidget page;
    Child<QCheckBox>(page, "speedAlarmCheckBox")->setCheckState(Qt::Unchecked);
    Child<QLineEdit>(page, "speedEdit")->setText("0");
    ClickSave(page);
    EXPECT_EQ(Texts(), QStringList{"Save successful."});
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::EnableSpeedAlarm), "0");
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SpeedValue), "0");
}

TEST_F(SettingPageTest, SwitchingToMilesLimitsOnlyNewInput) {
    FillStore(FullValues());
    SettingWidget page;
    QLineEdit* speed = Child<QLineEdit>(page, "speedEdit");
    Child<QComboBox>(page, "speedUnitComboBox")->setCurrentIndex(0);
    speed->clear();
    QTest::keyClicks(speed, "999");
    EXPECT_EQ(speed->text(), "999");
    EXPECT_TRUE(speed->hasAcceptableInput());
    Child<QComboBox>(page, "speedUnitComboBox")->setCurrentIndex(1);
    EXPECT_EQ(speed->text(), "999");
    EXPECT_FALSE(speed->hasAcceptableInput());
    speed->clear();
    QTest::keyClicks(speed, "620");
    EXPECT_TRUE(speed->hasAcceptableInput());
    speed->clear();
    QTest::keyClicks(speed, "1000");
    EXPECT_EQ(speed->text(), "100");
}

TEST_F(SettingPageTest, FolderChoosers) {
    FillStore(FullValues());
    SettingWidget page;
    QLineEdit* pic = Child<QLineEdit>(page, "picSavePahtLineEdit");
    QToolButton* choose = Child<QToolButton>(page, "savePicBtn");

    // A folder without a trailing "/" gets one; the store is not touched yet.
    const QString chosen = Folder("chosen");
    m_answers = {chosen.left(chosen.size() - 1)};
    choose->click();
    EXPECT_EQ(m_chooserStarts.value(0), Folder("pic"));
    EXPECT_EQ(pic->text(), chosen);
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::CaptureSavePath), Folder("pic"));
    EXPECT_TRUE(m_shown.empty());

    // Cancelled: nothing changes.
    m_answers = {QString()};
    choose->click();
    EXPECT_EQ(pic->text(), chosen);

    // Too little room: warning, and the stored folder is shown again.
    m_answers = {kNoSpaceFolder};
    choose->click();
    EXPECT_EQ(Texts(), QStringList{"Clip picture at least 512M disk space is need."});
    EXPECT_EQ(pic->text(), Folder("pic"));

    // Too long: warning, and the start folder is taken.
    m_shown.clear();
    m_answers = {"/" + QString(200, 'a')};
    Child<QToolButton>(page, "evidenceVideoSaveBtn")->click();
    EXPECT_EQ(Texts(), QStringList{"The file path is too long."});
    EXPECT_EQ(Child<QLineEdit>(page, "evidenceVideoSavePathLineEdit")->text(), Folder("evv"));

    // Each chooser names its own warning.
    const std::vector<std::pair<const char*, const char*>> buttons = {
        {"clipFileSaveBtn", "Clip video at least 2G disk space is need."},
        {"downLoadFileSaveBtn", "Download video at least 2G disk space is need."},
        {"evidenceVideoSaveBtn", "Evidence video at least 2G disk space is need."},
        {"evidencePicSavePahtBtn", "Evidence picture at least 512M disk space is need."}};
    for (const auto& b : buttons) {
        m_shown.clear();
        m_answers = {kNoSpaceFolder};
        Child<QToolButton>(page, b.first)->click();
        EXPECT_EQ(Texts(), QStringList{b.second});
    }
}

// While the object lives, files written by this process may not grow past
// `bytes`; writes beyond fail instead of raising the signal.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old;
    void (*m_oldHandler)(int);
};

TEST_F(SettingPageTest, AFailedSaveKeepsTheFileAndTheValues) {
    FillStore(FullValues());
    const QByteArray old = "<?xml version=\"1.0\"?><Settings><SecretKey><Value>secret_1</Value></SecretKey></Settings>";
    ASSERT_TRUE(kel_test::WriteFile(SettingsPath(), old));
    SettingWidget page;
    QSignalSpy reload(&page, &SettingWidget::signalReloadMap);
    Child<QLineEdit>(page, "secretKeyEdit")->setText("changed");
    Child<QLineEdit>(page, "mapKeyLineEdit")->setText("newkey");
    Child<QRadioButton>(page, "osmRadioBtn")->click();
    {
        ScopedFileSizeLimit limit(64);
        ClickSave(page);
    }
    // The message names the file and why it could not be written.
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_EQ(Texts()[0].toStdString(), QString("Saving failed: %1 cannot be written (File too large). The settings "
                                                "stay as they were.")
                                            .arg(SettingsPath())
                                            .toStdString());
    EXPECT_EQ(kel_test::ReadFile(SettingsPath()), old);
    // Nothing half-applied: the store keeps every old value, no key file.
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SecretKey), "secret_1");
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::MapType), "1");
    EXPECT_EQ(reload.count(), 0);
    EXPECT_FALSE(QFile::exists(kel_test::ProgramFolder() + "/map/api.txt"));
    EXPECT_EQ(MapKeyHolder::instance()->key(), "");

    // The edits are still on the page: a later save goes through.
    m_shown.clear();
    ClickSave(page);
    EXPECT_EQ(Texts(), QStringList{"Save successful."});
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SecretKey), "changed");
    EXPECT_EQ(reload.count(), 2);
}

// A program folder on a read-only medium: the message names the settings
// file and the reason; the file and the values stay.
TEST_F(SettingPageTest, AReadOnlyProgramFolderIsNamed) {
    FillStore(FullValues());
    const QByteArray old = "<?xml version=\"1.0\"?><Settings><SecretKey><Value>secret_1</Value></SecretKey></Settings>";
    ASSERT_TRUE(kel_test::WriteFile(SettingsPath(), old));
    SettingWidget page;
    Child<QLineEdit>(page, "secretKeyEdit")->setText("changed");
    {
        kel_test::ScopedReadOnlyFolder readOnly(kel_test::ProgramFolder());
        if (!readOnly.ok()) GTEST_SKIP() << readOnly.why();
        ClickSave(page);
    }
    ASSERT_EQ(Texts().size(), 1);
    EXPECT_EQ(Texts()[0].toStdString(), QString("Saving failed: %1 cannot be written (Read-only file system). The "
                                                "settings stay as they were.")
                                            .arg(SettingsPath())
                                            .toStdString());
    EXPECT_EQ(kel_test::ReadFile(SettingsPath()), old);
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SecretKey), "secret_1");
}

TEST_F(SettingPageTest, LeavingThePageAsksOnlyWhenSomethingChanged) {
    FillStore(FullValues());
    SettingWidget page;
    page.isNeedSave();
    EXPECT_TRUE(m_questions.isEmpty());

    // Declined: every widget shows the stored values again.
    Child<QLineEdit>(page, "secretKeyEdit")->setText("changed");
    page.setClipSavePath(Folder("elsewhere"));
    Child<QRadioButton>(page, "osmRadioBtn")->click();
    m_modalAnswer = 0;
    page.isNeedSave();
    EXPECT_EQ(m_questions, QStringList{"Save new settings?"});
    EXPECT_EQ(Child<QLineEdit>(page, "secretKeyEdit")->text(), "secret_1");
    EXPECT_EQ(Child<QLineEdit>(page, "clipFileSavePathEdit")->text(), Folder("clip"));
    EXPECT_TRUE(Child<QRadioButton>(page, "googlemapRadioBtn")->isChecked());
    EXPECT_FALSE(QFile::exists(SettingsPath()));

    // Accepted: saved with the usual checks.
    Child<QLineEdit>(page, "secretKeyEdit")->setText("changed");
    m_modalAnswer = 1;
    page.isNeedSave();
    EXPECT_EQ(Texts(), QStringList{"Save successful."});
    EXPECT_EQ(CSettingsStore::GetInstance()->GetValueText(SettingKey::SecretKey), "changed");
    EXPECT_TRUE(QFile::exists(SettingsPath()));
}

}  // namespace
