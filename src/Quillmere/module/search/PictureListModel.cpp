// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureListModel.h"

#include <QDateTime>
#include <QStandardItem>

#include "storage/RecorderTime.h"

namespace {
// "chNN_" and the time that follows it in a picture's name.
constexpr int kTimePos = 5;
constexpr int kTimeLen = 19;
}  // namespace

PictureShowModel::PictureShowModel(QObject* parent) : QStandardItemModel(parent) {
    insertColumn(0);
    setHeaderData(0, Qt::Horizontal, tr("PictureName"), Qt::DisplayRole);
}

void PictureShowModel::appendPicture(const QPair<QString, QString>& entry) {
    auto* item = new QStandardItem;
    item->setText(entry.second);
    item->setData(entry.first, kPicturePathRole);
    setItem(rowCount(), 0, item);
}

void PictureShowModel::selectByTime(uint32_t time) {
    for (int row = 0; row < rowCount(); ++row) {
        const QString text = data(index(row, 0), Qt::DisplayRole).toString();
        // The recorder's clock reading of the name ("yyyy-MM-dd hh-mm-ss").
        const QDate day = QDate::fromString(text.mid(kTimePos, 10), QStringLiteral("yyyy-MM-dd"));
        const QTime clock = QTime::fromString(text.mid(kTimePos + 11, kTimeLen - 11), QStringLiteral("hh-mm-ss"));
        // A name without a time matches no time.
        if (!day.isValid() || !clock.isValid()) continue;
        if (RecorderTime(day, clock) == static_cast<time_t>(time)) emit signalSelect(row);
    }
}
