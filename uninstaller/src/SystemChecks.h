// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up checks of the uninstaller: is the main program running, and does
// the installation have its entry under the uninstall key.
#include <QString>
#include <QtGlobal>

#include <string>
#include <vector>

#include "sysinstall/sysinstall.h"

namespace appinstaller {

class AppConfig;

// The programs of an installation that must not run while it is removed:
// the main program ("ProgramName") and the components' files, each by its
// file name (the part after the last '/').
QStringList ClientPrograms(const AppConfig& config);

// True when a process other than this one runs one of `programs` (file names;
// the image name must match exactly, letter case included) from inside the
// installation's folder `installFolder`: the same program of another
// installation, or a process whose image cannot be seen (another user's),
// does not count. `found` gets the first such process.
bool IsClientRunning(const QStringList& programs, const QString& installFolder,
                     sysinstall::ProcessEntry* found = nullptr);

// The same check over a given process list, with `selfPid` left out.
bool IsClientInSnapshot(const QStringList& programs, const QString& installFolder,
                        const std::vector<sysinstall::ProcessEntry>& processes, qint64 selfPid,
                        sysinstall::ProcessEntry* found = nullptr);

// The installation's entry under the uninstall key. Every call reads the
// registry anew. An installation id that cannot name a single key (empty, or
// holding a separator) is never looked up, so neither the uninstall key itself
// nor any other key is ever taken for the installation.
class UninstallRegistry {
public:
    static UninstallRegistry* instance();

    // The uninstall key below HKEY_LOCAL_MACHINE for this machine, ending in '\'.
    static std::string UninstallKeyPath();
    // The same for a given processor architecture code.
    static std::string UninstallKeyPathFor(quint16 processorArchitecture);
    // Full name of the installation's key; empty for an unusable id.
    static QString KeyName(const std::string& guid);
    static bool IsUsableGuid(const std::string& guid);

    bool IsInstalled(const std::string& guid) const;
    bool IsInstalled() const;  // for AppConfig's GUID
    std::string ReadValue(const std::string& guid, const std::string& name) const;
    // "InstallLocation" of the installation's key; empty when not installed.
    std::string InstallLocation(const std::string& guid) const;
    std::string InstallLocation() const;  // for AppConfig's GUID
    // Removes every value and subkey of the installation's key. True when the
    // key is gone afterwards; otherwise false with the reason in `error`.
    bool ClearKey(const std::string& guid, QString* error = nullptr) const;
    bool ClearKey() const;  // for AppConfig's GUID

private:
    UninstallRegistry() = default;
};

}  // namespace appinstaller
