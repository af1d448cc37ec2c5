// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the batch downloader's hand-over files: "SearchedFile.xml" with
// many files per channel and "DiskFile.xml" with many disks. Both readers
// walk the children once, so the time grows linearly with the count.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "storage/HandOverFiles.h"

namespace {

QString WriteSearched(const QString& folder, int files) {
    ChannelFiles record;
    record.DiskName = QStringLiteral("E:\\");
    record.ChannelInfo.SetChannelNumber(1);
    std::vector<std::unique_ptr<APT_QMR::CSingleFile>> owned;
    for (int i = 0; i < files; ++i) {
        owned.emplace_back(new APT_QMR::CSingleFile("c01_" + std::to_string(i) + ".qrv", "E:\\", 1000,
                                                    1709280000 + 60 * i, 1709280059 + 60 * i, 1, "dev", 1));
        record.SingleFileList.push_back(owned.back().get());
    }
    const QString path = folder + "/SearchedFile.xml";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><SearchedFile>" + record.ToXml().toUtf8() + "</SearchedFile>");
    return path;
}

QString WriteDisks(const QString& folder, int disks) {
    QByteArray text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><DiskInfos>";
    for (int i = 0; i < disks; ++i) text += "<Disk><DiskName>D" + QByteArray::number(i) + ":\\</DiskName></Disk>";
    text += "</DiskInfos>";
    const QString path = folder + "/DiskFile.xml";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(text);
    return path;
}

void BM_SearchedFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteSearched(dir.path(), int(state.range(0)));
    for (auto _ : state) {
        std::vector<std::unique_ptr<ChannelFiles>> records;
        ReadHandOverChannels(path, &records, nullptr, nullptr);
        for (auto& r : records)
            for (APT_QMR::CSingleFile* f : r->SingleFileList) delete f;
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SearchedFile)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_DiskFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = WriteDisks(dir.path(), int(state.range(0)));
    for (auto _ : state) {
        std::vector<std::string> disks;
        ReadHandOverDisks(path, &disks, nullptr);
        benchmark::DoNotOptimize(disks.data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DiskFile)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

int main(int argc, char** argv) {
    // Linear: four (five) times the entries take at most 1.5 times four (five) times as long.
    return kel_bench::RunBenchmarks(
        argc, argv,
        {{"SearchedFile.xml: 4x the files read in at most 6x the time", "BM_SearchedFile/20000", "time", true, 6.0,
          "BM_SearchedFile/5000"},
         {"DiskFile.xml: 5x the disks read in at most 7.5x the time", "BM_DiskFile/50000", "time", true, 7.5,
          "BM_DiskFile/10000"}});
}
