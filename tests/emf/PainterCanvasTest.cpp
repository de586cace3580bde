// PainterCanvas against the recorded page played back: both start from the same state.
#include "support/EmfTestSupport.h"

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

// Everything the composer uses: pens, boxes, lines, clipping inside SaveDC, a mapping, pictures,
// text with advances and clipped text.
void drawEverything(GdiCanvas& c) {
    LogFont lf;
    lf.faceName = QStringLiteral("Courier New");
    lf.height = -20;
    c.selectFont(GdiFont::get(lf));
    c.selectPen(LogPen{PS_SOLID, 1, rgb(0, 0, 128)});
    c.selectBrush(LogBrush{BS_SOLID, rgb(220, 240, 255), 0});
    c.rectangle(QRect(10, 10, 300, 100));
    c.moveTo(10, 130);
    c.lineTo(500, 130);
    c.polyline({QPoint(10, 150), QPoint(100, 200), QPoint(200, 150)});
    c.selectPen(LogPen{PS_DASH, 1, rgb(200, 0, 0)});
    c.moveTo(10, 220);
    c.lineTo(500, 220);
    c.selectPen(LogPen{PS_SOLID, 4, rgb(0, 128, 0)});
    c.rectangle(QRect(320, 10, 100, 60));
    const int level = c.saveDC();
    c.intersectClipRect(QRect(20, 20, 120, 20));
    c.setTextColor(rgb(128, 0, 0));
    c.extTextOut(15, 15, 0, nullptr, u"Przycięty tekst w polu", nullptr);
    c.restoreDC(level);
    const int dx[] = {20, 20, 20, 20, 20};
    c.extTextOut(20, 60, 0, nullptr, u"Kwota", dx);
    const QRect box(20, 240, 90, 20);
    c.extTextOut(20, 240, ETO_CLIPPED, &box, u"Za długi tekst w polu", nullptr);
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(QColor(255, 128, 0));
    c.stretchImage(QRect(450, 150, 40, 40), img);
    c.saveDC();
    c.setMapMode(MM_ANISOTROPIC);
    c.setWindowExt(QSize(100, 100));
    c.setViewportExt(QSize(50, 50));
    c.setViewportOrg(QPoint(300, 150));
    c.selectPen(LogPen{PS_SOLID, 0, 0});
    c.rectangle(QRect(0, 0, 100, 100));
    c.extTextOut(0, 0, 0, nullptr, u"Skala", nullptr);
    c.restoreDC(-1);
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

TEST(PainterCanvasTest, DirectDrawingAndPlaybackGiveTheSamePixels) {
    QImage direct(600, 300, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        PainterCanvas canvas(p);
        drawEverything(canvas);
    }
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas canvas(page);
        drawEverything(canvas);
        canvas.finish();
    }
    QImage played(600, 300, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
        QPainter p(&played);
        playEmf(p, QRectF(0, 0, 1429, 2000), page);
    }
    int differing = 0;
    QRect where;
    for (int y = 0; y < direct.height(); ++y) {
        for (int x = 0; x < direct.width(); ++x) {
            if (direct.pixel(x, y) != played.pixel(x, y)) {
                ++differing;
                where |= QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_EQ(differing, 0) << where.x() << "," << where.y() << " " << where.width() << "x" << where.height();
    EXPECT_GT(inkPixels(direct), 5000);
    if (qEnvironmentVariableIsSet("VEK_EMF_DUMP_DIR"))
        direct.save(qEnvironmentVariable("VEK_EMF_DUMP_DIR") + QStringLiteral("/painter_canvas.png"));
}
