#include "files.h"

#include <QBuffer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

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

// First and last pack clock of a recorder file.
bool ScanRawTimes(const std::string& path, uint64_t fileSize, uint64_t* firstScr, uint64_t* lastScr) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const size_t window = 2 * 1024 * 1024;
    std::vector<uint8_t> buf(window);
    in.seekg(static_cast<std::streamoff>(recstream::kHeaderSize));
    in.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(window));
    size_t got = static_cast<size_t>(in.gcount());
    PsDemux head;
    head.Feed(buf.data(), got);
    PesUnit u;
    if (!head.Next(&u)) return false;
    *firstScr = u.scr;
    *lastScr = u.scr;
    uint64_t from = fileSize > window + recstream::kHeaderSize ? fileSize - window : recstream::kHeaderSize;
    in.clear();
    in.seekg(static_cast<std::streamoff>(from));
    in.read(reinterpret_cast<char*>(buf.data()), static_cast<std::streamsize>(window));
    got = static_cast<size_t>(in.gcount());
    PsDemux tail;
    tail.Feed(buf.data(), got);
    while (tail.Next(&u))
        if (u.scr > *lastScr) *lastScr = u.scr;
    return true;
}

bool ParseDigits(const char* s, int count, int* out) {
    int v = 0;
    for (int i = 0; i < count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    *out = v;
    return true;
}

// "recorder_start=YYYYMMDDhhmmss" in a comment, or an ISO creation time.
bool ContainerStart(AVFormatContext* fmt, int64_t* seconds) {
    AVDictionaryEntry* e = av_dict_get(fmt->metadata, "comment", nullptr, 0);
    if (e && e->value) {
        const char* p = std::strstr(e->value, "recorder_start=");
        int f[6];
        if (p) {
            p += std::strlen("recorder_start=");
            if (std::strlen(p) >= 14 && ParseDigits(p, 4, &f[0]) && ParseDigits(p + 4, 2, &f[1]) &&
                ParseDigits(p + 6, 2, &f[2]) && ParseDigits(p + 8, 2, &f[3]) && ParseDigits(p + 10, 2, &f[4]) &&
                ParseDigits(p + 12, 2, &f[5])) {
                *seconds = RecorderSeconds(f[0], f[1], f[2], f[3], f[4], f[5]);
                return true;
            }
        }
    }
    AVDictionaryEntry* c = av_dict_get(fmt->metadata, "creation_time", nullptr, 0);
    for (unsigned i = 0; !c && i < fmt->nb_streams; ++i) c = av_dict_get(fmt->streams[i]->metadata, "creation_time", nullptr, 0);
    if (c && c->value && std::strlen(c->value) >= 19) {
        const char* p = c->value;  // YYYY-MM-DDThh:mm:ss
        int f[6];
        if (ParseDigits(p, 4, &f[0]) && ParseDigits(p + 5, 2, &f[1]) && ParseDigits(p + 8, 2, &f[2]) &&
            ParseDigits(p + 11, 2, &f[3]) && ParseDigits(p + 14, 2, &f[4]) && ParseDigits(p + 17, 2, &f[5])) {
            *seconds = RecorderSeconds(f[0], f[1], f[2], f[3], f[4], f[5]);
            return true;
        }
    }
    return false;
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
    if (got == sizeof head && std::memcmp(head, "QRS1", 4) == 0) {
        std::memcpy(&out->header, head, sizeof head);
        uint64_t firstScr = 0, lastScr = 0;
        if (!ScanRawTimes(mapped, static_cast<uint64_t>(size), &firstScr, &lastScr)) return OSTRUM_ERR_FILE_OPEN;
        out->raw = true;
        RecorderSecondsToFields(int64_t(out->header.startTime) + int64_t(firstScr / 90000), &out->first);
        RecorderSecondsToFields(int64_t(out->header.startTime) + int64_t(lastScr / 90000), &out->last);
        return OSTRUM_ERR_NONE;
    }
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, mapped.c_str(), nullptr, nullptr) < 0) return OSTRUM_ERR_UNSUPPORTED;
    uint32_t result = OSTRUM_ERR_NONE;
    int64_t start = 0;
    if (avformat_find_stream_info(fmt, nullptr) < 0) {
        result = OSTRUM_ERR_FILE_OPEN;
    } else if (!ContainerStart(fmt, &start)) {
        result = OSTRUM_ERR_NO_TIME;
    } else {
        int64_t offset = fmt->start_time != AV_NOPTS_VALUE && fmt->start_time > 0 ? fmt->start_time / AV_TIME_BASE : 0;
        int64_t duration = fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0 ? fmt->duration / AV_TIME_BASE : 0;
        out->raw = false;
        RecorderSecondsToFields(start + offset, &out->first);
        RecorderSecondsToFields(start + offset + duration, &out->last);
    }
    avformat_close_input(&fmt);
    return result;
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
