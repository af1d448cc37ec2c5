// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace recmedia {

namespace {

struct Glyph {
    char c;
    uint8_t rows[7];
};
const Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
};

// A small, fast generator with a fixed sequence per seed.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    uint32_t Next() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        return static_cast<uint32_t>((m_state * 0x2545F4914F6CDD1Dull) >> 32);
    }
    int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1)); }

private:
    uint64_t m_state;
};

uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// A smooth random field: values on a grid of `cell` pixels, bilinear between.
void SmoothField(std::vector<uint8_t>& out, int w, int h, int cell, int lo, int hi, Random& rnd) {
    const int gw = w / cell + 2, gh = h / cell + 2;
    std::vector<int> grid(static_cast<size_t>(gw * gh));
    for (int& g : grid) g = rnd.Range(lo, hi);
    out.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const int gy = y / cell, fy = y % cell;
        for (int x = 0; x < w; ++x) {
            const int gx = x / cell, fx = x % cell;
            const int a = grid[gy * gw + gx], b = grid[gy * gw + gx + 1];
            const int c = grid[(gy + 1) * gw + gx], d = grid[(gy + 1) * gw + gx + 1];
            const int top = a * (cell - fx) + b * fx, bottom = c * (cell - fx) + d * fx;
            out[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>((top * (cell - fy) + bottom * fy) / (cell * cell));
        }
    }
}

void FillRect(std::vector<uint8_t>& plane, int stride, int h, int x, int y, int rw, int rh, uint8_t v) {
    const int x1 = std::min(stride, x + rw), y1 = std::min(h, y + rh);
    for (int r = std::max(0, y); r < y1; ++r)
        for (int c = std::max(0, x); c < x1; ++c) plane[static_cast<size_t>(r) * stride + c] = v;
}

void DrawTextPlane(uint8_t* plane, int stride, int width, int x, int y, int scale, const std::string& text,
                   uint8_t value) {
    for (char ch : text) {
        if (const uint8_t* rows = GlyphRows(ch)) {
            for (int r = 0; r < 7; ++r)
                for (int col = 0; col < 5; ++col) {
                    if (!(rows[r] & (0x10 >> col))) continue;
                    for (int dy = 0; dy < scale; ++dy) {
                        const int px = x + col * scale;
                        if (px < 0 || px + scale > width) continue;
                        std::memset(plane + static_cast<size_t>(y + r * scale + dy) * stride + px, value,
                                    static_cast<size_t>(scale));
                    }
                }
        }
        x += 6 * scale;
    }
}

// 0..range and back, at `speed` per second.
int PingPong(double t, double speed, int range) {
    if (range <= 0) return 0;
    const double p = std::fmod(t * speed, 2.0 * range);
    return static_cast<int>(p < range ? p : 2.0 * range - p);
}

}  // namespace

const uint8_t* GlyphRows(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.c == c) return g.rows;
    return nullptr;
}

std::string ClockText(uint32_t seconds) {
    time_t t = static_cast<time_t>(seconds);
    struct tm tmv = {};
    gmtime_r(&t, &tmv);
    char buf[64];
    std::snprintf(buf, sizeof(buf), "%04d-%02d-%02d %02d:%02d:%02d", tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday,
                  tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
    return buf;
}

int64_t RealisticBitRate(int width, int height) {
    const double px = static_cast<double>(width) * height;
    const double p720 = 1280.0 * 720, p1080 = 1920.0 * 1080;
    double rate;
    if (px <= p720) rate = 3e6 * px / p720;
    else if (px <= p1080) rate = 3e6 + 5e6 * (px - p720) / (p1080 - p720);
    else rate = 8e6 * px / p1080;
    return std::max<int64_t>(250000, static_cast<int64_t>(rate));
}

RealisticScene::RealisticScene(int width, int height, uint32_t seed, int channel)
    : m_width(width), m_height(height), m_channel(channel), m_seed(seed) {
    m_margin = std::max(4, height / 16) & ~1;
    m_textureWidth = (width * 3) & ~1;
    m_textureHeight = height + 2 * m_margin;
    Random rnd(static_cast<uint64_t>(seed) * 131 + static_cast<uint64_t>(channel));
    const int tw = m_textureWidth, th = m_textureHeight;

    // Light and shade over the scene, then buildings, signs and trees as
    // blocks with dark outlines, then fine grain that moves with the scene.
    SmoothField(m_y, tw, th, std::max(16, height / 8), 50, 200, rnd);
    std::vector<uint8_t> cu, cv;
    SmoothField(cu, tw / 2, th / 2, std::max(8, height / 12), 96, 160, rnd);
    SmoothField(cv, tw / 2, th / 2, std::max(8, height / 12), 96, 160, rnd);
    m_u = std::move(cu);
    m_v = std::move(cv);
    const int blocks = std::max(20, tw * th / 9000);
    for (int i = 0; i < blocks; ++i) {
        const int bw = rnd.Range(std::max(4, width / 80), std::max(8, width / 8)) & ~1;
        const int bh = rnd.Range(std::max(4, height / 60), std::max(8, height / 5)) & ~1;
        const int x = rnd.Range(0, tw - 2) & ~1, y = rnd.Range(0, th - 2) & ~1;
        FillRect(m_y, tw, th, x - 2, y - 2, bw + 4, bh + 4, static_cast<uint8_t>(rnd.Range(10, 40)));
        FillRect(m_y, tw, th, x, y, bw, bh, static_cast<uint8_t>(rnd.Range(40, 235)));
        // Windows or lettering inside larger blocks.
        if (bw > 24 && bh > 24) {
            const int step = std::max(6, bw / 6);
            const uint8_t lit = static_cast<uint8_t>(rnd.Range(150, 250));
            for (int wy = y + 4; wy + 4 < y + bh; wy += step)
                for (int wx = x + 4; wx + 4 < x + bw; wx += step)
                    FillRect(m_y, tw, th, wx, wy, step / 2, step / 2, rnd.Range(0, 2) ? lit : uint8_t(20));
        }
        FillRect(m_u, tw / 2, th / 2, x / 2, y / 2, bw / 2, bh / 2, static_cast<uint8_t>(rnd.Range(70, 186)));
        FillRect(m_v, tw / 2, th / 2, x / 2, y / 2, bw / 2, bh / 2, static_cast<uint8_t>(rnd.Range(70, 186)));
    }
    for (uint8_t& p : m_y) p = Clamp(p + rnd.Range(-14, 14));

    // Noise: a triangular distribution of about +-6, read from a new place
    // every frame.
    m_noise.resize((1u << 20) + 4099);
    for (int8_t& n : m_noise) n = static_cast<int8_t>(rnd.Range(-3, 3) + rnd.Range(-3, 3));
}

void RealisticScene::Render(int64_t n, int fps, uint32_t clock, uint8_t* const planes[3], const int strides[3]) const {
    const int w = m_width, h = m_height, tw = m_textureWidth;
    const double t = static_cast<double>(n) / fps;
    // The camera pans across the scene and shakes a little.
    const int x0 = PingPong(t, w / 10.0, tw - w) & ~1;
    int y0 = m_margin + static_cast<int>(m_margin * (0.45 * std::sin(2 * M_PI * 1.1 * t) + 0.3 * std::sin(2 * M_PI * 2.7 * t)));
    y0 = std::max(0, std::min(2 * m_margin, y0)) & ~1;

    // The road fills the lower part and rushes towards the camera.
    const int road = (h * 2 / 3) & ~1;
    for (int y = 0; y < road; ++y)
        std::memcpy(planes[0] + static_cast<size_t>(y) * strides[0], &m_y[static_cast<size_t>(y0 + y) * tw + x0],
                    static_cast<size_t>(w));
    const int rush = static_cast<int>(t * h * 1.5);
    const int lane = std::max(2, w / 90), dash = std::max(8, h / 10);
    for (int y = road; y < h; ++y) {
        uint8_t* row = planes[0] + static_cast<size_t>(y) * strides[0];
        const int ty = (y - road + rush) % (m_textureHeight - 1);
        const uint8_t* src = &m_y[static_cast<size_t>(ty) * tw + (tw - w) / 2];
        for (int x = 0; x < w; ++x) row[x] = static_cast<uint8_t>(60 + (src[x] >> 3));
        if (((y + rush) / dash) % 2 == 0) std::memset(row + w / 2 - lane / 2, 225, static_cast<size_t>(lane));
        std::memset(row + w / 12, 210, static_cast<size_t>(lane));
        std::memset(row + w - w / 12 - lane, 210, static_cast<size_t>(lane));
    }
    const int cw = w / 2, ch = h / 2, ctw = tw / 2;
    for (int y = 0; y < ch; ++y) {
        const bool onRoad = y >= road / 2;
        for (int p = 1; p <= 2; ++p) {
            uint8_t* row = planes[p] + static_cast<size_t>(y) * strides[p];
            if (onRoad) {
                std::memset(row, 128, static_cast<size_t>(cw));
            } else {
                const std::vector<uint8_t>& src = p == 1 ? m_u : m_v;
                std::memcpy(row, &src[static_cast<size_t>(y0 / 2 + y) * ctw + x0 / 2], static_cast<size_t>(cw));
            }
        }
    }

    // Sensor noise over the whole picture.
    uint32_t offset = static_cast<uint32_t>((static_cast<uint64_t>(n) * 2654435761u + m_seed * 40503u) % 1000003u);
    const size_t noiseSize = m_noise.size();
    for (int y = 0; y < h; ++y) {
        uint8_t* row = planes[0] + static_cast<size_t>(y) * strides[0];
        size_t k = (offset + static_cast<size_t>(y) * 7919u) % (noiseSize - static_cast<size_t>(w));
        const int8_t* noise = &m_noise[k];
        for (int x = 0; x < w; ++x) row[x] = Clamp(row[x] + noise[x]);
    }

    // The recorder's text line: channel, clock and speed on a dark band.
    const int scale = std::max(1, w / 240);
    const int band = 9 * scale + 2;
    for (int y = 0; y < band && y < h; ++y) std::memset(planes[0] + static_cast<size_t>(y) * strides[0], 16, static_cast<size_t>(w));
    for (int y = 0; y < (band + 1) / 2 && y < ch; ++y) {
        std::memset(planes[1] + static_cast<size_t>(y) * strides[1], 128, static_cast<size_t>(cw));
        std::memset(planes[2] + static_cast<size_t>(y) * strides[2], 128, static_cast<size_t>(cw));
    }
    char label[16];
    std::snprintf(label, sizeof label, "CH%02d", m_channel);
    const uint32_t second = static_cast<uint32_t>(n / fps);
    char speed[16];
    std::snprintf(speed, sizeof speed, "%03u", (40 + (second * 7 + m_seed) % 60) % 1000);
    const std::string text = std::string(label) + "  " + ClockText(clock) + "  " + speed;
    DrawTextPlane(planes[0], strides[0], w, scale, scale, scale, text, 235);
}

}  // namespace recmedia
