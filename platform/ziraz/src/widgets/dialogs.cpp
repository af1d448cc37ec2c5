// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/dialogs.h"

#include <algorithm>

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMovie>
#include <QMutex>
#include <QMutexLocker>
#include <QPixmap>
#include <QPointer>
#include <QUrl>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "ziraz/mainwindow.h"

namespace ziraz {

namespace {

QMutex& PresenterLock() {
    static QMutex lock;
    return lock;
}

DialogPresenter& Presenter() {
    static DialogPresenter presenter;
    return presenter;
}

QRect ScreenAreaOf(QWidget* parent) {
    QScreen* screen = nullptr;
    if (parent) screen = parent->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// The notices shown at the bottom right, oldest first: each newer one stands
// above the ones still open, so that none covers another; when one goes, the
// others close up towards the corner.
QList<QPointer<QWidget>>& OpenNotices() {
    static QList<QPointer<QWidget>> notices;
    return notices;
}

const int kNoticeGap = 6;

void StackNotices() {
    QList<QPointer<QWidget>>& notices = OpenNotices();
    notices.removeAll(QPointer<QWidget>());
    int bottom = 0;
    bool first = true;
    for (const QPointer<QWidget>& w : notices) {
        const QRect area = ScreenAreaOf(w->parentWidget());
        if (!area.isValid()) continue;
        if (first) bottom = area.bottom() + 1;
        first = false;
        w->move(area.right() - w->width() + 1, bottom - w->height());
        bottom -= w->height() + kNoticeGap;
    }
}

void MoveToRightBottom(QWidget* w, QWidget* parent) {
    Q_UNUSED(parent);
    OpenNotices().append(w);
    QObject::connect(w, &QObject::destroyed, [] { QTimer::singleShot(0, [] { StackNotices(); }); });
    StackNotices();
}

// The lines of a path in a notice (the whole path is the notice's tool tip);
// the notice is made wide enough for the widest of them, so that it breaks
// none of them again.
QStringList NoticePathLines(QLabel* note, const QString& path) {
    const int extra = 2 * note->margin() + 4;
    const QStringList lines = InformationDlg::PathLines(path, note->fontMetrics(), note->maximumWidth() - extra);
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, note->fontMetrics().horizontalAdvance(line));
    note->setMinimumWidth(std::min(note->maximumWidth(), widest + extra));
    return lines;
}

}  // namespace

DialogPresenter SetDialogPresenter(DialogPresenter presenter) {
    QMutexLocker locker(&PresenterLock());
    DialogPresenter old = std::move(Presenter());
    Presenter() = std::move(presenter);
    return old;
}

std::optional<int> PresentDialog(const DialogCall& call) {
    DialogPresenter presenter;
    {
        QMutexLocker locker(&PresenterLock());
        presenter = Presenter();
    }
    if (!presenter) return std::nullopt;
    return presenter(call);
}

QWidget* GetIndependentWindow(QWidget* widget, const char* className) {
    if (!widget) return nullptr;
    if (!className || !*className) return widget->window();
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (w->inherits(className)) return w;
    return nullptr;
}

// --- BaseDialog -------------------------------------------------------------

BaseDialog::BaseDialog(bool resizable, bool maxButton, bool minButton, bool icon, bool closeButton, bool confirmButton,
                       bool cancelButton, QWidget* parent)
    : QDialog(parent) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::FramelessWindowHint;
    if (maxButton) flags |= Qt::WindowMaximizeButtonHint;
    if (minButton) flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    Q_UNUSED(icon);
    build(resizable, closeButton, confirmButton, cancelButton);
}

BaseDialog::BaseDialog(QWidget* parent) : BaseDialog(false, false, false, false, true, true, true, parent) {}

void BaseDialog::build(bool resizable, bool closeButton, bool confirmButton, bool cancelButton) {
    setSizeGripEnabled(resizable);
    QVBoxLayout* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_title = new BaseTitle(this);
    m_title->setCloseButtonShow(closeButton);
    root->addWidget(m_title);

    QWidget* holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("ziraz_BaseDialog_CenterHolder"));
    m_centerLayout = new QVBoxLayout(holder);
    m_centerLayout->setContentsMargins(9, 9, 9, 9);
    m_center = new QWidget(holder);
    m_center->setObjectName(QStringLiteral("ziraz_BaseDialog_Center"));
    m_centerLayout->addWidget(m_center);
    root->addWidget(holder, 1);

    m_bottom = new QWidget(this);
    m_bottom->setObjectName(QStringLiteral("ziraz_BaseDialog_Bottom"));
    QHBoxLayout* bottom = new QHBoxLayout(m_bottom);
    bottom->addStretch(1);
    m_confirm = new QPushButton(tr("OK"), m_bottom);
    m_confirm->setObjectName(QStringLiteral("ziraz_BaseDialog_Confirm"));
    m_cancel = new QPushButton(tr("Cancel"), m_bottom);
    m_cancel->setObjectName(QStringLiteral("ziraz_BaseDialog_Cancel"));
    m_confirm->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    m_confirm->setVisible(confirmButton);
    m_cancel->setVisible(cancelButton);
    bottom->addWidget(m_confirm);
    bottom->addWidget(m_cancel);
    root->addWidget(m_bottom);

    connect(m_confirm, &QPushButton::clicked, this, &BaseDialog::onConfirmButtonClicked);
    connect(m_cancel, &QPushButton::clicked, this, &BaseDialog::onCancelButtonClicked);
    connect(m_title, &BaseTitle::SignalCloseClicked, this, &BaseDialog::onCloseButtonClicked);
}

void BaseDialog::setTitle(const QString& title) {
    m_title->setTitle(title);
    setWindowTitle(title);
}

QString BaseDialog::title() const { return m_title->title(); }

void BaseDialog::setCenterWidget(QWidget* widget) {
    if (!widget || widget == m_center) return;
    QWidget* holder = m_center->parentWidget();
    m_centerLayout->removeWidget(m_center);
    delete m_center;
    m_center = widget;
    widget->setParent(holder);
    m_centerLayout->addWidget(widget);
    widget->show();
}

void BaseDialog::setCenterMargin(int margin) { m_centerLayout->setContentsMargins(margin, margin, margin, margin); }

void BaseDialog::setConfirmButtonText(const QString& text) { m_confirm->setText(text); }

void BaseDialog::setCancelButtonText(const QString& text) { m_cancel->setText(text); }

void BaseDialog::setConfirmButtonVisible(bool visible) { m_confirm->setVisible(visible); }

void BaseDialog::setCancelButtonVisible(bool visible) { m_cancel->setVisible(visible); }

void BaseDialog::setConfirmButtonEnabled(bool enabled) { m_confirm->setEnabled(enabled); }

void BaseDialog::setBottomVisible(bool visible) { m_bottom->setVisible(visible); }

bool BaseDialog::isBottomVisible() const { return !m_bottom->isHidden(); }

void BaseDialog::setCloseButtonVisible(bool visible) { m_title->setCloseButtonShow(visible); }

void BaseDialog::SetFixedSize(int width, int height) { setFixedSize(width, height); }

void BaseDialog::setEnableDefaultConnections(bool confirm, bool cancel, bool close, bool escape, bool enter) {
    m_connConfirm = confirm;
    m_connCancel = cancel;
    m_connClose = close;
    m_connEscape = escape;
    m_connEnter = enter;
}

void BaseDialog::setConfirmButtonBehavior(bool accepts) { m_confirmAccepts = accepts; }

int BaseDialog::exec() {
    DialogCall call;
    call.kind = DialogKind::Modal;
    call.title = title();
    call.parent = parentWidget();
    call.dialog = this;
    if (std::optional<int> answer = PresentDialog(call)) {
        setResult(*answer);
        return *answer;
    }
    return QDialog::exec();
}

void BaseDialog::onConfirmButtonClicked() {
    emit signalConfirmButtonClicked();
    if (m_confirmAccepts && m_connConfirm) accept();
}

void BaseDialog::onCancelButtonClicked() {
    emit signalCancelButtonClicked();
    if (m_connCancel) reject();
}

void BaseDialog::onCloseButtonClicked() {
    emit signalCloseButtonClicked();
    if (m_connClose) reject();
}

void BaseDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        if (m_connEscape) reject();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_connEnter && m_confirm->isVisible() && m_confirm->isEnabled() && !m_bottom->isHidden())
            onConfirmButtonClicked();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

// --- message boxes ------------------------------------------------------------

namespace {

// A message dialog of the toolkit: an optional icon and a centred text.
BaseDialog* MakeMessageDialog(QWidget* parent, const QString& title, const QString& text, const QString& iconPath,
                              bool cancel) {
    BaseDialog* dialog = new BaseDialog(false, false, false, false, true, true, cancel, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setTitle(title);
    QWidget* center = new QWidget;
    QHBoxLayout* layout = new QHBoxLayout(center);
    if (!iconPath.isEmpty()) {
        QLabel* icon = new QLabel(center);
        icon->setObjectName(QStringLiteral("ziraz_Message_Icon"));
        icon->setPixmap(QPixmap(iconPath));
        layout->addWidget(icon);
    }
    QLabel* label = new QLabel(text, center);
    label->setObjectName(QStringLiteral("ziraz_Message_Text"));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label, 1);
    dialog->setCenterWidget(center);
    return dialog;
}

}  // namespace

int WarningDialog::showWarningDialog(int displayMs, int pictureType, const QString& text, QWidget* parent,
                                     QLineEdit* lineEdit, QLabel* label, const QStringList& icons, const QSize& size) {
    if (lineEdit) lineEdit->setText(text);
    if (label) label->setText(text);
    DialogCall call;
    call.kind = DialogKind::Warning;
    call.number = displayMs;
    call.pictureType = pictureType;
    call.text = text;
    call.parent = parent;
    call.icons = icons;
    call.size = size;
    if (std::optional<int> answer = PresentDialog(call)) return *answer;

    const QString icon = (pictureType >= 0 && pictureType < icons.size()) ? icons.at(pictureType) : QString();
    BaseDialog* dialog = MakeMessageDialog(parent, QString(), text, icon, false);
    dialog->setBottomVisible(false);
    if (size.isValid()) dialog->resize(size);
    if (displayMs > 0) QTimer::singleShot(displayMs, dialog, &QDialog::accept);
    const int result = dialog->QDialog::exec();
    delete dialog;
    return result;
}

int WarningDlg::ShowMessageInfo(const QString& title, const QString& text, QWidget* parent) {
    DialogCall call;
    call.kind = DialogKind::MessageInfo;
    call.title = title;
    call.text = text;
    call.parent = parent;
    if (std::optional<int> answer = PresentDialog(call)) return *answer;
    BaseDialog* dialog = MakeMessageDialog(parent, title, text, QString(), false);
    dialog->QDialog::exec();
    delete dialog;
    return 1;
}

int WarningDlg::CheckMessageInfo(const QString& title, const QString& text, QWidget* parent) {
    DialogCall call;
    call.kind = DialogKind::CheckMessage;
    call.title = title;
    call.text = text;
    call.parent = parent;
    if (std::optional<int> answer = PresentDialog(call)) return *answer;
    BaseDialog* dialog = MakeMessageDialog(parent, title, text, QString(), true);
    dialog->setConfirmButtonText(QObject::tr("Yes"));
    dialog->setCancelButtonText(QObject::tr("No"));
    const int result = dialog->QDialog::exec() == QDialog::Accepted ? 1 : 0;
    delete dialog;
    return result;
}

// --- notices ------------------------------------------------------------------

InformationDlg::InformationDlg(QWidget* parent)
    : QLabel(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("ziraz_InformationDlg"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMargin(12);
    setWordWrap(true);
    setMaximumWidth(560);
}

void InformationDlg::mousePressEvent(QMouseEvent* event) {
    Q_UNUSED(event);
    close();
}

QStringList InformationDlg::PathLines(const QString& path, const QFontMetrics& metrics, int width) {
    if (width <= 0 || metrics.horizontalAdvance(path) <= width) return {path};
    const int cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString folder = path.left(cut + 1);
    const QString name = path.mid(cut + 1);
    QStringList lines;
    if (!folder.isEmpty()) lines << metrics.elidedText(folder, Qt::ElideMiddle, width);
    // The name on lines of its own, broken where a line is full.
    QString line;
    for (int i = 0; i < name.size(); ++i) {
        // A surrogate pair stays together.
        const int n = (name.at(i).isHighSurrogate() && i + 1 < name.size()) ? 2 : 1;
        const QString piece = name.mid(i, n);
        if (!line.isEmpty() && metrics.horizontalAdvance(line + piece) > width) {
            lines << line;
            line.clear();
        }
        line += piece;
        i += n - 1;
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

InformationDlg* InformationDlg::ShowInformationAtScreenRightBottom(const QString& text, QWidget* parent, bool isPath,
                                                                   bool stay, bool autoClose) {
    DialogCall call;
    call.kind = DialogKind::Information;
    call.text = text;
    call.parent = parent;
    call.flags[0] = isPath;
    call.flags[1] = stay;
    call.flags[2] = autoClose;
    if (PresentDialog(call)) return nullptr;
    if (!QApplication::instance() || !qobject_cast<QApplication*>(QApplication::instance())) return nullptr;
    InformationDlg* note = new InformationDlg(parent);
    note->setAttribute(Qt::WA_DeleteOnClose);
    if (isPath) {
        note->setToolTip(text);
        note->setText(NoticePathLines(note, text).join(QLatin1Char('\n')));
    } else {
        note->setText(text);
    }
    note->adjustSize();
    MoveToRightBottom(note, parent);
    note->show();
    if (autoClose && !stay) QTimer::singleShot(kDisplayMs, note, &QWidget::close);
    return note;
}

void SnapshotInfoWnd::ShowInformationAtScreenRightBottom(const QString& text, QWidget* parent) {
    DialogCall call;
    call.kind = DialogKind::SnapshotInfo;
    call.text = text;
    call.parent = parent;
    if (PresentDialog(call)) return;
    if (!qobject_cast<QApplication*>(QApplication::instance())) return;
    InformationDlg* note = new InformationDlg(parent);
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setToolTip(text);
    // The picture, and under it where it was saved.
    const QSize shown = QPixmap(text).size().scaled(240, 135, Qt::KeepAspectRatio);
    QStringList lines = NoticePathLines(note, text);
    for (QString& line : lines) line = line.toHtmlEscaped();
    const QString path = lines.join(QStringLiteral("<br>"));
    if (shown.isValid() && !shown.isEmpty()) {
        note->setTextFormat(Qt::RichText);
        note->setText(QStringLiteral("<div align=\"center\"><img src=\"%1\" width=\"%2\" height=\"%3\"><br>%4</div>")
                          .arg(QUrl::fromLocalFile(text).toString().toHtmlEscaped())
                          .arg(shown.width())
                          .arg(shown.height())
                          .arg(path));
    } else {
        note->setText(NoticePathLines(note, text).join(QLatin1Char('\n')));
    }
    note->adjustSize();
    MoveToRightBottom(note, parent);
    note->show();
    QTimer::singleShot(InformationDlg::kDisplayMs, note, &QWidget::close);
}

// --- wait and progress dialogs ------------------------------------------------

ChaseDialog::ChaseDialog(QWidget* parent, const QString& animationPath, const QString& text, bool cancelable)
    : BaseDialog(false, false, false, false, true, false, cancelable, parent) {
    QWidget* center = new QWidget;
    QVBoxLayout* layout = new QVBoxLayout(center);
    QLabel* animation = new QLabel(center);
    animation->setAlignment(Qt::AlignCenter);
    if (QFile::exists(animationPath)) {
        QMovie* movie = new QMovie(animationPath, QByteArray(), animation);
        animation->setMovie(movie);
        movie->start();
    }
    m_text = new QLabel(text, center);
    m_text->setAlignment(Qt::AlignCenter);
    layout->addWidget(animation);
    layout->addWidget(m_text);
    setCenterWidget(center);
    setBottomVisible(cancelable);
}

QString ChaseDialog::text() const { return m_text->text(); }

void ChaseDialog::OnStopChaseByAccept() { accept(); }

Progress::Progress(QWidget* parent) : BaseDialog(false, false, false, false, false, false, false, parent) {
    QWidget* center = new QWidget;
    QVBoxLayout* layout = new QVBoxLayout(center);
    m_bar = new QProgressBar(center);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    layout->addWidget(m_bar);
    setCenterWidget(center);
    setBottomVisible(false);
}

int Progress::value() const { return m_bar->value(); }

int Progress::maximum() const { return m_bar->maximum(); }

void Progress::OnProgressChanged(int index, int count) {
    if (count <= 0) return;
    m_bar->setRange(0, count);
    m_bar->setValue(qBound(0, index + 1, count));
}

// --- about panel --------------------------------------------------------------

DialogAbout::DialogAbout(QObject* parent) : QWidgetAction(parent) {
    m_panel = new QWidget;
    m_panel->setObjectName(QStringLiteral("ziraz_DialogAbout"));
    QVBoxLayout* layout = new QVBoxLayout(m_panel);
    QHBoxLayout* top = new QHBoxLayout;
    top->addStretch(1);
    m_corner = new QPushButton(m_panel);
    top->addWidget(m_corner);
    layout->addLayout(top);
    m_name = new QLabel(m_panel);
    m_version = new QLabel(m_panel);
    m_licence = new QLabel(m_panel);
    m_licence->setVisible(false);
    layout->addWidget(m_name);
    layout->addWidget(m_version);
    layout->addWidget(m_licence);
    QHBoxLayout* bottom = new QHBoxLayout;
    m_btn1 = new QPushButton(m_panel);
    m_btn2 = new QPushButton(m_panel);
    bottom->addWidget(m_btn1);
    bottom->addWidget(m_btn2);
    layout->addLayout(bottom);
    connect(m_btn1, &QPushButton::clicked, this, &DialogAbout::siganlBtn1Clicked);
    connect(m_btn2, &QPushButton::clicked, this, &DialogAbout::siganlBtn2Clicked);
    connect(m_corner, &QPushButton::clicked, this, &DialogAbout::signalConerBtnClicked);
    setDefaultWidget(m_panel);
}

void DialogAbout::setName(const QString& text) { m_name->setText(text); }
void DialogAbout::setVersion(const QString& text) { m_version->setText(text); }
QString DialogAbout::version() const { return m_version->text(); }
QString DialogAbout::name() const { return m_name->text(); }
void DialogAbout::setLicence(const QString& text) {
    m_licence->setText(text);
    m_licence->setVisible(!text.isEmpty());
}
QString DialogAbout::licence() const { return m_licence->text(); }
void DialogAbout::setCornerButtonText(const QString& text) { m_corner->setText(text); }
void DialogAbout::setCornerButtonVisible(bool visible) { m_corner->setVisible(visible); }
void DialogAbout::setButton1Text(const QString& text) { m_btn1->setText(text); }
void DialogAbout::setButton2Text(const QString& text) { m_btn2->setText(text); }

void DialogAbout::setBottomButtonsVisible(bool visible) {
    m_btn1->setVisible(visible);
    m_btn2->setVisible(visible);
}

}  // namespace ziraz
