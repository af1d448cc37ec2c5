// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ziraz::GenericDS: a small XML element tree handle (load a text or a file,
// children by name and by index, element text, render back, save).
#include <QDomDocument>
#include <QDomElement>
#include <QString>

#include "ziraz/xmlguard.h"

namespace ziraz {

class GenericDS {
public:
    // Documents nested deeper than this many elements are refused before
    // they are parsed (the tree is built and rendered recursively); see
    // ziraz/xmlguard.h for the check every load passes first.
    static constexpr int kMaxDepth = kMaxXmlDepth;

    GenericDS();
    // Loads an XML text; the handle then stands for the document element.
    // False (and the handle is left null) when the text is not well-formed
    // or refused by the check (nested deeper than kMaxDepth, entities that
    // hold markup); errorString() then says why.
    bool loadXmlString(const QString& text);
    // Loads an XML file, decoded as its byte order mark or declaration says;
    // false when it cannot be read, is refused or does not parse (as above).
    bool loadXML(const QString& path);
    // Why the last load failed; empty after a successful one.
    QString errorString() const { return m_error; }
    // Writes the document this handle belongs to (declaration included,
    // UTF-8, indented). False when the file cannot be written; the old file
    // is kept in that case.
    bool SaveXML(const QString& path) const;
    // Starts a new document whose root element is `rootName`.
    void createDocument(const QString& rootName);

    bool isNull() const;
    QString GetName() const;

    // First direct child element with that name; a null handle when missing.
    GenericDS GetChildByName(const QString& name) const;
    // First element with that name below this one, breadth first.
    GenericDS FindDescendant(const QString& name) const;
    int GetChildCount() const;                 // direct child elements
    GenericDS GetChildByIndex(int index) const;  // null when out of range
    // Walking the children in order, each step in constant time: the first
    // child element, then the next sibling element; null at the end.
    GenericDS FirstChild() const;
    GenericDS NextSibling() const;

    // Text content of the element (entities resolved); empty for a null handle.
    QString GetValue() const;
    // Replaces the element's text.
    void SetValue(const QString& value);
    // Appends a child element (with text when `value` is not null).
    GenericDS AddChild(const QString& name, const QString& value = QString());

    // The element rendered back to XML text (without declaration).
    QString elemToString() const;

private:
    GenericDS(const QDomDocument& doc, const QDomElement& elem);
    void reset();
    bool build(const QString& text, const QString& name);
    QDomDocument m_doc;
    QDomElement m_elem;
    QString m_error;
};

}  // namespace ziraz
