// SPDX-License-Identifier: GPL-3.0-or-later
// kel-alarmsound: writes the default alarm sound of the speed alarm, a short
// two-tone beep as a 16-bit mono PCM WAV file.
//
//   kel-alarmsound <output.wav>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xffff));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kel-alarmsound <output.wav>\n");
        return 2;
    }
    const uint32_t rate = 16000;
    const double pi = 3.14159265358979323846;
    // Three beeps of 0.15 s, alternating 880 Hz and 1320 Hz, 0.05 s apart.
    std::vector<int16_t> samples;
    for (int beep = 0; beep < 3; ++beep) {
        const double freq = beep % 2 ? 1320.0 : 880.0;
        const int length = static_cast<int>(rate * 0.15);
        const int fade = static_cast<int>(rate * 0.01);
        for (int i = 0; i < length; ++i) {
            double gain = 0.6;
            if (i < fade) gain *= static_cast<double>(i) / fade;
            if (length - i < fade) gain *= static_cast<double>(length - i) / fade;
            samples.push_back(static_cast<int16_t>(gain * 32767.0 * std::sin(2.0 * pi * freq * i / rate)));
        }
        samples.insert(samples.end(), static_cast<size_t>(rate * 0.05), 0);
    }
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);         // PCM
    Put16(out, 1);         // mono
    Put32(out, rate);
    Put32(out, rate * 2);  // bytes per second
    Put16(out, 2);         // block size
    Put16(out, 16);        // bits per sample
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));

    std::FILE* file = std::fopen(argv[1], "wb");
    if (!file) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        return 1;
    }
    return 0;
}
