// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>

#include "kel_test/test_support.h"
#include "zun.h"

namespace {

void* CountTo(void* arg) {
    auto* n = static_cast<std::atomic<int>*>(arg);
    for (int i = 0; i < 1000; ++i) ++*n;
    return nullptr;
}

void* ExitEarly(void* arg) {
    *static_cast<int*>(arg) = 1;
    ZUN_Thread_Exit(nullptr);
    *static_cast<int*>(arg) = 2;  // never reached
    return nullptr;
}

TEST(ZunThread, CreateWaitAndExit) {
    std::atomic<int> n{0};
    ZUN_THREAD a = ZUN_Thread_Create(CountTo, &n, 0, 0, 0, 0);
    ZUN_THREAD b = ZUN_Thread_Create(CountTo, &n);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    EXPECT_EQ(ZUN_Thread_Wait(a), 0);
    EXPECT_EQ(ZUN_Thread_Wait(b), 0);
    EXPECT_EQ(n.load(), 2000);

    int state = 0;
    ZUN_THREAD c = ZUN_Thread_Create(ExitEarly, &state);
    ASSERT_NE(c, 0);
    EXPECT_EQ(ZUN_Thread_Wait(c), 0);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(ZUN_Thread_Wait(0), -1);
    EXPECT_NE(ZUN_Thread_GetSelfId(), 0u);
}

TEST(ZunSem, CountsAndTimesOut) {
    ZUN_SEM s = ZUN_SemCreate(2);
    ASSERT_NE(s, -1);
    EXPECT_EQ(ZUN_SemTimedWait(s, 0), 0);
    EXPECT_EQ(ZUN_SemWait(s), 0);
    EXPECT_EQ(ZUN_SemTimedWait(s, 20), 1);
    EXPECT_EQ(ZUN_SemPost(s), 0);
    EXPECT_EQ(ZUN_SemTimedWait(s, 20), 0);
    EXPECT_EQ(ZUN_SemDestroy(s), 0);
    // A destroyed handle is refused, never used.
    EXPECT_EQ(ZUN_SemPost(s), -1);
    EXPECT_EQ(ZUN_SemWait(s), -1);
    EXPECT_EQ(ZUN_SemDestroy(s), -1);
    EXPECT_EQ(ZUN_SemCreate(-1), -1);
}

TEST(ZunEvent, ManualAndAutoReset) {
    ZUN_EVENT m = ZUN_EventCreate(true, false);
    ZUN_EVENT a = ZUN_EventCreate(false, true);
    EXPECT_EQ(ZUN_EventWait(m, 10), 1);
    ZUN_EventSet(m);
    EXPECT_EQ(ZUN_EventWait(m, 10), 0);
    EXPECT_EQ(ZUN_EventWait(m, 10), 0);  // stays set
    ZUN_EventReset(m);
    EXPECT_EQ(ZUN_EventWait(m, 10), 1);
    EXPECT_EQ(ZUN_EventWait(a, 10), 0);
    EXPECT_EQ(ZUN_EventWait(a, 10), 1);  // reset by the wait
    ZUN_EventDestroy(m);
    ZUN_EventDestroy(a);
}

TEST(ZunMutex, RecursiveGuard) {
    ZUN_Mutex m;
    {
        ZUN_Guard g1(m);
        ZUN_Guard g2(m);  // recursive
        g2.Release();
        g2.Release();     // only once
    }
    EXPECT_TRUE(m.TryLock());
    m.Unlock();
}

TEST(ZunFiles, WriteReadDeleteAndDirs) {
    std::string dir = kel_test::ProgramFolder().toStdString() + "/d";
    EXPECT_EQ(ZUN_MakeDir(dir.c_str()), 0);
    EXPECT_EQ(ZUN_MakeDir(dir.c_str()), 0);  // existing is fine
    std::string file = dir + "/f.bin";
    ZUN_FILE f = ZUN_OpenFile(file.c_str(), ZUN_FILE_WRITE);
    ASSERT_NE(f, 0);
    EXPECT_EQ(ZUN_WriteFile(f, "hello", 5), 5);
    EXPECT_EQ(ZUN_CloseFile(f), 0);
    f = ZUN_OpenFile(file.c_str(), ZUN_FILE_READ);
    ASSERT_NE(f, 0);
    EXPECT_EQ(ZUN_FileSize(f), 5);
    char buf[8] = {};
    EXPECT_EQ(ZUN_ReadFile(f, buf, sizeof buf), 5);
    EXPECT_STREQ(buf, "hello");
    EXPECT_EQ(ZUN_SeekFile(f, 1, 0), 1);
    EXPECT_EQ(ZUN_ReadFile(f, buf, 2), 2);
    ZUN_CloseFile(f);
    EXPECT_EQ(ZUN_OpenFile(dir.c_str(), ZUN_FILE_READ), 0);  // a folder is not a file

    std::set<std::string> names;
    ZUN_DIR d = ZUN_OpenDir(dir.c_str());
    ASSERT_NE(d, 0);
    char name[260];
    while (ZUN_FindFileInDir(d, name, sizeof name) == 0) names.insert(name);
    ZUN_CloseDir(d);
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "f.bin"}));

    EXPECT_EQ(ZUN_DeleteFile(file.c_str()), 0);
    EXPECT_EQ(ZUN_DeleteFile(file.c_str()), -1);
    EXPECT_EQ(ZUN_OpenDir((dir + "/missing").c_str()), 0);
}

}  // namespace
