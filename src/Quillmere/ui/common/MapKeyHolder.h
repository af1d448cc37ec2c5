// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plain map service key, shared by the pages: filled by the main window
// at start-up, replaced by the settings page, read by the map. Header only,
// so that any page can read or set it without linking the main window's
// library. The pages' modes (g_playbackMode, ...) come with it from
// PageModes.h.
#include <QString>
#include <atomic>
#include <mutex>

#include "zun.h"

#include "common/PageModes.h"

class MapKeyHolder {
public:
    // Made on first use (double-checked under a process-wide mutex); never
    // destroyed before exit.
    static MapKeyHolder* instance() {
        MapKeyHolder* holder = s_instance.load(std::memory_order_acquire);
        if (!holder) {
            ZUN_Guard guard(creationLock());
            holder = s_instance.load(std::memory_order_relaxed);
            if (!holder) {
                holder = new MapKeyHolder;
                s_instance.store(holder, std::memory_order_release);
            }
        }
        return holder;
    }

    QString key() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_key;
    }
    void setKey(const QString& key) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_key = key;
    }

    MapKeyHolder(const MapKeyHolder&) = delete;
    MapKeyHolder& operator=(const MapKeyHolder&) = delete;

private:
    MapKeyHolder() = default;
    static ZUN_Mutex& creationLock() {
        static ZUN_Mutex lock;
        return lock;
    }

    mutable std::mutex m_lock;
    QString m_key;
    static inline std::atomic<MapKeyHolder*> s_instance{nullptr};
};
