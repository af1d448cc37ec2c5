// SPDX-License-Identifier: GPL-3.0-or-later
// Saving without replacing: a name goes to one file only, whichever way the
// file system lets it be taken, also when two programs or two threads take
// it at the same moment.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "kel_test/test_support.h"
#include "savefile/savefile.h"

namespace {

std::string Folder() { return kel_test::ProgramFolder().toStdString(); }

void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The ways a file system lets a name be taken without replacing.
enum class Way { RenameNoReplace, Link, ClaimByCreating };
const char* WayName(Way way) {
    switch (way) {
    case Way::RenameNoReplace: return "rename that does not replace";
    case Way::Link: return "link and unlink";
    case Way::ClaimByCreating: return "claim by creating";
    }
    return "";
}

int Refuse(const char*, const char*) {
    errno = EINVAL;
    return -1;
}
int RefuseLink(const char*, const char*) {
    errno = EPERM;   // as FAT answers
    return -1;
}

// Makes the file system seem to know only `way` for the lifetime of the
// object.
class ScopedWay {
public:
    explicit ScopedWay(Way way) {
        savefile::SystemCalls calls = savefile::RealSystemCalls();
        if (way != Way::RenameNoReplace) calls.renameNoReplace = &Refuse;
        if (way == Way::ClaimByCreating) calls.link = &RefuseLink;
        savefile::UseSystemCalls(calls);
    }
    ~ScopedWay() { savefile::UseSystemCalls(savefile::RealSystemCalls()); }
};

const Way kWays[] = {Way::RenameNoReplace, Way::Link, Way::ClaimByCreating};

TEST(SaveFile, NumberedNamesGoBeforeTheExtension) {
    struct Case {
        const char* path;
        int n;
        const char* expected;
    };
    const Case cases[] = {
        {"/a/ch01_080000_080010.mp4", 0, "/a/ch01_080000_080010.mp4"},
        {"/a/ch01_080000_080010.mp4", 1, "/a/ch01_080000_080010 (1).mp4"},
        {"/a/ch01_080000_080010_partial.mp4", 12, "/a/ch01_080000_080010_partial (12).mp4"},
        {"/a.b/name", 2, "/a.b/name (2)"},
        {"/a/.hidden", 1, "/a/.hidden (1)"},
        {"D:\\Clip\\ch01.x.mp4", 3, "D:\\Clip\\ch01.x (3).mp4"},
        {"name.jpg", 1, "name (1).jpg"},
    };
    for (const Case& c : cases) EXPECT_EQ(savefile::NumberedPath(c.path, c.n), c.expected) << c.path << " " << c.n;
}

// Onto a free name the file moves; onto a taken one it does not, and the
// file that has the name keeps its bytes.
TEST(SaveFile, ARenameNeverReplacesAFile) {
    for (const Way way : kWays) {
        SCOPED_TRACE(WayName(way));
        ScopedWay scoped(way);
        const std::string from = Folder() + "/new.part", to = Folder() + "/saved.mp4";
        ::unlink(to.c_str());
        Write(from, "new");
        ASSERT_TRUE(savefile::RenameNoReplace(from, to));
        EXPECT_EQ(Read(to), "new");
        EXPECT_FALSE(Exists(from));

        Write(from, "second");
        errno = 0;
        EXPECT_FALSE(savefile::RenameNoReplace(from, to));
        EXPECT_EQ(errno, EEXIST);
        EXPECT_EQ(Read(to), "new");
        EXPECT_EQ(Read(from), "second");

        // Not even a link that leads nowhere is replaced.
        const std::string dangling = Folder() + "/dangling.mp4";
        ::unlink(dangling.c_str());
        ASSERT_EQ(::symlink((Folder() + "/nothing-here").c_str(), dangling.c_str()), 0);
        EXPECT_FALSE(savefile::RenameNoReplace(from, dangling));
        EXPECT_FALSE(Exists(Folder() + "/nothing-here"));

        const std::string taken = savefile::MoveToFreeName(from, to);
        EXPECT_EQ(taken, Folder() + "/saved (1).mp4");
        EXPECT_EQ(Read(taken), "second");
        EXPECT_EQ(Read(to), "new");
        ::unlink(taken.c_str());
        ::unlink(dangling.c_str());
    }
}

// A failure other than a taken name ends the search for a name: nothing is
// made, the file stays where it was.
TEST(SaveFile, AFolderThatIsNotThereTakesNoName) {
    const std::string from = Folder() + "/stays.part";
    Write(from, "bytes");
    errno = 0;
    EXPECT_EQ(savefile::MoveToFreeName(from, Folder() + "/no/such/folder/x.mp4"), "");
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(Read(from), "bytes");

    const int fd = savefile::CreateNew(from);
    EXPECT_LT(fd, 0);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(Read(from), "bytes");
}

// Threads that save under one name at the same moment: each keeps its own
// file, under its own name.
TEST(SaveFile, ThreadsSavingOneNameAtOnceEachKeepTheirFile) {
    constexpr int kThreads = 8;
    for (const Way way : kWays) {
        SCOPED_TRACE(WayName(way));
        ScopedWay scoped(way);
        const std::string target = Folder() + "/at once " + std::to_string(int(way)) + ".mp4";
        std::mutex lock;
        std::condition_variable go;
        int ready = 0;
        std::vector<std::string> taken(kThreads);
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                const std::string own = Folder() + "/thread" + std::to_string(i) + ".part";
                Write(own, "thread " + std::to_string(i));
                {
                    std::unique_lock<std::mutex> l(lock);
                    ++ready;
                    go.notify_all();
                    go.wait(l, [&] { return ready == kThreads; });
                }
                taken[static_cast<size_t>(i)] = savefile::MoveToFreeName(own, target);
            });
        }
        for (std::thread& t : threads) t.join();
        std::set<std::string> names(taken.begin(), taken.end());
        EXPECT_EQ(names.size(), size_t(kThreads));
        for (int i = 0; i < kThreads; ++i) {
            ASSERT_FALSE(taken[size_t(i)].empty()) << i;
            EXPECT_EQ(Read(taken[size_t(i)]), "thread " + std::to_string(i));
        }
        for (int n = 0; n < kThreads; ++n) EXPECT_TRUE(names.count(savefile::NumberedPath(target, n))) << n;
    }
}

// Two programs saving under one name at the same moment, round after round:
// both files stay, each under a name of its own.
TEST(SaveFile, TwoProgramsSavingOneNameAtOnceEachKeepTheirFile) {
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        const std::string target = Folder() + "/round" + std::to_string(round) + ".mp4";
        const std::string mine = Folder() + "/parent.part", theirs = Folder() + "/child.part";
        Write(mine, "parent " + std::to_string(round));
        Write(theirs, "child " + std::to_string(round));
        int start[2], result[2];
        ASSERT_EQ(::pipe(start), 0);
        ASSERT_EQ(::pipe(result), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            char c;
            if (::read(start[0], &c, 1) != 1) ::_exit(2);
            const std::string name = savefile::MoveToFreeName(theirs, target);
            if (::write(result[1], name.data(), name.size()) < 0) ::_exit(3);
            ::_exit(name.empty() ? 1 : 0);
        }
        ::close(start[0]);
        ::close(result[1]);
        ASSERT_EQ(::write(start[1], "g", 1), 1);
        const std::string ours = savefile::MoveToFreeName(mine, target);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        char buffer[4096];
        const ssize_t n = ::read(result[0], buffer, sizeof buffer);
        ::close(start[1]);
        ::close(result[0]);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << round;
        ASSERT_GT(n, 0);
        const std::string childs(buffer, static_cast<size_t>(n));
        ASSERT_FALSE(ours.empty());
        EXPECT_NE(ours, childs) << round;
        EXPECT_EQ(Read(ours), "parent " + std::to_string(round));
        EXPECT_EQ(Read(childs), "child " + std::to_string(round));
        const std::set<std::string> names{ours, childs};
        EXPECT_EQ(names, (std::set<std::string>{target, savefile::NumberedPath(target, 1)}));
    }
}

}  // namespace
