// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Removal of files and folders that never leaves the tree it was given:
// symbolic links are removed as links (their targets stay), folders are
// entered through handles opened without following links, so an entry
// swapped for a link while the walk runs is not followed either, and a mount
// point inside the tree (another file system, or a bind mount of a folder of
// the same one) is never entered: it stays with everything in it and is
// reported.
#include <cstdint>
#include <string>
#include <vector>

namespace treeremove {

// One line "<path>: <reason>" per item left.
using Lines = std::vector<std::string>;

// The reason given for a mount point that was left.
extern const char* const kMountPointReason;

// What a path below an install folder is expected to be.
enum class Listed {
    File,    // a file or a link; a folder found there is not it and stays
    Folder,  // a folder, removed only when it is empty
    Tree,    // a file, a link or a folder with everything in it
};

// The mount a path belongs to, as the kernel numbers mounts: the entry `name`
// of the open folder `dirFd` (not followed when it is a link), or the folder
// itself when `name` is empty. False when it cannot be told.
bool MountIdAt(int dirFd, const char* name, std::uint64_t* id);

class TreeRemover {
public:
    virtual ~TreeRemover() = default;

    // Removes `path`: a file, a link, or a folder with everything in it.
    // Adds one line to `failures` for each entry that could not be removed,
    // and for each mount point left (a folder left only because something in
    // it stayed is not listed again). True when `path` is gone, also when it
    // never existed.
    bool removePath(const std::string& path, Lines* failures);

    // Removes `relative` (a clean relative path, or "." for the folder
    // itself) below the folder `root`, reaching it without following any link
    // and without entering a mount point on the way: a path that now leads
    // through a link or a file is not the one that was listed, and nothing is
    // removed; one that leads through a mount point is left and reported.
    // Something missing counts as removed. A folder left because it holds
    // something sets `*kept` and is no failure. False with a line in
    // `failures` when something was left for another reason.
    bool removeBelow(const std::string& root, const std::string& relative, Listed what, Lines* failures,
                     bool* kept = nullptr);

protected:
    // Removes the entry `name` of the open folder `dirFd` (a folder when
    // `isDir`); returns 0 or the error number.
    virtual int removeEntry(int dirFd, const std::string& name, bool isDir);

private:
    struct Where {
        unsigned long long device = 0;  // of the folder the entry lies in
        std::uint64_t mount = 0;
        bool knowsMount = false;
    };
    static bool WhereOf(int dirFd, Where* where);
    static bool IsMountPoint(int dirFd, const std::string& name, const Where& parent, unsigned long long device,
                             bool isDir);

    bool removeListed(int dirFd, const Where& where, const std::string& name, Listed what,
                      const std::string& shown, Lines* failures, bool* kept);
    bool emptyFolder(int dirFd, const std::string& shown, Lines* failures, int depth);
    bool removeChild(int dirFd, const Where& where, const std::string& name, const std::string& shown,
                     Lines* failures, int depth);
};

}  // namespace treeremove
