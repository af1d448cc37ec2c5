// SPDX-License-Identifier: GPL-3.0-or-later
// The KEL program itself: starts with a fresh program folder, builds its
// window and ends on the quit request; a second start in the same folder is
// refused by the hull, says so and ends with 0.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include "caldrune/caldrune.h"
#include "kel_test/test_support.h"

namespace {

QString KelBinary() { return qEnvironmentVariable("KEL_BINARY_DIR") + "/bin/KEL"; }

QProcessEnvironment KelEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KEL_HOME", home);
    env.remove("KEL_QUIT_AFTER_MS");
    env.remove("QT_LOGGING_RULES");
    // Every message line starts with its type, so debug lines can be told apart.
    env.insert("QT_MESSAGE_PATTERN", "%{type}: %{message}");
    return env;
}

// Started where no window can be shown, each program says so in one line
// and ends with 1, instead of the toolkit's abort.
TEST(KelProgram, WithoutADisplayEachProgramSaysSoInOneLine) {
    for (const QString& program : {QString("KEL"), QString("Lorrimax")}) {
        SCOPED_TRACE(program.toStdString());
        const QString binary = qEnvironmentVariable("KEL_BINARY_DIR") + "/bin/" + program;
        ASSERT_TRUE(QFile::exists(binary)) << binary.toStdString();
        QProcess p;
        QProcessEnvironment env = KelEnvironment(kel_test::ProgramFolder());
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
        p.setProcessEnvironment(env);
        p.start(binary, QStringList());
        ASSERT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_EQ(QString::fromLocal8Bit(p.readAllStandardError()),
                  program + ": no display to show its window on (DISPLAY is not set); start it from a desktop session "
                            "or set DISPLAY.\n");
    }
}

TEST(KelProgram, StartsAndQuitsOnRequest) {
    ASSERT_TRUE(QFile::exists(KelBinary())) << KelBinary().toStdString();
    const QString home = kel_test::ProgramFolder();
    kel_test::WriteFile(home + "/Settings.xml", "<Settings><ChannelNum><Value>4</Value></ChannelNum></Settings>");
    QProcess kel;
    QProcessEnvironment env = KelEnvironment(home);
    env.insert("KEL_QUIT_AFTER_MS", "300");
    kel.setProcessEnvironment(env);
    kel.start(KelBinary(), QStringList());
    ASSERT_TRUE(kel.waitForStarted(60000));
    ASSERT_TRUE(kel.waitForFinished(180000)) << kel.readAllStandardError().constData();
    EXPECT_EQ(kel.exitStatus(), QProcess::NormalExit);
    const QByteArray errors = kel.readAllStandardError();
    EXPECT_EQ(kel.exitCode(), 0) << errors.constData();
    // A normal run is quiet: warnings at most, no debug lines.
    for (const QByteArray& line : errors.split('\n')) EXPECT_FALSE(line.startsWith("debug:")) << line.constData();
}

TEST(KelProgram, SecondInstanceInTheSameFolderEndsAtOnce) {
    const QString home = kel_test::ProgramFolder();
    QProcess first;
    first.setProcessEnvironment(KelEnvironment(home));
    first.start(KelBinary(), QStringList());
    ASSERT_TRUE(first.waitForStarted(60000));
    // Wait until the first instance holds the folder's instance lock.
    const QString lockPath = apt::ToolApplicationHull::instanceLockPath("Quillmere");
    QDeadlineTimer deadline(120000);
    bool locked = false;
    while (!deadline.hasExpired() && first.state() == QProcess::Running) {
        if (QFile::exists(lockPath)) {
            locked = true;
            break;
        }
        first.waitForFinished(50);
    }
    ASSERT_TRUE(locked);
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(KelEnvironment(home));
    second.start(KelBinary(), QStringList());
    ASSERT_TRUE(second.waitForStarted(60000));
    const bool ended = second.waitForFinished(120000);
    if (!ended) second.kill();
    first.kill();
    first.waitForFinished(60000);
    second.waitForFinished(60000);
    QFile::remove(lockPath);  // left by the killed instance
    ASSERT_TRUE(ended);
    EXPECT_EQ(second.exitCode(), 0);
    // It says so, naming the folder.
    const QString said = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(said.contains("KEL is running already with the program folder\n" + QDir(home).absolutePath() + "\n"))
        << said.toStdString();
}

}  // namespace
