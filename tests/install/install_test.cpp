// The installation as a user gets it: `cmake --install` of this build into a
// fresh prefix, the disk library used from C and C++ through its installed
// header and pkg-config file (and find_package), the installed KEL started,
// and the uninstaller taking everything back, leaving what is not its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include "AppConfig.h"
#include "InstallProcessMgr.h"
#include "SystemChecks.h"
#include "kel_test/test_support.h"

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

    QString base, prefix;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<kel_test::ScopedEnv>> scoped;
};

TEST_F(Install, InstallsUsesAndUninstalls) {
    const QString build = kel_test::BinaryDir();
    // 1. The install.
    const Outcome install = Execute("cmake", {"--install", build, "--prefix", prefix}, env);
    ASSERT_EQ(install.code, 0) << install.out.toStdString();
    for (const char* f : {"KEL", "Lorrimax", "uninstaller", "kel-register", "lib/libPellomir.so", "lib/libvintrel.so",
                          "include/pellomir/Pellomir.h", "include/pellomir/VehMetaInfo.h", "lib/pkgconfig/pellomir.pc",
                          "lib/cmake/Pellomir/PellomirConfig.cmake", "rcc/guiresource.rcc", "setup.xml", "Settings.xml",
                          "AppConfig.xml", "maintain/DESetup.xml.benchmark", "icons/kel.svg", "alarm_input.wav",
                          "translations/Quillmere_en.qm", "translations/Quillmere_zh.qm"})
        EXPECT_TRUE(QFileInfo::exists(prefix + "/" + f)) << f;
    // The programs find their libraries in the installation, not in the build.
    const Outcome ldd = Execute("ldd", {prefix + "/KEL"}, env);
    EXPECT_FALSE(ldd.out.contains("not found")) << ldd.out.toStdString();
    EXPECT_TRUE(ldd.out.contains(prefix + "/lib/libvintrel.so")) << ldd.out.toStdString();
    EXPECT_FALSE(ldd.out.contains(build + "/lib/")) << ldd.out.toStdString();

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

    // 4. The uninstaller takes back the folder, the entries and the key, and
    //    nothing else.
    const appinstaller::UninstallReport report = InstallProcessMgr::instance()->UnInstall(config);
    EXPECT_TRUE(report.ok()) << report.failures.join("\n").toStdString();
    EXPECT_FALSE(QFileInfo::exists(prefix));
    EXPECT_FALSE(QFileInfo::exists(menu));
    EXPECT_FALSE(UninstallRegistry::instance()->IsInstalled(config.GetGUID()));
    EXPECT_EQ(kel_test::ReadFile(base + "/opt/notes.txt"), QByteArray("mine"));
    EXPECT_EQ(Tree(base + "/kel_applications_dir"), QStringList{"other.desktop"});
    EXPECT_TRUE(Tree(base + "/kel_registry_dir").filter(".ini").isEmpty()) << Tree(base + "/kel_registry_dir").join(",").toStdString();
}

}  // namespace
