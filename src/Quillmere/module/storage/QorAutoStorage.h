// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process-wide disk-type registry of the storage layer.
//
// Recorder disks come in two families: type 1, the qorauto disks, read through
// the record storage library (storage_ calls), and type 2, every other disk,
// physical drive or folder, read through the hard-disk file library. The
// registry remembers the family of every judged disk path and the media
// number of every type-1 disk, and owns the storage lock: the one mutex held
// around every storage_ call of the process (but the disk-type judgement).
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "nembra.h"

class QorAutoStorage {
public:
    enum { kTypeQorAuto = 1, kTypeOther = 2 };

    // The one instance, created on first use (from any thread) and kept until
    // the process ends.
    static QorAutoStorage* GetInstance();

    // Classifies the paths: a path longer than 3 characters (a folder or a
    // physical drive name) is type 2 without asking; a drive root ("E:\") is
    // judged by the storage library. Type-1 disks are initialised in the
    // library once per process. The type map is rebuilt from these paths and
    // replaces the old one in one step; the media map only grows.
    void JudgeDiskTypes(const std::vector<std::string>& paths);

    // Family of a judged path; 2 (logged) for a path never judged.
    int GetQorvaneDiskType(const std::string& path);
    // Media number of a type-1 path; -1 (logged) when it has none.
    int GetQorAutoDiskType(const std::string& path);

    // Copies of both maps (path -> type, path -> media number).
    void GetDiskMaps(std::map<std::string, int>* types, std::map<std::string, int>* media) const;
    std::map<std::string, int> GetDiskTypeMap() const;

    // The storage lock. Never hold it while a callback runs.
    std::mutex& StorageLock() { return m_storageLock; }

    // The storage_ calls, each under the storage lock.
    int storage_init(const char* path);
    int storage_type_chan_map_get(int media, void* buffer, int maxEntries);
    STORAGE_LIST_HANDLE storage_record_list_create(const StorageSearchRecord* cond);
    int storage_record_list_dequeue(STORAGE_LIST_HANDLE list, StorageRecordEntry* entry);
    int storage_record_list_release(STORAGE_LIST_HANDLE list);
    int storage_record_open(const char* name);
    int storage_record_read(int handle, void* buffer, int size);
    int storage_record_seek(int handle, uint32_t offset);
    int storage_record_seek_by_time(int handle, uint32_t seconds, uint32_t* offset);
    int storage_record_close(int handle);

    QorAutoStorage(const QorAutoStorage&) = delete;
    QorAutoStorage& operator=(const QorAutoStorage&) = delete;

private:
    QorAutoStorage() = default;
    ~QorAutoStorage() = default;

    // Both maps are read by streams and the search panel while a new search
    // judges its disks: every access goes through m_mapLock.
    mutable std::mutex m_mapLock;
    std::map<std::string, int> m_types;
    std::map<std::string, int> m_media;
    // Serialises whole judgements, so a disk is initialised once even when
    // two searches judge at the same time.
    std::mutex m_judgeLock;
    std::mutex m_storageLock;
};
