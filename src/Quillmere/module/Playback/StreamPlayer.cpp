// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamPlayer.h"

#include <QDateTime>
#include <QDebug>

#include <cstring>
#include "storage/RecorderTime.h"
#include "storage/KelLogging.h"

namespace APT_QMR {

namespace {

constexpr int kHeaderSize = 40;
constexpr int kStartWaitMs = 5000;
constexpr int kPumpIntervalMs = 40;
constexpr int kPlayedOutPasses = 10;

const char* Now() {
    thread_local QByteArray text;
    text = QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss.zzz").toLatin1();
    return text.constData();
}

}  // namespace

CStreamPlayer::CStreamPlayer() {
    RegisterVehicleDataTypes();
    m_source.SetCallback(&CStreamPlayer::DataCallback, this);
    connect(&m_player, &CPlayerInterface::signalVehInfo, this, &CStreamPlayer::onUpdateVehInfo);
    connect(&m_player, &CPlayerInterface::signalKeySecretState, this, &CStreamPlayer::onKeySecretState);
    connect(&m_player, &CPlayerInterface::signalClipFinished, this, &CStreamPlayer::signalClipFinished);
}

CStreamPlayer::~CStreamPlayer() {
    Stop();
    m_source.StopStream();   // before the player goes: no callback may reach it
    DestroyStartSem();
    delete m_window;
    m_window = nullptr;
}

// ---- set-up -------------------------------------------------------------------

bool CStreamPlayer::SetWindow(PlayWindow* window) {
    if (!window) return false;
    if (window == m_window) return window->hWnd && !IsFileOpen();   // already ours
    if (!window->hWnd || IsFileOpen()) {
        delete window;   // ownership passed with the call
        return false;
    }
    delete m_window;
    m_window = window;
    return true;
}

bool CStreamPlayer::SetFileList(std::vector<CSingleFile*> files) {
    if (IsFileOpen()) return false;
    // Each moment once: a channel found on two disks is not played twice.
    // Entries that add nothing stay as nulls, so the indexes are the
    // caller's.
    std::vector<std::unique_ptr<CSingleFile>> owned = OneTimeLine(files);
    std::vector<CSingleFile*> list;
    list.reserve(owned.size());
    for (const std::unique_ptr<CSingleFile>& f : owned) list.push_back(f.get());
    m_ownedFiles.swap(owned);
    m_fileList.swap(list);
    return true;
}

void CStreamPlayer::SetDiskKind(bool bareDisk) { m_source.SetDiskKind(bareDisk); }

bool CStreamPlayer::SetDrawCallback(OSTRUM_DRAW_CB callback, void* user) {
    if (callback == m_drawCallback && user == m_drawUser) return false;
    m_drawCallback = callback;
    m_drawUser = user;
    if (!callback || !m_player.IsStreamOpen()) return false;
    return m_player.RegisterDrawFun(callback, user);
}

bool CStreamPlayer::EnableSync() {
    ZUN_Guard guard(m_mutex);
    m_syncRequested = true;
    // A stream already playing joins now: a move inside a converted file
    // opens nothing, and a window left on a clock of its own would show its
    // own seconds beside the group's.
    if (m_player.IsStreamOpen() && !m_inSyncGroup) {
        m_player.AddToSyncGroup();
        m_inSyncGroup = true;
    }
    return true;
}

bool CStreamPlayer::DisableSync() {
    ZUN_Guard guard(m_mutex);
    if (m_inSyncGroup) m_player.LeaveSyncGroup();
    m_inSyncGroup = false;
    m_syncRequested = false;
    return true;
}

std::shared_ptr<CSingleFile> CStreamPlayer::GetCurrentFile() {
    std::lock_guard<std::mutex> lock(m_fileLock);
    return m_currentFile;
}

void CStreamPlayer::SetCurrentFile(std::shared_ptr<CSingleFile> file) {
    std::lock_guard<std::mutex> lock(m_fileLock);
    m_currentFile = std::move(file);
}

// ---- data from the source ---------------------------------------------------------

void CStreamPlayer::DataCallback(int, int dataType, unsigned char* data, int length, void* user) {
    auto* self = static_cast<CStreamPlayer*>(user);
    if (!data || !self || length <= 0) return;
    if (dataType == 1) {
        self->OnHeader(data, length);
    } else if (dataType == 2) {
        if (self->m_window) self->m_player.InputData(data, static_cast<uint32_t>(length));
    }
}

bool CStreamPlayer::OpenPlayer(const uint8_t* header, int length) {
    int speed = m_player.GetSpeed();
    if (!m_player.OpenStream(header, static_cast<uint32_t>(length), m_window->hWnd)) return false;
    PlayerOpened(speed);
    return true;
}

void CStreamPlayer::PlayerOpened(int speed) {
    if (m_syncRequested) {
        m_player.AddToSyncGroup();
        m_inSyncGroup = true;
    }
    m_player.RegisterDrawFun(m_drawCallback, m_drawUser);
    if (speed != 0) m_player.SetSpeed(speed);
}

bool CStreamPlayer::PlayConvertedFile(std::shared_ptr<CSingleFile>& file, bool noSeek) {
    m_player.SetStopInput(true);
    m_source.StopStream();
    const time_t start = noSeek ? -1 : static_cast<time_t>(file->StartTime);
    const int speed = m_player.GetSpeed();
    if (m_player.IsFileOpen() && m_player.GetPort() >= 0 && m_openedFile == file->FileName) {
        // The same file: only the position moves.
        if (!m_player.SeekFile(start < 0 ? 0 : start, true)) {
            if (m_clipping) StopClip();
            m_player.CloseStream();
            m_state = StateOpenFailed;
            return false;
        }
    } else {
        if (m_clipping) StopClip();   // no clip goes on into another file read by the library
        if (!m_player.OpenFile(file->FileName, m_window->hWnd, start)) {
            m_openedFile.clear();
            m_state = StateOpenFailed;
            return false;
        }
        m_openedFile = file->FileName;
        PlayerOpened(speed);
    }
    m_endOfList = false;
    m_state = StatePlaying;
    return true;
}

void CStreamPlayer::OnHeader(const uint8_t* header, int length) {
    if (!m_window || length < kHeaderSize) return;
    std::lock_guard<std::mutex> lock(m_startLock);
    if (m_startSem != -1) {
        // A start waits for this header: open the player and let it go on,
        // whether or not the open worked (it checks the player).
        OpenPlayer(header, length);
        qCDebug(lcKelPlayback) << "this:" << static_cast<void*>(this);
        ZUN_SemPost(m_startSem);
        return;
    }
    // A header in the middle of a stream: a new recording follows.
    if (!m_player.IsSameHeader(header)) OpenPlayer(header, length);
}

void CStreamPlayer::DestroyStartSem() {
    std::lock_guard<std::mutex> lock(m_startLock);
    if (m_startSem != -1) {
        ZUN_SemDestroy(m_startSem);
        m_startSem = -1;
    }
}

// ---- starting a file ------------------------------------------------------------------

bool CStreamPlayer::GetStreamAndPlayFile(std::shared_ptr<CSingleFile>& file, bool noSeek) {
    if (m_source.IsDirectRoute() && IsConvertedFile(file->FileName)) return PlayConvertedFile(file, noSeek);
    if (m_player.IsFileOpen()) {
        if (m_clipping) StopClip();   // a clip of a file ends with it
        m_player.CloseStream();
    }
    m_player.SetStopInput(true);   // a blocked input of the previous stream gives up
    m_player.ResetSourceBuffer();

    ZUN_SEM sem;
    {
        std::lock_guard<std::mutex> lock(m_startLock);
        if (m_startSem != -1) ZUN_SemDestroy(m_startSem);
        m_startSem = ZUN_SemCreate(0);
        sem = m_startSem;
    }
    if (sem == -1) return false;

    // A positioned start opens the stream held: it is moved before its first
    // block is read, so nothing that precedes the target reaches the player.
    const bool held = !noSeek;
    if (!m_source.StartStreamByFile(file, held)) {
        DestroyStartSem();
        m_state = StateOpenFailed;
        return false;
    }
    if (held) {
        qCDebug(lcKelPlayback, "DragStartSetPosByTime %s", Now());
        bool reset = false;
        bool ok = m_source.SetPosByTime(RecorderFields(static_cast<time_t>(file->StartTime)), &reset);
        if (reset) m_player.ResetSourceBuffer();
        qCDebug(lcKelPlayback, "DragEndSetPosByTime %s", Now());
        if (!ok) {
            DestroyStartSem();
            m_player.SetStopInput(true);
            m_source.StopStream();
            m_player.CloseStream();
            m_state = StateOpenFailed;
            return false;
        }
        m_source.ReleaseStream();
    }

    int waited = ZUN_SemTimedWait(sem, kStartWaitMs);
    DestroyStartSem();
    if (waited != 0) {
        qCDebug(lcKelPlayback) << "this:" << static_cast<void*>(this);
        m_player.SetStopInput(true);
        m_source.StopStream();
        m_player.CloseStream();
        return false;
    }
    if (!m_player.IsStreamOpen()) return false;
    m_endOfList = false;
    m_state = StatePlaying;
    return true;
}

bool CStreamPlayer::LocateFileAndPlay(time_t t) {
    qCDebug(lcKelPlayback, "DragStartPos %s", Now());
    FilePosition pos;
    if (!FindFileAtTime(pos, m_fileList, static_cast<int>(t)) || pos.index < 0 ||
        pos.index >= static_cast<int>(m_fileList.size()) || !m_fileList[static_cast<size_t>(pos.index)]) {
        qCDebug(lcKelPlayback, "StreamPlayer-FindFileAndPos failed");
        m_state = StateNoFile;
        return false;
    }
    m_timeInFile = IsTimeInFiles(m_fileList, static_cast<int>(t));
    qCDebug(lcKelPlayback, "DragEndPos %s", Now());

    const CSingleFile* found = m_fileList[static_cast<size_t>(pos.index)];
    std::shared_ptr<CSingleFile> file(found->clone(pos.time, -1));
    SetCurrentFile(file);

    qCDebug(lcKelPlayback, "DragStartGetStreamAndPlayFile %s", Now());
    // The index names the file being played from before its first frame is
    // shown, as the current file does; a failed start clears it.
    m_currentIndex = pos.index;
    if (!GetStreamAndPlayFile(file, t == 0)) {
        qCDebug(lcKelPlayback, "LocateFileAndPlay-GetStreamAndPlayFile-failed");
        return false;
    }
    qCDebug(lcKelPlayback, "DragEndGetStreamAndPlayFile %s", Now());
    m_sameTimeCount = 0;
    m_lastPlayedTime = -1;
    return true;
}

void CStreamPlayer::CloseAll() {
    if (m_clipping) StopClip();
    m_player.SetStopInput(true);
    m_player.CloseStream();
    m_source.StopStream();
    m_speed = 0;
    m_currentIndex = -1;
}

bool CStreamPlayer::StartPlayByTime(time_t t) {
    if (t < 0) return false;
    Stop();
    ZUN_Guard guard(m_mutex);
    if (LocateFileAndPlay(t)) {
        guard.Release();
        if (!Start()) {
            ZUN_Guard again(m_mutex);
            CloseAll();
            m_state = StateOpenFailed;
            return false;
        }
        m_endOfList = false;
        return true;
    }
    m_player.SetStopInput(true);
    m_player.CloseStream();
    m_source.StopStream();
    m_speed = 0;
    m_currentIndex = -1;
    return false;
}

bool CStreamPlayer::SeekTo(time_t t) {
    ZUN_Guard guard(m_mutex);
    if (!IsFileOpen() || t == -1) return false;
    Wake();
    if (LocateFileAndPlay(t)) {
        guard.Release();
        emit signalPlayControl();
        return true;
    }
    guard.Release();
    CBaseThread::Stop();
    ZUN_Guard again(m_mutex);
    CloseAll();
    return false;
}

void CStreamPlayer::Stop() {
    if (IsFileOpen()) {
        if (m_inSyncGroup) {
            m_player.LeaveSyncGroup();
            m_inSyncGroup = false;
        }
        CBaseThread::Stop();
        CloseAll();
    } else {
        CBaseThread::Stop();   // joins a pump that ended by itself
    }
    m_speed = 0;
}

// ---- the pump -------------------------------------------------------------------------

bool CStreamPlayer::Loop() {
    ZUN_Guard guard(m_mutex);
    if (!IsFileOpen()) return false;
    // A file read by the player library has been read whole when the
    // library has nothing left to show.
    const bool libraryReads = m_player.IsFileOpen();
    const int pos = libraryReads ? StorageOper::kPosEnd : m_source.GetPos();
    const time_t played = GetPlayedTime();
    const uint32_t remain = m_player.GetSourceBufferRemain();
    const uint32_t frames = m_player.GetBufferValue(OSTRUM_BUF_FRAMES_LEFT);

    m_sameTimeCount = (played == m_lastPlayedTime) ? m_sameTimeCount + 1 : 0;
    m_lastPlayedTime = played;

    const bool playedOut =
        pos == StorageOper::kPosEnd && remain == 0 && frames == 0 && m_sameTimeCount >= kPlayedOutPasses;
    if (playedOut) {
        // The next file of the list (gaps left by empty entries are skipped).
        size_t next = static_cast<size_t>(m_currentIndex.load()) + 1;
        while (next < m_fileList.size() && !m_fileList[next]) ++next;
        if (next < m_fileList.size()) {
            // A copy of the entry: the current file never points into the list.
            std::shared_ptr<CSingleFile> file(m_fileList[next]->clone(static_cast<int>(m_fileList[next]->StartTime), -1));
            SetCurrentFile(file);
            m_currentIndex = static_cast<int>(next);
            if (GetStreamAndPlayFile(file, false)) {
                m_sameTimeCount = 0;
                m_lastPlayedTime = -1;
                m_endOfList = false;
                guard.Release();
                WaitForWake(kPumpIntervalMs);
                return true;
            }
            CloseAll();
            m_state = StateOpenFailed;
            return false;
        }
        CloseAll();
        m_endOfList = true;
        return false;
    }
    if (!libraryReads && m_source.GetPos() == StorageOper::kPosFailed) {
        CloseAll();
        m_state = StateReadFailed;
        return false;
    }
    // Held on a picture (paused or single frames) with nothing moving for
    // as long as it takes to find a file played out: nothing changes until
    // a control comes, which wakes the pump.
    const bool held = m_player.IsPaused() || m_player.IsSingleFrame();
    const bool still = held && m_sameTimeCount >= kPlayedOutPasses;
    guard.Release();
    WaitForWake(still ? -1 : kPumpIntervalMs);
    return true;
}

// ---- controls -------------------------------------------------------------------------

time_t CStreamPlayer::GetPlayedTime() {
    ZUN_Guard guard(m_mutex);
    if (!IsFileOpen()) return -1;
    return m_player.GetPlayedTime();
}

bool CStreamPlayer::Pause(bool on) {
    ZUN_Guard guard(m_mutex);
    Wake();
    const bool ok = m_player.Pause(on);
    guard.Release();
    if (ok) emit signalPlayControl();
    return ok;
}

bool CStreamPlayer::Fast() {
    ZUN_Guard guard(m_mutex);
    Wake();
    const bool ok = m_player.Fast();
    if (ok) m_speed = m_player.GetSpeed();
    guard.Release();
    if (ok) emit signalPlayControl();
    return ok;
}

bool CStreamPlayer::Slow() {
    ZUN_Guard guard(m_mutex);
    Wake();
    const bool ok = m_player.Slow();
    if (ok) m_speed = m_player.GetSpeed();
    guard.Release();
    if (ok) emit signalPlayControl();
    return ok;
}

bool CStreamPlayer::OneByOne() {
    ZUN_Guard guard(m_mutex);
    Wake();
    const bool ok = m_player.OneByOne();
    if (ok) m_speed = 0;
    guard.Release();
    if (ok) emit signalPlayControl();
    return ok;
}

bool CStreamPlayer::OneByOneBack() {
    ZUN_Guard guard(m_mutex);
    Wake();
    const bool ok = m_player.OneByOneBack();
    guard.Release();
    if (ok) emit signalPlayControl();
    return ok;
}

bool CStreamPlayer::Resume() {
    ZUN_Guard guard(m_mutex);
    Wake();
    const bool ok = m_player.Resume();
    if (ok) m_speed = 0;
    guard.Release();
    if (ok) emit signalPlayControl();
    return ok;
}

int CStreamPlayer::SetSpeed(int step) {
    ZUN_Guard guard(m_mutex);
    Wake();
    const int result = m_player.SetSpeed(step);
    if (result != 0) m_speed = step;
    guard.Release();
    if (result != 0) emit signalPlayControl();
    return result;
}

bool CStreamPlayer::RefreshPlay() { return m_player.RefreshPlay(); }

bool CStreamPlayer::GetPictureSize(int* width, int* height) { return m_player.GetPictureSize(width, height); }

bool CStreamPlayer::SetDisplayRegion(float left, float top, float right, float bottom) {
    bool ok = m_player.SetDisplayRegion(left, top, right, bottom);
    if (ok) {
        m_region[0] = left;
        m_region[1] = top;
        m_region[2] = right;
        m_region[3] = bottom;
    } else {
        std::memset(m_region, 0, sizeof(m_region));
    }
    return ok;
}

bool CStreamPlayer::Capture() { return m_player.Capture(GetCurrentFile()); }

CPlayerInterface::StreamReader CStreamPlayer::ClipReader() const {
    // The clip is read again once it stops, maybe after this player has
    // moved on or gone: the reader keeps its own copy of the channel's
    // files and of the route they are read by.
    auto files = std::make_shared<std::vector<std::shared_ptr<CSingleFile>>>();
    for (const CSingleFile* f : m_fileList)
        if (f) files->emplace_back(f->clone(static_cast<int>(f->StartTime), -1));
    const bool direct = m_source.IsDirectRoute();
    return [files, direct](time_t from, time_t to, int lead, const CPlayerInterface::StreamSink& sink) {
        return ReadRecordingSpan(*files, direct, from, to, lead, sink);
    };
}

bool CStreamPlayer::StartClip(time_t start) {
    if (m_clipping) return true;
    bool ok = m_player.StartClip(start, GetCurrentFile(), ClipReader());
    if (ok) m_clipping = true;
    return ok;
}

void CStreamPlayer::StopClip() {
    if (!m_clipping) return;
    m_player.StopClip();
    m_clipping = false;
}

// ---- slots --------------------------------------------------------------------------------

void CStreamPlayer::onUpdateVehInfo(VEH_META_INFO vehInfo) { emit signalVehInfo(vehInfo); }

void CStreamPlayer::onKeySecretState(int state) {
    if (state == 0) m_state = StateKeyMissing;
    else if (state == 1) m_state = StateKeyMismatch;
}

}  // namespace APT_QMR
