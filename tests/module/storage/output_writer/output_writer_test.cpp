// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/OutputFileWriter.h"
#include "storage/Settings.h"
#include "kel_test/scoped_mount.h"
#include "kel_test/test_support.h"
#include "platform/fallowin/mp4_probe.h"
#include "platform/savefile/save_calls.h"
#include "recmedia/encoder.h"
#include "recstream/recstream.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kStart = 1714557600;  // 2024-05-01 10:00:00 recorder time

std::string TempPath(const std::string& name) { return (kel_test::ProgramFolder() + "/").toStdString() + name; }

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }

Bytes Recording(uint32_t seconds, uint32_t seed, const std::string& key = std::string(), uint32_t start = kStart) {
    recmedia::RecordingSpec spec;
    spec.path = TempPath("rec_" + std::to_string(seed) + ".qrs");
    spec.start = start;
    spec.seconds = seconds;
    spec.width = 176;
    spec.height = 144;
    spec.fps = 10;
    spec.seed = seed;
    spec.withAudio = true;
    spec.key = key;
    std::string error;
    EXPECT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    return ReadAll(spec.path);
}

void SetConversion(const QString& videoType, const QString& key = QString()) {
    CSettingsStore* s = CSettingsStore::GetInstance();
    s->SetValueText(SettingKey::DownloadVideoType, videoType);
    s->SetValueText(SettingKey::SecretKey, key);
}

// Feeds a recording the way a stream source does: the 40-byte header as one
// block, then the stream in blocks of the given sizes (repeated).
void Feed(CStreamFileWriter& w, const Bytes& rec, const std::vector<uint32_t>& sizes, uint64_t* taken = nullptr) {
    uint64_t sum = w.Write(rec.data(), 40);
    size_t off = 40, i = 0;
    while (off < rec.size()) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(sizes[i++ % sizes.size()], rec.size() - off));
        sum += w.Write(rec.data() + off, n);
        off += n;
    }
    if (taken) *taken = sum;
}

// ---- raw output ----------------------------------------------------------------------

TEST(OutputWriter, RawModeWritesTheStreamByteForByte) {
    const Bytes rec = Recording(2, 21);
    for (const char* videoType : {"", "0", "abc", "-1"}) {
        SetConversion(videoType);
        const std::string out = TempPath(std::string("raw_") + videoType + ".mp4");
        CStreamFileWriter w;
        ASSERT_TRUE(w.Open(out, false)) << videoType;
        EXPECT_FALSE(w.IsConverting());
        uint64_t taken = 0;
        Feed(w, rec, {4096, 40, 188}, &taken);
        EXPECT_EQ(rec.size(), taken);
        EXPECT_EQ(rec.size(), w.BytesWritten());
        EXPECT_TRUE(w.Close()) << videoType;
        EXPECT_EQ(rec, ReadAll(out)) << videoType;
        EXPECT_FALSE(Exists(out + ".part"));
    }
}

TEST(OutputWriter, AppendAddsRawBytesEvenWhenConversionIsAsked) {
    SetConversion("1");
    const std::string out = TempPath("append.mp4");
    WriteAll(out, Bytes{1, 2, 3});
    CStreamFileWriter w;
    ASSERT_TRUE(w.Open(out, true));
    EXPECT_FALSE(w.IsConverting());
    const Bytes more{4, 5, 6, 7};
    EXPECT_EQ(4u, w.Write(more.data(), 4));
    EXPECT_TRUE(w.Close());
    EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6, 7}), ReadAll(out));
}

TEST(OutputWriter, ReuseFinishesThePreviousFileAndCloseCanRename) {
    SetConversion("0");
    const std::string a = TempPath("a.mp4"), b = TempPath("b.mp4"), c = TempPath("c.mp4");
    const Bytes data{9, 8, 7};
    CStreamFileWriter w;
    EXPECT_FALSE(w.Close());  // nothing open
    ASSERT_TRUE(w.Open(a, false));
    w.Write(data.data(), 3);
    ASSERT_TRUE(w.Open(b, false));  // closes a first
    EXPECT_EQ(data, ReadAll(a));
    w.Write(data.data(), 3);
    EXPECT_TRUE(w.Close(c));
    EXPECT_FALSE(Exists(b));
    EXPECT_EQ(data, ReadAll(c));
}

// ---- recordings joined into one raw file ------------------------------------------------

// The elementary-stream pieces of a recorder stream, deciphered when a key is
// given: stream id, time stamp moved by `shift` (or none), payload.
struct Piece {
    uint8_t id;
    bool hasPts;
    uint64_t pts;
    Bytes payload;
    bool operator==(const Piece& o) const {
        return id == o.id && hasPts == o.hasPts && pts == o.pts && payload == o.payload;
    }
};
std::vector<Piece> Pieces(const Bytes& file, uint64_t shift, const std::string& key,
                          std::vector<uint32_t>* packTimes = nullptr) {
    std::vector<Piece> out;
    recstream::StreamHeader header;
    if (!recstream::ParseHeader(file.data(), file.size(), &header)) return out;
    recstream::PacketScanner scanner(header.startTime, true);
    scanner.Feed(file.data() + 40, file.size() - 40);
    scanner.Finish();
    recstream::Packet packet;
    while (scanner.Next(&packet)) {
        if (packet.kind != recstream::kPacketPack) continue;
        if (packTimes) packTimes->push_back(packet.time);
        if (!key.empty()) recstream::CipherPacket(header, key, &packet);
        for (const recstream::Pes& pes : packet.pes)
            out.push_back({pes.streamId, pes.hasPts, pes.hasPts ? pes.pts + shift : 0,
                           Bytes(packet.bytes.begin() + pes.payloadOffset,
                                 packet.bytes.begin() + pes.payloadOffset + pes.payloadSize)});
    }
    return out;
}

// A raw file of two recordings is one recorder stream on the first
// recording's clock: the second one's pack and frame times are moved by the
// distance of the two starts (the pause between them stays), and enciphered
// payloads are enciphered again on the first recording's terms. Without the
// key the second recording keeps its own header and bytes.
TEST(OutputWriter, RawFileOfTwoRecordingsRunsOnTheFirstClock) {
    const uint32_t pause = 3;
    for (const std::string key : {"", "joined-key"}) {
        const Bytes first = Recording(2, 41, key);
        const Bytes second = Recording(2, 42, key, kStart + 2 + pause);
        for (const bool keyKnown : {true, false}) {
            if (key.empty() && !keyKnown) continue;
            SCOPED_TRACE(key + (keyKnown ? " known" : " not known"));
            SetConversion("0", keyKnown ? QString::fromStdString(key) : QString());
            const std::string out = TempPath("joined.mp4");
            std::remove(out.c_str());   // the last round's file: a save never replaces one
            CStreamFileWriter w;
            ASSERT_TRUE(w.Open(out, false));
            ASSERT_TRUE(w.WriteHeader(first.data(), 40));
            EXPECT_EQ(first.size() - 40, w.Write(first.data() + 40, static_cast<uint32_t>(first.size() - 40)));
            ASSERT_TRUE(w.WriteHeader(second.data(), 40));
            // Blocks that cut packs and time fields anywhere.
            const uint32_t sizes[] = {1, 7, 13, 4096, 65536};
            for (size_t off = 40, i = 0; off < second.size(); ++i) {
                const uint32_t n = static_cast<uint32_t>(std::min<size_t>(sizes[i % 5], second.size() - off));
                EXPECT_EQ(n, w.Write(second.data() + off, n));
                off += n;
            }
            ASSERT_TRUE(w.Close());
            const Bytes joined = ReadAll(out);
            if (!keyKnown) {
                Bytes expected = first;
                expected.insert(expected.end(), second.begin(), second.end());
                EXPECT_TRUE(joined == expected);
                continue;
            }
            ASSERT_EQ(joined.size(), first.size() + second.size() - 40);
            EXPECT_TRUE(std::equal(first.begin(), first.end(), joined.begin()));
            std::vector<Piece> expected = Pieces(first, 0, key);
            const std::vector<Piece> later = Pieces(second, uint64_t(2 + pause) * 90000, key);
            expected.insert(expected.end(), later.begin(), later.end());
            std::vector<uint32_t> times;
            EXPECT_TRUE(Pieces(joined, 0, key, &times) == expected);
            ASSERT_FALSE(times.empty());
            EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
            EXPECT_EQ(times.front(), kStart);
            EXPECT_EQ(times.back(), kStart + 2 + pause + 1);
        }
    }
}

// ---- recordings that are damaged --------------------------------------------------

// Recorder milliseconds of the pictures of a recorder stream file.
std::vector<int64_t> PictureTimes(const Bytes& file) {
    std::vector<int64_t> times;
    recstream::StreamHeader header;
    if (!recstream::ParseHeader(file.data(), file.size(), &header)) return times;
    recstream::PacketScanner scanner(header.startTime, false);
    scanner.Feed(file.data() + 40, file.size() - 40);
    scanner.Finish();
    recstream::Packet packet;
    while (scanner.Next(&packet))
        for (const recstream::Pes& pes : packet.pes)
            if (pes.streamId == recstream::kStreamVideo && pes.hasPts)
                times.push_back(int64_t(header.startTime) * 1000 + int64_t(pes.pts / 90));
    return times;
}

struct PackInfo {
    size_t offset, size;
    int64_t pictureMs;   // -1: no picture starts in it
    size_t payload, payloadSize;
};
std::vector<PackInfo> PacksOf(const Bytes& rec) {
    std::vector<PackInfo> packs;
    recstream::PacketScanner scanner(kStart, false);
    scanner.Feed(rec.data(), rec.size());
    scanner.Finish();
    recstream::Packet packet;
    while (scanner.Next(&packet)) {
        if (packet.kind != recstream::kPacketPack) continue;
        PackInfo p{packet.offset, packet.size, -1, 0, 0};
        for (const recstream::Pes& pes : packet.pes) {
            if (pes.streamId != recstream::kStreamVideo || !pes.hasPts) continue;
            p.pictureMs = int64_t(packet.time - packet.scr / 90000) * 1000 + int64_t(pes.pts / 90);
            p.payload = packet.offset + pes.payloadOffset;
            p.payloadSize = pes.payloadSize;
            break;
        }
        packs.push_back(p);
    }
    return packs;
}

// Debug lines of the storage category, gathered while the object lives.
struct StorageLog {
    static QStringList& Lines() {
        static QStringList lines;
        return lines;
    }
    static void Handler(QtMsgType, const QMessageLogContext& context, const QString& text) {
        if (context.category && QByteArray(context.category) == "kel.storage") Lines() << text;
    }
    StorageLog() {
        Lines().clear();
        QLoggingCategory::setFilterRules(QStringLiteral("kel.storage.debug=true"));
        m_previous = qInstallMessageHandler(&StorageLog::Handler);
    }
    ~StorageLog() {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    bool Has(const QString& part) const {
        for (const QString& line : Lines())
            if (line.contains(part)) return true;
        return false;
    }
    QtMessageHandler m_previous = nullptr;
};

// Two recordings into one file, the first of them damaged: it ends inside a
// picture's pack (the medium held less than the index said), or one of its
// packs carries a pack clock with a flipped bit far outside its span. The
// file (raw, or converted) holds every whole picture at its recorder time:
// the cut pack is left out, so it cannot swallow the second recording's
// start, and the damaged clock is put back; the counts the downloader names
// its files by are those of what the file holds. Each repair is logged.
TEST(OutputWriter, ADamagedRecordingLeavesNoTraceInTheFileButItsGap) {
    enum Damage { kCut, kClock };
    const struct {
        const char* name;
        Damage damage;
        const char* logged;
    } cases[] = {{"cut inside a pack", kCut, "ends inside a pack"},
                 {"flipped pack clock", kClock, "damaged pack clock"}};
    const uint32_t secondStart = kStart + 6;
    for (const auto& c : cases) {
        for (const std::string key : {"", "damage-key"}) {
            Bytes first = Recording(3, 61, key);
            const Bytes second = Recording(2, 62, key, secondStart);
            const std::vector<PackInfo> packs = PacksOf(first);
            std::vector<int64_t> expected;
            if (c.damage == kCut) {
                // Half way into the payload of the 15th picture.
                size_t picture = 0, at = 0;
                for (const PackInfo& p : packs)
                    if (p.pictureMs >= 0 && ++picture == 15) at = p.payload + p.payloadSize / 2;
                ASSERT_GT(at, 0u);
                first.resize(at);
                for (const PackInfo& p : packs)
                    if (p.pictureMs >= 0 && p.offset + p.size <= at) expected.push_back(p.pictureMs);
            } else {
                first[packs[packs.size() / 2].offset + 5] ^= 0x40;   // SCR bit 26: 745 s later
                expected = PictureTimes(first);
            }
            for (int64_t t : PictureTimes(second)) expected.push_back(t);

            for (const bool mp4 : {false, true}) {
                SCOPED_TRACE(std::string(c.name) + (key.empty() ? "" : ", enciphered") + (mp4 ? ", .mp4" : ", raw"));
                SetConversion(mp4 ? "1" : "0", QString::fromStdString(key));
                const std::string out = TempPath("damaged.mp4");
                std::remove(out.c_str());   // the last round's file: a save never replaces one
                StorageLog log;
                CStreamFileWriter w;
                ASSERT_TRUE(w.Open(out, false));
                w.SetSpan(kStart, kStart + 2);
                ASSERT_TRUE(w.WriteHeader(first.data(), 40));
                for (size_t off = 40; off < first.size(); off += 4000)
                    w.Write(first.data() + off, static_cast<uint32_t>(std::min<size_t>(4000, first.size() - off)));
                w.SetSpan(secondStart, secondStart + 1);
                ASSERT_TRUE(w.WriteHeader(second.data(), 40));
                w.Write(second.data() + 40, static_cast<uint32_t>(second.size() - 40));
                ASSERT_TRUE(w.Close());
                EXPECT_TRUE(log.Has(QString::fromLatin1(c.logged))) << log.Lines().join('\n').toStdString();
                EXPECT_EQ(expected.size(), w.FramesWritten());
                EXPECT_EQ(int64_t(secondStart + 1), w.LastTime());
                EXPECT_EQ(int64_t(secondStart + 1), w.RecordingLastTime());

                if (!mp4) {
                    const Bytes file = ReadAll(out);
                    EXPECT_EQ(expected, PictureTimes(file));
                    recstream::PacketScanner scanner(kStart, false);
                    scanner.Feed(file.data() + 40, file.size() - 40);
                    scanner.Finish();
                    recstream::Packet packet;
                    while (scanner.Next(&packet)) {
                        EXPECT_EQ(recstream::kPacketPack, packet.kind) << "at " << packet.offset;
                        EXPECT_LE(packet.time, secondStart + 1) << "at " << packet.offset;
                    }
                    if (!key.empty()) continue;
                }
                const kel_test::Mp4Probe p = kel_test::ProbeMp4(out, true, !mp4);
                ASSERT_TRUE(p.opened);
                EXPECT_EQ(0, p.logErrors);
                EXPECT_EQ(0, p.decodeErrors);
                ASSERT_EQ(expected.size(), p.frameTimes.size());
                for (size_t i = 0; i < expected.size(); ++i)
                    EXPECT_NEAR(double(expected[i] - expected[0]) / 1000, p.frameTimes[i] - p.frameTimes[0], 0.002)
                        << "picture " << i;
            }
        }
    }
}

// ---- failures -----------------------------------------------------------------------

TEST(OutputWriter, OpenFailsInAMissingFolder) {
    SetConversion("0");
    CStreamFileWriter w;
    EXPECT_FALSE(w.Open(TempPath("no/such/folder/x.mp4"), false));
    EXPECT_FALSE(w.IsOpen());
    const Bytes data{1};
    EXPECT_EQ(0u, w.Write(data.data(), 1));
    EXPECT_FALSE(w.Open("Q:/not/a/drive.mp4", false));  // letter not in the drive table
}

TEST(OutputWriter, AWriteThatFailsIsNotReportedAsAFinishedFile) {
    SetConversion("0");
    CStreamFileWriter w;
    ASSERT_TRUE(w.Open("/dev/full", true));
    // The file is written behind the stream: the failure shows once the
    // bytes reach the drive, at the latest when the file is closed.
    const Bytes block(3000000, 0x5A);
    w.Write(block.data(), static_cast<uint32_t>(block.size()));
    EXPECT_FALSE(w.Close());
}

TEST(OutputWriter, AConversionThatNeverStartsKeepsTheExistingFile) {
    SetConversion("1");
    const std::string out = TempPath("keep.mp4");
    const Bytes old{'o', 'l', 'd'};
    WriteAll(out, old);
    const Bytes rec = Recording(1, 22);
    CStreamFileWriter w;
    ASSERT_TRUE(w.Open(out, false));
    EXPECT_TRUE(w.IsConverting());
    EXPECT_EQ(old, ReadAll(out));  // untouched while the new file is written
    // No header ever comes: every block is refused.
    EXPECT_EQ(0u, w.Write(rec.data() + 40, 5000));
    EXPECT_FALSE(w.Close());
    EXPECT_EQ(old, ReadAll(out));
    EXPECT_FALSE(Exists(out + ".part"));
    EXPECT_FALSE(Exists(out + "1"));
}

TEST(OutputWriter, AnEncipheredStreamUnderTheWrongKeyGivesNoFile) {
    SetConversion("1", "not-the-key");
    const Bytes rec = Recording(1, 23, "fleet");
    const std::string out = TempPath("wrongkey.mp4");
    CStreamFileWriter w;
    ASSERT_TRUE(w.Open(out, false));
    EXPECT_EQ(0u, w.Write(rec.data(), 40));  // the transform refuses to start
    EXPECT_FALSE(w.Close());
    EXPECT_FALSE(Exists(out));
}

// ---- conversion ---------------------------------------------------------------------

struct Ffprobe {
    bool found = false;
    bool ran = false;
    QString text;
};
Ffprobe RunFfprobe(const std::string& path) {
    Ffprobe r;
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (exe.isEmpty()) return r;
    r.found = true;
    QProcess p;
    p.start(exe, {"-v", "error", "-show_entries", "stream=codec_type,codec_name:format=duration", "-of",
                  "default=nw=1", QString::fromStdString(path)});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) return r;
    r.ran = true;
    r.text = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

TEST(OutputWriter, ConversionWritesAnMp4WithHeadBeforeBody) {
    for (const char* key : {"", "fleet"}) {
        SetConversion("2", key);
        const Bytes rec = Recording(4, 24, key);
        const std::string out = TempPath(std::string("conv_") + key + ".mp4");
        CStreamFileWriter w;
        ASSERT_TRUE(w.Open(out, false));
        ASSERT_TRUE(w.IsConverting());
        // Blocks before the header are refused and lost.
        EXPECT_EQ(0u, w.Write(rec.data() + 40, 100));
        // 40-byte blocks after the header are stream data like any other.
        Feed(w, rec, {40, 3000, 40, 65536, 777});
        EXPECT_FALSE(Exists(out));  // the name appears when the file is finished
        ASSERT_TRUE(w.Close()) << key;
        EXPECT_FALSE(Exists(out + "1"));
        EXPECT_FALSE(Exists(out + ".part"));

        const Bytes file = ReadAll(out);
        ASSERT_GT(file.size(), 16u);
        EXPECT_EQ(0, memcmp(file.data() + 4, "ftyp", 4));
        const kel_test::Mp4Probe p = kel_test::ProbeMp4(out, true);
        ASSERT_TRUE(p.opened) << key;
        EXPECT_EQ("h264", p.videoCodec);
        EXPECT_NEAR(4.0, p.duration, 0.15);
        EXPECT_EQ(40, p.decodedFrames);
        EXPECT_EQ(0, p.decodeErrors);
        EXPECT_EQ("2024-05-01T10:00:00.000000Z", p.creationTime);

        const Ffprobe f = RunFfprobe(out);
        EXPECT_EQ(f.found, f.ran);
        if (f.ran) {
            EXPECT_TRUE(f.text.contains("codec_name=h264")) << f.text.toStdString();
            EXPECT_TRUE(f.text.contains("codec_type=video")) << f.text.toStdString();
            const int at = f.text.indexOf("duration=");
            ASSERT_GE(at, 0);
            EXPECT_NEAR(4.0, f.text.mid(at + 9).section('\n', 0, 0).toDouble(), 0.15);
        }
    }
}

// The head of a converted file goes in front of the body already written,
// on any file system: where whole blocks can be put before a file's start
// (the program folder here) the body stays where it lies, elsewhere (a RAM
// file system) it is moved back behind the head, piece by piece. Either way
// every picture of the recording is in the file as it was recorded. No side
// file is made on the way: a file named like one ("<name>1", which the
// conversion once opened for its body, emptied and deleted) stays as it was.
TEST(OutputWriter, ConversionPutsTheHeadInFrontOnAnyFileSystem) {
    recmedia::RecordingSpec spec;
    spec.path = TempPath("rec_head.qrs");
    spec.start = kStart;
    spec.seconds = 10;
    spec.width = 1280;
    spec.height = 720;
    spec.fps = 25;
    spec.seed = 31;
    spec.withAudio = true;
    spec.fastRepeat = true;   // a body of some pieces, quickly
    std::string error;
    ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    const Bytes rec = ReadAll(spec.path);
    const kel_test::Mp4Probe source = kel_test::ProbeMp4(spec.path, true, true);
    ASSERT_EQ(250u, source.pictureHashes.size());

    std::vector<std::string> folders = {TempPath("")};
    QTemporaryDir ram(QStringLiteral("/dev/shm/kel_output_writer_XXXXXX"));
    if (ram.isValid()) folders.push_back(ram.path().toStdString() + "/");
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        SetConversion("1");
        const std::string out = folder + "head_first.mp4";
        const Bytes other = {'n', 'o', 't', ' ', 'o', 'u', 'r', 's'};
        WriteAll(out + "1", other);
        CStreamFileWriter w;
        ASSERT_TRUE(w.Open(out, false));
        Feed(w, rec, {8192});
        ASSERT_TRUE(w.Close());
        EXPECT_FALSE(Exists(out + ".part"));
        EXPECT_EQ(other, ReadAll(out + "1"));
        const Bytes file = ReadAll(out);
        ASSERT_GT(file.size(), rec.size() / 2);
        EXPECT_EQ(0, memcmp(file.data() + 4, "ftyp", 4));
        const kel_test::Mp4Probe p = kel_test::ProbeMp4(out, true);
        ASSERT_TRUE(p.opened);
        EXPECT_NEAR(10.0, p.duration, 0.15);
        EXPECT_EQ(source.pictureHashes, p.pictureHashes);
        EXPECT_EQ(0, p.decodeErrors);
        EXPECT_EQ(0, p.logErrors);
        EXPECT_EQ("2024-05-01T10:00:00.000000Z", p.creationTime);
    }
}

// ---- saves of one name -------------------------------------------------------------

// Decodes a saved file (raw: a recorder stream) and gives its pictures.
std::vector<uint64_t> Pictures(const std::string& path, bool raw) {
    const kel_test::Mp4Probe p = kel_test::ProbeMp4(path, true, raw);
    EXPECT_TRUE(p.opened) << path;
    EXPECT_EQ(0, p.decodeErrors) << path;
    return p.pictureHashes;
}

// Writers saving under one name at the same moment (two windows, two
// downloads of the same span from two disks): each keeps a file of its own,
// which decodes to its own recording; none replaced another.
TEST(OutputWriter, SavesOfOneNameAtOnceEachKeepTheirOwnFile) {
    constexpr int kWriters = 4;
    std::vector<Bytes> recordings;
    std::vector<std::vector<uint64_t>> pictures;
    for (int i = 0; i < kWriters; ++i) {
        recordings.push_back(Recording(2, 60 + static_cast<uint32_t>(i)));
        pictures.push_back(Pictures(TempPath("rec_" + std::to_string(60 + i) + ".qrs"), true));
        ASSERT_EQ(20u, pictures.back().size());
    }
    for (const bool mp4 : {false, true}) {
        SCOPED_TRACE(mp4 ? ".mp4" : "raw");
        SetConversion(mp4 ? "1" : "0");
        const std::string out = TempPath(std::string("one name ") + (mp4 ? "mp4" : "raw") + ".mp4");
        std::mutex lock;
        std::condition_variable go;
        int ready = 0;
        std::vector<std::string> saved(kWriters);
        std::vector<std::thread> threads;
        for (int i = 0; i < kWriters; ++i) {
            threads.emplace_back([&, i] {
                CStreamFileWriter w;
                {
                    std::unique_lock<std::mutex> l(lock);
                    ++ready;
                    go.notify_all();
                    go.wait(l, [&] { return ready == kWriters; });
                }
                if (!w.Open(out, false)) return;
                Feed(w, recordings[size_t(i)], {65536});
                if (w.Close()) saved[size_t(i)] = w.Path();
            });
        }
        for (std::thread& t : threads) t.join();
        std::set<std::string> names;
        for (int i = 0; i < kWriters; ++i) {
            SCOPED_TRACE("writer " + std::to_string(i));
            ASSERT_FALSE(saved[size_t(i)].empty());
            names.insert(saved[size_t(i)]);
            if (!mp4) {
                EXPECT_TRUE(ReadAll(saved[size_t(i)]) == recordings[size_t(i)]);
            }
            EXPECT_EQ(pictures[size_t(i)], Pictures(saved[size_t(i)], !mp4));
            EXPECT_FALSE(Exists(saved[size_t(i)] + ".part"));
        }
        EXPECT_EQ(names, (std::set<std::string>{out, TempPath(std::string("one name ") + (mp4 ? "mp4" : "raw") + " (1).mp4"),
                                                TempPath(std::string("one name ") + (mp4 ? "mp4" : "raw") + " (2).mp4"),
                                                TempPath(std::string("one name ") + (mp4 ? "mp4" : "raw") + " (3).mp4")}));
    }
}

// A file that another program saved under the name while this one was
// written stays; this one takes the next free name. A name taken when the
// file is opened (by a file, or by one being written under "<name>.part")
// is passed over from the start.
TEST(OutputWriter, AFileSavedUnderTheNameMeanwhileStays) {
    const Bytes rec = Recording(2, 70);
    const std::vector<uint64_t> pictures = Pictures(TempPath("rec_70.qrs"), true);
    const Bytes other{'o', 't', 'h', 'e', 'r'};
    for (const bool mp4 : {false, true}) {
        SCOPED_TRACE(mp4 ? ".mp4" : "raw");
        SetConversion(mp4 ? "1" : "0");
        const std::string out = TempPath("meanwhile.mp4"), next = TempPath("meanwhile (1).mp4");
        for (const std::string& p : {out, next}) std::remove(p.c_str());

        CStreamFileWriter w;
        ASSERT_TRUE(w.Open(out, false));
        EXPECT_EQ(out, w.Path());
        Feed(w, rec, {65536});
        WriteAll(out, other);
        ASSERT_TRUE(w.Close());
        EXPECT_EQ(next, w.Path());
        EXPECT_EQ(other, ReadAll(out));
        EXPECT_EQ(pictures, Pictures(next, !mp4));

        // Both names are taken now; "(2)" is being written by someone else.
        const std::string third = TempPath("meanwhile (2).mp4"), fourth = TempPath("meanwhile (3).mp4");
        WriteAll(third + ".part", other);
        std::remove(fourth.c_str());
        ASSERT_TRUE(w.Open(out, false));
        EXPECT_EQ(fourth, w.Path());
        Feed(w, rec, {65536});
        // Renamed on closing onto a name a file has: the first one no file
        // has (the writer of "(2)" will take the next one in its turn).
        ASSERT_TRUE(w.Close(out));
        EXPECT_EQ(third, w.Path());
        EXPECT_EQ(other, ReadAll(out));
        EXPECT_EQ(other, ReadAll(third + ".part"));
        EXPECT_FALSE(Exists(fourth));
        EXPECT_EQ(pictures, Pictures(third, !mp4));
        for (const std::string& p : {third + ".part", third}) std::remove(p.c_str());
    }
}

// ---- on the disk when reported ---------------------------------------------------------

// A file reported saved is on the disk: its bytes (the .mp4 head included)
// are flushed before it takes its name, and its folder after that, all
// before Close returns.
TEST(OutputWriter, AFileIsOnTheDiskBeforeItIsReported) {
    const Bytes rec = Recording(2, 80);
    for (const bool mp4 : {false, true}) {
        SCOPED_TRACE(mp4 ? ".mp4" : "raw");
        SetConversion(mp4 ? "1" : "0");
        const std::string out = TempPath(std::string("durable ") + (mp4 ? "mp4" : "raw") + ".mp4");
        const std::string part = kel_test::ScopedSaveCalls::Resolved(out + ".part");
        const std::string saved = kel_test::ScopedSaveCalls::Resolved(out);
        kel_test::ScopedSaveCalls calls;
        CStreamFileWriter w;
        ASSERT_TRUE(w.Open(out, false));
        Feed(w, rec, {65536});
        ASSERT_TRUE(w.Close());
        const int flushed = calls.Find("flush " + part);
        const int renamed = calls.Find("rename " + part + " -> " + saved);
        const int folder = calls.Find("flush " + kel_test::ScopedSaveCalls::ResolvedFolder(TempPath("")), renamed);
        ASSERT_GE(flushed, 0);
        ASSERT_GE(renamed, 0);
        EXPECT_LT(flushed, renamed);
        EXPECT_GT(folder, renamed);
        EXPECT_EQ(calls.Calls().size(), size_t(folder + 1)) << "nothing is flushed after the folder";
        EXPECT_FALSE(Pictures(out, !mp4).empty());
    }
}

// A disk that reports a failure when the file is flushed: the file is not
// reported saved, and nothing of it is left.
TEST(OutputWriter, AFlushThatFailsIsNoSavedFile) {
    const Bytes rec = Recording(2, 81);
    for (const bool mp4 : {false, true}) {
        SCOPED_TRACE(mp4 ? ".mp4" : "raw");
        SetConversion(mp4 ? "1" : "0");
        const std::string out = TempPath(std::string("flush fails ") + (mp4 ? "mp4" : "raw") + ".mp4");
        kel_test::ScopedSaveCalls calls;
        calls.FailFlushes(EIO);
        CStreamFileWriter w;
        ASSERT_TRUE(w.Open(out, false));
        Feed(w, rec, {65536});
        EXPECT_FALSE(w.Close());
        EXPECT_FALSE(Exists(out));
        EXPECT_FALSE(Exists(out + ".part"));
        // Moving a finished file under a name: the same.
        const std::string other = TempPath("flushed elsewhere.mp4");
        WriteAll(other + ".part", rec);
        EXPECT_EQ("", MoveToFreeOutputPath(other + ".part", other));
        EXPECT_FALSE(Exists(other));
        std::remove((other + ".part").c_str());
    }
}

// ---- file systems of USB sticks --------------------------------------------------------

// A FAT file system through the user-space driver, as a USB stick is often
// seen: it refuses writes that start past a file's end, and has neither
// links nor renames that refuse to replace. Raw files and .mp4 files are
// saved there whole, each decodes to every picture of its recording, and
// two saves of one name keep both files.
TEST(OutputWriter, SavesOntoAFatFileSystemThroughFuse) {
    kel_test::ScopedMount stick = kel_test::ScopedMount::FuseFat(TempPath("stick"), 64ul << 20);
    if (!stick.ok()) GTEST_SKIP() << stick.why();
    recmedia::RecordingSpec spec;
    spec.path = TempPath("rec_fat.qrs");
    spec.start = kStart;
    spec.seconds = 10;
    spec.width = 640;
    spec.height = 360;
    spec.fps = 25;
    spec.seed = 90;
    spec.withAudio = true;
    spec.fastRepeat = true;
    std::string error;
    ASSERT_TRUE(recmedia::EncodeRecording(spec, &error)) << error;
    const Bytes rec = ReadAll(spec.path);
    const std::vector<uint64_t> pictures = Pictures(spec.path, true);
    ASSERT_EQ(250u, pictures.size());
    for (const bool mp4 : {false, true}) {
        SCOPED_TRACE(mp4 ? ".mp4" : "raw");
        SetConversion(mp4 ? "1" : "0");
        const std::string out = stick.path() + (mp4 ? "/CH01.mp4" : "/CH01RAW.mp4");
        std::vector<std::string> saved;
        for (int i = 0; i < 2; ++i) {
            CStreamFileWriter w;
            ASSERT_TRUE(w.Open(out, false));
            Feed(w, rec, {8192});
            ASSERT_TRUE(w.Close()) << i;
            saved.push_back(w.Path());
        }
        ASSERT_NE(saved[0], saved[1]);
        for (const std::string& path : saved) {
            SCOPED_TRACE(path);
            EXPECT_FALSE(Exists(path + ".part"));
            if (!mp4) {
                EXPECT_TRUE(ReadAll(path) == rec);
            } else {
                const kel_test::Mp4Probe p = kel_test::ProbeMp4(path, true);
                ASSERT_TRUE(p.opened);
                EXPECT_EQ(0, p.logErrors);
                EXPECT_EQ("2024-05-01T10:00:00.000000Z", p.creationTime);
            }
            EXPECT_EQ(pictures, Pictures(path, !mp4));
        }
    }
}

}  // namespace
