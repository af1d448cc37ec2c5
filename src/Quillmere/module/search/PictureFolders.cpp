// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFolders.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include "storage/RecorderTime.h"
#include "zun.h"
#include "ziraz/ziraz.h"

namespace picfolders {

QString TargetFolder() { return ziraz::GetTargetPath() + "Target"; }

QString OtherFolder() { return ziraz::GetTargetPath() + "Other"; }

bool RemoveFolder(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo self(path);
    if (self.isSymLink()) return QFile::remove(self.absoluteFilePath());
    QDir dir(path);
    if (!dir.exists()) return true;
    // The list is taken once; links are never followed, so a link to a folder
    // elsewhere loses only the link.
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllDirs | QDir::Files | QDir::Drives | QDir::Hidden | QDir::System |
                          QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !entry.isSymLink()) {
            RemoveFolder(entry.absoluteFilePath());
        } else {
            dir.remove(entry.fileName());
        }
    }
    return QDir().rmdir(dir.absolutePath());
}

void ResetPictureFolders() {
    for (const QString& folder : {TargetFolder(), OtherFolder()}) {
        RemoveFolder(folder);
        ZUN_MakeDir(ziraz::ConvertFromUnicode(folder).c_str());
    }
}

std::string DriveString(const QStringList& disks) {
    std::string letters;
    for (const QString& disk : disks) {
        if (disk.isEmpty() || disk.contains("PHYSICALDRIVE")) continue;
        letters += disk.toUtf8().at(0);
    }
    return letters;
}

DVR_FILE_TIME RecorderFileTime(time_t t, int second) {
    const QDateTime local = RecorderDateTime(t);
    const QDate d = local.date();
    const QTime tm = local.time();
    DVR_FILE_TIME out;
    out.year = d.year();
    out.month = d.month();
    out.day = d.day();
    out.hour = tm.hour();
    out.minute = tm.minute();
    out.second = second >= 0 && second <= 59 ? second : tm.second();
    return out;
}

DVR_FILE_TIME DayStart(time_t t) {
    DVR_FILE_TIME out = RecorderFileTime(t);
    out.hour = 0;
    out.minute = 0;
    out.second = 0;
    return out;
}

DVR_FILE_TIME DayEnd(time_t t) {
    DVR_FILE_TIME out = RecorderFileTime(t);
    out.hour = 23;
    out.minute = 59;
    out.second = 59;
    return out;
}

}  // namespace picfolders
