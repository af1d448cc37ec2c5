// SPDX-License-Identifier: GPL-3.0-or-later
#include "VehicleData.h"

#include "recstream/recstream.h"

#include <QVector>
#include <climits>
#include <cstring>

namespace {

// Key of the enciphered vehicle text.
const uint8_t kVehicleKey[8] = {'z', 'e', 'l', 'q', 'u', 'a', 'm', 'o'};
const char kPlainMarker[] = "$QORMOBILE";
constexpr size_t kPlainMarkerLength = sizeof(kPlainMarker) - 1;

// Reads a decimal number: optional leading blanks and sign, then digits up to
// the first other character. No digits give 0. Runs of digits that do not fit
// saturate at the 32-bit limits. At most `limit` characters are looked at.
int32_t ReadNumber(const char* p, size_t limit = SIZE_MAX)
{
    size_t i = 0;
    while (i < limit && (p[i] == ' ' || p[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < limit && (p[i] == '+' || p[i] == '-')) {
        negative = p[i] == '-';
        ++i;
    }
    int64_t value = 0;
    while (i < limit && p[i] >= '0' && p[i] <= '9') {
        value = value * 10 + (p[i] - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
        ++i;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<int32_t>(value);
}

// Text that begins right after the k-th bar found from `from` on; nullptr when
// there are fewer than k bars.
const char* Field(const char* from, int k)
{
    const char* bar = FindNthOccurrence(from, "|", k);
    return bar ? bar + 1 : nullptr;
}

// Copies the text between two positions into a fixed field, cut to its size.
void CopyBetween(char* dst, size_t dstSize, const char* begin, const char* end)
{
    size_t n = static_cast<size_t>(end - begin);
    if (n > dstSize)
        n = dstSize;
    std::memcpy(dst, begin, n);
}

void ParseGps(const char* gp, const char* gs, RUN_INFO* run)
{
    const char* firstBar = gp ? std::strchr(gp, '|') : nullptr;
    if (!firstBar || !gs || gs < firstBar + 2) {
        run->gpsValid = 0;
        return;
    }
    run->gpsValid = 1;
    if (const char* f = Field(gp, 1))
        run->longitude = static_cast<uint32_t>(ReadNumber(f));
    if (const char* f = Field(gp, 2))
        run->latitude = static_cast<uint32_t>(ReadNumber(f));
    if (const char* f = Field(gp, 3))
        run->speed = static_cast<uint32_t>(ReadNumber(f));
    if (const char* f = Field(gp, 4))
        run->heading = (*f == '|') ? -1 : ReadNumber(f);
    if (const char* f = Field(gp, 6))
        run->longitudeHemisphere = *f;
    if (const char* f = Field(gp, 7))
        run->latitudeHemisphere = *f;
    const char* f8 = Field(gp, 8);
    run->locateMode = (!f8 || *f8 == '#' || f8 - 1 >= gs) ? 0 : *f8;
    const char* f9 = Field(gp, 9);
    run->satelliteCount = (!f9 || f9 - 1 >= gs) ? 0 : static_cast<uint8_t>(ReadNumber(f9));
    const char* f10 = Field(gp, 10);
    run->gpsWord2 = (!f10 || f10 - 1 >= gs) ? 0 : static_cast<uint16_t>(ReadNumber(f10));
}

void ParseGSensor(const char* gs, const char* me, RUN_INFO* run)
{
    if (!gs || (me && me >= gs && me - gs <= 4)) {
        run->gSensorScale = 0;
        return;
    }
    const char* f = Field(gs, 1);
    run->gSensorScale = f ? static_cast<uint32_t>(ReadNumber(f)) : 0;
    for (int i = 0; i < 3; ++i) {
        if (const char* e = Field(gs, 2 + i))
            run->gSensorExtra[i] = static_cast<int16_t>(ReadNumber(e));
    }
    int16_t* axes[3] = {run->gSensorX, run->gSensorY, run->gSensorZ};
    for (int k = 0; k < 10; ++k) {
        for (int a = 0; a < 3; ++a) {
            if (const char* s = Field(gs, 5 + 3 * k + a))
                axes[a][k] = static_cast<int16_t>(ReadNumber(s));
        }
    }
}

void ParseState(const char* me, RUN_INFO* run)
{
    const char* firstBar = me ? std::strchr(me, '|') : nullptr;
    const char* fifthBar = me ? FindNthOccurrence(me, "|", 5) : nullptr;
    if (!firstBar || !fifthBar || fifthBar < firstBar + 2) {
        run->stateValid = 0;
        return;
    }
    run->stateValid = 1;
    if (const char* f = Field(me, 1))
        run->stateWord = static_cast<uint32_t>(ReadNumber(f));
    uint8_t* bytes[5] = {&run->leftLight, &run->rightLight, &run->brake, &run->alarm, &run->reverse};
    for (int i = 0; i < 5; ++i) {
        if (const char* f = Field(me, 2 + i))
            *bytes[i] = static_cast<uint8_t>(ReadNumber(f));
    }
}

struct MetaTypeRegistrar {
    MetaTypeRegistrar() { RegisterVehicleDataTypes(); }
};
const MetaTypeRegistrar g_registrar;

}  // namespace

void RegisterVehicleDataTypes()
{
    qRegisterMetaType<VEH_META_INFO>("VEH_META_INFO");
    qRegisterMetaType<RUN_INFO>("RUN_INFO");
    qRegisterMetaType<QVector<RUN_INFO>>("QVector<RUN_INFO>");
}

const char* FindNthOccurrence(const char* text, const char* needle, int n)
{
    if (!text || n < 1)
        return text;
    if (!needle || !*needle)
        return nullptr;
    const size_t step = std::strlen(needle);
    const char* p = text;
    for (int i = 0; i < n; ++i) {
        const char* hit = std::strstr(p, needle);
        if (!hit)
            return nullptr;
        if (i == n - 1)
            return hit;
        p = hit + step;
    }
    return nullptr;
}

uint32_t MakeUtcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    int64_t y = year;
    int64_t m = static_cast<int64_t>(month) - 2;
    if (m < 1) {
        m += 12;
        y -= 1;
    }
    const int64_t days = y * 365 + y / 4 - y / 100 + y / 400 + (367 * m) / 12 + day - 719499;
    const int64_t seconds = ((days * 24 + hour) * 60 + minute) * 60 + second;
    return static_cast<uint32_t>(static_cast<uint64_t>(seconds));
}

size_t DecipherVehicleText(int length, const char* text, uint8_t* out, size_t outSize, const uint8_t key[8])
{
    if (!text || !out || !key || length < 16)
        return 0;
    const size_t groups = static_cast<size_t>(length) / 16;
    size_t written = 0;
    for (size_t g = 0; g < groups && written + 8 <= outSize; ++g) {
        const char* group = text + g * 16;
        uint8_t* block = out + written;
        for (int j = 0; j < 8; ++j) {
            const uint8_t high = static_cast<uint8_t>(group[2 * j] - 0x40) & 0x0F;
            const uint8_t low = static_cast<uint8_t>(group[2 * j + 1] - 0x50) & 0x0F;
            block[j] = static_cast<uint8_t>((high << 4) | low);
        }
        written += 8;
    }
    recstream::DesEcb(key, out, written / 8, true);
    return written;
}

bool ParseVehicleData(const char* block, int length, VEH_META_INFO* info)
{
    if (!info)
        return false;
    if (!block || length < 0)
        length = 0;
    const size_t blockLength = static_cast<size_t>(length);

    // Zero-terminated work text, never longer than the buffer allows.
    char buffer[kVehicleTextBufferSize];
    std::memset(buffer, 0, sizeof(buffer));
    const size_t textRoom = sizeof(buffer) - 1;

    if (blockLength >= kPlainMarkerLength && std::memcmp(block, kPlainMarker, kPlainMarkerLength) == 0) {
        std::memcpy(buffer, block, blockLength < textRoom ? blockLength : textRoom);
    } else {
        // Plain part of the block: the text up to and including the second comma.
        char head[kVehicleTextBufferSize];
        std::memset(head, 0, sizeof(head));
        if (blockLength > 0)
            std::memcpy(head, block, blockLength < textRoom ? blockLength : textRoom);
        const char* secondComma = FindNthOccurrence(head, ",", 2);
        if (!secondComma)
            return false;
        const size_t start = static_cast<size_t>(secondComma - head) + 1;
        const size_t rest = blockLength - start;
        const int restLength = rest > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rest);
        DecipherVehicleText(restLength, block + start, reinterpret_cast<uint8_t*>(buffer), textRoom,
                            kVehicleKey);
    }

    std::memset(info, 0, sizeof(*info));
    RUN_INFO* run = &info->runInfo;

    if (const char* c1 = FindNthOccurrence(buffer, ",", 1)) {
        const char* p = c1 + 1;
        for (size_t i = 0; i < 6 && p[i]; ++i)
            info->headerText[i] = p[i];
    }
    if (const char* c2 = FindNthOccurrence(buffer, ",", 2))
        info->flagE = (c2[1] == 'E') ? 1 : 0;

    if (const char* c3 = FindNthOccurrence(buffer, ",", 3)) {
        // Twelve digits YYMMDDhhmmss; the zero fill (and the end of the buffer)
        // stops each two-character number.
        const char* t = c3 + 1;
        const size_t avail = strnlen(t, 12);
        int fields[6] = {0, 0, 0, 0, 0, 0};
        for (size_t i = 0; i < 6; ++i) {
            char pair[3] = {0, 0, 0};
            if (2 * i < avail)
                pair[0] = t[2 * i];
            if (2 * i + 1 < avail)
                pair[1] = t[2 * i + 1];
            fields[i] = ReadNumber(pair, 2);
        }
        info->time = MakeUtcSeconds(2000 + fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);

        const char* bar1 = std::strchr(c3, '|');
        const char* bar2 = bar1 ? std::strchr(bar1 + 1, '|') : nullptr;
        const char* bar3 = bar2 ? std::strchr(bar2 + 1, '|') : nullptr;
        if (bar1 && bar2)
            CopyBetween(info->text1, sizeof(info->text1), bar1 + 1, bar2);
        if (bar2 && bar3)
            CopyBetween(info->text2, sizeof(info->text2), bar2 + 1, bar3);
    }

    if (const char* p = FindNthOccurrence(buffer, ",", 5)) {
        const char* gp = std::strstr(p, "#GP");
        const char* gs = std::strstr(p, "#GS");
        const char* me = std::strstr(p, "#ME");
        ParseGps(gp, gs, run);
        ParseGSensor(gs, me, run);
        ParseState(me, run);
    }

    info->signedValue = 10000;
    if (const char* c7 = FindNthOccurrence(buffer, ",", 7)) {
        const char* bar = std::strchr(c7, '|');
        if (bar && bar - c7 >= 2 && bar - c7 <= 19) {
            const char sign = c7[1];
            const size_t digits = static_cast<size_t>(bar - c7) - 2;
            const int32_t value = ReadNumber(c7 + 2, digits);
            if (sign == '+')
                info->signedValue = value;
            else if (sign == '-')
                info->signedValue = (value == INT32_MIN) ? INT32_MAX : -value;
        }
    }
    return true;
}
