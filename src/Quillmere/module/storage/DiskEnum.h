// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which physical drives are attached, and which drive letters lie on them.
//
// The object keeps no state: create one where it is needed, ask, drop it.
// Every call looks at the drives afresh.
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "SingleFile.h"

class DiskEnum {
public:
    DiskEnum() = default;
    ~DiskEnum() = default;

    // Device numbers of the attached physical drives, in enumeration order.
    // Returns their count, or -1 when the drives cannot be enumerated. On
    // success *out receives a new[]-allocated array (possibly of length 0) that
    // the caller releases with delete[]; after -1 *out is left untouched.
    // A drive that cannot be opened is listed too (its volumes may still be
    // read); CannotReadReason says why it cannot be read itself.
    int GetPhysicalDriveNumbers(int** out);
    // The same into a vector (cleared first).
    int GetPhysicalDriveNumbers(std::vector<int>* out);

    // Letters ('A'..'Z', alphabetical, no terminator) of the volumes on the
    // physical drive `deviceNumber`. `out` must hold 26 characters. Returns the
    // number written, or -1 when `out` is null or no logical drive exists.
    // Optical drives and letters without a root are never returned; a volume
    // whose file system cannot be read is left out.
    int GetDriveLetterOfPhysicalDrive(int deviceNumber, char* out);

    // Letters of every volume that lies on none of `exclude` (a letter whose
    // drive cannot be resolved counts as drive -1). Optical drives are never
    // returned. Same result convention as above.
    int ListDriveLetters(std::vector<int> exclude, char* out);

    // Reads the disks and mounts of the machine (or the KEL_DRIVES file)
    // again: a card put in since is listed, one taken out goes. Volumes and
    // drives that are still there keep their letters and numbers.
    static void Refresh();

    // Why physical drive `number` itself cannot be opened for reading ("the
    // device /dev/sdc: Permission denied"); empty when it can.
    static QString CannotReadReason(int number);

private:
    // Device paths ("\\.\PHYSICALDRIVE<N>") of the disk interfaces, or -1.
    int GetDevicePaths(std::vector<std::string>* paths);
    // Device number of the drive holding the letter's volume; -1 when the
    // volume cannot be opened or resolved.
    int GetPhysicalDriveOfLetter(char letter);
};

// The name of the disk a recording was found on, as the search panel shows
// it: "Disk N" for a physical drive ("\\.\PHYSICALDRIVE<N>"), "Disk N (E:)"
// for a drive letter that lies on drive N (the panel lists the disk, or the
// partition), the letter alone ("E:") when its drive is not known, and any
// other path (a local folder) as it stands.
QString DiskShownName(const std::string& diskPath);

// What is wrong with the drive table read from the file that KEL_DRIVES
// names, for the operator: the file cannot be read (no disk is listed then)
// or lines of it were left out. Empty when nothing is wrong or the table is
// the machine's own.
QString DriveTableProblem();

// The disk in an output file's name: its shown name without blanks and
// without what a file name cannot hold ("Disk 1 (E:)" gives "Disk1(E)", a
// folder's separators become "-").
QString DiskNamePart(const QString& shownName);

// How the saved copies of recordings tell the disks apart (the extra part
// of a file's name, for CStreamDownloader::SetNamePart): a channel whose
// recordings among `files` lie on more than one disk has its disk in the
// name of each of its files, so that two copies of the same times never
// look alike; other channels have nothing there. An empty function when no
// channel lies on two disks.
std::function<std::string(const APT_QMR::CSingleFile&)> DiskNameParts(
    const std::vector<const APT_QMR::CSingleFile*>& files);
