// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a port's frames go on screen: a child view filling the window the
// caller gave (a QWidget). The view is created, painted and removed on the
// GUI thread only; decode threads hand images over through the surface.
#include <QImage>
#include <QRect>
#include <QSize>
#include <functional>
#include <memory>
#include <mutex>

#include "vintrel.h"

class QWidget;

namespace vintrel {

class FrameView;

class Surface : public std::enable_shared_from_this<Surface> {
public:
    explicit Surface(int port) : m_port(port) {}
    ~Surface();

    // Any thread. Shows the images in `window` (null: draw nowhere).
    void Attach(QWidget* window);
    void Detach();
    // Any thread: the image to show; repaints the view. A fitted image is
    // already the shown part of the picture at the view's size; otherwise
    // the view shows the region of it, scaled.
    void SetImage(const QImage& image, bool fitted = false);
    void Repaint();
    // Source rectangle in picture pixels; empty = whole picture.
    void SetRegion(const QRect& region);
    QRect Region();
    // Any thread: the size of the view, false while there is none.
    bool ViewSize(QSize* size);
    // Called (on the GUI thread) when the view changed its size; null to stop.
    void SetResizeHandler(std::function<void()> handler);
    void SetDrawCallback(OSTRUM_DRAW_CB cb, void* user);

    // GUI thread, from the view.
    void Paint(FrameView* view);
    void ViewGone(FrameView* view);
    void ViewResized(FrameView* view, const QSize& size);

private:
    void CreateView(QWidget* window, uint64_t serial);

    const int m_port;
    std::mutex m_mutex;
    QImage m_image;
    bool m_fitted = false;
    QRect m_region;
    QSize m_viewSize;
    std::mutex m_handlerMutex;   // held while the resize handler runs
    std::function<void()> m_resizeHandler;
    OSTRUM_DRAW_CB m_drawCb = nullptr;
    void* m_drawUser = nullptr;
    FrameView* m_view = nullptr;
    bool m_updatePending = false;
    uint64_t m_serial = 0;
};

}  // namespace vintrel
