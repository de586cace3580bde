#pragma once
// Rectangle edges and hit-test codes of the skinned form, shared by its window logic and its
// geometry arithmetic. Rectangles here are read by their edges, as the window system gives them.

#include "kit/bajery.h"

#include <QRect>

namespace vek::formedges {

inline int rightOf(const QRect& r) {
    return r.x() + r.width();
}
inline int bottomOf(const QRect& r) {
    return r.y() + r.height();
}
inline QRect fromEdges(int l, int t, int r, int b) {
    return QRect(l, t, r - l, b - t);
}

inline bool isTop(int hit) {
    return hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
}
inline bool isBottom(int hit) {
    return hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
}
inline bool isLeft(int hit) {
    return hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
}
inline bool isRight(int hit) {
    return hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
}

} // namespace vek::formedges
