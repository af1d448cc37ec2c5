// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The result tree of the search panel: the holder ChaseTree (a stacked
// widget that forwards to its tree view), the view GroupTreeView (drags of
// the selection, double-click report, no keyboard range selection) and the
// delegate TreeviewDelegate (branch picture in front of device and channel
// rows).
#include <QDate>
#include <QModelIndex>
#include <QPoint>
#include <QStackedWidget>
#include <QString>

#include "ziraz/itemviews.h"

class QDrag;

// Kinds of result rows, stored under kItemKindRole.
namespace ResultTree {
enum Role {
    kFileNameRole = Qt::UserRole + 1,      // 257
    kChannelNumberRole = Qt::UserRole + 2,  // 258
    kRbsRole = Qt::UserRole + 3,            // 259
    kDeviceNameRole = Qt::UserRole + 4,     // 260
    kDiskNameRole = Qt::UserRole + 5,       // 261
    kFileRecordRole = Qt::UserRole + 6,     // 262
    kItemKindRole = Qt::UserRole + 7,       // 263
};
extern const char* const kDevicePixmap;
extern const char* const kChannelPixmap;
extern const char* const kExpandPixmap;
extern const char* const kCollapsedPixmap;
}  // namespace ResultTree

class GroupTreeView : public ziraz::TreeView {
    Q_OBJECT
public:
    explicit GroupTreeView(QWidget* parent = nullptr);
    ~GroupTreeView() override;

    void setGroupDragEnabled(bool enabled) { m_dragFlag = enabled; }
    void setFlag(bool flag) { m_flag = flag; }
    void setMimeType(const QString& type) { m_mimeType = type; }

    // The drag picture for the current selection: the device picture when a
    // device row is selected, else the channel picture.
    QString dragPixmapPath() const;

signals:
    void signalItemDoubleClicked(QModelIndex miItem);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Runs the drag (move action); a seam for views that must not block.
    virtual void runDrag(QDrag* drag);

private:
    QPoint m_pressPos;
    QModelIndex m_index;
    bool m_flag = true;
    QString m_mimeType = QStringLiteral("Group/Stream");
    QModelIndex m_secondIndex;
    bool m_dragFlag = false;
};

// Draws a recording row whose start and end lie on the day the tree's page
// shows (the panel's range, when it is one day) without that date:
// "08:00:00~08:01:00  Disk 1 (E:)"; its whole text stays the row's text and
// is its tool tip.
class TreeviewDelegate : public ziraz::TableDelegate {
    Q_OBJECT
public:
    explicit TreeviewDelegate(QObject* parent = nullptr) : ziraz::TableDelegate(parent) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    void setShownDay(const QDate& day) { m_day = day; }
    QDate shownDay() const { return m_day; }
    // The text a row is drawn with: `text` without its date when both of its
    // times lie on `day`, else `text` itself.
    static QString ShownText(const QString& text, const QDate& day);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    bool m_flag = false;
    QDate m_day;
};

class ChaseTree : public QStackedWidget {
    Q_OBJECT
public:
    explicit ChaseTree(QWidget* parent = nullptr);

    void setSelectionMode(QAbstractItemView::SelectionMode mode);
    void setDragEnabled(bool enabled);
    void setGroupDragEnabled(bool) {}
    void setMimeType(const QString&) {}
    void setModel(QAbstractItemModel* model);
    QItemSelectionModel* selectionModel() const;
    QModelIndex currentIndex() const;
    void setCurrentIndex(const QModelIndex& index);
    void expandAll();
    void collapse(const QModelIndex& index);
    QModelIndexList selectedRows(int column = 0) const;
    bool isSelected(const QModelIndex& index) const;
    // Page 1 for true, page 0 for false (the holder has page 0 only).
    void setCurrentPage(bool second);
    // The day the page above the tree shows; recording rows of that day are
    // drawn without their date. An invalid date shows every row whole.
    void setShownDay(const QDate& day);
    QDate shownDay() const;

    GroupTreeView* treeView() const { return m_treeView; }

signals:
    void signalSendItemDoubleClicked(QModelIndex);

private:
    GroupTreeView* m_treeView;
    TreeviewDelegate* m_delegate;
};
