// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process-wide page modes (g_playbackMode, g_saveFolderMode,
// g_diskSearchMode).
#include "common/PageModes.h"

// The page a playback view belongs to.
enum PlaybackPageMode { PlaybackPage = 0, EvidencePage = 1 };
