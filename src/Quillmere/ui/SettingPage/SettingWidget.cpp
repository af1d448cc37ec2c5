// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingWidget.h"

#include <QAction>
#include <QStyle>

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIntValidator>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSaveFile>
#include <QSize>
#include <cmath>
#include <set>
#include <string>

#include "storage/CommonHelpers.h"
#include "common/MapKeyHolder.h"
#include "SettingWidgetForm.h"
#include "storage/SetupCipher.h"
#include "common/TipDialog.h"
#include "ziraz/dialogs.h"
#include "ziraz/sharetools.h"
#include "ziraz/ziraz.h"

namespace {

const int kMaxPathLength = 128;
const char kDefaultFolder[] = "C:/";
const char kNamePattern[] = "^[A-Za-z0-9_]+$";

SettingWidget::PathChooser& PathChooserSlot() {
    static SettingWidget::PathChooser chooser;
    return chooser;
}

void LogConnectFailure(int line) {
    ShareTools::debugMessage(QStringLiteral("connect failure! %1:%2 in SettingWidget::initConnect")
                                 .arg(QStringLiteral(__FILE__))
                                 .arg(line));
}

}  // namespace

SettingWidget::PathChooser SettingWidget::SetPathChooser(PathChooser chooser) {
    PathChooser old = std::move(PathChooserSlot());
    PathChooserSlot() = std::move(chooser);
    return old;
}

SettingWidget::SettingWidget(QWidget* parent) : ziraz::Widget(parent), ui(new Ui::SettingWidget) {
    ui->setupUi(this);
    initUi();
    initConnect();

    // One slot per key id, each the store's first entry of that key: the
    // store's own order is whatever the file had, so it is not indexed.
    std::vector<CSettings*> all;
    CSettingsStore::GetInstance()->GetAll(all);
    m_storedSettings.assign(kSettingKeyCount, nullptr);
    for (int id = 0; id < kSettingKeyCount; ++id) {
        const QString key = SettingKeyName(id);
        for (CSettings* entry : all) {
            if (entry && entry->GetKey() == key) {
                m_storedSettings[id] = entry;
                break;
            }
        }
    }

    loadSettings();

    m_editedSettings.assign(m_storedSettings.size(), nullptr);
    for (size_t i = 0; i < m_storedSettings.size(); ++i) {
        if (m_storedSettings[i]) m_editedSettings[i] = new CSettings(*m_storedSettings[i]);
    }

    m_iconList << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
               << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
               << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");
}

SettingWidget::~SettingWidget() {
    for (CSettings* entry : m_editedSettings) delete entry;
    // Entries the loaders made that never reached the store are ours.
    std::vector<CSettings*> all;
    CSettingsStore::GetInstance()->GetAll(all);
    const std::set<CSettings*> inStore(all.begin(), all.end());
    std::set<CSettings*> ours;
    for (CSettings* entry : m_storedSettings) {
        if (entry && !inStore.count(entry)) ours.insert(entry);
    }
    for (CSettings* entry : ours) delete entry;
    delete ui;
}

void SettingWidget::setPictureSavePath(const QString& path) { ui->picSavePahtLineEdit->setText(path); }
void SettingWidget::setClipSavePath(const QString& path) { ui->clipFileSavePathEdit->setText(path); }
void SettingWidget::setDownloadSavePath(const QString& path) { ui->downLoadFileSavePathEdit->setText(path); }
void SettingWidget::setEvidenceVideoSavePath(const QString& path) { ui->evidenceVideoSavePathLineEdit->setText(path); }
void SettingWidget::setEvidencePictureSavePath(const QString& path) { ui->evidencePicSavePahtLineEdit->setText(path); }

void SettingWidget::initUi() {
    ui->decodeFrameTypeComboBox->addItem(tr("Normal Decode"));
    ui->decodeFrameTypeComboBox->addItem(tr("Four Speed Key Frame"));
    ui->decodeFrameTypeComboBox->addItem(tr("Eight Speed Key Frame"));
    ui->decodeFrameTypeComboBox->addItem(tr("Sixteen Speed Key Frame"));
    ui->speedUnitComboBox->addItem(tr("km/h"));
    ui->speedUnitComboBox->addItem(tr("mile/h"));

    QLineEdit* pathEdits[] = {ui->picSavePahtLineEdit,           ui->clipFileSavePathEdit,
                              ui->downLoadFileSavePathEdit,      ui->evidenceVideoSavePathLineEdit,
                              ui->evidencePicSavePahtLineEdit,   ui->voiceEdit};
    for (QLineEdit* edit : pathEdits) {
        edit->setMaxLength(kMaxPathLength);
        edit->setReadOnly(true);
        edit->setContextMenuPolicy(Qt::NoContextMenu);
    }
    // The voice file may be cleared: an empty field plays the program's own alarm sound.
    QAction* clearVoice =
        ui->voiceEdit->addAction(style()->standardIcon(QStyle::SP_LineEditClearButton), QLineEdit::TrailingPosition);
    clearVoice->setObjectName(QStringLiteral("clearVoiceAction"));
    clearVoice->setToolTip(tr("Use the default alarm sound"));
    clearVoice->setVisible(!ui->voiceEdit->text().isEmpty());
    connect(clearVoice, &QAction::triggered, ui->voiceEdit, &QLineEdit::clear);
    connect(ui->voiceEdit, &QLineEdit::textChanged, clearVoice,
            [clearVoice](const QString& text) { clearVoice->setVisible(!text.isEmpty()); });
    ui->mapKeyLineEdit->setMaxLength(kMaxPathLength);

    ui->speedEdit->setValidator(new QIntValidator(1, 999, ui->speedEdit));
    const QRegularExpression names{QString::fromLatin1(kNamePattern)};
    ui->secretKeyEdit->setValidator(new QRegularExpressionValidator(names, ui->secretKeyEdit));
    ui->mapKeyLineEdit->setValidator(new QRegularExpressionValidator(names, ui->mapKeyLineEdit));
    ui->m_pChannelNumberLineEdit->setValidator(new QIntValidator(1, 16, ui->m_pChannelNumberLineEdit));
}

void SettingWidget::initConnect() {
    struct Link {
        QAbstractButton* button;
        void (SettingWidget::*slot)();
    };
    const Link links[] = {
        {ui->savePicBtn, &SettingWidget::onSavePicture},
        {ui->clipFileSaveBtn, &SettingWidget::onSaveClipVedio},
        {ui->downLoadFileSaveBtn, &SettingWidget::onSaveDownloadVedio},
        {ui->evidenceVideoSaveBtn, &SettingWidget::onSaveEvidenceVideo},
        {ui->evidencePicSavePahtBtn, &SettingWidget::onSaveEvidencePicture},
        {ui->voiceSaveBtn, &SettingWidget::onSaveVoiceFilePath},
    };
    for (const Link& link : links) {
        if (!connect(link.button, &QAbstractButton::clicked, this, link.slot)) LogConnectFailure(__LINE__);
    }
    if (!connect(ui->saveBtn, &QAbstractButton::clicked, this, [this]() { onSave(); })) LogConnectFailure(__LINE__);
    if (!connect(ui->speedUnitComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                 &SettingWidget::onSpeedUnitChanged))
        LogConnectFailure(__LINE__);
    if (!connect(ui->osmRadioBtn, &QAbstractButton::toggled, this,
                 [this](bool) { ui->mapKeyLineEdit->setEnabled(!ui->osmRadioBtn->isChecked()); }))
        LogConnectFailure(__LINE__);
    if (!connect(ui->googlemapRadioBtn, &QAbstractButton::toggled, this,
                 [this](bool) { ui->mapKeyLineEdit->setEnabled(ui->googlemapRadioBtn->isChecked()); }))
        LogConnectFailure(__LINE__);

    m_mapTypeGroup = new QButtonGroup(this);
    m_mapTypeGroup->setExclusive(true);
    m_mapTypeGroup->addButton(ui->osmRadioBtn);
    m_mapTypeGroup->addButton(ui->googlemapRadioBtn);
    m_videoTypeGroup = new QButtonGroup(this);
    m_videoTypeGroup->setExclusive(true);
    m_videoTypeGroup->addButton(ui->psRadioBtn);
    m_videoTypeGroup->addButton(ui->mp4RadioBtn);
}

// --- loading -------------------------------------------------------------------

void SettingWidget::loadSettings() {
    loadEvidencePaths();
    loadGeneralSettings();
    loadChannelNum();
}

void SettingWidget::loadEvidencePaths() {
    loadLineEdit(ui->evidenceVideoSavePathLineEdit, 6, SettingKeyName(6), QLatin1String(kDefaultFolder));
    loadLineEdit(ui->evidencePicSavePahtLineEdit, 7, SettingKeyName(7), QLatin1String(kDefaultFolder));
}

void SettingWidget::loadGeneralSettings() {
    loadLineEdit(ui->picSavePahtLineEdit, 1, SettingKeyName(1), QLatin1String(kDefaultFolder));
    loadLineEdit(ui->clipFileSavePathEdit, 3, SettingKeyName(3), QLatin1String(kDefaultFolder));
    loadLineEdit(ui->downLoadFileSavePathEdit, 5, SettingKeyName(5), QLatin1String(kDefaultFolder));
    loadComboBox(ui->decodeFrameTypeComboBox, 8, SettingKeyName(8), 0);
    loadLineEdit(ui->secretKeyEdit, 9, SettingKeyName(9), QString());
    loadCheckBox(ui->speedAlarmCheckBox, 10, SettingKeyName(10), 0);
    loadComboBox(ui->speedUnitComboBox, 11, SettingKeyName(11), 0);
    loadLineEdit(ui->speedEdit, 12, SettingKeyName(12), QString());
    loadLineEdit(ui->voiceEdit, 13, SettingKeyName(13), QString());
    loadLineEdit(ui->mapKeyLineEdit, 14, SettingKeyName(14), QString());
    loadRadioPair(ui->osmRadioBtn, ui->googlemapRadioBtn, 16, SettingKeyName(16), 0);
    loadRadioPair(ui->psRadioBtn, ui->mp4RadioBtn, 17, SettingKeyName(17), 0);
}

void SettingWidget::loadChannelNum() {
    loadLineEdit(ui->m_pChannelNumberLineEdit, 15, SettingKeyName(15), QStringLiteral("16"));
}

CSettings* SettingWidget::storedEntry(int id) const {
    if (id < 0 || id >= static_cast<int>(m_storedSettings.size())) return nullptr;
    return m_storedSettings[id];
}

void SettingWidget::loadLineEdit(QLineEdit* edit, int id, const QString& key, const QString& defaultValue) {
    if (CSettings* entry = storedEntry(id)) {
        edit->setText(entry->GetValue());
        return;
    }
    edit->setText(defaultValue);
    m_storedSettings[id] = new CSettings(key, defaultValue);
}

void SettingWidget::loadComboBox(QComboBox* combo, int id, const QString& key, int defaultValue) {
    if (CSettings* entry = storedEntry(id)) {
        combo->setCurrentIndex(entry->GetValue().toInt(nullptr, 10));
        return;
    }
    combo->setCurrentIndex(defaultValue);
    m_storedSettings[id] = new CSettings(key, QString::number(defaultValue));
}

void SettingWidget::loadCheckBox(QCheckBox* box, int id, const QString& key, int defaultValue) {
    if (CSettings* entry = storedEntry(id)) {
        bool ok = false;
        const int state = entry->GetValue().toInt(&ok, 10);
        if (ok && state >= 0 && state <= 2) {
            box->setCheckState(static_cast<Qt::CheckState>(state));
        }
        return;
    }
    box->setCheckState(static_cast<Qt::CheckState>(defaultValue));
    m_storedSettings[id] = new CSettings(key, QString::number(defaultValue));
}

void SettingWidget::loadRadioPair(QAbstractButton* first, QAbstractButton* second, int id, const QString& key,
                                  int defaultValue) {
    int value = defaultValue;
    if (CSettings* entry = storedEntry(id)) {
        value = entry->GetValue().toInt(nullptr, 10);
    } else {
        m_storedSettings[id] = new CSettings(key, QString::number(defaultValue));
    }
    if (value != 0) {
        second->setChecked(true);
    } else {
        first->setChecked(true);
    }
}

// --- choosers ------------------------------------------------------------------

QString SettingWidget::selectDirectory(const QString& start) {
    QString result;
    if (PathChooserSlot()) {
        result = PathChooserSlot()(this, true, start, QString());
    } else {
        result = QFileDialog::getExistingDirectory(this, tr("Select Directory"), start,
                                                   QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    }
    if (result.length() > kMaxPathLength) {
        warn(tr("The file path is too long."));
        return start;
    }
    if (result.isNull()) return result;
    result = result.trimmed();
    if (!result.endsWith(QLatin1Char('/'))) result += QLatin1Char('/');
    return result;
}

QString SettingWidget::selectFile(const QString& start, const QString& filter) {
    QString result;
    if (PathChooserSlot()) {
        result = PathChooserSlot()(this, false, start, filter);
    } else {
        result = QFileDialog::getOpenFileName(this, tr("Select Directory"), start, filter);
    }
    if (result.length() > kMaxPathLength) {
        warn(tr("The file path is too long."));
        result = start;
    }
    return result;
}

void SettingWidget::revertFolder(QLineEdit* edit, int id) {
    if (CSettings* entry = storedEntry(id)) {
        edit->setText(entry->GetValue());
        return;
    }
    edit->setText(QLatin1String(kDefaultFolder));
    m_storedSettings[id] = new CSettings(SettingKeyName(id), QLatin1String(kDefaultFolder));
}

void SettingWidget::chooseFolder(QLineEdit* edit, int id, float neededGiB, const char* warning) {
    const QString start = edit->text().isEmpty() ? QStringLiteral(".") : edit->text();
    const QString folder = selectDirectory(start);
    if (folder.isNull()) return;
    if (!IsDiskSpaceLow(neededGiB, -1, folder)) {
        edit->setText(folder);
        return;
    }
    warn(tr(warning));
    revertFolder(edit, id);
}

void SettingWidget::onSavePicture() {
    chooseFolder(ui->picSavePahtLineEdit, 1, 0.5f, QT_TR_NOOP("Clip picture at least 512M disk space is need."));
}

void SettingWidget::onSaveClipVedio() {
    chooseFolder(ui->clipFileSavePathEdit, 3, 2.0f, QT_TR_NOOP("Clip video at least 2G disk space is need."));
}

void SettingWidget::onSaveDownloadVedio() {
    chooseFolder(ui->downLoadFileSavePathEdit, 5, 2.0f, QT_TR_NOOP("Download video at least 2G disk space is need."));
}

void SettingWidget::onSaveEvidenceVideo() {
    chooseFolder(ui->evidenceVideoSavePathLineEdit, 6, 2.0f,
                 QT_TR_NOOP("Evidence video at least 2G disk space is need."));
}

void SettingWidget::onSaveEvidencePicture() {
    chooseFolder(ui->evidencePicSavePahtLineEdit, 7, 0.5f,
                 QT_TR_NOOP("Evidence picture at least 512M disk space is need."));
}

void SettingWidget::onSaveVoiceFilePath() {
    const QString start = ui->voiceEdit->text().isEmpty() ? QStringLiteral(".") : ui->voiceEdit->text();
    const QString file = selectFile(start, QStringLiteral("Audio(*.wav *.mp3 *.wma)"));
    if (!file.isNull()) ui->voiceEdit->setText(file);
}

void SettingWidget::onSpeedUnitChanged(int index) {
    if (index == 0) {
        ui->speedEdit->setValidator(new QIntValidator(1, 999, ui->speedEdit));
    } else if (index == 1) {
        ui->speedEdit->setValidator(new QIntValidator(1, 620, ui->speedEdit));
    }
}

// --- comparing and saving --------------------------------------------------------

bool SettingWidget::isSettingsChanged() {
    auto put = [this](int id, const QString& value) {
        if (id < static_cast<int>(m_editedSettings.size()) && m_editedSettings[id]) {
            m_editedSettings[id]->SetValue(value);
        }
    };
    put(6, ui->evidenceVideoSavePathLineEdit->text());
    put(7, ui->evidencePicSavePahtLineEdit->text());
    put(1, ui->picSavePahtLineEdit->text());
    put(3, ui->clipFileSavePathEdit->text());
    put(5, ui->downLoadFileSavePathEdit->text());
    put(8, QString::number(ui->decodeFrameTypeComboBox->currentIndex()));
    put(9, ui->secretKeyEdit->text());
    put(10, QString::number(static_cast<int>(ui->speedAlarmCheckBox->checkState())));
    put(11, QString::number(ui->speedUnitComboBox->currentIndex()));
    put(12, ui->speedEdit->text());
    put(13, ui->voiceEdit->text());
    put(14, ui->mapKeyLineEdit->text().trimmed());
    put(15, ui->m_pChannelNumberLineEdit->text().trimmed());
    put(16, ui->osmRadioBtn->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    put(17, ui->psRadioBtn->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));

    for (size_t i = 0; i < m_storedSettings.size(); ++i) {
        const CSettings* stored = m_storedSettings[i];
        const CSettings* edited = i < m_editedSettings.size() ? m_editedSettings[i] : nullptr;
        if (!stored && !edited) continue;
        if (!stored || !edited) return true;
        if (stored->GetValue() != edited->GetValue()) return true;
        if (stored->GetKey() != edited->GetKey()) return true;
    }
    return false;
}

bool SettingWidget::isDecodeFrameTypeChanged() {
    const CSettings* stored = storedEntry(8);
    return !stored || QString::number(ui->decodeFrameTypeComboBox->currentIndex()) != stored->GetValue();
}

bool SettingWidget::isMapKeyChanged() {
    const CSettings* stored = storedEntry(14);
    return !stored || ui->mapKeyLineEdit->text().trimmed() != stored->GetValue();
}

bool SettingWidget::isMapTypeChanged() {
    const CSettings* stored = storedEntry(16);
    const int shown = ui->osmRadioBtn->isChecked() ? 0 : (ui->googlemapRadioBtn->isChecked() ? 1 : -1);
    return !stored || shown != stored->GetValue().toInt(nullptr, 10);
}

void SettingWidget::warn(const QString& text, int pictureType) {
    ziraz::WarningDialog::showWarningDialog(2000, pictureType, text, this, nullptr, nullptr, m_iconList,
                                            QSize(310, 120));
}

bool SettingWidget::onSave() {
    if (ui->speedAlarmCheckBox->isChecked()) {
        const QString text = ui->speedEdit->text();
        bool ok = false;
        const double speed = text.toDouble(&ok);
        if (text.isEmpty() || !ok || speed < 0 || std::fabs(speed) < 0.000001) {
            warn(tr("Invalid Speed."));
            return false;
        }
    }
    if (IsDiskSpaceLow(2.0f, -1, ui->evidenceVideoSavePathLineEdit->text())) {
        warn(tr("Evidence video at least 2G disk space is need."));
        return false;
    }
    if (IsDiskSpaceLow(0.5f, -1, ui->evidencePicSavePahtLineEdit->text())) {
        warn(tr("Evidence picture at least 512M disk space is need."));
        return false;
    }
    const QString voice = ui->voiceEdit->text();
    if (!voice.isEmpty() && !QFileInfo(voice).isFile()) {
        warn(tr("Voice File do not exist."));
        return false;
    }
    struct FolderCheck {
        QLineEdit* edit;
        int id;
        float gib;
        const char* warning;
    };
    const FolderCheck folders[] = {
        {ui->picSavePahtLineEdit, 1, 0.5f, QT_TR_NOOP("Clip picture at least 512M disk space is need.")},
        {ui->clipFileSavePathEdit, 3, 2.0f, QT_TR_NOOP("Clip video at least 2G disk space is need.")},
        {ui->downLoadFileSavePathEdit, 5, 2.0f, QT_TR_NOOP("Download video at least 2G disk space is need.")},
    };
    for (const FolderCheck& check : folders) {
        if (IsDiskSpaceLow(check.gib, -1, check.edit->text())) {
            warn(tr(check.warning));
            revertFolder(check.edit, check.id);
            return false;
        }
    }
    const int channels = ui->m_pChannelNumberLineEdit->text().trimmed().toInt(nullptr, 10);
    if (channels < 1 || channels > 16) {
        warn(tr("Invalid Channel Num."));
        return false;
    }

    bool decodeChanged = false, keyChanged = false, mapTypeChanged = false;
    if (isSettingsChanged()) {
        decodeChanged = isDecodeFrameTypeChanged();
        keyChanged = isMapKeyChanged();
        mapTypeChanged = isMapTypeChanged();

        // The file is written from copies first: when it cannot be written,
        // neither the file nor any value in memory changes.
        std::vector<CSettings*> copies;
        for (CSettings* edited : m_editedSettings) {
            if (edited) copies.push_back(new CSettings(*edited));
        }
        bool written = false;
        const QString settingsFile = ziraz::GetTargetPathFile(QStringLiteral("Settings.xml"));
        QString why;
        {
            CSettingsStore staging;
            staging.ReplaceAll(copies);
            written = staging.Save(settingsFile, &why);
        }
        if (!written) {
            // Long enough to be read: it names the file and why.
            ziraz::WarningDialog::showWarningDialog(
                10000, 2,
                tr("Saving failed: %1 cannot be written (%2). The settings stay as they were.")
                    .arg(QDir::toNativeSeparators(settingsFile), why),
                this, nullptr, nullptr, m_iconList, QSize(420, 160));
            return false;
        }

        m_storedSettings.resize(m_editedSettings.size(), nullptr);
        for (size_t i = 0; i < m_editedSettings.size(); ++i) {
            const CSettings* edited = m_editedSettings[i];
            if (!edited) continue;
            if (!m_storedSettings[i]) m_storedSettings[i] = new CSettings;
            m_storedSettings[i]->SetKey(edited->GetKey());
            m_storedSettings[i]->SetValue(edited->GetValue());
        }
        CSettingsStore* store = CSettingsStore::GetInstance();
        std::vector<CSettings*> before;
        store->GetAll(before);
        const std::set<CSettings*> kept(m_storedSettings.begin(), m_storedSettings.end());
        std::set<CSettings*> dropped;
        for (CSettings* entry : before) {
            if (entry && !kept.count(entry)) dropped.insert(entry);
        }
        m_droppedSettings.insert(m_droppedSettings.end(), dropped.begin(), dropped.end());
        store->ReplaceAll(m_storedSettings);
    }

    warn(tr("Save successful."), 0);
    if (decodeChanged) emit signalDecodeFrameTypeChanged();
    if (keyChanged) updateKey(ui->mapKeyLineEdit->text().trimmed());
    if (mapTypeChanged) emit signalReloadMap();
    return true;
}

void SettingWidget::updateKey(QString strKey) {
    std::string cipherText;
    // A key that cannot be enciphered leaves the key file as it was rather
    // than replacing the stored key with an empty or partial text.
    if (SetupCipher::GetInstance()->EncryptString(cipherText, strKey.toStdString())) {
        const QString folder = ziraz::GetTargetPath() + QStringLiteral("map");
        QDir().mkpath(folder);
        QSaveFile file(folder + QStringLiteral("/api.txt"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            const qint64 size = static_cast<qint64>(cipherText.size());
            // A short write or a failed flush keeps the old key file.
            if (file.write(cipherText.data(), size) == size && file.flush()) file.commit();
        }
    }
    MapKeyHolder::instance()->setKey(strKey);
    emit signalReloadMap();
}

void SettingWidget::isNeedSave() {
    if (!isSettingsChanged()) return;
    TipDialog dialog(this);
    dialog.resize(350, 220);
    dialog.setTitle(tr("Information"));
    dialog.setTipText(tr("Save new settings?"));
    if (dialog.exec() == QDialog::Accepted) {
        onSave();
    } else {
        loadSettings();
    }
}
