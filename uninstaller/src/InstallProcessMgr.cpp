#include "InstallProcessMgr.h"

#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#include "AppConfig.h"
#include "Constants.h"
#include "SystemChecks.h"
#include "TreeRemover.h"
#include "sysinstall/sysinstall.h"

namespace appinstaller {

InstallProcessMgr::InstallProcessMgr() : m_remover(std::make_shared<TreeRemover>()) {}

InstallProcessMgr::~InstallProcessMgr() = default;

void InstallProcessMgr::setRemover(std::shared_ptr<TreeRemover> remover) {
    m_remover = remover ? std::move(remover) : std::make_shared<TreeRemover>();
}

bool InstallProcessMgr::IsUsableName(const QString& name) {
    if (name.isEmpty() || name == "." || name == "..") return false;
    for (QChar c : name) {
        if (c == '/' || c == '\\' || c.unicode() < 0x20) return false;
    }
    return true;
}

bool InstallProcessMgr::IsRemovableInstallFolder(const QString& location, const AppConfig& config, QString* reason) {
    auto refuse = [reason](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    if (location.isEmpty()) return refuse("no install location is recorded");
    if (!QDir::isAbsolutePath(location)) return refuse("the install location is not an absolute path");
    const QString clean = QDir::cleanPath(location);
    const QFileInfo info(clean);
    if (info.isSymLink()) return refuse("the install location is a link");
    if (!info.isDir()) return refuse("the install location is not a folder");
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || canonical == "/") return refuse("the install location is the root folder");
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    if (!home.isEmpty() && (home == canonical || home.startsWith(canonical + '/')))
        return refuse("the install location holds the home folder");
    const QString marker = canonical + '/' + QLatin1String(constants::kAppConfigFile);
    const QFileInfo markerInfo(marker);
    if (markerInfo.isSymLink() || !markerInfo.isFile())
        return refuse(QString("the install location has no %1").arg(constants::kAppConfigFile));
    const std::string guid = config.GetGUID();
    if (!UninstallRegistry::IsUsableGuid(guid) || AppConfig(marker).GetGUID() != guid)
        return refuse(QString("the %1 of the install location belongs to another installation")
                          .arg(constants::kAppConfigFile));
    return true;
}

void InstallProcessMgr::removePath(const QString& path, UninstallReport* report) {
    QStringList failures;
    m_remover->removePath(path, &failures);
    for (const QString& f : failures) {
        qWarning().noquote() << "InstallProcessMgr::UnInstall cannot remove" << f;
    }
    if (report) report->failures += failures;
}

void InstallProcessMgr::DeleteShortcuts() { DeleteShortcuts(*AppConfig::instance(), nullptr); }

void InstallProcessMgr::DeleteShortcuts(const AppConfig& config, UninstallReport* report) {
    const QString suffix = sysinstall::ShortcutSuffix();
    const QString desktop = sysinstall::DesktopFolder();
    const QString publicDesktop = sysinstall::PublicDesktopFolder();
    const QString startMenu = sysinstall::StartMenuFolder();
    const QString nameEN = QString::fromLocal8Bit(QByteArray::fromStdString(config.GetSoftwareNameEN()));
    const QString nameCH = QString::fromLocal8Bit(QByteArray::fromStdString(config.GetSoftwareNameCH()));

    // Names that would reach outside the folder, or name the folder itself,
    // are skipped; a shortcut that does not exist is skipped without a word.
    auto remove = [this, report](const QString& folder, const QString& name, const QString& ending) {
        if (folder.isEmpty() || !IsUsableName(name)) return;
        removePath(folder + '/' + name + ending, report);
    };
    remove(desktop, nameEN, suffix);
    remove(desktop, nameCH, suffix);
    remove(publicDesktop, QStringLiteral("KEL4.0"), suffix);
    remove(desktop, QStringLiteral("KEL"), suffix);
    remove(startMenu, nameEN, QString());
    remove(startMenu, nameCH, QString());
}

UninstallReport InstallProcessMgr::UnInstall() { return UnInstall(*AppConfig::instance()); }

UninstallReport InstallProcessMgr::UnInstall(const AppConfig& config) {
    UninstallReport report;
    const std::string guid = config.GetGUID();
    const QString location = QString::fromUtf8(UninstallRegistry::instance()->InstallLocation(guid).c_str());

    emit signalProcess(0, QObject::tr("BeganToUnloadWkJrSaJaAq"));

    // The folder goes only when it is plainly this installation's; anything
    // else is left untouched and reported.
    const QFileInfo folder(location);
    if (!location.isEmpty() && !folder.exists() && !folder.isSymLink()) {
        // Removed already: nothing to do.
    } else {
        QString reason;
        if (IsRemovableInstallFolder(location, config, &reason)) {
            removePath(folder.canonicalFilePath(), &report);
        } else {
            const QString line = (location.isEmpty() ? QString("install folder") : location) + ": " + reason +
                                 "; no folder was removed";
            qWarning().noquote() << "InstallProcessMgr::UnInstall" << line;
            report.failures << line;
        }
    }

    emit signalProcess(30, QObject::tr("DeleteShortcutULXVgdVTs"));
    DeleteShortcuts(config, &report);

    emit signalProcess(60, QObject::tr("ClearTheRegistryeuyqTkYHjj"));
    QString error;
    if (!UninstallRegistry::instance()->ClearKey(guid, &error)) {
        const QString line = "registry entry: " + error;
        qWarning().noquote() << "InstallProcessMgr::UnInstall" << line;
        report.failures << line;
    }

    emit signalProcess(100, report.ok() ? QObject::tr("Uninstalled") : QObject::tr("NotEverythingWasRemovedHxQpLm"));
    return report;
}

// ---------------------------------------------------------------------------

UnInstallThread::UnInstallThread(QObject* parent, const AppConfig* config) : QThread(parent), m_config(config) {}

void UnInstallThread::run() {
    InstallProcessMgr* mgr = InstallProcessMgr::instance();
    m_report = m_config ? mgr->UnInstall(*m_config) : mgr->UnInstall();
}

}  // namespace appinstaller
