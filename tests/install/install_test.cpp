// SPDX-License-Identifier: GPL-3.0-or-later
// The installation as a user gets it: `cmake --install` of this build into a
// fresh prefix, the disk library used from C and C++ through its installed
// header and pkg-config file (and find_package), the installed KEL started,
// and the uninstaller taking back what the installation made, leaving what is
// not its own (the user's saved videos and pictures, another program's files
// in a shared prefix, another installation side by side).
#include <gtest/gtest.h>

#include <QDir>
#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSettings>

#include <unistd.h>

#include "AppConfig.h"
#include "InstallManifest.h"
#include "InstallProcessMgr.h"
#include "SystemChecks.h"
#include "kel_test/test_support.h"
#include "sysinstall/sysinstall.h"

using appinstaller::AppConfig;
using appinstaller::InstallProcessMgr;
using appinstaller::UninstallRegistry;

namespace {

struct Outcome {
    int code = -1;
    QString out;
};

Outcome Execute(const QString& program, const QStringList& args, const QProcessEnvironment& env,
            const QString& workDir = QString()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.start(program, args);
    Outcome r;
    if (!p.waitForStarted(60000) || !p.waitForFinished(600000)) {
        r.out = program + ": " + p.errorString();
        p.kill();
        p.waitForFinished(10000);
        return r;
    }
    r.out = QString::fromLocal8Bit(p.readAll());
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QStringList Tree(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

// Every entry of `root` with its permission bits ("755 lib"), links left out.
QStringList Modes(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink()) continue;
        const QFile::Permissions p = info.permissions();
        const int mode = ((p & QFile::ReadOwner) ? 0400 : 0) | ((p & QFile::WriteOwner) ? 0200 : 0) |
                         ((p & QFile::ExeOwner) ? 0100 : 0) | ((p & QFile::ReadGroup) ? 040 : 0) |
                         ((p & QFile::WriteGroup) ? 020 : 0) | ((p & QFile::ExeGroup) ? 010 : 0) |
                         ((p & QFile::ReadOther) ? 04 : 0) | ((p & QFile::WriteOther) ? 02 : 0) |
                         ((p & QFile::ExeOther) ? 01 : 0);
        out << QString::number(mode, 8) + " " + QDir(root).relativeFilePath(info.filePath());
    }
    out.sort();
    return out;
}

class Install : public ::testing::Test {
protected:
    void SetUp() override {
        base = kel_test::ProgramFolder();
        prefix = base + "/opt/KEL";
        env = QProcessEnvironment::systemEnvironment();
        env.remove("KEL_HOME");
        env.remove("DESTDIR");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        for (const char* name : {"KEL_REGISTRY_DIR", "KEL_APPLICATIONS_DIR", "KEL_DESKTOP_DIR"}) {
            const QString dir = base + "/" + QString::fromLatin1(name).toLower();
            env.insert(name, dir);
            scoped.emplace_back(new kel_test::ScopedEnv(name, dir.toStdString()));
        }
        // Something of the user's beside the installation, which no step may touch.
        ASSERT_TRUE(kel_test::WriteFile(base + "/opt/notes.txt", "mine"));
        ASSERT_TRUE(kel_test::WriteFile(base + "/kel_applications_dir/other.desktop", "[Desktop Entry]\n"));
    }

    // `cmake --install` of this build into `folder`, with the given umask.
    Outcome InstallTo(const QString& folder, const char* mask = "022") {
        return Execute("sh", {"-c", QString("umask %1; exec cmake --install \"$0\" --prefix \"$1\"").arg(mask),
                              kel_test::BinaryDir(), folder},
                       env);
    }
    static appinstaller::UninstallReport Uninstall(const QString& folder) {
        const AppConfig config(folder + "/AppConfig.xml");
        return InstallProcessMgr::instance()->UnInstall(config);
    }
    QString MenuEntry(const QString& menu, const QString& name) const {
        return QString::fromUtf8(kel_test::ReadFile(base + "/kel_applications_dir/" + menu + "/" + name));
    }

    QString base, prefix;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<kel_test::ScopedEnv>> scoped;
};

TEST_F(Install, InstallsUsesAndUninstalls) {
    const QString build = kel_test::BinaryDir();
    // 1. The install.
    const Outcome install = InstallTo(prefix);
    ASSERT_EQ(install.code, 0) << install.out.toStdString();
    for (const char* f : {"KEL", "Lorrimax", "uninstaller", "kel-register", "lib/libPellomir.so",
                          "lib/libPellomir.so.4", "lib/libvintrel.so", "InstallManifest.txt",
                          "include/pellomir/Pellomir.h", "include/pellomir/PellomirTypes.h", "lib/pkgconfig/pellomir.pc",
                          "lib/cmake/Pellomir/PellomirConfig.cmake", "rcc/guiresource.rcc", "setup.xml", "Settings.xml",
                          "AppConfig.xml", "maintain/DESetup.xml.benchmark", "icons/kel.svg", "alarm_input.wav",
                          "translations/Quillmere_en.qm", "translations/Quillmere_zh.qm", "help/index.html",
                          "help/images/playback.png", "Open Source Software Licenses/README.txt",
                          "Open Source Software Licenses/KEL.txt", "Open Source Software Licenses/Qt.txt"})
        EXPECT_TRUE(QFileInfo::exists(prefix + "/" + f)) << f;
    // The programs find their libraries in the installation, not in the build.
    const Outcome ldd = Execute("ldd", {prefix + "/KEL"}, env);
    EXPECT_FALSE(ldd.out.contains("not found")) << ldd.out.toStdString();
    EXPECT_TRUE(ldd.out.contains(prefix + "/lib/libvintrel.so")) << ldd.out.toStdString();
    EXPECT_FALSE(ldd.out.contains(build + "/lib/")) << ldd.out.toStdString();
    // The disk library carries the major version in its name, as the header,
    // the pkg-config file and the CMake package say.
    EXPECT_TRUE(ldd.out.contains("libPellomir.so.4 => " + prefix + "/lib/libPellomir.so.4")) << ldd.out.toStdString();
    const Outcome soname = Execute("objdump", {"-p", prefix + "/lib/libPellomir.so"}, env);
    EXPECT_TRUE(soname.out.contains(QRegularExpression("SONAME\\s+libPellomir\\.so\\.4\\n")))
        << soname.out.toStdString();
    EXPECT_TRUE(QFileInfo(prefix + "/lib/libPellomir.so.4").isSymLink());
    EXPECT_TRUE(QFileInfo(prefix + "/lib/libPellomir.so.4.3").isFile());

    // Registered: an id of its own, the uninstall entry, the start-menu entries.
    const AppConfig config(prefix + "/AppConfig.xml");
    ASSERT_FALSE(config.GetGUID().empty());
    EXPECT_EQ(UninstallRegistry::instance()->InstallLocation(config.GetGUID()), prefix.toStdString());
    const QString menu = base + "/kel_applications_dir/KEL";
    const QStringList entry = QString::fromUtf8(kel_test::ReadFile(menu + "/KEL.desktop")).split('\n');
    EXPECT_TRUE(entry.contains("Exec=\"" + prefix + "/KEL\"")) << entry.join("|").toStdString();
    EXPECT_TRUE(entry.contains("Icon=" + prefix + "/icons/kel.svg")) << entry.join("|").toStdString();
    EXPECT_TRUE(QFileInfo::exists(menu + "/Uninstall KEL.desktop"));

    // 2. A C program and a C++ program against the installed library only.
    const QString media = base + "/medium";
    const Outcome gen = Execute(build + "/bin/kel-mediagen",
                            {"--out", media, "--channels", "1", "--per-day", "2", "--seconds", "4", "--start",
                             "2024-03-01", "--drive-table", base + "/drives.txt", "--letter", "E"},
                            env);
    ASSERT_EQ(gen.code, 0) << gen.out.toStdString();
    QProcessEnvironment clientEnv = env;
    clientEnv.insert("PKG_CONFIG_PATH", prefix + "/lib/pkgconfig");
    clientEnv.insert("KEL_DRIVES", base + "/drives.txt");
    const QString source = kel_test::SourceDir() + "/tests/install/client.c";
    const Outcome flags = Execute("pkg-config", {"--cflags", "--libs", "pellomir"}, clientEnv);
    ASSERT_EQ(flags.code, 0) << flags.out.toStdString();
    const Outcome modversion = Execute("pkg-config", {"--modversion", "pellomir"}, clientEnv);
    EXPECT_EQ(modversion.out.trimmed(), "4.3");
    QStringList pc = flags.out.simplified().split(' ', Qt::SkipEmptyParts);
    const QString sanitize = qEnvironmentVariable("KEL_SANITIZE");
    if (!sanitize.isEmpty()) pc << "-fsanitize=" + sanitize;
    struct Compiler {
        const char* program;
        QStringList args;
    } compilers[] = {{"cc", {"-std=c11", "-Wall", "-Werror", "-x", "c"}},
                     {"c++", {"-std=c++17", "-Wall", "-Werror", "-x", "c++"}}};
    for (const Compiler& c : compilers) {
        const QString exe = base + "/client-" + c.program;
        const Outcome cc = Execute(c.program, c.args + QStringList{source, "-x", "none", "-o", exe} + pc, clientEnv);
        ASSERT_EQ(cc.code, 0) << c.program << ": " << cc.out.toStdString();
        const Outcome client = Execute(exe, {}, clientEnv);
        EXPECT_EQ(client.code, 0) << c.program << ": " << client.out.toStdString();
        EXPECT_EQ(client.out.trimmed(), "2") << c.program;
    }
    // The header's version is the package's.
    const QString versionSource = base + "/version.c";
    ASSERT_TRUE(kel_test::WriteFile(versionSource,
                                    "#include <pellomir/Pellomir.h>\n#include <stdio.h>\n"
                                    "int main(void) { printf(\"%s %d %d %d\\n\", PELLOMIR_VERSION, "
                                    "PELLOMIR_VERSION_MAJOR, PELLOMIR_VERSION_MINOR, PELLOMIR_VERSION_NUMBER); "
                                    "return 0; }\n"));
    const Outcome versionBuild =
        Execute("cc", QStringList{"-std=c11", versionSource, "-o", base + "/version"} + pc, clientEnv);
    ASSERT_EQ(versionBuild.code, 0) << versionBuild.out.toStdString();
    EXPECT_EQ(Execute(base + "/version", {}, clientEnv).out.trimmed(), "4.3 4 3 40300");
    // find_package(Pellomir) in a project of its own.
    const QString project = base + "/cmake-client";
    ASSERT_TRUE(kel_test::WriteFile(project + "/CMakeLists.txt",
                                    "cmake_minimum_required(VERSION 3.16)\nproject(client C)\n"
                                    "find_package(Pellomir 4.3 REQUIRED)\nadd_executable(client " +
                                        source.toUtf8() + ")\ntarget_link_libraries(client Pellomir::Pellomir)\n"));
    QStringList cmakeArgs{"-S", project, "-B", project + "/build", "-DCMAKE_PREFIX_PATH=" + prefix};
    if (!sanitize.isEmpty())
        cmakeArgs << "-DCMAKE_C_FLAGS=-fsanitize=" + sanitize << "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=" + sanitize;
    const Outcome configure = Execute("cmake", cmakeArgs, clientEnv);
    ASSERT_EQ(configure.code, 0) << configure.out.toStdString();
    const Outcome make = Execute("cmake", {"--build", project + "/build"}, clientEnv);
    ASSERT_EQ(make.code, 0) << make.out.toStdString();
    const Outcome client = Execute(project + "/build/client", {}, clientEnv);
    EXPECT_EQ(client.out.trimmed(), "2") << client.out.toStdString();

    // The installed library finds the player beside it when a play call
    // needs it, and not before.
    const QString library = prefix + "/lib/libPellomir.so";
    const Outcome light = Execute(build + "/bin/pellomir_light_client", {library}, clientEnv);
    ASSERT_EQ(light.code, 0) << light.out.toStdString();
    EXPECT_FALSE(light.out.contains("libvintrel.so")) << light.out.toStdString();
    const Outcome play = Execute(build + "/bin/pellomir_light_client", {library, "play", base + "/none.mp4"}, clientEnv);
    ASSERT_EQ(play.code, 0) << play.out.toStdString();
    EXPECT_TRUE(play.out.contains("\n" + prefix + "/lib/libvintrel.so\n")) << play.out.toStdString();
    EXPECT_FALSE(play.out.contains("play -1 error 30 ")) << play.out.toStdString();

    // 3. The installed KEL starts with its window and ends on request.
    QProcessEnvironment kelEnv = env;
    kelEnv.insert("KEL_QUIT_AFTER_MS", "300");
    const Outcome kel = Execute(prefix + "/KEL", {}, kelEnv);
    EXPECT_EQ(kel.code, 0) << kel.out.toStdString();

    // 4. The user's saved videos and pictures in the output folders.
    const QByteArray video = kel_test::ReadFile(build + "/bin/alarm_input.wav") + "as saved";
    ASSERT_TRUE(kel_test::WriteFile(prefix + "/output/Download/ch01_20240301.mp4", video));
    ASSERT_TRUE(kel_test::WriteFile(prefix + "/output/Capture/ch01_snapshot.jpg", "picture"));

    // 5. The uninstaller takes back what the installation and its programs
    //    made (the programs, the settings, the working files of the start
    //    above), the entries and the key, and nothing else.
    EXPECT_TRUE(QFileInfo::exists(prefix + "/DESetup.xml"));
    const appinstaller::UninstallReport report = Uninstall(prefix);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_EQ(Tree(prefix), (QStringList{"output", "output/Capture", "output/Capture/ch01_snapshot.jpg",
                                         "output/Download", "output/Download/ch01_20240301.mp4"}));
    EXPECT_EQ(kel_test::ReadFile(prefix + "/output/Download/ch01_20240301.mp4"), video);
    EXPECT_EQ(report.kept,
              (QStringList{prefix + "/output/Capture", prefix + "/output/Download", prefix + "/output", prefix}));
    EXPECT_FALSE(QFileInfo::exists(menu));
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled(config.GetGUID()));
    EXPECT_EQ(kel_test::ReadFile(base + "/opt/notes.txt"), QByteArray("mine"));
    EXPECT_EQ(Tree(base + "/kel_applications_dir"), QStringList{"other.desktop"});
    EXPECT_EQ(Tree(base + "/kel_registry_dir"), QStringList());
}

// A prefix that holds other programs' files (/usr/local, ~/.local): the
// install adds its own beside them, readable by all whatever the umask, and
// the uninstall leaves exactly what was there before.
TEST_F(Install, SharedPrefixKeepsWhatWasThere) {
    const QString shared = base + "/usr-local";
    const struct {
        const char* path;
        const char* bytes;
    } foreign[] = {
        {"bin/other-tool", "#!/bin/sh\n"},
        {"lib/libother.so.1", "ELF"},
        {"lib/pkgconfig/other.pc", "Name: other\n"},
        {"include/other.h", "int other(void);\n"},
        {"share/doc/other/README", "other\n"},
        {"icons/other.svg", "<svg/>"},
    };
    for (const auto& f : foreign) ASSERT_TRUE(kel_test::WriteFile(shared + "/" + f.path, f.bytes));
    QFile::setPermissions(shared + "/bin/other-tool", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QStringList before = Tree(shared);
    const QStringList modesBefore = Modes(shared);

    const Outcome install = InstallTo(shared, "077");
    ASSERT_EQ(install.code, 0) << install.out.toStdString();
    EXPECT_TRUE(QFileInfo(shared + "/KEL").isExecutable());
    // What the install made is readable by all (folders 755, files 644 or
    // 755); what was there keeps its own permissions.
    for (const QString& line : Modes(shared)) {
        if (modesBefore.contains(line)) continue;
        const QString mode = line.section(' ', 0, 0);
        const QString path = line.section(' ', 1);
        if (QFileInfo(shared + "/" + path).isDir()) {
            EXPECT_EQ(mode, "755") << path.toStdString();
        } else {
            EXPECT_TRUE(mode == "644" || mode == "755") << line.toStdString();
        }
    }
    // The record names none of the files that were there.
    appinstaller::InstallManifest manifest;
    ASSERT_TRUE(manifest.load(shared + "/InstallManifest.txt"));
    for (const auto& e : manifest.entries()) EXPECT_FALSE(before.contains(e.path)) << e.path.toStdString();
    EXPECT_TRUE(manifest.contains(appinstaller::InstallManifest::Kind::Folder, "lib/cmake"));
    EXPECT_FALSE(manifest.contains(appinstaller::InstallManifest::Kind::Folder, "lib/pkgconfig"));

    const appinstaller::UninstallReport report = Uninstall(shared);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_EQ(Tree(shared), before);
    EXPECT_EQ(Modes(shared), modesBefore);
    for (const auto& f : foreign) EXPECT_EQ(kel_test::ReadFile(shared + "/" + f.path), QByteArray(f.bytes)) << f.path;
}

// Every file of `root` with its contents and time of change, links with
// their targets: what an install must leave exactly as it was.
QStringList Snapshot(const QString& root) {
    QStringList out;
    for (const QString& path : Tree(root)) {
        const QFileInfo info(root + "/" + path);
        QString line = path;
        if (info.isSymLink()) {
            line += " -> " + info.symLinkTarget();
        } else if (info.isFile()) {
            line += " " + QString::number(info.lastModified().toMSecsSinceEpoch()) + " " +
                    QString::fromLatin1(kel_test::ReadFile(info.filePath()).toHex());
        }
        out << line;
    }
    return out;
}

// A folder that holds the package's installation is the package manager's:
// the install stops before it copies anything, says why, and nothing there
// changes. The package is told by its record, or by the package manager
// owning the programs there (a stand-in that answers as it would).
TEST_F(Install, PackagesFolderIsNotInstalledOver) {
    const struct {
        const char* name;
        bool record;   // the record says "package kel"
        bool manager;  // the package manager owns the programs
    } cases[] = {{"record", true, false}, {"manager", false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = base + "/" + c.name + "/opt/KEL";
        for (const char* f : {"KEL", "Lorrimax", "uninstaller", "kel-register", "lib/libPellomir.so.4",
                              "translations/kel_en.qm", "include/pellomir/Pellomir.h", "AppConfig.xml"})
            ASSERT_TRUE(kel_test::WriteFile(folder + "/" + f, QByteArray("package's ") + f));
        ASSERT_TRUE(kel_test::WriteFile(folder + "/InstallManifest.txt",
                                        c.record ? "package\tkel\nfile\tAppConfig.xml\n" : "file\tAppConfig.xml\n"));
        QProcessEnvironment run = env;
        if (c.manager) {
            const QString bin = base + "/" + c.name + "/bin";
            ASSERT_TRUE(kel_test::WriteFile(bin + "/dpkg-query",
                                            "#!/bin/sh\ncase \"$2\" in \"" + folder.toUtf8() +
                                                "\"/*) echo \"kel: $2\"; exit 0 ;; esac\n"
                                                "echo \"dpkg-query: no path found matching pattern $2\" >&2; exit 1\n"));
            QFile::setPermissions(bin + "/dpkg-query", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            run.insert("PATH", bin + ":" + env.value("PATH"));
        }
        const QStringList before = Snapshot(folder);
        const Outcome install = Execute("cmake", {"--install", kel_test::BinaryDir(), "--prefix", folder}, run);
        EXPECT_NE(install.code, 0) << install.out.toStdString();
        EXPECT_TRUE(install.out.simplified().contains("holds the installation of the package kel: nothing was installed"))
            << install.out.toStdString();
        EXPECT_EQ(Snapshot(folder), before);
        EXPECT_EQ(Tree(base + "/kel_registry_dir"), QStringList());
    }
}

// The administrator's menu is every user's: the entry that starts KEL is put
// there, the one that removes it only into the administrator's own menu
// (other users cannot remove it); one an earlier install left in the shared
// menu moves there. The uninstall takes both back.
TEST_F(Install, UninstallEntryOnlyInTheInstallersOwnMenu) {
    ASSERT_EQ(InstallTo(prefix).code, 0);  // one menu for everything
    EXPECT_TRUE(QFileInfo::exists(base + "/kel_applications_dir/KEL/Uninstall KEL.desktop"));
    const QString own = base + "/own_applications";
    env.insert("KEL_PRIVATE_APPLICATIONS_DIR", own);
    kel_test::ScopedEnv ownMenu("KEL_PRIVATE_APPLICATIONS_DIR", own.toStdString());
    ASSERT_EQ(InstallTo(prefix).code, 0);
    EXPECT_EQ(Tree(base + "/kel_applications_dir"), (QStringList{"KEL", "KEL/KEL.desktop", "other.desktop"}));
    EXPECT_EQ(Tree(own), (QStringList{"KEL", "KEL/Uninstall KEL.desktop"}));
    EXPECT_TRUE(QString::fromUtf8(kel_test::ReadFile(own + "/KEL/Uninstall KEL.desktop"))
                    .contains("Exec=\"" + prefix + "/uninstaller\""));

    const appinstaller::UninstallReport report = Uninstall(prefix);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_EQ(Tree(base + "/kel_applications_dir"), QStringList{"other.desktop"});
    EXPECT_EQ(Tree(own), QStringList());
}

// Two installations side by side keep their own menu folders and registry
// entries; removing one leaves the other working. Installing again over an
// installation (an upgrade) keeps its id and records the new version.
TEST_F(Install, TwoPrefixesSideBySide) {
    const QString first = base + "/first/KEL";
    const QString second = base + "/second/KEL";
    ASSERT_EQ(InstallTo(first).code, 0);
    ASSERT_EQ(InstallTo(second).code, 0);
    const AppConfig one(first + "/AppConfig.xml");
    const AppConfig two(second + "/AppConfig.xml");
    ASSERT_NE(one.GetGUID(), two.GetGUID());
    EXPECT_EQ(one.GetSoftwareNameEN(), "KEL");
    EXPECT_EQ(two.GetSoftwareNameEN(), "KEL (2)");
    UninstallRegistry* registry = UninstallRegistry::instance();
    EXPECT_EQ(registry->InstallLocation(one.GetGUID()), first.toStdString());
    EXPECT_EQ(registry->InstallLocation(two.GetGUID()), second.toStdString());
    EXPECT_EQ(registry->ReadValue(two.GetGUID(), "DisplayName"), "KEL (2)");
    EXPECT_EQ(MenuEntry("KEL", "KEL.desktop"),
              "[Desktop Entry]\nType=Application\nName=KEL\nExec=\"" + first +
                  "/KEL\"\nTerminal=false\nIcon=" + first + "/icons/kel.svg\nCategories=AudioVideo;Video;\n");
    EXPECT_EQ(MenuEntry("KEL (2)", "Uninstall KEL.desktop"),
              "[Desktop Entry]\nType=Application\nName=Uninstall KEL (2)\nExec=\"" + second +
                  "/uninstaller\"\nTerminal=false\nIcon=" + second +
                  "/icons/kel-uninstall.svg\nCategories=AudioVideo;Video;\n");

    // An older version of the second installation, installed again.
    QByteArray xml = kel_test::ReadFile(second + "/AppConfig.xml");
    xml.replace("<Version>4.3</Version>", "<Version>4.2</Version>");
    ASSERT_TRUE(kel_test::WriteFile(second + "/AppConfig.xml", xml));
    sysinstall::OpenRegistryKey(UninstallRegistry::KeyName(two.GetGUID()))->setValue("DisplayVersion", "4.2");
    const QByteArray record = kel_test::ReadFile(second + "/InstallManifest.txt");
    ASSERT_EQ(InstallTo(second).code, 0);
    const AppConfig upgraded(second + "/AppConfig.xml");
    EXPECT_EQ(upgraded.GetGUID(), two.GetGUID());
    EXPECT_EQ(upgraded.GetVersion(), "4.3");
    EXPECT_EQ(upgraded.GetSoftwareNameEN(), "KEL (2)");
    EXPECT_EQ(registry->ReadValue(two.GetGUID(), "DisplayVersion"), "4.3");
    // The folders the first install made stay recorded as its own.
    EXPECT_EQ(kel_test::ReadFile(second + "/InstallManifest.txt"), record);

    // Removing the first leaves the second working.
    const appinstaller::UninstallReport report = Uninstall(first);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(registry->IsInstalled(one.GetGUID()));
    EXPECT_FALSE(QFileInfo::exists(base + "/kel_applications_dir/KEL"));
    EXPECT_TRUE(registry->IsInstalled(two.GetGUID()));
    EXPECT_TRUE(QFileInfo::exists(base + "/kel_applications_dir/KEL (2)/KEL.desktop"));
    QProcessEnvironment kelEnv = env;
    kelEnv.insert("KEL_QUIT_AFTER_MS", "300");
    const Outcome kel = Execute(second + "/KEL", {}, kelEnv);
    EXPECT_EQ(kel.code, 0) << kel.out.toStdString();

    const appinstaller::UninstallReport last = Uninstall(second);
    EXPECT_TRUE(last.ok()) << last.failures.join("\n").toStdString();
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_EQ(Tree(base + "/kel_applications_dir"), QStringList{"other.desktop"});
    EXPECT_EQ(Tree(base + "/kel_registry_dir"), QStringList());
}

// As one user (not the administrator) on two installations side by side:
// each has a folder of its own in the user's data folder, the folder an
// older release shared is taken over by the installation it was made for,
// and when one installation is removed the other still shows its texts in
// the configured language.
TEST_F(Install, UsersFolderOfEachInstallation) {
    if (geteuid() != 0) GTEST_SKIP() << "runs the programs as another user: needs root";
    const QString probe = kel_test::BinaryDir() + "/bin/kel_shown_texts_probe";
    const uint nobody = 65534;
    // The user reaches the installations and a home of its own.
    ASSERT_TRUE(QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                                QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    const QString first = base + "/first/KEL";
    const QString second = base + "/second/KEL";
    for (const QString& folder : {first, second}) {
        const Outcome install = InstallTo(folder);
        ASSERT_EQ(install.code, 0) << install.out.toStdString();
        // Chinese for everyone who starts it; the probe beside the programs.
        QByteArray setup = kel_test::ReadFile(folder + "/setup.xml");
        ASSERT_TRUE(setup.contains("<Language>0</Language>"));
        setup.replace("<Language>0</Language>", "<Language>1</Language>");
        ASSERT_TRUE(kel_test::WriteFile(folder + "/setup.xml", setup));
        ASSERT_TRUE(QFile::copy(probe, folder + "/kel-shown-texts"));
    }
    const QString firstKey = QString::fromStdString(AppConfig(first + "/AppConfig.xml").GetGUID()).mid(1, 36);
    const QString secondKey = QString::fromStdString(AppConfig(second + "/AppConfig.xml").GetGUID()).mid(1, 36);
    ASSERT_NE(firstKey, secondKey);

    // What an older release made for the first installation: one folder for
    // every installation, reaching the first through links.
    const QString home = base + "/home";
    const QString older = home + "/.local/share/KEL";
    ASSERT_TRUE(QDir().mkpath(older));
    for (const char* name : {"translations", "KEL", "rcc", "help"})
        ASSERT_TRUE(QFile::link(first + "/" + name, older + "/" + name)) << name;
    ASSERT_TRUE(QFile::copy(first + "/setup.xml", older + "/setup.xml"));
    const QByteArray settings = kel_test::ReadFile(first + "/Settings.xml");
    ASSERT_TRUE(kel_test::WriteFile(older + "/Settings.xml", settings));
    ASSERT_TRUE(kel_test::WriteFile(older + "/output/Download/ch01_20240301.mp4", "saved video"));
    ASSERT_EQ(Execute("chown", {"-R", QString("%1:%1").arg(nobody), home}, env).code, 0);

    QProcessEnvironment user = env;
    user.insert("HOME", home);
    user.remove("XDG_DATA_HOME");
    user.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    user.insert("XDG_RUNTIME_DIR", home);
    auto shown = [&](const QString& folder, QString* programFolder) {
        const Outcome run = Execute("setpriv", {"--reuid", QString::number(nobody), "--regid", QString::number(nobody),
                                                "--clear-groups", folder + "/kel-shown-texts"},
                                    user, home);
        EXPECT_EQ(run.code, 0) << run.out.toStdString();
        QStringList texts;
        for (const QString& line : run.out.split('\n')) {
            if (line.startsWith("text ")) texts << line.mid(5);
            if (line.startsWith("folder ")) *programFolder = line.mid(7);
        }
        return texts;
    };
    auto noLinkLeadsNowhere = [](const QString& folder) {
        for (const QFileInfo& e : QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            EXPECT_FALSE(e.isSymLink() && !e.exists()) << e.filePath().toStdString();
    };

    QString folderOfSecond;
    QStringList texts = shown(second, &folderOfSecond);
    EXPECT_EQ(folderOfSecond, older + "/" + secondKey + "/");
    EXPECT_TRUE(texts.contains(QString::fromUtf8("回放"))) << texts.join(" | ").toStdString();
    // The older folder is the first installation's: the second leaves it.
    EXPECT_EQ(kel_test::ReadFile(older + "/output/Download/ch01_20240301.mp4"), "saved video");

    QString folderOfFirst;
    texts = shown(first, &folderOfFirst);
    EXPECT_EQ(folderOfFirst, older + "/" + firstKey + "/");
    EXPECT_TRUE(texts.contains(QString::fromUtf8("回放"))) << texts.join(" | ").toStdString();
    EXPECT_EQ(kel_test::ReadFile(folderOfFirst + "output/Download/ch01_20240301.mp4"), "saved video");
    EXPECT_EQ(kel_test::ReadFile(folderOfFirst + "Settings.xml"), settings);
    QStringList keys{firstKey, secondKey};
    keys.sort();
    EXPECT_EQ(QDir(older).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
              keys);
    EXPECT_EQ(QFileInfo(folderOfFirst + "translations").symLinkTarget(), first + "/translations");

    // The first goes; the second still speaks the user's language.
    ASSERT_TRUE(QFile::remove(first + "/kel-shown-texts"));
    const appinstaller::UninstallReport report = Uninstall(first);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    ASSERT_FALSE(QFileInfo::exists(first + "/translations"));
    texts = shown(second, &folderOfSecond);
    for (const char* text : {"回放", "日志"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text << ": " << texts.join(" | ").toStdString();
    for (const char* text : {"Playback", "Log"})
        EXPECT_FALSE(texts.contains(QString::fromUtf8(text))) << text << ": " << texts.join(" | ").toStdString();
    noLinkLeadsNowhere(folderOfSecond);
    EXPECT_EQ(QFileInfo(folderOfSecond + "translations").symLinkTarget(), second + "/translations");

    ASSERT_TRUE(QFile::remove(second + "/kel-shown-texts"));
    EXPECT_TRUE(Uninstall(second).ok());
}

}  // namespace
