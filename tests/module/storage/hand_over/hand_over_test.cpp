// Reading the hand-over files of the batch downloader: every record of a
// large hand-over, in file order, and clear refusals of damaged ones.
#include <gtest/gtest.h>

#include <QTextCodec>

#include "HandOverFiles.h"
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

}  // namespace
