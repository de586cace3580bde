#include "viewing/PageRenderer.h"

#include "platform/EmfPlayer.h"

#include <QCoreApplication>
#include <QPainter>
#include <QSet>
#include <algorithm>
#include <sys/mman.h>
#include <utility>

namespace vek {

namespace {

// A tile's pixels in memory mapped for it alone, returned to the system as soon as the tile goes.
// From the allocator, tiles of megabytes made on workers and freed on the GUI thread stay in its
// arenas long after the cache let them go.
QImage mappedImage(QSize size) {
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(size.height());
    void* data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        return QImage(size, QImage::Format_RGB32);
    return QImage(
        static_cast<uchar*>(data), size.width(), size.height(), bytesPerLine, QImage::Format_RGB32,
        [](void* info) {
            const auto* mapped = static_cast<std::pair<void*, std::size_t>*>(info);
            munmap(mapped->first, mapped->second);
            delete mapped;
        },
        new std::pair<void*, std::size_t>(data, bytes));
}

} // namespace

QImage renderPageTile(const Page& page, QSize pageSize, const QRect& tile,
                      const std::atomic_bool& cancelled) {
    if (tile.isEmpty())
        return {};
    QImage image = mappedImage(tile.size());
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.translate(-tile.topLeft());
        EmfPlayOptions options;
        // Answering false skips every record that is left: the walk ends quickly.
        options.onRecord = [&cancelled](const EmfRecord&) {
            return !cancelled.load(std::memory_order_relaxed);
        };
        playEmf(p, QRectF(QPointF(0, 0), QSizeF(pageSize)), page.metafile(), options);
    }
    if (cancelled.load())
        return {};
    return image;
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

struct PageRenderer::Job {
    PagePtr page; // keeps the page alive while it is drawn, whatever happens to the viewer
    TileKey key;
    std::atomic_bool cancelled{false};
};

PageRenderer::PageRenderer(QObject* parent)
    : QObject(parent)
    , m_mailbox(std::make_shared<WorkerMailbox>(this)) {
    // One drawing thread: the font engines behind the pages' fonts are shared by every thread
    // that uses them and are not safe to draw with from two threads at once. It also leaves the
    // other cores to the GUI thread, which paints and composes.
    m_pool.setMaxThreadCount(1);
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

void PageRenderer::start(const TileRequest& r) {
    auto job = std::make_shared<Job>();
    job->page = r.page;
    job->key = r.key();
    m_running.insert(job->key, job);
    ++m_started;
    m_pool.start(
        // r is never touched on the worker: it only travels back through the mailbox.
        [r = this, job, mailbox = m_mailbox] {
            if (job->cancelled)
                return;
            QImage image = renderPageTile(*job->page, job->key.pageSize, job->key.tile, job->cancelled);
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
}

void PageRenderer::waitForIdle() {
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace vek
