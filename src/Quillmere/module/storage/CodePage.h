// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Local 8-bit code page <-> QString, with the locale's codec (the text as it
// is when no codec exists). The flag makes no difference; callers pass false.
// A null text gives an empty string.
#include <QByteArray>
#include <QString>
#include <string>

QString LocalToUnicode(const char* text, bool flag = false);
QByteArray UnicodeToLocal(const QString& text, bool flag = false);
// As UnicodeToLocal, cut at the first zero byte.
std::string UnicodeToLocalStdString(const QString& text, bool flag = false);
