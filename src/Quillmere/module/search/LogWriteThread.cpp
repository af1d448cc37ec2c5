// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogWriteThread.h"

#include <QAbstractItemModel>
#include <QDebug>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include "storage/KelLogging.h"

namespace {

// An element name must stay a name after translation; a translation that is
// not one falls back to the untranslated name.
bool IsXmlName(const QString& name) {
    if (name.isEmpty()) return false;
    const QChar first = name.at(0);
    if (!first.isLetter() && first != QLatin1Char('_')) return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

// Cell texts keep only the characters that an XML 1.0 document may hold.
QString XmlText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out.append(c);
            out.append(text.at(++i));
            continue;
        }
        if (c.isSurrogate()) continue;
        if (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) continue;
        if (u == 0xFFFE || u == 0xFFFF) continue;
        out.append(c);
    }
    return out;
}

const char kParameterType[] = "ParameterType";

}  // namespace

CLogWriteThread::CLogWriteThread() : QThread(nullptr) {}

CLogWriteThread::~CLogWriteThread() { wait(); }

QStringList CLogWriteThread::ColumnNames() {
    QStringList names;
    names << QStringLiteral("ID") << QStringLiteral("OperationTime") << QStringLiteral("MajorType")
          << QStringLiteral("MinorType") << QStringLiteral("LocalOperator") << QStringLiteral("RemoteOperator")
          << QStringLiteral("RemoteHostAddress") << QString::fromLatin1(kParameterType);
    const char* const translated[] = {QT_TR_NOOP("ChannelNo"), QT_TR_NOOP("DiskNo"), QT_TR_NOOP("AlarmInput"),
                                      QT_TR_NOOP("AlarmOutput")};
    for (const char* key : translated) {
        const QString name = tr(key);
        names << (IsXmlName(name) ? name : QString::fromLatin1(key));
    }
    return names;
}

void CLogWriteThread::run() {
    QSaveFile file(m_filePath);
    if (m_filePath.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCDebug(lcKelSearch) << "Error: cannot write file";
        emit signalSendWriteOver(OpenFailed);
        return;
    }
    if (!m_model) {
        // Nothing to export: leave whatever the path holds.
        file.cancelWriting();
        emit signalSendWriteOver(CloseFailed);
        return;
    }

    const QStringList names = ColumnNames();
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.setCodec("UTF-8");
    xml.writeStartDocument(QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("LogTypes"));
    const int rows = m_model->rowCount();
    const int columns = qMin(m_model->columnCount(), names.size());
    xml.writeStartElement(QStringLiteral("Logs"));
    for (int row = 0; row < rows; ++row) {
        xml.writeStartElement(QStringLiteral("Log"));
        for (int column = 0; column < columns; ++column) {
            const QString& name = names.at(column);
            if (name == QLatin1String(kParameterType)) continue;
            const QString text = m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
            xml.writeTextElement(name, XmlText(text));
        }
        xml.writeEndElement();  // Log
    }
    xml.writeEndElement();  // Logs
    xml.writeEndElement();  // LogTypes
    xml.writeEndDocument();

    const bool ok = !xml.hasError() && file.commit();
    emit signalSendWriteOver(ok ? Written : CloseFailed);
}
