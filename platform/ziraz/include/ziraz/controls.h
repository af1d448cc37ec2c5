// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plain widgets of the toolkit. Most add nothing to their Qt base beyond a
// constructor that matches the forms; the few extras are listed per class.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QAbstractButton>
#include <QFrame>
#include <QSlider>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <QAbstractItemView>

namespace ziraz {

// Widget base of the pages. Paints its style sheet background, so that
// subclasses which paint themselves call Widget::paintEvent first.
class Widget : public QWidget {
    Q_OBJECT
public:
    explicit Widget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A label. With setElidedText it shows a one-line text cut with "…" at the
// side `mode` names when its width cannot hold all of it, and then gives
// the whole text as its tool tip; the whole text stays in wholeText().
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr) : QLabel(parent) {}
    explicit Label(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {}

    void setElidedText(const QString& text, Qt::TextElideMode mode = Qt::ElideRight);
    // The text given to setElidedText (else the text shown).
    QString wholeText() const { return m_eliding ? m_whole : text(); }
    // The width the whole text needs in this label (margins and indent included).
    int wholeTextWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();
    QString m_whole;
    Qt::TextElideMode m_mode = Qt::ElideRight;
    bool m_eliding = false;
    bool m_ownTip = false;
};

class LineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit LineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
};

// A line edit that hides what is typed.
class PasswordLineEdit : public LineEdit {
    Q_OBJECT
public:
    explicit PasswordLineEdit(QWidget* parent = nullptr);
};

// A line edit with an optional picture button on either side.
class FancyLineEdit : public QLineEdit {
    Q_OBJECT
public:
    enum Side { Left = 0, Right = 1 };
    explicit FancyLineEdit(QWidget* parent = nullptr);

    // Puts `pixmap` on the button of `side` (0 left, 1 right) and shows it;
    // a null pixmap hides the button. Other sides are ignored.
    void SetButtonPixmap(int side, const QPixmap& pixmap);
    QPixmap ButtonPixmap(int side) const;
    QToolButton* Button(int side) const;
    // A read-only line asks for the width of its whole text and buttons, so
    // that a layout shows all of it; an editable one sizes as a line edit.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void SignalButtonClicked(int side);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // A read-only line whose layout gives it less room than its text needs
    // draws the text smaller (down to 8 pixels), so that all of it shows.
    void fitTextToWidth();

private:
    void placeButtons();
    int textWidthHint() const;
    QToolButton* m_buttons[2];
    QFont m_baseFont;
    bool m_baseFontKept = false;
};

// A search line: the text is the filter, trimmed.
class SearchLineEdit : public FancyLineEdit {
    Q_OBJECT
public:
    explicit SearchLineEdit(QWidget* parent = nullptr);
    void ClearFilterText();
    void SetMaxLineEditLength(int length);
    QString FilterText() const { return text().trimmed(); }

signals:
    void SignalFilterTextChanged(const QString& text);
};

// A search line that filters the rows of an item view: rows whose display
// text (or that of a descendant) holds the filter text stay visible. Works
// with tree and list views; other views are only remembered.
class LocationViewWidget : public SearchLineEdit {
    Q_OBJECT
public:
    explicit LocationViewWidget(QWidget* parent = nullptr);
    void SetView(QAbstractItemView* view);
    QAbstractItemView* View() const { return m_view; }
    // Applies the current filter again (after the view's model changed).
    void ApplyFilter();

private:
    QPointer<QAbstractItemView> m_view;
};

class ToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit ToolButton(QWidget* parent = nullptr) : QToolButton(parent) {}
};

class PushButton : public QPushButton {
    Q_OBJECT
public:
    explicit PushButton(QWidget* parent = nullptr) : QPushButton(parent) {}
    explicit PushButton(const QString& text, QWidget* parent = nullptr) : QPushButton(text, parent) {}
};

class RadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit RadioButton(QWidget* parent = nullptr) : QRadioButton(parent) {}
    explicit RadioButton(const QString& text, QWidget* parent = nullptr) : QRadioButton(text, parent) {}
};

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent = nullptr) : QCheckBox(parent) {}
    explicit CheckBox(const QString& text, QWidget* parent = nullptr) : QCheckBox(text, parent) {}
};

class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr) : QComboBox(parent) {}
    // Adds an entry showing `text`; `toolTip` becomes the entry's tooltip when
    // not empty, `data` its user data.
    void AddItem(const QString& text, const QString& toolTip = QString(), const QVariant& data = QVariant());
};

class TabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit TabWidget(QWidget* parent = nullptr) : QTabWidget(parent) {}
};

class StackedWidget : public QStackedWidget {
    Q_OBJECT
public:
    explicit StackedWidget(QWidget* parent = nullptr) : QStackedWidget(parent) {}
};

class VerScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit VerScrollBar(QWidget* parent = nullptr) : QScrollBar(Qt::Vertical, parent) {}
};

class HorScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit HorScrollBar(QWidget* parent = nullptr) : QScrollBar(Qt::Horizontal, parent) {}
};

class PlaneMenu : public QMenu {
    Q_OBJECT
public:
    explicit PlaneMenu(QWidget* parent = nullptr) : QMenu(parent) {}
};

// Sound button: on/off state and a volume value.
class VolumeButton : public QToolButton {
    Q_OBJECT
public:
    // Volumes run from 0 to kMaxVolume.
    static const int kMaxVolume = 0xFFFF;

    explicit VolumeButton(QWidget* parent = nullptr);
    // Shows the state without reporting it.
    void setStateValue(bool soundOn, int value);
    bool soundOn() const { return m_on; }
    int value() const { return m_value; }
    // The button's icons for sound on and off, and the pop-up's mute button
    // icons for the same two states.
    void setIcons(const QString& soundOn, const QString& soundOff, const QString& popupOn, const QString& popupOff);

    // The pop-up a click opens: a mute button and a volume slider.
    QWidget* popup() const { return m_popup; }
    QAbstractButton* muteButton() const;
    QSlider* volumeSlider() const { return m_slider; }
    void showPopup();

signals:
    void SignalSoundOpened(bool soundOn);
    void SignalVolumeValueChanged(int value);

private:
    void updateIcons();

    bool m_on = false;
    int m_value = 0;
    QString m_icons[4];
    QFrame* m_popup = nullptr;
    QToolButton* m_mute = nullptr;
    QSlider* m_slider = nullptr;
};

// Grid layout that places widgets left to right, `itemCount` per row.
class LeftRightLayout : public QGridLayout {
    Q_OBJECT
public:
    explicit LeftRightLayout(QWidget* parent = nullptr);
    void setItemCount(int perRow);
    int itemCount() const { return m_perRow; }
    void addWidget(QWidget* widget);
    void addWidget(const QList<QWidget*>& widgets);
    template <class T>
    void addWidget(const QList<T*>& widgets) {
        for (T* w : widgets) addWidget(static_cast<QWidget*>(w));
    }
    template <class T>
    void addWidget(const QVector<T*>& widgets) {
        for (T* w : widgets) addWidget(static_cast<QWidget*>(w));
    }
    // Removes every item; the widgets are hidden and deleted later.
    void clear();
    int widgetCount() const { return m_count; }

private:
    int m_perRow = 1;
    int m_count = 0;
};

}  // namespace ziraz
