// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading of the hand-over files that the viewer writes for the batch
// downloader: "DiskFile.xml" (the selected disks) and "SearchedFile.xml" (the
// found files, one "PlaybackFilesOfChannel" element per channel).
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "ChannelFiles.h"

// The "DiskName" text of every child of the root, in file order. False (and
// `error` set when not null) when the file cannot be read, is refused by the
// toolkit's XML check (ziraz/xmlguard.h) or does not parse.
bool ReadHandOverDisks(const QString& path, std::vector<std::string>* disks, QString* error);

// The channel records of the file, in file order; children of the root that
// are not "PlaybackFilesOfChannel" are counted in `unknown` (when not null).
// The file records of each ChannelFiles belong to the caller. False (and
// `error` set; no records) when the file cannot be read, is refused or does
// not parse. Read as a stream: time and memory grow with the records only.
bool ReadHandOverChannels(const QString& path, std::vector<std::unique_ptr<ChannelFiles>>* records, int* unknown,
                          QString* error);
