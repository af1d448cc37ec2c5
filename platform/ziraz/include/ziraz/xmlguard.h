// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The check that every XML reader of the programs runs on a text before it
// reads it. The tree readers (QDomDocument and everything built on it) build,
// walk and free their trees recursively, one call per level of nesting, so a
// file nested deep enough overflows the stack; such a text is refused before
// any reader sees it.
//
// The check reads the text on its own terms, without an XML parser, so that
// nothing that comes first in a file (a character or entity reference the
// parser dislikes, a comment, a CDATA section, a processing instruction, an
// attribute value holding '>') can end it early: it holds for the whole text,
// well-formed or not. A reader that accepts a prefix of the text sees the
// same elements there as the check.
#include <QByteArray>
#include <QString>

namespace ziraz {

// Documents nested deeper than this many elements are refused.
constexpr int kMaxXmlDepth = 256;

// The text of the bytes of an XML file, decoded as the toolkit's XML reader
// decodes a file: a byte order mark (or "<" in UTF-16 or UTF-32) picks the
// Unicode form; otherwise the encoding the XML declaration names, when Qt
// knows it; otherwise UTF-8. Readers are given this text, so the check and
// the reader see the same characters.
QString DecodeXml(const QByteArray& bytes);

// True when the text may be given to an XML reader. False, with `error`
// ("<name>: ..." when not null), when elements nest deeper than
// kMaxXmlDepth anywhere in it, or when its document type declares an entity
// whose replacement text may hold markup or other references (the readers
// would expand it into elements the text does not show).
bool CheckXmlText(const QString& text, const QString& name, QString* error);

// Reads an XML file, decodes it (DecodeXml) and checks it (CheckXmlText,
// named by its path). False, with `error`, when it cannot be read or is
// refused; `text` is then empty.
bool ReadXmlFile(const QString& path, QString* text, QString* error);

}  // namespace ziraz
