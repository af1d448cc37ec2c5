#pragma once
// 1 after the operator started a disk search, 0 after a folder search (0 at
// start); the playback cells read it. GUI thread only.
extern int g_diskSearchMode;
