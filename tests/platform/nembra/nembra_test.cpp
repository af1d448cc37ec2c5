// SPDX-License-Identifier: GPL-3.0-or-later
// Round trips through the sample-media writer and the record storage library.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "kel_test/test_support.h"
#include "nembra.h"
#include "recmedia/disk_writer.h"
#include "recmedia/media_plan.h"
#include "recstream/recstream.h"
#include "wincompat/drives.h"

namespace {

std::string Root() { return kel_test::ProgramFolder().toStdString() + "/qa"; }

std::vector<uint8_t> Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

recmedia::MediumInfo MakeMedium(int channels = 2, int perDay = 3, int seconds = 20) {
    recmedia::MediaSpec spec;
    spec.outDir = Root();
    spec.family = 1;
    spec.channels = channels;
    spec.perDay = perDay;
    spec.seconds = seconds;
    spec.fast = true;
    spec.pictures = false;
    spec.vehicleFiles = false;
    recmedia::MediumInfo info;
    std::string error;
    EXPECT_TRUE(recmedia::WriteMedium(spec, &info, &error)) << error;
    return info;
}

STORAGE_TIME ToTime(int64_t s) {
    const HD_FILE_TIME t = recmedia::ToHdTime(s);
    return STORAGE_TIME{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

std::vector<StorageRecordEntry> List(int media, uint32_t channel, int64_t start, int64_t end, uint32_t mapIndex = 0) {
    StorageSearchRecord cond{};
    cond.media = media;
    cond.channel = channel;
    cond.mapIndex = mapIndex;
    cond.start = ToTime(start);
    cond.end = ToTime(end);
    STORAGE_LIST_HANDLE list = storage_record_list_create(&cond);
    std::vector<StorageRecordEntry> out;
    if (!list) return out;
    StorageRecordEntry e;
    while (storage_record_list_dequeue(list, &e) == 0) out.push_back(e);
    EXPECT_EQ(storage_record_list_dequeue(list, &e), 1);
    EXPECT_EQ(storage_record_list_release(list), 0);
    return out;
}

TEST(Nembra, JudgesInitialisesAndMapsChannels) {
    MakeMedium();
    const std::string table = kel_test::ProgramFolder().toStdString() + "/drives.txt";
    std::ofstream(table) << "disk 2 " << Root() << "\nletter Q 2 removable vfat " << Root() << "\nletter R - fixed ext4 "
                         << kel_test::ProgramFolder().toStdString() << "\n";
    kel_test::ScopedEnv env("KEL_DRIVES", table);
    wincompat::ReloadDriveTable();
    EXPECT_EQ(storage_type_judge("Q:\\"), STORAGE_TYPE_QORAUTO);
    EXPECT_EQ(storage_type_judge("R:\\"), STORAGE_TYPE_OTHER);
    EXPECT_EQ(storage_type_judge("Z:\\"), STORAGE_TYPE_INVALID);
    EXPECT_EQ(storage_init("R:\\"), -1);
    const int media = storage_init("Q:\\");
    ASSERT_GE(media, 0);
    EXPECT_EQ(storage_init("Q:"), media);  // the same disk keeps its number

    std::vector<uint8_t> map(2560, 0xAA);
    EXPECT_EQ(storage_type_chan_map_get(media, map.data(), 64), 2);
    uint32_t first0, last0, first1, last1;
    std::memcpy(&first0, map.data() + 32, 4);
    std::memcpy(&last0, map.data() + 36, 4);
    std::memcpy(&first1, map.data() + 40 + 32, 4);
    std::memcpy(&last1, map.data() + 40 + 36, 4);
    EXPECT_EQ(first0, 1u);
    EXPECT_EQ(last0, 2u);
    EXPECT_GT(first1, last1);  // no sub-stream channels
    EXPECT_EQ(map[2 * 40], 0);  // unused entries are zeroed
    EXPECT_EQ(storage_type_chan_map_get(12345, map.data(), 64), -1);
    kel_test::ScopedEnv none("KEL_DRIVES", "");
    wincompat::ReloadDriveTable();
}

TEST(Nembra, ListsOneChannelAndReadsHeaderThenData) {
    const recmedia::MediumInfo info = MakeMedium();
    const int media = storage_init(Root().c_str());
    ASSERT_GE(media, 0);
    const std::vector<StorageRecordEntry> entries = List(media, 2, info.firstDay, info.firstDay + 86399);
    ASSERT_EQ(entries.size(), 3u);
    for (const StorageRecordEntry& e : entries) {
        EXPECT_EQ(e.channel, 2u);
        EXPECT_LT(std::strlen(e.name), 64u);
    }
    EXPECT_EQ(List(media, 2, info.firstDay, info.firstDay + 86399, 1).size(), 0u);
    EXPECT_EQ(List(media, 1, info.firstDay + 8 * 3600 + 25, info.firstDay + 8 * 3600 + 25).size(), 1u);

    const std::string path = Root() + "/" + info.recordings[3].relPath;  // channel 2's first
    const std::vector<uint8_t> file = Slurp(path);
    const int h = storage_record_open(entries[0].name);
    ASSERT_GT(h, 0);
    std::vector<uint8_t> head(40);
    ASSERT_EQ(storage_record_read(h, head.data(), 40), 40);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), file.begin()));
    std::vector<uint8_t> data, buf(8192);
    int n;
    while ((n = storage_record_read(h, buf.data(), int(buf.size()))) > 0) data.insert(data.end(), buf.begin(), buf.begin() + n);
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(data == std::vector<uint8_t>(file.begin() + 40, file.end()));

    // Seek by time: offsets count from the data behind the header.
    uint32_t off = 0;
    ASSERT_EQ(storage_record_seek_by_time(h, 7, &off), 0);
    recstream::StreamHeader hd;
    ASSERT_TRUE(recstream::ParseHeader(file.data(), 40, &hd));
    recstream::PacketScanner scanner(hd.startTime, false);
    scanner.Feed(file.data() + 40 + off, file.size() - 40 - off);
    scanner.Finish();
    recstream::Packet p;
    ASSERT_TRUE(scanner.Next(&p));
    EXPECT_EQ(p.offset, 0u);
    EXPECT_EQ(p.time, info.recordings[3].start + 7);
    ASSERT_EQ(storage_record_read(h, buf.data(), 4), 4);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 4, file.begin() + 40 + off));
    ASSERT_EQ(storage_record_seek_by_time(h, 3600, &off), 0);
    EXPECT_EQ(off, file.size() - 40);
    EXPECT_EQ(storage_record_read(h, buf.data(), 10), 0);
    EXPECT_EQ(storage_record_seek(h, 0), 0);
    ASSERT_EQ(storage_record_read(h, buf.data(), 4), 4);
    EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 4, file.begin() + 40));
    EXPECT_EQ(storage_record_close(h), 0);
    EXPECT_EQ(storage_record_read(h, buf.data(), 4), -1);
    EXPECT_EQ(storage_record_close(h), -1);
}

TEST(Nembra, DamagedMediaAndNamesFail) {
    const recmedia::MediumInfo info = MakeMedium(1, 2, 10);
    const int media = storage_init(Root().c_str());
    ASSERT_GE(media, 0);
    char bad[64];
    std::snprintf(bad, sizeof bad, "Q%08X/../QORAUTO", info.serial);
    for (const char* name : {"", "nonsense", "QFFFFFFFF/20240301/c01_080000.qar", static_cast<const char*>(bad)})
        EXPECT_EQ(storage_record_open(name), 0) << name;

    // A recording cut to less than its header does not open.
    const std::vector<StorageRecordEntry> entries = List(media, 1, info.firstDay, info.firstDay + 86399);
    ASSERT_EQ(entries.size(), 2u);
    std::ofstream(Root() + "/" + info.recordings[0].relPath, std::ios::trunc) << "short";
    EXPECT_EQ(storage_record_open(entries[0].name), 0);
    EXPECT_GT(storage_record_open(entries[1].name), 0);

    // A catalogue entry leaving the data folder is not listed; a damaged
    // catalogue lists nothing.
    std::vector<nembra_disk::CatalogEntry> cat(1);
    cat[0].channel = 1;
    cat[0].start = info.firstDay + 100;
    cat[0].end = info.firstDay + 110;
    std::strcpy(cat[0].path, "../../outside.qar");
    std::string error;
    ASSERT_TRUE(recmedia::WriteCatalog(Root(), cat, &error)) << error;
    EXPECT_TRUE(List(media, 1, info.firstDay, info.firstDay + 86399).empty());
    std::vector<uint8_t> bytes = Slurp(Root() + "/qorauto/catalog.qac");
    bytes.resize(bytes.size() - 1);
    std::ofstream(Root() + "/qorauto/catalog.qac", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    StorageSearchRecord cond{};
    cond.media = media;
    cond.channel = 1;
    cond.start = ToTime(info.firstDay);
    cond.end = ToTime(info.firstDay + 86399);
    EXPECT_EQ(storage_record_list_create(&cond), nullptr);

    // A damaged marker makes the disk an ordinary one.
    std::ofstream(Root() + "/QORAUTO", std::ios::binary | std::ios::app) << "x";
    EXPECT_EQ(storage_type_judge(Root().c_str()), STORAGE_TYPE_OTHER);
}

}  // namespace
