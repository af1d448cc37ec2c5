// SPDX-License-Identifier: GPL-3.0-or-later
// The batch downloader program started with a mode argument and an empty
// program folder, closed by its test timer: it runs and exits with 0. Its
// debug lines show only when their logging category is enabled.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

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

}  // namespace
