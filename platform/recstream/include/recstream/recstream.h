// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recorder stream format: every recording is a 40-byte stream header
// followed by an MPEG-2 program stream (ISO/IEC 13818-1). See
// docs/recorder-stream.md for the byte layout and the time rules.
//
// Times here are "recorder seconds": the recorder's wall clock (a civil date
// and time without zone) counted as seconds since 1970-01-01 00:00:00 as if
// it were UTC (timegm / gmtime convert both ways).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace recstream {

constexpr size_t kHeaderSize = 40;
constexpr uint32_t kClockRate = 90000;  // SCR / PTS ticks per second

enum VideoCodec : uint8_t { kVideoNone = 0, kVideoH264 = 1, kVideoMpeg4 = 2 };
enum AudioCodec : uint8_t { kAudioNone = 0, kAudioMp2 = 1 };
enum HeaderFlags : uint8_t {
    kFlagEnciphered = 0x01,   // video/audio PES payloads are enciphered
    kFlagVehicleData = 0x02,  // the stream carries vehicle-data blocks
};

// PES stream ids used by the format.
constexpr uint8_t kStreamVideo = 0xE0;
constexpr uint8_t kStreamAudio = 0xC0;
constexpr uint8_t kStreamPrivate = 0xBF;  // private_stream_2: vehicle-data text blocks

#pragma pack(push, 1)
// The 40-byte stream header, little-endian.
struct StreamHeader {
    char magic[4];          // "QRS1"
    uint16_t version;       // 1
    uint16_t headerSize;    // 40
    uint8_t videoCodec;     // VideoCodec
    uint8_t audioCodec;     // AudioCodec
    uint8_t channel;        // recorder channel, 1-based; 0 unknown
    uint8_t flags;          // HeaderFlags
    uint16_t width;
    uint16_t height;
    uint16_t frameRate;     // frames per second
    uint16_t reserved0;
    uint32_t startTime;     // recorder seconds of the first packet (SCR 0)
    uint32_t keyCheck;      // enciphered streams: check word of the key (see KeyCheck); else 0
    uint8_t nonce[8];       // enciphered streams: per-recording nonce; else zero
    uint32_t reserved1;
};
#pragma pack(pop)
static_assert(sizeof(StreamHeader) == kHeaderSize, "stream header is 40 bytes");

// Fills the constant fields (magic, version, size) and zeroes the rest.
StreamHeader MakeHeader();
// True when the bytes hold a header of this format (magic, version, size).
bool ParseHeader(const void* data, size_t size, StreamHeader* out);

// ---- civil time --------------------------------------------------------------
// A civil date and time of the recorder clock.
struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
// The date of a day count since 1970-01-01.
void CivilFromDays(int64_t days, int* year, int* month, int* day);
// Recorder seconds of a civil time; false when a field is out of range (year
// 1970 to 2105, a day that exists in its month, 00:00:00 to 23:59:59).
bool CivilToSeconds(const CivilTime& t, int64_t* seconds);
// The civil time of recorder seconds (negative values count back from 1970).
CivilTime SecondsToCivil(int64_t seconds);

// ---- keys ------------------------------------------------------------------
// Check word of a key text: the first 4 bytes (little-endian) of
// SHA-256("QRS1-key-check" + key).
uint32_t KeyCheck(const std::string& key);
// True when the header says the stream is enciphered and `key` is its key.
bool KeyMatches(const StreamHeader& header, const std::string& key);
// Deciphers (or enciphers: the cipher is symmetric) one cipher unit in place:
// the payload of one video or audio frame. A unit starts at a PES that carries
// a PTS and runs on through the following PES packets of the same stream in
// the same pack that carry none (a large frame is split over several PES).
// `pts` is the unit's presentation time stamp (90 kHz), `streamId` its id.
// AES-128-CTR, key = SHA-256(key)[0..15], IV = SHA-256(nonce, streamId,
// pts)[0..11] followed by a 32-bit block counter starting at 0.
void CipherPayload(const StreamHeader& header, const std::string& key, uint8_t streamId, uint64_t pts,
                   uint8_t* data, size_t size);

// ---- parsing ---------------------------------------------------------------
// One elementary-stream piece of a packet.
struct Pes {
    uint8_t streamId = 0;
    bool hasPts = false;
    uint64_t pts = 0;            // 90 kHz, counted from the stream start
    bool keyFrame = false;       // video: the access unit starts with an IDR / key frame
    size_t payloadOffset = 0;    // offset of the payload within the packet
    size_t payloadSize = 0;
};

// One packet = one pack (pack header, optional system header, its PES packets)
// up to the next pack start. Packets cover the stream without gaps: bytes that
// do not parse are handed out as a packet of kind kPacketJunk.
// A scanner fed from offset 0 with the 40-byte stream header hands the header
// out as one packet of kind kPacketHeader (and takes its start time when it
// was given none).
enum PacketKind : int { kPacketPack = 0, kPacketJunk = 1, kPacketHeader = 2 };
struct Packet {
    int kind = kPacketPack;
    bool systemHeader = false;  // the pack carries a system header (key-frame packs do)
    uint64_t offset = 0;     // stream offset of the first byte (counted as fed)
    uint32_t size = 0;       // bytes, up to the next packet
    uint64_t scr = 0;        // system clock reference, 90 kHz, from stream start
    uint32_t time = 0;       // recorder seconds = header.startTime + scr / 90000;
                             // junk packets carry the time of the pack before them
    // Elementary-stream pieces in stream order: video (0xE0-0xEF), audio
    // (0xC0-0xDF), private streams (0xBD, 0xBF). Maps, padding and the system
    // header are not listed.
    std::vector<Pes> pes;
    std::vector<uint8_t> bytes;  // the packet's bytes (when the scanner keeps them)
};

// Incremental parser: feed bytes as they arrive (from any offset of a
// recording, after the header or not), take complete packets out.
class PacketScanner {
public:
    // `startTime` is the header's startTime (0 when unknown: times are then
    // relative). `keepBytes` makes Packet::bytes hold each packet's bytes.
    explicit PacketScanner(uint32_t startTime = 0, bool keepBytes = true);
    void Reset(uint64_t nextOffset = 0);
    void Feed(const void* data, size_t size);
    // Marks the end of input: the last packet becomes available.
    void Finish();
    // Takes the next complete packet; false when more input is needed.
    bool Next(Packet* out);
    // The bytes of the packet Next handed out last (Packet::size of them), in
    // the scanner's own buffer, so a scanner that does not keep bytes can
    // still show them without a copy. They stay valid, and may be changed in
    // place, until the next Feed or Reset; null before the first packet.
    uint8_t* LastPacketBytes();
    size_t Buffered() const;

    ~PacketScanner();
    PacketScanner(const PacketScanner&) = delete;
    PacketScanner& operator=(const PacketScanner&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Offset of the first valid pack start at or after `from` in the buffer;
// `size` when there is none. A pack start is valid when its header's marker
// bits are right and the PES chain after it is well formed up to the next pack
// start, a program end code or the end of the buffer.
size_t FindPackStart(const uint8_t* data, size_t size, size_t from = 0);

// Deciphers (or enciphers) in place the video and audio payloads of a packet
// whose bytes were kept. False when the packet has no bytes or the header is
// not enciphered.
bool CipherPacket(const StreamHeader& header, const std::string& key, Packet* packet);
// The same for a pack whose bytes lie elsewhere (`size` bytes at `bytes`,
// described by `pes`).
bool CipherPack(const StreamHeader& header, const std::string& key, const std::vector<Pes>& pes, uint8_t* bytes,
                size_t size);

// ---- vehicle-data text cipher -------------------------------------------
// Single DES (FIPS 46-3), ECB, on `blockCount` 8-byte blocks in place. The key
// is used as given (no parity adjustment).
void DesEcb(const uint8_t key[8], uint8_t* blocks, size_t blockCount, bool decrypt);

// ---- damaged pack clocks ------------------------------------------------------
// The pack clocks of a recording never decrease. One that disagrees with the
// packs around it (as a rule by one flipped bit) is damage, never a jump of
// the recording's time. The judge takes the clocks of consecutive packs in
// stream order and hands each pack out once the two packs after it are known
// (or the run has ended): a sound clock as it is, a damaged one put back
// where undoing one bit makes it fit between its sound neighbours; a pack
// whose clock cannot be put back is passed over. The clock may count in any
// unit that never decreases (90 kHz ticks, seconds).
class PackClockJudge {
public:
    struct Clock {
        uint64_t offset;
        uint64_t clock;
    };
    void Add(uint64_t offset, uint64_t clock);
    // The next pack judged; false when none is ready (`runEnded`: no more
    // packs come, the last ones are judged with the neighbours there are).
    bool Next(bool runEnded, Clock* out);

private:
    static constexpr size_t kNeighbours = 2;
    bool Damaged(size_t i) const;
    std::deque<Clock> m_packs;   // the packs not handed out yet, and two before them
    size_t m_next = 0;           // the next pack to judge
    bool m_ended = false;        // no more packs come
    bool m_haveSound = false;
    uint64_t m_sound = 0;        // clock of the last pack handed out
};

// ---- whole files ----------------------------------------------------------
// Summary of a recording file (reads only what it needs). This call and the
// time search read pack clocks through a PackClockJudge: one damaged clock
// never ends a search early or hides a second.
struct FileInfo {
    StreamHeader header{};
    uint32_t firstTime = 0;   // recorder seconds of the first packet
    uint32_t lastTime = 0;    // recorder seconds of the last packet
    uint64_t size = 0;
};
bool ReadFileInfo(const std::string& path, FileInfo* out);
// Byte offset (from the file start) of the first pack whose time is at or
// after `time`; -1 when the file cannot be read or no pack is that late.
int64_t FindOffsetForTime(const std::string& path, uint32_t time);

// ---- writing ---------------------------------------------------------------
// A pack (SCR = `pts`) whose one video PES carries the time stamp `pts` and no
// picture: what a recorder writes when it loses a frame after stamping it.
std::vector<uint8_t> StampOnlyVideoPack(uint64_t pts);

// Writes a recording: header, then packs. Each Write* call makes one pack; the
// pack's SCR is the call's pts (never less than the SCR before it). Key video
// frames get a system header and a stream map in their pack. Payloads larger
// than one PES are split over several PES packets in the same pack (only the
// first carries the PTS). Private payloads must fit one PES (65,535 bytes).
class StreamWriter {
public:
    StreamWriter();
    ~StreamWriter();
    // `key` is used only when the header has kFlagEnciphered (the header's
    // keyCheck is filled from it, and the nonce with random bytes when the
    // caller left it zero); an enciphered header with an empty key is refused.
    bool Open(const std::string& path, StreamHeader header, const std::string& key = std::string());
    bool WriteVideo(uint64_t pts, bool keyFrame, const uint8_t* data, size_t size);
    bool WriteAudio(uint64_t pts, const uint8_t* data, size_t size);
    bool WritePrivate(uint64_t pts, const uint8_t* data, size_t size);
    bool Close();
    const StreamHeader& Header() const;
    uint64_t BytesWritten() const;

private:
    struct Impl;
    Impl* m_impl;
};

}  // namespace recstream
