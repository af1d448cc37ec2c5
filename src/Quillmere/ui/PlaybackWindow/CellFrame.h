#pragma once
// Frame of one playback cell: a bordered frame with an inner video surface
// that the player draws into, and a bottom bar of tool buttons that shows
// while the pointer is over the frame (only when the frame has video).
#include <QFrame>
#include <QList>

class QHBoxLayout;

class CPlaybackCellFrame : public QFrame {
    Q_OBJECT
public:
    explicit CPlaybackCellFrame(QWidget* parent = nullptr);

    // The surface the player draws into (its "native window").
    QWidget* videoWidget() const { return m_video; }
    void* videoWindow() const { return static_cast<void*>(m_video); }

    // Border colour: 1 red (selected), 0 black.
    void setSelected(int state);
    int selectedState() const { return m_selected; }

    int horizontalMargin() const { return m_hBorder; }
    int verticalMargin() const { return m_vBorder; }

    void setHasVideo(bool on) { m_hasVideo = on; }
    bool hasVideo() const { return m_hasVideo; }

    QFrame* bottomBar() const { return m_bottom; }
    // Places the two groups of the bottom bar (first group left, second right).
    void setToolButtons(const QList<QWidget*>& first, const QList<QWidget*>& second);
    // Shows or hides one item of the bottom bar by its index in the bar's row.
    void setBottomItemVisible(int index, bool visible);

signals:
    void SignalShow();
    void SignalHide();

protected:
    // Called after the bar was shown as the pointer entered, and after it was
    // hidden as the pointer left.
    virtual void onBottomShown() {}
    virtual void onBottomHidden() {}

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_video = nullptr;
    QFrame* m_bottom = nullptr;
    QHBoxLayout* m_bottomLayout = nullptr;
    int m_hBorder = 1;
    int m_vBorder = 1;
    int m_barHeight = 28;
    int m_selected = 0;
    bool m_hasVideo = false;
};
