// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sample recorder media for the search tests: written into the test's
// program folder and named in a drive table as "\\.\PHYSICALDRIVE<N>" and a
// drive letter, for the lifetime of the object.
#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "kel_test/test_support.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

namespace search_test {

struct Medium {
    int number = 0;          // physical drive number
    char letter = 0;
    std::string physical;    // "\\.\PHYSICALDRIVE<N>"
    std::string root;        // "X:\"
    recmedia::MediumInfo info;
};

class MediaSet {
public:
    ~MediaSet() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

    // A medium of the second family: index only (no recording files), with
    // its device log and event records.
    Medium* Add(int channels, int perDay, uint32_t seed, int days = 1) {
        auto m = std::make_unique<Medium>();
        m->number = int(m_media.size()) + 1;
        m->letter = char('E' + m_media.size());
        m->physical = "\\\\.\\PHYSICALDRIVE" + std::to_string(m->number);
        m->root = std::string(1, m->letter) + ":\\";
        const std::string folder = (kel_test::ProgramFolder() + "/medium" + QString::number(m->number)).toStdString();
        recmedia::MediaSpec spec;
        spec.outDir = folder;
        spec.channels = channels;
        spec.days = days;
        spec.perDay = perDay;
        spec.seconds = 60;
        spec.gap = 30;
        spec.fast = true;
        spec.indexOnly = true;
        spec.pictures = spec.vehicleFiles = false;
        spec.seed = seed;
        std::string error;
        if (!recmedia::WriteMedium(spec, &m->info, &error)) {
            ADD_FAILURE() << "medium not written: " << error;
            return nullptr;
        }
        m_table += QString("disk %1 %2\nletter %3 %1 removable vfat %2\n")
                       .arg(m->number)
                       .arg(QString::fromStdString(folder))
                       .arg(QChar(m->letter));
        m_media.push_back(std::move(m));
        Install();
        return m_media.back().get();
    }

private:
    void Install() {
        const QString path = kel_test::ProgramFolder() + "/drives.txt";
        kel_test::WriteFile(path, m_table.toUtf8());
        if (!m_env) m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", path.toStdString()));
        wincompat::ReloadDriveTable();
    }

    QString m_table;
    std::vector<std::unique_ptr<Medium>> m_media;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

}  // namespace search_test
