// SPDX-License-Identifier: GPL-3.0-or-later
#include "XmlElement.h"

#include <QDebug>
#include <QDomNodeList>
#include <QFile>

#include "ziraz/xmlguard.h"

namespace appinstaller {

bool XmlElement::load(const QString& path) {
    if (path.isEmpty()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
    m_document = QDomDocument();
    // A document that does not parse, or that the toolkit's check refuses
    // (nested too deep to build its tree), is dropped whole, never used
    // half-read.
    const QString text = ziraz::DecodeXml(file.readAll());
    QString error;
    if (!ziraz::CheckXmlText(text, path, &error)) {
        qWarning().noquote() << "XmlElement::load" << error;
    } else if (!m_document.setContent(text, &error)) {
        qWarning().noquote() << "XmlElement::load" << path + ":" << error;
        m_document = QDomDocument();
    }
    m_element = m_document.documentElement();
    return true;
}

XmlElement XmlElement::firstElementByTagName(const QString& tagName) const {
    if (m_element.isNull() || !m_element.hasChildNodes()) return XmlElement();
    const QDomNodeList found = m_element.elementsByTagName(tagName);
    if (found.isEmpty()) return XmlElement();
    return XmlElement(m_document, found.at(0).toElement());
}

XmlElement XmlElement::childElementAt(int index) const {
    if (m_element.isNull() || index < 0) return XmlElement();
    int n = 0;
    for (QDomNode node = m_element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (!node.isElement()) continue;
        if (n == index) return XmlElement(m_document, node.toElement());
        ++n;
    }
    return XmlElement();
}

int XmlElement::childElementCount() const {
    int n = 0;
    for (QDomNode node = m_element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isElement()) ++n;
    }
    return n;
}

QString XmlElement::text() const {
    for (QDomNode node = m_element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isText()) return node.toText().data();
    }
    return QString();
}

}  // namespace appinstaller
