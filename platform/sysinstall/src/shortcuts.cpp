// SPDX-License-Identifier: GPL-3.0-or-later
#include "sysinstall/sysinstall.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace sysinstall {

namespace {
QString FromEnv(const char* name) {
    return QString::fromLocal8Bit(qgetenv(name));
}

// Desktop entry values: escapes of the desktop entry format, one line.
QString EntryValue(const QString& v) {
    QString out;
    for (QChar c : v) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

// Exec argument: quoted, with the characters the format reserves escaped.
QString ExecArgument(const QString& v) {
    QString quoted;
    for (QChar c : v) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return EntryValue('"' + quoted + '"');
}
}  // namespace

QString DesktopFolder() {
    QString dir = FromEnv("KEL_DESKTOP_DIR");
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return QDir::cleanPath(dir);
}

QString PublicDesktopFolder() {
    const QString dir = FromEnv("KEL_PUBLIC_DESKTOP_DIR");
    return dir.isEmpty() ? QString() : QDir::cleanPath(dir);
}

QString StartMenuFolder() {
    QString dir = FromEnv("KEL_APPLICATIONS_DIR");
    // The administrator's start menu is every user's.
    if (dir.isEmpty()) dir = geteuid() == 0 ? QStringLiteral("/usr/share/applications")
                                            : QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    return QDir::cleanPath(dir);
}

QString PrivateStartMenuFolder() {
    QString dir = FromEnv("KEL_PRIVATE_APPLICATIONS_DIR");
    if (dir.isEmpty() && (geteuid() != 0 || !FromEnv("KEL_APPLICATIONS_DIR").isEmpty())) return StartMenuFolder();
    if (dir.isEmpty()) {
        // The administrator's own home, whatever HOME says (sudo may keep the
        // caller's).
        const passwd* pw = getpwuid(0);
        dir = QString::fromLocal8Bit(pw && pw->pw_dir ? pw->pw_dir : "/root") + "/.local/share/applications";
    }
    return QDir::cleanPath(dir);
}

QString ShortcutSuffix() { return QStringLiteral(".desktop"); }

bool WriteShortcut(const QString& path, const QString& name, const QString& target, const QString& icon,
                   const QString& categories) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QString text = "[Desktop Entry]\nType=Application\nName=" + EntryValue(name) +
                         "\nExec=" + ExecArgument(target) + "\nTerminal=false\n" +
                         (icon.isEmpty() ? QString() : "Icon=" + EntryValue(icon) + "\n") +
                         (categories.isEmpty() ? QString() : "Categories=" + EntryValue(categories) + "\n");
    const QByteArray bytes = text.toUtf8();
    return f.write(bytes) == bytes.size();
}

}  // namespace sysinstall
