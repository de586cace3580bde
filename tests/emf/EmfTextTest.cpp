// Text with GDI semantics: rotated fonts, alignment, advances given per character and vertical
// advances.
#include "support/EmfTestSupport.h"

#include "platform/PainterCanvas.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

GdiFontPtr arial(int height, int escapement = 0) {
    LogFont lf;
    lf.faceName = QStringLiteral("Arial");
    lf.height = height;
    lf.escapement = escapement;
    return GdiFont::get(lf);
}

template <typename Draw> QImage paint(Draw draw) {
    QImage img(400, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    {
        PainterCanvas canvas(p);
        canvas.setBkMode(TRANSPARENT);
        draw(canvas);
    }
    return img;
}

} // namespace

TEST(EmfText, EscapementTurnsTheBaselineCounterClockwise) {
    const QImage img = paint([](PainterCanvas& c) {
        c.selectFont(arial(-30, 900));
        c.extTextOut(200, 300, 0, nullptr, u"WWWWWWWW", nullptr);
    });
    const QRect ink = inkBounds(img);
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LE(ink.bottom(), 300); // the text runs up from the reference point
    EXPECT_GE(ink.left(), 200);   // and its top (the ascent) lies to the right of it
}

TEST(EmfText, AdvancesPlaceEveryCharacter) {
    // Two characters 300 units apart: the gap between them is wider than any character.
    const int dx[] = {300, 10};
    const QImage img = paint([&](PainterCanvas& c) {
        c.selectFont(arial(-30));
        c.extTextOut(20, 20, 0, nullptr, u"II", dx);
    });
    const QRect left = inkBounds(img.copy(0, 0, 200, 400));
    const QRect right = inkBounds(img.copy(200, 0, 200, 400));
    EXPECT_LT(left.right(), 40);
    EXPECT_NEAR(right.left() + 200, 320, 6);
}

TEST(EmfText, RightBaselineAlignmentEndsAtTheReference) {
    const QImage img = paint([](PainterCanvas& c) {
        c.selectFont(arial(-40));
        c.dc().setTextAlign(TA_RIGHT | TA_BASELINE);
        c.extTextOut(300, 200, 0, nullptr, u"Hx", nullptr);
    });
    const QRect ink = inkBounds(img);
    EXPECT_NEAR(ink.right(), 300, 5);
    EXPECT_NEAR(ink.bottom(), 200, 2); // no descenders: the ink ends on the baseline
}

TEST(EmfText, OpaqueRectangleAndClipping) {
    const QImage img = paint([](PainterCanvas& c) {
        c.selectFont(arial(-40));
        c.setBkColor(rgb(0, 0, 255));
        const QRect r(10, 10, 100, 30);
        c.extTextOut(10, 10, ETO_OPAQUE | ETO_CLIPPED, &r, u"WWWWWWWWWW", nullptr);
    });
    EXPECT_EQ(inkBounds(img), QRect(10, 10, 100, 30));
    EXPECT_GT(pixelsNear(img, Qt::blue), 1000);
}

TEST(EmfText, VerticalAdvancesMoveLaterCharactersUp) {
    const QByteArray bytes = readFile(dataDir() + QStringLiteral("ETO_PDY.emf"));
    const QImage img = renderEmf(bytes, QSize(420, 126));
    // The picture writes "h" then "i" with a vertical advance: the "i" stands higher.
    const QRect h = inkBounds(img.copy(0, 0, 28, 126));
    const QRect i = inkBounds(img.copy(28, 0, 40, 126));
    ASSERT_FALSE(h.isEmpty());
    ASSERT_FALSE(i.isEmpty());
    EXPECT_LT(i.top(), h.top());
}

TEST(EmfText, TextSqueezedToASliverIsFilledAsOutlines) {
    // A mapping 400 times wider than tall squeezes glyphs until FreeType cannot rasterise some of
    // them; the text must still draw, as outlines, and glyph indexes past the font are harmless.
    const QImage img = paint([](PainterCanvas& c) {
        c.setMapMode(MM_ANISOTROPIC);
        c.setWindowExt(QSize(10000, 10000));
        c.setViewportExt(QSize(4000000, 10000));
        c.selectFont(arial(-100));
        c.extTextOut(0, 200, 0, nullptr, u"WWWWWW", nullptr);
        // And a shear that lays the glyph's two axes almost on one line.
        c.dc().setMapMode(MM_TEXT);
        c.dc().setWorldTransform(QTransform(4, 0, 1, 0.002, 0, 0));
        c.dc().extTextOut(QPointF(0, 50000), 0, nullptr, u"Kk", nullptr, false, true);
        c.dc().setWorldTransform(QTransform());
        c.setMapMode(MM_ANISOTROPIC);
        const char16_t glyphs[] = {512, 40, 41, 0xFFFF};
        c.dc().extTextOut(QPointF(0, 300), ETO_GLYPH_INDEX, nullptr, QStringView(glyphs, 4), nullptr, false,
                          true);
    });
    EXPECT_GT(inkPixels(img), 0);
}
