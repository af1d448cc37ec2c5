// SPDX-License-Identifier: GPL-3.0-or-later
#include "SavedFileNotice.h"

#include "ziraz/dialogs.h"

bool SavedFileNotice::tell(QWidget* parent, const QString& path, const QString& text) {
    if (told(path)) return false;
    if (!path.isEmpty()) m_told.insert(path);
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(text, parent, text == path, false, true);
    return true;
}
