#pragma once
// Where a port's frames go on screen: a child view filling the window the
// caller gave (a QWidget). The view is created, painted and removed on the
// GUI thread only; decode threads hand images over through the surface.
#include <QImage>
#include <QRect>
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
    // Any thread: the image to show; repaints the view.
    void SetImage(const QImage& image);
    void Repaint();
    // Source rectangle in picture pixels; empty = whole picture.
    void SetRegion(const QRect& region);
    void SetDrawCallback(OSTRUM_DRAW_CB cb, void* user);

    // GUI thread, from the view.
    void Paint(FrameView* view);
    void ViewGone(FrameView* view);

private:
    void CreateView(QWidget* window, uint64_t serial);

    const int m_port;
    std::mutex m_mutex;
    QImage m_image;
    QRect m_region;
    OSTRUM_DRAW_CB m_drawCb = nullptr;
    void* m_drawUser = nullptr;
    FrameView* m_view = nullptr;
    bool m_updatePending = false;
    uint64_t m_serial = 0;
};

}  // namespace vintrel
