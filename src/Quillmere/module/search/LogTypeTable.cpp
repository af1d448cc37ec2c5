// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogTypeTable.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "LogTypeTable.inc"

namespace {

QString Translate(const char* key) {
    return key ? QCoreApplication::translate("QObject", key) : QString();
}

bool IsChannelOperation(int minor) {
    return (minor >= 82 && minor <= 87) || (minor >= 114 && minor <= 119) || minor == 124 || minor == 125 ||
           minor == 127 || minor == 128 || minor == 129;
}

}  // namespace

const std::vector<LogMinorTypeRow>& LogMinorTypeRows() {
    static const std::vector<LogMinorTypeRow> rows(std::begin(kLogMinorTypeRows), std::end(kLogMinorTypeRows));
    return rows;
}

const char* LogMinorTypeKey(int major, int minor) {
    const auto& rows = LogMinorTypeRows();
    auto it = std::lower_bound(rows.begin(), rows.end(), std::make_pair(major, minor),
                               [](const LogMinorTypeRow& r, const std::pair<int, int>& k) {
                                   return std::make_pair(r.major, r.minor) < k;
                               });
    if (it == rows.end() || it->major != major || it->minor != minor) return nullptr;
    return it->text;
}

const char* LogMajorTypeKey(int major) {
    switch (major) {
    case 1: return QT_TRANSLATE_NOOP("QObject", "Alarm");
    case 2: return QT_TRANSLATE_NOOP("QObject", "Exception");
    case 3: return QT_TRANSLATE_NOOP("QObject", "Operation");
    case 4: return QT_TRANSLATE_NOOP("QObject", "Information");
    default: return nullptr;
    }
}

QString CLogTrans::GetTimeText(const char* text) const {
    if (!text) return QString();
    size_t n = 0;
    while (n < 14 && text[n] != '\0') ++n;
    QString s = QString::fromLatin1(text, static_cast<int>(n));
    static const struct {
        int pos;
        char sep;
    } kSeparators[] = {{4, '-'}, {7, '-'}, {10, ' '}, {13, ':'}, {16, ':'}};
    for (const auto& sep : kSeparators) {
        // A short text gets separators only between the characters it has.
        if (sep.pos < s.size()) s.insert(sep.pos, QLatin1Char(sep.sep));
    }
    return s;
}

QString CLogTrans::GetMajorTypeText(int major) const { return Translate(LogMajorTypeKey(major)); }

QString CLogTrans::GetMinorTypeText(int major, int minor) const {
    return Translate(LogMinorTypeKey(major, minor));
}

QString CLogTrans::GetChannelText(int major, int minor, uint8_t channel) const {
    const bool carries = (major == 1 && minor >= 3 && minor <= 6) || (major == 3 && IsChannelOperation(minor));
    return carries ? QString::number(channel) : QString();
}

QString CLogTrans::GetAlarmInText(int major, int minor, uint8_t alarmIn) const {
    return (major == 1 && minor == 1) ? QString::number(alarmIn) : QString();
}

QString CLogTrans::GetAlarmOutText(int major, int minor, uint8_t alarmOut) const {
    return (major == 1 && minor == 2) ? QString::number(alarmOut) : QString();
}

QString CLogTrans::GetIpText(int, int, uint32_t address) const {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%d.%d.%d.%d", static_cast<int>((address >> 24) & 0xFF),
                  static_cast<int>((address >> 16) & 0xFF), static_cast<int>((address >> 8) & 0xFF),
                  static_cast<int>(address & 0xFF));
    if (std::strcmp(buf, "0.0.0.0") == 0) return QString();
    return QString::fromLatin1(buf);
}
