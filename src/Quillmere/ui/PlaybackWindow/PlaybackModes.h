#pragma once
// Process-wide page modes shared by the playback views and the pages that
// switch them:
//  g_playbackMode   0 after the Playback page was shown, 1 after the Evidence
//                   page (segment colours of the time axis);
//  g_saveFolderMode same values (snapshot and clip folders);
//  g_diskSearchMode 1 after a disk search, 0 after a local-folder search.
// All three are 0 at start. They are inline variables, so every library that
// includes this header shares one definition.
inline int g_playbackMode = 0;
inline int g_saveFolderMode = 0;
inline int g_diskSearchMode = 0;

// The page a playback view belongs to.
enum PlaybackPageMode { PlaybackPage = 0, EvidencePage = 1 };
