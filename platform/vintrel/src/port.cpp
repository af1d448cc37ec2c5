#include "port.h"

#include <QBuffer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "audio_sink.h"
#include "container.h"
#include "files.h"
#include "test_hooks.h"
#include "surface.h"

namespace vintrel {

namespace {

std::atomic<bool> g_manualClock{false};
std::atomic<int64_t> g_manualMs{0};

}  // namespace

int64_t NowMs() {
    if (g_manualClock.load(std::memory_order_relaxed)) return g_manualMs.load();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void UseManualClock(int64_t ms) {
    g_manualMs = ms;
    g_manualClock = true;
}

void MoveManualClock(int64_t ms) { g_manualMs += ms; }

void UseRealClock() { g_manualClock = false; }

namespace {

constexpr size_t kHistory = 50;
// Stepping back keeps at most this many bytes of decoded pictures per port
// (about 15 frames of 1080p, 36 of 720p, all 50 below that).
constexpr size_t kHistoryBudget = 48u << 20;
// A window this far behind its clock (recorder ms) stops decoding until the
// next key frame; further than kGapMs the recording itself has a gap.
constexpr int64_t kCatchUpMs = 1000;
constexpr int64_t kGapMs = 3000;
// Compressed video kept for decoding again when stepping back.
constexpr size_t kUnitsBudget = 16u << 20;

}  // namespace

void RecorderSecondsToFields(int64_t seconds, OSTRUM_FILE_TIME* out) {
    const recstream::CivilTime c = recstream::SecondsToCivil(seconds);
    out->year = c.year;
    out->month = c.month;
    out->day = c.day;
    out->hour = c.hour;
    out->minute = c.minute;
    out->second = c.second;
}

OSTRUM_PACKED_TIME PackRecorderSeconds(int64_t seconds) {
    OSTRUM_FILE_TIME f{};
    RecorderSecondsToFields(seconds, &f);
    if (f.year < 2000 || f.year > 2063) return 0;
    return uint32_t(f.year - 2000) << 26 | uint32_t(f.month) << 22 | uint32_t(f.day) << 17 |
           uint32_t(f.hour) << 12 | uint32_t(f.minute) << 6 | uint32_t(f.second);
}

// ---- sound decoding --------------------------------------------------------------
class AudioDecoder {
public:
    ~AudioDecoder() {
        swr_free(&m_swr);
        avcodec_free_context(&m_ctx);
        av_packet_free(&m_pkt);
        av_frame_free(&m_frame);
    }
    bool Open() {
        const AVCodec* dec = avcodec_find_decoder(AV_CODEC_ID_MP2);
        if (!dec) return false;
        m_ctx = avcodec_alloc_context3(dec);
        m_pkt = av_packet_alloc();
        m_frame = av_frame_alloc();
        return m_ctx && m_pkt && m_frame && avcodec_open2(m_ctx, dec, nullptr) >= 0;
    }
    void Reset() {
        if (m_ctx) avcodec_flush_buffers(m_ctx);
    }
    // Decodes one payload into 48 kHz 16-bit stereo.
    void Decode(const uint8_t* data, size_t size, std::vector<uint8_t>* pcm) {
        m_pkt->data = const_cast<uint8_t*>(data);
        m_pkt->size = static_cast<int>(size);
        if (avcodec_send_packet(m_ctx, m_pkt) < 0) return;
        while (avcodec_receive_frame(m_ctx, m_frame) >= 0) {
            if (!m_swr) {
                AVChannelLayout out = AV_CHANNEL_LAYOUT_STEREO;
                if (swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_S16, AudioSink::kRate, &m_frame->ch_layout,
                                        static_cast<AVSampleFormat>(m_frame->format), m_frame->sample_rate, 0,
                                        nullptr) < 0 ||
                    swr_init(m_swr) < 0) {
                    swr_free(&m_swr);
                    av_frame_unref(m_frame);
                    continue;
                }
            }
            int outSamples = swr_get_out_samples(m_swr, m_frame->nb_samples);
            size_t at = pcm->size();
            pcm->resize(at + size_t(outSamples) * 4);
            uint8_t* dst = pcm->data() + at;
            int got = swr_convert(m_swr, &dst, outSamples, const_cast<const uint8_t**>(m_frame->extended_data),
                                  m_frame->nb_samples);
            pcm->resize(at + size_t(got > 0 ? got : 0) * 4);
            av_frame_unref(m_frame);
        }
    }

private:
    AVCodecContext* m_ctx = nullptr;
    AVPacket* m_pkt = nullptr;
    AVFrame* m_frame = nullptr;
    SwrContext* m_swr = nullptr;
};

// ---- port ------------------------------------------------------------------------
Port::Port(int number) : m_number(number), m_surface(std::make_shared<Surface>(number)) {
    auto clock = std::make_shared<Clock>();
    JoinClock(clock);
    m_video.SetUnitTap([this](const uint8_t* data, int size, int64_t pts, bool key) { LogUnit(data, size, pts, key); });
    m_surface->SetResizeHandler([this] {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_refit = true;
        m_cv.notify_all();
    });
}

Port::~Port() {
    m_surface->SetResizeHandler(nullptr);
    Shutdown();
}

void Port::Shutdown() {
    StopFeeder();
    std::unique_lock<std::mutex> lk(m_mutex);
    StopWorker(lk);
    ClearQueues();
    m_streamOpen = false;
    m_fileOpen = false;
    if (m_clock) {
        std::lock_guard<std::mutex> ck(m_clock->m);
        m_clock->members--;
        if (m_countedPaused) m_clock->pausedMembers--;
    }
    m_clock.reset();
    m_countedPaused = false;
    lk.unlock();
    m_surface->Detach();
    if (AudioSink::Instance().Owner() == m_number) AudioSink::Instance().Stop();
    std::lock_guard<std::mutex> sk(m_swsMutex);
    sws_freeContext(m_sws);
    m_sws = nullptr;
    sws_freeContext(m_swsFit);
    m_swsFit = nullptr;
}

void Port::SetDecodeCost(int64_t ms) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_decodeCostMs = ms;
    m_cv.notify_all();
}

bool Port::WaitsUntilTold() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_worker.joinable() && m_waitingUntold;
}

void Port::Settle(int64_t now) {
    std::unique_lock<std::mutex> lk(m_mutex);
    m_cv.notify_all();
    m_settledCv.wait(lk, [&] { return !m_worker.joinable() || (m_waiting && m_sawNow >= now); });
}

int64_t Port::RecorderMs(uint64_t ts90k) const {
    return int64_t(m_header.startTime) * 1000 + static_cast<int64_t>(ts90k / 90);
}

void Port::JoinClock(std::shared_ptr<Clock> clock) {
    int64_t now = NowMs();
    if (m_clock) {
        std::lock_guard<std::mutex> ck(m_clock->m);
        m_clock->Rebase(now);
        m_clock->members--;
        if (m_countedPaused) m_clock->pausedMembers--;
    }
    m_clock = std::move(clock);
    std::lock_guard<std::mutex> ck(m_clock->m);
    m_clock->Rebase(now);
    m_clock->members++;
    m_countedPaused = m_paused;
    if (m_paused) m_clock->pausedMembers++;
    m_clock->valid = false;  // anchors again on the next frame shown
}

void Port::SetPausedLocked(bool paused) {
    // Only a paused window can step back: its history begins with the
    // picture it stopped on, and a playing window keeps none.
    if (paused && !m_paused) StartHistoryLocked();
    if (!paused && m_paused) ClearHistoryLocked();
    m_paused = paused;
    if (paused == m_countedPaused) return;
    std::lock_guard<std::mutex> ck(m_clock->m);
    m_clock->Rebase(NowMs());
    m_clock->pausedMembers += paused ? 1 : -1;
    m_countedPaused = paused;
}

void Port::ClearQueues() {
    m_source.clear();
    m_sourceBytes = 0;
    m_sourceEnd = false;
    m_demuxBuffered = 0;
    m_decoderPending = false;
    for (auto& f : m_frames) av_frame_free(&f.frame);
    m_frames.clear();
    ++m_generation;
    m_cv.notify_all();
}

void Port::StopWorker(std::unique_lock<std::mutex>& lk) {
    if (!m_worker.joinable()) return;
    m_quit = true;
    m_cv.notify_all();
    std::thread t = std::move(m_worker);
    m_settledCv.notify_all();
    lk.unlock();
    t.join();
    lk.lock();
    m_quit = false;
    m_playing = false;
}

// ---- streams ---------------------------------------------------------------------
bool Port::SetStreamOpenMode(uint32_t mode) {
    if (mode > 1) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_openMode = mode;
    m_cv.notify_all();
    return true;
}

bool Port::OpenStream(const void* header, uint32_t size, uint32_t bufferSize, bool fromFile) {
    if (!header || size < recstream::kHeaderSize) { SetError(OSTRUM_ERR_PARAM); return false; }
    recstream::StreamHeader h;
    std::memcpy(&h, header, sizeof h);
    if (std::memcmp(h.magic, "QRS1", 4) != 0 || h.headerSize != recstream::kHeaderSize) {
        SetError(OSTRUM_ERR_HEADER);
        return false;
    }
    std::unique_lock<std::mutex> lk(m_mutex);
    if (m_streamOpen || (m_fileOpen && !fromFile)) { SetError(OSTRUM_ERR_ORDER); return false; }
    StopWorker(lk);
    ClearQueues();
    m_header = h;
    m_dropBefore = INT64_MIN;
    m_capacity = std::max<size_t>(bufferSize, OSTRUM_MIN_SOURCE_BUFFER);
    m_streamOpen = true;
    m_streamFromFile = fromFile;
    m_decoderStale = true;
    m_keyChecked = false;
    m_keyState = 0;
    m_shown = QImage();
    m_shownFrame.reset();
    m_shownT = -1;
    m_shownKeyT = -1;
    m_frameNum = 0;
    ClearHistoryLocked();
    m_width = h.width;
    m_height = h.height;
    m_speed = 0;
    m_stepForward = 0;
    m_reverse = false;
    SetPausedLocked(false);
    {
        std::lock_guard<std::mutex> ck(m_clock->m);
        m_clock->rate = 1.0;
        m_clock->valid = false;
    }
    return true;
}

bool Port::InputData(const void* data, uint32_t size) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    if (!data) {
        if (size != uint32_t(-1)) { SetError(OSTRUM_ERR_PARAM); return false; }
        m_sourceEnd = true;
        m_cv.notify_all();
        return true;
    }
    if (size == 0 || size == uint32_t(-1)) { SetError(OSTRUM_ERR_PARAM); return false; }
    if (m_sourceBytes > 0 && m_sourceBytes + size > m_capacity) {
        SetError(OSTRUM_ERR_BUF_FULL);
        return false;
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    m_source.emplace_back(p, p + size);
    m_sourceBytes += size;
    m_sourceEnd = false;
    m_cv.notify_all();
    return true;
}

bool Port::ResetBuffer(uint32_t kind) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    switch (kind) {
    case OSTRUM_BUF_SOURCE:
    case OSTRUM_BUF_ALL:
        ClearQueues();
        m_stepForward = 0;
        {
            std::lock_guard<std::mutex> ck(m_clock->m);
            m_clock->valid = false;
        }
        AudioSink::Instance().Clear(m_number);
        return true;
    case OSTRUM_BUF_VIDEO:
        for (auto& f : m_frames) av_frame_free(&f.frame);
        m_frames.clear();
        m_cv.notify_all();
        return true;
    case OSTRUM_BUF_AUDIO:
        AudioSink::Instance().Clear(m_number);
        return true;
    default:
        SetError(OSTRUM_ERR_PARAM);
        return false;
    }
}

uint32_t Port::SourceRemain() {
    std::lock_guard<std::mutex> lk(m_mutex);
    size_t n = m_sourceBytes + (m_demuxBuffered > 3 && !m_demuxStale ? m_demuxBuffered : 0);
    return static_cast<uint32_t>(std::min<size_t>(n, UINT32_MAX));
}

uint32_t Port::BufferValue(uint32_t kind) {
    std::lock_guard<std::mutex> lk(m_mutex);
    switch (kind) {
    case OSTRUM_BUF_SOURCE:
        return static_cast<uint32_t>(m_sourceBytes + m_demuxBuffered);
    case OSTRUM_BUF_VIDEO:
        return static_cast<uint32_t>(m_frames.size());
    case OSTRUM_BUF_AUDIO:
        return AudioSink::Instance().Owner() == m_number ? static_cast<uint32_t>(AudioSink::Instance().Queued()) : 0;
    case OSTRUM_BUF_FRAMES_LEFT: {
        bool more = m_sourceBytes > 0 || (m_demuxBuffered > 3 && !m_demuxStale) || m_decoderPending || m_feeding;
        return static_cast<uint32_t>(m_frames.size() + m_inFlight) + (more ? 1 : 0);
    }
    default:
        SetError(OSTRUM_ERR_PARAM);
        return 0;
    }
}

bool Port::Stop() {
    std::unique_lock<std::mutex> lk(m_mutex);
    if (!m_streamOpen && !m_fileOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    lk.unlock();
    StopFeeder();
    lk.lock();
    StopWorker(lk);
    for (auto& f : m_frames) av_frame_free(&f.frame);
    m_frames.clear();
    ClearHistoryLocked();
    m_stepForward = 0;
    m_window = nullptr;
    lk.unlock();
    m_surface->Detach();
    return true;
}

bool Port::CloseStream() {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    }
    StopFeeder();
    std::unique_lock<std::mutex> lk(m_mutex);
    StopWorker(lk);
    ClearQueues();
    m_streamOpen = false;
    m_streamFromFile = false;
    m_header = recstream::StreamHeader{};
    m_shown = QImage();
    m_shownFrame.reset();
    m_shownT = -1;
    m_shownKeyT = -1;
    ClearHistoryLocked();
    m_window = nullptr;
    lk.unlock();
    m_surface->Detach();
    AudioSink::Instance().Clear(m_number);
    return true;
}

// ---- files -----------------------------------------------------------------------
bool Port::OpenFile(const char* path) {
    if (!path || !*path) { SetError(OSTRUM_ERR_PARAM); return false; }
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_streamOpen || m_fileOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    }
    FileTimes times;
    uint32_t err = ReadFileTimes(path, &times);
    if (err != OSTRUM_ERR_NONE) { SetError(err); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_fileOpen = true;
    m_fileRaw = times.raw;
    m_filePath = times.mappedPath;
    m_fileFirst = times.first;
    m_fileLast = times.last;
    m_fileHeader = times.header;
    return true;
}

bool Port::FileTotalTime(OSTRUM_FILE_TIME* first, OSTRUM_FILE_TIME* last) {
    if (!first || !last) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_fileOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    *first = m_fileFirst;
    *last = m_fileLast;
    return true;
}

bool Port::CloseFile() {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (!m_fileOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    }
    StopFeeder();
    bool fromFile;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        fromFile = m_streamFromFile;
    }
    if (fromFile) CloseStream();
    std::lock_guard<std::mutex> lk(m_mutex);
    m_fileOpen = false;
    m_filePath.clear();
    return true;
}

void Port::StopFeeder() {
    if (!m_feeder.joinable()) return;
    m_feederStop = true;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_cv.notify_all();
    }
    m_feeder.join();
    m_feederStop = false;
}

// Queues a block of stream bytes read from the file, waiting while the
// source buffer is full; false when the feeding is to end.
bool Port::QueueFileData(std::vector<uint8_t>&& block) {
    std::unique_lock<std::mutex> lk(m_mutex);
    m_cv.wait(lk, [&] {
        return m_feederStop || !m_streamOpen || m_sourceBytes == 0 || m_sourceBytes + block.size() <= m_capacity;
    });
    if (m_feederStop || !m_streamOpen) return false;
    m_sourceBytes += block.size();
    m_source.push_back(std::move(block));
    m_cv.notify_all();
    return true;
}

// Reads the open file into the source buffer: a recorder file as it is, a
// container file re-wrapped packet by packet; `fromTicks` > 0 starts a
// container file at the key frame before that time.
void Port::Feed(std::string path, bool raw, uint64_t fromTicks) {
    constexpr size_t kBlock = 256 * 1024;
    bool go = true;
    if (raw) {
        std::ifstream in(path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(recstream::kHeaderSize));
        while (go && !m_feederStop && in) {
            std::vector<uint8_t> block(kBlock);
            in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
            const std::streamsize got = in.gcount();
            if (got <= 0) break;
            block.resize(static_cast<size_t>(got));
            go = QueueFileData(std::move(block));
        }
    } else {
        ContainerReader reader;
        if (reader.Open(path) != OSTRUM_ERR_NONE || (fromTicks > 0 && !reader.Seek(fromTicks))) SetError(OSTRUM_ERR_FILE_OPEN);
        else {
            std::vector<uint8_t> block;
            while (go && !m_feederStop) {
                const bool more = reader.Next(&block);
                if (block.size() >= kBlock || (!more && !block.empty())) {
                    go = QueueFileData(std::move(block));
                    block = std::vector<uint8_t>();
                }
                if (!more) break;
            }
        }
    }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_feeding = false;
    if (go && !m_feederStop && m_streamOpen) m_sourceEnd = true;
    m_cv.notify_all();
}

bool Port::StartFeeder(uint64_t fromTicks) {
    std::string path;
    bool raw;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        path = m_filePath;
        raw = m_fileRaw;
        m_feeding = true;
    }
    try {
        m_feeder = std::thread(&Port::Feed, this, path, raw, fromTicks);
    } catch (...) {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_feeding = false;
        SetError(OSTRUM_ERR_THREAD);
        return false;
    }
    return true;
}

bool Port::SetPlayedTime(const OSTRUM_FILE_TIME* time) {
    if (!time) { SetError(OSTRUM_ERR_PARAM); return false; }
    const int64_t target =
        RecorderSeconds(time->year, time->month, time->day, time->hour, time->minute, time->second) * 1000 +
        std::clamp(time->millisecond, 0, 999);
    uint64_t fromTicks = 0;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (!m_fileOpen || !m_streamFromFile) { SetError(OSTRUM_ERR_ORDER); return false; }
        const int64_t offset = target - int64_t(m_fileHeader.startTime) * 1000;
        if (!m_fileRaw && offset > 0) fromTicks = static_cast<uint64_t>(offset) * 90;
    }
    StopFeeder();
    std::unique_lock<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    ClearQueues();
    // A joined recorder file starts again on the clock of its first recording
    // (the decode thread takes it up with the new data).
    m_restartHeader = true;
    m_dropBefore = target;
    ClearHistoryLocked();
    m_stepForward = 0;
    {
        // The clock (also a group's: its ports move together) takes the
        // time moved to from the first frame shown there.
        std::lock_guard<std::mutex> ck(m_clock->m);
        m_clock->valid = false;
    }
    lk.unlock();
    AudioSink::Instance().Clear(m_number);
    return StartFeeder(fromTicks);
}

// ---- play controls ---------------------------------------------------------------
bool Port::Play(QWidget* window) {
    std::unique_lock<std::mutex> lk(m_mutex);
    bool startFeeder = false;
    if (!m_streamOpen) {
        if (!m_fileOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
        // A file plays as a stream fed from the file.
        recstream::StreamHeader h = m_fileHeader;
        lk.unlock();
        if (!OpenStreamFromFile(h)) return false;
        lk.lock();
        startFeeder = true;
    }
    bool attach = window != m_window || !m_playing;
    m_window = window;
    m_reverse = false;
    m_stepForward = 0;
    m_historyBack = 0;
    SetPausedLocked(false);
    {
        std::lock_guard<std::mutex> ck(m_clock->m);
        if (m_group < 0) m_clock->valid = false;
    }
    if (!m_worker.joinable()) {
        try {
            m_worker = std::thread(&Port::Run, this);
        } catch (...) {
            SetError(OSTRUM_ERR_THREAD);
            return false;
        }
    }
    m_playing = true;
    m_cv.notify_all();
    lk.unlock();
    if (startFeeder && !StartFeeder(0)) return false;
    if (attach) {
        m_surface->Attach(window);
        const QImage current = FullShownPicture();
        if (!current.isNull()) m_surface->SetImage(current);
    }
    return true;
}

bool Port::OpenStreamFromFile(const recstream::StreamHeader& header) {
    return OpenStream(&header, sizeof header, OSTRUM_DEFAULT_SOURCE_BUFFER, true);
}

bool Port::ReversePlay() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
    m_reverse = true;
    SetPausedLocked(false);
    m_cv.notify_all();
    return true;
}

bool Port::Pause(bool on) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
    SetPausedLocked(on);
    if (!on) {
        m_stepForward = 0;
        m_historyBack = 0;
    }
    m_cv.notify_all();
    return true;
}

bool Port::Fast() { return StepSpeed(1); }

bool Port::Slow() { return StepSpeed(-1); }

// One speed step up or down: play goes on at the new speed from the picture
// on screen, out of pause and single steps.
bool Port::StepSpeed(int step) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
    const int speed = m_speed + step;
    if (speed > OSTRUM_SPEED_MAX || speed < OSTRUM_SPEED_MIN) { SetError(OSTRUM_ERR_SPEED_LIMIT); return false; }
    m_speed = speed;
    SetPausedLocked(false);
    m_stepForward = 0;
    m_historyBack = 0;
    std::lock_guard<std::mutex> ck(m_clock->m);
    m_clock->Rebase(NowMs());
    m_clock->rate = std::ldexp(1.0, m_speed);
    m_cv.notify_all();
    return true;
}

bool Port::OneByOne() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
    SetPausedLocked(true);
    ++m_stepForward;
    m_cv.notify_all();
    return true;
}

bool Port::OneByOneBack() {
    Kept kept;
    bool extend;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
        SetPausedLocked(true);
        m_stepForward = 0;
        extend = m_history.size() < m_historyBack + 2;
    }
    if (extend) ExtendHistoryBack();
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_history.size() < m_historyBack + 2) { SetError(OSTRUM_ERR_NO_FRAME); return false; }
        ++m_historyBack;
        kept = m_history[m_history.size() - 1 - m_historyBack];
    }
    ShowImage(ShownFrom(kept), true);
    return true;
}

bool Port::RefreshPlay() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    m_surface->Repaint();
    return true;
}

bool Port::ThrowB(uint32_t count) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_throwB = count;
    return true;
}

bool Port::SetDecodeFrameType(int type) {
    if (type != OSTRUM_DECODE_ALL && type != OSTRUM_DECODE_KEY_ONLY) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_keyOnly = type == OSTRUM_DECODE_KEY_ONLY;
    m_cv.notify_all();
    return true;
}

bool Port::SetSyncGroup(int group) {
    if (group < -1 || group > 1) { SetError(OSTRUM_ERR_PARAM); return false; }
    static std::shared_ptr<Clock> groups[2] = {std::make_shared<Clock>(), std::make_shared<Clock>()};
    std::lock_guard<std::mutex> lk(m_mutex);
    if (group == m_group) return true;
    double rate;
    {
        std::lock_guard<std::mutex> ck(m_clock->m);
        rate = m_clock->rate;
    }
    JoinClock(group < 0 ? std::make_shared<Clock>() : groups[group]);
    m_group = group;
    if (group < 0) {
        std::lock_guard<std::mutex> ck(m_clock->m);
        m_clock->rate = rate;
    }
    m_cv.notify_all();
    return true;
}

OSTRUM_PACKED_TIME Port::SpecialData() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_shownT < 0) { SetError(OSTRUM_ERR_NO_PICTURE); return 0; }
    return PackRecorderSeconds(m_shownT / 1000);
}

bool Port::PlayedTime(OSTRUM_FILE_TIME* time) {
    if (!time) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_shownT < 0) { SetError(OSTRUM_ERR_NO_PICTURE); return false; }
    *time = OSTRUM_FILE_TIME{};
    RecorderSecondsToFields(m_shownT / 1000, time);
    time->millisecond = static_cast<int32_t>(m_shownT % 1000);
    return true;
}

bool Port::PlayedKeyTime(OSTRUM_FILE_TIME* time) {
    if (!time) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_shownT < 0 || m_shownKeyT < 0) { SetError(OSTRUM_ERR_NO_PICTURE); return false; }
    *time = OSTRUM_FILE_TIME{};
    RecorderSecondsToFields(m_shownKeyT / 1000, time);
    time->millisecond = static_cast<int32_t>(m_shownKeyT % 1000);
    return true;
}

uint32_t Port::FrameNum() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_frameNum;
}

// ---- key and callbacks ----------------------------------------------------------------
bool Port::SetSecretKey(int type, const char* key, int bits) {
    if (type != 1 || !key || bits <= 0 || bits % 8 != 0) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_key.assign(key, static_cast<size_t>(bits / 8));
    m_keyChecked = false;
    m_cv.notify_all();
    return true;
}

bool Port::SetAdditionCallback(uint32_t type, OSTRUM_ADDITION_DATA_CB cb, void* user) {
    if (type != OSTRUM_ADDITION_VEHICLE) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_addCb = cb;
    m_addUser = user;
    return true;
}

bool Port::SetEncryptCallback(OSTRUM_ENCRYPT_TYPE_CB cb, void* user) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_encCb = cb;
    m_encUser = user;
    return true;
}

bool Port::SetRuntimeCallback(OSTRUM_RUNTIME_INFO_CB cb, void* user) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_rtCb = cb;
    m_rtUser = user;
    return true;
}

bool Port::SetDisplayCallback(OSTRUM_DISPLAY_CB cb) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_dispCb = cb;
    return true;
}

bool Port::SetDrawCallback(OSTRUM_DRAW_CB cb, void* user) {
    m_surface->SetDrawCallback(cb, user);
    return true;
}

// ---- pictures --------------------------------------------------------------------
bool Port::SetDisplayBuf(uint32_t frames) {
    if (frames < 1 || frames > 50) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_maxFrames = frames;
    m_cv.notify_all();
    return true;
}

bool Port::SetDisplayRegion(uint32_t region, const OSTRUM_RECT* rect) {
    if (region != 0) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    if (!rect) {
        m_surface->SetRegion(QRect());
        m_refit = true;
        m_cv.notify_all();
        return true;
    }
    if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
        (m_width > 0 && rect->right > m_width) || (m_height > 0 && rect->bottom > m_height)) {
        SetError(OSTRUM_ERR_PARAM);
        return false;
    }
    m_surface->SetRegion(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    m_refit = true;
    m_cv.notify_all();
    return true;
}

bool Port::PictureSize(int* width, int* height) {
    if (!width || !height) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen || m_width <= 0 || m_height <= 0) {
        SetError(m_streamOpen ? OSTRUM_ERR_NO_PICTURE : OSTRUM_ERR_ORDER);
        return false;
    }
    *width = m_width;
    *height = m_height;
    return true;
}

bool Port::EncodePicture(const char* format, uint8_t* buffer, uint32_t size, uint32_t* outSize) {
    if (!buffer || !outSize) { SetError(OSTRUM_ERR_PARAM); return false; }
    QImage image;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    }
    image = FullShownPicture();
    if (image.isNull()) { SetError(OSTRUM_ERR_NO_PICTURE); return false; }
    QByteArray bytes = EncodeImage(image, format);
    if (bytes.isEmpty()) { SetError(OSTRUM_ERR_FILE_WRITE); return false; }
    *outSize = static_cast<uint32_t>(bytes.size());
    if (static_cast<uint32_t>(bytes.size()) > size) { SetError(OSTRUM_ERR_BUF_TOO_SMALL); return false; }
    std::memcpy(buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

bool Port::SetColor(int b, int c, int s, int h) {
    for (int v : {b, c, s, h})
        if (v < 0 || v > 128) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_color[0] = b;
    m_color[1] = c;
    m_color[2] = s;
    m_color[3] = h;
    ++m_colorSerial;
    return true;
}

bool Port::GetColor(int* b, int* c, int* s, int* h) {
    if (!b || !c || !s || !h) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    *b = m_color[0];
    *c = m_color[1];
    *s = m_color[2];
    *h = m_color[3];
    return true;
}

// ---- sound -----------------------------------------------------------------------
bool Port::PlaySound() {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_soundWanted = true;
    }
    if (!AudioSink::Instance().Start(m_number)) {
        SetError(OSTRUM_ERR_NO_AUDIO_DEVICE);
        return false;
    }
    return true;
}

void Port::SoundTaken() {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_soundWanted = false;
}

bool Port::SetVolume(uint16_t volume) {
    if (AudioSink::Instance().Owner() != m_number) { SetError(OSTRUM_ERR_ORDER); return false; }
    AudioSink::Instance().SetVolume(volume);
    return true;
}

// ---- decode thread ---------------------------------------------------------------
// When the frame of recorder time `t` is to be shown. Forward play paces on
// the clock of the port's group. A window that falls behind drops, without
// converting them, the frames whose successor is already due when it plays in
// a group (an operator sees fewer frames, never other seconds); alone it
// shows every frame. More than kCatchUpMs behind, either stops decoding until
// the next key frame at the clock's time.
Port::Pace Port::Due(int64_t t, int64_t now, int64_t* waitMs) {
    if (m_openMode == OSTRUM_STREAM_LIVE) return Pace::Show;
    if (m_reverse) {
        // Key frames only, paced on the recorder clock: the picture moves
        // backwards at the chosen speed, as forward play moves forwards.
        // The first picture, one that is not earlier than the last, and one
        // across a gap in the recording are shown at once.
        const int64_t back = m_shownT - t;
        if (m_shownT < 0 || back <= 0 || back > 3000) return Pace::Show;
        const int64_t interval = static_cast<int64_t>(static_cast<double>(back) / std::ldexp(1.0, m_speed));
        if (now - m_lastPresentWall >= interval) return Pace::Show;
        *waitMs = interval - (now - m_lastPresentWall);
        return Pace::Wait;
    }
    std::lock_guard<std::mutex> ck(m_clock->m);
    Clock& c = *m_clock;
    if (!c.valid) c.Anchor(now, t);
    if (!c.Running()) {
        *waitMs = 500;   // the group's clock stands: woken when it moves
        return Pace::Wait;
    }
    const bool solo = m_group < 0;
    const int64_t cur = c.Now(now);
    if (t <= cur) {
        const int64_t behind = cur - t;
        if (behind > kGapMs && (solo || now - c.lastPresentWall > 1000)) {
            c.Anchor(now, t);   // a gap back in the recording: go on from here
        } else if (behind > kCatchUpMs) {
            return Pace::Skip;
        } else if (!solo && behind >= m_frameInterval) {
            return Pace::Drop;
        }
        c.lastPresentWall = now;
        return Pace::Show;
    }
    int64_t ahead = t - cur;
    if (ahead > kGapMs && (solo || now - c.lastPresentWall > 1000)) {
        c.Anchor(now, t);  // a gap in the recording: go on at once
        c.lastPresentWall = now;
        return Pace::Show;
    }
    *waitMs = std::max<int64_t>(1, static_cast<int64_t>(ahead / c.rate));
    return Pace::Wait;
}

// Late by more than the catch-up limit: what is queued and not a key frame
// goes, and the decoder passes over everything up to the first key frame
// not behind the clock.
void Port::SkipToKeyFrame() {
    for (auto it = m_frames.begin(); it != m_frames.end();) {
        if (it->key) {
            ++it;
            continue;
        }
        av_frame_free(&it->frame);
        it = m_frames.erase(it);
    }
    if (m_awaitKey) return;
    m_awaitKey = true;
    m_video.SkipToKey();
}

// Brightness, contrast and saturation of the port, when they changed since
// the converter last took them. Under m_swsMutex.
void Port::ApplyColor(SwsContext* sws, uint32_t* seenSerial) {
    uint32_t serial;
    int color[4];
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        serial = m_colorSerial;
        std::memcpy(color, m_color, sizeof color);
    }
    if (serial == *seenSerial) return;
    *seenSerial = serial;
    int* inv;
    int* table;
    int srcRange, dstRange, brightness, contrast, saturation;
    if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >= 0) {
        brightness = (color[0] - 64) * (1 << 16) / 128;
        contrast = color[1] * (1 << 16) / 64;
        saturation = color[2] * (1 << 16) / 64;
        sws_setColorspaceDetails(sws, inv, srcRange, table, dstRange, brightness, contrast, saturation);
    }
}

// `width` x `height` pixels of a picture in `format` from the planes given,
// scaled to `target` in RGB32, in the port's colours, with the converter
// `*sws` (kept for the next picture of the same layout).
QImage Port::Scale(SwsContext** sws, uint32_t* colorSerial, const uint8_t* const planes[4], const int linesize[4],
                   int width, int height, int format, const QSize& target) {
    std::lock_guard<std::mutex> sk(m_swsMutex);
    SwsContext* before = *sws;
    *sws = sws_getCachedContext(*sws, width, height, static_cast<AVPixelFormat>(format), target.width(),
                                target.height(), AV_PIX_FMT_RGB32, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (!*sws) return QImage();
    if (*sws != before) *colorSerial = ~0u;
    ApplyColor(*sws, colorSerial);
    QImage image(target, QImage::Format_RGB32);
    if (image.isNull()) return image;
    uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    sws_scale(*sws, planes, linesize, 0, height, dst, dstStride);
    return image;
}

QImage Port::Convert(AVFrame* frame) {
    return Scale(&m_sws, &m_swsColorSerial, frame->data, frame->linesize, frame->width, frame->height, frame->format,
                 QSize(frame->width, frame->height));
}

QImage Port::ConvertFitted(AVFrame* frame, const QSize& target, const QRect& region) {
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (!desc || target.isEmpty() ||
        (desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM)))
        return QImage();
    const QRect whole(0, 0, frame->width, frame->height);
    QRect source = region.isValid() ? region.intersected(whole) : whole;
    if (!source.isValid()) source = whole;
    // The corner of the source on whole chroma samples.
    const int xAlign = (1 << desc->log2_chroma_w) - 1, yAlign = (1 << desc->log2_chroma_h) - 1;
    const int x = source.x() & ~xAlign, y = source.y() & ~yAlign;
    const int width = source.right() + 1 - x, height = source.bottom() + 1 - y;
    const uint8_t* planes[4] = {frame->data[0], frame->data[1], frame->data[2], frame->data[3]};
    bool moved[4] = {false, false, false, false};
    for (int c = 0; c < desc->nb_components; ++c) {
        const int plane = desc->comp[c].plane;
        if (moved[plane] || !planes[plane]) continue;
        moved[plane] = true;
        const bool chroma = (c == 1 || c == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
        const int px = chroma ? x >> desc->log2_chroma_w : x;
        const int py = chroma ? y >> desc->log2_chroma_h : y;
        planes[plane] += static_cast<ptrdiff_t>(py) * frame->linesize[plane] + static_cast<ptrdiff_t>(px) * desc->comp[c].step;
    }
    return Scale(&m_swsFit, &m_swsFitColorSerial, planes, frame->linesize, width, height, format, target);
}

QImage Port::ScreenPicture(AVFrame* frame, bool mayFit, bool* fitted) {
    *fitted = false;
    QSize view;
    if (mayFit && m_surface->ViewSize(&view) && view.width() * view.height() < frame->width * frame->height) {
        QImage image = ConvertFitted(frame, view, m_surface->Region());
        if (!image.isNull()) {
            *fitted = true;
            return image;
        }
    }
    return Convert(frame);
}

QImage Port::FullShownPicture() {
    QImage image;
    std::shared_ptr<AVFrame> frame;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        image = m_shown;
        frame = m_shownFrame;
    }
    if (image.isNull() && frame) image = Convert(frame.get());
    return image;
}

void Port::Refit() {
    std::shared_ptr<AVFrame> frame;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        frame = m_shownFrame;
    }
    if (!frame) {
        m_surface->Repaint();
        return;
    }
    bool fitted;
    const QImage image = ScreenPicture(frame.get(), true, &fitted);
    if (image.isNull()) return;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_shownFrame != frame) return;   // a newer frame is on its way
        m_shown = fitted ? QImage() : image;
    }
    m_surface->SetImage(image, fitted);
}

void Port::KeepLocked(const Frame& decoded) {
    Kept kept;
    AVFrame* frame = decoded.frame;
    for (AVBufferRef* buf : frame->buf)
        if (buf) kept.bytes += buf->size;
    for (int i = 0; i < frame->nb_extended_buf; ++i) kept.bytes += frame->extended_buf[i]->size;
    kept.frame.reset(frame, [](AVFrame* f) { av_frame_free(&f); });
    kept.t = decoded.t;
    kept.pts = decoded.pts;
    kept.keyT = decoded.keyT;
    m_historyBytes += kept.bytes;
    m_history.push_back(std::move(kept));
    while (m_history.size() > kHistory || (m_history.size() > 1 && m_historyBytes > kHistoryBudget)) {
        m_historyBytes -= m_history.front().bytes;
        m_history.pop_front();
    }
}

void Port::ClearHistoryLocked() {
    m_history.clear();
    m_historyBytes = 0;
    m_historyBack = 0;
}

void Port::StartHistoryLocked() {
    if (!m_history.empty() || !m_shownFrame || m_shownT < 0) return;
    Kept kept;
    for (AVBufferRef* buf : m_shownFrame->buf)
        if (buf) kept.bytes += buf->size;
    kept.frame = m_shownFrame;
    kept.t = m_shownT;
    kept.pts = m_shownPts;
    kept.keyT = m_shownKeyT;
    m_historyBytes = kept.bytes;
    m_history.push_back(std::move(kept));
    m_historyBack = 0;
}

void Port::LogUnit(const uint8_t* data, int size, int64_t pts, bool key) {
    std::lock_guard<std::mutex> lk(m_unitsMutex);
    if (m_unitsCodec != m_header.videoCodec || m_unitsStart != m_header.startTime) {
        m_units.clear();
        m_unitsCodec = m_header.videoCodec;
        m_unitsStart = m_header.startTime;
    }
    if (key) {
        // Two key frames back is all stepping back can reach.
        for (size_t i = m_units.size(); i-- > 0;) {
            if (m_units[i].key) {
                m_units.erase(m_units.begin(), m_units.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
    } else if (m_units.empty()) {
        return;   // nothing decodes without its key frame
    }
    size_t bytes = 0;
    for (const Unit& u : m_units) bytes += u.bytes.size();
    if (bytes + static_cast<size_t>(size) > kUnitsBudget) {
        m_units.clear();
        if (!key) return;
    }
    Unit u;
    u.bytes.assign(data, data + size);
    u.bytes.resize(static_cast<size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    u.pts = pts;
    u.key = key;
    m_units.push_back(std::move(u));
}

void Port::ClearUnits() {
    std::lock_guard<std::mutex> lk(m_unitsMutex);
    m_units.clear();
}

bool Port::ExtendHistoryBack() {
    int64_t firstT;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_history.empty()) return false;
        firstT = m_history.front().t;
    }
    std::vector<Unit> units;
    int codec;
    int64_t startMs;
    {
        std::lock_guard<std::mutex> lk(m_unitsMutex);
        codec = m_unitsCodec;
        startMs = int64_t(m_unitsStart) * 1000;
        auto before = [&](const Unit& u) { return u.pts < 0 || startMs + u.pts / 90 < firstT; };
        size_t from = m_units.size();
        for (size_t i = 0; i < m_units.size() && before(m_units[i]); ++i)
            if (m_units[i].key) from = i;
        for (size_t i = from; i < m_units.size() && before(m_units[i]); ++i) units.push_back(m_units[i]);
    }
    if (units.empty()) return false;
    VideoDecoder decoder;
    if (!decoder.Open(codec)) return false;
    std::vector<Kept> made;
    int64_t keyT = -1, lastPts = 0;
    auto sink = [&](AVFrame* f, int64_t pts, bool key) {
        if (pts < 0) pts = lastPts;
        lastPts = pts;
        const int64_t t = startMs + pts / 90;
        if (key || keyT < 0) keyT = t;
        if (t >= firstT) return;
        Kept kept;
        AVFrame* copy = av_frame_alloc();
        if (!copy) return;
        av_frame_move_ref(copy, f);
        for (AVBufferRef* buf : copy->buf)
            if (buf) kept.bytes += buf->size;
        kept.frame.reset(copy, [](AVFrame* fr) { av_frame_free(&fr); });
        kept.t = t;
        kept.pts = pts;
        kept.keyT = keyT;
        made.push_back(std::move(kept));
    };
    for (const Unit& u : units)
        decoder.DecodeUnit(u.bytes.data(), static_cast<int>(u.bytes.size() - AV_INPUT_BUFFER_PADDING_SIZE), u.pts,
                           u.key, sink);
    decoder.Drain(sink);
    if (made.empty()) return false;
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_history.empty() || m_history.front().t != firstT) return false;   // the history changed meanwhile
    // The frames nearest to the kept ones, as many as the budget allows.
    for (size_t i = made.size(); i-- > 0;) {
        if (i + 1 < made.size() && m_historyBytes + made[i].bytes > kHistoryBudget) break;
        m_historyBytes += made[i].bytes;
        m_history.push_front(std::move(made[i]));
    }
    return true;
}

Port::Shown Port::ShownFrom(const Kept& kept) {
    Shown shown;
    shown.image = Convert(kept.frame.get());
    shown.t = kept.t;
    shown.pts = kept.pts;
    shown.keyT = kept.keyT;
    shown.frame = kept.frame;
    return shown;
}

void Port::ShowImage(const Shown& shown, bool callback) {
    OSTRUM_DISPLAY_CB cb;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_shown = shown.image;
        m_shownFrame = shown.frame;
        m_shownT = shown.t;
        m_shownKeyT = shown.keyT;
        m_shownPts = shown.pts;
        cb = m_dispCb;
    }
    m_surface->SetImage(shown.image);
    if (callback && cb && !shown.image.isNull())
        cb(m_number, reinterpret_cast<const char*>(shown.image.constBits()), static_cast<int>(shown.image.sizeInBytes()),
           shown.image.width(), shown.image.height(), static_cast<int>(shown.pts / 90), OSTRUM_PIC_RGB32);
}

void Port::Present(Frame frame, bool unlessPaused) {
    // A client that takes every frame gets it at full size; the screen alone
    // gets the shown part of the picture made at its view's size, which saves
    // converting (and painting) the whole picture on every frame.
    bool wantsFull;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        wantsFull = m_dispCb != nullptr;
    }
    Shown shown;
    bool fitted;
    shown.image = ScreenPicture(frame.frame, !wantsFull, &fitted);
    shown.t = frame.t;
    shown.pts = frame.pts;
    shown.keyT = frame.keyT;
    m_lastPresentWall = NowMs();
    if (shown.image.isNull()) {
        av_frame_free(&frame.frame);
        return;
    }
    OSTRUM_DISPLAY_CB cb;
    const int width = frame.frame->width, height = frame.frame->height;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (unlessPaused && m_paused) {
            // A pause came while the frame was being made ready: it is not
            // shown after the pause returned, but waits for the next step
            // (or for play to resume). After a move it is dropped.
            if (m_workerGeneration == m_generation)
                m_frames.push_front(frame);
            else
                av_frame_free(&frame.frame);
            return;
        }
        m_shown = fitted ? QImage() : shown.image;
        m_shownT = shown.t;
        m_shownKeyT = shown.keyT;
        m_shownPts = shown.pts;
        m_width = width;
        m_height = height;
        ++m_frameNum;
        if (m_paused) {   // a single step: kept for stepping back
            KeepLocked(frame);
            m_shownFrame = m_history.back().frame;
        } else {
            ClearHistoryLocked();
            m_shownFrame.reset(frame.frame, [](AVFrame* f) { av_frame_free(&f); });
        }
        m_historyBack = 0;
        cb = m_dispCb;
    }
    m_surface->SetImage(shown.image, fitted);
    if (cb) {
        // (A client that came while the frame was being made gets it whole.)
        const QImage full = fitted ? FullShownPicture() : shown.image;
        if (!full.isNull())
            cb(m_number, reinterpret_cast<const char*>(full.constBits()), static_cast<int>(full.sizeInBytes()),
               full.width(), full.height(), static_cast<int>(shown.pts / 90), OSTRUM_PIC_RGB32);
    }
}

void Port::CheckKey(std::unique_lock<std::mutex>& lk) {
    if (m_keyChecked) return;
    m_keyChecked = true;
    m_keyState = 0;
    if (!(m_header.flags & recstream::kFlagEnciphered)) return;
    if (m_key.empty()) {
        m_keyState = 1;
        SetError(OSTRUM_ERR_KEY_MISSING);
        OSTRUM_ENCRYPT_TYPE_CB cb = m_encCb;
        void* user = m_encUser;
        if (cb) {
            OSTRUM_ENCRYPT_INFO info{1, 0, 0};
            lk.unlock();
            cb(m_number, &info, user);
            lk.lock();
        }
        return;
    }
    if (!KeyFits(m_header, m_key)) {
        m_keyState = 2;
        SetError(OSTRUM_ERR_KEY_MISMATCH);
        OSTRUM_RUNTIME_INFO_CB cb = m_rtCb;
        void* user = m_rtUser;
        if (cb) {
            OSTRUM_RUNTIME_INFO info{1, static_cast<int32_t>(m_frameNum), 0, 0, OSTRUM_RUNTIME_KEY_MISMATCH};
            lk.unlock();
            cb(m_number, &info, user);
            lk.lock();
        }
        return;
    }
    OSTRUM_ENCRYPT_TYPE_CB cb = m_encCb;
    void* user = m_encUser;
    if (cb) {
        OSTRUM_ENCRYPT_INFO info{1, static_cast<int32_t>(m_key.size() * 8), 1};
        lk.unlock();
        cb(m_number, &info, user);
        lk.lock();
    }
}

void Port::PushFrame(AVFrame* f, int64_t pts, bool key, uint64_t generation) {
    Frame fr;
    if (pts < 0) pts = m_lastT >= 0 ? m_lastT : 0;
    fr.pts = pts;
    fr.t = RecorderMs(static_cast<uint64_t>(pts));
    m_lastT = pts;
    // The decoder starts at a key frame: every frame after it was decoded
    // from the last one met (also when that one was not shown).
    if (key || m_lastKeyT < 0) m_lastKeyT = fr.t;
    fr.keyT = m_lastKeyT;
    fr.key = key;
    if (m_prevT >= 0 && fr.t > m_prevT && fr.t - m_prevT <= 200) m_frameInterval = fr.t - m_prevT;
    m_prevT = fr.t;
    if (m_awaitKey) {
        if (!key) return;   // decoded before the skip began: as late as the rest
        // The key frame at the clock's time: one behind it would be dropped
        // as late too, with every frame decoded from it.
        int64_t cur = INT64_MIN;
        {
            std::lock_guard<std::mutex> ck(m_clock->m);
            if (m_clock->valid && m_clock->Running()) cur = m_clock->Now(NowMs());
        }
        if (fr.t < cur) {
            m_video.SkipToKey();
            return;
        }
        m_awaitKey = false;
    }
    fr.frame = av_frame_alloc();
    if (!fr.frame) return;
    av_frame_move_ref(fr.frame, f);
    std::lock_guard<std::mutex> lk(m_mutex);
    if (generation != m_generation || fr.t < m_dropBefore) {   // stale, or before the time moved to
        av_frame_free(&fr.frame);
        return;
    }
    m_dropBefore = INT64_MIN;
    m_frames.push_back(fr);
}

// Deciphers and hands on the collected frames of enciphered streams that
// began in a pack before `beforePack` (all of them for UINT64_MAX).
void Port::FlushCipherUnits(uint64_t beforePack, uint64_t generation) {
    for (size_t i = 0; i < m_cipherUnits.size();) {
        if (m_cipherUnits[i].pack >= beforePack) {
            ++i;
            continue;
        }
        CipherUnit u = std::move(m_cipherUnits[i]);
        m_cipherUnits.erase(m_cipherUnits.begin() + static_cast<std::ptrdiff_t>(i));
        Decipher(m_header, m_workerKey, u.id, u.pts, u.bytes.data(), u.bytes.size());
        HandlePayload(u.id, u.bytes.data(), u.bytes.size(), true, u.pts, generation);
    }
}

// A stream header inside the stream: the recordings of a joined file follow
// each other. What the decoder holds still belongs to the previous recording
// and its clock; the next recording decodes on its own header.
void Port::NextRecording(const PesUnit& unit, uint64_t generation) {
    recstream::StreamHeader next;
    std::memcpy(&next, unit.data, sizeof next);
    if (next.version != 1 || next.headerSize != recstream::kHeaderSize) return;
    FlushCipherUnits(UINT64_MAX, generation);
    m_video.Drain([&](AVFrame* f, int64_t pts, bool key) { PushFrame(f, pts, key, generation); });
    const bool newCodec = next.videoCodec != m_header.videoCodec;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (generation != m_generation) return;
        m_header = next;
        m_keyChecked = false;   // its own key check and nonce
    }
    m_lastT = -1;
    m_lastKeyT = -1;
    m_prevT = -1;
    if (newCodec) {
        m_video.Close();
        if (next.videoCodec != recstream::kVideoNone && !m_video.Open(next.videoCodec)) SetError(OSTRUM_ERR_DECODER);
    }
}

// Runs without the port mutex; only the decode thread touches the decoders.
void Port::HandleUnit(const PesUnit& unit, uint64_t generation) {
    const uint8_t id = unit.streamId;
    int keyState;
    bool enciphered;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        keyState = m_keyState;
        enciphered = (m_header.flags & recstream::kFlagEnciphered) != 0;
        if (enciphered) m_workerKey = m_key;
    }
    if (id == kUnitStreamHeader) {
        NextRecording(unit, generation);
        return;
    }
    if (!m_cipherUnits.empty()) FlushCipherUnits(unit.pack, generation);
    if (id == recstream::kStreamPrivate) {
        Block b;
        b.t = RecorderMs(unit.scr);
        b.bytes.assign(unit.data, unit.data + unit.size);
        m_blocks.push_back(std::move(b));
        return;
    }
    const bool video = id >= 0xE0 && id <= 0xEF;
    const bool audio = id >= 0xC0 && id <= 0xDF;
    if (!video && !audio) return;
    if (video) m_sawVideo = true;
    if (keyState != 0) return;  // enciphered and no fitting key: nothing to decode
    if (!enciphered) {
        HandlePayload(id, unit.data, unit.size, unit.hasPts, unit.pts, generation);
        return;
    }
    // A frame's cipher runs on over the PES pieces of its pack that carry no time.
    for (auto& u : m_cipherUnits) {
        if (u.id == id && !unit.hasPts) {
            u.bytes.insert(u.bytes.end(), unit.data, unit.data + unit.size);
            return;
        }
    }
    if (!unit.hasPts) return;  // a piece whose frame start was lost
    for (size_t i = 0; i < m_cipherUnits.size(); ++i) {
        if (m_cipherUnits[i].id == id) {
            CipherUnit u = std::move(m_cipherUnits[i]);
            m_cipherUnits.erase(m_cipherUnits.begin() + static_cast<std::ptrdiff_t>(i));
            Decipher(m_header, m_workerKey, u.id, u.pts, u.bytes.data(), u.bytes.size());
            HandlePayload(u.id, u.bytes.data(), u.bytes.size(), true, u.pts, generation);
            break;
        }
    }
    CipherUnit u;
    u.id = id;
    u.pts = unit.pts;
    u.pack = unit.pack;
    u.bytes.assign(unit.data, unit.data + unit.size);
    m_cipherUnits.push_back(std::move(u));
}

void Port::HandlePayload(uint8_t id, const uint8_t* data, size_t size, bool hasPts, uint64_t pts,
                         uint64_t generation) {
    bool keyOnly, soundOn;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        keyOnly = m_keyOnly || m_reverse;
        soundOn = m_soundWanted && m_speed == 0 && !m_paused;
    }
    if (id >= 0xE0 && id <= 0xEF) {
        if (!m_video.IsOpen()) return;
        m_video.SetKeyOnly(keyOnly);
        m_video.Push(data, size, hasPts ? static_cast<int64_t>(pts) : -1,
                     [&](AVFrame* f, int64_t fpts, bool key) { PushFrame(f, fpts, key, generation); });
        return;
    }
    if (!soundOn || AudioSink::Instance().Owner() != m_number || !hasPts) return;
    if (!m_audio) {
        m_audio = std::make_unique<AudioDecoder>();
        if (!m_audio->Open()) return;
    }
    Block b;
    b.t = RecorderMs(pts);
    m_audio->Decode(data, size, &b.bytes);
    if (!b.bytes.empty()) m_pcm.push_back(std::move(b));
}

// Hands out vehicle data whose time has been reached on screen, and sound
// whose time has come.
void Port::DeliverBlocks(std::unique_lock<std::mutex>& lk) {
    int64_t limit = m_shownT;
    if (!m_sawVideo || (m_sourceEnd && m_sourceBytes == 0 && m_frames.empty() && !m_decoderPending)) {
        std::lock_guard<std::mutex> ck(m_clock->m);
        if (m_clock->valid || !m_sawVideo) limit = m_sawVideo ? std::max(limit, m_clock->Now(NowMs())) : INT64_MAX;
    }
    while (!m_blocks.empty() && m_blocks.front().t <= limit) {
        Block b = std::move(m_blocks.front());
        m_blocks.pop_front();
        OSTRUM_ADDITION_DATA_CB cb = m_addCb;
        void* user = m_addUser;
        if (!cb) continue;
        b.bytes.push_back(0);  // texts end with a zero for careless readers
        OSTRUM_ADDITION_DATA data{OSTRUM_ADDITION_VEHICLE, 0, PackRecorderSeconds(b.t / 1000),
                                  static_cast<uint32_t>(b.bytes.size() - 1),
                                  reinterpret_cast<const char*>(b.bytes.data())};
        lk.unlock();
        cb(m_number, &data, user);
        lk.lock();
    }
    if (!m_pcm.empty()) {
        int64_t now;
        {
            std::lock_guard<std::mutex> ck(m_clock->m);
            now = m_clock->valid ? m_clock->Now(NowMs()) : INT64_MIN;
        }
        while (!m_pcm.empty() && (m_pcm.front().t <= now + 100 || m_pcm.size() > 200)) {
            AudioSink::Instance().Write(m_number, m_pcm.front().bytes.data(), m_pcm.front().bytes.size());
            m_pcm.pop_front();
        }
    }
}

void Port::Run() {
    std::unique_lock<std::mutex> lk(m_mutex);
    if (m_decoderStale) {
        m_decoderStale = false;
        m_video.Close();
        m_audio.reset();
        m_sawVideo = false;
        if (m_header.videoCodec != recstream::kVideoNone && !m_video.Open(m_header.videoCodec))
            SetError(OSTRUM_ERR_DECODER);
    }
    while (!m_quit) {
        if (m_workerGeneration != m_generation) {
            m_workerGeneration = m_generation;
            if (m_restartHeader) {
                m_restartHeader = false;
                if (m_header.videoCodec != m_fileHeader.videoCodec) {
                    m_video.Close();
                    if (m_fileHeader.videoCodec != recstream::kVideoNone && !m_video.Open(m_fileHeader.videoCodec))
                        SetError(OSTRUM_ERR_DECODER);
                }
                m_header = m_fileHeader;
            }
            m_demux.Reset();
            m_demuxStale = false;
            m_video.Reset();
            if (m_audio) m_audio->Reset();
            m_blocks.clear();
            m_pcm.clear();
            m_cipherUnits.clear();
            m_lastT = -1;
            m_lastKeyT = -1;
            m_prevT = -1;
            m_awaitKey = false;
            m_idleSince = 0;
            m_nextDecodeAt = 0;
            ClearUnits();
        }
        if (!m_keyChecked && (m_sourceBytes > 0 || m_demuxBuffered > 0)) {
            CheckKey(lk);
            continue;
        }
        const int64_t now = NowMs();
        m_sawNow = now;
        // Nothing to do waits until told (-1); only pacing, sound and data
        // held back by the parser wait for a time.
        int64_t wait = -1;

        // 1. the picture
        if (m_refit) {
            m_refit = false;
            lk.unlock();
            Refit();
            lk.lock();
            continue;
        }
        if (m_stepForward > 0 && m_historyBack > 0) {
            --m_stepForward;
            --m_historyBack;
            Kept kept = m_history[m_history.size() - 1 - m_historyBack];
            lk.unlock();
            ShowImage(ShownFrom(kept), true);
            lk.lock();
            continue;
        }
        if (!m_frames.empty()) {
            bool show = false;
            bool step = false;
            if (m_stepForward > 0) {
                --m_stepForward;
                show = true;
                step = true;
            } else if (!m_paused) {
                switch (Due(m_frames.front().t, now, &wait)) {
                case Pace::Show:
                    show = true;
                    break;
                case Pace::Wait:
                    break;
                case Pace::Skip:
                    av_frame_free(&m_frames.front().frame);
                    m_frames.pop_front();
                    SkipToKeyFrame();
                    m_cv.notify_all();
                    continue;
                case Pace::Drop:
                    av_frame_free(&m_frames.front().frame);
                    m_frames.pop_front();
                    m_cv.notify_all();
                    continue;
                }
            }
            if (show) {
                Frame f = m_frames.front();
                m_frames.pop_front();
                m_cv.notify_all();
                ++m_inFlight;
                lk.unlock();
                Present(f, !step);
                lk.lock();
                --m_inFlight;
                continue;
            }
        }

        // 2. vehicle data and sound
        if (!m_blocks.empty() || !m_pcm.empty()) {
            DeliverBlocks(lk);
            if (!m_paused && (!m_blocks.empty() || !m_pcm.empty())) wait = wait < 0 ? 20 : std::min<int64_t>(wait, 20);
        }

        // 3. decoding
        const bool decoderBusy = m_decodeCostMs > 0 && now < m_nextDecodeAt;
        if (decoderBusy) wait = wait < 0 ? m_nextDecodeAt - now : std::min(wait, m_nextDecodeAt - now);
        if (m_frames.size() < m_maxFrames && !decoderBusy) {
            PesUnit unit;
            if (m_demux.Next(&unit)) {
                uint64_t gen = m_generation;
                ++m_inFlight;
                const uint64_t decodedBefore = m_video.Decoded();
                lk.unlock();
                HandleUnit(unit, gen);
                lk.lock();
                if (m_decodeCostMs > 0 && m_video.Decoded() != decodedBefore) m_nextDecodeAt = now + m_decodeCostMs;
                --m_inFlight;
                m_demuxBuffered = m_demux.Buffered();
                m_decoderPending = m_video.HasPending();
                m_idleSince = 0;
                continue;
            }
            m_demuxBuffered = m_demux.Buffered();
            if (!m_source.empty()) {
                std::vector<uint8_t> chunk = std::move(m_source.front());
                m_source.pop_front();
                m_sourceBytes -= chunk.size();
                m_cv.notify_all();
                m_demux.Feed(chunk.data(), chunk.size());
                m_demuxBuffered = m_demux.Buffered();
                m_demuxStale = false;
                continue;
            }
            if (!m_cipherUnits.empty() && (m_sourceEnd || (m_idleSince != 0 && now - m_idleSince > 500))) {
                uint64_t gen = m_generation;
                ++m_inFlight;
                lk.unlock();
                FlushCipherUnits(UINT64_MAX, gen);
                lk.lock();
                --m_inFlight;
                continue;
            }
            if (m_idleSince == 0) m_idleSince = now;
            // Bytes that have made no whole unit by the end of the data (a
            // recording cut inside its last unit), or for half a second with
            // nothing new, are nothing still to come: they are kept, in case
            // more data completes them, but not counted as waiting.
            if (m_demuxBuffered > 0 && (m_sourceEnd || now - m_idleSince > 500)) m_demuxStale = true;
            if (!m_cipherUnits.empty()) wait = wait < 0 ? 100 : std::min<int64_t>(wait, 100);
            if (m_video.HasPending()) {
                // At the end of the data hand over what the parser still holds.
                if (m_sourceEnd || now - m_idleSince > 500) {
                    uint64_t gen = m_generation;
                    ++m_inFlight;
                    lk.unlock();
                    m_video.Drain([&](AVFrame* f, int64_t pts, bool key) { PushFrame(f, pts, key, gen); });
                    lk.lock();
                    --m_inFlight;
                    m_decoderPending = false;
                    continue;
                }
                wait = wait < 0 ? 100 : std::min<int64_t>(wait, 100);
            }
        }
        m_waiting = true;
        m_waitingUntold = wait < 0;
        m_settledCv.notify_all();
        if (wait < 0)
            m_cv.wait(lk);
        else
            m_cv.wait_for(lk, std::chrono::milliseconds(std::clamp<int64_t>(wait, 1, 250)));
        m_waiting = false;
        m_waitingUntold = false;
    }
    for (auto& f : m_frames) av_frame_free(&f.frame);
    m_frames.clear();
}

}  // namespace vintrel
