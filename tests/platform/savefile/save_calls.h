// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records what a save flushed and renamed, in order, through the seam of
// the save library: "flush <path>" for a file or folder flushed to the
// disk, "rename <from> -> <to>" for a name given (paths with their folders
// resolved). A test may also make every flush fail.
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <vector>

#include "savefile/savefile.h"

namespace kel_test {

class ScopedSaveCalls {
public:
    ScopedSaveCalls() {
        Current() = this;
        savefile::SystemCalls calls = savefile::RealSystemCalls();
        calls.fsync = &Fsync;
        calls.renameNoReplace = &RenameNoReplace;
        calls.rename = &Rename;
        calls.link = &Link;
        savefile::UseSystemCalls(calls);
    }
    ~ScopedSaveCalls() {
        savefile::UseSystemCalls(savefile::RealSystemCalls());
        Current() = nullptr;
    }
    ScopedSaveCalls(const ScopedSaveCalls&) = delete;
    ScopedSaveCalls& operator=(const ScopedSaveCalls&) = delete;

    std::vector<std::string> Calls() const {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_calls;
    }
    // Index of the first call `call` at or after `from`; -1 when none.
    int Find(const std::string& call, int from = 0) const {
        const std::vector<std::string> calls = Calls();
        for (size_t i = static_cast<size_t>(from < 0 ? 0 : from); i < calls.size(); ++i)
            if (calls[i] == call) return static_cast<int>(i);
        return -1;
    }
    // Index of the last call `call`; -1 when none.
    int FindLast(const std::string& call) const {
        const std::vector<std::string> calls = Calls();
        for (size_t i = calls.size(); i-- > 0;)
            if (calls[i] == call) return static_cast<int>(i);
        return -1;
    }
    // From now on every flush fails with `error` (0: none fails).
    void FailFlushes(int error) { m_flushError = error; }

    // `path` with its folder resolved, as the calls name it.
    static std::string Resolved(const std::string& path) {
        const size_t slash = path.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
        char buffer[PATH_MAX];
        if (!realpath(folder.c_str(), buffer)) return path;
        return std::string(buffer) + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
    }
    static std::string ResolvedFolder(const std::string& folder) {
        char buffer[PATH_MAX];
        return realpath(folder.c_str(), buffer) ? std::string(buffer) : folder;
    }

private:
    static ScopedSaveCalls*& Current() {
        static ScopedSaveCalls* current = nullptr;
        return current;
    }
    static void Note(const std::string& call) {
        ScopedSaveCalls* self = Current();
        if (!self) return;
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_calls.push_back(call);
    }
    static int Fsync(int fd) {
        char buffer[PATH_MAX];
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
        Note("flush " + (n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string("?")));
        ScopedSaveCalls* self = Current();
        if (self && self->m_flushError != 0) {
            errno = self->m_flushError;
            return -1;
        }
        return ::fsync(fd);
    }
    static int Renamed(int result, const char* from, const char* to) {
        if (result == 0) Note("rename " + Resolved(from) + " -> " + Resolved(to));
        return result;
    }
    static int RenameNoReplace(const char* from, const char* to) {
        return Renamed(savefile::RealSystemCalls().renameNoReplace(from, to), from, to);
    }
    static int Rename(const char* from, const char* to) {
        return Renamed(savefile::RealSystemCalls().rename(from, to), from, to);
    }
    static int Link(const char* from, const char* to) {
        return Renamed(savefile::RealSystemCalls().link(from, to), from, to);
    }

    mutable std::mutex m_lock;
    std::vector<std::string> m_calls;
    int m_flushError = 0;
};

}  // namespace kel_test
