// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoStreamMgt.h"

#include <unistd.h>

#include <cstdio>

#include "Frame.h"
#include "TimeConv.h"
#include "pellomir/Pellomir.h"

namespace pellomir {
namespace {

std::mutex g_singletonLock;
CVideoStreamMgt* g_streamMgt = nullptr;
CRecordTimeRange* g_timeRange = nullptr;

}  // namespace

STREAM_CONTEXT::~STREAM_CONTEXT()
{
    DiscardOutput();
}

void STREAM_CONTEXT::DiscardOutput()
{
    if (outputFile) {
        std::fclose(outputFile);
        outputFile = nullptr;
    }
    if (writePath.empty())
        return;
    if (!appendInPlace) {
        std::remove(writePath.c_str());
    } else if (::truncate(writePath.c_str(), static_cast<off_t>(outputSizeBefore)) != 0) {
        DebugOut("copy: %s could not be cut back\r\n", outputPath);
    }
    writePath.clear();
}

CVideoStreamMgt* CVideoStreamMgt::Instance()
{
    std::lock_guard<std::mutex> guard(g_singletonLock);
    if (!g_streamMgt)
        g_streamMgt = new CVideoStreamMgt();
    return g_streamMgt;
}

void CVideoStreamMgt::DestroyInstance()
{
    std::lock_guard<std::mutex> guard(g_singletonLock);
    delete g_streamMgt;
    g_streamMgt = nullptr;
}

CVideoStreamMgt::~CVideoStreamMgt()
{
    for (auto& entry : m_streams)
        CloseContext(*entry.second);
}

void CVideoStreamMgt::CloseContext(STREAM_CONTEXT& context)
{
    // A copy that is still open here never reached its stop.
    context.DiscardOutput();
}

bool CVideoStreamMgt::AddStream(std::unique_ptr<STREAM_CONTEXT> context)
{
    if (!context) {
        SetLastErrorCode(DVR_FILE_ERR_PARAM);
        return false;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    const int32_t stream = context->stream;
    if (m_streams.count(stream)) {
        SetLastErrorCode(DVR_FILE_ERR_STREAM_PLAYED);
        return false;
    }
    m_streams.emplace(stream, std::shared_ptr<STREAM_CONTEXT>(std::move(context)));
    return true;
}

std::shared_ptr<STREAM_CONTEXT> CVideoStreamMgt::GetStream(int32_t stream)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    return it == m_streams.end() ? nullptr : it->second;
}

std::shared_ptr<STREAM_CONTEXT> CVideoStreamMgt::TakeStream(int32_t stream)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    if (it == m_streams.end())
        return nullptr;
    std::shared_ptr<STREAM_CONTEXT> context = std::move(it->second);
    m_streams.erase(it);
    return context;
}

std::vector<int32_t> CVideoStreamMgt::StreamHandles()
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<int32_t> handles;
    for (const auto& entry : m_streams)
        handles.push_back(entry.first);
    return handles;
}

void CVideoStreamMgt::RemoveStream(int32_t stream)
{
    std::shared_ptr<STREAM_CONTEXT> context;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_streams.find(stream);
        if (it == m_streams.end())
            return;
        context = std::move(it->second);
        m_streams.erase(it);
    }
    CloseContext(*context);
}

bool CVideoStreamMgt::GetStreamPort(int32_t stream, int32_t* port, uintptr_t* window)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    if (it == m_streams.end())
        return false;
    if (port)
        *port = it->second->port;
    if (window)
        *window = it->second->window;
    return true;
}

bool CVideoStreamMgt::GetStreamKind(int32_t stream, uint32_t* kind)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    if (it == m_streams.end())
        return false;
    if (kind)
        *kind = it->second->kind;
    return true;
}

bool CVideoStreamMgt::GetStreamReverse(int32_t stream, bool* reverse)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    if (it == m_streams.end())
        return false;
    if (reverse)
        *reverse = it->second->reverse.load();
    return true;
}

void CVideoStreamMgt::SetStreamStop(int32_t stream, bool stop)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    if (it != m_streams.end())
        it->second->stopRequested.store(stop);
}

void CVideoStreamMgt::SetStreamReverse(int32_t stream, bool reverse)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_streams.find(stream);
    if (it != m_streams.end())
        it->second->reverse.store(reverse);
}

CRecordTimeRange* CRecordTimeRange::Instance()
{
    std::lock_guard<std::mutex> guard(g_singletonLock);
    if (!g_timeRange)
        g_timeRange = new CRecordTimeRange();
    return g_timeRange;
}

void CRecordTimeRange::DestroyInstance()
{
    std::lock_guard<std::mutex> guard(g_singletonLock);
    delete g_timeRange;
    g_timeRange = nullptr;
}

void CRecordTimeRange::Add(const char* startText, const char* stopText)
{
    const int32_t start = TimeFromText14(startText);
    const int32_t stop = TimeFromText14(stopText);
    std::lock_guard<std::mutex> guard(m_lock);
    // A time text that does not convert (0) is no bound.
    if (start != 0 && (m_earliest == 0 || start < m_earliest))
        m_earliest = start;
    if (stop != 0 && (m_latest == 0 || stop > m_latest))
        m_latest = stop;
}

void CRecordTimeRange::Reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_earliest = 0;
    m_latest = 0;
}

bool CRecordTimeRange::Get(int32_t* earliest, int32_t* latest)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_earliest == 0 || m_latest == 0)
        return false;
    if (earliest)
        *earliest = m_earliest;
    if (latest)
        *latest = m_latest;
    return true;
}

}  // namespace pellomir
