#include "kit/KitPictures.h"

#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

namespace vek {

qreal paintRatio(const QPainter& p) {
    // The engine's device is the one painted on, also when a widget's painting is redirected into
    // an image or a pixmap (render, grab) or goes to a backing store.
    const QPaintEngine* engine = p.paintEngine();
    const QPaintDevice* d = engine && engine->paintDevice() ? engine->paintDevice() : p.device();
    return d ? d->devicePixelRatioF() : 1.0;
}

QImage kitImage(const QString& name, qreal dpr) {
    static QHash<QString, QImage> cache;
    const bool twice = dpr > 1.0;
    const QString key = twice ? name + QStringLiteral("@2x") : name;
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return it.value();
    QImage img(QStringLiteral(":/kit/") + key + QStringLiteral(".png"));
    if (!img.isNull())
        img.setDevicePixelRatio(twice ? 2.0 : 1.0);
    cache.insert(key, img);
    return img;
}

void drawKitImage(QPainter& p, const QPointF& at, const QImage& image) {
    if (image.isNull())
        return;
    const bool exact = qFuzzyCompare(paintRatio(p), image.devicePixelRatio());
    const bool smooth = p.testRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::SmoothPixmapTransform, !exact || smooth);
    p.drawImage(QRectF(at, image.deviceIndependentSize()), image);
    p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

} // namespace vek
