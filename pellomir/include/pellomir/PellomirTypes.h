// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * Pellomir: the records of the disk file library's interface.
 *
 * DVR_FILE_TIME: the date-time the exports take and give.
 * DVR_FILE_VEH_META_INFO: the vehicle-data record of one moment (GPS, speed,
 * G-sensor samples, vehicle state) that DVR_FILE_FindNextVeh fills, and
 * DVR_FILE_RUN_INFO, its GPS and motion part.
 *
 * The byte layouts are a contract with the library's callers, among them the
 * viewer, which fills the same vehicle-data record from the private data
 * blocks of a stream: 564 bytes, little-endian, no padding; every byte that a
 * writer does not set is zero. Plain C; this header needs nothing but the C
 * standard headers.
 */
#ifndef PELLOMIR_PELLOMIRTYPES_H
#define PELLOMIR_PELLOMIRTYPES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Date-time of the interface: full year, month 1..12, day, hour, minute,
 * second. */
typedef struct DVR_FILE_TIME {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
} DVR_FILE_TIME;

/* GPS and motion part: bytes 216..383 of DVR_FILE_VEH_META_INFO (offsets
 * below are from the start of that record). */
typedef struct DVR_FILE_RUN_INFO {
    uint32_t gpsValid;            /* 216: 1 when the GPS fields are filled */
    uint32_t longitude;           /* 220: 1/360000 degree */
    uint32_t latitude;            /* 224: 1/360000 degree */
    char longitudeHemisphere;     /* 228: 'E' or 'W' */
    char latitudeHemisphere;      /* 229: 'N' or 'S' */
    char locateMode;              /* 230: positioning-mode letter, 0 when absent */
    uint8_t satelliteCount;       /* 231 */
    uint32_t speed;               /* 232: 1/100000 km/h */
    int32_t heading;              /* 236: 1/100 degree, -1 when none */
    uint16_t gpsWord1;            /* 240 */
    uint16_t gpsWord2;            /* 242 */
    uint32_t gSensorScale;        /* 244: sample units per g, 0 = no G-sensor data */
    int16_t gSensorX[10];         /* 248: oldest first */
    int16_t gSensorY[10];         /* 268 */
    int16_t gSensorZ[10];         /* 288 */
    int16_t gSensorExtra[4];      /* 308 */
    uint8_t gSensorBlock[24];     /* 316 */
    uint32_t stateValid;          /* 340: 1 when the state bytes are filled */
    uint32_t stateWord;           /* 344 */
    uint8_t leftLight;            /* 348: non-zero = on */
    uint8_t rightLight;           /* 349 */
    uint8_t brake;                /* 350 */
    uint8_t alarm;                /* 351 */
    uint8_t reverse;              /* 352 */
    uint8_t reserved[31];         /* 353 */
} DVR_FILE_RUN_INFO;

typedef struct DVR_FILE_VEH_META_INFO {
    char headerText[8];           /* 0 */
    uint32_t flagE;               /* 8 */
    uint32_t time;                /* 12: seconds since 1970, recorder clock taken as UTC */
    char text1[32];               /* 16 */
    char text2[32];               /* 48 */
    uint32_t fileByte5;           /* 80 */
    uint32_t fileByte6;           /* 84 */
    uint8_t reserved1[32];        /* 88 */
    char segmentText1[32];        /* 120 */
    char segmentText2[16];        /* 152 */
    char segmentText3[16];        /* 168 */
    char segmentText4[16];        /* 184 */
    uint8_t reserved2[16];        /* 200 */
    DVR_FILE_RUN_INFO runInfo;    /* 216 */
    uint32_t fileWord1;           /* 384 */
    uint32_t fileWord2;           /* 388 */
    uint8_t fileBits[5];          /* 392: bits 0..4 of an item word, 0 or 1 each */
    uint8_t reserved3[19];        /* 397 */
    union {                       /* 416 */
        char tailText[32];        /* vehicle-data file reader */
        int32_t signedValue;      /* stream parser: 10000 = absent */
    };
    uint8_t itemBlock[116];       /* 448 */
} DVR_FILE_VEH_META_INFO;

#ifdef __cplusplus
}
#endif

/* The layouts, checked wherever the header is compiled (C11 and C++). */
#if defined(__cplusplus)
#define PELLOMIR_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define PELLOMIR_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#ifdef PELLOMIR_STATIC_ASSERT
PELLOMIR_STATIC_ASSERT(sizeof(DVR_FILE_TIME) == 24, "DVR_FILE_TIME is 24 bytes");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_TIME, second) == 20, "second");
PELLOMIR_STATIC_ASSERT(sizeof(DVR_FILE_RUN_INFO) == 168, "DVR_FILE_RUN_INFO is 168 bytes");
PELLOMIR_STATIC_ASSERT(sizeof(DVR_FILE_VEH_META_INFO) == 564, "DVR_FILE_VEH_META_INFO is 564 bytes");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, flagE) == 8, "flagE");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, time) == 12, "time");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, text1) == 16, "text1");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, text2) == 48, "text2");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, fileByte5) == 80, "fileByte5");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, fileByte6) == 84, "fileByte6");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, segmentText1) == 120, "segmentText1");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, segmentText2) == 152, "segmentText2");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, segmentText3) == 168, "segmentText3");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, segmentText4) == 184, "segmentText4");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo) == 216, "runInfo");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.longitude) == 220, "longitude");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.latitude) == 224, "latitude");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.longitudeHemisphere) == 228, "longitudeHemisphere");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.satelliteCount) == 231, "satelliteCount");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.speed) == 232, "speed");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.heading) == 236, "heading");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gpsWord1) == 240, "gpsWord1");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gpsWord2) == 242, "gpsWord2");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gSensorScale) == 244, "gSensorScale");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gSensorX) == 248, "gSensorX");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gSensorY) == 268, "gSensorY");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gSensorZ) == 288, "gSensorZ");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gSensorExtra) == 308, "gSensorExtra");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.gSensorBlock) == 316, "gSensorBlock");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.stateValid) == 340, "stateValid");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.stateWord) == 344, "stateWord");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.leftLight) == 348, "leftLight");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, runInfo.reverse) == 352, "reverse");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, fileWord1) == 384, "fileWord1");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, fileWord2) == 388, "fileWord2");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, fileBits) == 392, "fileBits");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, tailText) == 416, "tailText");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, signedValue) == 416, "signedValue");
PELLOMIR_STATIC_ASSERT(offsetof(DVR_FILE_VEH_META_INFO, itemBlock) == 448, "itemBlock");
#undef PELLOMIR_STATIC_ASSERT
#endif

#endif /* PELLOMIR_PELLOMIRTYPES_H */
