// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "AppConfig.h"
#include "XmlElement.h"
#include "kel_test/test_support.h"

using appinstaller::AppConfig;
using appinstaller::XmlElement;

namespace {

QString Write(const QByteArray& xml) {
    const QString path = kel_test::ProgramFolder() + "/AppConfig.xml";
    EXPECT_TRUE(kel_test::WriteFile(path, xml));
    return path;
}

TEST(AppConfigTest, ReadsEveryKeyAnywhereBelowTheRoot) {
    const QString path = Write(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Config>\n"
        "  <Info><Deep><GUID>{11-22}</GUID></Deep></Info>\n"
        "  <GUID>{second-does-not-count}</GUID>\n"
        "  <Translator>2</Translator><VersionType>x7</VersionType>\n"
        "  <SoftwareNameEN>KELPro</SoftwareNameEN>\n"
        "  <SoftwareNameCH>\xe5\xae\xa2\xe6\x88\xb7\xe7\xab\xaf</SoftwareNameCH>\n"
        "  <SettingFile>Settings.xml</SettingFile><Version>4.3.1</Version>\n"
        "  <CompanyName>Qorvane</CompanyName><LegalCopyright>(c)</LegalCopyright>\n"
        "  <InstallPath>/opt/</InstallPath><ProgramName>bin/KEL</ProgramName>\n"
        "  <Components>\n"
        "    <Item><Name>Player</Name><FilePath>bin/player</FilePath></Item>\n"
        "    <!-- comment -->\n"
        "    <Item><Name>Maps</Name></Item>\n"
        "  </Components>\n"
        "</Config>\n");
    AppConfig c(path);
    EXPECT_EQ(c.GetGUID(), "{11-22}");
    EXPECT_EQ(c.GetTranslator(), 2);
    EXPECT_EQ(c.GetVersionType(), 0);
    EXPECT_EQ(c.GetSoftwareNameEN(), "KELPro");
    EXPECT_EQ(QString::fromLocal8Bit(c.GetSoftwareNameCH().c_str()),
              QString::fromUtf8("\xe5\xae\xa2\xe6\x88\xb7\xe7\xab\xaf"));
    EXPECT_EQ(c.GetSettingFile(), "Settings.xml");
    EXPECT_EQ(c.GetVersion(), "4.3.1");
    EXPECT_EQ(c.GetCompanyName(), "Qorvane");
    EXPECT_EQ(c.GetLegalCopyright(), "(c)");
    EXPECT_EQ(c.GetInstallPath(), "/opt/KELPro");
    EXPECT_EQ(c.GetProgramName(), "bin/KEL");
    ASSERT_EQ(c.GetComponents().size(), 2u);
    EXPECT_EQ(c.GetComponents()[0], std::make_pair(QString("Player"), QString("bin/player")));
    EXPECT_EQ(c.GetComponents()[1].first, "Maps");
    EXPECT_TRUE(c.GetComponents()[1].second.isNull());
}

TEST(AppConfigTest, EmptyOrMissingEnglishNameBecomesKEL) {
    for (const QByteArray& xml : {QByteArray("<C><GUID>g</GUID><SoftwareNameEN></SoftwareNameEN></C>"),
                                  QByteArray("<C><GUID>g</GUID><InstallPath>/opt/</InstallPath></C>")}) {
        AppConfig c(Write(xml));
        EXPECT_EQ(c.GetSoftwareNameEN(), "KEL") << xml.constData();
        EXPECT_EQ(c.GetGUID(), "g");
    }
    EXPECT_EQ(AppConfig(Write("<C><InstallPath>/opt/</InstallPath></C>")).GetInstallPath(), "/opt/KEL");
}

TEST(AppConfigTest, MissingFileLeavesEverythingEmpty) {
    AppConfig c(kel_test::ProgramFolder() + "/nothing-here.xml");
    EXPECT_EQ(c.GetGUID(), "");
    EXPECT_EQ(c.GetSoftwareNameEN(), "");
    EXPECT_EQ(c.GetSoftwareNameCH(), "");
    EXPECT_EQ(c.GetProgramName(), "");
    EXPECT_EQ(c.GetTranslator(), 0);
    EXPECT_TRUE(c.GetComponents().empty());
}

TEST(AppConfigTest, MalformedFileGivesNoIdentifier) {
    AppConfig c(Write("<Config><GUID>{11-22}</GUID><SoftwareNameEN>X</Config"));
    EXPECT_EQ(c.GetGUID(), "");
    EXPECT_EQ(c.GetProgramName(), "");
    EXPECT_EQ(c.GetSoftwareNameEN(), "KEL");
}

TEST(AppConfigTest, InstanceReadsTheProgramFolderOnce) {
    Write("<C><GUID>{first}</GUID></C>");
    AppConfig* first = AppConfig::instance();
    EXPECT_EQ(first->GetGUID(), "{first}");
    Write("<C><GUID>{changed}</GUID></C>");
    EXPECT_EQ(AppConfig::instance(), first);
    EXPECT_EQ(AppConfig::instance()->GetGUID(), "{first}");
}

TEST(XmlElementTest, NavigationAndText) {
    XmlElement root;
    EXPECT_FALSE(root.load(QString()));
    EXPECT_FALSE(root.load(kel_test::ProgramFolder() + "/missing.xml"));
    ASSERT_TRUE(root.load(Write("<R>lead<A>1</A><?pi x?><B><C/></B>tail<D><!--c-->text</D></R>")));
    EXPECT_EQ(root.childElementCount(), 3);
    EXPECT_EQ(root.text(), "lead");
    EXPECT_EQ(root.childElementAt(0).text(), "1");
    EXPECT_EQ(root.childElementAt(1).childElementCount(), 1);
    EXPECT_TRUE(root.childElementAt(3).isNull());
    EXPECT_TRUE(root.childElementAt(-1).isNull());
    EXPECT_EQ(root.childElementAt(2).text(), "text");
    EXPECT_TRUE(root.firstElementByTagName("C").text().isNull());
    EXPECT_FALSE(root.firstElementByTagName("C").isNull());
    // An element without children finds nothing, not even itself.
    EXPECT_TRUE(root.firstElementByTagName("C").firstElementByTagName("C").isNull());
    EXPECT_TRUE(root.firstElementByTagName("Z").isNull());
    const XmlElement none;
    EXPECT_EQ(none.childElementCount(), 0);
    EXPECT_TRUE(none.text().isNull());
}

}  // namespace
