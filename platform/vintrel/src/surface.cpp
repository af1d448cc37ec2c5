// SPDX-License-Identifier: GPL-3.0-or-later
#include "surface.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QThread>
#include <QWidget>

namespace vintrel {

class FrameView : public QWidget {
public:
    FrameView(QWidget* parent, std::shared_ptr<Surface> surface) : QWidget(parent), m_surface(std::move(surface)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setObjectName(QStringLiteral("vintrel_view"));
        parent->installEventFilter(this);
        setGeometry(parent->rect());
        lower();
        show();
    }
    ~FrameView() override { m_surface->ViewGone(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
        return false;
    }
    void resizeEvent(QResizeEvent*) override { m_surface->ViewResized(this, size()); }
    void paintEvent(QPaintEvent*) override { m_surface->Paint(this); }

private:
    std::shared_ptr<Surface> m_surface;
};

namespace {
bool OnGuiThread() { return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread(); }
}  // namespace

Surface::~Surface() = default;

void Surface::Attach(QWidget* window) {
    Detach();
    if (!window || !QCoreApplication::instance()) return;
    uint64_t serial;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        serial = ++m_serial;
    }
    if (OnGuiThread()) {
        CreateView(window, serial);
        return;
    }
    QPointer<QWidget> guarded(window);
    std::weak_ptr<Surface> weak = shared_from_this();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guarded, weak, serial]() {
            auto self = weak.lock();
            if (self && guarded) self->CreateView(guarded.data(), serial);
        },
        Qt::QueuedConnection);
}

void Surface::CreateView(QWidget* window, uint64_t serial) {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (serial != m_serial || m_view) return;  // detached again meanwhile
    }
    auto* view = new FrameView(window, shared_from_this());
    std::lock_guard<std::mutex> lk(m_mutex);
    m_view = view;
    m_viewSize = view->size();
    m_updatePending = false;
}

bool Surface::ViewSize(QSize* size) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (!m_view || m_viewSize.isEmpty()) return false;
    *size = m_viewSize;
    return true;
}

QRect Surface::Region() {
    std::lock_guard<std::mutex> lk(m_mutex);
    return m_region;
}

void Surface::SetResizeHandler(std::function<void()> handler) {
    std::lock_guard<std::mutex> hk(m_handlerMutex);
    m_resizeHandler = std::move(handler);
}

void Surface::ViewResized(FrameView* view, const QSize& size) {
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        if (view != m_view || size == m_viewSize) return;
        m_viewSize = size;
    }
    std::lock_guard<std::mutex> hk(m_handlerMutex);
    if (m_resizeHandler) m_resizeHandler();
}

void Surface::Detach() {
    std::lock_guard<std::mutex> lk(m_mutex);
    ++m_serial;
    m_viewSize = QSize();
    if (m_view) {
        QMetaObject::invokeMethod(m_view, "deleteLater", Qt::QueuedConnection);
        m_view = nullptr;
    }
}

void Surface::SetImage(const QImage& image, bool fitted) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_image = image;
    m_fitted = fitted;
    if (m_view && !m_updatePending) {
        m_updatePending = true;
        QMetaObject::invokeMethod(m_view, "update", Qt::QueuedConnection);
    }
}

void Surface::Repaint() {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_view && !m_updatePending) {
        m_updatePending = true;
        QMetaObject::invokeMethod(m_view, "update", Qt::QueuedConnection);
    }
}

void Surface::SetRegion(const QRect& region) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_region = region;
    if (m_view && !m_updatePending) {
        m_updatePending = true;
        QMetaObject::invokeMethod(m_view, "update", Qt::QueuedConnection);
    }
}

void Surface::SetDrawCallback(OSTRUM_DRAW_CB cb, void* user) {
    std::lock_guard<std::mutex> lk(m_mutex);
    m_drawCb = cb;
    m_drawUser = user;
}

void Surface::Paint(FrameView* view) {
    QImage image;
    QRect region;
    bool fitted;
    OSTRUM_DRAW_CB cb;
    void* user;
    {
        std::lock_guard<std::mutex> lk(m_mutex);
        m_updatePending = false;
        image = m_image;
        fitted = m_fitted;
        region = m_region;
        cb = m_drawCb;
        user = m_drawUser;
    }
    QPainter painter(view);
    const QRect target = view->rect();
    if (image.isNull()) {
        painter.fillRect(target, Qt::black);
    } else if (fitted) {
        // Made for this view, one column narrower for an odd width (scaled
        // only if the view changed its size since).
        if (image.size() == target.size()) {
            painter.drawImage(target.topLeft(), image);
        } else if (image.height() == target.height() && image.width() == (target.width() & ~1)) {
            painter.drawImage(target.topLeft(), image);
            painter.fillRect(QRect(target.left() + image.width(), target.top(), target.width() - image.width(),
                                   target.height()),
                             Qt::black);
        } else {
            painter.drawImage(target, image);
        }
    } else {
        QRect source = region.isValid() ? region.intersected(image.rect()) : image.rect();
        if (!source.isValid()) source = image.rect();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, image, source);
    }
    if (cb) cb(m_port, &painter, user);
}

void Surface::ViewGone(FrameView* view) {
    std::lock_guard<std::mutex> lk(m_mutex);
    if (m_view == view) {
        m_view = nullptr;
        m_viewSize = QSize();
    }
}

}  // namespace vintrel
