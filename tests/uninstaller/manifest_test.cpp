// SPDX-License-Identifier: GPL-3.0-or-later
// The record of what an installation put into its folder.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "InstallManifest.h"
#include "kel_test/test_support.h"

using appinstaller::InstallManifest;
using Kind = InstallManifest::Kind;

namespace {

TEST(InstallManifest, WritesFoldersOutermostFirstAndReadsItBack) {
    InstallManifest m;
    EXPECT_TRUE(m.add(Kind::File, "KEL"));
    EXPECT_TRUE(m.add(Kind::Folder, "map/osm"));
    EXPECT_TRUE(m.add(Kind::Folder, "map"));
    EXPECT_TRUE(m.add(Kind::Folder, "."));
    EXPECT_TRUE(m.add(Kind::WorkFile, "map/api.txt"));
    EXPECT_TRUE(m.add(Kind::WorkFolder, "Target"));
    EXPECT_TRUE(m.add(Kind::File, "KEL"));  // once only
    EXPECT_TRUE(m.add(Kind::File, "translations/Quillmere zh.qm"));
    m.setPackageName("kel");
    const QByteArray text = m.toText();
    EXPECT_TRUE(text.endsWith("package\tkel\n"
                              "folder\t.\n"
                              "folder\tmap\n"
                              "folder\tmap/osm\n"
                              "file\tKEL\n"
                              "work-file\tmap/api.txt\n"
                              "work-folder\tTarget\n"
                              "file\ttranslations/Quillmere zh.qm\n"))
        << text.toStdString();

    const QString path = kel_test::ProgramFolder() + "/" + InstallManifest::kFileName;
    ASSERT_TRUE(m.save(path));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther), QFile::ReadOther);
    InstallManifest back;
    QString error;
    ASSERT_TRUE(back.load(path, &error)) << error.toStdString();
    EXPECT_EQ(back.packageName(), "kel");
    EXPECT_EQ(back.entries().size(), 7);
    EXPECT_TRUE(back.contains(Kind::WorkFile, "map/api.txt"));
    EXPECT_TRUE(back.contains(Kind::Folder, "."));
    EXPECT_EQ(back.toText(), text);

    // Another record merged in: new entries join, known ones stay once.
    InstallManifest draft;
    draft.add(Kind::File, "KEL");
    draft.add(Kind::File, "Lorrimax");
    back.merge(draft);
    EXPECT_EQ(back.entries().size(), 8);
    EXPECT_EQ(back.packageName(), "kel");
}

TEST(InstallManifest, RefusesPathsThatLeaveTheFolder) {
    for (const char* bad : {"", "/etc/passwd", "..", "../x", "a/../../x", "a/./b", "a//b", "a/", "tab\there", "nl\nx"})
        EXPECT_FALSE(InstallManifest::IsUsablePath(bad)) << bad;
    for (const char* good : {".", "KEL", "lib/libPellomir.so.4", "map/osm tiles/a b.png", "..hidden", "a..b"})
        EXPECT_TRUE(InstallManifest::IsUsablePath(good)) << good;
    InstallManifest m;
    EXPECT_FALSE(m.add(Kind::File, "."));  // only the folder itself is "."
    EXPECT_TRUE(m.isEmpty());
}

TEST(InstallManifest, AnyLineItCannotUnderstandRefusesTheWholeRecord) {
    const struct {
        const char* text;
        bool ok;
    } cases[] = {
        {"# comment\n\nfile\tKEL\n", true},
        {"file\tKEL\nfile\t../../etc/passwd\n", false},
        {"file\tKEL\nremove\teverything\n", false},
        {"file KEL\n", false},
        {"package\tKel\n", false},
        {"package\tk\n", false},
        {"package\tkel-tools+x.1\n", true},
        {"folder\t.\nfile\t/abs\n", false},
    };
    for (const auto& c : cases) {
        InstallManifest m;
        QString error;
        EXPECT_EQ(m.parse(c.text, &error), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_TRUE(m.isEmpty()) << c.text;
            EXPECT_TRUE(error.startsWith("line ")) << error.toStdString();
        }
    }
    InstallManifest m;
    QString error;
    EXPECT_FALSE(m.load(kel_test::ProgramFolder() + "/none.txt", &error));
    EXPECT_EQ(error, "none.txt is missing");
    const QString target = kel_test::ProgramFolder() + "/real.txt";
    kel_test::WriteFile(target, "file\tKEL\n");
    QFile::link(target, kel_test::ProgramFolder() + "/link.txt");
    EXPECT_FALSE(m.load(kel_test::ProgramFolder() + "/link.txt", &error));
    EXPECT_TRUE(m.load(target, &error));
}

}  // namespace
