// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Setting page: shows the settings store's values in editable widgets,
// checks them, writes them to "Settings.xml" and tells the rest of the
// program about changes that need more than a re-read of the store (decode
// frame type, map type, map key).
//
// The page keeps one slot per key of the key table (CSettingsStore keys
// 0..17), each the store's own entry of that key, so a save changes the
// values every reader of the store sees. A save writes the file first and
// changes the store only when the file was written, so a failed save leaves
// both the file and the values in memory as they were.
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "storage/Settings.h"
#include "ziraz/controls.h"

class QButtonGroup;
class QLineEdit;
class QComboBox;
class QCheckBox;
class QAbstractButton;

namespace Ui {
class SettingWidget;
}

class SettingWidget : public ziraz::Widget {
    Q_OBJECT
public:
    explicit SettingWidget(QWidget* parent = nullptr);
    ~SettingWidget() override;

    // How the page asks the operator for a folder (`directory` true) or a
    // file. By default the file dialogs; tests and scripted runs install their
    // own. An empty function restores the dialogs. Gives the previous one.
    using PathChooser = std::function<QString(QWidget* parent, bool directory, const QString& start,
                                              const QString& filter)>;
    static PathChooser SetPathChooser(PathChooser chooser);

    // Setters of the five folder edits (the text only; a save stores it).
    void setPictureSavePath(const QString& path);
    void setClipSavePath(const QString& path);
    void setDownloadSavePath(const QString& path);
    void setEvidenceVideoSavePath(const QString& path);
    void setEvidencePictureSavePath(const QString& path);

public slots:
    // The operator leaves the page: unsaved edits are saved or dropped after
    // a question.
    void isNeedSave();

signals:
    void signalDecodeFrameTypeChanged();
    void signalReloadMap();

private slots:
    void onSaveEvidencePicture();
    void onSaveEvidenceVideo();
    void onSavePicture();
    void onSaveClipVedio();
    void onSaveDownloadVedio();
    void onSaveVoiceFilePath();
    bool onSave();
    bool isSettingsChanged();
    bool isDecodeFrameTypeChanged();
    bool isMapKeyChanged();
    bool isMapTypeChanged();
    void updateKey(QString strKey);
    void onSpeedUnitChanged(int index);

private:
    void initUi();
    void initConnect();
    void loadSettings();
    void loadEvidencePaths();
    void loadGeneralSettings();
    void loadChannelNum();
    void loadLineEdit(QLineEdit* edit, int id, const QString& key, const QString& defaultValue);
    void loadComboBox(QComboBox* combo, int id, const QString& key, int defaultValue);
    void loadCheckBox(QCheckBox* box, int id, const QString& key, int defaultValue);
    void loadRadioPair(QAbstractButton* first, QAbstractButton* second, int id, const QString& key, int defaultValue);
    QString selectDirectory(const QString& start);
    QString selectFile(const QString& start, const QString& filter);

    // The shared procedure of the five folder choosers.
    void chooseFolder(QLineEdit* edit, int id, float neededGiB, const char* warning);
    // The edit shows the stored folder of `id` again (creating the entry with
    // "C:/" when the slot is empty).
    void revertFolder(QLineEdit* edit, int id);
    void warn(const QString& text, int pictureType = 2);
    CSettings* storedEntry(int id) const;

    Ui::SettingWidget* ui;
    std::vector<CSettings*> m_storedSettings;  // slot per key id; the store's entries
    std::vector<CSettings*> m_editedSettings;  // private copies, same slots
    QStringList m_iconList;
    QButtonGroup* m_mapTypeGroup = nullptr;
    QButtonGroup* m_videoTypeGroup = nullptr;
    // Entries of the store that a save left out of it (unknown keys, second
    // entries of a key); kept alive so no reader is left with a dangling one.
    std::vector<CSettings*> m_droppedSettings;
};
