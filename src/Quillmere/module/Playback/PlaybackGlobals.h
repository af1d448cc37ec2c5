// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The playback page the operator opened last: the application shell sets both
// to 0 when the playback page opens and to 1 when the evidence page opens.
// The player interface joins sync group CurrentSyncGroup and picks the
// snapshot and clip folders by CurrentCapturePage.
#include <atomic>

extern std::atomic<int> CurrentSyncGroup;
extern std::atomic<int> CurrentCapturePage;
