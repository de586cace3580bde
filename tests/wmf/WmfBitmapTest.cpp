// Bitmaps inside Windows Metafiles: packed DIBs stretched with their source rectangle counted
// from the bottom row (STRETCHDIB) or from the top (DIBSTRETCHBLT), blits without a bitmap,
// old device-dependent bitmaps, pattern brushes.
#include "support/EmfTestSupport.h"
#include "support/WmfWriter.h"

#include "platform/WmfBitmap.h"
#include "platform/WmfPlayer.h"
#include "platform/WmfRecords.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QImage render(const QByteArray& wmf) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const EmfPlayResult r = playWmf(p, QRectF(0, 0, 100, 100), wmf);
    EXPECT_EQ(r.skipped, 0);
    return img;
}

QByteArray words(std::initializer_list<int> values) {
    return WmfWriter::words(values);
}

// Red top left, blue top right, green bottom left, black bottom right.
QImage quadrants() {
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));
    img.setPixel(1, 0, qRgb(0, 0, 255));
    img.setPixel(0, 1, qRgb(0, 255, 0));
    img.setPixel(1, 1, qRgb(0, 0, 0));
    return img;
}

constexpr int kSrcCopy[] = {0x0020, 0x00CC}; // 0x00CC0020, low word first

} // namespace

TEST(WmfBitmap, SourceRectanglesCountFromTheBottomOrTheTopAsTheRecordSays) {
    WmfWriter w;
    w.window(0, 0, 100, 100);
    w.stretchDib(QRect(0, 0, 100, 50), QRect(0, 0, 1, 1), quadrants()); // y from the bottom: green
    QByteArray top = words({kSrcCopy[0], kSrcCopy[1], 1, 1, 0, 0, 50, 100, 50, 0});
    w.raw(wmr::DIBSTRETCHBLT, top + WmfWriter::dib(quadrants())); // y from the top: red
    const QImage img = render(w.finish());
    EXPECT_EQ(img.pixelColor(50, 25), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(50, 75), QColor(255, 0, 0));
}

TEST(WmfBitmap, BlitsWithoutBitmapPaintTheBrushOrBlackAndDeviceBitmapsAreDrawn) {
    WmfWriter w;
    w.window(0, 0, 100, 100);
    const int brush = w.createBrush(BS_SOLID, rgb(0, 0, 255));
    w.select(brush).record(wmr::PATBLT, {0x0021, 0x00F0, 50, 50, 0, 0}); // PATCOPY
    // DIBBITBLT without a bitmap: rop, ySrc, xSrc, reserved, height, width, yDest, xDest.
    w.record(wmr::DIBBITBLT, {0x0042, 0x0000, 0, 0, 0, 50, 50, 0, 50}); // BLACKNESS
    // A one-bit 16 x 2 BITMAP16 (black left half on top) stretched over the lower half.
    QByteArray bitmap = words({kSrcCopy[0], kSrcCopy[1], 2, 16, 0, 0, 50, 100, 50, 0});
    bitmap += words({0, 16, 2, 2}) + QByteArray("\x01\x01", 2) + words({0xFF00, 0x00FF});
    w.raw(wmr::STRETCHBLT, bitmap);
    const QImage img = render(w.finish());
    EXPECT_EQ(img.pixelColor(25, 25), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(75, 25), QColor(0, 0, 0));
    EXPECT_EQ(img.pixelColor(25, 60), QColor(0, 0, 0));
    EXPECT_EQ(img.pixelColor(75, 60), QColor(255, 255, 255));
    EXPECT_EQ(img.pixelColor(75, 90), QColor(0, 0, 0));
}

TEST(WmfBitmap, PatternBrushesFillWithTheirBitmap) {
    WmfWriter w;
    w.window(0, 0, 100, 100);
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    const int dibBrush = w.create(wmr::DIBCREATEPATTERNBRUSH, words({5, 0}) + WmfWriter::dib(red));
    const int pen = w.createPen(PS_NULL, 0, 0);
    w.select(pen).select(dibBrush).rectangle(0, 0, 50, 100);
    // CREATEPATTERNBRUSH: BITMAP16 of 8 x 8 one-bit rows, 18 reserved bytes, the bits (all 0:
    // the text colour, black).
    const int monoBrush =
        w.create(wmr::CREATEPATTERNBRUSH, words({0, 8, 8, 2}) + QByteArray("\x01\x01", 2) +
                                              QByteArray(4 + 18, '\0') + QByteArray(16, '\0'));
    w.select(monoBrush).rectangle(50, 0, 100, 100);
    const QImage img = render(w.finish());
    EXPECT_EQ(img.pixelColor(25, 50), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(75, 50), QColor(0, 0, 0));
}

TEST(WmfBitmap, DeviceBitmapsBecomeTopDownDibsAndShortBitsLeaveWhiteRows) {
    const QByteArray bits("\x0F\x00", 2); // one row of 4 bits per pixel: black, white; one row missing
    const QByteArray dib = deviceBitmapToDib({2, 2, 2, 1, 4, bits});
    const QImage img = decodePackedDib(dib);
    ASSERT_EQ(img.size(), QSize(2, 2));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(0, 1), qRgb(255, 255, 255));
    EXPECT_EQ(packedDibSize(dib), QSize(2, -2));
    // Planes other than one, rows shorter than their pixels, absurd sizes: no bitmap.
    EXPECT_TRUE(deviceBitmapToDib({2, 2, 2, 4, 1, bits}).isEmpty());
    EXPECT_TRUE(deviceBitmapToDib({20, 2, 2, 1, 8, bits}).isEmpty());
    EXPECT_TRUE(deviceBitmapToDib({30000, 30000, 30000, 1, 8, bits}).isEmpty());
}
