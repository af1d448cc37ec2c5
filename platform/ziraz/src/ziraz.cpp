// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/ziraz.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QTextCodec>

#include <unistd.h>

namespace ziraz {

QString ConvertToUnicode(const std::string& text, QTextCodec* codec) {
    if (codec) return codec->toUnicode(text.data(), static_cast<int>(text.size()));
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString ConvertToUnicode(const char* text, QTextCodec* codec) {
    return ConvertToUnicode(std::string(text ? text : ""), codec);
}

std::string ConvertFromUnicode(const QString& text, QTextCodec* codec) {
    QByteArray b = codec ? codec->fromUnicode(text) : text.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QString GetInstallPath() {
    QString dir = QString::fromLocal8Bit(qgetenv("KEL_HOME"));
    if (dir.isEmpty()) {
        if (QCoreApplication::instance()) {
            dir = QCoreApplication::applicationDirPath();
        } else {
            char buf[4096];
            ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
            if (n > 0) {
                buf[n] = 0;
                dir = QFileInfo(QString::fromLocal8Bit(buf)).absolutePath();
            } else {
                dir = QDir::currentPath();
            }
        }
    }
    dir = QDir::cleanPath(dir);
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

namespace {
// "$XDG_DATA_HOME/KEL" (default "~/.local/share/KEL"), without a trailing '/':
// the per-user folders of every installation lie in it.
QString UserDataBase() {
    QString base = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.local/share";
    return QDir::cleanPath(base + "/KEL");
}

bool PerUser(const QString& install) {
    return qgetenv("KEL_HOME").isEmpty() && access(QFile::encodeName(install).constData(), W_OK) != 0;
}

bool IsLinkOrExists(const QFileInfo& info) { return info.exists() || info.isSymLink(); }

// The folder of older releases, shared by every installation, is recognised
// by what the programs always put into it.
bool IsSharedUserFolder(const QString& base) {
    for (const char* name : {"Settings.xml", "AppConfig.xml", "setup.xml", "translations", "output"})
        if (IsLinkOrExists(QFileInfo(base + '/' + name))) return true;
    return false;
}

// A link the mirror made: it leads to the entry of the same name of an
// installation. Entries the mirror leaves out are the user's own, links too
// (an output folder moved to another disk).
bool IsMirrorLink(const QFileInfo& entry, const QStringList& skip) {
    return entry.isSymLink() && !skip.contains(entry.fileName()) &&
           QFileInfo(entry.symLinkTarget()).fileName() == entry.fileName();
}

// Whose the shared folder of an older release is: the installation its links
// lead into. Empty when none of them leads anywhere any more (that
// installation is gone).
QString SharedFolderOwner(const QString& base, const QStringList& skip) {
    const QFileInfoList entries = QDir(base).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        if (!IsMirrorLink(e, skip)) continue;
        const QFileInfo target(e.symLinkTarget());
        if (target.exists()) return target.absoluteDir().canonicalPath();
    }
    return QString();
}

// Names of the per-user folders of installations (see InstallationKey).
bool IsInstallationKey(const QString& name) {
    static const QRegularExpression key(QStringLiteral("^([0-9A-Z]+(-[0-9A-Z]+)+|folder-[0-9a-f]{16})$"));
    return name.size() <= 64 && key.match(name).hasMatch();
}

// Moves what the shared folder of an older release holds into `user` (a
// folder inside it): the settings, set-up files and saved files stay with it.
// Its links and the copies of the installation's record are left behind for
// good: the mirror makes them anew for this installation. The folders of
// other installations beside are not touched.
void TakeOverSharedFolder(const QString& base, const QString& user, const QStringList& skip) {
    if (!QDir().mkpath(user)) return;
    const QFileInfoList entries = QDir(base).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        const QString name = e.fileName();
        if (e.isDir() && !e.isSymLink() && IsInstallationKey(name)) continue;
        if (IsMirrorLink(e, skip) || (e.isFile() && !e.isSymLink() && (name == "AppConfig.xml" || name == "InstallManifest.txt"))) {
            QFile::remove(e.absoluteFilePath());
        } else if (!IsLinkOrExists(QFileInfo(user + '/' + name))) {
            QDir().rename(e.absoluteFilePath(), user + '/' + name);
        }
    }
}
}  // namespace

QString InstallationKey(const QString& installFolder) {
    GenericDS config;
    if (config.loadXML(QDir(installFolder).filePath(QStringLiteral("AppConfig.xml")))) {
        QString guid = config.FindDescendant(QStringLiteral("GUID")).GetValue().trimmed();
        if (guid.startsWith('{') && guid.endsWith('}')) guid = guid.mid(1, guid.size() - 2);
        if (IsInstallationKey(guid.toUpper())) return guid.toUpper();
    }
    QString folder = QFileInfo(installFolder).canonicalFilePath();
    if (folder.isEmpty()) folder = QDir::cleanPath(QDir(installFolder).absolutePath());
    return QStringLiteral("folder-") +
           QString::fromLatin1(QCryptographicHash::hash(QFile::encodeName(folder), QCryptographicHash::Sha1).toHex().left(16));
}

QString UserProgramFolder(const QString& installFolder) {
    return UserDataBase() + '/' + InstallationKey(installFolder) + '/';
}

QString OpenUserProgramFolder(const QString& installFolder, const QStringList& skip) {
    const QString user = UserProgramFolder(installFolder);
    const QString base = UserDataBase();
    if (!QDir().mkpath(QFileInfo(base).absolutePath())) return user;
    // One process at a time takes over and fills the folders.
    QLockFile lock(base + QStringLiteral(".lock"));
    lock.setStaleLockTime(0);
    const bool locked = lock.tryLock(10000);
    if (locked && !IsLinkOrExists(QFileInfo(user)) && IsSharedUserFolder(base)) {
        const QString owner = SharedFolderOwner(base, skip);
        const QString install = QFileInfo(installFolder).canonicalFilePath();
        if (owner.isEmpty() || owner == install) TakeOverSharedFolder(base, QDir::cleanPath(user), skip);
    }
    MirrorInstallFolder(installFolder, user, skip);
    return user;
}

bool IsPerUserTargetPath() { return PerUser(GetInstallPath()); }

bool MirrorInstallFolder(const QString& installFolder, const QString& userFolder, const QStringList& skip) {
    if (!QDir().mkpath(userFolder)) return false;
    bool ok = true;
    const QDir install(installFolder);
    const QFileInfoList entries = install.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        if (skip.contains(e.fileName())) continue;
        const QString target = QDir(userFolder).filePath(e.fileName());
        const QFileInfo existing(target);
        // A link that leads nowhere any more (an entry an earlier release
        // had) is made anew.
        if (existing.isSymLink() && !existing.exists()) QFile::remove(target);
        if (IsLinkOrExists(QFileInfo(target))) continue;
        if (e.isFile() && !e.isExecutable()) {
            // Files the programs may rewrite: the user's own copy.
            if (QFile::copy(e.absoluteFilePath(), target))
                QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
            else
                ok = false;
        } else {
            ok &= QFile::link(e.absoluteFilePath(), target);
        }
    }
    return ok;
}

QString GetTargetPath() {
    const QString install = GetInstallPath();
    if (!PerUser(install)) return install;
    // The user's folder of this installation is taken over and filled once
    // per process; the programs write their settings and working files
    // themselves.
    static const QString user = OpenUserProgramFolder(
        install,
        {QStringLiteral("Settings.xml"), QStringLiteral("DESetup.xml"), QStringLiteral("maintain"),
         QStringLiteral("output"), QStringLiteral("lib"), QStringLiteral("include"), QStringLiteral("share")});
    return user;
}

QString GetTargetPathFile(const QString& name) { return GetTargetPath() + name; }

QString GetFileSize(uint64_t bytes, const QString& unit, int precision) {
    static const char* units[] = {"B", "KB", "MB", "GB", "TB"};
    int u = 0;
    if (!unit.isEmpty()) {
        for (int i = 0; i < 5; ++i)
            if (unit.compare(QLatin1String(units[i]), Qt::CaseInsensitive) == 0) u = i;
    } else {
        double v = static_cast<double>(bytes);
        while (v >= 1024.0 && u < 4) { v /= 1024.0; ++u; }
    }
    double v = static_cast<double>(bytes);
    for (int i = 0; i < u; ++i) v /= 1024.0;
    if (u == 0) return QString::number(bytes) + " B";
    return QString::number(v, 'f', precision) + " " + units[u];
}

}  // namespace ziraz
