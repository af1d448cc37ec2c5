// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder.h"

#include <climits>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include "audio_decoder.h"
#include "audio_sink.h"
#include "files.h"

namespace vintrel {

namespace {

// Compressed video kept for decoding again when stepping back.
constexpr size_t kUnitsBudget = 16u << 20;

}  // namespace

Decoder::Decoder(Client* client) : m_client(client) {
    m_video.SetUnitTap([this](const uint8_t* data, int size, int64_t pts, bool key) { LogUnit(data, size, pts, key); });
    // Skipping ahead, a key frame that would be late anyway is not decoded:
    // it is the dearest frame of all.
    m_video.SetKeyFilter([this](int64_t pts) {
        if (!m_awaitKey || pts < 0) return true;
        const int64_t t = RecorderMs(static_cast<uint64_t>(pts));
        if (m_client->KeyFrameInReach(t)) return true;
        MetKey(t);
        return false;
    });
}

Decoder::~Decoder() = default;

int64_t Decoder::RecorderMs(uint64_t ts90k) const {
    return int64_t(m_header.startTime) * 1000 + static_cast<int64_t>(ts90k / 90);
}

bool Decoder::OpenCodecs() {
    m_video.Close();
    m_audio.reset();
    m_sawVideo = false;
    return m_header.videoCodec == recstream::kVideoNone || m_video.Open(m_header.videoCodec);
}

bool Decoder::Restart(const recstream::StreamHeader& header) {
    bool ok = true;
    if (m_header.videoCodec != header.videoCodec) {
        m_video.Close();
        ok = header.videoCodec == recstream::kVideoNone || m_video.Open(header.videoCodec);
    }
    m_header = header;
    return ok;
}

void Decoder::Reset() {
    m_demux.Reset();
    m_video.Reset();
    if (m_audio) m_audio->Reset();
    m_blocks.clear();
    m_pcm.clear();
    m_cipherUnits.clear();
    m_lastT = -1;
    m_lastKeyT = -1;
    m_keyMetT = -1;
    m_prevT = -1;
    m_awaitKey = false;
    ClearUnits();
}

void Decoder::MetKey(int64_t t) {
    if (m_keyMetT >= 0 && t > m_keyMetT && t - m_keyMetT <= 10000) m_keyInterval = t - m_keyMetT;
    m_keyMetT = t;
}

void Decoder::SkipToKeyFrame() {
    if (m_awaitKey) return;
    m_awaitKey = true;
    m_video.SkipToKey();
}

void Decoder::PushFrame(AVFrame* f, int64_t pts, bool key, uint64_t generation) {
    Frame fr;
    if (pts < 0) pts = m_lastT >= 0 ? m_lastT : 0;
    fr.pts = pts;
    fr.t = RecorderMs(static_cast<uint64_t>(pts));
    m_lastT = pts;
    // The decoder starts at a key frame: every frame after it was decoded
    // from the last one met (also when that one was not shown).
    if (key) MetKey(fr.t);
    if (key || m_lastKeyT < 0) m_lastKeyT = fr.t;
    fr.keyT = m_lastKeyT;
    fr.keyInterval = m_keyInterval;
    fr.key = key;
    if (m_prevT >= 0 && fr.t > m_prevT && fr.t - m_prevT <= 200) m_frameInterval = fr.t - m_prevT;
    m_prevT = fr.t;
    fr.interval = m_frameInterval;
    if (m_awaitKey) {
        if (!key) return;   // decoded before the skip began: as late as the rest
        // The key frame at the clock's time: one behind it would be dropped
        // as late too, with every frame decoded from it.
        if (fr.t < m_client->ClockNow()) {
            m_video.SkipToKey();
            return;
        }
        m_awaitKey = false;
    }
    fr.frame = av_frame_alloc();
    if (!fr.frame) return;
    av_frame_move_ref(fr.frame, f);
    m_client->Decoded(fr, generation);
}

void Decoder::Drain(uint64_t generation) {
    m_video.Drain([&](AVFrame* f, int64_t pts, bool key) { PushFrame(f, pts, key, generation); });
}

// Deciphers and hands on the collected frames of enciphered streams that
// began in a pack before `beforePack` (all of them for UINT64_MAX).
void Decoder::FlushCipherUnits(uint64_t beforePack, uint64_t generation) {
    Client::Settings settings;
    bool have = false;
    for (size_t i = 0; i < m_cipherUnits.size();) {
        if (m_cipherUnits[i].pack >= beforePack) {
            ++i;
            continue;
        }
        if (!have) {
            settings = m_client->CurrentSettings(false);
            have = true;
        }
        CipherUnit u = std::move(m_cipherUnits[i]);
        m_cipherUnits.erase(m_cipherUnits.begin() + static_cast<std::ptrdiff_t>(i));
        Decipher(m_header, m_key, u.id, u.pts, u.bytes.data(), u.bytes.size());
        HandlePayload(u.id, u.bytes.data(), u.bytes.size(), true, u.pts, generation, settings);
    }
}

// A stream header inside the stream: the recordings of a joined file follow
// each other. What the decoder holds still belongs to the previous recording
// and its clock; the next recording decodes on its own header.
void Decoder::NextRecording(const PesUnit& unit, uint64_t generation) {
    recstream::StreamHeader next;
    std::memcpy(&next, unit.data, sizeof next);
    if (next.version != 1 || next.headerSize != recstream::kHeaderSize) return;
    FlushCipherUnits(UINT64_MAX, generation);
    Drain(generation);
    const bool newCodec = next.videoCodec != m_header.videoCodec;
    if (!m_client->NextRecording(next, generation)) return;
    m_header = next;
    m_lastT = -1;
    m_lastKeyT = -1;
    m_keyMetT = -1;
    m_prevT = -1;
    if (newCodec) {
        m_video.Close();
        if (next.videoCodec != recstream::kVideoNone && !m_video.Open(next.videoCodec)) m_client->DecoderFailed();
    }
}

void Decoder::HandleUnit(const PesUnit& unit, uint64_t generation) {
    const uint8_t id = unit.streamId;
    if (id == kUnitStreamHeader) {
        NextRecording(unit, generation);
        return;
    }
    const bool enciphered = (m_header.flags & recstream::kFlagEnciphered) != 0;
    const Client::Settings settings = m_client->CurrentSettings(enciphered);
    if (enciphered) m_key = settings.key;
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
    if (settings.keyState != 0) return;  // enciphered and no fitting key: nothing to decode
    if (!enciphered) {
        HandlePayload(id, unit.data, unit.size, unit.hasPts, unit.pts, generation, settings);
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
            Decipher(m_header, m_key, u.id, u.pts, u.bytes.data(), u.bytes.size());
            HandlePayload(u.id, u.bytes.data(), u.bytes.size(), true, u.pts, generation, settings);
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

void Decoder::HandlePayload(uint8_t id, const uint8_t* data, size_t size, bool hasPts, uint64_t pts,
                            uint64_t generation, const Client::Settings& settings) {
    if (id >= 0xE0 && id <= 0xEF) {
        if (!m_video.IsOpen()) return;
        m_video.SetKeyOnly(settings.keyOnly);
        m_video.Push(data, size, hasPts ? static_cast<int64_t>(pts) : -1,
                     [&](AVFrame* f, int64_t fpts, bool key) { PushFrame(f, fpts, key, generation); });
        return;
    }
    if (!settings.soundOn || !hasPts) return;
    if (!m_audio) {
        m_audio = std::make_unique<AudioDecoder>();
        if (!m_audio->Open()) return;
    }
    Block b;
    b.t = RecorderMs(pts);
    m_audio->Decode(data, size, &b.bytes);
    if (!b.bytes.empty()) m_pcm.push_back(std::move(b));
}

bool Decoder::TakeBlock(int64_t limit, Block* block) {
    if (m_blocks.empty() || m_blocks.front().t > limit) return false;
    *block = std::move(m_blocks.front());
    m_blocks.pop_front();
    return true;
}

void Decoder::WriteSound(int port, int64_t now) {
    while (!m_pcm.empty() && (m_pcm.front().t <= now + 100 || m_pcm.size() > 200)) {
        AudioSink::Instance().Write(port, m_pcm.front().bytes.data(), m_pcm.front().bytes.size());
        m_pcm.pop_front();
    }
}

// ---- units kept for stepping back -----------------------------------------------------
void Decoder::LogUnit(const uint8_t* data, int size, int64_t pts, bool key) {
    m_lastUnitKey = key;
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

void Decoder::ClearUnits() {
    std::lock_guard<std::mutex> lk(m_unitsMutex);
    m_units.clear();
}

bool Decoder::DecodeBefore(int64_t firstT, std::deque<Picture>* made) {
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
    int64_t keyT = -1, lastPts = 0;
    auto sink = [&](AVFrame* f, int64_t pts, bool key) {
        if (pts < 0) pts = lastPts;
        lastPts = pts;
        const int64_t t = startMs + pts / 90;
        if (key || keyT < 0) keyT = t;
        if (t >= firstT) return;
        AVFrame* copy = av_frame_alloc();
        if (!copy) return;
        av_frame_move_ref(copy, f);
        Picture picture;
        picture.frame = ShareFrame(copy);
        picture.t = t;
        picture.pts = pts;
        picture.keyT = keyT;
        made->push_back(std::move(picture));
    };
    for (const Unit& u : units)
        decoder.DecodeUnit(u.bytes.data(), static_cast<int>(u.bytes.size() - AV_INPUT_BUFFER_PADDING_SIZE), u.pts,
                           u.key, sink);
    decoder.Drain(sink);
    return !made->empty();
}

}  // namespace vintrel
