// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The video frame of the alarm clip viewer: a base player frame without a
// hover bar, with a centred "no video" placeholder. CCustomPlayWndBottom is
// a compact play strip (button, elapsed and total time, slider).
#include <QFrame>

#include "PlayerFrame/BasePlayFrame.h"

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class QWidget;

// Registers the alarm page's icons (once).
void EnsureAlarmPageResources();

namespace Ui {
class CCustomPlayerFrameUI {
public:
    QGridLayout* gridLayout = nullptr;
    QWidget* m_pContainerWidget = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QWidget* m_pNoVideoContainerWidget = nullptr;
    QGridLayout* gridLayout_5 = nullptr;
    QToolButton* m_pDefaultVideoBtn = nullptr;
    QLabel* m_pNoVideoLabel = nullptr;

    void setupUi(QFrame* form);
    void retranslateUi(QFrame* form);
};

class CUiPlayerWndCustomBottom {
public:
    QGridLayout* gridLayout_2 = nullptr;
    QFrame* m_pFrameExtend = nullptr;
    QGridLayout* gridLayout = nullptr;
    QPushButton* m_pPlayBtn = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* m_pProcessTime = nullptr;
    QLabel* label = nullptr;
    QLabel* m_pEndTime = nullptr;
    QSlider* m_pPlaySlider = nullptr;

    void setupUi(QFrame* form);
    void retranslateUi(QFrame* form);
};
}  // namespace Ui

class CCustomPlayerFrame : public CBasePlayFrame {
    Q_OBJECT
public:
    explicit CCustomPlayerFrame(QWidget* parent = nullptr);

    void setSliderVisible(bool) {}
    bool autoShow() const { return m_bAutoShow; }
    void setAutoShow(bool on) { m_bAutoShow = on; }
    void setBarHeight(int height) { m_nBarHeight = height; }
    Ui::CCustomPlayerFrameUI& ui() { return m_ui; }

signals:
    void SignalShow();
    void SignalHide();

protected slots:
    virtual void onBottomShown() {}
    virtual void onBottomHidden() {}

protected:
    bool event(QEvent* event) override;

private:
    int m_nBarHeight = 28;
    bool m_bAutoShow = true;
    Ui::CCustomPlayerFrameUI m_ui;
};

class CCustomPlayWndBottom : public QFrame {
    Q_OBJECT
public:
    explicit CCustomPlayWndBottom(QWidget* parent = nullptr);
    Ui::CUiPlayerWndCustomBottom& ui() { return m_ui; }

signals:
    void signalWndClicked();

private:
    Ui::CUiPlayerWndCustomBottom m_ui;
};
