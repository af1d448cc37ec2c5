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
    const bool empty = removeBelow(fd, device, shown, failures, depth + 1);
    close(fd);
    if (!empty) return false;  // what stayed inside is listed already
    const int err = removeEntry(dirFd, name, true);
    if (err == 0 || err == ENOENT) return true;
    AddFailure(failures, shown, err);
    return false;
}

bool TreeRemover::removeBelow(int dirFd, unsigned long long device, const QString& shown, QStringList* failures,
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
