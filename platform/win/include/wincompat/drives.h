// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drive table: how the Windows notions of drive letters ("E:\") and
// physical drives ("\\.\PHYSICALDRIVE1") map onto this machine.
//
// By default the table is read from the machine's mounts (/proc/self/mountinfo
// and /sys/block). When the environment variable KEL_DRIVES names a file, the
// table is read from that file instead (see docs/drive-table.md).
#include <cstdint>
#include <string>
#include <vector>

namespace wincompat {

// Drive types, with the values the Windows drive-type query uses.
enum DriveType : int {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

struct DiskEntry {
    int number = -1;      // the N of "\\.\PHYSICALDRIVE<N>"
    std::string device;   // block device or folder standing for the whole drive
};

struct LetterEntry {
    char letter = 0;             // 'A'..'Z'
    int disk = -1;               // physical drive holding it; -1 when it cannot be resolved
    int type = kDriveUnknown;    // DriveType
    std::string fileSystem;      // empty when the volume's file system cannot be read
    std::string path;            // folder the letter's root maps to
};

struct DriveTableData {
    std::vector<DiskEntry> disks;      // in enumeration order
    std::vector<LetterEntry> letters;  // in alphabetical order
};

// The current table, read once. Changes of the KEL_DRIVES file or of the
// mounts are not tracked: ReloadDriveTable reads them again. A reload of the
// machine's mounts keeps the letter of every volume that is still mounted
// and the number of every drive that is still there; new ones take free
// letters and numbers.
DriveTableData CurrentDriveTable();
void ReloadDriveTable();

// Where the current table was read from, and what was wrong with it.
struct DriveTableOrigin {
    std::string file;                   // the KEL_DRIVES file; empty: the machine's own disks and mounts
    std::string readError;              // why that file could not be read (the table is empty then)
    std::vector<std::string> badLines;  // lines of it that were left out, each with its number and why
};
DriveTableOrigin CurrentDriveTableOrigin();

// Parses the text form of the table. Bad lines are skipped; `errors` (when
// given) receives one message per skipped line.
DriveTableData ParseDriveTable(const std::string& text, std::vector<std::string>* errors = nullptr);

// Where the machine's disks and mounts are read from.
struct SystemTableSources {
    std::string mountInfo = "/proc/self/mountinfo";
    std::string sysRoot;  // put before "/sys" (a copy of the tree, for tests)
};
// Reads the machine's own disks and mounts (docs/drive-table.md). With
// `previous`, volumes and drives listed there keep their letters and numbers.
DriveTableData ReadSystemDriveTable();
DriveTableData ReadSystemDriveTable(const SystemTableSources& from, const DriveTableData* previous);

// Bit i set = letter 'A' + i exists (like the Windows logical-drive mask).
uint32_t GetLogicalDriveMask();
// Drive type of a root such as "E:\" or "E:"; kDriveNoRootDir when unknown.
int GetDriveTypeOf(const std::string& root);
// File-system name of a lettered volume; false when it cannot be read.
bool GetVolumeFileSystem(const std::string& root, std::string* fileSystem);
// Physical drive number of a letter; -1 when it cannot be resolved.
int GetPhysicalDriveOfLetter(char letter);
// Numbers of every physical drive, in enumeration order.
std::vector<int> GetPhysicalDriveNumbers();
// Whether a physical drive's device can be opened for reading.
bool CanOpenPhysicalDrive(int number);

// Number of a "\\.\PHYSICALDRIVE<N>" name (any case, either slash); -1 otherwise.
int ParsePhysicalDriveName(const std::string& path);
// Letter of a "X:", "X:\", "X:/..." path (upper case), 0 otherwise.
char DriveLetterOf(const std::string& path);

// Maps a path as the recorder programs write it to a path of this machine:
//  - "\\.\PHYSICALDRIVE<N>"  -> the drive's device or folder
//  - "X:" / "X:\rest"         -> the letter's folder + "/rest"
//  - anything else            -> unchanged but for '\' turned into '/'
// A letter or drive missing from the table maps to an empty string.
std::string MapPath(const std::string& path);

// Free bytes available to the caller and total bytes of the file system that
// holds `path` (the nearest existing parent folder is asked). False when no
// part of the path exists.
bool GetDiskFreeSpace(const std::string& path, uint64_t* freeToCaller, uint64_t* totalBytes);

}  // namespace wincompat
