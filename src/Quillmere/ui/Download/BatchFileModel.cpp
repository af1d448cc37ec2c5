// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchFileModel.h"

#include <QCoreApplication>

#include <algorithm>
#include <ctime>

#include "storage/DiskEnum.h"
#include "ziraz/ziraz.h"

BatchFileModel::BatchFileModel(QObject* parent) : QAbstractTableModel(parent), m_header(ColumnCount) {}

void BatchFileModel::setEntries(const QVector<DownloadListEntry>& entries) {
    beginResetModel();
    m_rows.clear();
    size_t count = 0;
    for (const DownloadListEntry& e : entries) count += e.files.size();
    m_rows.reserve(count);
    m_largestFile = 0;
    for (const DownloadListEntry& e : entries) {
        for (APT_QMR::CSingleFile* f : e.files) {
            if (!f) continue;
            Row row;
            row.file = f;
            row.channel = e.channelNumber;
            m_rows.push_back(row);
            m_largestFile = std::max(m_largestFile, f->FileSize);
        }
    }
    m_checked = 0;
    m_checkedBytes = 0;
    m_reasons.clear();
    m_diskTexts.clear();
    endResetModel();
    headerCheckChanged();
    emit checkedChanged();
}

void BatchFileModel::clear() { setEntries({}); }

APT_QMR::CSingleFile* BatchFileModel::file(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].file : nullptr;
}

int BatchFileModel::channel(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].channel : -1;
}

bool BatchFileModel::isChecked(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() && m_rows[size_t(row)].checked;
}

void BatchFileModel::setChecked(int row, bool checked) {
    if (row < 0 || size_t(row) >= m_rows.size()) return;
    Row& r = m_rows[size_t(row)];
    if (r.checked == checked) return;
    const int before = m_checked;
    r.checked = checked;
    m_checked += checked ? 1 : -1;
    if (checked)
        m_checkedBytes += r.file->FileSize;
    else
        m_checkedBytes -= r.file->FileSize;
    const QModelIndex cell = index(row, NumberColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    // The header's box changes only when no row, or every row, is ticked
    // before or after.
    const int all = int(m_rows.size());
    if (before == 0 || before == all || m_checked == 0 || m_checked == all) headerCheckChanged();
    emit checkedChanged();
}

void BatchFileModel::setAllChecked(bool checked) {
    if (m_rows.empty()) return;
    m_checkedBytes = 0;
    for (Row& r : m_rows) {
        r.checked = checked;
        if (checked) m_checkedBytes += r.file->FileSize;
    }
    m_checked = checked ? int(m_rows.size()) : 0;
    emit dataChanged(index(0, NumberColumn), index(int(m_rows.size()) - 1, NumberColumn), {Qt::CheckStateRole});
    headerCheckChanged();
    emit checkedChanged();
}

void BatchFileModel::headerCheckChanged() { emit headerDataChanged(Qt::Horizontal, NumberColumn, NumberColumn); }

BatchFileModel::Status BatchFileModel::status(int row) const {
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)].status : Waiting;
}

void BatchFileModel::setStatus(int row, Status status, int percent, const QString& reason) {
    if (row < 0 || size_t(row) >= m_rows.size()) return;
    Row& r = m_rows[size_t(row)];
    r.status = status;
    r.percent = uint8_t(std::max(0, std::min(100, percent)));
    r.reason = -1;
    if (status == Failed && !reason.isEmpty()) {
        r.reason = m_reasons.indexOf(reason);
        if (r.reason < 0) {
            m_reasons << reason;
            r.reason = m_reasons.size() - 1;
        }
    }
    const QModelIndex cell = index(row, StatusColumn);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

QString BatchFileModel::StatusText(Status status, int percent, const QString& reason) {
    switch (status) {
    case Waiting:
        return QCoreApplication::translate("CDataDistributionThread", "Wait");
    case Downloading:
        return QCoreApplication::translate("Lorrimax", "Downloading %1%").arg(percent);
    case Completed:
        return QCoreApplication::translate("Lorrimax", "Download Completed");
    case Incomplete:
        return QCoreApplication::translate("Lorrimax", "Download Incomplete");
    case Stopped:
        return QCoreApplication::translate("Lorrimax", "Manual Stop");
    case Failed:
        return reason.isEmpty() ? QCoreApplication::translate("Lorrimax", "Download Exception")
                                : QCoreApplication::translate("Lorrimax", "Download Exception: %1").arg(reason);
    }
    return QString();
}

QString BatchFileModel::statusText(int row) const {
    if (row < 0 || size_t(row) >= m_rows.size()) return QString();
    const Row& r = m_rows[size_t(row)];
    return StatusText(r.status, r.percent, r.reason >= 0 ? m_reasons.value(r.reason) : QString());
}

QString BatchFileModel::diskText(int row) const {
    const APT_QMR::CSingleFile* f = file(row);
    if (!f) return QString();
    // Looked up once per disk: the name may need the drive table.
    auto it = m_diskTexts.find(f->DiskName);
    if (it == m_diskTexts.end()) it = m_diskTexts.emplace(f->DiskName, DiskShownName(f->DiskName)).first;
    return it->second;
}

QStringList BatchFileModel::diskTexts() const {
    QStringList out;
    std::string last;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (i > 0 && m_rows[i].file->DiskName == last) continue;
        last = m_rows[i].file->DiskName;
        const QString text = diskText(int(i));
        if (!out.contains(text)) out << text;
    }
    return out;
}

QStringList BatchFileModel::widestSizeTexts() const {
    // The longest text of each unit up to that of the largest file.
    QStringList out;
    const uint64_t limits[] = {1023u, (1u << 20) - 1, (1u << 30) - 1, 0xFFFFFFFFu};
    for (uint64_t limit : limits) {
        out << RowSizeText(uint32_t(limit));
        if (m_largestFile <= limit) break;
    }
    return out;
}

int BatchFileModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int BatchFileModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BatchFileModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size())) return QVariant();
    const Row& r = m_rows[size_t(index.row())];
    const APT_QMR::CSingleFile& f = *r.file;
    switch (index.column()) {
    case NumberColumn:
        if (role == Qt::DisplayRole) return QString::number(index.row() + 1);
        if (role == Qt::CheckStateRole) return r.checked ? Qt::Checked : Qt::Unchecked;
        if (role == kFileSizeRole) return static_cast<unsigned int>(f.FileSize);
        if (role == kFileNameRole) return QString::fromUtf8(f.FileName.c_str());
        break;
    case DiskColumn:
        if (role == Qt::DisplayRole) return diskText(index.row());
        if (role == kDiskPathRole) return ziraz::ConvertToUnicode(f.DiskName, nullptr);
        break;
    case ChannelColumn:
        if (role == Qt::DisplayRole) return QString::number(r.channel);
        break;
    case StartColumn:
        if (role == Qt::DisplayRole) return RowTimeText(f.StartTime);
        break;
    case EndColumn:
        if (role == Qt::DisplayRole) return RowTimeText(f.EndTime);
        break;
    case SizeColumn:
        if (role == Qt::DisplayRole) return RowSizeText(f.FileSize);
        break;
    case StatusColumn:
        if (role == Qt::DisplayRole) return statusText(index.row());
        break;
    default:
        break;
    }
    return QVariant();
}

bool BatchFileModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != NumberColumn || role != Qt::CheckStateRole) return false;
    setChecked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags BatchFileModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == NumberColumn) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant BatchFileModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == NumberColumn) {
        if (role == kHeaderCheckRole) return 1;
        if (role == Qt::CheckStateRole) {
            if (m_checked == 0) return int(Qt::Unchecked);
            return int(m_checked == int(m_rows.size()) ? Qt::Checked : Qt::PartiallyChecked);
        }
    }
    const QHash<int, QVariant>& values = m_header[section];
    const auto it = values.constFind(role == Qt::EditRole ? Qt::DisplayRole : role);
    return it == values.constEnd() ? QVariant() : it.value();
}

bool BatchFileModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return false;
    if (section == NumberColumn && role == Qt::CheckStateRole) {
        const int state = value.toInt();
        if (state == Qt::Checked || state == Qt::Unchecked) setAllChecked(state == Qt::Checked);
        return true;
    }
    if (section == NumberColumn && role == kHeaderCheckRole) return false;
    m_header[section][role == Qt::EditRole ? Qt::DisplayRole : role] = value;
    emit headerDataChanged(orientation, section, section);
    return true;
}
