// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The UI controls the uninstaller is built from: resource loading, the
// program folder, file reading, modal tip dialogs, a movable title bar and
// the command buttons.
#include <QDialog>
#include <QPoint>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;

namespace Tavick {

// Registers the compiled resource file `rccPath` and fills `styleSheet` with
// the control styles it carries (the files below ":/Tavick/Qss/", by name).
// With `append` the styles are added to what `styleSheet` holds, otherwise
// they replace it. False when the file cannot be registered; `styleSheet` is
// then left as it was.
bool InitResource(const QString& rccPath, QString& styleSheet, bool append);

// The program's folder, ending in '/'.
QString GetTargetPath();

class CFile {
public:
    // The text of the files `names` in `folder`, one after the other (each
    // followed by a line break). Files that cannot be read add nothing.
    static QString ReadAll(const QStringList& names, const QString& folder);
};

// A title bar that moves its window when dragged.
class CFancyTitle : public QWidget {
    Q_OBJECT
public:
    explicit CFancyTitle(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_dragging = false;
    QPoint m_grabOffset;
};

// Main action button.
class CCommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CCommandButton(QWidget* parent = nullptr);
};

// Secondary action button.
class CSecondCommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CSecondCommandButton(QWidget* parent = nullptr);
};

// Frameless modal message with a caption, a text and one or two buttons.
// exec() gives QDialog::Accepted when the user confirms, else Rejected.
class CModalTipDialog : public QDialog {
    Q_OBJECT
public:
    // Dialog models: the caption and the buttons shown.
    enum DialogModel {
        InfoModel = 0,      // "Info", Confirm
        SuccessModel = 1,   // "Success", Confirm
        ErrorModel = 2,     // "Error", Confirm
        QuestionModel = 3,  // "Info", Confirm and Cancel
        WarnModel = 4,      // "Warning", Confirm
    };
    // Dialog sizes: 0 small (400 x 200), 1 large (480 x 240).
    enum DialogSize { SmallSize = 0, LargeSize = 1 };

    explicit CModalTipDialog(QWidget* parent = nullptr);

    // Button and caption texts in the order Confirm, Cancel, Close, Success,
    // Error, Warning, Info; a shorter list keeps the defaults of the rest.
    static void setConstStrings(const QStringList& strings);
    static QStringList constStrings();

    // A warning with a Confirm button; returns the dialog's result.
    static int ShowMessageWarn(const QString& text, int size = SmallSize, QWidget* parent = nullptr);
    // A message of the given model; returns the dialog's result.
    static int ShowModalTipDialog(const QString& text, int model, int size = SmallSize,
                                  QWidget* parent = nullptr);

    void setDialogModel(int model);
    void setContentText(const QString& text);
    void setDialogSize(int size);

    int dialogModel() const { return m_model; }
    QString contentText() const;

private:
    void applyModel();

    int m_model = InfoModel;
    QLabel* m_caption = nullptr;
    QLabel* m_content = nullptr;
    QPushButton* m_closeBtn = nullptr;
    CCommandButton* m_confirmBtn = nullptr;
    CSecondCommandButton* m_cancelBtn = nullptr;
};

}  // namespace Tavick
