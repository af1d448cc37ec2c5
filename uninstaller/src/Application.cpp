// SPDX-License-Identifier: GPL-3.0-or-later
#include "Application.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QTranslator>

#include <sys/stat.h>
#include <unistd.h>

#include "AppConfig.h"
#include "Constants.h"
#include "InstallProcessMgr.h"
#include "InstallManifest.h"
#include "XmlElement.h"
#include "ziraz/ziraz.h"
#include "MainWindow.h"
#include "SystemChecks.h"
#include "Tavick/Tavick.h"

namespace appinstaller {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // The font its pages are laid out for, as KEL's: whatever the desktop's
    // default, the texts keep the room the pages give them.
    setFont(QFont(QStringLiteral("Sans Serif"), 9));
    LoadTranslations(ziraz::GetInstallPath() + "translations/", QLocale());
}

QStringList Application::TranslationFilters(const QLocale& locale) {
    QStringList filters{"*_en.qm"};
    switch (locale.language()) {
    case QLocale::Chinese:
        filters << (locale.country() == QLocale::Taiwan ? "*_tw.qm" : "*_zh.qm");
        break;
    case QLocale::French:
        filters << "*_fr.qm";
        break;
    case QLocale::Portuguese:
        filters << "*_pt.qm";
        break;
    default:
        break;
    }
    return filters;
}

QStringList Application::LoadTranslations(const QString& folder, const QLocale& locale) {
    QStringList loaded;
    const QStringList files = QDir(folder).entryList(TranslationFilters(locale));
    for (const QString& file : files) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(file, folder) && QCoreApplication::installTranslator(translator)) {
            loaded << file;
        } else {
            delete translator;
        }
    }
    return loaded;
}

QStringList SavedFileFolders(const QString& installFolder) {
    const QString folder = QDir::cleanPath(installFolder);
    QStringList places;
    XmlElement settings;
    if (settings.load(folder + "/Settings.xml")) {
        const char* const keys[] = {"CaptureSavePath", "ClipSavePath", "DownloadSavePath", "EvidenceVideoSavePath",
                                    "EvidencePictureSavePath"};
        for (const char* key : keys) {
            const QString value =
                settings.firstElementByTagName(QLatin1String(key)).firstElementByTagName("Value").text();
            if (value.trimmed().isEmpty()) continue;
            QString place = QDir::cleanPath(QDir(folder).absoluteFilePath(value.trimmed()));
            if (place.startsWith(folder + '/')) place = folder + '/' + place.mid(folder.size() + 1).section('/', 0, 0);
            if (!places.contains(place)) places << place;
        }
    }
    if (places.isEmpty() && QFileInfo(folder + "/output").isDir()) places << folder + "/output";
    return places;
}

QString PackageOf(const QString& installFolder) {
    if (installFolder.isEmpty()) return QString();
    InstallManifest manifest;
    if (!manifest.load(InstallManifest::PathIn(QDir::cleanPath(installFolder)))) return QString();
    return manifest.packageName();
}

bool IsOtherUsersInstallation(const QString& folder, const AppConfig& config) {
    if (folder.isEmpty() || !UninstallRegistry::IsUsableGuid(config.GetGUID())) return false;
    struct stat st {};
    if (stat(QFile::encodeName(folder).constData(), &st) != 0 || st.st_uid == geteuid()) return false;
    // The folder holds this installation's configuration and its record.
    const AppConfig here(folder + '/' + QLatin1String(constants::kAppConfigFile));
    return here.GetGUID() == config.GetGUID() && QFileInfo(InstallManifest::PathIn(folder)).isFile() &&
           access(QFile::encodeName(folder).constData(), W_OK) != 0;
}

QString AdministratorCommand(const QString& folder) {
    QString quoted = folder + "/uninstaller";
    quoted.replace('\'', QLatin1String("'\\''"));
    return "sudo '" + quoted + "'";
}

int RunUninstaller(const AppConfig& config) {
    QString styleSheet;
    if (Tavick::InitResource(QDir::cleanPath(ziraz::GetInstallPath() + "/rcc/guiresource.rcc"), styleSheet, false))
        qApp->setStyleSheet(styleSheet);

    MainWindow window(nullptr, &config);

    Tavick::CModalTipDialog::setConstStrings({QObject::tr("Confirm"), QObject::tr("Cancel"), QObject::tr("Close"),
                                              QObject::tr("Success"), QObject::tr("Error"), QObject::tr("Warning"),
                                              QObject::tr("Info")});

    UninstallRegistry* registry = UninstallRegistry::instance();
    const QString location = QString::fromUtf8(registry->InstallLocation(config.GetGUID()).c_str());

    // What the package manager installed, only the package manager removes:
    // checked for the registered folder and for the folder of this program.
    QString package = PackageOf(location);
    if (package.isEmpty()) package = PackageOf(ziraz::GetInstallPath());
    if (!package.isEmpty()) {
        Tavick::CModalTipDialog::ShowMessageWarn(
            QObject::tr("This installation was made by the package manager (package %1); remove it with the "
                        "package manager:\nsudo apt remove %1")
                .arg(package),
            0, nullptr);
        return -1;
    }

    sysinstall::ProcessEntry running;
    if (IsClientRunning(ClientPrograms(config), location, &running)) {
        const QFileInfo image(running.exePath);
        Tavick::CModalTipDialog::ShowMessageWarn(
            QObject::tr("TheClientIsRunningPrnptTrdtT") + "\n" +
                QObject::tr("%1 is running from %2 (process %3).")
                    .arg(image.fileName(), image.path(), QString::number(running.pid)),
            0, nullptr);
        return -1;
    }
    if (registry->IsInstalled(config.GetGUID())) {
        // What cannot be told apart from what is not the installation's is
        // not touched: the user is told why before anything starts.
        QString reason;
        if (!InstallProcessMgr::CanUninstall(location, config, &reason)) {
            Tavick::CModalTipDialog::ShowMessageWarn(
                QObject::tr("KEL cannot be uninstalled:\n%1")
                    .arg((location.isEmpty() ? QString() : QDir::cleanPath(location) + ": ") + reason),
                0, nullptr);
            return -1;
        }
        QString question = QObject::tr("DetermineTheUninstalfYANYiIa");
        if (!location.isEmpty()) {
            question += "\n\n" + QObject::tr("Install folder: %1").arg(QDir::cleanPath(location));
            const QStringList places = SavedFileFolders(location);
            if (!places.isEmpty())
                question += "\n" + QObject::tr("Saved videos and pictures are kept: %1").arg(places.join(", "));
        }
        Tavick::CModalTipDialog dlg;
        dlg.setDialogModel(Tavick::CModalTipDialog::QuestionModel);
        dlg.setContentText(question);
        dlg.setDialogSize(Tavick::CModalTipDialog::LargeSize);
        if (dlg.exec()) {
            window.show();
            window.onUninstall();
            return QApplication::exec();
        }
        return -1;
    }
    // Another user's installation (the administrator's): its entry is in that
    // user's registry, and only that user can remove it.
    const QString own = QDir::cleanPath(ziraz::GetInstallPath());
    if (IsOtherUsersInstallation(own, config)) {
        Tavick::CModalTipDialog::ShowMessageWarn(
            QObject::tr("KEL in %1 was installed by an administrator. To remove it, run as administrator:\n%2")
                .arg(own, AdministratorCommand(own)),
            0, nullptr);
        return -1;
    }
    Tavick::CModalTipDialog::ShowMessageWarn(QObject::tr("ThisSoftwareIsNotCurmXqDCfI"), 0, nullptr);
    return -1;
}

}  // namespace appinstaller
