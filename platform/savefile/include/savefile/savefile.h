// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Saving files that are evidence. A new file never takes the place of one
// that exists, also when two programs (or two windows of one) save under the
// same name at the same moment: each name is claimed by one atomic step of
// the file system, and whoever comes second takes the next free name
// ("<stem> (1)<ext>", "<stem> (2)<ext>"...). A file that is reported saved is
// on the disk: its bytes are flushed before it takes its name, and the
// folder's entry after.
//
// Paths here are paths of this machine.
#include <sys/types.h>

#include <functional>
#include <string>

namespace savefile {

// The n-th other name of `path`: " (n)" put before the extension of its file
// name (what follows its last dot; nothing when it has none). n <= 0 gives
// `path` itself.
std::string NumberedPath(const std::string& path, int n);

// Tries `take` on `path`, then on NumberedPath(path, 1), (path, 2)... for as
// long as it fails with errno EEXIST. Returns the name it took; an empty
// string (errno set) when it failed otherwise, or no free name was found.
std::string TakeFreeName(const std::string& path, const std::function<bool(const std::string& candidate)>& take);

// Creates `path` and opens it for reading and writing; never opens a file
// that exists (-1, errno EEXIST).
int CreateNew(const std::string& path, mode_t mode = 0644);

// Gives the file `from` the name `to` unless a file has that name already
// (false, errno EEXIST; `from` stays). One atomic step where the file system
// knows a rename that does not replace; else a second link and the removal
// of the first; where neither is known (FAT), `to` is claimed by creating
// it, then `from` renamed onto that empty file.
bool RenameNoReplace(const std::string& from, const std::string& to);

// RenameNoReplace onto `to` or the first free numbered name of it. Returns
// the name taken; empty (errno set, `from` stays) on a failure.
std::string MoveToFreeName(const std::string& from, const std::string& to);

// Gives the file `from` the name `to`, replacing a file of that name (for a
// caller that named the file it replaces), then flushes the folder. False
// when the rename failed (`from` stays) or the folder could not be flushed
// (the file has its new name, which may not last a power cut).
bool Replace(const std::string& from, const std::string& to);

// The file's bytes and size to the disk. False when the disk reported a
// failure; true where the file system has nothing to flush.
bool SyncFile(int fd);
// SyncFile for the file at `path` (through a descriptor of its own).
bool SyncFileAt(const std::string& path);
// The folder holding `path` to the disk: the names made or changed in it
// stay after a power cut. As SyncFile.
bool SyncFolderOf(const std::string& path);

// The calls of the system these functions make (a seam for tests: a test
// may record their order or make one of them fail). Each returns as the
// system call does: -1 with errno on a failure.
struct SystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*fsync)(int fd);
    int (*renameNoReplace)(const char* from, const char* to);
    int (*rename)(const char* from, const char* to);
    int (*link)(const char* from, const char* to);
    int (*unlink)(const char* path);
};
// The system's own calls.
SystemCalls RealSystemCalls();
// The calls used from now on (for tests; not while a save runs).
void UseSystemCalls(const SystemCalls& calls);

}  // namespace savefile
