// SPDX-License-Identifier: GPL-3.0-or-later
// The clip dialog: input checks, the recordings it chooses, a clip cut from
// a real recording into the clip folder, and "All Windows": one clip per
// window, each of its own channel, made one after the other.
#include "PlaybackWindow/VideoCutWidget.h"
#include "storage/DiskEnum.h"
#include "media_fixture.h"
#include "platform/fallowin/mp4_probe.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QPushButton>

#include <sys/statvfs.h>

#include <cstring>
#include <map>
#include <set>

// A folder whose path holds "/nearly_full" reports 16 free blocks.
extern "C" int __real_statvfs(const char* path, struct statvfs* buf);
extern "C" int __wrap_statvfs(const char* path, struct statvfs* buf) {
    const int rc = __real_statvfs(path, buf);
    if (rc == 0 && path && std::strstr(path, "/nearly_full")) buf->f_bavail = 16;
    return rc;
}

using namespace media_fixture;
using APT_QMR::CSingleFile;
using APT_QMR::DownloadAllDone;
using APT_QMR::DownloadDiskSpaceLow;
using APT_QMR::DownloadFailed;

namespace {

const int kChannels = 3;

// The pictures of a channel's recording as a decoder shows them (the
// channels' recordings differ in every picture).
const std::set<uint64_t>& ChannelPictures(int channel) {
    static std::map<int, std::set<uint64_t>> pictures;
    auto it = pictures.find(channel);
    if (it != pictures.end()) return it->second;
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(RecordingPath(channel), true, true);
    EXPECT_GT(probe.decodedFrames, 0) << "channel " << channel;
    return pictures[channel] = std::set<uint64_t>(probe.pictureHashes.begin(), probe.pictureHashes.end());
}

// A saved clip opens and decodes from its first picture to its last, holds
// `seconds` of pictures (10 a second), and every picture in it is one of
// `channel`'s.
void ExpectClipOfChannel(const QString& path, int channel, int seconds) {
    SCOPED_TRACE(path.toStdString());
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(path.toStdString(), true);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.decodedFrames, seconds * 10);
    EXPECT_NEAR(probe.duration, seconds, 0.15);
    EXPECT_NEAR(probe.lastTime - probe.firstTime, seconds - 0.1, 0.05);
    int own = 0;
    std::map<int, int> foreign;
    for (uint64_t hash : probe.pictureHashes) {
        if (ChannelPictures(channel).count(hash)) ++own;
        for (int other = 1; other <= kChannels; ++other)
            if (other != channel && ChannelPictures(other).count(hash)) ++foreign[other];
    }
    EXPECT_EQ(own, probe.decodedFrames);
    EXPECT_TRUE(foreign.empty()) << "pictures of channel " << foreign.begin()->first;
}

class ClipDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RecordingFolder(kChannels); }
    void SetUp() override {
        SetSaveFolders();
        for (int ch = 1; ch <= 2; ++ch)
            files.emplace_back(new CSingleFile(RecordingPath(ch), RecordingFolder(0), 1000, T, T + kSeconds, 1, "DVR", ch));
        dialog.reset(new VideoCutWidget);
        VideoCutWidget::WindowFiles map;
        map[0] = {files[0].get()};
        map[3] = {files[1].get(), files[0].get()};  // the first file again: clipped once
        dialog->setTimeRange(QDateTime::fromSecsSinceEpoch(T), QDateTime::fromSecsSinceEpoch(T + kSeconds));
        dialog->setSelectedWindow(0);
        dialog->setWindowFiles(map);
        dialog->setDownLoadFileType(0);
        dialog->setDiskKind(true);
        dialog->resetInput();
    }
    void TearDown() override { dialog.reset(); }

    DialogRecorder dialogs;
    std::vector<std::unique_ptr<CSingleFile>> files;
    std::unique_ptr<VideoCutWidget> dialog;
};

TEST_F(ClipDialogTest, FormAsBuilt) {
    EXPECT_EQ(dialog->windowChoice()->count(), 2);
    EXPECT_EQ(dialog->windowChoice()->itemText(1), "All Windows");
    EXPECT_EQ(dialog->carNumberEdit()->maxLength(), 10);
    EXPECT_EQ(dialog->title(), "Clip");
    EXPECT_EQ(dialog->carNumberEdit()->objectName(), "lineEditCameraName");
}

TEST_F(ClipDialogTest, RefusedInputsStartNothing) {
    struct Case {
        qint64 begin, end;
        QString car;
        QString warning;
    };
    const Case cases[] = {
        {T + 5, T + 5, "A1", "the start time should be earlier than end time."},
        {T + 5, T + 9, "", "Car Number can not be empty."},
        {T + 5, T + 9, "..", "Car Number is invalid."},
        {T + 5, T + 9, "a/b", "Car Number is invalid."},
        {T + kSeconds + 100, T + kSeconds + 200, "A1", "No file to download."},
    };
    for (const Case& c : cases) {
        dialogs.calls.clear();
        dialog->beginEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(c.begin));
        dialog->endEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(c.end));
        dialog->carNumberEdit()->setText(c.car);
        dialog->onVideoCutClicked();
        EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Warning, c.warning)) << c.warning.toStdString();
        EXPECT_FALSE(dialog->downloader()->IsDownloading());
    }
    const ziraz::DialogCall* w = dialogs.find(ziraz::DialogKind::Warning);
    EXPECT_EQ(w->number, 2500);  // "No file to download." stays a little longer
}

// The warning about an empty field names the field as its label does, in
// either language.
TEST_F(ClipDialogTest, EmptyFieldWarningNamesTheField) {
    for (const char* language : {"en", "zh"}) {
        SCOPED_TRACE(language);
        kel_test::ScopedCatalogue catalogue{QString::fromLatin1(language)};
        ASSERT_TRUE(catalogue.loaded());
        VideoCutWidget fresh;
        auto* label = fresh.findChild<QLabel*>("label_3");
        ASSERT_TRUE(label);
        QString field = label->text();
        field.remove(QRegularExpression(QStringLiteral("[:\\x{ff1a}]\\s*$")));
        ASSERT_FALSE(field.isEmpty());
        dialogs.calls.clear();
        fresh.beginEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + 5));
        fresh.endEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + 9));
        fresh.carNumberEdit()->clear();
        fresh.onVideoCutClicked();
        const ziraz::DialogCall* w = dialogs.find(ziraz::DialogKind::Warning);
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->text.contains(field, Qt::CaseInsensitive))
            << w->text.toStdString() << " / " << field.toStdString();
    }
}

TEST_F(ClipDialogTest, ClipFolderEqualToTheLoadingFolderIsRefused) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::CaptureSavePath, QString::fromStdString(RecordingFolder(0)));
    dialog->carNumberEdit()->setText(" ");  // passes the empty test, then trimmed away
    dialog->onVideoCutClicked();
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Warning, "Clipping path can not be equal to loading path."));
}

TEST_F(ClipDialogTest, SpanBoundsAreInclusiveAndAllWindowsTakeEachFileOnce) {
    std::vector<CSingleFile*> list{files[0].get()};
    EXPECT_TRUE(VideoCutWidget::hasFileInSpan(list, T + kSeconds, T + kSeconds + 50));
    EXPECT_TRUE(VideoCutWidget::hasFileInSpan(list, T - 50, T + kSeconds + 50));
    EXPECT_FALSE(VideoCutWidget::hasFileInSpan(list, T + kSeconds + 1, T + kSeconds + 50));
    EXPECT_EQ(dialog->chosenRecordings().size(), 1u);
    dialog->windowChoice()->setCurrentIndex(1);
    EXPECT_EQ(dialog->chosenRecordings().size(), 2u);
    EXPECT_EQ(VideoCutWidget::checkFreeSpace("/nonexistent-root-xyz/"), 0);  // measured on the nearest folder
}

TEST_F(ClipDialogTest, ClipIsWrittenUnderTheCarNumber) {
    const QString old = kel_test::ProgramFolder() + "/clips/CAR7/ch01_" + QString::fromStdString(TimeToString(T + 2)) +
                        "_" + QString::fromStdString(TimeToString(T + 6)) + ".mp4";
    QDir().mkpath(QFileInfo(old).path());
    kel_test::WriteFile(old, "stale");
    dialog->beginEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + 2));
    dialog->endEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + 6));
    dialog->carNumberEdit()->setText("CAR7 ");
    dialog->onVideoCutClicked();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return dialog->stateLabel()->text() == "Download Completed"; }, 120));
    // An old clip of that span stays; the new one is written beside it.
    EXPECT_EQ(kel_test::ReadFile(old), QByteArray("stale"));
    EXPECT_EQ(QFileInfo(dialog->currentFile()).fileName(), QFileInfo(old).completeBaseName() + " (1).mp4");
    EXPECT_TRUE(dialog->carNumberEdit()->isEnabled());
    EXPECT_TRUE(dialog->currentFile().startsWith(kel_test::ProgramFolder() + "/clips/CAR7/"))
        << dialog->currentFile().toStdString();
    EXPECT_GT(QFileInfo(dialog->currentFile()).size(), 0);
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, dialog->currentFile()));
}


// A recording found in a local folder that was converted to .mp4 before:
// the clip is cut from it (from the key frame at or before the first second
// asked), decodes from its first picture on, keeps the recorder's clock and
// holds only that recording's pictures; the dialog does not wait for it.
TEST_F(ClipDialogTest, ClipOfAConvertedRecordingIsCutFromIt) {
    const std::string mp4 = SaveAsMp4(1, "ch01_saved.mp4");
    ASSERT_FALSE(mp4.empty());
    CSingleFile converted(mp4, RecordingFolder(0), 1000, T, T + kSeconds, 1, "DVR", 1);
    VideoCutWidget::WindowFiles map;
    map[0] = {&converted};
    dialog->setWindowFiles(map);
    dialog->beginEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + 12));
    dialog->endEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + 17));
    dialog->carNumberEdit()->setText("CAR3");
    dialog->onVideoCutClicked();
    EXPECT_TRUE(dialog->clipping());   // under way: the cut runs on the downloader's worker
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !dialog->clipping(); }, 120));
    EXPECT_EQ(dialog->stateLabel()->text(), "Download Completed");
    const QString clip = dialog->currentFile();
    EXPECT_EQ(clip, QString("%1/clips/CAR3/ch01_%2_%3.mp4")
                        .arg(kel_test::ProgramFolder())
                        .arg(QString::fromStdString(TimeToString(T + 12)))
                        .arg(QString::fromStdString(TimeToString(T + 17))));
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, clip));
    const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip.toStdString(), true);
    ASSERT_TRUE(probe.opened);
    EXPECT_EQ(probe.decodeErrors, 0);
    EXPECT_EQ(probe.logErrors, 0);
    // From the key frame at or before T+12 to the last picture of T+17.
    const QDateTime created = QDateTime::fromString(QString::fromStdString(probe.creationTime).left(19), Qt::ISODate);
    const double first = double(created.toSecsSinceEpoch()) + probe.firstTime - double(T);
    const double last = double(created.toSecsSinceEpoch()) + probe.lastTime - double(T);
    EXPECT_LE(first, 12.0);
    EXPECT_GT(first, 12.0 - 2.0);   // within a key frame's distance
    EXPECT_NEAR(last, 17.9, 0.05);
    int own = 0;
    for (uint64_t hash : probe.pictureHashes) own += ChannelPictures(1).count(hash) ? 1 : 0;
    EXPECT_EQ(own, probe.decodedFrames);
    EXPECT_GE(probe.decodedFrames, 60);
}

}  // namespace

namespace {

// Three windows, three channels, one 30 s recording each; the second window
// also lists a recording of channel 1 that it does not show.
class AllWindowsClipTest : public ClipDialogTest {
protected:
    void SetUp() override {
        ClipDialogTest::SetUp();
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
        files.emplace_back(new CSingleFile(RecordingPath(3), RecordingFolder(0), 1000, T, T + kSeconds, 1, "DVR", 3));
        // Another recording of channel 1, in the second window's list.
        const QString copy = kel_test::ProgramFolder() + "/other_1.mp4";
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(QString::fromStdString(RecordingPath(1)), copy));
        files.emplace_back(new CSingleFile(copy.toStdString(), RecordingFolder(0), 1000, T, T + kSeconds, 1, "DVR", 1));
        VideoCutWidget::WindowFiles map;
        map[0] = {files[0].get()};
        map[1] = {files[1].get(), files[3].get()};
        map[2] = {files[2].get()};
        dialog->setWindowFiles(map);
        VideoCutWidget::WindowChannels channels;
        for (int w = 0; w < kChannels; ++w) {
            channels[w].SetChannelNumber(w + 1);
            channels[w].SetRbs(true);
        }
        dialog->setWindowChannels(channels);
        dialog->windowChoice()->setCurrentIndex(1);
        dialog->beginEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T));
        dialog->endEdit()->setDateTime(QDateTime::fromSecsSinceEpoch(T + kSeconds));
        dialog->carNumberEdit()->setText("CAR9");
        // What the dialog shows when each window's clip ends (read after its
        // own handling of the event).
        QObject::connect(dialog->downloader(), &APT_QMR::CStreamDownloader::DownloadSignal, dialog.get(),
                         [this](int code, int, int) {
                             if (code == DownloadAllDone || code == DownloadFailed || code == DownloadDiskSpaceLow)
                                 ends.push_back({code, dialog->stateLabel()->text(), dialog->carNumberEdit()->isEnabled()});
                         });
    }

    QString ClipPath(int channel) const {
        return QString("%1/clips/CAR9/ch%2_%3_%4.mp4")
            .arg(kel_test::ProgramFolder())
            .arg(channel, 2, 10, QChar('0'))
            .arg(QString::fromStdString(TimeToString(T)))
            .arg(QString::fromStdString(TimeToString(T + kSeconds)));
    }
    QStringList Saved() const {
        return QDir(kel_test::ProgramFolder() + "/clips/CAR9").entryList({"*.mp4"}, QDir::Files, QDir::Name);
    }
    QStringList Notices() const {
        QStringList out;
        for (const auto& c : dialogs.calls)
            if (c.kind == ziraz::DialogKind::Information) out << c.text;
        return out;
    }
    bool WaitForTheEnd() {
        // The dialog shows the end, and the downloader's worker, which emits
        // the ends, has stopped: every end it emitted is posted by now, and
        // the test's records of them are delivered before they are read.
        const bool ended = kel_test::WaitUntil(
            [&] {
                return !dialog->clipping() && dialog->stateLabel()->text() != "Downloading" &&
                       !dialog->downloader()->IsRunning();
            },
            120);
        QCoreApplication::sendPostedEvents();
        return ended;
    }

    struct End {
        int code;
        QString state;
        bool inputsEnabled;
    };
    std::vector<End> ends;
};

TEST_F(AllWindowsClipTest, EachWindowGetsAClipOfItsOwnChannel) {
    struct Case {
        const char* name;
        bool thirdReadable;
        std::vector<int> saved;   // channels with a clip
        QString state;
        QStringList noticeOrder;  // "path N" or a message
    } cases[] = {
        {"all readable", true, {1, 2, 3}, "Download Completed", {"path 1", "path 2", "path 3"}},
        {"third window unreadable", false, {1, 2}, "Download Exception", {"path 1", "path 2", "DownLoad Exception."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(kel_test::ProgramFolder() + "/clips/CAR9").removeRecursively();
        dialogs.calls.clear();
        ends.clear();
        // The unreadable one is looked for through the storage layer, on a
        // folder that is no recorder disk.
        VideoCutWidget::WindowChannels channels;
        for (int w = 0; w < kChannels; ++w) {
            channels[w].SetChannelNumber(w + 1);
            channels[w].SetRbs(c.thirdReadable || w != 2);
        }
        dialog->setWindowChannels(channels);

        dialog->onVideoCutClicked();
        ASSERT_TRUE(WaitForTheEnd());

        QStringList expected;
        for (int ch : c.saved) expected << QFileInfo(ClipPath(ch)).fileName();
        EXPECT_EQ(Saved().join(' ').toStdString(), expected.join(' ').toStdString());
        for (int ch : c.saved) ExpectClipOfChannel(ClipPath(ch), ch, static_cast<int>(kSeconds));

        QStringList notices;
        for (const QString& n : c.noticeOrder)
            notices << (n.startsWith("path ") ? ClipPath(n.mid(5).toInt()) : n);
        EXPECT_EQ(Notices().join('|').toStdString(), notices.join('|').toStdString());
        // Not done before the last window's clip is.
        ASSERT_EQ(ends.size(), c.saved.size());
        for (size_t i = 0; i + 1 < ends.size(); ++i) {
            EXPECT_EQ(ends[i].state, "Downloading") << i;
            EXPECT_FALSE(ends[i].inputsEnabled) << i;
        }
        EXPECT_EQ(dialog->stateLabel()->text(), c.state);
        EXPECT_TRUE(dialog->carNumberEdit()->isEnabled());
        EXPECT_TRUE(dialog->confirmButton()->isEnabled());
    }
}

// Two windows show channel 1's same times, one from each of two disks: each
// clip names its disk, as the batch downloader's files do, rather than one
// being told apart only by " (1)".
TEST_F(AllWindowsClipTest, CopiesFromTwoDisksAreNamedByTheirDisk) {
    const QString second = kel_test::ProgramFolder() + "/disk2";
    ASSERT_TRUE(QDir().mkpath(second));
    const QString copy = second + "/" + QFileInfo(QString::fromStdString(RecordingPath(1))).fileName();
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(QString::fromStdString(RecordingPath(1)), copy));
    files.emplace_back(new CSingleFile(copy.toStdString(), second.toStdString(), 1000, T, T + kSeconds, 1, "DVR", 1));
    VideoCutWidget::WindowFiles map;
    map[0] = {files[0].get()};
    map[1] = {files.back().get()};
    dialog->setWindowFiles(map);
    VideoCutWidget::WindowChannels channels;
    for (int w = 0; w < 2; ++w) {
        channels[w].SetChannelNumber(1);
        channels[w].SetRbs(true);
    }
    dialog->setWindowChannels(channels);
    QDir(kel_test::ProgramFolder() + "/clips/CAR9").removeRecursively();
    dialog->onVideoCutClicked();
    ASSERT_TRUE(WaitForTheEnd());
    const QString stem = QFileInfo(ClipPath(1)).completeBaseName();
    QStringList expected;
    for (const std::string& disk : {RecordingFolder(0), second.toStdString()})
        expected << stem + "_" + DiskNamePart(DiskShownName(disk)) + ".mp4";
    expected.sort();
    EXPECT_EQ(Saved(), expected);
    for (const QString& name : Saved()) {
        ExpectClipOfChannel(kel_test::ProgramFolder() + "/clips/CAR9/" + name, 1, static_cast<int>(kSeconds));
        EXPECT_TRUE(Notices().contains(kel_test::ProgramFolder() + "/clips/CAR9/" + name)) << name.toStdString();
    }
}

// The selected window alone: its channel only, though its list holds a
// recording of another.
TEST_F(AllWindowsClipTest, SelectedWindowClipsOnlyItsChannel) {
    dialog->windowChoice()->setCurrentIndex(0);
    dialog->setSelectedWindow(1);
    dialog->onVideoCutClicked();
    ASSERT_TRUE(WaitForTheEnd());
    EXPECT_EQ(Saved().join(' ').toStdString(), QFileInfo(ClipPath(2)).fileName().toStdString());
    ExpectClipOfChannel(ClipPath(2), 2, static_cast<int>(kSeconds));
    EXPECT_EQ(dialog->stateLabel()->text(), "Download Completed");
    EXPECT_EQ(Notices().join('|').toStdString(), ClipPath(2).toStdString());
}

// A full clip drive ends the run: the windows after it are not clipped.
TEST_F(AllWindowsClipTest, AFullDriveEndsTheRun) {
    const QString full = kel_test::ProgramFolder() + "/nearly_full/clips/";
    QDir().mkpath(full);
    CSettingsStore::GetInstance()->SetValueText(SettingKey::ClipSavePath, full);
    dialog->onVideoCutClicked();
    ASSERT_TRUE(WaitForTheEnd());
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].code, DownloadDiskSpaceLow);
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::MessageInfo, "Disk space is not enough. At least 2G disk space is need."));
    EXPECT_TRUE(QDir(full + "CAR9").entryList({"ch02_*", "ch03_*"}, QDir::Files).isEmpty());
    EXPECT_EQ(dialog->stateLabel()->text(), "Download Exception");
    EXPECT_TRUE(dialog->carNumberEdit()->isEnabled());
}

}  // namespace
