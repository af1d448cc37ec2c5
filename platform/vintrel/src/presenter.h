// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The presenter of a port: makes screen pictures of decoded frames (scaled
// to the view, in the port's colours), holds the frame on screen, and keeps
// the decoded frames a paused window can step back through. Its own lock for
// that state; conversions run under a lock of their own, outside it.
#include <QImage>
#include <QRect>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

struct AVFrame;
struct SwsContext;

namespace vintrel {

class Surface;

// A decoded frame with its times: recorder ms, 90 kHz stamp, and the
// recorder ms of the key frame it was decoded from.
struct Picture {
    std::shared_ptr<AVFrame> frame;
    int64_t t = 0;
    int64_t pts = 0;
    int64_t keyT = 0;
    size_t bytes = 0;   // of the frame's buffers (counted when kept)
};

// Takes a decoded frame (freed with the last reference).
std::shared_ptr<AVFrame> ShareFrame(AVFrame* frame);
// Bytes of the frame's buffers.
size_t FrameBytes(const AVFrame* frame);

class Presenter {
public:
    explicit Presenter(std::shared_ptr<Surface> surface) : m_surface(std::move(surface)) {}
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    void FreeConverters();

    // ---- pictures (any thread) ----
    // The whole frame in RGB32, in the port's colours.
    QImage Convert(AVFrame* frame);
    // The picture for the screen: with `mayFit`, the shown part of the
    // frame at the view's size when the view is the smaller (`*fitted`
    // set), else the whole frame.
    QImage ScreenPicture(AVFrame* frame, bool mayFit, bool* fitted);
    void SetColor(const int color[4]);
    void GetColor(int color[4]);

    // ---- the frame on screen ----
    // `image`: the whole picture, or null when the screen got one made for
    // its view (it is made again from the frame when asked for).
    // `keep`: a paused window's step, kept for stepping back; otherwise the
    // history goes.
    void SetShown(const Picture& picture, const QImage& image, bool keep);
    // A frame of the history on screen (the history stays as it is).
    void SetShownKept(const Picture& picture, const QImage& image);
    void ClearShown();
    // Recorder ms of the frame on screen, and of its key frame (-1: none).
    int64_t ShownT();
    void ShownTimes(int64_t* t, int64_t* keyT);
    // The shown picture at its full size.
    QImage FullShownPicture();
    // The shown frame again, for a changed view or region.
    void Refit();

    // ---- stepping back ----
    // A paused window: the frame on screen begins the history.
    void StartHistory();
    void ClearHistory();
    size_t KeptBytes();
    // Recorder ms of the first frame kept (false: none).
    bool FirstKeptT(int64_t* t);
    // Puts frames decoded again before the first one kept in front of the
    // history, nearest first, as many as the budget allows; false when the
    // history changed meanwhile.
    bool PrependHistory(std::deque<Picture> made, int64_t firstT);
    // One frame back / forward within the history; false when there is
    // none (backwards: fewer than two frames left before the position).
    bool StepBack(Picture* picture);
    bool StepForward(Picture* picture);
    bool CanStepBack();

private:
    QImage ConvertFitted(AVFrame* frame, const QSize& target, const QRect& region);
    QImage Scale(SwsContext** sws, uint32_t* colorSerial, const uint8_t* const planes[4], const int linesize[4],
                 int width, int height, int format, const QSize& target);
    void ApplyColor(SwsContext* sws, uint32_t* seenSerial);   // under m_swsMutex
    void KeepLocked(const Picture& picture);

    const std::shared_ptr<Surface> m_surface;

    std::mutex m_mutex;
    QImage m_shown;                         // null when the screen got a fitted picture
    std::shared_ptr<AVFrame> m_shownFrame;  // the decoded frame on screen
    int64_t m_shownT = -1;
    int64_t m_shownKeyT = -1;
    int64_t m_shownPts = 0;
    std::deque<Picture> m_history;
    size_t m_historyBytes = 0;
    size_t m_historyBack = 0;               // frames stepped back from the newest kept
    int m_color[4] = {64, 64, 64, 64};
    uint32_t m_colorSerial = 0;

    // Converters, used by the decode thread and by a caller stepping back.
    std::mutex m_swsMutex;
    SwsContext* m_sws = nullptr;
    uint32_t m_swsColorSerial = ~0u;
    SwsContext* m_swsFit = nullptr;
    uint32_t m_swsFitColorSerial = ~0u;
};

}  // namespace vintrel
