// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recorder time: the recorder's wall clock, counted in seconds from its
// 1970-01-01 00:00:00 as if that clock were UTC. It never passes through
// this machine's time zone: every second a recorder wrote (the hour a
// daylight-saving change here skips or repeats included) has its one value,
// and consecutive clock seconds are consecutive values. Records, spans,
// names and cuts all count it (StringToTime, TimeToString and
// PackedTimeToTime of CommonHelpers.h read and write it too).
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdint>
#include <ctime>

#include "RbsDateTime.h"

// Recorder time of clock fields; fields out of range carry into the next
// larger field (31 February is 2 March, hour 24 the next day).
time_t RecorderSecondsOf(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute, int64_t second);

// Recorder time on screen: a QDateTime in Qt::UTC whose date and time are
// the recorder's clock fields. Date-time editors that show recorder time
// are set to Qt::UTC as well.
QDateTime RecorderDateTime(time_t t);
// The recorder time of the date and time a QDateTime shows, whatever its
// time spec; -1 when it is invalid.
time_t RecorderTime(const QDateTime& shown);
time_t RecorderTime(const QDate& date, const QTime& time);

// The clock fields of recorder time `t`.
RbsDateTime RecorderFields(time_t t);
