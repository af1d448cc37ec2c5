// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What is wrong with a save folder, told to the operator: a modal warning box
// titled "Warn" over the top-level window of the asking widget. The check
// itself is SavePathWarning (SavePathCheck.h).
#include <QString>

#include "storage/SavePathCheck.h"

class QWidget;

// True when `path` may be saved to; false after a warning was shown. Paths
// may be folders of this machine or drive paths ("D:/Video").
bool CheckSavePath(const QString& path, QWidget* parent);

// Shows warning `code` (SaveWarningCode; any other code shows an empty text)
// parented to the top-level window of `parent`.
void ShowSaveWarning(int code, QWidget* parent);
