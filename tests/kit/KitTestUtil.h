#pragma once
// Helpers of the kit tests: painting a widget into an image and finding coloured pixels.

#include <QColor>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QRect>
#include <QWidget>
#include <cmath>
#include <functional>

namespace kittest {

// The widget painted on magenta, as on a screen of the given device pixel ratio.
inline QImage shot(QWidget& w, qreal dpr = 1) {
    QImage img(QSize(int(std::ceil(w.width() * dpr)), int(std::ceil(w.height() * dpr))),
               QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::magenta);
    w.render(&img);
    return img;
}

// The smallest rectangle holding every pixel of area that matches.
inline QRect inkBox(const QImage& img, const std::function<bool(QColor)>& match, QRect area = {}) {
    if (area.isNull()) {
        area = img.rect();
    }
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (match(img.pixelColor(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

inline std::function<bool(QColor)> is(QColor c) {
    return [c](QColor p) { return p.rgb() == c.rgb(); };
}

inline void enter(QWidget& w) {
    const QPointF c(w.width() / 2.0, w.height() / 2.0);
    QEnterEvent e(c, w.mapToGlobal(c), w.mapToGlobal(c));
    QCoreApplication::sendEvent(&w, &e);
}

inline void leave(QWidget& w) {
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &e);
}

} // namespace kittest
