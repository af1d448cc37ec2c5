// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QTextCodec>

#include "common/InterfaceHelpers.h"

namespace {

// Pins the locale codec for one test.
class LocaleCodec {
public:
    explicit LocaleCodec(const char* name) : m_old(QTextCodec::codecForLocale()) {
        QTextCodec::setCodecForLocale(QTextCodec::codecForName(name));
    }
    ~LocaleCodec() { QTextCodec::setCodecForLocale(m_old); }

private:
    QTextCodec* m_old;
};

TEST(InterfaceHelpers, LocalTextRoundTripsUnderTheLocaleCodec) {
    const QString texts[] = {QString("D:/Video/clip 1.mp4"), QString::fromUtf8("D:/Fahrt \xC3\xBC\xC3\x9F/a.mp4"),
                             QString::fromUtf8("E:/\xE8\xBD\xA6\xE8\xBE\x86/b.mp4"), QString()};
    for (const char* codec : {"UTF-8", "GB18030"}) {
        LocaleCodec pin(codec);
        for (const QString& t : texts) {
            SCOPED_TRACE(std::string(codec) + " " + t.toStdString());
            QByteArray local = UnicodeToLocal(t);
            EXPECT_EQ(LocalToUnicode(local.constData()), t);
            EXPECT_EQ(LocalToUnicode(local.constData(), true), t);
            EXPECT_EQ(UnicodeToLocalStdString(t), std::string(local.constData()));
        }
    }
}

TEST(InterfaceHelpers, LocaleCodecIsUsedAndNullIsEmpty) {
    LocaleCodec pin("ISO-8859-1");
    EXPECT_EQ(UnicodeToLocal(QString::fromUtf8("\xC3\xBC")), QByteArray("\xFC"));
    EXPECT_EQ(LocalToUnicode("\xFC"), QString::fromUtf8("\xC3\xBC"));
    EXPECT_TRUE(LocalToUnicode(nullptr).isEmpty());
    QString withZero = QString("ab") + QChar(0) + "cd";
    EXPECT_EQ(UnicodeToLocalStdString(withZero), "ab");
}

}  // namespace
