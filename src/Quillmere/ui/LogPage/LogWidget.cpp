// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogWidget.h"

#include "common/InterfaceHelpers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSpacerItem>
#include <QStandardItemModel>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "storage/DiskEnum.h"
#include "storage/Settings.h"
#include "LogDiskBox.h"
#include "search/LogTypeTable.h"
#include "search/LogWriteThread.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"
#include "ziraz/sharetools.h"

namespace {

const char* const kHeaders[12] = {
    QT_TRANSLATE_NOOP("LogWidget", "ID"),
    QT_TRANSLATE_NOOP("LogWidget", "Operation time"),
    QT_TRANSLATE_NOOP("LogWidget", "Major Type"),
    QT_TRANSLATE_NOOP("LogWidget", "Minor Type"),
    QT_TRANSLATE_NOOP("LogWidget", "Local Operator"),
    QT_TRANSLATE_NOOP("LogWidget", "Remote Operator"),
    QT_TRANSLATE_NOOP("LogWidget", "Remote Host Address"),
    QT_TRANSLATE_NOOP("LogWidget", "Parameter Type"),
    QT_TRANSLATE_NOOP("LogWidget", "Channel No"),
    QT_TRANSLATE_NOOP("LogWidget", "Disk No"),
    QT_TRANSLATE_NOOP("LogWidget", "Alarm Input"),
    QT_TRANSLATE_NOOP("LogWidget", "Alarm Output"),
};
const int kWidths[12] = {70, 130, 120, 120, 110, 120, 140, 0, 85, 90, 85, 85};
const int kHiddenColumn = 7;
const int kLeftCentred = 0x81;

const std::vector<int> kAlarmCodes = {1,  2,  3,  4,  5,  6,  11, 14, 15, 16, 17, 18, 19, 7,  8,  40,
                                      24, 25, 55, 56, 58, 59, 32, 33, 34, 35, 36, 51, 52, 37, 53, 54,
                                      57, 38, 39, 22, 23, 41, 48, 26, 49, 50, 42, 43, 44, 45, 46, 47,
                                      27, 28, 29, 30, 60, 61, 62, 63, 64, 65, 72, 80, 81, 70, 71};
const std::vector<int> kExceptionCodes = {33, 34, 35, 36, 37, 38, 39, 40, 42, 41,  43, 44, 47, 45,    46,
                                          65, 66, 67, 68, 69, 70, 191, 71, 72, 73, 83, 84, 16388, 16389};
const std::vector<int> kOperationCodes = {
    124,  125,  116,  117,  321,  8471, 8472, 8473, 203,  204,  850,  851,  864,  65,   66,   67,   68,   99,
    100,  101,  109,  149,  289,  290,  294,  80,   81,   82,   83,   84,   85,   86,   87,   88,   89,   90,
    91,   92,   93,   94,   95,   96,   97,   98,   102,  103,  104,  105,  106,  107,  108,  257,  258,  259,
    260,  261,  262,  263,  264,  265,  266,  267,  268,  320,  322,  324,  325,  326,  769,  770,  771,  8474,
    784,  786,  788,  790,  201,  202,  849,  852,  854,  858,  860,  862,  792,  793,  8492, 8493, 8494, 12288,
    12290, 1034, 112,  113,  114,  115,  118,  119,  120,  121,  122,  123,  126,  127,  128,  129,  130,  131,
    132,  133,  134,  135,  136,  137,  138,  139,  140,  141,  142,  143,  144,  273,  274,  275,  276,  277,
    278,  279,  280,  281,  282,  283,  284,  150,  305,  306,  310,  323,  327,  328,  329,  154,  8475, 785,
    787,  789,  791,  8476, 8477, 8480, 8481, 8483, 8484, 8485, 8486, 205,  848,  853,  855,  856,  857,  859,
    861,  863,  8491, 8495, 8496, 12289, 12291, 1031};
const std::vector<int> kInformationCodes = {161, 162, 163, 164, 165, 168, 166, 167, 169, 170, 179,
                                            180, 181, 171, 172, 173, 174, 175, 176, 177, 182, 183,
                                            184, 185, 186, 187, 188, 189, 190, 71,  193, 194};

HD_FILE_TIME ToLogTime(const QDateTime& t) {
    HD_FILE_TIME out{};
    out.year = t.date().year();
    out.month = t.date().month();
    out.day = t.date().day();
    out.hour = t.time().hour();
    out.minute = t.time().minute();
    out.second = t.time().second();
    return out;
}

void DeleteRows(QList<QList<QStandardItem*> >& rows) {
    for (auto& row : rows) qDeleteAll(row);
    rows.clear();
}

}  // namespace

LogRowsEvent::~LogRowsEvent() { DeleteRows(m_rows); }

QList<QList<QStandardItem*> > LogRowsEvent::takeRows() {
    QList<QList<QStandardItem*> > rows;
    rows.swap(m_rows);
    return rows;
}

namespace Ui {

void LogWidget::setupUi(QWidget* form) {
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("LogWidget"));
    form->resize(1320, 779);
    gridLayout_2 = new QGridLayout(form);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setSpacing(6);
    gridLayout_2->setContentsMargins(11, 11, 11, 11);
    gridLayout_2->setVerticalSpacing(16);
    {
        QMargins m = gridLayout_2->contentsMargins();
        m.setTop(16);
        gridLayout_2->setContentsMargins(m);
    }
    widget = new QWidget(form);
    widget->setObjectName(QStringLiteral("widget"));
    verticalLayout = new QVBoxLayout(widget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(10);
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setSpacing(6);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setSpacing(6);
    label = new ziraz::Label(widget);
    label->setObjectName(QStringLiteral("label"));
    horizontalLayout->addWidget(label);
    rangeDateTimeEdit = new ziraz::RangeDateTimeEdit(widget);
    rangeDateTimeEdit->setObjectName(QStringLiteral("rangeDateTimeEdit"));
    rangeDateTimeEdit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    rangeDateTimeEdit->setMinimumSize(315, 30);
    rangeDateTimeEdit->setMaximumSize(315, 30);
    horizontalLayout->addWidget(rangeDateTimeEdit);
    horizontalLayout_3->addLayout(horizontalLayout);
    horizontalLayout_3->addItem(new QSpacerItem(16, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    horizontalLayout_2->setSpacing(6);
    label_2 = new ziraz::Label(widget);
    label_2->setObjectName(QStringLiteral("label_2"));
    horizontalLayout_2->addWidget(label_2);
    diskTreeCombox = new CLogDiskBox(widget);
    diskTreeCombox->setObjectName(QStringLiteral("diskTreeCombox"));
    diskTreeCombox->setMinimumSize(130, 30);
    diskTreeCombox->setMaximumSize(16777215, 30);
    horizontalLayout_2->addWidget(diskTreeCombox);
    horizontalLayout_3->addLayout(horizontalLayout_2);
    horizontalLayout_3->addItem(new QSpacerItem(16, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    checkBtn = new QToolButton(widget);
    checkBtn->setObjectName(QStringLiteral("checkBtn"));
    checkBtn->setMinimumSize(64, 30);
    checkBtn->setMaximumSize(96, 30);
    horizontalLayout_3->addWidget(checkBtn);
    horizontalLayout_3->addItem(new QSpacerItem(20, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    exportBtn = new QToolButton(widget);
    exportBtn->setObjectName(QStringLiteral("exportBtn"));
    exportBtn->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    exportBtn->setMinimumSize(90, 30);
    exportBtn->setMaximumSize(16777215, 30);
    exportBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    horizontalLayout_3->addWidget(exportBtn);
    verticalLayout->addLayout(horizontalLayout_3);

    horizontalLayout_6 = new QHBoxLayout();
    horizontalLayout_6->setObjectName(QStringLiteral("horizontalLayout_6"));
    horizontalLayout_6->setSpacing(6);
    horizontalLayout_4 = new QHBoxLayout();
    horizontalLayout_4->setObjectName(QStringLiteral("horizontalLayout_4"));
    horizontalLayout_4->setSpacing(6);
    label_3 = new ziraz::Label(widget);
    label_3->setObjectName(QStringLiteral("label_3"));
    horizontalLayout_4->addWidget(label_3);
    logTypeCombobox = new ziraz::ComboBox(widget);
    logTypeCombobox->setObjectName(QStringLiteral("logTypeCombobox"));
    logTypeCombobox->setMinimumSize(130, 30);
    logTypeCombobox->setMaximumSize(130, 30);
    horizontalLayout_4->addWidget(logTypeCombobox);
    horizontalLayout_6->addLayout(horizontalLayout_4);
    horizontalLayout_6->addItem(new QSpacerItem(16, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    horizontalLayout_5 = new QHBoxLayout();
    horizontalLayout_5->setObjectName(QStringLiteral("horizontalLayout_5"));
    horizontalLayout_5->setSpacing(6);
    horizontalLayout_5->addItem(new QSpacerItem(16, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    label_4 = new ziraz::Label(widget);
    label_4->setObjectName(QStringLiteral("label_4"));
    horizontalLayout_5->addWidget(label_4);
    minorTypeCombox = new ziraz::ComboBox(widget);
    minorTypeCombox->setObjectName(QStringLiteral("minorTypeCombox"));
    minorTypeCombox->setMinimumSize(140, 30);
    minorTypeCombox->setMaximumSize(140, 16777215);
    horizontalLayout_5->addWidget(minorTypeCombox);
    horizontalLayout_5->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    horizontalLayout_6->addLayout(horizontalLayout_5);
    verticalLayout->addLayout(horizontalLayout_6);

    tableView = new ziraz::TableView(widget);
    tableView->setObjectName(QStringLiteral("tableView"));
    verticalLayout->addWidget(tableView);
    gridLayout_2->addWidget(widget, 0, 0, 1, 1);
    retranslateUi(form);
}

void LogWidget::retranslateUi(QWidget* form) {
    form->setWindowTitle(QApplication::translate("LogWidget", "LogWidget", nullptr));
    label->setText(QApplication::translate("LogWidget", "Start:", nullptr));
    label_2->setText(QApplication::translate("LogWidget", "Disk Name:", nullptr));
    checkBtn->setText(QApplication::translate("LogWidget", "Check", nullptr));
    exportBtn->setText(QApplication::translate("LogWidget", "Export", nullptr));
    label_3->setText(QApplication::translate("LogWidget", "Major Type:", nullptr));
    label_4->setText(QApplication::translate("LogWidget", "Minor Type:", nullptr));
}

}  // namespace Ui

LogWidget::LogWidget(QWidget* parent) : ziraz::Widget(parent) {
    m_pUi = new Ui::LogWidget;
    m_pUi->setupUi(this);
    m_pModel = new QStandardItemModel(this);
    initUi();

    auto report = [](bool ok, int line) {
        if (!ok)
            ShareTools::debugMessage(QStringLiteral("connect failure! ") + QStringLiteral(__FILE__) + ":" +
                                     QString::number(line) + QStringLiteral(" in LogWidget::LogWidget"));
    };
    report(connect(m_pUi->logTypeCombobox, SIGNAL(currentIndexChanged(int)), this, SLOT(onMainTypeChange())),
           __LINE__);
    report(connect(m_pUi->checkBtn, SIGNAL(clicked()), this, SLOT(onQueryLocalLog())), __LINE__);
    report(connect(&m_logSearch, SIGNAL(signalSetLogInfoNullToView()), this, SLOT(onSetLogInfoNullToView())),
           __LINE__);
    qRegisterMetaType<QList<QList<QStandardItem*> > >("QList<QList<QStandardItem*>>");
    qRegisterMetaType<QList<QList<QStandardItem*> > >("QList<QList<QStandardItem*> >");
    report(connect(&m_logSearch, &CLogSearch::signalSetLogInfoToView, this, &LogWidget::onSetLogInfoToView),
           __LINE__);
    report(connect(m_pUi->exportBtn, SIGNAL(clicked()), this, SLOT(onBackupClicked())), __LINE__);
    report(connect(m_pUi->logTypeCombobox, SIGNAL(highlighted(int)), this, SLOT(onShowCBoxTip(int))), __LINE__);
    report(connect(m_pUi->minorTypeCombox, SIGNAL(highlighted(int)), this, SLOT(onShowCBoxTip(int))), __LINE__);

    m_tipPictures << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
                  << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
                  << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");
}

LogWidget::~LogWidget() {
    // The search must not deliver into a page that is going away.
    m_logSearch.CancelSearch();
    m_logSearch.wait();
    delete m_pUi;
    m_pUi = nullptr;
    delete m_pModel;
    m_pModel = nullptr;
}

const std::vector<int>& LogWidget::minorTypes(int major) const {
    static const std::vector<int> none;
    switch (major) {
    case 1: return m_alarmMinorTypes;
    case 2: return m_exceptionMinorTypes;
    case 3: return m_operationMinorTypes;
    case 4: return m_informationMinorTypes;
    default: return none;
    }
}

void LogWidget::resetTable() {
    m_pModel->clear();
    m_pModel->setColumnCount(12);
    for (int c = 0; c < 12; ++c) {
        m_pModel->setHeaderData(c, Qt::Horizontal, tr(kHeaders[c]));
        m_pModel->setHeaderData(c, Qt::Horizontal, kLeftCentred, Qt::TextAlignmentRole);
    }
    for (int c = 0; c < 12; ++c)
        if (c != kHiddenColumn) m_pUi->tableView->setColumnWidth(c, kWidths[c]);
    m_pUi->tableView->setColumnHidden(kHiddenColumn, true);
    WidenColumnsToContents(m_pUi->tableView);
}

void LogWidget::initUi() {
    m_pUi->rangeDateTimeEdit->SetButtonPixmap(1, QPixmap(QStringLiteral(":/Quillmere/Images/PlayBack/Search/date.png")));
    const QDate today = QDate::currentDate();
    m_pUi->rangeDateTimeEdit->setDateTimeRange(QDateTime(today, QTime(0, 0, 0), Qt::UTC), QDateTime(today, QTime(23, 59, 59), Qt::UTC));

    m_pUi->logTypeCombobox->clear();
    m_pUi->logTypeCombobox->addItem(tr("All"), 0);
    m_pUi->logTypeCombobox->addItem(tr("Alarm"), 1);
    m_pUi->logTypeCombobox->addItem(tr("Exception"), 2);
    m_pUi->logTypeCombobox->addItem(tr("Operation"), 3);
    m_pUi->logTypeCombobox->addItem(tr("Information"), 4);
    m_pUi->minorTypeCombox->addItem(tr("All"), 0);

    m_pUi->tableView->setModel(m_pModel);
    m_pUi->tableView->setSortingEnabled(true);
    resetTable();

    m_pUi->diskTreeCombox->setCurrentIndex(0);
    m_pUi->logTypeCombobox->setCurrentIndex(0);
    m_pUi->minorTypeCombox->setCurrentIndex(0);

    m_alarmMinorTypes = kAlarmCodes;
    m_exceptionMinorTypes = kExceptionCodes;
    m_operationMinorTypes = kOperationCodes;
    m_informationMinorTypes = kInformationCodes;
    loadPhysicalDisks();
}

void LogWidget::loadPhysicalDisks() {
    for (auto& entry : m_physicalDisks) entry = PhysicalDiskLetters();
    DiskEnum disks;
    std::vector<int> numbers;
    const int count = disks.GetPhysicalDriveNumbers(&numbers);
    for (int i = 0; i < count && i < kMaxDrives; ++i) {
        PhysicalDiskLetters& entry = m_physicalDisks[i];
        entry.driveNumber = numbers[static_cast<size_t>(i)];
        const int letters = disks.GetDriveLetterOfPhysicalDrive(entry.driveNumber, entry.letters);
        entry.letterCount = letters > 0 ? letters : 0;
    }
}

void LogWidget::onMainTypeChange() {
    const int major = m_pUi->logTypeCombobox->currentData(Qt::UserRole).toInt();
    if (major < 0 || major > 4) return;
    m_pUi->minorTypeCombox->clear();
    m_pUi->minorTypeCombox->addItem(tr("All"), 0);
    if (major == 0) return;
    CLogTrans trans;
    for (int code : minorTypes(major)) m_pUi->minorTypeCombox->addItem(trans.GetMinorTypeText(major, code), code);
}

void LogWidget::showTip(const QString& text, int pictureType, int displayMs) {
    ziraz::WarningDialog::showWarningDialog(displayMs, pictureType, text, this, nullptr, nullptr, m_tipPictures,
                                            QSize(310, 120));
}

QStringList LogWidget::selectedPaths(QString* message) const {
    QStringList paths;
    CLogDiskBox* box = m_pUi->diskTreeCombox;
    const int index = box->currentIndex();
    if (index < 0) {
        *message = tr("Please select the search partion");
        return paths;
    }
    if (box->itemData(index, CLogDiskBox::kKindRole).toString() == QStringLiteral("Logic")) {
        QString path = box->currentText();
        path.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
        paths << path;
        return paths;
    }
    const int position = box->itemData(index, CLogDiskBox::kPositionRole).toInt();
    // Positions past the table (more drives than it holds, or the "Others "
    // item) stand for no drive of the table.
    if (position < 0 || position >= kMaxDrives || m_physicalDisks[position].driveNumber == -1) {
        *message = tr("Please select the right partion");
        return paths;
    }
    const PhysicalDiskLetters& entry = m_physicalDisks[position];
    if (entry.letterCount <= 0) {
        paths << QStringLiteral("\\\\.\\PHYSICALDRIVE") + QString::number(entry.driveNumber);
    } else {
        for (int i = 0; i < entry.letterCount && i < 26; ++i)
            paths << QString(QChar(entry.letters[i])) + QStringLiteral(":\\");
    }
    return paths;
}

void LogWidget::onQueryLocalLog() {
    resetTable();
    m_bNoLogShown = true;

    QString message;
    const QStringList paths = selectedPaths(&message);
    if (!message.isEmpty()) {
        showTip(message, 2);
        return;
    }
    if (paths.isEmpty()) return;

    LogSearchCondition condition;
    condition.mode = 3;
    condition.majorType = -1;
    condition.minorType = -1;
    if (m_pUi->logTypeCombobox->currentIndex() < 0) {
        showTip(tr("Please select the main type"), 2);
        return;
    }
    condition.majorType = m_pUi->logTypeCombobox->currentData(Qt::UserRole).toInt();
    if (m_pUi->minorTypeCombox->currentIndex() < 0) {
        showTip(tr("Please select the main type"), 2);
        return;
    }
    condition.minorType = m_pUi->minorTypeCombox->currentData(Qt::UserRole).toInt();

    QDateTime start;
    QDateTime end;
    m_pUi->rangeDateTimeEdit->getDateTimeRange(start, end);
    if (start > end) {
        showTip(tr("The start time should be earlier than end time."), 2);
        return;
    }
    if (start.addDays(30) < end) {
        showTip(tr("You can only search log within 30 days"), 2);
        return;
    }
    if (m_logSearch.isRunning()) return;

    m_queryStart.reset(new HD_FILE_TIME(ToLogTime(start)));
    m_queryEnd.reset(new HD_FILE_TIME(ToLogTime(end)));
    condition.start = m_queryStart.get();
    condition.end = m_queryEnd.get();
    m_logSearch.SetSearchCondition(condition);
    m_logSearch.SetDiskPaths(paths);
    m_logSearch.start(QThread::InheritPriority);
}

void LogWidget::appendRows(QList<QList<QStandardItem*> >& rows) {
    for (QList<QStandardItem*>& row : rows) {
        // A row of another width would shift the columns: pad or cut it.
        while (row.size() < 12) row << new QStandardItem();
        while (row.size() > 12) delete row.takeLast();
        m_pModel->appendRow(row);
    }
    rows.clear();
    // Times and types show whole.
    WidenColumnsToContents(m_pUi->tableView);
    m_pUi->tableView->scrollTo(m_pModel->index(m_pModel->rowCount() - 1, 0));
}

void LogWidget::onSetLogInfoToView(QList<QList<QStandardItem*> > rows, int, int) {
    m_iShownRows = rows.size();
    if (rows.isEmpty()) return;
    m_bNoLogShown = false;
    appendRows(rows);
    if (m_logSearch.IsLimitReached()) {
        showTip(tr("The log should less than 2000, Please constrain the Parameter!"), 1, 4000);
        m_iShownRows = 0;
    }
}

void LogWidget::onSetLogInfoNullToView() { showTip(tr("No log found!"), 2); }

void LogWidget::onCancelFindLog() {
    m_logSearch.CancelSearch();
    m_logSearch.wait();
}

void LogWidget::onShowCBoxTip(int iIndex) {
    auto* box = qobject_cast<QComboBox*>(sender());
    if (!box || iIndex < 0 || iIndex >= box->count()) return;
    QToolTip::showText(QCursor::pos(), box->itemText(iIndex), box);
}

void LogWidget::onReloadDisk() {
    m_pUi->diskTreeCombox->clear();
    m_pUi->diskTreeCombox->GetWindowsDiskInfo();
    // The selector's positions index the drive table: read both afresh.
    loadPhysicalDisks();
}

void LogWidget::customEvent(QEvent* event) {
    if (event->type() != LogRowsEvent::kType) return;
    QList<QList<QStandardItem*> > rows = static_cast<LogRowsEvent*>(event)->takeRows();
    m_iShownRows += rows.size();
    if (m_iShownRows >= CLogSearch::kRecordLimit) {
        showTip(tr("The log should less than 2000, Please constrain the Parameter!"), 1);
        m_iShownRows = 0;
    }
    if (!rows.isEmpty()) {
        m_bNoLogShown = false;
        appendRows(rows);
        m_logSearch.WakeSearch();
    }
}

void LogWidget::onBackupClicked() {
    if (m_bNoLogShown) {
        showTip(tr("No log had been searched"), 2);
        return;
    }
    const QString name =
        QFileDialog::getSaveFileName(this, tr("Select backup path"), suggestedBackupPath(), tr("XML(*.xml)"));
    if (name.isNull()) return;
    if (name.isEmpty()) {
        showTip(tr("File path cannot be empty."), 2);
        return;
    }
    onBackUp(name);
}

QString LogWidget::suggestedBackupPath() {
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder) ||
        !QFileInfo(folder.trimmed()).isDir())
        folder = QDir::homePath();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss"));
    return QDir::toNativeSeparators(QDir(folder.trimmed()).absoluteFilePath(QStringLiteral("Log_%1.xml").arg(stamp)));
}

void LogWidget::onBackUp(QString strXmlName) {
    if (strXmlName.isEmpty()) return;
    if (!strXmlName.contains(QStringLiteral(".xml"))) strXmlName += QStringLiteral(".xml");
    CLogWriteThread writer;
    writer.SetFilePath(strXmlName);
    writer.SetModel(m_pModel);
    connect(&writer, &CLogWriteThread::signalSendWriteOver, this, &LogWidget::onWriteOver);
    writer.start(QThread::InheritPriority);
}

void LogWidget::onWriteOver(int code) {
    emit signalStopChase();
    switch (code) {
    case 0: showTip(tr("Open file failed!"), 2); break;
    case 1: showTip(tr("Backup successful."), 0); break;
    case 2: showTip(tr("Backup Failed."), 2); break;
    default: showTip(tr("Unknown error."), 2); break;
    }
}
