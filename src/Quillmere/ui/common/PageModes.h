// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Process-wide page modes, shared by the main window, the search panel and the
// playback views:
//  g_playbackMode   0 after the Playback page was shown, 1 after the Evidence
//                   page (segment colours of the time axis);
//  g_saveFolderMode the same values (snapshot and clip folders);
//  g_diskSearchMode 1 after a disk search, 0 after a local-folder search.
// All three are 0 at start and are used on the GUI thread only. They are
// inline variables: every library that includes this header shares one
// definition.
inline int g_playbackMode = 0;
inline int g_saveFolderMode = 0;
inline int g_diskSearchMode = 0;
