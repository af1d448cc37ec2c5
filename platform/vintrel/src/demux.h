// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Incremental reader of the recorder's program stream: packs, system headers
// and PES packets. Hands out elementary-stream payloads with their times.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vintrel {

// Stream id of a unit that carries a 40-byte stream header found between
// packs: a file joined from several recordings starts each of them with its
// own header (and its own clock).
constexpr uint8_t kUnitStreamHeader = 0x00;

struct PesUnit {
    uint8_t streamId = 0;
    bool hasPts = false;
    uint64_t pts = 0;        // 90 kHz
    uint64_t scr = 0;        // 90 kHz, SCR of the pack that carried it
    uint64_t pack = 0;       // number of the pack that carried it (counts pack headers)
    const uint8_t* data = nullptr;
    size_t size = 0;
};

class PsDemux {
public:
    // Drops buffered bytes (after a seek the next bytes start anywhere).
    void Reset();
    void Feed(const uint8_t* data, size_t size);
    // Takes the next complete PES unit; false when more bytes are needed.
    // `out.data` stays valid until the next call of Next, Feed or Reset.
    bool Next(PesUnit* out);
    // At the end of the input: nothing more will come.
    size_t Buffered() const { return m_buf.size() - m_pos; }
    uint64_t LastScr() const { return m_scr; }

private:
    bool Resync();
    std::vector<uint8_t> m_buf;
    size_t m_pos = 0;
    uint64_t m_scr = 0;
    uint64_t m_packs = 0;
};

}  // namespace vintrel
