// SPDX-License-Identifier: GPL-3.0-or-later
#include "OperateSelWidget.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

#include "ziraz/sharetools.h"

namespace {
void ReportConnectFailure(int line) {
    ShareTools::debugMessage(QString("connect failure! %1:%2 in OperateSelWidget::OperateSelWidget")
                                 .arg(QString::fromLatin1(__FILE__))
                                 .arg(line));
}
// The navigation buttons keep their width: a caption wider than the button
// is drawn in a smaller font, so that it shows whole.
void FitCaption(QToolButton* button) {
    QFont font = button->font();
    font.setPointSizeF(QFont().pointSizeF());
    const int room = button->maximumWidth() - 6;
    while (font.pointSizeF() > 6 && QFontMetrics(font).horizontalAdvance(button->text()) > room)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    button->setFont(font);
}
}  // namespace

void OperateSelWidget::Form::setupUi(QWidget* widget) {
    if (widget->objectName().isEmpty()) widget->setObjectName("OperateSelWidget");
    widget->resize(94, 781);
    widget->setStyleSheet(QString());
    gridLayout = new QGridLayout(widget);
    gridLayout->setObjectName("gridLayout");
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(0, 6, 0, 0);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName("verticalLayout");
    verticalLayout->setSpacing(0);
    auto makeButton = [&](const char* name) {
        auto* button = new QToolButton(widget);
        button->setObjectName(name);
        button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        button->setMinimumSize(70, 80);
        button->setMaximumSize(70, 80);
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        verticalLayout->addWidget(button);
        return button;
    };
    playbackBtn = makeButton("playbackBtn");
    evidencePlaybackBtn = makeButton("evidencePlaybackBtn");
    trackPlaybackBtn = makeButton("trackPlaybackBtn");
    logBtn = makeButton("logBtn");
    alarmBtn = makeButton("alarmBtn");
    settingBtn = makeButton("settingBtn");
    gridLayout->addLayout(verticalLayout, 0, 0, 1, 1);
    gridLayout->addItem(new QSpacerItem(20, 686, QSizePolicy::Minimum, QSizePolicy::Expanding), 1, 0, 1, 1);
    retranslateUi(widget);
}

void OperateSelWidget::Form::retranslateUi(QWidget* widget) {
    widget->setWindowTitle(QCoreApplication::translate("OperateSelWidget", "OperateSelWidget"));
    playbackBtn->setText(QCoreApplication::translate("OperateSelWidget", "Playback"));
    evidencePlaybackBtn->setText(QCoreApplication::translate("OperateSelWidget", "Evidence"));
    trackPlaybackBtn->setText(QCoreApplication::translate("OperateSelWidget", "TrackPlayback"));
    logBtn->setText(QCoreApplication::translate("OperateSelWidget", "Log"));
    alarmBtn->setText(QCoreApplication::translate("OperateSelWidget", "Alarm"));
    settingBtn->setText(QCoreApplication::translate("OperateSelWidget", "Setting"));
    for (QToolButton* b : {playbackBtn, evidencePlaybackBtn, trackPlaybackBtn, logBtn, alarmBtn, settingBtn})
        FitCaption(b);
}

OperateSelWidget::OperateSelWidget(QWidget* parent) : ziraz::Widget(parent), m_form(new Form) {
    m_form->setupUi(this);
    setFixedWidth(70);

    m_form->playbackBtn->setProperty("s", 0);
    m_form->evidencePlaybackBtn->setProperty("s", 1);
    m_form->trackPlaybackBtn->setProperty("s", 2);
    m_form->logBtn->setProperty("s", 3);
    m_form->alarmBtn->setProperty("s", 4);
    m_form->settingBtn->setProperty("s", 5);

    m_form->playbackBtn->setChecked(true);

    if (!connect(m_form->playbackBtn, &QToolButton::clicked, this, &OperateSelWidget::onPlayback))
        ReportConnectFailure(__LINE__);
    if (!connect(m_form->logBtn, &QToolButton::clicked, this, &OperateSelWidget::onLog)) ReportConnectFailure(__LINE__);
    if (!connect(m_form->settingBtn, &QToolButton::clicked, this, &OperateSelWidget::onSetting))
        ReportConnectFailure(__LINE__);
    if (!connect(m_form->trackPlaybackBtn, &QToolButton::clicked, this, &OperateSelWidget::onTrackPlayback))
        ReportConnectFailure(__LINE__);
    if (!connect(m_form->evidencePlaybackBtn, &QToolButton::clicked, this, &OperateSelWidget::onEvidencePlayback))
        ReportConnectFailure(__LINE__);
    if (!connect(m_form->alarmBtn, &QToolButton::clicked, this, &OperateSelWidget::onAlarm))
        ReportConnectFailure(__LINE__);

    for (QToolButton* b : {m_form->playbackBtn, m_form->evidencePlaybackBtn, m_form->trackPlaybackBtn, m_form->logBtn,
                           m_form->alarmBtn, m_form->settingBtn})
        b->setToolTip(b->text());

    // The track page is built but not reachable from the bar.
    m_form->trackPlaybackBtn->hide();
}

OperateSelWidget::~OperateSelWidget() {
    delete m_form;
    m_buttons.clear();
}

QToolButton* OperateSelWidget::button(int index) {
    if (m_buttons.isEmpty()) {
        m_buttons.insert(0, m_form->playbackBtn);
        m_buttons.insert(1, m_form->evidencePlaybackBtn);
        m_buttons.insert(2, m_form->trackPlaybackBtn);
        m_buttons.insert(3, m_form->logBtn);
        m_buttons.insert(4, m_form->alarmBtn);
        m_buttons.insert(5, m_form->settingBtn);
    }
    return m_buttons.value(index, nullptr);
}

void OperateSelWidget::checkOnly(QToolButton* selected) {
    for (QToolButton* b : {m_form->playbackBtn, m_form->evidencePlaybackBtn, m_form->trackPlaybackBtn, m_form->logBtn,
                           m_form->alarmBtn, m_form->settingBtn})
        b->setChecked(b == selected);
}

void OperateSelWidget::onPlayback() { checkOnly(m_form->playbackBtn); }
void OperateSelWidget::onLog() { checkOnly(m_form->logBtn); }
void OperateSelWidget::onSetting() { checkOnly(m_form->settingBtn); }
void OperateSelWidget::onAlarm() { checkOnly(m_form->alarmBtn); }
void OperateSelWidget::onTrackPlayback() { checkOnly(m_form->trackPlaybackBtn); }
void OperateSelWidget::onEvidencePlayback() { checkOnly(m_form->evidencePlaybackBtn); }
void OperateSelWidget::onCapturePlayback() { checkOnly(nullptr); }
