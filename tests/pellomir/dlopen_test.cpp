// SPDX-License-Identifier: GPL-3.0-or-later
// Loads the built library the way a program would, and calls exports through
// the C header's types.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pellomir/Pellomir.h"

extern "C" {
int32_t c_call_error_msg(void* symbol, uint32_t code, char* text);
int32_t c_call_find_next_veh(void* symbol, int32_t handle);
size_t c_record_size(void);
size_t c_run_info_offset(void);
}

TEST(PellomirLibrary, LoadsAndAnswersThroughCInterface)
{
    void* lib = dlopen(PELLOMIR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    void* getMsg = dlsym(lib, "DVR_FILE_GetErrorMsg");
    void* getLast = dlsym(lib, "DVR_FILE_GetLastError");
    void* findNext = dlsym(lib, "DVR_FILE_FindNextVeh");
    ASSERT_NE(getMsg, nullptr);
    ASSERT_NE(getLast, nullptr);
    ASSERT_NE(findNext, nullptr);
    for (const char* name : {"DVR_FILE_SetChannelOffSet", "DVR_FILE_CopyPicFileByTime", "DVR_FILE_CopyPicFileByTimeEx",
                             "DVR_FILE_FindVehData", "DVR_FILE_FindVehDataEx", "DVR_FILE_FindVehClose"})
        EXPECT_NE(dlsym(lib, name), nullptr) << name;
    // Internals stay hidden.
    EXPECT_EQ(dlsym(lib, "_ZN8pellomir16SetLastErrorCodeEj"), nullptr);

    char text[DVR_FILE_MAX_MSG_LEN + 1] = {};
    EXPECT_EQ(c_call_error_msg(getMsg, 28, text), 36);
    EXPECT_STREQ(text, "DVR_FILE_SDK: no matching file found");
    // The C and the C++ view of the record are the same 564 bytes.
    EXPECT_EQ(c_record_size(), 564u);
    EXPECT_EQ(c_record_size(), sizeof(DVR_FILE_VEH_META_INFO));
    EXPECT_EQ(c_run_info_offset(), 216u);

    auto lastError = reinterpret_cast<uint32_t (*)(void)>(getLast);
    EXPECT_EQ(c_call_find_next_veh(findNext, 128), 0);
    EXPECT_EQ(lastError(), DVR_FILE_ERR_ORDER);
    EXPECT_EQ(dlclose(lib), 0);
}

namespace {
bool MappedInThisProcess(const char* fileName)
{
    FILE* maps = std::fopen("/proc/self/maps", "r");
    if (!maps)
        return false;
    char line[4096];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, maps))
        found = std::strstr(line, fileName) != nullptr;
    std::fclose(maps);
    return found;
}
}  // namespace

// The library exports its DVR_FILE_ functions and nothing else, so a program
// that unloads it gets it unloaded: a later load starts afresh.
TEST(PellomirLibrary, UnloadsAndLoadsAfresh)
{
    const char* name = "libPellomir.so";
    ASSERT_FALSE(MappedInThisProcess(name));
    for (int round = 0; round < 2; ++round) {
        void* lib = dlopen(PELLOMIR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(lib, nullptr) << dlerror();
        EXPECT_TRUE(MappedInThisProcess(name)) << round;
        auto setLast = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "DVR_FILE_SetChannelOffSet"));
        auto lastError = reinterpret_cast<uint32_t (*)(void)>(dlsym(lib, "DVR_FILE_GetLastError"));
        ASSERT_NE(setLast, nullptr);
        ASSERT_NE(lastError, nullptr);
        // Fresh state: no error from an earlier load survives.
        EXPECT_EQ(lastError(), 0u) << round;
        auto findNext = reinterpret_cast<int32_t (*)(int32_t, void*)>(dlsym(lib, "DVR_FILE_FindNextVeh"));
        ASSERT_NE(findNext, nullptr);
        EXPECT_EQ(c_call_find_next_veh(reinterpret_cast<void*>(findNext), 128), 0);
        EXPECT_NE(lastError(), 0u);
        EXPECT_EQ(dlclose(lib), 0);
        EXPECT_FALSE(MappedInThisProcess(name)) << "still mapped after unloading, round " << round;
        EXPECT_EQ(dlopen(PELLOMIR_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
    }
}

// Each named error code of the header is the code whose message the library
// gives for it.
TEST(PellomirLibrary, NamedErrorCodesHaveTheLibrarysMessages)
{
    void* lib = dlopen(PELLOMIR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    void* getMsg = dlsym(lib, "DVR_FILE_GetErrorMsg");
    ASSERT_NE(getMsg, nullptr);
    const struct {
        uint32_t code;
        const char* text;
    } named[] = {
        {DVR_FILE_ERR_NONE, "DVR_FILE_SDK: no error"},
        {DVR_FILE_ERR_PARAM, "DVR_FILE_SDK: input parameter is invalid"},
        {DVR_FILE_ERR_ORDER, "DVR_FILE_SDK: The order of the function to be called is error"},
        {DVR_FILE_ERR_ALLOC, "DVR_FILE_SDK: Allocate memory failed"},
        {DVR_FILE_ERR_OPEN, "DVR_FILE_SDK: Open the file failed"},
        {DVR_FILE_ERR_HANDLES, "DVR_FILE_SDK: Create thread or event failed"},
        {DVR_FILE_ERR_OVERFLOW, "DVR_FILE_SDK: buffer is overflow"},
        {DVR_FILE_ERR_PLAY_FILE_ONLY, "DVR_FILE_SDK: The function only support play file"},
        {DVR_FILE_ERR_UNSUPPORTED, "DVR_FILE_SDK: System not support"},
        {DVR_FILE_ERR_NO_PORT, "DVR_FILE_SDK: over maximum supportnumber"},
        {DVR_FILE_ERR_CREATE_FILE, "DVR_FILE_SDK: Create file failed"},
        {DVR_FILE_ERR_READ_FILE, "DVR_FILE_SDK: Read file failed"},
        {DVR_FILE_ERR_NO_MATCH, "DVR_FILE_SDK: no matching file found"},
        {DVR_FILE_ERR_NO_PLAYER, "DVR_FILE_SDK: can't play a file"},
        {DVR_FILE_ERR_STREAM_PLAYED, "DVR_FILE_SDK: Stream already played"},
        {DVR_FILE_ERR_NO_STORAGE, "DVR_FILE_SDK: Invalid pointer"},
        {DVR_FILE_ERR_HD_BASE, "HD_FILE_SDK: no error"},
        {DVR_FILE_ERR_PLAYER_BASE, "OSTRUM_SDK: no error"},
        {DVR_FILE_ERR_UNEXPECTED, "DVR_FILE_SDK: UnExcepted Error"},
        {DVR_FILE_ERR_UNKNOWN, "DVR_FILE_SDK: unknown error"},
    };
    for (const auto& n : named) {
        char text[DVR_FILE_MAX_MSG_LEN + 1] = {};
        EXPECT_EQ(c_call_error_msg(getMsg, n.code, text), static_cast<int32_t>(std::strlen(n.text))) << n.code;
        EXPECT_STREQ(text, n.text) << n.code;
    }
    EXPECT_EQ(dlclose(lib), 0);
}

// The header's version is the one the library file carries in its name.
TEST(PellomirLibrary, HeaderVersionIsTheLibrarysVersion)
{
    EXPECT_EQ(std::to_string(PELLOMIR_VERSION_MAJOR) + "." + std::to_string(PELLOMIR_VERSION_MINOR),
              std::string(PELLOMIR_VERSION));
    const std::string path = PELLOMIR_LIBRARY_PATH;
    const std::string suffix = std::string("/libPellomir.so.") + PELLOMIR_VERSION;
    ASSERT_GE(path.size(), suffix.size());
    EXPECT_EQ(path.substr(path.size() - suffix.size()), suffix);
}
