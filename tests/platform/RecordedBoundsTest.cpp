// The bounds a recording states against the pixels its playback paints, in every mapping mode:
// the recorder, the player and the display list share one device-context model, so the header's
// rclBounds is where the ink is, and the display list's bounds hold all of it.
#include "support/EmfTestSupport.h"

#include "platform/EmfDisplayList.h"
#include "platform/MetafileCanvas.h"

#include <functional>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

const int kModes[] = {MM_TEXT,      MM_LOMETRIC, MM_HIMETRIC,  MM_LOENGLISH,
                      MM_HIENGLISH, MM_TWIPS,    MM_ISOTROPIC, MM_ANISOTROPIC};

// A page recorded in the mapping mode: extents that only the scalable modes obey (GDI ignores them
// in the others, and so must every copy of the mapping), the origin moved into the page so that
// the metric modes, whose y axis points up, draw on it.
TMetafile recordIn(int mode, const std::function<void(GdiCanvas&)>& draw) {
    TMetafile page;
    page.setPageSize();
    MetafileCanvas c(page);
    c.setMapMode(mode);
    c.setWindowExt(QSize(2000, 2000));
    c.setViewportExt(QSize(1000, 1500));
    c.setViewportOrg(QPoint(300, 1200));
    draw(c);
    c.finish();
    return page;
}

QRect inkAtDeviceResolution(const TMetafile& page) {
    return inkBounds(renderEmf(page.bytes(), page.size()));
}

QRectF displayListBounds(const TMetafile& page) {
    QRectF all;
    const EmfDisplayList list(page.bytes());
    for (const EmfDisplayItem& item : list.items()) {
        EXPECT_NE(item.kind, EmfExtent::Unbounded) << item.type;
        if (item.kind == EmfExtent::Bounded)
            all = all.united(item.bounds);
    }
    return all;
}

void expectNear(const QRect& recorded, const QRect& ink) {
    EXPECT_LE(std::abs(recorded.left() - ink.left()), 1);
    EXPECT_LE(std::abs(recorded.top() - ink.top()), 1);
    EXPECT_LE(std::abs(recorded.right() - ink.right()), 1);
    EXPECT_LE(std::abs(recorded.bottom() - ink.bottom()), 1);
}

void expectHolds(const QRectF& bounds, const QRect& ink) {
    EXPECT_TRUE(bounds.contains(QRectF(ink)))
        << bounds.x() << ',' << bounds.y() << ' ' << bounds.width() << 'x' << bounds.height() << " vs "
        << ink.x() << ',' << ink.y() << ' ' << ink.width() << 'x' << ink.height();
}

} // namespace

TEST(RecordedBounds, FiguresInEveryMappingModeAreWhereTheirPixelsAre) {
    for (int mode : kModes) {
        SCOPED_TRACE(mode);
        const TMetafile page = recordIn(mode, [](GdiCanvas& c) {
            c.selectBrush(LogBrush{BS_SOLID, rgb(200, 0, 0), 0});
            c.rectangle(QRect(100, 100, 400, 300));
            c.selectPen(LogPen{PS_SOLID, 1, 0});
            c.moveTo(-200, 50);
            c.lineTo(600, -150);
        });
        const QRect ink = inkAtDeviceResolution(page);
        ASSERT_FALSE(ink.isEmpty());
        expectNear(page.bounds() & QRect(QPoint(0, 0), page.size()), ink); // the ink stops at the page edge
        expectHolds(displayListBounds(page), ink);
    }
}

// Text stays upright whatever way the mapping turns the y axis: its cell lies below the reference
// point on the device even where logical y grows upwards.
TEST(RecordedBounds, TextInEveryMappingModeHoldsItsGlyphs) {
    LogFont lf;
    lf.faceName = QStringLiteral("Arial");
    lf.height = -120;
    const GdiFontPtr font = GdiFont::get(lf);
    for (int mode : kModes) {
        SCOPED_TRACE(mode);
        const TMetafile page = recordIn(mode, [&](GdiCanvas& c) {
            c.selectFont(font);
            c.extTextOut(100, 100, 0, nullptr, u"Nowy", nullptr);
        });
        const QRect ink = inkAtDeviceResolution(page);
        ASSERT_FALSE(ink.isEmpty());
        expectHolds(QRectF(page.bounds()).adjusted(-1, -1, 2, 2), ink);
        // The cell is not much more than the glyphs: the ascent above them, the descent below.
        EXPECT_LT(page.bounds().height(), ink.height() * 2);
        expectHolds(displayListBounds(page), ink);
    }
}

// A picture drawn in through the embedder, itself in a metric mode, lands inside the bounds.
TEST(RecordedBounds, EmbeddedPictureWithItsOwnMappingHoldsItsPixels) {
    TMetafile inner;
    inner.setSize(QSize(200, 100));
    {
        MetafileCanvas c(inner);
        c.setMapMode(MM_LOMETRIC);
        c.setViewportOrg(QPoint(0, 100));
        c.selectBrush(LogBrush{BS_SOLID, rgb(0, 0, 200), 0});
        c.rectangle(QRect(50, 50, 300, 150));
    }
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas c(page);
        c.stretchDraw(QRect(400, 600, 400, 200), inner);
    }
    const QRect ink = inkAtDeviceResolution(page);
    ASSERT_FALSE(ink.isEmpty());
    expectHolds(QRectF(page.bounds()).adjusted(-1, -1, 2, 2), ink);
    expectHolds(displayListBounds(page), ink);
}
