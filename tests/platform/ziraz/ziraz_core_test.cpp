#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "kel_test/test_support.h"
#include "ziraz/ziraz.h"

namespace {

TEST(GenericDS, LoadLookupAndRender) {
    ziraz::GenericDS ds;
    ASSERT_TRUE(ds.loadXmlString("<A><B>1</B><C><B>2</B></C><D>x &amp; y</D></A>"));
    EXPECT_EQ(ds.GetName(), "A");
    EXPECT_EQ(ds.GetChildByName("B").GetValue(), "1");
    EXPECT_EQ(ds.GetChildByName("D").GetValue(), "x & y");
    EXPECT_TRUE(ds.GetChildByName("Missing").isNull());
    EXPECT_EQ(ds.GetChildByName("Missing").GetValue(), "");
    EXPECT_EQ(ds.GetChildCount(), 3);
    EXPECT_EQ(ds.GetChildByIndex(1).elemToString(), "<C><B>2</B></C>");
    EXPECT_TRUE(ds.GetChildByIndex(3).isNull());
    EXPECT_EQ(ds.GetChildByName("C").FindDescendant("B").GetValue(), "2");

    ziraz::GenericDS bad;
    EXPECT_FALSE(bad.loadXmlString("<A><B></A>"));
    EXPECT_TRUE(bad.isNull());
}

TEST(GenericDS, SaveAndReload) {
    QString path = kel_test::ProgramFolder() + "/t.xml";
    ziraz::GenericDS ds;
    ds.createDocument("Root");
    ds.AddChild("Key", "a<b");
    ASSERT_TRUE(ds.SaveXML(path));
    ziraz::GenericDS back;
    ASSERT_TRUE(back.loadXML(path));
    EXPECT_EQ(back.GetChildByName("Key").GetValue(), "a<b");
    EXPECT_TRUE(kel_test::ReadFile(path).startsWith("<?xml"));
    EXPECT_FALSE(ds.SaveXML(kel_test::ProgramFolder() + "/no/such/dir/t.xml"));
}

TEST(Ziraz, TargetPathAndConversions) {
    EXPECT_EQ(ziraz::GetTargetPath(), kel_test::ProgramFolder() + "/");
    EXPECT_EQ(ziraz::GetTargetPathFile("Settings.xml"), kel_test::ProgramFolder() + "/Settings.xml");
    std::string utf8 = "\xe8\xbd\xa6 car";
    EXPECT_EQ(ziraz::ConvertFromUnicode(ziraz::ConvertToUnicode(utf8)), utf8);
    EXPECT_EQ(ziraz::ConvertToUnicode(static_cast<const char*>(nullptr)), "");
    EXPECT_EQ(ziraz::GetFileSize(1048576), "1.00 MB");
    EXPECT_EQ(ziraz::GetFileSize(10), "10 B");
}

}  // namespace

// Beside an installation the user cannot write to, the user's own program
// folder reaches the installed folders and programs through links and holds
// writable copies of the other files; what the user has already is kept.
TEST(ZirazTargetPath, MirrorsAnInstallationIntoTheUsersFolder) {
    const QString install = kel_test::ProgramFolder() + "/opt/KEL";
    const QString user = kel_test::ProgramFolder() + "/user/KEL";
    ASSERT_TRUE(kel_test::WriteFile(install + "/translations/kel_en.qm", "qm"));
    ASSERT_TRUE(kel_test::WriteFile(install + "/KEL", "#!/bin/sh\n"));
    QFile::setPermissions(install + "/KEL", QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    ASSERT_TRUE(kel_test::WriteFile(install + "/setup.xml", "<Setup/>"));
    QFile::setPermissions(install + "/setup.xml", QFile::ReadOwner | QFile::ReadOther);
    ASSERT_TRUE(kel_test::WriteFile(install + "/Settings.xml", "<Settings/>"));
    ASSERT_TRUE(kel_test::WriteFile(install + "/AppConfig.xml", "<AppConfig/>"));
    ASSERT_TRUE(kel_test::WriteFile(user + "/AppConfig.xml", "mine"));

    ASSERT_TRUE(ziraz::MirrorInstallFolder(install, user, {"Settings.xml"}));
    const struct {
        const char* name;
        bool link;
    } entries[] = {{"translations", true}, {"KEL", true}, {"setup.xml", false}};
    for (const auto& e : entries) {
        const QFileInfo info(user + "/" + e.name);
        EXPECT_TRUE(info.exists()) << e.name;
        EXPECT_EQ(info.isSymLink(), e.link) << e.name;
    }
    EXPECT_EQ(QFileInfo(user + "/translations").symLinkTarget(), install + "/translations");
    EXPECT_TRUE(QFileInfo(user + "/setup.xml").isWritable());
    EXPECT_EQ(kel_test::ReadFile(user + "/setup.xml"), QByteArray("<Setup/>"));
    EXPECT_FALSE(QFileInfo::exists(user + "/Settings.xml"));
    EXPECT_EQ(kel_test::ReadFile(user + "/AppConfig.xml"), QByteArray("mine"));
    // Again: nothing changes, nothing fails.
    EXPECT_TRUE(ziraz::MirrorInstallFolder(install, user, {"Settings.xml"}));
    // The program folder named by KEL_HOME is always that folder.
    EXPECT_FALSE(ziraz::IsPerUserTargetPath());
}
