// SPDX-License-Identifier: GPL-3.0-or-later
#include "recmedia/picture_writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

#include <cstdio>
#include <fstream>

namespace recmedia {
namespace {

constexpr uint32_t kEntries = 1024;

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Sizes and offsets of the two index layouts.
struct Layout {
    size_t header, desc, entry, slotsAt, slotSize;
    int slotCount, maxChannel;
    size_t countAt, firstAt, writeAt;
    size_t entryStart, entryEnd, entryDataStart, entryDataEnd;
};

const Layout kLayout1 = {512, 16, 32, 32, 12, 33, 32, 16, 20, 24, 16, 20, 24, 28};
const Layout kLayout2 = {1280, 32, 80, 24, 24, 49, 48, 12, 16, 20, 8, 16, 40, 44};

const Layout& LayoutOf(int version)
{
    return version == 2 ? kLayout2 : kLayout1;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

}  // namespace

PictureIndexWriter::PictureIndexWriter(const PictureLayout& layout) : m_layout(layout)
{
    if (m_layout.version != 2)
        m_layout.version = 1;
    if (m_layout.entriesPerBlock == 0 || m_layout.entriesPerBlock > kEntries)
        m_layout.entriesPerBlock = kEntries;
    m_openBlock.assign(static_cast<size_t>(LayoutOf(m_layout.version).slotCount), -1);
}

bool PictureIndexWriter::Add(const PictureSpec& picture)
{
    const Layout& l = LayoutOf(m_layout.version);
    if (picture.channel < 1 || picture.channel > l.maxChannel)
        return false;
    const int ci = picture.channel - 1;
    int32_t b = m_openBlock[static_cast<size_t>(ci)];
    if (b < 0 || m_blocks[static_cast<size_t>(b)].entries.size() >= m_layout.entriesPerBlock) {
        if (m_blocks.size() >= m_layout.blockCount)
            return false;
        if (b >= 0)
            m_blocks[static_cast<size_t>(b)].closed = true;
        Block block;
        block.channelIndex = ci;
        m_blocks.push_back(block);
        b = static_cast<int32_t>(m_blocks.size() - 1);
        m_openBlock[static_cast<size_t>(ci)] = b;
    }
    Block& block = m_blocks[static_cast<size_t>(b)];
    std::vector<uint8_t>& seg = block.segment;
    Entry entry;
    entry.type = picture.type;
    entry.start = picture.time;
    entry.end = picture.time;
    entry.dataStart = static_cast<uint32_t>(seg.size());
    if (m_layout.version == 2 && picture.type == 1) {
        std::vector<uint8_t> head(424, 0);
        const uint32_t skipped = 16;
        Put32(head, 368, 1);
        Put32(head, 372, skipped);
        Put32(head, 376, 1);
        Put32(head, 380, static_cast<uint32_t>(picture.bytes.size()));
        Append(seg, head);
        seg.insert(seg.end(), skipped, 0xEE);
        Append(seg, picture.bytes);
    } else if (m_layout.version == 2 && picture.type == 20) {
        std::vector<uint8_t> head(2340, 0);
        Put32(head, 8, static_cast<uint32_t>(picture.bytes.size()));
        Append(seg, head);
        Append(seg, picture.bytes);
    } else if (m_layout.version == 2 && picture.type == 21) {
        std::vector<uint8_t> head(4092, 0);
        Put32(head, 12, static_cast<uint32_t>(picture.subPictures.size()));
        Append(seg, head);
        for (const SubPicture& sub : picture.subPictures) {
            std::vector<uint8_t> subHead(140, 0);
            Put32(subHead, 0, static_cast<uint32_t>(sub.bytes.size()));
            Put32(subHead, 4, sub.time);
            Put32(subHead, 8, static_cast<uint32_t>(sub.channel));
            Append(seg, subHead);
            Append(seg, sub.bytes);
        }
    } else {
        Append(seg, picture.bytes);
    }
    entry.dataEnd = static_cast<uint32_t>(seg.size());
    block.entries.push_back(entry);
    PicturePlacement placement;
    placement.block = b;
    placement.entry = static_cast<uint32_t>(block.entries.size() - 1);
    m_placements.push_back(placement);
    return true;
}

std::vector<uint8_t> PictureIndexWriter::BuildIndex() const
{
    const Layout& l = LayoutOf(m_layout.version);
    const uint32_t count = m_layout.blockCount;
    const size_t blockSize = kEntries * l.entry;
    const size_t blocksAt = l.header + count * l.desc;
    std::vector<uint8_t> index(blocksAt + count * blockSize, 0);
    Put32(index, l.countAt, count);
    Put32(index, l.firstAt, 0);
    Put32(index, l.writeAt, count ? static_cast<uint32_t>(m_blocks.size() % count) : 0);

    auto entryAt = [&](size_t block, size_t e) { return blocksAt + block * blockSize + e * l.entry; };
    for (uint32_t k = 0; k < count; ++k) {
        const size_t at = l.header + k * l.desc;
        const Block* block = k < m_blocks.size() ? &m_blocks[k] : nullptr;
        if (block) {
            for (size_t e = 0; e < block->entries.size(); ++e) {
                const Entry& en = block->entries[e];
                const size_t p = entryAt(k, e);
                index[p] = en.type;
                Put32(index, p + l.entryStart, en.start);
                Put32(index, p + l.entryEnd, en.end);
                Put32(index, p + l.entryDataStart, en.dataStart);
                Put32(index, p + l.entryDataEnd, en.dataEnd);
            }
        }
        if (block && block->closed) {
            Put32(index, at, k);
            Put16(index, at + 4, static_cast<uint16_t>(block->channelIndex));
            Put16(index, at + 6, static_cast<uint16_t>(block->entries.size() - 1));
            Put32(index, at + 8, block->entries.front().start);
            Put32(index, at + 12, block->entries.back().end);
        } else {
            Put32(index, at, 0xFFFFFFFFu);
            Put16(index, at + 4, 0xFFFF);
        }
    }
    // Channel slots: the block each channel is still writing.
    uint32_t slotSum = 0;
    for (int i = 0; i < l.slotCount; ++i) {
        const size_t at = l.slotsAt + static_cast<size_t>(i) * l.slotSize;
        const int32_t b = m_openBlock[static_cast<size_t>(i)];
        if (b < 0 || m_blocks[static_cast<size_t>(b)].closed) {
            Put16(index, at, 0xFFFF);
            continue;
        }
        const Block& block = m_blocks[static_cast<size_t>(b)];
        const uint16_t last = static_cast<uint16_t>(block.entries.size() - 1);
        Put16(index, at, static_cast<uint16_t>(b));
        Put16(index, at + 2, last);
        Put32(index, at + 4, block.entries.front().start);
        Put32(index, at + 8, block.entries.back().end);
        const size_t p = entryAt(static_cast<size_t>(b), last);
        for (size_t j = 0; j < l.entry; ++j)
            slotSum += index[p + j];
    }
    uint32_t sum = slotSum;
    for (size_t j = 0; j < l.header - 4; ++j)
        sum += index[j];
    Put32(index, l.header - 4, sum);
    return index;
}

bool PictureIndexWriter::Write(const std::string& root) const
{
    const std::vector<uint8_t> index = BuildIndex();
    bool ok = WriteBytes(root + "/index00p.bin", index);
    if (m_layout.secondCopy)
        ok = WriteBytes(root + "/index01p.bin", index) && ok;
    for (size_t k = 0; k < m_blocks.size(); ++k) {
        char name[32];
        std::snprintf(name, sizeof(name), "/pic%05u.pic", static_cast<unsigned>(k));
        ok = WriteBytes(root + name, m_blocks[k].segment) && ok;
    }
    return ok;
}

std::vector<uint8_t> MakeSamplePicture(int channel, uint32_t time, int width, int height)
{
    QImage image(width > 0 ? width : 16, height > 0 ? height : 16, QImage::Format_RGB32);
    const int hue = (channel * 47 + static_cast<int>(time % 60) * 6) % 360;
    for (int y = 0; y < image.height(); ++y) {
        const QColor c = QColor::fromHsv(hue, 160, 96 + (y * 150) / image.height());
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, ((x / 16 + y / 16) % 2) ? c.rgb() : c.darker(130).rgb());
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    if (image.save(&buffer, "JPG", 80) && !jpeg.isEmpty())
        return std::vector<uint8_t>(jpeg.begin(), jpeg.end());
    // Without an encoder: start and end markers around filler bytes.
    std::vector<uint8_t> bytes = {0xFF, 0xD8};
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<uint8_t>((channel * 31 + static_cast<int>(time) + i) & 0x7F));
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
    return bytes;
}

}  // namespace recmedia
