// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The uninstall sequence: the install folder, the shortcuts and the registry
// entry are removed in this order, each step reported with a percentage.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>

#include "Singleton.h"

namespace appinstaller {

class AppConfig;
}  // namespace appinstaller
namespace treeremove {
class TreeRemover;
}  // namespace treeremove
namespace appinstaller {
using TreeRemover = treeremove::TreeRemover;

// What one run of the sequence left behind: one line per item that could not
// be removed ("<what>: <reason>"), and the folders the installation made that
// stay because they hold files it did not make (saved videos and pictures,
// another program's files).
struct UninstallReport {
    QStringList failures;
    QStringList kept;
    // The installation could not be told apart from what is not its own, so
    // nothing at all was removed (the reason is in `failures`).
    bool nothingRemoved = false;
    bool ok() const { return failures.isEmpty(); }
};

class InstallProcessMgr : public QObject, public Base::CSingleton<InstallProcessMgr> {
    Q_OBJECT
    friend class Base::CSingleton<InstallProcessMgr>;

public:
    // Runs the whole sequence for the process's configuration in the calling
    // thread; reports through signalProcess and returns what was left.
    UninstallReport UnInstall();
    // The same for a given configuration.
    UninstallReport UnInstall(const AppConfig& config);

    // Removes the desktop and start-menu shortcuts of the installation in
    // `location`: only desktop entries that start a program inside that folder
    // are the installation's; a start-menu folder goes when nothing else is
    // left in it.
    void DeleteShortcuts();
    void DeleteShortcuts(const AppConfig& config, const QString& location, UninstallReport* report);

    // True when the desktop entry `path` (or the entry a link there points
    // to) starts a program inside `folder`.
    static bool IsShortcutInto(const QString& path, const QString& folder);

    // Removes what the manifest of the install folder lists, folders last and
    // only when empty; without a manifest, or for an installation of the
    // package manager, nothing is removed and the reason is reported.
    void RemoveInstalledFiles(const QString& folder, UninstallReport* report);
    // The folder has a usable record of an installation of its own (not the
    // package manager's); otherwise false with the reason.
    static bool CanRemoveInstalledFiles(const QString& folder, QString* why);

    // The sequence may run for the installation registered in `location`:
    // a folder that is gone, or one that IsRemovableInstallFolder accepts with
    // a usable record. Otherwise the sequence removes nothing at all (files,
    // shortcuts, registry entry) and `reason` says why.
    static bool CanUninstall(const QString& location, const AppConfig& config, QString* reason);

    // The install folder `location` may be removed for `config`: an absolute
    // folder (not a link), not the root or the home folder or a folder above
    // it, that holds the installation's "AppConfig.xml" with the same GUID.
    // Otherwise false with the reason.
    static bool IsRemovableInstallFolder(const QString& location, const AppConfig& config, QString* reason);

    // A name from the configuration that can be used as one file or folder
    // name (not empty, no separator, not "." or "..").
    static bool IsUsableName(const QString& name);

    // Replaces the remover (the default one removes for real). Set it before
    // a sequence starts.
    void setRemover(std::shared_ptr<TreeRemover> remover);

signals:
    void signalProcess(int iProcess, QString strProcessName);

private:
    InstallProcessMgr();
    ~InstallProcessMgr() override;

    void removePath(const QString& path, UninstallReport* report);

    std::shared_ptr<TreeRemover> m_remover;
};

class UnInstallThread : public QThread {
    Q_OBJECT
public:
    // Runs the sequence for `config`, or for the process's configuration when
    // it is null.
    explicit UnInstallThread(QObject* parent, const AppConfig* config = nullptr);

    // What the sequence left; valid once the thread has finished.
    UninstallReport report() const { return m_report; }

protected:
    void run() override;

private:
    const AppConfig* m_config;
    UninstallReport m_report;
};

}  // namespace appinstaller
