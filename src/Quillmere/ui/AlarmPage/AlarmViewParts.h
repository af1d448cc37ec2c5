// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pieces shared by the alarm page's picture and clip viewers.
class QHBoxLayout;
class QLabel;
class QToolButton;
class QWidget;

// The viewers' title row: the title label, a stretch and the download button,
// made in `top` and added to `row`.
void AddTitleAndDownload(QWidget* top, QHBoxLayout* row, QLabel** title, QToolButton** download);
