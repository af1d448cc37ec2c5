// SPDX-License-Identifier: GPL-3.0-or-later
#include "QorAutoStorage.h"


#include <cstdarg>
#include <cstdio>

#include "CommonHelpers.h"
#include "KelLogging.h"

namespace {

#define Log(...) LogDebugLine(lcKelStorage(), __VA_ARGS__)

}  // namespace

QorAutoStorage* QorAutoStorage::GetInstance() {
    // Never destroyed: read tasks may still use it while the process exits.
    static QorAutoStorage* instance = new QorAutoStorage;
    return instance;
}

void QorAutoStorage::JudgeDiskTypes(const std::vector<std::string>& paths) {
    std::lock_guard<std::mutex> judging(m_judgeLock);
    std::map<std::string, int> types;
    for (const std::string& path : paths) {
        Log("storage_type_judge enter, path:%s", path.c_str());
        int type = kTypeOther;
        if (path.size() <= 3) {
            type = ::storage_type_judge(path.c_str());
            if (type != kTypeQorAuto && type != kTypeOther) {
                Log("storage_type_judge return type invalid:%d, path:%s", type, path.c_str());
                continue;
            }
        }
        Log("storage_type_judge return type:%d, path:%s", type, path.c_str());
        types[path] = type;

        if (type == kTypeQorAuto) {
            bool known;
            {
                std::lock_guard<std::mutex> g(m_mapLock);
                known = m_media.count(path) != 0;
            }
            if (!known) {
                const int media = storage_init(path.c_str());
                {
                    std::lock_guard<std::mutex> g(m_mapLock);
                    m_media[path] = media;
                }
                Log("add qorauto path:%s", path.c_str());
            }
        }
    }
    // Readers see either the old map or the whole new one, never a half-built one.
    std::lock_guard<std::mutex> g(m_mapLock);
    m_types.swap(types);
}

int QorAutoStorage::GetQorvaneDiskType(const std::string& path) {
    {
        std::lock_guard<std::mutex> g(m_mapLock);
        auto it = m_types.find(path);
        if (it != m_types.end()) return it->second;
    }
    Log("QorAutoStorage::GetQorvaneDiskType disk not exist, path:%s", path.c_str());
    return kTypeOther;
}

int QorAutoStorage::GetQorAutoDiskType(const std::string& path) {
    {
        std::lock_guard<std::mutex> g(m_mapLock);
        auto it = m_media.find(path);
        if (it != m_media.end()) return it->second;
    }
    Log("QorAutoStorage::GetQorAutoDiskType disk not exist, path:%s", path.c_str());
    return -1;
}

void QorAutoStorage::GetDiskMaps(std::map<std::string, int>* types, std::map<std::string, int>* media) const {
    std::lock_guard<std::mutex> g(m_mapLock);
    if (types) *types = m_types;
    if (media) *media = m_media;
}

std::map<std::string, int> QorAutoStorage::GetDiskTypeMap() const {
    std::lock_guard<std::mutex> g(m_mapLock);
    return m_types;
}

int QorAutoStorage::storage_init(const char* path) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_init(path);
}

int QorAutoStorage::storage_type_chan_map_get(int media, void* buffer, int maxEntries) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_type_chan_map_get(media, buffer, maxEntries);
}

STORAGE_LIST_HANDLE QorAutoStorage::storage_record_list_create(const StorageSearchRecord* cond) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_list_create(cond);
}

int QorAutoStorage::storage_record_list_dequeue(STORAGE_LIST_HANDLE list, StorageRecordEntry* entry) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_list_dequeue(list, entry);
}

int QorAutoStorage::storage_record_list_release(STORAGE_LIST_HANDLE list) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_list_release(list);
}

int QorAutoStorage::storage_record_open(const char* name) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_open(name);
}

int QorAutoStorage::storage_record_read(int handle, void* buffer, int size) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_read(handle, buffer, size);
}

int QorAutoStorage::storage_record_seek(int handle, uint32_t offset) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_seek(handle, offset);
}

int QorAutoStorage::storage_record_seek_by_time(int handle, uint32_t seconds, uint32_t* offset) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_seek_by_time(handle, seconds, offset);
}

int QorAutoStorage::storage_record_close(int handle) {
    std::lock_guard<std::mutex> g(m_storageLock);
    return ::storage_record_close(handle);
}
