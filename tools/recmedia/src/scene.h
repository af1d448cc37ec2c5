// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pictures of realistic sample recordings: a detailed scene seen by a
// camera that pans and shakes, a road rushing by under it, sensor noise and
// the recorder's text line. Frames are drawn straight into YUV 4:2:0 planes.
#include <cstdint>
#include <string>
#include <vector>

namespace recmedia {

// 5 x 7 rows of a character the recorder draws (digits, '-', ':', '.', 'C',
// 'H'); null for any other character.
const uint8_t* GlyphRows(char c);

// "YYYY-MM-DD hh:mm:ss" of recorder seconds.
std::string ClockText(uint32_t seconds);

// Bit rate of realistic recordings of a picture size (bits per second).
int64_t RealisticBitRate(int width, int height);

class RealisticScene {
public:
    // width and height even; the same arguments always give the same frames.
    RealisticScene(int width, int height, uint32_t seed, int channel);

    // Frame `n` of a recording at `fps`, its recorder clock at `clock`, into
    // three planes of the picture's size (chroma at half size).
    void Render(int64_t n, int fps, uint32_t clock, uint8_t* const planes[3], const int strides[3]) const;

private:
    int m_width, m_height;
    int m_textureWidth, m_textureHeight, m_margin;
    int m_channel;
    std::vector<uint8_t> m_y, m_u, m_v;   // the scene, larger than the picture
    std::vector<int8_t> m_noise;          // sensor noise, read at a new place each frame
    uint32_t m_seed;
};

}  // namespace recmedia
