// SPDX-License-Identifier: GPL-3.0-or-later
#include "RoleStore.h"

void CRoleStore::setData(const QVariant& value, int role) {
    for (int i = 0; i < m_pairs.size(); ++i) {
        if (m_pairs[i].first != role) continue;
        if (!value.isValid()) {
            m_pairs.remove(i);
            return;
        }
        QVariant& stored = m_pairs[i].second;
        if (stored.userType() == value.userType() && stored == value) return;
        stored = value;
        return;
    }
    m_pairs.append(qMakePair(role, value));
}

QVariant CRoleStore::data(int role) const {
    for (const auto& p : m_pairs)
        if (p.first == role) return p.second;
    return QVariant();
}
