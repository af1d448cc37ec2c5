// SPDX-License-Identifier: GPL-3.0-or-later
#include "sysinstall/sysinstall.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace sysinstall {

QString RegistryRoot() {
    QString dir = QString::fromLocal8Bit(qgetenv("KEL_REGISTRY_DIR"));
    // The machine's own keys belong to the administrator; a user's
    // installation keeps them in the user's data folder.
    if (dir.isEmpty()) dir = geteuid() == 0 ? QStringLiteral("/var/lib/kel/registry")
                                            : QDir::homePath() + "/.local/share/kel/registry";
    return QDir::cleanPath(dir);
}

namespace {
bool UsablePart(const QString& part) {
    if (part.isEmpty() || part == "." || part == "..") return false;
    for (QChar c : part) {
        if (c == '/' || c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    }
    return true;
}
}  // namespace

QString RegistryKeyFile(const QString& keyName) {
    const QStringList parts = keyName.split('\\');
    for (const QString& p : parts) {
        if (!UsablePart(p)) return QString();
    }
    return RegistryRoot() + '/' + parts.join('/') + ".ini";
}

std::shared_ptr<QSettings> OpenRegistryKey(const QString& keyName) {
    const QString file = RegistryKeyFile(keyName);
    if (file.isEmpty()) return nullptr;
    return std::make_shared<QSettings>(file, QSettings::IniFormat);
}

bool DeleteRegistryKey(const QString& keyName, QString* error) {
    const QString file = RegistryKeyFile(keyName);
    if (file.isEmpty()) {
        if (error) *error = "unusable key name";
        return false;
    }
    QFileInfo info(file);
    if (info.exists() || info.isSymLink()) {
        {
            QSettings key(file, QSettings::IniFormat);
            key.clear();
            key.sync();
        }
        if (!QFile::remove(file) && (QFileInfo::exists(file) || QFileInfo(file).isSymLink())) {
            if (error) *error = "cannot remove " + file;
            return false;
        }
    }
    // Subkeys stored as files of their own below the key's folder.
    const QString subkeys = file.left(file.size() - 4);
    QFileInfo sub(subkeys);
    if (sub.isSymLink()) {
        QFile::remove(subkeys);
    } else if (sub.isDir() && !QDir(subkeys).removeRecursively()) {
        if (error) *error = "cannot remove " + subkeys;
        return false;
    }
    // The folders of the key's path go when nothing else is kept in them, up
    // to the registry folder itself (and, at its usual place, the "kel"
    // folder that holds it).
    const QString root = RegistryRoot();
    QString folder = QFileInfo(file).absolutePath();
    while (folder.startsWith(root + '/') && QDir().rmdir(folder)) folder = QFileInfo(folder).absolutePath();
    if (folder == root && QDir().rmdir(root) && qEnvironmentVariableIsEmpty("KEL_REGISTRY_DIR"))
        QDir().rmdir(QFileInfo(root).absolutePath());
    return true;
}

}  // namespace sysinstall
