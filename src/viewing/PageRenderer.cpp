#include "viewing/PageRenderer.h"

#include "platform/PageRender.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <memory>
#include <mutex>
#include <sys/mman.h>
#include <utility>

namespace vek {

namespace {

// Glyphs that the left edge of an image cuts through come out a little different from the same
// glyphs drawn whole when the page is scaled, which showed as seams in the letters between tiles.
// A tile is therefore drawn with this much room on its left, which is then left out: its edge
// lies inside the drawing.
constexpr int kLeftRoom = 64;

// Pixels in memory mapped for one tile alone, returned to the system as soon as the tile goes.
// From the allocator, tiles of megabytes made on workers and freed on the GUI thread stay in its
// arenas long after the cache let them go.
struct Mapping {
    void* data = nullptr;
    std::size_t bytes = 0;
    ~Mapping() { munmap(data, bytes); }
};

std::unique_ptr<Mapping> mapPixels(qsizetype bytes) {
    void* data =
        mmap(nullptr, std::size_t(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        return nullptr;
    auto m = std::make_unique<Mapping>();
    m->data = data;
    m->bytes = std::size_t(bytes);
    return m;
}

// The part of a drawn image from column `left` on, over the same pixels; the image owns the
// mapping from then on.
QImage imageOver(std::unique_ptr<Mapping> pixels, QSize drawn, int left) {
    const qsizetype bytesPerLine = qsizetype(drawn.width()) * 4;
    auto* bits = static_cast<uchar*>(pixels->data) + qsizetype(left) * 4;
    return QImage(
        bits, drawn.width() - left, drawn.height(), bytesPerLine, QImage::Format_RGB32,
        [](void* info) { delete static_cast<Mapping*>(info); }, pixels.release());
}

} // namespace

QImage renderPageTile(const EmfDisplayList& list, QSize pageSize, const QRect& tile,
                      const std::atomic_bool& cancelled) {
    if (tile.isEmpty() || cancelled.load())
        return {};
    const int room = tile.left() > 0 ? kLeftRoom : 0;
    const QSize drawn(tile.width() + room, tile.height());
    const qsizetype bytesPerLine = qsizetype(drawn.width()) * 4;
    std::unique_ptr<Mapping> pixels = mapPixels(bytesPerLine * drawn.height());
    QImage canvas = pixels ? QImage(static_cast<uchar*>(pixels->data), drawn.width(), drawn.height(),
                                    bytesPerLine, QImage::Format_RGB32)
                           : QImage(drawn, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    // The page shifted so that the tile's corner lies `room` pixels into the image: only the
    // records that reach the tile play.
    const QRectF target(QPointF(room - tile.left(), -tile.top()), QSizeF(pageSize));
    EmfPlayOptions options;
    options.cancel = &cancelled;
    options.clip = QRectF(QPointF(room, 0), QSizeF(tile.size()));
    if (paintPage(canvas, list, target, options).cancelled)
        return {};
    if (!pixels)
        return canvas.copy(room, 0, tile.width(), tile.height());
    canvas = QImage(); // the mapping goes on in the tile
    return imageOver(std::move(pixels), drawn, room);
}

QList<QRect> pageTiles(QSize pageSize, const QRect& area) {
    const QRect page(QPoint(0, 0), pageSize);
    const QRect wanted = area & page;
    if (wanted.isEmpty())
        return {};
    if (qint64(pageSize.width()) * pageSize.height() <= kWholePageLimit)
        return {page};
    QList<QRect> tiles;
    for (int y = wanted.top() / kTileSide * kTileSide; y <= wanted.bottom(); y += kTileSide)
        for (int x = wanted.left() / kTileSide * kTileSide; x <= wanted.right(); x += kTileSide)
            tiles.append(QRect(x, y, kTileSide, kTileSide) & page);
    return tiles;
}

// A page's display list, parsed by the first worker that needs it; the others wait for it.
struct PageRenderer::ListSlot {
    PagePtr page; // keeps the page alive while it is drawn, whatever happens to the viewer
    std::once_flag parsed;
    std::unique_ptr<const EmfDisplayList> list;
    const EmfDisplayList& get() {
        std::call_once(parsed,
                       [this] { list = std::make_unique<const EmfDisplayList>(page->metafile().bytes()); });
        return *list;
    }
};

struct PageRenderer::Job {
    std::shared_ptr<ListSlot> list;
    TileKey key;
    std::atomic_bool cancelled{false};
};

PageRenderer::PageRenderer(QObject* parent)
    : QObject(parent)
    , m_mailbox(std::make_shared<WorkerMailbox>(this)) {
    // Fonts are made per thread, and a new thread's first page costs about twice an ordinary one
    // while it makes them: the drawing threads stay for the renderer's life instead of ending
    // after half a minute without work, so the page after a pause is drawn as fast as any.
    m_pool.setExpiryTimeout(-1);
    // One core is left to the GUI thread, which paints and composes: on two cores a second
    // drawing thread made a jump's pages arrive later, not sooner.
    setThreadCount(QThread::idealThreadCount() - 1);
}

void PageRenderer::setThreadCount(int n) {
    m_pool.setMaxThreadCount(std::max(1, n));
}

PageRenderer::~PageRenderer() {
    m_mailbox->close();
    for (const auto& job : std::as_const(m_running))
        job->cancelled = true;
    m_running.clear();
    m_pool.clear();
    m_pool.waitForDone();
}

void PageRenderer::request(const QList<TileRequest>& wanted) {
    QSet<TileKey> wantedKeys;
    QSet<TileKey> onScreen;
    for (const TileRequest& r : wanted) {
        wantedKeys.insert(r.key());
        if (r.onScreen)
            onScreen.insert(r.key());
    }
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (wantedKeys.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->cancelled = true;
        it = m_running.erase(it);
    }
    m_cache.pin(std::move(onScreen));
    for (const TileRequest& r : wanted)
        if (!m_cache.contains(r.key()) && !m_running.contains(r.key()))
            start(r);
}

std::shared_ptr<PageRenderer::ListSlot> PageRenderer::listFor(const PagePtr& page) {
    constexpr std::size_t kListsHeld = 12; // the pages on screen and around them, at any zoom
    auto it = std::find_if(m_lists.begin(), m_lists.end(), [&](const auto& s) { return s->page == page; });
    if (it == m_lists.end()) {
        auto slot = std::make_shared<ListSlot>();
        slot->page = page;
        m_lists.insert(m_lists.begin(), std::move(slot));
        if (m_lists.size() > kListsHeld)
            m_lists.pop_back(); // a job still drawing from it holds it until it ends
    } else {
        std::rotate(m_lists.begin(), it, it + 1);
    }
    return m_lists.front();
}

void PageRenderer::start(const TileRequest& r) {
    auto job = std::make_shared<Job>();
    job->list = listFor(r.page);
    job->key = r.key();
    m_running.insert(job->key, job);
    ++m_started;
    m_pool.start(
        // r is never touched on the worker: it only travels back through the mailbox.
        [r = this, job, mailbox = m_mailbox] {
            if (job->cancelled)
                return;
            QImage image = renderPageTile(job->list->get(), job->key.pageSize, job->key.tile, job->cancelled);
            if (!job->cancelled)
                mailbox->post([r, job, image = std::move(image)] { r->deliver(job, image); });
        },
        r.onScreen ? 2 : 1);
}

void PageRenderer::deliver(const std::shared_ptr<Job>& job, const QImage& image) {
    const auto it = m_running.constFind(job->key);
    if (it == m_running.constEnd() || it.value() != job)
        return; // no longer wanted, or wanted again by a newer job
    m_running.erase(it);
    if (image.isNull())
        return;
    m_cache.insert(job->key, image);
    Q_EMIT tileReady();
}

void PageRenderer::clear() {
    for (const auto& job : std::as_const(m_running))
        job->cancelled = true;
    m_running.clear();
    m_cache.clear();
    m_lists.clear();
}

void PageRenderer::waitForIdle() {
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace vek
