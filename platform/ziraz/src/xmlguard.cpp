// SPDX-License-Identifier: GPL-3.0-or-later
#include "ziraz/xmlguard.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QTextCodec>

#include <algorithm>

namespace ziraz {

namespace {

// The encoding that an XML declaration at the start of the text names, or
// an empty text.
QString DeclaredEncoding(const QString& head) {
    if (!head.startsWith(QLatin1String("<?xml"))) return QString();
    const int end = head.indexOf(QLatin1Char('>'));
    if (end < 0) return QString();
    int pos = head.indexOf(QLatin1String("encoding"));
    if (pos < 0 || pos >= end) return QString();
    while (pos < end && head.at(pos) != QLatin1Char('"') && head.at(pos) != QLatin1Char('\'')) ++pos;
    if (pos >= end) return QString();
    const QChar quote = head.at(pos);
    const int close = head.indexOf(quote, pos + 1);
    if (close < 0 || close > end) return QString();
    return head.mid(pos + 1, close - pos - 1).trimmed();
}

// Reads the text as markup only: where elements open and close, what is a
// comment, a CDATA section, a processing instruction, a declaration or a
// quoted attribute value. Nothing here stops at text a parser would refuse.
class NestingScan {
public:
    explicit NestingScan(const QString& text) : m_text(text.constData()), m_size(text.size()) {}

    enum Verdict { Fine, TooDeep, EntityWithMarkup };

    Verdict run() {
        int depth = 0;
        int i = 0;
        while (true) {
            i = find(i, u'<');
            if (i < 0) return Fine;
            if (startsAt(i, "<!--")) {
                i = after(i + 4, "-->");
            } else if (startsAt(i, "<![CDATA[")) {
                i = after(i + 9, "]]>");
            } else if (startsAt(i, "<?")) {
                i = after(i + 2, "?>");
            } else if (startsAt(i, "<!")) {
                i = declaration(i + 2, false);
                if (m_entityWithMarkup) return EntityWithMarkup;
            } else if (startsAt(i, "</")) {
                i = find(i + 2, u'>');
                if (depth > 0) --depth;
                if (i >= 0) ++i;
            } else {
                // A start tag: quoted attribute values may hold '>'.
                const int end = tagEnd(i + 1);
                if (end < 0) return Fine;  // the text ends inside the tag: no element opens
                if (++depth > kMaxXmlDepth) return TooDeep;
                if (m_text[end - 1] == QLatin1Char('/')) --depth;  // an empty element
                i = end + 1;
            }
            // A construct without its end runs to the end of the text: a
            // reader takes everything after its start as part of it.
            if (i < 0) return Fine;
        }
    }

private:
    int find(int from, char16_t c) const {
        for (int i = from; i < m_size; ++i)
            if (m_text[i].unicode() == c) return i;
        return -1;
    }
    bool startsAt(int at, const char* literal) const {
        for (int k = 0; literal[k]; ++k)
            if (at + k >= m_size || m_text[at + k].unicode() != static_cast<unsigned char>(literal[k])) return false;
        return true;
    }
    // The position after the next `literal` from `from`, or -1.
    int after(int from, const char* literal) const {
        const int length = static_cast<int>(qstrlen(literal));
        for (int i = find(from, static_cast<unsigned char>(literal[0])); i >= 0;
             i = find(i + 1, static_cast<unsigned char>(literal[0])))
            if (startsAt(i, literal)) return i + length;
        return -1;
    }
    // The position of the quote that closes the one at `at`, or -1.
    int closingQuote(int at) const { return find(at + 1, m_text[at].unicode()); }
    bool isQuote(int at) const {
        const char16_t c = m_text[at].unicode();
        return c == u'"' || c == u'\'';
    }
    // The '>' that ends a start tag whose name begins at `from`, or -1.
    int tagEnd(int from) const {
        for (int i = from; i < m_size; ++i) {
            if (isQuote(i)) {
                i = closingQuote(i);
                if (i < 0) return -1;
            } else if (m_text[i] == QLatin1Char('>')) {
                return i;
            }
        }
        return -1;
    }
    // A declaration whose body begins at `from`: a document type (which may
    // have an internal subset) or, with `inSubset`, one of the declarations
    // of that subset (which have none). The position after its '>', or -1.
    // The entity declarations of the subset are checked on the way.
    int declaration(int from, bool inSubset) {
        const bool entity = inSubset && startsAt(from, "ENTITY");
        for (int i = from; i < m_size; ++i) {
            if (isQuote(i)) {
                const int close = closingQuote(i);
                if (close < 0) return -1;
                if (entity) checkEntityValue(i + 1, close);
                i = close;
            } else if (!inSubset && m_text[i] == QLatin1Char('[')) {
                i = internalSubset(i + 1);
                if (i < 0 || m_entityWithMarkup) return -1;
            } else if (m_text[i] == QLatin1Char('>')) {
                return i + 1;
            }
        }
        return -1;
    }
    // The internal subset of a document type from `from`: the position of
    // its closing ']', or -1.
    int internalSubset(int from) {
        int i = from;
        while (i >= 0 && i < m_size && !m_entityWithMarkup) {
            if (m_text[i] == QLatin1Char(']')) return i;
            if (startsAt(i, "<!--")) {
                i = after(i + 4, "-->");
            } else if (startsAt(i, "<?")) {
                i = after(i + 2, "?>");
            } else if (startsAt(i, "<!")) {
                i = declaration(i + 2, true);
            } else if (isQuote(i)) {
                // Not valid here; a reader stops at it, the scan steps over it.
                i = closingQuote(i);
                if (i >= 0) ++i;
            } else {
                ++i;
            }
        }
        return -1;
    }
    // A literal of an entity declaration: its replacement text may hold
    // neither markup nor references (character references can make markup,
    // entity references can nest expansions).
    void checkEntityValue(int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const char16_t c = m_text[i].unicode();
            if (c == u'<' || c == u'&' || c == u'%') m_entityWithMarkup = true;
        }
    }

    const QChar* m_text;
    int m_size;
    bool m_entityWithMarkup = false;
};

// True when the codec reads every byte below 0x80 as that character and
// never as part of a longer sequence that holds a "<": the Chinese code
// pages the hand-over files are written in, checked once each. (UTF-8 is
// decoded fast as it is.)
bool AsciiTransparent(QTextCodec* codec) {
    static const int kMibs[] = {2025, 113, 114};   // GB2312, GBK, GB18030
    if (std::find(std::begin(kMibs), std::end(kMibs), codec->mibEnum()) == std::end(kMibs)) return false;
    static QHash<int, bool> known;
    static QMutex lock;
    QMutexLocker guard(&lock);
    auto it = known.constFind(codec->mibEnum());
    if (it != known.constEnd()) return it.value();
    QByteArray ascii;
    for (int c = 1; c < 0x80; ++c) ascii.append(char(c));
    const bool same = codec->toUnicode(ascii) == QString::fromLatin1(ascii);
    known.insert(codec->mibEnum(), same);
    return same;
}

// The bytes decoded by such a codec, piece by piece: a piece runs from a
// "<" that follows a ">" to the next such "<". Neither byte is ever part of
// a character of these encodings, nor taken by the codec as the trail of a
// broken one before it, so each piece decodes as it does in the whole.
// Pieces of pure ASCII are taken as they are, the others go through the
// codec (runs of them at once): the text the codec gives for the whole
// file, in a fraction of the time for the mostly ASCII files the programs
// write.
QString DecodeAsciiMostly(QTextCodec* codec, const QByteArray& bytes) {
    const char* b = bytes.constData();
    const int n = bytes.size();
    const auto cut = [b](int k) { return b[k] == '<' && (k == 0 || b[k - 1] == '>'); };
    QString out;
    out.reserve(n);
    int pos = 0;   // always at a cut (or the start)
    while (pos < n) {
        int high = pos;
        while (high < n && uchar(b[high]) < 0x80) ++high;
        if (high == n) {
            out.append(QLatin1String(b + pos, n - pos));
            break;
        }
        // The piece that holds it...
        int from = high;
        while (from > pos && !cut(from)) --from;
        out.append(QLatin1String(b + pos, from - pos));
        // ... up to the first piece after it that is pure ASCII.
        int end = high;
        for (;;) {
            while (end < n && !cut(end)) ++end;
            if (end >= n) break;
            int next = end + 1;
            bool more = false;
            for (; next < n && !cut(next); ++next)
                if (uchar(b[next]) >= 0x80) more = true;
            if (!more) break;
            end = next;
        }
        out.append(codec->toUnicode(b + from, end - from));
        pos = end;
    }
    return out;
}

}  // namespace

QString DecodeXml(const QByteArray& bytes) {
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    const int n = bytes.size();
    int mib = 106;  // UTF-8
    if (n >= 4) {
        if ((b[0] == 0 && b[1] == 0 && b[2] == 0xfe && b[3] == 0xff) ||
            (b[0] == 0xff && b[1] == 0xfe && b[2] == 0 && b[3] == 0))
            mib = 1017;  // UTF-32 with a byte order mark
        else if (b[0] == 0x3c && b[1] == 0 && b[2] == 0 && b[3] == 0)
            mib = 1019;  // UTF-32LE
        else if (b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] == 0x3c)
            mib = 1018;  // UTF-32BE
    }
    if (mib == 106 && n >= 2) {
        if ((b[0] == 0xfe && b[1] == 0xff) || (b[0] == 0xff && b[1] == 0xfe))
            mib = 1015;  // UTF-16 with a byte order mark
        else if (b[0] == 0x3c && b[1] == 0)
            mib = 1014;  // UTF-16LE
        else if (b[0] == 0 && b[1] == 0x3c)
            mib = 1013;  // UTF-16BE
    }
    QTextCodec* codec = QTextCodec::codecForMib(mib);
    if (!codec) return QString::fromUtf8(bytes);
    const QString head = codec->toUnicode(bytes.left(1024));
    const QString declared = DeclaredEncoding(head);
    if (!declared.isEmpty()) {
        if (QTextCodec* named = QTextCodec::codecForName(declared.toLatin1())) codec = named;
    }
    if (AsciiTransparent(codec)) return DecodeAsciiMostly(codec, bytes);
    return codec->toUnicode(bytes);
}

bool CheckXmlText(const QString& text, const QString& name, QString* error) {
    switch (NestingScan(text).run()) {
    case NestingScan::Fine:
        return true;
    case NestingScan::TooDeep:
        if (error) *error = QStringLiteral("%1: elements nested deeper than %2 levels").arg(name).arg(kMaxXmlDepth);
        return false;
    case NestingScan::EntityWithMarkup:
        if (error) *error = QStringLiteral("%1: entity declarations holding markup or references are not accepted").arg(name);
        return false;
    }
    return false;
}

bool ReadXmlFile(const QString& path, QString* text, QString* error) {
    text->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    QString decoded = DecodeXml(f.readAll());
    if (f.error() != QFileDevice::NoError) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    if (!CheckXmlText(decoded, path, error)) return false;
    *text = std::move(decoded);
    return true;
}

}  // namespace ziraz
