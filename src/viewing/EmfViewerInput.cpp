// TEmfViewer: keys, mouse and wheel.
#include "viewing/EmfViewer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace vek {

using namespace emfview;

namespace {

// The numeric pad's digits act as the keys printed under them.
int padKey(int key) {
    switch (key) {
    case Qt::Key_9:
        return Qt::Key_PageUp;
    case Qt::Key_3:
        return Qt::Key_PageDown;
    case Qt::Key_1:
        return Qt::Key_End;
    case Qt::Key_7:
        return Qt::Key_Home;
    case Qt::Key_4:
        return Qt::Key_Left;
    case Qt::Key_6:
        return Qt::Key_Right;
    case Qt::Key_8:
        return Qt::Key_Up;
    case Qt::Key_2:
        return Qt::Key_Down;
    default:
        return key;
    }
}

} // namespace

bool TEmfViewer::scrollKey(int key, bool ctrl) {
    const bool sideways = m_zoom >= zoomExtra1;
    switch (key) {
    case Qt::Key_PageUp:
        setVertPosition(m_v.position - m_v.largeStep);
        return true;
    case Qt::Key_PageDown:
        setVertPosition(m_v.position + m_v.largeStep);
        return true;
    case Qt::Key_End:
        if (!ctrl)
            setVertPosition(m_v.max);
        else if (sideways)
            setHorzPosition(m_h.max);
        return true;
    case Qt::Key_Home:
        if (!ctrl)
            setVertPosition(0);
        else if (sideways)
            setHorzPosition(0);
        return true;
    case Qt::Key_Left:
        if (sideways)
            setHorzPosition(m_h.position - kSmallStep);
        return true;
    case Qt::Key_Right:
        if (sideways)
            setHorzPosition(m_h.position + kSmallStep);
        return true;
    case Qt::Key_Up:
        setVertPosition(m_v.position - kSmallStep);
        return true;
    case Qt::Key_Down:
        setVertPosition(m_v.position + kSmallStep);
        return true;
    default:
        return false;
    }
}

bool TEmfViewer::zoomKey(int key) {
    switch (key) {
    case Qt::Key_Asterisk:
        setZoomLevel(zoomPageW);
        return true;
    case Qt::Key_Plus:
        ZoomIn();
        return true;
    case Qt::Key_Minus:
        ZoomOut();
        return true;
    case Qt::Key_Period:
    case Qt::Key_Comma: // the pad's decimal key on a Polish layout
        SnapToPage();
        return true;
    case Qt::Key_Slash:
        setZoomLevel(zoomPageH);
        return true;
    default:
        return false;
    }
}

void TEmfViewer::keyPressEvent(QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool pad = e->modifiers() & Qt::KeypadModifier;
    int key = e->key();
    if (mods == Qt::NoModifier || mods == Qt::ControlModifier) {
        const bool ctrl = mods == Qt::ControlModifier;
        const int scroll = pad ? padKey(key) : key;
        if (scrollKey(scroll, ctrl)) {
            key = 0; // consumed
        } else if (pad || (key != Qt::Key_Period && key != Qt::Key_Comma)) {
            zoomKey(key); // zoom keys act but stay for the handlers after
        }
    }
    if (OnKeyDown)
        OnKeyDown(this, key, e->modifiers());
    if (key == 0)
        e->accept();
    else
        e->ignore();
}

void TEmfViewer::mousePressEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        m_leftPressed = true;
        m_lastX = pos.x();
        m_lastY = pos.y();
    } else if (e->button() == Qt::RightButton) {
        m_rightPressed = true;
    }
    e->accept();
}

void TEmfViewer::mouseMoveEvent(QMouseEvent* e) {
    const int X = e->position().toPoint().x();
    const int Y = e->position().toPoint().y();
    if (m_leftPressed) {
        // A hand that moved 2 pixels or less is still a click.
        if (!m_dragging && std::abs(m_lastX - X) <= 2 && std::abs(m_lastY - Y) <= 2)
            return;
        m_dragging = true;
        const qint64 oldH = m_h.position;
        const qint64 oldV = m_v.position;
        if (m_zoom >= zoomExtra1)
            m_h.position = m_h.clamp(m_h.position + qint64(m_lastX - X) * 3);
        m_v.position = m_v.clamp(m_v.position + qint64(m_lastY - Y) * 3);
        positionsChanged(oldH, oldV);
    }
    m_lastX = X;
    m_lastY = Y;
}

void TEmfViewer::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton && m_leftPressed) {
        m_leftPressed = false;
        if (m_dragging) {
            m_dragging = false;
            return;
        }
        const PagePoint at = PointToPage(pos.x(), pos.y());
        ZoomIn();
        ScrollToPoint(pos.x(), pos.y(), at);
    } else if (e->button() == Qt::RightButton && m_rightPressed) {
        m_rightPressed = false;
        const PagePoint at = PointToPage(pos.x(), pos.y());
        ZoomOut();
        ScrollToPoint(pos.x(), pos.y(), at);
    }
}

void TEmfViewer::wheelEvent(QWheelEvent* e) {
    const int delta = e->angleDelta().y();
    if (delta != 0)
        setVertPosition(m_v.position - roundEven(delta * 3.0 / 120.0 * kSmallStep));
    e->accept();
}

} // namespace vek
