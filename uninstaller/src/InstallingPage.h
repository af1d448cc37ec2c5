// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page shown while the uninstall sequence runs: the current step and a
// progress bar.
#include <QPointer>
#include <QWidget>

#include "Forms.h"
#include "InstallProcessMgr.h"

namespace appinstaller {

class AppConfig;

class InstallingPage : public QWidget {
    Q_OBJECT
public:
    // `config` is the installation to remove; null means the process's own.
    explicit InstallingPage(QWidget* parent = nullptr, const AppConfig* config = nullptr);
    // Waits for a running sequence: its thread is never destroyed while it runs.
    ~InstallingPage() override;

    // Starts the sequence on its thread (once; later calls do nothing).
    void startUnInstall();
    // True from the start of the sequence until its end has been handled.
    bool isUninstalling() const { return m_started && !m_finished; }
    bool isFinished() const { return m_finished; }
    // What the sequence left; valid once it has finished.
    UninstallReport report() const { return m_report; }
    int percentage() const { return m_iProcess; }

    const Ui::InstallingUI& ui() const { return m_ui; }

signals:
    void signalInstallFinished();
    void signalCancelInstall();
    void signalClose();
    void signalunInstallFinished();

public slots:
    void onCancelInstall();
    void onProcessInfo(int iProcess, QString strProcessName);

private slots:
    void onThreadFinished();

private:
    Ui::InstallingUI m_ui;
    int m_iProcess = 0;
    const AppConfig* m_config;
    QPointer<UnInstallThread> m_thread;
    bool m_started = false;
    bool m_finished = false;
    UninstallReport m_report;
};

}  // namespace appinstaller
