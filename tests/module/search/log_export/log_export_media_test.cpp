// SPDX-License-Identifier: GPL-3.0-or-later
// Logs of a sample medium found by the log search, put into a table as the
// log page does, exported and read back.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QStandardItemModel>
#include <QXmlStreamReader>

#include "search/LogSearch.h"
#include "search/LogWriteThread.h"
#include "module/search/alarm_search/search_media.h"

namespace {

TEST(LogExportMedia, FoundLogsExportToAFileThatReadsBack) {
    search_test::MediaSet media;
    search_test::Medium* m = media.Add(3, 2, 61);
    ASSERT_NE(m, nullptr);

    QStandardItemModel model;
    CLogSearch search;
    QObject::connect(&search, &CLogSearch::signalSetLogInfoToView, &model,
                     [&](QList<QList<QStandardItem*> > rows, int, int) {
                         for (const auto& row : rows) model.appendRow(row);
                     });
    search.SetDiskPaths({QString::fromStdString(m->physical)});
    search.SetSearchCondition(LogSearchCondition());
    search.start();
    ASSERT_TRUE(search.wait(60000));
    QCoreApplication::processEvents();
    ASSERT_EQ(model.rowCount(), int(m->info.logs.size()));

    const QString path = kel_test::ProgramFolder() + "/backup.xml";
    int result = -1;
    {
        CLogWriteThread writer;
        writer.SetFilePath(path);
        writer.SetModel(&model);
        QObject::connect(&writer, &CLogWriteThread::signalSendWriteOver, &model, [&](int r) { result = r; });
        writer.start();
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(result, 1);

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    int logs = 0;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("LogTypes") || xml.name() == QLatin1String("Logs")) continue;
        ASSERT_EQ(xml.name(), QLatin1String("Log"));
        int column = 0;
        while (xml.readNextStartElement()) {
            if (column == 7) ++column;  // no parameter type in the file
            EXPECT_EQ(xml.readElementText(), model.item(logs, column)->text()) << logs << " " << column;
            ++column;
        }
        EXPECT_EQ(column, 12);
        ++logs;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(logs, model.rowCount());
}

}  // namespace
