// SPDX-License-Identifier: GPL-3.0-or-later
#include "wincompat/heap.h"

#include <malloc.h>

namespace wincompat {

void UseLargeBlocksFromTheSystem() {
    // A threshold set by hand stays where it is: glibc no longer moves it
    // (nor the trim threshold) after a large free.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargeBlockBytes));
}

}  // namespace wincompat
