// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File systems mounted for a test on a folder of its own (the tests run as
// root): a small memory file system that fills up, or a FAT image through
// the user-space FAT driver, as a USB stick is often seen. A machine that
// cannot mount leaves the mount not ok, with the reason for a skip.
#include <string>

namespace kel_test {

class ScopedMount {
public:
    // A memory file system of `bytes` on `folder` (made when missing).
    static ScopedMount Tmpfs(const std::string& folder, unsigned long bytes);
    // A FAT file system in an image file of `bytes` beside `folder`, mounted
    // writable on `folder` through the user-space driver.
    static ScopedMount FuseFat(const std::string& folder, unsigned long bytes);

    ScopedMount(ScopedMount&& other) noexcept;
    ScopedMount& operator=(ScopedMount&&) = delete;
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;
    ~ScopedMount();   // unmounts

    bool ok() const { return m_mounted; }
    // Why the file system is not mounted.
    const std::string& why() const { return m_why; }
    const std::string& path() const { return m_folder; }

private:
    ScopedMount() = default;
    std::string m_folder;
    std::string m_image;
    bool m_mounted = false;
    std::string m_why;
};

}  // namespace kel_test
