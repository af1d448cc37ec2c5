// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/genericds.h"

#include <QFile>
#include <QQueue>
#include <QSaveFile>
#include <QTextStream>

#include "ziraz/xmlguard.h"

namespace ziraz {

GenericDS::GenericDS() = default;
GenericDS::GenericDS(const QDomDocument& doc, const QDomElement& elem) : m_doc(doc), m_elem(elem) {}

// Both loads: the text has passed the shared check (nesting, entities), so
// building the tree cannot run out of stack.
bool GenericDS::build(const QString& text, const QString& name) {
    QDomDocument doc;
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(text, false, &message, &line, &column)) {
        m_error = QStringLiteral("%1: %2 (line %3, column %4)").arg(name, message).arg(line).arg(column);
        return false;
    }
    m_doc = doc;
    m_elem = doc.documentElement();
    if (m_elem.isNull()) m_error = QStringLiteral("%1: no document element").arg(name);
    return !m_elem.isNull();
}

void GenericDS::reset() {
    m_doc = QDomDocument();
    m_elem = QDomElement();
    m_error.clear();
}

bool GenericDS::loadXmlString(const QString& text) {
    reset();
    const QString name = QStringLiteral("XML text");
    return CheckXmlText(text, name, &m_error) && build(text, name);
}

bool GenericDS::loadXML(const QString& path) {
    reset();
    QString text;
    return ReadXmlFile(path, &text, &m_error) && build(text, path);
}

bool GenericDS::SaveXML(const QString& path) const {
    if (m_doc.isNull()) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    QByteArray bytes = m_doc.toByteArray(2);
    if (!bytes.startsWith("<?xml"))
        bytes.prepend("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    // A failed flush of the buffered tail must not let a cut-short file
    // replace the old one.
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

void GenericDS::createDocument(const QString& rootName) {
    m_doc = QDomDocument();
    m_doc.appendChild(m_doc.createProcessingInstruction("xml", "version=\"1.0\" encoding=\"UTF-8\""));
    m_elem = m_doc.createElement(rootName);
    m_doc.appendChild(m_elem);
}

bool GenericDS::isNull() const { return m_elem.isNull(); }
QString GenericDS::GetName() const { return m_elem.tagName(); }

GenericDS GenericDS::GetChildByName(const QString& name) const {
    if (m_elem.isNull()) return {};
    return GenericDS(m_doc, m_elem.firstChildElement(name));
}

GenericDS GenericDS::FindDescendant(const QString& name) const {
    if (m_elem.isNull()) return {};
    QQueue<QDomElement> queue;
    for (QDomElement c = m_elem.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) queue.enqueue(c);
    while (!queue.isEmpty()) {
        QDomElement e = queue.dequeue();
        if (e.tagName() == name) return GenericDS(m_doc, e);
        for (QDomElement c = e.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) queue.enqueue(c);
    }
    return {};
}

int GenericDS::GetChildCount() const {
    int n = 0;
    for (QDomElement c = m_elem.firstChildElement(); !c.isNull(); c = c.nextSiblingElement()) ++n;
    return n;
}

GenericDS GenericDS::GetChildByIndex(int index) const {
    if (index < 0) return {};
    int n = 0;
    for (QDomElement c = m_elem.firstChildElement(); !c.isNull(); c = c.nextSiblingElement(), ++n)
        if (n == index) return GenericDS(m_doc, c);
    return {};
}

GenericDS GenericDS::FirstChild() const {
    if (m_elem.isNull()) return {};
    return GenericDS(m_doc, m_elem.firstChildElement());
}

GenericDS GenericDS::NextSibling() const {
    if (m_elem.isNull()) return {};
    return GenericDS(m_doc, m_elem.nextSiblingElement());
}

QString GenericDS::GetValue() const { return m_elem.isNull() ? QString() : m_elem.text(); }

void GenericDS::SetValue(const QString& value) {
    if (m_elem.isNull()) return;
    while (m_elem.hasChildNodes()) {
        QDomNode c = m_elem.firstChild();
        if (c.isElement()) break;  // keep child elements, replace only the text
        m_elem.removeChild(c);
    }
    QDomNode old = m_elem.firstChild();
    QDomText t = m_doc.createTextNode(value);
    if (old.isNull()) m_elem.appendChild(t); else m_elem.insertBefore(t, old);
}

GenericDS GenericDS::AddChild(const QString& name, const QString& value) {
    if (m_elem.isNull()) return {};
    QDomElement e = m_doc.createElement(name);
    if (!value.isNull()) e.appendChild(m_doc.createTextNode(value));
    m_elem.appendChild(e);
    return GenericDS(m_doc, e);
}

QString GenericDS::elemToString() const {
    if (m_elem.isNull()) return {};
    QString out;
    QTextStream ts(&out);
    m_elem.save(ts, -1);
    return out;
}

}  // namespace ziraz
