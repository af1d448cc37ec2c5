// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_fit.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <QToolButton>
#include <QTreeView>
#include <QRegExp>

#include <functional>

namespace text_fit {

namespace {

const QChar kEllipsis(0x2026);

// Protected members of the Qt classes, reached through a pointer to member
// taken in a derived class (the object need not be of that class).
struct ViewAccess : QAbstractItemView {
    static QStyleOptionViewItem Options(const QAbstractItemView* v) { return (v->*(&ViewAccess::viewOptions))(); }
};
struct HeaderAccess : QHeaderView {
    static QSize SectionSize(const QHeaderView* h, int section) {
        return (h->*(&HeaderAccess::sectionSizeFromContents))(section);
    }
};
struct TabAccess : QTabBar {
    static QSize TabSize(const QTabBar* t, int i) { return (t->*(&TabAccess::tabSizeHint))(i); }
};

QString ButtonText(const QAbstractButton* b) {
    QString text = b->text();
    text.replace(QLatin1String("&&"), QString(QChar(0xFFFF)));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0xFFFF), QLatin1Char('&'));
    return text;
}

int TextWidth(const QFontMetrics& fm, const QString& text) {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = qMax(widest, fm.horizontalAdvance(line));
    return widest;
}

int ColourStep(QRgb a, QRgb b) {
    return qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b))));
}

// True when the widget's picture inside its frame shows more than a face:
// a face is of one colour along each row (a flat face, or one shaded from
// top to bottom in small steps). A text, an icon or a picture makes a row
// of more than one colour, or (a level line) a sharp step down a column.
bool DrawsSomething(QWidget* w) {
    const QImage image = w->grab().toImage();
    const int inset = qMin(3, qMin(image.width(), image.height()) / 4);
    const QRect inner = image.rect().adjusted(inset, inset, -inset, -inset);
    for (int y = inner.top(); y <= inner.bottom(); ++y) {
        const QRgb first = image.pixel(inner.left(), y);
        for (int x = inner.left() + 1; x <= inner.right(); ++x)
            if (image.pixel(x, y) != first) return true;
        if (y > inner.top() && ColourStep(first, image.pixel(inner.left(), y - 1)) > 40) return true;
    }
    return false;
}

// The part of the widget that its window shows (parents and covering
// siblings cut off the rest), in the widget's own coordinates.
QRect ShownPart(QWidget* w) { return w->visibleRegion().boundingRect(); }

}  // namespace

QString Describe(const QWidget* w) {
    QString name = QString::fromLatin1(w->metaObject()->className());
    if (!w->objectName().isEmpty()) name += QLatin1Char('#') + w->objectName();
    return name;
}

void Walker::fault(const QString& where, const QWidget* w, const QString& what) {
    m_report.faults << where + QLatin1String(" > ") + Describe(w) + QLatin1String(": ") + what;
}

bool Walker::elidedOnPurpose(const QWidget* w, const QString& shown, const QString& tip) {
    if (!shown.contains(kEllipsis) || tip.isEmpty() || tip == shown) return false;
    if (!m_allowed.contains(w->objectName())) return false;
    // A path may lose part of its folder, never of the file's name: that is
    // what tells one saved file from the next.
    const int cut = std::max(tip.lastIndexOf(QLatin1Char('/')), tip.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0 && !QString(shown).remove(QLatin1Char('\n')).contains(tip.mid(cut + 1))) return false;
    m_report.elided << w->objectName();
    return true;
}

void Walker::walk(QWidget* root, const QString& where) {
    if (!root || !root->isVisible()) return;
    check(root, where);
    for (QWidget* child : root->findChildren<QWidget*>()) {
        if (!child->isVisible() || child->width() <= 0 || child->height() <= 0) continue;
        check(child, where);
    }
}

void Walker::check(QWidget* w, const QString& where) {
    const QFontMetrics fm = w->fontMetrics();

    if (auto* label = qobject_cast<QLabel*>(w)) {
        const QString raw = label->text();
        if (raw.isEmpty() || label->movie()) return;
        if (label->pixmap() && !label->pixmap()->isNull()) return;
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(raw));
        QString text = raw;
        if (rich) {
            QTextDocument doc;
            doc.setHtml(raw);
            text = doc.toPlainText().trimmed();
        }
        if (text.isEmpty()) return;
        ++m_report.texts;
        if (text.contains(kEllipsis) && !elidedOnPurpose(label, text, label->toolTip())) {
            fault(where, label, QStringLiteral("'%1' is shortened with \u2026").arg(text));
            return;
        }
        // What is shortened on purpose must fit as shortened.
        const int margin = label->margin();
        int indent = label->indent();
        if (indent < 0) indent = label->frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        const QRect cr = label->contentsRect();
        const int room = cr.width() - 2 * margin - indent;
        const QRect shown = ShownPart(label);
        if (label->wordWrap()) {
            const int needH = label->heightForWidth(label->width());
            if (needH > label->height() + 1)
                fault(where, label,
                      QStringLiteral("'%1' needs %2 px of height, has %3").arg(text).arg(needH).arg(label->height()));
            // A line breaks at blanks, and anywhere in Chinese text: a word
            // without either must fit one line.
            for (const QString& word : text.split(QRegExp(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
                if (!word.contains(QRegExp(QStringLiteral("[\\x2e80-\\x9fff\\xff00-\\xffef]"))) &&
                    fm.horizontalAdvance(word) > room)
                    fault(where, label, QStringLiteral("'%1' (the word '%2') needs %3 px, has %4")
                                            .arg(text, word)
                                            .arg(fm.horizontalAdvance(word))
                                            .arg(room));
            // A path (a word that starts with "/" or a drive) lies on one
            // line: the lines laid out as the label lays them out.
            if (!rich) {
                QString laid = text;
                laid.replace(QLatin1Char('\n'), QChar::LineSeparator);
                QTextLayout layout(laid, label->font());
                QTextOption option(label->alignment());
                option.setWrapMode(QTextOption::WordWrap);
                layout.setTextOption(option);
                layout.beginLayout();
                for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
                    line.setLineWidth(room);
                layout.endLayout();
                static const QRegularExpression path(QStringLiteral("(^|\\s)((/|[A-Za-z]:[\\\\/])\\S+)"),
                                                     QRegularExpression::UseUnicodePropertiesOption);
                for (auto it = path.globalMatch(laid); it.hasNext();) {
                    const QRegularExpressionMatch m = it.next();
                    const QTextLine first = layout.lineForTextPosition(m.capturedStart(2));
                    const QTextLine last = layout.lineForTextPosition(m.capturedEnd(2) - 1);
                    if (first.isValid() && last.isValid() && first.lineNumber() != last.lineNumber())
                        fault(where, label, QStringLiteral("'%1' breaks the path '%2' over lines %3 to %4")
                                                .arg(text, m.captured(2))
                                                .arg(first.lineNumber() + 1)
                                                .arg(last.lineNumber() + 1));
                }
            }
            return;
        }
        if (rich) return;  // pictures in rich text: the height check above is all
        const int needW = TextWidth(fm, text);
        if (needW > room) {
            fault(where, label, QStringLiteral("'%1' needs %2 px, has %3").arg(text).arg(needW).arg(room));
        } else if (shown.width() < label->width() && needW > shown.width() - 2 * margin - indent) {
            fault(where, label, QStringLiteral("'%1' needs %2 px, what holds it shows %3")
                                    .arg(text)
                                    .arg(needW)
                                    .arg(shown.width() - 2 * margin - indent));
        }
        const int lines = text.count(QLatin1Char('\n')) + 1;
        const int needH = lines == 1 ? fm.height() : lines * fm.lineSpacing();
        if (needH > cr.height() - 2 * margin + 2)
            fault(where, label,
                  QStringLiteral("'%1' needs %2 px of height, has %3").arg(text).arg(needH).arg(cr.height() - 2 * margin));
        return;
    }

    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        ++m_report.buttons;
        const QString text = ButtonText(button);
        const auto* tool = qobject_cast<QToolButton*>(button);
        const bool textShown = !text.isEmpty() && !(tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly &&
                                                      !button->icon().isNull());
        if (!textShown) {
            if (!DrawsSomething(button)) fault(where, button, QStringLiteral("draws neither a text nor a picture"));
            return;
        }
        ++m_report.texts;
        const bool iconBeside = !button->icon().isNull() &&
                                (!tool || tool->toolButtonStyle() == Qt::ToolButtonTextBesideIcon);
        const int needW = TextWidth(fm, text) + (iconBeside ? button->iconSize().width() + 4 : 0);
        QRect room;
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        if (qobject_cast<QPushButton*>(button)) {
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        } else if (qobject_cast<QCheckBox*>(button)) {
            room = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
        } else if (qobject_cast<QRadioButton*>(button)) {
            room = button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
        } else {
            room = button->rect().adjusted(3, 0, -3, 0);
        }
        if (needW > room.width())
            fault(where, button, QStringLiteral("'%1' needs %2 px, has %3").arg(text).arg(needW).arg(room.width()));
        else if (fm.height() > button->height())
            fault(where, button,
                  QStringLiteral("'%1' needs %2 px of height, has %3").arg(text).arg(fm.height()).arg(button->height()));
        return;
    }

    if (auto* header = qobject_cast<QHeaderView*>(w)) {
        if (!header->model() || header->orientation() != Qt::Horizontal) return;
        const int viewWidth = header->viewport()->width();
        for (int i = 0; i < header->count(); ++i) {
            if (header->isSectionHidden(i)) continue;
            const int left = header->sectionViewportPosition(i);
            if (left < 0 || left >= viewWidth) continue;  // scrolled out of view
            const QString text = header->model()->headerData(i, Qt::Horizontal).toString();
            if (text.isEmpty()) continue;
            ++m_report.texts;
            const int needW = HeaderAccess::SectionSize(header, i).width();
            if (needW > header->sectionSize(i))
                fault(where, header, QStringLiteral("section '%1' needs %2 px, has %3")
                                         .arg(text)
                                         .arg(needW)
                                         .arg(header->sectionSize(i)));
        }
        return;
    }

    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable() || combo->currentText().isEmpty()) return;
        ++m_report.texts;
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = false;
        option.frame = combo->hasFrame();
        option.currentText = combo->currentText();
        option.currentIcon = combo->itemIcon(combo->currentIndex());
        option.iconSize = combo->iconSize();
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        const int needW = fm.horizontalAdvance(option.currentText) +
                          (option.currentIcon.isNull() ? 0 : option.iconSize.width() + 4);
        if (needW > field.width())
            fault(where, combo,
                  QStringLiteral("'%1' needs %2 px, has %3").arg(option.currentText).arg(needW).arg(field.width()));
        return;
    }

    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        QAbstractItemModel* model = view->model();
        if (!model) return;
        const QRect viewport = view->viewport()->rect();
        const QStyleOptionViewItem base = ViewAccess::Options(view);
        const bool whole = m_whole.contains(view->objectName());
        auto* tree = qobject_cast<QTreeView*>(view);
        int looked = 0;
        std::function<void(const QModelIndex&)> rows = [&](const QModelIndex& parent) {
            for (int r = 0; r < model->rowCount(parent) && looked < 400; ++r) {
                const QModelIndex first = model->index(r, 0, parent);
                if (tree && tree->isRowHidden(r, parent)) continue;
                for (int c = 0; c < model->columnCount(parent); ++c) {
                    const QModelIndex index = model->index(r, c, parent);
                    const QRect rect = view->visualRect(index);
                    const QString text = index.data(Qt::DisplayRole).toString();
                    if (whole && rect.isValid() && rect.top() < viewport.bottom() && rect.bottom() > viewport.top() &&
                        !text.isEmpty() && (rect.right() > viewport.right() || rect.left() < viewport.left())) {
                        ++m_report.texts;
                        fault(where, view,
                              QStringLiteral("cell '%1' (%2 to %3 px) lies beyond the view's %4 px: it needs a "
                                             "sideways scroll")
                                  .arg(text)
                                  .arg(rect.left())
                                  .arg(rect.right() + 1)
                                  .arg(viewport.width()));
                        continue;
                    }
                    if (!rect.isValid() || !viewport.intersects(rect)) continue;
                    if (rect.left() >= viewport.right()) continue;
                    if (text.isEmpty()) continue;
                    ++looked;
                    ++m_report.texts;
                    QStyleOptionViewItem option = base;
                    option.rect = rect;
                    const int needW = view->itemDelegate(index)->sizeHint(option, index).width();
                    if (needW <= rect.width()) continue;
                    if (m_allowed.contains(view->objectName())) {
                        m_report.elided << view->objectName();
                        continue;
                    }
                    fault(where, view,
                          QStringLiteral("cell '%1' needs %2 px, has %3").arg(text).arg(needW).arg(rect.width()));
                }
                if (tree && tree->isExpanded(first)) rows(first);
            }
        };
        rows(view->rootIndex());
        return;
    }

    if (auto* tabs = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i) || tabs->tabText(i).isEmpty()) continue;
            ++m_report.texts;
            const int needW = TabAccess::TabSize(tabs, i).width();
            if (needW > tabs->tabRect(i).width() + 1)
                fault(where, tabs, QStringLiteral("tab '%1' needs %2 px, has %3")
                                       .arg(tabs->tabText(i))
                                       .arg(needW)
                                       .arg(tabs->tabRect(i).width()));
        }
        return;
    }

    if (auto* box = qobject_cast<QAbstractSpinBox*>(w)) {
        auto* edit = box->findChild<QLineEdit*>();
        if (!edit || box->text().isEmpty()) return;
        ++m_report.texts;
        // A line edit keeps 2 pixels either side of its text and one for the
        // cursor.
        const int room = edit->contentsRect().width() - 2 * 2 - 1;
        const int needW = edit->fontMetrics().horizontalAdvance(box->text());
        if (needW > room) fault(where, box, QStringLiteral("'%1' needs %2 px, has %3").arg(box->text()).arg(needW).arg(room));
    }
}

}  // namespace text_fit
