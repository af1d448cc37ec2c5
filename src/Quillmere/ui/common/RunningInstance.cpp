// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunningInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QSize>
#include <QStringList>

#include <cstdio>

#include "Skin.h"
#include "ziraz/dialogs.h"
#include "ziraz/ziraz.h"

QString RunningInstanceText(const QString& program) {
    QString folder = ziraz::GetTargetPath();
    while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
    return QCoreApplication::translate("RunningInstance",
                                       "%1 is running already with the program folder\n%2\nUse its window (on the "
                                       "screen or in the task bar). This second start ends.")
        .arg(program, QDir::toNativeSeparators(folder));
}

void TellRunningInstance(const QString& program) {
    const QString text = RunningInstanceText(program);
    std::fprintf(stderr, "%s\n", qPrintable(text));
    Skin::Apply(qobject_cast<QApplication*>(QCoreApplication::instance()));
    const QStringList icons = {QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png"),
                               QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png"),
                               QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png")};
    ziraz::WarningDialog::showWarningDialog(6000, 1, text, nullptr, nullptr, nullptr, icons, QSize(420, 160));
}
