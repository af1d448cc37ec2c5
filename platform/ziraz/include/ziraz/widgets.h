// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// All widgets, dialogs and helpers of the toolkit's GUI part.
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"
#include "ziraz/mainwindow.h"
#include "ziraz/sharetools.h"
