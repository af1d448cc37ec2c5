// SPDX-License-Identifier: GPL-3.0-or-later
// The remover on real mounts: a bind mount of a folder of the same file
// system, a memory file system and a bind-mounted file inside the tree are
// never entered, and say so. The mounts are made in a private mount
// namespace of a child process, so the machine's mounts are not touched.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "kel_test/test_support.h"
#include "treeremove/InstallRecord.h"
#include "treeremove/TreeRemover.h"

namespace {

using treeremove::Lines;
using treeremove::Listed;

std::string Base() { return kel_test::ProgramFolder().toStdString(); }

void Write(const std::string& path, const std::string& text) {
    const std::string folder = path.substr(0, path.rfind('/'));
    ASSERT_EQ(system(("mkdir -p '" + folder + "'").c_str()), 0);
    std::ofstream(path) << text;
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Runs `body` in a child process with a mount namespace of its own; returns
// what it wrote to `out` (one line each), or sets `skipped`.
struct ChildResult {
    bool skipped = false;
    std::string why;
    Lines lines;
};
ChildResult InPrivateMounts(const std::function<bool(Lines*)>& body) {
    ChildResult result;
    if (geteuid() != 0) {
        result.skipped = true;
        result.why = "mounts need root";
        return result;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        result.skipped = true;
        result.why = "no pipe";
        return result;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        auto say = [&](const std::string& text) {
            const std::string line = text + "\n";
            (void)!write(fds[1], line.data(), line.size());
        };
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            say(std::string("SKIP no private mount namespace: ") + std::strerror(errno));
            _exit(0);
        }
        Lines lines;
        const bool ok = body(&lines);
        for (const std::string& l : lines) say(l);
        _exit(ok ? 0 : 3);
    }
    close(fds[1]);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("SKIP ", 0) == 0) {
            result.skipped = true;
            result.why = line.substr(5);
        } else {
            result.lines.push_back(line);
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3) result.lines.push_back("child failed");
    return result;
}

bool Mount(const std::string& what, const std::string& where, const char* type, unsigned long flags, Lines* out) {
    if (mount(what.c_str(), where.c_str(), type, flags, nullptr) == 0) return true;
    out->push_back("mount " + where + ": " + std::strerror(errno));
    return false;
}

}  // namespace

// An installation P whose working folder Other holds a mount point, reached
// each way the remover is used: the whole folder, a listed tree, a listed
// file through the mount, and the record of an installation. What the mount
// shows (a folder outside P, of the same file system or not, or a file)
// stays; the mount point is named in the report with the reason; everything
// else of P goes.
TEST(TreeRemover, NeverEntersAMountPoint) {
    const std::string reason = treeremove::kMountPointReason;
    const struct {
        const char* name;
        const char* mount;  // "bind", "tmpfs" or "file"
        const char* how;    // "path", "tree", "through", "record"
    } cases[] = {
        {"bind/path", "bind", "path"},     {"bind/tree", "bind", "tree"},   {"bind/through", "bind", "through"},
        {"bind/record", "bind", "record"}, {"tmpfs/tree", "tmpfs", "tree"}, {"file/record", "file", "record"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string base = Base() + "/" + std::string(c.name).replace(4, 1, "-");
        const std::string p = base + "/P";
        const std::string outside = base + "/outside";
        const std::string mnt = std::string(c.mount) == "file" ? p + "/Other/mnt.txt" : p + "/Other/mnt";
        Write(outside + "/keep.txt", "outside");
        Write(outside + "/sub/deeper.txt", "outside too");
        Write(p + "/KEL", "program");
        Write(p + "/Other/work.jpg", "working copy");
        Write(p + "/" + treeremove::kRecordFileName,
              "folder\t.\nfile\tKEL\nwork-folder\tOther\nwork-file\tOther/mnt/keep.txt\n");
        if (std::string(c.mount) == "file") {
            Write(mnt, "mount point");
        } else {
            ASSERT_EQ(mkdir(mnt.c_str(), 0755), 0);
        }

        const ChildResult r = InPrivateMounts([&](Lines* out) {
            if (std::string(c.mount) == "tmpfs") {
                if (!Mount("kel-test", mnt, "tmpfs", 0, out)) return false;
                std::ofstream(mnt + "/on-tmpfs.txt") << "tmpfs";
            } else if (std::string(c.mount) == "file") {
                if (!Mount(outside + "/keep.txt", mnt, nullptr, MS_BIND, out)) return false;
            } else if (!Mount(outside, mnt, nullptr, MS_BIND, out)) {
                return false;
            }
            treeremove::TreeRemover remover;
            const std::string how = c.how;
            if (how == "path") {
                remover.removePath(p, out);
            } else if (how == "tree") {
                remover.removeBelow(p, "Other", Listed::Tree, out);
            } else if (how == "through") {
                remover.removeBelow(p, "Other/mnt/keep.txt", Listed::File, out);
                remover.removeBelow(p, "Other/mnt/sub", Listed::Tree, out);
            } else {
                treeremove::InstallRecord record;
                std::string error;
                if (!treeremove::LoadRecord(p, &record, &error)) {
                    out->push_back(error);
                    return false;
                }
                treeremove::RemovalReport report;
                treeremove::RemoveRecorded(remover, p, record, &report);
                *out = report.failures;
                for (const std::string& k : report.kept) out->push_back("kept " + k);
            }
            // What the mount shows, seen from inside, is whole.
            if (std::string(c.mount) == "tmpfs" && Read(mnt + "/on-tmpfs.txt") != "tmpfs")
                out->push_back("tmpfs emptied");
            return true;
        });
        if (r.skipped) GTEST_SKIP() << r.why;

        EXPECT_EQ(Read(outside + "/keep.txt"), "outside");
        EXPECT_EQ(Read(outside + "/sub/deeper.txt"), "outside too");
        EXPECT_TRUE(Exists(mnt));
        const std::string how = c.how;
        const std::string left = how == "through" ? p + "/Other/mnt" : mnt;
        Lines expected{left + ": " + reason};
        // Through the mount point: the listed file within it, and the tree.
        if (how == "through" || (how == "record" && std::string(c.mount) != "file"))
            expected.push_back(left + ": " + reason);
        if (how == "record") {
            // The record stays with what is left; the folders that hold the
            // mount point are kept.
            expected.push_back("kept " + p);
            EXPECT_TRUE(Exists(p + "/" + treeremove::kRecordFileName));
        }
        EXPECT_EQ(r.lines, expected);
        if (how != "through") {
            EXPECT_FALSE(Exists(p + "/Other/work.jpg"));
        } else {
            EXPECT_TRUE(Exists(p + "/Other/work.jpg"));
        }
        EXPECT_EQ(Exists(p + "/KEL"), how == "tree" || how == "through");
    }
}

// Links in the tree go as links; what they name stays (no mounts needed).
TEST(TreeRemover, LinksGoAsLinks) {
    const std::string base = Base() + "/links";
    const std::string p = base + "/P";
    Write(base + "/outside/keep.txt", "outside");
    Write(p + "/maintain/DESetup.xml.benchmark", "benchmark");
    ASSERT_EQ(symlink((base + "/outside").c_str(), (p + "/output").c_str()), 0);
    ASSERT_EQ(symlink((base + "/outside/keep.txt").c_str(), (p + "/file-link").c_str()), 0);
    Lines failures;
    treeremove::TreeRemover remover;
    EXPECT_TRUE(remover.removeBelow(p, "output/keep.txt", Listed::File, &failures));  // leads through a link
    EXPECT_TRUE(remover.removePath(p, &failures));
    EXPECT_TRUE(failures.empty());
    EXPECT_FALSE(Exists(p));
    EXPECT_EQ(Read(base + "/outside/keep.txt"), "outside");
}

// On an overlay of two file systems a file reports the device of the layer it
// lies in, not the overlay's: it is no mount point, and everything goes.
TEST(TreeRemover, OverlayFilesAreNoMountPoints) {
    const std::string base = Base() + "/overlay";
    Write(base + "/lower/P/KEL", "program");
    Write(base + "/lower/P/lib/libPellomir.so.4", "library");
    Write(base + "/lower/P/InstallManifest.txt", "folder\t.\nfolder\tlib\nfile\tKEL\nfile\tlib/libPellomir.so.4\n"
                                                 "file\tSettings.xml\nwork-folder\tTarget\n");
    for (const char* d : {"/upper", "/merged"}) ASSERT_EQ(mkdir((base + d).c_str(), 0755), 0);
    const std::string merged = base + "/merged";
    const ChildResult r = InPrivateMounts([&](Lines* out) {
        if (!Mount("kel-test", base + "/upper", "tmpfs", 0, out)) return false;
        mkdir((base + "/upper/u").c_str(), 0755);
        mkdir((base + "/upper/w").c_str(), 0755);
        const std::string options =
            "lowerdir=" + base + "/lower,upperdir=" + base + "/upper/u,workdir=" + base + "/upper/w";
        if (mount("overlay", merged.c_str(), "overlay", 0, options.c_str()) != 0) {
            out->push_back(std::string("SKIP overlay: ") + std::strerror(errno));
            return true;
        }
        // Written after the mount: these lie in the upper layer.
        std::ofstream(merged + "/P/Settings.xml") << "settings";
        mkdir((merged + "/P/Target").c_str(), 0755);
        std::ofstream(merged + "/P/Target/pic.jpg") << "working copy";
        treeremove::InstallRecord record;
        std::string error;
        if (!treeremove::LoadRecord(merged + "/P", &record, &error)) {
            out->push_back(error);
            return false;
        }
        treeremove::TreeRemover remover;
        treeremove::RemovalReport report;
        treeremove::RemoveRecorded(remover, merged + "/P", record, &report);
        *out = report.failures;
        for (const std::string& k : report.kept) out->push_back("kept " + k);
        if (Exists(merged + "/P")) out->push_back("P is still there");
        return true;
    });
    if (r.skipped) GTEST_SKIP() << r.why;
    for (const std::string& l : r.lines) {
        if (l.rfind("SKIP overlay", 0) == 0) GTEST_SKIP() << l;
    }
    EXPECT_EQ(r.lines, Lines());
    // The layer below is not changed by a removal through the overlay.
    EXPECT_EQ(Read(base + "/lower/P/KEL"), "program");
}
