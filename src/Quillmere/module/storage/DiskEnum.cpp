// SPDX-License-Identifier: GPL-3.0-or-later
#include "DiskEnum.h"

#include <QCoreApplication>
#include <QDebug>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unistd.h>
#include <utility>

#include "wincompat/drives.h"
#include "KelLogging.h"

namespace {

// The enumeration fills at most this many device paths per call.
constexpr int kMaxDevicePaths = 100;

std::string RootOf(char letter) {
    std::string root;
    root += letter;
    root += ":\\";
    return root;
}

}  // namespace

int DiskEnum::GetDevicePaths(std::vector<std::string>* paths) {
    if (!paths) return -1;
    paths->clear();
    for (int number : wincompat::GetPhysicalDriveNumbers()) {
        if (static_cast<int>(paths->size()) >= kMaxDevicePaths) {
            qCDebug(lcKelStorage) << "DiskEnum::GetDevicePaths more than" << kMaxDevicePaths
                     << "disk interfaces, the rest is left out";
            break;
        }
        char name[64];
        std::snprintf(name, sizeof(name), "\\\\.\\PHYSICALDRIVE%d", number);
        paths->push_back(name);
    }
    return static_cast<int>(paths->size());
}

int DiskEnum::GetPhysicalDriveNumbers(std::vector<int>* out) {
    if (!out) return -1;
    out->clear();
    std::vector<std::string> paths;
    int count = GetDevicePaths(&paths);
    if (count < 0) return -1;
    for (const std::string& path : paths) {
        const int number = wincompat::ParsePhysicalDriveName(path);
        if (number < 0) continue;
        // A drive this user may not open (a card reader's device without
        // rights to it) is listed all the same: its volumes may be readable,
        // and a drive that cannot be read at all is said so where it is shown.
        if (!wincompat::CanOpenPhysicalDrive(number))
            qCDebug(lcKelStorage) << "DiskEnum::GetPhysicalDriveNumbers cannot open device:" << path.c_str();
        out->push_back(number);
    }
    return static_cast<int>(out->size());
}

int DiskEnum::GetPhysicalDriveNumbers(int** out) {
    if (!out) return -1;
    std::vector<int> numbers;
    int count = GetPhysicalDriveNumbers(&numbers);
    if (count < 0) return -1;
    int* array = new int[numbers.size()];
    std::copy(numbers.begin(), numbers.end(), array);
    *out = array;
    return count;
}

void DiskEnum::Refresh() { wincompat::ReloadDriveTable(); }

QString DiskEnum::CannotReadReason(int number) {
    char name[64];
    std::snprintf(name, sizeof(name), "\\\\.\\PHYSICALDRIVE%d", number);
    const std::string device = wincompat::MapPath(name);
    if (device.empty()) return QCoreApplication::translate("DiskEnum", "the disk is not attached");
    if (access(device.c_str(), R_OK) == 0) return QString();
    const int error = errno;
    return QStringLiteral("%1: %2")
        .arg(QString::fromLocal8Bit(device.c_str()), QString::fromLocal8Bit(std::strerror(error)));
}

int DiskEnum::GetPhysicalDriveOfLetter(char letter) {
    return wincompat::GetPhysicalDriveOfLetter(letter);
}

int DiskEnum::GetDriveLetterOfPhysicalDrive(int deviceNumber, char* out) {
    if (!out) return -1;
    uint32_t mask = wincompat::GetLogicalDriveMask();
    if (mask == 0) return -1;

    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        const char letter = static_cast<char>('A' + i);
        const int type = wincompat::GetDriveTypeOf(RootOf(letter));
        if (type == wincompat::kDriveCdRom || type == wincompat::kDriveNoRootDir ||
            type == wincompat::kDriveUnknown) {
            mask &= ~(1u << i);
            qCDebug(lcKelStorage).nospace() << "error, dwPhyDriveNumber:" << deviceNumber << ", invalid letter:" << letter;
            continue;
        }
        if (GetPhysicalDriveOfLetter(letter) != deviceNumber) mask &= ~(1u << i);
    }

    int count = 0;
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        const char letter = static_cast<char>('A' + i);
        const std::string root = RootOf(letter);
        std::string fileSystem;
        if (wincompat::GetVolumeFileSystem(root, &fileSystem)) {
            out[count++] = letter;
        } else {
            qCDebug(lcKelStorage).nospace() << "error, dwPhyDriveNumber:" << deviceNumber
                               << ", cannot load letter:" << root.c_str();
        }
    }
    return count;
}

int DiskEnum::ListDriveLetters(std::vector<int> exclude, char* out) {
    if (!out) return -1;
    const uint32_t mask = wincompat::GetLogicalDriveMask();
    if (mask == 0) return -1;

    int count = 0;
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        const char letter = static_cast<char>('A' + i);
        if (wincompat::GetDriveTypeOf(RootOf(letter)) == wincompat::kDriveCdRom) continue;
        const int number = GetPhysicalDriveOfLetter(letter);
        if (std::find(exclude.begin(), exclude.end(), number) != exclude.end()) continue;
        out[count++] = letter;
    }
    return count;
}

QString DiskShownName(const std::string& diskPath) {
    // The search panel's own word for a disk.
    const QString word = QCoreApplication::translate("SearchBarWidget", "Disk ");
    const int number = wincompat::ParsePhysicalDriveName(diskPath);
    if (number >= 0) return word + QString::number(number);
    // A drive ("E:", "E:\\"), not a folder on it ("E:\\Export"): a folder is
    // shown as it stands.
    const bool wholeDrive = diskPath.find_first_not_of("\\/", 2) == std::string::npos;
    const char letter = wholeDrive ? wincompat::DriveLetterOf(diskPath) : 0;
    if (letter) {
        const QString drive = QString(QLatin1Char(letter)) + QLatin1Char(':');
        const int onDisk = wincompat::GetPhysicalDriveOfLetter(letter);
        if (onDisk < 0) return drive;
        return word + QString::number(onDisk) + QStringLiteral(" (") + drive + QLatin1Char(')');
    }
    return QString::fromLocal8Bit(diskPath.c_str());
}

QString DriveTableProblem() {
    const wincompat::DriveTableOrigin origin = wincompat::CurrentDriveTableOrigin();
    if (origin.file.empty()) return QString();
    const QString file = QString::fromLocal8Bit(origin.file.c_str());
    if (!origin.readError.empty())
        return QCoreApplication::translate("DiskEnum",
                                           "The drive table %1 (named by KEL_DRIVES) cannot be read: %2. No disk is "
                                           "listed; correct the file or unset KEL_DRIVES to list the disks of this "
                                           "computer, then press Refresh.")
            .arg(file, QString::fromLocal8Bit(origin.readError.c_str()));
    if (origin.badLines.empty()) return QString();
    QStringList lines;
    for (const std::string& line : origin.badLines) lines << QString::fromLocal8Bit(line.c_str());
    return QCoreApplication::translate("DiskEnum", "The drive table %1 (named by KEL_DRIVES) has lines that were left "
                                                   "out: %2.")
        .arg(file, lines.join(QStringLiteral("; ")));
}

QString DiskNamePart(const QString& shownName) {
    QString part;
    for (const QChar c : shownName) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\')) {
            if (!part.isEmpty() && !part.endsWith(QLatin1Char('-'))) part += QLatin1Char('-');
        } else if (!c.isSpace() && c.unicode() >= 0x20 && !QStringLiteral(":*?\"<>|").contains(c)) {
            part += c;
        }
    }
    while (part.endsWith(QLatin1Char('-'))) part.chop(1);
    return part;
}

std::function<std::string(const APT_QMR::CSingleFile&)> DiskNameParts(
    const std::vector<const APT_QMR::CSingleFile*>& files) {
    std::map<int, std::set<std::string>> disksOfChannel;
    for (const APT_QMR::CSingleFile* f : files)
        if (f) disksOfChannel[f->ChannelNumber].insert(f->DiskName);
    std::map<std::pair<int, std::string>, std::string> parts;
    for (const APT_QMR::CSingleFile* f : files) {
        if (!f || disksOfChannel[f->ChannelNumber].size() < 2) continue;
        const auto key = std::make_pair(f->ChannelNumber, f->DiskName);
        if (parts.count(key)) continue;
        parts[key] = DiskNamePart(DiskShownName(f->DiskName)).toLocal8Bit().toStdString();
    }
    if (parts.empty()) return nullptr;
    return [parts](const APT_QMR::CSingleFile& f) {
        const auto it = parts.find({f.ChannelNumber, f.DiskName});
        return it == parts.end() ? std::string() : it->second;
    };
}
