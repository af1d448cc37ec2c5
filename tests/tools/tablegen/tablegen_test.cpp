// SPDX-License-Identifier: GPL-3.0-or-later
// The record-type and log-type tables are compiled from generated sources
// (RecordTypeCatalogue.inc, LogTypeTable.inc) that are committed beside their
// tables (tables/*.tsv). The generator must reproduce the committed sources
// exactly, carry a changed row into them, and refuse a table that does not
// add up instead of writing a short or disordered one.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

#include "kel_test/test_support.h"

namespace {

const char* const kTables[] = {"record_types.tsv", "log_major_types.tsv", "log_minor_types.tsv"};

QString SearchFolder() { return kel_test::SourceDir() + "/src/Quillmere/module/search"; }

struct GeneratorRun {
    int exitCode = -1;
    QString out;
    QString err;
};

GeneratorRun Generate(const QStringList& arguments) {
    QProcess p;
    p.start(qEnvironmentVariable("PYTHON"),
            QStringList{kel_test::SourceDir() + "/tools/tablegen/tablegen.py"} + arguments);
    GeneratorRun run;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// A copy of the committed tables in `dir`/tables, with `table`'s line
// `from` (a whole line) replaced by `to`.
bool CopyTablesWith(const QTemporaryDir& dir, const QString& table, const QString& from, const QString& to) {
    bool replaced = table.isEmpty();
    for (const char* name : kTables) {
        QByteArray text = kel_test::ReadFile(SearchFolder() + "/tables/" + name);
        if (text.isEmpty()) return false;
        if (table == QLatin1String(name)) {
            const QByteArray line = from.toUtf8() + '\n';
            int at = 0;
            if (!text.startsWith(line)) {
                at = text.indexOf('\n' + line);
                if (at < 0) return false;
                ++at;
            }
            text.replace(at, line.size(), to.toUtf8() + '\n');
            replaced = true;
        }
        if (!kel_test::WriteFile(dir.filePath(QStringLiteral("tables/") + name), text)) return false;
    }
    return replaced;
}

TEST(TableGenerator, CommittedSourcesAreWhatTheTablesGenerate) {
    ASSERT_FALSE(qEnvironmentVariable("PYTHON").isEmpty());
    const GeneratorRun run = Generate({SearchFolder() + "/tables", "--check", SearchFolder()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QString());
}

TEST(TableGenerator, WritesTheCommittedSourcesByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(CopyTablesWith(dir, QString(), QString(), QString()));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("out")));
    const GeneratorRun run = Generate({dir.filePath("tables"), "--write", dir.filePath("out")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char* name : {"RecordTypeCatalogue.inc", "LogTypeTable.inc"}) {
        const QByteArray committed = kel_test::ReadFile(SearchFolder() + "/" + name);
        ASSERT_FALSE(committed.isEmpty()) << name;
        EXPECT_EQ(kel_test::ReadFile(dir.filePath(QStringLiteral("out/") + name)), committed) << name;
    }
}

// A changed row reaches the generated source, and the check reports the
// committed source as out of date.
TEST(TableGenerator, ChangedRowsReachTheSources) {
    const struct {
        const char* table;
        const char* from;
        const char* to;
        const char* source;
        const char* committedLine;  // the line of the committed source ...
        const char* generatedLine;  // ... and what the changed table makes of it
    } cases[] = {
        {"log_minor_types.tsv", "1\t1\tAlarm Input", "1\t1\tAlarm \"Input\" \\ 1", "LogTypeTable.inc",
         "    {1, 1, QT_TRANSLATE_NOOP(\"QObject\", \"Alarm Input\")},\n",
         "    {1, 1, QT_TRANSLATE_NOOP(\"QObject\", \"Alarm \\\"Input\\\" \\\\ 1\")},\n"},
        {"log_major_types.tsv", "2\texception", "2\tfault", "LogTypeTable.inc", "    // 2: exception, 48 codes\n",
         "    // 2: fault, 48 codes\n"},
        {"record_types.tsv", "1018\t4\t0x4\t1\t非机动车道内行驶", "1018\t5\t0xa0\t2\t非机动车道内行驶",
         "RecordTypeCatalogue.inc", "    {1018, 4, 0, 0, 0x4, 1, \"非机动车道内行驶\"},\n",
         "    {1018, 5, 0, 0, 0xA0, 2, \"非机动车道内行驶\"},\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(CopyTablesWith(dir, c.table, QString::fromUtf8(c.from), QString::fromUtf8(c.to)));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("out")));
        ASSERT_EQ(Generate({dir.filePath("tables"), "--write", dir.filePath("out")}).exitCode, 0);

        QByteArray expected = kel_test::ReadFile(SearchFolder() + "/" + c.source);
        const int at = expected.indexOf(c.committedLine);
        ASSERT_GE(at, 0);
        expected.replace(at, int(strlen(c.committedLine)), c.generatedLine);
        EXPECT_EQ(QString::fromUtf8(kel_test::ReadFile(dir.filePath(QStringLiteral("out/") + c.source))),
                  QString::fromUtf8(expected));

        const GeneratorRun check = Generate({dir.filePath("tables"), "--check", SearchFolder()});
        EXPECT_EQ(check.exitCode, 1);
        EXPECT_EQ(check.err, QStringLiteral("tablegen: %1/%2 differs from the tables\n").arg(SearchFolder(), c.source));
    }
}

// Tables that do not add up: nothing is written, and the message names the
// table and line.
TEST(TableGenerator, RefusesTablesThatDoNotAddUp) {
    const struct {
        const char* table;
        const char* from;
        const char* to;
        const char* message;
    } cases[] = {
        {"record_types.tsv", "1018\t4\t0x4\t1\t非机动车道内行驶", "1020\t4\t0x4\t1\t非机动车道内行驶",
         "record_types.tsv:3: code 1019 does not follow 1020 in ascending order"},
        {"record_types.tsv", "1019\t7\t0x4\t1\t违反规定使用专用车道", "1018\t7\t0x4\t1\t违反规定使用专用车道",
         "record_types.tsv:3: code 1018 does not follow 1018 in ascending order"},
        {"record_types.tsv", "1018\t4\t0x4\t1\t非机动车道内行驶", "1018\t4\t0x4\t非机动车道内行驶",
         "record_types.tsv:2: 4 cells, 5 expected"},
        {"record_types.tsv", "1018\t4\t0x4\t1\t非机动车道内行驶", "1018\t4\t4\t1\t非机动车道内行驶",
         "record_types.tsv:2: the mask is not a hexadecimal number: '4'"},
        {"record_types.tsv", "1018\t4\t0x4\t1\t非机动车道内行驶", "1018\t4\t0x4\t1 \t非机动车道内行驶",
         "record_types.tsv:2: the category is not a number: '1 '"},
        {"record_types.tsv", "1018\t4\t0x4\t1\t非机动车道内行驶", "1018\t4\t0x4\t1\t",
         "record_types.tsv:2: the description is empty"},
        {"record_types.tsv", "code\tclass number\tmask\tcategory\tdescription",
         "code\tclass\tmask\tcategory\tdescription",
         "record_types.tsv:1: the first line must name the columns code | class number | mask | category | "
         "description"},
        {"log_minor_types.tsv", "1\t2\tAlarm Output", "\n1\t2\tAlarm Output",  // a blank line inside
         "log_minor_types.tsv:3: 1 cells, 3 expected"},
        {"log_minor_types.tsv", "1\t2\tAlarm Output", "1\t1\tAlarm Output",
         "log_minor_types.tsv:3: 1/1 does not follow 1/1 in ascending order"},
        {"log_minor_types.tsv", "1\t2\tAlarm Output", "7\t2\tAlarm Output",
         "log_minor_types.tsv:3: major type 7 is not in log_major_types.tsv"},
        {"log_major_types.tsv", "4\tinformation", "4\tinformation\n5\tspare",
         "log_minor_types.tsv: major type 5 (spare) has no minor types"},
        {"log_major_types.tsv", "2\texception", "0\texception",
         "log_major_types.tsv:3: major type 0 does not follow 1 in ascending order"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(CopyTablesWith(dir, c.table, QString::fromUtf8(c.from), QString::fromUtf8(c.to)));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("out")));
        const GeneratorRun run = Generate({dir.filePath("tables"), "--write", dir.filePath("out")});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, QStringLiteral("tablegen: %1\n").arg(QString::fromUtf8(c.message)));
        EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files), QStringList());
    }
}

}  // namespace
