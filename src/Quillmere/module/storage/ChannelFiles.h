// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recordings found for one channel of one disk in one search.
#include <QDate>
#include <QString>
#include <vector>

#include "Channel.h"
#include "SingleFile.h"

class ChannelFiles {
public:
    ChannelFiles() = default;

    // "<PlaybackFilesOfChannel>...</PlaybackFilesOfChannel>" on one line;
    // null list entries are skipped.
    QString ToXml() const;
    // Replaces the fields with those of the text. The file records it
    // allocates belong to the caller; the pointers held before are dropped
    // without deleting them. A text that does not load leaves the record as
    // it was.
    void FromXml(const QString& xml);
    // The same from a "PlaybackFilesOfChannel" element of a document already
    // loaded (no text rendered and read again); a null element leaves the
    // record as it was.
    void FromElement(const ziraz::GenericDS& element);
    // Disk, device and the two dates from the texts of the record's child
    // elements (see APT_QMR::CSingleFile::fromChildTexts); the channel and
    // the file list are read apart.
    void FromHeadTexts(const std::function<QString(const QString&)>& childText);

    QString DiskName;
    QString DeviceName;
    APT_QMR::CChannel ChannelInfo;
    QDate StartTime;  // first day of the search range
    QDate EndTime;    // last day of the search range
    // Not owned; entries may be null.
    std::vector<APT_QMR::CSingleFile*> SingleFileList;
};
