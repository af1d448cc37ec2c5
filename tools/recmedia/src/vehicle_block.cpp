// SPDX-License-Identifier: GPL-3.0-or-later
#include "recmedia/vehicle_block.h"

#include "recstream/recstream.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace recmedia {

const uint8_t kVehicleTextKey[8] = {'z', 'e', 'l', 'q', 'u', 'a', 'm', 'o'};

namespace {

const char kPlainTag[] = "$QORMOBILE";
const char kCipherPrefix[] = "$QORCIPHER,KELREC,";

unsigned long Scaled(double value, double unit) { return static_cast<unsigned long>(std::llround(std::fabs(value) * unit)); }

std::string PlainText(const TrackSample& s, int channel) {
    std::string t = kPlainTag;
    t += ",KELREC,E,";
    time_t when = static_cast<time_t>(s.time);
    struct tm tmv = {};
    gmtime_r(&when, &tmv);
    char buf[160];
    std::snprintf(buf, sizeof(buf), "%02d%02d%02d%02d%02d%02d|SAMPLE|KEL%02d|,%d,", tmv.tm_year % 100, tmv.tm_mon + 1,
                  tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec, channel, channel);
    t += buf;

    t += "#GP|";
    if (s.gpsValid) {
        std::string heading;
        if (s.headingDeg >= 0) heading = std::to_string(std::lround(s.headingDeg * 100) % 36000);
        std::snprintf(buf, sizeof(buf), "%lu|%lu|%lu|%s|0|%c|%c|%c|%d|0|", Scaled(s.longitude, 360000),
                      Scaled(s.latitude, 360000), Scaled(s.speedKmh, 100000), heading.c_str(),
                      s.longitude < 0 ? 'W' : 'E', s.latitude < 0 ? 'S' : 'N', s.locateMode ? s.locateMode : '#',
                      s.satellites);
        t += buf;
    }

    t += "#GS";
    if (s.gScale > 0) {
        t += "|" + std::to_string(s.gScale) + "|0|0|0";
        for (int k = 0; k < 10; ++k)
            t += "|" + std::to_string(s.gx[k]) + "|" + std::to_string(s.gy[k]) + "|" + std::to_string(s.gz[k]);
        t += "|";
    }

    int word = (s.leftLight ? 1 : 0) | (s.rightLight ? 2 : 0) | (s.brake ? 4 : 0) | (s.alarm ? 8 : 0) |
               (s.reverse ? 16 : 0);
    std::snprintf(buf, sizeof(buf), "#ME|%d|%d|%d|%d|%d|%d|,0,+480|", word, s.leftLight ? 1 : 0,
                  s.rightLight ? 1 : 0, s.brake ? 1 : 0, s.alarm ? 1 : 0, s.reverse ? 1 : 0);
    t += buf;
    return t;
}

}  // namespace

std::string MakeVehicleBlock(const TrackSample& sample, bool enciphered, int channel) {
    std::string plain = PlainText(sample, channel);
    if (!enciphered) return plain;
    std::vector<uint8_t> bytes(plain.begin(), plain.end());
    bytes.resize((bytes.size() + 7) / 8 * 8, 0);
    recstream::DesEcb(kVehicleTextKey, bytes.data(), bytes.size() / 8, false);
    std::string out = kCipherPrefix;
    out.reserve(out.size() + 2 * bytes.size());
    for (uint8_t b : bytes) {
        out += static_cast<char>(0x40 + (b >> 4));
        out += static_cast<char>(0x50 + (b & 0x0F));
    }
    return out;
}

std::string DecipherVehicleBlock(const std::string& block) {
    if (block.compare(0, sizeof(kPlainTag) - 1, kPlainTag) == 0) return block;
    size_t first = block.find(',');
    size_t second = first == std::string::npos ? first : block.find(',', first + 1);
    if (second == std::string::npos) return {};
    std::string text = block.substr(second + 1);
    std::vector<uint8_t> bytes(text.size() / 16 * 8);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(((text[2 * i] - 0x40) & 0x0F) << 4 | ((text[2 * i + 1] - 0x50) & 0x0F));
    recstream::DesEcb(kVehicleTextKey, bytes.data(), bytes.size() / 8, true);
    std::string out(bytes.begin(), bytes.end());
    size_t zero = out.find('\0');
    if (zero != std::string::npos) out.resize(zero);
    return out;
}

}  // namespace recmedia
