// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <vector>

#include "ziraz/widgets.h"

namespace {

using ziraz::DialogCall;
using ziraz::DialogKind;

TEST(MainWindow, CoverBlocksTheWholeWindowUntilRemoved) {
    ziraz::MainWindow window;
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    QWidget* central = new QWidget;
    QPushButton* button = new QPushButton(QStringLiteral("press"), central);
    button->setGeometry(0, 0, 200, 100);
    window.setCentralWidget(central);
    window.resize(400, 300);
    window.show();
    EXPECT_FALSE(window.isCovered());

    window.enableCover();
    ASSERT_TRUE(window.isCovered());
    EXPECT_EQ(window.cover()->geometry(), window.rect());
    const QPoint onButton = button->mapTo(&window, QPoint(10, 10));
    EXPECT_EQ(window.childAt(onButton), window.cover());
    // A click where the button lies goes to the cover, not the button.
    QSignalSpy clicked(button, &QPushButton::clicked);
    QTest::mouseClick(window.childAt(onButton), Qt::LeftButton, Qt::NoModifier,
                      window.childAt(onButton)->mapFrom(&window, onButton));
    EXPECT_EQ(clicked.count(), 0);

    window.resize(640, 480);
    EXPECT_EQ(window.cover()->geometry(), window.rect());
    window.enableCover();  // a second cover call keeps one cover
    EXPECT_EQ(window.findChildren<QWidget*>(QStringLiteral("ziraz_MainWindowCover")).size(), 1);

    window.disableCover();
    EXPECT_FALSE(window.isCovered());
    EXPECT_EQ(window.childAt(onButton), button);
}

TEST(DialogPresenter, StaticShowsReachThePresenterWithTheirArguments) {
    std::vector<DialogCall> calls;
    ziraz::ScopedDialogPresenter hook([&](const DialogCall& call) -> std::optional<int> {
        calls.push_back(call);
        return call.kind == DialogKind::CheckMessage ? 1 : 0;
    });
    QWidget parent;
    QLabel label;
    const QStringList icons{"ok.png", "info.png", "error.png"};
    EXPECT_EQ(ziraz::WarningDialog::showWarningDialog(2000, 2, "Disk full", &parent, nullptr, &label, icons,
                                                      QSize(310, 120)),
              0);
    EXPECT_EQ(ziraz::WarningDlg::CheckMessageInfo("Exit", "Leave?", &parent), 1);
    EXPECT_EQ(ziraz::WarningDlg::ShowMessageInfo("Hint", "Done", nullptr), 0);
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom("C:/clip.mp4", &parent, true, false, true);
    ziraz::SnapshotInfoWnd::ShowInformationAtScreenRightBottom("C:/shot.jpg", &parent);

    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, DialogKind::Warning);
    EXPECT_EQ(calls[0].number, 2000);
    EXPECT_EQ(calls[0].pictureType, 2);
    EXPECT_EQ(calls[0].text, "Disk full");
    EXPECT_EQ(calls[0].parent, &parent);
    EXPECT_EQ(calls[0].icons, icons);
    EXPECT_EQ(calls[0].size, QSize(310, 120));
    EXPECT_EQ(label.text(), "Disk full");
    EXPECT_EQ(calls[1].kind, DialogKind::CheckMessage);
    EXPECT_EQ(calls[1].title, "Exit");
    EXPECT_EQ(calls[1].text, "Leave?");
    EXPECT_EQ(calls[2].kind, DialogKind::MessageInfo);
    EXPECT_EQ(calls[3].kind, DialogKind::Information);
    EXPECT_TRUE(calls[3].flags[0]);
    EXPECT_FALSE(calls[3].flags[1]);
    EXPECT_TRUE(calls[3].flags[2]);
    EXPECT_EQ(calls[4].kind, DialogKind::SnapshotInfo);
    EXPECT_EQ(calls[4].text, "C:/shot.jpg");
    // Notices answered by the presenter show nothing.
    EXPECT_TRUE(parent.findChildren<ziraz::InformationDlg*>().isEmpty());
}

TEST(DialogPresenter, ModalRunIsAnsweredWithoutBlockingAndRestoredAfterwards) {
    ziraz::BaseDialog dialog(false, false, false, false, true, true, true, nullptr);
    dialog.setTitle("Information");
    {
        QString seenTitle;
        ziraz::ScopedDialogPresenter hook([&](const DialogCall& call) -> std::optional<int> {
            if (call.kind != DialogKind::Modal || call.dialog != &dialog) return std::nullopt;
            seenTitle = call.title;
            return 1;
        });
        EXPECT_EQ(dialog.exec(), 1);
        EXPECT_EQ(dialog.result(), 1);
        EXPECT_EQ(seenTitle, "Information");
    }
    // Without a presenter the real modal loop runs: confirm ends it with 1.
    QTimer::singleShot(0, dialog.confirmButton(), &QPushButton::click);
    EXPECT_EQ(dialog.exec(), 1);
    QTimer::singleShot(0, dialog.cancelButton(), &QPushButton::click);
    EXPECT_EQ(dialog.exec(), 0);
}

TEST(DialogPresenter, PresenterMayLetTheRealDialogRun) {
    int asked = 0;
    ziraz::ScopedDialogPresenter hook([&](const DialogCall&) -> std::optional<int> {
        ++asked;
        return std::nullopt;
    });
    // A timed warning closes itself; the call returns instead of blocking.
    ziraz::WarningDialog::showWarningDialog(20, 0, "Saved.", nullptr);
    EXPECT_EQ(asked, 1);
}

TEST(BaseDialog, CenterWidgetTitleAndConfirmBehaviour) {
    ziraz::BaseDialog dialog(false, false, false, false, true, true, true, nullptr);
    QPointer<QWidget> first = dialog.getSetupUiWidget();
    ASSERT_TRUE(first);
    QWidget* center = new QWidget;
    dialog.setCenterWidget(center);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(dialog.getSetupUiWidget(), center);
    EXPECT_TRUE(dialog.isAncestorOf(center));
    dialog.setTitle("Clip");
    EXPECT_EQ(dialog.title(), "Clip");
    dialog.setConfirmButtonText("Upgrade");
    EXPECT_EQ(dialog.confirmButton()->text(), "Upgrade");
    dialog.setBottomVisible(false);
    EXPECT_FALSE(dialog.isBottomVisible());
    dialog.setBottomVisible(true);

    // With the confirm behaviour off, confirm only signals; cancel ends the run.
    dialog.setConfirmButtonBehavior(false);
    QSignalSpy confirmed(&dialog, &ziraz::BaseDialog::signalConfirmButtonClicked);
    QTimer::singleShot(0, [&]() {
        dialog.confirmButton()->click();
        EXPECT_TRUE(dialog.isVisible());
        dialog.cancelButton()->click();
    });
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(confirmed.count(), 1);
}

TEST(Progress, ConfirmSlotEndsTheModalRun) {
    ziraz::Progress progress;
    progress.OnProgressChanged(2, 5);
    EXPECT_EQ(progress.value(), 3);
    EXPECT_EQ(progress.maximum(), 5);
    QTimer::singleShot(0, &progress, &ziraz::Progress::onConfirmButtonClicked);
    EXPECT_EQ(progress.exec(), 1);
}

TEST(RangeDateTimeEdit, RangeRoundTripsAndOnlyTheOperatorsChoiceSignals) {
    ziraz::RangeDateTimeEdit edit;
    QDateTime start, end;
    edit.getDateTimeRange(start, end);
    EXPECT_EQ(start.time(), QTime(0, 0, 0));
    EXPECT_EQ(end.time(), QTime(23, 59, 59));

    QSignalSpy changed(&edit, &ziraz::RangeDateTimeEdit::signalDataTimeChanged);
    const QDateTime a(QDate(2024, 3, 1), QTime(0, 0, 0)), b(QDate(2024, 3, 19), QTime(23, 59, 59));
    edit.setDateTimeRange(a, b);
    edit.getDateTimeRange(start, end);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, b);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(edit.text(), ziraz::RangeDateTimeEdit::formatText(a, b));

    edit.setDateTimeRange(b, a);  // reversed: swapped
    edit.getDateTimeRange(start, end);
    EXPECT_EQ(start, a);
    EXPECT_EQ(end, b);

    // The pop-up's OK takes its editors' range and reports it.
    QWidget* popup = edit.popup();
    auto editors = popup->findChildren<ziraz::DateTimeEdit*>();
    ASSERT_EQ(editors.size(), 2);
    editors[0]->setDateTime(a.addDays(1));
    editors[1]->setDateTime(b);
    edit.acceptPopupRange();
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toDateTime(), a.addDays(1));
    edit.acceptPopupRange();  // nothing changed: no second report
    EXPECT_EQ(changed.count(), 1);
}

TEST(RangeDateTimeEdit, DayMarksAreRemovedByColour) {
    ziraz::RangeDateTimeEdit edit;
    const QColor red("#fa3239"), blue(Qt::blue);
    edit.setDayMarkColor(QDate(2024, 3, 1), red);
    edit.setDayMarkColor(QDate(2024, 3, 2), red);
    edit.setDayMarkColor(QDate(2024, 3, 3), blue);
    edit.setDayMarkColor(QDate(), red);
    EXPECT_EQ(edit.dayMarks().size(), 3);
    edit.removeAllDayMarkByColor(red);
    ASSERT_EQ(edit.dayMarks().size(), 1);
    EXPECT_EQ(edit.dayMarks().firstKey(), QDate(2024, 3, 3));
}

TEST(RangeDateEdit, DateRangeRoundTrip) {
    ziraz::RangeDateEdit edit;
    edit.SetDateRange(QDate(2024, 3, 19), QDate(2024, 3, 1));
    QDate first, last;
    edit.GetDateRange(first, last);
    EXPECT_EQ(first, QDate(2024, 3, 1));
    EXPECT_EQ(last, QDate(2024, 3, 19));
}

TEST(StandardItemModel, HeaderCheckBoxFollowsTheRowsAndSetsThem) {
    ziraz::StandardItemModel model(0, 2);
    model.setHeaderData(0, Qt::Horizontal, true, ziraz::HeaderCheckRole);
    model.setHeaderData(0, Qt::Horizontal, int(Qt::Unchecked), Qt::CheckStateRole);
    for (int i = 0; i < 3; ++i) {
        QStandardItem* item = new QStandardItem(QString::number(i + 1));
        item->setCheckable(true);
        item->setCheckState(Qt::Unchecked);
        model.appendRow(QList<QStandardItem*>{item, new QStandardItem("x")});
    }
    auto header = [&]() { return model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(); };
    EXPECT_EQ(header(), Qt::Unchecked);
    model.item(1, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(header(), Qt::PartiallyChecked);
    model.setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(model.item(r, 0)->checkState(), Qt::Checked) << r;
    EXPECT_EQ(header(), Qt::Checked);
    model.setHeaderData(0, Qt::Horizontal, int(Qt::Unchecked), Qt::CheckStateRole);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(model.item(r, 0)->checkState(), Qt::Unchecked) << r;

    // The header of a table view toggles through the model.
    ziraz::TableView view;
    view.setModel(&model);
    QSignalSpy spy(&view, &ziraz::TableView::SignalHeaderCheckStateChanged);
    EXPECT_TRUE(view.checkHeader()->hasCheckBox());
    EXPECT_EQ(view.checkHeader()->toggleCheckState(), Qt::Checked);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(model.item(2, 0)->checkState(), Qt::Checked);
}

// The header state as the rows give it, counted afresh.
Qt::CheckState HeaderFromRows(const ziraz::StandardItemModel& model) {
    int checked = 0;
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.rowCheckState(r) == Qt::Checked) ++checked;
    return checked == 0 ? Qt::Unchecked : (checked == model.rowCount() ? Qt::Checked : Qt::PartiallyChecked);
}

QStandardItem* CheckItem(int number, bool checked) {
    QStandardItem* item = new QStandardItem(QString::number(number));
    item->setCheckable(true);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

QList<QStandardItem*> CheckRow(int number, bool checked) {
    return {CheckItem(number, checked), new QStandardItem(QStringLiteral("x%1").arg(number))};
}

// The header keeps up with every kind of change to the rows, one row or many
// at a time, whatever happened before: after each step of the table the
// header state and the count of ticked rows are those of the rows.
TEST(StandardItemModel, HeaderStateFollowsEveryChangeOfTheRows) {
    ziraz::StandardItemModel model(0, 2);
    model.setHeaderData(0, Qt::Horizontal, true, ziraz::HeaderCheckRole);
    model.setHeaderData(0, Qt::Horizontal, int(Qt::Unchecked), Qt::CheckStateRole);
    auto header = [&] { return Qt::CheckState(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt()); };
    const struct Step {
        const char* what;
        std::function<void()> apply;
        Qt::CheckState expected;
    } steps[] = {
        {"rows appended one by one, every third ticked",
         [&] { for (int i = 0; i < 30; ++i) model.appendRow(CheckRow(i, i % 3 == 0)); }, Qt::PartiallyChecked},
        {"ticked rows removed from the middle",
         [&] { for (int r = model.rowCount() - 1; r >= 0; --r) if (model.rowCheckState(r) == Qt::Checked) model.removeRow(r); },
         Qt::Unchecked},
        {"a ticked row inserted at the top", [&] { model.insertRow(0, CheckRow(100, true)); }, Qt::PartiallyChecked},
        {"all rows set through the header", [&] { model.setHeaderData(0, Qt::Horizontal, int(Qt::Checked), Qt::CheckStateRole); },
         Qt::Checked},
        {"one row unticked", [&] { model.item(5, 0)->setCheckState(Qt::Unchecked); }, Qt::PartiallyChecked},
        {"the unticked row's item replaced by a ticked one", [&] { model.setItem(5, 0, CheckItem(5, true)); },
         Qt::Checked},
        {"rows sorted by their text", [&] { model.item(2, 0)->setCheckState(Qt::Unchecked); model.sort(1); },
         Qt::PartiallyChecked},
        {"the unticked row taken out",
         [&] { for (int r = 0; r < model.rowCount(); ++r) if (model.rowCheckState(r) != Qt::Checked) { qDeleteAll(model.takeRow(r)); break; } },
         Qt::Checked},
        {"a column inserted before the check boxes", [&] { model.insertColumn(0); }, Qt::Unchecked},
        {"and removed again", [&] { model.removeColumn(0); }, Qt::Checked},
        {"many rows appended unticked", [&] { for (int i = 0; i < 2000; ++i) model.appendRow(CheckRow(i, false)); },
         Qt::PartiallyChecked},
        {"all rows cleared through the header", [&] { model.setHeaderData(0, Qt::Horizontal, int(Qt::Unchecked), Qt::CheckStateRole); },
         Qt::Unchecked},
        {"the last row ticked", [&] { model.item(model.rowCount() - 1, 0)->setCheckState(Qt::Checked); }, Qt::PartiallyChecked},
        {"all rows removed", [&] { model.removeRows(0, model.rowCount()); }, Qt::Unchecked},
        {"one ticked row appended to the empty table", [&] { model.appendRow(CheckRow(1, true)); }, Qt::Checked},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.apply();
        EXPECT_EQ(HeaderFromRows(model), step.expected);
        EXPECT_EQ(header(), step.expected);
        int checked = 0;
        for (int r = 0; r < model.rowCount(); ++r) checked += model.rowCheckState(r) == Qt::Checked;
        EXPECT_EQ(model.checkedRowCount(), checked);
    }
}

// Setting the header state ticks or clears every row together: views hear of
// it as one layout change, and receivers of itemChanged (the download dialogs
// sum up the ticked rows on each) hear of it once, not once per row. The
// header state is right when they do.
TEST(StandardItemModel, HeaderSetsAllRowsWithOneReport) {
    ziraz::StandardItemModel model(0, 2);
    model.setHeaderData(0, Qt::Horizontal, true, ziraz::HeaderCheckRole);
    const int rows = 20000;
    for (int i = 0; i < rows; ++i) model.appendRow(CheckRow(i, i == 7));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), int(Qt::PartiallyChecked));

    std::vector<std::pair<int, int>> seen;  // (ticked rows, header state) at each itemChanged
    QObject::connect(&model, &QStandardItemModel::itemChanged, [&](QStandardItem*) {
        int ticked = 0;
        for (int r = 0; r < model.rowCount(); ++r) ticked += model.item(r, 0)->checkState() == Qt::Checked;
        seen.emplace_back(ticked, model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt());
    });
    int layouts = 0;
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, [&layouts] { ++layouts; });
    for (const Qt::CheckState state : {Qt::Checked, Qt::Unchecked}) {
        SCOPED_TRACE(state);
        seen.clear();
        const int before = layouts;
        model.setHeaderData(0, Qt::Horizontal, int(state), Qt::CheckStateRole);
        const int ticked = state == Qt::Checked ? rows : 0;
        EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{ticked, int(state)}}));
        EXPECT_EQ(layouts, before + 1);
        EXPECT_EQ(model.checkedRowCount(), ticked);
        EXPECT_EQ(HeaderFromRows(model), state);
    }
    // A row changed afterwards is heard of alone, with the header right.
    seen.clear();
    model.item(123, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, int(Qt::PartiallyChecked)}}));
}

TEST(TreeViewModel, RowsFromItemsAndClickTogglesTheCheckRole) {
    ziraz::TreeViewModel model;
    model.setHeaderData(0, Qt::Horizontal, true, ziraz::HeaderCheckRole);
    for (int n = 1; n <= 3; ++n) {
        ziraz::TreeViewItem* item = new ziraz::TreeViewItem(nullptr);
        item->SetData(0, ziraz::CheckStateDataRole, 0);
        item->SetData(0, Qt::DisplayRole, QString("Channel%1").arg(n));
        item->SetData(0, Qt::UserRole + 1001, n);
        ASSERT_TRUE(model.insertRow(item, model.rowCount(), QModelIndex()));
    }
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(2, 0).data().toString(), "Channel3");
    EXPECT_EQ(model.index(2, 0).data(Qt::UserRole + 1001).toInt(), 3);
    EXPECT_EQ(model.index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);

    ziraz::TreeView view;
    view.setModel(&model);
    QSignalSpy clicked(&view, &ziraz::AbstractItemView::SignalClicked);
    view.clickIndex(model.index(1, 0));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(model.index(1, 0).data(ziraz::CheckStateDataRole).toInt(), Qt::Checked);
    EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt(), Qt::PartiallyChecked);
    view.clickIndex(model.index(1, 0));
    EXPECT_EQ(model.index(1, 0).data(ziraz::CheckStateDataRole).toInt(), Qt::Unchecked);

    QSignalSpy header(&view, &ziraz::AbstractItemView::SignalHeaderCheckStateChanged);
    view.checkHeader()->toggleCheckState();
    ASSERT_EQ(header.count(), 1);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(model.index(r, 0).data(ziraz::CheckStateDataRole).toInt(), Qt::Checked);
}

TEST(CMultiPageTableView, ClickOnAnActionIconReportsItsRole) {
    QStandardItemModel model(1, 1);
    QStandardItem* item = new QStandardItem;
    item->setData(QPixmap(4, 4), ziraz::PictureActionRole);
    item->setData(QPixmap(4, 4), ziraz::LiveViewActionRole);
    model.setItem(0, 0, item);
    ziraz::CMultiPageTableView table;
    table.SetModel(&model);
    ASSERT_EQ(table.GetTableView()->model(), &model);
    QSignalSpy spy(&table, &ziraz::CMultiPageTableView::SignalClicked);
    const int icon = ziraz::TableDelegate::kIconSize, gap = ziraz::TableDelegate::kIconGap;
    table.clickCell(model.index(0, 0), gap + 1);
    table.clickCell(model.index(0, 0), gap + icon + gap + 1);
    table.clickCell(model.index(0, 0), 1);  // between icons: nothing
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(1).value<ziraz::ItemDataRole>(), ziraz::PictureActionRole);
    EXPECT_EQ(spy.at(1).at(1).value<ziraz::ItemDataRole>(), ziraz::LiveViewActionRole);
}

TEST(Toolkit, IndependentWindowOfAWidget) {
    EXPECT_EQ(ziraz::GetIndependentWindow(nullptr), nullptr);
    ziraz::MainWindow window;
    QWidget* inner = new QWidget;
    QLabel* label = new QLabel(inner);
    window.setCentralWidget(inner);
    EXPECT_EQ(ziraz::GetIndependentWindow(label), &window);
    EXPECT_EQ(ziraz::GetIndependentWindow(label, "ziraz::MainWindow"), &window);
    EXPECT_EQ(ziraz::GetIndependentWindow(label, "QDialog"), nullptr);
}

TEST(Toolkit, LeftRightLayoutPlacesRowsAndClears) {
    QWidget holder;
    ziraz::LeftRightLayout* layout = new ziraz::LeftRightLayout(&holder);
    layout->setItemCount(2);
    QVector<ziraz::CheckBox*> boxes;
    for (int i = 0; i < 3; ++i) boxes << new ziraz::CheckBox(QString("Disk %1").arg(i), &holder);
    layout->addWidget(boxes);
    int row = -1, column = -1, rs, cs;
    layout->getItemPosition(2, &row, &column, &rs, &cs);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(column, 0);
    QPointer<ziraz::CheckBox> first = boxes[0];
    layout->clear();
    EXPECT_EQ(layout->count(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
}

TEST(ShareTools, ClearLayoutEmptiesNestedLayoutsAndDebugMessageCanBeCaptured) {
    QWidget holder;
    QVBoxLayout* layout = new QVBoxLayout(&holder);
    QPointer<QLabel> a = new QLabel("a", &holder);
    QPointer<QLabel> b = new QLabel("b", &holder);
    QHBoxLayout* inner = new QHBoxLayout;
    layout->addWidget(a);
    layout->addLayout(inner);
    inner->addWidget(b);
    ShareTools::clearLayout(layout);
    EXPECT_EQ(layout->count(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    ShareTools::clearLayout(nullptr);

    QStringList lines;
    auto old = ShareTools::setDebugMessageHandler([&](const QString& line) { lines << line; });
    ShareTools::debugMessage("connect failure! a.cpp:1 in f");
    ShareTools::setDebugMessageHandler(old);
    EXPECT_EQ(lines, QStringList{"connect failure! a.cpp:1 in f"});
}

TEST(FancyTitle, DoubleClickTogglesMaximisedWhenEnabled) {
    QWidget window;
    QVBoxLayout* layout = new QVBoxLayout(&window);
    ziraz::FancyTitle* title = new ziraz::FancyTitle(&window);
    layout->addWidget(title);
    window.resize(300, 200);
    window.show();
    QSignalSpy spy(title, &ziraz::FancyTitle::SignalDoubleClicked);
    QTest::mouseDClick(title, Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(ziraz::WidgetSizeFactory::isWindowMaximized(&window));
    title->SetOpenDoubleClickEnable(true);
    title->OnImitateDoubleClick();
    EXPECT_TRUE(ziraz::WidgetSizeFactory::isWindowMaximized(&window));
    title->OnImitateDoubleClick();
    EXPECT_FALSE(ziraz::WidgetSizeFactory::isWindowMaximized(&window));
}

// The title of the check box's section stands right of the box: the
// section asks for the box, a gap and the whole title, and the title adds no
// pixel where the box is drawn.
TEST(ItemViewLayout, TitleOfTheCheckBoxSectionStandsBesideTheBox) {
    ziraz::StandardItemModel model(1, 2);
    model.setHeaderData(0, Qt::Horizontal, QStringLiteral("All"));
    model.setHeaderData(1, Qt::Horizontal, QStringLiteral("Name"));
    ziraz::TreeView withBox;
    ziraz::TreeView plain;
    withBox.setModel(&model);
    plain.setModel(&model);
    const int plainSize = plain.checkHeader()->sectionSizeHint(0);
    model.setHeaderData(0, Qt::Horizontal, 1, ziraz::HeaderCheckRole);
    ziraz::CheckHeaderView* header = withBox.checkHeader();
    const int box = header->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    EXPECT_GE(header->sectionSizeHint(0), plainSize + box);
    withBox.resize(400, 200);
    withBox.show();
    header->resizeSection(0, 0);
    header->fitSectionsToTitles();
    QApplication::processEvents();
    EXPECT_GE(header->sectionSize(0), header->sectionSizeHint(0));
    const QImage titled = header->grab().toImage();
    model.setHeaderData(0, Qt::Horizontal, QString());
    QApplication::processEvents();
    const QImage bare = header->grab().toImage();
    ASSERT_EQ(titled.size(), bare.size());
    int boxColumnsChanged = 0, titleColumnsChanged = 0;
    for (int x = 0; x < header->sectionSize(0); ++x) {
        bool changed = false;
        for (int y = 0; y < titled.height() && !changed; ++y) changed = titled.pixel(x, y) != bare.pixel(x, y);
        if (changed) ++(x <= 4 + box + 1 ? boxColumnsChanged : titleColumnsChanged);
    }
    EXPECT_EQ(boxColumnsChanged, 0);
    EXPECT_GT(titleColumnsChanged, 0);
}

// A label with an elided text shows what fits, the whole text as its tool
// tip; wide enough it shows the whole text and no tool tip of its own.
TEST(Label, ElidedTextKeepsTheWholeTextAsToolTip) {
    ziraz::Label label;
    const QString text = QStringLiteral("Window01:DVR Video_Channel1");
    label.setElidedText(text);
    label.resize(60, 20);
    label.show();
    QApplication::processEvents();
    EXPECT_NE(label.text(), text);
    EXPECT_TRUE(label.text().endsWith(QChar(0x2026)));
    EXPECT_LE(label.fontMetrics().horizontalAdvance(label.text()), 60);
    EXPECT_EQ(label.toolTip(), text);
    EXPECT_EQ(label.wholeText(), text);
    label.resize(label.wholeTextWidth() + 10, 20);
    QApplication::processEvents();
    EXPECT_EQ(label.text(), text);
    EXPECT_TRUE(label.toolTip().isEmpty());
    // A tool tip of the owner's stays.
    label.setToolTip(QStringLiteral("own"));
    label.resize(60, 20);
    QApplication::processEvents();
    EXPECT_EQ(label.toolTip(), QStringLiteral("own"));
}

// The notice of a snapshot shows the picture and, under it, where it was
// saved; notices shown together stand one above the other.
TEST(Notices, SnapshotNoticeNamesThePathAndNoticesDoNotCoverEachOther) {
    QWidget parent;
    parent.resize(800, 600);
    parent.show();
    const QString path = QDir::temp().filePath(QStringLiteral("ziraz_notice_shot.png"));
    QImage shot(320, 180, QImage::Format_RGB32);
    shot.fill(Qt::darkCyan);
    ASSERT_TRUE(shot.save(path));
    ziraz::SnapshotInfoWnd::ShowInformationAtScreenRightBottom(path, &parent);
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(QStringLiteral("second"), &parent, false, true, false);
    QApplication::processEvents();
    const QList<ziraz::InformationDlg*> notes = parent.findChildren<ziraz::InformationDlg*>();
    ASSERT_EQ(notes.size(), 2);
    ziraz::InformationDlg* snapshot = notes[0]->text().contains(QStringLiteral("<img")) ? notes[0] : notes[1];
    ziraz::InformationDlg* other = snapshot == notes[0] ? notes[1] : notes[0];
    EXPECT_TRUE(snapshot->text().contains(path.toHtmlEscaped())) << snapshot->text().toStdString();
    EXPECT_EQ(snapshot->toolTip(), path);
    EXPECT_FALSE(snapshot->frameGeometry().intersects(other->frameGeometry()));
    EXPECT_LT(other->geometry().bottom(), snapshot->geometry().top());
    for (auto* n : notes) n->close();
    QFile::remove(path);
}

// The notice of a saved file shows the file's name whole, whatever the
// length of the path: only the folder is shortened, and a name wider than a
// line goes on over the next lines. Each line fits the notice.
TEST(Notices, APathNoticeShowsTheFileNameWhole) {
    QWidget parent;
    parent.resize(800, 600);
    parent.show();
    const QString deep = QStringLiteral("/media/operator/evidence/") + QString(12, QLatin1Char('x')).replace(
                                                                           QLatin1String("x"), QLatin1String("case-folder/"));
    const struct {
        const char* what;
        QString folder;
        QString name;
        bool whole;   // the path on one line as it is
    } cases[] = {
        {"short", QStringLiteral("/tmp/clips/"), QStringLiteral("ch01.mp4"), true},
        {"deep folder", deep, QStringLiteral("20240301080000_20240301080030_12_Disk2(F).mp4"), false},
        {"long name", QStringLiteral("/tmp/"),
         QString(6, QLatin1Char('y')).replace(QLatin1String("y"), QLatin1String("20240301080000_20240301080030_"))
             + QStringLiteral("16.mp4"), false},
        {"chinese", deep, QString::fromUtf8("20240301080000_20240301080030_03_\xe7\xa3\x81\xe7\x9b\x98" "1(E).mp4"),
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = c.folder + c.name;
        ziraz::InformationDlg* note =
            ziraz::InformationDlg::ShowInformationAtScreenRightBottom(path, &parent, true, true, false);
        ASSERT_NE(note, nullptr);
        QApplication::processEvents();
        EXPECT_EQ(note->toolTip(), path);
        const QStringList lines = note->text().split(QLatin1Char('\n'));
        if (c.whole) {
            EXPECT_EQ(lines, QStringList{path});
        } else {
            // The lines after the folder's hold the name, whole.
            EXPECT_EQ(lines.mid(1).join(QString()), c.name);
            EXPECT_TRUE(lines.first().endsWith(QLatin1Char('/')));
        }
        const int room = note->contentsRect().width() - 2 * note->margin();
        for (const QString& line : lines)
            EXPECT_LE(note->fontMetrics().horizontalAdvance(line), room) << line.toStdString();
        note->close();
    }
}

}  // namespace

// Item views show whole titles: sections widen to their titles, the last
// column of a table and of a tree takes the free width.
TEST(ItemViewLayout, SectionsFitTheirTitlesAndTheLastOneStretches) {
    const QStringList titles = {"", "Start Time", "End Time", "Size", "Download status",
                                QString::fromUtf8("\xe4\xb8\x8b\xe8\xbd\xbd\xe7\x8a\xb6\xe6\x80\x81")};
    ziraz::StandardItemModel model(1, titles.size());
    for (int i = 0; i < titles.size(); ++i) model.setHeaderData(i, Qt::Horizontal, titles[i]);
    model.setHeaderData(0, Qt::Horizontal, 1, ziraz::HeaderCheckRole);
    ziraz::TableView table;
    ziraz::TreeView tree;
    const struct {
        const char* kind;
        QAbstractItemView* view;
        ziraz::CheckHeaderView* header;
    } views[] = {{"table", &table, table.checkHeader()}, {"tree", &tree, tree.checkHeader()}};
    for (const auto& v : views) {
        SCOPED_TRACE(v.kind);
        v.view->setModel(&model);
        v.view->resize(1200, 200);
        v.view->show();
        for (int i = 0; i < titles.size(); ++i) v.header->resizeSection(i, 30);
        v.header->fitSectionsToTitles();
        QApplication::processEvents();
        for (int i = 1; i < titles.size(); ++i) {
            SCOPED_TRACE(titles[i].toStdString());
            EXPECT_GE(v.header->sectionSize(i), v.header->fontMetrics().horizontalAdvance(titles[i]));
        }
        EXPECT_GT(v.header->sectionSize(0), 30);  // the check box has room
        const int last = titles.size() - 1;
        EXPECT_EQ(v.header->sectionViewportPosition(last) + v.header->sectionSize(last), v.header->viewport()->width());
    }
}
