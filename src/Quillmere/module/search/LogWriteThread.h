// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Log export: writes the log table of the log page to an XML file, one
// "Log" element per row inside "LogTypes"/"Logs", and reports the outcome.
// The file is replaced only when the whole export was written.
#include <QString>
#include <QStringList>
#include <QThread>

class QAbstractItemModel;

class CLogWriteThread : public QThread {
    Q_OBJECT
public:
    // Outcome codes of signalSendWriteOver.
    enum Result { OpenFailed = 0, Written = 1, CloseFailed = 2 };

    CLogWriteThread();
    // Waits for the export to finish.
    ~CLogWriteThread() override;

    void SetFilePath(const QString& path) { m_filePath = path; }
    QString FilePath() const { return m_filePath; }
    // The table to export; not owned, and not changed while the export runs.
    void SetModel(QAbstractItemModel* model) { m_model = model; }

    // The element names of the twelve table columns, in column order.
    static QStringList ColumnNames();

signals:
    // Once at the end of the run: 0 the file cannot be opened for writing,
    // 1 written, 2 the file could not be completed (nothing replaced).
    void signalSendWriteOver(int result);

protected:
    void run() override;

private:
    QString m_filePath;
    QAbstractItemModel* m_model = nullptr;
};
