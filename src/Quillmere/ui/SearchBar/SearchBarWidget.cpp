// SPDX-License-Identifier: GPL-3.0-or-later
#include "SearchBarWidget.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMap>
#include <QMovie>
#include <QProcess>
#include <QSet>
#include <QTimer>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QTextCodec>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>

#include "storage/RecorderTime.h"
#include "ChaseTree.h"
#include "storage/DiskEnum.h"
#include "common/InterfaceHelpers.h"
#include "PictureShow/PictureShowView.h"
#include "search/PictureListModel.h"
#include "PictureShowLabel.h"
#include "storage/QorAutoStorage.h"
#include "SearchBarGlobals.h"
#include "SearchBarWidgetForm.h"
#include "search/SearchLocalThread.h"
#include "search/SearchThread.h"
#include "common/TipDialog.h"
#include "VideoColorTipWidget/VideoColorTipWidget.h"
#include "wincompat/drives.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"
#include "ziraz/sharetools.h"
#include "ziraz/ziraz.h"
#include "storage/KelLogging.h"

using namespace ResultTree;

namespace {

// Runs a label's animation only while the label is on screen: a hidden
// animation would still wake the program for every one of its frames.
class MovieWhileShown : public QObject {
public:
    MovieWhileShown(QLabel* label, QMovie* movie) : QObject(label), m_movie(movie) {
        label->installEventFilter(this);
        if (label->isVisible()) m_movie->start();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            m_movie->start();
        } else if (event->type() == QEvent::Hide) {
            m_movie->stop();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QMovie* m_movie;
};

const char kDefaultPicture[] = ":/Quillmere/Images/PlayBack/Search/DefaultPicture.png";
const char kDatePicture[] = ":/Quillmere/Images/PlayBack/Search/date.png";
const char kHandOverDeclaration[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";
const char kNormalColor[] = "#666666";
const char kHighlightColor[] = "#15A4FA";
const int kAllCodes = 255;
const int kOthersCode = 15;

// The filter code of a file type, or -1 for none.
int FileTypeCode(int type, bool rbs) {
    if (!rbs) {
        if (type < 0) return -1;
        return type <= 14 ? type : kOthersCode;
    }
    if (type <= 0) return -1;
    switch (type) {
        case 1: return 0;
        case 2: return 1;
        case 3: return 2;
        case 4: return 3;
        case 5: return 4;
        case 6: return 5;
        case 8: return 6;
        case 7: return 14;
        default: return kOthersCode;
    }
}

bool TypeMatches(int code, int type, bool rbs) {
    if (code == kAllCodes) return true;
    if (!rbs) {
        if (code >= 0 && code <= 14) return type == code;
        if (code == kOthersCode) return type >= 15 && type <= 254;
        return false;
    }
    static const int kRbsTypes[] = {1, 2, 3, 4, 5, 6, 8};
    if (code >= 0 && code <= 6) return type == kRbsTypes[code];
    if (code == 14) return type == 7;
    if (code == kOthersCode) return type > 8;
    return false;
}

const char* FileTypeText(int code) {
    switch (code) {
        case 255: return QT_TRANSLATE_NOOP("SearchBarWidget", "All");
        case 0: return QT_TRANSLATE_NOOP("SearchBarWidget", "Scheduled record");
        case 1: return QT_TRANSLATE_NOOP("SearchBarWidget", "Motion detection");
        case 2: return QT_TRANSLATE_NOOP("SearchBarWidget", "Alarm record");
        case 3: return QT_TRANSLATE_NOOP("SearchBarWidget", "Motion detection| Alarm | CashOut");
        case 4: return QT_TRANSLATE_NOOP("SearchBarWidget", "Motion detection & Alarm | CashIn");
        case 5: return QT_TRANSLATE_NOOP("SearchBarWidget", "Command trigger");
        case 6: return QT_TRANSLATE_NOOP("SearchBarWidget", "Manually record");
        case 7: return QT_TRANSLATE_NOOP("SearchBarWidget", "Shake record");
        case 8: return QT_TRANSLATE_NOOP("SearchBarWidget", "Enviroment record");
        case 9: return QT_TRANSLATE_NOOP("SearchBarWidget", "VCA record");
        case 10: return QT_TRANSLATE_NOOP("SearchBarWidget", "PIR alarm");
        case 11: return QT_TRANSLATE_NOOP("SearchBarWidget", "Wireless alarm");
        case 12: return QT_TRANSLATE_NOOP("SearchBarWidget", "Callhelp alarm");
        case 13: return QT_TRANSLATE_NOOP("SearchBarWidget", "All event alarm");
        case 14: return QT_TRANSLATE_NOOP("SearchBarWidget", "Intelligent transportation");
        default: return QT_TRANSLATE_NOOP("SearchBarWidget", "Others");
    }
}

// A recorder time in a strftime pattern. (The C library's breakdown rather
// than QDateTime's: this runs for every row of a search of many thousands
// of recordings.)
QString RecorderTimeText(time_t t, const char* pattern) {
    struct tm parts {};
    gmtime_r(&t, &parts);
    char buffer[64] = {};
    strftime(buffer, sizeof buffer, pattern, &parts);
    return QString::fromLatin1(buffer);
}

// The pattern of filtered rows.
QString FilteredTimeText(time_t t) { return RecorderTimeText(t, "%Y-%m-%d  %H:%M:%S"); }

QString SearchTimeText(time_t t) { return RecorderTimeText(t, "%Y-%m-%d %H:%M:%S"); }

// The recorder's day of a recorder time.
QDate RecorderDay(time_t t) {
    struct tm parts {};
    gmtime_r(&t, &parts);
    return QDate(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday);
}

QIcon IconOf(const char* path) {
    const QPixmap pixmap = LoadPixmapCached(QString::fromLatin1(path));
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

// File rows added to (or freed from) the result tree in one turn of the
// event loop: small trees are built at once, large ones in slices that keep
// the panel answering. A slice also ends once it took its time, as it does
// on a slow machine or while the heap is still growing.
constexpr int kTreeRowsPerTurn = 10000;
constexpr qint64 kTreeTurnMs = 20;
constexpr int kTreeRowsBetweenClockReads = 500;
// The next slice waits a millisecond, so the other timers of the program
// (its players' among them) get their turn between two slices.
constexpr int kTreeTurnGapMs = 1;

ziraz::StandardItem* NewItem(const QIcon& icon, const QString& text) {
    static const QBrush foreground(QColor(QString::fromLatin1(kNormalColor)));
    auto* item = new ziraz::StandardItem(icon, text);
    item->setForeground(foreground);
    item->setEditable(false);
    return item;
}

void DeleteRecords(QVector<ChannelFiles*>& records, bool withFiles) {
    for (ChannelFiles* record : records) {
        if (!record) continue;
        if (withFiles) {
            for (APT_QMR::CSingleFile* file : record->SingleFileList) delete file;
        }
        delete record;
    }
    records.clear();
}

}  // namespace

// The pictures of the panel live in this static library; the linker keeps
// them only when something names their registration (outside any namespace).
static void InitSearchBarResources() { Q_INIT_RESOURCE(searchbar); }

SearchBarWidget::SearchBarWidget(QWidget* parent) : ziraz::Widget(parent), ui(new Ui::SearchBarWidget) {
    InitSearchBarResources();
    ui->setupUi(this);
    ui->stackedWidget->setCurrentIndex(1);

    m_searchThread = new SearchThread();
    m_localSearchThread = new SearchLocalThread();
    GroupTreeView* view = ui->treeRecordFileList->treeView();
    m_treeModel = new QStandardItemModel(view);
    m_pictureModel = new PictureShowModel(ui->pictureTableView);
    ui->pictureTableView->setModel(m_pictureModel);
    ui->pictureTableView->setScrollBarStyle();
    ui->treeRecordFileList->setCurrentPage(false);
    ui->locationViewWidget->SetView(view);
    view->installEventFilter(this);

    reloadDisks();
    initUi();

    m_dialogIcons << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
                  << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
                  << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");

    initConnect();

    const QPixmap date = LoadPixmapCached(QString::fromLatin1(kDatePicture));
    ui->searchRangeDateTimeEdit->SetButtonPixmap(ziraz::FancyLineEdit::Right, date);
    ui->rangeDateTimeEdit->SetButtonPixmap(ziraz::FancyLineEdit::Right, date);
}

SearchBarWidget::~SearchBarWidget() {
    cancelTreeFill();
    qDeleteAll(m_discardedRows);
    m_discardedRows.clear();
    delete ui;
    ui = nullptr;
    qDeleteAll(m_diskCheckBoxes);
    m_diskCheckBoxes.clear();
    m_selectedFiles.clear();
    m_shownResults.clear();
    freeFilteredRecords();
    DeleteRecords(m_builtRecords, false);
    DeleteRecords(m_searchResults, true);
    // A running search is told to stop and waited for; killing the thread
    // could leave the storage lock held.
    if (m_searchThread->isRunning()) {
        m_searchThread->stopSearch();
        m_searchThread->wait();
    }
    if (m_localSearchThread->isRunning()) m_localSearchThread->wait();
    delete m_searchThread;
    delete m_localSearchThread;
}

void SearchBarWidget::initUi() {
    ui->radioPartition->hide();
    ui->radioDisk->setChecked(true);
    ui->radioNormal->setChecked(true);

    buildDiskCheckBoxes();
    showDiskChoice(true);
    ui->frameRigionTime->hide();
    ui->frameRigion->hide();

    connect(ui->radioPartition, SIGNAL(clicked()), this, SLOT(onChangeDiskMode()));
    connect(ui->radioDisk, SIGNAL(clicked()), this, SLOT(onChangeDiskMode()));
    connect(ui->radioLocal, SIGNAL(clicked()), this, SLOT(onChangeDiskMode()));
    connect(ui->btnSearchRecord, SIGNAL(clicked()), this, SLOT(onSearchFilesVehicle()));
    connect(ui->reloadDiskBtn, SIGNAL(clicked()), this, SLOT(onReloadDiskClicked()));
    connect(m_searchThread, SIGNAL(signalSendWriteOver()), this, SLOT(onSearchFilesFinished()));
    connect(m_localSearchThread, SIGNAL(signalSearchFinish()), this, SLOT(onSearchFilesFinished()));
    connect(ui->recordBtn, SIGNAL(clicked()), this, SLOT(onShowRecordFile()));
    connect(ui->pictureBtn, SIGNAL(clicked()), this, SLOT(onShowPicture()));

    ui->recordBtn->setFocus();
    auto* pages = new QButtonGroup(this);
    pages->setExclusive(true);
    for (ziraz::PushButton* button : {ui->recordBtn, ui->pictureBtn}) {
        pages->addButton(button);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    ui->recordBtn->setChecked(true);

    connect(ui->btnPath, SIGNAL(clicked()), this, SLOT(onChangeFilePath()));
    connect(ui->rangeDateTimeEdit, SIGNAL(signalDataTimeChanged(QDateTime, QDateTime)), this,
            SLOT(onChangeCalendar(QDateTime, QDateTime)));
    // The location line reports its filter text; the rows it names are
    // highlighted.
    connect(ui->locationViewWidget, &ziraz::SearchLineEdit::SignalFilterTextChanged, this,
            &SearchBarWidget::onLocationFilterChanged);
    ui->locationViewWidget->SetMaxLineEditLength(32);

    ui->treeRecordFileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ui->treeRecordFileList->setDragEnabled(true);
    ui->treeRecordFileList->setGroupDragEnabled(false);
    ui->treeRecordFileList->setMimeType(QStringLiteral("Playback/Stream"));
    m_treeModel->insertColumn(0);
    ui->treeRecordFileList->setModel(m_treeModel);
    connect(ui->treeRecordFileList, SIGNAL(signalSendItemDoubleClicked(QModelIndex)), this,
            SIGNAL(signalItemDoubleClickedMessage(QModelIndex)));

    ui->bigTipLabel->setPixmap(LoadPixmapCached(QStringLiteral(":/Quillmere/Images/PlayBack/Search/tip_big.png")));
    ui->littleTipLabel->setPixmap(
        LoadPixmapCached(QStringLiteral(":/Quillmere/Images/PlayBack/Search/tip_little.png")));
    ui->firstLabel->setWordWrap(true);
    ui->secondLabel->setWordWrap(true);

    auto* movie = new QMovie(QStringLiteral(":/Quillmere/Images/PlayBack/Search/dengdai.gif"), QByteArray(), this);
    ui->movePictureLabel->setMovie(movie);
    new MovieWhileShown(ui->movePictureLabel, movie);

    onShowSelectedPicture(QString::fromLatin1(kDefaultPicture));
    ui->pictureHintBtn->setCheckable(true);
    ui->pictureHintBtn->setFocusPolicy(Qt::NoFocus);
    ui->pictureHintBtn->setChecked(false);

    m_colorTip = new VideoColorTipWidget(this);
    m_colorTip->hide();
    ui->radioRigion->hide();
    ui->frameRigion->show();
}

void SearchBarWidget::initConnect() {
    struct Link {
        const QObject* sender;
        const char* signal;
        const QObject* receiver;
        const char* method;
    };
    const Link links[] = {
        {ui->pictureTableView, SIGNAL(signalCurrentPicture(QString)), this, SLOT(onShowSelectedPicture(QString))},
        {ui->downloadBtn, SIGNAL(clicked()), this, SLOT(onLorrimax())},
        {m_pictureModel, SIGNAL(signalSelect(int)), ui->pictureTableView, SLOT(onSelectPicture(int))},
        {ui->pictureHintBtn, SIGNAL(clicked()), this, SLOT(onPictureHintBtnClicked())},
        {ui->radioNormal, SIGNAL(clicked()), this, SLOT(onChangeSearchType())},
        {ui->radioRigion, SIGNAL(clicked()), this, SLOT(onChangeSearchType())},
    };
    for (const Link& link : links) {
        if (!connect(link.sender, link.signal, link.receiver, link.method)) {
            ShareTools::debugMessage(QStringLiteral("connect failure! %1:%2 in SearchBarWidget::initConnect")
                                         .arg(QStringLiteral(__FILE__))
                                         .arg(__LINE__));
        }
    }
}

void SearchBarWidget::setPanelMode(int mode) {
    m_panelMode = mode;
    if (mode != 0 && mode != 1) return;
    const bool evidence = mode == 1;
    ui->recordBtn->setVisible(evidence);
    ui->pictureBtn->setVisible(evidence);
    ui->treeRecordFileList->show();
    ui->pictureTableView->hide();
    ui->label->setVisible(evidence);
    ui->pictureHintBtn->setVisible(evidence);
    ui->pictureLable->setVisible(evidence);
    if (evidence) ui->frameSearchType->hide();
}

void SearchBarWidget::setPlaybackBusyHooks(std::function<bool()> isAnyWindowBusy,
                                           std::function<void()> stopAllWindows) {
    m_isAnyWindowBusy = std::move(isAnyWindowBusy);
    m_stopAllWindows = std::move(stopAllWindows);
}

void SearchBarWidget::setStackPage(int index) { ui->stackedWidget->setCurrentIndex(index); }

void SearchBarWidget::getDateTimeRange(QDateTime& start, QDateTime& end) {
    ui->rangeDateTimeEdit->getDateTimeRange(start, end);
}

QString SearchBarWidget::formatCoordinate(int value, bool longitude) {
    const double degrees = std::fabs(value / 360000.0);
    const int whole = static_cast<int>(degrees);
    const int minutes = static_cast<int>((degrees - whole) * 60.0);
    QString hemisphere;
    if (longitude) hemisphere = value > 0 ? QStringLiteral("E") : QStringLiteral("W");
    else hemisphere = value > 0 ? QStringLiteral("N") : QStringLiteral("S");
    return QString::number(whole) + tr("degree") + QString::number(minutes) + tr("minute") + hemisphere;
}

void SearchBarWidget::warn(int pictureType, const QString& text) {
    ziraz::WarningDialog::showWarningDialog(2000, pictureType, text, this, nullptr, nullptr, m_dialogIcons,
                                            QSize(310, 120));
}

bool SearchBarWidget::askStopPlayback() {
    if (!m_isAnyWindowBusy || !m_isAnyWindowBusy()) return true;
    TipDialog dialog(this);
    dialog.resize(350, 220);
    dialog.setTitle(tr("Warning"));
    dialog.setTipText(tr("Stop the video play?"));
    if (dialog.exec() != 1) return false;
    if (m_stopAllWindows) m_stopAllWindows();
    return true;
}

// ------------------------------------------------------------ sources, disks

void SearchBarWidget::reloadDisks() {
    DiskEnum disks;
    std::vector<int> numbers;
    const int found = disks.GetPhysicalDriveNumbers(&numbers);
    m_diskCount = 0;
    std::vector<int> listed;
    // The last entry stays free for the letters outside the listed drives.
    for (int i = 0; i < found && m_diskCount < static_cast<unsigned>(kDiskTableSize - 1); ++i) {
        DiskLettersRecord& entry = m_disks[m_diskCount];
        entry = DiskLettersRecord();
        entry.driveNumber = numbers[static_cast<size_t>(i)];
        const int count = disks.GetDriveLetterOfPhysicalDrive(entry.driveNumber, entry.letters);
        entry.letterCount = count > 0 ? count : 0;
        if (count <= 0) std::fill(std::begin(entry.letters), std::end(entry.letters), 0);
        listed.push_back(entry.driveNumber);
        ++m_diskCount;
    }
    if (found > kDiskTableSize - 1)
        qCDebug(lcKelUi) << "SearchBarWidget::reloadDisks only" << (kDiskTableSize - 1) << "of" << found << "disks listed";
    DiskLettersRecord& rest = m_disks[m_diskCount];
    rest = DiskLettersRecord();
    const int count = disks.ListDriveLetters(listed, rest.letters);
    if (count > 0) {
        rest.letterCount = count;
        ++m_diskCount;
    } else {
        std::fill(std::begin(rest.letters), std::end(rest.letters), 0);
    }
}

void SearchBarWidget::getDiskPaths(int number, QStringList& paths) {
    for (const DiskLettersRecord& entry : m_disks) {
        if (entry.driveNumber != number) continue;
        bool any = false;
        for (char letter : entry.letters) {
            if (!letter) continue;
            paths << QString(QLatin1Char(letter)) + QStringLiteral(":\\");
            any = true;
        }
        if (!any) paths << QStringLiteral("\\\\.\\PHYSICALDRIVE") + QString::number(number);
        return;
    }
    qCDebug(lcKelUi) << QString::asprintf("error, not find DriverNum:%d", number);
}

void SearchBarWidget::buildDiskCheckBoxes() {
    ui->selectLayout->clear();
    m_diskCheckBoxes.clear();
    QMap<QString, QPair<QString, bool>> boxes;  // label: tool tip, readable
    for (unsigned i = 0; i < m_diskCount; ++i) {
        if (m_disks[i].driveNumber == -1) continue;
        QStringList paths;
        getDiskPaths(m_disks[i].driveNumber, paths);
        QString label = tr("Disk ") + QString::number(m_disks[i].driveNumber);
        QString tip = paths.join(QLatin1Char(' '));
        // A disk without a readable volume is searched through its device:
        // one that cannot be opened is listed, unticked, and says why.
        const QString reason =
            m_disks[i].letterCount > 0 ? QString() : DiskEnum::CannotReadReason(m_disks[i].driveNumber);
        if (!reason.isEmpty()) {
            label += tr(" (cannot be read)");
            tip = tr("This disk cannot be read: %1").arg(reason);
        }
        boxes.insert(label, qMakePair(tip, reason.isEmpty()));
    }
    for (auto it = boxes.constBegin(); it != boxes.constEnd(); ++it) {
        auto* box = new ziraz::CheckBox(it.key(), this);
        box->setChecked(it.value().second);
        box->setEnabled(it.value().second);
        box->setToolTip(it.value().first);
        m_diskCheckBoxes.append(box);
    }
    ui->selectLayout->setItemCount(2);
    ui->selectLayout->addWidget(m_diskCheckBoxes);
}

void SearchBarWidget::buildPartitionCheckBoxes() {
    ui->selectLayout->clear();
    m_diskCheckBoxes.clear();
    QStringList paths;
    for (unsigned i = 0; i < m_diskCount; ++i) {
        for (char letter : m_disks[i].letters)
            if (letter) paths << QString(QLatin1Char(letter)) + QStringLiteral(":\\");
    }
    paths.sort(Qt::CaseSensitive);
    for (const QString& path : paths) {
        auto* box = new ziraz::CheckBox(path, this);
        box->setChecked(true);
        box->setToolTip(path);
        m_diskCheckBoxes.append(box);
    }
    ui->selectLayout->setItemCount(3);
    ui->selectLayout->addWidget(m_diskCheckBoxes);
}

void SearchBarWidget::showDiskChoice(bool disks) {
    ui->labelSelectDisk->setVisible(disks);
    for (ziraz::CheckBox* box : m_diskCheckBoxes) box->setVisible(disks);
    ui->reloadDiskBtn->setVisible(disks);
    ui->labelPath->setVisible(!disks);
    ui->lineEditPath->setVisible(!disks);
    ui->btnPath->setVisible(!disks);
}

void SearchBarWidget::onChangeDiskMode() {
    QObject* from = sender();
    if (from == ui->radioPartition) {
        buildPartitionCheckBoxes();
        showDiskChoice(true);
    } else if (from == ui->radioDisk) {
        buildDiskCheckBoxes();
        showDiskChoice(true);
    } else if (from == ui->radioLocal) {
        showDiskChoice(false);
    }
}

void SearchBarWidget::onReloadDiskClicked() {
    for (unsigned i = 0; i < m_diskCount && i < static_cast<unsigned>(kDiskTableSize); ++i)
        m_disks[i] = DiskLettersRecord();
    // The machine's disks as they are now, not as they were at the start.
    DiskEnum::Refresh();
    reloadDisks();
    buildDiskCheckBoxes();
    emit signalReloadDisk();
    const QString problem = DriveTableProblem();
    if (!problem.isEmpty())
        ziraz::WarningDialog::showWarningDialog(10000, 2, problem, this, nullptr, nullptr, m_dialogIcons,
                                                QSize(420, 180));
}

void SearchBarWidget::onChangeFilePath() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QString(), m_localPath, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return;
    m_localPath = folder;
    ui->lineEditPath->setText(folder);
}

void SearchBarWidget::onChangeSearchType() {
    QObject* from = sender();
    if (from == ui->radioNormal) {
        m_searchType = false;
        ui->frameRigionTime->hide();
        ui->frameRigion->hide();
        ui->radioNormal->setChecked(true);
    } else if (from == ui->radioRigion) {
        m_searchType = true;
        ui->frameRigionTime->show();
        ui->frameRigion->show();
        ui->radioRigion->setChecked(true);
    }
}

// ------------------------------------------------------------------- search

void SearchBarWidget::resetResults() {
    cancelTreeFill();
    discardTreeRows();
    m_selectedFiles.clear();
    m_shownResults.clear();
    freeFilteredRecords();
    DeleteRecords(m_builtRecords, false);
    DeleteRecords(m_searchResults, true);
}

void SearchBarWidget::discardTreeRows() {
    // The rows leave the model at once, a device at a time; a large tree is
    // then freed over several turns of the event loop.
    while (m_treeModel->rowCount() > 0) {
        const QList<QStandardItem*> row = m_treeModel->takeRow(0);
        for (QStandardItem* item : row) m_discardedRows << item;
    }
    m_treeModel->clear();
    m_treeModel->insertColumn(0);
    if (!m_discardedRows.isEmpty()) freeDiscardedRows();
}

void SearchBarWidget::freeDiscardedRows() {
    int budget = kTreeRowsPerTurn;
    QElapsedTimer turn;
    turn.start();
    while (!m_discardedRows.isEmpty() && budget > 0) {
        if (budget < kTreeRowsPerTurn && turn.elapsed() >= kTreeTurnMs) break;
        QStandardItem* device = m_discardedRows.last();
        if (device->rowCount() == 0) {
            delete device;
            m_discardedRows.removeLast();
            continue;
        }
        QStandardItem* channel = device->child(device->rowCount() - 1);
        const int n = std::min({budget, kTreeRowsBetweenClockReads, channel ? channel->rowCount() : 0});
        if (n > 0) {
            channel->removeRows(channel->rowCount() - n, n);
            budget -= n;
        } else {
            device->removeRow(device->rowCount() - 1);
            --budget;
        }
    }
    if (!m_discardedRows.isEmpty()) QTimer::singleShot(kTreeTurnGapMs, this, &SearchBarWidget::freeDiscardedRows);
}

void SearchBarWidget::freeFilteredRecords() {
    cancelTreeFill();   // the rows still to come may be those records'
    for (ChannelFiles* record : m_filteredRecords) {
        m_selectedFiles.removeAll(record);
        delete record;
    }
    m_filteredRecords.clear();
}

void SearchBarWidget::setSearchSpan(const QDateTime& start, const QDateTime& end) {
    m_spanStart = start;
    m_spanEnd = end;
}

int SearchBarWidget::checkSearchSpan() {
    if (m_spanStart > m_spanEnd) {
        warn(2, tr("Please Select Correct Time."));
        return -1;
    }
    if (m_spanStart.addDays(1) < m_spanEnd) {
        warn(2, tr("TimeRange Less Than 1Day."));
        return -1;
    }
    return 0;
}

void SearchBarWidget::onSearchFilesVehicle() {
    if (ui->radioDisk->isChecked()) {
        if (m_panelMode == 1) {
            m_loadPicturesAfterSearch = true;
            m_searchThread->setCopyPictures(true);
        } else {
            m_searchThread->setCopyPictures(false);
            m_searchThread->setTimeSpanSearch(false);
        }
        if (!searchDiskFiles()) return;
        ui->downloadBtn->show();
        ui->combRecordEventType->show();
        g_diskSearchMode = 1;
    } else if (ui->radioLocal->isChecked()) {
        if (!searchLocalFiles(m_panelMode == 1)) return;
        ui->downloadBtn->hide();
        ui->combRecordEventType->hide();
        g_diskSearchMode = 0;
    }
}

bool SearchBarWidget::searchDiskFiles() {
    QDate first, last;
    ui->searchRangeDateTimeEdit->GetDateRange(first, last);
    std::vector<time_t> times;
    times.push_back(static_cast<time_t>(QDateTime(first, QTime(0, 0, 0), Qt::UTC).toSecsSinceEpoch()));
    times.push_back(static_cast<time_t>(QDateTime(last, QTime(23, 59, 59), Qt::UTC).toSecsSinceEpoch()));
    if (m_searchType) {
        if (checkSearchSpan() != 0) return false;
        times.push_back(static_cast<time_t>(m_spanStart.toSecsSinceEpoch()));
        times.push_back(static_cast<time_t>(m_spanEnd.toSecsSinceEpoch()));
        m_searchThread->setTimeSpanSearch(true);
    }

    QStringList paths;
    for (ziraz::CheckBox* box : m_diskCheckBoxes) {
        if (box->checkState() != Qt::Checked) continue;
        const QStringList parts = box->text().split(QLatin1Char(' '), Qt::KeepEmptyParts, Qt::CaseSensitive);
        if (parts.size() > 1) getDiskPaths(parts.at(1).toInt(), paths);
    }
    if (paths.isEmpty()) {
        warn(1, tr("Please select partition(s) or disk(s)."));
        return false;
    }
    if (!askStopPlayback()) return false;

    if (m_searchThread->isRunning()) {
        m_searchThread->stopSearch();
        m_searchThread->wait();
    }
    resetResults();
    if (m_panelMode == 1) clearPictures();

    m_searchThread->setSearchMode(1);
    m_searchThread->startSearch(paths, times);

    ui->btnSearchRecord->setEnabled(false);
    ui->locationViewWidget->ClearFilterText();
    ui->stackedWidget->setCurrentIndex(2);
    return true;
}

bool SearchBarWidget::searchLocalFiles(bool typeFromName) {
    const QString path = ui->lineEditPath->text();
    if (path.isEmpty()) {
        warn(1, tr("Please select file path."));
        return false;
    }
    const QFileInfo folder(path);
    if (!folder.exists()) {
        warn(1, tr("The path doesn't exist."));
        return false;
    }
    if (!folder.isReadable() || (folder.isDir() && !QDir(path).isReadable())) {
        warn(1, tr("No permission for reading from the path."));
        return false;
    }
    if (!askStopPlayback()) return false;

    if (m_localSearchThread->isRunning()) {
        m_localSearchThread->stopSearch();
        m_localSearchThread->wait();
    }
    resetResults();
    if (m_panelMode == 1) clearPictures();
    m_localSearchThread->setSearchCondition(false, std::vector<time_t>(), QVector<int>());
    if (m_searchType) {
        if (checkSearchSpan() != 0) return false;
        std::vector<time_t> span{static_cast<time_t>(m_spanStart.toSecsSinceEpoch()),
                                 static_cast<time_t>(m_spanEnd.toSecsSinceEpoch())};
        m_localSearchThread->setSearchCondition(true, span, QVector<int>());
    }

    ui->btnSearchRecord->setEnabled(false);
    ui->locationViewWidget->ClearFilterText();
    ui->stackedWidget->setCurrentIndex(2);
    m_localSearchThread->setFolderPath(path);
    m_localSearchThread->setTypeFromName(typeFromName ? 1 : 0);
    m_localSearchThread->startSearch();
    return true;
}

void SearchBarWidget::onSearchFiles() {
    QDate first, last;
    ui->searchRangeDateTimeEdit->GetDateRange(first, last);
    std::vector<time_t> times{static_cast<time_t>(QDateTime(first, QTime(0, 0, 0), Qt::UTC).toSecsSinceEpoch()),
                              static_cast<time_t>(QDateTime(last, QTime(23, 59, 59), Qt::UTC).toSecsSinceEpoch())};
    QStringList paths;
    for (ziraz::CheckBox* box : m_diskCheckBoxes) {
        if (box->checkState() != Qt::Checked) continue;
        const QString text = box->text();
        if (text.contains(QLatin1Char('\\'))) {
            paths << text;
            continue;
        }
        const QStringList parts = text.split(QLatin1Char(' '));
        if (parts.size() > 1) paths << QStringLiteral("\\\\.\\PHYSICALDRIVE") + parts.at(1);
    }
    if (paths.isEmpty()) {
        warn(1, tr("Please select partition(s) or disk(s)."));
        return;
    }
    if (!askStopPlayback()) return;
    if (m_searchThread->isRunning()) {
        m_searchThread->stopSearch();
        m_searchThread->wait();
    }
    resetResults();
    if (m_panelMode == 1) clearPictures();
    m_searchThread->setSearchMode(-1);
    m_searchThread->startSearch(paths, times);
    ui->btnSearchRecord->setEnabled(false);
    ui->locationViewWidget->ClearFilterText();
    ui->stackedWidget->setCurrentIndex(2);
}

void SearchBarWidget::onSearchFilesFinished() {
    ui->btnSearchRecord->setEnabled(true);
    m_shownResults.clear();
    QVector<ChannelFiles*> found;
    if (ui->radioDisk->isChecked()) m_searchThread->getResults(found);
    else m_localSearchThread->getResults(found);
    m_searchResults += found;
    m_shownResults = m_searchResults;

    if (m_searchResults.isEmpty()) {
        ui->stackedWidget->setCurrentIndex(1);
        warn(2, tr("No video found!"));
        return;
    }
    ui->stackedWidget->setCurrentIndex(0);
    ui->combRecordEventType->setCurrentIndex(0);

    // Span of the found files and the day marks of the range editor.
    time_t first = 0, last = 0;
    bool any = false;
    QSet<QDate> days;
    for (const ChannelFiles* record : m_searchResults) {
        // Every time zone's offset is a whole number of quarter hours, so a
        // quarter hour lies in one recorder day: look each one up once.
        time_t lastQuarter = -1;
        for (const APT_QMR::CSingleFile* f : record->SingleFileList) {
            if (!f) continue;
            const time_t start = static_cast<time_t>(f->StartTime), end = static_cast<time_t>(f->EndTime);
            for (time_t t : {start, end}) {
                if (t / 900 == lastQuarter) continue;
                lastQuarter = t / 900;
                days.insert(RecorderDay(t));
            }
            if (!any || start < first) first = start;
            if (!any || end > last) last = end;
            any = true;
        }
    }
    ui->rangeDateTimeEdit->removeAllDayMarkByColor(m_dayMarkColor);
    for (const QDate& day : days) ui->rangeDateTimeEdit->setDayMarkColor(day, m_dayMarkColor);
    m_firstTime = any ? RecorderDateTime(first) : QDateTime();
    m_lastTime = any ? RecorderDateTime(last) : QDateTime();
    for (ChannelFiles* record : m_searchResults) {
        record->StartTime = m_firstTime.date();
        record->EndTime = m_lastTime.date();
    }
    buildTree(m_searchResults, false);

    m_firstTime = QDateTime(m_firstTime.date(), QTime(0, 0, 0));
    m_lastTime = QDateTime(m_lastTime.date(), QTime(23, 59, 59));
    ui->rangeDateTimeEdit->setDateTimeRange(m_firstTime, m_lastTime);
    showTreeDay();

    if (m_loadPicturesAfterSearch) {
        m_loadPicturesAfterSearch = false;
        const QString target = ziraz::GetTargetPath();
        loadPictures(target + QStringLiteral("Target"));
        loadPictures(target + QStringLiteral("Other"));
        m_pictureModel->sort(0, Qt::AscendingOrder);
    }
    rebuildFilterCombo();
    emit signalSearchFilesFinished();
}

void SearchBarWidget::onSearchLocalFilesFinished() {
    ui->btnSearchRecord->setEnabled(true);
    m_shownResults.clear();
    QVector<ChannelFiles*> found;
    m_localSearchThread->getResults(found);
    m_searchResults += found;
    m_shownResults = m_searchResults;
    if (m_searchResults.isEmpty()) {
        ui->stackedWidget->setCurrentIndex(1);
        warn(2, tr("No video found!"));
        return;
    }
    ui->stackedWidget->setCurrentIndex(0);
    ui->combRecordEventType->setCurrentIndex(0);
    m_firstTime = QDateTime();
    m_lastTime = QDateTime();
    for (const ChannelFiles* record : m_searchResults) {
        for (const APT_QMR::CSingleFile* f : record->SingleFileList) {
            if (!f) continue;
            const QDateTime start = RecorderDateTime(f->StartTime);
            const QDateTime end = RecorderDateTime(f->EndTime);
            if (!m_firstTime.isValid() || start < m_firstTime) m_firstTime = start;
            if (!m_lastTime.isValid() || end > m_lastTime) m_lastTime = end;
        }
    }
    for (ChannelFiles* record : m_searchResults) {
        record->StartTime = m_firstTime.date();
        record->EndTime = m_lastTime.date();
    }
}

// ---------------------------------------------------------------- tree, filter

int SearchBarWidget::fileTypeCode(int type, bool rbs) { return FileTypeCode(type, rbs); }
bool SearchBarWidget::fileTypeMatches(int code, int type, bool rbs) { return TypeMatches(code, type, rbs); }

void SearchBarWidget::buildTree(const QVector<ChannelFiles*>& records, bool filteredTimes) {
    cancelTreeFill();
    m_treeModel->clear();
    m_treeModel->insertColumn(0);
    m_diskNames.clear();   // the drives may have changed since the last tree
    // Device and channel rows first, built apart from the model and given to
    // it a device at a time (rows added one by one to a shown tree cost the
    // view a layout each); then the file rows.
    const QIcon deviceIcon = IconOf(kDevicePixmap);
    const QIcon channelIcon = IconOf(kChannelPixmap);
    const QString channelWord = tr("channel");
    QList<QStandardItem*> devices;
    for (const ChannelFiles* record : records) {
        if (!record) continue;
        QStandardItem* device = nullptr;
        for (QStandardItem* top : devices) {
            if (top->text() == record->DeviceName) {
                device = top;
                break;
            }
        }
        if (!device) {
            device = NewItem(deviceIcon, record->DeviceName);
            device->setData(QStringLiteral("device"), kItemKindRole);
            devices << device;
        }
        const int number = record->ChannelInfo.GetChannelNumber();
        QStandardItem* channel = NewItem(channelIcon, channelWord + QString::number(number));
        channel->setData(number, kChannelNumberRole);
        channel->setData(record->ChannelInfo.GetRbs(), kRbsRole);
        channel->setData(record->DeviceName, kDeviceNameRole);
        channel->setData(record->DiskName, kDiskNameRole);
        channel->setData(QStringLiteral("channel"), kItemKindRole);
        device->appendRow(channel);
        m_treeFill.append(PendingChannel{channel, record, 0});
    }
    m_treeFillFiltered = filteredTimes;
    // The first rows go in before the tree reaches the view (a small tree
    // whole, whatever the machine's speed).
    fillTreeRows(kTreeRowsPerTurn);
    for (QStandardItem* device : devices) m_treeModel->appendRow(device);
    // Devices open, channels closed.
    for (QStandardItem* device : devices) ui->treeRecordFileList->treeView()->expand(device->index());
    if (m_treeFill.isEmpty()) return;
    // The rest follows turn by turn; a new search waits for the whole tree.
    m_treeFillHoldsSearch = ui->btnSearchRecord->isEnabled();
    ui->btnSearchRecord->setEnabled(false);
    continueTreeFill();
}

bool SearchBarWidget::fillTreeRows(int limit, qint64 turnMs) {
    static const QString kFile = QStringLiteral("file"), kTilde = QStringLiteral("~"), kDiskGap = QStringLiteral("  ");
    const QIcon channelIcon = IconOf(kChannelPixmap);
    int added = 0;
    QElapsedTimer turn;
    turn.start();
    while (!m_treeFill.isEmpty() && added < limit) {
        if (turnMs >= 0 && added > 0 && turn.elapsed() >= turnMs) break;
        PendingChannel& pending = m_treeFill.first();
        const ChannelFiles* record = pending.record;
        const int number = record->ChannelInfo.GetChannelNumber();
        const bool rbs = record->ChannelInfo.GetRbs();
        QList<QStandardItem*> files;
        const size_t count = record->SingleFileList.size();
        const int sliceEnd = std::min(limit, added + kTreeRowsBetweenClockReads);
        while (pending.next < count && added < sliceEnd) {
            APT_QMR::CSingleFile* f = record->SingleFileList[pending.next++];
            if (!f) continue;
            const time_t start = static_cast<time_t>(f->StartTime);
            const time_t end = static_cast<time_t>(f->EndTime);
            QString text = m_treeFillFiltered ? FilteredTimeText(start) + kTilde + FilteredTimeText(end)
                                              : SearchTimeText(start) + kTilde + SearchTimeText(end);
            // A channel's recordings may come from several disks: each row
            // names its own. A row of a local folder names its file: copies
            // of one recording (from two disks, or saved twice) lie side by
            // side there, alike in all else.
            const QString path = QString::fromUtf8(f->FileName.c_str());
            const QString disk = diskOfRow(f->DiskName);
            const bool inFolder = disk.isEmpty();
            text += kDiskGap + (inFolder ? path.mid(std::max(path.lastIndexOf(QLatin1Char('/')),
                                                             path.lastIndexOf(QLatin1Char('\\'))) + 1)
                                         : disk);
            QStandardItem* file = NewItem(channelIcon, text);
            if (inFolder) file->setToolTip(text + QLatin1Char('\n') + QDir::toNativeSeparators(path));
            file->setData(path, kFileNameRole);
            file->setData(number, kChannelNumberRole);
            file->setData(rbs, kRbsRole);
            file->setData(record->DeviceName, kDeviceNameRole);
            file->setData(record->DiskName, kDiskNameRole);
            file->setData(QVariant::fromValue(static_cast<void*>(f)), kFileRecordRole);
            file->setData(kFile, kItemKindRole);
            files << file;
            ++added;
        }
        pending.channel->appendRows(files);
        if (pending.next >= count) m_treeFill.removeFirst();
    }
    return m_treeFill.isEmpty();
}

QString SearchBarWidget::diskOfRow(const std::string& diskPath) {
    auto known = m_diskNames.find(diskPath);
    if (known != m_diskNames.end()) return known->second;
    // Disks only: the rows of a local folder all come from the folder the
    // operator chose.
    QString name;
    if (wincompat::ParsePhysicalDriveName(diskPath) >= 0 || wincompat::DriveLetterOf(diskPath) != 0)
        name = DiskShownName(diskPath);
    m_diskNames.emplace(diskPath, name);
    return name;
}

void SearchBarWidget::continueTreeFill() {
    const quint64 serial = m_treeFillSerial;
    QTimer::singleShot(kTreeTurnGapMs, this, [this, serial] {
        if (serial != m_treeFillSerial) return;   // cancelled or rebuilt meanwhile
        if (!fillTreeRows(kTreeRowsPerTurn, kTreeTurnMs)) {
            continueTreeFill();
            return;
        }
        if (m_treeFillHoldsSearch) ui->btnSearchRecord->setEnabled(true);
        m_treeFillHoldsSearch = false;
    });
}

void SearchBarWidget::cancelTreeFill() {
    ++m_treeFillSerial;
    m_treeFill.clear();
    if (m_treeFillHoldsSearch && ui) ui->btnSearchRecord->setEnabled(true);
    m_treeFillHoldsSearch = false;
}

void SearchBarWidget::fillResultTree() {
    ui->treeRecordFileList->setCurrentPage(false);
    buildTree(m_shownResults, true);
}

void SearchBarWidget::rebuildFilterCombo() {
    QSet<int> codes;
    for (const ChannelFiles* record : m_searchResults) {
        for (const APT_QMR::CSingleFile* f : record->SingleFileList) {
            if (!f) continue;
            const int code = FileTypeCode(f->FileType, record->ChannelInfo.GetRbs());
            if (code >= 0) codes.insert(code);
        }
    }
    disconnect(ui->combRecordEventType, SIGNAL(currentIndexChanged(int)), this, SLOT(onChangeFileTypeFilter(int)));
    ui->combRecordEventType->clear();
    ui->combRecordEventType->addItem(tr(FileTypeText(kAllCodes)), kAllCodes);
    for (int code : codes) {
        if (code != kOthersCode) ui->combRecordEventType->addItem(tr(FileTypeText(code)), code);
    }
    if (codes.contains(kOthersCode)) ui->combRecordEventType->addItem(tr(FileTypeText(kOthersCode)), kOthersCode);
    ui->combRecordEventType->setCurrentIndex(0);
    connect(ui->combRecordEventType, SIGNAL(currentIndexChanged(int)), this, SLOT(onChangeFileTypeFilter(int)));
}

void SearchBarWidget::onChangeFileTypeFilter(int) {
    ui->treeRecordFileList->setCurrentPage(true);
    ui->locationViewWidget->ClearFilterText();
    m_shownResults.clear();
    // The records of the previous filter run are not shown any more.
    freeFilteredRecords();

    QDateTime rangeStart, rangeEnd;
    ui->rangeDateTimeEdit->getDateTimeRange(rangeStart, rangeEnd);
    const QVariant data = ui->combRecordEventType->currentData(Qt::UserRole);
    const int code = data.isValid() ? data.toInt() : kAllCodes;
    const qint64 a = rangeStart.toSecsSinceEpoch();
    const qint64 b = rangeEnd.toSecsSinceEpoch();

    for (const ChannelFiles* record : m_searchResults) {
        if (!record) continue;
        const bool rbs = record->ChannelInfo.GetRbs();
        std::vector<APT_QMR::CSingleFile*> kept;
        for (APT_QMR::CSingleFile* f : record->SingleFileList) {
            if (!f || !TypeMatches(code, f->FileType, rbs)) continue;
            const qint64 s = f->StartTime;
            const qint64 e = f->EndTime;
            if ((a <= s && s <= b) || (s < a && e > a) || (s < b && e > b)) kept.push_back(f);
        }
        if (kept.empty()) continue;
        auto* filtered = new ChannelFiles;
        filtered->DiskName = record->DiskName;
        filtered->DeviceName = record->DeviceName;
        filtered->ChannelInfo = record->ChannelInfo;
        filtered->StartTime = rangeStart.date();
        filtered->EndTime = rangeEnd.date();
        filtered->SingleFileList = kept;
        m_filteredRecords.append(filtered);
        m_shownResults.append(filtered);
    }
    fillResultTree();
}

void SearchBarWidget::onChangeCalendar(QDateTime, QDateTime) {
    onChangeFileTypeFilter(ui->combRecordEventType->currentIndex());
    showTreeDay();
}

void SearchBarWidget::showTreeDay() {
    // The range above the tree names the day; rows of that day need not.
    QDateTime start, end;
    ui->rangeDateTimeEdit->getDateTimeRange(start, end);
    const bool oneDay = start.isValid() && end.isValid() && start.date() == end.date();
    ui->treeRecordFileList->setShownDay(oneDay ? start.date() : QDate());
}

void SearchBarWidget::collectRows(const QModelIndex& parent, QModelIndexList* out) const {
    for (int row = 0; row < m_treeModel->rowCount(parent); ++row) {
        const QModelIndex index = m_treeModel->index(row, 0, parent);
        out->append(index);
        collectRows(index, out);
    }
}

void SearchBarWidget::onChangeColor(QModelIndexList list) {
    QModelIndexList all;
    collectRows(QModelIndex(), &all);
    const QBrush normal{QColor(QString::fromLatin1(kNormalColor))};
    const QBrush highlight{QColor(QString::fromLatin1(kHighlightColor))};
    for (const QModelIndex& index : all) {
        QStandardItem* item = m_treeModel->itemFromIndex(index);
        if (item) item->setForeground(list.contains(index) ? highlight : normal);
    }
}

void SearchBarWidget::onLocationFilterChanged(const QString& text) {
    QModelIndexList matches;
    if (!text.isEmpty()) {
        QModelIndexList all;
        collectRows(QModelIndex(), &all);
        for (const QModelIndex& index : all)
            if (index.data().toString().contains(text, Qt::CaseInsensitive)) matches << index;
    }
    onChangeColor(matches);
}

// ---------------------------------------------------------- records for playback

ChannelFiles* SearchBarWidget::matchRecord(const QModelIndex& channelIndex) const {
    const QString disk = channelIndex.data(kDiskNameRole).toString();
    const QString device = channelIndex.data(kDeviceNameRole).toString();
    const int number = channelIndex.data(kChannelNumberRole).toInt();
    for (ChannelFiles* record : m_shownResults) {
        if (record && record->DiskName == disk && record->DeviceName == device &&
            record->ChannelInfo.GetChannelNumber() == number)
            return record;
    }
    return nullptr;
}

ChannelFiles* SearchBarWidget::buildRecord(const QModelIndex& channelIndex, const QModelIndexList& fileIndexes) {
    auto* record = new ChannelFiles;
    // The disk of the channel, so that the record names the medium it
    // came from like the records of the search.
    record->DiskName = channelIndex.data(kDiskNameRole).toString();
    record->DeviceName = channelIndex.data(kDeviceNameRole).toString();
    record->ChannelInfo.SetChannelNumber(channelIndex.data(kChannelNumberRole).toInt());
    record->ChannelInfo.SetDevice(channelIndex.data(kDeviceNameRole).toString());
    record->ChannelInfo.SetRbs(channelIndex.data(kRbsRole).toInt() != 0);
    for (const QModelIndex& file : fileIndexes)
        record->SingleFileList.push_back(
            static_cast<APT_QMR::CSingleFile*>(file.data(kFileRecordRole).value<void*>()));
    QDateTime start, end;
    ui->rangeDateTimeEdit->getDateTimeRange(start, end);
    record->StartTime = start.date();
    record->EndTime = end.date();
    m_builtRecords.append(record);
    return record;
}

QVector<ChannelFiles*> SearchBarWidget::getSelectedFiles() {
    m_selectedFiles.clear();
    for (int d = 0; d < m_treeModel->rowCount(); ++d) {
        const QModelIndex device = m_treeModel->index(d, 0);
        const bool deviceSelected = ui->treeRecordFileList->isSelected(device);
        for (int c = 0; c < m_treeModel->rowCount(device); ++c) {
            const QModelIndex channel = m_treeModel->index(c, 0, device);
            if (deviceSelected || ui->treeRecordFileList->isSelected(channel)) {
                if (ChannelFiles* record = matchRecord(channel)) m_selectedFiles.append(record);
                continue;
            }
            QModelIndexList files;
            for (int f = 0; f < m_treeModel->rowCount(channel); ++f) {
                const QModelIndex file = m_treeModel->index(f, 0, channel);
                if (ui->treeRecordFileList->isSelected(file)) files << file;
            }
            if (!files.isEmpty()) m_selectedFiles.append(buildRecord(channel, files));
        }
    }
    return m_selectedFiles;
}

void SearchBarWidget::locateFile(QVector<ChannelFiles*>& records, QModelIndex index) {
    const QString kind = index.data(kItemKindRole).toString();
    if (kind == QLatin1String("device")) {
        for (int c = 0; c < m_treeModel->rowCount(index); ++c)
            if (ChannelFiles* record = matchRecord(m_treeModel->index(c, 0, index))) records.append(record);
    } else if (kind == QLatin1String("channel")) {
        if (ChannelFiles* record = matchRecord(index)) records.append(record);
    } else if (kind == QLatin1String("file")) {
        records.append(buildRecord(index.parent(), QModelIndexList{index}));
    }
}

// ------------------------------------------------------------ batch hand-over

QString SearchBarWidget::lorrimaxProgram() const {
    if (!m_lorrimaxProgram.isEmpty()) return m_lorrimaxProgram;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Lorrimax");
}

namespace {

// The hand-over files are declared GB2312 and written in that code.
void SetHandOverCodec(QTextStream& out) {
    if (QTextCodec* codec = QTextCodec::codecForName("GB2312")) out.setCodec(codec);
}

}  // namespace

void SearchBarWidget::onLorrimax() {
    const QString folder = ziraz::GetTargetPath();

    // The batch downloader reads its list from the program folder: a folder
    // that cannot be written is said, with the file and why.
    auto cannotWrite = [this](const QFile& file) {
        ziraz::WarningDialog::showWarningDialog(
            10000, 2,
            tr("The batch downloader cannot be started: %1 cannot be written (%2).")
                .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()),
            this, nullptr, nullptr, m_dialogIcons, QSize(420, 160));
    };
    QFile searched(folder + QStringLiteral("SearchedFile.xml"));
    if (!searched.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        cannotWrite(searched);
        return;
    }
    {
        QTextStream out(&searched);
        SetHandOverCodec(out);
        out << kHandOverDeclaration << "<SearchedFile>";
        for (const ChannelFiles* record : m_shownResults)
            if (record) out << record->ToXml();
        out << "</SearchedFile>";
    }
    searched.close();

    QFile disks(folder + QStringLiteral("DiskFile.xml"));
    if (!disks.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        cannotWrite(disks);
        return;
    }
    {
        const std::map<std::string, int> types = QorAutoStorage::GetInstance()->GetDiskTypeMap();
        QTextStream out(&disks);
        SetHandOverCodec(out);
        out << kHandOverDeclaration << "<DiskInfos>";
        for (const auto& entry : types) {
            out << "<Disk>" << "<DiskName>" << QString::fromUtf8(entry.first.c_str()).toHtmlEscaped()
                << "</DiskName>" << "</Disk>";
        }
        out << "</DiskInfos>";
    }
    disks.close();

    const QString argument = m_panelMode == 1 ? QStringLiteral("1") : QStringLiteral("0");
    const QString program = lorrimaxProgram();
    if (!QFileInfo(program).isExecutable())
        qCDebug(lcKelUi) << "SearchBarWidget::onLorrimax Lorrimax4.0.exe not found:" << program;

    auto* process = new QProcess(this);
    // A child that never starts sends no finished: its start error lifts the
    // cover instead (queued, so that it comes after the cover request).
    connect(
        process, &QProcess::errorOccurred, this,
        [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) emit signalCover(false);
        },
        Qt::QueuedConnection);
    process->start(program, QStringList{argument}, QIODevice::ReadWrite);
    emit signalCover(true);
    connect(process, static_cast<void (QProcess::*)(int, QProcess::ExitStatus)>(&QProcess::finished), this,
            [this](int, QProcess::ExitStatus) { emit signalCover(false); });
}

// ----------------------------------------------------------- evidence pictures

void SearchBarWidget::loadPictures(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return;
    const QStringList patterns{QStringLiteral("*.jpeg"), QStringLiteral("*.jpg"), QStringLiteral("*.png"),
                               QStringLiteral("*.bmp")};
    QDirIterator it(folder, patterns, QDir::Files, QDirIterator::Subdirectories);
    QList<QFileInfo> files;
    while (it.hasNext()) {
        it.next();
        files << it.fileInfo();
    }
    for (const QFileInfo& info : files) m_pictureModel->appendPicture(qMakePair(info.absoluteFilePath(), info.fileName()));
}

void SearchBarWidget::clearPictures() {
    m_pictureModel->removeRows(0, m_pictureModel->rowCount());
    onShowRecordFile();
    onShowSelectedPicture(QString::fromLatin1(kDefaultPicture));
}

void SearchBarWidget::onShowRecordFile() {
    ui->treeRecordFileList->show();
    ui->pictureTableView->hide();
    ui->recordBtn->setChecked(true);
}

void SearchBarWidget::onShowPicture() {
    ui->treeRecordFileList->hide();
    ui->pictureTableView->show();
    ui->pictureBtn->setChecked(true);
}

void SearchBarWidget::onShowPictureByTime(time_t time) {
    m_pictureModel->selectByTime(static_cast<uint32_t>(time));
}

void SearchBarWidget::onShowSelectedPicture(QString picturePath) {
    const QPixmap pixmap = loadPicturePixmap(picturePath);
    const int width = ui->pictureLable->width();
    if (pixmap.isNull() || width <= 0) ui->pictureLable->setPixmap(QPixmap());
    else ui->pictureLable->setPixmap(pixmap.scaled(width, 140, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    ui->pictureLable->setPicturePath(picturePath);
}

void SearchBarWidget::onPictureHintBtnClicked() {
    if (m_colorTip->isVisible()) {
        m_colorTip->hide();
        return;
    }
    const QPoint corner = ui->pictureHintBtn->mapToGlobal(QPoint(0, 0));
    m_colorTip->move(corner.x() + 40 - m_colorTip->width(), corner.y() - m_colorTip->height());
    m_colorTip->show();
}
