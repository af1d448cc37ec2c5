// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QGraphicsDropShadowEffect>
#include <QPalette>

#include "InstallingPage.h"
#include "Tavick/Tavick.h"
#include "UnInstallCompletedPage.h"

static void InitResourcesOutsideNamespace() { Q_INIT_RESOURCE(uninstaller); }

namespace appinstaller {

void InitUninstallResources() { InitResourcesOutsideNamespace(); }

MainWindow::MainWindow(QWidget* parent, const AppConfig* config) : QWidget(parent) {
    InitUninstallResources();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    m_ui.setupUi(this);

    if (!m_pInstallingPage) {
        m_pInstallingPage = new InstallingPage(this, config);
        m_ui.m_pInstallStackedWidget->addWidget(m_pInstallingPage);
    }
    if (!m_pCompletedPage) {
        m_pCompletedPage = new UnInstallCompletedPage(this);
        m_ui.m_pInstallStackedWidget->addWidget(m_pCompletedPage);
    }

    const QString qss = QStringLiteral(":/Uninstall/Qss/");
    setStyleSheet(Tavick::CFile::ReadAll(QDir(qss).entryList(QDir::Files), qss));

    connect(m_pInstallingPage, &InstallingPage::signalunInstallFinished, this, &MainWindow::onFinishedUnInstall);
    connect(m_pInstallingPage, &InstallingPage::signalClose, this, &QWidget::close);
    connect(m_pCompletedPage, &UnInstallCompletedPage::signalClose, this, &QWidget::close);

    m_ui.m_pInstallStackedWidget->setCurrentWidget(m_pInstallingPage);

    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor(0, 0, 0, 114));
    shadow->setBlurRadius(12);
    m_ui.m_pInstallStackedWidget->setGraphicsEffect(shadow);

    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QBrush(Qt::transparent, Qt::SolidPattern));
    setPalette(pal);
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
}

QWidget* MainWindow::currentPage() const { return m_ui.m_pInstallStackedWidget->currentWidget(); }

void MainWindow::onUninstall() {
    m_ui.m_pInstallStackedWidget->setCurrentWidget(m_pInstallingPage);
    m_pInstallingPage->startUnInstall();
}

void MainWindow::onFinishedUnInstall() {
    m_pCompletedPage->setReport(m_pInstallingPage->report());
    m_ui.m_pInstallStackedWidget->setCurrentWidget(m_pCompletedPage);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_pInstallingPage && m_pInstallingPage->isUninstalling()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace appinstaller
