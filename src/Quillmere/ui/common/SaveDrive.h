// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder whose drive is asked for its free space before a download:
// "X:/" for a drive path, else the nearest existing folder of the path.
#include <QDir>
#include <QFileInfo>
#include <QRegExp>
#include <QString>

inline QString SaveDriveRoot(const QString& folder) {
    if (QRegExp(QStringLiteral("^[A-Za-z]:.*")).exactMatch(folder)) return folder.left(2) + QStringLiteral("/");
    QString path = QDir::cleanPath(folder);
    while (!path.isEmpty() && !QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) break;
        path = parent;
    }
    return path;
}
