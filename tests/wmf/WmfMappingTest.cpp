// Where a WMF lands: the placeable header's box and units per inch, the window of pictures
// without it (the RTF case), the mapping modes, the player's own viewport, saved states.
#include "support/EmfTestSupport.h"
#include "support/WmfWriter.h"

#include "platform/Metafile.h"
#include "platform/WmfPlayer.h"
#include "platform/WmfRecords.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QImage render(const QByteArray& wmf, QSize size = QSize(100, 100), QSize extent = {}) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const EmfPlayResult r = playWmf(p, QRectF(QPointF(0, 0), QSizeF(size)), wmf, {}, extent);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.skipped, 0);
    EXPECT_FALSE(r.truncated);
    return img;
}

// A black box with no outline, so that its ink is exactly its rectangle.
void blackBox(WmfWriter& w, int left, int top, int right, int bottom) {
    const int pen = w.createPen(PS_NULL, 0, 0);
    const int brush = w.createBrush(BS_SOLID, 0);
    w.select(pen).select(brush).rectangle(left, top, right, bottom);
}

} // namespace

TEST(WmfMapping, PlaceableBoxIsMappedOntoTheTargetAndSetsTheFrame) {
    WmfWriter w;
    blackBox(w, 500, 250, 1000, 500); // the lower right quarter of the box
    const QRect box(0, 0, 1000, 500);
    const QByteArray wmf = w.finish(&box, 1000);
    EXPECT_EQ(inkBounds(render(wmf, QSize(200, 100))), QRect(100, 50, 100, 50));
    // One inch by half an inch.
    const TMetafile emf = wmfToMetafile(wmf);
    EXPECT_EQ(emf.frame(), QRect(QPoint(0, 0), QPoint(2540, 1270)));
    EXPECT_EQ(emf.size(), QSize(96, 48));
}

TEST(WmfMapping, PlaceableBoxNeedNotStartAtTheOrigin) {
    WmfWriter w;
    blackBox(w, -100, 300, 0, 400);
    const QRect box(-200, 200, 400, 200); // x -200..200, y 200..400
    EXPECT_EQ(inkBounds(render(w.finish(&box, 96))), QRect(25, 50, 25, 50));
}

TEST(WmfMapping, WithoutPlaceableHeaderTheWindowIsThePictureAndTheExtentItsSize) {
    // As RTF carries them: window records, no mapping mode (the player's anisotropic one), the
    // size in 0.01 mm beside the picture.
    WmfWriter w;
    w.window(0, 0, 200, 100);
    blackBox(w, 0, 50, 100, 100);
    const QByteArray wmf = w.finish();
    EXPECT_EQ(inkBounds(render(wmf)), QRect(0, 50, 50, 50));
    EXPECT_EQ(wmfToMetafile(wmf, QSize(5080, 2540)).frame(), QRect(QPoint(0, 0), QPoint(5080, 2540)));
    // Without a size the window counts 96 units per inch.
    EXPECT_EQ(wmfToMetafile(wmf).size(), QSize(200, 100));
}

TEST(WmfMapping, NegativeWindowExtentTurnsThePictureUpsideDown) {
    WmfWriter w;
    w.mapMode(MM_ANISOTROPIC).window(0, 100, 100, -100); // y grows upwards from the bottom
    blackBox(w, 0, 0, 50, 25);
    EXPECT_EQ(inkBounds(render(w.finish())), QRect(0, 75, 50, 25));
}

TEST(WmfMapping, TextModeKeepsTheBoxUnitsAndIgnoresWindowExtents) {
    WmfWriter w;
    w.mapMode(MM_TEXT).record(wmr::SETWINDOWEXT, {10, 10});
    blackBox(w, 0, 0, 500, 500);
    const QRect box(0, 0, 1000, 1000);
    EXPECT_EQ(inkBounds(render(w.finish(&box))), QRect(0, 0, 50, 50));
}

TEST(WmfMapping, IsotropicKeepsTheAspect) {
    WmfWriter w;
    w.mapMode(MM_ISOTROPIC).window(0, 0, 100, 100);
    blackBox(w, 0, 0, 100, 100);
    // The picture is twice as wide as tall: the square takes its height, from the left.
    EXPECT_EQ(inkBounds(render(w.finish(), QSize(200, 100), QSize(2000, 1000))), QRect(0, 0, 100, 100));
}

TEST(WmfMapping, ViewportRecordsAreThePlayersAndAreIgnored) {
    WmfWriter w;
    w.window(0, 0, 100, 100)
        .record(wmr::SETVIEWPORTORG, {40, 40})
        .record(wmr::SETVIEWPORTEXT, {-3, 7})
        .record(wmr::OFFSETVIEWPORTORG, {5, 5});
    blackBox(w, 50, 50, 100, 100);
    EXPECT_EQ(inkBounds(render(w.finish())), QRect(50, 50, 50, 50));
}

TEST(WmfMapping, WindowOffsetsScalesAndSavedStates) {
    WmfWriter w;
    w.window(0, 0, 100, 100);
    const int pen = w.createPen(PS_NULL, 0, 0);
    const int brush = w.createBrush(BS_SOLID, 0);
    w.select(pen).select(brush);
    w.record(wmr::SAVEDC, {})
        .record(wmr::OFFSETWINDOWORG, {-50, -50})  // y, x: the origin moves to (-50, -50)
        .record(wmr::SCALEWINDOWEXT, {2, 1, 2, 1}) // window 50 x 50: twice as large
        .rectangle(-50, -50, -40, -40)             // top left, 20 x 20 of the target
        .record(wmr::RESTOREDC, {0xFFFF})          // -1: back to 0..100
        .rectangle(90, 90, 100, 100);
    const QImage img = render(w.finish());
    EXPECT_EQ(inkBounds(img.copy(0, 0, 50, 50)), QRect(0, 0, 20, 20));
    EXPECT_EQ(inkBounds(img.copy(50, 50, 50, 50)), QRect(40, 40, 10, 10));
}
