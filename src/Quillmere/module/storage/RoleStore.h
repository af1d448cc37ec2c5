// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Display data kept by role, the way item models keep it, for records that
// are not items of a model. Pairs stay in insertion order; roles are unique.
// No lock: one thread at a time.
#include <QPair>
#include <QVariant>
#include <QVector>

class CRoleStore {
public:
    // Stores `value` under `role`. For a stored role an invalid value removes
    // the pair and a valid one replaces the value (unchanged when equal); an
    // absent role is appended, also with an invalid value.
    void setData(const QVariant& value, int role);
    // The value stored under `role`; an invalid QVariant when there is none.
    QVariant data(int role) const;

    int size() const { return m_pairs.size(); }
    bool isEmpty() const { return m_pairs.isEmpty(); }

private:
    QVector<QPair<int, QVariant>> m_pairs;
};
