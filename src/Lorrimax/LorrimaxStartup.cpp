// SPDX-License-Identifier: GPL-3.0-or-later
#include "LorrimaxStartup.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QTimer>

#include <string>

#include "Download/Batch/BatchDownloadDialog.h"
#include "common/RunningInstance.h"
#include "storage/ProgramFolder.h"
#include "storage/Settings.h"
#include "caldrune/caldrune.h"
#include "ziraz/dialogs.h"
#include "ziraz/ziraz.h"
#include "storage/KelLogging.h"
#include "wincompat/heap.h"

int ReadDownloadFileType(int argc, char** argv) {
    if (argc < 2 || !argv || !argv[1]) return 0;
    bool ok = false;
    const int n = QString::fromStdString(std::string(argv[1])).toInt(&ok, 10);
    return ok ? n : 0;
}

int RunLorrimax(int argc, char** argv) {
    if (apt::SayWhenNoDisplay(QStringLiteral("Lorrimax"))) return 1;
    wincompat::UseLargeBlocksFromTheSystem();
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL, true);
    PrepareUserProgramFolder();
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    hull->initialize(argc, argv, QStringLiteral("setup.xml"), QStringLiteral("Lorrimax"), true);
    if (!hull->startApp()) {
        // A second start on the same folder says so before it ends.
        if (hull->refusedForRunningInstance()) TellRunningInstance(QCoreApplication::translate("Lorrimax", "Lorrimax"));
        return 0;
    }
    // Named once the catalogue is loaded, so the name is translated.
    hull->setAppName(QCoreApplication::translate("Lorrimax", "Lorrimax"));

    const int number = ReadDownloadFileType(argc, argv);
    qCDebug(lcKelUi) << "downLoadFileType =" << number;

    CSettingsStore::GetInstance()->Load(ziraz::GetTargetPathFile(QStringLiteral("Settings.xml")));

    {
        Lorrimax dialog;  // as wide as its table's texts need, at least 720 pixels
        dialog.setTitleSuffix(QCoreApplication::translate("Lorrimax", "Lorrimax"));
        dialog.setDiskKind(false);
        dialog.setDownLoadFileType(DownloadFileTypeOf(number));
        dialog.LoadSearchedFiles();
        dialog.show();
        dialog.makeTopMost();
        // Started by hand, without KEL's hand-over: say why the table is
        // empty and where the list comes from (the notice stays until it is
        // clicked or the dialog closes).
        if (!QFileInfo::exists(ziraz::GetTargetPathFile(QStringLiteral("SearchedFile.xml")))) {
            QString folder = ziraz::GetTargetPath();
            while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
            ziraz::InformationDlg::ShowInformationAtScreenRightBottom(
                QCoreApplication::translate("Lorrimax",
                                            "Nothing to download: there is no search result (\"%2\") in the program "
                                            "folder %1. Search in KEL and press Download on its search panel; KEL then "
                                            "starts this program with the files it found.")
                    .arg(folder, QStringLiteral("SearchedFile.xml")),
                &dialog, false, true, false);
        }

        bool quitOk = false;
        const int quitAfter = qEnvironmentVariableIntValue("KEL_QUIT_AFTER_MS", &quitOk);
        if (quitOk && quitAfter > 0) QTimer::singleShot(quitAfter, &dialog, [&dialog] { dialog.close(); });

        hull->application();
        QApplication::exec();
        hull->distory();
    }
    return 0;
}
