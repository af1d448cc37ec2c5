// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sample recorder medium on drive E: for the recording exports' tests.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pellomir/pellomir_fixture.h"
#include "pellomir/Pellomir.h"
#include "recmedia/media_plan.h"

class RecordMedium {
public:
    // Writes the medium described by `spec` (outDir is filled in) onto the
    // root of drive E: (and of every further letter of `letters`, all the
    // same medium).
    explicit RecordMedium(recmedia::MediaSpec spec, const std::string& letters = "E");

    bool ok() const { return m_ok; }
    const recmedia::MediumInfo& Info() const { return m_info; }
    std::string Root() const { return m_drives.Root('E'); }
    // Absolute path of a planned recording.
    std::string PathOf(const recmedia::PlannedRecording& r) const { return Root() + "/" + r.relPath; }
    // The recordings of one channel, by start.
    std::vector<recmedia::PlannedRecording> OfChannel(int channel) const;
    std::string NewFolder(const std::string& name) const { return m_drives.NewFolder(name); }

private:
    TestDrives m_drives;
    recmedia::MediumInfo m_info;
    bool m_ok = false;
};

DVR_FILE_TIME ToDvrTime(int64_t recorderSeconds);
std::vector<uint8_t> Slurp(const std::string& path);
// Polls `done` every 10 ms up to `timeout`.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(60));
// The name the by-file exports take for a planned recording, as the search
// hands it out.
std::string FoundName(const RecordMedium& medium, const recmedia::PlannedRecording& r);
