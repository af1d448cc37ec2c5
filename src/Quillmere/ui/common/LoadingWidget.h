// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small frameless busy indicator: a 90 x 90 transparent dialog that cycles
// through eight pictures, one every 500 ms, from construction on.
#include <QDialog>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QTimer;

namespace Ui {

class LoadingWidget {
public:
    QGridLayout* gridLayout = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QSpacerItem* horizontalSpacer = nullptr;
    QLabel* label = nullptr;
    QSpacerItem* horizontalSpacer_2 = nullptr;

    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};

}  // namespace Ui

class LoadingWidget : public QDialog {
    Q_OBJECT
public:
    explicit LoadingWidget(QWidget* parent = nullptr);
    ~LoadingWidget() override;

    static const int kFrameCount = 8;
    static const int kTickMs = 500;
    // Resource path of frame 1..8.
    static QString framePath(int frame);
    // The frame shown last (0 before the first tick).
    int currentFrame() const { return m_shown; }
    QLabel* frameLabel() const;

private slots:
    void onShowDialog();
    void onCloseDialog();

private:
    void showFrame(int frame);

    Ui::LoadingWidget* ui;
    int m_counter = 1;
    int m_shown = 0;
    QTimer* m_timer = nullptr;
};
