// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstallProcessMgr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <algorithm>

#include "AppConfig.h"
#include "Constants.h"
#include "SystemChecks.h"
#include "TreeRemover.h"
#include "treeremove/InstallRecord.h"
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

bool InstallProcessMgr::CanUninstall(const QString& location, const AppConfig& config, QString* reason) {
    const QFileInfo folder(location);
    // Removed already: what is left of it (entries, registry) may go.
    if (!location.isEmpty() && !folder.exists() && !folder.isSymLink()) return true;
    QString why;
    if (!IsRemovableInstallFolder(location, config, &why)) {
        if (reason) *reason = why + "; nothing was removed";
        return false;
    }
    return CanRemoveInstalledFiles(folder.canonicalFilePath(), reason);
}

void InstallProcessMgr::removePath(const QString& path, UninstallReport* report) {
    treeremove::Lines lines;
    m_remover->removePath(QFile::encodeName(path).toStdString(), &lines);
    const QStringList failures = ToStringList(lines);
    for (const QString& f : failures) {
        qWarning().noquote() << "InstallProcessMgr::UnInstall cannot remove" << f;
    }
    if (report) report->failures += failures;
}

namespace {

// The program a desktop entry starts: the first word of its Exec value, with
// the quoting and escapes of the desktop entry format undone.
QString ExecProgram(const QByteArray& entry) {
    for (const QByteArray& raw : entry.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(QLatin1String("Exec="))) continue;
        // The string escapes of the format first ("\\" stands for "\").
        QString value;
        const QString text = line.mid(5);
        for (int i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) {
                const QChar n = text[++i];
                switch (n.unicode()) {
                case 's': value += ' '; break;
                case 'n': value += '\n'; break;
                case 't': value += '\t'; break;
                case 'r': value += '\r'; break;
                case '\\': value += '\\'; break;
                default: value += '\\'; value += n; break;
                }
            } else {
                value += text[i];
            }
        }
        QString program;
        if (value.startsWith('"')) {
            for (int i = 1; i < value.size(); ++i) {
                if (value[i] == '\\' && i + 1 < value.size()) {
                    program += value[++i];
                } else if (value[i] == '"') {
                    break;
                } else {
                    program += value[i];
                }
            }
        } else {
            program = value.section(' ', 0, 0, QString::SectionSkipEmpty);
        }
        return program.replace(QLatin1String("%%"), QLatin1String("%"));
    }
    return QString();
}

bool IsInside(const QString& path, const QString& folder) {
    const QString f = QDir::cleanPath(folder);
    return !f.isEmpty() && f != "/" && QDir::cleanPath(path).startsWith(f + '/');
}

}  // namespace

bool InstallProcessMgr::IsShortcutInto(const QString& path, const QString& folder) {
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) return false;
    QFile f(path);  // a link is read through: the entry it names counts
    if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024) return false;
    const QString program = ExecProgram(f.readAll());
    if (!QDir::isAbsolutePath(program)) return false;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return IsInside(program, folder) || (!canonical.isEmpty() && IsInside(program, canonical));
}

void InstallProcessMgr::DeleteShortcuts() {
    const AppConfig& config = *AppConfig::instance();
    DeleteShortcuts(config, QString::fromUtf8(UninstallRegistry::instance()->InstallLocation(config.GetGUID()).c_str()),
                    nullptr);
}

void InstallProcessMgr::DeleteShortcuts(const AppConfig& config, const QString& location, UninstallReport* report) {
    const QString suffix = sysinstall::ShortcutSuffix();
    const QString desktop = sysinstall::DesktopFolder();
    const QString publicDesktop = sysinstall::PublicDesktopFolder();
    const QString startMenu = sysinstall::StartMenuFolder();
    const QString nameEN = QString::fromLocal8Bit(QByteArray::fromStdString(config.GetSoftwareNameEN()));
    const QString nameCH = QString::fromLocal8Bit(QByteArray::fromStdString(config.GetSoftwareNameCH()));

    // Names that would reach outside the folder, or name the folder itself,
    // are skipped; a shortcut that does not exist, or that starts something
    // other than this installation's programs (another installation side by
    // side, the user's own), is left without a word.
    auto removeShortcut = [this, report, &location](const QString& path) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) return;
        if (info.isDir() && !info.isSymLink()) return;
        if (IsShortcutInto(path, location)) removePath(path, report);
    };
    auto remove = [&removeShortcut](const QString& folder, const QString& name, const QString& ending) {
        if (folder.isEmpty() || !IsUsableName(name)) return;
        removeShortcut(folder + '/' + name + ending);
    };
    auto removeMenuIn = [&](const QString& startMenu, const QString& name) {
        if (startMenu.isEmpty() || !IsUsableName(name)) return;
        const QString menu = startMenu + '/' + name;
        const QFileInfo info(menu);
        if (info.isSymLink() || !info.isDir()) return;
        const QStringList files = QDir(menu).entryList(QDir::Files | QDir::System | QDir::Hidden);
        for (const QString& file : files) removeShortcut(menu + '/' + file);
        if (QDir(menu).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty()) {
            treeremove::Lines lines;
            m_remover->removeBelow(QFile::encodeName(startMenu).toStdString(), QFile::encodeName(name).toStdString(),
                                   treeremove::Listed::Folder, &lines);
            if (report) report->failures += ToStringList(lines);
        }
    };
    // The administrator's entry that removes the installation lies in the
    // administrator's own menu.
    const QString privateMenu = sysinstall::PrivateStartMenuFolder();
    auto removeMenu = [&](const QString& name) {
        removeMenuIn(startMenu, name);
        if (privateMenu != startMenu) removeMenuIn(privateMenu, name);
    };
    remove(desktop, nameEN, suffix);
    remove(desktop, nameCH, suffix);
    remove(publicDesktop, QStringLiteral("KEL4.0"), suffix);
    remove(desktop, QStringLiteral("KEL"), suffix);
    removeMenu(nameEN);
    removeMenu(nameCH);
}

void InstallProcessMgr::RemoveInstalledFiles(const QString& folder, UninstallReport* report) {
    QString why;
    if (!CanRemoveInstalledFiles(folder, &why)) {
        report->failures << folder + ": " + why;
        qWarning().noquote() << "InstallProcessMgr::UnInstall" << report->failures.last();
        return;
    }
    treeremove::InstallRecord record;
    treeremove::LoadRecord(QFile::encodeName(folder).toStdString(), &record, nullptr);
    treeremove::RemovalReport removal;
    treeremove::RemoveRecorded(*m_remover, QFile::encodeName(folder).toStdString(), record, &removal);
    const QStringList failures = ToStringList(removal.failures);
    for (const QString& f : failures) qWarning().noquote() << "InstallProcessMgr::UnInstall cannot remove" << f;
    report->failures += failures;
    report->kept += ToStringList(removal.kept);
}

bool InstallProcessMgr::CanRemoveInstalledFiles(const QString& folder, QString* why) {
    treeremove::InstallRecord record;
    std::string error;
    if (!treeremove::LoadRecord(QFile::encodeName(folder).toStdString(), &record, &error)) {
        if (why) *why = QString::fromLocal8Bit(error.c_str()) + "; nothing was removed";
        return false;
    }
    if (!record.package.empty()) {
        if (why)
            *why = "installed by the package manager (package " + QString::fromStdString(record.package) +
                   "); nothing was removed";
        return false;
    }
    return true;
}

UninstallReport InstallProcessMgr::UnInstall() { return UnInstall(*AppConfig::instance()); }

UninstallReport InstallProcessMgr::UnInstall(const AppConfig& config) {
    UninstallReport report;
    const std::string guid = config.GetGUID();
    const QString location = QString::fromUtf8(UninstallRegistry::instance()->InstallLocation(guid).c_str());

    emit signalProcess(0, QObject::tr("BeganToUnloadWkJrSaJaAq"));

    // Unless the folder is plainly this installation's and its record can be
    // used, nothing at all is removed: not its files, nor its menu entries,
    // nor its uninstall entry, so it can still be found and removed once the
    // reason is dealt with. What the package manager installed, it removes.
    QString reason;
    if (!CanUninstall(location, config, &reason)) {
        const QString line = (location.isEmpty() ? QString("install folder") : location) + ": " + reason;
        qWarning().noquote() << "InstallProcessMgr::UnInstall" << line;
        report.failures << line;
        report.nothingRemoved = true;
        emit signalProcess(100, QObject::tr("Nothing was removed"));
        return report;
    }
    const QFileInfo folder(location);
    if (folder.exists()) RemoveInstalledFiles(folder.canonicalFilePath(), &report);

    emit signalProcess(30, QObject::tr("DeleteShortcutULXVgdVTs"));
    DeleteShortcuts(config, location, &report);

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
