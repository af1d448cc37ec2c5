#include "SystemChecks.h"

#include <QSettings>
#include <QVariant>

#include <mutex>

#include "AppConfig.h"

namespace appinstaller {

bool IsClientInSnapshot(const QString& programName, const std::vector<sysinstall::ProcessEntry>& processes,
                        qint64 selfPid) {
    const QString name = programName.mid(programName.lastIndexOf('/') + 1);
    if (name.isEmpty()) return false;
    for (const sysinstall::ProcessEntry& p : processes) {
        if (p.pid == selfPid) continue;
        if (!p.exeFile.isEmpty()) {
            if (p.exeFile == name) return true;
        } else if (!p.comm.isEmpty() && p.comm == name.left(sysinstall::kCommLength)) {
            // Image of another user's process: only its short name is known.
            return true;
        }
    }
    return false;
}

bool IsClientRunning(const QString& programName) {
    std::vector<sysinstall::ProcessEntry> processes;
    if (!sysinstall::SnapshotProcesses(&processes)) return false;
    return IsClientInSnapshot(programName, processes, sysinstall::CurrentProcessId());
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
