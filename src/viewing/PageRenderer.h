#pragma once
// PageRenderer: draws the tiles of pages on worker threads, off the input path, into a bounded
// cache. The viewer asks, at every paint, for the tiles it shows (first) and those it may show next
// (prefetch); what is in the cache it draws at once, for the rest it draws an empty sheet and is
// told when the tile is ready. Work for tiles that are no longer asked for is cancelled; results
// that arrive for them are dropped.
//
// Threads: the renderer lives on the GUI thread; tiles are drawn on its own thread pool. A result
// travels back by a queued call through a mailbox that the renderer closes when it is destroyed,
// so a worker never reaches a renderer that is gone. The destructor cancels all work and waits for
// the tiles being drawn (a cancelled tile stops at its next record).

#include "platform/Page.h"
#include "viewing/PageCache.h"
#include "viewing/WorkerMailbox.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <memory>
#include <vector>

namespace vek {

// Draws the part `tile` of the page played into the rectangle (0, 0, pageSize), device pixels, on
// white, from the page's display list: a tile of a zoomed page costs the records that reach it.
// Stops at the next record, returning a null image, once cancelled becomes true. The one place
// where a page is rasterised for the screen.
QImage renderPageTile(const EmfDisplayList& list, QSize pageSize, const QRect& tile,
                      const std::atomic_bool& cancelled);
inline QImage renderPageTile(const Page& page, QSize pageSize, const QRect& tile,
                             const std::atomic_bool& cancelled) {
    return renderPageTile(page.displayList(), pageSize, tile, cancelled);
}

// The tiles of a page drawn at pageSize (device pixels) that meet area (page device pixels):
// the whole page as one tile up to wholePageLimit pixels, else squares of tileSide.
QList<QRect> pageTiles(QSize pageSize, const QRect& area);
inline constexpr qint64 kWholePageLimit = 4'200'000; // about a page-wide A4 on a full-HD screen
inline constexpr int kTileSide = 1024;

struct TileRequest {
    PagePtr page;
    QSize pageSize;
    QRect tile;
    bool onScreen = true;
    TileKey key() const { return {page.get(), pageSize, tile}; }
};

class PageRenderer : public QObject {
    Q_OBJECT
public:
    explicit PageRenderer(QObject* parent = nullptr);
    ~PageRenderer() override;

    // The tile's image if it is drawn, else a null image. Never waits.
    QImage tile(const TileKey& key) { return m_cache.find(key); }
    QImage anyWholePage(const Page* page) const { return m_cache.anyWholePage(page); }

    // The tiles wanted now, on-screen ones first and in the order they should be drawn. Starts
    // what is missing, cancels what is no longer wanted and pins the on-screen tiles in the cache.
    void request(const QList<TileRequest>& wanted);
    // Forgets every tile and cancels all work (the pages changed).
    void clear();

    // The number of drawing threads, at least 1.
    void setThreadCount(int n);
    int threadCount() const { return m_pool.maxThreadCount(); }
    // Whether every tile on screen at the last request is drawn.
    bool screenDrawn() const { return m_cache.holdsPinned(); }

    // Display lists held for the pages drawn last (tests).
    int displayListsHeld() const { return int(m_lists.size()); }

    PageCache& cache() { return m_cache; }
    // Tiles started on workers since construction (for tests and benchmarks).
    int started() const { return m_started; }
    // Waits until no tile is being drawn and every result has been taken in (tests, benchmarks).
    void waitForIdle();

Q_SIGNALS:
    // A wanted tile has been drawn and is in the cache.
    void tileReady();

private:
    struct Job;
    struct ListSlot;
    std::shared_ptr<ListSlot> listFor(const PagePtr& page);
    void start(const TileRequest& r);
    void deliver(const std::shared_ptr<Job>& job, const QImage& image);

    PageCache m_cache;
    QThreadPool m_pool;
    std::shared_ptr<WorkerMailbox> m_mailbox;
    QHash<TileKey, std::shared_ptr<Job>> m_running; // started and not yet delivered or cancelled
    // The display lists of the pages asked for last, most recent first. A list costs a quarter of
    // a megabyte for a dense page: kept on every page once drawn, they would grow with the
    // printout as it is scrolled through.
    std::vector<std::shared_ptr<ListSlot>> m_lists;
    int m_started = 0;
};

} // namespace vek
