#include "kit/uVekForm.h"
#include "kit/uVekFormEdges.h"

// The size and position arithmetic of the skinned form. Rectangles are taken by their edges, with
// right and bottom just outside, as the window system measures them.

namespace vek {

using namespace formedges;

namespace vekform {

int FrameHitTest(QPoint p, QSize size, const QRect& caption, const QRect& frame, int frameInset) {
    if (caption.contains(p))
        return HTCAPTION;
    const QRect inner = frame.adjusted(frameInset, frameInset, -frameInset, -frameInset);
    if (!frame.contains(p) || inner.contains(p))
        return HTCLIENT;
    const int w = size.width();
    const int h = size.height();
    if (p.y() <= 9)
        return p.x() <= 9 ? HTTOPLEFT : (p.x() >= w - 10 ? HTTOPRIGHT : HTTOP);
    if (p.y() >= h - 10)
        return p.x() <= 9 ? HTBOTTOMLEFT : (p.x() >= w - 10 ? HTBOTTOMRIGHT : HTBOTTOM);
    if (p.x() <= 9)
        return HTLEFT;
    if (p.x() >= w - 10)
        return HTRIGHT;
    return HTCLIENT;
}

int RestrictHit(int hit, bool maximized, const TSizeLimits& limits) {
    const bool fw = limits.FixedWidth();
    const bool fh = limits.FixedHeight();
    if (maximized && hit == HTCAPTION)
        return HTBORDER;
    if (fw && (hit == HTLEFT || hit == HTRIGHT))
        return HTBORDER;
    if (fh && (hit == HTTOP || hit == HTBOTTOM))
        return HTBORDER;
    if (fw && fh && (hit == HTTOPLEFT || hit == HTTOPRIGHT || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT))
        return HTBORDER;
    return hit;
}

QRect LimitSizingRect(QRect r, int hit, const TSizeLimits& m) {
    int l = r.x();
    int t = r.y();
    int rr = rightOf(r);
    int b = bottomOf(r);
    if (isBottom(hit)) {
        if (m.MinHeight != 0)
            b = std::max(b, t + m.MinHeight);
        if (m.MaxHeight != 0)
            b = std::min(b, t + m.MaxHeight);
    }
    if (isTop(hit)) {
        if (m.MinHeight != 0)
            t = std::min(t, b - m.MinHeight);
        if (m.MaxHeight != 0)
            t = std::max(t, b - m.MaxHeight);
    }
    if (isLeft(hit)) {
        if (m.MinWidth != 0)
            l = std::min(l, rr - m.MinWidth);
        if (m.MaxWidth != 0)
            l = std::max(l, rr - m.MaxWidth);
    }
    if (isRight(hit)) {
        if (m.MinWidth != 0)
            rr = std::max(rr, l + m.MinWidth);
        if (m.MaxWidth != 0)
            rr = std::min(rr, l + m.MaxWidth);
    }
    return fromEdges(l, t, rr, b);
}

QRect FitRectIntoArea(const QRect& rect, const QRect& a, const TSizeLimits& m) {
    int l = rect.x();
    int t = rect.y();
    int r = rightOf(rect);
    int b = bottomOf(rect);
    if (int d = b - bottomOf(a); d > 0) {
        const int s = std::min(d, (b - t) - m.MinHeight);
        b -= d;
        t -= d - s;
    }
    if (int d = r - rightOf(a); d > 0) {
        const int s = std::min(d, (r - l) - m.MinWidth);
        r -= d;
        l -= d - s;
    }
    if (int d = a.y() - t; d > 0) {
        const int s = std::min(d, (b - t) - m.MinHeight);
        t += d;
        b += d - s;
    }
    if (int d = a.x() - l; d > 0) {
        const int s = std::min(d, (r - l) - m.MinWidth);
        l += d;
        r += d - s;
    }
    return fromEdges(l, t, r, b);
}

QRect CenteredRect(int w, int h, const QRect& a, const TSizeLimits& m) {
    if (w == 0)
        w = a.width();
    if (h == 0)
        h = a.height();
    const QSize s = ClampSize({w, h}, m);
    const int left = std::max((a.x() + rightOf(a) - s.width()) / 2, a.x());
    const int top = std::max((a.y() + bottomOf(a) - s.height()) / 2, a.y());
    return QRect(left, top, s.width(), s.height());
}

QRect DefaultBoundsIn(const QRect& a, int normalWidth, int normalHeight) {
    int w = std::min(normalWidth, a.width());
    int h = std::min(normalHeight, a.height());
    if (w == 0)
        w = rightOf(a) * 2 / 3;
    if (h == 0)
        h = bottomOf(a) * 2 / 3;
    return QRect((a.width() - w) / 2, (a.height() - h) / 2, w, h);
}

QSize ClampSize(QSize s, const TSizeLimits& m) {
    int w = s.width();
    int h = s.height();
    if (m.MinWidth != 0)
        w = std::max(w, m.MinWidth);
    if (m.MaxWidth != 0)
        w = std::min(w, m.MaxWidth);
    if (m.MinHeight != 0)
        h = std::max(h, m.MinHeight);
    if (m.MaxHeight != 0)
        h = std::min(h, m.MaxHeight);
    return {w, h};
}

} // namespace vekform

} // namespace vek
