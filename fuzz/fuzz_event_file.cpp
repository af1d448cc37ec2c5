// SPDX-License-Identifier: GPL-3.0-or-later
// Event records of the hard-disk library: the extra-information search over a
// medium whose event file is the fuzz input.
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "fuzz_support.h"
#include "merrowfen.h"

namespace {

struct Done {
    std::mutex lock;
    std::condition_variable cv;
    bool ended = false;
    uint64_t sum = 0;
};

void OnRecord(int, int dataType, const ExtraInfoRecord* record, void* user) {
    auto* done = static_cast<Done*>(user);
    if (dataType == HD_EXTRA_RECORD && record) {
        // Touch every byte the record says it carries.
        for (uint32_t i = 0; i < record->dataLength; ++i) done->sum += record->data[i];
        return;
    }
    std::lock_guard<std::mutex> g(done->lock);
    done->ended = true;
    done->cv.notify_all();
}

void Search(const std::string& root, int channel, const HD_FILE_TIME& start, const HD_FILE_TIME& end) {
    ExtraInfoCondition cond{};
    std::strncpy(cond.diskPaths[0], root.c_str(), HD_EXTRA_PATH_SIZE - 1);
    std::strncpy(cond.diskPaths[1], root.c_str(), HD_EXTRA_PATH_SIZE - 1);
    cond.diskCount = 2;
    cond.channel = channel;
    cond.start = start;
    cond.end = end;
    Done done;
    cond.user = &done;
    cond.callback = OnRecord;
    const int h = HD_FILE_StartFindExtraInfo(&cond);
    if (h < 0) return;
    {
        std::unique_lock<std::mutex> g(done.lock);
        done.cv.wait(g, [&] { return done.ended; });
    }
    HD_FILE_StopFindExtraInfo(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string root = kelfuzz::TableDisk("events.qre", std::vector<uint8_t>(data, data + size));

    Search(root, -1, HD_FILE_TIME{}, HD_FILE_TIME{});
    Search(root, 1, HD_FILE_TIME{2024, 3, 1, 8, 0, 0}, HD_FILE_TIME{2024, 3, 1, 9, 0, 0});
    return 0;
}
