// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

#include "search/RecordTypeCatalogue.h"
#include "storage/SingleFile.h"
#include "merrowfen.h"

namespace {

// First in the file, so the threads race to the first build.
TEST(RecordTypeCatalogue, ConcurrentFirstUseBuildsOnce) {
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([] {
            int mask = 0;
            EXPECT_TRUE(findRecordTypeMask(4713, &mask));
        });
    }
    for (auto& t : threads) t.join();
    buildRecordTypeCatalog();
    const auto& list = RecordTypeCatalog();
    ASSERT_EQ(list.size(), 96);
    std::set<int> codes;
    for (const RecordTypeEntry* e : list) codes.insert(e->code);
    EXPECT_EQ(codes.size(), 96u);
    EXPECT_EQ(list.first()->code, 1018);
    EXPECT_EQ(list.last()->code, 6023);
}

TEST(RecordTypeCatalogue, RowsAreCompleteAscendingAndCategorised) {
    int count = 0;
    const RecordTypeRow* rows = RecordTypeRows(&count);
    ASSERT_EQ(count, 96);
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            EXPECT_LT(rows[i - 1].code, rows[i].code) << "row " << i;
        }
        EXPECT_GE(rows[i].code, 1018);
        EXPECT_LE(rows[i].code, 6023);
        EXPECT_EQ(rows[i].reserved1, 0);
        EXPECT_EQ(rows[i].reserved2, 0);
        EXPECT_GE(rows[i].classNumber, 0);
        EXPECT_LE(rows[i].classNumber, 10);
        EXPECT_STRNE(rows[i].description, "");
        // The category derived from the mask matches the listed one for every row.
        EXPECT_EQ(RecordTypeCategoryOfMask(rows[i].mask), rows[i].listedCategory) << rows[i].code;
        EXPECT_NE(rows[i].listedCategory, kNoRecordCategory) << rows[i].code;
    }
    EXPECT_EQ(rows[0].code, 1018);
    EXPECT_EQ(QString::fromUtf8(rows[0].description), QString::fromUtf8("非机动车道内行驶"));
}

TEST(RecordTypeCatalogue, MaskCategories) {
    struct Case {
        int mask, category;
    } cases[] = {
        {0x1, 0}, {0x200001, 0}, {0x2, 1}, {0x10, 1}, {0x24, 1}, {0x200010, 1}, {0x20, 2},
        {0x200100, 2}, {0x200, 3}, {0x202, 3}, {0x400, 3}, {0x80000, 4}, {0x100000, 4}, {0x300000, 4},
        {0x800, 5}, {0x1000, 5}, {0x2000, 6}, {0x4000, 6}, {0x204000, 6},
        {0, 9}, {0x3, 9}, {0x8000, 9}, {-1, 9},
    };
    for (const Case& c : cases) EXPECT_EQ(RecordTypeCategoryOfMask(c.mask), c.category) << std::hex << c.mask;
}

TEST(RecordTypeCatalogue, CodeLookup) {
    struct Case {
        int code;
        bool found;
        int mask;
    } cases[] = {
        {1018, true, 0x4}, {1301, true, 0x40}, {4701, true, 0x200100}, {1717, true, 0x2000},
        {1244, true, 0x4000}, {4301, true, 0x300000}, {1243, true, 0x24}, {1211, true, 0x202},
        {6023, true, 0x4}, {2000, false, -7}, {0, false, -7}, {9, false, -7}, {1017, false, -7},
    };
    for (const Case& c : cases) {
        int mask = -7;
        EXPECT_EQ(findRecordTypeMask(c.code, &mask), c.found) << c.code;
        EXPECT_EQ(mask, c.mask) << c.code;
    }
}

TEST(RecordTypeCatalogue, AppliedToFile) {
    struct Case {
        int code;
        int subType;
        uint32_t enforce;
        int subFileType;
    } cases[] = {
        {1301, 2, 1, 1301}, {4701, 2, 1, 4701}, {1717, 6, 1, 1717}, {1244, 6, 1, 1244},
        {4301, 4, 1, 4301}, {1349, 0, 1, 1349}, {1090, 5, 1, 1090}, {1025, 3, 1, 1025},
        {2000, 9, 0, 77},  // unknown: SubFileType keeps what it was
    };
    for (const Case& c : cases) {
        APT_QMR::CSingleFile f;
        f.SetSubType(-5);
        f.SetEnforceMode(3);
        f.SetSubFileType(77);
        applyRecordType(c.code, &f);
        EXPECT_EQ(f.GetSubType(), c.subType) << c.code;
        EXPECT_EQ(f.GetEnforceMode(), c.enforce) << c.code;
        EXPECT_EQ(f.GetSubFileType(), c.subFileType) << c.code;
    }
    applyRecordType(1301, nullptr);  // no file: nothing happens
}

TEST(RecordTypeCatalogue, AppliedFromLibraryRecords) {
    FoundDataRecord found{};
    found.recordType = 4301;
    APT_QMR::CSingleFile a;
    applyRecordTypeOfFindData(&found, &a);
    EXPECT_EQ(a.GetSubType(), 4);
    EXPECT_EQ(a.GetSubFileType(), 4301);

    HD_FIND_FILE_RECORD next{};
    next.recordType = 1717;
    APT_QMR::CSingleFile b;
    applyRecordTypeOfFindFile(next, &b);
    EXPECT_EQ(b.GetSubType(), 6);
    EXPECT_EQ(b.GetEnforceMode(), 1u);
}

}  // namespace
