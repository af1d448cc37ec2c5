// SPDX-License-Identifier: GPL-3.0-or-later
#include "sysinstall/sysinstall.h"

#include <sys/utsname.h>

namespace sysinstall {

quint16 ArchitectureOfMachine(const QString& machine) {
    const QString m = machine.toLower();
    if (m == "x86_64" || m == "amd64") return ArchAmd64;
    if (m == "aarch64" || m == "aarch64_be" || m == "arm64") return ArchArm64;
    if (m == "ia64") return ArchIa64;
    if (m.size() == 4 && m.startsWith('i') && m.endsWith("86")) return ArchIntel;
    if (m == "x86") return ArchIntel;
    if (m.startsWith("arm")) return ArchArm;
    return ArchUnknown;
}

NativeSystemInfo GetNativeSystemInfo() {
    NativeSystemInfo info;
    utsname u{};
    if (uname(&u) != 0) return info;
    info.wProcessorArchitecture = ArchitectureOfMachine(QString::fromLatin1(u.machine));
    switch (info.wProcessorArchitecture) {
    case ArchAmd64:
    case ArchArm64:
    case ArchIa64:
        info.wordBits = 64;
        break;
    case ArchIntel:
    case ArchArm:
        info.wordBits = 32;
        break;
    default:
        info.wordBits = 0;
        break;
    }
    return info;
}

}  // namespace sysinstall
