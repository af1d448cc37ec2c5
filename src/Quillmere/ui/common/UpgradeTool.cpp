// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpgradeTool.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

#include "ziraz/genericds.h"
#include "ziraz/ziraz.h"

#include "caldrune/caldrune.h"

namespace {

const char kUpgradeFile[] = "Upgrade.xml";

int InterfaceLanguage() {
    return apt::ToolApplicationHull::instance()->language();
}

// The "Value" child of the document's child `node`; missing elements are
// added when `create` is set (so a preference can be recorded in a file that
// lacks it), else a null handle.
ziraz::GenericDS ValueNode(ziraz::GenericDS& doc, const QString& node, bool create) {
    ziraz::GenericDS parent = doc.GetChildByName(node);
    if (parent.isNull()) {
        if (!create) return parent;
        parent = doc.AddChild(node);
    }
    ziraz::GenericDS value = parent.GetChildByName(QStringLiteral("Value"));
    if (value.isNull() && create) value = parent.AddChild(QStringLiteral("Value"), QString());
    return value;
}

}  // namespace

namespace Ui {

void UpgradeToolClass::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("UpgradeToolClass"));
    form->resize(395, 128);
    form->setMinimumSize(380, 128);
    form->setMaximumSize(395, 128);
    horizontalLayout = new QHBoxLayout(form);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    frame = new QFrame(form);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    verticalLayout = new QVBoxLayout(frame);
    verticalLayout->setSpacing(0);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalSpacer = new QSpacerItem(20, 30, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout->addItem(verticalSpacer);
    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setSpacing(6);
    horizontalSpacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout_3->addItem(horizontalSpacer);
    iconLabel = new QLabel(frame);
    iconLabel->setObjectName(QStringLiteral("iconLabel"));
    iconLabel->setMinimumSize(36, 36);
    iconLabel->setMaximumSize(36, 36);
    horizontalLayout_3->addWidget(iconLabel);
    label_2 = new QLabel(frame);
    label_2->setObjectName(QStringLiteral("label_2"));
    horizontalLayout_3->addWidget(label_2);
    versionLabel = new QLabel(frame);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    horizontalLayout_3->addWidget(versionLabel);
    horizontalSpacer_2 = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout_3->addItem(horizontalSpacer_2);
    verticalLayout->addLayout(horizontalLayout_3);
    verticalSpacer_2 = new QSpacerItem(20, 29, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout->addItem(verticalSpacer_2);
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    checkBox = new QCheckBox(frame);
    checkBox->setObjectName(QStringLiteral("checkBox"));
    horizontalLayout_2->addWidget(checkBox);
    horizontalSpacer_3 = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    horizontalLayout_2->addItem(horizontalSpacer_3);
    verticalLayout->addLayout(horizontalLayout_2);
    horizontalLayout->addWidget(frame);
    retranslateUi(form);
}

void UpgradeToolClass::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("UpgradeToolClass", "UpgradeTool"));
    label_2->setText(QCoreApplication::translate("UpgradeToolClass", "New version found"));
    versionLabel->setText(QCoreApplication::translate("UpgradeToolClass", "V1.0.0"));
    checkBox->setText(QCoreApplication::translate("UpgradeToolClass", "No Prompt"));
}

}  // namespace Ui

UpgradeTool::UpgradeTool(const upgrade::tagAppProperty& property, QWidget* parent)
    : ziraz::BaseDialog(false, false, false, false, true, true, true, parent), m_property(property) {
    QWidget* center = new QWidget;
    m_ui.setupUi(center);
    setCenterWidget(center);
    setCenterMargin(0);
    setup();
    connect(m_ui.checkBox, &QCheckBox::stateChanged, this, &UpgradeTool::onCheckBoxStateChange);
}

UpgradeTool::~UpgradeTool() {
    // A running check or download ends before the dialog goes; its answer to
    // this dialog is dropped with the dialog.
    m_thread->quit();
    m_thread->wait();
    delete m_worker;
    delete m_thread;
}

void UpgradeTool::setup() {
    SetFixedSize(420, 198);
    setConfirmButtonText(tr("Upgrade"));
    setTitle(tr("Upgrade"));

    // Widgets stay on the GUI thread; the library calls run on a worker
    // object that lives on the dialog's thread.
    m_thread = new QThread;
    m_worker = new QObject;
    m_worker->moveToThread(m_thread);
    m_thread->start(QThread::InheritPriority);

    QPixmap warn(QStringLiteral(":/ziraz/warn.png"));
    if (warn.isNull()) warn = style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(36, 36);
    m_ui.iconLabel->setPixmap(warn);

    ziraz::GenericDS doc;
    doc.loadXML(ziraz::GetTargetPathFile(QLatin1String(kUpgradeFile)));
    const QString addressNode =
        InterfaceLanguage() != 0 ? QStringLiteral("ServerAddressZh") : QStringLiteral("ServerAddressEn");
    m_serverAddress = ValueNode(doc, addressNode, false).GetValue();
    m_noPrompt = ValueNode(doc, QStringLiteral("Prompt"), false).GetValue().toInt(nullptr, 10) == 0;

    m_upgrade = std::make_shared<upgrade::Upgrade>();
    m_upgrade->setServerAddr(m_serverAddress.toStdString());
}

void UpgradeTool::checkForUpdate() {
    std::shared_ptr<upgrade::Upgrade> upgrader = m_upgrade;
    const upgrade::tagAppProperty property = m_property;
    QMetaObject::invokeMethod(
        m_worker,
        [this, upgrader, property]() {
            std::string version;
            const bool found = upgrader->checkUpdate(version, property);
            const QString text = QString::fromStdString(version);
            QMetaObject::invokeMethod(
                this,
                [this, found, text]() {
                    if (found) setNewVersion(text);
                    emit signalUpdateCheckOver(found);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void UpgradeTool::setNewVersion(const QString& version) {
    m_version = QStringLiteral("V") + version;
    m_ui.versionLabel->setText(m_version);
}

void UpgradeTool::onUpgrade() {
    std::shared_ptr<upgrade::Upgrade> upgrader = m_upgrade;
    QMetaObject::invokeMethod(
        m_worker,
        [this, upgrader]() {
            const bool ok = upgrader->dowmloadPackage();
            QMetaObject::invokeMethod(
                this, [this, ok]() { emit signalDownloadOver(ok); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void UpgradeTool::onCheckBoxStateChange(int state) {
    if (state == Qt::Unchecked) {
        writePrompt(QStringLiteral("1"));
        m_noPrompt = false;
    } else if (state == Qt::Checked) {
        writePrompt(QStringLiteral("0"));
        m_noPrompt = true;
    }
}

void UpgradeTool::writePrompt(const QString& value) {
    const QString path = ziraz::GetTargetPathFile(QLatin1String(kUpgradeFile));
    ziraz::GenericDS doc;
    if (!doc.loadXML(path)) return;
    ValueNode(doc, QStringLiteral("Prompt"), true).SetValue(value);
    doc.SaveXML(path);
}
