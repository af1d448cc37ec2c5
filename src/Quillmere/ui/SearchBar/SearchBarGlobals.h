// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// g_diskSearchMode: 1 after the operator started a disk search, 0 after a
// folder search; the playback cells read it.
#include "common/PageModes.h"
