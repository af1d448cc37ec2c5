// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// XML files that stopped the programs at start: elements nested far deeper
// than a tree reader can build, behind something that used to end the depth
// check before it reached them (a character or entity reference its parser
// refused, or markup it misread). Shared by the tests of every XML reader of
// the programs and by the fuzz seeds; header only, so that the seed tool can
// use it without the test framework.
#include <QByteArray>
#include <QString>
#include <QTextCodec>

#include <functional>
#include <vector>

namespace kel_test {

struct HostileXml {
    const char* name;
    // Between the XML declaration and the root element.
    QByteArray beforeRoot;
    // The first thing inside the root, right before the nesting; given the
    // nesting depth (the case may need as many tags as the nesting has).
    std::function<QByteArray(int depth)> inRoot;
    // The encoding declared and written ("UTF-16": little endian with a byte
    // order mark; the other parts of such a case are plain ASCII).
    const char* encoding;
    // Why a reader that checks its text refuses it.
    const char* refusal;
};

inline const char* NestedTooDeep() { return "elements nested deeper than 256 levels"; }
inline const char* EntityWithMarkup() { return "entity declarations holding markup or references are not accepted"; }

inline std::vector<HostileXml> HostileXmlCases() {
    const auto text = [](const QByteArray& t) { return [t](int) { return t; }; };
    return {
        {"nesting alone", "", text(""), "GB2312", NestedTooDeep()},
        {"invalid character reference first", "", text("&#1;"), "GB2312", NestedTooDeep()},
        {"undeclared entity first", "", text("&undeclared;"), "GB2312", NestedTooDeep()},
        {"raw control character first", "", text("\x01"), "GB2312", NestedTooDeep()},
        {"comment holding tags first", "", text("<!-- <a> <b> -- > -->"), "GB2312", NestedTooDeep()},
        {"CDATA section holding tags first", "", text("<![CDATA[ <a> ]] ]]>"), "GB2312", NestedTooDeep()},
        {"processing instruction holding tags first", "", text("<?note <a> > ?>"), "GB2312", NestedTooDeep()},
        {"attributes holding '>' and tags first", "",
         text("<b first=\"a > <a>\" second='\"> </a>'/><c third=\">\">t</c>"), "GB2312", NestedTooDeep()},
        {"stray end tags first", "", text("</x></y></z>"), "GB2312", NestedTooDeep()},
        // A character whose second byte is ']' ends no CDATA section: the
        // end tags inside this one are text, the nesting after it is real.
        {"GBK character before ']>' in a CDATA section holding end tags", "",
         [](int depth) {
             return QByteArray("<![CDATA[\x81\x5d]>") + QByteArray("</a>").repeated(depth) + QByteArray("]]>");
         },
         "GB2312", NestedTooDeep()},
        {"document type with an internal subset first",
         "<!DOCTYPE Root [<!ELEMENT Root ANY><!-- ]> --><!ATTLIST Root x CDATA \"]>\"><?pi ]>?>]>", text(""),
         "GB2312", NestedTooDeep()},
        {"entity that expands to tags", "<!DOCTYPE Root [<!ENTITY e \"<a><a><a><a>\">]>", text("&e;&e;&e;"),
         "GB2312", EntityWithMarkup()},
        {"entity that expands to a character reference", "<!DOCTYPE Root [<!ENTITY e \"&#60;a>\">]>", text("&e;"),
         "GB2312", EntityWithMarkup()},
        {"UTF-16 with a byte order mark", "", text("&#1;"), "UTF-16", NestedTooDeep()},
    };
}

// The whole file: declaration, the case's part before the root, the root
// element `root` holding `content` (what the file normally holds, in its
// encoding), the case's part inside the root and then `depth` nested
// elements "a".
inline QByteArray HostileXmlDocument(const HostileXml& c, const QString& root, int depth,
                                     const QString& content = QString()) {
    const QByteArray nesting = QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth);
    const QByteArray head = QByteArray("<?xml version=\"1.0\" encoding=\"") + c.encoding + "\"?>\n";
    if (QByteArray(c.encoding) == "UTF-16") {
        const QString whole = QString::fromLatin1(head + c.beforeRoot) + "<" + root + ">" + content +
                              QString::fromLatin1(c.inRoot(depth) + nesting) + "</" + root + ">\n";
        QByteArray bytes("\xff\xfe", 2);
        bytes.append(reinterpret_cast<const char*>(whole.utf16()), whole.size() * 2);
        return bytes;
    }
    QTextCodec* codec = QTextCodec::codecForName(c.encoding);
    const QByteArray rootBytes = root.toLatin1();
    return head + c.beforeRoot + "<" + rootBytes + ">" + (codec ? codec->fromUnicode(content) : content.toUtf8()) +
           c.inRoot(depth) + nesting + "</" + rootBytes + ">\n";
}

}  // namespace kel_test
