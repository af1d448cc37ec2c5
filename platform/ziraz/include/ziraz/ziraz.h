// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Core services of the GUI toolkit that the engine uses: 8-bit text
// conversion, the program folder and the XML element tree.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "ziraz/genericds.h"

class QTextCodec;

namespace ziraz {

// 8-bit text <-> QString. The default conversion (no codec) is UTF-8.
QString ConvertToUnicode(const std::string& text, QTextCodec* codec = nullptr);
QString ConvertToUnicode(const char* text, QTextCodec* codec = nullptr);
std::string ConvertFromUnicode(const QString& text, QTextCodec* codec = nullptr);

// The program folder, ending in '/': the folder named by the environment
// variable KEL_HOME when it is set, else the folder of the executable. When
// the executable's folder cannot be written by this user (an installation
// made by the administrator), the program folder is the user's own folder of
// that installation, UserProgramFolder(): it reaches the installation's
// folders, programs and read-only files through links and holds copies of
// its other files, so that settings and working files can be written.
QString GetTargetPath();
// True when GetTargetPath() is the user's own folder beside a read-only
// installation (see above).
bool IsPerUserTargetPath();
// The folder of the executable (or KEL_HOME), ending in '/'.
QString GetInstallPath();
// The name an installation is known by in the user's folders: the id it is
// registered with (the GUID of its "AppConfig.xml", without braces), or, for
// a folder that is not registered, "folder-" and a hash of its path.
QString InstallationKey(const QString& installFolder);
// The user's own folder of an installation, ending in '/':
// "$XDG_DATA_HOME/KEL/<InstallationKey>/" (default "~/.local/share/KEL/...").
// Each installation side by side has its own.
QString UserProgramFolder(const QString& installFolder);
// Makes UserProgramFolder(installFolder) ready and returns it: the folder an
// older release shared between all installations ("$XDG_DATA_HOME/KEL"
// itself) is taken over, settings and saved files included, by the
// installation it was made for, or by the first one to start when that
// installation is gone; then MirrorInstallFolder fills it.
QString OpenUserProgramFolder(const QString& installFolder, const QStringList& skip);
// Fills `userFolder` from `installFolder` as described at GetTargetPath:
// entries that exist in `userFolder` are kept, links that lead nowhere any
// more are made anew. Entries named in `skip` are left out. False when an
// entry could not be made.
bool MirrorInstallFolder(const QString& installFolder, const QString& userFolder, const QStringList& skip);
// GetTargetPath() + name.
QString GetTargetPathFile(const QString& name);

// A file size as text for the user ("1.00 MB"); `unit` forces a unit
// ("B", "KB", "MB", "GB") when not empty; `precision` is the decimals.
QString GetFileSize(uint64_t bytes, const QString& unit = QString(), int precision = 2);

}  // namespace ziraz
