// SPDX-License-Identifier: GPL-3.0-or-later
// The picture list: the path of the first selected row goes out on every
// selection change, also when the same row is chosen again.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalSpy>

#include "search/PictureListModel.h"
#include "PictureShow/PictureShowView.h"

namespace {

struct Fixture {
    Fixture() {
        for (int i = 0; i < 3; ++i)
            model.appendPicture({QString("/pics/Other/ch01_2024-03-01 08-00-0%1.jpg").arg(i),
                                 QString("ch01_2024-03-01 08-00-0%1.jpg").arg(i)});
        view.setModel(&model);
        view.setScrollBarStyle();
        QObject::connect(&model, &PictureShowModel::signalSelect, &view, &PictureShowView::onSelectPicture);
    }
    PictureShowModel model;
    PictureShowView view;
};

}  // namespace

TEST(PictureShowView, SelectionSendsThePathOfTheFirstSelectedRow) {
    Fixture f;
    QSignalSpy spy(&f.view, &PictureShowView::signalCurrentPicture);
    f.view.onSelectPicture(1);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toString(), "/pics/Other/ch01_2024-03-01 08-00-01.jpg");

    // The same row again: cleared and selected afresh, so it is sent again.
    f.view.onSelectPicture(1);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toString(), "/pics/Other/ch01_2024-03-01 08-00-01.jpg");
    spy.clear();

    // Several rows: the first in model order.
    f.view.setSelectionMode(QAbstractItemView::MultiSelection);
    f.view.selectionModel()->select(f.model.index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.takeFirst().at(0).toString(), "/pics/Other/ch01_2024-03-01 08-00-01.jpg");

    // Nothing selected: nothing sent.
    f.view.selectionModel()->clearSelection();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_FALSE(f.view.horizontalHeader()->isVisible());
    EXPECT_EQ(f.view.verticalHeader()->defaultSectionSize(), 28);
}

TEST(PictureShowView, ModelTimeLookupSelectsTheRow) {
    Fixture f;
    QSignalSpy spy(&f.view, &PictureShowView::signalCurrentPicture);
    const QDateTime t(QDate(2024, 3, 1), QTime(8, 0, 2));
    f.model.selectByTime(t.toTime_t());
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.last().at(0).toString(), "/pics/Other/ch01_2024-03-01 08-00-02.jpg");
}
