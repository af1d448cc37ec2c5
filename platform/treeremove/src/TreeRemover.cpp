// SPDX-License-Identifier: GPL-3.0-or-later
#include "treeremove/TreeRemover.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace treeremove {

const char* const kMountPointReason = "a mount point: not entered, left with everything in it";

namespace {
// Deeper trees than this are not walked (each level holds a handle open).
constexpr int kMaxDepth = 256;

// What the kernel's statx fills in, as the kernel lays it out (the C
// library's own structure does not name the mount id).
struct KernelStatx {
    std::uint32_t mask;
    std::uint32_t blksize;
    std::uint64_t attributes;
    std::uint32_t nlink, uid, gid;
    std::uint16_t mode, spare0;
    std::uint64_t ino, size, blocks, attributesMask;
    std::uint64_t times[8];
    std::uint32_t rdevMajor, rdevMinor, devMajor, devMinor;
    std::uint64_t mountId;
    std::uint64_t spare[13];
};
static_assert(sizeof(KernelStatx) == 0x100, "statx layout");
constexpr unsigned kMaskMountId = 0x1000U;

void AddFailure(Lines* failures, const std::string& path, const std::string& reason) {
    if (failures) failures->push_back(path + ": " + reason);
}
void AddFailure(Lines* failures, const std::string& path, int err) { AddFailure(failures, path, std::strerror(err)); }

std::string CleanPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= path.size()) {
        const std::size_t j = path.find('/', i);
        const std::string part = path.substr(i, j == std::string::npos ? std::string::npos : j - i);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (path.empty() || path[0] != '/') {
                parts.push_back(part);
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (j == std::string::npos) break;
        i = j + 1;
    }
    std::string out = !path.empty() && path[0] == '/' ? "/" : "";
    for (std::size_t k = 0; k < parts.size(); ++k) out += (k ? "/" : "") + parts[k];
    return out.empty() ? "." : out;
}

std::vector<std::string> Split(const std::string& relative) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (true) {
        const std::size_t j = relative.find('/', i);
        parts.push_back(relative.substr(i, j == std::string::npos ? std::string::npos : j - i));
        if (j == std::string::npos) break;
        i = j + 1;
    }
    return parts;
}
}  // namespace

bool MountIdAt(int dirFd, const char* name, std::uint64_t* id) {
    const bool self = !name || !*name;
    KernelStatx st{};
    if (syscall(SYS_statx, dirFd, self ? "" : name, AT_SYMLINK_NOFOLLOW | (self ? AT_EMPTY_PATH : 0),
                kMaskMountId, &st) == 0 &&
        (st.mask & kMaskMountId)) {
        *id = st.mountId;
        return true;
    }
    // Older kernels: the mount id that comes with a file handle.
    struct {
        struct file_handle head;
        unsigned char bytes[MAX_HANDLE_SZ];
    } handle{};
    handle.head.handle_bytes = MAX_HANDLE_SZ;
    int mountId = -1;
    if (name_to_handle_at(dirFd, self ? "" : name, &handle.head, &mountId, self ? AT_EMPTY_PATH : 0) == 0 &&
        mountId >= 0) {
        *id = static_cast<std::uint64_t>(mountId);
        return true;
    }
    return false;
}

bool TreeRemover::WhereOf(int dirFd, Where* where) {
    struct stat st {};
    if (fstat(dirFd, &st) != 0) return false;
    where->device = static_cast<unsigned long long>(st.st_dev);
    where->knowsMount = MountIdAt(dirFd, "", &where->mount);
    return true;
}

bool TreeRemover::IsMountPoint(int dirFd, const std::string& name, const Where& parent, unsigned long long device,
                               bool isDir) {
    std::uint64_t mount = 0;
    if (parent.knowsMount && MountIdAt(dirFd, name.c_str(), &mount)) return mount != parent.mount;
    // Without mount ids: a folder of another file system. (A file's device
    // may be that of a layer below the mount, as on overlay file systems, and
    // the folders of one mount may have devices of their own, as subvolumes
    // have: the mount ids are what tells.)
    return isDir && device != parent.device;
}

int TreeRemover::removeEntry(int dirFd, const std::string& name, bool isDir) {
    if (unlinkat(dirFd, name.c_str(), isDir ? AT_REMOVEDIR : 0) == 0) return 0;
    return errno;
}

bool TreeRemover::removePath(const std::string& path, Lines* failures) {
    const std::string clean = CleanPath(path);
    const std::size_t slash = clean.rfind('/');
    const std::string name = slash == std::string::npos ? clean : clean.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? "." : (slash == 0 ? "/" : clean.substr(0, slash));
    if (path.empty() || name.empty() || name == "." || name == ".." || clean == "/") {
        AddFailure(failures, path, EINVAL);
        return false;
    }
    const int parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        const int err = errno;
        if (err == ENOENT) return true;
        AddFailure(failures, clean, err);
        return false;
    }
    Where where;
    bool gone = false;
    if (!WhereOf(parentFd, &where)) {
        AddFailure(failures, clean, errno);
    } else {
        gone = removeChild(parentFd, where, name, clean, failures, 0);
    }
    close(parentFd);
    return gone;
}

bool TreeRemover::removeBelow(const std::string& root, const std::string& relative, Listed what, Lines* failures,
                              bool* kept) {
    const std::string cleanRoot = CleanPath(root);
    const bool self = relative == ".";
    const std::string shown = self ? cleanRoot : cleanRoot + '/' + relative;
    std::vector<std::string> parts;
    if (!self) {
        parts = Split(relative);
        for (const std::string& p : parts) {
            if (p.empty() || p == "." || p == "..") {
                AddFailure(failures, shown, EINVAL);
                return false;
            }
        }
    }
    // The folder itself is an entry of its parent.
    std::string start = cleanRoot;
    if (self) {
        const std::size_t slash = cleanRoot.rfind('/');
        if (cleanRoot == "/" || cleanRoot == "." || slash == std::string::npos) {
            AddFailure(failures, shown, EINVAL);
            return false;
        }
        start = slash == 0 ? "/" : cleanRoot.substr(0, slash);
        parts.push_back(cleanRoot.substr(slash + 1));
    }
    int fd = open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (self ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) return true;
        if (err == ELOOP || err == ENOTDIR) return true;  // not the folder that was installed
        AddFailure(failures, shown, err);
        return false;
    }
    Where where;
    if (!WhereOf(fd, &where)) {
        AddFailure(failures, shown, errno);
        close(fd);
        return false;
    }
    std::string reached = start;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        reached += '/' + parts[i];
        struct stat st {};
        if (fstatat(fd, parts[i].c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int err = errno;
            close(fd);
            if (err == ENOENT) return true;
            AddFailure(failures, shown, err);
            return false;
        }
        if (!S_ISDIR(st.st_mode)) {
            close(fd);
            return true;  // leads through a link or a file: not what was listed
        }
        if (IsMountPoint(fd, parts[i], where, static_cast<unsigned long long>(st.st_dev), true)) {
            close(fd);
            AddFailure(failures, reached, kMountPointReason);
            return false;
        }
        const int next = openat(fd, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int err = errno;
        close(fd);
        if (next < 0) {
            if (err == ENOENT || err == ELOOP || err == ENOTDIR) return true;
            AddFailure(failures, shown, err);
            return false;
        }
        fd = next;
        if (!WhereOf(fd, &where)) {
            AddFailure(failures, shown, errno);
            close(fd);
            return false;
        }
    }
    const bool ok = removeListed(fd, where, parts.back(), what, shown, failures, kept);
    close(fd);
    return ok;
}

bool TreeRemover::removeListed(int dirFd, const Where& where, const std::string& name, Listed what,
                               const std::string& shown, Lines* failures, bool* kept) {
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return true;
        AddFailure(failures, shown, errno);
        return false;
    }
    if (what == Listed::Tree) return removeChild(dirFd, where, name, shown, failures, 0);
    const bool isDir = S_ISDIR(st.st_mode);
    if (isDir != (what == Listed::Folder)) return true;  // not what the installation made
    if (IsMountPoint(dirFd, name, where, static_cast<unsigned long long>(st.st_dev), isDir)) {
        AddFailure(failures, shown, kMountPointReason);
        return false;
    }
    const int err = removeEntry(dirFd, name, isDir);
    if (err == 0 || err == ENOENT) return true;
    if (isDir && (err == ENOTEMPTY || err == EEXIST)) {
        // Holds what is not the installation's.
        if (kept) *kept = true;
        return true;
    }
    AddFailure(failures, shown, err);
    return false;
}

bool TreeRemover::removeChild(int dirFd, const Where& where, const std::string& name, const std::string& shown,
                              Lines* failures, int depth) {
    struct stat st {};
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return true;
        AddFailure(failures, shown, errno);
        return false;
    }
    // A link is never a mount point (the kernel mounts on what a link names);
    // anything else may be, a file too.
    if (!S_ISLNK(st.st_mode) &&
        IsMountPoint(dirFd, name, where, static_cast<unsigned long long>(st.st_dev), S_ISDIR(st.st_mode))) {
        AddFailure(failures, shown, kMountPointReason);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        const int err = removeEntry(dirFd, name, false);
        if (err == 0 || err == ENOENT) return true;
        AddFailure(failures, shown, err);
        return false;
    }
    if (depth >= kMaxDepth) {
        AddFailure(failures, shown, ELOOP);
        return false;
    }
    const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) return true;
        if (err == ELOOP || err == ENOTDIR) {
            // Replaced by a link or a file since it was looked at: remove that
            // entry itself, never what a link points to.
            const int e = removeEntry(dirFd, name, false);
            if (e == 0 || e == ENOENT) return true;
            AddFailure(failures, shown, e);
            return false;
        }
        AddFailure(failures, shown, err);
        return false;
    }
    // Swapped for a mount since it was looked at: the folder opened is not
    // the one that was checked.
    Where inner;
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || opened.st_ino != st.st_ino || opened.st_dev != st.st_dev ||
        !WhereOf(fd, &inner) || (where.knowsMount && inner.knowsMount && inner.mount != where.mount)) {
        close(fd);
        AddFailure(failures, shown, kMountPointReason);
        return false;
    }
    const bool empty = emptyFolder(fd, shown, failures, depth + 1);
    close(fd);
    if (!empty) return false;  // what stayed inside is listed already
    const int err = removeEntry(dirFd, name, true);
    if (err == 0 || err == ENOENT) return true;
    AddFailure(failures, shown, err);
    return false;
}

bool TreeRemover::emptyFolder(int dirFd, const std::string& shown, Lines* failures, int depth) {
    Where where;
    if (!WhereOf(dirFd, &where)) {
        AddFailure(failures, shown, errno);
        return false;
    }
    const int listFd = dup(dirFd);
    if (listFd < 0) {
        AddFailure(failures, shown, errno);
        return false;
    }
    DIR* dir = fdopendir(listFd);
    if (!dir) {
        AddFailure(failures, shown, errno);
        close(listFd);
        return false;
    }
    std::vector<std::string> names;
    errno = 0;
    while (dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.emplace_back(e->d_name);
    }
    const int readErr = errno;
    closedir(dir);
    if (readErr != 0) {
        AddFailure(failures, shown, readErr);
        return false;
    }
    bool all = true;
    for (const std::string& name : names) {
        if (!removeChild(dirFd, where, name, shown + '/' + name, failures, depth)) all = false;
    }
    return all;
}

}  // namespace treeremove
