#pragma once
// 1 after the operator started a disk search, 0 after a folder search (0 at
// start); the playback cells read it. GUI thread only. Other headers of the
// program may declare the same inline variable; it is one object.
inline int g_diskSearchMode = 0;
