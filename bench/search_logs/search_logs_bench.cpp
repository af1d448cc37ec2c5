// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of a full log table (2000 records, the most the page asks for): turning
// the records into table rows, and exporting the table to XML.
#include <benchmark/benchmark.h>

#include "kel_bench/figures.h"

#include <QCoreApplication>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <vector>

#include "search/LogSearch.h"
#include "search/LogWriteThread.h"

namespace {

std::vector<LogRecord> Records(int n) {
    std::vector<LogRecord> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        LogRecord& r = out[size_t(i)];
        std::memset(&r, 0, sizeof r);
        std::snprintf(r.time, sizeof r.time, "20240301%02d%02d%02d", (i / 3600) % 24, (i / 60) % 60, i % 60);
        r.majorType = 1 + uint32_t(i % 4);
        r.minorType = i % 2 ? 3 : 80;
        std::strcpy(r.localUser, "admin");
        std::strcpy(r.remoteUser, i % 3 ? "" : "operator");
        r.remoteHost = i % 3 ? 0 : (192u << 24 | 168u << 16 | 1u << 8 | uint32_t(i % 250));
        r.paramType = 'R';
        r.channel = uint8_t(i % 16);
    }
    return out;
}

void BM_LogRowsOf2000Records(benchmark::State& state) {
    const std::vector<LogRecord> records = Records(CLogSearch::kRecordLimit);
    for (auto _ : state) {
        QList<QList<QStandardItem*> > table;
        for (size_t i = 0; i < records.size(); ++i)
            table.append(CLogSearch::MakeTableRow(int(i) + 1, CLogSearch::ConvertRecord(records[i])));
        benchmark::DoNotOptimize(table.size());
        for (auto& row : table) qDeleteAll(row);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * CLogSearch::kRecordLimit);
}
BENCHMARK(BM_LogRowsOf2000Records)->Unit(benchmark::kMillisecond);

void BM_ExportOf2000Rows(benchmark::State& state) {
    QStandardItemModel model;
    const std::vector<LogRecord> records = Records(CLogSearch::kRecordLimit);
    for (size_t i = 0; i < records.size(); ++i)
        model.appendRow(CLogSearch::MakeTableRow(int(i) + 1, CLogSearch::ConvertRecord(records[i])));
    QTemporaryDir dir;
    const QString path = dir.path() + "/logs.xml";
    for (auto _ : state) {
        CLogWriteThread writer;
        writer.SetFilePath(path);
        writer.SetModel(&model);
        writer.start();
        writer.wait();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * CLogSearch::kRecordLimit);
}
BENCHMARK(BM_ExportOf2000Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return kel_bench::RunBenchmarks(argc, argv, {});
}
