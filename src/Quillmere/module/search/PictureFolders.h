// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pieces shared by the searches that copy a recorder's pictures into the
// program folder: the two picture folders, their clearing, the drive string
// and the interface times of the disk file library.
#include <QString>
#include <QStringList>
#include <ctime>
#include <string>

#include "pellomir/Pellomir.h"

namespace picfolders {

// "<program folder>Target" and "<program folder>Other".
QString TargetFolder();
QString OtherFolder();

// Empties a folder and removes it. An empty path gives false, a folder that
// does not exist true. Symbolic links met inside (or the path itself, when it
// is one) are removed as links: nothing outside the folder is touched. Only
// the folder itself is removed, never a parent that became empty. True when
// the folder is gone.
bool RemoveFolder(const QString& path);

// Clears both picture folders and makes them again, empty.
void ResetPictureFolders();

// The drive letters of the disks that are not physical drives (names without
// "PHYSICALDRIVE"), in list order: the first byte of each path. Empty paths
// are left out.
std::string DriveString(const QStringList& disks);

// The recorder clock's date and time of `t`, with the second replaced by
// `second` when it is 0..59 (-1 keeps it).
DVR_FILE_TIME RecorderFileTime(time_t t, int second = -1);
// 00:00:00 and 23:59:59 of the recorder's day of `t`.
DVR_FILE_TIME DayStart(time_t t);
DVR_FILE_TIME DayEnd(time_t t);

}  // namespace picfolders
