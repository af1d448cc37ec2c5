// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A label whose text scrolls sideways, one character every 300 ms, when it
// is wider than the label; a text that fits stands still. Its timer runs only
// while the label is shown, so a hidden legend costs nothing.
#include <QLabel>
#include <QString>

class QTimer;

class ScrollLabel : public QLabel {
    Q_OBJECT
public:
    explicit ScrollLabel(QWidget* parent = nullptr);

    // Shows `text`, scrolling it when it does not fit the label's width.
    void setScrollText(const QString& text);

    // What scrolls: the text, four blanks and the text again (or the text
    // alone when it fits), and the current offset into it in characters.
    QString scrollText() const { return m_scrollText; }
    int scrollOffset() const { return m_offset; }
    bool isScrolling() const { return m_scrolls; }
    // The scrolling timer runs (only while shown).
    bool isTicking() const;

    static const int kStepMs = 300;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void onUpdateText();

private:
    QTimer* m_timer;
    int m_offset = 0;
    bool m_scrolls = false;
    QString m_scrollText;
};
