// SPDX-License-Identifier: GPL-3.0-or-later
// The batch downloader program started with a mode argument and an empty
// program folder, closed by its test timer: it runs and exits with 0. Its
// debug lines show only when their logging category is enabled. A second
// start on a folder that one runs with already says so and ends.
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "caldrune/caldrune.h"
#include "kel_test/test_support.h"

namespace {

TEST(LorrimaxProgram, StartsAndExitsCleanly) {
    const QString bin = qEnvironmentVariable("LORRIMAX_BIN");
    ASSERT_FALSE(bin.isEmpty());
    const struct {
        const char* mode;
        const char* rules;  // logging rules, or nullptr for none
    } runs[] = {{"1", "kel.*.debug=true"}, {"abc", "kel.ui.debug=true"}, {"1", nullptr}};
    for (const auto& run : runs) {
        const char* mode = run.mode;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (run.rules) env.insert(QStringLiteral("QT_LOGGING_RULES"), QString::fromLatin1(run.rules));
        env.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{type}: %{message}"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KEL_HOME"), kel_test::ProgramFolder());
        env.insert(QStringLiteral("KEL_QUIT_AFTER_MS"), QStringLiteral("300"));
        p.setProcessEnvironment(env);
        p.start(bin, {QString::fromLatin1(mode)});
        ASSERT_TRUE(p.waitForStarted(30000));
        ASSERT_TRUE(p.waitForFinished(120000)) << mode;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        const QByteArray errors = p.readAllStandardError();
        if (run.rules) {
            EXPECT_TRUE(errors.contains(QByteArray("debug: downLoadFileType = ") + (mode[0] == '1' ? "1" : "0")))
                << errors.constData();
        } else {
            for (const QByteArray& line : errors.split('\n')) EXPECT_FALSE(line.startsWith("debug:")) << line.constData();
        }
    }
}

// The folder's instance lock is held (as a running batch downloader holds
// it): the start ends at once, naming the folder and what to do.
TEST(LorrimaxProgram, SecondStartOnTheSameFolderSaysSo) {
    const QString bin = qEnvironmentVariable("LORRIMAX_BIN");
    ASSERT_FALSE(bin.isEmpty());
    const QString home = kel_test::ProgramFolder();
    QLockFile running(apt::ToolApplicationHull::instanceLockPath(QStringLiteral("Lorrimax")));
    ASSERT_TRUE(running.tryLock(0));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KEL_HOME"), home);
    env.insert(QStringLiteral("KEL_QUIT_AFTER_MS"), QStringLiteral("120000"));
    p.setProcessEnvironment(env);
    p.start(bin, {QStringLiteral("0")});
    ASSERT_TRUE(p.waitForStarted(30000));
    const bool ended = p.waitForFinished(120000);
    if (!ended) p.kill();
    ASSERT_TRUE(ended);
    EXPECT_EQ(p.exitCode(), 0);
    const QString said = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(said.contains("Lorrimax is running already with the program folder\n" + QDir(home).absolutePath() +
                              "\nUse its window"))
        << said.toStdString();
}

}  // namespace
