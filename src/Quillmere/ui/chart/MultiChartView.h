// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawing surface of the multi-row time slider: a frame that is also a
// chart panel. It renders the panel into an off-screen pixmap when asked
// (any custom event, a resize, a scroll) and paints only that pixmap and the
// cursor line with the cursor time over it.
#include <QBasicTimer>
#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QStringList>

#include "ChartLayer.h"

class QScrollBar;
class QToolButton;

class CMultiChartView : public QFrame, public CAxisPanel {
    Q_OBJECT
public:
    explicit CMultiChartView(QWidget* parent = nullptr);
    ~CMultiChartView() override;

    // Renders the panel into the off-screen pixmap and schedules a paint.
    void redraw();
    void setCursorText(const QString& text);
    QString cursorText() const { return m_cursorText; }
    void setRowCount(int n);
    int rowCount() const { return m_rowCount; }
    void setRowNames(const QStringList& names) { m_rowNames = names; }
    QStringList rowNames() const { return m_rowNames; }

    const QPixmap& pixmap() const { return m_pixmap; }
    // How many times the pixmap was rendered (for checks of repaint requests).
    int redrawCount() const { return m_redrawCount; }
    QScrollBar* scrollBar() const { return m_scrollBar; }
    QRect cursorTextRect() const { return m_cursorTextRect; }

signals:
    void SignalZoomIn();
    void SignalZoomOut();
    void SignalDelayRelease();
    void SignalMoveRight();
    void SignalMoveLeft();

public slots:
    void OnSlotValueChanged(int value);

protected:
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap m_pixmap;
    QRect m_cursorTextRect;
    QToolButton* m_moveLeft = nullptr;
    QToolButton* m_moveRight = nullptr;
    QToolButton* m_zoomIn = nullptr;
    QToolButton* m_zoomOut = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    QStringList m_rowNames;
    QString m_cursorText;
    QBasicTimer m_timer;
    int m_rowCount = 0;
    int m_redrawCount = 0;
};
