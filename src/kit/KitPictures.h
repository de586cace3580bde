#pragma once
// The kit's bitmaps for the screen they are painted on. Every picture exists at its own size and
// drawn again at double size (NAME@2x.png): a painter on a high-resolution device gets the double
// one, whose device pixel ratio keeps it at its own size on the screen.

#include <QImage>
#include <QString>

class QPainter;
class QPointF;

namespace vek {

// The device pixel ratio a painter draws at (1 on an ordinary screen or image).
qreal paintRatio(const QPainter& p);

// The picture ":/kit/NAME.png" for a device pixel ratio: above 1 its double-size drawing, with a
// device pixel ratio of 2. A null image when the picture is missing. Loaded once.
QImage kitImage(const QString& name, qreal dpr);

// Draws an image at its own (device independent) size with its top-left corner at `at`, smoothly
// resampled where the device's pixel ratio is not the image's.
void drawKitImage(QPainter& p, const QPointF& at, const QImage& image);

} // namespace vek
