#pragma once
// A label whose text scrolls sideways, one character every 300 ms, when it
// is wider than the label; a text that fits stands still.
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
    bool isScrolling() const;

    static const int kStepMs = 300;

private slots:
    void onUpdateText();

private:
    QTimer* m_timer;
    int m_offset = 0;
    QString m_scrollText;
};
