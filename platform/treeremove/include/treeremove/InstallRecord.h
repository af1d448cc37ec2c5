// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record of what one installation put into its folder
// ("InstallManifest.txt") and the removal of what it lists. The record is
// plain text, one entry a line: a kind, a tab, then a path relative to the
// install folder ("." is the folder itself):
//
//   package      <name of the package>
//   folder       <folder the installation created>
//   file         <file or link it put in place>
//   work-file    <file the programs make at run time>
//   work-folder  <folder of working files the programs make and empty at will>
//
// Lines starting with '#' are comments.
#include <string>
#include <vector>

#include "treeremove/TreeRemover.h"

namespace treeremove {

constexpr const char* kRecordFileName = "InstallManifest.txt";

enum class Kind { File, Folder, WorkFile, WorkFolder };

struct RecordEntry {
    Kind kind = Kind::File;
    std::string path;  // relative to the install folder, clean
    bool operator==(const RecordEntry& o) const { return kind == o.kind && path == o.path; }
};

struct InstallRecord {
    std::string package;  // empty for an installation of its own
    std::vector<RecordEntry> entries;
};

// The name of a kind in the record ("file", "folder", ...); KindNamed gives
// false for a word that names none.
const char* KindName(Kind kind);
bool KindNamed(const std::string& word, Kind* kind);

// A path that names something inside the install folder: relative, clean,
// without ".." or empty parts, without control characters. "." is the folder
// itself (usable for folders only).
bool IsUsableRecordPath(const std::string& path);
// A package name as the package manager writes it.
bool IsPackageName(const std::string& name);

// Reads the text of a record; false with the reason (and an empty record)
// when a line cannot be understood.
bool ParseRecord(const std::string& text, InstallRecord* record, std::string* error);

// Reads the record of an install folder, opened without following a link;
// false with the reason when there is none, it is not a plain file or a line
// cannot be understood.
bool LoadRecord(const std::string& folder, InstallRecord* record, std::string* error);

// What a removal by the record left.
struct RemovalReport {
    Lines failures;            // "<path>: <reason>" for each item left
    std::vector<std::string> kept;  // folders left because they hold what is not the installation's
};

// Removes what `record` lists below `folder`: the files and the working files
// and folders first, then the record itself (only when nothing failed, so
// that what is left can still be told from what is not the installation's),
// then the folders it made, deepest first, each only when it is empty.
void RemoveRecorded(TreeRemover& remover, const std::string& folder, const InstallRecord& record,
                    RemovalReport* report);

}  // namespace treeremove
