// SPDX-License-Identifier: GPL-3.0-or-later
// The English and Chinese catalogues against the sources: the translation
// tool is run over the sources into copies of the catalogues, and every text
// the sources hand to the translation functions must come out with a
// finished translation in both; no English text may still be a key.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include "kel_test/test_support.h"

namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;  // "unfinished", "vanished", "obsolete" or empty
    bool hasTranslation = false;
};

std::vector<Message> ReadCatalogue(const QString& path) {
    std::vector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            current = Message();
            current.context = context;
        } else if (xml.name() == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            current.type = xml.attributes().value(QLatin1String("type")).toString();
            current.hasTranslation = true;
            current.translation = xml.readElementText();
            messages.push_back(current);
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

// A text that still reads like a key: a word run together with another
// (a lower-case letter followed by a capital, as in "AlarmTypeJzmkhgDE") or a
// run of five consonants that no English word has ("Swnxfh").
bool LooksLikeKey(const QString& text) {
    static const QRegularExpression camel(QStringLiteral("[a-z][A-Z]"));
    static const QRegularExpression consonants(QStringLiteral("[bcdfghjklmnpqrstvwxz]{5,}"),
                                               QRegularExpression::CaseInsensitiveOption);
    return camel.match(text).hasMatch() || consonants.match(text).hasMatch();
}

// Column names of the exported device log: XML element names, kept as they are.
bool IsElementName(const Message& m) { return m.context == QLatin1String("CLogWriteThread"); }

TEST(TranslationCatalogues, KeyLookTellsKeysFromWords) {
    const struct {
        const char* text;
        bool key;
    } cases[] = {
        {"AlarmChannelNameJzmkhgDE", true}, {"SmokingiSwnxfh", true},   {"SearchHCU29A3C", true},
        {"ChannelRKQ33T39", true},          {"TimeOfOccurrence", true}, {"Alarm Channel", false},
        {"Synchronous Playback", false},    {"KEL 4.3", false},         {"S.M.A.R.T. Information", false},
        {"发生时间", false},
    };
    for (const auto& c : cases) EXPECT_EQ(LooksLikeKey(QString::fromUtf8(c.text)), c.key) << c.text;
}

TEST(TranslationCatalogues, EveryTextOfTheSourcesIsTranslatedInBothLanguages) {
    const QString lupdate = qEnvironmentVariable("LUPDATE");
    const QString lrelease = qEnvironmentVariable("LRELEASE");
    ASSERT_TRUE(QFileInfo(lupdate).isExecutable()) << lupdate.toStdString();
    ASSERT_TRUE(QFileInfo(lrelease).isExecutable()) << lrelease.toStdString();
    const QString source = kel_test::SourceDir();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());

    QStringList catalogues;
    for (const char* language : {"en", "zh"}) {
        const QString name = QStringLiteral("kel_%1.ts").arg(QLatin1String(language));
        const QString copy = work.filePath(name);
        ASSERT_TRUE(QFile::copy(source + "/translations/" + name, copy)) << name.toStdString();
        catalogues << copy;
    }
    QProcess update;
    update.setProcessChannelMode(QProcess::MergedChannels);
    update.start(lupdate, QStringList{"-no-obsolete", "-locations", "none", "-extensions", "cpp,h,inc",
                                      source + "/src", source + "/platform", "-ts"} + catalogues);
    ASSERT_TRUE(update.waitForFinished(240000));
    const QByteArray updateOutput = update.readAll();
    ASSERT_EQ(update.exitCode(), 0) << updateOutput.constData();

    std::vector<Message> english;
    for (const QString& catalogue : catalogues) {
        const std::vector<Message> messages = ReadCatalogue(catalogue);
        ASSERT_FALSE(messages.empty()) << catalogue.toStdString();
        QStringList problems;
        for (const Message& m : messages) {
            const QString where = m.context + " | " + m.source;
            if (!m.hasTranslation || m.type == QLatin1String("unfinished") || m.translation.isEmpty())
                problems << where + " | no finished translation";
            else if (!m.type.isEmpty())
                problems << where + " | " + m.type;
        }
        EXPECT_TRUE(problems.isEmpty()) << QFileInfo(catalogue).fileName().toStdString() << ":\n"
                                        << problems.join('\n').toStdString();
        if (catalogue.endsWith("kel_en.ts")) english = messages;

        // Both catalogues compile.
        QProcess release;
        release.setProcessChannelMode(QProcess::MergedChannels);
        const QString qm = catalogue.left(catalogue.size() - 3) + ".qm";
        release.start(lrelease, {"-silent", catalogue, "-qm", qm});
        ASSERT_TRUE(release.waitForFinished(60000));
        EXPECT_EQ(release.exitCode(), 0) << release.readAll().constData();
        EXPECT_GT(QFileInfo(qm).size(), 0);
    }

    QStringList keys;
    for (const Message& m : english)
        if (!IsElementName(m) && LooksLikeKey(m.translation)) keys << m.context + " | " + m.source + " -> " + m.translation;
    EXPECT_TRUE(keys.isEmpty()) << "English texts that read like keys:\n" << keys.join('\n').toStdString();
}

}  // namespace
