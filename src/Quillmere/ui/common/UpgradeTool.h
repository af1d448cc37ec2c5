// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialog that offers a newer program version from the update server.
//
// It reads the server address and the "Prompt" preference from
// "Upgrade.xml" in the program folder, asks the upgrade library for a newer
// version (checkForUpdate), shows it, and downloads the package on onUpgrade.
// Both run on the dialog's own worker thread; their ends come back to the
// GUI thread (signalUpdateCheckOver, signalDownloadOver). The "No Prompt"
// check box writes the preference back at once.
#include <QString>
#include <memory>

#include "sabrel/upgrade.h"
#include "ziraz/dialogs.h"

class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QThread;
class QVBoxLayout;

namespace Ui {

class UpgradeToolClass {
public:
    QHBoxLayout* horizontalLayout = nullptr;
    QFrame* frame = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QSpacerItem* verticalSpacer = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QLabel* iconLabel = nullptr;
    QLabel* label_2 = nullptr;
    QLabel* versionLabel = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;
    QSpacerItem* verticalSpacer_2 = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QCheckBox* checkBox = nullptr;
    QSpacerItem* horizontalSpacer_3 = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

}  // namespace Ui

class UpgradeTool : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit UpgradeTool(const upgrade::tagAppProperty& property, QWidget* parent = nullptr);
    ~UpgradeTool() override;

    // Asks the server for a newer version on the worker thread; the answer
    // arrives as signalUpdateCheckOver (after the version is shown).
    void checkForUpdate();
    void setNewVersion(const QString& version);

    QString versionText() const { return m_version; }
    QString serverAddress() const { return m_serverAddress; }
    bool isNoPrompt() const { return m_noPrompt; }
    std::shared_ptr<upgrade::Upgrade> upgrader() const { return m_upgrade; }
    Ui::UpgradeToolClass* form() { return &m_ui; }

signals:
    void signalUpdateCheckOver(bool isNeedUpdate);
    // The end of a download started by onUpgrade.
    void signalDownloadOver(bool ok);

public slots:
    void onUpgrade();

private slots:
    void onCheckBoxStateChange(int state);

private:
    void setup();
    void writePrompt(const QString& value);

    std::shared_ptr<upgrade::Upgrade> m_upgrade;
    upgrade::tagAppProperty m_property;
    bool m_noPrompt = false;
    QString m_serverAddress;
    QString m_version;
    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr;  // lives on m_thread; runs the library calls
    Ui::UpgradeToolClass m_ui;
};
