// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which physical drives are attached, and which drive letters lie on them.
//
// The object keeps no state: create one where it is needed, ask, drop it.
// Every call looks at the drives afresh.
#include <QString>

#include <string>
#include <vector>

class DiskEnum {
public:
    DiskEnum() = default;
    ~DiskEnum() = default;

    // Device numbers of the attached physical drives, in enumeration order.
    // Returns their count, or -1 when the drives cannot be enumerated. On
    // success *out receives a new[]-allocated array (possibly of length 0) that
    // the caller releases with delete[]; after -1 *out is left untouched.
    // A drive that cannot be opened is left out (and logged); it does not hide
    // the others.
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
