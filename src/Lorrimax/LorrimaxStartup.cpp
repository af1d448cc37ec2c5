#include "LorrimaxStartup.h"

#include <QApplication>
#include <QDebug>
#include <QTimer>

#include <string>

#include "BatchDownloadDialog.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "caldrune/caldrune.h"
#include "ziraz/ziraz.h"

int ReadDownloadFileType(int argc, char** argv) {
    if (argc < 2 || !argv || !argv[1]) return 0;
    bool ok = false;
    const int n = QString::fromStdString(std::string(argv[1])).toInt(&ok, 10);
    return ok ? n : 0;
}

int RunLorrimax(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_UseSoftwareOpenGL, true);
    PrepareUserProgramFolder();
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    hull->initialize(argc, argv, QStringLiteral("setup.xml"), QStringLiteral("Lorrimax"), true);
    hull->setAppName(QCoreApplication::translate("Lorrimax", "Lorrimax"));
    if (!hull->startApp()) return 0;

    const int number = ReadDownloadFileType(argc, argv);
    qDebug() << "downLoadFileType =" << number;

    CSettingsStore::GetInstance()->Load(ziraz::GetTargetPathFile(QStringLiteral("Settings.xml")));

    {
        Lorrimax dialog;
        dialog.setFixedWidth(720);
        dialog.setTitleSuffix(QCoreApplication::translate("Lorrimax", "Lorrimax"));
        dialog.setDiskKind(false);
        dialog.setDownLoadFileType(DownloadFileTypeOf(number));
        dialog.LoadSearchedFiles();
        dialog.show();
        dialog.makeTopMost();

        bool quitOk = false;
        const int quitAfter = qEnvironmentVariableIntValue("KEL_QUIT_AFTER_MS", &quitOk);
        if (quitOk && quitAfter > 0) QTimer::singleShot(quitAfter, &dialog, [&dialog] { dialog.close(); });

        hull->application();
        QApplication::exec();
        hull->distory();
    }
    return 0;
}
