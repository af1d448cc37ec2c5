// SPDX-License-Identifier: GPL-3.0-or-later
// kel-fuzz-seeds: turns sample media written by kel-mediagen into one seed
// corpus per fuzz target, in the input forms the targets read.
//
//   kel-fuzz-seeds OUT DISK_V1 DISK_V2 QORAUTO_DISK [REALISTIC_DISK]
//
// DISK_V1 / DISK_V2: hard-disk library media with picture layouts 1 and 2
// and encoded recordings (those of DISK_V2 enciphered with the key
// "fuzzkey"); QORAUTO_DISK: a qorauto medium; REALISTIC_DISK: a hard-disk
// library medium with camera-like recordings.
#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "storage/ChannelFiles.h"
#include "storage/Settings.h"
#include "fuzz_support.h"
#include "kel_test/hostile_xml.h"
#include "merrowfen_disk.h"
#include "nembra_disk.h"
#include "recstream/recstream.h"
#include "seeds_readers.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

std::string g_out;
int g_written = 0;

Bytes Read(const fs::path& p, size_t limit = size_t(1) << 30) {
    std::ifstream f(p, std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (b.size() > limit) b.resize(limit);
    return b;
}

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    kelfuzz::WriteFile(g_out + "/" + target + "/" + name, bytes);
    ++g_written;
}

Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::vector<fs::path> Files(const fs::path& dir, const std::string& ext) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file() && it->path().extension() == ext) out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// Recordings, each behind the byte that chooses the feeding piece size.
void StreamSeeds(const fs::path& disk, const std::string& prefix) {
    int n = 0;
    for (const fs::path& p : Files(disk / merrowfen_disk::kRecordDir, ".qrv")) {
        if (n >= 4) break;
        Bytes b = Read(p, 128 * 1024);
        b.insert(b.begin(), uint8_t(n * 37));
        Seed("fuzz_stream_scanner", prefix + std::to_string(n++), b);
    }
}

// The vehicle-data blocks that the recordings carry in their private stream.
void VehicleTextSeeds(const fs::path& disk, const std::string& prefix) {
    std::set<Bytes> blocks;
    for (const fs::path& p : Files(disk / merrowfen_disk::kRecordDir, ".qrv")) {
        const Bytes b = Read(p, 4 * 1024 * 1024);
        recstream::PacketScanner scanner(0, true);
        scanner.Feed(b.data(), b.size());
        scanner.Finish();
        recstream::Packet packet;
        while (scanner.Next(&packet) && blocks.size() < 16)
            for (const recstream::Pes& pes : packet.pes)
                if (pes.streamId == recstream::kStreamPrivate)
                    blocks.insert(Bytes(packet.bytes.begin() + long(pes.payloadOffset),
                                        packet.bytes.begin() + long(pes.payloadOffset + pes.payloadSize)));
        if (blocks.size() >= 16) break;
    }
    int n = 0;
    for (const Bytes& b : blocks) Seed("fuzz_vehicle_text", prefix + std::to_string(n++), b);
}

void TableSeeds(const fs::path& disk) {
    int n = 0;
    for (const fs::path& p : Files(disk / merrowfen_disk::kRecordDir, ".qri"))
        if (n < 4) Seed("fuzz_day_index", "index" + std::to_string(n++), Read(p));
    Seed("fuzz_log_file", "devlog", Read(disk / merrowfen_disk::kLogName));
    Seed("fuzz_event_file", "events", Read(disk / merrowfen_disk::kEventName));
}

// One seed reads the first index copy, the other (with another channel and
// picture type) falls back to the second; each carries one copy only, which
// keeps the inputs small.
void PictureSeeds(const fs::path& disk, int version) {
    std::vector<Bytes> pieces;
    pieces.push_back(Bytes{uint8_t(version), 1, 3});
    pieces.push_back(Read(disk / "index00p.bin"));
    pieces.push_back(Bytes());
    for (int i = 0; i < 4; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "pic%05d.pic", i);
        pieces.push_back(fs::exists(disk / name) ? Read(disk / name) : Bytes());
    }
    Seed("fuzz_picture_index", "v" + std::to_string(version), kelfuzz::JoinPieces(pieces));
    pieces[0] = Bytes{uint8_t(version), 2, 0};
    pieces[1] = Bytes();
    pieces[2] = Read(disk / "index01p.bin");
    Seed("fuzz_picture_index", "v" + std::to_string(version) + "-second-copy", kelfuzz::JoinPieces(pieces));
}

void VehicleFileSeeds(const fs::path& disk) {
    std::vector<Bytes> pieces;
    for (int i = 1; i <= 2; ++i) {
        pieces.push_back(Read(disk / ("vehinfo" + std::to_string(i) + ".veh")));
        pieces.push_back(Read(disk / ("vehseg" + std::to_string(i) + ".veh")));
    }
    Seed("fuzz_vehicle_files", "pairs", kelfuzz::JoinPieces(pieces));
}

void QorautoSeeds(const fs::path& disk) {
    const Bytes catalog = Read(disk / nembra_disk::kCatalogName);
    Bytes recording;
    if (catalog.size() >= sizeof(nembra_disk::CatalogHeader) + sizeof(nembra_disk::CatalogEntry)) {
        nembra_disk::CatalogEntry e;
        std::memcpy(&e, catalog.data() + sizeof(nembra_disk::CatalogHeader), sizeof e);
        recording = Read(disk / nembra_disk::kDataDir / std::string(e.path, strnlen(e.path, sizeof e.path)),
                         64 * 1024);
    }
    Seed("fuzz_qorauto_catalog", "disk",
         kelfuzz::JoinPieces({Read(disk / nembra_disk::kMarkerName), catalog, recording}));
}

// The hand-over files as the viewer writes them: the recordings of the
// medium's first day index, grouped by channel.
void HandOverSeeds(const fs::path& disk) {
    const std::vector<fs::path> indexes = Files(disk / merrowfen_disk::kRecordDir, ".qri");
    if (indexes.empty()) return;
    const Bytes index = Read(indexes.front());
    std::vector<merrowfen_disk::DayIndexEntry> entries(
        (index.size() - sizeof(merrowfen_disk::TableHeader)) / sizeof(merrowfen_disk::DayIndexEntry));
    std::memcpy(entries.data(), index.data() + sizeof(merrowfen_disk::TableHeader),
                entries.size() * sizeof(merrowfen_disk::DayIndexEntry));
    std::string searched = "<?xml version=\"1.0\" encoding=\"GB2312\"?><SearchedFile>";
    for (int channel = 1; channel <= 4; ++channel) {
        ChannelFiles record;
        record.DiskName = QStringLiteral("E:\\");
        record.DeviceName = QStringLiteral("Recorder <1> & \"2\"");
        record.ChannelInfo.SetChannelNumber(channel);
        record.StartTime = QDate(2024, 3, 1);
        record.EndTime = QDate(2024, 3, 2);
        std::vector<std::unique_ptr<APT_QMR::CSingleFile>> files;
        for (const auto& e : entries) {
            if (e.channel != channel) continue;
            files.emplace_back(new APT_QMR::CSingleFile(std::string(e.name, strnlen(e.name, sizeof e.name)), "E:\\",
                                                        e.size, e.start, e.end, e.fileType, "Recorder", channel));
            record.SingleFileList.push_back(files.back().get());
        }
        searched += record.ToXml().toStdString();
    }
    searched += "</SearchedFile>";
    const std::string disks =
        "<?xml version=\"1.0\" encoding=\"GB2312\"?><DiskInfos><Disk><DiskName>E:\\</DiskName></Disk>"
        "<Disk><DiskName>F:\\</DiskName></Disk></DiskInfos>";
    Seed("fuzz_handover_xml", "handover", kelfuzz::JoinPieces({FromText(searched), FromText(disks)}));
}

// The XML files that once stopped the programs at start (nested deeper than
// a tree reader may build, behind what used to end the depth check), for
// every target that reads XML: both hand-over files at once, and the
// settings. Nested 1,000 deep, well past the limit of 256 yet small enough
// to keep the targets fast (the tests use 200,000).
void HostileXmlSeeds() {
    const int depth = 1000;
    int n = 0;
    for (const kel_test::HostileXml& c : kel_test::HostileXmlCases()) {
        const std::string name = "hostile" + std::to_string(n++);
        const QByteArray searched = kel_test::HostileXmlDocument(c, QStringLiteral("SearchedFile"), depth);
        const QByteArray disks = kel_test::HostileXmlDocument(c, QStringLiteral("DiskInfos"), depth,
                                                              QStringLiteral("<Disk><DiskName>E:\\</DiskName></Disk>"));
        Seed("fuzz_handover_xml", name,
             kelfuzz::JoinPieces({Bytes(searched.begin(), searched.end()), Bytes(disks.begin(), disks.end())}));
        const QByteArray settings = kel_test::HostileXmlDocument(
            c, QStringLiteral("Settings"), depth, QStringLiteral("<SpeedValue><Value>60</Value></SpeedValue>"));
        Seed("fuzz_settings_xml", name, Bytes(settings.begin(), settings.end()));
    }
}

void SettingsSeeds() {
    CSettingsStore store;
    for (int k = 0; k < kSettingKeyCount; ++k) store.SetValueText(k, QStringLiteral("value %1").arg(k));
    const std::string path = kelfuzz::ScratchDir() + "/Settings.xml";
    store.Save(QString::fromStdString(path));
    Seed("fuzz_settings_xml", "settings", Read(path));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: kel-fuzz-seeds OUT DISK_V1 DISK_V2 QORAUTO_DISK [REALISTIC_DISK]\n");
        return 2;
    }
    QCoreApplication app(argc, argv);
    g_out = argv[1];
    const fs::path v1 = argv[2], v2 = argv[3], qorauto = argv[4];
    StreamSeeds(v1, "plain");
    StreamSeeds(v2, "keyed");
    VehicleTextSeeds(v1, "plain");
    VehicleTextSeeds(v2, "keyed");
    TableSeeds(v1);
    PictureSeeds(v1, 1);
    PictureSeeds(v2, 2);
    VehicleFileSeeds(v1);
    QorautoSeeds(qorauto);
    HandOverSeeds(v1);
    SettingsSeeds();
    HostileXmlSeeds();
    std::vector<std::pair<fs::path, std::string>> media{{v1, ""}, {v2, "fuzzkey"}};
    if (argc == 6) media.emplace_back(argv[5], "");
    ReaderSeeds(g_out, media, &g_written);
    std::printf("kel-fuzz-seeds: %d seeds written to %s\n", g_written, g_out.c_str());
    return g_written > 0 ? 0 : 1;
}
