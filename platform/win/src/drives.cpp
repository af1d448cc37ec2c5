// SPDX-License-Identifier: GPL-3.0-or-later
#include "wincompat/drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <mutex>
#include <sstream>

namespace wincompat {

namespace {

std::mutex g_tableMutex;
bool g_loaded = false;
DriveTableData g_table;

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

int ParseType(const std::string& word) {
    std::string w;
    for (char c : word) w += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (w == "fixed") return kDriveFixed;
    if (w == "removable") return kDriveRemovable;
    if (w == "cdrom" || w == "cd-rom" || w == "optical") return kDriveCdRom;
    if (w == "remote") return kDriveRemote;
    if (w == "ramdisk") return kDriveRamDisk;
    return -1;
}

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::string s;
    std::getline(in, s);
    return Trim(s);
}

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// Undo the octal escapes of /proc/self/mountinfo (space = \040 ...).
std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 3).c_str(), nullptr, 8));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace

DriveTableData ParseDriveTable(const std::string& text, std::vector<std::string>* errors) {
    DriveTableData t;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto bad = [&](const std::string& why) {
        if (errors) errors->push_back("line " + std::to_string(lineNo) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++lineNo;
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        std::string kind;
        ls >> kind;
        if (kind == "disk") {
            DiskEntry d;
            std::string num;
            ls >> num;
            char* end = nullptr;
            long n = std::strtol(num.c_str(), &end, 10);
            if (num.empty() || *end || n < 0 || n > 999) { bad("bad disk number"); continue; }
            std::string rest;
            std::getline(ls, rest);
            d.number = static_cast<int>(n);
            d.device = Trim(rest);
            if (d.device.empty()) { bad("disk without a device"); continue; }
            bool dup = false;
            for (const auto& o : t.disks) dup = dup || o.number == d.number;
            if (dup) { bad("disk listed twice"); continue; }
            t.disks.push_back(d);
        } else if (kind == "letter") {
            std::string letter, disk, type, fs, rest;
            ls >> letter >> disk >> type >> fs;
            std::getline(ls, rest);
            LetterEntry e;
            if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0]))) { bad("bad letter"); continue; }
            e.letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
            if (disk == "-") {
                e.disk = -1;
            } else {
                char* end = nullptr;
                long n = std::strtol(disk.c_str(), &end, 10);
                if (disk.empty() || *end || n < -1) { bad("bad disk number"); continue; }
                e.disk = static_cast<int>(n);
            }
            e.type = ParseType(type);
            if (e.type < 0) { bad("bad drive type"); continue; }
            e.fileSystem = fs == "-" ? std::string() : fs;
            e.path = Trim(rest);
            if (e.path.empty()) { bad("letter without a folder"); continue; }
            bool dup = false;
            for (const auto& o : t.letters) dup = dup || o.letter == e.letter;
            if (dup) { bad("letter listed twice"); continue; }
            t.letters.push_back(e);
        } else {
            bad("unknown entry '" + kind + "'");
        }
    }
    std::sort(t.letters.begin(), t.letters.end(),
              [](const LetterEntry& a, const LetterEntry& b) { return a.letter < b.letter; });
    return t;
}

DriveTableData ReadSystemDriveTable() {
    DriveTableData t;
    // Physical drives: /sys/block without loop, ram, zram and optical devices.
    std::vector<std::string> names;
    if (DIR* d = opendir("/sys/block")) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n == "." || n == ".." || StartsWith(n, "loop") || StartsWith(n, "ram") ||
                StartsWith(n, "zram") || StartsWith(n, "sr"))
                continue;
            names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (size_t i = 0; i < names.size(); ++i) t.disks.push_back({static_cast<int>(i), "/dev/" + names[i]});

    auto diskOfDev = [&](const std::string& majmin, bool* optical, bool* removable) -> int {
        char buf[PATH_MAX];
        std::string link = "/sys/dev/block/" + majmin;
        ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
        if (n <= 0) return -1;
        buf[n] = 0;
        std::string p = buf;  // ../../devices/.../block/sda/sda1
        size_t pos = p.find("/block/");
        if (pos == std::string::npos) return -1;
        std::string rest = p.substr(pos + 7);
        std::string disk = rest.substr(0, rest.find('/'));
        *optical = StartsWith(disk, "sr");
        *removable = ReadSmallFile("/sys/block/" + disk + "/removable") == "1";
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == disk) return static_cast<int>(i);
        return -1;
    };

    // Lettered volumes: the root file system is C:, mounts below /media, /mnt
    // and /run/media follow from D: on.
    std::ifstream mi("/proc/self/mountinfo");
    std::string line;
    char next = 'D';
    while (std::getline(mi, line)) {
        std::istringstream ls(line);
        std::string id, parent, majmin, root, mount;
        ls >> id >> parent >> majmin >> root >> mount;
        std::string tok;
        while (ls >> tok && tok != "-") {}
        std::string fstype, source;
        ls >> fstype >> source;
        mount = Unescape(mount);
        bool isRoot = mount == "/";
        bool isMedia = StartsWith(mount, "/media/") || StartsWith(mount, "/mnt/") || StartsWith(mount, "/run/media/");
        if (!isRoot && !isMedia) continue;
        if (!isRoot && next > 'Z') continue;
        bool optical = false, removable = false;
        int disk = diskOfDev(majmin, &optical, &removable);
        LetterEntry e;
        e.letter = isRoot ? 'C' : next++;
        e.disk = optical ? -1 : disk;
        e.type = optical ? kDriveCdRom : (removable ? kDriveRemovable : kDriveFixed);
        e.fileSystem = fstype;
        e.path = mount;
        bool dup = false;
        for (const auto& o : t.letters) dup = dup || o.letter == e.letter;
        if (!dup) t.letters.push_back(e);
    }
    std::sort(t.letters.begin(), t.letters.end(),
              [](const LetterEntry& a, const LetterEntry& b) { return a.letter < b.letter; });
    return t;
}

static DriveTableData LoadTable() {
    const char* file = getenv("KEL_DRIVES");
    if (file && *file) {
        std::ifstream in(file);
        std::stringstream ss;
        ss << in.rdbuf();
        return ParseDriveTable(ss.str());
    }
    return ReadSystemDriveTable();
}

DriveTableData CurrentDriveTable() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (!g_loaded) {
        g_table = LoadTable();
        g_loaded = true;
    }
    return g_table;
}

void ReloadDriveTable() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_table = LoadTable();
    g_loaded = true;
}

namespace {
bool FindLetter(char letter, LetterEntry* out) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    DriveTableData t = CurrentDriveTable();
    for (const auto& e : t.letters)
        if (e.letter == letter) { *out = e; return true; }
    return false;
}
}  // namespace

uint32_t GetLogicalDriveMask() {
    uint32_t mask = 0;
    for (const auto& e : CurrentDriveTable().letters) mask |= 1u << (e.letter - 'A');
    return mask;
}

int GetDriveTypeOf(const std::string& root) {
    char l = DriveLetterOf(root);
    LetterEntry e;
    if (!l || !FindLetter(l, &e)) return kDriveNoRootDir;
    return e.type;
}

bool GetVolumeFileSystem(const std::string& root, std::string* fileSystem) {
    char l = DriveLetterOf(root);
    LetterEntry e;
    if (!l || !FindLetter(l, &e) || e.fileSystem.empty()) return false;
    struct stat st;
    if (stat(e.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (fileSystem) *fileSystem = e.fileSystem;
    return true;
}

int GetPhysicalDriveOfLetter(char letter) {
    LetterEntry e;
    if (!FindLetter(letter, &e)) return -1;
    if (e.type == kDriveCdRom) return -1;
    return e.disk;
}

std::vector<int> GetPhysicalDriveNumbers() {
    std::vector<int> out;
    for (const auto& d : CurrentDriveTable().disks) out.push_back(d.number);
    return out;
}

bool CanOpenPhysicalDrive(int number) {
    for (const auto& d : CurrentDriveTable().disks)
        if (d.number == number) return access(d.device.c_str(), R_OK) == 0;
    return false;
}

int ParsePhysicalDriveName(const std::string& path) {
    std::string p;
    for (char c : path) p += static_cast<char>(std::toupper(static_cast<unsigned char>(c == '/' ? '\\' : c)));
    static const std::string prefix = "\\\\.\\PHYSICALDRIVE";
    if (p.rfind(prefix, 0) != 0) return -1;
    std::string num = p.substr(prefix.size());
    while (!num.empty() && num.back() == '\\') num.pop_back();
    if (num.empty() || num.size() > 3) return -1;
    for (char c : num)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    return std::atoi(num.c_str());
}

char DriveLetterOf(const std::string& path) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) return 0;
    if (path.size() > 2 && path[2] != '\\' && path[2] != '/') return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

std::string MapPath(const std::string& path) {
    int n = ParsePhysicalDriveName(path);
    if (n >= 0) {
        for (const auto& d : CurrentDriveTable().disks)
            if (d.number == n) return d.device;
        return {};
    }
    char l = DriveLetterOf(path);
    if (l) {
        LetterEntry e;
        if (!FindLetter(l, &e)) return {};
        std::string rest = path.substr(2);
        for (char& c : rest)
            if (c == '\\') c = '/';
        while (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
        std::string base = e.path;
        if (rest.empty()) return base;
        if (base.empty() || base.back() != '/') base += '/';
        return base + rest;
    }
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

bool GetDiskFreeSpace(const std::string& path, uint64_t* freeToCaller, uint64_t* totalBytes) {
    std::string p = MapPath(path);
    if (p.empty()) return false;
    // Ask the nearest folder that exists.
    struct stat st;
    while (!p.empty() && stat(p.c_str(), &st) != 0) {
        size_t slash = p.find_last_of('/');
        if (slash == std::string::npos) { p = "."; break; }
        p = slash == 0 ? std::string("/") : p.substr(0, slash);
        if (p == "/" && stat(p.c_str(), &st) != 0) { p.clear(); break; }
    }
    if (p.empty()) return false;
    struct statvfs vfs;
    if (statvfs(p.c_str(), &vfs) != 0) return false;
    if (freeToCaller) *freeToCaller = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    if (totalBytes) *totalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return true;
}

}  // namespace wincompat
