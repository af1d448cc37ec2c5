// SPDX-License-Identifier: GPL-3.0-or-later
#include "sysinstall/sysinstall.h"

#include <QByteArray>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace sysinstall {

namespace {
QByteArray ReadSmallFile(const QByteArray& path) {
    int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char buf[256];
    ssize_t n = read(fd, buf, sizeof buf);
    close(fd);
    return n > 0 ? QByteArray(buf, static_cast<int>(n)) : QByteArray();
}

QString ImagePath(const QByteArray& pidDir) {
    const QByteArray link = "/proc/" + pidDir + "/exe";
    char target[4096];
    ssize_t n = readlink(link.constData(), target, sizeof target - 1);
    if (n <= 0) return {};
    QByteArray path(target, static_cast<int>(n));
    // An image removed while the process runs reads back with this ending.
    static const QByteArray deleted(" (deleted)");
    if (path.endsWith(deleted)) path.chop(deleted.size());
    return QString::fromLocal8Bit(path);
}
// True for a process that has exited and only waits for its parent to
// collect it (state Z or X in /proc/<pid>/stat): it runs nothing any more.
bool HasExited(const QByteArray& pidDir) {
    const QByteArray stat = ReadSmallFile("/proc/" + pidDir + "/stat");
    const int close = stat.lastIndexOf(')');   // the name may hold anything
    if (close < 0 || close + 2 >= stat.size()) return false;
    const char state = stat[close + 2];
    return state == 'Z' || state == 'X' || state == 'x';
}
}  // namespace

bool SnapshotProcesses(std::vector<ProcessEntry>* out) {
    out->clear();
    DIR* proc = opendir("/proc");
    if (!proc) return false;
    while (dirent* e = readdir(proc)) {
        char* end = nullptr;
        const long long pid = std::strtoll(e->d_name, &end, 10);
        if (!end || *end != '\0' || pid <= 0) continue;
        if (HasExited(QByteArray(e->d_name))) continue;
        ProcessEntry entry;
        entry.pid = pid;
        entry.exePath = ImagePath(QByteArray(e->d_name));
        entry.exeFile = entry.exePath.mid(entry.exePath.lastIndexOf('/') + 1);
        QByteArray comm = ReadSmallFile("/proc/" + QByteArray(e->d_name) + "/comm");
        if (comm.endsWith('\n')) comm.chop(1);
        entry.comm = QString::fromLocal8Bit(comm);
        // A process that ended between the listing and the reads is left out.
        if (entry.exeFile.isEmpty() && entry.comm.isEmpty()) continue;
        out->push_back(entry);
    }
    closedir(proc);
    return true;
}

qint64 CurrentProcessId() { return static_cast<qint64>(getpid()); }

}  // namespace sysinstall
