// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's skin: the pictures shared by several pages (time axis,
// message boxes, cell hover) and the style sheet that gives the buttons
// without a picture of their own theirs, by object name, in every state.
#include <QString>

class QApplication;

namespace Skin {

// Registers the shared pictures (safe to call more than once).
void InitResources();
// The skin's style sheet text.
QString StyleSheet();
// Registers the pictures and puts the skin in front of the application's
// style sheet, so that a style sheet of the set-up still wins.
void Apply(QApplication* app);

}  // namespace Skin
