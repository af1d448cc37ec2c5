// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 40-pixel bar at the top of the frameless main window: icon and name,
// and the about, minimise, maximise/restore and close buttons. It owns the
// about pop-up and opens the user manual on F1.
#include "ziraz/mainwindow.h"

class QGridLayout;
class QHBoxLayout;
class QToolButton;
class AboutDialog;

namespace ziraz {
class Label;
class PlaneMenu;
class ToolButton;
}  // namespace ziraz

class TitleBar : public ziraz::FancyTitle {
    Q_OBJECT
public:
    explicit TitleBar(QWidget* parent = nullptr);
    ~TitleBar() override;

    // Version line of the about box.
    QString version() const;
    AboutDialog* aboutDialog() const { return m_about; }
    ziraz::PlaneMenu* aboutMenu() const { return m_aboutMenu; }

signals:
    void signalDownloadClicked();
    void signalCheckUpdate();

private slots:
    void onRestore();
    void onMin();
    void onClose();
    void onDoubleClicked();
    void onAbout();
    void onMenuHelpClicked();
    void onKeyF1Pressed();

private:
    struct Form {
        QGridLayout* gridLayout = nullptr;
        QHBoxLayout* horizontalLayout_2 = nullptr;
        ziraz::ToolButton* iconBtn = nullptr;
        ziraz::Label* titleLabel = nullptr;
        QHBoxLayout* horizontalLayout = nullptr;
        ziraz::ToolButton* downloadBtn = nullptr;
        ziraz::ToolButton* aboutBtn = nullptr;
        ziraz::ToolButton* minBtn = nullptr;
        ziraz::ToolButton* maxBtn = nullptr;
        ziraz::ToolButton* closeBtn = nullptr;
        void setupUi(QFrame* widget);
        void retranslateUi(QFrame* widget);
    };
    void initConnect();
    QWidget* barWindow();

    Form* m_form = nullptr;
    ziraz::PlaneMenu* m_aboutMenu = nullptr;
    AboutDialog* m_about = nullptr;
};
