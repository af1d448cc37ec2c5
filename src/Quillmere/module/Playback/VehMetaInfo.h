/*
 * VEH_META_INFO: the vehicle-data record of one moment (GPS, speed, G-sensor
 * samples, vehicle state), and RUN_INFO, its GPS and motion part.
 *
 * The byte layout is a contract between the viewer (which fills the record
 * from the private data blocks of a stream) and the disk file library (which
 * fills it from the recorder's vehicle-data files and hands it out through its
 * C interface). 564 bytes, little-endian, no padding; every byte that a writer
 * does not set is zero.
 *
 * This header is plain C/C++ without Qt so that both sides, and C callers of
 * the disk file library, can include it. The Qt meta-type declaration lives in
 * VehicleData.h.
 */
#ifndef KEL_VEH_META_INFO_H
#define KEL_VEH_META_INFO_H

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#else
#include <stddef.h>
#include <stdint.h>
#endif

/* GPS and motion part: bytes 216..383 of VEH_META_INFO. */
typedef struct RUN_INFO {
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
} RUN_INFO;

typedef struct VEH_META_INFO {
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
    RUN_INFO runInfo;             /* 216 */
    uint32_t fileWord1;           /* 384 */
    uint32_t fileWord2;           /* 388 */
    uint8_t fileBits[5];          /* 392: bits 0..4 of an item word, 0 or 1 each */
    uint8_t reserved3[19];        /* 397 */
    union {                       /* 416 */
        char tailText[32];        /* file reader */
        int32_t signedValue;      /* stream parser: 10000 = absent */
    };
    uint8_t itemBlock[116];       /* 448 */
} VEH_META_INFO;

#ifdef __cplusplus
#define KEL_VEH_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define KEL_VEH_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

KEL_VEH_STATIC_ASSERT(sizeof(RUN_INFO) == 168, "RUN_INFO is 168 bytes");
KEL_VEH_STATIC_ASSERT(sizeof(VEH_META_INFO) == 564, "VEH_META_INFO is 564 bytes");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, flagE) == 8, "flagE");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, time) == 12, "time");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, text1) == 16, "text1");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, text2) == 48, "text2");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, fileByte5) == 80, "fileByte5");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, fileByte6) == 84, "fileByte6");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, segmentText1) == 120, "segmentText1");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, segmentText2) == 152, "segmentText2");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, segmentText3) == 168, "segmentText3");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, segmentText4) == 184, "segmentText4");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo) == 216, "runInfo");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.longitude) == 220, "longitude");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.latitude) == 224, "latitude");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.longitudeHemisphere) == 228, "longitudeHemisphere");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.satelliteCount) == 231, "satelliteCount");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.speed) == 232, "speed");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.heading) == 236, "heading");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gpsWord1) == 240, "gpsWord1");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gpsWord2) == 242, "gpsWord2");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gSensorScale) == 244, "gSensorScale");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gSensorX) == 248, "gSensorX");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gSensorY) == 268, "gSensorY");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gSensorZ) == 288, "gSensorZ");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gSensorExtra) == 308, "gSensorExtra");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.gSensorBlock) == 316, "gSensorBlock");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.stateValid) == 340, "stateValid");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.stateWord) == 344, "stateWord");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.leftLight) == 348, "leftLight");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, runInfo.reverse) == 352, "reverse");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, fileWord1) == 384, "fileWord1");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, fileWord2) == 388, "fileWord2");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, fileBits) == 392, "fileBits");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, tailText) == 416, "tailText");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, signedValue) == 416, "signedValue");
KEL_VEH_STATIC_ASSERT(offsetof(VEH_META_INFO, itemBlock) == 448, "itemBlock");

#undef KEL_VEH_STATIC_ASSERT

#endif /* KEL_VEH_META_INFO_H */
