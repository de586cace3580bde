// The metafile drawing routines: black-and-white playback, bitmap bands for printing, and
// pictures from another program compared with that program's own rendering.
#include "support/EmfTestSupport.h"

#include "platform/MetafileCanvas.h"
#include "printing/MetafileDraw.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

// A page with a red box outlined in blue (a pen three pixels wide) and a line of red text.
TMetafile colouredPage() {
    TMetafile page;
    page.setPageSize();
    MetafileCanvas c(page);
    c.selectPen(LogPen{PS_SOLID, 3, rgb(0, 0, 255)});
    c.selectBrush(LogBrush{BS_SOLID, rgb(255, 0, 0), 0});
    c.rectangle(QRect(100, 100, 400, 300));
    LogFont lf;
    lf.faceName = QStringLiteral("Arial");
    lf.height = -40;
    c.selectFont(GdiFont::get(lf));
    c.setTextColor(rgb(255, 0, 0));
    c.setBkMode(OPAQUE);
    c.setBkColor(rgb(255, 255, 0));
    c.extTextOut(100, 600, 0, nullptr, u"Zażółć gęślą jaźń", nullptr);
    c.finish();
    return page;
}

QImage draw(const TMetafile& page, bool monochrome) {
    QImage img(715, 1000, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    DrawPage(p, img.rect(), page, monochrome);
    return img;
}

} // namespace

TEST(MetafileDraw, MonochromeMakesLinesAndTextBlackAndFillsWhite) {
    const TMetafile page = colouredPage();
    const QByteArray before = page.bytes();
    const QImage mono = draw(page, true);
    EXPECT_EQ(pixelsNear(mono, Qt::red, 80), 0);
    EXPECT_EQ(pixelsNear(mono, Qt::blue, 80), 0);
    EXPECT_EQ(pixelsNear(mono, Qt::yellow, 80), 0);
    EXPECT_EQ(mono.pixel(150, 100) & 0xFFFFFF, 0xFFFFFFu); // inside the box
    EXPECT_EQ(mono.pixel(50, 100) & 0xFFFFFF, 0u);         // its left edge
    EXPECT_EQ(mono.pixel(150, 50) & 0xFFFFFF, 0u);         // its top edge
    const QImage textArea = mono.copy(40, 290, 400, 40);
    EXPECT_GT(pixelsNear(textArea, Qt::black, 60), 100);
    // The page is unchanged: drawn again in colour it is in colour.
    EXPECT_EQ(page.bytes(), before);
    const QImage colour = draw(page, false);
    EXPECT_EQ(colour.pixel(150, 100) & 0xFFFFFF, 0xFF0000u);
    EXPECT_GT(pixelsNear(colour.copy(40, 290, 400, 40), Qt::red, 80), 100);
}

TEST(MetafileDraw, BitmapModeSendsTwentyBandsOrOneMoreForTheRest) {
    const TMetafile page = colouredPage();
    QImage sheet(800, 2100, QImage::Format_RGB32);
    QPainter printer(&sheet);
    struct Band {
        int height;
        int y;
        QImage::Format format;
    };
    auto bands = [&](QRect r, bool mono) {
        std::vector<Band> seen;
        PrintPage(printer, r, page, mono, true, [&](QPainter&, const QImage& band, int x, int y) {
            EXPECT_EQ(x, r.left());
            EXPECT_EQ(band.width(), r.width());
            seen.push_back({band.height(), y, band.format()});
        });
        return seen;
    };
    const auto exact = bands(QRect(10, 20, 700, 2000), false);
    ASSERT_EQ(exact.size(), 20u);
    EXPECT_EQ(exact.front().y, 20);
    EXPECT_EQ(exact.back().y, 20 + 19 * 100);
    EXPECT_EQ(exact.back().height, 100);
    EXPECT_EQ(exact.front().format, QImage::Format_RGB16);

    const auto rest = bands(QRect(0, 0, 700, 2013), true);
    ASSERT_EQ(rest.size(), 21u);
    EXPECT_EQ(rest[19].height, 100);
    EXPECT_EQ(rest.back().height, 13); // cut at the rectangle's bottom edge
    EXPECT_EQ(rest.back().y, 2000);
    EXPECT_EQ(rest.back().format, QImage::Format_Mono);

    // Fewer than 20 rows: bands one row high, never a band of no rows (which would never end).
    EXPECT_EQ(bands(QRect(0, 0, 50, 7), false).size(), 7u);
}

TEST(MetafileDraw, BandsPutTogetherGiveTheDirectDrawing) {
    const TMetafile page = colouredPage();
    const QImage direct = draw(page, false);
    QImage banded(715, 1000, QImage::Format_RGB32);
    banded.fill(Qt::white);
    {
        QPainter p(&banded);
        PrintPage(p, banded.rect(), page, false, true);
    }
    int differing = 0;
    for (int y = 0; y < direct.height(); ++y) {
        for (int x = 0; x < direct.width(); ++x) {
            const QRgb a = direct.pixel(x, y), b = banded.pixel(x, y);
            differing += std::abs(qRed(a) - qRed(b)) > 24 || std::abs(qGreen(a) - qGreen(b)) > 24 ||
                         std::abs(qBlue(a) - qBlue(b)) > 24;
        }
    }
    EXPECT_LT(differing, direct.width() * direct.height() / 1000);
}

TEST(MetafileDraw, InkscapePictureLandsWhereInkscapeDrawsIt) {
    const QImage reference(dataDir() + QStringLiteral("inkscape_shapes.png"));
    ASSERT_FALSE(reference.isNull());
    const QImage ours =
        renderEmf(readFile(dataDir() + QStringLiteral("inkscape_shapes.emf")), reference.size())
            .convertToFormat(QImage::Format_RGB32);
    const QImage ref = reference.convertToFormat(QImage::Format_RGB32);
    // Each coloured shape: about as many pixels, centred within a few pixels of the reference.
    for (QColor c : {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 160, 0), QColor(255, 192, 0)}) {
        SCOPED_TRACE(c.name().toStdString());
        int n1 = 0, n2 = 0;
        const QPointF a = centroidOf(ours, c, n1), b = centroidOf(ref, c, n2);
        ASSERT_GT(n2, 50);
        EXPECT_NEAR(n1, n2, n2 * 0.3);
        EXPECT_LT(QLineF(a, b).length(), 6.0);
    }
}

TEST(MetafileDraw, LibreOfficePictureMatchesLibreOfficeRendering) {
    // LibreOffice's PNG shows the whole page, its EMF only the drawing's bounding box: the shapes
    // are compared by their positions relative to the red box, at the same 96 pixels per inch.
    const QImage ref =
        QImage(dataDir() + QStringLiteral("libreoffice_text.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(ref.isNull());
    const QByteArray bytes = readFile(dataDir() + QStringLiteral("libreoffice_text.emf"));
    EmfHeader h;
    ASSERT_TRUE(readEmfHeader(bytes, h));
    const QRectF frame = h.frameInDeviceUnits();
    const QSizeF mm(frame.width() / h.pixelsPerMm().width(), frame.height() / h.pixelsPerMm().height());
    const QImage ours =
        renderEmf(bytes, QSize(qRound(mm.width() / 25.4 * 96), qRound(mm.height() / 25.4 * 96)));
    int n1 = 0, n2 = 0;
    const QPointF redOurs = centroidOf(ours, Qt::red, n1), redRef = centroidOf(ref, Qt::red, n2);
    ASSERT_GT(n2, 1000);
    EXPECT_NEAR(n1, n2, n2 * 0.1);
    for (QColor c : {QColor(0, 0, 255), QColor(0, 160, 0), QColor(192, 0, 0)}) {
        SCOPED_TRACE(c.name().toStdString());
        const QPointF a = centroidOf(ours, c, n1) - redOurs, b = centroidOf(ref, c, n2) - redRef;
        ASSERT_GT(n2, 100);
        EXPECT_NEAR(n1, n2, n2 * 0.3);
        EXPECT_LT(QLineF(a, b).length(), 4.0);
    }
    // The black line of text is there, about as wide as LibreOffice draws it.
    auto blackBounds = [](const QImage& img) {
        QRect r;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QRgb p = img.pixel(x, y);
                if (qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80)
                    r |= QRect(x, y, 1, 1);
            }
        }
        return r;
    };
    const QRect textOurs = blackBounds(ours.copy(0, int(redOurs.y()) + 80, ours.width(), 40));
    const QRect textRef = blackBounds(ref.copy(0, int(redRef.y()) + 80, ref.width(), 40));
    EXPECT_GT(textRef.width(), 250);
    EXPECT_LT(textRef.width(), 400);
    EXPECT_NEAR(textOurs.width(), textRef.width(), 12);
}
