#include "Application.h"

#include <QDir>
#include <QTranslator>

#include "AppConfig.h"
#include "MainWindow.h"
#include "SystemChecks.h"
#include "Tavick/Tavick.h"

namespace appinstaller {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    LoadTranslations(Tavick::GetTargetPath() + "translations/", QLocale());
}

QStringList Application::TranslationFilters(const QLocale& locale) {
    QStringList filters{"*_en.qm"};
    switch (locale.language()) {
    case QLocale::Chinese:
        filters << (locale.country() == QLocale::Taiwan ? "*_tw.qm" : "*_zh.qm");
        break;
    case QLocale::French:
        filters << "*_fr.qm";
        break;
    case QLocale::Portuguese:
        filters << "*_pt.qm";
        break;
    default:
        break;
    }
    return filters;
}

QStringList Application::LoadTranslations(const QString& folder, const QLocale& locale) {
    QStringList loaded;
    const QStringList files = QDir(folder).entryList(TranslationFilters(locale));
    for (const QString& file : files) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(file, folder) && QCoreApplication::installTranslator(translator)) {
            loaded << file;
        } else {
            delete translator;
        }
    }
    return loaded;
}

int RunUninstaller(const AppConfig& config) {
    QString styleSheet;
    if (Tavick::InitResource(QDir::cleanPath(Tavick::GetTargetPath() + "/rcc/guiresource.rcc"), styleSheet, false))
        qApp->setStyleSheet(styleSheet);

    MainWindow window(nullptr, &config);

    Tavick::CModalTipDialog::setConstStrings({QObject::tr("Confirm"), QObject::tr("Cancel"), QObject::tr("Close"),
                                              QObject::tr("Success"), QObject::tr("Error"), QObject::tr("Warning"),
                                              QObject::tr("Info")});

    if (IsClientRunning(QString::fromStdString(config.GetProgramName()))) {
        Tavick::CModalTipDialog::ShowMessageWarn(QObject::tr("TheClientIsRunningPrnptTrdtT"), 0, nullptr);
        return -1;
    }
    if (UninstallRegistry::instance()->IsInstalled(config.GetGUID())) {
        Tavick::CModalTipDialog dlg;
        dlg.setDialogModel(Tavick::CModalTipDialog::QuestionModel);
        dlg.setContentText(QObject::tr("DetermineTheUninstalfYANYiIa"));
        dlg.setDialogSize(Tavick::CModalTipDialog::LargeSize);
        if (dlg.exec()) {
            window.show();
            window.onUninstall();
            return QApplication::exec();
        }
        return -1;
    }
    Tavick::CModalTipDialog::ShowMessageWarn(QObject::tr("ThisSoftwareIsNotCurmXqDCfI"), 0, nullptr);
    return -1;
}

}  // namespace appinstaller
