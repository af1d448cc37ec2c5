// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Composition of a whole sample recorder medium from a seed: recordings and
// their index, device log, event records, pictures and vehicle-data files,
// and optionally a drive-table file that names the medium. Deterministic for
// a given spec. The generator program kel-mediagen is a thin CLI over it.
#include <cstdint>
#include <string>
#include <vector>

#include "merrowfen.h"
#include "merrowfen_disk.h"

namespace recmedia {

struct MediaSpec {
    std::string outDir;            // the medium's root folder (created)
    int family = 2;                // 2: hard-disk file library; 1: qorauto disk
    int channels = 4;              // channels 1..channels
    int days = 1;
    int perDay = 4;                // recordings per channel and day
    int seconds = 60;              // length of each recording
    int firstSecond = 8 * 3600;    // second of the day the first recording starts
    int gap = 0;                   // seconds between consecutive recordings of a channel
    std::string startDate = "2024-03-01";  // first day, YYYY-MM-DD
    uint32_t seed = 1;
    std::string key;               // non-empty: enciphered recordings
    int width = 352;               // picture size of recordings and pictures
    int height = 288;
    bool fast = false;             // small fake-but-valid recordings instead of encoded ones
    bool indexOnly = false;        // write indexes without recording files
    bool logs = true;
    bool events = true;
    bool pictures = true;
    bool vehicleFiles = true;
    int picVersion = 1;            // picture-index layout (1 or 2)
    int pictureWidth = 176;        // JPEG pictures of the picture index
    int pictureHeight = 144;
    bool repeatGop = false;        // real recordings: encode one GOP and repeat it (cheap)
    bool realistic = false;        // real recordings: camera-like pictures at a recorder's bit rate
    uint32_t serial = 0;           // disk serial; 0 = derived from the seed
    std::string driveTable;        // non-empty: write a drive-table file here
    char letter = 'E';             // letter the drive table gives the medium
    int physicalDrive = 1;         // "\\.\PHYSICALDRIVE<N>" number in the drive table
};

// One recording of a written medium.
struct PlannedRecording {
    int channel = 0;
    uint32_t start = 0;            // recorder seconds of the first pack
    uint32_t end = 0;              // of the last pack
    uint32_t size = 0;
    uint32_t recordType = 0;
    int fileType = HD_FILE_TYPE_NORMAL;
    std::string relPath;           // below the root, '/' separated
};

// What a written medium holds (for tests to check against).
struct MediumInfo {
    uint32_t serial = 0;
    uint32_t firstDay = 0;         // recorder seconds of the first day's 00:00:00
    std::vector<PlannedRecording> recordings;   // by channel, then start
    std::vector<merrowfen_disk::EventEntry> events;
    std::vector<HD_LOG_RECORD> logs;
    size_t pictures = 0;           // pictures in the picture index
    size_t vehicleSamples = 0;     // samples in the vehicle-data files
};

// Parses "YYYY-MM-DD" into recorder seconds of that day's start.
bool ParseDate(const std::string& text, uint32_t* dayStart);

// The device log of a medium: a few records per day and channel of every
// major type, sorted by time.
std::vector<HD_LOG_RECORD> PlanDeviceLog(uint32_t seed, uint32_t firstDay, int days, int channels);
// Event and driver-behaviour records lying inside the given recordings.
std::vector<merrowfen_disk::EventEntry> PlanEvents(uint32_t seed, const std::vector<PlannedRecording>& recordings);

bool WriteMedium(const MediaSpec& spec, std::string* error);
bool WriteMedium(const MediaSpec& spec, MediumInfo* info, std::string* error);

}  // namespace recmedia
