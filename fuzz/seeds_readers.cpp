// SPDX-License-Identifier: GPL-3.0-or-later
// Seeds of the fuzz targets of the stream readers, the player library, the
// converted files and the record texts (see seeds_readers.h).
#include "seeds_readers.h"

#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "storage/Channel.h"
#include "storage/ChannelFiles.h"
#include "storage/SingleFile.h"
#include "fallowin.h"
#include "fuzz_support.h"
#include "merrowfen_disk.h"
#include "recstream/recstream.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

struct Out {
    std::string dir;
    int* written;
    void Seed(const std::string& target, const std::string& name, const Bytes& bytes) const {
        kelfuzz::WriteFile(dir + "/" + target + "/" + name, bytes);
        ++*written;
    }
};

Bytes Read(const fs::path& p, size_t limit) {
    std::ifstream f(p, std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (b.size() > limit) b.resize(limit);
    return b;
}

Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes FromText(const QString& s) { return FromText(s.toStdString()); }

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The recordings of a medium, in name order.
std::vector<fs::path> Recordings(const fs::path& disk) {
    std::vector<fs::path> out;
    std::error_code ec;
    const fs::path dir = disk / merrowfen_disk::kRecordDir;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file() && it->path().extension() == ".qrv") out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// A recording with the stamp of an empty video unit behind every third
// picture and one more at its end: a recorder that wrote the stamp of a frame
// it then lost (the transform once wrote such units as empty samples).
Bytes WithEmptyVideoUnits(const Bytes& rec) {
    recstream::StreamHeader h;
    if (!recstream::ParseHeader(rec.data(), rec.size(), &h)) return Bytes();
    recstream::PacketScanner scanner(h.startTime, false);
    scanner.Feed(rec.data(), rec.size());
    scanner.Finish();
    Bytes out;
    recstream::Packet packet;
    int videoPacks = 0;
    uint64_t lastPts = 0;
    while (scanner.Next(&packet)) {
        out.insert(out.end(), rec.begin() + long(packet.offset), rec.begin() + long(packet.offset + packet.size));
        for (const recstream::Pes& pes : packet.pes) {
            if (pes.streamId != recstream::kStreamVideo || !pes.hasPts) continue;
            lastPts = pes.pts;
            if (++videoPacks % 3 == 0) {
                const Bytes empty = recstream::StampOnlyVideoPack(pes.pts + 4500);
                out.insert(out.end(), empty.begin(), empty.end());
            }
        }
    }
    const Bytes last = recstream::StampOnlyVideoPack(lastPts + 9000);
    out.insert(out.end(), last.begin(), last.end());
    return out;
}

// The .mp4 file the transform makes of a recording (empty when it fails).
Bytes Convert(const Bytes& rec, const std::string& key) {
    struct Collector {
        std::mutex m;
        Bytes head, body;
        static void Callback(DREBEN_DETAIL_DATA* d, void* user) {
            auto* self = static_cast<Collector*>(user);
            if (!d) return;
            std::lock_guard<std::mutex> lock(self->m);
            if (d->isFileHead)
                self->head.assign(d->data, d->data + d->dataLength);
            else if (d->dataType == DREBEN_DATA_BODY)
                self->body.insert(self->body.end(), d->data, d->data + d->dataLength);
        }
    } out;
    if (rec.size() < recstream::kHeaderSize) return Bytes();
    DREBEN_CREATE_PARAM param{};
    param.header = rec.data();
    param.headerSize = recstream::kHeaderSize;
    param.targetType = DREBEN_TARGET_MP4;
    DREBEN_HANDLE h = nullptr;
    if (DREBEN_Create(&h, &param) != DREBEN_OK) return Bytes();
    if (!key.empty()) DREBEN_SetEncryptKey(h, DREBEN_KEY_RECORDER, key.data(), uint32_t(key.size() * 8));
    DREBEN_RegisterDetailDataCallBack(h, &Collector::Callback, &out);
    bool ok = DREBEN_Start(h, nullptr, nullptr) == DREBEN_OK;
    for (size_t at = recstream::kHeaderSize; ok && at < rec.size(); at += 65536)
        ok = DREBEN_InputData(h, DREBEN_INPUT_STREAM, rec.data() + at,
                              uint32_t(std::min<size_t>(65536, rec.size() - at))) == DREBEN_OK;
    ok = DREBEN_Stop(h) == DREBEN_OK && ok;
    DREBEN_Release(h);
    return ok ? Cat({out.head, out.body}) : Bytes();
}

void MediaSeeds(const Out& out, const fs::path& disk, const std::string& prefix, const std::string& key) {
    const std::vector<fs::path> recs = Recordings(disk);
    if (recs.empty()) return;
    const size_t limit = 512 * 1024;
    const Bytes a = Read(recs[0], limit);
    const Bytes b = recs.size() > 1 ? Read(recs[1], limit) : Bytes();
    const uint8_t keyed = key.empty() ? 0 : 1;

    // The transform: control, header, stream.
    out.Seed("fuzz_mp4_transform", prefix, Cat({Bytes{uint8_t(keyed | 0x40)}, a}));
    const Bytes empties = WithEmptyVideoUnits(a);
    if (!empties.empty())
        out.Seed("fuzz_mp4_transform", prefix + "-empty-video-units", Cat({Bytes{uint8_t(keyed | 0x10)}, empties}));

    // The player's stream path: live, steps and snapshots; and paced.
    out.Seed("fuzz_player_stream", prefix + "-live", Cat({Bytes{uint8_t(1 | keyed << 1 | 4 | 0x20)}, a}));
    out.Seed("fuzz_player_stream", prefix + "-paced", Cat({Bytes{uint8_t(keyed << 1 | 0x80)}, a}));

    // The player's file reading: a recording, and two joined across a gap.
    out.Seed("fuzz_player_file", prefix, kelfuzz::JoinPieces({Bytes{0, 0, 1}, a, Bytes()}));
    if (!b.empty())
        out.Seed("fuzz_player_file", prefix + "-joined", kelfuzz::JoinPieces({Bytes{0x41, 0x10, 0x03}, a, b}));

    // Converted files: played, and cut.
    const Bytes mp4 = Convert(a, key);
    if (!mp4.empty()) {
        out.Seed("fuzz_player_mp4", prefix, Cat({Bytes{0x39}, mp4}));
        out.Seed("fuzz_mp4_cut", prefix, kelfuzz::JoinPieces({Bytes{0, 1, 0, 3, 250}, mp4}));
        out.Seed("fuzz_mp4_cut", prefix + "-from-the-end", kelfuzz::JoinPieces({Bytes{3, 0, 0, 5, 0}, mp4}));
    }

    // The hard-disk library's streams and the disk library's exports: one
    // and two recordings, moved around.
    const Bytes moves{0, 50, 1, 2, 2, 0, 6, 8, 3, 1, 0, 10, 4, 0, 5, 0};
    out.Seed("fuzz_disk_stream", prefix, kelfuzz::JoinPieces({Bytes{0, 0, 0, 0, 0, 0, 0}, a, Bytes()}));
    out.Seed("fuzz_disk_stream", prefix + "-moved",
             kelfuzz::JoinPieces({Cat({Bytes{1, 1, 0, 0, 0, 0, 0x1d}, moves}), a, b}));
    out.Seed("fuzz_record_exports", prefix,
             kelfuzz::JoinPieces({Bytes{0, 0, 0, 0, 0, 0, uint8_t(0x04 | keyed << 3 | 0x10)}, a, b}));
    out.Seed("fuzz_record_exports", prefix + "-played",
             kelfuzz::JoinPieces({Cat({Bytes{0, 0, 0, 0, 0, 0, 0x3c}, moves}), a, Bytes()}));

    // The joiner and the gate: the second recording joined onto the first.
    if (!b.empty()) {
        out.Seed("fuzz_stream_joiner", prefix,
                 kelfuzz::JoinPieces({Bytes{uint8_t(keyed | 0x20), 7}, Bytes(a.begin(), a.begin() + 40), b}));
        out.Seed("fuzz_recording_gate", prefix, kelfuzz::JoinPieces({Bytes{0, 0, 0x18, 0, 0, 0, 0, 4, 4}, a, b}));
    }
    out.Seed("fuzz_recording_gate", prefix + "-cut",
             kelfuzz::JoinPieces({Bytes{0, 0x44, 0, 0, 0, 0, 0, 0, 0}, Bytes(a.begin(), a.begin() + long(a.size() * 2 / 3))}));
}

void TextSeeds(const Out& out) {
    APT_QMR::CChannel channel;
    channel.SetChannelNumber(3);
    channel.SetDevice(QStringLiteral("Recorder <1> & \"2\""));
    channel.SetRbs(true);
    out.Seed("fuzz_channel_xml", "channel", FromText(channel.toXml()));
    APT_QMR::CSingleFile file("E:\\record\\20240301\\ch03_0.qrv", "E:\\", 123456, 1709280000, 1709280060, 1,
                              "Recorder", 3);
    out.Seed("fuzz_channel_xml", "file", FromText(file.toXml()));
    ChannelFiles record;
    record.DiskName = QStringLiteral("E:\\");
    record.DeviceName = QStringLiteral("Recorder");
    record.ChannelInfo = channel;
    record.StartTime = QDate(2024, 3, 1);
    record.EndTime = QDate(2024, 3, 2);
    record.SingleFileList.push_back(&file);
    out.Seed("fuzz_channel_xml", "channel-files", FromText(record.ToXml()));

    out.Seed("fuzz_upgrade_file", "upgrade",
             FromText(std::string("<?xml version=\"1.0\"?><Upgrade>"
                                  "<ServerAddressZh><Value>http://zh.invalid/</Value></ServerAddressZh>"
                                  "<ServerAddressEn><Value>http://en.invalid/</Value></ServerAddressEn>"
                                  "<Prompt><Value>1</Value></Prompt></Upgrade>")));
    out.Seed("fuzz_update_xml", "newer",
             kelfuzz::JoinPieces({FromText(std::string(
                                      "<Update><Version>4.4.0</Version><Package>package.pkg</Package></Update>")),
                                  FromText(std::string("4.3.0")), FromText(std::string("package bytes"))}));
    out.Seed("fuzz_update_xml", "same",
             kelfuzz::JoinPieces({FromText(std::string(
                                      "<Update><Version>4.3</Version><Package>../package.pkg</Package></Update>")),
                                  FromText(std::string("4.3.0")), Bytes()}));
}

}  // namespace

void ReaderSeeds(const std::string& outDir, const std::vector<std::pair<fs::path, std::string>>& media, int* written) {
    const Out out{outDir, written};
    int n = 0;
    for (const auto& m : media) MediaSeeds(out, m.first, "media" + std::to_string(n++), m.second);
    TextSeeds(out);
}
