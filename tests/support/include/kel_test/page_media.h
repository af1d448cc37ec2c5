// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sample recorder media for the page tests (header only; the test links
// recmedia and wincompat), named in a drive table as
// "\\.\PHYSICALDRIVE<N>" and (optionally) a drive letter.
#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kel_test/test_support.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

namespace page_test {

struct Medium {
    int number = 0;
    char letter = 0;
    std::string folder;
    recmedia::MediumInfo info;
};

class MediaSet {
public:
    ~MediaSet() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

    // `adjust` may change the MediaSpec before it is written; `letter` 0 leaves
    // the disk without a drive letter.
    Medium* Add(uint32_t seed, char letter, const std::function<void(recmedia::MediaSpec&)>& adjust = nullptr) {
        auto m = std::make_unique<Medium>();
        m->number = int(m_media.size()) + 1;
        m->letter = letter;
        m->folder = (kel_test::ProgramFolder() + "/medium" + QString::number(m->number)).toStdString();
        recmedia::MediaSpec spec;
        spec.outDir = m->folder;
        spec.channels = 2;
        spec.perDay = 4;
        spec.seconds = 60;
        spec.gap = 30;
        spec.fast = true;
        spec.indexOnly = true;
        spec.pictures = spec.vehicleFiles = false;
        spec.seed = seed;
        if (adjust) adjust(spec);
        std::string error;
        if (!recmedia::WriteMedium(spec, &m->info, &error)) {
            ADD_FAILURE() << "medium not written: " << error;
            return nullptr;
        }
        m_table += QString("disk %1 %2\n").arg(m->number).arg(QString::fromStdString(m->folder));
        if (letter)
            m_table += QString("letter %1 %2 removable vfat %3\n")
                           .arg(QChar(letter))
                           .arg(m->number)
                           .arg(QString::fromStdString(m->folder));
        m_media.push_back(std::move(m));
        const QString path = kel_test::ProgramFolder() + "/drives.txt";
        kel_test::WriteFile(path, m_table.toUtf8());
        if (!m_env) m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", path.toStdString()));
        wincompat::ReloadDriveTable();
        return m_media.back().get();
    }

private:
    QString m_table;
    std::vector<std::unique_ptr<Medium>> m_media;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

}  // namespace page_test
