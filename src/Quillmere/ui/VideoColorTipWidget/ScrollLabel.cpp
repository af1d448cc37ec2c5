// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScrollLabel.h"

#include <QFontMetrics>
#include <QTimer>

ScrollLabel::ScrollLabel(QWidget* parent) : QLabel(parent), m_timer(new QTimer(this)) {
    connect(m_timer, &QTimer::timeout, this, &ScrollLabel::onUpdateText);
}

bool ScrollLabel::isTicking() const { return m_timer->isActive(); }

void ScrollLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    if (m_scrolls && !m_timer->isActive()) m_timer->start(kStepMs);
}

void ScrollLabel::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QLabel::hideEvent(event);
}

void ScrollLabel::setScrollText(const QString& text) {
    const QFontMetrics metrics(font());
    m_offset = 0;
    m_scrolls = metrics.horizontalAdvance(text) > width();
    if (!m_scrolls) {
        m_timer->stop();
        m_scrollText = text;
        setText(text);
        return;
    }
    m_scrollText = text + QStringLiteral("    ") + text;
    if (isVisible()) m_timer->start(kStepMs);
    // Shown whole; the label clips what does not fit.
    setText(metrics.elidedText(m_scrollText, Qt::ElideNone, width()));
}

void ScrollLabel::onUpdateText() {
    const int half = m_scrollText.length() / 2;
    if (half <= 0) {
        setText(QString());
        return;
    }
    ++m_offset;
    if (m_offset >= half) m_offset = 0;
    const QString part = m_scrollText.mid(m_offset, half);
    const QString elided = QFontMetrics(font()).elidedText(part, Qt::ElideRight, width());
    if (elided.isEmpty() || part.isEmpty()) {
        setText(QString());
        return;
    }
    // End in a real character of the text, never in the ellipsis.
    const int last = qMin(elided.length(), part.length()) - 1;
    setText(elided.left(last) + part.at(last));
}
