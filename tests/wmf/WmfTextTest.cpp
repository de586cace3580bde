// Text of Windows Metafiles: bytes in the code page of the font's character set, fonts in the
// picture's logical units, the reference point and alignment, advances given per character.
#include "support/EmfTestSupport.h"
#include "support/WmfWriter.h"

#include "platform/EmfWalk.h"
#include "platform/PainterCanvas.h"
#include "platform/WmfPlayer.h"
#include "platform/WmfRecords.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

QStringList texts(const QByteArray& wmf) {
    const WmfConversion c = convertWmf(wmf);
    EXPECT_EQ(c.skipped, 0);
    QStringList out;
    EmfWalker walker(c.emf);
    EmfRecord r;
    while (walker.next(r)) {
        EmfTextRun run;
        if (readEmfText(r, run))
            out << run.text;
    }
    return out;
}

// The picture is a 200 x 100 window drawn into 400 x 200 pixels: two pixels a unit.
QImage render(const QByteArray& wmf) {
    QImage img(400, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    playWmf(p, QRectF(0, 0, 400, 200), wmf);
    return img;
}

// The left edges of the runs of columns that hold ink.
QList<int> inkColumns(const QImage& img) {
    QList<int> starts;
    bool inside = false;
    for (int x = 0; x < img.width(); ++x) {
        const bool ink = !inkBounds(img.copy(x, 0, 1, img.height())).isEmpty();
        if (ink && !inside)
            starts << x;
        inside = ink;
    }
    return starts;
}

} // namespace

TEST(WmfText, BytesAreDecodedInTheCodePageOfTheSelectedFont) {
    WmfWriter w;
    w.window(0, 0, 200, 100);
    w.textOut(0, 0, "\xb9\xe6"); // no font yet: the system's Windows-1250
    const int polish = w.createFont(-10, "Arial", EASTEUROPE_CHARSET);
    const int russian = w.createFont(-10, "Arial", RUSSIAN_CHARSET);
    const int western = w.createFont(-10, "Arial", ANSI_CHARSET);
    w.select(polish).textOut(0, 10, "Za\xbf\xf3\xb3\xe6");
    w.record(wmr::SAVEDC, {}).select(russian).extTextOut(0, 20, 0, nullptr, "\xcc\xe8\xf0");
    w.record(wmr::RESTOREDC, {0xFFFF}).textOut(0, 30, "\xea"); // the Polish font is back
    w.select(western).textOut(0, 40, "caf\xe9");
    EXPECT_EQ(texts(w.finish()), QStringList({u"ąć"_s, u"Zażółć"_s, u"Мир"_s, u"ę"_s, u"café"_s}));
}

TEST(WmfText, FontHeightIsInLogicalUnitsAndTextStandsOnItsReferencePoint) {
    WmfWriter w;
    w.window(0, 0, 200, 100);
    const int font = w.createFont(-20, "Arial");
    w.select(font).textAlign(TA_BASELINE).textOut(50, 60, "HH");
    const QRect ink = inkBounds(render(w.finish()));
    // An em of 20 units is 40 pixels: capitals about 29 high, standing on y = 120.
    EXPECT_NEAR(ink.bottom(), 119, 1);
    EXPECT_NEAR(ink.height(), 29, 2);
    EXPECT_NEAR(ink.left(), 100, 4);
}

TEST(WmfText, AdvancesPlaceEachCharacterAndTheOpaqueBoxIsFilled) {
    WmfWriter w;
    w.window(0, 0, 200, 100);
    const int font = w.createFont(-20, "Arial");
    w.select(font).extTextOut(10, 10, 0, nullptr, "III", {60, 30, 30});
    const QList<int> columns = inkColumns(render(w.finish()));
    ASSERT_EQ(columns.size(), 3);
    EXPECT_NEAR(columns[1] - columns[0], 120, 2);
    EXPECT_NEAR(columns[2] - columns[1], 60, 2);

    WmfWriter box;
    box.window(0, 0, 200, 100).record(wmr::SETBKCOLOR, {0, 0xFF}); // blue, 0x00FF0000
    const QRect r(100, 50, 50, 25);                                // left, top, right, bottom
    box.extTextOut(100, 50, ETO_OPAQUE, &r, "");
    int count = 0;
    const QPointF centre = centroidOf(render(box.finish()), Qt::blue, count);
    EXPECT_NEAR(count, 100 * 50, 300);
    EXPECT_NEAR(centre.x(), 250, 2);
    EXPECT_NEAR(centre.y(), 125, 2);
}
