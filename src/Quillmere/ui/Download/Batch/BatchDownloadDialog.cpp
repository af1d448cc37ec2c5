// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchDownloadDialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "storage/RecorderTime.h"
#include "storage/ChannelFiles.h"
#include "storage/CommonHelpers.h"
#include "storage/DiskEnum.h"
#include "common/InterfaceHelpers.h"
#include "storage/QorAutoStorage.h"
#include "storage/Settings.h"
#include "wincompat/drives.h"
#include "storage/HandOverFiles.h"
#include "ziraz/sharetools.h"
#include "ziraz/ziraz.h"

namespace {

const char* const kTimeFormat = "yyyy-MM-dd hh:mm:ss";
const uint32_t kNoTime = 0xFFFFFFFFu;
const int kKeyDownloadSavePath = 5;
const int kKeyEvidenceVideoSavePath = 6;
// The options a table view hands its delegate (protected in the view).
struct ViewOptions : QTableView {
    static QStyleOptionViewItem Of(const QTableView* view) { return (view->*(&ViewOptions::viewOptions))(); }
};

// Failed files named one by one in the summary of a download.
const int kFailuresListed = 10;

std::function<void(int)>& ExitFunction() {
    static std::function<void(int)> fn = [](int code) { std::exit(code); };
    return fn;
}


ziraz::ToolButton* MakeButton(QWidget* parent, const char* name, int minW, int minH) {
    auto* b = new ziraz::ToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setMinimumSize(minW, minH);
    return b;
}

}  // namespace

// --- form ---------------------------------------------------------------------

void CLorrimaxClass::setupUi(QWidget* form) {
    form->setObjectName(QStringLiteral("CLorrimaxClass"));
    auto* root = new QVBoxLayout(form);
    root->setContentsMargins(10, 0, 10, 0);
    root->setSpacing(6);

    auto* tabs = new QHBoxLayout;
    tab1Btn = MakeButton(form, "tab1Btn", 0, 30);
    tab2Btn = MakeButton(form, "tab2Btn", 0, 30);
    tab1Btn->setCheckable(true);
    tab2Btn->setCheckable(true);
    tabs->addWidget(tab1Btn);
    tabs->addWidget(tab2Btn);
    tabs->addStretch();
    root->addLayout(tabs);

    m_pDownloadTabWidget = new QTabWidget(form);
    m_pDownloadTabWidget->setObjectName(QStringLiteral("m_pDownloadTabWidget"));
    m_pDownloadTabWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_pDownloadTabWidget->setElideMode(Qt::ElideNone);

    tabFile = new QWidget;
    tabFile->setObjectName(QStringLiteral("tabFile"));
    auto* fileLayout = new QVBoxLayout(tabFile);
    m_pFileView = new ziraz::TableView(tabFile);
    m_pFileView->setObjectName(QStringLiteral("m_pFileView"));
    m_pFileView->verticalHeader()->hide();  // column 0 carries the numbers
    fileLayout->addWidget(m_pFileView);
    m_pDownloadTabWidget->addTab(tabFile, QString());

    tabTime = new QWidget;
    tabTime->setObjectName(QStringLiteral("tabTime"));
    // The channel boxes are 100 pixels wide: keep "Channel24" inside them.
    tabTime->setStyleSheet(QStringLiteral("QCheckBox { font-size: 12px; }"));
    auto* timeLayout = new QVBoxLayout(tabTime);
    auto* periods = new QGridLayout;
    label = new QLabel(tabTime);
    label->setObjectName(QStringLiteral("label"));
    label_2 = new QLabel(tabTime);
    label_2->setObjectName(QStringLiteral("label_2"));
    label->setStyleSheet(QStringLiteral("color: #666666;"));
    label_2->setStyleSheet(QStringLiteral("color: #666666;"));
    periods->addWidget(label, 0, 1);
    periods->addWidget(label_2, 0, 2);
    const char* boxNames[4] = {"m_pFirstPeriodCheckBox", "m_pSecondPeriodCheckBox", "m_pThirdPeriodCheckBox",
                               "m_pFourPeriodCheckBox"};
    const char* beginNames[4] = {"m_pFirstBeginTime", "m_pSecondBeginTime", "m_pThirdBeginTime", "m_pFourBeginTime"};
    const char* endNames[4] = {"m_pFirstEndTime", "m_pSecondEndTime", "m_pThirdEndTime", "m_pFourEndTime"};
    const char* barNames[4] = {"m_pFirstProgressBar", "m_pSecondProgressBar", "m_pThirdProgressBar",
                               "m_pFourProgressBar"};
    ziraz::CheckBox** boxes[4] = {&m_pFirstPeriodCheckBox, &m_pSecondPeriodCheckBox, &m_pThirdPeriodCheckBox,
                                  &m_pFourPeriodCheckBox};
    ziraz::DateTimeEdit** begins[4] = {&m_pFirstBeginTime, &m_pSecondBeginTime, &m_pThirdBeginTime,
                                       &m_pFourBeginTime};
    ziraz::DateTimeEdit** ends[4] = {&m_pFirstEndTime, &m_pSecondEndTime, &m_pThirdEndTime, &m_pFourEndTime};
    QProgressBar** bars[4] = {&m_pFirstProgressBar, &m_pSecondProgressBar, &m_pThirdProgressBar,
                              &m_pFourProgressBar};
    for (int i = 0; i < 4; ++i) {
        auto* box = new ziraz::CheckBox(tabTime);
        box->setObjectName(QString::fromLatin1(boxNames[i]));
        auto* begin = new ziraz::DateTimeEdit(tabTime);
        begin->setObjectName(QString::fromLatin1(beginNames[i]));
        auto* end = new ziraz::DateTimeEdit(tabTime);
        end->setObjectName(QString::fromLatin1(endNames[i]));
        for (auto* e : {begin, end}) {
            e->setEnabled(false);
            e->setMinimumWidth(187);
            e->setDisplayFormat(QString::fromLatin1(kTimeFormat));
        }
        auto* bar = new QProgressBar(tabTime);
        bar->setObjectName(QString::fromLatin1(barNames[i]));
        bar->setMaximumHeight(8);
        bar->setValue(0);
        bar->setTextVisible(false);
        QObject::connect(box, &QCheckBox::toggled, begin, &QWidget::setEnabled);
        QObject::connect(box, &QCheckBox::toggled, end, &QWidget::setEnabled);
        periods->addWidget(box, 1 + 2 * i, 0);
        periods->addWidget(begin, 1 + 2 * i, 1);
        periods->addWidget(end, 1 + 2 * i, 2);
        periods->addWidget(bar, 2 + 2 * i, 1, 1, 2);
        *boxes[i] = box;
        *begins[i] = begin;
        *ends[i] = end;
        *bars[i] = bar;
    }
    timeLayout->addLayout(periods);
    auto* channels = new QGridLayout;
    checkBox = new ziraz::CheckBox(tabTime);
    checkBox->setObjectName(QStringLiteral("checkBox"));
    checkBox->setFixedWidth(100);
    channels->addWidget(checkBox, 0, 0);
    for (int i = 0; i < 24; ++i) {
        auto* b = new ziraz::CheckBox(tabTime);
        b->setObjectName(QStringLiteral("checkBox%1").arg(i + 1));
        b->setFixedWidth(100);
        channels->addWidget(b, 1 + i / 6, i % 6);
        channelBoxes[i] = b;
    }
    timeLayout->addLayout(channels);
    m_pTimeJobView = new ziraz::TableView(tabTime);
    m_pTimeJobView->setObjectName(QStringLiteral("m_pTimeJobView"));
    m_pTimeJobView->setSelectionMode(QAbstractItemView::NoSelection);
    m_pTimeJobView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    timeLayout->addWidget(m_pTimeJobView, 1);
    m_pDownloadTabWidget->addTab(tabTime, QString());
    root->addWidget(m_pDownloadTabWidget, 1);

    auto* sizes = new QGridLayout;
    label_3 = new QLabel(form);
    label_3->setObjectName(QStringLiteral("label_3"));
    m_pAllFileLabel = new QLabel(form);
    m_pAllFileLabel->setObjectName(QStringLiteral("m_pAllFileLabel"));
    label_4 = new QLabel(form);
    label_4->setObjectName(QStringLiteral("label_4"));
    m_pHardSpaceLabel = new QLabel(form);
    m_pHardSpaceLabel->setObjectName(QStringLiteral("m_pHardSpaceLabel"));
    sizes->addWidget(label_3, 0, 0);
    sizes->addWidget(m_pAllFileLabel, 0, 1);
    sizes->addWidget(label_4, 1, 0);
    sizes->addWidget(m_pHardSpaceLabel, 1, 1);
    sizes->setColumnStretch(1, 1);
    root->addLayout(sizes);

    auto* path = new QHBoxLayout;
    label_5 = new ziraz::Label(form);
    label_5->setObjectName(QStringLiteral("label_5"));
    lineEdit = new ziraz::LineEdit(form);
    lineEdit->setObjectName(QStringLiteral("lineEdit"));
    lineEdit->setFixedHeight(30);
    savePathBtn = MakeButton(form, "savePathBtn", 30, 30);
    savePathBtn->setFixedSize(30, 30);
    path->addWidget(label_5);
    path->addWidget(lineEdit, 1);
    path->addWidget(savePathBtn);
    root->addLayout(path);

    bottomWidget = new QWidget(form);
    bottomWidget->setObjectName(QStringLiteral("bottomWidget"));
    bottomWidget->setFixedHeight(56);
    auto* bottom = new QHBoxLayout(bottomWidget);
    bottom->addStretch();
    m_pDownloadBtn = MakeButton(bottomWidget, "m_pDownloadBtn", 90, 30);
    m_pStopBtn = MakeButton(bottomWidget, "m_pStopBtn", 90, 30);
    m_pCancelBtn = MakeButton(bottomWidget, "m_pCancelBtn", 90, 30);
    m_pDownloadBtn->setEnabled(false);
    m_pStopBtn->setEnabled(false);
    bottom->addWidget(m_pDownloadBtn);
    bottom->addWidget(m_pStopBtn);
    bottom->addWidget(m_pCancelBtn);
    root->addWidget(bottomWidget);

    retranslateUi(form);
    m_pDownloadTabWidget->setCurrentIndex(0);
}

void CLorrimaxClass::retranslateUi(QWidget* form) {
    form->setWindowTitle(QCoreApplication::translate("CLorrimaxClass", "Form"));
    tab1Btn->setText(QCoreApplication::translate("CLorrimaxClass", "Download By File"));
    tab2Btn->setText(QCoreApplication::translate("CLorrimaxClass", "Download By Time"));
    m_pDownloadTabWidget->setTabText(0, QCoreApplication::translate("CLorrimaxClass", "Download By File"));
    m_pDownloadTabWidget->setTabText(1, QCoreApplication::translate("CLorrimaxClass", "Download By Time"));
    m_pFirstPeriodCheckBox->setText(QCoreApplication::translate("CLorrimaxClass", "Time Period 1"));
    m_pSecondPeriodCheckBox->setText(QCoreApplication::translate("CLorrimaxClass", "Time Period 2"));
    m_pThirdPeriodCheckBox->setText(QCoreApplication::translate("CLorrimaxClass", "Time Period 3"));
    m_pFourPeriodCheckBox->setText(QCoreApplication::translate("CLorrimaxClass", "Time Period 4"));
    label->setText(QCoreApplication::translate("CLorrimaxClass", "Start Time"));
    label_2->setText(QCoreApplication::translate("CLorrimaxClass", "End Time"));
    checkBox->setText(QCoreApplication::translate("CLorrimaxClass", "All"));
    for (int i = 0; i < 24; ++i)
        channelBoxes[i]->setText(QCoreApplication::translate("CLorrimaxClass", "Channel") + QString::number(i + 1));
    label_3->setText(QCoreApplication::translate("CLorrimaxClass", "All selected files size:"));
    label_4->setText(QCoreApplication::translate("CLorrimaxClass", "The remaining disk space size:"));
    label_5->setText(QCoreApplication::translate("CLorrimaxClass", "File Save Path:"));
    m_pDownloadBtn->setText(QCoreApplication::translate("CLorrimaxClass", "DownLoad"));
    m_pStopBtn->setText(QCoreApplication::translate("CLorrimaxClass", "Stop"));
    m_pCancelBtn->setText(QCoreApplication::translate("CLorrimaxClass", "Cannel"));
}

// --- dialog -------------------------------------------------------------------

#define LORRIMAX_CONNECT(...) Connect(static_cast<bool>(connect(__VA_ARGS__)), __LINE__, __func__)

Lorrimax::Lorrimax(QWidget* parent) : ziraz::BaseDialog(false, false, false, false, true, true, true, parent) {
    setBottomVisible(false);
    InitFrame();
    m_icons << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
            << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
            << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");
    ui.m_pAllFileLabel->setText(QStringLiteral("0"));
    LORRIMAX_CONNECT(ui.savePathBtn, &QAbstractButton::clicked, this, &Lorrimax::onChangeFilePath);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
}

Lorrimax::~Lorrimax() {
    // The downloader works on copies of the records, but stop it before the
    // records go so nothing reads them any more.
    if (m_downloader.IsDownloading()) m_downloader.StopDownload(false);
    m_entries.clear();
    FreeRecords();
}

void Lorrimax::Connect(bool ok, int line, const char* method) {
    if (ok) return;
    ShareTools::debugMessage(QStringLiteral("connect failure! %1:%2 in %3")
                                 .arg(QString::fromLatin1(__FILE__))
                                 .arg(line)
                                 .arg(QString::fromLatin1(method)));
}

std::function<void(int)> Lorrimax::setExitFunction(std::function<void(int)> fn) {
    std::function<void(int)> old = ExitFunction();
    ExitFunction() = fn ? std::move(fn) : [](int code) { std::exit(code); };
    return old;
}

void Lorrimax::InitFrame() {
    ui.setupUi(getSetupUiWidget());
    ui.m_pDownloadTabWidget->tabBar()->hide();
    ui.m_pFileView->setHorizontalScrollBar(new ziraz::HorScrollBar(ui.m_pFileView));
    ui.m_pDownloadTabWidget->setCurrentIndex(0);
    ui.tab1Btn->setChecked(true);
    m_periods[0] = {ui.m_pFirstPeriodCheckBox, ui.m_pFirstBeginTime, ui.m_pFirstEndTime, ui.m_pFirstProgressBar};
    m_periods[1] = {ui.m_pSecondPeriodCheckBox, ui.m_pSecondBeginTime, ui.m_pSecondEndTime, ui.m_pSecondProgressBar};
    m_periods[2] = {ui.m_pThirdPeriodCheckBox, ui.m_pThirdBeginTime, ui.m_pThirdEndTime, ui.m_pThirdProgressBar};
    m_periods[3] = {ui.m_pFourPeriodCheckBox, ui.m_pFourBeginTime, ui.m_pFourEndTime, ui.m_pFourProgressBar};
    for (Period& p : m_periods) p.bar->hide();
    ui.m_pStopBtn->setEnabled(false);

    const QDate today = QDate::currentDate();
    for (Period& p : m_periods) {
        p.begin->setDateTime(QDateTime(today, QTime(0, 0, 0), Qt::UTC));
        p.end->setDateTime(QDateTime(today, QTime(23, 59, 59), Qt::UTC));
    }

    m_pCheckTimer = new QTimer(this);
    LORRIMAX_CONNECT(m_pCheckTimer, &QTimer::timeout, this, &Lorrimax::OnDownLoadCheck);
    resize(650, 640);

    LORRIMAX_CONNECT(ui.m_pDownloadBtn, &QAbstractButton::clicked, this, &Lorrimax::OnDownLoad);
    LORRIMAX_CONNECT(ui.m_pStopBtn, &QAbstractButton::clicked, this, &Lorrimax::OnStopDonload);
    LORRIMAX_CONNECT(ui.m_pCancelBtn, &QAbstractButton::clicked, this, &QWidget::close);

    // The rows are data over the records (BatchFileModel): a batch of any
    // size is listed at once, its texts made as rows come into view.
    static_assert(BatchFileModel::kHeaderCheckRole == ziraz::HeaderCheckRole, "the header's check box role");
    m_pModel = new BatchFileModel(ui.m_pFileView);
    m_pModel->setHeaderData(0, Qt::Horizontal, QString());
    const QStringList headers = {tr("Disk"), tr("Channel"), tr("Start Time"), tr("End Time"), tr("Size"), tr("Status")};
    for (int i = 0; i < headers.size(); ++i) m_pModel->setHeaderData(i + 1, Qt::Horizontal, headers[i]);
    for (int i = 0; i < BatchFileModel::ColumnCount; ++i)
        m_pModel->setHeaderData(i, Qt::Horizontal, int(Qt::AlignLeft | Qt::AlignVCenter), Qt::TextAlignmentRole);
    ui.m_pFileView->setModel(m_pModel);
    // All rows are alike: one height for all, so that the view never
    // measures rows it does not show.
    ui.m_pFileView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    FitColumnsToTexts();

    m_pTimeJobModel = new QStandardItemModel(0, 5, ui.m_pTimeJobView);
    const QStringList jobHeaders = {tr("Time Period"), tr("Channel"), tr("Start Time"), tr("End Time"), tr("Status")};
    m_pTimeJobModel->setHorizontalHeaderLabels(jobHeaders);
    for (int i = 0; i < jobHeaders.size(); ++i)
        m_pTimeJobModel->setHeaderData(i, Qt::Horizontal, int(Qt::AlignLeft | Qt::AlignVCenter), Qt::TextAlignmentRole);
    ui.m_pTimeJobView->setModel(m_pTimeJobModel);
    KeepColumnsToContents(ui.m_pTimeJobView, true);

    LORRIMAX_CONNECT(m_pModel, &BatchFileModel::checkedChanged, this, &Lorrimax::OnSelectFileSizeChanged);
    LORRIMAX_CONNECT(&m_downloader, &APT_QMR::CStreamDownloader::DownloadSignal, this,
                     &Lorrimax::OnPlaybackRemoteEvent);
    LORRIMAX_CONNECT(&m_downloader, &APT_QMR::CStreamDownloader::DownloadFiles, this, &Lorrimax::OnGetFiles);
    for (Period& p : m_periods) {
        LORRIMAX_CONNECT(p.box, &QCheckBox::stateChanged, this, &Lorrimax::OnSelectFileSizeChanged);
        LORRIMAX_CONNECT(p.begin, &QDateTimeEdit::dateTimeChanged, this, &Lorrimax::OnSelectFileSizeChanged);
        LORRIMAX_CONNECT(p.end, &QDateTimeEdit::dateTimeChanged, this, &Lorrimax::OnSelectFileSizeChanged);
    }
    LORRIMAX_CONNECT(ui.tab1Btn, &QAbstractButton::clicked, this, &Lorrimax::onTabOne);
    LORRIMAX_CONNECT(ui.tab2Btn, &QAbstractButton::clicked, this, &Lorrimax::onTabTwo);

    ui.savePathBtn->hide();
    m_subFolder = tr("RodoroZOD");
    ui.lineEdit->setText(m_subFolder);
    m_downloader.SetSavePath(m_subFolder);
    ui.lineEdit->setContextMenuPolicy(Qt::NoContextMenu);
    ui.lineEdit->setMaxLength(15);
    ui.m_pFileView->setFocus();

    for (int i = 0; i < 24; ++i) m_channelBoxes.append(ui.channelBoxes[i]);
    ui.checkBox->setChecked(true);
    for (QCheckBox* b : m_channelBoxes) {
        b->setChecked(true);
        LORRIMAX_CONNECT(b, &QCheckBox::stateChanged, this, &Lorrimax::onSigleCheckedStateChanged);
        LORRIMAX_CONNECT(b, &QCheckBox::stateChanged, this, &Lorrimax::OnSelectFileSizeChanged);
    }
    LORRIMAX_CONNECT(ui.checkBox, &QCheckBox::stateChanged, this, &Lorrimax::onAllCheckedStateChanged);
}

void Lorrimax::setTitleSuffix(const QString& suffix) {
    m_titleSuffix = suffix;
    setTitle(tr("Files download") + "(" + suffix + ")");
}

void Lorrimax::setDiskKind(bool bareDisk) { m_bDiskKind = bareDisk; }

void Lorrimax::setDownLoadFileType(int mode) {
    m_nMode = mode;
    m_downloader.SetDownLoadFileType(mode);
}

void Lorrimax::makeTopMost() {
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    show();
    raise();
}

void Lorrimax::reject() {
    // The base dialog would only hide the window, and the program would end
    // under a running download: close, which asks first.
    close();
}

void Lorrimax::SetNameParts() {
    std::vector<const APT_QMR::CSingleFile*> files;
    for (const DownloadListEntry& e : m_entries) files.insert(files.end(), e.files.begin(), e.files.end());
    m_downloader.SetNamePart(DiskNameParts(files));
}

void Lorrimax::FreeRecords() {
    m_records.clear();
    m_files.clear();
}

// --- hand-over ----------------------------------------------------------------

void Lorrimax::LoadSearchedFiles() {
    m_pModel->clear();
    ui.m_pAllFileLabel->setText(QStringLiteral("0"));
    m_loadErrors.clear();

    // Disks first: the storage layer picks its library by the judged type
    // of a disk path, so every path is judged before any record is used.
    const QString diskFile = ziraz::GetTargetPath() + QStringLiteral("DiskFile.xml");
    std::vector<std::string> disks;
    QString error;
    if (!ReadHandOverDisks(diskFile, &disks, &error) && QFileInfo::exists(diskFile)) {
        m_loadErrors << tr("The disk list \"%1\" cannot be read.").arg(QStringLiteral("DiskFile.xml"));
        ShareTools::debugMessage(QStringLiteral("Lorrimax: ") + error);
    }
    std::stable_sort(disks.begin(), disks.end());
    QorAutoStorage::GetInstance()->JudgeDiskTypes(disks);
    m_judgedDisks = disks;

    // Channel records. The dialog owns them and their file records; records
    // whose times are missing or reversed are left out.
    m_entries.clear();
    FreeRecords();
    const QString searchedFile = ziraz::GetTargetPath() + QStringLiteral("SearchedFile.xml");
    int skippedFiles = 0;
    int skippedBlocks = 0;
    std::vector<std::unique_ptr<ChannelFiles>> records;
    if (ReadHandOverChannels(searchedFile, &records, &skippedBlocks, &error)) {
        for (std::unique_ptr<ChannelFiles>& record : records) {
            std::vector<APT_QMR::CSingleFile*> kept;
            for (APT_QMR::CSingleFile* f : record->SingleFileList) {
                if (!f) continue;
                std::unique_ptr<APT_QMR::CSingleFile> owned(f);
                if (f->StartTime == kNoTime || f->EndTime == kNoTime || f->EndTime < f->StartTime) {
                    ++skippedFiles;
                    continue;
                }
                kept.push_back(f);
                m_files.push_back(std::move(owned));
            }
            record->SingleFileList = kept;
            m_records.push_back(std::move(record));
        }
    } else if (QFileInfo::exists(searchedFile)) {
        m_loadErrors << tr("The search result \"%1\" cannot be read.").arg(QStringLiteral("SearchedFile.xml"));
        ShareTools::debugMessage(QStringLiteral("Lorrimax: ") + error);
    }
    if (skippedBlocks > 0) m_loadErrors << tr("%1 unknown entries of the search result were left out.").arg(skippedBlocks);
    if (skippedFiles > 0) m_loadErrors << tr("%1 files with invalid times were left out.").arg(skippedFiles);

    for (const auto& r : m_records) {
        DownloadListEntry e;
        e.diskName = r->DiskName;
        e.deviceName = r->DeviceName;
        e.channelNumber = r->ChannelInfo.GetChannelNumber();
        e.files = r->SingleFileList;
        m_entries.append(e);
    }
    for (const QString& e : m_loadErrors) ShareTools::debugMessage(QStringLiteral("Lorrimax: ") + e);
    if (!m_downloader.IsDownloading()) SetNameParts();

    InitDownloadFiles();
    if (!m_loadErrors.isEmpty()) Warn(2000, m_loadErrors.join(QLatin1Char('\n')));
}

bool Lorrimax::LookupSaveFolder(QString* folder) const {
    CSettings* s = CSettingsStore::GetInstance()->GetValue(m_nMode == 1 ? kKeyEvidenceVideoSavePath
                                                                         : kKeyDownloadSavePath);
    if (!s) return false;
    *folder = s->GetValue();
    return true;
}

void Lorrimax::InitDownloadFiles() {
    QString folder;
    if (!LookupSaveFolder(&folder)) return;
    CheckDiskSpace(folder);

    // One row per record, numbered on across the channels, none ticked.
    m_pModel->setEntries(m_entries);
    ui.m_pAllFileLabel->setText(QStringLiteral("0"));
    FitColumnsToTexts();
    SetDownloadButtonsFromState();
}

void Lorrimax::FitColumnsToTexts() {
    // Each column is as wide as the widest text it can show: the statuses
    // with their reasons included, so that a status never needs a sideways
    // scroll and the columns do not move while a download runs.
    if (!m_pModel) return;  // not set up yet
    QTableView* view = ui.m_pFileView;
    view->ensurePolished();
    // Measured as the view's delegate measures its cells: a text in a cell
    // of a scratch model, with the options the view hands its delegate.
    const QStyleOptionViewItem option = ViewOptions::Of(view);
    QStandardItemModel scratch(1, 1);
    QStandardItem* cell = scratch.item(0, 0) ? scratch.item(0, 0) : new QStandardItem;
    if (!scratch.item(0, 0)) scratch.setItem(0, 0, cell);
    const auto textWidth = [&](const QString& text, bool check) {
        cell->setText(text);
        cell->setCheckable(check);
        if (check) cell->setCheckState(Qt::Unchecked);
        return view->itemDelegate()->sizeHint(option, scratch.index(0, 0)).width();
    };
    // Texts of numbers: the pattern with each digit in every place, the
    // digits of a font not all being alike.
    const auto anyDigits = [](const QStringList& patterns) {
        QStringList out;
        for (const QString& pattern : patterns) {
            for (char d = '0'; d <= '9'; ++d) {
                QString t = pattern;
                for (QChar& c : t)
                    if (c.isDigit()) c = QLatin1Char(d);
                out << t;
            }
        }
        return out;
    };
    QVector<QStringList> texts(BatchFileModel::ColumnCount);
    texts[BatchFileModel::NumberColumn] = anyDigits({QString::number(std::max(m_pModel->rowCount(), 1))});
    texts[BatchFileModel::DiskColumn] = m_pModel->diskTexts();
    QSet<int> channels;
    for (const DownloadListEntry& e : m_entries) channels.insert(e.channelNumber);
    for (int c : channels) texts[BatchFileModel::ChannelColumn] << QString::number(c);
    texts[BatchFileModel::StartColumn] = anyDigits({RowTimeText(0)});
    texts[BatchFileModel::EndColumn] = texts[BatchFileModel::StartColumn];
    texts[BatchFileModel::SizeColumn] = anyDigits(m_pModel->widestSizeTexts());
    texts[BatchFileModel::StatusColumn] = StatusTexts();
    QHeaderView* header = view->horizontalHeader();
    int total = 0;
    for (int c = 0; c < BatchFileModel::ColumnCount; ++c) {
        int width = header->sectionSizeHint(c);
        // A cell is its column less the grid line.
        const int grid = view->showGrid() ? 1 : 0;
        for (const QString& t : texts[c])
            width = std::max(width, textWidth(t, c == BatchFileModel::NumberColumn) + grid);
        header->resizeSection(c, width);
        total += width;
    }
    // The window takes the width of the table (with its frame and a scroll
    // bar) and of what lies around it, at least kMinimumWidth. (Some 900
    // pixels in all: any screen the programs are made for has them.)
    if (layout()) layout()->activate();
    const int around = width() - view->viewport()->width() +
                       (view->verticalScrollBar()->isVisible() ? 0 : view->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    setFixedWidth(std::max(kMinimumWidth, total + around));
}

void Lorrimax::SetDownloadButtonsFromState() {
    const bool idle = !m_downloader.IsDownloading();
    ui.m_pDownloadBtn->setEnabled(idle);
    ui.savePathBtn->setEnabled(idle);
}

void Lorrimax::OnUpdateDownloadBtnState() { SetDownloadButtonsFromState(); }

void Lorrimax::OnSelectFileSizeChanged() {
    const uint64_t total =
        ui.m_pDownloadTabWidget->currentIndex() == 1 ? TimePeriodsSize() : SelectedFilesSize();
    ui.m_pAllFileLabel->setText(FormatFileSize(total));
    m_nSelectedSize = total;
    SetDownloadButtonsFromState();
}

void Lorrimax::onTabOne() {
    ui.m_pDownloadTabWidget->setCurrentIndex(0);
    ui.tab1Btn->setChecked(true);
    ui.tab2Btn->setChecked(false);
    OnSelectFileSizeChanged();
}

void Lorrimax::onTabTwo() {
    ui.m_pDownloadTabWidget->setCurrentIndex(1);
    ui.tab2Btn->setChecked(true);
    ui.tab1Btn->setChecked(false);
    OnSelectFileSizeChanged();
}

void Lorrimax::onChangeFilePath() {}

void Lorrimax::onAllCheckedStateChanged() {
    for (QCheckBox* b : m_channelBoxes)
        disconnect(b, &QCheckBox::stateChanged, this, &Lorrimax::onSigleCheckedStateChanged);
    const bool on = ui.checkBox->checkState() != Qt::Unchecked;
    if (on) ui.checkBox->setCheckState(Qt::Checked);
    for (QCheckBox* b : m_channelBoxes) b->setChecked(on);
    for (QCheckBox* b : m_channelBoxes)
        LORRIMAX_CONNECT(b, &QCheckBox::stateChanged, this, &Lorrimax::onSigleCheckedStateChanged);
}

void Lorrimax::onSigleCheckedStateChanged() {
    disconnect(ui.checkBox, &QCheckBox::stateChanged, this, &Lorrimax::onAllCheckedStateChanged);
    int checked = 0;
    for (QCheckBox* b : m_channelBoxes)
        if (b->isChecked()) ++checked;
    ui.checkBox->setCheckState(checked == 0 ? Qt::Unchecked
                                            : checked == m_channelBoxes.size() ? Qt::Checked : Qt::PartiallyChecked);
    LORRIMAX_CONNECT(ui.checkBox, &QCheckBox::stateChanged, this, &Lorrimax::onAllCheckedStateChanged);
}

void Lorrimax::OnGetFiles(QString text) { m_currentFile = text; }

void Lorrimax::OnStopDonload() {
    m_downloader.StopDownload(false);
    m_pCheckTimer->stop();
}

void Lorrimax::OnDownLoadCheck() {
    ShowRowProgress();
    QString folder;
    if (!LookupSaveFolder(&folder)) return;
    CheckDiskSpace(folder);
}

void Lorrimax::ShowRowProgress() {
    // 100 only once the file is finished.
    const auto percentOf = [](uint64_t done, uint64_t size) { return int(std::min<uint64_t>(size ? done * 100 / size : 0, 99)); };
    if (m_bByTime != 0) {
        if (m_timeJob >= m_timeJobs.size() || !m_downloader.IsDownloading()) return;
        SetTimeJobStatus(m_timeJob, BatchFileModel::Downloading, int(std::min<uint32_t>(m_downloader.GetTotalProgress(), 99)));
        return;
    }
    if (m_downloadingIndex < 0 || m_downloadingIndex >= m_downloadRows.size()) return;
    const int row = m_downloadRows[m_downloadingIndex];
    const APT_QMR::CSingleFile* file = m_pModel->file(row);
    m_pModel->setStatus(row, BatchFileModel::Downloading,
                        percentOf(m_downloader.CurrentFileBytes(), file ? file->FileSize : 0));
}

void Lorrimax::SetRowStatus(int row, BatchFileModel::Status status, const QString& reason) {
    m_pModel->setStatus(row, status, 0, reason);
    if (status != BatchFileModel::Waiting && status != BatchFileModel::Downloading) m_pModel->setChecked(row, false);
}

// --- starting -----------------------------------------------------------------

bool Lorrimax::IsSafeFolderName(const QString& name) {
    static const QString kBad = QStringLiteral("/\\:*?\"<>|");
    for (const QChar c : name)
        if (kBad.contains(c) || c.unicode() < 0x20) return false;
    // "." and ".." (and any name made of dots only) would leave the folder.
    if (!name.isEmpty() && name.count(QLatin1Char('.')) == name.size()) return false;
    return true;
}

void Lorrimax::OnDownLoad() {
    const QString name = ui.lineEdit->text().trimmed();
    ui.m_pDownloadBtn->setFocus();
    // The downloader reads its sub-folder while it works: change it only
    // when it is idle.
    if (m_downloader.IsDownloading()) return;
    if (!IsSafeFolderName(name)) {
        Warn(2000, tr("The folder name must not contain \\ / : * ? \" < > | or be only dots."));
        return;
    }
    m_subFolder = name;
    m_downloader.SetSavePath(m_subFolder);

    m_fileNotices.clear();
    m_failedRows = 0;
    m_incompleteRows = 0;
    m_completedRows = 0;
    m_batchRows.clear();
    m_timeJobs.clear();
    m_timeJob = 0;
    m_failureLines.clear();
    m_downloadingIndex = -1;
    emit SignalBeginDownLoad();
    for (Period& p : m_periods) p.bar->setValue(0);
    if (checkTimePeriods()) return;
    if (m_nSelectedSize == 0) {
        Warn(2500, tr("No file to download."));
        return;
    }
    QString folder;
    if (!LookupSaveFolder(&folder)) return;
    if (CheckDiskSpace(folder) == 2) {
        Warn(2500, tr("At least 2G disk space is need."));
        return;
    }
    m_downloader.SetDiskKind(m_bDiskKind ? 1 : 0);
    m_nStartPage = ui.m_pDownloadTabWidget->currentIndex();
    StartDownload();
}

bool Lorrimax::checkTimePeriods() {
    QVector<QPair<qint64, qint64>> spans;
    for (int i = 0; i < 4; ++i) {
        const Period& p = m_periods[i];
        if (!p.box->isChecked()) continue;
        const qint64 s = p.begin->dateTime().toSecsSinceEpoch();
        const qint64 e = p.end->dateTime().toSecsSinceEpoch();
        if (s >= e) {
            onTabTwo();
            Warn(2000, tr("The segment") + QStringLiteral(" %1, ").arg(i + 1) +
                           tr("the start time should be earlier than end time."));
            return true;
        }
        spans.append(qMakePair(s, e));
    }
    for (int p = 0; p < spans.size(); ++p) {
        for (int q = 0; q < spans.size(); ++q) {
            if (p == q) continue;
            const auto in = [&](qint64 t) { return t >= spans[p].first && t <= spans[p].second; };
            if (in(spans[q].first) || in(spans[q].second)) {
                onTabTwo();
                Warn(2000, tr("The time cross."));
                return true;
            }
        }
    }
    return false;
}

int Lorrimax::CheckDiskSpace(const QString& folder) {
    // The free space of the file system that holds the folder (drive paths
    // such as "D:/Video" go through the drive table).
    uint64_t freeBytes = 0;
    if (!GetFreeDiskBytes(folder, &freeBytes, nullptr)) freeBytes = 0;
    ui.m_pHardSpaceLabel->setText(FormatFileSize(freeBytes));
    return freeBytes >= kMinFreeBytes ? 0 : 2;
}

bool Lorrimax::HeaderChecked() const {
    return m_pModel->headerData(0, Qt::Horizontal, Qt::CheckStateRole).toInt() != 0;
}

bool Lorrimax::HasSelection() const {
    if (HeaderChecked()) return true;
    for (const Period& p : m_periods)
        if (p.box->isChecked()) return true;
    return false;
}

void Lorrimax::StartDownload() {
    if (m_nStartPage == 0 && HeaderChecked()) DownloadByFile();
    if (m_nStartPage == 1) {
        for (const Period& p : m_periods) {
            if (p.box->isChecked()) {
                DownloadByTime();
                break;
            }
        }
    }
}

void Lorrimax::DownloadByFile() {
    m_bByTime = 0;
    m_downloadRows.clear();
    std::vector<APT_QMR::CSingleFile*> files;
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        if (!m_pModel->isChecked(row)) continue;
        files.push_back(m_pModel->file(row));
        m_downloadRows.append(row);
        m_batchRows.insert(row);
    }
    m_downloadingIndex = -1;
    auto* param = new APT_QMR::CStreamDownloaderParam(0);
    m_downloader.SetDiskKind(m_bDiskKind ? 1 : 0);
    if (!m_downloader.SetParam(param)) {
        delete param;
        return;
    }
    while (!files.empty()) {
        if (m_downloader.DownloadByFile(files, {}, {})) {
            m_pCheckTimer->start(1000);
            return;
        }
        // The first file could not be started: that row failed, the rest
        // go on without it.
        MarkFailedRow(m_downloadRows.first(), m_downloader.LastFailure());
        m_downloadRows.removeFirst();
        files.erase(files.begin());
    }
    EndDownload();
    AnnounceEnd();
    EnableStart();
}

QStringList Lorrimax::FailureReasons() { return {tr("folder not writable"), tr("recording missing"), tr("disk full")}; }

QStringList Lorrimax::StatusTexts() {
    using M = BatchFileModel;
    QStringList out = {M::StatusText(M::Waiting), M::StatusText(M::Downloading, 100), M::StatusText(M::Completed),
                       M::StatusText(M::Incomplete), M::StatusText(M::Stopped), M::StatusText(M::Failed)};
    for (const QString& reason : FailureReasons()) out << M::StatusText(M::Failed, 0, reason);
    return out;
}

QString Lorrimax::FailureReason(APT_QMR::DownloadFailure failure) {
    switch (failure) {
    case APT_QMR::FailureOutputNotWritable:
        return tr("folder not writable");
    case APT_QMR::FailureRecordingUnreadable:
        return tr("recording missing");
    case APT_QMR::FailureDiskSpaceLow:
        return tr("disk full");
    case APT_QMR::FailureOutputWrite: {
        // Writing stopped: for want of space, or the folder took no more.
        QString folder;
        uint64_t freeBytes = 0;
        if (LookupSaveFolder(&folder) && GetFreeDiskBytes(folder, &freeBytes, nullptr) && freeBytes >= kMinFreeBytes)
            return tr("folder not writable");
        return tr("disk full");
    }
    default:
        return QString();
    }
}

void Lorrimax::MarkFailedRow(int row, APT_QMR::DownloadFailure failure) {
    const QString reason = FailureReason(failure);
    SetRowStatus(row, BatchFileModel::Failed, reason);
    ++m_failedRows;
    if (const APT_QMR::CSingleFile* f = m_pModel->file(row))
        m_failureLines << FailureLine(m_pModel->channel(row), time_t(f->StartTime), time_t(f->EndTime), reason);
}

QString Lorrimax::FailureLine(int channel, time_t start, time_t end, const QString& reason) const {
    return tr("Channel %1, %2 - %3: %4")
        .arg(channel)
        .arg(RowTimeText(uint32_t(start)), RowTimeText(uint32_t(end)),
             reason.isEmpty() ? BatchFileModel::StatusText(BatchFileModel::Failed) : reason);
}

void Lorrimax::AnnounceFile() {
    m_fileNotices.tell(this, m_currentFile, APT_QMR::CStreamDownloader::FileNotice(m_currentFile));
}

void Lorrimax::AnnounceEnd(bool stopped) {
    // A stop leaves the file it met as an incomplete one, or nothing of it.
    const bool keptPartial = stopped && APT_QMR::CStreamDownloader::IsIncompleteFile(m_currentFile);
    const int incomplete = m_incompleteRows + (keptPartial ? 1 : 0);
    if (!stopped && m_failedRows == 0 && incomplete == 0) {
        // Each file was told when it was done: only one not told yet is.
        AnnounceFile();
        return;
    }
    int total = 0;
    if (m_bByTime == 0) {
        total = m_batchRows.size();
    } else {
        for (const TimeJob& job : m_timeJobs) total += job.outputs;
    }
    total = std::max(total, m_completedRows + m_failedRows + incomplete);
    QString text = tr("%1 of %2 files downloaded completely.").arg(m_completedRows).arg(total);
    if (m_failedRows > 0) text += QLatin1Char('\n') + tr("Failed: %1.").arg(m_failedRows);
    if (incomplete > 0) text += QLatin1Char('\n') + tr("Incomplete: %1.").arg(incomplete);
    // Each failed file with why, as far as a notice can hold them; the
    // others are marked in the tables.
    const int listed = std::min(int(m_failureLines.size()), kFailuresListed);
    for (int i = 0; i < listed; ++i) text += QLatin1Char('\n') + m_failureLines[i];
    if (m_failureLines.size() > listed)
        text += QLatin1Char('\n') + tr("%1 more failed files: their status in the table says why.").arg(m_failureLines.size() - listed);
    if (keptPartial) text += QLatin1Char('\n') + APT_QMR::CStreamDownloader::FileNotice(m_currentFile);
    ShowNotice(text, false, false, true);
}

std::vector<APT_QMR::CSingleFile*> Lorrimax::CheckedChannelRecords() const {
    const QVector<int> channels = GetCheckedChannels();
    std::vector<APT_QMR::CSingleFile*> list;
    for (const DownloadListEntry& e : m_entries)
        for (APT_QMR::CSingleFile* f : e.files)
            if (f && channels.contains(f->ChannelNumber)) list.push_back(f);
    return list;
}

QVector<int> Lorrimax::GetCheckedChannels() const {
    QVector<int> out;
    for (int i = 0; i < m_channelBoxes.size(); ++i)
        if (m_channelBoxes[i]->isChecked()) out.append(i + 1);
    return out;
}

void Lorrimax::DownloadByTime() {
    m_downloader.StopDownload(false);
    m_pCheckTimer->stop();
    m_bByTime = 1;
    m_downloader.SetDiskKind(m_bDiskKind ? 1 : 0);
    PlanTimeJobs();
    FillTimeJobTable();
    if (m_timeJobs.empty()) {
        Warn(2500, tr("No file to download."));
        return;
    }
    StartNextTimeJob();
}

void Lorrimax::PlanTimeJobs() {
    m_timeJobs.clear();
    m_timeJob = 0;
    for (bool& failed : m_periodFailed) failed = false;
    const QVector<int> channels = GetCheckedChannels();
    for (int i = 0; i < 4; ++i) {
        Period& p = m_periods[i];
        if (!p.box->isChecked()) continue;
        const time_t s = time_t(p.begin->dateTime().toSecsSinceEpoch());
        const time_t e = time_t(p.end->dateTime().toSecsSinceEpoch());
        if (!HasFilesInSpan(p.begin->dateTime(), p.end->dateTime())) {
            p.box->setChecked(false);
            continue;
        }
        if (s >= e || s < 0) continue;
        // One file per channel: only that channel's records, in time order,
        // so the file holds one time line and ends where its content ends.
        for (int ch : channels) {
            TimeJob job;
            job.period = i;
            job.channel = ch;
            job.start = s;
            job.end = e;
            for (const DownloadListEntry& entry : m_entries)
                for (APT_QMR::CSingleFile* f : entry.files)
                    if (f && f->ChannelNumber == ch && time_t(f->EndTime) > s && time_t(f->StartTime) < e)
                        job.files.push_back(f);
            if (job.files.empty()) continue;
            std::stable_sort(job.files.begin(), job.files.end(),
                             [](const APT_QMR::CSingleFile* a, const APT_QMR::CSingleFile* b) {
                                 return a->StartTime < b->StartTime;
                             });
            if (m_nMode == 1) {
                // One file per recording of the channel's time line.
                job.outputs = 0;
                for (const auto& part : OneTimeLine(job.files))
                    if (part && time_t(part->EndTime) > s && time_t(part->StartTime) < e) ++job.outputs;
                job.outputs = std::max(job.outputs, 1);
            }
            PrepareOutputFolder(s, e, QStringLiteral("%1").arg(ch, 2, 10, QLatin1Char('0')), m_nMode);
            m_timeJobs.push_back(std::move(job));
        }
    }
}

void Lorrimax::StartNextTimeJob() {
    while (m_timeJob < m_timeJobs.size()) {
        const TimeJob& job = m_timeJobs[m_timeJob];
        m_jobFilesDone = 0;
        m_jobFilesIncomplete = 0;
        // The paths reported from here on are this channel's.
        m_currentFile.clear();
        auto* param = new APT_QMR::CStreamDownloaderParam(0);
        if (!m_downloader.SetParam(param)) {
            delete param;
            return;   // a download runs: its end goes on from here
        }
        if (m_downloader.DownloadByTime(job.files, job.start, job.end)) {
            SetTimeJobStatus(m_timeJob, BatchFileModel::Downloading, 0);
            m_pCheckTimer->start(1000);
            return;
        }
        // This channel's file could not be started: it alone fails.
        FailTimeJob(m_downloader.LastFailure());
    }
    EndDownload();
    AnnounceEnd();
    EnableStart();
}

void Lorrimax::FillTimeJobTable() {
    m_pTimeJobModel->removeRows(0, m_pTimeJobModel->rowCount());
    for (const TimeJob& job : m_timeJobs) {
        QList<QStandardItem*> row;
        for (const QString& text : {m_periods[job.period].box->text(), QString::number(job.channel),
                                    RowTimeText(uint32_t(job.start)), RowTimeText(uint32_t(job.end)),
                                    BatchFileModel::StatusText(BatchFileModel::Waiting)}) {
            auto* item = new QStandardItem(text);
            item->setEditable(false);
            row << item;
        }
        m_pTimeJobModel->appendRow(row);
    }
}

void Lorrimax::SetTimeJobStatus(size_t job, BatchFileModel::Status status, int percent, const QString& reason) {
    if (job >= size_t(m_pTimeJobModel->rowCount())) return;
    if (QStandardItem* item = m_pTimeJobModel->item(int(job), 4))
        item->setText(BatchFileModel::StatusText(status, percent, reason));
}

void Lorrimax::CountTimeJobFiles() {
    if (m_nMode == 1) {
        m_completedRows += m_jobFilesDone;
        m_incompleteRows += m_jobFilesIncomplete;
    }
    m_jobFilesDone = 0;
    m_jobFilesIncomplete = 0;
}

void Lorrimax::CloseTimeJob(bool complete) {
    if (m_timeJob >= m_timeJobs.size()) return;
    const int period = m_timeJobs[m_timeJob].period;
    if (!complete) m_periodFailed[period] = true;
    ++m_timeJob;
    // A period is done once all its channels are: unchecked when every file
    // of it is complete, else left checked to be tried again.
    const bool lastOfPeriod = m_timeJob >= m_timeJobs.size() || m_timeJobs[m_timeJob].period != period;
    if (lastOfPeriod && !m_periodFailed[period]) m_periods[period].box->setChecked(false);
}

void Lorrimax::FailTimeJob(APT_QMR::DownloadFailure failure) {
    if (m_timeJob >= m_timeJobs.size()) return;
    const TimeJob& job = m_timeJobs[m_timeJob];
    CountTimeJobFiles();
    ++m_failedRows;
    const QString reason = FailureReason(failure);
    // A recording the downloader had to leave out is the one named.
    const std::shared_ptr<const APT_QMR::CSingleFile> leftOut = m_downloader.LeftOutRecording();
    QString line = leftOut ? FailureLine(job.channel, time_t(leftOut->StartTime), time_t(leftOut->EndTime), reason)
                           : FailureLine(job.channel, job.start, job.end, reason);
    // What a failure in the middle kept of the file says where it ends.
    if (APT_QMR::CStreamDownloader::IsIncompleteFile(m_currentFile))
        line += QLatin1Char('\n') + APT_QMR::CStreamDownloader::FileNotice(m_currentFile);
    m_failureLines << line;
    SetTimeJobStatus(m_timeJob, BatchFileModel::Failed, 0, reason);
    m_currentFile.clear();
    CloseTimeJob(false);
}

bool Lorrimax::HasFilesInSpan(const QDateTime& start, const QDateTime& end) const {
    for (const DownloadListEntry& e : m_entries) {
        for (APT_QMR::CSingleFile* f : e.files) {
            if (!f) continue;
            const QDateTime rs = RecorderDateTime(f->StartTime);
            const QDateTime re = RecorderDateTime(f->EndTime);
            if ((start >= rs && start <= re) || (end >= rs && end <= re) || (start <= rs && end >= re)) return true;
        }
    }
    return false;
}

bool Lorrimax::PrepareOutputFolder(time_t, time_t, const QString&, int mode) {
    // A file of the span's name from before stays: the downloader writes
    // beside it under a name of its own.
    if (mode == 1) return false;
    CSettings* s = CSettingsStore::GetInstance()->GetValue(kKeyDownloadSavePath);
    const QString folder = s ? s->GetValue() : QStringLiteral("C:/");
    const QString dir = (folder.endsWith('\\') || folder.endsWith('/')) ? folder + m_subFolder + "/"
                                                                         : folder + "/" + m_subFolder + "/";
    CreateDirectoryPath(dir.toLocal8Bit().toStdString());
    return true;
}

// --- sizes --------------------------------------------------------------------

uint64_t Lorrimax::SelectedFilesSize() const { return m_pModel->checkedSize(); }

uint64_t Lorrimax::TimePeriodsSize() {
    const std::vector<APT_QMR::CSingleFile*> list = CheckedChannelRecords();
    uint64_t total = 0;
    for (const Period& p : m_periods)
        if (p.box->isChecked())
            total += EstimateSpanSize(time_t(p.begin->dateTime().toSecsSinceEpoch()),
                                      time_t(p.end->dateTime().toSecsSinceEpoch()), list);
    return total;
}

uint64_t Lorrimax::EstimateSpanSize(time_t a, time_t b, const std::vector<APT_QMR::CSingleFile*>& files) {
    ZUN_Guard guard(m_sizeLock);
    if (b < a) return 0;
    uint64_t total = 0;
    const auto round = [](double x) { return static_cast<uint64_t>(x + 0.5); };
    for (const APT_QMR::CSingleFile* f : files) {
        if (!f) continue;
        const double c = f->StartTime, d = f->EndTime, s = f->FileSize;
        if (d < c) continue;
        const double da = double(a), db = double(b);
        if (c < da) {
            if (da >= d) continue;
            total += round((std::min(d, db) - da + 1) / (d - c + 1) * s);
        } else {
            if (c >= db) continue;
            if (d < db)
                total += f->FileSize;
            else
                total += round((db - c + 1) / (d - c + 1) * s);
        }
    }
    return total;
}

// --- downloader events --------------------------------------------------------

void Lorrimax::SetBusy(bool busy) {
    ui.m_pFileView->setEnabled(!busy);
    for (Period& p : m_periods) {
        p.box->setEnabled(!busy);
        p.begin->setEnabled(!busy && p.box->isChecked());
        p.end->setEnabled(!busy && p.box->isChecked());
    }
    ui.checkBox->setEnabled(!busy);
    for (QCheckBox* b : m_channelBoxes) b->setEnabled(!busy);
    ui.m_pStopBtn->setEnabled(busy);
}

void Lorrimax::EndDownload() {
    m_pCheckTimer->stop();
    SetBusy(false);
    OnUpdateDownloadBtnState();
}

void Lorrimax::EnableStart() {
    ui.m_pDownloadBtn->setEnabled(true);
    ui.savePathBtn->setEnabled(true);
}

void Lorrimax::ShowNotice(const QString& text, bool isPath, bool stay, bool autoClose) {
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(text, this, isPath, stay, autoClose);
}

void Lorrimax::Warn(int displayMs, const QString& text) {
    ziraz::WarningDialog::showWarningDialog(displayMs, 2, text, this, nullptr, nullptr, m_icons, QSize(310, 120));
}

void Lorrimax::OnPlaybackRemoteEvent(int code, int index, int /*value*/) {
    const bool byFile = m_bByTime == 0;
    const bool validIndex = index != -1 && index >= 0 && index < m_downloadRows.size();
    const int row = validIndex ? m_downloadRows[index] : -1;
    if (byFile && validIndex && index == m_downloadingIndex && code != APT_QMR::DownloadNextFile)
        m_downloadingIndex = -1;
    switch (code) {
    case APT_QMR::DownloadStarted:
        SetBusy(true);
        OnUpdateDownloadBtnState();
        ui.m_pDownloadBtn->setEnabled(false);
        ui.savePathBtn->setEnabled(false);
        break;
    case APT_QMR::DownloadStopped:
        EndDownload();
        if (byFile) {
            if (validIndex) SetRowStatus(row, BatchFileModel::Stopped);
        } else {
            SetTimeJobStatus(m_timeJob, BatchFileModel::Stopped);
            CountTimeJobFiles();
        }
        AnnounceEnd(true);
        EnableStart();
        break;
    case APT_QMR::DownloadAllDone: {
        if (!byFile) {
            // This channel's file is done; the next one follows.
            const bool complete = m_jobFilesIncomplete == 0;
            SetTimeJobStatus(m_timeJob, complete ? BatchFileModel::Completed : BatchFileModel::Incomplete);
            if (m_nMode == 1) {
                CountTimeJobFiles();
            } else {
                (complete ? m_completedRows : m_incompleteRows) += 1;
                m_jobFilesDone = m_jobFilesIncomplete = 0;
                // One file for the channel and period: announced once done.
                AnnounceFile();
            }
            CloseTimeJob(complete);
            m_pCheckTimer->stop();
            StartNextTimeJob();
            return;
        }
        EndDownload();
        bool more = false;
        // Rows of this batch that are still ticked were not finished:
        // mark them, so only rows ticked since start a new round.
        const QSet<int> handed(m_downloadRows.begin(), m_downloadRows.end());
        for (int r = 0; r < m_pModel->rowCount(); ++r) {
            if (!m_pModel->isChecked(r)) continue;
            if (handed.contains(r)) {
                MarkFailedRow(r);
            } else {
                more = true;
            }
        }
        if (more && HasSelection()) {
            StartDownload();
            return;
        }
        AnnounceEnd();
        EnableStart();
        break;
    }
    case APT_QMR::DownloadFailed:
        if (!byFile) {
            // Only this channel's file failed: the others go on.
            m_pCheckTimer->stop();
            FailTimeJob(m_downloader.LastFailure());
            StartNextTimeJob();
            return;
        }
        // By file, the failed row is marked and the rest of the batch goes
        // on (the dialog stays busy meanwhile).
        if (validIndex) {
            MarkFailedRow(row, m_downloader.LastFailure());
            if (HasCheckedRowOfBatch()) {
                DownloadByFile();
                return;
            }
        }
        EndDownload();
        AnnounceEnd();
        EnableStart();
        break;
    case APT_QMR::DownloadFileIncomplete:
        if (byFile && validIndex) {
            SetRowStatus(row, BatchFileModel::Incomplete);
            ++m_incompleteRows;
        } else if (!byFile) {
            ++m_jobFilesIncomplete;
            if (m_nMode == 0) break;   // announced with the end of its channel's file
        }
        AnnounceFile();
        break;
    case APT_QMR::DownloadNextFile:
        if (byFile) {
            if (index + 1 >= 0 && index + 1 < m_downloadRows.size()) {
                m_downloadingIndex = index + 1;
                m_pModel->setStatus(m_downloadRows[index + 1], BatchFileModel::Downloading, 0);
                ui.m_pDownloadBtn->setEnabled(false);
                ui.savePathBtn->setEnabled(false);
            }
        } else {
            ui.m_pDownloadBtn->setEnabled(false);
            ui.savePathBtn->setEnabled(false);
        }
        break;
    case APT_QMR::DownloadFileDone:
        if (!byFile) {
            // A recording is in. By time in mode 0 the channel's file goes
            // on with its next recording; in mode 1 each is a file.
            ++m_jobFilesDone;
            if (m_nMode == 1) AnnounceFile();
            break;
        }
        if (!validIndex) return;
        SetRowStatus(row, BatchFileModel::Completed);
        ++m_completedRows;
        AnnounceFile();
        break;
    case APT_QMR::DownloadDiskSpaceLow:
        EndDownload();
        ziraz::WarningDlg::ShowMessageInfo(tr("Error"), tr("Disk space is not enough. At least 2G disk space is need."),
                                           this);
        if (byFile) {
            // The row stays ticked: it can go again once there is room.
            if (validIndex) m_pModel->setStatus(row, BatchFileModel::Failed, 0, FailureReason(APT_QMR::FailureDiskSpaceLow));
        } else {
            // The drive is full for every file still to come: the round ends
            // here, the periods not done stay checked.
            FailTimeJob(APT_QMR::FailureDiskSpaceLow);
            m_timeJob = m_timeJobs.size();
        }
        EnableStart();
        break;
    default:
        break;
    }
}

bool Lorrimax::HasCheckedRowOfBatch() const {
    for (int row : m_downloadRows)
        if (m_pModel->isChecked(row)) return true;
    return false;
}

void Lorrimax::showEvent(QShowEvent* event) {
    ziraz::BaseDialog::showEvent(event);
    FitColumnsToTexts();
}

void Lorrimax::changeEvent(QEvent* event) {
    ziraz::BaseDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) FitColumnsToTexts();
}

void Lorrimax::closeEvent(QCloseEvent* event) {
    if (m_downloader.IsDownloading()) {
        Warn(2000, tr("Downloading, please wait or stop."));
        event->ignore();
        return;
    }
    event->accept();
    ExitFunction()(0);
}
