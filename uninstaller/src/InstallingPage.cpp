// SPDX-License-Identifier: GPL-3.0-or-later
#include "InstallingPage.h"

#include "Tavick/Tavick.h"
#include "UpperWidget.h"

namespace appinstaller {

InstallingPage::InstallingPage(QWidget* parent, const AppConfig* config) : QWidget(parent), m_config(config) {
    m_ui.setupUi(this);
    m_ui.frame->setFixedWidth(0);
    m_iProcess = 0;
    m_ui.m_pWidgetProcessBar->setStyleSheet("border:1px solid rgba(0,0,0,0.2);border-radius:8px");
    m_ui.frame->setStyleSheet("background:red; border-radius:5px; border:none;");

    connect(m_ui.m_pCancelBtn, &QPushButton::clicked, this, &InstallingPage::onCancelInstall);
    connect(m_ui.m_pUpperWidget, &UpperWidget::signalClose, this, &InstallingPage::signalClose);
    // Creates the manager in this (the GUI) thread; its reports come from the
    // uninstall thread and so arrive queued.
    connect(InstallProcessMgr::instance(), &InstallProcessMgr::signalProcess, this, &InstallingPage::onProcessInfo);
}

InstallingPage::~InstallingPage() {
    if (m_thread) m_thread->wait();
}

void InstallingPage::startUnInstall() {
    if (m_started) return;
    m_started = true;
    m_ui.m_pCancelBtn->hide();
    m_thread = new UnInstallThread(this, m_config);
    connect(m_thread.data(), &QThread::finished, this, &InstallingPage::onThreadFinished);
    m_thread->start(QThread::InheritPriority);
}

void InstallingPage::onThreadFinished() {
    if (m_finished || !m_thread) return;
    // finished() is sent just before the thread ends; wait for the end so the
    // report is complete and the thread object may go.
    m_thread->wait();
    m_report = m_thread->report();
    m_finished = true;
    emit signalunInstallFinished();
}

void InstallingPage::onCancelInstall() {
    // The sequence cannot stop once it runs, so a cancel is offered only
    // before it starts; confirming it closes the window with nothing removed.
    if (m_started) return;
    Tavick::CModalTipDialog dlg(this);
    dlg.setDialogModel(Tavick::CModalTipDialog::QuestionModel);
    dlg.setContentText(QObject::tr("ConfirmUninstallOemAjtmnj"));
    dlg.setDialogSize(Tavick::CModalTipDialog::SmallSize);
    if (dlg.exec() == QDialog::Accepted && !m_started) {
        emit signalCancelInstall();
        emit signalClose();
    }
}

void InstallingPage::onProcessInfo(int iProcess, QString strProcessName) {
    const int percent = qBound(0, iProcess, 100);
    m_ui.m_pInstallingLabel->setText(strProcessName);
    m_ui.m_pInstallProgressLabel->setText(QString::number(iProcess) + "%");
    m_ui.frame->setFixedWidth(percent * (m_ui.m_pWidgetProcessBar->width() - 6) / 100);
    m_iProcess = iProcess;
    update();
}

}  // namespace appinstaller
