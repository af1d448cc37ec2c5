// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/ziraz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
QString UserDataFolder() {
    QString base = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.local/share";
    return QDir::cleanPath(base + "/KEL") + '/';
}

bool PerUser(const QString& install) {
    return qgetenv("KEL_HOME").isEmpty() && access(QFile::encodeName(install).constData(), W_OK) != 0;
}
}  // namespace

bool IsPerUserTargetPath() { return PerUser(GetInstallPath()); }

bool MirrorInstallFolder(const QString& installFolder, const QString& userFolder, const QStringList& skip) {
    if (!QDir().mkpath(userFolder)) return false;
    bool ok = true;
    const QDir install(installFolder);
    const QFileInfoList entries = install.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        if (skip.contains(e.fileName())) continue;
        const QString target = QDir(userFolder).filePath(e.fileName());
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink()) continue;
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
    const QString user = UserDataFolder();
    // The user's folder is filled once per process; the programs write their
    // settings and working files themselves.
    static const bool mirrored = MirrorInstallFolder(
        install, user,
        {QStringLiteral("Settings.xml"), QStringLiteral("DESetup.xml"), QStringLiteral("maintain"),
         QStringLiteral("output"), QStringLiteral("lib"), QStringLiteral("include"), QStringLiteral("share")});
    Q_UNUSED(mirrored);
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
