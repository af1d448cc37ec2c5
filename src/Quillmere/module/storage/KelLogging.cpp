// SPDX-License-Identifier: GPL-3.0-or-later
#include "KelLogging.h"

Q_LOGGING_CATEGORY(lcKelStorage, "kel.storage", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKelPlayback, "kel.playback", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKelSearch, "kel.search", QtWarningMsg)
Q_LOGGING_CATEGORY(lcKelUi, "kel.ui", QtWarningMsg)
