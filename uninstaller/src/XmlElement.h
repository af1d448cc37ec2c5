// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small reader over QDomDocument: an element together with the document it
// belongs to, so that the element stays valid after the call that found it.
#include <QDomDocument>
#include <QDomElement>
#include <QString>

namespace appinstaller {

class XmlElement {
public:
    XmlElement() = default;

    // Parses the file and takes its root element. False for an empty path or
    // a file that cannot be opened; a document that does not parse, or that
    // the toolkit's XML check refuses, loads as true with a null root (and a
    // warning that says why).
    bool load(const QString& path);

    // The first element of that name at any depth below this one; a null
    // element when there is none (or this element has no children).
    XmlElement firstElementByTagName(const QString& tagName) const;
    // The index-th child element (0-based); a null element when out of range.
    XmlElement childElementAt(int index) const;
    int childElementCount() const;
    // The data of the first text child; a null string when there is none.
    QString text() const;

    bool isNull() const { return m_element.isNull(); }

private:
    XmlElement(const QDomDocument& doc, const QDomElement& element) : m_document(doc), m_element(element) {}

    QDomDocument m_document;
    QDomElement m_element;
};

}  // namespace appinstaller
