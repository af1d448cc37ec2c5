// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A hard-disk library medium made from fuzz input: the text marker, one day
// folder with up to two recordings and a day index that lists them (its
// entries made from what the recordings' headers and packs say, moved by the
// input's control bytes), so that the stream readers get past the listing
// and spend their time on the recordings.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelfuzz {

struct RecordingDisk {
    std::string root;                 // the medium's folder
    std::string day;                  // "YYYYMMDD"
    std::vector<std::string> paths;   // the recordings written, in index order
    std::vector<std::string> names;   // their names as a listing hands them out ("E:\record\...")
    std::vector<uint32_t> starts;     // their index spans (recorder seconds)
    std::vector<uint32_t> ends;
    uint16_t channel = 1;
};

// Control bytes read one at a time; zeros once they run out.
class Control {
public:
    Control(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    uint8_t Byte() { return m_at < m_bytes.size() ? m_bytes[m_at++] : 0; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(Byte()) << (8 * i);
        return v;
    }
    bool More() const { return m_at < m_bytes.size(); }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_at = 0;
};

// Writes the medium into the scratch folder's "disk" folder (the folder that
// UseDriveE gives the letter E:). Recordings that are empty are left out.
RecordingDisk WriteRecordingDisk(const std::vector<std::vector<uint8_t>>& recordings, Control* control);

}  // namespace kelfuzz
