// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "PicIndexLayout.h"
#include "merrowfen_disk.h"
#include "nembra_disk.h"

namespace fs = std::filesystem;

namespace kelfuzz {

namespace {

struct Scratch {
    std::string path;
    Scratch() {
        std::string base;
        if (const char* t = std::getenv("KEL_FUZZ_TMP")) base = t;
        if (base.empty()) base = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        path = base + "/kel-fuzz-" + std::to_string(::getpid());
        std::error_code ec;
        fs::remove_all(path, ec);
        fs::create_directories(path, ec);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

uint32_t SumBytes(const uint8_t* p, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum += p[i];
    return sum;
}

template <int V>
void FixPictureIndex(std::vector<uint8_t>* bytes) {
    using L = pellomir::PicLayout<V>;
    using Header = typename L::Header;
    if (bytes->size() < sizeof(Header)) return;
    Header h;
    std::memcpy(&h, bytes->data(), sizeof h);
    uint32_t sum = SumBytes(bytes->data(), sizeof(Header) - sizeof(uint32_t));
    for (int i = 0; i < L::kSlots; ++i) {
        const pellomir::PIC_CHANNEL_SLOT& slot = L::Slot(h, i);
        if (slot.currentBlock < 0 || uint32_t(slot.currentBlock) >= h.count) continue;
        const uint64_t at = sizeof(Header) + uint64_t(h.count) * sizeof(typename L::Desc) +
                            uint64_t(slot.currentBlock) * L::kBlockSize +
                            uint64_t(slot.lastEntry) * sizeof(typename L::Entry);
        if (at + sizeof(typename L::Entry) > bytes->size()) return;
        sum += SumBytes(bytes->data() + at, sizeof(typename L::Entry));
    }
    h.checksum = sum;
    std::memcpy(bytes->data(), &h, sizeof h);
}

}  // namespace

const std::string& ScratchDir() {
    static Scratch scratch;
    return scratch.path;
}

std::string CleanFolder(const std::string& name) {
    const std::string path = ScratchDir() + "/" + name;
    std::error_code ec;
    fs::remove_all(path, ec);
    fs::create_directories(path, ec);
    return path;
}

bool WriteFile(const std::string& path, const void* data, size_t size) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    return WriteFile(path, bytes.data(), bytes.size());
}

std::vector<std::vector<uint8_t>> SplitPieces(const uint8_t* data, size_t size, size_t maxPieces) {
    std::vector<std::vector<uint8_t>> pieces(maxPieces);
    size_t at = 0;
    for (size_t i = 0; i < maxPieces && at < size; ++i) {
        uint32_t n = 0;
        const size_t lenBytes = std::min<size_t>(4, size - at);
        std::memcpy(&n, data + at, lenBytes);
        at += lenBytes;
        const size_t take = std::min<size_t>(n, size - at);
        pieces[i].assign(data + at, data + at + take);
        at += take;
    }
    return pieces;
}

std::vector<uint8_t> JoinPieces(const std::vector<std::vector<uint8_t>>& pieces) {
    std::vector<uint8_t> out;
    for (const auto& p : pieces) {
        const uint32_t n = uint32_t(p.size());
        const auto* b = reinterpret_cast<const uint8_t*>(&n);
        out.insert(out.end(), b, b + 4);
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

void FixTableChecksum(std::vector<uint8_t>* bytes) {
    if (bytes->size() < sizeof(merrowfen_disk::TableHeader)) return;
    const size_t body = sizeof(merrowfen_disk::TableHeader);
    const uint32_t sum = merrowfen_disk::Fnv1a(bytes->data() + body, bytes->size() - body);
    std::memcpy(bytes->data() + offsetof(merrowfen_disk::TableHeader, checksum), &sum, 4);
}

void FixCatalogChecksum(std::vector<uint8_t>* bytes) {
    if (bytes->size() < sizeof(nembra_disk::CatalogHeader)) return;
    const size_t body = sizeof(nembra_disk::CatalogHeader);
    const uint32_t sum = nembra_disk::Fnv1a(bytes->data() + body, bytes->size() - body);
    std::memcpy(bytes->data() + offsetof(nembra_disk::CatalogHeader, checksum), &sum, 4);
}

void FixQorautoMarkerChecksum(std::vector<uint8_t>* bytes) {
    const size_t at = offsetof(nembra_disk::Marker, checksum);
    if (bytes->size() < at + 4) return;
    const uint32_t sum = nembra_disk::Fnv1a(bytes->data(), at);
    std::memcpy(bytes->data() + at, &sum, 4);
}

void FixPictureIndexChecksum(int version, std::vector<uint8_t>* bytes) {
    if (version == 2)
        FixPictureIndex<2>(bytes);
    else
        FixPictureIndex<1>(bytes);
}

std::string DiskMarkerText(int family, int picVersion) {
    char text[128];
    std::snprintf(text, sizeof text, "QORWS 1\nserial=0000CAFE\nfamily=%d\npicver=%d\n", family, picVersion);
    return text;
}

}  // namespace kelfuzz

namespace kelfuzz {

std::string TableDisk(const std::string& relativePath, std::vector<uint8_t> table) {
    FixTableChecksum(&table);
    const std::string root = CleanFolder("disk");
    const std::string marker = DiskMarkerText(2, 1);
    WriteFile(root + "/QORWS", marker.data(), marker.size());
    WriteFile(root + "/" + relativePath, table);
    return root;
}

void UseDriveE() {
    const std::string disk = CleanFolder("disk");
    const std::string table = ScratchDir() + "/drives.txt";
    const std::string text = "letter E - removable vfat " + disk + "\n";
    WriteFile(table, text.data(), text.size());
    ::setenv("KEL_DRIVES", table.c_str(), 1);
}

}  // namespace kelfuzz
