// SPDX-License-Identifier: GPL-3.0-or-later
// The log export: document form, escaping, replacement of an earlier file,
// and failures that must leave what the path held.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardItemModel>
#include <QXmlStreamReader>

#include <sys/resource.h>
#include <csignal>

#include "search/LogWriteThread.h"
#include "kel_test/test_support.h"

namespace {

// A table as the log page shows it: twelve columns per row.
void AddRow(QStandardItemModel& model, const QStringList& cells) {
    QList<QStandardItem*> row;
    for (const QString& c : cells) row << new QStandardItem(c);
    model.appendRow(row);
}

QStringList Row(int n, const QString& local = "admin", const QString& host = QString()) {
    return {QString::asprintf("%04d", n), "2024-03-01 10:15:00", "Operation", "Local Login", local, "", host, "R",
            "3", "0", "", ""};
}

// Exports as the log page does: start, then destroy at once (the destructor
// waits); the outcome arrives queued.
int Export(const QString& path, QAbstractItemModel* model) {
    int result = -1;
    QObject page;
    {
        CLogWriteThread writer;
        writer.SetFilePath(path);
        writer.SetModel(model);
        QObject::connect(&writer, &CLogWriteThread::signalSendWriteOver, &page, [&](int r) { result = r; });
        writer.start(QThread::InheritPriority);
    }
    QCoreApplication::processEvents();
    return result;
}

// The document read back: one list of (name, text) pairs per "Log".
struct Document {
    bool wellFormed = false;
    QString root;
    QString container;
    QList<QList<QPair<QString, QString>>> logs;
};

Document Read(const QString& path) {
    Document doc;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return doc;
    QXmlStreamReader xml(&f);
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (depth == 1) doc.root = xml.name().toString();
            else if (depth == 2) doc.container = xml.name().toString();
            else if (depth == 3) doc.logs.append(QList<QPair<QString, QString>>());
            else if (depth == 4) {
                const QString name = xml.name().toString();
                doc.logs.last().append(qMakePair(name, xml.readElementText()));
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    doc.wellFormed = !xml.hasError();
    return doc;
}

const QStringList kNames = {"ID", "OperationTime", "MajorType", "MinorType", "LocalOperator", "RemoteOperator",
                            "RemoteHostAddress", "ChannelNo", "DiskNo", "AlarmInput", "AlarmOutput"};

TEST(LogExport, RowsBecomeLogElementsWithoutTheParameterType) {
    QStandardItemModel model;
    AddRow(model, Row(1, "a<b & c>\"d'", "192.168.1.10"));
    AddRow(model, Row(2));
    const QString path = kel_test::ProgramFolder() + "/logs.xml";
    ASSERT_EQ(Export(path, &model), CLogWriteThread::Written);

    const QByteArray bytes = kel_test::ReadFile(path);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << bytes.left(60).constData();
    EXPECT_TRUE(bytes.contains("a&lt;b &amp; c&gt;"));
    EXPECT_FALSE(bytes.contains("ParameterType"));

    const Document doc = Read(path);
    ASSERT_TRUE(doc.wellFormed);
    EXPECT_EQ(doc.root, QString("LogTypes"));
    EXPECT_EQ(doc.container, QString("Logs"));
    ASSERT_EQ(doc.logs.size(), 2);
    for (int r = 0; r < 2; ++r) {
        const QStringList cells = Row(r + 1, r == 0 ? "a<b & c>\"d'" : "admin", r == 0 ? "192.168.1.10" : "");
        ASSERT_EQ(doc.logs[r].size(), kNames.size());
        int column = 0;
        for (int i = 0; i < kNames.size(); ++i, ++column) {
            if (column == 7) ++column;  // the parameter type is not written
            EXPECT_EQ(doc.logs[r][i].first, kNames[i]);
            EXPECT_EQ(doc.logs[r][i].second, cells[column]) << r << " " << kNames[i].toStdString();
        }
    }
    // An empty host cell gives an empty element.
    EXPECT_TRUE(doc.logs[1][6].second.isEmpty());
    EXPECT_TRUE(bytes.contains("<RemoteHostAddress></RemoteHostAddress>"));
}

TEST(LogExport, CharactersThatXmlCannotHoldAreLeftOut) {
    QStandardItemModel model;
    AddRow(model, Row(1, QString("op") + QChar(0x01) + QChar(0) + "er" + QChar(0xD800) + "\tx"));
    const QString path = kel_test::ProgramFolder() + "/ctl.xml";
    ASSERT_EQ(Export(path, &model), CLogWriteThread::Written);
    const Document doc = Read(path);
    ASSERT_TRUE(doc.wellFormed);
    ASSERT_EQ(doc.logs.size(), 1);
    EXPECT_EQ(doc.logs[0][4].second, QString("oper\tx"));
}

TEST(LogExport, EmptyTableGivesAWellFormedDocument) {
    QStandardItemModel model(0, 12);
    const QString path = kel_test::ProgramFolder() + "/empty.xml";
    ASSERT_EQ(Export(path, &model), CLogWriteThread::Written);
    const Document doc = Read(path);
    EXPECT_TRUE(doc.wellFormed);
    EXPECT_EQ(doc.root, QString("LogTypes"));
    EXPECT_EQ(doc.container, QString("Logs"));
    EXPECT_TRUE(doc.logs.isEmpty());
}

TEST(LogExport, SecondExportReplacesTheFile) {
    const QString path = kel_test::ProgramFolder() + "/again.xml";
    QStandardItemModel big;
    for (int i = 1; i <= 30; ++i) AddRow(big, Row(i));
    ASSERT_EQ(Export(path, &big), CLogWriteThread::Written);
    QStandardItemModel small;
    AddRow(small, Row(1, "second"));
    ASSERT_EQ(Export(path, &small), CLogWriteThread::Written);
    const Document doc = Read(path);
    ASSERT_TRUE(doc.wellFormed);
    ASSERT_EQ(doc.logs.size(), 1);
    EXPECT_EQ(doc.logs[0][4].second, QString("second"));
}

TEST(LogExport, ExtraColumnsAreNotWritten) {
    QStandardItemModel model;
    QStringList cells = Row(1);
    cells << "extra";
    AddRow(model, cells);
    const QString path = kel_test::ProgramFolder() + "/wide.xml";
    ASSERT_EQ(Export(path, &model), CLogWriteThread::Written);
    const Document doc = Read(path);
    ASSERT_TRUE(doc.wellFormed);
    ASSERT_EQ(doc.logs.size(), 1);
    EXPECT_EQ(doc.logs[0].size(), kNames.size());
}

TEST(LogExport, PathThatCannotBeOpened) {
    QStandardItemModel model;
    AddRow(model, Row(1));
    const QString path = kel_test::ProgramFolder() + "/missing/folder/logs.xml";
    EXPECT_EQ(Export(path, &model), CLogWriteThread::OpenFailed);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(Export(QString(), &model), CLogWriteThread::OpenFailed);
}

TEST(LogExport, FailedWriteKeepsWhatThePathHeld) {
    const QString path = kel_test::ProgramFolder() + "/kept.xml";
    ASSERT_TRUE(kel_test::WriteFile(path, "earlier export"));
    QStandardItemModel model;
    for (int i = 1; i <= 400; ++i) AddRow(model, Row(i, QString(40, QLatin1Char('x'))));

    // Writes beyond 4 KiB fail for this process while the limit holds.
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &old), 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = Export(path, &model);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_EQ(result, CLogWriteThread::CloseFailed);
    EXPECT_EQ(kel_test::ReadFile(path), QByteArray("earlier export"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(kel_test::ProgramFolder()).entryList(QDir::Files), QStringList{"kept.xml"});
}

TEST(LogExport, TargetThatIsAFolderIsNotReplaced) {
    const QString path = kel_test::ProgramFolder() + "/folder.xml";
    ASSERT_TRUE(QDir().mkpath(path));
    ASSERT_TRUE(kel_test::WriteFile(path + "/inside", "x"));
    QStandardItemModel model;
    AddRow(model, Row(1));
    const int result = Export(path, &model);
    EXPECT_NE(result, CLogWriteThread::Written);
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(kel_test::ReadFile(path + "/inside"), QByteArray("x"));
}

}  // namespace
