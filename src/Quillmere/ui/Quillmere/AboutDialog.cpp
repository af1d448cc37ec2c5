// SPDX-License-Identifier: GPL-3.0-or-later
#include "AboutDialog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <cstring>

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

bool AboutDialog::onGetHelp() {
    // The manual: "help.pdf" of the program folder where one is installed,
    // else the HTML manual that comes with the program ("help/index.html",
    // with the pictures of the pages beside it).
    const QString path = ProgramFolder() + "/help.pdf";
    QFileInfo info(path);
    if (!(info.exists() && info.isFile() && info.suffix() == "pdf")) {
        const QFileInfo html(ProgramFolder() + "/help/index.html");
        if (html.exists() && html.isFile()) info = html;
    }
    if (info.exists() && info.isFile() && (info.suffix() == "pdf" || info.suffix() == "html")) {
        if (OpenUrl(QUrl::fromLocalFile(info.absoluteFilePath()))) return true;
        emit signalCover();
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("Open User's Manual fail."), parentWidgetOfBox());
        emit signalDiscover();
        return false;
    }
    emit signalCover();
    ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("No user manual found."), parentWidgetOfBox());
    emit signalDiscover();
    return false;
}

void AboutDialog::onSourceLicense() {
    // A missing folder counts as a failure: the desktop's opener would only
    // report it later, outside this program.
    const QString folder = ProgramFolder() + "/Open Source Software Licenses";
    if (!QFileInfo(folder).isDir() || !OpenUrl(QUrl::fromLocalFile(folder)))
        ziraz::WarningDlg::ShowMessageInfo(tr("Hint"), tr("Open Source Software Licenses file directory failed."),
                                           parentWidgetOfBox());
}
