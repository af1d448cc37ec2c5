// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptureView.h"

#include "storage/RecorderTime.h"
#include "common/InterfaceHelpers.h"
#include "AlarmViewParts.h"
#include "CustomPlayerFrame.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegExp>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <cstring>

#include "storage/Settings.h"
#include "ziraz/sharetools.h"
#include "ziraz/ziraz.h"
#include "zun.h"

namespace {
// Longest joined path the folder walk follows, and how deep it goes (a
// folder linked into itself must not recurse without end).
const int kMaxPath = 260;
const int kMaxDepth = 32;
const int kHeaderBytes = 1024;
}  // namespace

namespace Ui {

void CCaptureViewUI::setupUi(QWidget* form) {
    EnsureAlarmPageResources();
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("CCaptureViewUI"));
    form->resize(625, 523);
    form->setMinimumSize(625, 510);
    form->setMaximumSize(625, 523);
    form->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei;"));
    gridLayout_7 = new QGridLayout(form);
    gridLayout_7->setObjectName(QStringLiteral("gridLayout_7"));
    gridLayout_7->setHorizontalSpacing(0);
    gridLayout_7->setVerticalSpacing(16);
    gridLayout_7->setContentsMargins(0, 0, 0, 0);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    {
        QMargins m = verticalLayout->contentsMargins();
        verticalLayout->setContentsMargins(16, 12, 16, m.bottom());
    }
    m_pTopWidget = new QWidget(form);
    m_pTopWidget->setObjectName(QStringLiteral("m_pTopWidget"));
    m_pTopWidget->setFixedHeight(44);
    gridLayout_2 = new QGridLayout(m_pTopWidget);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setSpacing(0);
    gridLayout_2->setContentsMargins(0, 0, 0, 0);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(0);
    AddTitleAndDownload(m_pTopWidget, horizontalLayout, &m_pTitleLabel, &m_pDownloadBtn);
    gridLayout_2->addLayout(horizontalLayout, 0, 0, 1, 1);
    verticalLayout->addWidget(m_pTopWidget);

    m_pShowPicStackedWidget = new QStackedWidget(form);
    m_pShowPicStackedWidget->setObjectName(QStringLiteral("m_pShowPicStackedWidget"));
    m_pShowPicStackedWidget->setFixedSize(593, 384);
    m_pNoPicPage = new QWidget();
    m_pNoPicPage->setObjectName(QStringLiteral("m_pNoPicPage"));
    gridLayout_4 = new QGridLayout(m_pNoPicPage);
    gridLayout_4->setObjectName(QStringLiteral("gridLayout_4"));
    gridLayout_4->setSpacing(0);
    gridLayout_4->setContentsMargins(0, 0, 0, 0);
    m_pNoPicContainWidget = new QWidget(m_pNoPicPage);
    m_pNoPicContainWidget->setObjectName(QStringLiteral("m_pNoPicContainWidget"));
    gridLayout = new QGridLayout(m_pNoPicContainWidget);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 0, 1, 1, 1);
    gridLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 0, 1, 1);
    m_pNoPicContainerWidget = new QWidget(m_pNoPicContainWidget);
    m_pNoPicContainerWidget->setObjectName(QStringLiteral("m_pNoPicContainerWidget"));
    m_pNoPicContainerWidget->setMinimumSize(70, 76);
    // As wide as the sign's text asks for (the picture stays centred on it).
    m_pNoPicContainerWidget->setMaximumSize(QWIDGETSIZE_MAX, 90);
    gridLayout_5 = new QGridLayout(m_pNoPicContainerWidget);
    gridLayout_5->setObjectName(QStringLiteral("gridLayout_5"));
    gridLayout_5->setSpacing(0);
    gridLayout_5->setContentsMargins(0, 0, 0, 0);
    m_pDefaultPictureBtn = new QToolButton(m_pNoPicContainerWidget);
    m_pDefaultPictureBtn->setObjectName(QStringLiteral("m_pDefaultPictureBtn"));
    m_pDefaultPictureBtn->setFixedSize(56, 56);
    m_pDefaultPictureBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/default_picture_empty_d.svg")));
    m_pDefaultPictureBtn->setIconSize(QSize(56, 56));
    gridLayout_5->addWidget(m_pDefaultPictureBtn, 0, 0, 1, 1, Qt::AlignHCenter);
    m_pNoPictureLabel = new QLabel(m_pNoPicContainerWidget);
    m_pNoPictureLabel->setObjectName(QStringLiteral("m_pNoPictureLabel"));
    m_pNoPictureLabel->setMinimumWidth(56);
    m_pNoPictureLabel->setFixedHeight(20);
    m_pNoPictureLabel->setAlignment(Qt::AlignCenter);
    gridLayout_5->addWidget(m_pNoPictureLabel, 1, 0, 1, 1);
    gridLayout->addWidget(m_pNoPicContainerWidget, 1, 1, 1, 1);
    gridLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 1, 2, 1, 1);
    gridLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 2, 1, 1, 1);
    gridLayout_4->addWidget(m_pNoPicContainWidget, 0, 0, 1, 1);
    m_pShowPicStackedWidget->addWidget(m_pNoPicPage);
    m_pShowPicPage = new QWidget();
    m_pShowPicPage->setObjectName(QStringLiteral("m_pShowPicPage"));
    gridLayout_6 = new QGridLayout(m_pShowPicPage);
    gridLayout_6->setObjectName(QStringLiteral("gridLayout_6"));
    gridLayout_6->setSpacing(0);
    gridLayout_6->setContentsMargins(0, 0, 0, 0);
    m_pShowImageLabel = new QLabel(m_pShowPicPage);
    m_pShowImageLabel->setObjectName(QStringLiteral("m_pShowImageLabel"));
    m_pShowImageLabel->setMinimumSize(593, 384);
    gridLayout_6->addWidget(m_pShowImageLabel, 0, 0, 1, 1);
    m_pShowPicStackedWidget->addWidget(m_pShowPicPage);
    m_pShowPicStackedWidget->setCurrentIndex(0);
    verticalLayout->addWidget(m_pShowPicStackedWidget);

    m_pBottomWidget = new QWidget(form);
    m_pBottomWidget->setObjectName(QStringLiteral("m_pBottomWidget"));
    gridLayout_3 = new QGridLayout(m_pBottomWidget);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 0, 1, 1);
    m_pCloseBtn = new QPushButton(m_pBottomWidget);
    m_pCloseBtn->setObjectName(QStringLiteral("m_pCloseBtn"));
    m_pCloseBtn->setFixedSize(96, 32);
    gridLayout_3->addWidget(m_pCloseBtn, 0, 1, 1, 1);
    gridLayout_3->addItem(new QSpacerItem(16, 20, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 2, 1, 1);
    verticalLayout->addWidget(m_pBottomWidget);
    gridLayout_7->addLayout(verticalLayout, 0, 0, 1, 1);
    retranslateUi(form);
}

void CCaptureViewUI::retranslateUi(QWidget* form) {
    form->setWindowTitle(QApplication::translate("CCaptureViewUI", "Form", nullptr));
    m_pTitleLabel->setText(QApplication::translate("CCaptureViewUI", "ChannelRKQ33T39", nullptr));
    m_pDownloadBtn->setText(QApplication::translate("CCaptureViewUI", "Download", nullptr));
    m_pDefaultPictureBtn->setText(QString());
    m_pNoPictureLabel->setText(QApplication::translate("CCaptureViewUI", "NoPictures", nullptr));
    m_pCloseBtn->setText(QApplication::translate("CCaptureViewUI", "Close", nullptr));
}

}  // namespace Ui

CCaptureView::CCaptureView(QWidget* parent)
    : ziraz::BaseDialog(false, false, false, false, true, false, false, parent), m_pUi(new Ui::CCaptureViewUI) {
    m_pUi->setupUi(getSetupUiWidget());
    setTitle(tr("AlarmPicture"));
    FitToContent(m_pUi->m_pDownloadBtn, 96, 32);
    FitToContent(m_pUi->m_pCloseBtn, 96, 32);
    setBottomVisible(false);
    if (!connect(m_pUi->m_pCloseBtn, SIGNAL(clicked()), this, SLOT(close())))
        ShareTools::debugMessage(QStringLiteral("connect failure! ") +
                                 QStringLiteral("..\\..\\..\\src\\Quillmere\\ui\\AlarmPage\\CaptureView") + ":" +
                                 QStringLiteral("42") + QStringLiteral(" in ") +
                                 QStringLiteral("CCaptureView::CCaptureView"));
    connect(m_pUi->m_pDownloadBtn, SIGNAL(clicked()), this, SLOT(onDownLoadBtn()));
    m_pUi->m_pShowPicStackedWidget->setCurrentWidget(m_pUi->m_pNoPicPage);
    m_pUi->m_pDownloadBtn->setEnabled(false);
}

CCaptureView::~CCaptureView() { delete m_pUi; }

void CCaptureView::setTitleText(const QString& text) { m_pUi->m_pTitleLabel->setText(text); }

void CCaptureView::collectFiles(const QString& path, QStringList& list, int depth) {
    const QByteArray local = path.toLocal8Bit();
    ZUN_DIR dir = ZUN_OpenDir(local.constData());
    if (!dir) {
        list << path;
        return;
    }
    if (depth < kMaxDepth) {
        char name[kMaxPath + 1];
        while (ZUN_FindFileInDir(dir, name, sizeof(name)) == 0) {
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            char joined[kMaxPath + 1];
            const int n = std::snprintf(joined, sizeof(joined), "%s/%s", local.constData(), name);
            // A cut path would name another file: leave such entries out.
            if (n < 0 || n > kMaxPath) continue;
            collectFiles(QString::fromLocal8Bit(joined), list, depth + 1);
        }
    }
    ZUN_CloseDir(dir);
}

QPixmap CCaptureView::loadMatchingPicture(const QString& path, int channel, time_t start, time_t end) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QPixmap();
    const QByteArray data = file.readAll();
    file.close();

    QRegExp pattern(QStringLiteral("ch[0-9]{2}_[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}-[0-9]{2}-[0-9]{2}"),
                    Qt::CaseSensitive, QRegExp::RegExp);
    const int p = pattern.indexIn(path);
    if (p < 0) return QPixmap();
    const int fileChannel = path.mid(p + 2, 2).toInt();
    const QDate day = QDate::fromString(path.mid(p + 5, 10), QStringLiteral("yyyy-MM-dd"));
    const QTime clock = QTime::fromString(path.mid(p + 16, 8), QStringLiteral("hh-mm-ss"));
    if (!day.isValid() || !clock.isValid()) return QPixmap();
    const time_t t = RecorderTime(day, clock);
    if (fileChannel != channel || t < start || t > end) return QPixmap();
    // The recorder's picture files carry a 1024-byte header before the
    // picture; the disk file library writes the picture alone (with a short
    // trailer). Both are read.
    QPixmap pixmap;
    if (data.size() > kHeaderBytes && pixmap.loadFromData(data.mid(kHeaderBytes))) return pixmap;
    if (!data.isEmpty() && pixmap.loadFromData(data)) return pixmap;
    return QPixmap();
}

void CCaptureView::showAlarmPicture(int channel, int alarmType, time_t start, time_t end) {
    Q_UNUSED(alarmType);
    // An alarm without a picture shows the no-picture page, never the picture
    // of an earlier alarm.
    m_pUi->m_pDownloadBtn->setEnabled(false);
    m_pixPicture = QPixmap();
    m_strPictureName.clear();
    m_pUi->m_pShowImageLabel->clear();
    m_pUi->m_pShowPicStackedWidget->setCurrentWidget(m_pUi->m_pNoPicPage);
    const QString folder = ziraz::GetTargetPath() + QStringLiteral("Other");
    if (!QFileInfo(folder).isDir()) return;
    QStringList files;
    collectFiles(folder, files);
    for (const QString& path : files) {
        const QFileInfo info(path);
        if (info.suffix() != QStringLiteral("jpg")) continue;
        const QPixmap pixmap = loadMatchingPicture(path, channel, start, end);
        if (pixmap.isNull()) continue;
        m_pixPicture = pixmap;
        m_strPictureName = info.fileName();
        QLabel* label = m_pUi->m_pShowImageLabel;
        label->setPixmap(pixmap.scaled(label->width(), label->height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_pUi->m_pShowPicStackedWidget->setCurrentWidget(m_pUi->m_pShowPicPage);
        m_pUi->m_pDownloadBtn->setEnabled(true);
        return;
    }
}

void CCaptureView::onDownLoadBtn() {
    QString folder = CSettingsStore::GetInstance()->GetValueText(SettingKey::CaptureSavePath);
    // The folder name is joined onto the stored path; a path stored without
    // its trailing separator gets one.
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    folder += QStringLiteral("Capture/");
    const QString path = folder + m_strPictureName;
    // Every missing level of the folder is made; only a written file is
    // announced as saved.
    const bool saved = QDir().mkpath(folder) && m_pixPicture.save(path, "jpg");
    static QPointer<ziraz::InformationDlg> notice;
    if (!notice) notice = new ziraz::InformationDlg(this);
    if (!saved) {
        ziraz::InformationDlg::ShowInformationAtScreenRightBottom(tr("The picture could not be saved to %1.").arg(path),
                                                                  this, false, false, true);
        return;
    }
    m_strLastSaved = path;
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(path, this, true, false, true);
}
