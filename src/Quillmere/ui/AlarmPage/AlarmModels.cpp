// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlarmModels.h"

#include <QCoreApplication>

#include <QDateTime>
#include <QPixmap>
#include <QStandardItem>
#include <algorithm>

#include "storage/Settings.h"
#include "storage/KelLogging.h"

using namespace alarmroles;

namespace {

const char* const kPictureIcon = ":/Quillmere/Images/Alarm/common_picture.svg";
const char* const kClipIcon = ":/Quillmere/Images/Alarm/common_liveview.svg";
const char* const kTimePattern = "yyyy.MM.dd hh:mm:ss";

// Role 10 reads the stored check state when there is one.
QVariant CheckAwareData(const QStandardItemModel* model, const QVariant& base, const QModelIndex& index,
                        int role) {
    if (role == Qt::CheckStateRole) {
        const QVariant stored = model->QStandardItemModel::data(index, kStoredCheckRole);
        if (stored.isValid()) return stored;
    }
    return base;
}

int MappedRole(int role) { return role == Qt::CheckStateRole ? kStoredCheckRole : role; }

// One column with the "All" header of the check lists.
void SetCheckListHeader(QStandardItemModel* model, const QString& all) {
    model->setColumnCount(1);
    model->setHeaderData(0, Qt::Horizontal, all, Qt::DisplayRole);
    model->setHeaderData(0, Qt::Horizontal, 0, Qt::CheckStateRole);
    model->setHeaderData(0, Qt::Horizontal, true, kHeaderCheckRole);
    model->setHeaderData(0, Qt::Horizontal, kHeaderAlignment, Qt::TextAlignmentRole);
}

// Appends an unticked check-list row.
void AppendCheckListRow(ziraz::TreeViewModel* model, const QString& text, int number) {
    auto* item = new ziraz::TreeViewItem(nullptr);
    item->SetData(0, kStoredCheckRole, 0);
    item->SetData(0, Qt::DisplayRole, text);
    item->SetData(0, kNumberRole, number);
    model->insertRow(item, model->rowCount(), QModelIndex());
}

QList<QModelIndex> CheckedRows(const QStandardItemModel* model) {
    QList<QModelIndex> checked;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (model->QStandardItemModel::data(index, kStoredCheckRole).toInt() == Qt::Checked) checked.append(index);
    }
    return checked;
}

void UncheckRows(QStandardItemModel* model) {
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        if (model->QStandardItemModel::data(index, kStoredCheckRole).toInt() == Qt::Checked)
            model->setData(index, 0, kStoredCheckRole);
    }
}

// The stored seconds shown as a clock reading taken as UTC.
QString ClockText(uint32_t seconds) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds), Qt::UTC).toString(kTimePattern);
}

// Alarm type names are translated in one context, whichever model shows them.
QString AlarmTypeName(const char* key) { return QCoreApplication::translate("CAlarmCheckedModel", key); }

QStandardItem* Cell(const QString& text) {
    auto* item = new ziraz::StandardItem(text);
    item->setEditable(false);
    return item;
}

}  // namespace

const std::vector<const char*>& AlarmTypeKeys() {
    static const std::vector<const char*> keys = {
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "Unknown"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "SmokingiSwnxfh"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "AnswerThePhonemPNzgYkL"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "FatigueDrivingcttFiWkY"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "ADistractionToRemindnvRdnVff"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "DriverAnomalyMpPHjbwf"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "NotBuckledUp"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "PickUpGoodskSZxVFP"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "YawninglwmkwsOd"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "EatAndDrinkfanQTADi"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "ChatomdyRnIE"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "VideoTampering"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "WorkClothesNotWornRLTwujYV"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "InfraredBlockingSungzToZeHOo"),
        QT_TRANSLATE_NOOP("CAlarmCheckedModel", "AbnormalDriverIdentiYEajWWLY"),
    };
    return keys;
}

// ---- alarm table ---------------------------------------------------------------

CAlarmCheckedModel::CAlarmCheckedModel(QObject* parent) : ziraz::StandardItemModel(parent) {
    setColumnCount(5);
    setHeaderData(0, Qt::Horizontal, tr(""), Qt::DisplayRole);
    setHeaderData(0, Qt::Horizontal, 0, Qt::CheckStateRole);
    setHeaderData(0, Qt::Horizontal, 132, Qt::CheckStateRole);
    setHeaderData(0, Qt::Horizontal, true, kHeaderCheckRole);
    setHeaderData(0, Qt::Horizontal, kHeaderAlignment, Qt::TextAlignmentRole);
    const QString titles[] = {tr("TimeOfOccurrence"), tr("AlarmChannelNameJzmkhgDE"), tr("AlarmType"),
                              tr("Operation")};
    for (int column = 1; column <= 4; ++column) {
        setHeaderData(column, Qt::Horizontal, titles[column - 1], Qt::DisplayRole);
        setHeaderData(column, Qt::Horizontal, kHeaderAlignment, Qt::TextAlignmentRole);
    }
    const std::vector<const char*>& keys = AlarmTypeKeys();
    for (size_t code = 0; code < keys.size(); ++code) m_typeNames.insert(AlarmTypeName(keys[code]), static_cast<int>(code));
}

CAlarmCheckedModel::~CAlarmCheckedModel() = default;

void CAlarmCheckedModel::SetAlarmTypes(const std::vector<int>& types) { m_selectedTypes = types; }

void CAlarmCheckedModel::AddAlarmInfos(const std::vector<COMMON_MSG_INFO>& infos) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<COMMON_MSG_INFO> records = infos;
    for (COMMON_MSG_INFO info : records) {
        if (info.Body.StartTime == 0) continue;
        if (info.Body.EndTime == 0) info.Body.EndTime = info.Body.StartTime;
        const bool selected = std::find(m_selectedTypes.begin(), m_selectedTypes.end(),
                                        static_cast<int>(info.Body.Type)) != m_selectedTypes.end();
        if (!selected) continue;

        QList<QStandardItem*> row;
        QStandardItem* check = Cell(QString());
        check->setData(0, kStoredCheckRole);
        row << check;
        row << Cell(ClockText(info.Body.StartTime) + "-" + ClockText(info.Body.EndTime));
        row << Cell(tr("Channel") + QString::number(info.Channel));
        row << Cell(GetAlarmTypeName(static_cast<int>(info.Body.Type)));
        QStandardItem* actions = Cell(QString());
        actions->setData(QPixmap(kPictureIcon), kPictureActionRole);
        actions->setData(QPixmap(kClipIcon), kClipActionRole);
        actions->setData(static_cast<double>(info.Body.StartTime), kAlarmStartRole);
        actions->setData(static_cast<double>(info.Body.EndTime), kAlarmEndRole);
        actions->setData(info.Channel, kNumberRole);
        actions->setData(static_cast<uint>(info.Body.Type), kAlarmTypeRole);
        row << actions;
        appendRow(row);
    }
}

QString CAlarmCheckedModel::GetAlarmTypeName(int code) {
    const QMap<QString, int> names = m_typeNames;
    for (auto it = names.constBegin(); it != names.constEnd(); ++it) {
        if (it.value() == code) return it.key();
    }
    return tr("Unknown");
}

QVariant CAlarmCheckedModel::data(const QModelIndex& index, int role) const {
    return CheckAwareData(this, ziraz::StandardItemModel::data(index, role), index, role);
}

bool CAlarmCheckedModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    return ziraz::StandardItemModel::setData(index, value, MappedRole(role));
}

Qt::ItemFlags CAlarmCheckedModel::flags(const QModelIndex& index) const {
    return ziraz::StandardItemModel::flags(index) | Qt::ItemIsUserCheckable;
}

// ---- alarm-type list -----------------------------------------------------------

CAlarmTypeCheckedModel::CAlarmTypeCheckedModel(QObject* parent) : ziraz::TreeViewModel(parent) {
    SetCheckListHeader(this, tr("All"));
    buildRows();
}

void CAlarmTypeCheckedModel::buildRows() {
    m_typeNames.clear();
    const std::vector<const char*>& keys = AlarmTypeKeys();
    for (size_t code = 0; code < keys.size(); ++code) m_typeNames.insert(AlarmTypeName(keys[code]), static_cast<int>(code));
    for (auto it = m_typeNames.constBegin(); it != m_typeNames.constEnd(); ++it)
        AppendCheckListRow(this, it.key(), it.value());
}

QList<QModelIndex> CAlarmTypeCheckedModel::GetCheckedIndexes() { return CheckedRows(this); }

void CAlarmTypeCheckedModel::UncheckAll() { UncheckRows(this); }

QVariant CAlarmTypeCheckedModel::data(const QModelIndex& index, int role) const {
    return CheckAwareData(this, ziraz::TreeViewModel::data(index, role), index, role);
}

bool CAlarmTypeCheckedModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    return ziraz::TreeViewModel::setData(index, value, MappedRole(role));
}

Qt::ItemFlags CAlarmTypeCheckedModel::flags(const QModelIndex& index) const {
    return ziraz::TreeViewModel::flags(index) | Qt::ItemIsUserCheckable;
}

// ---- channel list ----------------------------------------------------------------

CChannelCheckedModel::CChannelCheckedModel(QObject* parent) : ziraz::TreeViewModel(parent) {
    SetCheckListHeader(this, tr("All"));
    buildRows();
}

void CChannelCheckedModel::buildRows() {
    bool ok = false;
    int count = CSettingsStore::GetInstance()->GetValueText(SettingKey::ChannelNum).toInt(&ok, 10);
    if (!ok) count = 0;
    if (count > kMaxChannels) {
        qCDebug(lcKelSearch, "CChannelCheckedModel::buildRows ChannelNum %d limited to %d", count, kMaxChannels);
        count = kMaxChannels;
    }
    for (int channel = 1; channel <= count; ++channel)
        AppendCheckListRow(this, tr("ChannelRKQ33T39") + QString::number(channel), channel);
}

QList<QModelIndex> CChannelCheckedModel::GetCheckedIndexes() { return CheckedRows(this); }

void CChannelCheckedModel::UncheckAll() { UncheckRows(this); }

QVariant CChannelCheckedModel::data(const QModelIndex& index, int role) const {
    return CheckAwareData(this, ziraz::TreeViewModel::data(index, role), index, role);
}

bool CChannelCheckedModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    return ziraz::TreeViewModel::setData(index, value, MappedRole(role));
}

Qt::ItemFlags CChannelCheckedModel::flags(const QModelIndex& index) const {
    return ziraz::TreeViewModel::flags(index) | Qt::ItemIsUserCheckable;
}
