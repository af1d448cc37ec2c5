// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The column of page buttons at the left of the main window. Each button
// carries its page's stack index in the int property "s"; the bar keeps
// exactly one button checked.
#include <QMap>

#include "ziraz/controls.h"

class QToolButton;
class QGridLayout;
class QVBoxLayout;

class OperateSelWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit OperateSelWidget(QWidget* parent = nullptr);
    ~OperateSelWidget() override;

    // The button of page index 0 to 5, null for any other index.
    QToolButton* button(int index);

private slots:
    void onPlayback();
    void onLog();
    void onSetting();
    void onAlarm();
    void onTrackPlayback();
    void onEvidencePlayback();
    void onCapturePlayback();

private:
    struct Form {
        QGridLayout* gridLayout = nullptr;
        QVBoxLayout* verticalLayout = nullptr;
        QToolButton* playbackBtn = nullptr;
        QToolButton* evidencePlaybackBtn = nullptr;
        QToolButton* trackPlaybackBtn = nullptr;
        QToolButton* logBtn = nullptr;
        QToolButton* alarmBtn = nullptr;
        QToolButton* settingBtn = nullptr;
        void setupUi(QWidget* widget);
        void retranslateUi(QWidget* widget);
    };
    void checkOnly(QToolButton* button);

    Form* m_form = nullptr;
    QMap<int, QToolButton*> m_buttons;
};
