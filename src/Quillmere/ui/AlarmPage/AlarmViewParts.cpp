// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmViewParts.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSpacerItem>
#include <QToolButton>

void AddTitleAndDownload(QWidget* top, QHBoxLayout* row, QLabel** title, QToolButton** download) {
    *title = new QLabel(top);
    (*title)->setObjectName(QStringLiteral("m_pTitleLabel"));
    (*title)->setMinimumSize(240, 20);
    row->addWidget(*title);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    *download = new QToolButton(top);
    (*download)->setObjectName(QStringLiteral("m_pDownloadBtn"));
    (*download)->setFixedSize(96, 32);
    (*download)->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/common_download.svg")));
    (*download)->setIconSize(QSize(24, 24));
    (*download)->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    row->addWidget(*download);
    // The viewers set the button's text later; they widen it to that text.
}
