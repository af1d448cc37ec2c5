// SPDX-License-Identifier: GPL-3.0-or-later
// The result tree widgets (holder, view, delegate) and the picture preview
// loader of the search panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include "SearchBar/ChaseTree.h"
#include "caldrune/caldrune.h"
#include "SearchBar/PictureShowLabel.h"
#include "kel_test/test_support.h"

namespace {

// Records the drags instead of running them.
class RecordingTreeView : public GroupTreeView {
public:
    QStringList drags;

protected:
    void runDrag(QDrag*) override { drags << dragPixmapPath(); }
};

QStandardItem* Item(const QString& text, const char* kind) {
    auto* item = new QStandardItem(text);
    item->setData(QString::fromLatin1(kind), ResultTree::kItemKindRole);
    return item;
}

// device > channel1 > two files; channel2 > one file.
void Fill(QStandardItemModel* model) {
    QStandardItem* device = Item("DVR", "device");
    QStandardItem* ch1 = Item("channel1", "channel");
    ch1->appendRow(Item("f1", "file"));
    ch1->appendRow(Item("f2", "file"));
    QStandardItem* ch2 = Item("channel2", "channel");
    ch2->appendRow(Item("f3", "file"));
    device->appendRow(ch1);
    device->appendRow(ch2);
    model->appendRow(device);
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

QByteArray Jpeg(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

class TreeWidgets : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(&model);
        view.setModel(&model);
        view.setSelectionMode(QAbstractItemView::ExtendedSelection);
        view.setDragEnabled(true);
        view.resize(300, 300);
        view.expandAll();
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QModelIndex Index(int device, int channel = -1, int file = -1) {
        QModelIndex i = model.index(device, 0);
        if (channel >= 0) i = model.index(channel, 0, i);
        if (file >= 0) i = model.index(file, 0, i);
        return i;
    }
    QPoint Center(const QModelIndex& i) { return view.visualRect(i).center(); }

    QStandardItemModel model;
    RecordingTreeView view;
};

}  // namespace

TEST_F(TreeWidgets, DoubleClickReportsEveryKindButNotEmptySpace) {
    QSignalSpy spy(&view, &GroupTreeView::signalItemDoubleClicked);
    for (const QModelIndex& i : {Index(0), Index(0, 0), Index(0, 0, 1)}) {
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, Center(i));
        ASSERT_FALSE(spy.isEmpty());
        EXPECT_EQ(spy.takeLast().at(0).value<QModelIndex>(), i);
    }
    spy.clear();
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 290));
    EXPECT_TRUE(spy.isEmpty());
    // No expand or collapse on a double-click.
    EXPECT_TRUE(view.isExpanded(Index(0, 0)));
}

TEST_F(TreeWidgets, ShiftArrowsDoNotExtendTheSelection) {
    view.setCurrentIndex(Index(0, 0));
    QTest::keyClick(view.viewport(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(view.currentIndex(), Index(0, 0));
    EXPECT_EQ(view.selectionModel()->selectedIndexes().size(), 1);
    QTest::keyClick(view.viewport(), Qt::Key_Down);
    EXPECT_EQ(view.currentIndex(), Index(0, 0, 0));
}

TEST_F(TreeWidgets, DragPictureFollowsTheSelectionAndNeedsAPlainMove) {
    const QPoint from = Center(Index(0, 0, 0));
    const QPoint far = from + QPoint(0, QApplication::startDragDistance() + 5);
    auto select = [&](std::initializer_list<QModelIndex> rows) {
        view.selectionModel()->clearSelection();
        for (const QModelIndex& i : rows) view.selectionModel()->select(i, QItemSelectionModel::Select);
    };

    SendMouse(view.viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton);
    select({Index(0, 0, 0), Index(0, 1)});
    // Below the drag distance, or with a modifier held: nothing.
    SendMouse(view.viewport(), QEvent::MouseMove, from + QPoint(1, 0), Qt::LeftButton);
    for (Qt::KeyboardModifier m : {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier})
        SendMouse(view.viewport(), QEvent::MouseMove, far, Qt::LeftButton, m);
    EXPECT_TRUE(view.drags.isEmpty());

    SendMouse(view.viewport(), QEvent::MouseMove, far, Qt::LeftButton);
    select({Index(0, 0, 0), Index(0, 1), Index(0)});
    SendMouse(view.viewport(), QEvent::MouseMove, far, Qt::LeftButton);
    EXPECT_EQ(view.drags, (QStringList{ResultTree::kChannelPixmap, ResultTree::kDevicePixmap}));
}

TEST(ChaseTreeHolder, ForwardsToItsViewAndRelaysDoubleClicks) {
    ChaseTree holder;
    QStandardItemModel model;
    Fill(&model);
    holder.setSelectionMode(QAbstractItemView::ExtendedSelection);
    holder.setDragEnabled(true);
    holder.setModel(&model);
    EXPECT_EQ(holder.count(), 1);
    EXPECT_EQ(holder.treeView()->model(), &model);
    EXPECT_TRUE(holder.treeView()->dragEnabled());
    EXPECT_EQ(holder.treeView()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(holder.treeView()->isHeaderHidden());
    EXPECT_NE(qobject_cast<TreeviewDelegate*>(holder.treeView()->itemDelegate()), nullptr);
    holder.setCurrentPage(true);
    EXPECT_EQ(holder.QStackedWidget::currentIndex(), 0);

    const QModelIndex channel = model.index(0, 0, model.index(0, 0));
    holder.selectionModel()->select(channel, QItemSelectionModel::Select);
    EXPECT_TRUE(holder.isSelected(channel));
    EXPECT_EQ(holder.selectedRows(0), QModelIndexList{channel});

    QSignalSpy spy(&holder, &ChaseTree::signalSendItemDoubleClicked);
    emit holder.treeView()->signalItemDoubleClicked(channel);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QModelIndex>(), channel);
}

TEST(PicturePreview, JpegAfterAHeaderAndOtherFormatsByPath) {
    const QString folder = kel_test::ProgramFolder() + "/pictures";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString headed = folder + "/headed.pic";
    ASSERT_TRUE(kel_test::WriteFile(headed, QByteArray("HEADER--", 8) + Jpeg(32, 24)));
    EXPECT_EQ(loadPicturePixmap(headed).size(), QSize(32, 24));

    QImage png(20, 10, QImage::Format_ARGB32);
    png.fill(Qt::blue);
    ASSERT_TRUE(png.save(folder + "/plain.png"));
    EXPECT_EQ(loadPicturePixmap(folder + "/plain.png").size(), QSize(20, 10));

    ASSERT_TRUE(kel_test::WriteFile(folder + "/broken.jpg", QByteArray("\xff\xd8garbage", 9)));
    EXPECT_TRUE(loadPicturePixmap(folder + "/broken.jpg").isNull());
    EXPECT_TRUE(loadPicturePixmap(folder + "/missing.jpg").isNull());
    EXPECT_TRUE(loadPicturePixmap(QString()).isNull());
}

TEST(PicturePreview, ViewerCopyIsWrittenBesideThePicture) {
    const QString folder = kel_test::ProgramFolder() + "/viewer";
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(PictureShowLabel::tempCopyPath(folder + "/a.b.jpg"), folder + "/a_temp.jpg");
    ASSERT_TRUE(kel_test::WriteFile(folder + "/a.b.jpg", QByteArray(4, 'x') + Jpeg(16, 16)));
    PictureShowLabel label;
    EXPECT_TRUE(label.saveTempCopy().isEmpty());
    label.setPicturePath(folder + "/a.b.jpg");
    EXPECT_EQ(label.saveTempCopy(), folder + "/a_temp.jpg");
    EXPECT_FALSE(QImage(folder + "/a_temp.jpg").isNull());
}

// The tree's one column fills the view at every width, every row keeps its
// whole text, and a row too long for the view tells its text as a tool tip.
TEST(ResultTreeLayout, ColumnFillsTheViewAndClippedRowsGiveTheirText) {
    const QString fileText = "2026-12-10 00:00:00~2026-12-10 00:01:00";
    const struct {
        int width;
        bool fileClipped;
    } cases[] = {{900, false}, {200, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        QStandardItemModel model;
        QStandardItem* device = Item("DVR Vehicle 01", "device");
        QStandardItem* channel = Item("channel1", "channel");
        channel->appendRow(Item(fileText, "file"));
        device->appendRow(channel);
        model.appendRow(device);
        ChaseTree tree;
        tree.setModel(&model);
        tree.resize(c.width, 300);
        tree.show();
        tree.expandAll();
        QApplication::processEvents();
        GroupTreeView* view = tree.treeView();
        EXPECT_EQ(view->columnWidth(0), view->viewport()->width());

        const QModelIndex dev = model.index(0, 0);
        const QModelIndex ch = model.index(0, 0, dev);
        const QModelIndex file = model.index(0, 0, ch);
        const struct {
            QModelIndex index;
            QString text;
            bool clipped;
        } rows[] = {{dev, "DVR Vehicle 01", false}, {ch, "channel1", false}, {file, fileText, c.fileClipped}};
        for (const auto& r : rows) {
            SCOPED_TRACE(r.text.toStdString());
            EXPECT_EQ(r.index.data().toString(), r.text);
            const QRect rect = view->visualRect(r.index);
            ASSERT_TRUE(rect.isValid());
            const QString tip = view->clippedText(rect.center());
            EXPECT_EQ(tip, r.clipped ? r.text : QString());
            if (!r.clipped) {  // the whole text is drawn inside the view
                EXPECT_LE(rect.left() + view->fontMetrics().horizontalAdvance(r.text), view->viewport()->width());
            }
        }
    }
}

namespace {

// A recording row of the day the tree's page shows is drawn without that
// date; its whole text stays the row's text.
TEST(ResultTreeLayout, RowsOfThePagesDayAreDrawnWithoutTheDate) {
    const QDate day(2026, 12, 10);
    const struct {
        const char* text;
        QDate day;
        const char* shown;
    } cases[] = {
        {"2026-12-10 08:00:00~2026-12-10 08:01:00  Disk 1 (E:)", day, "08:00:00~08:01:00  Disk 1 (E:)"},
        {"2026-12-10  08:00:00~2026-12-10  08:01:00", day, "08:00:00~08:01:00"},  // after a filter change
        {"2026-12-10 23:59:00~2026-12-11 00:01:00", day, "2026-12-10 23:59:00~2026-12-11 00:01:00"},
        {"2026-12-10 08:00:00~2026-12-10 08:01:00", day.addDays(1), "2026-12-10 08:00:00~2026-12-10 08:01:00"},
        {"2026-12-10 08:00:00~2026-12-10 08:01:00", QDate(), "2026-12-10 08:00:00~2026-12-10 08:01:00"},
        {"channel1", day, "channel1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TreeviewDelegate::ShownText(c.text, c.day), QString::fromLatin1(c.shown));
    }

    // In the search panel's width (in the programs' font) a row with its
    // disk shows whole once the page's day is known; before, it is cut and
    // tells its text.
    const QFont before = QApplication::font();
    apt::ToolApplicationHull::ApplyProgramFont();
    const QString fileText = "2026-12-10 08:00:00~2026-12-10 08:01:00  Disk 1 (E:)";
    QStandardItemModel model;
    QStandardItem* device = Item("DVR Vehicle 01", "device");
    QStandardItem* channel = Item("channel1", "channel");
    channel->appendRow(Item(fileText, "file"));
    device->appendRow(channel);
    model.appendRow(device);
    ChaseTree tree;
    tree.setModel(&model);
    tree.resize(295, 300);
    tree.show();
    tree.expandAll();
    QApplication::processEvents();
    GroupTreeView* view = tree.treeView();
    const QModelIndex file = model.index(0, 0, model.index(0, 0, model.index(0, 0)));
    const QRect rect = view->visualRect(file);
    ASSERT_TRUE(rect.isValid());
    EXPECT_EQ(view->clippedText(rect.center()), fileText);
    tree.setShownDay(day);
    EXPECT_EQ(tree.shownDay(), day);
    EXPECT_EQ(view->clippedText(rect.center()), QString());
    EXPECT_EQ(file.data().toString(), fileText);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = rect;
    EXPECT_LE(view->itemDelegate(file)->sizeHint(option, file).width(), rect.width());
    QApplication::setFont(before);
}

}  // namespace
