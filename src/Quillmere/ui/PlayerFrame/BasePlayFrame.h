// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bordered frame of every video surface: an inner plain frame (the
// surface) into which the player library draws, placed inside a 1-pixel
// border. The frame itself does not talk to the player: its user hands
// videoWinId() to the playback engine.
#include <QFrame>

class CBasePlayFrame : public QFrame {
    Q_OBJECT
public:
    explicit CBasePlayFrame(QWidget* parent = nullptr);

    // 0: black border, 1: red border (the selected cell); dark grey inside.
    void setSelected(int state);
    int selected() const { return m_bSelected ? 1 : 0; }

    // Handle of the video surface as the player library takes it: the
    // surface widget itself (the player draws into a child view of it).
    void* videoWinId() const;
    QFrame* videoSurface() const { return m_pVideoWnd; }

protected:
    QFrame* m_pVideoWnd = nullptr;
    int m_nHorBorder = 1;
    int m_nVerBorder = 1;
    bool m_bSelected = false;
};
