// SPDX-License-Identifier: GPL-3.0-or-later
#include "TitleBar.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSpacerItem>

#include "AboutDialog.h"
#include "ziraz/controls.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"

// The images of the bar live in this library's resources; a static library
// has to register them itself.
static void InitTitleBarResources() { Q_INIT_RESOURCE(Quillmere); }

namespace {
// Button images follow the object names: "TitleBar_restore" while the window
// is normal (the button maximises), "TitleBar_max" while it is maximised.
const char kTitleBarStyle[] =
    "QToolButton { border: none; background: transparent; }"
    "QToolButton#aboutBtn { image: url(:/Quillmere/Images/Title/title_about.svg); }"
    "QToolButton#minBtn { image: url(:/Quillmere/Images/Title/title_min.svg); }"
    "QToolButton#TitleBar_restore { image: url(:/Quillmere/Images/Title/title_max.svg); }"
    "QToolButton#TitleBar_max { image: url(:/Quillmere/Images/Title/title_restore.svg); }"
    "QToolButton#closeBtn { image: url(:/Quillmere/Images/Title/title_close.svg); }"
    "QToolButton#iconBtn { image: url(:/Quillmere/Images/Title/logo_256.png); }";

void ReportConnectFailure(int line) {
    ShareTools::debugMessage(
        QString("connect failure! %1:%2 in TitleBar::initConnect").arg(QString::fromLatin1(__FILE__)).arg(line));
}
}  // namespace

void TitleBar::Form::setupUi(QFrame* widget) {
    if (widget->objectName().isEmpty()) widget->setObjectName("TitleBar");
    widget->resize(738, 58);
    gridLayout = new QGridLayout(widget);
    gridLayout->setObjectName("gridLayout");
    gridLayout->setSpacing(6);
    int left = 0, top = 0, right = 0, bottom = 0;
    gridLayout->getContentsMargins(&left, &top, &right, &bottom);
    gridLayout->setContentsMargins(left, top, 18, bottom);

    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName("horizontalLayout_2");
    horizontalLayout_2->setSpacing(6);
    iconBtn = new ziraz::ToolButton(widget);
    iconBtn->setObjectName("iconBtn");
    iconBtn->setFixedSize(24, 24);
    horizontalLayout_2->addWidget(iconBtn);
    titleLabel = new ziraz::Label(widget);
    titleLabel->setObjectName("titleLabel");
    horizontalLayout_2->addWidget(titleLabel);
    gridLayout->addLayout(horizontalLayout_2, 0, 0, 1, 1);

    gridLayout->addItem(new QSpacerItem(449, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 1, 1, 1);

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName("horizontalLayout");
    horizontalLayout->setSpacing(16);
    auto makeButton = [&](const char* name) {
        auto* button = new ziraz::ToolButton(widget);
        button->setObjectName(name);
        button->setFixedSize(16, 16);
        horizontalLayout->addWidget(button);
        return button;
    };
    downloadBtn = makeButton("downloadBtn");
    aboutBtn = makeButton("aboutBtn");
    minBtn = makeButton("minBtn");
    maxBtn = makeButton("maxBtn");
    closeBtn = makeButton("closeBtn");
    gridLayout->addLayout(horizontalLayout, 0, 2, 1, 1);
    retranslateUi(widget);
}

void TitleBar::Form::retranslateUi(QFrame* widget) {
    widget->setWindowTitle(QCoreApplication::translate("TitleBar", "TitleBar"));
    titleLabel->setText(QCoreApplication::translate("TitleBar", "Qorvane KEL"));
}

TitleBar::TitleBar(QWidget* parent) : ziraz::FancyTitle(parent), m_form(new Form) {
    InitTitleBarResources();
    m_form->setupUi(this);
    setStyleSheet(kTitleBarStyle);

    m_aboutMenu = new ziraz::PlaneMenu();
    m_aboutMenu->setObjectName("Title_AboutMenu");
    m_about = new AboutDialog(this);
    m_aboutMenu->addAction(m_about);
    m_aboutMenu->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    m_aboutMenu->setAttribute(Qt::WA_TranslucentBackground);
    m_aboutMenu->setFocusPolicy(Qt::NoFocus);

    m_form->downloadBtn->hide();

    initConnect();

    SetOpenDoubleClickEnable(true);
    setFixedHeight(40);
    setRestoreSize(QSize(1270, 760), QSize(10000, 10000));
    m_form->maxBtn->setObjectName("TitleBar_restore");
}

TitleBar::~TitleBar() {
    delete m_form;
    m_form = nullptr;
    delete m_aboutMenu;
    m_aboutMenu = nullptr;
    delete m_about;
    m_about = nullptr;
}

void TitleBar::initConnect() {
    if (!connect(m_form->minBtn, &QToolButton::clicked, this, &TitleBar::onMin)) ReportConnectFailure(__LINE__);
    if (!connect(m_form->maxBtn, &QToolButton::clicked, this, &TitleBar::onRestore)) ReportConnectFailure(__LINE__);
    if (!connect(m_form->closeBtn, &QToolButton::clicked, this, &TitleBar::onClose)) ReportConnectFailure(__LINE__);
    if (!connect(m_form->aboutBtn, &QToolButton::clicked, this, &TitleBar::onAbout)) ReportConnectFailure(__LINE__);
    if (!connect(this, &ziraz::FancyTitle::SignalDoubleClicked, this, &TitleBar::onDoubleClicked))
        ReportConnectFailure(__LINE__);
    if (!connect(m_about, &ziraz::DialogAbout::signalConerBtnClicked, this, &TitleBar::signalCheckUpdate))
        ReportConnectFailure(__LINE__);
}

QString TitleBar::version() const { return m_about ? m_about->version() : QString(); }

QWidget* TitleBar::barWindow() { return ziraz::GetIndependentWindow(this); }

void TitleBar::onMin() {
    if (QWidget* window = barWindow()) window->showMinimized();
}

void TitleBar::onClose() {
    if (QWidget* window = barWindow()) window->close();
}

void TitleBar::onRestore() {
    if (!barWindow()) return;
    OnImitateDoubleClick();
    m_form->maxBtn->setObjectName(isWindowMaximized(barWindow()) ? "TitleBar_max" : "TitleBar_restore");
    m_form->maxBtn->setStyleSheet("background-color: ;");
}

void TitleBar::onDoubleClicked() {
    // The base has already toggled the window when this signal comes, so the
    // name follows the state it is in now, as after the maximise button.
    QWidget* window = barWindow();
    m_form->maxBtn->setObjectName(window && isWindowMaximized(window) ? "TitleBar_max" : "TitleBar_restore");
    m_form->maxBtn->setStyleSheet("background-color: ;");
}

void TitleBar::onAbout() {
    QPoint at = QCursor::pos();
    at.rx() -= 149;
    m_aboutMenu->popup(at);
}

void TitleBar::onMenuHelpClicked() {
    m_aboutMenu->close();
    onKeyF1Pressed();
}

void TitleBar::onKeyF1Pressed() {
    if (m_about) m_about->onGetHelp();
}
