// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of loading the disk library into a program that uses none of the
// player: time from exec to exit and the shared libraries mapped, beside the
// same figures for a program linked to the player library.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kel_bench/figures.h"

extern char** environ;

namespace {

std::string OwnFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

// Wall time of one run of `program` (ms); negative when it failed.
double RunOnce(const std::string& program)
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The wall times of `runs` runs (ms); empty when one failed.
std::vector<double> TimesMs(const std::string& program, int runs)
{
    RunOnce(program);  // warm the page cache
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = RunOnce(program);
        if (ms < 0)
            return {};
        times.push_back(ms);
    }
    return times;
}

int MappedLibraries(const std::string& program)
{
    FILE* pipe = popen(("'" + program + "' --maps").c_str(), "r");
    if (!pipe)
        return -1;
    int count = -1;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe))
        std::sscanf(line, "libraries %d", &count);
    pclose(pipe);
    return count;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const std::string folder = OwnFolder();
    const std::string client = folder + "/light_library_noop_client";
    const std::string reference = folder + "/light_library_reference_client";
    const std::vector<double> ms = TimesMs(client, runs);
    const std::vector<double> refMs = TimesMs(reference, runs);
    const int libraries = MappedLibraries(client);
    const int refLibraries = MappedLibraries(reference);
    if (ms.empty() || refMs.empty() || libraries < 0 || refLibraries < 0) {
        std::fprintf(stderr, "light_library: a client did not run\n");
        return 1;
    }
    const kel_bench::Spread load = kel_bench::Of(ms);
    const kel_bench::Spread refLoad = kel_bench::Of(refMs);
    std::printf("%d runs; median (min, max); %s\n", runs, kel_bench::Machine().c_str());
    std::printf("light_library.load_ms  %s ms   reference client linked to the player: %s ms   ratio %.3f   "
                "aim < 30 ms   %s\n",
                kel_bench::Text(load, "%.2f").c_str(), kel_bench::Text(refLoad, "%.2f").c_str(),
                load.median / refLoad.median, kel_bench::Verdict(load.median < 30));
    std::printf("light_library.mapped_libraries  %d   reference client linked to the player: %d   aim < 40   %s\n",
                libraries, refLibraries, kel_bench::Verdict(libraries < 40));
    return 0;
}
