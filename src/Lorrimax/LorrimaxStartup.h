// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Start-up of the batch downloader: the command line, the settings, the
// dialog and its input, the event loop.

// The mode number of the command line: the first argument after the program
// name read as a decimal number; 0 when it is missing, empty or not a number.
// Further arguments are ignored.
int ReadDownloadFileType(int argc, char** argv);
// The dialog's mode for that number: 1 for any non-zero number, else 0.
inline int DownloadFileTypeOf(int number) { return number != 0 ? 1 : 0; }

// The whole program; returns the exit code. When the environment variable
// KEL_QUIT_AFTER_MS holds a positive number, the dialog is closed that many
// milliseconds after it is shown (for automated runs).
int RunLorrimax(int argc, char** argv);
