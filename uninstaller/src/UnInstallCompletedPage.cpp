// SPDX-License-Identifier: GPL-3.0-or-later
#include "UnInstallCompletedPage.h"

#include <QCoreApplication>
#include <QFontMetrics>

#include "UpperWidget.h"

namespace appinstaller {

UnInstallCompletedPage::UnInstallCompletedPage(QWidget* parent) : QWidget(parent) {
    m_ui.setupUi(this);
    connect(m_ui.m_pUpperWidget, &UpperWidget::signalClose, this, &UnInstallCompletedPage::signalClose);
    connect(m_ui.m_pCompletedBtn, &QPushButton::clicked, this, &UnInstallCompletedPage::onCompletedBtnClicked);
}

void UnInstallCompletedPage::onCompletedBtnClicked() { emit signalClose(); }

void UnInstallCompletedPage::setReport(const UninstallReport& report) {
    if (report.ok()) {
        m_ui.m_pInstallInfoLabel->setText(QCoreApplication::translate("UnInstallCompletedUI", "Uninstalled"));
        m_ui.m_pInstallInfoLabel->setStyleSheet(QString());
        m_ui.m_pIconToolBtn->setStyleSheet(QString());
        if (report.kept.isEmpty()) {
            m_ui.m_pLeftoverLabel->clear();
            m_ui.m_pLeftoverLabel->setToolTip(QString());
            m_ui.m_pLeftoverLabel->hide();
            return;
        }
        // Folders the installation made that still hold other files (saved
        // videos and pictures among them) stay, and the user is told where.
        const QString text = QObject::tr("Kept, as they hold files the installation did not make: %1")
                                 .arg(report.kept.join(", "));
        const QFontMetrics metrics(m_ui.m_pLeftoverLabel->font());
        m_ui.m_pLeftoverLabel->setText(metrics.elidedText(text, Qt::ElideMiddle, 520));
        m_ui.m_pLeftoverLabel->setToolTip(report.kept.join('\n'));
        m_ui.m_pLeftoverLabel->show();
        return;
    }
    m_ui.m_pInstallInfoLabel->setText(report.nothingRemoved ? QObject::tr("Nothing was removed")
                                                            : QObject::tr("NotEverythingWasRemovedHxQpLm"));
    m_ui.m_pInstallInfoLabel->setStyleSheet("color: #FA8C16;");
    m_ui.m_pIconToolBtn->setStyleSheet(
        "background: transparent; border: none; "
        "border-image: url(:/Uninstall/Images/common_feedback_warning_lg.svg);");
    // One line: the first item left and how many more; the whole list is in
    // the tool tip.
    const QFontMetrics metrics(m_ui.m_pLeftoverLabel->font());
    QString line = metrics.elidedText(report.failures.first(), Qt::ElideMiddle, 520);
    if (report.failures.size() > 1) line += QObject::tr("AndMoreLeftoversTqWnZr").arg(report.failures.size() - 1);
    m_ui.m_pLeftoverLabel->setText(line);
    m_ui.m_pLeftoverLabel->setToolTip(report.failures.join('\n'));
    m_ui.m_pLeftoverLabel->show();
}

}  // namespace appinstaller
