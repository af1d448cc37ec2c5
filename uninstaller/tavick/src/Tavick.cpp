// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tavick/Tavick.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QResource>
#include <QStyleOption>
#include <QVBoxLayout>

#include "ziraz/ziraz.h"

namespace Tavick {

bool InitResource(const QString& rccPath, QString& styleSheet, bool append) {
    const QString path = QDir::cleanPath(rccPath);
    if (!QFileInfo(path).isFile() || !QResource::registerResource(path)) return false;
    const QString folder = QStringLiteral(":/Tavick/Qss/");
    const QString styles = CFile::ReadAll(QDir(folder).entryList(QDir::Files, QDir::Name), folder);
    styleSheet = append ? styleSheet + styles : styles;
    return true;
}

QString GetTargetPath() { return ziraz::GetTargetPath(); }

QString CFile::ReadAll(const QStringList& names, const QString& folder) {
    QString dir = folder;
    if (!dir.isEmpty() && !dir.endsWith('/')) dir += '/';
    QString text;
    for (const QString& name : names) {
        QFile f(dir + name);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        text += QString::fromUtf8(f.readAll());
        text += '\n';
    }
    return text;
}

// ---------------------------------------------------------------------------

CFancyTitle::CFancyTitle(QWidget* parent) : QWidget(parent) {}

void CFancyTitle::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        m_grabOffset = event->globalPos() - window()->frameGeometry().topLeft();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CFancyTitle::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        window()->move(event->globalPos() - m_grabOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void CFancyTitle::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void CFancyTitle::paintEvent(QPaintEvent*) {
    // Lets style sheets paint the background of this plain widget subclass.
    QStyleOption opt;
    opt.initFrom(this);
    QPainter p(this);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &p, this);
}

CCommandButton::CCommandButton(QWidget* parent) : QPushButton(parent) {
    setCursor(Qt::PointingHandCursor);
}

CSecondCommandButton::CSecondCommandButton(QWidget* parent) : QPushButton(parent) {
    setCursor(Qt::PointingHandCursor);
}

// ---------------------------------------------------------------------------

namespace {
enum ConstString { Confirm, Cancel, Close, Success, Error, Warning, Info, ConstStringCount };

QStringList& ConstStrings() {
    static QStringList strings{"Confirm", "Cancel", "Close", "Success", "Error", "Warning", "Info"};
    return strings;
}
}  // namespace

void CModalTipDialog::setConstStrings(const QStringList& strings) {
    QStringList& own = ConstStrings();
    for (int i = 0; i < ConstStringCount && i < strings.size(); ++i) own[i] = strings[i];
}

QStringList CModalTipDialog::constStrings() { return ConstStrings(); }

CModalTipDialog::CModalTipDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CModalTipDialog");
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::Dialog);
    setModal(true);

    auto* title = new CFancyTitle(this);
    title->setObjectName("m_pTipTitle");
    m_caption = new QLabel(title);
    m_caption->setObjectName("m_pCaptionLabel");
    m_closeBtn = new QPushButton(title);
    m_closeBtn->setObjectName("m_pCloseBtn");
    m_closeBtn->setFixedSize(24, 24);
    m_closeBtn->setText(QStringLiteral("\u00d7"));
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(16, 8, 8, 8);
    titleLayout->addWidget(m_caption);
    titleLayout->addStretch();
    titleLayout->addWidget(m_closeBtn);

    m_content = new QLabel(this);
    m_content->setObjectName("m_pContentLabel");
    m_content->setWordWrap(true);
    m_content->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_confirmBtn = new CCommandButton(this);
    m_confirmBtn->setObjectName("m_pConfirmBtn");
    m_confirmBtn->setMinimumSize(88, 32);
    m_cancelBtn = new CSecondCommandButton(this);
    m_cancelBtn->setObjectName("m_pCancelBtn");
    m_cancelBtn->setMinimumSize(88, 32);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelBtn);
    buttons->addWidget(m_confirmBtn);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 16);
    layout->addWidget(title);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(24, 8, 24, 0);
    body->addWidget(m_content, 1);
    body->addLayout(buttons);
    layout->addLayout(body, 1);

    connect(m_confirmBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_closeBtn, &QPushButton::clicked, this, &QDialog::reject);

    setDialogSize(SmallSize);
    applyModel();
}

void CModalTipDialog::setDialogModel(int model) {
    m_model = model;
    applyModel();
}

void CModalTipDialog::setContentText(const QString& text) { m_content->setText(text); }

QString CModalTipDialog::contentText() const { return m_content->text(); }

void CModalTipDialog::setDialogSize(int size) {
    if (size == LargeSize) setFixedSize(480, 240);
    else setFixedSize(400, 200);
}

void CModalTipDialog::applyModel() {
    const QStringList& s = ConstStrings();
    QString caption;
    switch (m_model) {
    case SuccessModel: caption = s[Success]; break;
    case ErrorModel: caption = s[Error]; break;
    case WarnModel: caption = s[Warning]; break;
    default: caption = s[Info]; break;
    }
    m_caption->setText(caption);
    m_closeBtn->setToolTip(s[Close]);
    m_confirmBtn->setText(s[Confirm]);
    m_cancelBtn->setText(s[Cancel]);
    m_cancelBtn->setVisible(m_model == QuestionModel);
    setWindowTitle(caption);
}

int CModalTipDialog::ShowMessageWarn(const QString& text, int size, QWidget* parent) {
    CModalTipDialog dlg(parent);
    dlg.setDialogModel(WarnModel);
    dlg.setContentText(text);
    dlg.setDialogSize(size);
    return dlg.exec();
}

int CModalTipDialog::ShowModalTipDialog(const QString& text, int model, int size, QWidget* parent) {
    CModalTipDialog dlg(parent);
    dlg.setDialogModel(model);
    dlg.setContentText(text);
    dlg.setDialogSize(size);
    return dlg.exec();
}

}  // namespace Tavick
