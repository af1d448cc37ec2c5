// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Calls into the hard-disk library, behind a small seam so the library also
// builds (and the tests can steer the answers) without it.
#include <cstdint>
#include <string>

namespace pellomir {

// Picture-index layout of a drive ("E:"): 1 or 2; anything else is not
// supported.
int DiskVersionOf(const std::string& drivePath);
// The hard-disk library's code of the call that just failed on this thread.
uint32_t HardDiskLastError();

// Tests only: answer DiskVersionOf with `hook` (nullptr restores the default).
using DiskVersionHook = int (*)(const char* drivePath);
void SetDiskVersionHook(DiskVersionHook hook);

}  // namespace pellomir
