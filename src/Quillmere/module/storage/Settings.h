// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings store: the user's settings in memory, read from and written to
// "Settings.xml" in the program folder.
//
// The store and its entries may be read from any thread. Worker threads read
// values with GetValueText, which copies the text under the store's lock; the
// settings page works on the entries themselves (GetValue, GetAll,
// ReplaceAll), whose accessors are guarded as well.
#include <QString>
#include <atomic>
#include <mutex>
#include <vector>

#include "zun.h"

// Index of a setting in the key table.
enum class SettingKey : int {
    CaptureSaveType = 0,
    CaptureSavePath = 1,
    ClipPackageSize = 2,
    ClipSavePath = 3,
    DownloadPackageSize = 4,
    DownloadSavePath = 5,
    EvidenceVideoSavePath = 6,
    EvidencePictureSavePath = 7,
    DecodeFrameType = 8,
    SecretKey = 9,
    EnableSpeedAlarm = 10,
    SpeedUnitType = 11,
    SpeedValue = 12,
    VoicePath = 13,
    MapKey = 14,
    ChannelNum = 15,
    MapType = 16,
    DownloadVideoType = 17,
};
const int kSettingKeyCount = 18;

// The element name of a key index ("CaptureSaveType" for 0, ...); empty for an
// index outside the table.
QString SettingKeyName(int key);
inline QString SettingKeyName(SettingKey key) { return SettingKeyName(static_cast<int>(key)); }

// One setting: the element name and its "Value" text.
class CSettings {
public:
    CSettings();
    CSettings(const QString& key, const QString& value);
    CSettings(const CSettings& other);
    CSettings& operator=(const CSettings& other);
    virtual ~CSettings();

    void SetKey(const QString& key);
    void SetValue(const QString& value);
    QString GetKey() const;
    QString GetValue() const;

private:
    mutable std::mutex m_lock;
    QString m_key;
    QString m_value;
};

// The program's own alarm sound, "alarm_input.wav" in the program folder; an
// empty "VoicePath" stands for it.
QString DefaultVoicePath();

class CSettingsStore {
public:
    // The process-wide store, created on first use from any thread; it lives
    // until the program exits.
    static CSettingsStore* GetInstance();

    CSettingsStore();
    ~CSettingsStore();  // deletes every entry
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    // Appends the settings of the file to the store. An empty "VoicePath"
    // becomes the program folder's "alarm_input.wav". False when the file
    // cannot be opened; malformed XML ends the reading, keeping what was read.
    bool Load(const QString& path);
    // Writes every entry, in store order. The file is replaced only when the
    // whole text was written; false (old file kept) otherwise.
    // `error` (when given) receives why the file could not be written.
    bool Save(const QString& path, QString* error = nullptr) const;

    // The first entry of that key, or null. The entry stays owned by the
    // store; threads other than the settings page use GetValueText.
    CSettings* GetValue(int key) const;
    CSettings* GetValue(SettingKey key) const { return GetValue(static_cast<int>(key)); }
    // Copies the value of the first entry of that key into `*out` (when not
    // null). False, and `*out` cleared, when the store has no such entry.
    bool GetValueText(int key, QString* out) const;
    bool GetValueText(SettingKey key, QString* out) const { return GetValueText(static_cast<int>(key), out); }
    // The value of the key, empty when unset.
    QString GetValueText(int key) const;
    QString GetValueText(SettingKey key) const { return GetValueText(static_cast<int>(key)); }
    // Sets the value of the first entry of that key, appending an entry when
    // there is none. False for an index outside the key table.
    bool SetValueText(int key, const QString& value);
    bool SetValueText(SettingKey key, const QString& value) { return SetValueText(static_cast<int>(key), value); }

    // Empties `out` and fills it with the store's entries (not copies).
    void GetAll(std::vector<CSettings*>& out) const;
    // The store's entries become `entries`, in that order (null pointers are
    // left out); the store owns them from now on. Entries of the store that
    // are not in `entries` are not deleted: they belong to the caller again.
    void ReplaceAll(std::vector<CSettings*> entries);

private:
    mutable ZUN_Mutex m_lock;
    std::vector<CSettings*> m_entries;

    static std::atomic<CSettingsStore*> s_instance;
};
