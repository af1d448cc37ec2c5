// SPDX-License-Identifier: GPL-3.0-or-later
#include "MultiCheckCombox.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QIcon>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

#include "ziraz/itemviews.h"

void Ui::MultiCheckedCombox::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("MultiCheckedCombox"));
    form->resize(310, 32);
    // 310 pixels where there is room; down to 200 in a narrow window.
    form->setMinimumWidth(200);
    form->setMaximumWidth(310);
    horizontalLayout = new QHBoxLayout(form);
    horizontalLayout->setSpacing(0);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    widget = new QWidget(form);
    widget->setObjectName(QStringLiteral("widget"));
    widget->setMinimumWidth(200);
    widget->setMaximumWidth(310);
    verticalLayout = new QVBoxLayout(widget);
    verticalLayout->setSpacing(0);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    widgetHead = new QWidget(widget);
    widgetHead->setObjectName(QStringLiteral("widgetHead"));
    horizontalLayout_7 = new QHBoxLayout(widgetHead);
    horizontalLayout_7->setSpacing(0);
    horizontalLayout_7->setObjectName(QStringLiteral("horizontalLayout_7"));
    horizontalLayout_7->setContentsMargins(4, 0, 0, 0);
    m_pInfoWidget = new QWidget(widgetHead);
    m_pInfoWidget->setObjectName(QStringLiteral("m_pInfoWidget"));
    m_pInfoWidget->setFixedHeight(32);
    horizontalLayout_8 = new QHBoxLayout(m_pInfoWidget);
    horizontalLayout_8->setSpacing(2);
    horizontalLayout_8->setObjectName(QStringLiteral("horizontalLayout_8"));
    horizontalLayout_8->setContentsMargins(4, 4, 4, 4);
    m_checkedLabelsWidget = new QWidget(m_pInfoWidget);
    m_checkedLabelsWidget->setObjectName(QStringLiteral("m_checkedLabelsWidget"));
    m_checkedLabelsWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    horizontalLayout_8->addWidget(m_checkedLabelsWidget);
    m_placeholderLabel = new QLabel(m_pInfoWidget);
    m_placeholderLabel->setObjectName(QStringLiteral("m_placeholderLabel"));
    horizontalLayout_8->addWidget(m_placeholderLabel);
    m_dotLabel = new CMultiCheckComboxLabel(m_pInfoWidget);
    m_dotLabel->setObjectName(QStringLiteral("m_dotLabel"));
    horizontalLayout_8->addWidget(m_dotLabel);
    horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout_8->addItem(horizontalSpacer);
    m_arrowBtn = new QToolButton(m_pInfoWidget);
    m_arrowBtn->setObjectName(QStringLiteral("m_arrowBtn"));
    m_arrowBtn->setFixedSize(32, 32);
    m_arrowBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/spread.svg")));
    m_arrowBtn->setIconSize(QSize(24, 24));
    horizontalLayout_8->addWidget(m_arrowBtn);
    horizontalLayout_7->addWidget(m_pInfoWidget);
    verticalLayout->addWidget(widgetHead);

    m_widgetViewParent = new QWidget(widget);
    m_widgetViewParent->setObjectName(QStringLiteral("m_widgetViewParent"));
    horizontalLayout_3 = new QHBoxLayout(m_widgetViewParent);
    horizontalLayout_3->setSpacing(0);
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setContentsMargins(0, 0, 0, 0);
    m_pTreeview = new ziraz::TreeView(m_widgetViewParent);
    m_pTreeview->setObjectName(QStringLiteral("m_pTreeview"));
    m_pTreeview->setMinimumWidth(200);
    m_pTreeview->setMaximumWidth(310);
    horizontalLayout_3->addWidget(m_pTreeview);
    verticalLayout->addWidget(m_widgetViewParent);

    horizontalLayout->addWidget(widget);
    retranslateUi(form);
}

void Ui::MultiCheckedCombox::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("MultiCheckedCombox", "Form", nullptr));
    m_dotLabel->setText(QCoreApplication::translate("MultiCheckedCombox", "\u00B7\u00B7\u00B7", nullptr));
    m_placeholderLabel->setText(QCoreApplication::translate("MultiCheckedCombox", "Select...", nullptr));
    m_arrowBtn->setText(QString());
}

namespace {
// The head looks like a combo box: a framed field, the ticked entries as
// small tags in the font the split below measures with, the hint in grey.
const char kHeadStyle[] =
    "#m_pInfoWidget { border: 1px solid #b4b4b4; border-radius: 2px; background: #ffffff; }"
    "#m_pInfoWidget:hover { border-color: #15a4fa; }"
    "#m_arrowBtn { border: none; background: transparent; }"
    "#m_placeholderLabel { color: #8c8c8c; }"
    "CMultiCheckComboxLabel { font-family: \"Microsoft YaHei\"; font-size: 12px; background: #e8f3fc;"
    " border: 1px solid #a9d3f5; border-radius: 2px; padding: 0px 3px; }"
    "CMultiCheckComboxLabel#m_dotLabel { background: transparent; border: none; }";

}  // namespace

CMultiCheckCombox::CMultiCheckCombox() : QWidget(nullptr), ui(new Ui::MultiCheckedCombox) {
    ui->setupUi(this);
    ui->m_widgetViewParent->hide();
    ui->m_dotLabel->hide();
    ui->m_widgetViewParent->setWindowFlags(Qt::Popup);
    ui->m_pInfoWidget->setAttribute(Qt::WA_StyledBackground, true);
    ui->m_pInfoWidget->setCursor(Qt::PointingHandCursor);
    ui->m_pInfoWidget->installEventFilter(this);
    setStyleSheet(QLatin1String(kHeadStyle));
    connect(ui->m_arrowBtn, &QToolButton::clicked, this, &CMultiCheckCombox::onClickArrowBtn);
}

void CMultiCheckCombox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The tags are sorted again once the head has its new width (later: a
    // resize comes while the tags themselves are being shown).
    if (m_model && event->size().width() != event->oldSize().width())
        QMetaObject::invokeMethod(this, &CMultiCheckCombox::refreshCheckedText, Qt::QueuedConnection);
}

bool CMultiCheckCombox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->m_pInfoWidget && event->type() == QEvent::MouseButtonRelease) {
        onClickArrowBtn();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

CMultiCheckCombox::~CMultiCheckCombox() {
    // The view goes with the form; detach it from the model before the
    // model is freed.
    ui->m_pTreeview->setModel(nullptr);
    delete m_model;
    delete ui;
}

void CMultiCheckCombox::setModel(QAbstractItemModel* model) {
    if (!model || model == m_model) return;
    ui->m_pTreeview->setModel(model);
    if (m_model) delete m_model;
    m_model = model;
    connect(ui->m_pTreeview, &ziraz::AbstractItemView::SignalClicked, this, &CMultiCheckCombox::onCheckedChanged,
            Qt::UniqueConnection);
    connect(ui->m_pTreeview, &ziraz::AbstractItemView::SignalHeaderCheckStateChanged, this,
            &CMultiCheckCombox::onHeaderCheckStateChanged, Qt::UniqueConnection);
    // Rows ticked or unticked by the page itself (Reset) show in the head too.
    connect(model, &QAbstractItemModel::dataChanged, this, [this] { refreshCheckedText(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { refreshCheckedText(); });
    refreshCheckedText();
}

ziraz::TreeView* CMultiCheckCombox::view() const { return ui->m_pTreeview; }

QLabel* CMultiCheckCombox::dotLabel() const { return ui->m_dotLabel; }

QLabel* CMultiCheckCombox::placeholderLabel() const { return ui->m_placeholderLabel; }

QWidget* CMultiCheckCombox::popupWidget() const { return ui->m_widgetViewParent; }

void CMultiCheckCombox::onCheckedChanged(QModelIndex miIndex) {
    Q_UNUSED(miIndex);
    refreshCheckedText();
}

void CMultiCheckCombox::onHeaderCheckStateChanged(Qt::CheckState enumCheckState) {
    Q_UNUSED(enumCheckState);
    refreshCheckedText();
}

QStringList CMultiCheckCombox::checkedTexts() const {
    QStringList texts;
    for (const QModelIndex& index : checkedIndexes()) texts << index.data(Qt::DisplayRole).toString();
    return texts;
}

void CMultiCheckCombox::refreshCheckedText() {
    if (!m_model) return;
    setCheckedTexts(checkedTexts());
}

void CMultiCheckCombox::splitTexts(const QStringList& texts, QStringList* shown, QStringList* overflow) const {
    // Each tag as it is drawn (its own font, padding and frame) against the
    // head's width as it is now; once one passes it, every later one
    // overflows too. The first always shows, however wide.
    const int room = labelRoom();
    int used = 0;
    bool passed = false;
    for (int i = 0; i < texts.size(); ++i) {
        if (!passed) {
            used += tagWidth(texts[i]) + (i > 0 ? 2 : 0);
            passed = i > 0 && used > room;
        }
        QStringList* list = passed ? overflow : shown;
        if (list) *list << texts[i];
    }
}

int CMultiCheckCombox::labelRoom() const {
    // The field (the widget less the head's left margin), less its margins
    // and frame, the arrow, the "···" label and the gaps between them.
    const QMargins m = ui->horizontalLayout_8->contentsMargins();
    ui->m_dotLabel->ensurePolished();
    return width() - 4 - m.left() - m.right() - 2 - ui->m_arrowBtn->width() - ui->m_dotLabel->sizeHint().width() -
           3 * ui->horizontalLayout_8->spacing();
}

int CMultiCheckCombox::tagWidth(const QString& text, QFontMetrics* metrics) const {
    // A tag as it is drawn: its own font, padding and frame.
    CMultiCheckComboxLabel probe(text, ui->m_checkedLabelsWidget);
    probe.setObjectName(QStringLiteral("m_checkedTag"));
    probe.ensurePolished();
    if (metrics) *metrics = probe.fontMetrics();
    return probe.sizeHint().width();
}

void CMultiCheckCombox::setCheckedTexts(const QStringList& texts) {
    QStringList shown, overflow;
    splitTexts(texts, &shown, &overflow);
    // A tag keeps its whole text: what the head cannot hold goes to the
    // "···" list. A first tag wider than the head is shortened with "…"
    // and tells its whole text as its tool tip: the head never shows the
    // "···" alone. (The widget's width: its own 310 pixels until a layout
    // gives it another; a resize sorts the tags again.)
    QString firstShort;
    if (!shown.isEmpty()) {
        QFontMetrics metrics(font());
        const int empty = tagWidth(QString(), &metrics);
        const int room = labelRoom();
        if (tagWidth(shown[0]) > room)
            firstShort = metrics.elidedText(shown[0], Qt::ElideRight, qMax(metrics.horizontalAdvance(QChar(0x2026)),
                                                                             room - empty));
    }
    ui->m_placeholderLabel->setVisible(texts.isEmpty());

    ui->m_dotLabel->hide();
    QWidget* holder = ui->m_checkedLabelsWidget;
    QLayout* layout = holder->layout();
    if (!layout) {
        layout = new QHBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
    }
    for (int i = layout->count() - 1; i >= 0; --i) {
        QLayoutItem* item = layout->takeAt(i);
        // Later: the tag may be the widget whose events led here.
        if (QWidget* tag = item->widget()) {
            tag->hide();
            tag->deleteLater();
        }
        delete item;
    }
    for (const QString& text : shown) {
        auto* tag = new CMultiCheckComboxLabel(text, holder);
        tag->setObjectName(QStringLiteral("m_checkedTag"));
        tag->setProperty("wholeText", text);
        if (layout->count() == 0 && !firstShort.isEmpty()) {
            tag->setText(firstShort);
            tag->setToolTip(text);
        }
        layout->addWidget(tag);
    }

    if (!overflow.isEmpty()) {
        ui->m_dotLabel->show();
        ui->m_dotLabel->setToolTip(overflow.join(QLatin1Char(',')));
    }
}

QStringList CMultiCheckCombox::shownTexts() const {
    QStringList texts;
    QLayout* layout = ui->m_checkedLabelsWidget->layout();
    if (!layout) return texts;
    for (int i = 0; i < layout->count(); ++i)
        if (QLabel* label = qobject_cast<QLabel*>(layout->itemAt(i)->widget()))
            texts << label->property("wholeText").toString();
    return texts;
}

QModelIndexList CMultiCheckCombox::checkedIndexes() const {
    QModelIndexList list;
    if (!m_model) return list;
    const int rows = m_model->rowCount();
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = m_model->index(row, 0);
        if (index.data(kCheckRole).toInt() == Qt::Checked) list << index;
    }
    return list;
}

void CMultiCheckCombox::clearChecked() {
    if (!m_model) return;
    for (const QModelIndex& index : checkedIndexes()) m_model->setData(index, int(Qt::Unchecked), kCheckRole);
}

void CMultiCheckCombox::onClickArrowBtn() {
    ui->m_widgetViewParent->show();
    updatePopupPosition();
}

void CMultiCheckCombox::updatePopupPosition() {
    if (!ui->m_widgetViewParent->isVisible()) return;
    const QPoint topLeft = ui->m_pInfoWidget->mapToGlobal(QPoint(0, 0));
    ui->m_widgetViewParent->move(topLeft.x(), topLeft.y() + ui->m_pInfoWidget->height());
}
