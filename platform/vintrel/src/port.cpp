// SPDX-License-Identifier: GPL-3.0-or-later
#include "port.h"

#include <QWidget>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>

extern "C" {
#include <libavutil/frame.h>
}

#include "audio_sink.h"
#include "container.h"
#include "files.h"
#include "surface.h"
#include "test_hooks.h"

namespace vintrel {

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

// ---- port ------------------------------------------------------------------------
Port::Port(int number)
    : m_number(number), m_surface(std::make_shared<Surface>(number)), m_presenter(m_surface), m_decoder(this) {
    JoinClock(std::make_shared<Clock>());
    m_surface->SetResizeHandler([this] {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_refit = true;
        Poke();
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
    m_source.Close();
    m_streamOpen = false;
    m_fileOpen = false;
    if (m_clock) m_clock->Leave(m_countedPaused, NowMs());
    m_clock.reset();
    m_countedPaused = false;
    lk.unlock();
    m_surface->Detach();
    if (AudioSink::Instance().Owner() == m_number) AudioSink::Instance().Stop();
    m_presenter.FreeConverters();
}

void Port::Poke() {
    m_decodePoked = true;
    m_presentPoked = true;
    m_cv.notify_all();
    m_presentCv.notify_all();
}

void Port::Settle(int64_t now) {
    std::unique_lock<std::mutex> lk(m_mutex);
    Poke();
    m_settledCv.wait(lk, [&] {
        return !m_worker.joinable() || (m_waiting && !m_decodePoked && m_sawNow >= now && m_presentWaiting &&
                                        !m_presentPoked && m_presentSawNow >= now);
    });
}

void Port::SetDecodeCost(int64_t ms, int64_t keyMs) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_decodeCostMs = ms;
    m_keyDecodeCostMs = keyMs;
    // What the decoder knows of its costs from now on.
    m_frameCostUs = static_cast<double>(ms) * 1000.0;
    m_keyCostUs = static_cast<double>(keyMs > 0 ? keyMs : ms) * 1000.0;
    Poke();
}

void Port::HoldDecoder(bool hold) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_holdDecoder = hold;
    Poke();
}

bool Port::WaitsUntilTold() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_worker.joinable() && m_waiting && m_waitingUntold && m_presentWaiting && m_presentUntold;
}

void Port::JoinClock(std::shared_ptr<Clock> clock) {
    const int64_t now = NowMs();
    if (m_clock) m_clock->Leave(m_countedPaused, now);
    m_clock = std::move(clock);
    m_countedPaused = m_paused;
    m_clock->Join(m_paused, now);
}

void Port::SetPausedLocked(bool paused) {
    // Only a paused window can step back: its history begins with the
    // picture it stopped on, and a playing window keeps none.
    if (paused && !m_paused) m_presenter.StartHistory();
    if (!paused && m_paused) m_presenter.ClearHistory();
    m_paused = paused;
    if (paused == m_countedPaused) return;
    m_clock->SetMemberPaused(paused, NowMs());
    m_countedPaused = paused;
}

void Port::ClearFramesLocked() {
    for (auto& f : m_frames) av_frame_free(&f.frame);
    m_frames.clear();
    av_frame_free(&m_costly.frame);
}

void Port::ClearQueues() {
    m_source.Clear();
    m_demuxBuffered = 0;
    m_decoderPending = false;
    ClearFramesLocked();
    ++m_generation;
    m_skipRequested = false;
    m_lastDropBehind = -1;
    Poke();
}

void Port::StopWorker(std::unique_lock<std::mutex>& lk) {
    if (!m_worker.joinable()) return;
    m_quit = true;
    Poke();
    std::thread decode = std::move(m_worker);
    std::thread present = std::move(m_presentThread);
    m_settledCv.notify_all();
    lk.unlock();
    decode.join();
    if (present.joinable()) present.join();
    lk.lock();
    ClearFramesLocked();
    m_quit = false;
    m_playing = false;
}

// ---- streams ---------------------------------------------------------------------
bool Port::SetStreamOpenMode(uint32_t mode) {
    if (mode > 1) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    m_openMode = mode;
    Poke();
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
    m_source.Open(std::max<size_t>(bufferSize, OSTRUM_MIN_SOURCE_BUFFER));
    m_header = h;
    m_decoder.SetHeader(h);
    m_dropBefore = INT64_MIN;
    m_streamOpen = true;
    m_streamFromFile = fromFile;
    m_decoderStale = true;
    m_keyChecked = false;
    m_keyState = 0;
    m_presenter.ClearShown();
    m_frameNum = 0;
    m_width = h.width;
    m_height = h.height;
    m_speed = 0;
    m_stepForward = 0;
    m_reverse = false;
    SetPausedLocked(false);
    m_clock->Restart();
    m_moved = true;
    return true;
}

bool Port::InputData(const void* data, uint32_t size) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    if (!data) {
        if (size != uint32_t(-1)) { SetError(OSTRUM_ERR_PARAM); return false; }
        m_source.MarkEnd();
        Poke();
        return true;
    }
    if (size == 0 || size == uint32_t(-1)) { SetError(OSTRUM_ERR_PARAM); return false; }
    if (!m_source.Offer(static_cast<const uint8_t*>(data), size)) {
        SetError(OSTRUM_ERR_BUF_FULL);
        return false;
    }
    Poke();
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
        m_clock->LetGo();
        m_moved = true;
        AudioSink::Instance().Clear(m_number);
        return true;
    case OSTRUM_BUF_VIDEO:
        ClearFramesLocked();
        Poke();
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
    size_t n = m_source.Bytes() + (m_demuxBuffered > 3 && !m_demuxStale ? m_demuxBuffered : 0);
    return static_cast<uint32_t>(std::min<size_t>(n, UINT32_MAX));
}

uint32_t Port::BufferValue(uint32_t kind) {
    std::lock_guard<std::mutex> lk(m_mutex);
    switch (kind) {
    case OSTRUM_BUF_SOURCE:
        return static_cast<uint32_t>(m_source.Bytes() + m_demuxBuffered);
    case OSTRUM_BUF_VIDEO:
        return static_cast<uint32_t>(m_frames.size());
    case OSTRUM_BUF_AUDIO:
        return AudioSink::Instance().Owner() == m_number ? static_cast<uint32_t>(AudioSink::Instance().Queued()) : 0;
    case OSTRUM_BUF_FRAMES_LEFT: {
        bool more = m_source.Bytes() > 0 || (m_demuxBuffered > 3 && !m_demuxStale) || m_decoderPending || m_feeding;
        return static_cast<uint32_t>(m_frames.size() + m_inFlight + (m_costly.frame ? 1 : 0)) + (more ? 1 : 0);
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
    ClearFramesLocked();
    m_presenter.ClearHistory();
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
    m_source.Close();
    m_streamOpen = false;
    m_streamFromFile = false;
    m_header = recstream::StreamHeader{};
    m_presenter.ClearShown();
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
    m_source.WakeWaiters();
    m_feeder.join();
    m_feederStop = false;
}

// Queues a block of stream bytes read from the file, waiting while the
// source buffer is full; false when the feeding is to end.
bool Port::QueueFileData(std::vector<uint8_t>&& block) {
    if (!m_source.Put(std::move(block), [this] { return m_feederStop.load(); })) return false;
    std::lock_guard<std::mutex> lk(m_mutex);
    Poke();
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
    if (go && !m_feederStop && m_streamOpen) m_source.MarkEnd();
    Poke();
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
    m_presenter.ClearHistory();
    m_stepForward = 0;
    // The clock (also a group's: its ports move together) takes the time
    // moved to from the first frame shown there.
    m_clock->LetGo();
    m_moved = true;
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
    SetPausedLocked(false);
    if (m_group < 0) {
        m_clock->LetGo();
        m_moved = true;
    }
    if (!m_worker.joinable()) {
        try {
            m_worker = std::thread(&Port::RunDecoder, this);
        } catch (...) {
            SetError(OSTRUM_ERR_THREAD);
            return false;
        }
        try {
            m_presentThread = std::thread(&Port::RunPresenter, this);
        } catch (...) {
            StopWorker(lk);
            SetError(OSTRUM_ERR_THREAD);
            return false;
        }
    }
    m_playing = true;
    Poke();
    lk.unlock();
    if (startFeeder && !StartFeeder(0)) return false;
    if (attach) {
        m_surface->Attach(window);
        const QImage current = m_presenter.FullShownPicture();
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
    Poke();
    return true;
}

bool Port::Pause(bool on) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
    SetPausedLocked(on);
    if (!on) m_stepForward = 0;
    Poke();
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
    m_clock->SetRate(std::ldexp(1.0, m_speed), NowMs());
    Poke();
    return true;
}

bool Port::OneByOne() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
    SetPausedLocked(true);
    ++m_stepForward;
    Poke();
    return true;
}

bool Port::OneByOneBack() {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (!m_playing) { SetError(OSTRUM_ERR_ORDER); return false; }
        SetPausedLocked(true);
        m_stepForward = 0;
    }
    if (!m_presenter.CanStepBack()) {
        // Decoded again, from the key frame before, the frames before the
        // first one kept.
        int64_t firstT;
        std::deque<Picture> made;
        if (m_presenter.FirstKeptT(&firstT) && m_decoder.DecodeBefore(firstT, &made))
            m_presenter.PrependHistory(std::move(made), firstT);
    }
    Picture picture;
    if (!m_presenter.StepBack(&picture)) { SetError(OSTRUM_ERR_NO_FRAME); return false; }
    ShowKept(picture, true);
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
    Poke();
    return true;
}

bool Port::SetSyncGroup(int group) {
    if (group < -1 || group > 1) { SetError(OSTRUM_ERR_PARAM); return false; }
    static std::shared_ptr<Clock> groups[2] = {std::make_shared<Clock>(), std::make_shared<Clock>()};
    std::lock_guard<std::mutex> lk(m_mutex);
    if (group == m_group) return true;
    const double rate = m_clock->Rate();
    JoinClock(group < 0 ? std::make_shared<Clock>() : groups[group]);
    m_group = group;
    if (group < 0) m_clock->SetRate(rate, NowMs());
    Poke();
    return true;
}

OSTRUM_PACKED_TIME Port::SpecialData() {
    const int64_t shown = m_presenter.ShownT();
    if (shown < 0) { SetError(OSTRUM_ERR_NO_PICTURE); return 0; }
    return PackRecorderSeconds(shown / 1000);
}

bool Port::PlayedTime(OSTRUM_FILE_TIME* time) {
    if (!time) { SetError(OSTRUM_ERR_PARAM); return false; }
    const int64_t shown = m_presenter.ShownT();
    if (shown < 0) { SetError(OSTRUM_ERR_NO_PICTURE); return false; }
    *time = OSTRUM_FILE_TIME{};
    RecorderSecondsToFields(shown / 1000, time);
    time->millisecond = static_cast<int32_t>(shown % 1000);
    return true;
}

bool Port::PlayedKeyTime(OSTRUM_FILE_TIME* time) {
    if (!time) { SetError(OSTRUM_ERR_PARAM); return false; }
    int64_t shown, key;
    m_presenter.ShownTimes(&shown, &key);
    if (shown < 0 || key < 0) { SetError(OSTRUM_ERR_NO_PICTURE); return false; }
    *time = OSTRUM_FILE_TIME{};
    RecorderSecondsToFields(key / 1000, time);
    time->millisecond = static_cast<int32_t>(key % 1000);
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
    Poke();
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
    Poke();
    return true;
}

bool Port::SetDisplayRegion(uint32_t region, const OSTRUM_RECT* rect) {
    if (region != 0) { SetError(OSTRUM_ERR_PARAM); return false; }
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_streamOpen) { SetError(OSTRUM_ERR_ORDER); return false; }
    if (!rect) {
        m_surface->SetRegion(QRect());
        m_refit = true;
        Poke();
        return true;
    }
    if (rect->left < 0 || rect->top < 0 || rect->right <= rect->left || rect->bottom <= rect->top ||
        (m_width > 0 && rect->right > m_width) || (m_height > 0 && rect->bottom > m_height)) {
        SetError(OSTRUM_ERR_PARAM);
        return false;
    }
    m_surface->SetRegion(QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top));
    m_refit = true;
    Poke();
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
    image = m_presenter.FullShownPicture();
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
    const int color[4] = {b, c, s, h};
    m_presenter.SetColor(color);
    return true;
}

bool Port::GetColor(int* b, int* c, int* s, int* h) {
    if (!b || !c || !s || !h) { SetError(OSTRUM_ERR_PARAM); return false; }
    int color[4];
    m_presenter.GetColor(color);
    *b = color[0];
    *c = color[1];
    *s = color[2];
    *h = color[3];
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
// shows every frame. A window of a group whose decoder does not catch up from
// one dropped frame to the next, and any window more than a second behind,
// stops decoding until the key frame at the clock's time.
Pace Port::Due(const Frame& frame, int64_t now, int64_t* waitMs) {
    const int64_t t = frame.t;
    if (m_openMode == OSTRUM_STREAM_LIVE) return Pace::Show;
    if (m_reverse) {
        // Key frames only, paced on the recorder clock: the picture moves
        // backwards at the chosen speed, as forward play moves forwards.
        // The first picture, one that is not earlier than the last, and one
        // across a gap in the recording are shown at once.
        const int64_t shownT = m_presenter.ShownT();
        const int64_t back = shownT - t;
        if (shownT < 0 || back <= 0 || back > 3000) return Pace::Show;
        const int64_t interval = static_cast<int64_t>(static_cast<double>(back) / std::ldexp(1.0, m_speed));
        if (now - m_lastPresentWall >= interval) return Pace::Show;
        *waitMs = interval - (now - m_lastPresentWall);
        return Pace::Wait;
    }
    int64_t behind = 0;
    Pace pace = m_clock->Decide(t, now, m_group < 0, m_moved, frame.interval, waitMs, &behind);
    if (pace == Pace::Show) m_moved = false;
    if (pace == Pace::Drop) {
        // More than two frames late, and later than the frame dropped
        // before: the decoder does not keep up, and every frame it decodes
        // from here on would be dropped too.
        if (m_lastDropBehind >= 0 && behind > 2 * frame.interval && behind >= m_lastDropBehind) return Pace::Skip;
        m_lastDropBehind = behind;
    } else if (pace == Pace::Show) {
        m_lastDropBehind = -1;
    }
    return pace;
}

// Late: what is queued and not a key frame goes, and the decoder passes over
// everything up to the first key frame not behind the clock. Under m_mutex.
void Port::SkipToKeyFrame() {
    for (auto it = m_frames.begin(); it != m_frames.end();) {
        if (it->key) {
            ++it;
            continue;
        }
        av_frame_free(&it->frame);
        it = m_frames.erase(it);
    }
    m_lastDropBehind = -1;
    m_skipRequested = true;   // taken up by the decode thread
    Poke();
}

void Port::ShowKept(const Picture& picture, bool callback) {
    const QImage image = m_presenter.Convert(picture.frame.get());
    OSTRUM_DISPLAY_CB cb;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_presenter.SetShownKept(picture, image);
        cb = m_dispCb;
    }
    m_surface->SetImage(image);
    if (callback && cb && !image.isNull())
        cb(m_number, reinterpret_cast<const char*>(image.constBits()), static_cast<int>(image.sizeInBytes()),
           image.width(), image.height(), static_cast<int>(picture.pts / 90), OSTRUM_PIC_RGB32);
}

void Port::Present(Frame frame, bool unlessPaused, uint64_t generation) {
    // A client that takes every frame gets it at full size; the screen alone
    // gets the shown part of the picture made at its view's size, which saves
    // converting (and painting) the whole picture on every frame.
    bool wantsFull;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        wantsFull = m_dispCb != nullptr;
    }
    bool fitted;
    const QImage image = m_presenter.ScreenPicture(frame.frame, !wantsFull, &fitted);
    m_lastPresentWall = NowMs();
    if (image.isNull()) {
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
            if (generation == m_generation)
                m_frames.push_front(frame);
            else
                av_frame_free(&frame.frame);
            return;
        }
        Picture picture;
        picture.frame = ShareFrame(frame.frame);
        picture.t = frame.t;
        picture.pts = frame.pts;
        picture.keyT = frame.keyT;
        // A single step of a paused window is kept for stepping back.
        m_presenter.SetShown(picture, fitted ? QImage() : image, m_paused);
        m_width = width;
        m_height = height;
        ++m_frameNum;
        cb = m_dispCb;
    }
    m_surface->SetImage(image, fitted);
    if (cb) {
        // (A client that came while the frame was being made gets it whole.)
        const QImage full = fitted ? m_presenter.FullShownPicture() : image;
        if (!full.isNull())
            cb(m_number, reinterpret_cast<const char*>(full.constBits()), static_cast<int>(full.sizeInBytes()),
               full.width(), full.height(), static_cast<int>(frame.pts / 90), OSTRUM_PIC_RGB32);
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

// ---- what the decoder asks of the port ------------------------------------------------
void Port::Decoded(Frame frame, uint64_t generation) {
    std::unique_lock<std::mutex> lk(m_mutex);
    if (generation != m_generation || frame.t < m_dropBefore) {   // stale, or before the time moved to
        av_frame_free(&frame.frame);
        return;
    }
    m_dropBefore = INT64_MIN;
    if (m_decodeCostMs > 0 && m_keyDecodeCostMs > 0 && frame.key) {
        // (Test hook) the key frame comes out once its decoding time has
        // passed on the clock; the decode thread takes it up then.
        if (m_costly.frame) ReleaseHeldFrame(lk);   // a unit gave two frames: the first goes on now
        m_costly = frame;
        m_costlyGeneration = generation;
        m_costlyReadyAt = m_unitStartedAt + m_keyDecodeCostMs;
        return;
    }
    Accept(frame, generation, lk);
}

void Port::ReleaseHeldFrame(std::unique_lock<std::mutex>& lk) {
    Frame held = m_costly;
    m_costly = Frame{};
    if (m_costlyGeneration != m_generation) {
        av_frame_free(&held.frame);
        return;
    }
    ++m_inFlight;
    Accept(held, m_costlyGeneration, lk);
    --m_inFlight;
}

void Port::Accept(Frame frame, uint64_t generation, std::unique_lock<std::mutex>& lk) {
    if (!m_skipRequested && NextKeyOutOfReach(frame)) m_skipRequested = true;   // taken up after this unit
    if (m_frames.empty() && !m_presenting && !m_paused && m_stepForward == 0 && !m_refit) {
        // A frame due when it comes, with none before it, is shown here:
        // handing it over would only have the picture read again from
        // another core's cache.
        int64_t wait = -1;
        switch (Due(frame, NowMs(), &wait)) {
        case Pace::Show:
            m_presenting = true;
            lk.unlock();
            Present(frame, true, generation);
            lk.lock();
            m_presenting = false;
            m_presentPoked = true;   // a frame a pause sent back, or the next one
            m_presentCv.notify_all();
            return;
        case Pace::Drop:
            av_frame_free(&frame.frame);
            return;
        case Pace::Skip:
            av_frame_free(&frame.frame);
            SkipToKeyFrame();
            return;
        case Pace::Wait:
            break;
        }
    }
    m_frames.push_back(frame);
    m_presentPoked = true;
    m_presentCv.notify_all();
}

// A window of a group whose decoder is short of time passes over the rest of
// a key frame's pictures once decoding one more would make the next key frame
// late: that one is shown in time and the group's seconds change together in
// every window; what goes is the end of a second, a lower frame rate.
bool Port::NextKeyOutOfReach(const Frame& frame) {
    if (m_group < 0 || m_paused || m_reverse || m_stepForward > 0 || m_openMode == OSTRUM_STREAM_LIVE || frame.key ||
        frame.keyInterval <= 0 || m_frameCostUs <= 0 || m_keyCostUs <= 0)
        return false;
    const int64_t nextKey = frame.keyT + frame.keyInterval;
    if (nextKey <= frame.t) return false;
    if (nextKey - frame.t <= frame.interval) return false;   // the key frame comes next
    double left;
    // With half a key frame's time to spare: its cost varies by a third.
    return UsUntil(nextKey, &left) && m_frameCostUs + 1.5 * m_keyCostUs > left;
}

bool Port::KeyFrameInReach(int64_t t) {
    std::lock_guard<std::mutex> lk(m_mutex);
    double left;
    return !UsUntil(t, &left) || left >= m_keyCostUs;
}

bool Port::UsUntil(int64_t t, double* us) {
    const int64_t now = m_clock->Now(NowMs(), true);
    if (now == INT64_MIN) return false;
    *us = static_cast<double>(t - now) * 1000.0 / m_clock->Rate();
    return true;
}

int64_t Port::UnitCostUs(int64_t startedUs, bool key) const {
    if (m_decodeCostMs > 0) return (key && m_keyDecodeCostMs > 0 ? m_keyDecodeCostMs : m_decodeCostMs) * 1000;
    // The clock the frames are paced on: a test's manual clock stands while
    // a unit is decoded, however long the machine takes over it.
    return ManualClockInUse() ? 0 : MonotonicUs() - startedUs;
}

void Port::NoteDecodeTime(int64_t us, bool key) {
    // Mostly the last few: the share of the CPU a decoder gets moves.
    double& cost = key ? m_keyCostUs : m_frameCostUs;
    cost = cost <= 0 ? static_cast<double>(us) : 0.7 * cost + 0.3 * static_cast<double>(us);
}

int64_t Port::ClockNow() {
    std::shared_ptr<Clock> clock;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        clock = m_clock;
    }
    return clock->Now(NowMs(), true);
}

Decoder::Client::Settings Port::CurrentSettings(bool enciphered) {
    const bool soundHere = AudioSink::Instance().Owner() == m_number;
    std::lock_guard<std::mutex> lk(m_mutex);
    Settings s;
    s.keyState = m_keyState;
    if (enciphered) s.key = m_key;
    s.keyOnly = m_keyOnly || m_reverse;
    s.soundOn = soundHere && m_soundWanted && m_speed == 0 && !m_paused;
    return s;
}

bool Port::NextRecording(const recstream::StreamHeader& header, uint64_t generation) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (generation != m_generation) return false;
    m_header = header;
    m_keyChecked = false;   // its own key check and nonce
    return true;
}

// Hands out vehicle data whose time has been reached on screen, and sound
// whose time has come.
void Port::DeliverBlocks(std::unique_lock<std::mutex>& lk) {
    int64_t limit = m_presenter.ShownT();
    if (!m_decoder.SawVideo()) {
        limit = INT64_MAX;
    } else if (m_source.Ended() && m_source.Bytes() == 0 && m_frames.empty() && !m_decoderPending) {
        const int64_t now = m_clock->Now(NowMs());
        if (now != INT64_MIN) limit = std::max(limit, now);
    }
    Block b;
    while (m_decoder.TakeBlock(limit, &b)) {
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
    m_decoder.WriteSound(m_number, m_clock->Now(NowMs()));
}

void Port::RunDecoder() {
    std::unique_lock<std::mutex> lk(m_mutex);
    if (m_decoderStale) {
        m_decoderStale = false;
        if (!m_decoder.OpenCodecs()) SetError(OSTRUM_ERR_DECODER);
    }
    while (!m_quit) {
        m_decodePoked = false;
        if (m_workerGeneration != m_generation) {
            m_workerGeneration = m_generation;
            if (m_restartHeader) {
                m_restartHeader = false;
                if (!m_decoder.Restart(m_fileHeader)) SetError(OSTRUM_ERR_DECODER);
                m_header = m_fileHeader;
            }
            m_decoder.Reset();
            m_demuxStale = false;
            m_idleSince = 0;
            m_nextDecodeAt = 0;
        }
        if (m_skipRequested) {
            m_skipRequested = false;
            m_decoder.SkipToKeyFrame();
        }
        if (!m_keyChecked && (m_source.Bytes() > 0 || m_demuxBuffered > 0)) {
            CheckKey(lk);
            continue;
        }
        const int64_t now = NowMs();
        m_sawNow = now;
        // Nothing to do waits until told (-1); only sound, data held back by
        // the parser (and a decoder slowed by a test) wait for a time.
        int64_t wait = -1;

        // vehicle data and sound of the frames shown
        if (m_decoder.HasBlocks()) {
            DeliverBlocks(lk);
            if (!m_paused && m_decoder.HasBlocks()) wait = 20;
        }

        // decoding
        // (Test hook) a frame whose decoding time has not passed yet.
        if (m_costly.frame && now >= m_costlyReadyAt) {
            ReleaseHeldFrame(lk);
            continue;
        }
        const bool decoderBusy = m_decodeCostMs > 0 && now < m_nextDecodeAt;
        if (decoderBusy) wait = wait < 0 ? m_nextDecodeAt - now : std::min(wait, m_nextDecodeAt - now);
        // The frame being shown counts: no more decoded frames are held
        // than the display buffer allows.
        if (m_frames.size() + (m_presenting ? 1 : 0) < m_maxFrames && !decoderBusy) {
            PesUnit unit;
            if (m_decoder.NextUnit(&unit)) {
                while (m_holdDecoder && !m_quit) {   // a unit that takes long (test hook)
                    m_waiting = true;
                    m_decodePoked = false;
                    m_sawNow = NowMs();
                    m_settledCv.notify_all();
                    m_cv.wait(lk);
                }
                m_waiting = false;
                const uint64_t gen = m_generation;
                const uint64_t decodedBefore = m_decoder.Decoded();
                ++m_inFlight;
                const int64_t startedUs = MonotonicUs();
                m_unitStartedAt = now;
                lk.unlock();
                m_decoder.HandleUnit(unit, gen);
                lk.lock();
                --m_inFlight;
                if (m_decoder.Decoded() != decodedBefore) {
                    const bool key = m_decoder.LastDecodedKey();
                    NoteDecodeTime(UnitCostUs(startedUs, key), key);
                    if (m_decodeCostMs > 0) m_nextDecodeAt = m_costly.frame ? m_costlyReadyAt : now + m_decodeCostMs;
                }
                m_demuxBuffered = m_decoder.Buffered();
                m_decoderPending = m_decoder.HasPending();
                m_idleSince = 0;
                continue;
            }
            m_demuxBuffered = m_decoder.Buffered();
            std::vector<uint8_t> chunk;
            if (m_source.Take(&chunk)) {
                m_decoder.Feed(chunk);
                m_demuxBuffered = m_decoder.Buffered();
                m_demuxStale = false;
                continue;
            }
            const bool ended = m_source.Ended();
            if (m_decoder.HasCipherUnits() && (ended || (m_idleSince != 0 && now - m_idleSince > 500))) {
                const uint64_t gen = m_generation;
                ++m_inFlight;
                lk.unlock();
                m_decoder.FlushCipherUnits(gen);
                lk.lock();
                --m_inFlight;
                continue;
            }
            if (m_idleSince == 0) m_idleSince = now;
            // Bytes that have made no whole unit by the end of the data (a
            // recording cut inside its last unit), or for half a second with
            // nothing new, are nothing still to come: they are kept, in case
            // more data completes them, but not counted as waiting.
            if (m_demuxBuffered > 0 && (ended || now - m_idleSince > 500)) m_demuxStale = true;
            if (m_decoder.HasCipherUnits()) wait = wait < 0 ? 100 : std::min<int64_t>(wait, 100);
            if (m_decoder.HasPending()) {
                // At the end of the data hand over what the parser still holds.
                if (ended || now - m_idleSince > 500) {
                    const uint64_t gen = m_generation;
                    ++m_inFlight;
                    lk.unlock();
                    m_decoder.Drain(gen);
                    lk.lock();
                    --m_inFlight;
                    m_decoderPending = false;
                    continue;
                }
                wait = wait < 0 ? 100 : std::min<int64_t>(wait, 100);
            }
        }
        if (m_decodePoked) continue;   // told something while it worked
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
}

void Port::RunPresenter() {
    std::unique_lock<std::mutex> lk(m_mutex);
    while (!m_quit) {
        m_presentPoked = false;
        const int64_t now = NowMs();
        m_presentSawNow = now;
        // Nothing to show waits until a frame or a control comes (-1); a
        // frame not due yet waits for its time.
        int64_t wait = -1;
        if (m_refit) {
            m_refit = false;
            m_presenting = true;   // no frame goes on screen meanwhile
            lk.unlock();
            m_presenter.Refit();
            lk.lock();
            m_presenting = false;
            continue;
        }
        if (m_stepForward > 0) {
            Picture kept;
            if (m_presenter.StepForward(&kept)) {   // forward again through the history
                --m_stepForward;
                lk.unlock();
                ShowKept(kept, true);
                lk.lock();
                continue;
            }
        }
        if (!m_frames.empty()) {
            bool show = false;
            bool step = false;
            if (m_stepForward > 0) {
                --m_stepForward;
                show = true;
                step = true;
            } else if (!m_paused) {
                switch (Due(m_frames.front(), now, &wait)) {
                case Pace::Show:
                    show = true;
                    break;
                case Pace::Wait:
                    break;
                case Pace::Skip:
                    av_frame_free(&m_frames.front().frame);
                    m_frames.pop_front();
                    SkipToKeyFrame();
                    continue;
                case Pace::Drop:
                    av_frame_free(&m_frames.front().frame);
                    m_frames.pop_front();
                    m_decodePoked = true;   // room for the next frame
                    m_cv.notify_all();
                    continue;
                }
            }
            if (show) {
                Frame f = m_frames.front();
                m_frames.pop_front();
                const uint64_t gen = m_generation;
                ++m_inFlight;
                m_presenting = true;
                lk.unlock();
                Present(f, !step, gen);
                lk.lock();
                m_presenting = false;
                --m_inFlight;
                // Room for the next frame, and the data of this one's time.
                m_decodePoked = true;
                m_cv.notify_all();
                continue;
            }
        }
        if (m_presentPoked) continue;   // told something while it worked
        m_presentWaiting = true;
        m_presentUntold = wait < 0;
        m_settledCv.notify_all();
        if (wait < 0)
            m_presentCv.wait(lk);
        else
            m_presentCv.wait_for(lk, std::chrono::milliseconds(std::clamp<int64_t>(wait, 1, 250)));
        m_presentWaiting = false;
        m_presentUntold = false;
    }
}

}  // namespace vintrel
