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

double MedianMs(const std::string& program, int runs)
{
    RunOnce(program);  // warm the page cache
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = RunOnce(program);
        if (ms < 0)
            return -1;
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
    const double ms = MedianMs(client, runs);
    const double refMs = MedianMs(reference, runs);
    const int libraries = MappedLibraries(client);
    const int refLibraries = MappedLibraries(reference);
    if (ms < 0 || refMs < 0 || libraries < 0 || refLibraries < 0) {
        std::fprintf(stderr, "light_library: a client did not run\n");
        return 1;
    }
    std::printf("light_library.load_ms  %.2f ms (median of %d)   reference client linked to the player: %.2f ms   "
                "ratio %.3f (aim < 30 ms)\n",
                ms, runs, refMs, ms / refMs);
    std::printf("light_library.mapped_libraries  %d   reference client linked to the player: %d   "
                "(aim < 40)\n",
                libraries, refLibraries);
    return 0;
}
