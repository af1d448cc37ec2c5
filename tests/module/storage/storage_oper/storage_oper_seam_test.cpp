// SPDX-License-Identifier: GPL-3.0-or-later
// The storage layer against library calls replaced at link time (--wrap), to
// see which calls it makes and to play libraries that misbehave.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "storage/QorAutoStorage.h"
#include "storage/StorageOper.h"

namespace {

std::mutex g_mutex;
std::vector<std::string> g_judged;     // paths given to storage_type_judge
std::vector<std::string> g_inits;      // paths given to storage_init
std::vector<std::pair<uint32_t, uint32_t>> g_lists;  // (map index, channel) of list_create
std::vector<int> g_findClosed;         // handles given to HD_FILE_FindDataClose
std::atomic<int> g_dequeued{0};

// Fake disks: "Q:\" is a qorauto disk with media number 42 and a channel map
// of entry 0 = channels 2..3 and entry 1 = 5..4 (none); "N:\" never ends
// its hard-disk search.
constexpr int kFakeMedia = 42;
constexpr int kFakeFind = 77;
const char kLongName[] = "0123456789012345678901234567890123456789012345678901234567890123";  // 64, no room for NUL

}  // namespace

extern "C" {
int __real_storage_type_judge(const char* path);
int __real_storage_init(const char* path);
int __real_storage_type_chan_map_get(int media, void* buffer, int maxEntries);
STORAGE_LIST_HANDLE __real_storage_record_list_create(const StorageSearchRecord* cond);
int __real_storage_record_list_dequeue(STORAGE_LIST_HANDLE list, StorageRecordEntry* entry);
int __real_storage_record_list_release(STORAGE_LIST_HANDLE list);
int __real_HD_FILE_FindData(int reserved, const FindDataCondition* cond, int size);
int __real_HD_FILE_FindDataClose(int handle);

int __wrap_storage_type_judge(const char* path) {
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_judged.push_back(path);
    }
    if (std::string(path) == "Q:\\") return 1;
    if (std::string(path) == "N:\\") return 2;
    return __real_storage_type_judge(path);
}

int __wrap_storage_init(const char* path) {
    {
        std::lock_guard<std::mutex> g(g_mutex);
        g_inits.push_back(path);
    }
    if (std::string(path) == "Q:\\") return kFakeMedia;
    return __real_storage_init(path);
}

int __wrap_storage_type_chan_map_get(int media, void* buffer, int maxEntries) {
    if (media != kFakeMedia) return __real_storage_type_chan_map_get(media, buffer, maxEntries);
    auto* entries = static_cast<StorageChanMapEntry*>(buffer);
    entries[0].firstChannel = 2;
    entries[0].lastChannel = 3;
    entries[1].firstChannel = 5;
    entries[1].lastChannel = 4;
    return 2;
}

STORAGE_LIST_HANDLE __wrap_storage_record_list_create(const StorageSearchRecord* cond) {
    if (cond->media != kFakeMedia) return __real_storage_record_list_create(cond);
    std::lock_guard<std::mutex> g(g_mutex);
    g_lists.emplace_back(cond->mapIndex, cond->channel);
    // Channel 2 lists two records, channel 3 has no listing at all.
    static int token;
    return cond->channel == 2 ? &token : nullptr;
}

int __wrap_storage_record_list_dequeue(STORAGE_LIST_HANDLE list, StorageRecordEntry* entry) {
    if (g_dequeued < 0) return __real_storage_record_list_dequeue(list, entry);
    const int n = g_dequeued++;
    if (n >= 2) return 1;
    std::memset(entry, 0, sizeof(*entry));
    std::memcpy(entry->name, kLongName, sizeof(entry->name));  // fills the field, no terminator
    entry->recordType = n == 0 ? 1 : 2;
    entry->fileSize = 1000 + n;
    entry->start = STORAGE_TIME{2024, 3, 1, 8, 0, 0};
    entry->end = STORAGE_TIME{2024, 3, 1, 8, 1, 0};
    return 0;
}

int __wrap_storage_record_list_release(STORAGE_LIST_HANDLE list) {
    if (g_dequeued < 0) return __real_storage_record_list_release(list);
    return 0;
}

int __wrap_HD_FILE_FindData(int reserved, const FindDataCondition* cond, int size) {
    if (std::string(cond->diskPath) == "N:\\") return kFakeFind;  // never calls back
    return __real_HD_FILE_FindData(reserved, cond, size);
}

int __wrap_HD_FILE_FindDataClose(int handle) {
    if (handle == kFakeFind) {
        std::lock_guard<std::mutex> g(g_mutex);
        g_findClosed.push_back(handle);
        return 1;
    }
    return __real_HD_FILE_FindDataClose(handle);
}
}  // extern "C"

namespace {

FindDataCondition Condition(const char* disk, HD_FIND_DATA_CALLBACK cb, void* user) {
    FindDataCondition c;
    std::memset(&c, 0, sizeof(c));
    c.diskPath = disk;
    c.channel = -1;
    c.start = HD_FILE_TIME{2024, 3, 1, 0, 0, 0};
    c.end = HD_FILE_TIME{2024, 3, 1, 23, 59, 59};
    c.callback = cb;
    c.user = user;
    return c;
}

TEST(StorageSeams, OnlyShortPathsAreJudgedAndDisksInitialisedOnce) {
    QorAutoStorage* reg = QorAutoStorage::GetInstance();
    reg->JudgeDiskTypes({"Q:\\", "Q:\\", "N:\\", "C:\\data\\recorder", "\\\\.\\PHYSICALDRIVE3", "Q:"});
    reg->JudgeDiskTypes({"Q:\\"});
    std::lock_guard<std::mutex> g(g_mutex);
    EXPECT_EQ(g_judged, (std::vector<std::string>{"Q:\\", "Q:\\", "N:\\", "Q:", "Q:\\"}));
    EXPECT_EQ(g_inits, std::vector<std::string>{"Q:\\"});  // "Q:" does not resolve
    EXPECT_EQ(reg->GetQorAutoDiskType("Q:\\"), kFakeMedia);
}

std::vector<FoundDataRecord> g_found;
void Collect(int kind, const FoundDataRecord* r, void*) {
    EXPECT_EQ(kind, 0);
    g_found.push_back(*r);
}

TEST(StorageSeams, QorAutoListingWalksTheChannelMap) {
    QorAutoStorage::GetInstance()->JudgeDiskTypes({"Q:\\"});
    g_found.clear();
    g_dequeued = 0;
    StorageOper oper;
    FindDataCondition c = Condition("Q:\\", &Collect, nullptr);
    EXPECT_TRUE(oper.SearchFileInfos(&c));
    {
        std::lock_guard<std::mutex> g(g_mutex);
        // Entry 1 (first channel above its last) gives no searches.
        EXPECT_EQ(g_lists, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 2}, {0, 3}}));
    }
    ASSERT_EQ(g_found.size(), 2u);
    for (const FoundDataRecord& r : g_found) {
        // The name is bounded by the entry's field and terminated.
        EXPECT_EQ(std::string(r.fileName), std::string(kLongName, 64));
        EXPECT_EQ(r.channel, 2u);
        EXPECT_EQ(r.recordType, 0u);
        EXPECT_EQ(r.endOfSearch, 0);
        EXPECT_EQ(r.start.hour, 8);
        EXPECT_EQ(r.end.minute, 1);
    }
    EXPECT_EQ(g_found[0].fileType, 15u);  // record type 1 is reported as 15
    EXPECT_EQ(g_found[1].fileType, 2u);
    EXPECT_EQ(g_found[1].fileSize, 1001u);
    g_dequeued = -1;
}

TEST(StorageSeams, SearchWithoutEndRecordEndsOnOwnersStop) {
    QorAutoStorage::GetInstance()->JudgeDiskTypes({"N:\\"});
    StorageOper oper;
    FindDataCondition c = Condition("N:\\", &Collect, nullptr);
    std::atomic<int> polls{0};
    EXPECT_TRUE(oper.SearchFileInfos(&c, [&] { return ++polls >= 3; }));
    EXPECT_GE(polls.load(), 3);
    std::lock_guard<std::mutex> g(g_mutex);
    EXPECT_EQ(g_findClosed, std::vector<int>{kFakeFind});
    g_findClosed.clear();
}

TEST(StorageSeams, SearchWithoutEndRecordEndsAfterTimeOut) {
    QorAutoStorage::GetInstance()->JudgeDiskTypes({"N:\\"});
    StorageOper oper;
    oper.SetSearchTimeoutMs(200);
    FindDataCondition c = Condition("N:\\", &Collect, nullptr);
    EXPECT_TRUE(oper.SearchFileInfos(&c));
    std::lock_guard<std::mutex> g(g_mutex);
    EXPECT_EQ(g_findClosed, std::vector<int>{kFakeFind});
    g_findClosed.clear();
}

TEST(StorageSeams, StopFromAnotherThreadEndsTheWait) {
    QorAutoStorage::GetInstance()->JudgeDiskTypes({"N:\\"});
    StorageOper oper;
    FindDataCondition c = Condition("N:\\", &Collect, nullptr);
    std::atomic<bool> searching{false};
    std::thread stopper([&] {
        while (!searching) std::this_thread::yield();
        // The flag is cleared when the search starts; stop until the search returns.
        while (searching) {
            oper.StopSearchFileInfos();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    searching = true;
    EXPECT_TRUE(oper.SearchFileInfos(&c));
    searching = false;
    stopper.join();
    std::lock_guard<std::mutex> g(g_mutex);
    EXPECT_EQ(g_findClosed, std::vector<int>{kFakeFind});
    g_findClosed.clear();
}

}  // namespace
