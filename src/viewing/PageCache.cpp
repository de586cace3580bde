#include "viewing/PageCache.h"

#include <QHashFunctions>
#include <algorithm>

namespace vek {

size_t qHash(const TileKey& key, size_t seed) noexcept {
    return qHashMulti(seed, key.page, key.pageSize.width(), key.pageSize.height(), key.tile.x(), key.tile.y(),
                      key.tile.width(), key.tile.height());
}

PageCache::PageCache(qint64 budgetBytes)
    : m_budget(budgetBytes) {}

QImage PageCache::find(const TileKey& key) {
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd())
        return {};
    m_lru.splice(m_lru.begin(), m_lru, it.value());
    return it.value()->image;
}

QImage PageCache::anyWholePage(const Page* page) const {
    for (const Entry& e : m_lru)
        if (e.key.page == page && e.key.tile == QRect(QPoint(0, 0), e.key.pageSize))
            return e.image;
    return {};
}

void PageCache::insert(const TileKey& key, const QImage& image) {
    if (const auto it = m_index.constFind(key); it != m_index.constEnd())
        erase(it.value());
    m_lru.push_front(Entry{key, image});
    m_index.insert(key, m_lru.begin());
    m_bytes += costOf(image);
    evict();
}

void PageCache::pin(QSet<TileKey> keys) {
    m_pinned = std::move(keys);
    evict();
}

bool PageCache::holdsPinned() const {
    return std::all_of(m_pinned.cbegin(), m_pinned.cend(), [this](const TileKey& k) { return contains(k); });
}

void PageCache::removePage(const Page* page) {
    for (auto it = m_lru.begin(); it != m_lru.end();) {
        const auto next = std::next(it);
        if (it->key.page == page)
            erase(it);
        it = next;
    }
}

void PageCache::clear() {
    m_lru.clear();
    m_index.clear();
    m_pinned.clear();
    m_bytes = 0;
}

void PageCache::setBudget(qint64 bytes) {
    m_budget = bytes;
    evict();
}

void PageCache::setViewBytes(qint64 bytes) {
    if (bytes == m_viewBytes)
        return;
    m_viewBytes = bytes;
    evict();
}

void PageCache::erase(List::iterator it) {
    m_bytes -= costOf(it->image);
    m_index.remove(it->key);
    m_lru.erase(it);
}

void PageCache::evict() {
    // From the least recently used end, skipping what is on screen.
    auto it = m_lru.end();
    const qint64 limit = budget();
    while (m_bytes > limit && it != m_lru.begin()) {
        --it;
        if (m_pinned.contains(it->key))
            continue;
        const auto victim = it;
        it = std::next(it); // stays valid: only the victim is erased
        erase(victim);
    }
}

} // namespace vek
