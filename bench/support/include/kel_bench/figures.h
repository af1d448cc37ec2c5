// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures of the benchmarks: every figure is the median of N runs with
// the least and the most beside it (never the best run alone), and every
// benchmark prints its aims and whether each was met.
#include <string>
#include <vector>

namespace kel_bench {

struct Spread {
    double median = 0, min = 0, max = 0;
    size_t runs = 0;
};
Spread Of(std::vector<double> values);
// "12.3 (min 11.0, max 14.2)", each value written with `format` (printf), or
// with null to as many digits as the size of the value asks for.
std::string Text(const Spread& s, const char* format);
// "met" or "NOT MET".
const char* Verdict(bool met);
// "8 cores, load 11.2 7.9 6.1": the machine the figures were taken on (its
// load averages over 1, 5 and 15 minutes show whether it was shared).
std::string Machine();

// Programs of google-benchmark benchmarks.
//
// An aim on a figure of one benchmark (its name as registered, with its
// arguments, e.g. "BM_SixteenStreams/16"): "time" (real time of one
// iteration, in the benchmark's unit), "cpu" (CPU time of one iteration) or
// the name of one of its counters. With `reference` set, the aim is on the
// ratio of the two benchmarks' medians of that figure.
struct Aim {
    std::string text;        // what is aimed at, in words
    std::string benchmark;
    std::string figure;
    bool atMost = true;      // met when the median is at most `limit`; else at least
    double limit = 0;
    std::string reference;
};
// Runs the benchmarks `repetitions` times each (unless the command line says
// --benchmark_repetitions), prints the median, min and max of every figure
// over the repetitions, then each aim with its median figure and whether it
// was met. The return value is the program's exit status.
int RunBenchmarks(int argc, char** argv, const std::vector<Aim>& aims, int repetitions = 5);

}  // namespace kel_bench
