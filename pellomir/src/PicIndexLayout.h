// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte layouts of the recorder's picture index ("index00p.bin" and its copy
// "index01p.bin") and of the picture records in the segment files
// ("picNNNNN.pic"), for both disk versions. Little-endian, packed.
#include <cstddef>
#include <cstdint>

namespace pellomir {

#pragma pack(push, 1)

struct PIC_CHANNEL_SLOT {
    int16_t currentBlock;     // -1 = none
    uint16_t lastEntry;       // last used entry number in that block
    uint32_t startTime;
    uint32_t endTime;
};

struct PIC_BLOCK_DESC {
    int32_t blockNo;          // -1 = none
    int16_t channel;          // channel index; -1 = empty descriptor
    uint16_t lastEntry;
    uint32_t startTime;
    uint32_t endTime;
};

// Version 1.
struct PIC_INDEX_HEADER {
    uint8_t reserved0[16];
    uint32_t count;           // blocks
    uint32_t firstBlock;      // oldest block of the ring
    uint32_t writeBlock;      // block after the newest closed block
    uint8_t reserved1[4];
    PIC_CHANNEL_SLOT slots[33];
    uint8_t reserved2[80];
    uint32_t checksum;
};

struct PIC_INDEX_ENTRY {
    uint8_t type;
    uint8_t reserved0[15];
    uint32_t startTime;
    uint32_t endTime;
    uint32_t dataStart;       // picture bytes in the segment file
    uint32_t dataEnd;
};

// Version 2.
struct PIC_CHANNEL_SLOT_V2 {
    PIC_CHANNEL_SLOT slot;
    uint8_t reserved[12];
};

struct PIC_INDEX_HEADER_V2 {
    uint8_t reserved0[12];
    uint32_t count;
    uint32_t firstBlock;
    uint32_t writeBlock;
    PIC_CHANNEL_SLOT_V2 slots[49];
    uint8_t reserved1[76];
    uint32_t checksum;
};

struct PIC_BLOCK_DESC_V2 {
    PIC_BLOCK_DESC desc;
    uint8_t reserved[16];
};

struct PIC_INDEX_ENTRY_V2 {
    uint8_t type;
    uint8_t reserved0[7];
    uint32_t startTime;
    uint8_t reserved1[4];
    uint32_t endTime;
    uint8_t reserved2[20];
    uint32_t dataStart;
    uint32_t dataEnd;
    uint8_t reserved3[32];
};

// Version 2 picture records at an entry's start offset.
struct PIC_RECORD_HEAD_T1 {      // type 1
    uint8_t reserved0[368];
    uint32_t flagA;
    uint32_t lengthA;            // skipped after the header
    uint32_t flagB;
    uint32_t lengthB;            // the picture
    uint8_t reserved1[40];
};

struct PIC_RECORD_HEAD_T20 {     // type 20
    uint8_t reserved0[8];
    uint32_t length;
    uint8_t reserved1[2328];
};

struct PIC_RECORD_HEAD_T21 {     // type 21: several pictures
    uint8_t reserved0[12];
    int32_t pictureCount;
    uint8_t reserved1[4076];
};

struct PIC_SUB_HEAD {            // one picture of a type 21 record
    uint32_t length;
    uint32_t time;
    uint32_t channel;            // counted from 1
    uint8_t reserved[128];
};

#pragma pack(pop)

static_assert(sizeof(PIC_CHANNEL_SLOT) == 12, "slot");
static_assert(sizeof(PIC_BLOCK_DESC) == 16, "descriptor");
static_assert(sizeof(PIC_INDEX_HEADER) == 512, "index header v1");
static_assert(offsetof(PIC_INDEX_HEADER, count) == 16, "count v1");
static_assert(offsetof(PIC_INDEX_HEADER, slots) == 32, "slots v1");
static_assert(offsetof(PIC_INDEX_HEADER, checksum) == 508, "checksum v1");
static_assert(sizeof(PIC_INDEX_ENTRY) == 32, "entry v1");
static_assert(offsetof(PIC_INDEX_ENTRY, startTime) == 16, "entry start v1");
static_assert(offsetof(PIC_INDEX_ENTRY, dataStart) == 24, "entry data v1");
static_assert(sizeof(PIC_CHANNEL_SLOT_V2) == 24, "slot v2");
static_assert(sizeof(PIC_INDEX_HEADER_V2) == 1280, "index header v2");
static_assert(offsetof(PIC_INDEX_HEADER_V2, count) == 12, "count v2");
static_assert(offsetof(PIC_INDEX_HEADER_V2, slots) == 24, "slots v2");
static_assert(offsetof(PIC_INDEX_HEADER_V2, checksum) == 1276, "checksum v2");
static_assert(sizeof(PIC_BLOCK_DESC_V2) == 32, "descriptor v2");
static_assert(sizeof(PIC_INDEX_ENTRY_V2) == 80, "entry v2");
static_assert(offsetof(PIC_INDEX_ENTRY_V2, startTime) == 8, "entry start v2");
static_assert(offsetof(PIC_INDEX_ENTRY_V2, endTime) == 16, "entry end v2");
static_assert(offsetof(PIC_INDEX_ENTRY_V2, dataStart) == 40, "entry data v2");
static_assert(offsetof(PIC_INDEX_ENTRY_V2, dataEnd) == 44, "entry data end v2");
static_assert(sizeof(PIC_RECORD_HEAD_T1) == 424, "record type 1");
static_assert(offsetof(PIC_RECORD_HEAD_T1, flagA) == 368, "record type 1 flag A");
static_assert(offsetof(PIC_RECORD_HEAD_T1, lengthB) == 380, "record type 1 length B");
static_assert(sizeof(PIC_RECORD_HEAD_T20) == 2340, "record type 20");
static_assert(sizeof(PIC_RECORD_HEAD_T21) == 4092, "record type 21");
static_assert(offsetof(PIC_RECORD_HEAD_T21, pictureCount) == 12, "record type 21 count");
static_assert(sizeof(PIC_SUB_HEAD) == 140, "sub-picture header");

constexpr uint32_t kEntriesPerBlock = 1024;
constexpr size_t kPictureBufferSize = 524287;
// Bytes written after each picture (the picture buffer's next bytes).
constexpr size_t kPictureTrailer = 10;
constexpr size_t kMaxPictureLength = kPictureBufferSize - kPictureTrailer;

// Sizes and field access that differ between the two versions.
template <int V>
struct PicLayout;

template <>
struct PicLayout<1> {
    using Header = PIC_INDEX_HEADER;
    using Desc = PIC_BLOCK_DESC;
    using Entry = PIC_INDEX_ENTRY;
    static constexpr int kSlots = 33;
    static constexpr int kMaxChannel = 32;
    static constexpr uint32_t kBlockSize = kEntriesPerBlock * sizeof(Entry);
    static const PIC_CHANNEL_SLOT& Slot(const Header& h, int i) { return h.slots[i]; }
    static PIC_BLOCK_DESC Base(const Desc& d) { return d; }
};

template <>
struct PicLayout<2> {
    using Header = PIC_INDEX_HEADER_V2;
    using Desc = PIC_BLOCK_DESC_V2;
    using Entry = PIC_INDEX_ENTRY_V2;
    static constexpr int kSlots = 49;
    static constexpr int kMaxChannel = 48;
    static constexpr uint32_t kBlockSize = kEntriesPerBlock * sizeof(Entry);
    static const PIC_CHANNEL_SLOT& Slot(const Header& h, int i) { return h.slots[i].slot; }
    static PIC_BLOCK_DESC Base(const Desc& d) { return d.desc; }
};

static_assert(PicLayout<1>::kBlockSize == 32768, "block v1");
static_assert(PicLayout<2>::kBlockSize == 81920, "block v2");

}  // namespace pellomir
