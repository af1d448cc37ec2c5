// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file table of the batch downloader as data: one row per recording of
// the searched channels, channel after channel in the order of the hand-over,
// numbered on across channels. A row is the record it stands for, its tick
// and its download state; its texts are made when a view asks for them, so
// a batch of any size loads in the time it takes to list its records.
//
// Columns: number (with the row's check box), disk, channel, start, end,
// size, status. Section 0 of the header carries the check box that ticks or
// clears every row (ziraz::HeaderCheckRole), and its state follows the rows:
// unchecked, partly checked or checked.
#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "Download/DataDistributionThread.h"
#include "storage/SingleFile.h"

class BatchFileModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, DiskColumn, ChannelColumn, StartColumn, EndColumn, SizeColumn, StatusColumn, ColumnCount };
    // Where a row's file stands.
    enum Status : uint8_t { Waiting, Downloading, Completed, Incomplete, Stopped, Failed };
    // Roles of the number cell: the file size (unsigned) and the file name;
    // of the disk cell: the disk path the record was found on.
    static const int kFileSizeRole = CDataDistributionThread::kFileSizeRole;
    static const int kFileNameRole = CDataDistributionThread::kFileNameRole;
    static const int kDiskPathRole = CDataDistributionThread::kDiskPathRole;
    // The header role of the toolkit's views that gives section 0 its check
    // box (ziraz::HeaderCheckRole).
    static const int kHeaderCheckRole = Qt::UserRole + 130;

    explicit BatchFileModel(QObject* parent = nullptr);

    // One row per present record of the entries; every row unticked and
    // waiting. The records must stay while the model shows them.
    void setEntries(const QVector<DownloadListEntry>& entries);
    void clear();

    APT_QMR::CSingleFile* file(int row) const;
    int channel(int row) const;

    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    int checkedCount() const { return m_checked; }
    // The sum of the sizes of the ticked rows.
    uint64_t checkedSize() const { return m_checkedBytes; }

    Status status(int row) const;
    // `percent` for Downloading (0..100), `reason` for Failed (may be empty).
    void setStatus(int row, Status status, int percent = 0, const QString& reason = QString());
    QString statusText(int row) const;
    // The words a status shows (in the language loaded).
    static QString StatusText(Status status, int percent = 0, const QString& reason = QString());
    // "Disk 1 (E:)": the disk of a record as the search panel shows it.
    QString diskText(int row) const;
    // The disk texts of the rows, each once.
    QStringList diskTexts() const;
    // The widest size text the rows can show, as candidates to measure.
    QStringList widestSizeTexts() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Titles and alignment as for any model; Qt::CheckStateRole of section 0
    // set to checked or unchecked ticks or clears every row at once.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

signals:
    // The ticked rows changed (once for a change of the header's box).
    void checkedChanged();

private:
    struct Row {
        APT_QMR::CSingleFile* file = nullptr;
        int channel = 0;
        int reason = -1;  // index into m_reasons
        bool checked = false;
        Status status = Waiting;
        uint8_t percent = 0;
    };
    void setAllChecked(bool checked);
    void headerCheckChanged();

    std::vector<Row> m_rows;
    int m_checked = 0;
    uint64_t m_checkedBytes = 0;
    uint32_t m_largestFile = 0;
    QStringList m_reasons;
    QVector<QHash<int, QVariant>> m_header;
    mutable std::unordered_map<std::string, QString> m_diskTexts;
};
