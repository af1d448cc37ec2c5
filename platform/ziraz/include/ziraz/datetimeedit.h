// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Date and time editors of the toolkit.
#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QMap>

#include "ziraz/controls.h"

class QCalendarWidget;

namespace ziraz {

// Date-time editor in the toolkit's format, with a calendar pop-up. It edits
// a clock reading without a time zone: its time spec is Qt::UTC, and values
// given to setDateTime should be Qt::UTC date-times of the reading.
class DateTimeEdit : public QDateTimeEdit {
    Q_OBJECT
public:
    explicit DateTimeEdit(QWidget* parent = nullptr);
    explicit DateTimeEdit(const QDateTime& value, QWidget* parent = nullptr);
};

// A read-only line that shows a start and an end date-time ("start - end");
// its right-hand button opens a pop-up to choose both. Days of the pop-up's
// calendar can carry a colour mark.
class RangeDateTimeEdit : public FancyLineEdit {
    Q_OBJECT
public:
    explicit RangeDateTimeEdit(QWidget* parent = nullptr);

    // Start and end as last set or chosen, clock readings in Qt::UTC (the
    // date and time of what was set, whatever its spec). Both are valid from
    // construction on (today 00:00:00 to today 23:59:59).
    void getDateTimeRange(QDateTime& start, QDateTime& end) const;
    // Sets the range without emitting signalDataTimeChanged. An end before
    // the start is swapped with it.
    void setDateTimeRange(const QDateTime& start, const QDateTime& end);

    // Marks a day with a colour (one colour per day; a new mark replaces the
    // old one). An invalid date is ignored.
    void setDayMarkColor(const QDate& day, const QColor& color);
    // Removes every mark of that colour.
    void removeAllDayMarkByColor(const QColor& color);
    QMap<QDate, QColor> dayMarks() const { return m_marks; }

    // The pop-up (created on first use).
    QWidget* popup();
    // Takes the range of the pop-up's editors, as the pop-up's OK does:
    // stores it and emits signalDataTimeChanged when it changed.
    void acceptPopupRange();

    static QString formatText(const QDateTime& start, const QDateTime& end);

signals:
    void signalDataTimeChanged(const QDateTime& start, const QDateTime& end);

private slots:
    void onButtonClicked(int side);

private:
    void updateText();
    void applyMarks();

    QDateTime m_start;
    QDateTime m_end;
    QMap<QDate, QColor> m_marks;
    QWidget* m_popup = nullptr;
    QCalendarWidget* m_calendar = nullptr;
    DateTimeEdit* m_popupStart = nullptr;
    DateTimeEdit* m_popupEnd = nullptr;
};

// The same for whole days: a first and a last date.
class RangeDateEdit : public FancyLineEdit {
    Q_OBJECT
public:
    explicit RangeDateEdit(QWidget* parent = nullptr);

    void GetDateRange(QDate& first, QDate& last) const;
    // A last day before the first is swapped with it; invalid dates are ignored.
    void SetDateRange(const QDate& first, const QDate& last);

signals:
    void SignalDateRangeChanged(const QDate& first, const QDate& last);

private slots:
    void onButtonClicked(int side);

private:
    void updateText();
    QDate m_first;
    QDate m_last;
};

}  // namespace ziraz
