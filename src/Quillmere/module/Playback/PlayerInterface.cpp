// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include "PlayerInterface.h"

#include <chrono>

#include <QDebug>
#include <cstdio>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>
#include <unistd.h>

#include "storage/RecorderTime.h"
#include "storage/CommonHelpers.h"
#include "storage/CodePage.h"
#include "PlaybackGlobals.h"
#include "storage/Settings.h"
#include "storage/SingleFile.h"
#include "recstream/stream_cut.h"
#include "wincompat/drives.h"
#include "ziraz/ziraz.h"
#include "storage/KelLogging.h"

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

// The threads that cut clips, of every player. A cut may outlive its player
// (the operator closed the window right after recording): no thread that
// destroys a player waits for one. Finished threads are joined when the
// next cut starts, the last ones at the end of the process.
class ClipCutters {
public:
    static ClipCutters& Instance() {
        static ClipCutters cutters;
        return cutters;
    }
    ~ClipCutters() {
        for (Cutter& c : m_running)
            if (c.thread.joinable()) c.thread.join();
    }
    // False when no thread could be started (`work` did not run).
    bool Start(const std::function<void()>& work) {
        std::vector<std::thread> finished;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            for (auto it = m_running.begin(); it != m_running.end();) {
                if (it->done->load()) {
                    finished.push_back(std::move(it->thread));
                    it = m_running.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (std::thread& t : finished) t.join();
        std::lock_guard<std::mutex> guard(m_lock);
        try {
            m_running.reserve(m_running.size() + 1);
            auto done = std::make_shared<std::atomic<bool>>(false);
            std::thread thread([work, done] {
                work();
                done->store(true);
            });
            m_running.push_back(Cutter{std::move(thread), done});
        } catch (...) {
            return false;
        }
        return true;
    }

private:
    struct Cutter {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex m_lock;
    std::vector<Cutter> m_running;
};

bool SettingText(SettingKey key, QString* out) {
    return CSettingsStore::GetInstance()->GetValueText(key, out);
}

}  // namespace

CPlayerInterface::CPlayerInterface() : QObject(nullptr), m_clipReport(std::make_shared<ClipReport>()) {
    m_clipReport->owner = this;
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
    // Clips still being cut go on; they report to no one from now on.
    std::lock_guard<std::mutex> report(m_clipReport->lock);
    m_clipReport->owner = nullptr;
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
    return true;
}

OSTRUM_FILE_TIME RecorderFileTime(time_t t) {
    const RbsDateTime f = RecorderFields(t);
    return OSTRUM_FILE_TIME{f.year, f.month, f.day, f.hour, f.minute, f.second, 0};
}

namespace {

// The recorder time of the library's fields, to the second; -1 outside the
// recorders' years.
time_t RecorderTimeOf(const OSTRUM_FILE_TIME& t) {
    if (t.year < 2000 || t.year > 2063) return -1;
    return PackedTimeToTime(static_cast<PackedDateTime>(t.year - 2000) << 26 | static_cast<PackedDateTime>(t.month) << 22 |
                            static_cast<PackedDateTime>(t.day) << 17 | static_cast<PackedDateTime>(t.hour) << 12 |
                            static_cast<PackedDateTime>(t.minute) << 6 | static_cast<PackedDateTime>(t.second));
}

bool Before(const OSTRUM_FILE_TIME& a, const OSTRUM_FILE_TIME& b) {
    return std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.millisecond) <
           std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.millisecond);
}

// Recorder milliseconds of the library's fields (the recorder's clock
// counted as if it were UTC); -1 when they are no time.
int64_t RecorderMs(const OSTRUM_FILE_TIME& t) {
    recstream::CivilTime c;
    c.year = t.year;
    c.month = t.month;
    c.day = t.day;
    c.hour = t.hour;
    c.minute = t.minute;
    c.second = t.second;
    int64_t seconds = 0;
    if (!recstream::CivilToSeconds(c, &seconds)) return -1;
    return seconds * 1000 + std::min(std::max(t.millisecond, 0), 999);
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
    OSTRUM_FILE_TIME target = RecorderFileTime(t);
    if (std::tie(target.year, target.month, target.day, target.hour, target.minute, target.second) <=
        std::tie(first.year, first.month, first.day, first.hour, first.minute, first.second)) {
        if (!toFirst) return true;
        target = first;
    }
    return Ostrum_SetPlayedTime(m_port, &target) != 0;
}

void CPlayerInterface::CloseStream() {
    {
        ZUN_Guard g(m_mutex);
        if (m_clipping && m_clipFromFile) {
            // A clip of the file ends with it, at the last frame it showed.
            StopClipCut();
        } else if (m_clipping && m_streamOpen) {
            // A clip of a stream goes on with the next recording; until that
            // shows a frame, the last one shown here is where it stands.
            OSTRUM_FILE_TIME shown{};
            if (Ostrum_GetPlayedTime(m_port, &shown)) {
                m_clipReached = shown;
                m_clipHasReached = true;
            }
        }
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

void CPlayerInterface::KickInput() {
    std::lock_guard<std::mutex> lk(m_inputMutex);
    m_inputKick = true;
    m_inputCv.notify_all();
}

int CPlayerInterface::InputData(const uint8_t* data, uint32_t size) {
    if (!m_streamOpen || m_fileRoute) return InputNoStream;
    // A full buffer is offered the data again after a pause that grows
    // while the player takes nothing: up to 120 ms while it plays (its
    // buffer holds seconds, so the longest pause loses nothing), up to a
    // second while it is held on a picture, where only a control (which
    // ends the pause) lets it take more.
    int pauseMs = 15;
    for (;;) {
        if (!m_streamOpen) return InputNoStream;
        if (Ostrum_InputData(m_port, data, size)) break;
        Ostrum_GetLastError(m_port);
        if (m_stopInput) return InputGivenUp;
        {
            std::unique_lock<std::mutex> lk(m_inputMutex);
            m_inputCv.wait_for(lk, std::chrono::milliseconds(pauseMs), [this] { return m_inputKick || m_stopInput; });
            m_inputKick = false;
        }
        pauseMs = std::min(pauseMs * 2, m_paused || m_singleFrame ? 1000 : 120);
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
    KickInput();
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
    KickInput();
    if (!m_streamOpen || m_speed >= 4) return false;
    if (!Ostrum_Fast(m_port)) return false;
    ++m_speed;
    ApplyDecodeType();
    m_paused = false;
    return true;
}

bool CPlayerInterface::Slow() {
    KickInput();
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
    KickInput();
    if (!m_streamOpen || !Ostrum_OneByOne(m_port)) return false;
    m_speed = 0;
    m_paused = true;
    m_singleFrame = true;
    return true;
}

bool CPlayerInterface::OneByOneBack() {
    KickInput();
    if (!m_streamOpen || !Ostrum_OneByOneBack(m_port)) return false;
    m_paused = false;
    m_singleFrame = true;
    return true;
}

bool CPlayerInterface::Resume() {
    KickInput();
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

bool CPlayerInterface::StartClip(time_t start, std::shared_ptr<CSingleFile> record, StreamReader reader) {
    if (!m_streamOpen) return false;
    OSTRUM_FILE_TIME from{}, key{};
    bool hasKey = false;
    if (start == -1) {
        // The frame on screen to the millisecond: the clip starts with the
        // key frame it was decoded from.
        if (!Ostrum_GetPlayedTime(m_port, &from)) return false;
        hasKey = Ostrum_GetPlayedKeyTime(m_port, &key) != 0 && !Before(from, key);
        start = RecorderTimeOf(from);
        if (start == -1) return false;
    } else {
        from = RecorderFileTime(start);
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
    // The name is taken from now on by the file under it ("<name>.part"),
    // claimed in one step: a clip of another window or program started in
    // the same second takes the next name.
    std::string path = FreeOutputPath(folder, "ch" + channelText + "_" + timeText, ".mp4");
    if (m_fileRoute) {
        if (m_filePath.empty()) return false;
        int fd = -1;
        path = ClaimOutputPath(path, &fd);
        if (path.empty()) return false;
        ::close(fd);
    } else {
        // The stream is read again once the clip stops: what was fed to the
        // player runs ahead of the picture, and started anywhere.
        if (!reader) return false;
        std::unique_ptr<CStreamFileWriter> writer(new CStreamFileWriter);
        if (!writer->Open(path, false)) return false;
        path = writer->Path();
        m_clipWriter = std::move(writer);
        m_clipReader = std::move(reader);
        // As the writer takes it: the clip's recordings may be enciphered.
        QString secret;
        SettingText(SettingKey::SecretKey, &secret);
        m_clipSecret = secret.toStdString();
    }
    m_clipFromFile = m_fileRoute;
    m_clipFrom = from;
    m_clipHasKey = hasKey;
    m_clipKey = key;
    m_clipHasReached = false;
    m_clipFileName = path.substr(folder.size());
    m_clipPath = path;
    m_clipping = true;
    return true;
}

void CPlayerInterface::StopClip() {
    ZUN_Guard g(m_mutex);
    if (m_clipping) StopClipCut();
}

void CPlayerInterface::StopClipCut() {
    // Up to the frame on screen (a stream that closed meanwhile: the last
    // one it showed); a clip that showed nothing after its first frame
    // holds that frame.
    OSTRUM_FILE_TIME to = m_clipFrom;
    OSTRUM_FILE_TIME shown{};
    bool onScreen = m_streamOpen && Ostrum_GetPlayedTime(m_port, &shown);
    if (!onScreen && m_clipHasReached && !m_clipFromFile) {
        shown = m_clipReached;
        onScreen = true;
    }
    if (onScreen && !Before(shown, m_clipFrom)) to = shown;
    const OSTRUM_FILE_TIME from = m_clipFrom;
    const std::string path = m_clipPath;
    m_clipping = false;
    m_lastClipPath = path;

    if (m_clipFromFile) {
        m_clipFromFile = false;
        const std::string source = m_filePath;
        CutOnThread(path, [source, from, to, path] {
            if (!Ostrum_CutFile(source.c_str(), &from, &to, (path + ".part").c_str())) return std::string();
            return MoveToFreeOutputPath(path + ".part", path);
        }, [] {});
        return;
    }

    // A stream: its recordings are read again from the key frame's second
    // (and the second before it, where its pack may lie), or from the
    // second asked for, where the player started too; to the last second
    // shown.
    std::shared_ptr<CStreamFileWriter> writer(m_clipWriter.release());
    StreamReader reader;
    reader.swap(m_clipReader);
    const time_t readFrom = RecorderTimeOf(m_clipHasKey ? m_clipKey : from);
    const int lead = m_clipHasKey ? 1 : 0;
    const time_t readTo = RecorderTimeOf(to);
    const int64_t fromMs = RecorderMs(from);
    const int64_t toMs = RecorderMs(to);
    const std::string key = m_clipSecret;
    CutOnThread(path, [writer, reader, readFrom, readTo, lead, fromMs, toMs, key] {
        if (!writer || !reader || readFrom == -1 || readTo == -1 || fromMs < 0 || toMs < 0) {
            if (writer) writer->Abandon();
            return std::string();
        }
        recstream::StreamCutter cutter(fromMs, toMs, key, [&](bool header, const uint8_t* data, size_t size) {
            const uint32_t n = static_cast<uint32_t>(size);
            return header ? writer->WriteHeader(data, n) : writer->Write(data, n) == n;
        });
        const bool read = reader(readFrom, readTo, lead, [&](int dataType, const uint8_t* data, uint32_t size) {
            if (dataType == 1) cutter.Header(data, size);
            else cutter.Feed(data, size);
            return !cutter.Done() && !cutter.Failed();
        });
        // A span that could not be read to its end gives no clip: it would
        // hold less than was shown.
        if (!cutter.Finish() || !read) {
            writer->Abandon();
            return std::string();
        }
        return writer->Close() ? writer->Path() : std::string();
    }, [writer] {
        if (writer) writer->Abandon();
    });
}

void CPlayerInterface::CutOnThread(const std::string& path, std::function<std::string()> cut,
                                   std::function<void()> discard) {
    // The copy takes as long as the clip is long: the caller (the GUI
    // thread) does not wait for it.
    const std::shared_ptr<ClipReport> report = m_clipReport;
    const std::function<void()> work = [report, path, cut] {
        const std::string saved = cut();
        if (saved.empty()) {
            qCDebug(lcKelPlayback, "CPlayerInterface::StopClip clip not written: %s", path.c_str());
            const std::string part = wincompat::MapPath(path + ".part");
            if (!part.empty()) std::remove(part.c_str());
        }
        std::lock_guard<std::mutex> guard(report->lock);
        if (report->owner) report->owner->ClipCut(path, saved);
    };
    if (ClipCutters::Instance().Start(work)) return;
    qCDebug(lcKelPlayback, "CPlayerInterface::StopClip no thread for the clip: %s", path.c_str());
    discard();
    const std::string part = wincompat::MapPath(path + ".part");
    if (!part.empty()) std::remove(part.c_str());
    m_lastClipPath.clear();
    emit signalClipFinished(LocalToUnicode(path.c_str(), false), false);
}

void CPlayerInterface::ClipCut(const std::string& path, const std::string& saved) {
    {
        // Nothing of it is left: it is no longer the last clip. A file that
        // another program saved under its name meanwhile stays: the clip
        // took the next name.
        ZUN_Guard g(m_mutex);
        if (m_lastClipPath == path) m_lastClipPath = saved;
    }
    const std::string& shown = saved.empty() ? path : saved;
    emit signalClipFinished(LocalToUnicode(shown.c_str(), false), !saved.empty());
}

bool CPlayerInterface::IsClipping() {
    ZUN_Guard g(m_mutex);
    return m_clipping;
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
