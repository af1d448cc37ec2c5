#include "PlaybackGlobals.h"

std::atomic<int> CurrentSyncGroup{0};
std::atomic<int> CurrentCapturePage{0};
