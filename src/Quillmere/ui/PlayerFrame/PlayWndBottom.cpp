// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayWndBottom.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QResizeEvent>
#include <QSlider>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/InterfaceHelpers.h"

namespace Ui {

void CUiPlayerWndBottom::setupUi(QFrame* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("CUiPlayerWndBottom"));
    form->resize(503, 145);
    form->setAutoFillBackground(false);
    form->setStyleSheet(
        QStringLiteral("QWidget#CUiPlayerWndBottom\n{border: 1px solid black; background-color: rgb(77,82 ,86);}"));

    gridLayout = new QGridLayout(form);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setContentsMargins(0, 0, 0, 0);

    m_pFrameToolBtns = new QFrame(form);
    m_pFrameToolBtns->setObjectName(QStringLiteral("m_pFrameToolBtns"));
    m_pFrameToolBtns->setMinimumSize(0, 30);
    m_pFrameToolBtns->setMaximumSize(16777215, 30);
    m_pFrameToolBtns->setStyleSheet(QString::fromUtf8(
        "QFrame#m_pFrameToolBtns\n{\nborder-image: url(:/images/MainView/bottom_background.png);\nborder:none;\n"
        "background-color: #333333;\n}\n"));
    m_pFrameToolBtns->setFrameShape(QFrame::StyledPanel);
    m_pFrameToolBtns->setFrameShadow(QFrame::Raised);

    verticalLayout_2 = new QVBoxLayout(m_pFrameToolBtns);
    verticalLayout_2->setObjectName(QStringLiteral("verticalLayout_2"));
    verticalLayout_2->setSpacing(0);
    const int defaultRight = verticalLayout_2->contentsMargins().right();
    verticalLayout_2->setContentsMargins(9, 2, defaultRight, 2);

    m_pSliderPlay = new QSlider(m_pFrameToolBtns);
    m_pSliderPlay->setObjectName(QStringLiteral("m_pSliderPlay"));
    m_pSliderPlay->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_pSliderPlay->setMaximumHeight(10);
    m_pSliderPlay->setOrientation(Qt::Horizontal);
    verticalLayout_2->addWidget(m_pSliderPlay);

    hlayoutToolBtns = new QHBoxLayout();
    hlayoutToolBtns->setObjectName(QStringLiteral("hlayoutToolBtns"));
    hlayoutToolBtns->setSpacing(2);
    horizontalSpacer = new QSpacerItem(3000, 11, QSizePolicy::Preferred, QSizePolicy::Minimum);
    hlayoutToolBtns->addItem(horizontalSpacer);
    m_pBtnExtend = new QToolButton(m_pFrameToolBtns);
    m_pBtnExtend->setObjectName(QStringLiteral("m_pBtnExtend"));
    m_pBtnExtend->setFixedWidth(10);
    m_pBtnExtend->setStyleSheet(QStringLiteral("border-image: url(:/images/MainView/ButtonIcon/cycle_ctrl.png);"));
    hlayoutToolBtns->addWidget(m_pBtnExtend);
    verticalLayout_2->addLayout(hlayoutToolBtns);
    gridLayout->addWidget(m_pFrameToolBtns, 0, 0, 1, 1);

    m_pFrameExtend = new QFrame(form);
    m_pFrameExtend->setObjectName(QStringLiteral("m_pFrameExtend"));
    m_pFrameExtend->setMaximumSize(300, 16000000);
    m_pFrameExtend->setStyleSheet(QStringLiteral("QFrame\n{\nbackground:black;\nborder:2px solid gray;\n}"));
    m_pFrameExtend->setFrameShape(QFrame::StyledPanel);
    m_pFrameExtend->setFrameShadow(QFrame::Raised);
    verticalLayout = new QVBoxLayout(m_pFrameExtend);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    m_pFrameExtendTop = new QFrame(m_pFrameExtend);
    m_pFrameExtendTop->setObjectName(QStringLiteral("m_pFrameExtendTop"));
    m_pFrameExtendTop->setStyleSheet(QStringLiteral("QFrame\n{\nborder:none;\n}"));
    hlayoutExtendTop = new QHBoxLayout(m_pFrameExtendTop);
    hlayoutExtendTop->setObjectName(QStringLiteral("hlayoutExtendTop"));
    hlayoutExtendTop->setSpacing(1);
    {
        QMargins m = hlayoutExtendTop->contentsMargins();
        m.setBottom(2);
        hlayoutExtendTop->setContentsMargins(m);
    }
    spacerExtendTop = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    hlayoutExtendTop->addItem(spacerExtendTop);
    verticalLayout->addWidget(m_pFrameExtendTop);

    m_pFrameExtendBottom = new QFrame(m_pFrameExtend);
    m_pFrameExtendBottom->setObjectName(QStringLiteral("m_pFrameExtendBottom"));
    m_pFrameExtendBottom->setStyleSheet(QStringLiteral("QFrame\n{\nborder:none;\n}"));
    hlayoutExtendBottom = new QHBoxLayout(m_pFrameExtendBottom);
    hlayoutExtendBottom->setObjectName(QStringLiteral("hlayoutExtendBottom"));
    hlayoutExtendBottom->setSpacing(1);
    {
        QMargins m = hlayoutExtendBottom->contentsMargins();
        m.setTop(0);
        hlayoutExtendBottom->setContentsMargins(m);
    }
    spacerExtendBottom = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    hlayoutExtendBottom->addItem(spacerExtendBottom);
    verticalLayout->addWidget(m_pFrameExtendBottom);
    gridLayout->addWidget(m_pFrameExtend, 1, 0, 1, 1);

    retranslateUi(form);
}

void CUiPlayerWndBottom::retranslateUi(QFrame* form) {
    form->setWindowTitle(QApplication::translate("CUiPlayerWndBottom", "Form", nullptr));
    m_pBtnExtend->setText(QString());
}

}  // namespace Ui

CPlayWndBottom::CPlayWndBottom(QWidget* parent) : QFrame(parent) {
    m_ui.setupUi(this);
    m_pExtendWnd = new QFrame(this, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_ui.gridLayout->removeWidget(m_ui.m_pFrameExtend);
    m_ui.m_pFrameExtend->setParent(m_pExtendWnd);
    m_ui.m_pFrameExtend->move(0, 0);
    m_ui.m_pFrameExtend->show();
    m_pExtendWnd->installEventFilter(this);
    m_pExtendWnd->setMouseTracking(true);
    m_ui.m_pFrameToolBtns->setMouseTracking(true);
    m_ui.m_pSliderPlay->hide();
    connect(m_ui.m_pBtnExtend, &QToolButton::clicked, this, &CPlayWndBottom::ShowExtendWnd);
}

CPlayWndBottom::~CPlayWndBottom() = default;

void CPlayWndBottom::setToolButtons(const QList<QWidget*>& left, const QList<QWidget*>& right) {
    for (int i = 0; i < kGroupSize; ++i) {
        if (m_leftGroup[i]) m_leftGroup[i]->hide();
        if (m_rightGroup[i]) m_rightGroup[i]->hide();
        m_leftGroup[i] = nullptr;
        m_rightGroup[i] = nullptr;
    }
    for (int i = 0; i < left.size() && i < kGroupSize; ++i) {
        m_leftGroup[i] = left[i];
        if (left[i]) left[i]->show();
    }
    for (int i = 0; i < right.size() && i < kGroupSize; ++i) {
        m_rightGroup[i] = right[i];
        if (right[i]) right[i]->show();
    }
}

int CPlayWndBottom::setToolButtons(const QList<QWidget*>& left, const QList<QWidget*>& right, int) {
    setToolButtons(left, right);
    return right.size();
}

namespace {
int GroupCount(QWidget* const* group, int size) {
    int count = 0;
    for (int i = 0; i < size; ++i)
        if (group[i]) count = i + 1;
    return count;
}
}  // namespace

void CPlayWndBottom::updateLayout() {
    Ui::CUiPlayerWndBottom& ui = m_ui;
    ui.m_pBtnExtend->hide();
    ui.m_pFrameExtendTop->setMaximumWidth(100000);
    const int L = GroupCount(m_leftGroup, kGroupSize);
    const int R = GroupCount(m_rightGroup, kGroupSize);

    // Take every placed widget out of the three rows; they are appended
    // again in their new order below.
    QHBoxLayout* rows[3] = {ui.hlayoutToolBtns, ui.hlayoutExtendTop, ui.hlayoutExtendBottom};
    for (QHBoxLayout* row : rows) {
        for (int i = 0; i < kGroupSize; ++i) {
            if (m_leftGroup[i]) row->removeWidget(m_leftGroup[i]);
            if (m_rightGroup[i]) row->removeWidget(m_rightGroup[i]);
        }
    }
    ui.hlayoutToolBtns->removeWidget(ui.m_pBtnExtend);
    ui.hlayoutToolBtns->removeItem(ui.horizontalSpacer);
    ui.hlayoutToolBtns->setSpacing(10);

    const int available = width() - 18;
    auto place = [&](QHBoxLayout* row, QWidget* w) {
        row->addWidget(w);
        w->show();
    };
    auto placeBeforeSpacer = [&](QHBoxLayout* row, QWidget* w) {
        row->insertWidget(row->count() - 1, w);
        w->show();
    };

    int result = -1;
    int w = 0;
    for (int i = 0; i < L; ++i) {
        QWidget* widget = m_leftGroup[i];
        if (!widget) continue;
        const int n = w + widget->width() + 1;
        if (n < available) {
            place(ui.hlayoutToolBtns, widget);
            w = n;
            continue;
        }
        result = i;
        if (i > 0 && w + ui.m_pBtnExtend->width() > available) {
            result = i - 1;
            if (m_leftGroup[i - 1]) ui.hlayoutToolBtns->removeWidget(m_leftGroup[i - 1]);
        }
        break;
    }
    ui.hlayoutToolBtns->addItem(ui.horizontalSpacer);
    if (result < 0) {
        for (int j = 0; j < R; ++j) {
            QWidget* widget = m_rightGroup[j];
            if (!widget) continue;
            const int n = w + widget->width() + 1;
            if (n <= available) {
                place(ui.hlayoutToolBtns, widget);
                w = n;
                continue;
            }
            result = 100 + j;
            if (j > 0 && w + ui.m_pBtnExtend->width() + 1 > available) {
                result = 100 + j - 1;
                if (m_rightGroup[j - 1]) ui.hlayoutToolBtns->removeWidget(m_rightGroup[j - 1]);
            }
            break;
        }
    }
    if (result >= 0) {
        ui.hlayoutToolBtns->addWidget(ui.m_pBtnExtend);
        ui.m_pBtnExtend->show();
    }
    setMinimumHeight(28);
    m_nLastOverflow = result;
    if (result < 0) return;

    int bottomWidth = 18;
    int topWidth = 18;
    if (result < 100) {
        ui.m_pFrameExtendBottom->show();
        for (int i = result; i < L; ++i) {
            if (!m_leftGroup[i]) continue;
            placeBeforeSpacer(ui.hlayoutExtendBottom, m_leftGroup[i]);
            bottomWidth += m_leftGroup[i]->minimumWidth() + 1;
        }
        for (int j = 0; j < R; ++j) {
            if (!m_rightGroup[j]) continue;
            placeBeforeSpacer(ui.hlayoutExtendTop, m_rightGroup[j]);
            topWidth += m_rightGroup[j]->minimumWidth() + 1;
        }
    } else {
        ui.m_pFrameExtendBottom->hide();
        for (int j = result - 100; j < R; ++j) {
            if (!m_rightGroup[j]) continue;
            placeBeforeSpacer(ui.hlayoutExtendTop, m_rightGroup[j]);
            topWidth += m_rightGroup[j]->minimumWidth() + 1;
        }
    }
    m_nExtendWidth = qMax(topWidth, bottomWidth);
    ui.hlayoutExtendTop->setContentsMargins(9, 1, 9, 1);
    if (bottomWidth >= 19) ui.hlayoutExtendBottom->setContentsMargins(9, 1, 9, 1);
    const int panelHeight = bottomWidth >= 19 ? 57 : 31;
    ui.m_pFrameExtend->resize(m_nExtendWidth, panelHeight);
    m_pExtendWnd->resize(m_nExtendWidth, panelHeight);
}

bool CPlayWndBottom::isCursorInExtendWnd() const {
    if (!m_pExtendWnd->isActiveWindow()) return false;
    return m_pExtendWnd->rect().contains(m_pExtendWnd->mapFromGlobal(QCursor::pos()));
}

void CPlayWndBottom::ShowExtendWnd() {
    m_pExtendWnd->setFocus();
    const QRect button(m_ui.m_pBtnExtend->mapTo(this, QPoint(0, 0)), m_ui.m_pBtnExtend->size());
    const QPoint wanted = mapToGlobal(QPoint(button.right() - m_pExtendWnd->width(), button.bottom()));
    const QRect fitted = FitRectToScreen(QRect(wanted, m_pExtendWnd->size()), this);
    if (fitted.topLeft() == wanted)
        m_pExtendWnd->move(wanted);
    else
        m_pExtendWnd->move(fitted.topLeft() - QPoint(0, height()));
    m_pExtendWnd->show();
}

bool CPlayWndBottom::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pExtendWnd) {
        switch (event->type()) {
        case QEvent::FocusOut:
            m_pExtendWnd->hide();
            return true;
        case QEvent::Enter:
            m_nCursorInExtend = 1;
            break;
        case QEvent::Leave:
            m_nCursorInExtend = 0;
            m_pExtendWnd->hide();
            if (!rect().contains(mapFromGlobal(QCursor::pos()))) hide();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CPlayWndBottom::resizeEvent(QResizeEvent* event) {
    if (event->size().width() != event->oldSize().width()) updateLayout();
    QWidget::resizeEvent(event);
}

void CPlayWndBottom::hideEvent(QHideEvent* event) {
    m_pExtendWnd->hide();
    QFrame::hideEvent(event);
}
