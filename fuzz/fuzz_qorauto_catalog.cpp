// SPDX-License-Identifier: GPL-3.0-or-later
// Qorauto disks: marker, catalogue and the recordings it names. The input
// carries three pieces: the "QORAUTO" marker, the catalogue and a recording
// that is stored under the path of the catalogue's first entry.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "nembra.h"
#include "nembra_disk.h"

namespace {

// The first entry's path, when it is a plain relative path.
std::string FirstPath(const std::vector<uint8_t>& catalog) {
    if (catalog.size() < sizeof(nembra_disk::CatalogHeader) + sizeof(nembra_disk::CatalogEntry)) return {};
    nembra_disk::CatalogEntry e;
    std::memcpy(&e, catalog.data() + sizeof(nembra_disk::CatalogHeader), sizeof e);
    const std::string p(e.path, strnlen(e.path, sizeof e.path));
    if (p.empty() || p[0] == '/' || p.find("..") != std::string::npos || p.find('\\') != std::string::npos)
        return {};
    return p;
}

void ReadRecord(const char* name) {
    const int h = storage_record_open(name);
    if (h <= 0) return;
    std::vector<uint8_t> buffer(8192);
    int reads = 0;
    while (storage_record_read(h, buffer.data(), int(buffer.size())) > 0 && ++reads < 64) {
    }
    uint32_t offset = 0;
    storage_record_seek_by_time(h, 0, &offset);
    storage_record_seek_by_time(h, 30, &offset);
    storage_record_seek(h, 0x7fffffff);
    storage_record_read(h, buffer.data(), int(buffer.size()));
    storage_record_close(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 3);
    kelfuzz::FixQorautoMarkerChecksum(&pieces[0]);
    kelfuzz::FixCatalogChecksum(&pieces[1]);
    const std::string root = kelfuzz::CleanFolder("disk");
    kelfuzz::WriteFile(root + "/" + nembra_disk::kMarkerName, pieces[0]);
    kelfuzz::WriteFile(root + "/" + nembra_disk::kCatalogName, pieces[1]);
    const std::string first = FirstPath(pieces[1]);
    if (!first.empty()) kelfuzz::WriteFile(root + "/" + nembra_disk::kDataDir + "/" + first, pieces[2]);

    if (storage_type_judge(root.c_str()) != STORAGE_TYPE_QORAUTO) return 0;
    // Initialising the same folder again gives the same media number, so the
    // library's media table does not grow over the run.
    const int media = storage_init(root.c_str());
    if (media < 0) return 0;
    StorageChanMapEntry map[STORAGE_CHAN_MAP_ENTRIES];
    const int entries = storage_type_chan_map_get(media, map, STORAGE_CHAN_MAP_ENTRIES);
    for (int m = 0; m < entries && m < 2; ++m) {
        const uint32_t last = std::min<uint32_t>(map[m].lastChannel, map[m].firstChannel + 3);
        for (uint32_t ch = map[m].firstChannel; ch <= last && ch >= map[m].firstChannel; ++ch) {
            StorageSearchRecord cond{};
            cond.media = media;
            cond.channel = ch;
            cond.mapIndex = uint32_t(m);
            cond.start = STORAGE_TIME{1970, 1, 1, 0, 0, 0};
            cond.end = STORAGE_TIME{2105, 12, 31, 23, 59, 59};
            STORAGE_LIST_HANDLE list = storage_record_list_create(&cond);
            if (!list) continue;
            StorageRecordEntry e;
            int opened = 0;
            while (storage_record_list_dequeue(list, &e) == 0) {
                if (!std::memchr(e.name, 0, sizeof e.name)) __builtin_trap();
                if (opened++ < 2) ReadRecord(e.name);
            }
            storage_record_list_release(list);
        }
    }
    return 0;
}
