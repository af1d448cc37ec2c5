// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The uninstaller's frameless window: the installing page while the sequence
// runs, then the completed page.
#include <QWidget>

#include "Forms.h"

namespace appinstaller {

class AppConfig;
class InstallingPage;
class UnInstallCompletedPage;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // `config` is the installation to remove; null means the process's own.
    explicit MainWindow(QWidget* parent = nullptr, const AppConfig* config = nullptr);

    InstallingPage* installingPage() const { return m_pInstallingPage; }
    UnInstallCompletedPage* completedPage() const { return m_pCompletedPage; }
    QWidget* currentPage() const;

public slots:
    void onFinishedUnInstall();
    void onUninstall();

protected:
    // The window stays while the sequence runs (it cannot be stopped).
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::MainWindowUI m_ui;
    InstallingPage* m_pInstallingPage = nullptr;
    UnInstallCompletedPage* m_pCompletedPage = nullptr;
};

// Makes the window's compiled resources available (also in programs that
// link the uninstaller as a library).
void InitUninstallResources();

}  // namespace appinstaller
