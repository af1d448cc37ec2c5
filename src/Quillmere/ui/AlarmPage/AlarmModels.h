// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Item models of the alarm page: the alarm table (CAlarmCheckedModel) and the
// two check lists from which the operator picks alarm types
// (CAlarmTypeCheckedModel) and channels (CChannelCheckedModel).
//
// All three keep check states under kStoredCheckRole (0 unchecked, 2
// checked) and map Qt::CheckStateRole onto it; the toolkit's models keep the
// "All" header box and the rows in step. They live on the GUI thread.
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QStandardItemModel>
#include <QString>
#include <mutex>
#include <vector>

#include "search/AlarmRecords.h"
#include "ziraz/itemviews.h"

namespace alarmroles {
// Stored check state; Qt::CheckStateRole reads and writes it.
constexpr int kStoredCheckRole = 360;
// Header check box of a column.
constexpr int kHeaderCheckRole = 386;
// Picture and clip actions of the table's column 4.
constexpr int kPictureActionRole = 436;
constexpr int kClipActionRole = 437;
// Channel number (channel list, table) or alarm-type code (type list).
constexpr int kNumberRole = 1257;
constexpr int kAlarmTypeRole = 1258;
constexpr int kAlarmStartRole = 1259;
constexpr int kAlarmEndRole = 1260;
// Left and vertically centred.
constexpr int kHeaderAlignment = 129;
}  // namespace alarmroles

// The untranslated keys of the alarm types 0 to 14, by code.
const std::vector<const char*>& AlarmTypeKeys();

class CAlarmCheckedModel : public ziraz::StandardItemModel {
    Q_OBJECT
public:
    explicit CAlarmCheckedModel(QObject* parent = nullptr);
    ~CAlarmCheckedModel() override;

    // The codes of the alarm types to show.
    void SetAlarmTypes(const std::vector<int>& types);
    // Appends a row per record that has a start time and a selected type.
    void AddAlarmInfos(const std::vector<COMMON_MSG_INFO>& infos);
    // The translated name of a code; the translation of "Unknown" for a code
    // without a name.
    QString GetAlarmTypeName(int code);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QMap<QString, int> m_typeNames;
    std::vector<int> m_selectedTypes;
    std::mutex m_mutex;
};

class CAlarmTypeCheckedModel : public ziraz::TreeViewModel {
    Q_OBJECT
public:
    explicit CAlarmTypeCheckedModel(QObject* parent = nullptr);

    // Column-0 indexes of the checked rows, in row order.
    QList<QModelIndex> GetCheckedIndexes();
    void UncheckAll();

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void buildRows();

    QMap<QString, int> m_typeNames;
};

class CChannelCheckedModel : public ziraz::TreeViewModel {
    Q_OBJECT
public:
    // Offers channels 1 to the "ChannelNum" setting (at most kMaxChannels).
    explicit CChannelCheckedModel(QObject* parent = nullptr);

    static constexpr int kMaxChannels = 64;

    QList<QModelIndex> GetCheckedIndexes();
    void UncheckAll();

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void buildRows();
};
