// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <condition_variable>
#include <mutex>

#include "Application.h"
#include "CustomTitleWidget.h"
#include "InstallManifest.h"
#include "InstallingPage.h"
#include "MainWindow.h"
#include "TreeRemover.h"
#include "UnInstallCompletedPage.h"
#include "UpperWidget.h"
#include "kel_test/test_support.h"
#include "uninstall_fixture.h"

using namespace appinstaller;

namespace {

constexpr int kWaitMs = 60000;

// Holds the sequence inside its first removal until released.
class GateRemover : public TreeRemover {
public:
    void waitEntered() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::milliseconds(kWaitMs), [this] { return m_entered; });
    }
    bool entered() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_entered;
    }
    void release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }

protected:
    int removeEntry(int dirFd, const std::string& name, bool isDir) override {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_entered = true;
            m_cv.notify_all();
            m_cv.wait(lock, [this] { return m_open; });
        }
        return TreeRemover::removeEntry(dirFd, name, isDir);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_entered = false;
    bool m_open = false;
};

class FailingRemover : public TreeRemover {
protected:
    int removeEntry(int dirFd, const std::string& name, bool isDir) override {
        if (name == "uninstaller") return EACCES;
        return TreeRemover::removeEntry(dirFd, name, isDir);
    }
};

class UninstallWindow : public ::testing::Test {
protected:
    void TearDown() override { InstallProcessMgr::instance()->setRemover(nullptr); }

    static bool WaitForCompletedPage(MainWindow& w) {
        return QTest::qWaitFor([&w] { return w.currentPage() == w.completedPage(); }, kWaitMs);
    }
};

TEST_F(UninstallWindow, ProgressBarFollowsTheReports) {
    InstallingPage page;
    const Ui::InstallingUI& ui = page.ui();
    EXPECT_EQ(ui.m_pWidgetProcessBar->width(), 648);
    EXPECT_EQ(ui.frame->maximumWidth(), 0);
    EXPECT_EQ(page.percentage(), 0);
    const struct {
        int percent;
        int width;
    } cases[] = {{0, 0}, {30, 192}, {60, 385}, {100, 642}};
    for (const auto& c : cases) {
        page.onProcessInfo(c.percent, "step");
        EXPECT_EQ(ui.frame->maximumWidth(), c.width) << c.percent;
        EXPECT_EQ(ui.frame->minimumWidth(), c.width) << c.percent;
        EXPECT_EQ(ui.m_pInstallProgressLabel->text(), QString::number(c.percent) + "%");
        EXPECT_EQ(page.percentage(), c.percent);
    }
    EXPECT_EQ(ui.m_pInstallingLabel->text(), "step");
}

TEST_F(UninstallWindow, RunsTheSequenceAndSwitchesToTheCompletedPage) {
    uninstall_test::FakeInstall install;
    MainWindow w(nullptr, install.config.get());
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    w.show();
    EXPECT_EQ(w.currentPage(), w.installingPage());
    w.onUninstall();
    EXPECT_TRUE(w.installingPage()->ui().m_pCancelBtn->isHidden());
    ASSERT_TRUE(WaitForCompletedPage(w));

    const Ui::UnInstallCompletedUI& done = w.completedPage()->ui();
    EXPECT_EQ(done.m_pInstallInfoLabel->text(), "Uninstalled");
    EXPECT_TRUE(done.m_pLeftoverLabel->isHidden());
    EXPECT_EQ(w.installingPage()->percentage(), 100);
    EXPECT_EQ(w.installingPage()->ui().frame->maximumWidth(), 642);
    EXPECT_FALSE(QFileInfo::exists(install.installDir));
    EXPECT_TRUE(w.close());
}

// Folders that stay because they hold the user's saved files are named on the
// completed page, which still says the uninstall succeeded.
TEST_F(UninstallWindow, CompletedPageNamesTheFoldersKept) {
    uninstall_test::FakeInstall install;
    QDir().mkpath(install.installDir + "/output/Download");
    install.record(appinstaller::InstallManifest::Kind::Folder, "output");
    install.record(appinstaller::InstallManifest::Kind::Folder, "output/Download");
    kel_test::WriteFile(install.installDir + "/output/Download/ch01.mp4", "video");
    MainWindow w(nullptr, install.config.get());
    w.show();
    w.onUninstall();
    ASSERT_TRUE(WaitForCompletedPage(w));
    const Ui::UnInstallCompletedUI& done = w.completedPage()->ui();
    EXPECT_EQ(done.m_pInstallInfoLabel->text(), "Uninstalled");
    EXPECT_FALSE(done.m_pLeftoverLabel->isHidden());
    const QStringList kept{install.installDir + "/output/Download", install.installDir + "/output", install.installDir};
    EXPECT_EQ(done.m_pLeftoverLabel->toolTip(), kept.join('\n'));
    const QString text = "Kept, as they hold files the installation did not make: " + kept.join(", ");
    const QFontMetrics metrics(done.m_pLeftoverLabel->font());
    EXPECT_EQ(done.m_pLeftoverLabel->text(), metrics.elidedText(text, Qt::ElideMiddle, 520));
    EXPECT_EQ(kel_test::ReadFile(install.installDir + "/output/Download/ch01.mp4"), "video");
}

TEST_F(UninstallWindow, IncompleteUninstallIsNotShownAsSuccess) {
    uninstall_test::FakeInstall install;
    InstallProcessMgr::instance()->setRemover(std::make_shared<FailingRemover>());
    MainWindow w(nullptr, install.config.get());
    w.show();
    w.onUninstall();
    ASSERT_TRUE(WaitForCompletedPage(w));
    const Ui::UnInstallCompletedUI& done = w.completedPage()->ui();
    EXPECT_EQ(done.m_pInstallInfoLabel->text(), "NotEverythingWasRemovedHxQpLm");
    EXPECT_FALSE(done.m_pLeftoverLabel->isHidden());
    EXPECT_TRUE(done.m_pLeftoverLabel->toolTip().contains(install.installDir + "/bin/uninstaller"));
    EXPECT_TRUE(w.installingPage()->report().failures.size() == 1);
}

TEST_F(UninstallWindow, WindowStaysOpenWhileTheSequenceRuns) {
    uninstall_test::FakeInstall install;
    auto gate = std::make_shared<GateRemover>();
    InstallProcessMgr::instance()->setRemover(gate);
    MainWindow w(nullptr, install.config.get());
    w.show();
    w.onUninstall();
    gate->waitEntered();
    ASSERT_TRUE(gate->entered());
    EXPECT_TRUE(w.installingPage()->isUninstalling());

    EXPECT_FALSE(w.close());
    // The title bar's close button asks the same.
    UpperWidget* upper = w.installingPage()->ui().m_pUpperWidget;
    upper->titleWidget()->closeButton()->click();
    EXPECT_TRUE(w.isVisible());
    // A second start does nothing.
    w.onUninstall();

    gate->release();
    ASSERT_TRUE(WaitForCompletedPage(w));
    EXPECT_FALSE(w.installingPage()->isUninstalling());
    w.completedPage()->ui().m_pCompletedBtn->click();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(UninstallWindow, CancelBeforeTheStartClosesWithNothingRemoved) {
    uninstall_test::FakeInstall install;
    MainWindow w(nullptr, install.config.get());
    w.show();
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* dlg = qobject_cast<Tavick::CModalTipDialog*>(top); dlg && dlg->isVisible()) dlg->accept();
        }
    });
    answer.start(20);
    w.installingPage()->ui().m_pCancelBtn->click();
    answer.stop();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(QFileInfo::exists(install.installDir + "/bin/KEL"));
}

void DropTranslators() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>(QString(), Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST(UninstallTranslations, FiltersFollowTheSystemLanguage) {
    const struct {
        const char* locale;
        QStringList filters;
    } cases[] = {
        {"en_US", {"*_en.qm"}},
        {"de_DE", {"*_en.qm"}},
        {"fr_FR", {"*_en.qm", "*_fr.qm"}},
        {"pt_BR", {"*_en.qm", "*_pt.qm"}},
        {"zh_CN", {"*_en.qm", "*_zh.qm"}},
        {"zh_TW", {"*_en.qm", "*_tw.qm"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Application::TranslationFilters(QLocale(c.locale)), c.filters) << c.locale;
}

TEST(UninstallTranslations, MatchingFilesAreInstalledInNameOrder) {
    const QString built = kel_test::BinaryDir() + "/bin/translations/uninstaller_en.qm";
    if (!QFileInfo::exists(built)) GTEST_SKIP() << "translations were not built";
    const QString folder = kel_test::ProgramFolder() + "/translations/";
    QDir().mkpath(folder);
    for (const char* name : {"b_fr.qm", "a_en.qm", "c_de.qm", "d_zh.qm"})
        ASSERT_TRUE(QFile::copy(built, folder + name));

    EXPECT_EQ(Application::LoadTranslations(folder, QLocale("fr_FR")), QStringList({"a_en.qm", "b_fr.qm"}));
    DropTranslators();
    EXPECT_EQ(Application::LoadTranslations(folder, QLocale("en_GB")), QStringList({"a_en.qm"}));
    EXPECT_EQ(QCoreApplication::translate("InstallingUI", "UndoMerge"), "Cancel");
    EXPECT_EQ(QObject::tr("BeganToUnloadWkJrSaJaAq"), "Uninstalling...");
    DropTranslators();
    EXPECT_EQ(QObject::tr("BeganToUnloadWkJrSaJaAq"), "BeganToUnloadWkJrSaJaAq");
}

}  // namespace
