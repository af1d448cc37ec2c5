#include "MultiCheckCombox.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
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
    m_arrowBtn->setText(QString());
}

CMultiCheckCombox::CMultiCheckCombox() : QWidget(nullptr), ui(new Ui::MultiCheckedCombox) {
    ui->setupUi(this);
    ui->m_widgetViewParent->hide();
    ui->m_dotLabel->hide();
    ui->m_widgetViewParent->setWindowFlags(Qt::Popup);
    connect(ui->m_arrowBtn, &QToolButton::clicked, this, &CMultiCheckCombox::onClickArrowBtn);
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
}

ziraz::TreeView* CMultiCheckCombox::view() const { return ui->m_pTreeview; }

QLabel* CMultiCheckCombox::dotLabel() const { return ui->m_dotLabel; }

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

void CMultiCheckCombox::splitTexts(const QStringList& texts, QStringList* shown, QStringList* overflow) {
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    int width = 0;
    bool passed = false;
    for (const QString& text : texts) {
        width += 20 + metrics.boundingRect(text).width();
        if (!passed && width <= kHeadWidth) {
            if (shown) *shown << text;
        } else {
            passed = true;
            if (overflow) *overflow << text;
        }
    }
}

void CMultiCheckCombox::setCheckedTexts(const QStringList& texts) {
    QStringList shown, overflow;
    splitTexts(texts, &shown, &overflow);

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
        delete item->widget();
        delete item;
    }
    for (const QString& text : shown) layout->addWidget(new CMultiCheckComboxLabel(text, holder));

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
        if (QLabel* label = qobject_cast<QLabel*>(layout->itemAt(i)->widget())) texts << label->text();
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
