// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One recording file found by a search, with the span of it to play or copy
// and its record-type information; plus the time lookups over file lists.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ziraz {
class GenericDS;
}

namespace APT_QMR {

class CSingleFile {
public:
    CSingleFile();
    // Sets SearchStartTime to `startTime`, SearchEndTime to 0 and the three
    // record-type fields to 0.
    CSingleFile(const std::string& fileName, const std::string& diskName, uint32_t fileSize,
                uint32_t startTime, uint32_t endTime, int fileType, std::string deviceName,
                int channelNumber);

    void SetSubType(int subType) { SubType = subType; }
    int GetSubType() const { return SubType; }
    void SetEnforceMode(uint32_t mode) { EnforceMode = mode; }
    uint32_t GetEnforceMode() const { return EnforceMode; }
    void SetSubFileType(int subFileType) { SubFileType = subFileType; }
    int GetSubFileType() const { return SubFileType; }

    std::string GetDeviceName() const { return DeviceName; }

    // A new record (the caller owns it) for the span [start, end] of the same
    // file; end -1 keeps this record's EndTime. The record-type fields and the
    // whole-file times are carried over.
    CSingleFile* clone(int start, int end) const;

    // "<CSingleFile>...</CSingleFile>" on one line; times as local
    // "yyyy-MM-dd hh:mm:ss", text values escaped.
    QString toXml() const;
    // Reads every field back; a text that does not load leaves the record
    // unchanged. Missing numbers read as 0, missing times as 0xFFFFFFFF.
    void fromXml(const QString& xml);
    // The same from a "CSingleFile" element of a document already loaded; a
    // null element leaves the record unchanged.
    void fromElement(const ziraz::GenericDS& element);
    // The same from the texts of the record's child elements: `childText`
    // gives the whole text of the first child element of that name, or an
    // empty text when there is none.
    void fromChildTexts(const std::function<QString(const QString&)>& childText);

    // Fields, read and written directly by the searches and the players.
    std::string FileName;
    uint32_t FileSize;
    uint32_t SearchStartTime;  // start of the whole recording file (seek base)
    uint32_t SearchEndTime;    // end of the whole recording file, 0 when unknown
    uint32_t StartTime;        // span to play or copy
    uint32_t EndTime;
    std::string DeviceName;
    int ChannelNumber;
    int FileType;
    std::string DiskName;
    int SubType;           // evidence category
    uint32_t EnforceMode;  // 1 when the record-type code is catalogued
    int SubFileType;       // the recorder's record-type code
};

}  // namespace APT_QMR

// Where playback starts in a list of files.
struct FilePosition {
    int index = -1;  // position in the list (null entries count)
    int time = -1;   // seconds since 1970
};

// Finds the first file (null entries skipped) whose EndTime is after `t`; a
// file shorter than a second (StartTime == EndTime) holds its one second.
// `pos.time` is `t` when the file holds it, else the file's StartTime.
// False (pos {-1, -1}) when no file ends after `t`.
bool FindFileAtTime(FilePosition& pos, const std::vector<APT_QMR::CSingleFile*>& files, int t);
// True when the file that FindFileAtTime picks holds `t`.
bool IsTimeInFiles(const std::vector<APT_QMR::CSingleFile*>& files, int t);

// The entries of `files` as one time line, each moment once: where
// recordings of one channel overlap (the channel recorded on two disks at
// once, or a recorder that went on on its second disk), an entry keeps only
// the part after the end of what the entries before it in time order cover
// (its StartTime moves there; SearchStartTime, where its recording begins,
// stays), and an entry that adds nothing is left out. Entries of different
// channels never hide each other. The result is aligned with `files`: a new
// record per entry that adds something, null for the others (and for nulls).
std::vector<std::unique_ptr<APT_QMR::CSingleFile>> OneTimeLine(const std::vector<APT_QMR::CSingleFile*>& files);
