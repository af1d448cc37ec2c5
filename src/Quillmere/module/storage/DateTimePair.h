// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One time span of a found recording, with display data by role (record type
// under 356, colour under 357). Registered as a Qt meta-type so that lists of
// it can travel in queued signals.
#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QVariant>

#include "RoleStore.h"

class CDateTimePair {
public:
    enum Role { RecordTypeRole = 356, ColorRole = 357 };

    CDateTimePair();
    CDateTimePair(const QDateTime& start, const QDateTime& end);

    QDateTime startTime() const { return m_start; }
    QDateTime endTime() const { return m_end; }
    void setStartTime(const QDateTime& start) { m_start = start; }
    void setEndTime(const QDateTime& end) { m_end = end; }

    void setData(const QVariant& value, int role) { m_roles.setData(value, role); }
    QVariant data(int role) const { return m_roles.data(role); }

    // Registers the type (and QList of it) with the meta-type system by name;
    // safe to call more than once. Done automatically at load time as well.
    static void registerMetaType();

private:
    QDateTime m_start;
    QDateTime m_end;
    CRoleStore m_roles;
};

Q_DECLARE_METATYPE(CDateTimePair)
