// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackGlobals.h"

std::atomic<int> CurrentSyncGroup{0};
std::atomic<int> CurrentCapturePage{0};
