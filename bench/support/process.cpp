// SPDX-License-Identifier: GPL-3.0-or-later
#include "kel_bench/process.h"

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace kel_bench {

namespace {

std::string Proc(pid_t pid, const char* what) { return "/proc/" + std::to_string(pid) + "/" + what; }

long StatusKiB(pid_t pid, const char* field) {
    std::ifstream in(Proc(pid, "status"));
    const std::string name = field;
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, name.size(), name) == 0) return std::atol(line.c_str() + name.size());
    return -1;
}

}  // namespace

double ProcessCpuSeconds(pid_t pid) {
    std::ifstream in(Proc(pid, "stat"));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The name in parentheses may hold spaces: the fields follow the last ')'.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    unsigned long long utime = 0, stime = 0;
    int i = 3;
    for (; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stoull(f);
        if (i == 15) stime = std::stoull(f);
    }
    if (i <= 15) return -1;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double ThreadsCpuSeconds(pid_t pid) {
    DIR* dir = opendir(Proc(pid, "task").c_str());
    if (!dir) return -1;
    uint64_t ns = 0;
    bool any = false;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream in(Proc(pid, "task/") + e->d_name + "/schedstat");
        uint64_t onCpu = 0;
        if (in >> onCpu) {
            ns += onCpu;
            any = true;
        }
    }
    closedir(dir);
    return any ? ns / 1e9 : -1;
}

long PeakResidentKiB(pid_t pid) { return StatusKiB(pid, "VmHWM:"); }
long ResidentKiB(pid_t pid) { return StatusKiB(pid, "VmRSS:"); }

BusyLoad::BusyLoad(int n) {
    for (int i = 0; i < n; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            volatile uint64_t x = 0;
            for (;;) x = x + 1;
        }
        if (pid > 0) m_pids.push_back(pid);
    }
}

BusyLoad::~BusyLoad() {
    for (pid_t pid : m_pids) kill(pid, SIGKILL);
    for (pid_t pid : m_pids) waitpid(pid, nullptr, 0);
}

}  // namespace kel_bench
