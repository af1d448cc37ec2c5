// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm records that the alarm search hands to the alarm page: one body
// per event or driver-behaviour alarm, stamped with the channel that was
// being searched. Plain bytes, copied as a whole.
#include <QMetaType>

#include <cstdint>
#include <vector>

#pragma pack(push, 1)

// The layout of the recorder's 40-byte driver-behaviour block.
struct COMMON_MSG_BODY {
    uint32_t StartTime;     // seconds since 1970
    uint32_t EndTime;       // 0 reads as StartTime
    uint32_t Type;          // behaviour code 1..14, or the event's major type (4098, 4113, 4114)
    uint8_t Reserved[28];   // rest of a driver-behaviour block; zero for events
};

struct COMMON_MSG_INFO {
    int32_t Channel;        // channel of the search that delivered the record
    COMMON_MSG_BODY Body;
};

#pragma pack(pop)

static_assert(sizeof(COMMON_MSG_BODY) == 40, "alarm body is 40 bytes");
static_assert(sizeof(COMMON_MSG_INFO) == 44, "alarm record is 44 bytes");

Q_DECLARE_METATYPE(COMMON_MSG_BODY)
Q_DECLARE_METATYPE(COMMON_MSG_INFO)
Q_DECLARE_METATYPE(std::vector<COMMON_MSG_BODY>)
Q_DECLARE_METATYPE(std::vector<COMMON_MSG_INFO>)

// Registers "COMMON_MSG_BODY", "COMMON_MSG_INFO", "std::vector<COMMON_MSG_BODY>"
// and "std::vector<COMMON_MSG_INFO>" by name. Harmless to call again.
void RegisterAlarmRecordMetaTypes();
