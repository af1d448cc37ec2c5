// SPDX-License-Identifier: GPL-3.0-or-later
// Title bar, navigation bar, about box and the upgrade question.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>

#include "Quillmere/AboutDialog.h"
#include "caldrune/caldrune.h"
#include "Quillmere/InquiryIfUpdatePromptDialog.h"
#include "Quillmere/OperateSelWidget.h"
#include "Quillmere/TitleBar.h"
#include "kel_test/test_support.h"
#include "ziraz/controls.h"
#include "ziraz/dialogs.h"

namespace {

struct DialogRecorder {
    explicit DialogRecorder(int answer)
        : presenter([this, answer](const ziraz::DialogCall& call) -> std::optional<int> {
              calls.push_back(call);
              return answer;
          }) {}
    std::vector<ziraz::DialogCall> calls;
    ziraz::ScopedDialogPresenter presenter;
};

struct ScopedOpener {
    explicit ScopedOpener(AboutDialog::UrlOpener opener) : old(AboutDialog::setUrlOpener(std::move(opener))) {}
    ~ScopedOpener() { AboutDialog::setUrlOpener(std::move(old)); }
    AboutDialog::UrlOpener old;
};

// A top-level window holding a title bar.
struct BarWindow {
    QWidget window;
    TitleBar* bar;
    BarWindow() : bar(new TitleBar(&window)) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(bar);
        window.resize(800, 600);
        window.show();
    }
    QToolButton* button(const char* name) const { return bar->findChild<QToolButton*>(name); }
};

TEST(TitleBar, FormAndStartState) {
    BarWindow w;
    EXPECT_EQ(w.bar->height(), 40);
    EXPECT_EQ(w.bar->windowTitle(), "TitleBar");
    EXPECT_EQ(w.bar->findChild<QLabel*>("titleLabel")->text(), "Qorvane KEL");
    for (const char* name : {"iconBtn", "aboutBtn", "minBtn", "closeBtn", "TitleBar_restore"})
        EXPECT_TRUE(w.button(name) && w.button(name)->isVisible()) << name;
    ASSERT_TRUE(w.button("downloadBtn"));
    EXPECT_FALSE(w.button("downloadBtn")->isVisible());
    EXPECT_EQ(w.bar->restoreMinimumSize(), QSize(1270, 760));
    EXPECT_EQ(w.bar->restoreMaximumSize(), QSize(10000, 10000));
    EXPECT_TRUE(w.bar->openDoubleClickEnabled());
    EXPECT_EQ(w.bar->aboutMenu()->objectName(), "Title_AboutMenu");
    EXPECT_TRUE(w.bar->aboutMenu()->actions().contains(w.bar->aboutDialog()));
}

TEST(TitleBar, MaximiseAndRestoreRenameTheButton) {
    BarWindow w;
    QToolButton* max = w.button("TitleBar_restore");
    ASSERT_TRUE(max);
    QTest::mouseClick(max, Qt::LeftButton);
    EXPECT_TRUE(w.window.isMaximized());
    EXPECT_EQ(max->objectName(), "TitleBar_max");
    EXPECT_EQ(max->styleSheet(), "background-color: ;");
    QTest::mouseClick(max, Qt::LeftButton);
    EXPECT_FALSE(w.window.isMaximized());
    EXPECT_EQ(max->objectName(), "TitleBar_restore");

    // A double click on the bar toggles too; the name follows the state.
    QTest::mouseDClick(w.bar, Qt::LeftButton, Qt::NoModifier, QPoint(300, 20));
    EXPECT_TRUE(w.window.isMaximized());
    EXPECT_EQ(max->objectName(), "TitleBar_max");
    QTest::mouseDClick(w.bar, Qt::LeftButton, Qt::NoModifier, QPoint(300, 20));
    EXPECT_FALSE(w.window.isMaximized());
    EXPECT_EQ(max->objectName(), "TitleBar_restore");
}

TEST(TitleBar, MinimiseAndClose) {
    BarWindow w;
    QTest::mouseClick(w.button("minBtn"), Qt::LeftButton);
    EXPECT_TRUE(w.window.isMinimized());
    w.window.showNormal();
    QTest::mouseClick(w.button("closeBtn"), Qt::LeftButton);
    EXPECT_FALSE(w.window.isVisible());
}

TEST(TitleBar, CornerButtonRelaysCheckUpdate) {
    BarWindow w;
    QSignalSpy spy(w.bar, &TitleBar::signalCheckUpdate);
    emit w.bar->aboutDialog()->signalConerBtnClicked();
    EXPECT_EQ(spy.count(), 1);
}

TEST(OperateSelWidget, ButtonsAndSelection) {
    OperateSelWidget nav;
    nav.show();
    EXPECT_EQ(nav.width(), 70);
    EXPECT_EQ(nav.button(6), nullptr);
    EXPECT_EQ(nav.button(-1), nullptr);
    const char* names[] = {"playbackBtn", "evidencePlaybackBtn", "trackPlaybackBtn", "logBtn", "alarmBtn", "settingBtn"};
    const char* texts[] = {"Playback", "Evidence", "TrackPlayback", "Log", "Alarm", "Setting"};
    for (int i = 0; i < 6; ++i) {
        QToolButton* b = nav.button(i);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->objectName(), names[i]);
        EXPECT_EQ(b->text(), texts[i]);
        EXPECT_EQ(b->toolTip(), texts[i]);
        EXPECT_EQ(b->property("s").toInt(), i);
        EXPECT_TRUE(b->isCheckable());
        EXPECT_EQ(b->isChecked(), i == 0);
        EXPECT_EQ(b->isVisible(), i != 2);
    }
    QTest::mouseClick(nav.button(3), Qt::LeftButton);
    QTest::mouseClick(nav.button(4), Qt::LeftButton);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(nav.button(i)->isChecked(), i == 4) << i;
    QTest::mouseClick(nav.button(4), Qt::LeftButton);  // already checked: stays checked
    EXPECT_TRUE(nav.button(4)->isChecked());
    QMetaObject::invokeMethod(&nav, "onCapturePlayback");
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(nav.button(i)->isChecked()) << i;
}

TEST(AboutBox, BuildDateNumber) {
    struct Case {
        const char* text;
        unsigned number;
    };
    const Case cases[] = {
        {"Mar 19 2024", 20240319u}, {"Mar  9 2024", 20240309u}, {"Jan  1 2000", 20000101u},
        {"Dec 31 1999", 19991231u}, {"Foo 19 2024", 0u},        {"Mar 19 24", 0u},
        {"", 0u},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildDateNumber(c.text), c.number) << c.text;
    EXPECT_EQ(BuildDateNumber(nullptr), 0u);
    EXPECT_GT(BuildDateNumber(), 20240000u);
}

TEST(AboutBox, Texts) {
    AboutDialog about;
    EXPECT_EQ(about.name(), "Name:Qorvane KEL");
    EXPECT_EQ(about.version(), "Version:V4.3.2build" + QString::number(BuildDateNumber()));
    auto* panel = about.panel();
    ASSERT_TRUE(panel);
    QStringList texts;
    for (QPushButton* b : panel->findChildren<QPushButton*>()) texts << b->text();
    EXPECT_TRUE(texts.contains("User Help"));
    EXPECT_TRUE(texts.contains("Licenses"));
    EXPECT_TRUE(texts.contains("Check Update"));
    for (QPushButton* b : panel->findChildren<QPushButton*>())
        if (b->text() == "Check Update") {
            EXPECT_TRUE(b->isHidden());
        }
    // The licence line is shown under the version.
    EXPECT_EQ(about.licence(), "License:GPL-3.0-or-later");
    QStringList shown;
    for (QLabel* l : panel->findChildren<QLabel*>())
        if (!l->isHidden()) shown << l->text();
    EXPECT_TRUE(shown.contains("License:GPL-3.0-or-later")) << shown.join(" | ").toStdString();
}

// Every text that states the licence of KEL's own programs names the same
// one, and none of them still reserves all rights.
TEST(AboutBox, LicenceTextsAgree) {
    const QString bin = kel_test::BinaryDir() + "/bin/";
    const QString src = kel_test::SourceDir() + "/";
    struct Case {
        QString path;
        const char* licence;
    };
    const Case cases[] = {
        {bin + "Open Source Software Licenses/KEL.txt", "GPL-3.0-or-later"},
        {src + "resources/licenses/KEL.txt", "GPL-3.0-or-later"},
        {bin + "help/index.html", "GPL-3.0-or-later"},
        {src + "README.md", "GPL-3.0-or-later"},
        {src + "cmake/install/copyright", "License: GPL-3+"},
        {src + "COPYING", "GNU GENERAL PUBLIC LICENSE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QString text = QString::fromUtf8(kel_test::ReadFile(c.path));
        ASSERT_FALSE(text.isEmpty());
        EXPECT_TRUE(text.contains(QLatin1String(c.licence)));
        EXPECT_FALSE(text.contains(QLatin1String("rights reserved"), Qt::CaseInsensitive));
        EXPECT_FALSE(text.contains(QLatin1String("rights are reserved"), Qt::CaseInsensitive));
    }
    // The package's copyright file is machine-readable: its "Files: *"
    // paragraph names a licence that has a paragraph of its own, and it
    // lists the libraries the programs use.
    const QString copyright = QString::fromUtf8(kel_test::ReadFile(src + "cmake/install/copyright"));
    EXPECT_TRUE(copyright.startsWith(
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
    EXPECT_TRUE(copyright.contains("\nFiles: *\nCopyright: 2026 KEL developers\nLicense: GPL-3+\n"));
    EXPECT_TRUE(copyright.contains("\n\nLicense: GPL-3+\n"));
    EXPECT_TRUE(copyright.contains("/usr/share/common-licenses/GPL-3"));
    for (const char* library : {"libqt5core5a", "libqt5webenginecore5", "libavcodec59", "libqcustomplot2.1", "libssl3"})
        EXPECT_TRUE(copyright.contains(QLatin1String(library))) << library;
}

TEST(AboutBox, ManualMustBeAPlainPdfFile) {
    const QString home = kel_test::ProgramFolder();
    std::vector<QUrl> opened;
    ScopedOpener opener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    QWidget owner;
    AboutDialog about(&owner);
    QSignalSpy cover(&about, &AboutDialog::signalCover);
    QSignalSpy discover(&about, &AboutDialog::signalDiscover);

    struct Case {
        const char* setup;  // "none", "upper", "folder"
    };
    for (const char* setup : {"none", "upper", "folder"}) {
        SCOPED_TRACE(setup);
        QDir(home).removeRecursively();
        QDir().mkpath(home);
        if (QString(setup) == "upper") kel_test::WriteFile(home + "/help.PDF", "%PDF");
        if (QString(setup) == "folder") QDir().mkpath(home + "/help.pdf");
        DialogRecorder dialogs(1);
        EXPECT_FALSE(about.onGetHelp());
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].kind, ziraz::DialogKind::MessageInfo);
        EXPECT_EQ(dialogs.calls[0].title, "Hint");
        EXPECT_EQ(dialogs.calls[0].text, "No user manual found.");
        EXPECT_EQ(dialogs.calls[0].parent, &owner);
    }
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(cover.count(), 3);
    EXPECT_EQ(discover.count(), 3);

    QDir(home).removeRecursively();
    QDir().mkpath(home);
    kel_test::WriteFile(home + "/help.pdf", "%PDF");
    {
        DialogRecorder dialogs(1);
        EXPECT_TRUE(about.onGetHelp());
        EXPECT_TRUE(dialogs.calls.empty());
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_TRUE(opened[0].isLocalFile());
        EXPECT_EQ(QFileInfo(opened[0].toLocalFile()).canonicalFilePath(), QFileInfo(home + "/help.pdf").canonicalFilePath());
    }
    {
        ScopedOpener failing([](const QUrl&) { return false; });
        DialogRecorder dialogs(1);
        EXPECT_FALSE(about.onGetHelp());
        ASSERT_EQ(dialogs.calls.size(), 1u);
        // It names the file and how to open it otherwise.
        EXPECT_EQ(dialogs.calls[0].text,
                  "The user manual " + QDir::toNativeSeparators(QFileInfo(home + "/help.pdf").absoluteFilePath()) +
                      " could not be opened: no program to show it is set up on this computer. Open the file with a "
                      "web browser or a document viewer.");
    }
}

// Without "help.pdf" the HTML manual that comes with the program opens;
// "help.pdf" wins where both are there.
TEST(AboutBox, HtmlManualOpensWhereThereIsNoPdf) {
    const QString home = kel_test::ProgramFolder();
    std::vector<QUrl> opened;
    ScopedOpener opener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    AboutDialog about;
    kel_test::WriteFile(home + "/help/index.html", "<html></html>");
    {
        DialogRecorder dialogs(1);
        EXPECT_TRUE(about.onGetHelp());
        EXPECT_TRUE(dialogs.calls.empty());
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(QFileInfo(opened[0].toLocalFile()).canonicalFilePath(),
                  QFileInfo(home + "/help/index.html").canonicalFilePath());
    }
    kel_test::WriteFile(home + "/help.pdf", "%PDF");
    {
        DialogRecorder dialogs(1);
        EXPECT_TRUE(about.onGetHelp());
        ASSERT_EQ(opened.size(), 2u);
        EXPECT_EQ(QFileInfo(opened[1].toLocalFile()).canonicalFilePath(), QFileInfo(home + "/help.pdf").canonicalFilePath());
    }
    // The Chinese manual in Chinese, where it is there; the one of the
    // program otherwise, and always in English.
    kel_test::WriteFile(home + "/help/index_zh.html", "<html lang=\"zh-CN\"></html>");
    const struct {
        int language;
        const char* opens;
    } cases[] = {{1, "/help/index_zh.html"}, {0, "/help.pdf"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        apt::ConfigureManager::setCurrentLanguage(c.language);
        opened.clear();
        DialogRecorder dialogs(1);
        EXPECT_TRUE(about.onGetHelp());
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(QFileInfo(opened[0].toLocalFile()).canonicalFilePath(), QFileInfo(home + c.opens).canonicalFilePath());
    }
    apt::ConfigureManager::setCurrentLanguage(0);
    QFile::remove(home + "/help/index_zh.html");
}

// The build puts the manual and the licence texts beside the programs, as
// the installation and the program folder get them.
TEST(AboutBox, ManualAndLicencesComeWithTheBuild) {
    const QString bin = kel_test::BinaryDir() + "/bin/";
    for (const char* file : {"help/index.html", "help/index_zh.html", "help/images/playback.png", "help/images/alarm.png",
                             "Open Source Software Licenses/README.txt", "Open Source Software Licenses/KEL.txt",
                             "Open Source Software Licenses/Qt.txt", "Open Source Software Licenses/FFmpeg.txt",
                             "Open Source Software Licenses/QCustomPlot.txt", "Open Source Software Licenses/OpenSSL.txt",
                             "Open Source Software Licenses/LGPL-3.0.txt", "Open Source Software Licenses/GPL-3.0.txt"}) {
        SCOPED_TRACE(file);
        EXPECT_GT(QFileInfo(bin + file).size(), 0);
    }
    // Every picture each manual shows is there; the Chinese one shows the
    // pages the English one does.
    QStringList shown[2];
    const char* manuals[2] = {"help/index.html", "help/index_zh.html"};
    for (int m = 0; m < 2; ++m) {
        SCOPED_TRACE(manuals[m]);
        const QString manual = QString::fromUtf8(kel_test::ReadFile(bin + manuals[m]));
        QRegularExpression picture(QStringLiteral("src=\"(images/[^\"]+)\""));
        for (auto it = picture.globalMatch(manual); it.hasNext();) {
            const QString name = it.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(bin + "help/" + name)) << name.toStdString();
            shown[m] << name;
        }
        EXPECT_FALSE(shown[m].isEmpty());
        EXPECT_TRUE(manual.contains("GPL-3.0-or-later"));
    }
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_TRUE(QString::fromUtf8(kel_test::ReadFile(bin + manuals[1])).contains(QString::fromUtf8("用户手册")));
}

TEST(AboutBox, LicenceFolder) {
    const QString home = kel_test::ProgramFolder();
    std::vector<QUrl> opened;
    ScopedOpener opener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    AboutDialog about;
    {
        DialogRecorder dialogs(1);
        about.onSourceLicense();  // no folder
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].text, "The folder of licence texts " +
                                             QDir::toNativeSeparators(home + "/Open Source Software Licenses") +
                                             " is missing.");
    }
    QDir().mkpath(home + "/Open Source Software Licenses");
    {
        DialogRecorder dialogs(1);
        emit about.siganlBtn2Clicked();
        EXPECT_TRUE(dialogs.calls.empty());
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_TRUE(opened[0].toLocalFile().endsWith("/Open Source Software Licenses"));
    }
    {
        // No desktop opener: the folder is named, with how to open it.
        ScopedOpener failing([](const QUrl&) { return false; });
        DialogRecorder dialogs(1);
        about.onSourceLicense();
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].text,
                  "The folder of licence texts " + QDir::toNativeSeparators(home + "/Open Source Software Licenses") +
                      " could not be opened: no file manager is set up on this computer. Open the folder with a file "
                      "manager, or its texts with a text editor.");
    }
}

TEST(UpgradeQuestion, FormTextsAndAnswer) {
    InquiryIfUpdatePromptDialog dialog;
    EXPECT_EQ(dialog.title(), "Upgrade Detect");
    EXPECT_EQ(dialog.confirmButton()->text(), "Enable");
    EXPECT_EQ(dialog.cancelButton()->text(), "Disable");
    EXPECT_EQ(dialog.textLabel()->text(),
              "Enable upgrade detection will automatically prompt new relased version, enable it?");
    EXPECT_TRUE(dialog.textLabel()->wordWrap());
    EXPECT_EQ(dialog.iconLabel()->minimumSize(), QSize(48, 48));
    EXPECT_EQ(dialog.iconLabel()->maximumSize(), QSize(48, 48));
    EXPECT_EQ(dialog.size(), QSize(434, 265));
    EXPECT_EQ(dialog.minimumSize(), QSize(434, 265));
    EXPECT_EQ(dialog.maximumSize(), QSize(434, 265));
    EXPECT_EQ(dialog.getSetupUiWidget()->maximumWidth(), 464);
    DialogRecorder dialogs(1);
    EXPECT_EQ(dialog.exec(), 1);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, ziraz::DialogKind::Modal);
    EXPECT_EQ(dialogs.calls[0].dialog, &dialog);
}

}  // namespace

// The navigation keeps its 70-pixel width: every caption, in either
// language, is drawn whole inside its button.
TEST(OperateSelWidget, CaptionsFitTheirButtons) {
    for (const char* language : {"en", "zh"}) {
        kel_test::ScopedCatalogue catalogue(language);
        OperateSelWidget nav;
        nav.show();
        for (int i = 0; i < 6; ++i) {
            QToolButton* b = nav.button(i);
            ASSERT_TRUE(b);
            EXPECT_LE(QFontMetrics(b->font()).horizontalAdvance(b->text()), b->width() - 4)
                << language << " " << b->text().toStdString();
        }
    }
}
