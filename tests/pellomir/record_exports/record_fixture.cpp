// SPDX-License-Identifier: GPL-3.0-or-later
#include "record_fixture.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "recmedia/disk_writer.h"

RecordMedium::RecordMedium(recmedia::MediaSpec spec, const std::string& letters) : m_drives(letters)
{
    m_ok = true;
    for (char letter : letters) {
        spec.outDir = m_drives.Root(letter);
        std::string error;
        recmedia::MediumInfo info;
        if (!recmedia::WriteMedium(spec, &info, &error)) {
            m_ok = false;
            ADD_FAILURE() << error;
        }
        if (letter == 'E')
            m_info = info;
    }
}

std::vector<recmedia::PlannedRecording> RecordMedium::OfChannel(int channel) const
{
    std::vector<recmedia::PlannedRecording> out;
    for (const auto& r : m_info.recordings) {
        if (r.channel == channel)
            out.push_back(r);
    }
    return out;
}

DVR_FILE_TIME ToDvrTime(int64_t recorderSeconds)
{
    const HD_FILE_TIME t = recmedia::ToHdTime(recorderSeconds);
    return DVR_FILE_TIME{t.year, t.month, t.day, t.hour, t.minute, t.second};
}

std::vector<uint8_t> Slurp(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string FoundName(const RecordMedium& medium, const recmedia::PlannedRecording& r)
{
    const DVR_FILE_TIME start = ToDvrTime(r.start);
    const DVR_FILE_TIME end = ToDvrTime(r.start);
    const int32_t find = DVR_FILE_FindFile('E', r.channel, 9, 0, &start, &end);
    EXPECT_GE(find, 0);
    std::string name;
    unsigned char record[DVR_FILE_FIND_RECORD_SIZE];
    while (find >= 0 && DVR_FILE_FindNextFile(find, record)) {
        const std::string text(reinterpret_cast<const char*>(record), strnlen(reinterpret_cast<const char*>(record), 100));
        if (text.find(r.relPath.substr(r.relPath.rfind('/') + 1)) != std::string::npos)
            name = text;
    }
    if (find >= 0)
        DVR_FILE_FindClose(find);
    (void)medium;
    EXPECT_FALSE(name.empty()) << r.relPath;
    return name;
}
