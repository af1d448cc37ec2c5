// SPDX-License-Identifier: GPL-3.0-or-later
// The batch downloader loading a large batch: N recordings written into the
// hand-over files as the viewer writes them (16 channels of one disk, one
// minute each), then the dialog reading them until its table holds a row per
// recording (in a process of its own, which also gives the memory it takes);
// and ticking all rows through the header of the filled table.
// Beside each figure: the reference measured in the same run (reading the
// file and putting the same rows into a plain item model in one go, the
// least any loader has to do) and the aim. The aims grow linearly with N: a
// load that grows faster shows as a miss at 100,000.
//
//   batch_load_bench [benchmark options]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextCodec>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Download/Batch/BatchDownloadDialog.h"
#include "storage/ChannelFiles.h"
#include "storage/Settings.h"
#include "ziraz/dialogs.h"

namespace {

const int kChannels = 16;
// Aims: a start-up part and a part per recording (100,000 recordings: 3 s,
// 300 MB, 0.5 s).
double AimLoadMs(int n) { return 100 + 0.029 * n; }
double AimAddedMegabytes(int n) { return 20 + 0.0028 * n; }
double AimCheckAllMs(int n) { return 5 + 0.00495 * n; }

QString g_home;

struct Figures {
    double loadMs = -1, referenceMs = -1, checkAllMs = -1;
    double beforeMegabytes = -1, peakMegabytes = -1;
    int rows = 0;
};
std::map<int, Figures> g_figures;

// The two hand-over files with `count` recordings, the channels taking turns.
bool WriteHandOver(int count) {
    static int written = -1;
    if (written == count) return true;
    std::vector<std::unique_ptr<APT_QMR::CSingleFile>> owned;
    std::vector<ChannelFiles> blocks(kChannels);
    for (int c = 0; c < kChannels; ++c) {
        blocks[size_t(c)].DiskName = QStringLiteral("E:\\");
        blocks[size_t(c)].DeviceName = QStringLiteral("Recorder");
        blocks[size_t(c)].ChannelInfo.SetChannelNumber(c + 1);
        blocks[size_t(c)].StartTime = QDate(2024, 3, 1);
        blocks[size_t(c)].EndTime = QDate(2024, 3, 31);
    }
    for (int i = 0; i < count; ++i) {
        const int channel = i % kChannels + 1;
        const uint32_t start = 1709251200u + uint32_t(i / kChannels) * 60u;
        owned.emplace_back(new APT_QMR::CSingleFile("c" + std::to_string(channel) + "_" + std::to_string(i) + ".qrv",
                                                    "E:\\", 64u << 20, start, start + 59, 1, "Recorder", channel));
        blocks[size_t(channel - 1)].SingleFileList.push_back(owned.back().get());
    }
    QString body;
    for (const ChannelFiles& b : blocks) body += b.ToXml();
    QTextCodec* codec = QTextCodec::codecForName("GB2312");
    const auto write = [&](const QString& name, const QString& root, const QString& inner) {
        QFile f(g_home + "/" + name);
        const QString text =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<%1>%2</%1>\n").arg(root, inner);
        return f.open(QIODevice::WriteOnly) && f.write(codec->fromUnicode(text)) > 0;
    };
    if (!write(QStringLiteral("SearchedFile.xml"), QStringLiteral("SearchedFile"), body) ||
        !write(QStringLiteral("DiskFile.xml"), QStringLiteral("DiskInfos"),
               QStringLiteral("<Disk><DiskName>E:\\</DiskName></Disk>")))
        return false;
    written = count;
    return true;
}

// A figure of /proc/self/status in megabytes ("VmRSS", "VmHWM").
double StatusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(int(qstrlen(field)) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// One load in a process of its own (this program with --load-once N), so
// that its memory is measured from a fresh start: the time to the filled
// table, the resident memory before and at the peak, the time to tick all
// rows through the header; false when it failed.
bool LoadOnce(int count, Figures* fig) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KEL_HOME"), g_home);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load-once"), QString::number(count)});
    if (!child.waitForFinished(600000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        // Why, for the one who runs the benchmark.
        std::fprintf(stderr, "the load of %d recordings ended with status %d, exit code %d:\n%s\n", count,
                     int(child.exitStatus()), child.exitCode(), child.readAllStandardError().constData());
        return false;
    }
    const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
    if (v.size() != 5) return false;
    fig->rows = v[0].toInt();
    fig->loadMs = v[1].toDouble();
    fig->beforeMegabytes = v[2].toDouble();
    fig->peakMegabytes = v[3].toDouble();
    fig->checkAllMs = v[4].toDouble();
    return true;
}

int LoadOnceMain(int count) {
    const double before = StatusMegabytes("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    Lorrimax dialog;
    dialog.setTitleSuffix(QStringLiteral("Lorrimax"));
    dialog.setDownLoadFileType(0);
    dialog.LoadSearchedFiles();
    const int rows = dialog.tableModel()->rowCount();
    const double loadMs = clock.nsecsElapsed() / 1e6;
    const double peak = StatusMegabytes("VmHWM:");
    clock.restart();
    dialog.tableModel()->setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    const double checkAllMs = clock.nsecsElapsed() / 1e6;
    if (dialog.selectedSize() != uint64_t(count) * (64u << 20)) return 1;  // not every row was ticked
    std::printf("%d %.1f %.1f %.1f %.2f\n", rows, loadMs, before, peak, checkAllMs);
    std::fflush(stdout);
    std::_Exit(0);  // the table need not be taken down
}

void BM_LoadBatch(benchmark::State& state) {
    const int count = int(state.range(0));
    if (!WriteHandOver(count)) {
        state.SkipWithError("hand-over files not written");
        return;
    }
    Figures& fig = g_figures[count];
    for (auto _ : state) {
        if (!LoadOnce(count, &fig)) {
            state.SkipWithError("the load failed");
            return;
        }
        state.SetIterationTime(fig.loadMs / 1e3);
    }
    if (fig.rows != count) state.SkipWithError("the table does not hold a row per recording");
    state.counters["rows"] = fig.rows;
    state.counters["peak_MB"] = fig.peakMegabytes;
    state.SetComplexityN(count);
}
BENCHMARK(BM_LoadBatch)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The reference: the file read and decoded, and the same rows (seven plain
// items each) put into a plain item model in one go.
void BM_Reference(benchmark::State& state) {
    const int count = int(state.range(0));
    if (!WriteHandOver(count)) {
        state.SkipWithError("hand-over files not written");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        QFile f(g_home + "/SearchedFile.xml");
        if (!f.open(QIODevice::ReadOnly)) {
            state.SkipWithError("hand-over file not read");
            return;
        }
        const QString text = QTextCodec::codecForName("GB2312")->toUnicode(f.readAll());
        benchmark::DoNotOptimize(text.size());
        QStandardItemModel model(0, 7);
        for (int i = 0; i < count; ++i) {
            QList<QStandardItem*> row;
            row << new QStandardItem(QString::number(i + 1)) << new QStandardItem(QStringLiteral("E:\\"))
                << new QStandardItem(QString::number(i % kChannels + 1))
                << new QStandardItem(QStringLiteral("2024-03-01 08:00:00"))
                << new QStandardItem(QStringLiteral("2024-03-01 08:00:59")) << new QStandardItem(QStringLiteral("64 MB"))
                << new QStandardItem(QStringLiteral("Wait"));
            model.appendRow(row);
        }
        g_figures[count].referenceMs = clock.nsecsElapsed() / 1e6;
        state.SetIterationTime(g_figures[count].referenceMs / 1e3);
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_Reference)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool loadOnce = argc == 3 && std::string(argv[1]) == "--load-once";
    QTemporaryDir home;
    if (!loadOnce) {
        g_home = home.path();
        qputenv("KEL_HOME", home.path().toLocal8Bit());
    }
    QApplication app(argc, argv);
    ziraz::ScopedDialogPresenter quiet([](const ziraz::DialogCall& call) -> std::optional<int> {
        if (call.kind == ziraz::DialogKind::Modal) return std::nullopt;  // the row builder's progress runs
        return 0;
    });
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath,
                                                QString::fromLocal8Bit(qgetenv("KEL_HOME")) + "/dl");
    if (loadOnce) return LoadOnceMain(std::atoi(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nbatch downloader loading N recordings from the hand-over files\n");
    for (const auto& entry : g_figures) {
        const int n = entry.first;
        const Figures& f = entry.second;
        if (f.loadMs < 0) continue;
        std::printf("batch_load.%d.table_filled  %8.0f ms   reference (file read, same rows in a plain model) %6.0f ms"
                    "   aim <= %.0f ms\n",
                    n, f.loadMs, f.referenceMs, AimLoadMs(n));
        std::printf("batch_load.%d.peak_memory   %8.0f MB over the %.0f MB before   aim <= %.0f MB over\n", n,
                    f.peakMegabytes - f.beforeMegabytes, f.beforeMegabytes, AimAddedMegabytes(n));
        std::printf("batch_load.%d.tick_all_rows %8.1f ms   aim <= %.0f ms\n", n, f.checkAllMs, AimCheckAllMs(n));
    }
    return 0;
}
