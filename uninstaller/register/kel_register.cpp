// SPDX-License-Identifier: GPL-3.0-or-later
// Registers an installed program folder with this machine, the way the
// uninstaller finds it again: the installation's configuration
// ("AppConfig.xml", with an id of its own and the version installed), a
// prepared program folder, the record of what the installation put into its
// folder ("InstallManifest.txt"), the uninstall registry entry and, for an
// installation of its own, the start-menu entries of KEL and of the
// uninstaller. "remove" takes the registry entry and the installation's
// start-menu entries back (package removal).
//
//   kel-register install <program folder> [--manifest <draft>] [--package <name>]
//   kel-register remove <program folder>
//
// --manifest names a draft of the record (same format) with what the install
// step put in place; --package marks an installation of the package manager,
// whose files the package manager keeps track of itself.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QUuid>

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "AppConfig.h"
#include "InstallManifest.h"
#include "InstallProcessMgr.h"
#include "storage/ProgramFolder.h"
#include "SystemChecks.h"
#include "sysinstall/sysinstall.h"

using appinstaller::AppConfig;
using appinstaller::InstallManifest;
using appinstaller::InstallProcessMgr;

namespace {

const char kUsage[] =
    "usage: kel-register install <program folder> [--manifest <draft>] [--package <name>]\n"
    "       kel-register remove <program folder>\n";

const char kProduct[] = "KEL";
// Menu categories of the entries.
const char kCategories[] = "AudioVideo;Video;";

// Files and folders the programs make in their program folder while they run.
// They belong to the installation when their names were free at install time.
const char* const kWorkFiles[] = {"DESetup.xml", "SearchedFile.xml", "DiskFile.xml", "map/api.txt"};
const char* const kWorkFolders[] = {"Target", "Other"};

// The start-menu folder `name`: in the menu every user sees, or in the one
// only this user sees (for the administrator, the entry that removes the
// installation is not shown to other users, who cannot use it).
QString MenuFolder(const QString& name, bool own = false) {
    return (own ? sysinstall::PrivateStartMenuFolder() : sysinstall::StartMenuFolder()) + '/' + name;
}
// The menus the entries of an installation lie in.
QList<bool> Menus() {
    if (sysinstall::PrivateStartMenuFolder() == sysinstall::StartMenuFolder()) return {false};
    return {false, true};
}

// The menu folder `menu` holds nothing but entries of the installation in
// `folder`, or does not exist.
bool MenuFolderFreeIn(const QString& menu, const QString& folder) {
    const QFileInfo info(menu);
    if (!info.exists() && !info.isSymLink()) return true;
    if (info.isSymLink() || !info.isDir()) return false;
    const QStringList entries =
        QDir(menu).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (!InstallProcessMgr::IsShortcutInto(menu + '/' + e, folder)) return false;
    }
    return true;
}

// A start-menu folder that holds nothing but entries of the installation in
// `folder` (or does not exist) can be this installation's.
bool MenuFolderFree(const QString& name, const QString& folder) {
    for (bool own : Menus())
        if (!MenuFolderFreeIn(MenuFolder(name, own), folder)) return false;
    return true;
}

// The product name of an installation, which names its start-menu folder:
// "KEL", or "KEL (2)", "KEL (3)", ... when another installation side by side
// has that folder already. An installation keeps the name it has.
QString ProductNameFor(const QString& folder, const QString& current, bool withMenu) {
    if (!withMenu) return current.isEmpty() ? QString(kProduct) : current;
    if (InstallProcessMgr::IsUsableName(current) && MenuFolderFree(current, folder)) return current;
    if (MenuFolderFree(kProduct, folder)) return kProduct;
    for (int n = 2; n < 1000; ++n) {
        const QString name = QString("%1 (%2)").arg(kProduct).arg(n);
        if (MenuFolderFree(name, folder)) return name;
    }
    return QString();
}

// Removes the entries of the installation in `folder` from the menu folder
// `menu`, and the folder when nothing else is left in it.
bool RemoveMenuEntriesIn(const QString& menu, const QString& folder) {
    const QFileInfo info(menu);
    if (info.isSymLink() || !info.isDir()) return true;
    bool ok = true;
    for (const QString& e : QDir(menu).entryList(QDir::Files | QDir::System | QDir::Hidden)) {
        const QString path = menu + '/' + e;
        if (InstallProcessMgr::IsShortcutInto(path, folder) && !QFile::remove(path)) {
            std::fprintf(stderr, "kel-register: cannot remove %s\n", qPrintable(path));
            ok = false;
        }
    }
    QDir().rmdir(menu);
    return ok;
}

// Removes the start-menu entries of the installation in `folder` from the
// menu folder `name` (the folder too when nothing else is left in it). Other
// entries there, and shortcuts elsewhere, are not this step's.
bool RemoveMenuEntries(const QString& name, const QString& folder) {
    if (!InstallProcessMgr::IsUsableName(name)) return true;
    bool ok = true;
    for (bool own : Menus()) ok &= RemoveMenuEntriesIn(MenuFolder(name, own), folder);
    return ok;
}

// Writes "AppConfig.xml": the id stays what it was, the version and the
// product name are this install's.
bool WriteConfig(const QString& folder, const std::string& guidIn, const QString& name) {
    const QString path = folder + "/AppConfig.xml";
    const QString guid = guidIn.empty() ? QUuid::createUuid().toString(QUuid::WithBraces).toUpper()
                                        : QString::fromStdString(guidIn);
    const QByteArray xml = QStringLiteral(
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AppConfig>\n"
                               "  <GUID>%1</GUID>\n  <Version>%2</Version>\n"
                               "  <SoftwareNameEN>%3</SoftwareNameEN>\n  <SoftwareNameCH>%3</SoftwareNameCH>\n"
                               "  <InstallPath>%4</InstallPath>\n  <ProgramName>KEL</ProgramName>\n"
                               "  <Components>\n    <Item><Name>Lorrimax</Name><FilePath>Lorrimax</FilePath></Item>\n"
                               "  </Components>\n</AppConfig>\n")
                               .arg(guid.toHtmlEscaped(), QStringLiteral(KEL_VERSION_TEXT), name.toHtmlEscaped(),
                                    folder.toHtmlEscaped())
                               .toUtf8();
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(xml) == xml.size() && f.commit();
}

QString Relative(const QString& folder, const QString& path) {
    const QString rel = QDir(folder).relativeFilePath(path);
    return rel.isEmpty() ? QStringLiteral(".") : rel;
}

int Install(const QString& folder, const QString& draftPath, const QString& package) {
    const bool withMenu = package.isEmpty();
    // What an earlier install of this installation recorded stays recorded:
    // a reinstall does not make the folders it made then a second time.
    InstallManifest manifest;
    const QString manifestPath = InstallManifest::PathIn(folder);
    if (QFileInfo::exists(manifestPath)) {
        QString error;
        if (!manifest.load(manifestPath, &error)) {
            std::fprintf(stderr, "kel-register: %s\n", qPrintable(error));
            return 1;
        }
        if (!manifest.packageName().isEmpty() && manifest.packageName() != package) {
            std::fprintf(stderr, "kel-register: %s belongs to the package %s\n", qPrintable(folder),
                         qPrintable(manifest.packageName()));
            return 1;
        }
    }
    if (!draftPath.isEmpty()) {
        InstallManifest draft;
        QString error;
        if (!draft.load(draftPath, &error)) {
            std::fprintf(stderr, "kel-register: %s\n", qPrintable(error));
            return 1;
        }
        manifest.merge(draft);
    }
    manifest.setPackageName(package);

    if (!withMenu) {
        // The package's own folder: whatever of the set-up step and the
        // programs is there is the package's, also what an earlier release
        // made without recording it, and goes with the package's purge
        // (folders only when empty: saved videos and pictures stay).
        using Kind = InstallManifest::Kind;
        for (const QString& f : ProgramFolderFolders()) manifest.add(Kind::Folder, f);
        for (const QString& f : ProgramFolderFiles()) manifest.add(Kind::File, f);
        for (const char* name : kWorkFiles) manifest.add(Kind::WorkFile, name);
        for (const char* name : kWorkFolders) manifest.add(Kind::WorkFolder, name);
    }
    // Names the programs will use while they run, noted before anything of
    // this step is made.
    for (const char* name : kWorkFiles) {
        const QFileInfo info(folder + '/' + name);
        if (!info.exists() && !info.isSymLink()) manifest.add(InstallManifest::Kind::WorkFile, name);
    }
    for (const char* name : kWorkFolders) {
        const QFileInfo info(folder + '/' + name);
        if (!info.exists() && !info.isSymLink()) manifest.add(InstallManifest::Kind::WorkFolder, name);
    }

    ProgramFolderReport report;
    const bool prepared = PrepareProgramFolder(folder, QString(), &report);
    for (const QString& f : report.createdFolders) manifest.add(InstallManifest::Kind::Folder, Relative(folder, f));
    for (const QString& f : report.written) manifest.add(InstallManifest::Kind::File, Relative(folder, f));
    if (!prepared) {
        manifest.save(manifestPath);
        std::fprintf(stderr, "kel-register: cannot write %s\n", qPrintable(report.failed.join(", ")));
        return 1;
    }

    const AppConfig old(folder + "/AppConfig.xml");
    const bool hadConfig = QFileInfo::exists(folder + "/AppConfig.xml");
    const QString name =
        ProductNameFor(folder, hadConfig ? QString::fromStdString(old.GetSoftwareNameEN()) : QString(), withMenu);
    if (name.isEmpty()) {
        std::fprintf(stderr, "kel-register: no free start-menu folder for %s\n", qPrintable(folder));
        return 1;
    }
    manifest.add(InstallManifest::Kind::File, QStringLiteral("AppConfig.xml"));
    QString error;
    if (!manifest.save(manifestPath, &error) || !WriteConfig(folder, old.GetGUID(), name)) {
        std::fprintf(stderr, "kel-register: cannot write %s\n",
                     qPrintable(error.isEmpty() ? folder + "/AppConfig.xml" : error));
        return 1;
    }

    const AppConfig config(folder + "/AppConfig.xml");
    const QString keyName = appinstaller::UninstallRegistry::KeyName(config.GetGUID());
    std::shared_ptr<QSettings> key = sysinstall::OpenRegistryKey(keyName);
    if (!key) {
        std::fprintf(stderr, "kel-register: no usable installation id in %s/AppConfig.xml\n", qPrintable(folder));
        return 1;
    }
    key->setValue("DisplayName", QString::fromStdString(config.GetSoftwareNameEN()));
    key->setValue("DisplayVersion", QString::fromStdString(config.GetVersion()));
    key->setValue("InstallLocation", folder);
    key->setValue("UninstallString", withMenu ? folder + "/uninstaller" : "apt remove " + package);
    key->setValue("DisplayIcon", folder + "/icons/kel.svg");
    key->sync();
    if (key->status() != QSettings::NoError) {
        std::fprintf(stderr, "kel-register: cannot write the registry entry %s\n", qPrintable(keyName));
        return 1;
    }

    if (!withMenu) {
        // The package brings its own menu entry; entries an earlier install
        // of this folder wrote go.
        RemoveMenuEntries(name, folder);
        std::printf("registered %s (package %s)\n", qPrintable(folder), qPrintable(package));
        return 0;
    }
    const QString menu = MenuFolder(name);
    const QString ownMenu = MenuFolder(name, true);
    const QString suffix = sysinstall::ShortcutSuffix();
    // An earlier install put the entry that removes it into the menu every
    // user sees.
    const QString shared = menu + "/Uninstall KEL" + suffix;
    if (ownMenu != menu && InstallProcessMgr::IsShortcutInto(shared, folder)) QFile::remove(shared);
    if (!sysinstall::WriteShortcut(menu + "/KEL" + suffix, name, folder + "/KEL", folder + "/icons/kel.svg",
                                   kCategories) ||
        !sysinstall::WriteShortcut(ownMenu + "/Uninstall KEL" + suffix, "Uninstall " + name, folder + "/uninstaller",
                                   folder + "/icons/kel-uninstall.svg", kCategories)) {
        std::fprintf(stderr, "kel-register: cannot write the start-menu entries in %s\n", qPrintable(menu));
        return 1;
    }
    std::printf("registered %s\n", qPrintable(folder));
    return 0;
}

int Remove(const QString& folder) {
    const AppConfig config(folder + "/AppConfig.xml");
    QString error;
    const QString keyName = appinstaller::UninstallRegistry::KeyName(config.GetGUID());
    int rc = 0;
    if (!keyName.isEmpty() && !sysinstall::DeleteRegistryKey(keyName, &error)) {
        std::fprintf(stderr, "kel-register: %s\n", qPrintable(error));
        rc = 1;
    }
    if (!RemoveMenuEntries(QString::fromStdString(config.GetSoftwareNameEN()), folder)) rc = 1;
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    // What this step makes is readable by all, whatever the caller's mask.
    umask(022);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::printf("%s", kUsage);
        return 0;
    }
    QString draft, package;
    if (args.size() >= 2 && args[0] == "install") {
        for (int i = 2; i < args.size(); i += 2) {
            if (i + 1 >= args.size()) {
                args.clear();
                break;
            }
            if (args[i] == "--manifest") {
                draft = args[i + 1];
            } else if (args[i] == "--package" && !args[i + 1].isEmpty()) {
                package = args[i + 1];
            } else {
                args.clear();
                break;
            }
        }
    } else if (args.size() != 2 || args[0] != "remove") {
        args.clear();
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    const QString folder = QDir::cleanPath(QDir(args[1]).absolutePath());
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "kel-register: %s is not a folder\n", qPrintable(folder));
        return 2;
    }
    return args[0] == "install" ? Install(folder, draft, package) : Remove(folder);
}
