// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fake installation for the uninstaller tests: registry, desktop, shared
// desktop and start-menu folders inside the test's program folder, an install
// folder with its "AppConfig.xml" and the record of what the installation put
// there ("InstallManifest.txt"), shortcuts and the registry entry.
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QString>

#include <memory>
#include <utility>
#include <string>

#include "AppConfig.h"
#include "InstallManifest.h"
#include "SystemChecks.h"
#include "kel_test/test_support.h"
#include "sysinstall/sysinstall.h"

namespace uninstall_test {

inline QByteArray ConfigXml(const QString& guid, const QString& nameEN, const QString& nameCH,
                            const QString& program = "bin/KEL") {
    return QString(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<AppConfig><Product><GUID>%1</GUID></Product>"
               "<SoftwareNameEN>%2</SoftwareNameEN><SoftwareNameCH>%3</SoftwareNameCH>"
               "<ProgramName>%4</ProgramName><InstallPath>/opt/</InstallPath></AppConfig>\n")
        .arg(guid, nameEN, nameCH, program)
        .toUtf8();
}

class FakeInstall {
public:
    explicit FakeInstall(const QString& guid = "{7D2E-KEL-TEST}", const QString& nameEN = "KEL",
                         const QString& nameCH = QString::fromUtf8("\xe5\xae\xa2\xe6\x88\xb7\xe7\xab\xaf"))
        : base(kel_test::ProgramFolder()),
          registry("KEL_REGISTRY_DIR", (base + "/registry").toStdString()),
          desktop("KEL_DESKTOP_DIR", (base + "/desktop").toStdString()),
          publicDesktop("KEL_PUBLIC_DESKTOP_DIR", (base + "/public").toStdString()),
          apps("KEL_APPLICATIONS_DIR", (base + "/apps").toStdString()),
          installDir(base + "/opt/" + nameEN),
          configPath(base + "/AppConfig-" + nameEN + ".xml") {
        const QByteArray xml = ConfigXml(guid, nameEN, nameCH);
        kel_test::WriteFile(configPath, xml);
        config = std::make_unique<appinstaller::AppConfig>(configPath);
        // The installation itself, and its record.
        using Kind = appinstaller::InstallManifest::Kind;
        for (const char* folder : {".", "bin", "translations", "map", "empty", "empty/deeper"}) {
            QDir().mkpath(installDir + "/" + folder);
            manifest.add(Kind::Folder, folder);
        }
        const std::pair<const char*, const char*> files[] = {{"AppConfig.xml", nullptr},
                                                             {"bin/KEL", "program"},
                                                             {"bin/uninstaller", "uninstaller"},
                                                             {"translations/a_en.qm", "qm"},
                                                             {"map/.hidden", "x"}};
        for (const auto& f : files) {
            kel_test::WriteFile(installDir + "/" + f.first, f.second ? QByteArray(f.second) : xml);
            manifest.add(Kind::File, f.first);
        }
        saveManifest();
        // Shortcuts.
        const QString suffix = sysinstall::ShortcutSuffix();
        sysinstall::WriteShortcut(base + "/desktop/" + nameEN + suffix, nameEN, installDir + "/bin/KEL");
        sysinstall::WriteShortcut(base + "/desktop/" + nameCH + suffix, nameCH, installDir + "/bin/KEL");
        sysinstall::WriteShortcut(base + "/desktop/KEL" + suffix, "KEL", installDir + "/bin/KEL");
        sysinstall::WriteShortcut(base + "/public/KEL4.0" + suffix, "KEL", installDir + "/bin/KEL");
        sysinstall::WriteShortcut(base + "/apps/" + nameEN + "/KEL" + suffix, "KEL", installDir + "/bin/KEL");
        sysinstall::WriteShortcut(base + "/apps/" + nameCH + "/KEL" + suffix, "KEL", installDir + "/bin/KEL");
        // Things of the user that must stay.
        kel_test::WriteFile(base + "/desktop/notes.txt", "mine");
        kel_test::WriteFile(base + "/apps/other.desktop", "other");
        setRegistry(guid.toStdString(), installDir);
    }

    // Adds an entry to the record of the installation.
    void record(appinstaller::InstallManifest::Kind kind, const QString& path) {
        manifest.add(kind, path);
        saveManifest();
    }
    void saveManifest() { manifest.save(appinstaller::InstallManifest::PathIn(installDir)); }

    void setRegistry(const std::string& guid, const QString& location) {
        auto key = sysinstall::OpenRegistryKey(appinstaller::UninstallRegistry::KeyName(guid));
        key->setValue("DisplayName", "KEL");
        if (!location.isNull()) key->setValue("InstallLocation", location);
    }

    const QString base;
    kel_test::ScopedEnv registry, desktop, publicDesktop, apps;
    const QString installDir;
    const QString configPath;
    std::unique_ptr<appinstaller::AppConfig> config;
    appinstaller::InstallManifest manifest;
};

}  // namespace uninstall_test
