// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame of a playback-grid cell: the base frame plus a bottom bar that
// shows while the cursor is over the frame.
#include "BasePlayFrame.h"
#include "PlayWndBottom.h"

class CPlayerFrame : public CBasePlayFrame {
    Q_OBJECT
public:
    explicit CPlayerFrame(QWidget* parent = nullptr);

    void setSliderVisible(bool visible);
    bool autoShow() const { return m_bAutoShow; }
    void setAutoShow(bool on) { m_bAutoShow = on; }
    void setBarHeight(int height) { m_nBarHeight = height; }
    int barHeight() const { return m_nBarHeight; }
    CPlayWndBottom* bottomBar() const { return m_pBottom; }

signals:
    void SignalShow();
    void SignalHide();

protected slots:
    virtual void onBottomShown() {}
    virtual void onBottomHidden() {}

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    CPlayWndBottom* m_pBottom = nullptr;
    int m_nBarHeight = 28;
    bool m_bAutoShow = true;
};
