// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlayBackInteraction.h"

#include <QDateTime>
#include <QDebug>

#include "ziraz/ziraz.h"
#include "storage/RecorderTime.h"
#include "storage/KelLogging.h"

namespace APT_QMR {

CPlayBackInteraction::CPlayBackInteraction() : QObject(nullptr) {
    RegisterVehicleDataTypes();
    if (!connect(&m_streamPlayer, &CStreamPlayer::signalDiskSpacelow, this, &CPlayBackInteraction::signalDiskSpaceLow)) {
        qCDebug(lcKelPlayback).noquote() << QString("connect failure! %1:%2 in %3").arg(__FILE__).arg(__LINE__).arg(Q_FUNC_INFO);
    }
    connect(&m_streamPlayer, &CStreamPlayer::signalVehInfo, this, &CPlayBackInteraction::signalVehInfo);
    connect(&m_streamPlayer, &CStreamPlayer::signalClipFinished, this, &CPlayBackInteraction::signalClipFinished);
    connect(&m_streamPlayer, &CStreamPlayer::signalPlayControl, this, &CPlayBackInteraction::signalPlayControl);
}

CPlayBackInteraction::~CPlayBackInteraction() {
    m_streamPlayer.Stop();
    delete m_channelFiles;
    m_channelFiles = nullptr;
}

// ---- channel and files ------------------------------------------------------------

void CPlayBackInteraction::SetChannel(CChannel channel) {
    ZUN_Guard guard(m_windowMutex);
    m_streamPlayer.Reset();
    {
        ZUN_Guard list(m_listMutex);
        m_fileList.clear();
    }
    m_channel.SetChannelNumber(channel.GetChannelNumber());
    m_channel.SetDevice(channel.GetDevice());
    m_channel.SetRbs(channel.GetRbs());
}

CChannel CPlayBackInteraction::GetChannel() const { return m_channel; }

void CPlayBackInteraction::SetDownLoadFileType(int type) { m_downloader.SetDownLoadFileType(type); }

void CPlayBackInteraction::SetChannelFiles(ChannelFiles* files) {
    if (files == m_channelFiles) return;
    delete m_channelFiles;
    m_channelFiles = files;
}

time_t CPlayBackInteraction::GetSearchStartTime() const {
    if (!m_channelFiles) return -1;
    return RecorderTime(m_channelFiles->StartTime, QTime(0, 0, 0));
}

time_t CPlayBackInteraction::GetSearchEndTime() const {
    if (!m_channelFiles) return -1;
    return RecorderTime(m_channelFiles->EndTime, QTime(23, 59, 59));
}

std::vector<CSingleFile*> CPlayBackInteraction::GetFileList() const {
    ZUN_Guard list(m_listMutex);
    return m_fileList;
}

void CPlayBackInteraction::SetFileList(std::vector<CSingleFile*> files) {
    ZUN_Guard list(m_listMutex);
    m_fileList.swap(files);
}

void CPlayBackInteraction::Reset() {
    ZUN_Guard guard(m_windowMutex);
    m_streamPlayer.Reset();
    ZUN_Guard list(m_listMutex);
    m_fileList.clear();
}

// ---- playing ------------------------------------------------------------------------------

bool CPlayBackInteraction::StartPlayback(void* window, time_t t) {
    m_streamPlayer.SetState(CStreamPlayer::StatePlaying);
    std::vector<CSingleFile*> channelList;
    {
        ZUN_Guard list(m_listMutex);
        if (m_fileList.empty()) {
            m_streamPlayer.SetState(CStreamPlayer::StateOpenFailed);
            qCDebug(lcKelPlayback, "CPlayBackInteraction-StartPlayback nofile");
            return false;
        }
        for (CSingleFile* f : m_fileList)
            if (f && f->ChannelNumber == m_channel.GetChannelNumber()) channelList.push_back(f);
    }
    m_streamPlayer.Stop();
    m_bPlaying = false;
    m_window = window;

    auto* record = new PlayWindow;
    record->hWnd = window;
    record->nChannel = m_channel.GetChannelNumber();
    // The player takes the record, also when it refuses it.
    if (!m_streamPlayer.SetWindow(record)) return false;
    if (!m_streamPlayer.SetFileList(channelList)) return false;
    m_streamPlayer.SetDiskKind(m_bRbs);

    if (m_streamPlayer.StartPlayByTime(t)) {
        m_bTimeInFile = m_streamPlayer.IsTimeInFile();
        m_streamPlayer.SetEndOfList(false);
        m_bPlaying = true;
        return true;
    }
    if (m_streamPlayer.GetState() == CStreamPlayer::StatePlaying) m_streamPlayer.SetState(CStreamPlayer::StateOpenFailed);
    return false;
}

void CPlayBackInteraction::StopPlayback() {
    m_streamPlayer.Stop();
    m_bPlaying = false;
}

bool CPlayBackInteraction::SeekTo(time_t t) {
    const bool clipping = m_streamPlayer.IsClipping();
    if (clipping) {
        m_streamPlayer.StopClip();
        const std::string path = m_streamPlayer.GetPlayer()->GetLastClipPath();
        if (!path.empty()) emit signalClipEndedBySeek(ziraz::ConvertToUnicode(path));
    }
    if (!m_streamPlayer.SeekTo(t)) return false;
    if (clipping) {
        const bool started = m_streamPlayer.StartClip(t);
        qCDebug(lcKelPlayback) << "CPlayBackInteraction::SeekTo StartClip" << started;
    }
    return true;
}

bool CPlayBackInteraction::Pause(bool on) {
    if (!m_streamPlayer.Pause(on)) return false;
    m_bPause = on;
    m_bPlaying = !on;
    return true;
}

bool CPlayBackInteraction::Fast() { return m_streamPlayer.Fast(); }

int CPlayBackInteraction::SetSpeed(int step) { return m_streamPlayer.SetSpeed(step); }

bool CPlayBackInteraction::Slow() { return m_streamPlayer.Slow(); }

bool CPlayBackInteraction::OneByOne() {
    if (m_streamPlayer.OneByOne()) {
        m_bSingleFrame = true;
        m_bPlaying = false;
        return true;
    }
    m_bSingleFrame = false;
    return false;
}

bool CPlayBackInteraction::OneByOneBack() {
    if (m_streamPlayer.OneByOneBack()) {
        m_bSingleFrame = true;
        m_bPlaying = false;
        return true;
    }
    m_bSingleFrame = false;
    return false;
}

bool CPlayBackInteraction::Resume() {
    m_bSingleFrame = false;
    m_bPause = false;
    if (!m_streamPlayer.Resume()) return false;
    m_bPlaying = true;
    return true;
}

bool CPlayBackInteraction::StartClip(time_t start) { return m_streamPlayer.StartClip(start); }

void CPlayBackInteraction::StopClip() { m_streamPlayer.StopClip(); }

bool CPlayBackInteraction::SetDisplayRegion(float left, float top, float right, float bottom) {
    if ((left == right && top == bottom) || left - right >= 0 || top - bottom >= 0) {
        m_region[0] = 0.0f;
        m_region[1] = 0.0f;
        m_region[2] = 1.0f;
        m_region[3] = 1.0f;
    } else {
        const float w = m_region[2] - m_region[0];
        const float h = m_region[3] - m_region[1];
        const float l0 = m_region[0];
        const float t0 = m_region[1];
        m_region[0] = l0 + w * left;
        m_region[1] = t0 + h * top;
        m_region[2] = l0 + w * right;
        m_region[3] = t0 + h * bottom;
    }
    return m_streamPlayer.SetDisplayRegion(m_region[0], m_region[1], m_region[2], m_region[3]);
}

void CPlayBackInteraction::GetDisplayRegion(float region[4]) const {
    for (int i = 0; i < 4; ++i) region[i] = m_region[i];
}

bool CPlayBackInteraction::RefreshPlay() { return m_streamPlayer.RefreshPlay(); }

uint64_t CPlayBackInteraction::EstimateDownloadSize(time_t start, time_t end) {
    // What a download of the window's channel copies: its files as one
    // time line (a channel found on two disks counts once).
    std::vector<CSingleFile*> files;
    {
        ZUN_Guard list(m_listMutex);
        const int channel = m_channel.GetChannelNumber();
        for (CSingleFile* f : m_fileList)
            if (f && (channel < 0 || f->ChannelNumber == channel)) files.push_back(f);
    }
    return CStreamDownloader::EstimateFilesSize(files, start, end);
}

// The player turns the volume to half (32767) with the sound.
bool CPlayBackInteraction::PlaySound() { return m_streamPlayer.GetPlayer()->PlaySound(); }

bool CPlayBackInteraction::StopSound() { return m_streamPlayer.GetPlayer()->StopSound(); }

bool CPlayBackInteraction::SetVolume(uint16_t volume) { return m_streamPlayer.GetPlayer()->SetVolume(volume); }

bool CPlayBackInteraction::Capture() { return m_streamPlayer.Capture(); }

bool CPlayBackInteraction::SetDrawCallback(OSTRUM_DRAW_CB callback, void* user) {
    return m_streamPlayer.SetDrawCallback(callback, user);
}

// ---- what the views read -----------------------------------------------------------

CPlayBackInteraction::State CPlayBackInteraction::GetState() const {
    State state;
    state.fileOpen = m_streamPlayer.IsFileOpen();
    state.playing = m_bPlaying;
    state.paused = m_bPause;
    state.singleFrame = m_bSingleFrame;
    state.speed = m_streamPlayer.GetSpeed();
    state.clipping = m_streamPlayer.IsClipping();
    state.soundOn = m_streamPlayer.GetPlayer()->IsSoundOn();
    state.volume = m_streamPlayer.GetPlayer()->GetVolume();
    state.playerState = m_streamPlayer.GetState();
    state.endOfList = m_streamPlayer.IsEndOfList();
    state.resting = !state.clipping && (m_streamPlayer.GetPlayer()->IsPaused() || m_streamPlayer.GetPlayer()->IsSingleFrame()) &&
                    m_streamPlayer.IsWaitingForWake();
    return state;
}

time_t CPlayBackInteraction::GetPlayedTime() { return m_streamPlayer.GetPlayedTime(); }

std::shared_ptr<CSingleFile> CPlayBackInteraction::GetCurrentFile() { return m_streamPlayer.GetCurrentFile(); }

QString CPlayBackInteraction::GetLastClipPath() {
    return QString::fromLocal8Bit(m_streamPlayer.GetPlayer()->GetLastClipPath().c_str());
}

QString CPlayBackInteraction::GetCapturePath() {
    return QString::fromLocal8Bit(m_streamPlayer.GetPlayer()->GetCapturePath().c_str());
}

}  // namespace APT_QMR
