// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a program folder holds before KEL first starts in it: the hull's
// set-up file, default settings, the set-up benchmark "DESetup.xml" is made
// from, and the output folders the settings name. Files that exist are left
// as they are.
#include <QString>
#include <QStringList>

struct ProgramFolderReport {
    QStringList written;         // files made
    QStringList failed;          // files that could not be made
    QStringList createdFolders;  // folders made, each after the folder it lies in
};

// Prepares `home` with output folders below `output` (empty: "<home>/output").
// True when everything is in place afterwards.
bool PrepareProgramFolder(const QString& home, const QString& output = QString(),
                          ProgramFolderReport* report = nullptr);

// What PrepareProgramFolder makes in a program folder with the default output
// folder, relative to it: its files, and the folders they lie in (each after
// the folder that holds it).
QStringList ProgramFolderFiles();
QStringList ProgramFolderFolders();

// Beside an installation this user cannot write to, the program folder is the
// user's own (ziraz::GetTargetPath): prepares it there on the first start.
// Nothing happens otherwise.
void PrepareUserProgramFolder();

// What is wrong with the program folder of this run (ziraz::GetTargetPath),
// for the operator: it does not exist (KEL_HOME names a missing folder, or
// the user's own folder could not be made) or cannot be written, what that
// means (untranslated texts, settings not kept) and where downloads, clips
// and snapshots are saved, or that they cannot be. Empty when the folder can
// be written.
QString ProgramFolderProblem();
