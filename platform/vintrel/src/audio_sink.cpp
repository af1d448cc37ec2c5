// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio_sink.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QIODevice>
#include <QThread>
#include <algorithm>
#include <deque>
#include <mutex>

namespace vintrel {

namespace {

std::mutex g_mutex;
std::deque<uint8_t> g_pcm;
int g_owner = -1;
int g_available = -1;  // -1 unknown
QThread* g_thread = nullptr;
QAudioOutput* g_output = nullptr;  // lives on g_thread
qreal g_volume = 1.0;

// Pull-mode source of the output: hands out what is queued, silence else.
class PcmDevice : public QIODevice {
public:
    PcmDevice() { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 4096 + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        std::lock_guard<std::mutex> lk(g_mutex);
        qint64 n = std::min<qint64>(maxSize, static_cast<qint64>(g_pcm.size()));
        n &= ~qint64(3);
        for (qint64 i = 0; i < n; ++i) {
            data[i] = static_cast<char>(g_pcm.front());
            g_pcm.pop_front();
        }
        qint64 fill = std::min<qint64>(maxSize, 4096) - n;
        if (fill > 0) {
            std::fill(data + n, data + n + fill, 0);
            n += fill;
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }
};

QAudioFormat Format() {
    QAudioFormat f;
    f.setSampleRate(AudioSink::kRate);
    f.setChannelCount(AudioSink::kChannels);
    f.setSampleSize(16);
    f.setCodec(QStringLiteral("audio/pcm"));
    f.setByteOrder(QAudioFormat::LittleEndian);
    f.setSampleType(QAudioFormat::SignedInt);
    return f;
}

}  // namespace

AudioSink& AudioSink::Instance() {
    static AudioSink sink;
    return sink;
}

bool AudioSink::Available() {
    std::lock_guard<std::mutex> lk(g_mutex);
    if (g_available < 0) {
        if (!QCoreApplication::instance()) return false;
        QAudioDeviceInfo dev = QAudioDeviceInfo::defaultOutputDevice();
        g_available = !dev.isNull() && dev.isFormatSupported(Format()) ? 1 : 0;
    }
    return g_available == 1;
}

bool AudioSink::Start(int port) {
    if (!Available()) return false;
    std::lock_guard<std::mutex> lk(g_mutex);
    g_owner = port;
    g_pcm.clear();
    if (!g_thread) {
        g_thread = new QThread();
        g_thread->setObjectName(QStringLiteral("vintrel-audio"));
        g_thread->start();
        // The thread and its output live until the process ends.
        QObject* anchor = new QObject();
        anchor->moveToThread(g_thread);
        QMetaObject::invokeMethod(
            anchor,
            []() {
                auto* out = new QAudioOutput(Format());
                out->setBufferSize(AudioSink::kRate * AudioSink::kChannels * 2 / 5);
                out->start(new PcmDevice());
                std::lock_guard<std::mutex> lk2(g_mutex);
                out->setVolume(g_volume);
                g_output = out;
            },
            Qt::QueuedConnection);
    }
    return true;
}

void AudioSink::Stop() {
    std::lock_guard<std::mutex> lk(g_mutex);
    g_owner = -1;
    g_pcm.clear();
}

int AudioSink::Owner() {
    std::lock_guard<std::mutex> lk(g_mutex);
    return g_owner;
}

void AudioSink::SetVolume(uint16_t volume) {
    std::lock_guard<std::mutex> lk(g_mutex);
    g_volume = volume / 65535.0;
    if (g_output) {
        QAudioOutput* out = g_output;
        qreal v = g_volume;
        QMetaObject::invokeMethod(out, [out, v]() { out->setVolume(v); }, Qt::QueuedConnection);
    }
}

void AudioSink::Write(int port, const uint8_t* pcm, size_t bytes) {
    std::lock_guard<std::mutex> lk(g_mutex);
    if (port != g_owner || g_owner < 0) return;
    if (g_pcm.size() + bytes > size_t(kRate) * kChannels * 2) return;
    g_pcm.insert(g_pcm.end(), pcm, pcm + bytes);
}

size_t AudioSink::Queued() {
    std::lock_guard<std::mutex> lk(g_mutex);
    return g_pcm.size();
}

void AudioSink::Clear(int port) {
    std::lock_guard<std::mutex> lk(g_mutex);
    if (port == g_owner) g_pcm.clear();
}

}  // namespace vintrel
