// SPDX-License-Identifier: GPL-3.0-or-later
#include "TreeRemover.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace appinstaller {

namespace {
// Deeper trees than this are not walked (each level holds a handle open).
constexpr int kMaxDepth = 256;

QString Reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

void AddFailure(QStringList* failures, const QString& path, int err) {
    if (failures) failures->append(path + ": " + Reason(err));
}
}  // namespace

int TreeRemover::removeEntry(int dirFd, const QByteArray& name, bool isDir) {
    if (unlinkat(dirFd, name.constData(), isDir ? AT_REMOVEDIR : 0) == 0) return 0;
    return errno;
}

bool TreeRemover::removePath(const QString& path, QStringList* failures) {
    const QString clean = QDir::cleanPath(path);
    const QFileInfo info(clean);
    const QString parent = info.path();
    const QByteArray name = QFile::encodeName(info.fileName());
    if (clean.isEmpty() || name.isEmpty() || name == "." || name == ".." || clean == "/") {
        AddFailure(failures, path, EINVAL);
        return false;
    }
    int parentFd = open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        const int err = errno;
        if (err == ENOENT) return true;
        AddFailure(failures, clean, err);
        return false;
    }
    struct stat st {};
    bool gone = true;
    if (fstatat(parentFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) {
            AddFailure(failures, clean, errno);
            gone = false;
        }
    } else {
        gone = removeChild(parentFd, static_cast<unsigned long long>(st.st_dev), name, clean, failures, 0);
    }
    close(parentFd);
    return gone;
}

bool TreeRemover::removeBelow(const QString& root, const QString& relative, Listed what, QStringList* failures,
                              bool* kept) {
    const QString cleanRoot = QDir::cleanPath(root);
    const QString shown = relative == "." ? cleanRoot : cleanRoot + '/' + relative;
    QStringList parts = relative == "." ? QStringList() : relative.split('/');
    for (const QString& p : parts) {
        if (p.isEmpty() || p == "." || p == "..") {
            AddFailure(failures, shown, EINVAL);
            return false;
        }
    }
    // The folder itself is an entry of its parent.
    QString start = cleanRoot;
    if (parts.isEmpty()) {
        const QFileInfo info(cleanRoot);
        if (cleanRoot == "/" || info.fileName().isEmpty()) {
            AddFailure(failures, shown, EINVAL);
            return false;
        }
        start = info.path();
        parts << info.fileName();
    }
    int fd = open(QFile::encodeName(start).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC |
                                                            (parts.size() == 1 && relative == "." ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) return true;
        if (err == ELOOP || err == ENOTDIR) return true;  // not the folder that was installed
        AddFailure(failures, shown, err);
        return false;
    }
    struct stat rootStat {};
    if (fstat(fd, &rootStat) != 0) {
        AddFailure(failures, shown, errno);
        close(fd);
        return false;
    }
    for (int i = 0; i + 1 < parts.size(); ++i) {
        const int next = openat(fd, QFile::encodeName(parts[i]).constData(),
                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int err = errno;
        close(fd);
        if (next < 0) {
            if (err == ENOENT || err == ELOOP || err == ENOTDIR) return true;
            AddFailure(failures, shown, err);
            return false;
        }
        fd = next;
    }
    const bool ok = removeListed(fd, static_cast<unsigned long long>(rootStat.st_dev),
                                 QFile::encodeName(parts.last()), what, shown, failures, kept);
    close(fd);
    return ok;
}

bool TreeRemover::removeListed(int dirFd, unsigned long long device, const QByteArray& name, Listed what,
                               const QString& shown, QStringList* failures, bool* kept) {
    struct stat st {};
    if (fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return true;
        AddFailure(failures, shown, errno);
        return false;
    }
    switch (what) {
    case Listed::Tree:
        return removeChild(dirFd, device, name, shown, failures, 0);
    case Listed::File: {
        if (S_ISDIR(st.st_mode)) return true;  // not the file that was installed
        const int err = removeEntry(dirFd, name, false);
        if (err == 0 || err == ENOENT) return true;
        AddFailure(failures, shown, err);
        return false;
    }
    case Listed::Folder: {
        if (!S_ISDIR(st.st_mode)) return true;  // not the folder that was made
        const int err = removeEntry(dirFd, name, true);
        if (err == 0 || err == ENOENT) return true;
        if (err == ENOTEMPTY || err == EEXIST || err == EBUSY) {
            // Holds what is not the installation's (or is a mount point).
            if (kept) *kept = true;
            return true;
        }
        AddFailure(failures, shown, err);
        return false;
    }
    }
    return false;
}

bool TreeRemover::removeChild(int dirFd, unsigned long long device, const QByteArray& name, const QString& shown,
                              QStringList* failures, int depth) {
    struct stat st {};
    if (fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return true;
        AddFailure(failures, shown, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        const int err = removeEntry(dirFd, name, false);
        if (err == 0 || err == ENOENT) return true;
        AddFailure(failures, shown, err);
        return false;
    }
    if (static_cast<unsigned long long>(st.st_dev) != device) {
        // Another file system mounted here: not part of the tree.
        AddFailure(failures, shown, EXDEV);
        return false;
    }
    if (depth >= kMaxDepth) {
        AddFailure(failures, shown, ELOOP);
        return false;
    }
    const int fd = openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
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
    const bool empty = emptyFolder(fd, device, shown, failures, depth + 1);
    close(fd);
    if (!empty) return false;  // what stayed inside is listed already
    const int err = removeEntry(dirFd, name, true);
    if (err == 0 || err == ENOENT) return true;
    AddFailure(failures, shown, err);
    return false;
}

bool TreeRemover::emptyFolder(int dirFd, unsigned long long device, const QString& shown, QStringList* failures,
                              int depth) {
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
    std::vector<QByteArray> names;
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
    for (const QByteArray& name : names) {
        const QString child = shown + '/' + QFile::decodeName(name);
        if (!removeChild(dirFd, device, name, child, failures, depth)) all = false;
    }
    return all;
}

}  // namespace appinstaller
