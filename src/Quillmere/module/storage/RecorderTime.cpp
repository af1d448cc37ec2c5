// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecorderTime.h"

#include <cstring>

#include "recstream/recstream.h"

time_t RecorderSecondsOf(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second) {
    // The month into 1..12, the rest into the year.
    const int64_t m0 = month - 1;
    const int64_t carry = m0 >= 0 ? m0 / 12 : (m0 - 11) / 12;
    year += carry;
    const unsigned m = static_cast<unsigned>(m0 - carry * 12 + 1);
    const int64_t days = recstream::DaysFromCivil(year, m, 1) + day - 1;
    return static_cast<time_t>(((days * 24 + hour) * 60 + minute) * 60 + second);
}

QDateTime RecorderDateTime(time_t t) { return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t), Qt::UTC); }

time_t RecorderTime(const QDateTime& shown) {
    if (!shown.isValid()) return static_cast<time_t>(-1);
    const QDate d = shown.date();
    const QTime c = shown.time();
    return RecorderSecondsOf(d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second());
}

time_t RecorderTime(const QDate& date, const QTime& time) { return RecorderTime(QDateTime(date, time, Qt::UTC)); }

RbsDateTime RecorderFields(time_t t) {
    struct tm parts;
    std::memset(&parts, 0, sizeof(parts));
    gmtime_r(&t, &parts);
    RbsDateTime out;
    out.year = parts.tm_year + 1900;
    out.month = parts.tm_mon + 1;
    out.day = parts.tm_mday;
    out.hour = parts.tm_hour;
    out.minute = parts.tm_min;
    out.second = parts.tm_sec;
    return out;
}
