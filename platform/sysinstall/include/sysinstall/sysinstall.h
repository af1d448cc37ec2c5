// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// System services of an installer, on Linux:
// - registry keys are small INI files below a registry folder;
// - shortcuts are desktop entries in the desktop and applications folders;
// - the process snapshot comes from /proc;
// - native system info tells the processor architecture and word size.
// The folders can be moved with environment variables (see docs/uninstaller.md).
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

class QSettings;

namespace sysinstall {

// ---- registry -------------------------------------------------------------

// Folder that holds the key files: $KEL_REGISTRY_DIR when set, else
// ~/.local/share/kel/registry.
QString RegistryRoot();

// File of a key named like "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Key":
// RegistryRoot()/HKEY_LOCAL_MACHINE/SOFTWARE/Vendor/Key.ini. Empty when any
// part of the name is empty, "." or "..", or holds '/' or a control character,
// so that no key name can reach outside the registry folder.
QString RegistryKeyFile(const QString& keyName);

// The key as settings over its file (INI format; values and subkeys of the key
// are the file's keys and groups). Null for a name RegistryKeyFile refuses.
std::shared_ptr<QSettings> OpenRegistryKey(const QString& keyName);

// Removes every value and subkey of a key, and its file, then the folders of
// the key's path that are left empty, up to the registry folder. True when the
// key is gone afterwards (also when it never existed); otherwise false with a
// reason.
bool DeleteRegistryKey(const QString& keyName, QString* error = nullptr);

// ---- shortcuts ------------------------------------------------------------

// The user's desktop: $KEL_DESKTOP_DIR, else the standard desktop location.
QString DesktopFolder();
// The desktop shared by all users: $KEL_PUBLIC_DESKTOP_DIR; empty when unset
// (this system has no shared desktop of its own).
QString PublicDesktopFolder();
// The start menu: $KEL_APPLICATIONS_DIR, else the standard applications location.
QString StartMenuFolder();
// The start menu only this user sees. For the administrator, whose start menu
// is every user's, the applications folder of the administrator's own home;
// for anyone else StartMenuFolder(). $KEL_PRIVATE_APPLICATIONS_DIR when set,
// else StartMenuFolder() when $KEL_APPLICATIONS_DIR is set.
QString PrivateStartMenuFolder();
// File name ending of a shortcut: ".desktop".
QString ShortcutSuffix();

// Writes a shortcut (desktop entry) named `name` that starts `target`.
// `icon` (a picture file) and `categories` (the menu categories, each ended by
// ';') are optional.
bool WriteShortcut(const QString& path, const QString& name, const QString& target, const QString& icon = QString(),
                   const QString& categories = QString());

// ---- processes ------------------------------------------------------------

struct ProcessEntry {
    qint64 pid = 0;
    // File name of the process image without its folder (empty when the
    // image cannot be read, for example a process of another user).
    QString exeFile;
    // The image's whole path (empty when it cannot be read).
    QString exePath;
    // The kernel's short command name (at most 15 characters).
    QString comm;
};

// Every process visible in /proc. False when /proc cannot be read.
bool SnapshotProcesses(std::vector<ProcessEntry>* out);

qint64 CurrentProcessId();

// Length the kernel keeps of a command name.
constexpr int kCommLength = 15;

// ---- native system info ---------------------------------------------------

enum ProcessorArchitecture : quint16 {
    ArchIntel = 0,
    ArchArm = 5,
    ArchIa64 = 6,
    ArchAmd64 = 9,
    ArchArm64 = 12,
    ArchUnknown = 0xffff,
};

struct NativeSystemInfo {
    quint16 wProcessorArchitecture = ArchUnknown;
    int wordBits = 0;  // word size of the machine: 32 or 64 (0 when unknown)
};

// Architecture code of a machine name as the kernel reports it ("x86_64",
// "i686", "aarch64", ...).
quint16 ArchitectureOfMachine(const QString& machine);

// The machine this runs on, whatever this program was built for.
NativeSystemInfo GetNativeSystemInfo();

}  // namespace sysinstall
