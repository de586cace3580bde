// Records beyond lines and text: DIB pattern brushes, gradients, small text, dual EMF/EMF+ files.
#include "support/EmfTestSupport.h"

#include "platform/EmfRecords.h"

#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QImage render(EmfBuilder& b) {
    return renderEmf(b.finish(QRect(0, 0, 1000, 1000), QRect(), QSize(400, 400), QSize(100, 100)),
                     QSize(100, 100));
}

} // namespace

TEST(EmfRecords, DibPatternBrushFillsWithItsBitmap) {
    // An 8 x 8 one-bit pattern, every pixel colour 1 (green).
    QByteArray body;
    for (int v : {1, 0, 32, 48, 80, 32})
        putI32(body, v);
    for (int v : {40, 8, 8})
        putI32(body, v);
    putU16(body, 1);
    putU16(body, 1);
    for (int v : {0, 32, 0, 0, 2, 0})
        putI32(body, v);
    putI32(body, 0x000000FF);            // red
    putI32(body, 0x0000FF00);            // green
    body.append(QByteArray(32, '\xFF')); // 8 rows of 4 bytes
    EmfBuilder b;
    b.raw(emr::CREATEDIBPATTERNBRUSHPT, body);
    b.record(emr::SELECTOBJECT, {1});
    b.record(emr::SELECTOBJECT, {std::int32_t(emr::NULL_PEN)});
    b.record(emr::RECTANGLE, {0, 0, 40, 40});
    const QImage img = render(b);
    EXPECT_GT(pixelsNear(img, Qt::green), 9000);
}

TEST(EmfRecords, HorizontalGradientRunsFromLeftToRight) {
    QByteArray body;
    for (int v : {0, 0, 40, 40, 2, 1, 0})
        putI32(body, v);
    auto vertex = [&](int x, int y, int r, int g, int bl) {
        putI32(body, x);
        putI32(body, y);
        for (int c : {r, g, bl, 0})
            putU16(body, std::uint16_t(c));
    };
    vertex(0, 0, 0xFF00, 0, 0);
    vertex(40, 40, 0, 0, 0xFF00);
    putI32(body, 0);
    putI32(body, 1);
    EmfBuilder b;
    b.raw(emr::GRADIENTFILL, body);
    const QImage img = render(b);
    EXPECT_GT(qRed(img.pixel(3, 50)), 200);
    EXPECT_LT(qBlue(img.pixel(3, 50)), 50);
    EXPECT_GT(qBlue(img.pixel(96, 50)), 200);
    EXPECT_LT(qRed(img.pixel(96, 50)), 50);
}

TEST(EmfRecords, SmallTextOutDrawsItsCharacters) {
    QByteArray body;
    for (int v : {2, 2, 3, 0x300, 1, 0, 0})
        putI32(body, v);
    body.append("ABC", 3);
    EmfBuilder b;
    b.raw(emr::SMALLTEXTOUT, body);
    const QImage img = render(b);
    const QRect ink = inkBounds(img);
    EXPECT_GT(ink.width(), 20);
    EXPECT_LT(ink.left(), 15);
    EXPECT_LT(ink.top(), 30);
}

TEST(EmfRecords, EmfPlusCommentsAreNotDrawnBesideTheirEmfRecords) {
    // A dual file: an EMF+ comment that would fill the whole picture, and the EMF records of the
    // same drawing, a box in the top-left quarter. Only the EMF records are played.
    QByteArray comment;
    putI32(comment, 28);         // cbData
    comment.append("EMF+", 4);   // identifier
    putU16(comment, 0x400A);     // EmfPlusFillRects
    putU16(comment, 0x8000);     // solid colour
    putI32(comment, 20);         // size
    putI32(comment, 8);          // data size
    putI32(comment, 0xFF000000); // black
    putI32(comment, 1);
    EmfBuilder b;
    b.raw(emr::GDICOMMENT, comment);
    b.record(emr::SELECTOBJECT, {std::int32_t(emr::BLACK_BRUSH)});
    b.record(emr::RECTANGLE, {0, 0, 20, 20});
    EXPECT_EQ(inkBounds(render(b)), QRect(0, 0, 50, 50));
}
