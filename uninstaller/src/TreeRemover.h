// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Removal of files and folders that never leaves the tree it was given:
// symbolic links are removed as links (their targets stay), folders are
// entered through handles opened without following links, so an entry
// swapped for a link while the walk runs is not followed either, and other
// file systems mounted inside the tree are left alone.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace appinstaller {

class TreeRemover {
public:
    virtual ~TreeRemover() = default;

    // Removes `path`: a file, a link, or a folder with everything in it.
    // Adds one line "<path>: <reason>" to `failures` for each entry that could
    // not be removed (a folder left only because something in it stayed is not
    // listed again). True when `path` is gone, also when it never existed.
    bool removePath(const QString& path, QStringList* failures);

    // What a path below an install folder is expected to be.
    enum class Listed {
        File,    // a file or a link; a folder found there is not it and stays
        Folder,  // a folder, removed only when it is empty
        Tree,    // a file, a link or a folder with everything in it
    };
    // Removes `relative` (a clean relative path, or "." for the folder
    // itself) below the folder `root`, reaching it without following any link
    // on the way: a path that now leads through a link or a file is not the
    // one that was listed, and nothing is removed. Something missing counts
    // as removed. A folder left because it holds something sets `*kept` and
    // is no failure. False with a line in `failures` when removal failed.
    bool removeBelow(const QString& root, const QString& relative, Listed what, QStringList* failures,
                     bool* kept = nullptr);

protected:
    // Removes the entry `name` of the open folder `dirFd` (a folder when
    // `isDir`); returns 0 or the error number.
    virtual int removeEntry(int dirFd, const QByteArray& name, bool isDir);

private:
    // Empties the open folder `dirFd` shown as `shown`; true when it is empty.
    bool removeListed(int dirFd, unsigned long long device, const QByteArray& name, Listed what,
                      const QString& shown, QStringList* failures, bool* kept);
    bool emptyFolder(int dirFd, unsigned long long device, const QString& shown, QStringList* failures, int depth);
    bool removeChild(int dirFd, unsigned long long device, const QByteArray& name, const QString& shown,
                     QStringList* failures, int depth);
};

}  // namespace appinstaller
