// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/itemviews.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QToolTip>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QStyleOptionButton>

#include <algorithm>

namespace ziraz {

namespace {

QRect CheckBoxRect(const QRect& section, const QWidget* widget) {
    QStyleOptionButton option;
    const QRect box = widget->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, widget);
    return QRect(section.x() + 4, section.y() + (section.height() - box.height()) / 2, box.width(), box.height());
}

bool RegisterRoleType() {
    qRegisterMetaType<ziraz::ItemDataRole>("ziraz::ItemDataRole");
    qRegisterMetaType<Qt::CheckState>("Qt::CheckState");
    return true;
}
[[maybe_unused]] const bool g_roleTypeRegistered = RegisterRoleType();

}  // namespace

// --- header ---------------------------------------------------------------

CheckHeaderView::CheckHeaderView(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
}

bool CheckHeaderView::hasCheckBox() const {
    return model() && model()->headerData(0, orientation(), HeaderCheckRole).toBool();
}

Qt::CheckState CheckHeaderView::checkState() const {
    if (!model()) return Qt::Unchecked;
    return static_cast<Qt::CheckState>(model()->headerData(0, orientation(), Qt::CheckStateRole).toInt());
}

Qt::CheckState CheckHeaderView::toggleCheckState() {
    const Qt::CheckState next = checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
    if (model()) model()->setHeaderData(0, orientation(), static_cast<int>(next), Qt::CheckStateRole);
    viewport()->update();
    emit SignalCheckStateChanged(next);
    return next;
}

void CheckHeaderView::fitSectionsToTitles() {
    if (!model()) return;
    for (int i = 0; i < count(); ++i) {
        int needed = sectionSizeFromContents(i).width();
        if (i == 0 && hasCheckBox()) needed = qMax(needed, CheckBoxRect(QRect(), this).width() + 8);
        if (sectionSize(i) < needed) resizeSection(i, needed);
    }
}

QSize CheckHeaderView::sectionSizeFromContents(int logicalIndex) const {
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    // The title of the box's section is drawn right of the box.
    if (logicalIndex == 0 && hasCheckBox()) size.rwidth() += CheckBoxRect(QRect(), this).width() + 8;
    return size;
}

void CheckHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (logicalIndex == 0 && hasCheckBox() && rect.isValid()) {
        // The section's face, then its title right of the box, not under it.
        QStyleOptionHeader header;
        initStyleOption(&header);
        header.rect = rect;
        header.section = 0;
        header.text = model()->headerData(0, orientation(), Qt::DisplayRole).toString();
        const QVariant align = model()->headerData(0, orientation(), Qt::TextAlignmentRole);
        header.textAlignment = align.isValid() ? Qt::Alignment(align.toInt()) : defaultAlignment();
        header.position = count() == 1 ? QStyleOptionHeader::OnlyOneSection : QStyleOptionHeader::Beginning;
        header.sortIndicator = QStyleOptionHeader::None;
        painter->save();
        style()->drawControl(QStyle::CE_HeaderSection, &header, painter, this);
        header.rect.setLeft(CheckBoxRect(rect, this).right() + 5);
        style()->drawControl(QStyle::CE_HeaderLabel, &header, painter, this);
        painter->restore();
    } else {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
    }
    if (logicalIndex != 0 || !hasCheckBox()) return;
    QStyleOptionButton option;
    option.rect = CheckBoxRect(rect, this);
    option.state = QStyle::State_Enabled;
    switch (checkState()) {
    case Qt::Checked: option.state |= QStyle::State_On; break;
    case Qt::PartiallyChecked: option.state |= QStyle::State_NoChange; break;
    default: option.state |= QStyle::State_Off; break;
    }
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, this);
}

void CheckHeaderView::mousePressEvent(QMouseEvent* event) {
    const int section = logicalIndexAt(event->pos());
    if (section == 0 && hasCheckBox() && event->button() == Qt::LeftButton) {
        const QRect rect(sectionViewportPosition(0), 0, sectionSize(0), height());
        if (CheckBoxRect(rect, this).contains(event->pos())) {
            toggleCheckState();
            return;
        }
    }
    QHeaderView::mousePressEvent(event);
}

// --- views ----------------------------------------------------------------

AbstractItemView::AbstractItemView(QWidget* parent) : QTreeView(parent), m_header(new CheckHeaderView(Qt::Horizontal, this)) {
    // A tree's own header stretches its last column over the free width and
    // aligns its titles left; the replacement keeps that.
    m_header->setStretchLastSection(true);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHeader(m_header);
    connect(m_header, &CheckHeaderView::SignalCheckStateChanged, this, &AbstractItemView::SignalHeaderCheckStateChanged);
}

void AbstractItemView::clickIndex(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QModelIndex first = index.sibling(index.row(), 0);
    QAbstractItemModel* m = model();
    // Rows that keep their check under the toolkit's role and are not
    // checkable through the delegate toggle on a click of the row.
    if (m && first.data(CheckStateDataRole).isValid() && !(m->flags(first) & Qt::ItemIsUserCheckable)) {
        const int state = first.data(CheckStateDataRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked;
        m->setData(first, state, CheckStateDataRole);
    }
    emit SignalClicked(index);
}

void AbstractItemView::mouseReleaseEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid()) clickIndex(index);
}

QString AbstractItemView::clippedText(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || index.data(Qt::ToolTipRole).isValid()) return QString();
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return QString();
    QStyleOptionViewItem option = viewOptions();
    option.rect = visualRect(index);
    const int needed = itemDelegate(index)->sizeHint(option, index).width();
    const int shown = qMin(option.rect.right(), viewport()->width() - 1) - option.rect.left() + 1;
    return needed > shown ? text : QString();
}

bool AbstractItemView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = clippedText(help->pos());
        if (!text.isEmpty()) {
            QToolTip::showText(help->globalPos(), text, viewport(), visualRect(indexAt(help->pos())));
            return true;
        }
    }
    return QTreeView::viewportEvent(event);
}

TableView::TableView(QWidget* parent) : QTableView(parent), m_header(new CheckHeaderView(Qt::Horizontal, this)) {
    // The last column takes the free width, so that a status column at the
    // end shows its texts.
    m_header->setStretchLastSection(true);
    setHorizontalHeader(m_header);
    // The tables number their rows in a column of their own where they
    // number them at all: no second number in a row header.
    verticalHeader()->hide();
    connect(m_header, &CheckHeaderView::SignalCheckStateChanged, this, &TableView::SignalHeaderCheckStateChanged);
    connect(this, &QTableView::clicked, this, &TableView::SignalClicked);
}

// --- models ---------------------------------------------------------------

StandardItemModel::StandardItemModel(QObject* parent) : QStandardItemModel(parent) { init(); }

StandardItemModel::StandardItemModel(int rows, int columns, QObject* parent)
    : QStandardItemModel(rows, columns, parent) {
    init();
}

void StandardItemModel::init() {
    // Connected first, so that the header state is up to date for every
    // other receiver of the same signals.
    connect(this, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (!item || item->column() != 0 || item->parent()) return;
        const int row = item->row();
        noteRows(row, row);
        if (!m_syncing) applyHeaderState();
    });
    connect(this, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (parent.isValid()) return;
        const size_t added = size_t(last - first + 1);
        if (first < 0 || size_t(first) > m_rowChecked.size() || m_rowChecked.size() + added != size_t(rowCount())) {
            recountRows();
        } else {
            m_rowChecked.insert(m_rowChecked.begin() + first, added, 0);
            noteRows(first, last);
        }
        if (!m_syncing) applyHeaderState();
    });
    connect(this, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex& parent, int first, int last) {
        if (parent.isValid()) return;
        const size_t removed = size_t(last - first + 1);
        if (first < 0 || size_t(last) >= m_rowChecked.size() || m_rowChecked.size() - removed != size_t(rowCount())) {
            recountRows();
        } else {
            const auto begin = m_rowChecked.begin() + first;
            m_checkedRows -= int(std::count(begin, begin + long(removed), char(1)));
            m_rowChecked.erase(begin, begin + long(removed));
        }
        if (!m_syncing) applyHeaderState();
    });
    // Changes that may touch any row (sorting, replaced items, column 0
    // inserted or removed, a reset): all rows are read again.
    const auto everything = [this] {
        recountRows();
        if (!m_syncing) applyHeaderState();
    };
    connect(this, &QAbstractItemModel::layoutChanged, this, everything);
    connect(this, &QAbstractItemModel::modelReset, this, everything);
    connect(this, &QAbstractItemModel::rowsMoved, this, everything);
    connect(this, &QAbstractItemModel::columnsInserted, this, everything);
    connect(this, &QAbstractItemModel::columnsRemoved, this, everything);
    connect(this, &QAbstractItemModel::columnsMoved, this, everything);
    recountRows();
}

namespace {
Qt::CheckState ItemCheckState(const QStandardItem* it) {
    if (!it) return Qt::Unchecked;
    const QVariant own = it->data(CheckStateDataRole);
    if (own.isValid()) return own.toInt() == Qt::Checked ? Qt::Checked : Qt::Unchecked;
    return it->checkState();
}
}  // namespace

Qt::CheckState StandardItemModel::rowCheckState(int row) const { return ItemCheckState(item(row, 0)); }

void StandardItemModel::noteRows(int first, int last) {
    if (m_rowChecked.size() != size_t(rowCount())) {
        recountRows();
        return;
    }
    first = std::max(first, 0);
    last = std::min(last, rowCount() - 1);
    for (int row = first; row <= last; ++row) {
        const char now = rowCheckState(row) == Qt::Checked ? 1 : 0;
        char& known = m_rowChecked[size_t(row)];
        m_checkedRows += now - known;
        known = now;
    }
}

void StandardItemModel::recountRows() {
    const int rows = rowCount();
    m_rowChecked.assign(size_t(rows), 0);
    m_checkedRows = 0;
    for (int row = 0; row < rows; ++row) {
        if (rowCheckState(row) != Qt::Checked) continue;
        m_rowChecked[size_t(row)] = 1;
        ++m_checkedRows;
    }
}

bool StandardItemModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    // A header set before any row or column exists makes room for itself.
    if (section >= 0 && orientation == Qt::Horizontal && section >= columnCount()) setColumnCount(section + 1);
    const bool ok = QStandardItemModel::setHeaderData(section, orientation, value, role);
    if (!ok || m_syncing || section != 0 || orientation != Qt::Horizontal || role != Qt::CheckStateRole) return ok;
    if (!headerData(0, Qt::Horizontal, HeaderCheckRole).toBool()) return ok;
    const int state = value.toInt();
    if (state != Qt::Checked && state != Qt::Unchecked) return ok;
    m_syncing = true;
    const int rows = rowCount();
    {
        // One report for all rows instead of one per row: a receiver that
        // sums up the ticked rows on every change would otherwise go over
        // the whole table once per row.
        QSignalBlocker quiet(this);
        for (int row = 0; row < rows; ++row) {
            QStandardItem* it = item(row, 0);
            if (!it) continue;
            if (it->data(CheckStateDataRole).isValid()) it->setData(state, CheckStateDataRole);
            else if (it->isCheckable() || it->data(Qt::CheckStateRole).isValid()) it->setCheckState(static_cast<Qt::CheckState>(state));
        }
    }
    if (rows > 0) {
        emit layoutAboutToBeChanged();
        emit layoutChanged();  // views show the new checks; the row records are read again
        if (QStandardItem* first = item(0, 0)) emit itemChanged(first);
    }
    m_syncing = false;
    return ok;
}

void StandardItemModel::updateHeaderCheckState() {
    recountRows();
    applyHeaderState();
}

void StandardItemModel::applyHeaderState() {
    if (!headerData(0, Qt::Horizontal, HeaderCheckRole).toBool()) return;
    const int rows = rowCount();
    if (m_rowChecked.size() != size_t(rows)) recountRows();
    const Qt::CheckState state =
        m_checkedRows == 0 ? Qt::Unchecked : (m_checkedRows == rows ? Qt::Checked : Qt::PartiallyChecked);
    if (headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt() == state) return;
    m_syncing = true;
    QStandardItemModel::setHeaderData(0, Qt::Horizontal, static_cast<int>(state), Qt::CheckStateRole);
    m_syncing = false;
}

TreeViewItem::TreeViewItem(TreeViewItem* parent) : m_parent(parent) {
    if (parent) parent->m_children.push_back(this);
}

TreeViewItem::~TreeViewItem() {
    for (TreeViewItem* child : m_children) {
        child->m_parent = nullptr;
        delete child;
    }
}

void TreeViewItem::SetData(int column, int role, const QVariant& value) {
    if (column < 0) return;
    if (column >= m_columns.size()) m_columns.resize(column + 1);
    m_columns[column].insert(role, value);
}

QVariant TreeViewItem::Data(int column, int role) const {
    if (column < 0 || column >= m_columns.size()) return QVariant();
    return m_columns[column].value(role);
}

int TreeViewItem::ColumnCount() const { return m_columns.size(); }

TreeViewModel::TreeViewModel(QObject* parent) : StandardItemModel(parent) {}

TreeViewModel::~TreeViewModel() = default;

QVariant TreeViewModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::CheckStateRole) {
        const QVariant own = QStandardItemModel::data(index, CheckStateDataRole);
        if (own.isValid()) return own.toInt() == Qt::Checked ? Qt::Checked : Qt::Unchecked;
    }
    return QStandardItemModel::data(index, role);
}

bool TreeViewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role == Qt::CheckStateRole) role = CheckStateDataRole;
    return QStandardItemModel::setData(index, value, role);
}

void TreeViewModel::fill(QStandardItem* under, int row, TreeViewItem* item) {
    QList<QStandardItem*> cells;
    const int columns = qMax(1, item->ColumnCount());
    for (int c = 0; c < columns; ++c) {
        QStandardItem* cell = new QStandardItem;
        cell->setEditable(false);
        if (c < item->m_columns.size()) {
            const QMap<int, QVariant>& roles = item->m_columns[c];
            for (auto it = roles.constBegin(); it != roles.constEnd(); ++it) {
                const int role = it.key() == Qt::CheckStateRole ? int(CheckStateDataRole) : it.key();
                cell->setData(it.value(), role);
            }
        }
        cells << cell;
    }
    QStandardItem* parentItem = under ? under : invisibleRootItem();
    if (row < 0 || row > parentItem->rowCount()) row = parentItem->rowCount();
    parentItem->insertRow(row, cells);
    for (size_t i = 0; i < item->m_children.size(); ++i) fill(cells.first(), static_cast<int>(i), item->m_children[i]);
}

bool TreeViewModel::insertRow(TreeViewItem* item, int row, const QModelIndex& parent) {
    if (!item) return false;
    QStandardItem* under = parent.isValid() ? itemFromIndex(parent) : nullptr;
    if (parent.isValid() && !under) return false;
    fill(under, row, item);
    if (!item->m_parent) m_items.emplace_back(item);
    return true;
}

// --- delegates ------------------------------------------------------------

void NoCheckDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
}

void TableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    int x = option.rect.x() + kIconGap;
    for (int role : {int(PictureActionRole), int(LiveViewActionRole)}) {
        const QVariant v = index.data(role);
        if (!v.isValid()) continue;
        QPixmap pixmap = v.value<QPixmap>();
        if (pixmap.isNull()) pixmap = v.value<QIcon>().pixmap(kIconSize, kIconSize);
        const QRect target(x, option.rect.y() + (option.rect.height() - kIconSize) / 2, kIconSize, kIconSize);
        if (!pixmap.isNull()) painter->drawPixmap(target, pixmap);
        x += kIconSize + kIconGap;
    }
}

int TableDelegate::actionAt(const QModelIndex& index, int x) {
    int left = kIconGap;
    for (int role : {int(PictureActionRole), int(LiveViewActionRole)}) {
        if (!index.data(role).isValid()) continue;
        if (x >= left && x < left + kIconSize) return role;
        left += kIconSize + kIconGap;
    }
    return 0;
}

CMultiPageTableView::CMultiPageTableView(QWidget* parent) : QWidget(parent), m_view(new TreeView(this)) {
    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setRootIsDecorated(false);
    m_view->setItemDelegate(new TableDelegate(m_view));
    connect(m_view, &AbstractItemView::SignalClicked, this, [this](const QModelIndex& index) {
        const QRect rect = m_view->visualRect(index);
        const QPoint pos = m_view->viewport()->mapFromGlobal(QCursor::pos());
        clickCell(index, pos.x() - rect.x());
    });
}

void CMultiPageTableView::SetModel(QAbstractItemModel* model) { m_view->setModel(model); }

void CMultiPageTableView::SetSortingEnabled(bool enabled, int column) {
    m_view->setSortingEnabled(enabled);
    if (enabled) m_view->sortByColumn(column, Qt::AscendingOrder);
}

void CMultiPageTableView::UpdatePage() {
    m_view->viewport()->update();
    m_view->header()->viewport()->update();
}

void CMultiPageTableView::clickCell(const QModelIndex& index, int x) {
    const int role = TableDelegate::actionAt(index, x);
    if (role) emit SignalClicked(index, static_cast<ItemDataRole>(role));
}

}  // namespace ziraz
