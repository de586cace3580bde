// Drawing pages off the input path: the bounded cache, the workers, cancelled and stale work,
// and what the viewer paints before and after a page is drawn.
#include "ViewingSupport.h"
#include "kit/KitTestUtil.h"
#include "support/EmfTestSupport.h"
#include "support/Examples.h"
#include "viewing/EmfViewer.h"
#include "viewing/PageCache.h"
#include "viewing/PageRenderer.h"

#include <QCoreApplication>
#include <QImage>
#include <gtest/gtest.h>

using namespace vek;
using namespace vektest;

namespace {

TileKey keyOf(const Page* page, int n) {
    return {page, QSize(1000, 1000), QRect(0, n * 10, 512, 512)};
}

QImage megabyte() {
    QImage image(512, 512, QImage::Format_RGB32); // 1 MiB
    image.fill(Qt::white);
    return image;
}

const PagePtr& textPage() {
    static const PagePtr page = composedPages(numberedPrintout(60)).front();
    return page;
}

// Pixels of the rectangle that are neither white nor the desk: drawn ink.
int inkIn(const QImage& image, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return n;
}

} // namespace

TEST(PageCache, StaysWithinItsBudgetEvictingTheLeastRecentlyUsed) {
    PageCache cache(3 << 20);
    const Page* page = textPage().get();
    for (int i = 0; i < 5; ++i) {
        cache.insert(keyOf(page, i), megabyte());
        if (i == 2)
            cache.find(keyOf(page, 0)); // used again: now newer than 1 and 2
    }
    EXPECT_EQ(cache.count(), 3);
    EXPECT_LE(cache.bytes(), cache.budget());
    EXPECT_TRUE(cache.contains(keyOf(page, 0)));
    EXPECT_FALSE(cache.contains(keyOf(page, 1)));
    EXPECT_FALSE(cache.contains(keyOf(page, 2)));
    EXPECT_TRUE(cache.contains(keyOf(page, 3)));
    EXPECT_TRUE(cache.contains(keyOf(page, 4)));
}

TEST(PageCache, TilesOnScreenAreNeverEvicted) {
    PageCache cache(2 << 20);
    const Page* page = textPage().get();
    cache.pin({keyOf(page, 0), keyOf(page, 1), keyOf(page, 2)});
    for (int i = 0; i < 6; ++i)
        cache.insert(keyOf(page, i), megabyte());
    // Over budget while the screen needs more; everything else went.
    EXPECT_EQ(cache.count(), 3);
    EXPECT_TRUE(cache.contains(keyOf(page, 2)));
    cache.pin({});
    EXPECT_LE(cache.bytes(), cache.budget());
    cache.removePage(page);
    EXPECT_EQ(cache.count(), 0);
    EXPECT_EQ(cache.bytes(), 0);
}

TEST(PageCache, AWholePageAtAnotherSizeStandsIn) {
    PageCache cache;
    const Page* page = textPage().get();
    EXPECT_TRUE(cache.anyWholePage(page).isNull());
    cache.insert({page, QSize(100, 140), QRect(0, 0, 100, 140)}, QImage(100, 140, QImage::Format_RGB32));
    cache.insert({page, QSize(5000, 7000), QRect(0, 0, 1024, 1024)}, megabyte()); // a tile, not whole
    EXPECT_EQ(cache.anyWholePage(page).size(), QSize(100, 140));
}

TEST(PageRenderer, TilesCoverBigPagesOnlyWhereWanted) {
    EXPECT_EQ(pageTiles(QSize(800, 1131), QRect(0, 0, 10, 10)), (QList<QRect>{QRect(0, 0, 800, 1131)}));
    EXPECT_TRUE(pageTiles(QSize(800, 1131), QRect(900, 0, 10, 10)).isEmpty());
    const QList<QRect> tiles = pageTiles(QSize(3000, 4243), QRect(1000, 2100, 100, 100));
    EXPECT_EQ(tiles, (QList<QRect>{QRect(0, 2048, 1024, 1024), QRect(1024, 2048, 1024, 1024)}));
    const QList<QRect> edge = pageTiles(QSize(3000, 4243), QRect(2900, 4200, 500, 500));
    EXPECT_EQ(edge, (QList<QRect>{QRect(2048, 4096, 952, 147)}));
}

TEST(PageRenderer, DrawsOnWorkersAndDropsWhatIsNoLongerWanted) {
    PageRenderer renderer;
    int ready = 0;
    QObject::connect(&renderer, &PageRenderer::tileReady, [&] { ++ready; });
    const PagePtr& page = textPage();
    const TileRequest a{page, QSize(700, 990), QRect(0, 0, 700, 990), true};
    const TileRequest b{page, QSize(350, 495), QRect(0, 0, 350, 495), true};
    renderer.request({a});
    renderer.request({b}); // a is no longer wanted: cancelled, or dropped when it comes back
    renderer.waitForIdle();
    EXPECT_TRUE(renderer.tile(a.key()).isNull());
    const QImage image = renderer.tile(b.key());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(350, 495));
    EXPECT_GT(inkIn(image, image.rect()), 100);
    EXPECT_EQ(ready, 1);
    // A tile in the cache is not drawn again.
    const int started = renderer.started();
    renderer.request({b});
    EXPECT_EQ(renderer.started(), started);
}

TEST(PageRenderer, GoesAwayWhileTilesAreBeingDrawn) {
    const PagePtr& page = textPage();
    for (int round = 0; round < 5; ++round) {
        auto renderer = std::make_unique<PageRenderer>();
        QList<TileRequest> wanted;
        for (int i = 0; i < 8; ++i)
            wanted.append({page, QSize(1400 + i, 2000), QRect(0, 0, 1400 + i, 2000), true});
        renderer->request(wanted);
        renderer.reset(); // cancels, waits for the workers; nothing arrives afterwards
        QCoreApplication::processEvents();
    }
    SUCCEED();
}

// A tile plays only the records that reach it, yet shows exactly the pixels of the same area of
// the whole page played record by record: at the sizes of a page on screens at 100 %, 200 % and
// 150 %, with tiles that cut through text, rules, the letterhead picture and its badge.
TEST(PageRenderer, ATileHasThePixelsOfTheSameAreaOfTheWholePage) {
    const PagePtr page = composedPages(test::faktura()).front();
    for (const qreal dpr : {1.0, 2.0, 1.5}) {
        const QSize pageSize = (QSizeF(1100, 1556) * dpr).toSize();
        const QImage whole = vek::test::renderEmf(page->metafile().bytes(), pageSize);
        QList<QRect> tiles = {QRect(333, 517, 300, 211), QRect(0, 101, pageSize.width(), 37),
                              QRect(pageSize.width() - 97, pageSize.height() - 61, 97, 61)};
        for (int y = 0; y < pageSize.height(); y += kTileSide)
            for (int x = 0; x < pageSize.width(); x += kTileSide)
                tiles.append(QRect(x, y, kTileSide, kTileSide) & whole.rect());
        const std::atomic_bool running{false};
        for (const QRect& t : tiles) {
            const QImage tile = renderPageTile(*page, pageSize, t, running);
            ASSERT_EQ(tile.size(), t.size());
            EXPECT_TRUE(tile == whole.copy(t)) << "ratio " << dpr << ", tile " << t.x() << "," << t.y();
            EXPECT_GT(inkIn(tile, tile.rect()), 0);
        }
    }
}

// Fonts are made per drawing thread: tiles drawn on several threads at once have the pixels of
// tiles drawn one after another.
TEST(PageRenderer, SeveralDrawingThreadsDrawWhatOneDraws) {
    const PagePtr page = composedPages(test::faktura()).front();
    PageRenderer renderer;
    renderer.setThreadCount(3);
    EXPECT_EQ(renderer.threadCount(), 3);
    QList<TileRequest> wanted;
    for (int i = 0; i < 6; ++i) {
        const QSize size(900 + 37 * i, 1273 + 52 * i);
        wanted.append({page, size, QRect(QPoint(0, 0), size), i < 4});
    }
    renderer.request(wanted);
    EXPECT_FALSE(renderer.screenDrawn());
    renderer.waitForIdle();
    EXPECT_TRUE(renderer.screenDrawn());
    const std::atomic_bool running{false};
    for (const TileRequest& r : wanted)
        EXPECT_TRUE(renderer.tile(r.key()) == renderPageTile(*page, r.pageSize, r.tile, running))
            << r.pageSize.width();
}

TEST(PageRenderer, AScrolledAwayTileStopsEarly) {
    std::atomic_bool cancelled{true};
    EXPECT_TRUE(renderPageTile(*textPage(), QSize(700, 990), QRect(0, 0, 700, 990), cancelled).isNull());
    cancelled = false;
    EXPECT_FALSE(renderPageTile(*textPage(), QSize(700, 990), QRect(0, 0, 700, 990), cancelled).isNull());
}

namespace {

class ViewerPaint : public ::testing::Test {
protected:
    void SetUp() override {
        v.resize(640, 480);
        v.setZoomLevel(zoomPageH);
        v.AddPage(textPage());
    }
    QImage shot(qreal dpr = 1) { return kittest::shot(v, dpr); }
    TEmfViewer v;
};

} // namespace

TEST_F(ViewerPaint, AnEmptySheetFirstThenThePageWithoutWaiting) {
    const QImage before = shot();
    const QRect sheet = v.SheetRect(0);
    const QRect inner = v.InnerRect(0);
    EXPECT_EQ(before.pixelColor(2, 2), QColor(192, 192, 192));                      // the desk
    EXPECT_EQ(before.pixelColor(sheet.left() - 1, sheet.center().y()), Qt::black);  // the frame
    EXPECT_EQ(before.pixelColor(sheet.right() + 3, sheet.center().y()), Qt::black); // the shadow
    EXPECT_EQ(inkIn(before, inner), 0); // not drawn yet: an empty sheet
    v.Renderer().waitForIdle();
    const QImage after = shot();
    EXPECT_GT(inkIn(after, inner), 100);
    EXPECT_EQ(inkIn(after, QRect(sheet.left(), inner.bottom() + 2, sheet.width(), 5)),
              0); // the bottom margin
}

TEST_F(ViewerPaint, PagesAreDrawnAtTheDeviceScale) {
    shot(2);
    v.Renderer().waitForIdle();
    const QRect inner = v.InnerRect(0);
    const TileKey sharp{textPage().get(), inner.size() * 2, QRect(QPoint(0, 0), inner.size() * 2)};
    EXPECT_FALSE(v.Renderer().tile(sharp).isNull());
    const QImage image = shot(2);
    EXPECT_GT(inkIn(image, QRect(inner.topLeft() * 2, inner.size() * 2)), 200);
}

// Neither the tiles nor the pages' display lists grow with the pages scrolled through.
TEST_F(ViewerPaint, TheCacheKeepsItsBudgetWhileScrollingALongPrintout) {
    for (const PagePtr& p : composedPages(numberedPrintout(1200)))
        v.AddPage(p);
    v.setZoomLevel(zoomPageW);
    v.Renderer().cache().setBudget(8 << 20);
    for (int page = 1; page <= v.PageCount(); ++page) {
        v.setPageNr(page);
        shot();
        v.Renderer().waitForIdle();
        EXPECT_LE(v.Renderer().cache().bytes(), 8 << 20) << "page " << page;
    }
    EXPECT_GT(v.PageCount(), 12);
    EXPECT_GT(v.Renderer().cache().count(), 0);
    EXPECT_GT(v.Renderer().displayListsHeld(), 0);
    EXPECT_LE(v.Renderer().displayListsHeld(), 12);
}
