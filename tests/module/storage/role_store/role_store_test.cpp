// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDateTime>
#include <QMetaType>
#include <QObject>
#include <QVariant>

#include "storage/DateTimePair.h"
#include "storage/RoleStore.h"

namespace {

TEST(RoleStore, SetReplaceRemove) {
    CRoleStore s;
    EXPECT_TRUE(s.isEmpty());
    EXPECT_FALSE(s.data(356).isValid());

    s.setData(5, 356);
    s.setData(QString("red"), 357);
    s.setData(5, 356);  // same value twice: one pair
    EXPECT_EQ(s.size(), 2);
    EXPECT_EQ(s.data(356).toInt(), 5);

    s.setData(QString("5"), 356);  // equal by conversion but another type: replaced
    EXPECT_EQ(s.data(356).userType(), QMetaType::QString);
    s.setData(7, 356);
    EXPECT_EQ(s.data(356).toInt(), 7);
    EXPECT_EQ(s.size(), 2);

    s.setData(QVariant(), 356);  // invalid value removes a present role
    EXPECT_EQ(s.size(), 1);
    EXPECT_FALSE(s.data(356).isValid());
    EXPECT_EQ(s.data(357).toString(), "red");

    s.setData(QVariant(), 400);  // absent role: a pair holding the invalid value
    EXPECT_EQ(s.size(), 2);
    EXPECT_FALSE(s.data(400).isValid());
    s.setData(QVariant(), 400);  // and removing it again
    EXPECT_EQ(s.size(), 1);
}

TEST(DateTimePair, SpanAndRoles) {
    CDateTimePair empty;
    EXPECT_TRUE(empty.startTime().isNull());
    EXPECT_TRUE(empty.endTime().isNull());
    EXPECT_FALSE(empty.data(CDateTimePair::RecordTypeRole).isValid());

    QDateTime a(QDate(2024, 3, 1), QTime(8, 0)), b(QDate(2024, 3, 1), QTime(8, 30));
    CDateTimePair p(a, b);
    p.setData(4, 356);
    p.setData(QString("#ff0000"), 357);
    EXPECT_EQ(p.startTime(), a);
    EXPECT_EQ(p.endTime(), b);
    EXPECT_EQ(p.data(356).toInt(), 4);
    EXPECT_EQ(p.data(357).toString(), "#ff0000");

    CDateTimePair copy = p;  // plain value
    copy.setData(9, 356);
    EXPECT_EQ(p.data(356).toInt(), 4);
}

TEST(DateTimePair, RegisteredByNameForQueuedSignals) {
    EXPECT_NE(QMetaType::type("CDateTimePair"), QMetaType::UnknownType);
    EXPECT_NE(QMetaType::type("QList<CDateTimePair>"), QMetaType::UnknownType);

    CDateTimePair p(QDateTime(QDate(2024, 1, 1), QTime(0, 0)), QDateTime(QDate(2024, 1, 1), QTime(1, 0)));
    p.setData(3, 356);
    QVariant v = QVariant::fromValue(QList<CDateTimePair>{p});
    QList<CDateTimePair> back = v.value<QList<CDateTimePair>>();
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(back[0].data(356).toInt(), 3);
}

}  // namespace
