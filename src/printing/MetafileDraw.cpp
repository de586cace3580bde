#include "MetafileDraw.h"

#include "platform/EmfPlayer.h"

namespace vek {
namespace {

EmfPlayOptions playOptions(bool monochrome) {
    EmfPlayOptions options;
    options.monochrome = monochrome;
    options.ink = rgb(0, 0, 0);
    options.paper = rgb(255, 255, 255);
    return options;
}

QRectF target(const QRect& rect) {
    return QRectF(rect.x(), rect.y(), rect.width(), rect.height());
}

// A grey band as one bit per pixel, black below half intensity: the threshold Qt's conversion
// applies, done row by row without its general dithering path.
QImage toMono(const QImage& grey) {
    QImage mono(grey.size(), QImage::Format_Mono);
    if (mono.isNull())
        return mono;
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    const int w = grey.width(), h = grey.height();
    for (int y = 0; y < h; ++y) {
        const uchar* in = grey.constScanLine(y);
        uchar* out = mono.scanLine(y);
        int x = 0;
        for (; x + 8 <= w; x += 8) {
            const uchar* p = in + x;
            out[x >> 3] =
                uchar((p[0] < 128) << 7 | (p[1] < 128) << 6 | (p[2] < 128) << 5 | (p[3] < 128) << 4 |
                      (p[4] < 128) << 3 | (p[5] < 128) << 2 | (p[6] < 128) << 1 | (p[7] < 128));
        }
        if (x < w) {
            uchar bits = 0;
            for (int k = 0; x + k < w; ++k)
                bits |= uchar(in[x + k] < 128 ? 0x80 >> k : 0);
            out[x >> 3] = bits;
        }
    }
    return mono;
}

void printBands(QPainter& printer, const QRect& r, const EmfDisplayList& list, bool monochrome,
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
    const EmfPlayOptions options = playOptions(monochrome);
    printer.save();
    printer.setBackgroundMode(Qt::OpaqueMode);
    printer.setBrush(Qt::white);
    for (int k = 0; qint64(k) * bandHeight < hp; ++k) {
        band.fill(Qt::white);
        {
            // The whole page shifted up: the band shows rows k x bandHeight onwards, and the
            // display list plays only the records that reach them.
            QPainter bp(&band);
            list.play(bp, QRectF(0, -k * bandHeight, w, hp), options);
        }
        const int rows = std::min(bandHeight, hp - k * bandHeight);
        QImage out = rows < bandHeight ? band.copy(0, 0, w, rows) : band;
        if (monochrome)
            out = toMono(out);
        if (sink)
            sink(printer, out, r.left(), r.top() + k * bandHeight);
        else
            CopyBandToPrinter(printer, out, r.left(), r.top() + k * bandHeight);
    }
    printer.restore();
}

} // namespace

void PlayPageMonochrome(QPainter& canvas, const QRect& rect, const TMetafile& page) {
    playEmf(canvas, target(rect), page, playOptions(true));
}

void DrawPage(QPainter& canvas, const QRect& rect, const TMetafile& page, bool monochrome) {
    playEmf(canvas, target(rect), page, playOptions(monochrome));
}

void DrawPage(QPainter& canvas, const QRect& rect, const Page& page, bool monochrome) {
    page.displayList().play(canvas, target(rect), playOptions(monochrome));
}

void CopyBandToPrinter(QPainter& printer, const QImage& band, int x, int y) {
    printer.save();
    printer.setCompositionMode(QPainter::CompositionMode_Source);
    printer.drawImage(QRect(x, y, band.width(), band.height()), band, band.rect());
    printer.restore();
}

void PrintPage(QPainter& printer, const QRect& rect, const TMetafile& page, bool monochrome, bool bitmapMode,
               const BandSink& sink) {
    if (bitmapMode)
        printBands(printer, rect, EmfDisplayList(page.bytes()), monochrome, sink);
    else
        DrawPage(printer, rect, page, monochrome);
}

void PrintPage(QPainter& printer, const QRect& rect, const Page& page, bool monochrome, bool bitmapMode,
               const BandSink& sink) {
    if (bitmapMode)
        printBands(printer, rect, page.displayList(), monochrome, sink);
    else
        DrawPage(printer, rect, page, monochrome);
}

} // namespace vek
