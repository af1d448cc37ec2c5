// SPDX-License-Identifier: GPL-3.0-or-later
// The uninstaller: removes the installation named in "AppConfig.xml" and the
// uninstall registry entry (install folder, shortcuts, registry entry).
#include "AppConfig.h"
#include "Application.h"

int main(int argc, char* argv[]) {
    appinstaller::Application app(argc, argv);
    return appinstaller::RunUninstaller(*appinstaller::AppConfig::instance());
}
