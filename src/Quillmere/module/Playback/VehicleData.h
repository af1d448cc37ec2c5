// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Vehicle data carried inside recorded streams: the record types (see
// VehMetaInfo.h for the byte layout), their Qt meta-type registration and the
// parser of the private text blocks that the player hands over.
#include "VehMetaInfo.h"

#include <QMetaType>
#include <QVector>
#include <cstddef>
#include <cstdint>

Q_DECLARE_METATYPE(VEH_META_INFO)
Q_DECLARE_METATYPE(RUN_INFO)
Q_DECLARE_METATYPE(QVector<RUN_INFO>)

// Registers VEH_META_INFO, RUN_INFO and QVector<RUN_INFO> with Qt's meta-type
// system under those names (needed for queued signals). Safe to call more than
// once and from any thread; it also runs once at program start.
void RegisterVehicleDataTypes();

// Work buffer of the parser: the (deciphered) text is cut to this size minus
// the terminating zero.
constexpr size_t kVehicleTextBufferSize = 1024;

// Parses one private data block (`length` bytes) into `info`. Plain blocks
// start with "$QORMOBILE"; any other block is enciphered after its second
// comma. Returns false only for an enciphered block without a second comma
// (the record is then left as it was); otherwise true with the record cleared
// and filled as far as the text allows.
bool ParseVehicleData(const char* block, int length, VEH_META_INFO* info);

// Deciphers `length` characters of vehicle text: groups of 16 characters, each
// one 8-byte DES block written as 16 half-byte characters ('@'+high,
// 'P'+low). Whole groups only, and never more than `outSize` bytes of output.
// Returns the number of bytes written.
size_t DecipherVehicleText(int length, const char* text, uint8_t* out, size_t outSize, const uint8_t key[8]);

// The n-th occurrence of `needle` in the zero-terminated `text`, each search
// going on after the end of the previous match; nullptr when there are fewer
// than n; `text` itself when n < 1.
const char* FindNthOccurrence(const char* text, const char* needle, int n);

// Seconds since 1970-01-01 of a civil time taken as UTC (day-count formula,
// modulo 2^32; fields are not validated).
uint32_t MakeUtcSeconds(int year, int month, int day, int hour, int minute, int second);
