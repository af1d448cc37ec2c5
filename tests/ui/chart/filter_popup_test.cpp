// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFormLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>

#include <algorithm>

#include "chart/TimeSliderFilterPopup.h"

namespace {

QCheckBox* BoxOfType(const CTimeSliderFilterPopup& p, int type) {
    for (auto it = p.typeBoxes().cbegin(); it != p.typeBoxes().cend(); ++it) {
        if (it.value() == type) return it.key();
    }
    return nullptr;
}

QList<int> Sorted(QList<int> v) {
    std::sort(v.begin(), v.end());
    return v;
}

QList<int> LastFilter(const QSignalSpy& spy) { return spy.last().at(0).value<QList<int>>(); }

TEST(FilterPopup, TypesFillTwoColumnsUnderAll) {
    CTimeSliderFilterPopup p;
    EXPECT_TRUE(p.windowFlags() & Qt::Popup);
    EXPECT_FALSE(p.hasTypes());
    EXPECT_EQ(p.allBox()->text(), "All");
    for (int t = 10; t < 15; ++t) p.addType(QIcon(), QString("Type %1").arg(t), t);
    EXPECT_TRUE(p.hasTypes());
    struct Where {
        int type;
        int row;
        QFormLayout::ItemRole role;
    } expected[] = {{10, 1, QFormLayout::LabelRole}, {11, 1, QFormLayout::FieldRole}, {12, 2, QFormLayout::LabelRole},
                    {13, 2, QFormLayout::FieldRole}, {14, 3, QFormLayout::LabelRole}};
    for (const Where& w : expected) {
        int row = -1;
        QFormLayout::ItemRole role;
        p.formLayout()->getWidgetPosition(BoxOfType(p, w.type), &row, &role);
        EXPECT_EQ(row, w.row) << w.type;
        EXPECT_EQ(role, w.role) << w.type;
        EXPECT_TRUE(BoxOfType(p, w.type)->isChecked());
    }
    EXPECT_EQ(p.allBox()->checkState(), Qt::Checked);
    EXPECT_EQ(p.appliedTypes(), (QList<int>{10, 11, 12, 13, 14}));
}

TEST(FilterPopup, AmpersandsShowAsText) {
    CTimeSliderFilterPopup p;
    p.addType(QIcon(), "A & B", 1);
    p.addType(QIcon(), "A & B & C", 2);
    p.addType(QIcon(), "Plain", 3);
    EXPECT_EQ(BoxOfType(p, 1)->text(), "A && B");
    // Every "&" is doubled: a single one left would vanish as a shortcut mark.
    EXPECT_EQ(BoxOfType(p, 2)->text(), "A && B && C");
    EXPECT_EQ(BoxOfType(p, 3)->text(), "Plain");
}

TEST(FilterPopup, AllFollowsTheTypeBoxes) {
    CTimeSliderFilterPopup p;
    for (int t = 1; t <= 3; ++t) p.addType(QIcon(), QString::number(t), t);
    QSignalSpy spy(&p, &CTimeSliderFilterPopup::SignalFilter);

    BoxOfType(p, 2)->setChecked(false);
    EXPECT_EQ(p.allBox()->checkState(), Qt::PartiallyChecked);
    BoxOfType(p, 1)->setChecked(false);
    BoxOfType(p, 3)->setChecked(false);
    EXPECT_EQ(p.allBox()->checkState(), Qt::Unchecked);
    for (int t = 1; t <= 3; ++t) BoxOfType(p, t)->setChecked(true);
    EXPECT_EQ(p.allBox()->checkState(), Qt::Checked);

    // "All" ticks and unticks every box; a partial state becomes ticked.
    p.allBox()->setCheckState(Qt::Unchecked);
    for (int t = 1; t <= 3; ++t) EXPECT_FALSE(BoxOfType(p, t)->isChecked());
    p.allBox()->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(p.allBox()->checkState(), Qt::Checked);
    for (int t = 1; t <= 3; ++t) EXPECT_TRUE(BoxOfType(p, t)->isChecked());
    // A click on "All" from unticked goes through the partial state to ticked.
    p.allBox()->setCheckState(Qt::Unchecked);
    p.allBox()->click();
    EXPECT_EQ(p.allBox()->checkState(), Qt::Checked);
    EXPECT_TRUE(BoxOfType(p, 1)->isChecked());
    EXPECT_EQ(spy.count(), 0);
}

TEST(FilterPopup, AllFollowsABoxAddedNextToUntickedOnes) {
    CTimeSliderFilterPopup p;
    p.addType(QIcon(), "1", 1);
    BoxOfType(p, 1)->setChecked(false);
    EXPECT_EQ(p.allBox()->checkState(), Qt::Unchecked);
    p.addType(QIcon(), "2", 2);
    EXPECT_EQ(p.allBox()->checkState(), Qt::PartiallyChecked);
}

TEST(FilterPopup, OkSendsTickedTypesAndCancelRestoresApplied) {
    CTimeSliderFilterPopup p;
    for (int t = 1; t <= 3; ++t) p.addType(QIcon(), QString::number(t), t);
    QSignalSpy spy(&p, &CTimeSliderFilterPopup::SignalFilter);
    p.show();

    BoxOfType(p, 2)->setChecked(false);
    p.okButton()->click();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(Sorted(LastFilter(spy)), (QList<int>{1, 3}));
    EXPECT_EQ(Sorted(p.appliedTypes()), (QList<int>{1, 3}));
    EXPECT_FALSE(p.isVisible());

    // Unticking 1 and ticking 2, then Cancel: the applied ones are ticked
    // again, the box ticked since stays ticked.
    p.show();
    BoxOfType(p, 1)->setChecked(false);
    BoxOfType(p, 2)->setChecked(true);
    p.cancelButton()->click();
    EXPECT_TRUE(BoxOfType(p, 1)->isChecked());
    EXPECT_TRUE(BoxOfType(p, 2)->isChecked());
    EXPECT_TRUE(BoxOfType(p, 3)->isChecked());
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(p.isVisible());

    // Everything unticked: OK sends an empty list.
    p.allBox()->setCheckState(Qt::Unchecked);
    p.okButton()->click();
    ASSERT_EQ(spy.count(), 2);
    EXPECT_TRUE(LastFilter(spy).isEmpty());
}

TEST(FilterPopup, ClearTypesEmptiesBoxesAndApplied) {
    CTimeSliderFilterPopup p;
    for (int t = 1; t <= 3; ++t) p.addType(QIcon(), QString::number(t), t);
    p.clearTypes();
    EXPECT_FALSE(p.hasTypes());
    EXPECT_TRUE(p.typeBoxes().isEmpty());
    EXPECT_TRUE(p.appliedTypes().isEmpty());
    EXPECT_EQ(p.formLayout()->count(), 1);
    p.cancelButton()->click();  // without boxes Cancel only hides
    p.addType(QIcon(), "again", 7);
    int row = -1;
    QFormLayout::ItemRole role;
    p.formLayout()->getWidgetPosition(BoxOfType(p, 7), &row, &role);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(role, QFormLayout::LabelRole);
}

TEST(FilterPopup, PressOutsideActsAsCancelAndStopsThere) {
    CTimeSliderFilterPopup p;
    p.addType(QIcon(), "1", 1);
    p.addType(QIcon(), "2", 2);
    p.move(100, 100);
    p.show();
    BoxOfType(p, 1)->setChecked(false);

    const QPoint inside = p.geometry().center();
    QMouseEvent in(QEvent::MouseButtonPress, p.mapFromGlobal(inside), inside, Qt::LeftButton, Qt::LeftButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &in);
    EXPECT_TRUE(p.isVisible());
    EXPECT_FALSE(p.testAttribute(Qt::WA_NoMouseReplay));

    const QPoint outside = p.geometry().bottomRight() + QPoint(50, 50);
    QMouseEvent out(QEvent::MouseButtonPress, p.mapFromGlobal(outside), outside, Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(&p, &out);
    EXPECT_FALSE(p.isVisible());
    EXPECT_TRUE(p.testAttribute(Qt::WA_NoMouseReplay));
    EXPECT_TRUE(BoxOfType(p, 1)->isChecked());
}

}  // namespace
