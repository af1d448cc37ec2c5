// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes the picture store of a sample recorder medium: the picture index
// ("index00p.bin" and its copy "index01p.bin") and the picture segment files
// ("picNNNNN.pic", one per index block) at the medium's root, in layout 1 or
// 2 (the disk's picture version). The disk marker is not written here.
#include <cstdint>
#include <string>
#include <vector>

namespace recmedia {

struct SubPicture {
    int channel = 1;               // 1-based
    uint32_t time = 0;             // recorder seconds
    std::vector<uint8_t> bytes;
};

struct PictureSpec {
    int channel = 1;               // 1-based; 1..32 (layout 1) or 1..48 (layout 2)
    uint32_t time = 0;             // recorder seconds (entry start = end)
    uint8_t type = 0;              // entry type; layout 2 stores 1, 20 and 21 with record headers
    std::vector<uint8_t> bytes;    // the picture (types other than 21)
    std::vector<SubPicture> subPictures;  // layout 2, type 21: the pictures of the record
};

struct PictureLayout {
    int version = 1;               // 1 or 2
    uint32_t blockCount = 8;       // blocks of the index ring
    uint32_t entriesPerBlock = 1024;  // a channel's block is closed when it holds this many
    bool secondCopy = true;        // also write index01p.bin
};

// Where a picture went (block = segment file number, entry within the block).
struct PicturePlacement {
    int32_t block = -1;
    uint32_t entry = 0;
};

class PictureIndexWriter {
public:
    explicit PictureIndexWriter(const PictureLayout& layout = PictureLayout());

    // Adds a picture; pictures of one channel must come in time order. False
    // when the channel is out of range or every block of the ring is used.
    bool Add(const PictureSpec& picture);
    // Writes the index file(s) and the segment files into `root`.
    bool Write(const std::string& root) const;

    const std::vector<PicturePlacement>& Placements() const { return m_placements; }

private:
    struct Entry {
        uint8_t type = 0;
        uint32_t start = 0;
        uint32_t end = 0;
        uint32_t dataStart = 0;
        uint32_t dataEnd = 0;
    };
    struct Block {
        int channelIndex = -1;
        bool closed = false;
        std::vector<Entry> entries;
        std::vector<uint8_t> segment;  // the picNNNNN.pic bytes
    };
    std::vector<uint8_t> BuildIndex() const;

    PictureLayout m_layout;
    std::vector<Block> m_blocks;           // allocated in ring order
    std::vector<int32_t> m_openBlock;      // per channel index: its block being written, -1 none
    std::vector<PicturePlacement> m_placements;
};

// Picture bytes for sample media: a small JPEG image of the given size whose
// colours depend on the channel and time.
std::vector<uint8_t> MakeSamplePicture(int channel, uint32_t time, int width = 176, int height = 144);

}  // namespace recmedia
