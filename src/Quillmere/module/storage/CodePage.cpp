// SPDX-License-Identifier: GPL-3.0-or-later
#include "CodePage.h"

#include <QTextCodec>

QString LocalToUnicode(const char* text, bool flag) {
    Q_UNUSED(flag);
    if (!text) return QString();
    if (QTextCodec* codec = QTextCodec::codecForLocale()) return codec->toUnicode(text);
    return QString(text);
}

QByteArray UnicodeToLocal(const QString& text, bool flag) {
    Q_UNUSED(flag);
    if (QTextCodec* codec = QTextCodec::codecForLocale()) return codec->fromUnicode(text);
    return text.toLocal8Bit();
}

std::string UnicodeToLocalStdString(const QString& text, bool flag) {
    Q_UNUSED(flag);
    if (QTextCodec* codec = QTextCodec::codecForLocale()) {
        QByteArray bytes = codec->fromUnicode(text);
        return std::string(bytes.constData());  // up to the first zero byte
    }
    return text.toStdString();
}
