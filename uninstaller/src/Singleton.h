// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Process-wide instance of T, created on first use and kept until exit.
#include <mutex>

namespace Base {

template <class T>
class CSingleton {
public:
    static T* instance() {
        static std::mutex lock;
        static T* object = nullptr;
        std::lock_guard<std::mutex> guard(lock);
        if (!object) object = new T;
        return object;
    }

protected:
    CSingleton() = default;
    ~CSingleton() = default;
    CSingleton(const CSingleton&) = delete;
    CSingleton& operator=(const CSingleton&) = delete;
};

}  // namespace Base
