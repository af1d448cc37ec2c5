// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Library frame: the per-thread last error, the process-wide channel offset,
// diagnostics and the guard that keeps exceptions inside the exports.
#include <cstdint>
#include <exception>
#include <new>

#include "pellomir/Pellomir.h"

namespace pellomir {

// Stores `code` as the calling thread's last error.
void SetLastErrorCode(uint32_t code);
uint32_t LastErrorCode();

// The channel offset set by DVR_FILE_SetChannelOffSet.
int32_t ChannelOffset();

// Diagnostics for a developer: written to standard error when the
// environment variable PELLOMIR_DEBUG is set, dropped otherwise.
void DebugOut(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The message of a code, or nullptr when the code has none.
const char* ErrorMessage(uint32_t code);

// Runs `body` and turns any exception into the failure result `failed` with
// last error 0x8000FFFF (6 for an allocation failure).
template <typename R, typename F>
R Guarded(R failed, F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        SetLastErrorCode(DVR_FILE_ERR_ALLOC);
    } catch (const std::exception& e) {
        DebugOut("%s\r\n", e.what());
        SetLastErrorCode(DVR_FILE_ERR_UNEXPECTED);
    } catch (...) {
        SetLastErrorCode(DVR_FILE_ERR_UNEXPECTED);
    }
    return failed;
}

}  // namespace pellomir
