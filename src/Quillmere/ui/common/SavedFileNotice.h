// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The notices of the files one download saves: each file is told once,
// however many of the downloader's reports name it (the end of the file,
// then the end of the job that made it).
#include <QSet>
#include <QString>

class QWidget;

class SavedFileNotice {
public:
    // A new download: its files are told again.
    void clear() { m_told.clear(); }
    // Shows `text` at the screen's bottom right (as a path when it is `path`
    // itself) unless the file `path` was told already; an empty `path` (no
    // file kept) is always told. True when shown.
    bool tell(QWidget* parent, const QString& path, const QString& text);
    bool told(const QString& path) const { return !path.isEmpty() && m_told.contains(path); }

private:
    QSet<QString> m_told;
};
