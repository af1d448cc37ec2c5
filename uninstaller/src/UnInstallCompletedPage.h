// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page shown when the uninstall sequence has ended: success, or what was
// left behind.
#include <QWidget>

#include "Forms.h"
#include "InstallProcessMgr.h"

namespace appinstaller {

class UnInstallCompletedPage : public QWidget {
    Q_OBJECT
public:
    explicit UnInstallCompletedPage(QWidget* parent = nullptr);

    // Shows the outcome of the sequence.
    void setReport(const UninstallReport& report);

    const Ui::UnInstallCompletedUI& ui() const { return m_ui; }

signals:
    void signalClose();

private slots:
    void onCompletedBtnClicked();

private:
    Ui::UnInstallCompletedUI m_ui;
};

}  // namespace appinstaller
