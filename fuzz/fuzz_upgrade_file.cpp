// SPDX-License-Identifier: GPL-3.0-or-later
// "Upgrade.xml": the upgrade dialog reading the server address and the
// prompt preference from a file that is the fuzz input, then recording the
// "No Prompt" choice back into it.
// Checked: a file that loads keeps its server address when the choice is
// recorded, and a new dialog reads the choice recorded.
#include <QApplication>
#include <QCheckBox>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "common/UpgradeTool.h"
#include "fuzz_support.h"
#include "ziraz/genericds.h"

namespace {

QString UpgradeFile() { return QString::fromStdString(kelfuzz::ScratchDir() + "/home/Upgrade.xml"); }

QString ServerAddress() {
    ziraz::GenericDS doc;
    if (!doc.loadXML(UpgradeFile())) return QStringLiteral("<unreadable>");
    return doc.GetChildByName(QStringLiteral("ServerAddressEn")).GetChildByName(QStringLiteral("Value")).GetValue();
}

upgrade::tagAppProperty Installed() {
    upgrade::tagAppProperty p;
    p.appName = "KEL";
    p.version = "4.3.0";
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string home = kelfuzz::CleanFolder("home");
    setenv("KEL_HOME", home.c_str(), 1);
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelfuzz::WriteFile(UpgradeFile().toStdString(), data, size);
    ziraz::GenericDS doc;
    const bool loads = doc.loadXML(UpgradeFile());
    const QString address = ServerAddress();
    {
        UpgradeTool dialog(Installed());
        dialog.serverAddress();
        dialog.isNoPrompt();
        dialog.form()->checkBox->setChecked(true);
        dialog.form()->checkBox->setChecked(false);
        dialog.form()->checkBox->setChecked(true);
    }
    if (loads) {
        if (ServerAddress() != address) __builtin_trap();   // recording the choice changed the rest
        UpgradeTool again(Installed());
        if (!again.isNoPrompt()) __builtin_trap();   // the choice recorded is not read back
    }
    return 0;
}
