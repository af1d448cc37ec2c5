// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "wincompat/heap.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KEL_OWN_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KEL_OWN_MALLOC 0
#endif
#endif
#ifndef KEL_OWN_MALLOC
#define KEL_OWN_MALLOC 1
#endif

namespace {

// Pictures freed between small blocks that stay (the way decoded planes sit
// among a player's other allocations) go back to the system, even after a
// larger block was freed before them.
TEST(Heap, FreedLargeBlocksGoBackToTheSystem) {
    if (!KEL_OWN_MALLOC) GTEST_SKIP() << "a sanitizer's allocator stands in for the heap";
    wincompat::UseLargeBlocksFromTheSystem();
    void* volatile larger = std::malloc(8u << 20);   // volatile: the pair is not optimised away
    std::memset(larger, 1, 8u << 20);
    std::free(larger);

    const size_t heldBefore = mallinfo2().fordblks;
    std::vector<void*> pictures, small;
    for (int i = 0; i < 32; ++i) {
        pictures.push_back(std::malloc(2u << 20));
        std::memset(pictures.back(), 2, 2u << 20);
        small.push_back(std::malloc(64));
    }
    for (void* p : pictures) std::free(p);
    const size_t heldAfter = mallinfo2().fordblks;
    for (void* p : small) std::free(p);

    // 64 MiB freed; what the heap keeps of it for itself stays small.
    EXPECT_LT(heldAfter, heldBefore + (1u << 20));
}

}  // namespace
