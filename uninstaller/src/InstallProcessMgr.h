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
class TreeRemover;

// What one run of the sequence left behind: one line per item that could not
// be removed ("<what>: <reason>").
struct UninstallReport {
    QStringList failures;
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

    // Removes the desktop and start-menu shortcuts of the installation.
    void DeleteShortcuts();
    void DeleteShortcuts(const AppConfig& config, UninstallReport* report);

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
