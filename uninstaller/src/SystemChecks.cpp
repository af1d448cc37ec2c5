// SPDX-License-Identifier: GPL-3.0-or-later
#include "SystemChecks.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

#include <mutex>

#include "AppConfig.h"

namespace appinstaller {

QStringList ClientPrograms(const AppConfig& config) {
    QStringList names;
    auto add = [&names](const QString& program) {
        const QString name = program.mid(program.lastIndexOf('/') + 1);
        if (!name.isEmpty() && !names.contains(name)) names << name;
    };
    add(QString::fromStdString(config.GetProgramName()));
    for (const auto& component : config.GetComponents()) add(component.second);
    return names;
}

bool IsClientInSnapshot(const QStringList& programs, const QString& installFolder,
                        const std::vector<sysinstall::ProcessEntry>& processes, qint64 selfPid,
                        sysinstall::ProcessEntry* found) {
    if (installFolder.isEmpty() || !QDir::isAbsolutePath(installFolder)) return false;
    // The kernel names images by their real path.
    QStringList folders{QDir::cleanPath(installFolder)};
    const QString canonical = QFileInfo(installFolder).canonicalFilePath();
    if (!canonical.isEmpty() && !folders.contains(canonical)) folders << canonical;
    for (const sysinstall::ProcessEntry& p : processes) {
        if (p.pid == selfPid || p.exePath.isEmpty() || !programs.contains(p.exeFile)) continue;
        const QString image = QDir::cleanPath(p.exePath);
        for (const QString& folder : folders) {
            if (folder != "/" && image.startsWith(folder + '/')) {
                if (found) *found = p;
                return true;
            }
        }
    }
    return false;
}

bool IsClientRunning(const QStringList& programs, const QString& installFolder, sysinstall::ProcessEntry* found) {
    std::vector<sysinstall::ProcessEntry> processes;
    if (!sysinstall::SnapshotProcesses(&processes)) return false;
    return IsClientInSnapshot(programs, installFolder, processes, sysinstall::CurrentProcessId(), found);
}

// ---------------------------------------------------------------------------

UninstallRegistry* UninstallRegistry::instance() {
    static std::mutex lock;
    static UninstallRegistry* registry = nullptr;
    std::lock_guard<std::mutex> guard(lock);
    if (!registry) registry = new UninstallRegistry;
    return registry;
}

std::string UninstallRegistry::UninstallKeyPathFor(quint16 processorArchitecture) {
    if (processorArchitecture == sysinstall::ArchAmd64 || processorArchitecture == sysinstall::ArchIa64)
        return "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
}

std::string UninstallRegistry::UninstallKeyPath() {
    return UninstallKeyPathFor(sysinstall::GetNativeSystemInfo().wProcessorArchitecture);
}

bool UninstallRegistry::IsUsableGuid(const std::string& guid) {
    if (guid.empty() || guid == "." || guid == "..") return false;
    for (unsigned char c : guid) {
        if (c == '\\' || c == '/' || c < 0x20 || c == 0x7f) return false;
    }
    return true;
}

QString UninstallRegistry::KeyName(const std::string& guid) {
    if (!IsUsableGuid(guid)) return QString();
    return QString::fromStdString("HKEY_LOCAL_MACHINE\\" + UninstallKeyPath() + guid);
}

bool UninstallRegistry::IsInstalled(const std::string& guid) const {
    const QString name = KeyName(guid);
    if (name.isEmpty()) return false;
    std::shared_ptr<QSettings> key = sysinstall::OpenRegistryKey(name);
    return key && !key->allKeys().isEmpty();
}

bool UninstallRegistry::IsInstalled() const { return IsInstalled(AppConfig::instance()->GetGUID()); }

std::string UninstallRegistry::ReadValue(const std::string& guid, const std::string& name) const {
    const QString keyName = KeyName(guid);
    if (keyName.isEmpty()) return std::string();
    std::shared_ptr<QSettings> key = sysinstall::OpenRegistryKey(keyName);
    if (!key) return std::string();
    const QVariant value = key->value(QString::fromStdString(name));
    return value.isValid() ? value.toString().toStdString() : std::string();
}

std::string UninstallRegistry::InstallLocation(const std::string& guid) const {
    if (!IsInstalled(guid)) return std::string();
    return ReadValue(guid, "InstallLocation");
}

std::string UninstallRegistry::InstallLocation() const {
    return InstallLocation(AppConfig::instance()->GetGUID());
}

bool UninstallRegistry::ClearKey(const std::string& guid, QString* error) const {
    const QString keyName = KeyName(guid);
    if (keyName.isEmpty()) {
        if (error) *error = QStringLiteral("no usable installation id");
        return false;
    }
    return sysinstall::DeleteRegistryKey(keyName, error);
}

bool UninstallRegistry::ClearKey() const { return ClearKey(AppConfig::instance()->GetGUID()); }

}  // namespace appinstaller
