// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Logging categories of KEL's libraries. Their debug lines are off unless
// enabled, e.g. QT_LOGGING_RULES="kel.*.debug=true" (or "kel.playback.debug=true"
// for one subsystem); warnings always show.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcKelStorage)   // "kel.storage": storage access, settings, disks, output files
Q_DECLARE_LOGGING_CATEGORY(lcKelPlayback)  // "kel.playback": streams, players, downloads of streams
Q_DECLARE_LOGGING_CATEGORY(lcKelSearch)    // "kel.search": record, picture, alarm and log searches
Q_DECLARE_LOGGING_CATEGORY(lcKelUi)        // "kel.ui": pages, windows, dialogs and the programs' start-up
