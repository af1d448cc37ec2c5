// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Walks the shown widgets of a window and tells every text that does not fit
// where it is drawn, and every button that draws neither a text nor a
// picture:
// - labels: each line of a one-line label within its contents (margins and
//   indent taken off); a word-wrapped label's height for its width;
// - buttons (push, tool, check and radio buttons): the text (and the icon
//   beside it) within the part of the button the style gives its label; a
//   button with no text draws something inside its frame;
// - header sections: what the section needs for its title (sort arrow and
//   check box included) within its width;
// - combo boxes that cannot be edited: the current text within the edit field;
// - item views: each shown cell's text (what its delegate asks for) within
//   the cell; for the views named to requireWholeCells, each cell of the
//   rows in view within the view's width;
// - tab bars: each tab's text within the tab;
// - date and time boxes: the text within the box.
// A text shortened with "…" on purpose (the whole text is its tool tip) is not
// a fault when its object is named in the list given to the walker and, when
// the whole text is a path, the file's name shows whole; it is recorded as
// such, and must fit as shortened.
#include <QSet>
#include <QString>
#include <QStringList>

class QWidget;

namespace text_fit {

struct Report {
    QStringList faults;     // "<where>: <what>"
    QStringList elided;     // object names elided on purpose, with a tool tip
    int texts = 0;          // texts looked at
    int buttons = 0;        // buttons looked at
};

class Walker {
public:
    // `allowedElisions`: object names whose text may be shortened with "…"
    // when the whole text is the tool tip.
    explicit Walker(QSet<QString> allowedElisions = {}) : m_allowed(std::move(allowedElisions)) {}

    // Item views (by object name) whose cells must each lie whole within
    // the view: a cell cut by the view's edge, or out of view to its right
    // (seen only by scrolling sideways), is a fault there.
    void requireWholeCells(QSet<QString> viewNames) { m_whole = std::move(viewNames); }

    // Walks `root` and every shown widget under it; `where` starts the
    // place named in each fault.
    void walk(QWidget* root, const QString& where);
    const Report& report() const { return m_report; }

private:
    void check(QWidget* w, const QString& where);
    void fault(const QString& where, const QWidget* w, const QString& what);
    bool elidedOnPurpose(const QWidget* w, const QString& shown, const QString& tip);

    QSet<QString> m_allowed;
    QSet<QString> m_whole;
    Report m_report;
};

// "QLabel#name" or the class alone.
QString Describe(const QWidget* w);

}  // namespace text_fit
