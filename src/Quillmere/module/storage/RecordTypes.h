// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record types of search results: channels, files and per-channel lists.
#include "Channel.h"
#include "ChannelFiles.h"
#include "SingleFile.h"
