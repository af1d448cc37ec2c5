// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The uninstaller's application object: loads the translations of the
// system's language from the "translations/" folder of the program.
#include <QApplication>
#include <QLocale>
#include <QStringList>

namespace appinstaller {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    // File name patterns of the translations for `locale`: English always,
    // then the locale's own language when there is one.
    static QStringList TranslationFilters(const QLocale& locale);
    // Installs every translation file of `folder` that matches the filters of
    // `locale`, in name order; the translators stay installed (owned by the
    // application). Returns the names of the files loaded.
    static QStringList LoadTranslations(const QString& folder, const QLocale& locale);
};

// The folders where the installation in `installFolder` keeps saved videos
// and pictures, as its "Settings.xml" names them: a folder inside the
// installation is given as its first-level folder there ("<folder>/output");
// without settings, "<folder>/output" when it exists.
QStringList SavedFileFolders(const QString& installFolder);

// The package that installed the installation in `installFolder` (its
// "InstallManifest.txt" says so); empty for an installation of its own.
QString PackageOf(const QString& installFolder);

// The installation in `folder` (this program's own folder) is another
// user's, made by the administrator: the folder belongs to another user and
// cannot be written, and holds the configuration of the installation
// `config` describes and its record.
bool IsOtherUsersInstallation(const QString& folder, const class AppConfig& config);
// The command that removes the installation in `folder` as administrator.
QString AdministratorCommand(const QString& folder);

// Start-up checks and questions, then the window and its event loop; returns
// the program's exit code (-1 when nothing was removed). Uses `config` for the
// installation.
int RunUninstaller(const class AppConfig& config);

}  // namespace appinstaller
