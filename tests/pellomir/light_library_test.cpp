// SPDX-License-Identifier: GPL-3.0-or-later
// The disk library loads the player only for a play call: a program that
// only searches or copies maps no GUI library, and without the player beside
// the library a play call fails clearly while the other calls still work.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// Runs the C client with `arguments` in `folder` (without the player's search
// path from the environment) and returns what it printed.
std::string RunClient(const std::string& arguments, const std::string& folder = ".")
{
    const std::string command =
        "cd '" + folder + "' && env -u LD_LIBRARY_PATH '" LIGHT_CLIENT_PATH "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::string();
    std::string out;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << out;
    return out;
}

bool Maps(const std::string& out, const std::string& fileName)
{
    return out.find("/" + fileName) != std::string::npos;
}

class TempFolder {
public:
    TempFolder()
    {
        char name[] = "/tmp/pellomir_light_XXXXXX";
        if (mkdtemp(name))
            m_path = name;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            fs::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const char* const kGuiLibraries[] = {"libvintrel.so", "libQt5Widgets.so", "libQt5Gui.so", "libQt5Multimedia.so",
                                     "libQt5Core.so", "libavcodec.so", "libpulse.so", "libGL.so"};

}  // namespace

TEST(PellomirLightLibrary, NoOpClientMapsNeitherPlayerNorGui)
{
    const std::string out = RunClient(std::string("'") + PELLOMIR_LIBRARY_PATH + "'");
    ASSERT_NE(out.find("last error 0\n"), std::string::npos) << out;
    EXPECT_TRUE(Maps(out, "libPellomir.so")) << out;
    for (const char* library : kGuiLibraries)
        EXPECT_FALSE(Maps(out, library)) << library << " mapped:\n" << out;
}

TEST(PellomirLightLibrary, PlayCallLoadsThePlayerFromBesideTheLibrary)
{
    const std::string out = RunClient(std::string("'") + PELLOMIR_LIBRARY_PATH + "' play /nonexistent/ch01.mp4");
    // The player is there: the call gets as far as the disk and fails there.
    EXPECT_EQ(out.find("play -1 error 30 "), std::string::npos) << out;
    EXPECT_NE(out.find("play -1 error 1"), std::string::npos) << out;
    const std::string beside = fs::path(PELLOMIR_LIBRARY_PATH).parent_path().string() + "/libvintrel.so";
    EXPECT_NE(out.find(beside + "\n"), std::string::npos) << out;
}

TEST(PellomirLightLibrary, WithoutThePlayerPlayFailsClearlyAndTheRestWorks)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string copy = folder.Path() + "/libPellomir.so";
    fs::copy_file(PELLOMIR_LIBRARY_PATH, copy);
    ASSERT_FALSE(fs::exists(folder.Path() + "/libvintrel.so"));
    // Not even from a working folder that holds the player.
    const std::string builtFolder = fs::path(PELLOMIR_LIBRARY_PATH).parent_path().string();
    ASSERT_TRUE(fs::exists(builtFolder + "/libvintrel.so"));
    const std::string out = RunClient("'" + copy + "' play /nonexistent/ch01.mp4", builtFolder);
    EXPECT_NE(out.find("play -1 error 30 \"DVR_FILE_SDK: can't play a file\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("find next vehicle 0 error 2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("close sound 1\n"), std::string::npos) << out;
    EXPECT_TRUE(Maps(out, "libPellomir.so")) << out;
    for (const char* library : kGuiLibraries)
        EXPECT_FALSE(Maps(out, library)) << library << " mapped:\n" << out;
}
