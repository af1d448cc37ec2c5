// SPDX-License-Identifier: GPL-3.0-or-later
#include "IpStandardItem.h"

#include <QStringList>

namespace ziraz {

IpStandardItem::IpStandardItem(const QString& text) : QStandardItem(text) {}

QStandardItem* IpStandardItem::clone() const { return new IpStandardItem(*this); }

bool IpStandardItem::ParseAddress(const QString& text, uint32_t* address) {
    *address = 0;
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    uint32_t value = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint n = part.toUInt(&ok, 10);
        if (!ok || part.isEmpty() || n > 255) return false;
        value = value << 8 | n;
    }
    *address = value;
    return true;
}

bool IpStandardItem::operator<(const QStandardItem& other) const {
    uint32_t mine = 0, theirs = 0;
    const bool a = ParseAddress(text(), &mine);
    const bool b = ParseAddress(other.text(), &theirs);
    if (a && b) return mine < theirs;
    if (a != b) return !a;  // a non-address (an empty cell) sorts first
    return QStandardItem::operator<(other);
}

}  // namespace ziraz
