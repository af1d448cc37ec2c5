// SPDX-License-Identifier: GPL-3.0-or-later
// The DREBEN_ calls: handles, the input queue and the transform's thread.
#include "fallowin.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "mp4_remux.h"
#include "recstream/recstream.h"

namespace {

// Input waiting for the transform's thread beyond this makes DREBEN_InputData
// wait.
constexpr size_t kMaxQueuedBytes = 16 * 1024 * 1024;
// Inputs that come while the thread is busy gather in pieces of up to this
// size (small enough to be still in the cache when taken), so that it takes
// many small inputs at once; pieces it is done with are kept for their room.
constexpr size_t kPieceBytes = 256 * 1024;
constexpr size_t kSparePieces = 8;
constexpr uint32_t kMaxKeyBits = 1024 * 8;

enum class State { Created, Running, Stopped };

struct Transform {
    recstream::StreamHeader header{};
    std::string key;

    std::mutex callbackLock;
    DREBEN_DETAIL_DATA_CALLBACK callback = nullptr;
    void* user = nullptr;

    std::mutex controlLock;  // Start / Stop / Release
    State state = State::Created;
    std::thread worker;
    std::unique_ptr<fallowin::Mp4Remuxer> remux;

    std::mutex queueLock;
    std::condition_variable queueChanged;
    std::deque<std::vector<uint8_t>> queue;
    std::vector<std::vector<uint8_t>> spare;
    size_t queuedBytes = 0;
    bool ending = false;
    std::atomic<DREBEN_STATUS> failure{DREBEN_OK};

    void Deliver(uint16_t type, bool head, const uint8_t* data, size_t size) {
        DREBEN_DETAIL_DATA_CALLBACK cb;
        void* u;
        {
            std::lock_guard<std::mutex> lock(callbackLock);
            cb = callback;
            u = user;
        }
        if (!cb) return;
        DREBEN_DETAIL_DATA record{};
        record.data = const_cast<uint8_t*>(data);
        record.dataLength = static_cast<uint32_t>(size);
        record.dataType = type;
        record.isFileHead = head ? 1u : 0u;
        cb(&record, u);
    }

    void Run() {
        std::vector<uint8_t> chunk;
        for (;;) {
            bool finish = false;
            {
                std::unique_lock<std::mutex> lock(queueLock);
                if (chunk.capacity() > 0 && spare.size() < kSparePieces) {
                    chunk.clear();
                    spare.push_back(std::move(chunk));
                }
                chunk = std::vector<uint8_t>();
                queueChanged.wait(lock, [this] { return !queue.empty() || ending; });
                if (!queue.empty()) {
                    chunk.swap(queue.front());
                    queue.pop_front();
                    queuedBytes -= chunk.size();
                } else {
                    finish = true;
                }
            }
            queueChanged.notify_all();
            if (finish) break;
            if (failure.load() != DREBEN_OK) continue;  // drain what is queued
            const DREBEN_STATUS st = remux->Feed(chunk.data(), chunk.size());
            if (st != DREBEN_OK) {
                failure.store(st);
                queueChanged.notify_all();
            }
        }
        if (failure.load() == DREBEN_OK) {
            const DREBEN_STATUS st = remux->Finish();
            if (st != DREBEN_OK) failure.store(st);
        }
        Deliver(DREBEN_DATA_END, false, nullptr, 0);
    }

    // Ends the thread; the caller holds controlLock.
    DREBEN_STATUS StopLocked() {
        if (state != State::Running) return DREBEN_ERR_ORDER;
        {
            std::lock_guard<std::mutex> lock(queueLock);
            ending = true;
        }
        queueChanged.notify_all();
        worker.join();
        state = State::Stopped;
        remux.reset();
        return failure.load();
    }
};

std::mutex g_registryLock;
std::map<uintptr_t, std::shared_ptr<Transform>> g_registry;
uintptr_t g_nextHandle = 0x1000;

std::shared_ptr<Transform> Find(DREBEN_HANDLE handle) {
    std::lock_guard<std::mutex> lock(g_registryLock);
    auto it = g_registry.find(reinterpret_cast<uintptr_t>(handle));
    return it == g_registry.end() ? nullptr : it->second;
}

}  // namespace

extern "C" {

DREBEN_STATUS DREBEN_Create(DREBEN_HANDLE* handle, const DREBEN_CREATE_PARAM* param) {
    if (!handle) return DREBEN_ERR_PARAM;
    *handle = nullptr;
    if (!param || !param->header || param->headerSize != recstream::kHeaderSize) return DREBEN_ERR_PARAM;
    if (param->targetType != DREBEN_TARGET_MP4) return DREBEN_ERR_TARGET;
    recstream::StreamHeader header;
    if (!recstream::ParseHeader(param->header, param->headerSize, &header)) return DREBEN_ERR_FORMAT;
    if (header.videoCodec != recstream::kVideoH264 && header.videoCodec != recstream::kVideoMpeg4)
        return DREBEN_ERR_FORMAT;
    std::shared_ptr<Transform> t;
    try {
        t = std::make_shared<Transform>();
    } catch (const std::bad_alloc&) {
        return DREBEN_ERR_MEMORY;
    }
    t->header = header;
    std::lock_guard<std::mutex> lock(g_registryLock);
    const uintptr_t id = g_nextHandle;
    g_nextHandle += 0x10;
    g_registry[id] = t;
    *handle = reinterpret_cast<DREBEN_HANDLE>(id);
    return DREBEN_OK;
}

DREBEN_STATUS DREBEN_SetEncryptKey(DREBEN_HANDLE handle, int keyType, const void* key, uint32_t keyBits) {
    std::shared_ptr<Transform> t = Find(handle);
    if (!t) return DREBEN_ERR_HANDLE;
    if (keyType != DREBEN_KEY_RECORDER || !key || keyBits == 0 || keyBits % 8 != 0 || keyBits > kMaxKeyBits)
        return DREBEN_ERR_PARAM;
    std::lock_guard<std::mutex> lock(t->controlLock);
    if (t->state != State::Created) return DREBEN_ERR_ORDER;
    t->key.assign(static_cast<const char*>(key), keyBits / 8);
    return DREBEN_OK;
}

DREBEN_STATUS DREBEN_RegisterDetailDataCallBack(DREBEN_HANDLE handle, DREBEN_DETAIL_DATA_CALLBACK callback,
                                                void* user) {
    std::shared_ptr<Transform> t = Find(handle);
    if (!t) return DREBEN_ERR_HANDLE;
    std::lock_guard<std::mutex> lock(t->callbackLock);
    t->callback = callback;
    t->user = callback ? user : nullptr;
    return DREBEN_OK;
}

DREBEN_STATUS DREBEN_Start(DREBEN_HANDLE handle, void* reserved1, void* reserved2) {
    std::shared_ptr<Transform> t = Find(handle);
    if (!t) return DREBEN_ERR_HANDLE;
    if (reserved1 || reserved2) return DREBEN_ERR_PARAM;
    std::lock_guard<std::mutex> lock(t->controlLock);
    if (t->state != State::Created) return DREBEN_ERR_ORDER;
    if ((t->header.flags & recstream::kFlagEnciphered) &&
        (t->key.empty() || !recstream::KeyMatches(t->header, t->key)))
        return DREBEN_ERR_KEY;
    Transform* raw = t.get();
    try {
        t->remux.reset(new fallowin::Mp4Remuxer(
            t->header, t->key, [raw](uint16_t type, bool head, const uint8_t* data, size_t size) {
                raw->Deliver(type, head, data, size);
            }));
        t->worker = std::thread([raw] { raw->Run(); });
    } catch (...) {
        t->remux.reset();
        return DREBEN_ERR_MEMORY;
    }
    t->state = State::Running;
    return DREBEN_OK;
}

DREBEN_STATUS DREBEN_InputData(DREBEN_HANDLE handle, int dataType, const void* data, uint32_t size) {
    std::shared_ptr<Transform> t = Find(handle);
    if (!t) return DREBEN_ERR_HANDLE;
    if (dataType != DREBEN_INPUT_STREAM || (!data && size)) return DREBEN_ERR_PARAM;
    {
        std::lock_guard<std::mutex> lock(t->controlLock);
        if (t->state != State::Running) return DREBEN_ERR_ORDER;
    }
    if (t->failure.load() != DREBEN_OK) return t->failure.load();
    if (size == 0) return DREBEN_OK;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    std::unique_lock<std::mutex> lock(t->queueLock);
    t->queueChanged.wait(lock, [&t] {
        return t->queuedBytes < kMaxQueuedBytes || t->ending || t->failure.load() != DREBEN_OK;
    });
    if (t->ending) return DREBEN_ERR_ORDER;
    if (t->failure.load() != DREBEN_OK) return t->failure.load();
    // The thread waits only while nothing is queued.
    const bool wake = t->queue.empty();
    try {
        if (t->queue.empty() || t->queue.back().size() + size > kPieceBytes) {
            std::vector<uint8_t> piece;
            if (!t->spare.empty()) {
                piece.swap(t->spare.back());
                t->spare.pop_back();
            }
            t->queue.push_back(std::move(piece));
        }
        t->queue.back().insert(t->queue.back().end(), bytes, bytes + size);
    } catch (const std::bad_alloc&) {
        if (!t->queue.empty() && t->queue.back().empty()) t->queue.pop_back();
        return DREBEN_ERR_MEMORY;
    }
    t->queuedBytes += size;
    lock.unlock();
    if (wake) t->queueChanged.notify_all();
    return DREBEN_OK;
}

DREBEN_STATUS DREBEN_Stop(DREBEN_HANDLE handle) {
    std::shared_ptr<Transform> t = Find(handle);
    if (!t) return DREBEN_ERR_HANDLE;
    std::lock_guard<std::mutex> lock(t->controlLock);
    if (t->state == State::Running && t->worker.get_id() == std::this_thread::get_id()) return DREBEN_ERR_ORDER;
    return t->StopLocked();
}

DREBEN_STATUS DREBEN_Release(DREBEN_HANDLE handle) {
    std::shared_ptr<Transform> t = Find(handle);
    if (!t) return DREBEN_ERR_HANDLE;
    std::lock_guard<std::mutex> lock(t->controlLock);
    if (t->state == State::Running && t->worker.get_id() == std::this_thread::get_id()) return DREBEN_ERR_ORDER;
    {
        std::lock_guard<std::mutex> registryLock(g_registryLock);
        if (g_registry.erase(reinterpret_cast<uintptr_t>(handle)) == 0) return DREBEN_ERR_HANDLE;
    }
    if (t->state == State::Running) t->StopLocked();
    return DREBEN_OK;
}

}  // extern "C"
