#pragma once
// ziraz::GenericDS: a small XML element tree handle (load a text or a file,
// children by name and by index, element text, render back, save).
#include <QDomDocument>
#include <QDomElement>
#include <QString>

namespace ziraz {

class GenericDS {
public:
    GenericDS();
    // Loads an XML text; the handle then stands for the document element.
    // False (and the handle is left null) when the text is not well-formed.
    bool loadXmlString(const QString& text);
    // Loads an XML file; false when it cannot be read or parsed.
    bool loadXML(const QString& path);
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
    QDomDocument m_doc;
    QDomElement m_elem;
};

}  // namespace ziraz
