// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChaseTree.h"

#include <QApplication>
#include <QDrag>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QHelpEvent>
#include <QPixmap>
#include <QRegularExpression>
#include <QToolTip>

#include "common/InterfaceHelpers.h"

namespace ResultTree {
const char* const kDevicePixmap = ":/Quillmere/Images/PlayBack/Search/device.png";
const char* const kChannelPixmap = ":/Quillmere/Images/PlayBack/Search/tongdao.png";
const char* const kExpandPixmap = ":/Quillmere/Images/PlayBack/Search/tree_item_expand.png";
const char* const kCollapsedPixmap = ":/Quillmere/Images/PlayBack/Search/tree_item.png";
}  // namespace ResultTree

using namespace ResultTree;

// ---------------------------------------------------------------- GroupTreeView

GroupTreeView::GroupTreeView(QWidget* parent) : ziraz::TreeView(parent) {
    setHeaderHidden(true);
    // Recording rows stand two levels deep in a narrow panel: a small step
    // leaves their texts the room.
    setIndentation(14);
    setShowGrid(false);
    setItemDelegate(new ziraz::NoCheckDelegate(this));
}

GroupTreeView::~GroupTreeView() = default;

void GroupTreeView::mousePressEvent(QMouseEvent* event) {
    m_pressPos = event->pos();
    QTreeView::mousePressEvent(event);
    if (!selectionModel()) return;
    // Rows that hold a fourth level are never part of a drag selection.
    for (const QModelIndex& row : selectionModel()->selectedRows()) {
        const QModelIndex child = row.model()->index(0, 0, row);
        if (!child.isValid()) continue;
        const QModelIndex grandChild = child.model()->index(0, 0, child);
        if (grandChild.isValid() && grandChild.model()->rowCount(grandChild) > 0)
            selectionModel()->select(row, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
}

QString GroupTreeView::dragPixmapPath() const {
    bool device = false;
    if (selectionModel()) {
        for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
            if (index.data(kItemKindRole).toString() == QLatin1String("device")) device = true;
        }
    }
    return QString::fromLatin1(device ? kDevicePixmap : kChannelPixmap);
}

void GroupTreeView::mouseMoveEvent(QMouseEvent* event) {
    if (event->modifiers() != Qt::NoModifier) return;
    if (!indexAt(m_pressPos).isValid() || !dragEnabled() || !(event->buttons() & Qt::LeftButton)) return;
    if (!selectionModel() || selectionModel()->selectedIndexes().isEmpty()) return;
    if ((event->pos() - m_pressPos).manhattanLength() < QApplication::startDragDistance()) return;

    auto* mime = new QMimeData;
    mime->setData(QString(), QByteArray());
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QPixmap pixmap = LoadPixmapCached(dragPixmapPath());
    if (!pixmap.isNull()) drag->setPixmap(pixmap);
    runDrag(drag);
}

void GroupTreeView::runDrag(QDrag* drag) { drag->exec(Qt::MoveAction); }

void GroupTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid() && index.data(kItemKindRole).toString() != QLatin1String("disk"))
        emit signalItemDoubleClicked(index);
}

void GroupTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & Qt::ShiftModifier) {
        switch (event->key()) {
            case Qt::Key_Home:
            case Qt::Key_End:
            case Qt::Key_Left:
            case Qt::Key_Up:
            case Qt::Key_Right:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
                event->ignore();
                return;
            default:
                break;
        }
    }
    QTreeView::keyPressEvent(event);
}

// ------------------------------------------------------------- TreeviewDelegate

void TreeviewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!index.parent().parent().isValid()) {
        const QPixmap pixmap = LoadPixmapCached(
            QString::fromLatin1((option.state & QStyle::State_Open) ? kExpandPixmap : kCollapsedPixmap));
        if (!pixmap.isNull()) {
            const QRect& r = option.rect;
            painter->drawPixmap(r.left() - 4 - pixmap.width(), r.top() + (r.height() - pixmap.height()) / 2, pixmap);
        }
    }
    ziraz::TableDelegate::paint(painter, option, index);
}

QString TreeviewDelegate::ShownText(const QString& text, const QDate& day) {
    if (!day.isValid()) return text;
    // "yyyy-MM-dd hh:mm:ss~yyyy-MM-dd hh:mm:ss" (one or two blanks after
    // each date), maybe followed by the disk.
    static const QRegularExpression row(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}) +(\\d{2}:\\d{2}:\\d{2})~(\\d{4}-\\d{2}-\\d{2}) +(\\d{2}:\\d{2}:\\d{2})(.*)$"));
    const QRegularExpressionMatch m = row.match(text);
    if (!m.hasMatch()) return text;
    const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
    if (m.captured(1) != date || m.captured(3) != date) return text;
    return m.captured(2) + QLatin1Char('~') + m.captured(4) + m.captured(5);
}

void TreeviewDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    ziraz::TableDelegate::initStyleOption(option, index);
    if (index.data(kItemKindRole).toString() == QLatin1String("file")) option->text = ShownText(option->text, m_day);
}

bool TreeviewDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) {
    if (event && event->type() == QEvent::ToolTip && index.data(kItemKindRole).toString() == QLatin1String("file") &&
        !index.data(Qt::ToolTipRole).isValid()) {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (ShownText(text, m_day) != text) {
            QToolTip::showText(event->globalPos(), text, view);
            return true;
        }
    }
    return ziraz::TableDelegate::helpEvent(event, view, option, index);
}

// -------------------------------------------------------------------- ChaseTree

ChaseTree::ChaseTree(QWidget* parent) : QStackedWidget(parent) {
    auto* page = new QWidget(this);
    m_treeView = new GroupTreeView(page);
    m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_delegate = new TreeviewDelegate(m_treeView);
    m_treeView->setItemDelegate(m_delegate);
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_treeView, 0, 0);
    connect(m_treeView, &GroupTreeView::signalItemDoubleClicked, this, &ChaseTree::signalSendItemDoubleClicked);
    addWidget(page);
    QStackedWidget::setCurrentIndex(0);
}

void ChaseTree::setShownDay(const QDate& day) {
    if (m_delegate->shownDay() == day) return;
    m_delegate->setShownDay(day);
    m_treeView->viewport()->update();
}

QDate ChaseTree::shownDay() const { return m_delegate->shownDay(); }

void ChaseTree::setSelectionMode(QAbstractItemView::SelectionMode mode) { m_treeView->setSelectionMode(mode); }
void ChaseTree::setDragEnabled(bool enabled) { m_treeView->setDragEnabled(enabled); }
void ChaseTree::setModel(QAbstractItemModel* model) { m_treeView->setModel(model); }
QItemSelectionModel* ChaseTree::selectionModel() const { return m_treeView->selectionModel(); }
QModelIndex ChaseTree::currentIndex() const { return m_treeView->currentIndex(); }
void ChaseTree::setCurrentIndex(const QModelIndex& index) { m_treeView->setCurrentIndex(index); }
void ChaseTree::expandAll() { m_treeView->expandAll(); }
void ChaseTree::collapse(const QModelIndex& index) { m_treeView->collapse(index); }

QModelIndexList ChaseTree::selectedRows(int column) const {
    return m_treeView->selectionModel() ? m_treeView->selectionModel()->selectedRows(column) : QModelIndexList();
}

bool ChaseTree::isSelected(const QModelIndex& index) const {
    return m_treeView->selectionModel() && m_treeView->selectionModel()->isSelected(index);
}

void ChaseTree::setCurrentPage(bool second) {
    const int page = second ? 1 : 0;
    if (page < count()) QStackedWidget::setCurrentIndex(page);
}
