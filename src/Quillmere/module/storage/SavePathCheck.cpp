// SPDX-License-Identifier: GPL-3.0-or-later
#include "SavePathCheck.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <mutex>

#include "CommonHelpers.h"
#include "wincompat/drives.h"

namespace {

std::mutex g_hookLock;
SavePathProbe g_probe;

// The folder of this machine that a path names ("D:/x" goes through the
// drive table).
QString LocalPath(const QString& path) {
    return QString::fromStdString(wincompat::MapPath(path.toStdString()));
}

bool RealExists(const QString& path) {
    const QString local = LocalPath(path);
    return !local.isEmpty() && QFileInfo::exists(local);
}

bool RealWritable(const QString& path) {
    const QString local = LocalPath(path);
    return !local.isEmpty() && QFileInfo(local).isWritable();
}

bool RealFreeBytes(const QString& path, uint64_t* freeBytes) { return GetFreeDiskBytes(path, freeBytes, nullptr); }

SavePathProbe CurrentProbe() {
    std::lock_guard<std::mutex> lock(g_hookLock);
    SavePathProbe probe = g_probe;
    if (!probe.exists) probe.exists = RealExists;
    if (!probe.writable) probe.writable = RealWritable;
    if (!probe.freeBytes) probe.freeBytes = RealFreeBytes;
    return probe;
}

}  // namespace

QString SaveWarningText(int code) {
    switch (code) {
    case kSaveWarnNoWritePermission:
        return QCoreApplication::translate("SavePathCheck", "The directory has no write permissions.");
    case kSaveWarnLessThan512MB:
        return QCoreApplication::translate("SavePathCheck", "Save failed, disk free space is less than %1")
            .arg(QStringLiteral("512MB"));
    case kSaveWarnLessThan2GB:
        return QCoreApplication::translate("SavePathCheck", "Save failed, disk free space is less than %1")
            .arg(QStringLiteral("2GB"));
    case kSaveWarnPathNotExist:
        return QCoreApplication::translate("SavePathCheck", "The file path is not exist.");
    default: return QString();
    }
}

QString SaveWarningTitle() { return QCoreApplication::translate("SavePathCheck", "Warn"); }

bool HasFreeSpace(const QString& path, uint64_t requiredBytes) {
    uint64_t freeBytes = 0;
    if (!CurrentProbe().freeBytes(path, &freeBytes)) return false;
    return freeBytes >= requiredBytes;
}

int SavePathWarning(const QString& path) {
    const SavePathProbe probe = CurrentProbe();
    if (path.isEmpty() || !probe.exists(path)) return kSaveWarnPathNotExist;
    if (!probe.writable(path)) return kSaveWarnNoWritePermission;
    if (HasFreeSpace(path, kSavePathMinFreeBytes)) return 0;
    return kSaveWarnLessThan2GB;
}

void SetSavePathProbe(SavePathProbe probe) {
    std::lock_guard<std::mutex> lock(g_hookLock);
    g_probe = std::move(probe);
}
