#include "MetafileDraw.h"

#include "platform/EmfPlayer.h"

namespace vek {

void PlayPageMonochrome(QPainter& canvas, const QRect& rect, const TMetafile& page) {
    EmfPlayOptions options;
    options.monochrome = true; // played from a rewritten copy; the page's bytes stay as they are
    options.ink = rgb(0, 0, 0);
    options.paper = rgb(255, 255, 255);
    playEmf(canvas, QRectF(rect.x(), rect.y(), rect.width(), rect.height()), page, options);
}

void DrawPage(QPainter& canvas, const QRect& rect, const TMetafile& page, bool monochrome) {
    if (monochrome)
        PlayPageMonochrome(canvas, rect, page);
    else
        playEmf(canvas, QRectF(rect.x(), rect.y(), rect.width(), rect.height()), page);
}

void CopyBandToPrinter(QPainter& printer, const QImage& band, int x, int y) {
    printer.save();
    printer.setCompositionMode(QPainter::CompositionMode_Source);
    printer.drawImage(QRect(x, y, band.width(), band.height()), band, band.rect());
    printer.restore();
}

namespace {

void printBands(QPainter& printer, const QRect& r, const TMetafile& page, bool monochrome,
                const BandSink& sink) {
    const int w = r.width(), hp = r.height();
    if (w <= 0 || hp <= 0)
        return;
    // A page less than 20 pixels high still gets bands one pixel high rather than none.
    const int bandHeight = std::max(1, hp / 20);
    // QPainter cannot draw into 1-bit images: a monochrome band is drawn in grey and reduced to
    // one bit per pixel before it is sent.
    QImage band(w, bandHeight, monochrome ? QImage::Format_Grayscale8 : QImage::Format_RGB16);
    if (band.isNull())
        return;
    printer.save();
    printer.setBackgroundMode(Qt::OpaqueMode);
    printer.setBrush(Qt::white);
    for (int k = 0; qint64(k) * bandHeight < hp; ++k) {
        band.fill(Qt::white);
        {
            QPainter bp(&band);
            DrawPage(bp, QRect(0, -k * bandHeight, w, hp), page, monochrome);
        }
        const int rows = std::min(bandHeight, hp - k * bandHeight);
        QImage out = rows < bandHeight ? band.copy(0, 0, w, rows) : band;
        if (monochrome)
            out = out.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
        if (sink)
            sink(printer, out, r.left(), r.top() + k * bandHeight);
        else
            CopyBandToPrinter(printer, out, r.left(), r.top() + k * bandHeight);
    }
    printer.restore();
}

} // namespace

void PrintPage(QPainter& printer, const QRect& rect, const TMetafile& page, bool monochrome, bool bitmapMode,
               const BandSink& sink) {
    if (bitmapMode)
        printBands(printer, rect, page, monochrome, sink);
    else
        DrawPage(printer, rect, page, monochrome);
}

} // namespace vek
