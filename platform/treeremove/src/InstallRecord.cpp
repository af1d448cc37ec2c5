// SPDX-License-Identifier: GPL-3.0-or-later
#include "treeremove/InstallRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace treeremove {

namespace {

struct KindWord {
    Kind kind;
    const char* word;
};
const KindWord kKinds[] = {
    {Kind::Folder, "folder"},
    {Kind::File, "file"},
    {Kind::WorkFile, "work-file"},
    {Kind::WorkFolder, "work-folder"},
};

// Records are small; anything larger is not one.
constexpr off_t kMaxRecordSize = 16 * 1024 * 1024;

int Depth(const std::string& path) {
    return path == "." ? 0 : static_cast<int>(std::count(path.begin(), path.end(), '/')) + 1;
}

}  // namespace

const char* KindName(Kind kind) {
    for (const KindWord& k : kKinds)
        if (k.kind == kind) return k.word;
    return "file";
}

bool KindNamed(const std::string& word, Kind* kind) {
    for (const KindWord& k : kKinds) {
        if (word == k.word) {
            *kind = k.kind;
            return true;
        }
    }
    return false;
}

bool IsUsableRecordPath(const std::string& path) {
    if (path == ".") return true;
    if (path.empty() || path.front() == '/' || path.back() == '/') return false;
    for (unsigned char c : path) {
        if (c < 0x20 || c == 0x7f) return false;
    }
    std::size_t i = 0;
    while (true) {
        const std::size_t j = path.find('/', i);
        const std::string part = path.substr(i, j == std::string::npos ? std::string::npos : j - i);
        if (part.empty() || part == "." || part == "..") return false;
        if (j == std::string::npos) return true;
        i = j + 1;
    }
}

bool IsPackageName(const std::string& name) {
    if (name.size() < 2) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!alnum && (i == 0 || (c != '+' && c != '-' && c != '.'))) return false;
    }
    return true;
}

bool ParseRecord(const std::string& text, InstallRecord* record, std::string* error) {
    InstallRecord out;
    std::size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        const std::string word = line.substr(0, tab);
        const std::string value = tab == std::string::npos ? std::string() : line.substr(tab + 1);
        bool ok = false;
        Kind kind = Kind::File;
        if (word == "package") {
            ok = IsPackageName(value);
            if (ok) out.package = value;
        } else if (KindNamed(word, &kind)) {
            ok = IsUsableRecordPath(value) && (value != "." || kind == Kind::Folder);
            const RecordEntry entry{kind, value};
            if (ok && std::find(out.entries.begin(), out.entries.end(), entry) == out.entries.end())
                out.entries.push_back(entry);
        }
        if (!ok) {
            if (error) *error = "line " + std::to_string(number) + " cannot be understood";
            *record = InstallRecord();
            return false;
        }
    }
    *record = out;
    return true;
}

bool LoadRecord(const std::string& folder, InstallRecord* record, std::string* error) {
    const std::string path = folder + '/' + kRecordFileName;
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        if (fd >= 0) close(fd);
        if (error) {
            *error = fd < 0 && err != ENOENT && err != ELOOP ? std::string(kRecordFileName) + " cannot be read"
                                                             : std::string(kRecordFileName) + " is missing";
        }
        return false;
    }
    if (st.st_size > kMaxRecordSize) {
        close(fd);
        if (error) *error = std::string(kRecordFileName) + " is too large";
        return false;
    }
    std::string text;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
        text.append(buf, static_cast<std::size_t>(n));
        if (text.size() > static_cast<std::size_t>(kMaxRecordSize)) break;
    }
    close(fd);
    if (n < 0) {
        if (error) *error = std::string(kRecordFileName) + " cannot be read";
        return false;
    }
    std::string why;
    if (!ParseRecord(text, record, &why)) {
        if (error) *error = std::string(kRecordFileName) + ": " + why;
        return false;
    }
    return true;
}

void RemoveRecorded(TreeRemover& remover, const std::string& folder, const InstallRecord& record,
                    RemovalReport* report) {
    Lines failures;
    for (const RecordEntry& e : record.entries) {
        switch (e.kind) {
        case Kind::File:
        case Kind::WorkFile:
            remover.removeBelow(folder, e.path, Listed::File, &failures);
            break;
        case Kind::WorkFolder:
            remover.removeBelow(folder, e.path, Listed::Tree, &failures);
            break;
        case Kind::Folder:
            break;
        }
    }
    if (failures.empty()) remover.removeBelow(folder, kRecordFileName, Listed::File, &failures);
    std::vector<RecordEntry> folders;
    for (const RecordEntry& e : record.entries)
        if (e.kind == Kind::Folder) folders.push_back(e);
    std::stable_sort(folders.begin(), folders.end(),
                     [](const RecordEntry& a, const RecordEntry& b) { return Depth(a.path) > Depth(b.path); });
    for (const RecordEntry& e : folders) {
        bool kept = false;
        remover.removeBelow(folder, e.path, Listed::Folder, &failures, &kept);
        if (kept) report->kept.push_back(e.path == "." ? folder : folder + '/' + e.path);
    }
    report->failures.insert(report->failures.end(), failures.begin(), failures.end());
}

}  // namespace treeremove
