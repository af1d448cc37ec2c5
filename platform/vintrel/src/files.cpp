// SPDX-License-Identifier: GPL-3.0-or-later
#include "files.h"

#include <QBuffer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>


#include "container.h"
#include "demux.h"
#include "port.h"
#include "wincompat/drives.h"

namespace vintrel {

int64_t RecorderSeconds(int year, int month, int day, int hour, int minute, int second) {
    // days from civil (proleptic Gregorian)
    int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = static_cast<unsigned>((153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    int64_t days = int64_t(era) * 146097 + int64_t(doe) - 719468;
    return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

namespace {

constexpr size_t kScanWindow = 2 * 1024 * 1024;

bool IsStreamHeader(const uint8_t* p) {
    recstream::StreamHeader h;
    std::memcpy(&h, p, sizeof h);
    return std::memcmp(h.magic, "QRS1", 4) == 0 && h.version == 1 && h.headerSize == recstream::kHeaderSize;
}

size_t ReadAt(std::ifstream& in, uint64_t offset, std::vector<uint8_t>* buf) {
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(reinterpret_cast<char*>(buf->data()), static_cast<std::streamsize>(buf->size()));
    return static_cast<size_t>(in.gcount());
}

// Offset of the last stream header of a recorder file: a file joined from
// several recordings carries one before each of them. Reads the file from
// its end backwards, one window at a time.
uint64_t LastHeaderOffset(std::ifstream& in, uint64_t fileSize, std::vector<uint8_t>* buf) {
    const size_t overlap = recstream::kHeaderSize - 1;
    uint64_t end = fileSize;
    while (end > recstream::kHeaderSize) {
        const uint64_t from = end > buf->size() + recstream::kHeaderSize ? end - buf->size() : recstream::kHeaderSize;
        const size_t got = ReadAt(in, from, buf);
        const size_t usable = static_cast<size_t>(std::min<uint64_t>(got, end - from));
        size_t left = usable;
        while (const void* hit = memrchr(buf->data(), 'Q', left)) {
            const size_t i = static_cast<size_t>(static_cast<const uint8_t*>(hit) - buf->data());
            if (i + recstream::kHeaderSize <= got && IsStreamHeader(buf->data() + i)) return from + i;
            left = i;
        }
        if (from == recstream::kHeaderSize) break;
        end = from + overlap;
    }
    return 0;
}

// Recorder milliseconds of the earliest (`first`) or latest video frame of
// the units handed out by `demux`, on the clock of `header`; a stream header
// met among the units starts a new clock. False when no video unit was seen.
bool FrameTime(PsDemux* demux, recstream::StreamHeader* header, bool first, int64_t* ms) {
    PesUnit u;
    bool any = false;
    int64_t best = 0;
    while (demux->Next(&u)) {
        if (u.streamId == kUnitStreamHeader) {
            if (first && any) break;   // the first recording ends here
            std::memcpy(header, u.data, sizeof *header);
            any = false;
            continue;
        }
        if (u.streamId < 0xE0 || u.streamId > 0xEF || !u.hasPts) continue;
        const int64_t t = int64_t(header->startTime) * 1000 + int64_t(u.pts / 90);
        if (!any || (first ? t < best : t > best)) best = t;
        any = true;
    }
    *ms = best;
    return any;
}

// First and last frame time of a recorder file, in recorder milliseconds.
bool ScanRawTimes(const std::string& path, uint64_t fileSize, const recstream::StreamHeader& head, int64_t* first,
                  int64_t* last) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> buf(kScanWindow);
    recstream::StreamHeader clock = head;
    PsDemux demux;
    demux.Feed(buf.data(), ReadAt(in, recstream::kHeaderSize, &buf));
    if (!FrameTime(&demux, &clock, true, first)) return false;

    const uint64_t lastHeader = LastHeaderOffset(in, fileSize, &buf);
    clock = head;
    uint64_t from = recstream::kHeaderSize;
    if (lastHeader > 0) {
        ReadAt(in, lastHeader, &buf);
        std::memcpy(&clock, buf.data(), sizeof clock);
        from = lastHeader + recstream::kHeaderSize;
    }
    if (fileSize > kScanWindow && fileSize - kScanWindow > from) from = fileSize - kScanWindow;
    PsDemux tail;
    tail.Feed(buf.data(), ReadAt(in, from, &buf));
    if (!FrameTime(&tail, &clock, false, last)) *last = *first;
    if (*last < *first) *last = *first;
    return true;
}

}  // namespace

uint32_t ReadFileTimes(const char* path, FileTimes* out) {
    std::string mapped = wincompat::MapPath(path);
    out->mappedPath = mapped;
    FILE* f = std::fopen(mapped.c_str(), "rb");
    if (!f) return OSTRUM_ERR_FILE_OPEN;
    unsigned char head[recstream::kHeaderSize] = {};
    size_t got = std::fread(head, 1, sizeof head, f);
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    int64_t first = 0, last = 0;
    if (got == sizeof head && std::memcmp(head, "QRS1", 4) == 0) {
        std::memcpy(&out->header, head, sizeof head);
        if (!ScanRawTimes(mapped, static_cast<uint64_t>(size), out->header, &first, &last)) return OSTRUM_ERR_FILE_OPEN;
        out->raw = true;
    } else {
        ContainerReader reader;
        const uint32_t err = reader.Open(mapped);
        if (err != OSTRUM_ERR_NONE) return err;
        uint64_t a = 0, b = 0;
        if (!reader.FrameSpan(&a, &b)) return OSTRUM_ERR_FILE_OPEN;
        out->raw = false;
        out->header = reader.Header();
        first = int64_t(out->header.startTime) * 1000 + int64_t(a / 90);
        last = int64_t(out->header.startTime) * 1000 + int64_t(b / 90);
    }
    out->firstMs = first;
    RecorderSecondsToFields(first / 1000, &out->first);
    RecorderSecondsToFields(last / 1000, &out->last);
    return OSTRUM_ERR_NONE;
}

QByteArray EncodeImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (!rgb.save(&buffer, format, std::strcmp(format, "JPG") == 0 ? 90 : -1)) return QByteArray();
    return bytes;
}

QImage ImageFromBuffer(const char* buffer, int size, int width, int height, int type) {
    if (!buffer || width <= 0 || height <= 0) return QImage();
    if (type == OSTRUM_PIC_RGB32) {
        if (size < width * height * 4) return QImage();
        return QImage(reinterpret_cast<const uchar*>(buffer), width, height, width * 4, QImage::Format_RGB32).copy();
    }
    if (type == OSTRUM_PIC_I420) {
        if ((width & 1) || (height & 1) || size < width * height * 3 / 2) return QImage();
        QImage img(width, height, QImage::Format_RGB32);
        const uint8_t* y = reinterpret_cast<const uint8_t*>(buffer);
        const uint8_t* u = y + width * height;
        const uint8_t* v = u + width * height / 4;
        for (int r = 0; r < height; ++r) {
            QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(r));
            for (int c = 0; c < width; ++c) {
                int Y = y[r * width + c] - 16, U = u[(r / 2) * (width / 2) + c / 2] - 128,
                    V = v[(r / 2) * (width / 2) + c / 2] - 128;
                auto clip = [](int x) { return x < 0 ? 0 : x > 255 ? 255 : x; };
                line[c] = qRgb(clip((298 * Y + 409 * V + 128) >> 8), clip((298 * Y - 100 * U - 208 * V + 128) >> 8),
                               clip((298 * Y + 516 * U + 128) >> 8));
            }
        }
        return img;
    }
    return QImage();
}

bool WriteImageFile(const QImage& image, const char* format, const char* path) {
    if (image.isNull() || !path || !*path) return false;
    QByteArray bytes = EncodeImage(image, format);
    if (bytes.isEmpty()) return false;
    QFile file(QString::fromLocal8Bit(wincompat::MapPath(path).c_str()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.close();
        file.remove();
        return false;
    }
    return true;
}

#ifdef VINTREL_WITH_RECSTREAM
bool KeyFits(const recstream::StreamHeader& header, const std::string& key) {
    return recstream::KeyCheck(key) == header.keyCheck;
}
void Decipher(const recstream::StreamHeader& header, const std::string& key, uint8_t streamId, uint64_t pts,
              uint8_t* data, size_t size) {
    recstream::CipherPayload(header, key, streamId, pts, data, size);
}
#else
// Built without the stream format library: enciphered streams cannot be read.
bool KeyFits(const recstream::StreamHeader&, const std::string&) { return false; }
void Decipher(const recstream::StreamHeader&, const std::string&, uint8_t, uint64_t, uint8_t*, size_t) {}
#endif

}  // namespace vintrel
