// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/mainwindow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace ziraz {

namespace {

// Translucent layer that swallows input while it is shown.
class CoverWidget : public QWidget {
public:
    explicit CoverWidget(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("ziraz_MainWindowCover"));
        setAttribute(Qt::WA_NoMousePropagation);
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::BusyCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 96));
    }
    bool event(QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
            e->accept();
            return true;
        default:
            return QWidget::event(e);
        }
    }
};

}  // namespace

MainWindow::MainWindow(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags | Qt::FramelessWindowHint | Qt::Window) {}

void MainWindow::enableCover() {
    if (!m_cover) m_cover = new CoverWidget(this);
    m_cover->setGeometry(rect());
    m_cover->raise();
    m_cover->show();
    m_cover->setFocus(Qt::OtherFocusReason);
}

void MainWindow::disableCover() {
    if (m_cover) m_cover->hide();
}

bool MainWindow::isCovered() const { return m_cover && !m_cover->isHidden(); }

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (m_cover) {
        m_cover->setGeometry(rect());
        if (!m_cover->isHidden()) m_cover->raise();
    }
}

void WidgetSizeFactory::setRestoreSize(const QSize& minimum, const QSize& maximum) {
    m_min = minimum;
    m_max = maximum;
}

bool WidgetSizeFactory::isWindowMaximized(const QWidget* window) {
    return window && (window->windowState() & Qt::WindowMaximized);
}

void WidgetSizeFactory::toggleMaximized(QWidget* window) {
    if (!window) return;
    if (isWindowMaximized(window)) {
        window->showNormal();
        if (m_min.isValid()) window->setMinimumSize(m_min);
        if (m_max.isValid()) window->setMaximumSize(m_max);
    } else {
        window->showMaximized();
    }
}

FancyTitle::FancyTitle(QWidget* parent) : QFrame(parent) {}

void FancyTitle::OnImitateDoubleClick() { toggleMaximized(window()); }

void FancyTitle::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_doubleClick) OnImitateDoubleClick();
        emit SignalDoubleClicked();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}

void FancyTitle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !isWindowMaximized(window())) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - window()->frameGeometry().topLeft();
    }
    QFrame::mousePressEvent(event);
}

void FancyTitle::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) window()->move(event->globalPos() - m_dragOffset);
    QFrame::mouseMoveEvent(event);
}

void FancyTitle::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}

BaseTitle::BaseTitle(QWidget* parent) : QFrame(parent), m_title(new QLabel(this)), m_close(new QToolButton(this)) {
    setObjectName(QStringLiteral("ziraz_BaseTitle"));
    setFixedHeight(36);
    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 0, 8, 0);
    m_title->setObjectName(QStringLiteral("ziraz_BaseTitle_Title"));
    m_close->setObjectName(QStringLiteral("ziraz_BaseTitle_Close"));
    m_close->setText(QStringLiteral("\u00D7"));
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_title);
    layout->addStretch(1);
    layout->addWidget(m_close);
    connect(m_close, &QToolButton::clicked, this, &BaseTitle::SignalCloseClicked);
}

void BaseTitle::setTitle(const QString& title) { m_title->setText(title); }

QString BaseTitle::title() const { return m_title->text(); }

void BaseTitle::setCloseButtonShow(bool show) {
    m_closeShown = show;
    m_close->setVisible(show);
}

bool BaseTitle::closeButtonShown() const { return m_closeShown; }

void BaseTitle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = event->globalPos() - window()->frameGeometry().topLeft();
    }
    QFrame::mousePressEvent(event);
}

void BaseTitle::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) window()->move(event->globalPos() - m_dragOffset);
    QFrame::mouseMoveEvent(event);
}

void BaseTitle::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}

}  // namespace ziraz
