// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Item views and models of the toolkit: check boxes kept under a data role,
// a header check box on section 0, and click signals.
#include <QHeaderView>
#include <QMetaType>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTreeView>
#include <QVariant>
#include <QVector>

#include <memory>
#include <vector>

#include "ziraz/controls.h"

namespace ziraz {

// Data roles that the toolkit's views read.
enum ItemDataRole {
    CheckStateDataRole = Qt::UserRole + 104,  // 360: row check state, 0 or 2
    HeaderCheckRole = Qt::UserRole + 130,     // 386: header section shows a check box
    PictureActionRole = Qt::UserRole + 180,   // 436: picture action icon
    LiveViewActionRole = Qt::UserRole + 181,  // 437: live-view action icon
};

// Header that draws a check box in section 0 when the model's header data
// of that section holds HeaderCheckRole = true (the section's title then
// stands right of the box); a click on it toggles the section's
// Qt::CheckStateRole through the model and reports the new state.
class CheckHeaderView : public QHeaderView {
    Q_OBJECT
public:
    explicit CheckHeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);
    bool hasCheckBox() const;
    Qt::CheckState checkState() const;
    // What a click on the box does; returns the new state.
    Qt::CheckState toggleCheckState();
    // Widens every section narrower than its whole title (and check box).
    void fitSectionsToTitles();

signals:
    void SignalCheckStateChanged(Qt::CheckState state);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
};

// Tree-based item view: header check box, click signal, and rows whose check
// state lives under CheckStateDataRole (not user-checkable through the
// delegate) toggle between 0 and 2 when clicked.
class AbstractItemView : public QTreeView {
    Q_OBJECT
public:
    explicit AbstractItemView(QWidget* parent = nullptr);
    void setShowGrid(bool show) { m_grid = show; viewport()->update(); }
    bool showGrid() const { return m_grid; }
    CheckHeaderView* checkHeader() const { return m_header; }
    // The click behaviour of a row, callable without a mouse.
    void clickIndex(const QModelIndex& index);
    // The whole text of the item at `pos` (viewport coordinates) when the
    // item cannot show all of it and has no tool tip of its own; else empty.
    QString clippedText(const QPoint& pos) const;

signals:
    void SignalClicked(const QModelIndex& index);
    void SignalHeaderCheckStateChanged(Qt::CheckState state);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    CheckHeaderView* m_header;
    bool m_grid = true;
};

class TreeView : public AbstractItemView {
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr) : AbstractItemView(parent) {}
};

// Table with the same header check box and click signal.
class TableView : public QTableView {
    Q_OBJECT
public:
    explicit TableView(QWidget* parent = nullptr);
    CheckHeaderView* checkHeader() const { return m_header; }

signals:
    void SignalClicked(const QModelIndex& index);
    void SignalHeaderCheckStateChanged(Qt::CheckState state);

private:
    CheckHeaderView* m_header;
};

// Item model whose header check box (section 0, HeaderCheckRole true) and the
// check boxes of the rows' column 0 stay in step: setting the header state
// to checked or unchecked sets every row; a row change recomputes the header
// (Unchecked when no row is ticked, Checked when all are, else
// PartiallyChecked). A row's check is its CheckStateDataRole value when it
// has one, else its Qt::CheckStateRole.
//
// The model keeps the check of every top-level row and their count, so a
// change of some rows costs time for those rows only, not for the whole
// table: filling a table row by row stays linear in the number of rows.
// Setting the header state sets the rows together and reports them once: a
// layout change (views redraw) and one itemChanged, of the first row, for
// receivers that sum up the ticked rows.
class StandardItemModel : public QStandardItemModel {
    Q_OBJECT
public:
    explicit StandardItemModel(QObject* parent = nullptr);
    StandardItemModel(int rows, int columns, QObject* parent = nullptr);

    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    // Recomputes the header check state from the rows.
    void updateHeaderCheckState();
    Qt::CheckState rowCheckState(int row) const;
    // How many top-level rows are ticked.
    int checkedRowCount() const { return m_checkedRows; }

private:
    void init();
    // Reads the checks of rows first..last again.
    void noteRows(int first, int last);
    // Reads the checks of all rows again.
    void recountRows();
    // Sets the header state from the count (when the header has a box).
    void applyHeaderState();
    bool m_syncing = false;
    std::vector<char> m_rowChecked;  // one per top-level row: ticked or not
    int m_checkedRows = 0;
};

class StandardItem : public QStandardItem {
public:
    StandardItem() = default;
    explicit StandardItem(const QString& text) : QStandardItem(text) {}
    StandardItem(const QIcon& icon, const QString& text) : QStandardItem(icon, text) {}
};

// One row of a TreeViewModel: data per column and role, and child rows.
class TreeViewItem {
public:
    explicit TreeViewItem(TreeViewItem* parent = nullptr);
    ~TreeViewItem();
    TreeViewItem(const TreeViewItem&) = delete;
    TreeViewItem& operator=(const TreeViewItem&) = delete;

    void SetData(int column, int role, const QVariant& value);
    QVariant Data(int column, int role) const;
    int ColumnCount() const;
    TreeViewItem* Parent() const { return m_parent; }
    const std::vector<TreeViewItem*>& Children() const { return m_children; }

private:
    friend class TreeViewModel;
    TreeViewItem* m_parent;
    std::vector<TreeViewItem*> m_children;
    QVector<QMap<int, QVariant>> m_columns;
};

// Check-list model: Qt::CheckStateRole reads and writes CheckStateDataRole.
class TreeViewModel : public StandardItemModel {
    Q_OBJECT
public:
    explicit TreeViewModel(QObject* parent = nullptr);
    ~TreeViewModel() override;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Inserts the row described by `item` (and its children) at `row` under
    // `parent` (appended when row is out of range). The model takes the item.
    bool insertRow(TreeViewItem* item, int row, const QModelIndex& parent = QModelIndex());
    using QStandardItemModel::insertRow;

private:
    void fill(QStandardItem* under, int row, TreeViewItem* item);
    std::vector<std::unique_ptr<TreeViewItem>> m_items;
};

// Delegate that draws no check indicator.
class NoCheckDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit NoCheckDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Table delegate: draws the action icons (PictureActionRole,
// LiveViewActionRole) side by side from the left of the cell.
class TableDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TableDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The action role whose icon lies under x (relative to the cell's left),
    // or 0.
    static int actionAt(const QModelIndex& index, int x);
    static const int kIconSize = 20;
    static const int kIconGap = 8;
};

// A table in a widget with page controls; clicks on action icons report the
// icon's role.
class CMultiPageTableView : public QWidget {
    Q_OBJECT
public:
    explicit CMultiPageTableView(QWidget* parent = nullptr);
    void SetModel(QAbstractItemModel* model);
    void SetSortingEnabled(bool enabled, int column = 0);
    QTreeView* GetTableView() const { return m_view; }
    void UpdatePage();
    // The click behaviour of a cell at x pixels from its left edge.
    void clickCell(const QModelIndex& index, int x);

signals:
    void SignalClicked(const QModelIndex& index, ziraz::ItemDataRole role);

private:
    TreeView* m_view;
};

}  // namespace ziraz

Q_DECLARE_METATYPE(ziraz::ItemDataRole)
