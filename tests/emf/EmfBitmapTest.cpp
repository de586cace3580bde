// Device-independent bitmaps in STRETCHDIBITS records: every pixel depth, both row orders,
// damaged bitmap headers.
#include "support/EmfTestSupport.h"

#include "platform/EmfRecords.h"

#include <QList>
#include <cstring>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

struct Dib {
    int bpp = 8;
    int width = 2;
    int height = 2; // negative: top-down
    std::uint32_t compression = 0;
    QList<QRgb> palette;
    QList<std::uint32_t> masks;
    QByteArray bits; // rows padded to 32 bits, in stored order
};

// A STRETCHDIBITS record drawing the bitmap over the whole 40 x 40 device-unit frame.
QByteArray stretchDibits(const Dib& d, std::uint32_t cbBitsOverride = 0, QSize source = QSize()) {
    if (source.isEmpty())
        source = QSize(d.width, std::abs(d.height));
    QByteArray bmi;
    putI32(bmi, 40);
    putI32(bmi, d.width);
    putI32(bmi, d.height);
    putU16(bmi, 1);
    putU16(bmi, std::uint16_t(d.bpp));
    putI32(bmi, std::int32_t(d.compression));
    putI32(bmi, std::int32_t(d.bits.size()));
    putI32(bmi, 0);
    putI32(bmi, 0);
    putI32(bmi, std::int32_t(d.palette.size()));
    putI32(bmi, 0);
    for (std::uint32_t m : d.masks)
        putI32(bmi, std::int32_t(m));
    for (QRgb c : d.palette) {
        bmi.append(char(qBlue(c)));
        bmi.append(char(qGreen(c)));
        bmi.append(char(qRed(c)));
        bmi.append('\0');
    }
    const int offBmi = 8 + 72;
    QByteArray body;
    for (int v : {0, 0, 39, 39, 0, 0, 0, 0, source.width(), source.height()})
        putI32(body, v);
    putI32(body, offBmi);
    putI32(body, std::int32_t(bmi.size()));
    putI32(body, offBmi + std::int32_t(bmi.size()));
    putI32(body, std::int32_t(cbBitsOverride ? cbBitsOverride : d.bits.size()));
    putI32(body, 0);          // DIB_RGB_COLORS
    putI32(body, 0x00CC0020); // SRCCOPY
    putI32(body, 40);
    putI32(body, 40);
    return body + bmi + d.bits;
}

QImage play(const Dib& d) {
    EmfBuilder b;
    b.raw(emr::STRETCHDIBITS, stretchDibits(d));
    return renderEmf(b.finish(QRect(0, 0, 1000, 1000), QRect(), QSize(400, 400), QSize(100, 100)),
                     QSize(40, 40));
}

// The colours at the centres of the four quadrants: top-left, top-right, bottom-left, bottom-right.
QList<QRgb> quadrants(const QImage& img) {
    return {img.pixel(10, 10) & 0xFFFFFF, img.pixel(30, 10) & 0xFFFFFF, img.pixel(10, 30) & 0xFFFFFF,
            img.pixel(30, 30) & 0xFFFFFF};
}

QByteArray bytes(std::initializer_list<int> v) {
    QByteArray b;
    for (int x : v)
        b.append(char(x));
    return b;
}

constexpr QRgb kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

} // namespace

TEST(EmfBitmap, OneBitRowsAreBottomUpWithTheirColourTable) {
    // Bottom row first: bottom row "10", top row "01".
    Dib d{1, 2, 2, 0, {qRgb(255, 0, 0), qRgb(0, 0, 255)}, {}, bytes({0x80, 0, 0, 0, 0x40, 0, 0, 0})};
    EXPECT_EQ(quadrants(play(d)), (QList<QRgb>{kRed, kBlue, kBlue, kRed}));
}

TEST(EmfBitmap, FourBitPixelsTakeTheHighNibbleFirst) {
    Dib d{4, 2, -2, 0, {kBlack, kRed, kGreen, kBlue}, {}, bytes({0x12, 0, 0, 0, 0x30, 0, 0, 0})};
    EXPECT_EQ(quadrants(play(d)), (QList<QRgb>{kRed, kGreen, kBlue, kBlack}));
}

TEST(EmfBitmap, EightBitTopDown) {
    Dib d{8, 2, -2, 0, {kBlack, kRed, kGreen, kBlue, kWhite}, {}, bytes({1, 2, 0, 0, 3, 4, 0, 0})};
    EXPECT_EQ(quadrants(play(d)), (QList<QRgb>{kRed, kGreen, kBlue, kWhite}));
}

TEST(EmfBitmap, SixteenBitFiveFiveFiveAndBitFields) {
    // 5-5-5: red 0x7C00, green 0x03E0, blue 0x001F, little-endian.
    Dib d{16, 2, -2, 0, {}, {}, bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F})};
    EXPECT_EQ(quadrants(play(d)), (QList<QRgb>{kRed, kGreen, kBlue, kWhite}));
    // 5-6-5 through bit fields.
    Dib f{
        16, 2, -2, 3, {}, {0xF800, 0x07E0, 0x001F}, bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF})};
    EXPECT_EQ(quadrants(play(f)), (QList<QRgb>{kRed, kGreen, kBlue, kWhite}));
}

TEST(EmfBitmap, TwentyFourAndThirtyTwoBitAreBlueGreenRed) {
    Dib d{24, 2, -2, 0, {}, {}, bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0})};
    EXPECT_EQ(quadrants(play(d)), (QList<QRgb>{kRed, kGreen, kBlue, kWhite}));
    Dib e{32, 2, 2, 0, {}, {}, bytes({255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0})};
    EXPECT_EQ(quadrants(play(e)), (QList<QRgb>{kRed, kGreen, kBlue, kWhite}));
}

TEST(EmfBitmap, Rle8RunsAndLineEnds) {
    // Bottom row: a run of two 1s, end of line; top row: two runs of one pixel, end of bitmap.
    Dib d{8, 2, 2, 1, {kBlack, kRed, kBlue}, {}, bytes({2, 1, 0, 0, 1, 2, 1, 1, 0, 1})};
    EXPECT_EQ(quadrants(play(d)), (QList<QRgb>{kBlue, kRed, kRed, kRed}));
}

TEST(EmfBitmap, DamagedBitmapsAreSkippedNotRead) {
    EmfBuilder b;
    // Bits claimed larger than the record; a width that overflows a row; a header size past the
    // record; an absurd height.
    Dib ok{8, 2, -2, 0, {kRed}, {}, bytes({0, 0, 0, 0, 0, 0, 0, 0})};
    b.raw(emr::STRETCHDIBITS, stretchDibits(ok, 1 << 30));
    Dib wide = ok;
    wide.width = 0x7FFFFFFF;
    b.raw(emr::STRETCHDIBITS, stretchDibits(wide));
    Dib tall = ok;
    tall.height = -0x7FFFFFFF;
    b.raw(emr::STRETCHDIBITS, stretchDibits(tall));
    QByteArray badHeader = stretchDibits(ok);
    badHeader[72] = char(0x7F); // biSize
    b.raw(emr::STRETCHDIBITS, badHeader);
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const EmfPlayResult r =
        playEmf(p, QRectF(0, 0, 40, 40),
                b.finish(QRect(0, 0, 1000, 1000), QRect(), QSize(400, 400), QSize(100, 100)));
    p.end();
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.skipped, 4);
    EXPECT_EQ(inkPixels(img), 0);
}

TEST(EmfBitmap, PartOfABitmapUnderRotationStaysInsideThatPart) {
    // A wide bitmap, red in its first two columns and blue elsewhere; only the red 2 x 2 corner
    // is drawn, turned by 30 degrees. Sampling outside the corner would bring blue in.
    Dib d{8, 64, -2, 0, {kRed, kBlue}, {}, {}};
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 64; ++x)
            d.bits.append(char(x < 2 ? 0 : 1));
    }
    EmfBuilder b;
    QByteArray xform;
    for (float f : {0.866f, 0.5f, -0.5f, 0.866f, 20.0f, 0.0f}) {
        char buf[4];
        std::memcpy(buf, &f, 4);
        xform.append(buf, 4);
    }
    b.raw(emr::SETWORLDTRANSFORM, xform);
    b.raw(emr::STRETCHDIBITS, stretchDibits(d, 0, QSize(2, 2)));
    const QImage img = renderEmf(b.finish(QRect(0, 0, 1000, 1000), QRect(), QSize(400, 400), QSize(100, 100)),
                                 QSize(40, 40));
    EXPECT_GT(pixelsNear(img, Qt::red), 100);
    EXPECT_EQ(pixelsNear(img, Qt::blue, 100), 0);
}
