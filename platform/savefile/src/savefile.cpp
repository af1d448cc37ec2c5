// SPDX-License-Identifier: GPL-3.0-or-later
#include "savefile/savefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace savefile {

namespace {

// Names tried at most for one file before giving up.
constexpr int kMaxNumber = 100000;

int SystemOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int SystemFsync(int fd) { return ::fsync(fd); }
int SystemRenameNoReplace(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}
int SystemRename(const char* from, const char* to) { return ::rename(from, to); }
int SystemLink(const char* from, const char* to) { return ::link(from, to); }
int SystemUnlink(const char* path) { return ::unlink(path); }

SystemCalls g_calls = RealSystemCalls();

const SystemCalls& Calls() { return g_calls; }

// The file system does not know the call or this use of it.
bool Unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTSUP || error == EPERM ||
           error == EMLINK;
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
    int fd;
    do {
        fd = Calls().open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

SystemCalls RealSystemCalls() {
    return SystemCalls{&SystemOpen, &SystemFsync, &SystemRenameNoReplace, &SystemRename, &SystemLink, &SystemUnlink};
}

void UseSystemCalls(const SystemCalls& calls) { g_calls = calls; }

std::string NumberedPath(const std::string& path, int n) {
    if (n <= 0) return path;
    const size_t slash = path.find_last_of("/\\");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    // A dot that starts the name (".hidden") is no extension's.
    if (dot == std::string::npos || dot <= nameStart) dot = path.size();
    return path.substr(0, dot) + " (" + std::to_string(n) + ")" + path.substr(dot);
}

std::string TakeFreeName(const std::string& path, const std::function<bool(const std::string& candidate)>& take) {
    for (int n = 0; n <= kMaxNumber; ++n) {
        const std::string candidate = NumberedPath(path, n);
        errno = 0;
        if (take(candidate)) return candidate;
        if (errno != EEXIST) {
            if (errno == 0) errno = EIO;
            return std::string();
        }
    }
    errno = EEXIST;
    return std::string();
}

int CreateNew(const std::string& path, mode_t mode) {
    return OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    const SystemCalls& calls = Calls();
    if (calls.renameNoReplace(from.c_str(), to.c_str()) == 0) return true;
    if (!Unsupported(errno)) return false;
    // A second name, then the first one removed: the new name is never
    // given to a file that has it already.
    if (calls.link(from.c_str(), to.c_str()) == 0) {
        calls.unlink(from.c_str());
        return true;
    }
    if (!Unsupported(errno)) return false;
    // No links either (FAT): the name is claimed by creating it, and the
    // file takes the place of that empty one, which is ours.
    const int fd = OpenRetrying(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    if (calls.rename(from.c_str(), to.c_str()) == 0) return true;
    const int error = errno;
    calls.unlink(to.c_str());
    errno = error;
    return false;
}

std::string MoveToFreeName(const std::string& from, const std::string& to) {
    return TakeFreeName(to, [&](const std::string& candidate) { return RenameNoReplace(from, candidate); });
}

bool Replace(const std::string& from, const std::string& to) {
    if (Calls().rename(from.c_str(), to.c_str()) != 0) return false;
    return SyncFolderOf(to);
}

bool SyncFile(int fd) {
    if (fd < 0) {
        errno = EBADF;
        return false;
    }
    int result;
    do {
        result = Calls().fsync(fd);
    } while (result != 0 && errno == EINTR);
    // EINVAL, EROFS: a file that cannot be flushed because nothing of it is
    // held back (a pipe, a read-only file system).
    return result == 0 || errno == EINVAL || errno == EROFS;
}

bool SyncFileAt(const std::string& path) {
    const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool ok = SyncFile(fd);
    ::close(fd);
    return ok;
}

bool SyncFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
    const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return errno == EACCES;   // a folder that cannot be opened cannot be flushed by us either
    const bool ok = SyncFile(fd);
    ::close(fd);
    return ok;
}

}  // namespace savefile
