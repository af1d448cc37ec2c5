// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the hand-over files of the batch downloader: every record of a
// large hand-over, in file order, and clear refusals of damaged ones.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QTextCodec>

#include "storage/HandOverFiles.h"
#include "ziraz/genericds.h"
#include "kel_test/test_support.h"

namespace {

const char kHead[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";

QString Home() { return kel_test::ProgramFolder(); }

bool WriteGb2312(const QString& name, const QString& text) {
    QTextCodec* codec = QTextCodec::codecForName("GB2312");
    return codec && kel_test::WriteFile(Home() + "/" + name, codec->fromUnicode(text));
}

// A hand-over as large as a long search over many disks gives: 20,000 files
// over 8 channels, and 50,000 disks.
TEST(HandOver, ReadsEveryRecordOfALargeHandOverInOrder) {
    const int channels = 8;
    const int filesPerChannel = 2500;
    QString searched = QString::fromLatin1(kHead) + "<SearchedFile>";
    for (int ch = 1; ch <= channels; ++ch) {
        ChannelFiles record;
        record.DiskName = QStringLiteral("E:\\");
        record.DeviceName = QStringLiteral("车载 %1").arg(ch);
        record.ChannelInfo.SetChannelNumber(ch);
        record.StartTime = QDate(2024, 3, 1);
        record.EndTime = QDate(2024, 3, 2);
        std::vector<std::unique_ptr<APT_QMR::CSingleFile>> files;
        for (int i = 0; i < filesPerChannel; ++i) {
            files.emplace_back(new APT_QMR::CSingleFile("c" + std::to_string(ch) + "_" + std::to_string(i) + ".qrv",
                                                        "E:\\", 1000 + i, 1709280000 + 60 * i, 1709280059 + 60 * i, 1,
                                                        "dev", ch));
            record.SingleFileList.push_back(files.back().get());
        }
        searched += record.ToXml();
        if (ch == 4) searched += QStringLiteral("<Unknown/>");
    }
    searched += "</SearchedFile>";
    ASSERT_TRUE(WriteGb2312("SearchedFile.xml", searched));

    QString disks = QString::fromLatin1(kHead) + "<DiskInfos>";
    for (int i = 0; i < 50000; ++i) disks += QStringLiteral("<Disk><DiskName>D%1:\\</DiskName></Disk>").arg(i);
    disks += "</DiskInfos>";
    ASSERT_TRUE(WriteGb2312("DiskFile.xml", disks));

    std::vector<std::string> names;
    QString error;
    ASSERT_TRUE(ReadHandOverDisks(Home() + "/DiskFile.xml", &names, &error)) << error.toStdString();
    ASSERT_EQ(names.size(), 50000u);
    EXPECT_EQ(names.front(), "D0:\\");
    EXPECT_EQ(names[12345], "D12345:\\");
    EXPECT_EQ(names.back(), "D49999:\\");

    std::vector<std::unique_ptr<ChannelFiles>> records;
    int unknown = -1;
    ASSERT_TRUE(ReadHandOverChannels(Home() + "/SearchedFile.xml", &records, &unknown, &error)) << error.toStdString();
    EXPECT_EQ(unknown, 1);
    ASSERT_EQ(records.size(), size_t(channels));
    size_t total = 0;
    for (int ch = 1; ch <= channels; ++ch) {
        const ChannelFiles& r = *records[size_t(ch - 1)];
        EXPECT_EQ(r.ChannelInfo.GetChannelNumber(), ch);
        EXPECT_EQ(r.DeviceName, QStringLiteral("车载 %1").arg(ch));
        ASSERT_EQ(r.SingleFileList.size(), size_t(filesPerChannel));
        EXPECT_EQ(r.SingleFileList.front()->FileName, "c" + std::to_string(ch) + "_0.qrv");
        EXPECT_EQ(r.SingleFileList.back()->FileName, "c" + std::to_string(ch) + "_2499.qrv");
        EXPECT_EQ(r.SingleFileList.back()->FileSize, 1000u + 2499u);
        total += r.SingleFileList.size();
        for (APT_QMR::CSingleFile* f : r.SingleFileList) delete f;
    }
    EXPECT_EQ(total, 20000u);
}

TEST(HandOver, RefusesDamagedFilesWithTheReason) {
    struct Case {
        const char* name;
        QString text;
        const char* says;
    };
    const QString deep = QStringLiteral("<Disk>").repeated(20000) + QStringLiteral("</Disk>").repeated(20000);
    const Case cases[] = {
        {"nested 20000 deep", QString::fromLatin1(kHead) + "<DiskInfos>" + deep + "</DiskInfos>",
         "elements nested deeper than 256 levels"},
        {"cut short", QString::fromLatin1(kHead) + "<DiskInfos><Disk>", "line 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteGb2312("DiskFile.xml", c.text));
        ASSERT_TRUE(WriteGb2312("SearchedFile.xml", QString(c.text).replace("DiskInfos", "SearchedFile")));
        std::vector<std::string> names{"kept?"};
        QString error;
        EXPECT_FALSE(ReadHandOverDisks(Home() + "/DiskFile.xml", &names, &error));
        EXPECT_TRUE(names.empty());
        EXPECT_TRUE(error.startsWith(Home() + "/DiskFile.xml: ")) << error.toStdString();
        EXPECT_TRUE(error.contains(c.says)) << error.toStdString();
        std::vector<std::unique_ptr<ChannelFiles>> records;
        int unknown = 0;
        error.clear();
        EXPECT_FALSE(ReadHandOverChannels(Home() + "/SearchedFile.xml", &records, &unknown, &error));
        EXPECT_TRUE(records.empty());
        EXPECT_TRUE(error.contains(c.says)) << error.toStdString();
    }
    QString error;
    std::vector<std::string> names;
    EXPECT_FALSE(ReadHandOverDisks(Home() + "/missing.xml", &names, &error));
    EXPECT_TRUE(error.startsWith(Home() + "/missing.xml: ")) << error.toStdString();
}

// The search result is read as a stream, the rest of the programs read
// records from a tree (ChannelFiles::FromElement): both give the same
// records, however the file is laid out, for every field.
TEST(HandOver, StreamReadsTheSameRecordsAsTheTreeReader) {
    const QString file1 =
        "<CSingleFile><FileName>a&amp;b.qrv</FileName><FileSize>1048576</FileSize>"
        "<StartTime>2024-03-01 08:00:00</StartTime><EndTime>2024-03-01 08:30:00</EndTime>"
        "<DeviceName>D1</DeviceName><ChannelNumber>2</ChannelNumber><FileType>3</FileType>"
        "<DiskName>E:\\</DiskName><SubType>4</SubType><EnforceMode>1</EnforceMode><SubFileType>64</SubFileType>"
        "<SearchStartTime>2024-03-01 07:00:00</SearchStartTime><SearchEndTime>2024-03-01 09:00:00</SearchEndTime>"
        "</CSingleFile>";
    const struct {
        const char* name;
        QString body;  // inside the root
    } cases[] = {
        {"as the viewer writes it",
         "<PlaybackFilesOfChannel><DiskName>E:\\</DiskName><DeviceName>车载</DeviceName><ChannelInfo><CChannel>"
         "<ChannelNumber>2</ChannelNumber><StrDevice>D1</StrDevice><Rbs>1</Rbs></CChannel></ChannelInfo>"
         "<StartTime>2024-03-01</StartTime><EndTime>2024-03-02</EndTime><SingleFileList>" + file1 + file1 +
             "</SingleFileList></PlaybackFilesOfChannel>"},
        {"indented, fields in another order, attributes",
         "\n  <PlaybackFilesOfChannel kind=\"x\">\n    <SingleFileList>\n      <CSingleFile>\n"
         "        <SearchEndTime>2024-03-01 09:00:00</SearchEndTime>\n        <FileName>\n  f.qrv\n</FileName>\n"
         "        <StartTime>2024-03-01 08:00:00</StartTime>\n      </CSingleFile>\n    </SingleFileList>\n"
         "    <EndTime>2024-03-02</EndTime>\n    <DiskName> E: </DiskName>\n  </PlaybackFilesOfChannel>\n"},
        {"fields missing, doubled, empty or only blanks",
         "<PlaybackFilesOfChannel><DiskName>first</DiskName><DiskName>second</DiskName><DeviceName>   </DeviceName>"
         "<StartTime></StartTime><SingleFileList><CSingleFile><FileName>one</FileName><FileName>two</FileName>"
         "<FileSize>x</FileSize><EndTime>2024-3-1 8:00:00</EndTime><StartTime>2024-02-30 00:00:00</StartTime>"
         "</CSingleFile><CSingleFile/></SingleFileList></PlaybackFilesOfChannel>"},
        {"references, CDATA, comments and instructions in values",
         "<PlaybackFilesOfChannel><DiskName>&#x45;:<![CDATA[\\<dir>]]></DiskName><DeviceName>a<!-- no -->b<?pi x?>c"
         "</DeviceName><SingleFileList><CSingleFile><FileName>&lt;n&gt; &quot;q&quot; &apos;</FileName>"
         "<DeviceName><![CDATA[  ]]></DeviceName></CSingleFile></SingleFileList></PlaybackFilesOfChannel>"},
        {"elements inside values", "<PlaybackFilesOfChannel><DiskName>E<b>:</b><c/>\\</DiskName><SingleFileList>"
                                   "<CSingleFile><FileName>x<i>y<j>z</j></i></FileName></CSingleFile></SingleFileList>"
                                   "</PlaybackFilesOfChannel>"},
        {"channel nested deeper, second channel ignored",
         "<PlaybackFilesOfChannel><ChannelInfo><Wrap><Other><CChannel><ChannelNumber>9</ChannelNumber></CChannel>"
         "</Other><CChannel><ChannelNumber>7</ChannelNumber><StrDevice>near</StrDevice></CChannel></Wrap>"
         "</ChannelInfo><ChannelInfo><CChannel><ChannelNumber>8</ChannelNumber></CChannel></ChannelInfo>"
         "</PlaybackFilesOfChannel>"},
        {"channel element without a channel inside",
         "<PlaybackFilesOfChannel><ChannelInfo><ChannelNumber>4</ChannelNumber><Rbs>2</Rbs></ChannelInfo>"
         "</PlaybackFilesOfChannel>"},
        {"no channel element", "<PlaybackFilesOfChannel><DiskName>E:</DiskName></PlaybackFilesOfChannel>"},
        {"two file lists, other children in the list, text between",
         "<PlaybackFilesOfChannel>text<SingleFileList>more" + file1 + "<Other><FileName>o</FileName></Other>"
             "</SingleFileList><SingleFileList>" + file1 + "</SingleFileList></PlaybackFilesOfChannel>"},
        {"unknown blocks between records",
         "<Unknown><PlaybackFilesOfChannel/></Unknown><PlaybackFilesOfChannel/><Other/>"
         "<PlaybackFilesOfChannel><DiskName>F:</DiskName></PlaybackFilesOfChannel>"},
        {"an entity of the document type", "<PlaybackFilesOfChannel><DiskName>&disk;</DiskName>"
                                           "</PlaybackFilesOfChannel>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString doctype = QString(c.name).contains("entity") ? "<!DOCTYPE SearchedFile [<!ENTITY disk \"G:\">]>"
                                                                    : "";
        ASSERT_TRUE(WriteGb2312("SearchedFile.xml", QString::fromLatin1(kHead) + doctype + "<SearchedFile>" + c.body +
                                                         "</SearchedFile>"));
        const QString path = Home() + "/SearchedFile.xml";

        // The tree reader's records.
        ziraz::GenericDS doc;
        ASSERT_TRUE(doc.loadXML(path)) << doc.errorString().toStdString();
        std::vector<std::unique_ptr<ChannelFiles>> expected;
        int expectedUnknown = 0;
        for (ziraz::GenericDS child = doc.FirstChild(); !child.isNull(); child = child.NextSibling()) {
            if (child.GetName() != QLatin1String("PlaybackFilesOfChannel")) {
                ++expectedUnknown;
                continue;
            }
            expected.emplace_back(new ChannelFiles);
            expected.back()->FromElement(child);
        }

        std::vector<std::unique_ptr<ChannelFiles>> records;
        int unknown = -1;
        QString error;
        ASSERT_TRUE(ReadHandOverChannels(path, &records, &unknown, &error)) << error.toStdString();
        EXPECT_EQ(unknown, expectedUnknown);
        ASSERT_EQ(records.size(), expected.size());
        for (size_t r = 0; r < records.size(); ++r) {
            SCOPED_TRACE(r);
            const ChannelFiles& a = *records[r];
            const ChannelFiles& b = *expected[r];
            EXPECT_EQ(a.DiskName, b.DiskName);
            EXPECT_EQ(a.DeviceName, b.DeviceName);
            EXPECT_EQ(a.ChannelInfo.GetChannelNumber(), b.ChannelInfo.GetChannelNumber());
            EXPECT_EQ(a.ChannelInfo.GetDevice(), b.ChannelInfo.GetDevice());
            EXPECT_EQ(a.ChannelInfo.GetRbs(), b.ChannelInfo.GetRbs());
            EXPECT_EQ(a.StartTime, b.StartTime);
            EXPECT_EQ(a.EndTime, b.EndTime);
            ASSERT_EQ(a.SingleFileList.size(), b.SingleFileList.size());
            for (size_t i = 0; i < a.SingleFileList.size(); ++i) {
                SCOPED_TRACE(i);
                const APT_QMR::CSingleFile& x = *a.SingleFileList[i];
                const APT_QMR::CSingleFile& y = *b.SingleFileList[i];
                EXPECT_EQ(x.toXml(), y.toXml());
                EXPECT_EQ(x.SearchStartTime, y.SearchStartTime);
                EXPECT_EQ(x.SearchEndTime, y.SearchEndTime);
                EXPECT_EQ(x.StartTime, y.StartTime);
                EXPECT_EQ(x.EndTime, y.EndTime);
            }
            for (APT_QMR::CSingleFile* f : a.SingleFileList) delete f;
            for (APT_QMR::CSingleFile* f : b.SingleFileList) delete f;
        }
    }
    // The first case, spelled out.
    ASSERT_TRUE(WriteGb2312("SearchedFile.xml", QString::fromLatin1(kHead) + "<SearchedFile>" + cases[0].body +
                                                     "</SearchedFile>"));
    std::vector<std::unique_ptr<ChannelFiles>> records;
    ASSERT_TRUE(ReadHandOverChannels(Home() + "/SearchedFile.xml", &records, nullptr, nullptr));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]->DeviceName, "车载");
    EXPECT_EQ(records[0]->ChannelInfo.GetChannelNumber(), 2);
    EXPECT_TRUE(records[0]->ChannelInfo.GetRbs());
    ASSERT_EQ(records[0]->SingleFileList.size(), 2u);
    const APT_QMR::CSingleFile& f = *records[0]->SingleFileList[0];
    EXPECT_EQ(f.FileName, "a&b.qrv");
    EXPECT_EQ(f.FileSize, 1048576u);
    EXPECT_EQ(f.StartTime, uint32_t(QDateTime(QDate(2024, 3, 1), QTime(8, 0)).toSecsSinceEpoch()));
    EXPECT_EQ(f.SearchEndTime, uint32_t(QDateTime(QDate(2024, 3, 1), QTime(9, 0)).toSecsSinceEpoch()));
    EXPECT_EQ(f.SubFileType, 64);
    for (const auto& r : records)
        for (APT_QMR::CSingleFile* file : r->SingleFileList) delete file;
}

// A file that breaks off or turns bad after some good records gives none of
// them: nothing of a file that does not parse is used.
TEST(HandOver, NothingOfAFileThatBreaksOffIsUsed) {
    ChannelFiles block;
    block.DiskName = QStringLiteral("E:\\");
    APT_QMR::CSingleFile file("c01.qrv", "E:\\", 1000, 1709280000, 1709280060, 1, "dev", 1);
    block.SingleFileList.push_back(&file);
    const QString good = block.ToXml() + block.ToXml();
    for (const QString& bad : {QStringLiteral("<PlaybackFilesOfChannel><SingleFileList><CSingleFile>"),
                               QStringLiteral("<PlaybackFilesOfChannel></Wrong>"), QStringLiteral("</SearchedFile>x")}) {
        SCOPED_TRACE(bad.toStdString());
        ASSERT_TRUE(WriteGb2312("SearchedFile.xml", QString::fromLatin1(kHead) + "\n<SearchedFile>" + good + bad));
        std::vector<std::unique_ptr<ChannelFiles>> records;
        int unknown = -1;
        QString error;
        EXPECT_FALSE(ReadHandOverChannels(Home() + "/SearchedFile.xml", &records, &unknown, &error));
        EXPECT_TRUE(records.empty());
        EXPECT_EQ(unknown, 0);
        EXPECT_TRUE(error.startsWith(Home() + "/SearchedFile.xml: ")) << error.toStdString();
        EXPECT_TRUE(error.contains("line 2")) << error.toStdString();
    }
}

}  // namespace
