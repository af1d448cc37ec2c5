// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A short note without parent at the bottom right of the primary screen that
// goes away by itself after five seconds (the path of a clip that a seek
// finished). Without a widget application the text goes to the debug output.
#include <QString>

class QLabel;

// The note shown; null when there is no widget application.
QLabel* ShowScreenNote(const QString& text);
