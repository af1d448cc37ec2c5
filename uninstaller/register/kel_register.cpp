// Registers an installed program folder with this machine, the way the
// uninstaller finds it again: the installation's configuration
// ("AppConfig.xml", with an id of its own), a prepared program folder, the
// uninstall registry entry and the start-menu entries of KEL and of the
// uninstaller. "remove" takes the registry entry and the start-menu entries
// back (package removal; the uninstaller does the same itself).
//
//   kel-register install <program folder>
//   kel-register remove <program folder>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QUuid>

#include <cstdio>
#include <memory>

#include "AppConfig.h"
#include "ProgramFolder.h"
#include "SystemChecks.h"
#include "sysinstall/sysinstall.h"

using appinstaller::AppConfig;

namespace {

const char kUsage[] = "usage: kel-register install|remove <program folder>\n";

QString StartMenuOf(const AppConfig& config) {
    const QString name = QString::fromStdString(config.GetSoftwareNameEN());
    return sysinstall::StartMenuFolder() + '/' + (name.isEmpty() ? QStringLiteral("KEL") : name);
}

bool WriteConfig(const QString& folder) {
    const QString path = folder + "/AppConfig.xml";
    if (QFileInfo::exists(path)) return true;
    const QString guid = QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
    const QByteArray xml = QStringLiteral(
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AppConfig>\n"
                               "  <GUID>%1</GUID>\n  <Version>%2</Version>\n"
                               "  <SoftwareNameEN>KEL</SoftwareNameEN>\n  <SoftwareNameCH>KEL</SoftwareNameCH>\n"
                               "  <InstallPath>%3</InstallPath>\n  <ProgramName>KEL</ProgramName>\n"
                               "  <Components>\n    <Item><Name>Lorrimax</Name><FilePath>Lorrimax</FilePath></Item>\n"
                               "  </Components>\n</AppConfig>\n")
                               .arg(guid, QStringLiteral(KEL_VERSION_TEXT), folder.toHtmlEscaped())
                               .toUtf8();
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(xml) == xml.size() && f.flush();
}

int Install(const QString& folder) {
    ProgramFolderReport report;
    if (!PrepareProgramFolder(folder, QString(), &report)) {
        std::fprintf(stderr, "kel-register: cannot write %s\n", qPrintable(report.failed.join(", ")));
        return 1;
    }
    if (!WriteConfig(folder)) {
        std::fprintf(stderr, "kel-register: cannot write %s/AppConfig.xml\n", qPrintable(folder));
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
    key->setValue("UninstallString", folder + "/uninstaller");
    key->setValue("DisplayIcon", folder + "/icons/kel.svg");
    key->sync();
    if (key->status() != QSettings::NoError) {
        std::fprintf(stderr, "kel-register: cannot write the registry entry %s\n", qPrintable(keyName));
        return 1;
    }
    const QString menu = StartMenuOf(config);
    const QString suffix = sysinstall::ShortcutSuffix();
    if (!sysinstall::WriteShortcut(menu + "/KEL" + suffix, QStringLiteral("KEL"), folder + "/KEL",
                                   folder + "/icons/kel.svg") ||
        !sysinstall::WriteShortcut(menu + "/Uninstall KEL" + suffix, QStringLiteral("Uninstall KEL"),
                                   folder + "/uninstaller", folder + "/icons/kel-uninstall.svg")) {
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
    const QString menu = StartMenuOf(config);
    if (QFileInfo(menu).isDir() && !QFileInfo(menu).isSymLink() && !QDir(menu).removeRecursively()) {
        std::fprintf(stderr, "kel-register: cannot remove %s\n", qPrintable(menu));
        rc = 1;
    }
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[1] != "install" && args[1] != "remove")) {
        std::fprintf(stderr, "%s", kUsage);
        return args.size() == 2 && (args[1] == "--help" || args[1] == "-h") ? 0 : 2;
    }
    const QString folder = QDir::cleanPath(QDir(args[2]).absolutePath());
    if (!QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "kel-register: %s is not a folder\n", qPrintable(folder));
        return 2;
    }
    return args[1] == "install" ? Install(folder) : Remove(folder);
}
