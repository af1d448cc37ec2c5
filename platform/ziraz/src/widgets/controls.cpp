// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/controls.h"
#include <QIcon>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QSlider>

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QListView>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOption>
#include <QStyleOptionFrame>
#include <QTreeView>

namespace ziraz {

Widget::Widget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void Widget::paintEvent(QPaintEvent* event) {
    Q_UNUSED(event);
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void Label::setElidedText(const QString& text, Qt::TextElideMode mode) {
    m_whole = text;
    m_mode = mode;
    m_eliding = true;
    elide();
}

int Label::wholeTextWidth() const {
    const QMargins m = contentsMargins();
    const int room = indent() > 0 ? indent() : (frameWidth() > 0 ? fontMetrics().horizontalAdvance('x') / 2 : 0);
    return fontMetrics().horizontalAdvance(wholeText()) + m.left() + m.right() + 2 * margin() + room;
}

void Label::elide() {
    if (!m_eliding) return;
    ensurePolished();
    const int room = contentsRect().width() - 2 * margin();
    const QString shown = fontMetrics().elidedText(m_whole, m_mode, qMax(0, room));
    const bool cut = shown != m_whole;
    if (text() != shown) setText(shown);
    // The tool tip is ours only while the text is cut; a tip set by the
    // owner of the label stays.
    if (cut && (toolTip().isEmpty() || m_ownTip)) {
        setToolTip(m_whole);
        m_ownTip = true;
    } else if (!cut && m_ownTip) {
        setToolTip(QString());
        m_ownTip = false;
    }
}

void Label::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void Label::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) elide();
}

PasswordLineEdit::PasswordLineEdit(QWidget* parent) : LineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    setContextMenuPolicy(Qt::NoContextMenu);
}

FancyLineEdit::FancyLineEdit(QWidget* parent) : QLineEdit(parent) {
    for (int side = 0; side < 2; ++side) {
        QToolButton* button = new QToolButton(this);
        button->setObjectName(side == Left ? QStringLiteral("FancyLineEdit_LeftButton")
                                           : QStringLiteral("FancyLineEdit_RightButton"));
        button->setCursor(Qt::ArrowCursor);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(true);
        button->hide();
        connect(button, &QToolButton::clicked, this, [this, side]() { emit SignalButtonClicked(side); });
        m_buttons[side] = button;
    }
}

void FancyLineEdit::SetButtonPixmap(int side, const QPixmap& pixmap) {
    if (side != Left && side != Right) return;
    QToolButton* button = m_buttons[side];
    button->setIcon(QIcon(pixmap));
    button->setProperty("ziraz_pixmap", pixmap);
    button->setVisible(!pixmap.isNull());
    placeButtons();
    updateGeometry();
}

QPixmap FancyLineEdit::ButtonPixmap(int side) const {
    if (side != Left && side != Right) return QPixmap();
    return m_buttons[side]->property("ziraz_pixmap").value<QPixmap>();
}

QToolButton* FancyLineEdit::Button(int side) const {
    return (side == Left || side == Right) ? m_buttons[side] : nullptr;
}

int FancyLineEdit::textWidthHint() const {
    const int height = qMax(this->height(), QLineEdit::sizeHint().height());
    int buttons = 0;
    for (QToolButton* button : m_buttons)
        if (!button->isHidden()) buttons += qMax(0, height - 4) + 2;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    // QLineEdit keeps 2 pixels on either side of its text, plus the cursor.
    const QFontMetrics metrics(m_baseFontKept ? m_baseFont : font());  // the size the text asks for, unshrunk
    return metrics.horizontalAdvance(text()) + buttons + frame + 2 * 2 + 2;
}

QSize FancyLineEdit::sizeHint() const {
    QSize size = QLineEdit::sizeHint();
    if (isReadOnly()) size.setWidth(qMax(size.width(), textWidthHint()));
    return size;
}

QSize FancyLineEdit::minimumSizeHint() const {
    QSize size = QLineEdit::minimumSizeHint();
    if (isReadOnly()) size.setWidth(qMax(size.width(), textWidthHint()));
    return size;
}

void FancyLineEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    placeButtons();
    fitTextToWidth();
}

void FancyLineEdit::fitTextToWidth() {
    if (!isReadOnly()) return;
    if (!m_baseFontKept) {
        m_baseFont = font();
        m_baseFontKept = true;
    }
    const QMargins margins = textMargins();
    const int room = contentsRect().width() - margins.left() - margins.right() - 2 * 2 - 2;
    QFont fitted = m_baseFont;
    const int width = QFontMetrics(fitted).horizontalAdvance(text());
    if (room > 0 && width > room) {
        const int pixels = fitted.pixelSize() > 0 ? fitted.pixelSize() : QFontInfo(fitted).pixelSize();
        int size = qMax(8, pixels * room / width);
        fitted.setPixelSize(size);
        while (size > 8 && QFontMetrics(fitted).horizontalAdvance(text()) > room) fitted.setPixelSize(--size);
    }
    if (font() != fitted) setFont(fitted);
}

void FancyLineEdit::placeButtons() {
    const int edge = qMax(0, height() - 4);
    int left = 0, right = 0;
    if (!m_buttons[Left]->isHidden()) {
        m_buttons[Left]->setGeometry(2, 2, edge, edge);
        left = edge + 2;
    }
    if (!m_buttons[Right]->isHidden()) {
        m_buttons[Right]->setGeometry(width() - edge - 2, 2, edge, edge);
        right = edge + 2;
    }
    setTextMargins(left, 0, right, 0);
}

SearchLineEdit::SearchLineEdit(QWidget* parent) : FancyLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { emit SignalFilterTextChanged(text.trimmed()); });
}

void SearchLineEdit::ClearFilterText() { clear(); }

void SearchLineEdit::SetMaxLineEditLength(int length) {
    if (length > 0) setMaxLength(length);
}

LocationViewWidget::LocationViewWidget(QWidget* parent) : SearchLineEdit(parent) {
    connect(this, &SearchLineEdit::SignalFilterTextChanged, this, [this]() { ApplyFilter(); });
}

void LocationViewWidget::SetView(QAbstractItemView* view) {
    m_view = view;
    ApplyFilter();
}

namespace {

// Hides the rows under `parent` that neither match nor hold a match; returns
// whether any row under parent stays visible.
bool FilterRows(QAbstractItemView* view, const QModelIndex& parent, const QString& filter) {
    QAbstractItemModel* model = view->model();
    bool any = false;
    const int rows = model->rowCount(parent);
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        const bool self = filter.isEmpty() || index.data().toString().contains(filter, Qt::CaseInsensitive);
        const bool child = model->hasChildren(index) && FilterRows(view, index, self ? QString() : filter);
        const bool show = self || child;
        if (QTreeView* tree = qobject_cast<QTreeView*>(view)) tree->setRowHidden(row, parent, !show);
        else if (QListView* list = qobject_cast<QListView*>(view)) list->setRowHidden(row, !show);
        any = any || show;
    }
    return any;
}

}  // namespace

void LocationViewWidget::ApplyFilter() {
    if (!m_view || !m_view->model()) return;
    FilterRows(m_view, m_view->rootIndex(), FilterText());
}

void ComboBox::AddItem(const QString& text, const QString& toolTip, const QVariant& data) {
    addItem(text, data);
    if (!toolTip.isEmpty()) setItemData(count() - 1, toolTip, Qt::ToolTipRole);
}

VolumeButton::VolumeButton(QWidget* parent) : QToolButton(parent) {
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("volumePopup"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    auto* column = new QVBoxLayout(m_popup);
    column->setContentsMargins(6, 8, 6, 6);
    column->setSpacing(6);
    m_slider = new QSlider(Qt::Vertical, m_popup);
    m_slider->setObjectName(QStringLiteral("volumeSlider"));
    m_slider->setRange(0, kMaxVolume);
    m_slider->setSingleStep(kMaxVolume / 20);
    m_slider->setPageStep(kMaxVolume / 10);
    m_slider->setFixedHeight(100);
    column->addWidget(m_slider, 0, Qt::AlignHCenter);
    m_mute = new QToolButton(m_popup);
    m_mute->setObjectName(QStringLiteral("volumeMuteBtn"));
    m_mute->setFixedSize(20, 20);
    m_mute->setIconSize(QSize(16, 16));
    m_mute->setAutoRaise(true);
    column->addWidget(m_mute, 0, Qt::AlignHCenter);

    connect(this, &QToolButton::clicked, this, &VolumeButton::showPopup);
    connect(m_mute, &QToolButton::clicked, this, [this] {
        m_on = !m_on;
        updateIcons();
        emit SignalSoundOpened(m_on);
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (value == m_value) return;
        m_value = value;
        emit SignalVolumeValueChanged(value);
        // Moving the volume up from silence opens the sound.
        if (!m_on && value > 0) {
            m_on = true;
            updateIcons();
            emit SignalSoundOpened(true);
        }
    });
}

QAbstractButton* VolumeButton::muteButton() const { return m_mute; }

void VolumeButton::setStateValue(bool soundOn, int value) {
    m_on = soundOn;
    m_value = value;
    setChecked(soundOn);
    const QSignalBlocker quiet(m_slider);
    m_slider->setValue(qBound(0, value, int(kMaxVolume)));
    updateIcons();
}

void VolumeButton::setIcons(const QString& soundOn, const QString& soundOff, const QString& popupOn,
                            const QString& popupOff) {
    m_icons[0] = soundOn;
    m_icons[1] = soundOff;
    m_icons[2] = popupOn;
    m_icons[3] = popupOff;
    updateIcons();
}

void VolumeButton::updateIcons() {
    const QString& own = m_on ? m_icons[0] : m_icons[1];
    const QString& pop = m_on ? m_icons[2] : m_icons[3];
    if (!own.isEmpty()) setIcon(QIcon(own));
    if (!pop.isEmpty()) m_mute->setIcon(QIcon(pop));
}

void VolumeButton::showPopup() {
    m_popup->adjustSize();
    const QPoint corner = mapToGlobal(QPoint(width() / 2 - m_popup->width() / 2, -m_popup->height()));
    m_popup->move(corner);
    m_popup->show();
}

LeftRightLayout::LeftRightLayout(QWidget* parent) : QGridLayout(parent) {}

void LeftRightLayout::setItemCount(int perRow) { m_perRow = perRow > 0 ? perRow : 1; }

void LeftRightLayout::addWidget(QWidget* widget) {
    if (!widget) return;
    QGridLayout::addWidget(widget, m_count / m_perRow, m_count % m_perRow);
    ++m_count;
}

void LeftRightLayout::addWidget(const QList<QWidget*>& widgets) {
    for (QWidget* w : widgets) addWidget(w);
}

void LeftRightLayout::clear() {
    while (QLayoutItem* item = takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    m_count = 0;
}

}  // namespace ziraz
