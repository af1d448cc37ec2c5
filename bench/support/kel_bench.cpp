// SPDX-License-Identifier: GPL-3.0-or-later
#include "kel_bench/figures.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

namespace kel_bench {

Spread Of(std::vector<double> values) {
    Spread s;
    s.runs = values.size();
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

namespace {

std::string Number(double v, const char* format) {
    char text[64];
    if (!format) {
        const double a = v < 0 ? -v : v;
        if (a > 0 && a < 1e-3) {
            // As google-benchmark writes it: 322u is 322e-6 (a time per item in seconds).
            std::snprintf(text, sizeof text, "%.3gu", v * 1e6);
            return text;
        }
        format = a >= 1000 ? "%.0f" : a >= 10 ? "%.1f" : "%.3g";
    }
    std::snprintf(text, sizeof text, format, v);
    return text;
}

}  // namespace

std::string Text(const Spread& s, const char* format) {
    return Number(s.median, format) + " (min " + Number(s.min, format) + ", max " + Number(s.max, format) + ")";
}

const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

std::string Machine() {
    std::string load;
    std::ifstream in("/proc/loadavg");
    double a = 0, b = 0, c = 0;
    char text[96] = "";
    if (in >> a >> b >> c) std::snprintf(text, sizeof text, ", load %.1f %.1f %.1f", a, b, c);
    return std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores" + text;
}

namespace {

// The figures of one benchmark over its repetitions.
struct Figures {
    std::string unit;
    std::vector<double> time, cpu;
    std::map<std::string, std::vector<double>> counters;
    std::string error;
};

const char* UnitName(benchmark::TimeUnit u) {
    switch (u) {
    case benchmark::kNanosecond: return "ns";
    case benchmark::kMicrosecond: return "us";
    case benchmark::kMillisecond: return "ms";
    case benchmark::kSecond: return "s";
    }
    return "";
}

class Reporter : public benchmark::BenchmarkReporter {
public:
    std::vector<std::string> order;
    std::map<std::string, Figures> figures;

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            std::string name = r.run_name.function_name;
            if (!r.run_name.args.empty()) name += "/" + r.run_name.args;
            if (!figures.count(name)) order.push_back(name);
            Figures& f = figures[name];
            if (r.error_occurred) {
                f.error = r.error_message;
                continue;
            }
            f.unit = UnitName(r.time_unit);
            f.time.push_back(r.GetAdjustedRealTime());
            f.cpu.push_back(r.GetAdjustedCPUTime());
            for (const auto& c : r.counters) f.counters[c.first].push_back(c.second.value);
        }
    }

    // The median of a figure; false when there is none.
    bool Median(const std::string& name, const std::string& figure, double* out) const {
        auto it = figures.find(name);
        if (it == figures.end() || !it->second.error.empty()) return false;
        const Figures& f = it->second;
        const std::vector<double>* v = figure == "time" ? &f.time : figure == "cpu" ? &f.cpu : nullptr;
        if (!v) {
            auto c = f.counters.find(figure);
            if (c == f.counters.end()) return false;
            v = &c->second;
        }
        if (v->empty()) return false;
        *out = Of(*v).median;
        return true;
    }
};

}  // namespace

int RunBenchmarks(int argc, char** argv, const std::vector<Aim>& aims, int repetitions) {
    std::vector<char*> args(argv, argv + argc);
    std::string repeat = "--benchmark_repetitions=" + std::to_string(repetitions);
    bool given = false;
    for (int i = 1; i < argc; ++i) given = given || std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
    if (!given) args.insert(args.begin() + 1, &repeat[0]);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    std::printf("%s; every figure is the median of the repetitions (min, max)\n", Machine().c_str());
    std::fflush(stdout);
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const std::string& name : reporter.order) {
        const Figures& f = reporter.figures[name];
        if (!f.error.empty()) {
            std::printf("%-32s failed: %s\n", name.c_str(), f.error.c_str());
            continue;
        }
        const Spread time = Of(f.time);
        std::printf("%-32s %zu runs   time %s %s   CPU %s %s", name.c_str(), time.runs, Text(time, nullptr).c_str(),
                    f.unit.c_str(), Text(Of(f.cpu), nullptr).c_str(), f.unit.c_str());
        for (const auto& c : f.counters) std::printf("   %s %s", c.first.c_str(), Text(Of(c.second), nullptr).c_str());
        std::printf("\n");
    }
    int status = 0;
    if (aims.empty()) std::printf("aim: none; the figures stand beside their references for comparison\n");
    for (const Aim& a : aims) {
        double value = 0, reference = 1;
        const bool have = reporter.Median(a.benchmark, a.figure, &value) &&
                          (a.reference.empty() || reporter.Median(a.reference, a.figure, &reference));
        if (!have || reference == 0) {
            std::printf("aim: %s   not measured   %s\n", a.text.c_str(), Verdict(false));
            status = 1;
            continue;
        }
        const double figure = a.reference.empty() ? value : value / reference;
        const bool met = a.atMost ? figure <= a.limit : figure >= a.limit;
        std::printf("aim: %s   %s (%s %s)   %s\n", a.text.c_str(), Number(figure, nullptr).c_str(),
                    a.atMost ? "<=" : ">=", Number(a.limit, nullptr).c_str(), Verdict(met));
    }
    std::fflush(stdout);
    return status;
}

}  // namespace kel_bench
