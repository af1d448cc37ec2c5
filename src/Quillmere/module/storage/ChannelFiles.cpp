// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChannelFiles.h"

#include <QStringList>

#include "ziraz/ziraz.h"

namespace {

const char kDatePattern[] = "yyyy-MM-dd";

void Element(QString& out, const char* tag, const QString& value) {
    out += QLatin1Char('<') + QLatin1String(tag) + QLatin1Char('>');
    out += value;
    out += QLatin1String("</") + QLatin1String(tag) + QLatin1Char('>');
}

QString DateText(const QDate& d) { return d.isNull() ? QString() : d.toString(QLatin1String(kDatePattern)); }

}  // namespace

QString ChannelFiles::ToXml() const {
    QStringList files;
    for (const APT_QMR::CSingleFile* f : SingleFileList)
        if (f) files << f->toXml();

    QString xml;
    xml += QLatin1String("<PlaybackFilesOfChannel>");
    Element(xml, "DiskName", DiskName.toHtmlEscaped());
    Element(xml, "DeviceName", DeviceName.toHtmlEscaped());
    Element(xml, "ChannelInfo", ChannelInfo.toXml());
    Element(xml, "StartTime", DateText(StartTime));
    Element(xml, "EndTime", DateText(EndTime));
    xml += QLatin1String("<SingleFileList>");
    for (const QString& f : files) xml += f;
    xml += QLatin1String("</SingleFileList>");
    xml += QLatin1String("</PlaybackFilesOfChannel>");
    return xml;
}

void ChannelFiles::FromXml(const QString& xml) {
    ziraz::GenericDS doc;
    if (!doc.loadXmlString(xml)) return;
    FromElement(doc);
}

void ChannelFiles::FromElement(const ziraz::GenericDS& doc) {
    if (doc.isNull()) return;
    SingleFileList.clear();
    FromHeadTexts([&doc](const QString& name) { return doc.GetChildByName(name).GetValue(); });
    ChannelInfo.fromElement(doc.GetChildByName(QStringLiteral("ChannelInfo")));

    const ziraz::GenericDS list = doc.GetChildByName(QStringLiteral("SingleFileList"));
    for (ziraz::GenericDS item = list.FirstChild(); !item.isNull(); item = item.NextSibling()) {
        auto* file = new APT_QMR::CSingleFile;
        file->fromElement(item);
        SingleFileList.push_back(file);
    }
}

void ChannelFiles::FromHeadTexts(const std::function<QString(const QString&)>& childText) {
    DiskName = childText(QStringLiteral("DiskName"));
    DeviceName = childText(QStringLiteral("DeviceName"));
    StartTime = QDate::fromString(childText(QStringLiteral("StartTime")), QLatin1String(kDatePattern));
    EndTime = QDate::fromString(childText(QStringLiteral("EndTime")), QLatin1String(kDatePattern));
}
