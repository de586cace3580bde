// PainterCanvas against the recorded page played back: both start from the same state.
#include "EmfTestSupport.h"

#include "platform/MetafileCanvas.h"
#include "platform/PainterCanvas.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

void drawOnRed(GdiCanvas& c) {
    c.fillRect(QRect(0, 0, 400, 200), rgb(255, 0, 0));
    c.extTextOut(20, 20, 0, nullptr, u"Bez czcionki", nullptr); // no font, no background mode set
    LogFont lf;
    lf.faceName = QStringLiteral("Arial");
    lf.height = -40;
    c.selectFont(GdiFont::get(lf));
    c.extTextOut(20, 100, 0, nullptr, u"Zażółć", nullptr);
}

} // namespace

// PainterCanvas once started with GDI's opaque background, so text drawn straight onto a coloured
// box got white cells that the recorded page does not have; and a rectangle without a pen filled
// one pixel more than GDI does, so a filled box came out one pixel larger when played back.
TEST(PainterCanvasTest, DefaultStateMatchesTheRecordedPage) {
    QImage direct(600, 300, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        PainterCanvas canvas(p);
        drawOnRed(canvas);
    }
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas canvas(page);
        drawOnRed(canvas);
        canvas.finish();
    }
    QImage played(600, 300, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
        QPainter p(&played);
        playEmf(p, QRectF(0, 0, 1429, 2000), page);
    }
    EXPECT_EQ(pixelsNear(direct.copy(0, 0, 400, 200), Qt::white, 30), 0);
    QRect diff;
    for (int y = 0; y < direct.height(); ++y) {
        for (int x = 0; x < direct.width(); ++x) {
            if (direct.pixel(x, y) != played.pixel(x, y))
                diff |= QRect(x, y, 1, 1);
        }
    }
    EXPECT_TRUE(diff.isEmpty()) << diff.x() << "," << diff.y() << " " << diff.width() << "x" << diff.height();
}
