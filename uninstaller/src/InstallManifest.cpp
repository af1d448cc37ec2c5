// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstallManifest.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace appinstaller {

namespace {

struct KindName {
    InstallManifest::Kind kind;
    const char* name;
};
const KindName kKinds[] = {
    {InstallManifest::Kind::Folder, "folder"},
    {InstallManifest::Kind::File, "file"},
    {InstallManifest::Kind::WorkFile, "work-file"},
    {InstallManifest::Kind::WorkFolder, "work-folder"},
};

const char* NameOf(InstallManifest::Kind kind) {
    for (const KindName& k : kKinds)
        if (k.kind == kind) return k.name;
    return "file";
}

// A package name as the package manager writes it.
bool IsPackageName(const QString& name) {
    if (name.size() < 2) return false;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!alnum && (i == 0 || (c != '+' && c != '-' && c != '.'))) return false;
    }
    return true;
}

}  // namespace

QString InstallManifest::PathIn(const QString& folder) { return folder + '/' + QLatin1String(kFileName); }

bool InstallManifest::IsUsablePath(const QString& path) {
    if (path == ".") return true;
    if (path.isEmpty() || path.startsWith('/') || path.endsWith('/')) return false;
    for (QChar c : path) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    }
    for (const QString& part : path.split('/')) {
        if (part.isEmpty() || part == "." || part == "..") return false;
    }
    return true;
}

bool InstallManifest::add(Kind kind, const QString& path) {
    if (!IsUsablePath(path)) return false;
    if (path == "." && kind != Kind::Folder) return false;
    if (!contains(kind, path)) m_entries.push_back({kind, path});
    return true;
}

bool InstallManifest::contains(Kind kind, const QString& path) const {
    for (const Entry& e : m_entries)
        if (e.kind == kind && e.path == path) return true;
    return false;
}

void InstallManifest::merge(const InstallManifest& other) {
    for (const Entry& e : other.m_entries) add(e.kind, e.path);
    if (!other.m_package.isEmpty()) m_package = other.m_package;
}

bool InstallManifest::parse(const QByteArray& text, QString* error) {
    m_entries.clear();
    m_package.clear();
    const QList<QByteArray> lines = text.split('\n');
    int number = 0;
    for (const QByteArray& raw : lines) {
        ++number;
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty() || line.startsWith('#')) continue;
        const int tab = line.indexOf('\t');
        const QString kind = tab < 0 ? line : line.left(tab);
        const QString value = tab < 0 ? QString() : line.mid(tab + 1);
        bool ok = false;
        if (kind == "package") {
            ok = IsPackageName(value);
            if (ok) m_package = value;
        } else {
            for (const KindName& k : kKinds) {
                if (kind == QLatin1String(k.name)) {
                    ok = add(k.kind, value);
                    break;
                }
            }
        }
        if (!ok) {
            if (error) *error = QString("line %1 cannot be understood").arg(number);
            m_entries.clear();
            m_package.clear();
            return false;
        }
    }
    return true;
}

bool InstallManifest::load(const QString& file, QString* error) {
    const QFileInfo info(file);
    if (info.isSymLink() || !info.isFile()) {
        if (error) *error = QString("%1 is missing").arg(info.fileName());
        return false;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QString("%1 cannot be read").arg(info.fileName());
        return false;
    }
    QString why;
    if (!parse(f.readAll(), &why)) {
        if (error) *error = QString("%1: %2").arg(info.fileName(), why);
        return false;
    }
    return true;
}

QByteArray InstallManifest::toText() const {
    QByteArray out =
        "# What this installation put into its folder. The uninstaller removes exactly\n"
        "# these; folders only when they are empty.\n";
    if (!m_package.isEmpty()) out += "package\t" + m_package.toUtf8() + '\n';
    // Folders first, each after the folder it lies in; the rest in the order
    // they were added.
    QVector<Entry> folders;
    for (const Entry& e : m_entries)
        if (e.kind == Kind::Folder) folders.push_back(e);
    std::stable_sort(folders.begin(), folders.end(), [](const Entry& a, const Entry& b) {
        const int da = a.path == "." ? 0 : a.path.count('/') + 1;
        const int db = b.path == "." ? 0 : b.path.count('/') + 1;
        return da < db;
    });
    for (const Entry& e : folders) out += QByteArray(NameOf(e.kind)) + '\t' + e.path.toUtf8() + '\n';
    for (const Entry& e : m_entries)
        if (e.kind != Kind::Folder) out += QByteArray(NameOf(e.kind)) + '\t' + e.path.toUtf8() + '\n';
    return out;
}

bool InstallManifest::save(const QString& file, QString* error) const {
    QSaveFile f(file);
    const QByteArray text = toText();
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size() || !f.commit()) {
        if (error) *error = QString("cannot write %1").arg(file);
        return false;
    }
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

}  // namespace appinstaller
