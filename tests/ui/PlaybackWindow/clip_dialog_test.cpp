// The clip dialog: input checks, the recordings it chooses, and a clip cut
// from a real recording into the clip folder.
#include "VideoCutWidget.h"
#include "media_fixture.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

using namespace media_fixture;
using APT_QMR::CSingleFile;

namespace {

class ClipDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RecordingFolder(2); }
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
        {T + 5, T + 9, "", "Camera Name can not be empty."},
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
    ASSERT_TRUE(WaitFor([&] { return dialog->stateLabel()->text() == "Download Completed"; }, 120));
    // An old clip of that span stays; the new one is written beside it.
    EXPECT_EQ(kel_test::ReadFile(old), QByteArray("stale"));
    EXPECT_EQ(QFileInfo(dialog->currentFile()).fileName(), QFileInfo(old).completeBaseName() + " (1).mp4");
    EXPECT_TRUE(dialog->carNumberEdit()->isEnabled());
    EXPECT_TRUE(dialog->currentFile().startsWith(kel_test::ProgramFolder() + "/clips/CAR7/"))
        << dialog->currentFile().toStdString();
    EXPECT_GT(QFileInfo(dialog->currentFile()).size(), 0);
    EXPECT_TRUE(dialogs.saw(ziraz::DialogKind::Information, dialog->currentFile()));
}

}  // namespace
