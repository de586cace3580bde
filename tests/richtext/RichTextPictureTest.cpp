// Windows Metafiles and bitmaps in rich text: read, placed on the line like any picture, drawn
// straight onto a painter and recorded into a page metafile that plays them everywhere.
#include "RtfSamples.h"
#include "support/WmfWriter.h"

#include "platform/EmfPlayer.h"
#include "platform/MetafileCanvas.h"
#include "platform/PainterCanvas.h"
#include "richtext/DrawRichText.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

// A 200 x 100 window with a red box over its right half, as RTF carries a WMF (no placeable
// header, size in \picw \pich).
QByteArray redRightHalf() {
    WmfWriter w;
    w.window(0, 0, 200, 100);
    const int pen = w.createPen(PS_NULL, 0, 0);
    const int brush = w.createBrush(BS_SOLID, rgb(255, 0, 0));
    w.select(pen).select(brush).rectangle(100, 0, 200, 100);
    return w.finish();
}

// The picture after the text, on a line of its own.
QByteArray pictureDocument(const QByteArray& pict, const QByteArray& before = "x") {
    return richEdit("\\pard\\f0\\fs20 " + before + "{\\pict" + pict + "}\\par");
}

// The rich text recorded into a page metafile in the rectangle, the page played into an image.
QImage drawOnPage(const QByteArray& rtf, const QRect& rect, QSize imageSize) {
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas canvas(page);
        DrawRichText(canvas, rect, rtf, true, true, 1.0f);
    }
    QImage played(imageSize, QImage::Format_RGB32);
    played.fill(Qt::white);
    QPainter painter(&played);
    EXPECT_TRUE(playEmf(painter, QRectF(QPointF(0, 0), QSizeF(imageSize)), page).valid);
    return played;
}

QImage drawDirect(const QByteArray& rtf, QSize size = QSize(300, 150)) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    PainterCanvas canvas(painter);
    DrawRichText(canvas, QRect(QPoint(0, 0), size), rtf, true, true, 1.0f);
    return img;
}

// The box of the pixels the test answers true for.
template <typename Test> QRect boundsOf(const QImage& img, Test test) {
    QRect r;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (test(img.pixelColor(x, y)))
                r |= QRect(x, y, 1, 1);
        }
    }
    return r;
}

QRect redBounds(const QImage& img) {
    return boundsOf(img, [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; });
}

int navyPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() < 60 && c.green() < 60 && c.blue() > 80 && c.blue() < 180;
        }
    }
    return n;
}

} // namespace

TEST(RichTextPicture, WmfIsDrawnInItsPlaceOnTheLine) {
    const QByteArray rtf = pictureDocument("\\wmetafile8\\picw5080\\pich2540\\picwgoal1440\\pichgoal720 " +
                                           redRightHalf().toHex());
    const QImage img = drawDirect(rtf);
    // The picture is 96 x 48 pixels, after the "x", standing on the first line's baseline; its
    // right half is red.
    const QRect red = redBounds(img);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_NEAR(red.width(), 48, 1);
    EXPECT_NEAR(red.height(), 48, 1);
    const QRect x = inkBounds(img.copy(0, 0, red.left() - 48, 150));
    EXPECT_LE(x.right(), red.left() - 48);
    EXPECT_NEAR(x.bottom(), red.bottom(), 2); // the letter's baseline is the picture's bottom
}

TEST(RichTextPicture, WmfInAPageMetafilePlaysAsWhenDrawnDirectly) {
    const QByteArray rtf = pictureDocument("\\wmetafile8\\picw5080\\pich2540\\picwgoal1440\\pichgoal720 " +
                                           redRightHalf().toHex());
    const QImage played = drawOnPage(rtf, QRect(0, 0, 300, 150), QSize(1429, 2000));
    // The same box, but for the page's device pixel that GDI leaves out at a rectangle's right and
    // bottom edges.
    const QRect recorded = redBounds(played), direct = redBounds(drawDirect(rtf));
    EXPECT_EQ(recorded.topLeft(), direct.topLeft());
    EXPECT_NEAR(recorded.width(), direct.width(), 1);
    EXPECT_NEAR(recorded.height(), direct.height(), 1);
}

TEST(RichTextPicture, DibAndDeviceBitmapsAreDrawnStretched) {
    QImage quadrants(2, 2, QImage::Format_RGB32);
    quadrants.setPixel(0, 0, qRgb(255, 0, 0));
    quadrants.setPixel(1, 0, qRgb(0, 0, 255));
    quadrants.setPixel(0, 1, qRgb(0, 255, 0));
    quadrants.setPixel(1, 1, qRgb(0, 0, 0));
    const QImage dib = drawDirect(pictureDocument(
        "\\dibitmap0\\picw2\\pich2\\picwgoal1440\\pichgoal1440 " + WmfWriter::dib(quadrants).toHex(), ""));
    const QRect red = redBounds(dib);
    EXPECT_NEAR(red.width(), 48, 1);
    EXPECT_NEAR(red.height(), 48, 1);
    EXPECT_EQ(dib.pixelColor(red.right() + 24, red.top() + 24), QColor(0, 0, 255));
    EXPECT_EQ(dib.pixelColor(red.left() + 24, red.bottom() + 24), QColor(0, 255, 0));

    // A one-bit device bitmap, 16 x 2, rows of two bytes top down: black left half on top.
    const QImage ddb =
        drawDirect(pictureDocument("\\wbitmap0\\picw16\\pich2\\wbmbitspixel1\\wbmplanes1\\wbmwidthbytes2"
                                   "\\picwgoal1440\\pichgoal720 00ffff00",
                                   ""));
    const QRect ink = inkBounds(ddb);
    EXPECT_NEAR(ink.width(), 96, 2); // the black of both rows
    EXPECT_NEAR(ink.height(), 48, 2);
    EXPECT_EQ(ddb.pixelColor(ink.left() + 10, ink.top() + 10), QColor(Qt::black));
    EXPECT_EQ(ddb.pixelColor(ink.right() - 10, ink.top() + 10), QColor(Qt::white));
    EXPECT_EQ(ddb.pixelColor(ink.right() - 10, ink.bottom() - 10), QColor(Qt::black));
}

TEST(RichTextPicture, CorpusWordPadPicturesInWmfAreDrawn) {
    const QString file =
        qEnvironmentVariable("VEK_CORPUS_DIR") + QStringLiteral("/rtf/rtfjs__simplepict.rtf");
    const QByteArray rtf = readFile(file);
    if (rtf.isEmpty())
        GTEST_SKIP() << "corpus not present";
    // Three bitmaps inside WMFs, each 134 x 62 units shown 2010 x 930 twips (134 x 62 pixels).
    const QImage img = drawOnPage(rtf, QRect(0, 0, 1000, 1000), QSize(715, 1000));
    if (qEnvironmentVariableIsSet("VEK_SAVE_IMAGES"))
        img.save(QDir::temp().filePath(QStringLiteral("simplepict.png")));
    // The logo's dark blue letters, in all three.
    EXPECT_GT(navyPixels(img), 3 * 150);
}
