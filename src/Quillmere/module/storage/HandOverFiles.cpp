// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandOverFiles.h"

#include <QtGlobal>

// The search result is read as a stream by the parser that the toolkit's
// tree reader runs on (same features, so the same texts are accepted and the
// same element texts come out), without the tree: a large batch is read in
// time and memory that grow with its records only.
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
#include <QXmlDefaultHandler>
#include <QXmlInputSource>
#include <QXmlSimpleReader>

#include "ziraz/genericds.h"
#include "ziraz/xmlguard.h"

namespace {

// One element of the part of a channel record that is kept while it is
// read: its name, its whole text (the text of everything below it, as a tree
// reader gives it) and its child elements.
struct Node {
    QString name;
    QString text;
    bool keepsText = true;
    std::vector<std::unique_ptr<Node>> children;

    const Node* child(const QString& childName) const {
        for (const auto& c : children)
            if (c->name == childName) return c.get();
        return nullptr;
    }
    // First element of that name below this one, breadth first.
    const Node* descendant(const QString& wanted) const {
        std::vector<const Node*> level{this};
        while (!level.empty()) {
            std::vector<const Node*> next;
            for (const Node* n : level)
                for (const auto& c : n->children) {
                    if (c->name == wanted) return c.get();
                    next.push_back(c.get());
                }
            level.swap(next);
        }
        return nullptr;
    }
    std::function<QString(const QString&)> childTexts() const {
        return [this](const QString& childName) {
            const Node* c = child(childName);
            return c ? c->text : QString();
        };
    }
};

// Reads the children of the root: each "PlaybackFilesOfChannel" becomes a
// record, as ChannelFiles::FromElement reads it; each file of its (first)
// "SingleFileList" is made into its record as soon as it ends.
class ChannelHandler : public QXmlDefaultHandler {
public:
    ChannelHandler(std::vector<std::unique_ptr<ChannelFiles>>* records, int* unknown)
        : m_records(records), m_unknown(unknown) {}
    ~ChannelHandler() override {
        // A record cut off by an error: its files belong to nobody else.
        if (m_record)
            for (APT_QMR::CSingleFile* f : m_record->SingleFileList) delete f;
    }

    bool startElement(const QString&, const QString&, const QString& qName, const QXmlAttributes&) override {
        ++m_depth;
        if (m_skipFrom > 0) return true;
        if (m_depth == 1) return true;  // the root
        if (m_depth == 2) {
            if (qName != QLatin1String("PlaybackFilesOfChannel")) {
                if (m_unknown) ++*m_unknown;
                m_skipFrom = m_depth;
                return true;
            }
            m_record.reset(new ChannelFiles);
            m_head.reset(new Node);
            m_head->name = qName;
            m_head->keepsText = false;
            m_open.assign(1, m_head.get());
            m_listSeen = false;
            return true;
        }
        if (m_depth == 3 && qName == QLatin1String("SingleFileList")) {
            // Only the first list is read; its files are not kept as elements.
            if (m_listSeen) {
                m_skipFrom = m_depth;
                return true;
            }
            m_listSeen = true;
            m_inList = true;
            m_open.push_back(nullptr);
            return true;
        }
        if (m_inList && m_depth == 4) {
            m_file.reset(new Node);
            m_file->name = qName;
            m_file->keepsText = false;
            m_open.push_back(m_file.get());
            return true;
        }
        Node* parent = m_open.empty() ? nullptr : m_open.back();
        if (!parent) {
            m_skipFrom = m_depth;  // text of the list itself: not read
            return true;
        }
        parent->children.emplace_back(new Node);
        Node* node = parent->children.back().get();
        node->name = qName;
        m_open.push_back(node);
        return true;
    }

    bool endElement(const QString&, const QString&, const QString&) override {
        const int depth = m_depth--;
        if (m_skipFrom > 0) {
            if (depth == m_skipFrom) m_skipFrom = 0;
            return true;
        }
        if (depth == 1) return true;
        if (!m_open.empty()) m_open.pop_back();
        if (m_inList && depth == 4) {
            auto* file = new APT_QMR::CSingleFile;
            file->fromChildTexts(m_file->childTexts());
            m_record->SingleFileList.push_back(file);
            m_file.reset();
        } else if (m_inList && depth == 3) {
            m_inList = false;
        } else if (depth == 2) {
            finishRecord();
        }
        return true;
    }

    bool characters(const QString& text) override {
        if (m_depth == 0) return false;  // as the tree reader: no text outside the root
        if (m_skipFrom > 0) return true;
        for (Node* n : m_open)
            if (n && n->keepsText) n->text += text;
        return true;
    }

    bool fatalError(const QXmlParseException& e) override {
        m_message = e.message();
        m_line = e.lineNumber();
        m_column = e.columnNumber();
        return false;
    }

    QString errorText(const QString& name) const {
        return QStringLiteral("%1: %2 (line %3, column %4)").arg(name, m_message).arg(m_line).arg(m_column);
    }

private:
    void finishRecord() {
        m_record->FromHeadTexts(m_head->childTexts());
        if (const Node* info = m_head->child(QStringLiteral("ChannelInfo"))) {
            // The channel element itself, or the first one it holds.
            const Node* channel = info;
            if (info->name != QLatin1String("CChannel")) {
                if (const Node* nested = info->descendant(QStringLiteral("CChannel"))) channel = nested;
            }
            m_record->ChannelInfo.fromChildTexts(channel->childTexts());
        }
        m_records->push_back(std::move(m_record));
        m_head.reset();
        m_open.clear();
    }

    std::vector<std::unique_ptr<ChannelFiles>>* m_records;
    int* m_unknown;
    int m_depth = 0;
    int m_skipFrom = 0;  // depth of an element whose content is not read
    std::unique_ptr<ChannelFiles> m_record;
    std::unique_ptr<Node> m_head;  // the record's element, without its files
    std::unique_ptr<Node> m_file;  // the file being read
    std::vector<Node*> m_open;     // open elements of the record (null: the list)
    bool m_listSeen = false;
    bool m_inList = false;
    QString m_message;
    int m_line = 0;
    int m_column = 0;
};

}  // namespace

bool ReadHandOverDisks(const QString& path, std::vector<std::string>* disks, QString* error) {
    disks->clear();
    ziraz::GenericDS doc;
    if (!doc.loadXML(path)) {
        if (error) *error = doc.errorString();
        return false;
    }
    for (ziraz::GenericDS disk = doc.FirstChild(); !disk.isNull(); disk = disk.NextSibling())
        disks->push_back(disk.GetChildByName(QStringLiteral("DiskName")).GetValue().toStdString());
    return true;
}

bool ReadHandOverChannels(const QString& path, std::vector<std::unique_ptr<ChannelFiles>>* records, int* unknown,
                          QString* error) {
    records->clear();
    if (unknown) *unknown = 0;
    QString text;
    QString refused;
    if (!ziraz::ReadXmlFile(path, &text, &refused)) {
        if (error) *error = refused;
        return false;
    }
    std::vector<std::unique_ptr<ChannelFiles>> read;
    int skipped = 0;
    bool parsed = false;
    {
        ChannelHandler handler(&read, &skipped);
        QXmlInputSource source;
        source.setData(text);
        text.clear();  // the source shares it
        QXmlSimpleReader reader;
        // The features the toolkit's tree reader parses with.
        reader.setFeature(QStringLiteral("http://xml.org/sax/features/namespaces"), false);
        reader.setFeature(QStringLiteral("http://xml.org/sax/features/namespace-prefixes"), true);
        reader.setFeature(QStringLiteral("http://trolltech.com/xml/features/report-whitespace-only-CharData"), false);
        reader.setContentHandler(&handler);
        reader.setErrorHandler(&handler);
        parsed = reader.parse(&source, false);
        if (!parsed && error) *error = handler.errorText(path);
    }
    if (!parsed) {
        // Nothing of a file that does not parse is used.
        for (const auto& r : read)
            for (APT_QMR::CSingleFile* f : r->SingleFileList) delete f;
        return false;
    }
    *records = std::move(read);
    if (unknown) *unknown = skipped;
    return true;
}

QT_WARNING_POP
