// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process heap as the programs expect it: a large block comes straight
// from the system and goes back to it when freed.

namespace wincompat {

// Blocks this large and larger are mapped on their own and unmapped when
// freed.
constexpr unsigned long kLargeBlockBytes = 1ul << 20;

// Makes the heap hand large blocks to the system and back. Called once at
// the start of a program, before its threads. Without it glibc raises its
// threshold to the size of the first large block freed, so the planes of
// decoded pictures (2 MiB at 1080p) land in per-thread arenas, which keep
// them: sixteen 1080p windows peaked 200 MiB higher, and 400 MiB stayed
// taken after they closed.
void UseLargeBlocksFromTheSystem();

}  // namespace wincompat
