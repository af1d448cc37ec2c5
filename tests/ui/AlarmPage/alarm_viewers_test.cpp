// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm picture viewer (file matching, first match, saving) and the
// custom player frame and clip viewer pieces that need no medium.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QToolButton>

#include "AlarmPage/CaptureView.h"
#include "AlarmPage/CustomPlayerFrame.h"
#include "storage/Settings.h"
#include "AlarmPage/VideoView.h"
#include "kel_test/test_support.h"
#include "ziraz/ziraz.h"

namespace {

QByteArray Jpeg(QColor color) {
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

QByteArray WithHeader(const QByteArray& picture) { return QByteArray(1024, '\x5a') + picture; }

time_t Local(int h, int m, int s) { return QDateTime(QDate(2024, 3, 1), QTime(h, m, s)).toSecsSinceEpoch(); }

QString Other() { return ziraz::GetTargetPath() + "Other"; }

}  // namespace

TEST(CaptureView, NameChannelAndTimeDecideTheMatch) {
    const QString dir = kel_test::ProgramFolder() + "/pics";
    struct Case {
        const char* name;
        QByteArray data;
        int channel;
        bool match;
    } cases[] = {
        {"ch01_2024-03-01 08-15-30.jpg", WithHeader(Jpeg(Qt::red)), 1, true},       // start bound
        {"ch01_2024-03-01 08-15-40.jpg", WithHeader(Jpeg(Qt::red)), 1, true},       // end bound
        {"ch01_2024-03-01 08-15-41.jpg", WithHeader(Jpeg(Qt::red)), 1, false},      // after the span
        {"ch02_2024-03-01 08-15-35.jpg", WithHeader(Jpeg(Qt::red)), 1, false},      // other channel
        {"ch01_2024-03-01 08-15-35(0).jpg", Jpeg(Qt::red) + "trailer!!!", 1, true},  // no header
        {"ch01_2024-03-01 08-15-35.jpg", QByteArray(600, 'x'), 1, false},           // no picture
        {"picture.jpg", WithHeader(Jpeg(Qt::red)), 1, false},                       // no time in the name
    };
    for (const Case& c : cases) {
        const QString path = dir + "/" + c.name;
        ASSERT_TRUE(kel_test::WriteFile(path, c.data));
        const QPixmap p = CCaptureView::loadMatchingPicture(path, c.channel, Local(8, 15, 30), Local(8, 15, 40));
        EXPECT_EQ(!p.isNull(), c.match) << c.name;
        QFile::remove(path);
    }
}

TEST(CaptureView, ShowsTheFirstMatchAtAnyDepthAndSavesIt) {
    const QString folder = Other();
    ASSERT_TRUE(kel_test::WriteFile(folder + "/ch03_2024-03-01 09-00-05.JPG", WithHeader(Jpeg(Qt::blue))));
    ASSERT_TRUE(kel_test::WriteFile(folder + "/a/b/ch03_2024-03-01 09-00-06.jpg", WithHeader(Jpeg(Qt::green))));
    CSettingsStore::GetInstance()->SetValueText(SettingKey::CaptureSavePath, kel_test::ProgramFolder() + "/cap");
    QDir().mkpath(kel_test::ProgramFolder() + "/cap");

    CCaptureView view;
    EXPECT_EQ(view.ui()->m_pShowPicStackedWidget->currentWidget(), view.ui()->m_pNoPicPage);
    EXPECT_FALSE(view.ui()->m_pDownloadBtn->isEnabled());
    view.showAlarmPicture(4, 1, Local(9, 0, 0), Local(9, 1, 0));  // no picture of channel 4
    EXPECT_EQ(view.ui()->m_pShowPicStackedWidget->currentWidget(), view.ui()->m_pNoPicPage);

    view.showAlarmPicture(3, 1, Local(9, 0, 0), Local(9, 1, 0));
    EXPECT_EQ(view.ui()->m_pShowPicStackedWidget->currentWidget(), view.ui()->m_pShowPicPage);
    EXPECT_TRUE(view.ui()->m_pDownloadBtn->isEnabled());
    EXPECT_EQ(view.pictureName(), "ch03_2024-03-01 09-00-06.jpg");  // the upper-case suffix is skipped
    EXPECT_EQ(view.picture().toImage().pixelColor(5, 5).green() > 200, true);

    ziraz::ScopedDialogPresenter quiet([](const ziraz::DialogCall&) -> std::optional<int> { return 1; });
    view.onDownLoadBtn();
    const QString saved = kel_test::ProgramFolder() + "/cap/Capture/ch03_2024-03-01 09-00-06.jpg";
    EXPECT_EQ(view.lastSavedPath(), saved);
    EXPECT_FALSE(QImage(saved).isNull());

    // A later alarm without a picture shows the no-picture page, not the
    // earlier alarm's picture, and cannot be saved.
    view.show();
    view.showAlarmPicture(3, 1, Local(10, 0, 0), Local(10, 1, 0));
    EXPECT_EQ(view.ui()->m_pShowPicStackedWidget->currentWidget(), view.ui()->m_pNoPicPage);
    EXPECT_TRUE(view.ui()->m_pNoPictureLabel->isVisible());
    EXPECT_FALSE(view.ui()->m_pShowImageLabel->isVisible());
    EXPECT_TRUE(view.ui()->m_pShowImageLabel->pixmap(Qt::ReturnByValue).isNull());
    EXPECT_TRUE(view.picture().isNull());
    EXPECT_FALSE(view.ui()->m_pDownloadBtn->isEnabled());
}

// The capture folder is made with every missing level; a picture that
// cannot be written is reported as not saved.
TEST(CaptureView, SaveMakesTheFoldersAndReportsAFailure) {
    const QString folder = Other();
    ASSERT_TRUE(kel_test::WriteFile(folder + "/ch05_2024-03-01 09-00-06.jpg", WithHeader(Jpeg(Qt::red))));
    const QString root = kel_test::ProgramFolder() + "/capsave";
    ASSERT_TRUE(kel_test::WriteFile(root + "/plainfile", "x"));   // a file where a folder must go
    const struct {
        QString setting;
        bool saved;
    } cases[] = {
        {root + "/deep/er/", true},
        {root + "/plainfile/inside", false},
    };
    for (const auto& c : cases) {
        CSettingsStore::GetInstance()->SetValueText(SettingKey::CaptureSavePath, c.setting);
        CCaptureView view;
        view.showAlarmPicture(5, 1, Local(9, 0, 0), Local(9, 1, 0));
        ASSERT_TRUE(view.ui()->m_pDownloadBtn->isEnabled());
        QStringList notices;
        ziraz::ScopedDialogPresenter record([&](const ziraz::DialogCall& call) -> std::optional<int> {
            if (call.kind == ziraz::DialogKind::Information) notices << call.text;
            return 1;
        });
        view.onDownLoadBtn();
        QString path = c.setting;
        if (!path.endsWith('/')) path += '/';
        path += "Capture/ch05_2024-03-01 09-00-06.jpg";
        EXPECT_EQ(QFileInfo::exists(path), c.saved) << path.toStdString();
        EXPECT_EQ(view.lastSavedPath(), c.saved ? path : QString());
        EXPECT_EQ(notices, QStringList{c.saved ? path : "The picture could not be saved to " + path + "."});
        if (c.saved) {
            EXPECT_FALSE(QImage(path).isNull());
        }
    }
}

TEST(CustomPlayerFrame, EnterAndLeaveSignals) {
    CCustomPlayerFrame frame;
    QSignalSpy shown(&frame, &CCustomPlayerFrame::SignalShow);
    QSignalSpy hidden(&frame, &CCustomPlayerFrame::SignalHide);
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_EQ(shown.count(), 1);
    frame.setAutoShow(false);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_EQ(shown.count(), 1);
    QApplication::sendEvent(&frame, &leave);
    EXPECT_EQ(hidden.count(), 1);
    EXPECT_EQ(frame.ui().m_pNoVideoLabel->text(), "NoVideo");
    EXPECT_FALSE(frame.ui().m_pNoVideoContainerWidget->isHidden());
    CCustomPlayWndBottom strip;
    EXPECT_EQ(strip.ui().m_pEndTime->text(), "00:04:00");
}

// Both viewers name themselves in their title bar; the clip viewer's row
// above the picture names the alarm, apart from that title.
TEST(VideoView, TitleBarNamesTheViewer) {
    CVideoView clip;
    EXPECT_EQ(clip.title(), "AlarmVideo");
    clip.setTitle("Channel3-Smoking");
    EXPECT_EQ(clip.title(), "AlarmVideo");
    EXPECT_EQ(clip.ui().m_pTitleLabel->text(), "Channel3-Smoking");
    CCaptureView picture;
    EXPECT_EQ(picture.title(), "AlarmPicture");
}

TEST(VideoView, SpanTextsAndClipFileNames) {
    EXPECT_EQ(CVideoView::SpanText(0), "00:00:00");
    EXPECT_EQ(CVideoView::SpanText(3725), "01:02:05");
    const QString home = kel_test::ProgramFolder();
    const time_t s = Local(8, 0, 0);
    auto* settings = CSettingsStore::GetInstance();
    settings->SetValueText(SettingKey::DownloadSavePath, home + "/dl");
    const QString name = "ch07_20240301080000_20240301080003.mp4";
    EXPECT_EQ(CVideoView::prepareClipFile(s, s + 3, "07", 0), home + "/dl/AlarmVideo/" + name);
    EXPECT_TRUE(QDir(home + "/dl/AlarmVideo").exists());
    // A file left by an earlier download of the same span stays as it is.
    ASSERT_TRUE(kel_test::WriteFile(home + "/dl/AlarmVideo/" + name, "old"));
    CVideoView::prepareClipFile(s, s + 3, "07", 0);
    EXPECT_EQ(kel_test::ReadFile(home + "/dl/AlarmVideo/" + name), QByteArray("old"));
    settings->SetValueText(SettingKey::DownloadSavePath, home + "/dl2/");
    EXPECT_EQ(CVideoView::prepareClipFile(s, s + 3, "12", 0), home + "/dl2/AlarmVideo/ch12_20240301080000_20240301080003.mp4");
    EXPECT_TRUE(CVideoView::prepareClipFile(s, s + 3, "12", 1).isEmpty());
}
