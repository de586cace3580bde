#include "PageRender.h"

#include <QPainter>
#include <cmath>
#include <utility>

namespace vek {

EmfPlayResult paintPage(QImage& image, const EmfDisplayList& list, const QRectF& target,
                        EmfPlayOptions options) {
    image.fill(Qt::white);
    if (options.clip.isEmpty())
        options.clip = QRectF(QPointF(0, 0), image.deviceIndependentSize());
    QPainter painter(&image);
    return list.play(painter, target, options);
}

EmfPlayResult paintPage(QImage& image, const Page& page, const QRectF& target, EmfPlayOptions options) {
    return paintPage(image, page.displayList(), target, std::move(options));
}

QImage renderPage(const Page& page, QSize pixels, qreal devicePixelRatio, const std::atomic<bool>* cancel,
                  bool monochrome) {
    if (pixels.isEmpty() || (cancel && cancel->load()))
        return {};
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const qreal ratio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    image.setDevicePixelRatio(ratio);
    EmfPlayOptions options;
    options.monochrome = monochrome;
    options.cancel = cancel;
    const bool cancelled =
        paintPage(image, page, QRectF(QPointF(0, 0), QSizeF(pixels) / ratio), options).cancelled;
    return cancelled ? QImage() : image;
}

} // namespace vek
