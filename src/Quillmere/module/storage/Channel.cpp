// SPDX-License-Identifier: GPL-3.0-or-later
#include "Channel.h"

#include "ziraz/ziraz.h"

namespace APT_QMR {

CChannel::CChannel() : ChannelNumber(-1), Rbs(false) {}

QString CChannel::toXml() const {
    QString xml;
    xml += QStringLiteral("<CChannel>");
    xml += QStringLiteral("<ChannelNumber>") + QString::number(ChannelNumber) + QStringLiteral("</ChannelNumber>");
    xml += QStringLiteral("<StrDevice>") + StrDevice.toHtmlEscaped() + QStringLiteral("</StrDevice>");
    xml += QStringLiteral("<Rbs>") + QString(Rbs ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral("</Rbs>");
    xml += QStringLiteral("</CChannel>");
    return xml;
}

void CChannel::fromXml(const QString& xml) {
    ziraz::GenericDS doc;
    if (!doc.loadXmlString(xml)) return;
    fromElement(doc);
}

void CChannel::fromElement(const ziraz::GenericDS& element) {
    if (element.isNull()) return;
    // The element is either the channel element itself or one that holds it
    // (a "ChannelInfo").
    ziraz::GenericDS elem = element;
    if (elem.GetName() != QLatin1String("CChannel")) {
        ziraz::GenericDS nested = element.FindDescendant(QStringLiteral("CChannel"));
        if (!nested.isNull()) elem = nested;
    }
    fromChildTexts([&elem](const QString& name) { return elem.GetChildByName(name).GetValue(); });
}

void CChannel::fromChildTexts(const std::function<QString(const QString&)>& childText) {
    ChannelNumber = childText(QStringLiteral("ChannelNumber")).toInt();
    StrDevice = childText(QStringLiteral("StrDevice"));
    Rbs = childText(QStringLiteral("Rbs")).toInt() != 0;
}

}  // namespace APT_QMR
