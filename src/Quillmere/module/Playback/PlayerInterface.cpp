#include "PlayerInterface.h"

#include <QDebug>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "CommonHelpers.h"
#include "InterfaceHelpers.h"
#include "PlaybackGlobals.h"
#include "Settings.h"
#include "SingleFile.h"
#include "wincompat/drives.h"
#include "ziraz/ziraz.h"
#include "KelLogging.h"

namespace APT_QMR {

namespace {

// Port number -> object. Library callbacks carry only the port; they reach
// their object through this map, under its lock.
ZUN_Mutex& RegistryMutex() {
    static ZUN_Mutex m;
    return m;
}
std::map<int, CPlayerInterface*>& Registry() {
    static std::map<int, CPlayerInterface*> r;
    return r;
}
// The port whose player has the sound (the library plays one at a time).
int g_soundPort = -1;

bool SettingText(SettingKey key, QString* out) {
    return CSettingsStore::GetInstance()->GetValueText(key, out);
}

}  // namespace

CPlayerInterface::CPlayerInterface() : QObject(nullptr) {
    RegisterVehicleDataTypes();
    if (!AcquirePort()) qCDebug(lcKelPlayback) << "Ostrum_GetPort Failed";
}

CPlayerInterface::~CPlayerInterface() {
    CloseStream();
    StopClip();
    {
        ZUN_Guard g(RegistryMutex());
        if (g_soundPort == m_port && m_port >= 0) g_soundPort = -1;
    }
    ReleasePort();
    // Clips still being cut are finished: they report through this object.
    JoinClipCutters(true);
}

bool CPlayerInterface::AcquirePort() {
    int port = -1;
    if (!Ostrum_GetPort(&port) || port < 0) {
        m_port = -1;
        return false;
    }
    m_port = port;
    {
        ZUN_Guard g(RegistryMutex());
        Registry()[port] = this;
    }
    Ostrum_SetMemoryLimit(port, 0, 0);
    return true;
}

void CPlayerInterface::ReleasePort() {
    int port = m_port;
    if (port < 0) return;
    {
        ZUN_Guard g(RegistryMutex());
        auto it = Registry().find(port);
        if (it != Registry().end() && it->second == this) Registry().erase(it);
    }
    Ostrum_FreePort(port);
    m_port = -1;
}

bool CPlayerInterface::StartPort(const std::function<bool(int port)>& open, void* window) {
    const int port = m_port;
    const char* failed = nullptr;
    qCDebug(lcKelPlayback) << "Ostrum_SetStreamOpenMode before";
    if (!Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_FILE)) failed = "Ostrum_SetStreamOpenMode Failed iError = %d";
    if (!failed) {
        Ostrum_SetAdditionDataCallBack(port, OSTRUM_ADDITION_VEHICLE, &CPlayerInterface::OnAdditionData, this);
        QString key;
        SettingText(SettingKey::SecretKey, &key);
        if (!key.isEmpty()) {
            std::string bytes = ziraz::ConvertFromUnicode(key);
            Ostrum_SetSecretKey(port, 1, bytes.c_str(), static_cast<int>(bytes.size() * 8));
        }
        if (!open(port)) failed = "Ostrum_OpenStream / Ostrum_OpenFile Failed iError = %d";
    }
    if (!failed && !Ostrum_SetDisplayBuf(port, 5)) failed = "Ostrum_SetDisplayBuf Failed iError = %d";
    if (!failed) {
        if (!Ostrum_SetRunTimeInfoCallBackEx(port, 1, &CPlayerInterface::OnRunTimeInfo, this))
            qCDebug(lcKelPlayback, "Ostrum_SetRunTimeInfoCallBackEx Failed iError = %d", static_cast<int>(Ostrum_GetLastError(port)));
        if (!Ostrum_SetEncryptTypeCallBack(port, 1, &CPlayerInterface::OnEncryptType, this))
            qCDebug(lcKelPlayback, "Ostrum_SetEncryptTypeCallBack Failed iError = %d", static_cast<int>(Ostrum_GetLastError(port)));
        if (!Ostrum_SetDisplayCallBack(port, DisplayCallbackFor(false)))
            failed = "Ostrum_SetDisplayCallBack Failed iError = %d";
    }
    if (!failed && !Ostrum_Play(port, window)) failed = "Ostrum_Play Failed iError = %d";
    if (failed) {
        qCDebug(lcKelPlayback, failed, static_cast<int>(Ostrum_GetLastError(port)));
        // The port goes back to the library (and out of the registry); a
        // fresh one is taken so that the next open can succeed.
        ReleasePort();
        AcquirePort();
        return false;
    }
    if (m_soundOn) Ostrum_PlaySound(port);
    m_window = window;
    m_stopInput = false;
    m_streamOpen = true;
    return true;
}

bool CPlayerInterface::OpenStream(const uint8_t* header, uint32_t size, void* window) {
    // A port lost by an earlier failure is taken again.
    if (!header || (m_port < 0 && !AcquirePort())) return false;
    CloseStream();
    if (!StartPort([&](int port) { return Ostrum_OpenStream(port, header, size, 2097152) != 0; }, window)) return false;
    ZUN_Guard g(m_mutex);
    std::memcpy(m_header, header, sizeof m_header);
    // A clip being recorded goes on with this recording, joined on after
    // the one before.
    if (m_clipping && size == sizeof m_header) m_clipWriter.WriteHeader(header, size);
    return true;
}

namespace {
OSTRUM_FILE_TIME LocalFileTime(time_t t) {
    struct tm tmv = {};
    localtime_r(&t, &tmv);
    return OSTRUM_FILE_TIME{tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec, 0};
}

// The local time of the library's fields, to the second; -1 outside the
// recorders' years.
time_t LocalTimeOf(const OSTRUM_FILE_TIME& t) {
    if (t.year < 2000 || t.year > 2063) return -1;
    return PackedTimeToTime(static_cast<PackedDateTime>(t.year - 2000) << 26 | static_cast<PackedDateTime>(t.month) << 22 |
                            static_cast<PackedDateTime>(t.day) << 17 | static_cast<PackedDateTime>(t.hour) << 12 |
                            static_cast<PackedDateTime>(t.minute) << 6 | static_cast<PackedDateTime>(t.second));
}

bool Before(const OSTRUM_FILE_TIME& a, const OSTRUM_FILE_TIME& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.millisecond) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.millisecond);
}
}  // namespace

bool CPlayerInterface::OpenFile(const std::string& path, void* window, time_t start) {
    if (path.empty() || (m_port < 0 && !AcquirePort())) return false;
    CloseStream();
    if (!StartPort([&](int port) { return Ostrum_OpenFile(port, path.c_str()) != 0; }, window)) return false;
    m_fileRoute = true;
    {
        ZUN_Guard g(m_mutex);
        m_filePath = path;
    }
    // A fresh file plays from its first frame on anyway.
    if (start >= 0 && !SeekFile(start, false)) {
        CloseStream();
        return false;
    }
    return true;
}

bool CPlayerInterface::SeekFile(time_t t, bool toFirst) {
    if (!m_fileRoute || t < 0) return false;
    OSTRUM_FILE_TIME first{}, last{};
    if (!Ostrum_GetFileTotalTime(m_port, &first, &last)) return false;
    OSTRUM_FILE_TIME target = LocalFileTime(t);
    if (std::tie(target.year, target.month, target.day, target.hour, target.minute, target.second) <=
        std::tie(first.year, first.month, first.day, first.hour, first.minute, first.second)) {
        if (!toFirst) return true;
        target = first;
    }
    return Ostrum_SetPlayedTime(m_port, &target) != 0;
}

void CPlayerInterface::CloseStream() {
    {
        // A clip of the file ends with it, at the last frame it showed.
        ZUN_Guard g(m_mutex);
        if (m_clipping && m_clipFromFile) StopFileClip();
        m_filePath.clear();
    }
    const int port = m_port;
    if (port >= 0) {
        Ostrum_Stop(port);
        if (m_fileRoute) Ostrum_CloseFile(port);
        else Ostrum_CloseStream(port);
    }
    m_fileRoute = false;
    m_streamOpen = false;
    m_paused = false;
    m_singleFrame = false;
    m_speed = 0;
    m_window = nullptr;
    ZUN_Guard g(m_mutex);
    std::memset(m_header, 0, sizeof m_header);
}

int CPlayerInterface::InputData(const uint8_t* data, uint32_t size) {
    if (!m_streamOpen || m_fileRoute) return InputNoStream;
    for (;;) {
        if (!m_streamOpen) return InputNoStream;
        if (Ostrum_InputData(m_port, data, size)) break;
        Ostrum_GetLastError(m_port);
        if (m_stopInput) return InputGivenUp;
        ZUN_Sleep(15);
    }
    ZUN_Guard g(m_mutex);
    if (m_clipping && data) {
        if (m_clipWriter.Write(data, size) == size) m_clipBytes += size;
    }
    return InputAccepted;
}

bool CPlayerInterface::RegisterDrawFun(OSTRUM_DRAW_CB callback, void* user) {
    if (!m_streamOpen || !callback) return false;
    return Ostrum_RegisterDrawFun(m_port, callback, user) != 0;
}

bool CPlayerInterface::AddToSyncGroup() {
    int group = CurrentSyncGroup;
    qCDebug(lcKelPlayback) << "AddToSyncGroup" << group;
    return Ostrum_SetSycGroup(m_port, group) != 0;
}

bool CPlayerInterface::LeaveSyncGroup() { return Ostrum_SetSycGroup(m_port, -1) != 0; }

bool CPlayerInterface::Pause(bool on) {
    if (!m_streamOpen) return false;
    if (m_paused == on) return true;
    if (!Ostrum_Pause(m_port, on ? 1 : 0)) {
        qCDebug(lcKelPlayback, "Ostrum_Pause Failed iError = %d", static_cast<int>(Ostrum_GetLastError(m_port)));
        return false;
    }
    m_paused = on;
    return true;
}

// Key frames only while the speed step is above the "DecodeFrameType" value
// (1 to 3); 0 decodes all frames; other values leave the decoder alone.
int CPlayerInterface::DecodeFrameTypeFor(int setting, int speed) {
    if (setting == 0) return OSTRUM_DECODE_ALL;
    if (setting >= 1 && setting <= 3) return speed > setting ? OSTRUM_DECODE_KEY_ONLY : OSTRUM_DECODE_ALL;
    return -1;
}

void CPlayerInterface::ApplyDecodeType() {
    QString text;
    int type = DecodeFrameTypeFor(SettingText(SettingKey::DecodeFrameType, &text) ? text.toInt() : 0, m_speed);
    if (type >= 0) Ostrum_SetDecodeFrameType(m_port, type);
}

bool CPlayerInterface::Fast() {
    if (!m_streamOpen || m_speed >= 4) return false;
    if (!Ostrum_Fast(m_port)) return false;
    ++m_speed;
    ApplyDecodeType();
    m_paused = false;
    return true;
}

bool CPlayerInterface::Slow() {
    if (!m_streamOpen || m_speed <= -4) return false;
    if (!Ostrum_Slow(m_port)) return false;
    --m_speed;
    ApplyDecodeType();
    m_paused = false;
    return true;
}

int CPlayerInterface::SetSpeed(int step) {
    if (step < -4 || step > 4 || !m_streamOpen) return 0;
    const int start = m_speed;
    m_paused = false;
    m_singleFrame = false;
    while (m_speed < step) {
        if (!Fast()) break;
    }
    while (m_speed > step) {
        if (!Slow()) break;
    }
    if (m_speed == step) return step - start;
    return step - m_speed;
}

bool CPlayerInterface::OneByOne() {
    if (!m_streamOpen || !Ostrum_OneByOne(m_port)) return false;
    m_speed = 0;
    m_paused = true;
    m_singleFrame = true;
    return true;
}

bool CPlayerInterface::OneByOneBack() {
    if (!m_streamOpen || !Ostrum_OneByOneBack(m_port)) return false;
    m_paused = false;
    m_singleFrame = true;
    return true;
}

bool CPlayerInterface::Resume() {
    if (!m_streamOpen) return false;
    if (m_paused && Ostrum_Pause(m_port, 0)) m_paused = false;
    while (m_speed > 0) {
        if (!Slow()) break;
    }
    while (m_speed < 0) {
        if (!Fast()) break;
    }
    m_paused = false;
    m_singleFrame = false;
    return Ostrum_Play(m_port, m_window) != 0;
}

bool CPlayerInterface::RefreshPlay() { return m_streamOpen && Ostrum_RefreshPlay(m_port) != 0; }

time_t CPlayerInterface::GetPlayedTime() {
    if (!m_streamOpen) return -1;
    PackedDateTime packed = Ostrum_GetSpecialData(m_port);
    // 0 is the library's "no frame yet", not a time.
    if (packed == 0 || packed == kNoPackedTime) return -1;
    return PackedTimeToTime(packed);
}

bool CPlayerInterface::IsSameHeader(const uint8_t* header) {
    if (!header) return false;
    ZUN_Guard g(m_mutex);
    return std::memcmp(header, m_header, sizeof m_header) == 0;
}

uint32_t CPlayerInterface::GetSourceBufferRemain() {
    return m_streamOpen ? Ostrum_GetSourceBufferRemain(m_port) : 0;
}

uint32_t CPlayerInterface::GetBufferValue(int type) {
    return m_streamOpen ? Ostrum_GetBufferValue(m_port, static_cast<uint32_t>(type)) : 0;
}

void CPlayerInterface::ResetSourceBuffer() {
    if (m_streamOpen) Ostrum_ResetSourceBuffer(m_port);
}

bool CPlayerInterface::SetDisplayRegion(float left, float top, float right, float bottom) {
    if (!m_streamOpen) return false;
    if (left - right >= 0 || top - bottom >= 0) return Ostrum_SetDisplayRegion(m_port, 0, nullptr, nullptr, 1) != 0;
    int width = 0, height = 0;
    if (!Ostrum_GetPictureSize(m_port, &width, &height)) return false;
    OSTRUM_RECT rect;
    rect.left = static_cast<int32_t>(left * width + 0.5f);
    rect.top = static_cast<int32_t>(top * height + 0.5f);
    rect.right = static_cast<int32_t>(right * width + 0.5f);
    rect.bottom = static_cast<int32_t>(bottom * height + 0.5f);
    return Ostrum_SetDisplayRegion(m_port, 0, &rect, nullptr, 1) != 0;
}

bool CPlayerInterface::GetPictureSize(int* width, int* height) {
    return Ostrum_GetPictureSize(m_port, width, height) != 0;
}

bool CPlayerInterface::CaptureFolder(std::string* folder) {
    QString value;
    int page = CurrentCapturePage;
    bool found = page == 0   ? SettingText(SettingKey::CaptureSavePath, &value)
                 : page == 1 ? SettingText(SettingKey::EvidencePictureSavePath, &value)
                             : false;
    if (!found) return false;
    *folder = value.toLocal8Bit().toStdString() + "Capture/";
    return true;
}

// Folder + "<device>_<time><ms>.jpg|bmp" or "channel<n>_<time><ms>.jpg|bmp".
// The counter is a monotonic millisecond clock, so two snapshots of one
// second get different names.
bool CPlayerInterface::MakeCapturePath(const std::shared_ptr<CSingleFile>& record, bool* jpeg) {
    time_t t = GetPlayedTime();
    if (t == -1) return false;
    std::string folder;
    if (!CaptureFolder(&folder)) return false;
    CreateDirectoryPath(folder);
    QString type;
    if (!SettingText(SettingKey::CaptureSaveType, &type)) return false;
    *jpeg = type == QLatin1String("0");
    std::string device = record ? record->GetDeviceName() : std::string();
    int channel = record ? record->ChannelNumber : 0;
    std::string name = device.empty() ? "channel" + std::to_string(channel) : device;
    name += "_" + TimeToString(t) + std::to_string(ZUN_MonotonicMs()) + (*jpeg ? ".jpg" : ".bmp");
    std::lock_guard<std::mutex> lk(m_captureMutex);
    m_capturePath = folder + name;
    return true;
}

bool CPlayerInterface::CaptureFromPicture(const std::shared_ptr<CSingleFile>& record) {
    bool jpeg = true;
    if (!MakeCapturePath(record, &jpeg)) return false;
    int width = 0, height = 0;
    if (!Ostrum_GetPictureSize(m_port, &width, &height) || width <= 0 || height <= 0) return false;
    uint32_t size = jpeg ? static_cast<uint32_t>(width * height * 3 / 2) : static_cast<uint32_t>(width * height * 5);
    std::vector<uint8_t> buffer(size, 0);
    uint32_t got = 0;
    bool ok = jpeg ? Ostrum_GetJPEG(m_port, buffer.data(), size, &got) : Ostrum_GetBMP(m_port, buffer.data(), size, &got);
    if (!ok) return false;
    std::string path = GetCapturePath();
    ZUN_FILE f = ZUN_OpenFile(path.c_str(), ZUN_FILE_WRITE);
    if (!f) return false;
    bool written = ZUN_WriteFile(f, buffer.data(), got) == static_cast<int64_t>(got);
    ZUN_CloseFile(f);
    if (!written) ZUN_DeleteFile(path.c_str());
    return written;
}

bool CPlayerInterface::Capture(std::shared_ptr<CSingleFile> record) {
    if (!m_streamOpen) return false;
    if (m_paused || m_singleFrame) return CaptureFromPicture(record);
    bool jpeg = true;
    if (!MakeCapturePath(record, &jpeg)) return false;
    ZUN_SEM sem = ZUN_SemCreate(0);
    if (sem == -1) return false;
    {
        std::lock_guard<std::mutex> lk(m_captureMutex);
        m_captureSem = sem;
        m_captureDone = false;
        m_captureRequested = true;
        Ostrum_SetDisplayCallBack(m_port, DisplayCallbackFor(true));
    }
    ZUN_SemTimedWait(sem, 1000);
    std::lock_guard<std::mutex> lk(m_captureMutex);
    // A frame drawn after this point finds no request and is not saved.
    m_captureRequested = false;
    m_captureSem = -1;
    ZUN_SemDestroy(sem);
    Ostrum_SetDisplayCallBack(m_port, DisplayCallbackFor(false));
    return m_captureDone;
}

bool CPlayerInterface::PlaySound() {
    if (!m_streamOpen) return false;
    if (m_soundOn) return true;
    if (m_port < 0) return false;
    {
        // The library plays one port at a time: the player that had the
        // sound loses its flag.
        ZUN_Guard g(RegistryMutex());
        if (g_soundPort >= 0 && g_soundPort != m_port) {
            auto it = Registry().find(g_soundPort);
            if (it != Registry().end()) it->second->m_soundOn = false;
        }
        g_soundPort = m_port;
    }
    Ostrum_StopSound();
    Ostrum_PlaySound(m_port);
    Ostrum_SetVolume(m_port, 32767);
    m_volume = 32767;
    m_soundOn = true;
    return true;
}

bool CPlayerInterface::StopSound() {
    if (!m_streamOpen) return false;
    if (m_soundOn) {
        Ostrum_StopSound();
        m_soundOn = false;
        ZUN_Guard g(RegistryMutex());
        if (g_soundPort == m_port) g_soundPort = -1;
    }
    return true;
}

bool CPlayerInterface::SetVolume(uint16_t volume) {
    if (!m_soundOn) return false;
    Ostrum_SetVolume(m_port, volume);
    m_volume = volume;
    return true;
}

bool CPlayerInterface::StartClip(time_t start, std::shared_ptr<CSingleFile> record) {
    OSTRUM_FILE_TIME from{};
    if (start == -1) {
        if (!m_streamOpen) return false;
        if (m_fileRoute) {
            // The frame on screen to the millisecond: the clip starts with
            // the key frame it was decoded from.
            if (!Ostrum_GetPlayedTime(m_port, &from)) return false;
            start = LocalTimeOf(from);
        } else {
            start = GetPlayedTime();
        }
        if (start == -1) return false;
    } else {
        from = LocalFileTime(start);
    }
    const std::string timeText = TimeToString(start);
    QString value;
    int page = CurrentCapturePage;
    bool found = page == 0   ? SettingText(SettingKey::ClipSavePath, &value)
                 : page == 1 ? SettingText(SettingKey::EvidenceVideoSavePath, &value)
                             : false;
    if (!found) return false;
    const std::string folder = value.toLocal8Bit().toStdString() + "Clip/";
    CreateDirectoryPath(folder);
    int channel = record ? record->ChannelNumber : 0;
    std::string channelText = (channel < 10 ? "0" : "") + std::to_string(channel);

    ZUN_Guard g(m_mutex);
    if (m_clipping) return false;
    // A clip of that name from before stays: this one is written beside it.
    const std::string path = FreeOutputPath(folder, "ch" + channelText + "_" + timeText, ".mp4");
    const std::string fileName = path.substr(folder.size());
    if (m_fileRoute) return StartFileClip(from, path, fileName);
    if (!m_clipWriter.Open(path, false)) return false;
    uint8_t header[40];
    std::memcpy(header, m_header, sizeof header);
    if (!m_clipWriter.WriteHeader(header, sizeof header)) {
        m_clipWriter.Close();
        return false;
    }
    m_clipFileName = fileName;
    m_clipPath = path;
    m_clipBytes = 40;
    m_clipping = true;
    return true;
}

bool CPlayerInterface::StartFileClip(const OSTRUM_FILE_TIME& from, const std::string& path, const std::string& fileName) {
    if (m_filePath.empty()) return false;
    // The name is taken from now on, as a stream's clip takes it with the
    // file it writes.
    const std::string part = wincompat::MapPath(path + ".part");
    FILE* f = part.empty() ? nullptr : std::fopen(part.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    m_clipFromFile = true;
    m_clipFrom = from;
    m_clipFileName = fileName;
    m_clipPath = path;
    m_clipBytes = 0;
    m_clipping = true;
    return true;
}

void CPlayerInterface::StopClip() {
    ZUN_Guard g(m_mutex);
    if (!m_clipping) return;
    if (m_clipFromFile) {
        StopFileClip();
        return;
    }
    // A clip that could not be written whole is removed by the writer: it
    // is then not announced as the last clip.
    if (m_clipWriter.Close()) {
        m_lastClipPath = m_clipPath;
    } else {
        qCDebug(lcKelPlayback, "CPlayerInterface::StopClip clip not written: %s", m_clipPath.c_str());
        m_lastClipPath.clear();
    }
    m_clipping = false;
    m_clipBytes = 0;
}

void CPlayerInterface::StopFileClip() {
    // Up to the last frame shown; a clip that showed nothing after its
    // first frame holds that frame.
    OSTRUM_FILE_TIME to = m_clipFrom;
    OSTRUM_FILE_TIME shown{};
    if (m_fileRoute && Ostrum_GetPlayedTime(m_port, &shown) && !Before(shown, m_clipFrom)) to = shown;
    const OSTRUM_FILE_TIME from = m_clipFrom;
    const std::string source = m_filePath;
    const std::string path = m_clipPath;
    m_clipping = false;
    m_clipFromFile = false;
    m_clipBytes = 0;
    m_lastClipPath = path;

    // The copy takes as long as the clip is long: the caller (the GUI
    // thread) does not wait for it.
    JoinClipCutters(false);
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto cut = [this, source, from, to, path, done] {
        const std::string part = wincompat::MapPath(path + ".part");
        const std::string local = wincompat::MapPath(path);
        bool saved = Ostrum_CutFile(source.c_str(), &from, &to, (path + ".part").c_str()) != 0;
        if (saved) saved = !local.empty() && std::rename(part.c_str(), local.c_str()) == 0;
        if (!saved) {
            qCDebug(lcKelPlayback, "CPlayerInterface::StopClip clip not written: %s", path.c_str());
            if (!part.empty()) std::remove(part.c_str());
            ZUN_Guard g(m_mutex);
            if (m_lastClipPath == path) m_lastClipPath.clear();
        }
        emit signalClipFinished(LocalToUnicode(path.c_str(), false), saved);
        done->store(true);
    };
    try {
        m_clipCutters.push_back(ClipCutter{std::thread(cut), done});
    } catch (...) {
        qCDebug(lcKelPlayback, "CPlayerInterface::StopClip no thread for the clip: %s", path.c_str());
        const std::string part = wincompat::MapPath(path + ".part");
        if (!part.empty()) std::remove(part.c_str());
        m_lastClipPath.clear();
        emit signalClipFinished(LocalToUnicode(path.c_str(), false), false);
    }
}

void CPlayerInterface::JoinClipCutters(bool all) {
    std::vector<ClipCutter> joining;
    {
        ZUN_Guard g(m_mutex);
        for (auto it = m_clipCutters.begin(); it != m_clipCutters.end();) {
            if (all || it->done->load()) {
                joining.push_back(std::move(*it));
                it = m_clipCutters.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (ClipCutter& c : joining) c.thread.join();
}

bool CPlayerInterface::IsClipping() {
    ZUN_Guard g(m_mutex);
    return m_clipping;
}

uint64_t CPlayerInterface::GetClipBytes() {
    ZUN_Guard g(m_mutex);
    return m_clipBytes;
}

std::string CPlayerInterface::GetClipPath() {
    ZUN_Guard g(m_mutex);
    return m_clipPath;
}

std::string CPlayerInterface::GetLastClipPath() {
    ZUN_Guard g(m_mutex);
    return m_lastClipPath;
}

std::string CPlayerInterface::GetCapturePath() {
    std::lock_guard<std::mutex> lk(m_captureMutex);
    return m_capturePath;
}

// ---- library callbacks (library threads) ----------------------------------------
void CPlayerInterface::OnAdditionData(int port, const OSTRUM_ADDITION_DATA* data, void*) {
    if (!data) return;
    VEH_META_INFO info;
    std::memset(&info, 0, sizeof info);
    ParseVehicleData(data->data, static_cast<int>(data->length), &info);
    {
        ZUN_Guard g(RegistryMutex());
        auto it = Registry().find(port);
        if (it != Registry().end()) emit it->second->signalVehInfo(info);
    }
    ZUN_Sleep(1);
}

void CPlayerInterface::OnEncryptType(int port, const OSTRUM_ENCRYPT_INFO* info, void*) {
    if (!info || info->keySet != 0) return;
    ZUN_Guard g(RegistryMutex());
    auto it = Registry().find(port);
    if (it != Registry().end()) emit it->second->signalKeySecretState(0);
}

void CPlayerInterface::OnRunTimeInfo(int port, const OSTRUM_RUNTIME_INFO* info, void*) {
    if (!info || info->errorCode != OSTRUM_RUNTIME_KEY_MISMATCH) return;
    ZUN_Guard g(RegistryMutex());
    auto it = Registry().find(port);
    if (it != Registry().end()) emit it->second->signalKeySecretState(1);
}

void CPlayerInterface::SetShownCallback(std::function<void(time_t)> callback) {
    {
        std::lock_guard<std::mutex> lk(m_shownMutex);
        m_shownCallback = std::move(callback);
    }
    std::lock_guard<std::mutex> ck(m_captureMutex);
    if (m_port >= 0) Ostrum_SetDisplayCallBack(m_port, DisplayCallbackFor(m_captureRequested));
}

// The player hands a display callback every frame at its full size, which
// costs converting the whole picture each time; the callback is registered
// only while something needs the frames: a snapshot being taken, or an
// observer of the frames shown.
OSTRUM_DISPLAY_CB CPlayerInterface::DisplayCallbackFor(bool capturing) {
    std::lock_guard<std::mutex> lk(m_shownMutex);
    return capturing || m_shownCallback ? &CPlayerInterface::OnDisplay : nullptr;
}

void CPlayerInterface::OnDisplay(int port, const char* buffer, int size, int width, int height, int, int type) {
    ZUN_Guard g(RegistryMutex());
    auto it = Registry().find(port);
    if (it == Registry().end()) return;
    CPlayerInterface* self = it->second;
    {
        std::lock_guard<std::mutex> lk(self->m_shownMutex);
        if (self->m_shownCallback) self->m_shownCallback(self->GetPlayedTime());
    }
    std::lock_guard<std::mutex> lk(self->m_captureMutex);
    if (!self->m_captureRequested || self->m_captureSem == -1) return;
    std::string folder;
    QString type0;
    if (CaptureFolder(&folder) && SettingText(SettingKey::CaptureSaveType, &type0)) {
        bool ok = type0 == QLatin1String("0")
                      ? Ostrum_ConvertToJpegFile(buffer, size, width, height, type, self->m_capturePath.c_str())
                      : Ostrum_ConvertToBmpFile(buffer, size, width, height, type, self->m_capturePath.c_str());
        if (ok) self->m_captureDone = true;
    }
    ZUN_SemPost(self->m_captureSem);
    self->m_captureRequested = false;
}

}  // namespace APT_QMR
