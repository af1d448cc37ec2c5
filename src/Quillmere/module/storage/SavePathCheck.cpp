#include "SavePathCheck.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>
#include <mutex>

#include "CommonHelpers.h"
#include "wincompat/drives.h"

namespace {

std::mutex g_hookLock;
SaveWarningPresenter g_presenter;
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

void ShowSaveWarning(int code, QWidget* parent) {
    QWidget* window = parent ? parent->window() : nullptr;
    const QString title = QCoreApplication::translate("SavePathCheck", "Warn");
    const QString text = SaveWarningText(code);
    SaveWarningPresenter presenter;
    {
        std::lock_guard<std::mutex> lock(g_hookLock);
        presenter = g_presenter;
    }
    if (presenter) {
        presenter(title, text, window);
        return;
    }
    QMessageBox::warning(window, title, text);
}

bool HasFreeSpace(const QString& path, uint64_t requiredBytes) {
    uint64_t freeBytes = 0;
    if (!CurrentProbe().freeBytes(path, &freeBytes)) return false;
    return freeBytes >= requiredBytes;
}

bool CheckSavePath(const QString& path, QWidget* parent) {
    const SavePathProbe probe = CurrentProbe();
    if (path.isEmpty() || !probe.exists(path)) {
        ShowSaveWarning(kSaveWarnPathNotExist, parent);
        return false;
    }
    if (!probe.writable(path)) {
        ShowSaveWarning(kSaveWarnNoWritePermission, parent);
        return false;
    }
    if (HasFreeSpace(path, kSavePathMinFreeBytes)) return true;
    ShowSaveWarning(kSaveWarnLessThan2GB, parent);
    return false;
}

void SetSaveWarningPresenter(SaveWarningPresenter presenter) {
    std::lock_guard<std::mutex> lock(g_hookLock);
    g_presenter = std::move(presenter);
}

void SetSavePathProbe(SavePathProbe probe) {
    std::lock_guard<std::mutex> lock(g_hookLock);
    g_probe = std::move(probe);
}
