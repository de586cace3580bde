// Where the message and progress windows appear: centred by their outer frame. The window
// manager's frame is known only once a window is on screen, so a window is first placed with the
// frame the last message window had (or the frame of the window it opens over), and centred again
// by its real frame when that arrives. With a right guess it never moves on screen.

#include "kit/okienko.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <optional>

namespace vek {

namespace {

constexpr int kFrameWatchIntervalMs = 20;
constexpr int kFrameWatchTicks = 50; // a second: no frame by then means no window manager frames it

// The frame the window manager put around the last message or progress window.
std::optional<QMargins> g_lastFrame;

QMargins frameOf(const QWidget* w) {
    const QWindow* win = w ? w->windowHandle() : nullptr;
    return win && w->isVisible() ? win->frameMargins() : QMargins();
}

// The frame a window is expected to get before the window manager has framed it: the last
// message window's, else that of the window it opens over, the active one or any other on screen
// (a skinned window has no frame of the window manager's).
QMargins expectedFrame(const QWidget* owner) {
    if (g_lastFrame)
        return *g_lastFrame;
    QList<const QWidget*> candidates{owner, QApplication::activeWindow()};
    for (const QWidget* w : QApplication::topLevelWidgets())
        candidates.append(w);
    for (const QWidget* w : std::as_const(candidates)) {
        if (const QMargins m = frameOf(w ? w->window() : nullptr); !m.isNull())
            return m;
    }
    return {};
}

QPoint centredFrameTopLeft(const QRect& area, const QSize& outer) {
    return {area.left() + (area.width() - outer.width()) / 2,
            area.top() + (area.height() - outer.height()) / 2};
}

} // namespace

QRect TMsgOkienko::centreArea() const {
    if (m_centreArea.isValid())
        return m_centreArea;
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 800, 600);
}

void TMsgOkienko::CentreOver(const QRect& area) {
    const bool framed = testAttribute(Qt::WA_WState_Created) && !frameOf(this).isNull();
    const QMargins frame = framed ? frameOf(this) : expectedFrame(parentWidget());
    const QPoint topLeft = centredFrameTopLeft(area, size().grownBy(frame));
    // Before the native window exists, a move places its frame (the window manager puts the frame's
    // corner there); afterwards it places the frame by the frame Qt knows, none until it is framed.
    if (framed || !testAttribute(Qt::WA_WState_Created))
        move(topLeft);
    else
        move(topLeft + QPoint(frame.left(), frame.top()));
}

void TMsgOkienko::PrepareShow() {
    if (m_fitted)
        return;
    m_fitted = true;
    FitText();
    ArrangeButtons();
    CentreOver(centreArea());
}

void TMsgOkienko::setVisible(bool visible) {
    if (visible)
        PrepareShow();
    QDialog::setVisible(visible);
}

void TMsgOkienko::watchFrame() {
    if (m_frameSettled || m_frameWatch)
        return;
    m_frameWatch = new QTimer(this);
    m_frameWatch->setInterval(kFrameWatchIntervalMs);
    connect(m_frameWatch, &QTimer::timeout, this, [this, ticks = 0]() mutable {
        settleFrame();
        if (!m_frameSettled && ++ticks >= kFrameWatchTicks)
            m_frameSettled = true; // not framed: the first placement stands
        if (m_frameSettled)
            m_frameWatch->stop();
    });
    m_frameWatch->start();
    settleFrame();
}

void TMsgOkienko::settleFrame() {
    if (m_frameSettled || !isVisible())
        return;
    const QMargins frame = frameOf(this);
    if (frame.isNull())
        return;
    m_frameSettled = true;
    g_lastFrame = frame;
    const QPoint wanted = centredFrameTopLeft(centreArea(), size().grownBy(frame));
    if (frameGeometry().topLeft() != wanted)
        move(wanted);
}

void TMsgOkienko::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    settleFrame(); // the window manager's framing arrives as a move
}

} // namespace vek
