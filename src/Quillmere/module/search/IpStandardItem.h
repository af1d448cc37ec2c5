// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Table item for an IPv4 address text: sorts by the address's value, not
// by its text ("10.0.0.2" before "10.0.0.10"); empty texts sort first.
#include <QStandardItem>
#include <QString>

#include <cstdint>

namespace ziraz {

class IpStandardItem : public QStandardItem {
public:
    enum { Type = QStandardItem::UserType + 0x1A0 };
    explicit IpStandardItem(const QString& text = QString());

    int type() const override { return Type; }
    QStandardItem* clone() const override;
    bool operator<(const QStandardItem& other) const override;

    // The address of a dotted text; false (and 0) when it is not one.
    static bool ParseAddress(const QString& text, uint32_t* address);
};

}  // namespace ziraz
