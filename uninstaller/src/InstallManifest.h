// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record of what one installation put into its folder, kept there as
// "InstallManifest.txt": the installed files, the folders the installation
// created, and the working files and folders its programs make in the program
// folder (listed only when the name was free at install time). The uninstaller
// removes exactly what is listed, folders only when they are empty, so files
// that are not the installation's (another program's, the user's saved videos
// and pictures) stay. An installation made by the package manager says so with
// a "package" line and lists only what its set-up step made.
//
// The file is plain text, one entry a line: a kind, a tab, then a path
// relative to the install folder ("." is the folder itself):
//
//   package      <name of the package>
//   folder       <folder the installation created>
//   file         <file or link it put in place>
//   work-file    <file the programs make at run time>
//   work-folder  <folder of working files the programs make and empty at will>
//
// Lines starting with '#' are comments.
#include <QString>
#include <QVector>

#include "treeremove/InstallRecord.h"

namespace appinstaller {

class InstallManifest {
public:
    static constexpr const char* kFileName = treeremove::kRecordFileName;

    using Kind = treeremove::Kind;
    struct Entry {
        Kind kind = Kind::File;
        QString path;  // relative to the install folder, clean
        bool operator==(const Entry& o) const { return kind == o.kind && path == o.path; }
    };

    // The manifest of an install folder.
    static QString PathIn(const QString& folder);

    // A path that names something inside the install folder: relative, clean,
    // without ".." or empty parts, without tabs or line breaks. "." is the
    // folder itself (usable for folders only).
    static bool IsUsablePath(const QString& path);

    // Reads a manifest file; false with the reason when there is none, it is
    // not a plain file (a link is refused) or a line cannot be understood.
    bool load(const QString& file, QString* error = nullptr);
    bool parse(const QByteArray& text, QString* error = nullptr);
    // Writes the manifest in place (through a temporary file), readable by all.
    bool save(const QString& file, QString* error = nullptr) const;
    QByteArray toText() const;

    // Adds an entry unless it is listed already; false for an unusable path.
    bool add(Kind kind, const QString& path);
    // Adds every entry of another manifest (its package name too, when set).
    void merge(const InstallManifest& other);
    bool contains(Kind kind, const QString& path) const;

    const QVector<Entry>& entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty() && m_package.isEmpty(); }

    // The package whose package manager made the installation; empty for an
    // installation of its own.
    QString packageName() const { return m_package; }
    void setPackageName(const QString& name) { m_package = name; }

private:
    QVector<Entry> m_entries;
    QString m_package;
};

}  // namespace appinstaller
