// The batch downloader program started with a mode argument and an empty
// program folder, closed by its test timer: it runs and exits with 0.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "kel_test/test_support.h"

namespace {

TEST(LorrimaxProgram, StartsAndExitsCleanly) {
    const QString bin = qEnvironmentVariable("LORRIMAX_BIN");
    ASSERT_FALSE(bin.isEmpty());
    for (const char* mode : {"1", "abc"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KEL_HOME"), kel_test::ProgramFolder());
        env.insert(QStringLiteral("KEL_QUIT_AFTER_MS"), QStringLiteral("300"));
        p.setProcessEnvironment(env);
        p.start(bin, {QString::fromLatin1(mode)});
        ASSERT_TRUE(p.waitForStarted(30000));
        ASSERT_TRUE(p.waitForFinished(120000)) << mode;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(p.readAllStandardError().contains(QByteArray("downLoadFileType = ") + (mode[0] == '1' ? "1" : "0")));
    }
}

}  // namespace
