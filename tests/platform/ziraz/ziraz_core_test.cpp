// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCodec>

#include "kel_test/test_support.h"
#include "ziraz/xmlguard.h"
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

QString Nested(int depth) {
    QString xml;
    xml.reserve(depth * 8);
    for (int i = 0; i < depth; ++i) xml += QStringLiteral("<a>");
    xml += QStringLiteral("x");
    for (int i = 0; i < depth; ++i) xml += QStringLiteral("</a>");
    return xml;
}

// Documents nested deeper than the limit are refused before the tree is
// built (building and rendering it recurse once per level); the limit itself
// loads and renders.
TEST(GenericDS, RefusesDocumentsNestedTooDeep) {
    const int limit = ziraz::GenericDS::kMaxDepth;
    ziraz::GenericDS ok;
    ASSERT_TRUE(ok.loadXmlString(Nested(limit))) << ok.errorString().toStdString();
    EXPECT_TRUE(ok.errorString().isEmpty());
    EXPECT_EQ(ok.elemToString(), Nested(limit));

    const QString path = kel_test::ProgramFolder() + "/deep.xml";
    for (int depth : {limit + 1, 100000}) {
        SCOPED_TRACE(depth);
        ziraz::GenericDS text;
        EXPECT_FALSE(text.loadXmlString(Nested(depth)));
        EXPECT_TRUE(text.isNull());
        EXPECT_EQ(text.errorString(), QStringLiteral("XML text: elements nested deeper than 256 levels"));

        ASSERT_TRUE(kel_test::WriteFile(path, "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + Nested(depth).toUtf8()));
        ziraz::GenericDS file;
        EXPECT_FALSE(file.loadXML(path));
        EXPECT_TRUE(file.isNull());
        EXPECT_EQ(file.errorString(), path + QStringLiteral(": elements nested deeper than 256 levels"));
    }

    // A failed load leaves the handle null, whatever it held before; the
    // parser's own message says where the text breaks.
    ziraz::GenericDS reused;
    ASSERT_TRUE(reused.loadXmlString("<A/>"));
    EXPECT_FALSE(reused.loadXmlString("<A><B></A>"));
    EXPECT_TRUE(reused.isNull());
    EXPECT_TRUE(reused.errorString().startsWith("XML text: ")) << reused.errorString().toStdString();
    EXPECT_TRUE(reused.errorString().contains("line 1")) << reused.errorString().toStdString();
}

// The depth check reads the markup itself: whatever comes before the
// nesting, a document nested exactly to the limit passes (and loads when the
// tree reader takes it) and one level more is refused.
TEST(XmlCheck, DepthLimitHoldsWhateverComesFirst) {
    const struct {
        const char* name;
        QString first;
        bool loads;  // at the limit, by the tree reader
    } cases[] = {
        {"nothing", "", true},
        {"comment holding tags", "<!-- <a><a> -->", true},
        {"CDATA section holding tags", "<![CDATA[<a><a></a>]]>", true},
        {"processing instruction holding tags", "<?pi <a><a> ?>", true},
        {"attribute values holding '>'", "<b x=\"> &lt;a>\" y='a>\"'/>", true},
        {"an empty element", "<b/>", true},
        {"character and entity references", "&#65;&amp;&lt;a&gt;", true},
        {"invalid character reference", "&#1;", true},
        {"undeclared entity", "&undeclared;", true},
        {"comment with a double hyphen", "<!-- a -- b -->", false},
        {"tags inside an attribute value", "<b x=\"<a><a>\"/>", false},
    };
    const int limit = ziraz::kMaxXmlDepth;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const int depth : {limit, limit + 1}) {
            SCOPED_TRACE(depth);
            // The root is the first level; `first` lies inside it.
            const QString text = "<r>" + c.first + Nested(depth - 1) + "</r>";
            QString error;
            const bool passes = ziraz::CheckXmlText(text, "T", &error);
            if (depth == limit) {
                EXPECT_TRUE(passes) << error.toStdString();
                ziraz::GenericDS ds;
                EXPECT_EQ(ds.loadXmlString(text), c.loads) << ds.errorString().toStdString();
            } else {
                EXPECT_FALSE(passes);
                EXPECT_EQ(error, "T: elements nested deeper than 256 levels");
            }
        }
    }
    // Where no reader goes on, the check need not: end tags of elements never
    // opened, an unterminated comment.
    for (const QString& stop : {QStringLiteral("</x></x></x>"), QStringLiteral("<!-- <a>")}) {
        SCOPED_TRACE(stop.toStdString());
        const QString text = "<r>" + stop + Nested(limit) + "</r>";
        EXPECT_TRUE(ziraz::CheckXmlText(text, "T", nullptr));
        ziraz::GenericDS ds;
        EXPECT_FALSE(ds.loadXmlString(text));
    }
}

// A document type may declare entities of plain text; an entity whose
// replacement may hold markup (tags, character or entity references) would
// add elements the text does not show, and is refused.
TEST(XmlCheck, EntitiesThatMayHoldMarkupAreRefused) {
    const struct {
        const char* subset;
        bool passes;
    } cases[] = {
        {"<!ENTITY e \"plain text\">", true},
        {"<!ENTITY e 'a \"quoted\" text'><!-- <!ENTITY x \"<a>\"> -->", true},
        {"<!ATTLIST R a CDATA \"<a>\">", true},
        {"<!ENTITY e \"<a>\">", false},
        {"<!ENTITY e '&#60;a>'>", false},
        {"<!ENTITY e \"&f;\"><!ENTITY f \"x\">", false},
        {"<!ENTITY % p \"<!ENTITY e 'x'>\">", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subset);
        const QString text = QStringLiteral("<!DOCTYPE R [%1]><R>&e;</R>").arg(QString::fromLatin1(c.subset));
        QString error;
        EXPECT_EQ(ziraz::CheckXmlText(text, "T", &error), c.passes);
        if (!c.passes) {
            EXPECT_EQ(error, "T: entity declarations holding markup or references are not accepted");
        }
    }
}

// Files are decoded as the tree reader decodes them, so that the check and
// the reader see the same characters: the byte order mark, else the declared
// encoding, else UTF-8.
TEST(XmlCheck, FilesAreDecodedAsTheirMarkOrDeclarationSays) {
    const QString text = QString::fromUtf8("<R>\xe8\xbd\xa6\xe8\xbd\xbd</R>");
    QTextCodec* gb = QTextCodec::codecForName("GB2312");
    ASSERT_NE(gb, nullptr);
    const QString gbDeclared = "<?xml version=\"1.0\" encoding=\"GB2312\"?>" + text;
    QByteArray utf16le("\xff\xfe", 2), utf16be("\xfe\xff", 2);
    for (const QChar ch : text) {
        utf16le.append(char(ch.unicode() & 0xff)).append(char(ch.unicode() >> 8));
        utf16be.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xff));
    }
    const struct {
        const char* name;
        QByteArray bytes;
        QString decoded;
    } cases[] = {
        {"UTF-8 without a declaration", text.toUtf8(), text},
        {"UTF-8 with a byte order mark", "\xef\xbb\xbf" + text.toUtf8(), text},
        {"declared GB2312", gb->fromUnicode(gbDeclared), gbDeclared},
        {"declared in single quotes", gb->fromUnicode(QString(gbDeclared).replace('"', '\'')),
         QString(gbDeclared).replace('"', '\'')},
        {"UTF-16 little endian", utf16le, text},
        {"UTF-16 big endian", utf16be, text},
        {"unknown encoding: UTF-8", "<?xml version=\"1.0\" encoding=\"no-such\"?>" + text.toUtf8(),
         "<?xml version=\"1.0\" encoding=\"no-such\"?>" + text},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ziraz::DecodeXml(c.bytes), c.decoded);
        const QString path = kel_test::ProgramFolder() + "/decoded.xml";
        ASSERT_TRUE(kel_test::WriteFile(path, c.bytes));
        ziraz::GenericDS ds;
        ASSERT_TRUE(ds.loadXML(path)) << ds.errorString().toStdString();
        EXPECT_EQ(ds.GetValue(), QString::fromUtf8("\xe8\xbd\xa6\xe8\xbd\xbd"));
    }
}

// The Chinese code pages the hand-over files come in are decoded piece by
// piece (ASCII as it is, the rest through the codec): the text is the one
// the codec gives for the whole file, also where the bytes are not sound
// (a lead byte before "<" or at the end, stray high bytes, a lead byte with
// an ASCII trail, the four-byte sequences of GB18030 with their digits).
TEST(XmlCheck, ChineseCodePagesDecodeAsTheWholeFile) {
    const QString chinese = QString::fromUtf8("\xe8\xbd\xa6\xe8\xbd\xbd\xe5\xbd\x95\xe5\x83\x8f");
    for (const char* name : {"GB2312", "GBK", "GB18030"}) {
        QTextCodec* codec = QTextCodec::codecForName(name);
        ASSERT_NE(codec, nullptr) << name;
        const QByteArray head = QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>\n";
        const QByteArray cn = codec->fromUnicode(chinese);
        const struct {
            const char* what;
            QByteArray body;
        } cases[] = {
            {"ASCII only", "<R><F>a.qrv</F><S>2024-03-01 08:00:00</S></R>"},
            {"text and attribute", "<R n=\"" + cn + "\"><D>" + cn + "</D>x<E>y</E></R>"},
            {"next to each other", "<R><A>" + cn + "</A><B>" + cn + "</B></R>"},
            {"at the very end", "<R>x</R>" + cn},
            {"first after the declaration", cn + "<R/>"},
            {"lead byte before <", "<R>\xb3<A/>\xb3</R>"},
            {"lead byte before ><", "<R><A>\xb3></A><B/>\xb3><C/></R>"},
            {"incomplete four-byte sequence before <", "<R><A>\x81\x30</A><B>x\x81\x30\x81</B></R>"},
            {"lead byte at the end", "<R/>\xb3"},
            {"lead byte with an ASCII trail", "<R>\x81\x41\xb3" "A\x81\x7e</R>"},
            {"four-byte sequence", "<R>\x81\x30\x81\x30 \x95\x32\x82\x36</R>"},
            {"stray high bytes", "<R>\x80\xff\xa0</R>\xff"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(name) + ": " + c.what);
            const QByteArray bytes = head + c.body;
            EXPECT_EQ(ziraz::DecodeXml(bytes), codec->toUnicode(bytes));
        }
    }
}

TEST(GenericDS, WalksChildrenInOrder) {
    ziraz::GenericDS ds;
    ASSERT_TRUE(ds.loadXmlString("<A>t<B>1</B><!-- c --><C>2</C>u<D><E/></D></A>"));
    QStringList names;
    for (ziraz::GenericDS c = ds.FirstChild(); !c.isNull(); c = c.NextSibling()) names << c.GetName();
    EXPECT_EQ(names, QStringList({"B", "C", "D"}));
    EXPECT_TRUE(ds.GetChildByName("B").FirstChild().isNull());
    EXPECT_TRUE(ds.NextSibling().isNull());
    EXPECT_TRUE(ziraz::GenericDS().FirstChild().isNull());
    EXPECT_TRUE(ziraz::GenericDS().NextSibling().isNull());
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

namespace {

// A stand-in installation: a translations folder, a program and, when `guid`
// is given, the configuration it is registered with.
void MakeInstallation(const QString& folder, const QByteArray& guid) {
    ASSERT_TRUE(kel_test::WriteFile(folder + "/translations/Quillmere_zh.qm", "qm of " + folder.toUtf8()));
    ASSERT_TRUE(kel_test::WriteFile(folder + "/KEL", "#!/bin/sh\n"));
    QFile::setPermissions(folder + "/KEL", QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    ASSERT_TRUE(kel_test::WriteFile(folder + "/setup.xml", "<Setup/>"));
    if (!guid.isEmpty()) {
        ASSERT_TRUE(kel_test::WriteFile(folder + "/AppConfig.xml",
                                        "<AppConfig><GUID>" + guid + "</GUID><Version>4.3</Version></AppConfig>"));
    }
}

const QStringList kSkip{"Settings.xml", "output", "maintain"};

}  // namespace

// Each installation side by side has a folder of its own in the user's data
// folder, named by its registration; removing one leaves the other whole.
TEST(ZirazUserFolder, OneFolderPerInstallation) {
    const QString base = kel_test::ProgramFolder();
    kel_test::ScopedEnv data("XDG_DATA_HOME", (base + "/data").toStdString());
    const QString first = base + "/first/KEL";
    const QString second = base + "/second/KEL";
    MakeInstallation(first, "{5B0C7E42-0D1A-4C35-9B7E-4A3F1C2D9E10}");
    MakeInstallation(second, "{0F2A1B3C-1111-4C35-9B7E-000000000002}");

    const QString one = ziraz::OpenUserProgramFolder(first, kSkip);
    const QString two = ziraz::OpenUserProgramFolder(second, kSkip);
    EXPECT_EQ(one, base + "/data/KEL/5B0C7E42-0D1A-4C35-9B7E-4A3F1C2D9E10/");
    EXPECT_EQ(two, base + "/data/KEL/0F2A1B3C-1111-4C35-9B7E-000000000002/");
    EXPECT_EQ(ziraz::UserProgramFolder(first), one);
    EXPECT_EQ(QFileInfo(one + "translations").symLinkTarget(), first + "/translations");
    EXPECT_EQ(QFileInfo(two + "translations").symLinkTarget(), second + "/translations");

    ASSERT_TRUE(QDir(first).removeRecursively());
    EXPECT_EQ(kel_test::ReadFile(two + "translations/Quillmere_zh.qm"), "qm of " + second.toUtf8());
    EXPECT_TRUE(QFileInfo(two + "KEL").exists());
    EXPECT_EQ(ziraz::OpenUserProgramFolder(second, kSkip), two);
    EXPECT_EQ(kel_test::ReadFile(two + "translations/Quillmere_zh.qm"), "qm of " + second.toUtf8());
}

// An installation without a usable id is known by its path; ids that are no
// plain name never make a folder name.
TEST(ZirazUserFolder, KeyOfAnInstallation) {
    const QString base = kel_test::ProgramFolder();
    const struct {
        const char* folder;
        QByteArray guid;
        const char* key;  // nullptr: a key from the path
    } cases[] = {
        {"a", "{abcdef01-2345-6789-abcd-ef0123456789}", "ABCDEF01-2345-6789-ABCD-EF0123456789"},
        {"b", "0F2A1B3C-1111", "0F2A1B3C-1111"},
        {"c", "{../../etc}", nullptr},
        {"d", "{a/b}", nullptr},
        {"e", "", nullptr},
        {"f", "{}", nullptr},
    };
    QStringList pathKeys;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const QString folder = base + "/" + c.folder;
        MakeInstallation(folder, c.guid);
        const QString key = ziraz::InstallationKey(folder);
        if (c.key) {
            EXPECT_EQ(key, c.key);
        } else {
            EXPECT_TRUE(QRegularExpression("^folder-[0-9a-f]{16}$").match(key).hasMatch()) << key.toStdString();
            EXPECT_FALSE(pathKeys.contains(key));
            pathKeys << key;
        }
    }
    EXPECT_EQ(ziraz::InstallationKey(base + "/e"), ziraz::InstallationKey(base + "/e/"));
}

// The one folder an older release shared between all installations is taken
// over, settings and saved files included, by the installation it was made
// for, or by the first to start when that one is gone; another installation
// gets a folder of its own and leaves it.
TEST(ZirazUserFolder, TakesOverTheFolderOfAnOlderRelease) {
    enum class Owner { This, Gone, Other };
    const struct {
        const char* name;
        Owner owner;
        bool takenOver;
    } cases[] = {{"made for this installation", Owner::This, true},
                 {"its installation is gone", Owner::Gone, true},
                 {"another installation's", Owner::Other, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString base = kel_test::ProgramFolder() + "/" + QString::number(static_cast<int>(c.owner));
        kel_test::ScopedEnv data("XDG_DATA_HOME", (base + "/data").toStdString());
        const QString install = base + "/opt/KEL";
        const QString other = base + "/other/KEL";
        MakeInstallation(install, "{11111111-2222-3333-4444-555555555555}");
        MakeInstallation(other, "{99999999-2222-3333-4444-555555555555}");
        const QString older = base + "/data/KEL";
        const QString from = c.owner == Owner::This ? install : c.owner == Owner::Other ? other : base + "/gone/KEL";
        ASSERT_TRUE(QDir().mkpath(older));
        ASSERT_TRUE(QFile::link(from + "/translations", older + "/translations"));
        ASSERT_TRUE(QFile::link(from + "/KEL", older + "/KEL"));
        ASSERT_TRUE(kel_test::WriteFile(older + "/AppConfig.xml", "<AppConfig><GUID>{old}</GUID></AppConfig>"));
        ASSERT_TRUE(kel_test::WriteFile(older + "/Settings.xml", "<Settings>mine</Settings>"));
        ASSERT_TRUE(kel_test::WriteFile(older + "/setup.xml", "<Setup><Language>1</Language></Setup>"));
        ASSERT_TRUE(kel_test::WriteFile(older + "/output/Download/ch01.mp4", "video"));
        // The user moved a working folder to another disk.
        ASSERT_TRUE(kel_test::WriteFile(base + "/disk/maintain/DESetup.xml.benchmark", "bench"));
        ASSERT_TRUE(QFile::link(base + "/disk/maintain", older + "/maintain"));

        const QString user = ziraz::OpenUserProgramFolder(install, kSkip);
        EXPECT_EQ(user, older + "/11111111-2222-3333-4444-555555555555/");
        EXPECT_EQ(QFileInfo(user + "translations").symLinkTarget(), install + "/translations");
        EXPECT_EQ(QFileInfo(user + "KEL").symLinkTarget(), install + "/KEL");
        EXPECT_EQ(kel_test::ReadFile(user + "AppConfig.xml"), kel_test::ReadFile(install + "/AppConfig.xml"));
        EXPECT_FALSE(QFileInfo::exists(base + "/data/KEL.lock"));
        if (c.takenOver) {
            EXPECT_EQ(kel_test::ReadFile(user + "Settings.xml"), "<Settings>mine</Settings>");
            EXPECT_EQ(kel_test::ReadFile(user + "setup.xml"), "<Setup><Language>1</Language></Setup>");
            EXPECT_EQ(kel_test::ReadFile(user + "output/Download/ch01.mp4"), "video");
            EXPECT_EQ(QFileInfo(user + "maintain").symLinkTarget(), base + "/disk/maintain");
            EXPECT_EQ(QDir(older).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                      QStringList{"11111111-2222-3333-4444-555555555555"});
        } else {
            EXPECT_FALSE(QFileInfo::exists(user + "Settings.xml"));
            EXPECT_EQ(kel_test::ReadFile(user + "setup.xml"), "<Setup/>");
            EXPECT_EQ(kel_test::ReadFile(older + "/output/Download/ch01.mp4"), "video");
            EXPECT_EQ(kel_test::ReadFile(older + "/Settings.xml"), "<Settings>mine</Settings>");
            EXPECT_EQ(QFileInfo(older + "/translations").symLinkTarget(), other + "/translations");
            // Its own installation takes it over when it starts.
            const QString theirs = ziraz::OpenUserProgramFolder(other, kSkip);
            EXPECT_EQ(kel_test::ReadFile(theirs + "Settings.xml"), "<Settings>mine</Settings>");
            EXPECT_EQ(kel_test::ReadFile(theirs + "output/Download/ch01.mp4"), "video");
            EXPECT_EQ(QFileInfo(user + "translations").symLinkTarget(), install + "/translations");
        }
    }
}

// A link of the user's folder that leads nowhere any more is made anew.
TEST(ZirazUserFolder, MirrorRemakesLinksThatLeadNowhere) {
    const QString base = kel_test::ProgramFolder();
    const QString install = base + "/opt/KEL";
    const QString user = base + "/user/KEL";
    MakeInstallation(install, QByteArray());
    ASSERT_TRUE(QDir().mkpath(user));
    ASSERT_TRUE(QFile::link(base + "/gone/translations", user + "/translations"));
    ASSERT_TRUE(QFile::link(base + "/elsewhere", user + "/notes"));
    EXPECT_TRUE(ziraz::MirrorInstallFolder(install, user, {}));
    EXPECT_EQ(QFileInfo(user + "/translations").symLinkTarget(), install + "/translations");
    // A link of the user's own that the installation has no entry for stays.
    EXPECT_TRUE(QFileInfo(user + "/notes").isSymLink());
}
