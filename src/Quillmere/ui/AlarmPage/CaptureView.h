// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm picture viewer: looks in the program folder's "Other" folder for
// the first JPEG whose name carries the alarm's channel and a time inside the
// alarm's span, shows it, and saves it under the capture folder on request.
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <ctime>

#include "ziraz/dialogs.h"

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace Ui {
class CCaptureViewUI {
public:
    QGridLayout* gridLayout_7 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QWidget* m_pTopWidget = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* m_pTitleLabel = nullptr;
    QToolButton* m_pDownloadBtn = nullptr;
    QStackedWidget* m_pShowPicStackedWidget = nullptr;
    QWidget* m_pNoPicPage = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QWidget* m_pNoPicContainWidget = nullptr;
    QGridLayout* gridLayout = nullptr;
    QWidget* m_pNoPicContainerWidget = nullptr;
    QGridLayout* gridLayout_5 = nullptr;
    QToolButton* m_pDefaultPictureBtn = nullptr;
    QLabel* m_pNoPictureLabel = nullptr;
    QWidget* m_pShowPicPage = nullptr;
    QGridLayout* gridLayout_6 = nullptr;
    QLabel* m_pShowImageLabel = nullptr;
    QWidget* m_pBottomWidget = nullptr;
    QGridLayout* gridLayout_3 = nullptr;
    QPushButton* m_pCloseBtn = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};
}  // namespace Ui

class CCaptureView : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit CCaptureView(QWidget* parent = nullptr);
    ~CCaptureView() override;

    void setTitleText(const QString& text);
    // start and end: UTC seconds, both included.
    void showAlarmPicture(int channel, int alarmType, time_t start, time_t end);

    Ui::CCaptureViewUI* ui() const { return m_pUi; }
    const QPixmap& picture() const { return m_pixPicture; }
    QString pictureName() const { return m_strPictureName; }
    // The path the last save wrote to.
    QString lastSavedPath() const { return m_strLastSaved; }

    // The picture of `path` when its name carries `channel` and a recorder time
    // within [start, end]; the picture follows a 1024-byte header or fills the
    // file. Null otherwise.
    static QPixmap loadMatchingPicture(const QString& path, int channel, time_t start, time_t end);
    // Every file below `path`, depth first.
    static void collectFiles(const QString& path, QStringList& list, int depth = 0);

public slots:
    void onDownLoadBtn();

private:
    Ui::CCaptureViewUI* m_pUi = nullptr;
    QPixmap m_pixPicture;
    QString m_strPictureName;
    QString m_strLastSaved;
};
