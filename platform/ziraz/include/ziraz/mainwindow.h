// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Frameless main window with an input-blocking cover, and title-bar bases.
#include <QFrame>
#include <QMainWindow>
#include <QPoint>
#include <QSize>

class QLabel;
class QToolButton;

namespace ziraz {

// Frameless main window. enableCover() lays a translucent cover over the
// whole window that takes every mouse and key event until disableCover().
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    void enableCover();
    void disableCover();
    bool isCovered() const;
    QWidget* cover() const { return m_cover; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_cover = nullptr;
};

// Knows whether a window is maximised and the sizes it returns to.
class WidgetSizeFactory {
public:
    virtual ~WidgetSizeFactory() = default;
    // Minimum and maximum size given to the window when it is restored.
    void setRestoreSize(const QSize& minimum, const QSize& maximum);
    QSize restoreMinimumSize() const { return m_min; }
    QSize restoreMaximumSize() const { return m_max; }
    static bool isWindowMaximized(const QWidget* window);

protected:
    // Maximises or restores `window`.
    void toggleMaximized(QWidget* window);

private:
    QSize m_min;
    QSize m_max;
};

// Title-bar base. A double click toggles the window between maximised and
// normal (when enabled) and emits SignalDoubleClicked(); dragging the bar
// moves a normal window.
class FancyTitle : public QFrame, public WidgetSizeFactory {
    Q_OBJECT
public:
    explicit FancyTitle(QWidget* parent = nullptr);
    void SetOpenDoubleClickEnable(bool enable) { m_doubleClick = enable; }
    bool openDoubleClickEnabled() const { return m_doubleClick; }

public slots:
    // Does what a double click does to the window, without the signal.
    void OnImitateDoubleClick();

signals:
    void SignalDoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_doubleClick = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

// Title bar of the toolkit's dialogs: a title and a close button.
class BaseTitle : public QFrame {
    Q_OBJECT
public:
    explicit BaseTitle(QWidget* parent = nullptr);
    void setTitle(const QString& title);
    QString title() const;
    void setCloseButtonShow(bool show);
    bool closeButtonShown() const;
    QToolButton* closeButton() const { return m_close; }

signals:
    void SignalCloseClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* m_title;
    QToolButton* m_close;
    bool m_closeShown = true;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

}  // namespace ziraz
