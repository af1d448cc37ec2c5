// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstallProcessMgr.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <algorithm>

#include "AppConfig.h"
#include "Constants.h"
#include "InstallManifest.h"
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
    auto removeMenu = [&](const QString& name) {
        if (startMenu.isEmpty() || !IsUsableName(name)) return;
        const QString menu = startMenu + '/' + name;
        const QFileInfo info(menu);
        if (info.isSymLink() || !info.isDir()) return;
        const QStringList files = QDir(menu).entryList(QDir::Files | QDir::System | QDir::Hidden);
        for (const QString& file : files) removeShortcut(menu + '/' + file);
        if (QDir(menu).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty())
            m_remover->removeBelow(startMenu, name, TreeRemover::Listed::Folder, report ? &report->failures : nullptr);
    };
    remove(desktop, nameEN, suffix);
    remove(desktop, nameCH, suffix);
    remove(publicDesktop, QStringLiteral("KEL4.0"), suffix);
    remove(desktop, QStringLiteral("KEL"), suffix);
    removeMenu(nameEN);
    removeMenu(nameCH);
}

void InstallProcessMgr::RemoveInstalledFiles(const QString& folder, UninstallReport* report) {
    InstallManifest manifest;
    QString why;
    if (!manifest.load(InstallManifest::PathIn(folder), &why)) {
        report->failures << folder + ": " + why + "; no file was removed";
        qWarning().noquote() << "InstallProcessMgr::UnInstall" << report->failures.last();
        return;
    }
    if (!manifest.packageName().isEmpty()) {
        report->failures << folder + ": installed by the package manager (package " + manifest.packageName() +
                                "); no file was removed";
        qWarning().noquote() << "InstallProcessMgr::UnInstall" << report->failures.last();
        return;
    }
    QStringList failures;
    using Listed = TreeRemover::Listed;
    for (const InstallManifest::Entry& e : manifest.entries()) {
        switch (e.kind) {
        case InstallManifest::Kind::File:
        case InstallManifest::Kind::WorkFile:
            m_remover->removeBelow(folder, e.path, Listed::File, &failures);
            break;
        case InstallManifest::Kind::WorkFolder:
            m_remover->removeBelow(folder, e.path, Listed::Tree, &failures);
            break;
        case InstallManifest::Kind::Folder:
            break;
        }
    }
    // The record goes with the files; when something stayed it is kept, so
    // that what is left can still be told from what is not the installation's.
    if (failures.isEmpty())
        m_remover->removeBelow(folder, QLatin1String(InstallManifest::kFileName), Listed::File, &failures);
    // Folders deepest first, each only when nothing is left in it.
    QVector<InstallManifest::Entry> folders;
    for (const InstallManifest::Entry& e : manifest.entries())
        if (e.kind == InstallManifest::Kind::Folder) folders.push_back(e);
    auto depth = [](const InstallManifest::Entry& e) { return e.path == "." ? 0 : e.path.count('/') + 1; };
    std::stable_sort(folders.begin(), folders.end(),
                     [&depth](const InstallManifest::Entry& a, const InstallManifest::Entry& b) {
                         return depth(a) > depth(b);
                     });
    for (const InstallManifest::Entry& e : folders) {
        bool kept = false;
        m_remover->removeBelow(folder, e.path, Listed::Folder, &failures, &kept);
        if (kept) report->kept << (e.path == "." ? folder : folder + '/' + e.path);
    }
    for (const QString& f : failures) qWarning().noquote() << "InstallProcessMgr::UnInstall cannot remove" << f;
    report->failures += failures;
}

UninstallReport InstallProcessMgr::UnInstall() { return UnInstall(*AppConfig::instance()); }

UninstallReport InstallProcessMgr::UnInstall(const AppConfig& config) {
    UninstallReport report;
    const std::string guid = config.GetGUID();
    const QString location = QString::fromUtf8(UninstallRegistry::instance()->InstallLocation(guid).c_str());

    emit signalProcess(0, QObject::tr("BeganToUnloadWkJrSaJaAq"));

    // What the package manager installed, it removes: not its files, nor its
    // menu entries, nor its uninstall entry.
    InstallManifest record;
    if (!location.isEmpty() && record.load(InstallManifest::PathIn(QDir::cleanPath(location))) &&
        !record.packageName().isEmpty()) {
        RemoveInstalledFiles(QDir::cleanPath(location), &report);
        emit signalProcess(30, QObject::tr("DeleteShortcutULXVgdVTs"));
        emit signalProcess(60, QObject::tr("ClearTheRegistryeuyqTkYHjj"));
        emit signalProcess(100, QObject::tr("NotEverythingWasRemovedHxQpLm"));
        return report;
    }

    // The folder goes only when it is plainly this installation's; anything
    // else is left untouched and reported.
    const QFileInfo folder(location);
    if (!location.isEmpty() && !folder.exists() && !folder.isSymLink()) {
        // Removed already: nothing to do.
    } else {
        QString reason;
        if (IsRemovableInstallFolder(location, config, &reason)) {
            RemoveInstalledFiles(folder.canonicalFilePath(), &report);
        } else {
            const QString line = (location.isEmpty() ? QString("install folder") : location) + ": " + reason +
                                 "; no folder was removed";
            qWarning().noquote() << "InstallProcessMgr::UnInstall" << line;
            report.failures << line;
        }
    }

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
