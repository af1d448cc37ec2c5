// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the device log: major and minor type names, event time, host
// address, channel and alarm numbers.
//
// The minor-type table is generated (LogTypeTable.inc, from the tables in
// tables/ by tools/tablegen/tablegen.py); its texts are translation keys of
// the context "QObject".
#include <QString>

#include <cstdint>
#include <vector>

struct LogMinorTypeRow {
    int major;
    int minor;
    const char* text;  // untranslated key
};

// Every (major, minor) pair that has a text, ascending by major then minor.
const std::vector<LogMinorTypeRow>& LogMinorTypeRows();
// Untranslated key of a pair; nullptr when the table has none.
const char* LogMinorTypeKey(int major, int minor);
// Untranslated key of a major type (1 "Alarm" .. 4 "Information"); nullptr otherwise.
const char* LogMajorTypeKey(int major);

class CLogTrans {
public:
    CLogTrans() = default;
    virtual ~CLogTrans() = default;

    // "YYYYMMDDhhmmss" -> "YYYY-MM-DD hh:mm:ss"; empty for null. At most 14
    // characters of the text are read.
    QString GetTimeText(const char* text) const;
    QString GetMajorTypeText(int major) const;
    QString GetMinorTypeText(int major, int minor) const;
    QString GetChannelText(int major, int minor, uint8_t channel) const;
    QString GetAlarmInText(int major, int minor, uint8_t alarmIn) const;
    QString GetAlarmOutText(int major, int minor, uint8_t alarmOut) const;
    // Dotted address, most significant byte first; empty for 0.0.0.0.
    QString GetIpText(int major, int minor, uint32_t address) const;
};
