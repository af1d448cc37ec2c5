// SPDX-License-Identifier: GPL-3.0-or-later
// kel-mediagen: writes a complete sample recorder medium from a seed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <string>

#include "recmedia/media_plan.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: kel-mediagen --out DIR [options]\n"
                 "  --family 1|2        1 qorauto disk, 2 hard-disk library disk (default 2)\n"
                 "  --channels N        channels 1..N, N 1..64 (default 4)\n"
                 "  --days N            days, 1..3660 (default 1)\n"
                 "  --per-day N         recordings per channel and day, 0..86400 (default 4)\n"
                 "  --seconds N         length of a recording, 1..86399 (default 60)\n"
                 "  --first-second N    second of the day of the first recording, 0..86399 (default 28800)\n"
                 "  --gap N             seconds between recordings, 0..86399 (default 0)\n"
                 "  --start YYYY-MM-DD  first day (default 2024-03-01)\n"
                 "  --seed N            0..2147483647 (default 1)\n"
                 "  --key K             encipher the recordings with key K\n"
                 "  --size WxH          picture size, 16..4096 each (default 352x288)\n"
                 "  --pic-version 1|2   picture-index layout (default 1)\n"
                 "  --fast              small fake-but-valid recordings instead of encoded ones\n"
                 "  --repeat-gop        encoded recordings repeat their first GOP (cheap)\n"
                 "  --realistic         camera-like recordings (a detailed scene panning and shaking,\n"
                 "                      a road, sensor noise, the recorder's text line) at a\n"
                 "                      recorder's bit rate: 720p 3 Mbit/s, 1080p 8 Mbit/s, linear\n"
                 "                      in the pixel count between, smaller sizes in proportion to\n"
                 "                      720p; not with --repeat-gop or --fast\n"
                 "  --picture-size WxH  size of the JPEG pictures, 16..4096 each (default 176x144)\n"
                 "  --index-only        indexes without recording files\n"
                 "  --no-logs --no-events --no-pictures --no-vehicle\n"
                 "  --drive-table FILE  write a drive table naming the medium\n"
                 "  --letter E          its drive letter (default E)\n"
                 "  --drive N           its physical drive number, 0..99 (default 1)\n");
}

bool ToInt(const char* text, int* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno || !end || *end || end == text || v < -2147483647L || v > 2147483647L) return false;
    *out = int(v);
    return true;
}

bool TakesValue(const std::string& option) {
    static const char* const kOptions[] = {"--out",  "--family", "--channels",     "--days",         "--per-day",
                                           "--seconds", "--first-second", "--gap", "--start",    "--seed",
                                           "--key",  "--size",   "--picture-size", "--pic-version", "--drive-table",
                                           "--letter", "--drive"};
    for (const char* o : kOptions)
        if (option == o) return true;
    return false;
}

// "WxH" with two whole numbers and nothing else.
bool ToSize(const char* text, int* width, int* height) {
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    return ToInt(std::string(text, x).c_str(), width) && ToInt(x + 1, height);
}

}  // namespace

int main(int argc, char** argv) {
    recmedia::MediaSpec spec;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char** out) {
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        int n = 0;
        bool ok = true;
        bool known = true;
        if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (a == "--fast") {
            spec.fast = true;
        } else if (a == "--repeat-gop") {
            spec.repeatGop = true;
        } else if (a == "--realistic") {
            spec.realistic = true;
        } else if (a == "--index-only") {
            spec.indexOnly = true;
        } else if (a == "--no-logs") {
            spec.logs = false;
        } else if (a == "--no-events") {
            spec.events = false;
        } else if (a == "--no-pictures") {
            spec.pictures = false;
        } else if (a == "--no-vehicle") {
            spec.vehicleFiles = false;
        } else if (!TakesValue(a)) {
            known = false;
        } else if (!value(&v)) {
            std::fprintf(stderr, "kel-mediagen: %s needs a value\n", a.c_str());
            Usage();
            return 2;
        } else if (a == "--out") {
            spec.outDir = v;
        } else if (a == "--family") {
            ok = ToInt(v, &spec.family);
        } else if (a == "--channels") {
            ok = ToInt(v, &spec.channels);
        } else if (a == "--days") {
            ok = ToInt(v, &spec.days);
        } else if (a == "--per-day") {
            ok = ToInt(v, &spec.perDay);
        } else if (a == "--seconds") {
            ok = ToInt(v, &spec.seconds);
        } else if (a == "--first-second") {
            ok = ToInt(v, &spec.firstSecond);
        } else if (a == "--gap") {
            ok = ToInt(v, &spec.gap);
        } else if (a == "--start") {
            spec.startDate = v;
        } else if (a == "--seed") {
            ok = ToInt(v, &n) && n >= 0;
            spec.seed = uint32_t(n);
        } else if (a == "--key") {
            spec.key = v;
        } else if (a == "--size") {
            ok = ToSize(v, &spec.width, &spec.height);
        } else if (a == "--picture-size") {
            ok = ToSize(v, &spec.pictureWidth, &spec.pictureHeight);
        } else if (a == "--pic-version") {
            ok = ToInt(v, &spec.picVersion);
        } else if (a == "--drive-table") {
            spec.driveTable = v;
        } else if (a == "--letter") {
            ok = std::strlen(v) == 1 && std::isalpha(static_cast<unsigned char>(v[0]));
            spec.letter = v[0];
        } else if (a == "--drive") {
            ok = ToInt(v, &spec.physicalDrive);
        } else {
            known = false;
        }
        if (!known) {
            std::fprintf(stderr, "kel-mediagen: unknown option %s\n", a.c_str());
            Usage();
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "kel-mediagen: bad value for %s: %s\n", a.c_str(), v);
            Usage();
            return 2;
        }
    }
    if (spec.outDir.empty()) {
        Usage();
        return 2;
    }
    if (spec.realistic && (spec.repeatGop || spec.fast)) {
        std::fprintf(stderr, "kel-mediagen: --realistic cannot be combined with %s\n",
                     spec.repeatGop ? "--repeat-gop" : "--fast");
        return 2;
    }
    recmedia::MediumInfo info;
    std::string error;
    if (!recmedia::WriteMedium(spec, &info, &error)) {
        std::fprintf(stderr, "kel-mediagen: %s\n", error.c_str());
        return 1;
    }
    std::printf("medium %s: family %d, serial %08X, %zu recordings, %zu events, %zu log records, %zu pictures, "
                "%zu vehicle samples\n",
                spec.outDir.c_str(), spec.family, info.serial, info.recordings.size(), info.events.size(),
                info.logs.size(), info.pictures, info.vehicleSamples);
    return 0;
}
