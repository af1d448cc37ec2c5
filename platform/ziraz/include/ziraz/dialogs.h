// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Dialogs and notices of the toolkit.
//
// Every modal run and every notice first goes to the process-wide dialog
// presenter when one is set (SetDialogPresenter). A presenter that answers
// with a value takes the place of the dialog: nothing is shown and the value
// is the result. An empty answer lets the real dialog run. Tests use this so
// that no page blocks on a modal loop.
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidgetAction>

#include <functional>
#include <optional>

class QLineEdit;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace ziraz {

class BaseTitle;

enum class DialogKind {
    Warning,       // WarningDialog::showWarningDialog
    MessageInfo,   // WarningDlg::ShowMessageInfo
    CheckMessage,  // WarningDlg::CheckMessageInfo
    Information,   // InformationDlg::ShowInformationAtScreenRightBottom
    SnapshotInfo,  // SnapshotInfoWnd::ShowInformationAtScreenRightBottom
    Modal,         // BaseDialog::exec (dialog names the dialog being run)
};

struct DialogCall {
    DialogKind kind = DialogKind::Modal;
    int number = 0;        // Warning: display time in ms
    int pictureType = 0;   // Warning: 0 success, 1 information, 2 error
    QString title;
    QString text;
    QWidget* parent = nullptr;
    QStringList icons;
    QSize size;
    bool flags[3] = {false, false, false};  // Information: the three flags
    QDialog* dialog = nullptr;              // Modal: the dialog
};

using DialogPresenter = std::function<std::optional<int>(const DialogCall&)>;

// Sets (or with an empty function removes) the process-wide presenter and
// returns the previous one.
DialogPresenter SetDialogPresenter(DialogPresenter presenter);

// Sets a presenter for its lifetime and restores the previous one.
class ScopedDialogPresenter {
public:
    explicit ScopedDialogPresenter(DialogPresenter presenter) : m_old(SetDialogPresenter(std::move(presenter))) {}
    ~ScopedDialogPresenter() { SetDialogPresenter(std::move(m_old)); }
    ScopedDialogPresenter(const ScopedDialogPresenter&) = delete;
    ScopedDialogPresenter& operator=(const ScopedDialogPresenter&) = delete;

private:
    DialogPresenter m_old;
};

// Asks the presenter; empty when there is none or it lets the dialog run.
std::optional<int> PresentDialog(const DialogCall& call);

// The top-level window of `widget`; with a class name, the nearest ancestor
// (the widget itself included) that inherits that class. Null when there is
// none or the widget is null.
QWidget* GetIndependentWindow(QWidget* widget, const char* className = nullptr);

// Framed modal dialog: a title bar, a centre area and a bottom bar with
// confirm and cancel buttons. The seven flags are, in order: resizable,
// maximise button, minimise button, window icon, close button, confirm
// button, cancel button. exec() gives 1 when confirmed, 0 when cancelled or
// closed.
class BaseDialog : public QDialog {
    Q_OBJECT
public:
    BaseDialog(bool resizable, bool maxButton, bool minButton, bool icon, bool closeButton, bool confirmButton,
               bool cancelButton, QWidget* parent = nullptr);
    explicit BaseDialog(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;
    BaseTitle* titleBar() const { return m_title; }

    // Replaces the centre widget (the old one is deleted); the dialog takes
    // ownership. A null widget is ignored.
    void setCenterWidget(QWidget* widget);
    // The centre widget; an empty one exists from construction on, on which
    // a form can be set up.
    QWidget* getSetupUiWidget() const { return m_center; }
    void setCenterMargin(int margin);

    void setConfirmButtonText(const QString& text);
    void setCancelButtonText(const QString& text);
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }
    void setConfirmButtonVisible(bool visible);
    void setCancelButtonVisible(bool visible);
    void setConfirmButtonEnabled(bool enabled);
    void setBottomVisible(bool visible);
    bool isBottomVisible() const;
    void setCloseButtonVisible(bool visible);
    void SetFixedSize(int width, int height);
    void SetFixedSize(const QSize& size) { SetFixedSize(size.width(), size.height()); }

    // Which built-in reactions are on: confirm accepts, cancel rejects, the
    // close button rejects, Escape rejects, Enter confirms. All on at first.
    void setEnableDefaultConnections(bool confirm, bool cancel, bool close, bool escape, bool enter);
    // false: the confirm button only emits signalConfirmButtonClicked().
    void setConfirmButtonBehavior(bool accepts);

    // Runs the dialog modally, or lets the dialog presenter answer.
    int exec() override;

public slots:
    void onConfirmButtonClicked();
    void onCancelButtonClicked();
    void onCloseButtonClicked();

signals:
    void signalConfirmButtonClicked();
    void signalCancelButtonClicked();
    void signalCloseButtonClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build(bool resizable, bool closeButton, bool confirmButton, bool cancelButton);

    BaseTitle* m_title = nullptr;
    QVBoxLayout* m_centerLayout = nullptr;
    QWidget* m_center = nullptr;
    QWidget* m_bottom = nullptr;
    QPushButton* m_confirm = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_confirmAccepts = true;
    bool m_connConfirm = true, m_connCancel = true, m_connClose = true, m_connEscape = true, m_connEnter = true;
};

// Timed warning box.
class WarningDialog {
public:
    // A modal box with the text and the icon of `pictureType` (index into
    // `icons`); it closes itself after `displayMs` milliseconds when that is
    // above 0. `lineEdit` and `label`, when given, are filled with the text.
    static int showWarningDialog(int displayMs, int pictureType, const QString& text, QWidget* parent = nullptr,
                                 QLineEdit* lineEdit = nullptr, QLabel* label = nullptr,
                                 const QStringList& icons = QStringList(), const QSize& size = QSize(310, 120));
};

// Modal message and question boxes.
class WarningDlg {
public:
    // Message with an OK button; gives 1.
    static int ShowMessageInfo(const QString& title, const QString& text, QWidget* parent = nullptr);
    // Yes/no question: 1 on yes, 0 otherwise.
    static int CheckMessageInfo(const QString& title, const QString& text, QWidget* parent = nullptr);
};

// Transient notice at the bottom right of the screen. The flags: the text is
// a file path (the file's name always whole, on lines of its own when the
// path is too long for one; only the folder is shortened, with "…"; the full
// path is the tooltip); the notice stays until clicked; the notice closes
// itself after a few seconds.
class InformationDlg : public QLabel {
    Q_OBJECT
public:
    explicit InformationDlg(QWidget* parent = nullptr);
    // The notice shown; null when a presenter answered the call or there is
    // no widget application.
    static InformationDlg* ShowInformationAtScreenRightBottom(const QString& text, QWidget* parent = nullptr,
                                                              bool isPath = false, bool stay = false,
                                                              bool autoClose = true);
    // The lines a path is shown in within `width` pixels of `metrics`: the
    // whole path when it fits; else the folder (shortened in the middle when
    // it does not fit either) and then the file's name, whole, over as many
    // lines as it needs.
    static QStringList PathLines(const QString& path, const QFontMetrics& metrics, int width);
    static const int kDisplayMs = 3000;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Notice of a saved snapshot.
class SnapshotInfoWnd {
public:
    static void ShowInformationAtScreenRightBottom(const QString& text, QWidget* parent = nullptr);
};

// Modal wait dialog with an animation and a line of text; ends with
// OnStopChaseByAccept().
class ChaseDialog : public BaseDialog {
    Q_OBJECT
public:
    ChaseDialog(QWidget* parent, const QString& animationPath, const QString& text, bool cancelable = false);
    QString text() const;

public slots:
    void OnStopChaseByAccept();

private:
    QLabel* m_text;
};

// Modal progress dialog.
class Progress : public BaseDialog {
    Q_OBJECT
public:
    explicit Progress(QWidget* parent = nullptr);
    int value() const;
    int maximum() const;

public slots:
    // index is 0-based, count the number of steps.
    void OnProgressChanged(int index, int count);

private:
    QProgressBar* m_bar;
};

// About panel shown as a menu entry: a name line, a version line, a licence
// line (hidden while empty), a corner button and two bottom buttons.
class DialogAbout : public QWidgetAction {
    Q_OBJECT
public:
    explicit DialogAbout(QObject* parent = nullptr);

    void setName(const QString& text);
    void setVersion(const QString& text);
    QString version() const;
    QString name() const;
    void setLicence(const QString& text);
    QString licence() const;
    void setCornerButtonText(const QString& text);
    void setCornerButtonVisible(bool visible);
    void setButton1Text(const QString& text);
    void setButton2Text(const QString& text);
    void setBottomButtonsVisible(bool visible);
    QWidget* panel() const { return m_panel; }

signals:
    void siganlBtn1Clicked();
    void siganlBtn2Clicked();
    void signalConerBtnClicked();

private:
    QWidget* m_panel;
    QLabel* m_name;
    QLabel* m_version;
    QLabel* m_licence;
    QPushButton* m_corner;
    QPushButton* m_btn1;
    QPushButton* m_btn2;
};

}  // namespace ziraz
