// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drop-down selector whose list rows carry check boxes (check state under
// role 360) and whose head shows the checked entries as small labels: as
// many as fit in 300 pixels (and in the head), the rest summarised by a
// "···" label whose tooltip lists them. With nothing ticked the head says
// so; a click anywhere on the head opens the list.
#include <QFontMetrics>
#include <QLabel>
#include <QModelIndex>
#include <QStringList>
#include <QWidget>

class QAbstractItemModel;
class QHBoxLayout;
class QSpacerItem;
class QToolButton;
class QVBoxLayout;

namespace ziraz {
class TreeView;
}

class CMultiCheckComboxLabel : public QLabel {
    Q_OBJECT
public:
    explicit CMultiCheckComboxLabel(QWidget* parent = nullptr) : QLabel(parent) {}
    explicit CMultiCheckComboxLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}
};

namespace Ui {

class MultiCheckedCombox {
public:
    QHBoxLayout* horizontalLayout = nullptr;
    QWidget* widget = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QWidget* widgetHead = nullptr;
    QHBoxLayout* horizontalLayout_7 = nullptr;
    QWidget* m_pInfoWidget = nullptr;
    QHBoxLayout* horizontalLayout_8 = nullptr;
    QWidget* m_checkedLabelsWidget = nullptr;
    CMultiCheckComboxLabel* m_dotLabel = nullptr;
    QLabel* m_placeholderLabel = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QToolButton* m_arrowBtn = nullptr;
    QWidget* m_widgetViewParent = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    ziraz::TreeView* m_pTreeview = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};

}  // namespace Ui

class CMultiCheckCombox : public QWidget {
    Q_OBJECT
public:
    static const int kCheckRole = Qt::UserRole + 104;  // 360

    CMultiCheckCombox();
    ~CMultiCheckCombox() override;

    // Shows `model` in the list and keeps it (the combo box owns it from
    // then on). A null model changes nothing.
    void setModel(QAbstractItemModel* model);
    QAbstractItemModel* model() const { return m_model; }
    ziraz::TreeView* view() const;

    void refreshCheckedText();
    void setCheckedTexts(const QStringList& texts);
    QModelIndexList checkedIndexes() const;
    void clearChecked();
    void updatePopupPosition();

    // What the head shows: the whole texts of its tags in order (a first tag
    // too wide for the head is drawn shortened), and the "···" label.
    QStringList shownTexts() const;
    QLabel* dotLabel() const;
    // The hint the head shows while nothing is ticked.
    QLabel* placeholderLabel() const;
    QWidget* popupWidget() const;

    // Splits `texts` into the tags the head holds at its width now, measured
    // in their own font (the first always, shortened when need be), and the
    // overflow of the "···" list.
    void splitTexts(const QStringList& texts, QStringList* shown, QStringList* overflow) const;

public slots:
    void onCheckedChanged(QModelIndex miIndex);
    void onHeaderCheckStateChanged(Qt::CheckState enumCheckState);
    void onClickArrowBtn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QStringList checkedTexts() const;
    // The width the labels of the head may take beside the arrow.
    int labelRoom() const;
    // The width a tag of `text` takes in the head.
    int tagWidth(const QString& text, QFontMetrics* metrics = nullptr) const;

    Ui::MultiCheckedCombox* ui;
    QAbstractItemModel* m_model = nullptr;
};
