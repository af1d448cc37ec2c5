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
    // The text is either the channel element itself or an element that holds
    // it (a rendered "ChannelInfo").
    ziraz::GenericDS elem = doc;
    if (elem.GetName() != QLatin1String("CChannel")) {
        ziraz::GenericDS nested = doc.FindDescendant(QStringLiteral("CChannel"));
        if (!nested.isNull()) elem = nested;
    }
    ChannelNumber = elem.GetChildByName(QStringLiteral("ChannelNumber")).GetValue().toInt();
    StrDevice = elem.GetChildByName(QStringLiteral("StrDevice")).GetValue();
    Rbs = elem.GetChildByName(QStringLiteral("Rbs")).GetValue().toInt() != 0;
}

}  // namespace APT_QMR
