// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/datetimeedit.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace ziraz {

namespace {
const char* const kDateTimeFormat = "yyyy-MM-dd hh:mm:ss";
const char* const kDateFormat = "yyyy-MM-dd";

// The editors show and give clock readings without a time zone (Qt::UTC):
// every reading of a clock is a time, also those a daylight-saving change of
// this machine skips or repeats.
QDateTime ClockReading(const QDateTime& t) { return t.isValid() ? QDateTime(t.date(), t.time(), Qt::UTC) : t; }
}  // namespace

DateTimeEdit::DateTimeEdit(QWidget* parent) : DateTimeEdit(QDateTime::currentDateTime(), parent) {}

DateTimeEdit::DateTimeEdit(const QDateTime& value, QWidget* parent) : QDateTimeEdit(ClockReading(value), parent) {
    setTimeSpec(Qt::UTC);
    setDateTime(ClockReading(value));
    setDisplayFormat(QLatin1String(kDateTimeFormat));
    setCalendarPopup(true);
}

RangeDateTimeEdit::RangeDateTimeEdit(QWidget* parent) : FancyLineEdit(parent) {
    setReadOnly(true);
    const QDate today = QDate::currentDate();
    m_start = QDateTime(today, QTime(0, 0, 0), Qt::UTC);
    m_end = QDateTime(today, QTime(23, 59, 59), Qt::UTC);
    updateText();
    connect(this, &FancyLineEdit::SignalButtonClicked, this, &RangeDateTimeEdit::onButtonClicked);
}

void RangeDateTimeEdit::getDateTimeRange(QDateTime& start, QDateTime& end) const {
    start = m_start;
    end = m_end;
}

void RangeDateTimeEdit::setDateTimeRange(const QDateTime& start, const QDateTime& end) {
    if (!start.isValid() || !end.isValid()) return;
    m_start = ClockReading(start);
    m_end = ClockReading(end);
    if (m_end < m_start) std::swap(m_start, m_end);
    updateText();
    if (m_popupStart) {
        m_popupStart->setDateTime(m_start);
        m_popupEnd->setDateTime(m_end);
    }
}

void RangeDateTimeEdit::setDayMarkColor(const QDate& day, const QColor& color) {
    if (!day.isValid()) return;
    m_marks.insert(day, color);
    applyMarks();
}

void RangeDateTimeEdit::removeAllDayMarkByColor(const QColor& color) {
    for (auto it = m_marks.begin(); it != m_marks.end();) {
        if (it.value() == color) {
            if (m_calendar) m_calendar->setDateTextFormat(it.key(), QTextCharFormat());
            it = m_marks.erase(it);
        } else {
            ++it;
        }
    }
    applyMarks();
}

QWidget* RangeDateTimeEdit::popup() {
    if (m_popup) return m_popup;
    m_popup = new QWidget(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("RangeDateTimeEdit_Popup"));
    QVBoxLayout* layout = new QVBoxLayout(m_popup);
    m_calendar = new QCalendarWidget(m_popup);
    layout->addWidget(m_calendar);
    m_popupStart = new DateTimeEdit(m_start, m_popup);
    m_popupEnd = new DateTimeEdit(m_end, m_popup);
    m_popupStart->setCalendarPopup(false);
    m_popupEnd->setCalendarPopup(false);
    layout->addWidget(m_popupStart);
    layout->addWidget(m_popupEnd);
    QPushButton* ok = new QPushButton(tr("OK"), m_popup);
    layout->addWidget(ok);
    // A day picked in the calendar becomes the day of the range, times kept.
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](const QDate& day) {
        m_popupStart->setDate(day);
        m_popupEnd->setDate(day);
    });
    connect(ok, &QPushButton::clicked, this, [this]() {
        acceptPopupRange();
        m_popup->hide();
    });
    applyMarks();
    return m_popup;
}

void RangeDateTimeEdit::acceptPopupRange() {
    if (!m_popupStart) return;
    QDateTime start = m_popupStart->dateTime();
    QDateTime end = m_popupEnd->dateTime();
    if (end < start) std::swap(start, end);
    if (start == m_start && end == m_end) return;
    m_start = start;
    m_end = end;
    updateText();
    emit signalDataTimeChanged(m_start, m_end);
}

QString RangeDateTimeEdit::formatText(const QDateTime& start, const QDateTime& end) {
    return start.toString(QLatin1String(kDateTimeFormat)) + QStringLiteral(" - ") +
           end.toString(QLatin1String(kDateTimeFormat));
}

void RangeDateTimeEdit::onButtonClicked(int side) {
    Q_UNUSED(side);
    QWidget* p = popup();
    m_popupStart->setDateTime(m_start);
    m_popupEnd->setDateTime(m_end);
    m_calendar->setSelectedDate(m_start.date());
    p->adjustSize();
    p->move(mapToGlobal(QPoint(0, height())));
    p->show();
}

void RangeDateTimeEdit::updateText() {
    setText(formatText(m_start, m_end));
    setCursorPosition(0);  // what does not fit is cut at the end, not at the start
    updateGeometry();
    fitTextToWidth();
}

void RangeDateTimeEdit::applyMarks() {
    if (!m_calendar) return;
    for (auto it = m_marks.constBegin(); it != m_marks.constEnd(); ++it) {
        QTextCharFormat format;
        format.setForeground(it.value());
        format.setFontUnderline(true);
        m_calendar->setDateTextFormat(it.key(), format);
    }
}

RangeDateEdit::RangeDateEdit(QWidget* parent) : FancyLineEdit(parent) {
    setReadOnly(true);
    m_first = m_last = QDate::currentDate();
    updateText();
    connect(this, &FancyLineEdit::SignalButtonClicked, this, &RangeDateEdit::onButtonClicked);
}

void RangeDateEdit::GetDateRange(QDate& first, QDate& last) const {
    first = m_first;
    last = m_last;
}

void RangeDateEdit::SetDateRange(const QDate& first, const QDate& last) {
    if (!first.isValid() || !last.isValid()) return;
    m_first = first;
    m_last = last;
    if (m_last < m_first) std::swap(m_first, m_last);
    updateText();
}

void RangeDateEdit::onButtonClicked(int side) {
    Q_UNUSED(side);
    // Two clicks in the calendar choose the first and the last day.
    QCalendarWidget* calendar = new QCalendarWidget(this);
    calendar->setWindowFlags(Qt::Popup);
    calendar->setAttribute(Qt::WA_DeleteOnClose);
    calendar->setSelectedDate(m_first);
    auto picked = std::make_shared<QDate>();
    connect(calendar, &QCalendarWidget::clicked, this, [this, calendar, picked](const QDate& day) {
        if (!picked->isValid()) {
            *picked = day;
            return;
        }
        SetDateRange(*picked, day);
        emit SignalDateRangeChanged(m_first, m_last);
        calendar->close();
    });
    calendar->move(mapToGlobal(QPoint(0, height())));
    calendar->show();
}

void RangeDateEdit::updateText() {
    setText(m_first.toString(QLatin1String(kDateFormat)) + QStringLiteral(" - ") +
            m_last.toString(QLatin1String(kDateFormat)));
    setCursorPosition(0);
    updateGeometry();
    fitTextToWidth();
}

}  // namespace ziraz
