// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <cstring>

#include "caldrune/caldrune.h"
#include "ziraz/ziraz.h"

namespace {
AboutDialog::UrlOpener& Opener() {
    static AboutDialog::UrlOpener opener;
    return opener;
}

bool OpenUrl(const QUrl& url) {
    if (Opener()) return Opener()(url);
    return QDesktopServices::openUrl(url);
}

// The program folder without its trailing '/'.
QString ProgramFolder() {
    QString folder = ziraz::GetTargetPath();
    while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
    return folder;
}
}  // namespace

unsigned BuildDateNumber(const char* compileDate) {
    if (!compileDate || std::strlen(compileDate) != 11) return 0;
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QString text = QString::fromLatin1(compileDate);
    int month = 0;
    for (int i = 0; i < 12; ++i)
        if (text.left(3) == QLatin1String(kMonths[i])) month = i + 1;
    bool dayOk = false;
    bool yearOk = false;
    const int day = text.mid(4, 2).trimmed().toInt(&dayOk);
    const int year = text.mid(7, 4).toInt(&yearOk);
    if (month == 0 || !dayOk || !yearOk || day < 1 || day > 31) return 0;
    return static_cast<unsigned>(year) * 10000u + static_cast<unsigned>(month) * 100u + static_cast<unsigned>(day);
}

unsigned BuildDateNumber() { return BuildDateNumber(__DATE__); }

AboutDialog::UrlOpener AboutDialog::setUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

AboutDialog::AboutDialog(QObject* parent) : ziraz::DialogAbout(parent) {
    setCornerButtonText(tr("Check Update"));
    setCornerButtonVisible(false);
    setBottomButtonsVisible(true);
    setButton1Text(tr("User Help"));
    setButton2Text(tr("Licenses"));
    setName(tr("Name:") + "Qorvane KEL");
    setVersion(tr("Version:") + "V4.3.2" + tr("build") + QString::number(BuildDateNumber()));
    setLicence(tr("License:") + "GPL-3.0-or-later");
    connect(this, &ziraz::DialogAbout::siganlBtn1Clicked, this, &AboutDialog::onGetHelp);
    connect(this, &ziraz::DialogAbout::siganlBtn2Clicked, this, &AboutDialog::onSourceLicense);
}

QWidget* AboutDialog::parentWidgetOfBox() const { return qobject_cast<QWidget*>(parent()); }

QString AboutDialog::manualPath() {
    // The manual: "help.pdf" of the program folder where one is installed,
    // else the HTML manual that comes with the program ("help/index.html",
    // with the pictures of the pages beside it). In Chinese the Chinese one
    // ("help/index_zh.html") comes first.
    const QString home = ProgramFolder();
    QStringList candidates;
    if (apt::ConfigureManager::getCurrentLanguage() == 1) candidates << home + "/help/index_zh.html";
    candidates << home + "/help.pdf" << home + "/help/index.html";
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (info.exists() && info.isFile() && (info.suffix() == "pdf" || info.suffix() == "html"))
            return info.absoluteFilePath();
    }
    return QString();
}

bool AboutDialog::onGetHelp() {
    const QString path = manualPath();
    if (!path.isEmpty()) {
        if (OpenUrl(QUrl::fromLocalFile(path))) return true;
        emit signalCover();
        ziraz::WarningDlg::ShowMessageInfo(
            tr("Hint"),
            tr("The user manual %1 could not be opened: no program to show it is set up on this computer. "
               "Open the file with a web browser or a document viewer.")
                .arg(QDir::toNativeSeparators(path)),
            parentWidgetOfBox());
        emit signalDiscover();
        return false;
    }
    emit signalCover();
    ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("No user manual found."), parentWidgetOfBox());
    emit signalDiscover();
    return false;
}

void AboutDialog::onSourceLicense() {
    // A missing folder is told as such: the desktop's opener would only
    // report it later, outside this program.
    const QString folder = ProgramFolder() + "/Open Source Software Licenses";
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QFileInfo(folder).isDir()) {
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("The folder of licence texts %1 is missing.").arg(shown),
                                           parentWidgetOfBox());
    } else if (!OpenUrl(QUrl::fromLocalFile(folder))) {
        ziraz::WarningDlg::ShowMessageInfo(
            tr("Hint"),
            tr("The folder of licence texts %1 could not be opened: no file manager is set up on this computer. "
               "Open the folder with a file manager, or its texts with a text editor.")
                .arg(shown),
            parentWidgetOfBox());
    }
}
