// SPDX-License-Identifier: GPL-3.0-or-later
#include "SaveWarning.h"

#include <QMessageBox>
#include <QWidget>

void ShowSaveWarning(int code, QWidget* parent) {
    QWidget* window = parent ? parent->window() : nullptr;
    QMessageBox::warning(window, SaveWarningTitle(), SaveWarningText(code));
}

bool CheckSavePath(const QString& path, QWidget* parent) {
    const int code = SavePathWarning(path);
    if (code == 0) return true;
    ShowSaveWarning(code, parent);
    return false;
}
