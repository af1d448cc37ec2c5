// SPDX-License-Identifier: GPL-3.0-or-later
#include "wincompat/drives.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
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

namespace {

// File systems of the kernel's own bookkeeping: never a volume of media.
bool IsPseudoFileSystem(const std::string& type) {
    static const char* const kPseudo[] = {"autofs",     "proc",       "sysfs",     "devpts",  "devtmpfs",
                                          "cgroup",     "cgroup2",    "debugfs",   "tracefs", "securityfs",
                                          "pstore",     "bpf",        "mqueue",    "hugetlbfs", "configfs",
                                          "fusectl",    "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs"};
    for (const char* p : kPseudo)
        if (type == p) return true;
    return false;
}

bool IsNetworkFileSystem(const std::string& type) {
    static const char* const kNetwork[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "9p", "ceph", "glusterfs",
                                           "fuse.sshfs", "fuse.rclone", "davfs", "fuse.davfs2", "afs"};
    for (const char* p : kNetwork)
        if (type == p) return true;
    return false;
}

bool IsMediaMount(const std::string& mount) {
    return StartsWith(mount, "/media/") || StartsWith(mount, "/mnt/") || StartsWith(mount, "/run/media/");
}

struct MountLine {
    std::string majmin, root, mount, fstype;
};

std::vector<MountLine> ReadMountInfo(const std::string& path) {
    std::vector<MountLine> out;
    std::ifstream mi(path);
    std::string line;
    while (std::getline(mi, line)) {
        std::istringstream ls(line);
        MountLine m;
        std::string id, parent;
        ls >> id >> parent >> m.majmin >> m.root >> m.mount;
        std::string tok;
        while (ls >> tok && tok != "-") {}
        ls >> m.fstype;
        m.root = Unescape(m.root);
        m.mount = Unescape(m.mount);
        if (!m.mount.empty()) out.push_back(m);
    }
    return out;
}

}  // namespace

DriveTableData ReadSystemDriveTable() { return ReadSystemDriveTable(SystemTableSources(), nullptr); }

DriveTableData ReadSystemDriveTable(const SystemTableSources& from, const DriveTableData* previous) {
    DriveTableData t;
    const std::string sys = from.sysRoot + "/sys";
    // Physical drives: /sys/block without loop, ram, zram and optical devices.
    std::vector<std::string> names;
    if (DIR* d = opendir((sys + "/block").c_str())) {
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
    // The devices of the drives, in the order they are numbered when nothing
    // was numbered before: block devices first, then the volumes that lie on
    // none of them (added below).
    std::vector<std::string> devices;
    for (const std::string& n : names) devices.push_back("/dev/" + n);

    // The block device (in /sys/block) a volume lies on; empty when none.
    auto blockDiskOf = [&](const std::string& majmin) -> std::string {
        char buf[PATH_MAX];
        std::string link = sys + "/dev/block/" + majmin;
        ssize_t n = readlink(link.c_str(), buf, sizeof buf - 1);
        if (n <= 0) return {};
        buf[n] = 0;
        std::string p = buf;  // ../../devices/.../block/sda/sda1
        size_t pos = p.find("/block/");
        if (pos == std::string::npos) return {};
        std::string rest = p.substr(pos + 7);
        return rest.substr(0, rest.find('/'));
    };

    // Lettered volumes: the root file system is C:, mounts below /media, /mnt
    // and /run/media follow from D: on. A volume that lies on no listed drive
    // (a loop device, a file system in user space, a network share) or shows
    // only a folder of its file system (a bind mount) is a drive of its own,
    // whose device is its folder: every volume that can hold recorder media
    // is a disk the operator can tick.
    struct Volume {
        LetterEntry entry;
        std::string ownDevice;  // the folder, for a drive of its own
    };
    std::vector<Volume> volumes;
    for (const MountLine& m : ReadMountInfo(from.mountInfo)) {
        const bool isRoot = m.mount == "/";
        if (!isRoot && (!IsMediaMount(m.mount) || IsPseudoFileSystem(m.fstype))) continue;
        const std::string disk = blockDiskOf(m.majmin);
        const bool optical = StartsWith(disk, "sr");
        const bool listed = std::find(names.begin(), names.end(), disk) != names.end();
        Volume v;
        v.entry.letter = isRoot ? 'C' : 0;
        v.entry.fileSystem = m.fstype;
        v.entry.path = m.mount;
        if (optical) {
            v.entry.type = kDriveCdRom;
        } else if (IsNetworkFileSystem(m.fstype)) {
            v.entry.type = kDriveRemote;
        } else {
            v.entry.type = listed && ReadSmallFile(sys + "/block/" + disk + "/removable") == "1" ? kDriveRemovable
                                                                                               : kDriveFixed;
        }
        if (!isRoot && !optical && (!listed || m.root != "/")) {
            v.ownDevice = m.mount;
        } else if (listed && !optical) {
            v.entry.disk = static_cast<int>(std::find(devices.begin(), devices.end(), "/dev/" + disk) - devices.begin());
        }
        // A folder mounted over shows the last volume mounted on it.
        auto same = std::find_if(volumes.begin(), volumes.end(),
                                 [&](const Volume& o) { return o.entry.path == m.mount; });
        if (same != volumes.end())
            *same = v;
        else
            volumes.push_back(v);
    }

    // Letters: a volume that had a letter keeps it; the others take the free
    // ones from D: on, in mount order.
    std::vector<bool> taken(26, false);
    taken['C' - 'A'] = std::any_of(volumes.begin(), volumes.end(), [](const Volume& v) { return v.entry.letter == 'C'; });
    if (previous) {
        for (Volume& v : volumes) {
            if (v.entry.letter) continue;
            for (const LetterEntry& old : previous->letters) {
                if (old.path != v.entry.path || old.letter < 'D' || old.letter > 'Z' || taken[old.letter - 'A']) continue;
                v.entry.letter = old.letter;
                taken[old.letter - 'A'] = true;
                break;
            }
        }
    }
    for (Volume& v : volumes) {
        if (v.entry.letter) continue;
        for (char l = 'D'; l <= 'Z' && !v.entry.letter; ++l) {
            if (taken[l - 'A']) continue;
            v.entry.letter = l;
            taken[l - 'A'] = true;
        }
    }

    // Drives of their own, for the volumes that have a letter.
    for (Volume& v : volumes) {
        if (!v.entry.letter || v.ownDevice.empty()) continue;
        v.entry.disk = static_cast<int>(devices.size());
        devices.push_back(v.ownDevice);
    }

    // Numbers: a device that had a number keeps it; the others take the
    // lowest free ones, in the order above.
    std::vector<int> numbers(devices.size(), -1);
    std::vector<int> used;
    if (previous) {
        for (size_t i = 0; i < devices.size(); ++i) {
            for (const DiskEntry& old : previous->disks) {
                if (old.device != devices[i] || std::find(used.begin(), used.end(), old.number) != used.end()) continue;
                numbers[i] = old.number;
                used.push_back(old.number);
                break;
            }
        }
    }
    for (size_t i = 0, next = 0; i < devices.size(); ++i) {
        if (numbers[i] >= 0) continue;
        while (std::find(used.begin(), used.end(), static_cast<int>(next)) != used.end()) ++next;
        numbers[i] = static_cast<int>(next);
        used.push_back(numbers[i]);
    }
    for (size_t i = 0; i < devices.size(); ++i) t.disks.push_back({numbers[i], devices[i]});
    std::sort(t.disks.begin(), t.disks.end(), [](const DiskEntry& a, const DiskEntry& b) { return a.number < b.number; });

    for (Volume& v : volumes) {
        if (!v.entry.letter) continue;
        if (v.entry.disk >= 0) v.entry.disk = numbers[static_cast<size_t>(v.entry.disk)];
        t.letters.push_back(v.entry);
    }
    std::sort(t.letters.begin(), t.letters.end(),
              [](const LetterEntry& a, const LetterEntry& b) { return a.letter < b.letter; });
    return t;
}

namespace {

DriveTableOrigin g_origin;

// Reads the whole file; false with the reason in `error` when it cannot.
bool ReadWholeFile(const std::string& path, std::string* text, std::string* error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = std::strerror(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        *error = std::strerror(EISDIR);
        return false;
    }
    char buf[8192];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            *error = std::strerror(errno);
            close(fd);
            return false;
        }
        text->append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return true;
}

// The table from the KEL_DRIVES file or the machine; `previous` keeps the
// letters and numbers of the machine's volumes that are still there.
DriveTableData LoadTable(const DriveTableData* previous, DriveTableOrigin* origin) {
    *origin = DriveTableOrigin();
    const char* file = getenv("KEL_DRIVES");
    if (file && *file) {
        origin->file = file;
        std::string text;
        if (!ReadWholeFile(file, &text, &origin->readError)) return {};
        return ParseDriveTable(text, &origin->badLines);
    }
    return ReadSystemDriveTable(SystemTableSources(), previous);
}

}  // namespace

DriveTableData CurrentDriveTable() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (!g_loaded) {
        g_table = LoadTable(nullptr, &g_origin);
        g_loaded = true;
    }
    return g_table;
}

void ReloadDriveTable() {
    std::lock_guard<std::mutex> lock(g_tableMutex);
    // A table of another origin (KEL_DRIVES set or unset since) starts afresh.
    const char* file = getenv("KEL_DRIVES");
    const bool sameOrigin = g_loaded && g_origin.file.empty() && !(file && *file);
    const DriveTableData previous = g_table;
    g_table = LoadTable(sameOrigin ? &previous : nullptr, &g_origin);
    g_loaded = true;
}

DriveTableOrigin CurrentDriveTableOrigin() {
    CurrentDriveTable();
    std::lock_guard<std::mutex> lock(g_tableMutex);
    return g_origin;
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
