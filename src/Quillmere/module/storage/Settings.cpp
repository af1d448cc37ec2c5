// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "ziraz/ziraz.h"
#include "KelLogging.h"

namespace {

const char* const kKeyNames[kSettingKeyCount] = {
    "CaptureSaveType",   "CaptureSavePath",  "ClipPackageSize",       "ClipSavePath",
    "DownloadPackageSize", "DownloadSavePath", "EvidenceVideoSavePath", "EvidencePictureSavePath",
    "DecodeFrameType",   "SecretKey",        "EnableSpeedAlarm",      "SpeedUnitType",
    "SpeedValue",        "VoicePath",        "MapKey",                "ChannelNum",
    "MapType",           "DownloadVideoType",
};

const char kRoot[] = "Settings";
const char kValue[] = "Value";
const char kVoicePath[] = "VoicePath";

}  // namespace

QString DefaultVoicePath() { return QDir::cleanPath(ziraz::GetTargetPathFile(QStringLiteral("alarm_input.wav"))); }

QString SettingKeyName(int key) {
    if (key < 0 || key >= kSettingKeyCount) return QString();
    return QLatin1String(kKeyNames[key]);
}

// ---- CSettings ---------------------------------------------------------------

CSettings::CSettings() = default;
CSettings::CSettings(const QString& key, const QString& value) : m_key(key), m_value(value) {}
CSettings::CSettings(const CSettings& other) {
    std::lock_guard<std::mutex> l(other.m_lock);
    m_key = other.m_key;
    m_value = other.m_value;
}
CSettings& CSettings::operator=(const CSettings& other) {
    if (this == &other) return *this;
    QString key, value;
    {
        std::lock_guard<std::mutex> l(other.m_lock);
        key = other.m_key;
        value = other.m_value;
    }
    std::lock_guard<std::mutex> l(m_lock);
    m_key = key;
    m_value = value;
    return *this;
}
CSettings::~CSettings() = default;

void CSettings::SetKey(const QString& key) {
    std::lock_guard<std::mutex> l(m_lock);
    m_key = key;
}
void CSettings::SetValue(const QString& value) {
    std::lock_guard<std::mutex> l(m_lock);
    m_value = value;
}
QString CSettings::GetKey() const {
    std::lock_guard<std::mutex> l(m_lock);
    return m_key;
}
QString CSettings::GetValue() const {
    std::lock_guard<std::mutex> l(m_lock);
    return m_value;
}

// ---- CSettingsStore ------------------------------------------------------------

std::atomic<CSettingsStore*> CSettingsStore::s_instance{nullptr};

CSettingsStore* CSettingsStore::GetInstance() {
    CSettingsStore* store = s_instance.load(std::memory_order_acquire);
    if (!store) {
        static ZUN_Mutex creation;
        ZUN_Guard guard(creation);
        store = s_instance.load(std::memory_order_relaxed);
        if (!store) {
            store = new CSettingsStore;
            s_instance.store(store, std::memory_order_release);
        }
    }
    return store;
}

CSettingsStore::CSettingsStore() = default;

CSettingsStore::~CSettingsStore() {
    std::set<CSettings*> unique(m_entries.begin(), m_entries.end());
    for (CSettings* e : unique) delete e;
}

bool CSettingsStore::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lcKelStorage).noquote() << "No file to read...";
        return false;
    }

    std::vector<CSettings*> loaded;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String(kRoot)) continue;

        // One key element: its own "Value" child gives the value. Reading
        // stops at the key's end tag, so a key without a value does not take
        // the next key's.
        auto* entry = new CSettings;
        entry->SetKey(xml.name().toString());
        QString value;
        bool haveValue = false;
        int depth = 1;
        while (depth > 0 && !xml.atEnd()) {
            QXmlStreamReader::TokenType t = xml.readNext();
            if (t == QXmlStreamReader::StartElement) {
                if (depth == 1 && !haveValue && xml.name() == QLatin1String(kValue)) {
                    value = xml.readElementText(QXmlStreamReader::SkipChildElements);
                    haveValue = true;
                } else {
                    ++depth;
                }
            } else if (t == QXmlStreamReader::EndElement) {
                --depth;
            }
        }
        if (value.isEmpty() && entry->GetKey() == QLatin1String(kVoicePath)) value = DefaultVoicePath();
        entry->SetValue(value);
        loaded.push_back(entry);
    }
    file.close();

    ZUN_Guard guard(m_lock);
    m_entries.insert(m_entries.end(), loaded.begin(), loaded.end());
    return true;
}

bool CSettingsStore::Save(const QString& path, QString* error) const {
    std::vector<std::pair<QString, QString>> rows;
    {
        ZUN_Guard guard(m_lock);
        rows.reserve(m_entries.size());
        for (const CSettings* e : m_entries) rows.emplace_back(e->GetKey(), e->GetValue());
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCDebug(lcKelStorage).noquote() << "Error: cannot write file";
        // The system's reason (a read-only medium, no rights) where it has one.
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        if (error)
            *error = access(folder.constData(), W_OK) != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                                            : file.errorString();
        return false;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument(QStringLiteral("1.0"));
    xml.writeStartElement(QLatin1String(kRoot));
    for (const auto& row : rows) {
        if (row.first.isEmpty()) continue;  // no element can carry it
        xml.writeStartElement(row.first);
        xml.writeTextElement(QLatin1String(kValue), row.second);
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    // commit() does not report a failed flush of the buffered tail (a full
    // disk, a file-size limit) and would put a cut-short file in place.
    errno = 0;
    const bool flushed = !xml.hasError() && file.flush();
    const int flushError = errno;
    if (!flushed || !file.commit()) {
        qCDebug(lcKelStorage).noquote() << "Error: cannot write file";
        // A failed write of the buffered tail leaves the reason in errno only.
        if (error)
            *error = !flushed && flushError != 0 ? QString::fromLocal8Bit(std::strerror(flushError)) : file.errorString();
        return false;
    }
    return true;
}

CSettings* CSettingsStore::GetValue(int key) const {
    const QString name = SettingKeyName(key);
    if (name.isEmpty()) return nullptr;
    ZUN_Guard guard(m_lock);
    for (CSettings* e : m_entries)
        if (e->GetKey() == name) return e;
    return nullptr;
}

bool CSettingsStore::GetValueText(int key, QString* out) const {
    const QString name = SettingKeyName(key);
    ZUN_Guard guard(m_lock);
    for (const CSettings* e : m_entries) {
        if (name.isEmpty()) break;
        if (e->GetKey() == name) {
            if (out) *out = e->GetValue();
            return true;
        }
    }
    if (out) out->clear();
    return false;
}

QString CSettingsStore::GetValueText(int key) const {
    QString value;
    GetValueText(key, &value);
    return value;
}

bool CSettingsStore::SetValueText(int key, const QString& value) {
    const QString name = SettingKeyName(key);
    if (name.isEmpty()) return false;
    ZUN_Guard guard(m_lock);
    for (CSettings* e : m_entries) {
        if (e->GetKey() == name) {
            e->SetValue(value);
            return true;
        }
    }
    m_entries.push_back(new CSettings(name, value));
    return true;
}

void CSettingsStore::GetAll(std::vector<CSettings*>& out) const {
    ZUN_Guard guard(m_lock);
    out = m_entries;
}

void CSettingsStore::ReplaceAll(std::vector<CSettings*> entries) {
    entries.erase(std::remove(entries.begin(), entries.end(), nullptr), entries.end());
    ZUN_Guard guard(m_lock);
    m_entries.swap(entries);
}
