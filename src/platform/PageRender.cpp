#include "PageRender.h"

#include "EmfPlayer.h"

#include <QPainter>
#include <cmath>

namespace vek {

namespace {

bool cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

} // namespace

QImage renderPage(const Page& page, QSize pixels, qreal devicePixelRatio, const std::atomic<bool>* cancel,
                  bool monochrome) {
    if (pixels.isEmpty() || cancelled(cancel))
        return {};
    QImage image(pixels, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const qreal ratio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);

    EmfPlayOptions options;
    options.monochrome = monochrome;
    if (cancel)
        options.onRecord = [cancel](const EmfRecord&) { return !cancelled(cancel); };
    {
        QPainter painter(&image);
        playEmf(painter, QRectF(QPointF(0, 0), QSizeF(pixels) / ratio), page.metafile(), options);
    }
    if (cancelled(cancel))
        return {};
    return image;
}

} // namespace vek
