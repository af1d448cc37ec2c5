// SPDX-License-Identifier: GPL-3.0-or-later
#include "kel_test/scoped_mount.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kel_test {

namespace {

constexpr long kFuseMagic = 0x65735546;

bool MakeFolder(const std::string& folder, std::string* why) {
    if (::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST) return true;
    *why = "cannot make " + folder + ": " + std::strerror(errno);
    return false;
}

// Runs a program to its end; false (with its output in `why`) on a failure.
bool Run(const QString& program, const QStringList& arguments, std::string* why) {
    const QString exe = QStandardPaths::findExecutable(program, {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
    if (exe.isEmpty()) {
        *why = program.toStdString() + " is not installed";
        return false;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(exe, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *why = program.toStdString() + " failed: " + p.readAll().toStdString();
        return false;
    }
    return true;
}

}  // namespace

ScopedMount ScopedMount::Tmpfs(const std::string& folder, unsigned long bytes) {
    ScopedMount m;
    m.m_folder = folder;
    if (!MakeFolder(folder, &m.m_why)) return m;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("kel-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        m.m_why = std::string("cannot mount a memory file system: ") + std::strerror(errno);
        return m;
    }
    m.m_mounted = true;
    return m;
}

ScopedMount ScopedMount::FuseFat(const std::string& folder, unsigned long bytes) {
    ScopedMount m;
    m.m_folder = folder;
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        m.m_why = "no /dev/fuse";
        return m;
    }
    if (!MakeFolder(folder, &m.m_why)) return m;
    m.m_image = folder + ".img";
    ::unlink(m.m_image.c_str());
    if (!Run("mkfs.vfat", {"-C", QString::fromStdString(m.m_image), QString::number(bytes / 1024)}, &m.m_why))
        return m;
    // The driver mounts, then goes on in the background.
    if (!Run("fusefat", {"-o", "rw+", QString::fromStdString(m.m_image), QString::fromStdString(folder)}, &m.m_why))
        return m;
    struct statfs fs {};
    if (::statfs(folder.c_str(), &fs) != 0 || fs.f_type != kFuseMagic) {
        m.m_why = "the FAT image did not mount on " + folder;
        return m;
    }
    m.m_mounted = true;
    return m;
}

ScopedMount::ScopedMount(ScopedMount&& other) noexcept
    : m_folder(std::move(other.m_folder)), m_image(std::move(other.m_image)), m_mounted(other.m_mounted),
      m_why(std::move(other.m_why)) {
    other.m_mounted = false;
    other.m_image.clear();
}

ScopedMount::~ScopedMount() {
    if (m_mounted) {
        // A user-space driver ends when its file system is unmounted.
        if (::umount2(m_folder.c_str(), 0) != 0) ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    if (!m_image.empty()) ::unlink(m_image.c_str());
}

}  // namespace kel_test
