// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File and picture helpers of the player library.
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>

#include "recstream/recstream.h"
#include "vintrel.h"

namespace vintrel {

struct FileTimes {
    bool raw = false;                   // a recorder file (else a container file)
    std::string mappedPath;             // the path on this machine
    // Recorder files: the first header. Container files: the header of the
    // stream their packets are re-wrapped into.
    recstream::StreamHeader header{};
    int64_t firstMs = 0;                // recorder milliseconds of the first frame
    OSTRUM_FILE_TIME first{};           // first and last frame, to the second
    OSTRUM_FILE_TIME last{};
};
// First and last frame time of a recorder or container file; OSTRUM_ERR_NONE
// or the error code.
uint32_t ReadFileTimes(const char* path, FileTimes* out);

// Seconds since 1970 of a civil date and time taken as UTC.
int64_t RecorderSeconds(int year, int month, int day, int hour, int minute, int second);

QByteArray EncodeImage(const QImage& image, const char* format);
// A display-callback picture as an image; null for a bad buffer.
QImage ImageFromBuffer(const char* buffer, int size, int width, int height, int type);
bool WriteImageFile(const QImage& image, const char* format, const char* path);

bool KeyFits(const recstream::StreamHeader& header, const std::string& key);
void Decipher(const recstream::StreamHeader& header, const std::string& key, uint8_t streamId, uint64_t pts,
              uint8_t* data, size_t size);

}  // namespace vintrel
