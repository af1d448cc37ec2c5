// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

#include <map>
#include <set>

#include "search/LogTypeTable.h"

namespace {

TEST(LogTypeTable, RowsAscendUniqueAndCountPerMajorType) {
    const auto& rows = LogMinorTypeRows();
    std::map<int, int> perMajor;
    for (size_t i = 0; i < rows.size(); ++i) {
        ++perMajor[rows[i].major];
        ASSERT_NE(rows[i].text, nullptr);
        EXPECT_STRNE(rows[i].text, "");
        if (i > 0) {
            EXPECT_LT(std::make_pair(rows[i - 1].major, rows[i - 1].minor), std::make_pair(rows[i].major, rows[i].minor))
                << "row " << i;
        }
    }
    EXPECT_EQ(perMajor, (std::map<int, int>{{1, 67}, {2, 48}, {3, 269}, {4, 52}}));
}

TEST(LogTypeTable, MinorTypeTexts) {
    CLogTrans t;
    struct Case {
        int major, minor;
        const char* text;
    } cases[] = {
        {1, 1, "Alarm Input"},
        {1, 11, "Abnormal Driving Behavior"},
        {1, 12, "Abnormal Driving Behavior"},
        {1, 13, "Abnormal Driving Behavior"},
        {1, 81, "VandalProof Detection End"},
        {2, 191, "Disk Error Information V2"},
        {4, 191, "Disk Error Information V2"},
        {2, 83, "Synchronize IPC Password  Exception"},  // two blanks, as stored
        {2, 16389, "Memory Card Damaged"},
        {3, 66, "Trun Off"},
        {3, 12291, "Remote Operation: Factory Defaults"},
        {4, 197, "Talk Record"},
        {1, 20, ""},   // gap in the codes
        {1, 0, ""},
        {5, 1, ""},    // no such major type
        {0, 1, ""},
        {-1, 1, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(t.GetMinorTypeText(c.major, c.minor), QString::fromUtf8(c.text)) << c.major << "/" << c.minor;
    }
}

TEST(LogTypeTable, MajorTypeTexts) {
    CLogTrans t;
    EXPECT_EQ(t.GetMajorTypeText(1), "Alarm");
    EXPECT_EQ(t.GetMajorTypeText(2), "Exception");
    EXPECT_EQ(t.GetMajorTypeText(3), "Operation");
    EXPECT_EQ(t.GetMajorTypeText(4), "Information");
    EXPECT_EQ(t.GetMajorTypeText(0), "");
    EXPECT_EQ(t.GetMajorTypeText(5), "");
}

class UpperTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (QByteArray(context) != "QObject") return QString();
        return QString::fromUtf8(source).toUpper();
    }
    bool isEmpty() const override { return false; }
};

TEST(LogTypeTable, TextsGoThroughTranslation) {
    UpperTranslator tr;
    QCoreApplication::installTranslator(&tr);
    CLogTrans t;
    EXPECT_EQ(t.GetMajorTypeText(2), "EXCEPTION");
    EXPECT_EQ(t.GetMinorTypeText(2, 35), "HDD FULL");
    QCoreApplication::removeTranslator(&tr);
    EXPECT_EQ(t.GetMinorTypeText(2, 35), "HDD Full");
}

TEST(LogTypeTable, ChannelAndAlarmNumbers) {
    CLogTrans t;
    std::set<int> operationsWithChannel = {82, 83, 84, 85, 86, 87, 114, 115, 116, 117,
                                           118, 119, 124, 125, 127, 128, 129};
    for (int minor = 0; minor < 300; ++minor) {
        EXPECT_EQ(t.GetChannelText(3, minor, 7).isEmpty(), operationsWithChannel.count(minor) == 0) << minor;
        EXPECT_EQ(t.GetChannelText(1, minor, 7).isEmpty(), !(minor >= 3 && minor <= 6)) << minor;
        EXPECT_TRUE(t.GetChannelText(2, minor, 7).isEmpty());
    }
    EXPECT_EQ(t.GetChannelText(3, 127, 255), "255");
    EXPECT_EQ(t.GetChannelText(3, 126, 1), "");
    EXPECT_EQ(t.GetAlarmInText(1, 1, 4), "4");
    EXPECT_EQ(t.GetAlarmInText(1, 2, 4), "");
    EXPECT_EQ(t.GetAlarmOutText(1, 2, 0), "0");
    EXPECT_EQ(t.GetAlarmOutText(1, 1, 4), "");
    EXPECT_EQ(t.GetAlarmOutText(3, 2, 4), "");
}

TEST(LogTypeTable, AddressText) {
    CLogTrans t;
    EXPECT_EQ(t.GetIpText(3, 112, 0xC0A80001u), "192.168.0.1");
    EXPECT_EQ(t.GetIpText(0, 0, 0xFFFFFFFFu), "255.255.255.255");
    EXPECT_EQ(t.GetIpText(3, 112, 0x00000001u), "0.0.0.1");
    EXPECT_EQ(t.GetIpText(3, 112, 0), "");
}

TEST(LogTypeTable, TimeText) {
    CLogTrans t;
    EXPECT_EQ(t.GetTimeText("20240301083005"), "2024-03-01 08:30:05");
    EXPECT_EQ(t.GetTimeText(nullptr), "");
    // Only 14 characters are read, and a short text is not padded.
    EXPECT_EQ(t.GetTimeText("20240301083005999"), "2024-03-01 08:30:05");
    EXPECT_EQ(t.GetTimeText("202403"), "2024-03");
    EXPECT_EQ(t.GetTimeText(""), "");
}

}  // namespace
