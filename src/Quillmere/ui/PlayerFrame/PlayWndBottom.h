// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The hover bottom bar of a playback cell: a row of tool buttons (a left
// group, a stretch, a right group) and, when the row is too narrow, an
// extension button that opens a floating panel with the buttons that did
// not fit. The bar never owns the buttons; the cell creates them.
#include <QFrame>
#include <QList>

class QGridLayout;
class QHBoxLayout;
class QSlider;
class QSpacerItem;
class QToolButton;
class QVBoxLayout;

namespace Ui {
class CUiPlayerWndBottom {
public:
    QGridLayout* gridLayout = nullptr;
    QFrame* m_pFrameToolBtns = nullptr;
    QVBoxLayout* verticalLayout_2 = nullptr;
    QSlider* m_pSliderPlay = nullptr;
    QHBoxLayout* hlayoutToolBtns = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QToolButton* m_pBtnExtend = nullptr;
    QFrame* m_pFrameExtend = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QFrame* m_pFrameExtendTop = nullptr;
    QHBoxLayout* hlayoutExtendTop = nullptr;
    QSpacerItem* spacerExtendTop = nullptr;
    QFrame* m_pFrameExtendBottom = nullptr;
    QHBoxLayout* hlayoutExtendBottom = nullptr;
    QSpacerItem* spacerExtendBottom = nullptr;

    void setupUi(QFrame* form);
    void retranslateUi(QFrame* form);
};
}  // namespace Ui

class CPlayWndBottom : public QFrame {
    Q_OBJECT
public:
    static const int kGroupSize = 11;

    explicit CPlayWndBottom(QWidget* parent = nullptr);
    ~CPlayWndBottom() override;

    // Places the first 11 widgets of each list; widgets of earlier groups
    // are hidden first.
    void setToolButtons(const QList<QWidget*>& left, const QList<QWidget*>& right);
    int setToolButtons(const QList<QWidget*>& left, const QList<QWidget*>& right, int);
    // Lays the groups out for the bar's width; the overflow goes to the panel.
    void updateLayout();
    bool isCursorInExtendWnd() const;

    Ui::CUiPlayerWndBottom& ui() { return m_ui; }
    QFrame* extendPanel() const { return m_pExtendWnd; }
    int extendWidth() const { return m_nExtendWidth; }
    // The result of the last updateLayout: -1 nothing overflowed, k < 100 the
    // left group from k on, 100 + j the right group from j on.
    int lastOverflow() const { return m_nLastOverflow; }

public slots:
    void ShowExtendWnd();

signals:
    void SignalWndClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int fillToolRow(int available);

    Ui::CUiPlayerWndBottom m_ui;
    QFrame* m_pExtendWnd = nullptr;
    int m_nExtendWidth = 0;
    int m_nCursorInExtend = 0;
    QWidget* m_rightGroup[kGroupSize] = {};
    QWidget* m_leftGroup[kGroupSize] = {};
    int m_nLastOverflow = -1;
};
