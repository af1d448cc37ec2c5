// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstallManifest.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#include "treeremove/InstallRecord.h"

namespace appinstaller {

QString InstallManifest::PathIn(const QString& folder) { return folder + '/' + QLatin1String(kFileName); }

bool InstallManifest::IsUsablePath(const QString& path) {
    return treeremove::IsUsableRecordPath(path.toStdString());
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
    treeremove::InstallRecord record;
    std::string why;
    if (!treeremove::ParseRecord(text.toStdString(), &record, &why)) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    m_package = QString::fromStdString(record.package);
    for (const treeremove::RecordEntry& e : record.entries) m_entries.push_back({e.kind, QString::fromUtf8(e.path.c_str())});
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
    for (const Entry& e : folders) out += QByteArray(treeremove::KindName(e.kind)) + '\t' + e.path.toUtf8() + '\n';
    for (const Entry& e : m_entries)
        if (e.kind != Kind::Folder) out += QByteArray(treeremove::KindName(e.kind)) + '\t' + e.path.toUtf8() + '\n';
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
