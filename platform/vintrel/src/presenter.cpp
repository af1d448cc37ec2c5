// SPDX-License-Identifier: GPL-3.0-or-later
#include "presenter.h"

#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "surface.h"

namespace vintrel {

namespace {

constexpr size_t kHistory = 50;
// Stepping back keeps at most this many bytes of decoded pictures per port
// (about 15 frames of 1080p, 36 of 720p, all 50 below that).
constexpr size_t kHistoryBudget = 48u << 20;

}  // namespace

std::shared_ptr<AVFrame> ShareFrame(AVFrame* frame) {
    return std::shared_ptr<AVFrame>(frame, [](AVFrame* f) { av_frame_free(&f); });
}

size_t FrameBytes(const AVFrame* frame) {
    size_t bytes = 0;
    for (AVBufferRef* buf : frame->buf)
        if (buf) bytes += buf->size;
    for (int i = 0; i < frame->nb_extended_buf; ++i) bytes += frame->extended_buf[i]->size;
    return bytes;
}

Presenter::~Presenter() { FreeConverters(); }

void Presenter::FreeConverters() {
    std::lock_guard<std::mutex> sk(m_swsMutex);
    sws_freeContext(m_sws);
    m_sws = nullptr;
    sws_freeContext(m_swsFit);
    m_swsFit = nullptr;
}

// ---- pictures --------------------------------------------------------------------
void Presenter::SetColor(const int color[4]) {
    std::lock_guard<std::mutex> lk(m_mutex);
    std::memcpy(m_color, color, sizeof m_color);
    ++m_colorSerial;
}

void Presenter::GetColor(int color[4]) {
    std::lock_guard<std::mutex> lk(m_mutex);
    std::memcpy(color, m_color, sizeof m_color);
}

// Brightness, contrast and saturation of the port, when they changed since
// the converter last took them.
void Presenter::ApplyColor(SwsContext* sws, uint32_t* seenSerial) {
    uint32_t serial;
    int color[4];
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        serial = m_colorSerial;
        std::memcpy(color, m_color, sizeof color);
    }
    if (serial == *seenSerial) return;
    *seenSerial = serial;
    int* inv;
    int* table;
    int srcRange, dstRange, brightness, contrast, saturation;
    if (sws_getColorspaceDetails(sws, &inv, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >= 0) {
        brightness = (color[0] - 64) * (1 << 16) / 128;
        contrast = color[1] * (1 << 16) / 64;
        saturation = color[2] * (1 << 16) / 64;
        sws_setColorspaceDetails(sws, inv, srcRange, table, dstRange, brightness, contrast, saturation);
    }
}

// `width` x `height` pixels of a picture in `format` from the planes given,
// scaled to `target` in RGB32, in the port's colours, with the converter
// `*sws` (kept for the next picture of the same layout).
QImage Presenter::Scale(SwsContext** sws, uint32_t* colorSerial, const uint8_t* const planes[4],
                        const int linesize[4], int width, int height, int format, const QSize& target) {
    std::lock_guard<std::mutex> sk(m_swsMutex);
    SwsContext* before = *sws;
    *sws = sws_getCachedContext(*sws, width, height, static_cast<AVPixelFormat>(format), target.width(),
                                target.height(), AV_PIX_FMT_RGB32, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (!*sws) return QImage();
    if (*sws != before) *colorSerial = ~0u;
    ApplyColor(*sws, colorSerial);
    QImage image(target, QImage::Format_RGB32);
    if (image.isNull()) return image;
    uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
    sws_scale(*sws, planes, linesize, 0, height, dst, dstStride);
    return image;
}

QImage Presenter::Convert(AVFrame* frame) {
    return Scale(&m_sws, &m_swsColorSerial, frame->data, frame->linesize, frame->width, frame->height, frame->format,
                 QSize(frame->width, frame->height));
}

// The region of the frame (empty: all of it) scaled to `target`, in the
// colours set; null when the frame's layout does not allow it.
QImage Presenter::ConvertFitted(AVFrame* frame, const QSize& target, const QRect& region) {
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
    if (!desc || target.isEmpty() ||
        (desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM)))
        return QImage();
    const QRect whole(0, 0, frame->width, frame->height);
    QRect source = region.isValid() ? region.intersected(whole) : whole;
    if (!source.isValid()) source = whole;
    // The corner of the source on whole chroma samples.
    const int xAlign = (1 << desc->log2_chroma_w) - 1, yAlign = (1 << desc->log2_chroma_h) - 1;
    const int x = source.x() & ~xAlign, y = source.y() & ~yAlign;
    const int width = source.right() + 1 - x, height = source.bottom() + 1 - y;
    const uint8_t* planes[4] = {frame->data[0], frame->data[1], frame->data[2], frame->data[3]};
    bool moved[4] = {false, false, false, false};
    for (int c = 0; c < desc->nb_components; ++c) {
        const int plane = desc->comp[c].plane;
        if (moved[plane] || !planes[plane]) continue;
        moved[plane] = true;
        const bool chroma = (c == 1 || c == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
        const int px = chroma ? x >> desc->log2_chroma_w : x;
        const int py = chroma ? y >> desc->log2_chroma_h : y;
        planes[plane] += static_cast<ptrdiff_t>(py) * frame->linesize[plane] + static_cast<ptrdiff_t>(px) * desc->comp[c].step;
    }
    return Scale(&m_swsFit, &m_swsFitColorSerial, planes, frame->linesize, width, height, format, target);
}

QImage Presenter::ScreenPicture(AVFrame* frame, bool mayFit, bool* fitted) {
    *fitted = false;
    QSize view;
    if (mayFit && m_surface->ViewSize(&view) && view.width() * view.height() < frame->width * frame->height) {
        // An even width: the scaler takes its slow path for an odd one
        // (1080p to 401 or 397 pixels wide takes 2.4 times as long as to 400
        // or 398); the view fills the column left over.
        if (view.width() > 2) view.setWidth(view.width() & ~1);
        QImage image = ConvertFitted(frame, view, m_surface->Region());
        if (!image.isNull()) {
            *fitted = true;
            return image;
        }
    }
    return Convert(frame);
}

// ---- the frame on screen ------------------------------------------------------------
void Presenter::SetShown(const Picture& picture, const QImage& image, bool keep) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_shown = image;
    m_shownT = picture.t;
    m_shownKeyT = picture.keyT;
    m_shownPts = picture.pts;
    if (keep) {
        KeepLocked(picture);
    } else {
        m_history.clear();
        m_historyBytes = 0;
    }
    m_shownFrame = picture.frame;
    m_historyBack = 0;
}

void Presenter::SetShownKept(const Picture& picture, const QImage& image) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_shown = image;
    m_shownFrame = picture.frame;
    m_shownT = picture.t;
    m_shownKeyT = picture.keyT;
    m_shownPts = picture.pts;
}

void Presenter::ClearShown() {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_shown = QImage();
    m_shownFrame.reset();
    m_shownT = -1;
    m_shownKeyT = -1;
    m_history.clear();
    m_historyBytes = 0;
    m_historyBack = 0;
}

int64_t Presenter::ShownT() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_shownT;
}

void Presenter::ShownTimes(int64_t* t, int64_t* keyT) {
    std::lock_guard<std::mutex> lk(m_mutex);
    *t = m_shownT;
    *keyT = m_shownKeyT;
}

QImage Presenter::FullShownPicture() {
    QImage image;
    std::shared_ptr<AVFrame> frame;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        image = m_shown;
        frame = m_shownFrame;
    }
    if (image.isNull() && frame) image = Convert(frame.get());
    return image;
}

void Presenter::Refit() {
    std::shared_ptr<AVFrame> frame;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        frame = m_shownFrame;
    }
    if (!frame) {
        m_surface->Repaint();
        return;
    }
    bool fitted;
    const QImage image = ScreenPicture(frame.get(), true, &fitted);
    if (image.isNull()) return;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (m_shownFrame != frame) return;   // a newer frame is on its way
        m_shown = fitted ? QImage() : image;
    }
    m_surface->SetImage(image, fitted);
}

// ---- stepping back ---------------------------------------------------------------
void Presenter::KeepLocked(const Picture& picture) {
    Picture kept = picture;
    kept.bytes = FrameBytes(picture.frame.get());
    m_historyBytes += kept.bytes;
    m_history.push_back(std::move(kept));
    while (m_history.size() > kHistory || (m_history.size() > 1 && m_historyBytes > kHistoryBudget)) {
        m_historyBytes -= m_history.front().bytes;
        m_history.pop_front();
    }
}

void Presenter::StartHistory() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_history.empty() || !m_shownFrame || m_shownT < 0) return;
    Picture kept;
    kept.frame = m_shownFrame;
    kept.bytes = FrameBytes(m_shownFrame.get());
    kept.t = m_shownT;
    kept.pts = m_shownPts;
    kept.keyT = m_shownKeyT;
    m_historyBytes = kept.bytes;
    m_history.push_back(std::move(kept));
    m_historyBack = 0;
}

void Presenter::ClearHistory() {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_history.clear();
    m_historyBytes = 0;
    m_historyBack = 0;
}

size_t Presenter::KeptBytes() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_historyBytes;
}

bool Presenter::FirstKeptT(int64_t* t) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_history.empty()) return false;
    *t = m_history.front().t;
    return true;
}

bool Presenter::PrependHistory(std::deque<Picture> made, int64_t firstT) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_history.empty() || m_history.front().t != firstT) return false;   // the history changed meanwhile
    // The frames nearest to the kept ones, as many as the budget allows.
    for (size_t i = made.size(); i-- > 0;) {
        made[i].bytes = FrameBytes(made[i].frame.get());
        if (i + 1 < made.size() && m_historyBytes + made[i].bytes > kHistoryBudget) break;
        m_historyBytes += made[i].bytes;
        m_history.push_front(std::move(made[i]));
    }
    return true;
}

bool Presenter::CanStepBack() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_history.size() >= m_historyBack + 2;
}

bool Presenter::StepBack(Picture* picture) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_history.size() < m_historyBack + 2) return false;
    ++m_historyBack;
    *picture = m_history[m_history.size() - 1 - m_historyBack];
    return true;
}

bool Presenter::StepForward(Picture* picture) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_historyBack == 0) return false;
    --m_historyBack;
    *picture = m_history[m_history.size() - 1 - m_historyBack];
    return true;
}

}  // namespace vintrel
