// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drawing surface of the single-row time slider: a frame that is also a
// chart panel, with a title, a cursor line and the cursor time. In the
// normal layout the move and zoom buttons are hidden; the large layout
// shows them at the right end.
#include <QBrush>
#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "ChartLayer.h"

class QPushButton;

class CChartView : public QFrame, public CAxisPanel {
    Q_OBJECT
public:
    explicit CChartView(QWidget* parent = nullptr);
    ~CChartView() override;

    void redraw();
    void showNormalLayout();
    void showMaxLayout();
    void setTitleText(const QString& text) { m_titleText = text; }
    QString titleText() const { return m_titleText; }
    void setCursorText(const QString& text) { m_cursorText = text; }
    QString cursorText() const { return m_cursorText; }

    int leftMargin() const { return m_leftMargin; }
    int rightMargin() const { return m_rightMargin; }
    const QPixmap& pixmap() const { return m_pixmap; }
    int redrawCount() const { return m_redrawCount; }

signals:
    void SignalZoomIn();
    void SignalZoomOut();
    void SignalMoveRight();
    void SignalMoveLeft();
    void SignalDelayRelease();

protected:
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setButtonsVisible(bool visible);

    QPixmap m_pixmap;
    QBrush m_background;
    QPushButton* m_moveLeft = nullptr;
    QPushButton* m_moveRight = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
    int m_leftMargin = 24;
    int m_rightMargin = 8;
    QString m_titleText;
    QString m_cursorText;
    QRect m_cursorTextRect;
    int m_redrawCount = 0;
};
