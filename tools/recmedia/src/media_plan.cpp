// SPDX-License-Identifier: GPL-3.0-or-later
// Composition of a whole sample recorder medium.
#include "recmedia/media_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "nembra.h"
#include "recmedia/disk_writer.h"
#include "recmedia/encoder.h"
#include "recmedia/picture_writer.h"
#include "recmedia/track.h"
#include "recmedia/vehicle_files.h"

namespace recmedia {

namespace {

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

uint32_t Mix(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 2654435761u ^ b * 2246822519u ^ c * 3266489917u;
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

// Record-type codes of sample recordings: mostly plain, some violation codes.
uint32_t RecordTypeOf(uint32_t h) {
    static const uint32_t kCodes[] = {0, 0, 0, 0, 0, 1, 2, 6, 1301, 1018, 1043, 1044};
    return kCodes[h % (sizeof kCodes / sizeof kCodes[0])];
}

int FileTypeOf(uint32_t h) {
    switch ((h >> 8) % 8) {
    case 0: return HD_FILE_TYPE_ALARM;
    case 1: return HD_FILE_TYPE_MOTION;
    default: return HD_FILE_TYPE_NORMAL;
    }
}

std::string AbsolutePath(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf)) return buf;
    return path;
}

}  // namespace

bool ParseDate(const std::string& text, uint32_t* dayStart) {
    int y = 0, m = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
    HD_FILE_TIME t{y, m, d, 0, 0, 0};
    if (y < 2000 || y > 2063 || m < 1 || m > 12 || d < 1 || d > 31) return false;
    const int64_t s = FromHdTime(t);
    const HD_FILE_TIME back = ToHdTime(s);
    if (back.year != y || back.month != m || back.day != d) return false;  // e.g. 02-30
    *dayStart = uint32_t(s);
    return true;
}

bool WriteMedium(const MediaSpec& spec, std::string* error) {
    MediumInfo info;
    return WriteMedium(spec, &info, error);
}

bool WriteMedium(const MediaSpec& spec, MediumInfo* info, std::string* error) {
    if (spec.outDir.empty()) return Fail(error, "no output folder");
    if (spec.family != 1 && spec.family != 2) return Fail(error, "family must be 1 or 2");
    if (spec.channels < 1 || spec.channels > 64) return Fail(error, "channels must be 1..64");
    if (spec.days < 1 || spec.days > 3660) return Fail(error, "days must be 1..3660");
    if (spec.perDay < 0 || spec.perDay > 86400) return Fail(error, "recordings per day must be 0..86400");
    if (spec.seconds < 1 || spec.seconds >= 86400) return Fail(error, "seconds must be 1..86399");
    if (spec.firstSecond < 0 || spec.firstSecond >= 86400) return Fail(error, "first second must be 0..86399");
    if (spec.gap < 0 || spec.gap >= 86400) return Fail(error, "gap must be 0..86399");
    if (spec.width < 16 || spec.height < 16 || spec.width > 4096 || spec.height > 4096)
        return Fail(error, "picture size must be 16x16..4096x4096");
    if (spec.pictureWidth < 16 || spec.pictureHeight < 16 || spec.pictureWidth > 4096 || spec.pictureHeight > 4096)
        return Fail(error, "size of the JPEG pictures must be 16x16..4096x4096");
    if (spec.picVersion != 1 && spec.picVersion != 2) return Fail(error, "picture-index layout must be 1 or 2");
    const char letter = char(spec.letter >= 'a' && spec.letter <= 'z' ? spec.letter - 'a' + 'A' : spec.letter);
    if (!spec.driveTable.empty() && (letter < 'A' || letter > 'Z'))
        return Fail(error, "drive letter must be A..Z");
    if (!spec.driveTable.empty() && (spec.physicalDrive < 0 || spec.physicalDrive > 99))
        return Fail(error, "physical drive number must be 0..99");
    uint32_t firstDay = 0;
    if (!ParseDate(spec.startDate, &firstDay)) return Fail(error, "bad start date: " + spec.startDate);

    MediumInfo out;
    out.serial = spec.serial ? spec.serial : (Mix(spec.seed, 0x51u, 0x7u) | 1u);
    out.firstDay = firstDay;
    const std::string& root = spec.outDir;
    if (!MakeFolders(root)) return Fail(error, "cannot create " + root);
    if (!WriteDiskMarker(root, spec.family, out.serial, spec.picVersion, error)) return false;
    if (spec.family == 1 &&
        !WriteQorautoMarker(root, out.serial, 1, uint32_t(spec.channels), 1, 0, error))
        return false;

    std::vector<nembra_disk::CatalogEntry> catalog;
    std::map<int64_t, std::vector<merrowfen_disk::DayIndexEntry>> dayIndexes;
    for (int ch = 1; ch <= spec.channels; ++ch) {
        for (int d = 0; d < spec.days; ++d) {
            const uint32_t dayStart = firstDay + uint32_t(d) * 86400;
            for (int i = 0; i < spec.perDay; ++i) {
                const int64_t start = int64_t(dayStart) + spec.firstSecond + int64_t(i) * (spec.seconds + spec.gap);
                if (start >= int64_t(dayStart) + 86400) break;  // the day is full
                const uint32_t h = Mix(spec.seed, uint32_t(ch), uint32_t(start));
                PlannedRecording r;
                r.channel = ch;
                r.start = uint32_t(start);
                r.end = uint32_t(start + spec.seconds - 1);
                r.recordType = RecordTypeOf(h);
                r.fileType = FileTypeOf(h);
                r.relPath = RecordingRelativePath(spec.family, ch, r.start, 0);
                if (spec.indexOnly) {
                    r.size = uint32_t(40 + spec.seconds * 200);
                } else {
                    FakeRecording fake;
                    fake.channel = ch;
                    fake.start = r.start;
                    fake.seconds = uint32_t(spec.seconds);
                    fake.width = uint16_t(spec.width);
                    fake.height = uint16_t(spec.height);
                    fake.seed = spec.seed;
                    fake.key = spec.key;
                    uint64_t size = 0;
                    const std::string path = root + "/" + r.relPath;
                    if (spec.fast) {
                        if (!WriteFakeRecording(path, fake, &size, error)) return false;
                    } else {
                        RecordingSpec rs;
                        rs.path = path;
                        rs.channel = ch;
                        rs.start = r.start;
                        rs.seconds = uint32_t(spec.seconds);
                        rs.width = spec.width & ~1;
                        rs.height = spec.height & ~1;
                        rs.key = spec.key;
                        rs.seed = spec.seed;
                        rs.fastRepeat = spec.repeatGop;
                        rs.realistic = spec.realistic;
                        rs.track = MakeTrack(spec.seed, r.start, uint32_t(spec.seconds));
                        if (!MakeFolders(path.substr(0, path.rfind('/'))) || !EncodeRecording(rs, error)) return false;
                        struct stat st;
                        if (::stat(path.c_str(), &st) != 0) return Fail(error, "cannot read back " + path);
                        size = uint64_t(st.st_size);
                    }
                    r.size = uint32_t(size);
                }
                const std::string name = r.relPath.substr(r.relPath.rfind('/') + 1);
                if (spec.family == 2) {
                    merrowfen_disk::DayIndexEntry e;
                    std::memset(&e, 0, sizeof e);
                    e.start = r.start;
                    e.end = r.end;
                    e.size = r.size;
                    e.recordType = r.recordType;
                    e.channel = uint16_t(ch);
                    e.fileType = uint8_t(r.fileType);
                    e.flags = spec.key.empty() ? 0 : 1;
                    std::strncpy(e.name, name.c_str(), sizeof e.name - 1);
                    dayIndexes[r.start / 86400].push_back(e);
                } else {
                    nembra_disk::CatalogEntry e;
                    std::memset(&e, 0, sizeof e);
                    e.mapIndex = 0;
                    e.channel = uint32_t(ch);
                    e.recordType = r.fileType == HD_FILE_TYPE_ALARM ? STORAGE_RECORD_ALARM : STORAGE_RECORD_NORMAL;
                    e.size = r.size;
                    e.start = r.start;
                    e.end = r.end;
                    const std::string rel = r.relPath.substr(std::strlen(nembra_disk::kDataDir) + 1);
                    std::strncpy(e.path, rel.c_str(), sizeof e.path - 1);
                    catalog.push_back(e);
                }
                out.recordings.push_back(r);
            }
        }
    }
    if (spec.family == 2) {
        // Every day of the medium gets its index, also a day without recordings.
        for (int d = 0; d < spec.days; ++d) dayIndexes[(firstDay / 86400) + d];
        for (auto& day : dayIndexes)
            if (!WriteDayIndex(root, day.first, std::move(day.second), error)) return false;
    } else if (!WriteCatalog(root, std::move(catalog), error)) {
        return false;
    }

    if (spec.logs) {
        out.logs = PlanDeviceLog(spec.seed, firstDay, spec.days, spec.channels);
        if (!WriteDeviceLog(root, out.logs, error)) return false;
    }
    if (spec.events) {
        out.events = PlanEvents(spec.seed, out.recordings);
        if (!WriteEventRecords(root, out.events, error)) return false;
    }
    if (spec.pictures && !spec.indexOnly) {
        // One picture at the second second of every recording, and one at
        // the second second of every other driver-behaviour alarm, so that
        // alarms have pictures to show (channels the layout can hold), in
        // time order.
        const int maxChannel = spec.picVersion == 2 ? 48 : 32;
        struct Shot {
            int channel;
            uint32_t time;
        };
        std::vector<Shot> shots;
        for (const PlannedRecording& r : out.recordings)
            if (r.channel <= maxChannel) shots.push_back({r.channel, std::min(r.start + 1, r.end)});
        size_t behaviour = 0;
        for (const merrowfen_disk::EventEntry& e : out.events) {
            if (e.majorType != HD_EXTRA_MAJOR_DRIVER_BEHAVIOR || e.channel > maxChannel) continue;
            if (behaviour++ % 2 != 0) continue;
            const Shot shot{e.channel, std::min(e.start + 1, e.end)};
            const bool taken = std::any_of(shots.begin(), shots.end(), [&shot](const Shot& s) {
                return s.channel == shot.channel && s.time == shot.time;
            });
            if (!taken) shots.push_back(shot);
        }
        std::stable_sort(shots.begin(), shots.end(), [](const Shot& a, const Shot& b) { return a.time < b.time; });
        PictureLayout layout;
        layout.version = spec.picVersion == 2 ? 2 : 1;
        layout.entriesPerBlock = 256;
        layout.blockCount = uint32_t(spec.channels * 2 + shots.size() / layout.entriesPerBlock + 4);
        PictureIndexWriter pictures(layout);
        for (const Shot& shot : shots) {
            PictureSpec p;
            p.channel = shot.channel;
            p.time = shot.time;
            p.type = 1;
            p.bytes = MakeSamplePicture(shot.channel, p.time, spec.pictureWidth, spec.pictureHeight);
            if (!pictures.Add(p)) return Fail(error, "cannot place a picture in the picture index");
        }
        if (!shots.empty() && !pictures.Write(root)) return Fail(error, "cannot write the picture index");
        out.pictures = shots.size();
    }
    if (spec.vehicleFiles && !spec.indexOnly) {
        // The track of channel 1's recordings, one pair of files per day for
        // the first five days, at most four hours a day.
        for (int d = 0; d < spec.days && d < 5; ++d) {
            std::vector<TrackSample> samples;
            for (const PlannedRecording& r : out.recordings) {
                if (r.channel != 1 || r.start / 86400 != (firstDay / 86400) + uint32_t(d)) continue;
                if (samples.size() >= 4 * 3600) break;
                const std::vector<TrackSample> part = MakeTrack(spec.seed, r.start, r.end - r.start + 1);
                samples.insert(samples.end(), part.begin(), part.end());
            }
            if (samples.empty()) continue;
            if (!WriteVehicleFiles(root, d + 1, samples)) return Fail(error, "cannot write the vehicle-data files");
            out.vehicleSamples += samples.size();
        }
    }

    if (!spec.driveTable.empty()) {
        const std::string abs = AbsolutePath(root);
        char text[PATH_MAX * 2 + 128];
        std::snprintf(text, sizeof text, "# sample recorder medium\ndisk %d %s\nletter %c %d removable vfat %s\n",
                      spec.physicalDrive, abs.c_str(), letter, spec.physicalDrive, abs.c_str());
        FILE* f = std::fopen(spec.driveTable.c_str(), "wb");
        if (!f) return Fail(error, "cannot create " + spec.driveTable);
        const size_t len = std::strlen(text);
        const bool ok = std::fwrite(text, 1, len, f) == len;
        if (std::fclose(f) != 0 || !ok) return Fail(error, "cannot write " + spec.driveTable);
    }
    if (info) *info = std::move(out);
    return true;
}

}  // namespace recmedia
