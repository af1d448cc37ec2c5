// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about panel under the title bar's about button: name, version with the
// build date, "User Help" (opens the manual of the interface's language: in
// Chinese "help/index_zh.html" of the program folder; else, or without it,
// "help.pdf" there, else the HTML manual "help/index.html") and "Licenses"
// (opens the folder of licence texts, "Open Source Software Licenses"). What
// cannot be opened is named, with how to open it otherwise.
#include <QUrl>
#include <functional>

#include "ziraz/dialogs.h"

// The build date as yyyymmdd from a compiler date text "Mmm dd yyyy" (a
// blank before days 1 to 9); 0 when the text is not of that form.
unsigned BuildDateNumber(const char* compileDate);
// The build date of this program.
unsigned BuildDateNumber();

class AboutDialog : public ziraz::DialogAbout {
    Q_OBJECT
public:
    explicit AboutDialog(QObject* parent = nullptr);

    // How URLs are handed to the system's viewer (QDesktopServices::openUrl
    // when none is set). Returns the previous opener.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static UrlOpener setUrlOpener(UrlOpener opener);

signals:
    void signalCover();
    void signalDiscover();

public slots:
    // True when the manual was handed to the system's viewer.
    bool onGetHelp();
    // The manual User Help opens (absolute); empty when there is none.
    static QString manualPath();
    void onSourceLicense();

private:
    QWidget* parentWidgetOfBox() const;
};
