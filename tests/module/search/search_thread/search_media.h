// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sample recorder media for the search tests, named by drive letters of a
// test drive table for the lifetime of the set.
#include <gtest/gtest.h>

#include <QDir>
#include <QString>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "kel_test/test_support.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

namespace search_test {

struct Medium {
    char letter = 0;
    std::string root;    // "E:\"
    std::string folder;  // where it lies on this machine
    recmedia::MediumInfo info;
};

class MediaSet {
public:
    ~MediaSet() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

    // A medium of `family` with `channels` channels and `perDay` recordings
    // of `seconds` each per channel, the first at `firstSecond` of the day.
    Medium* Add(int family, int channels, int perDay, int seconds, int firstSecond = 8 * 3600,
                bool pictures = false) {
        // The storage registry outlives a test: every medium of the process
        // gets a letter of its own.
        static std::atomic<char> next{'E'};
        Medium m;
        m.letter = next++;
        m.root = std::string(1, m.letter) + ":\\";
        m.folder = (kel_test::ProgramFolder() + "/medium_" + QChar(m.letter)).toStdString();
        recmedia::MediaSpec spec;
        spec.outDir = m.folder;
        spec.family = family;
        spec.channels = channels;
        spec.perDay = perDay;
        spec.seconds = seconds;
        spec.firstSecond = firstSecond;
        spec.fast = true;
        spec.logs = spec.events = spec.vehicleFiles = false;
        spec.pictures = pictures;
        spec.seed = static_cast<uint32_t>(m.letter);
        spec.serial = 0x5E100000u + static_cast<uint32_t>(m.letter);
        std::string error;
        if (!recmedia::WriteMedium(spec, &m.info, &error)) {
            ADD_FAILURE() << "medium not written: " << error;
            return nullptr;
        }
        m_media.push_back(std::make_unique<Medium>(m));
        Install();
        return m_media.back().get();
    }

private:
    void Install() {
        QString table;
        int disk = 1;
        for (const auto& m : m_media) {
            const QString folder = QString::fromStdString(m->folder);
            table += QString("disk %1 %2\n").arg(disk).arg(folder);
            table += QString("letter %1 %2 removable vfat %3\n").arg(QChar(m->letter)).arg(disk).arg(folder);
            ++disk;
        }
        const QString path = kel_test::ProgramFolder() + "/drives.txt";
        kel_test::WriteFile(path, table.toUtf8());
        if (!m_env) m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", path.toStdString()));
        wincompat::ReloadDriveTable();
    }

    std::vector<std::unique_ptr<Medium>> m_media;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

// File names of a folder, sorted.
inline QStringList FilesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

}  // namespace search_test
