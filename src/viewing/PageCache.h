#pragma once
// PageCache: the drawn pieces of pages (tiles), kept by page, drawn size and place, within a budget
// in bytes. The budget is a fixed amount or four views' worth of tiles, whichever is more, so that
// the pages on screen and their neighbours fit at any window size and screen scale. The least
// recently used tile goes first; the tiles on screen (pinned) never go, so the cache may stay over
// its budget while the screen itself needs more. GUI thread only.

#include <QHash>
#include <QImage>
#include <QRect>
#include <QSet>
#include <QSize>
#include <algorithm>
#include <list>

namespace vek {

class Page;

// One tile: a rectangle (device pixels) of a page drawn at a given size (device pixels).
struct TileKey {
    const Page* page = nullptr;
    QSize pageSize;
    QRect tile;
    bool operator==(const TileKey&) const = default;
};
size_t qHash(const TileKey& key, size_t seed = 0) noexcept;

class PageCache {
public:
    explicit PageCache(qint64 budgetBytes = 32ll << 20);

    // The tile's image, or a null image; a hit becomes the most recently used.
    QImage find(const TileKey& key);
    bool contains(const TileKey& key) const { return m_index.contains(key); }
    // The most recently used image of the page drawn whole at any size, or a null image: shown
    // stretched while the page is drawn at a new size.
    QImage anyWholePage(const Page* page) const;

    void insert(const TileKey& key, const QImage& image);
    // The tiles on screen; they are never evicted. Evicts what the new set frees, if over budget.
    void pin(QSet<TileKey> keys);
    // Whether every pinned tile is in the cache.
    bool holdsPinned() const;
    void removePage(const Page* page);
    void clear();

    qint64 budget() const { return std::max(m_budget, 4 * m_viewBytes); }
    void setBudget(qint64 bytes);
    // The bytes of one view's tiles at the current window size and screen scale.
    void setViewBytes(qint64 bytes);
    qint64 bytes() const { return m_bytes; }
    int count() const { return int(m_index.size()); }

private:
    struct Entry {
        TileKey key;
        QImage image;
    };
    using List = std::list<Entry>;
    static qint64 costOf(const QImage& image) { return image.sizeInBytes(); }
    void erase(List::iterator it);
    void evict();

    qint64 m_budget;
    qint64 m_viewBytes = 0;
    qint64 m_bytes = 0;
    List m_lru; // most recently used first
    QHash<TileKey, List::iterator> m_index;
    QSet<TileKey> m_pinned;
};

} // namespace vek
