#include "viewing/PageSearch.h"

#include "viewing/EmfViewer.h"

#include <QPainter>
#include <cmath>

namespace vek {

namespace {

const QColor kMark(255, 240, 0);    // every place found
const QColor kCurrent(255, 150, 0); // the current one
const QColor kCurrentFrame(200, 60, 0);

} // namespace

QList<int> findAll(QStringView haystack, QStringView needle) {
    QList<int> at;
    if (needle.isEmpty())
        return at;
    for (qsizetype i = haystack.indexOf(needle); i >= 0; i = haystack.indexOf(needle, i + needle.size()))
        at.append(int(i));
    return at;
}

QList<QRectF> matchRects(const PageText& text, int start, int length) {
    QList<QRectF> rects;
    const int end = std::min<int>(start + length, int(text.boxes.size()));
    for (int i = std::max(0, start); i < end; ++i) {
        const QRectF& box = text.boxes.at(i);
        if (box.isEmpty())
            continue;
        // Joined while on the same line: the same band, and not further left.
        if (!rects.isEmpty()) {
            QRectF& last = rects.last();
            const bool sameLine =
                std::abs(box.top() - last.top()) < 0.5 && std::abs(box.bottom() - last.bottom()) < 0.5;
            if (sameLine && box.left() >= last.left()) {
                last = last.united(box);
                continue;
            }
        }
        rects.append(box);
    }
    return rects;
}

TPageFinder::TPageFinder(TEmfViewer* viewer, QObject* parent)
    : QObject(parent)
    , m_viewer(viewer) {
    connect(&m_store, &PageTextStore::pageExtracted, this, &TPageFinder::pageExtracted);
    connect(&m_store, &PageTextStore::pageBoxesReady, m_viewer, qOverload<>(&QWidget::update));
    connect(&m_store, &PageTextStore::pagesReset, this, [this] {
        clearHits();
        Q_EMIT changed();
    });
    pagesChanged();
}

void TPageFinder::clearHits() {
    m_hits.clear();
    m_total = 0;
    m_page = -1;
    m_index = -1;
}

void TPageFinder::pagesChanged() {
    m_store.setPages(m_viewer->Pages());
    m_hits.resize(m_store.pageCount());
}

void TPageFinder::setText(const QString& text) {
    m_text = text;
    m_needle = foldForSearch(text);
    clearHits();
    m_hits.resize(m_store.pageCount());
    if (!m_needle.isEmpty()) {
        m_store.startExtraction();
        for (int page = 0; page < m_hits.size(); ++page)
            searchPage(page);
    }
    m_wantFirst = !m_needle.isEmpty();
    m_startPage = m_viewer->PageNr() - 1;
    goFirstFromStart();
    m_viewer->update();
    Q_EMIT changed();
}

void TPageFinder::searchPage(int page) {
    const QString* folded = m_store.folded(page);
    if (!folded || m_needle.isEmpty())
        return;
    m_total -= int(m_hits.at(page).size());
    m_hits[page] = findAll(*folded, m_needle);
    m_total += int(m_hits.at(page).size());
}

void TPageFinder::pageExtracted(int page) {
    if (page >= m_hits.size() || m_needle.isEmpty())
        return;
    searchPage(page);
    goFirstFromStart();
    if (!m_hits.at(page).isEmpty())
        m_viewer->update();
    Q_EMIT changed();
}

void TPageFinder::goFirstFromStart() {
    if (!m_wantFirst)
        return;
    // Known only when every page from the start to the place found has its text: an earlier place
    // may still come.
    const int n = int(m_hits.size());
    for (int k = 0; k < n; ++k) {
        const int page = (m_startPage + k) % n;
        if (!m_store.folded(page))
            return;
        if (!m_hits.at(page).isEmpty()) {
            m_wantFirst = false;
            select(page, 0);
            return;
        }
    }
    m_wantFirst = false; // nowhere
}

int TPageFinder::current() const {
    if (m_page < 0)
        return 0;
    int before = 0;
    for (int page = 0; page < m_page; ++page)
        before += int(m_hits.at(page).size());
    return before + m_index + 1;
}

bool TPageFinder::next() {
    const int n = int(m_hits.size());
    if (m_total == 0 || n == 0)
        return false;
    m_wantFirst = false;
    if (m_page >= 0 && m_index + 1 < m_hits.at(m_page).size()) {
        select(m_page, m_index + 1);
        return true;
    }
    const int from = m_page >= 0 ? m_page + 1 : m_viewer->PageNr() - 1;
    for (int k = 0; k < n; ++k) {
        const int page = (from + k) % n;
        if (!m_hits.at(page).isEmpty()) {
            select(page, 0);
            return true;
        }
    }
    return false;
}

bool TPageFinder::previous() {
    const int n = int(m_hits.size());
    if (m_total == 0 || n == 0)
        return false;
    m_wantFirst = false;
    if (m_page >= 0 && m_index > 0) {
        select(m_page, m_index - 1);
        return true;
    }
    const int from = m_page >= 0 ? m_page - 1 + n : m_viewer->PageNr() - 1 + n;
    for (int k = 0; k < n; ++k) {
        const int page = (from - k) % n;
        if (!m_hits.at(page).isEmpty()) {
            select(page, int(m_hits.at(page).size()) - 1);
            return true;
        }
    }
    return false;
}

void TPageFinder::select(int page, int index) {
    m_page = page;
    m_index = index;
    const QList<QRectF> rects =
        matchRects(m_store.boxesNow(page), m_hits.at(page).at(index), int(m_needle.size()));
    QRectF all;
    for (const QRectF& r : rects)
        all = all.united(r);
    if (!all.isEmpty())
        m_viewer->ShowPageRect(page, all);
    m_viewer->update();
    Q_EMIT changed();
}

void TPageFinder::setActive(bool on) {
    if (m_active == on)
        return;
    m_active = on;
    m_viewer->update();
}

void TPageFinder::paintPage(QPainter& p, int page, const QRect& inner) {
    if (!m_active || page >= m_hits.size() || m_hits.at(page).isEmpty())
        return;
    const PageText* text = m_store.boxes(page);
    if (!text)
        return; // drawn when the boxes arrive
    p.save();
    p.setClipRect(inner);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    const QList<int>& hits = m_hits.at(page);
    for (int i = 0; i < hits.size(); ++i) {
        const bool current = page == m_page && i == m_index;
        for (const QRectF& r : matchRects(*text, hits.at(i), int(m_needle.size()))) {
            const QRectF v = m_viewer->PageToView(page, r).adjusted(-1, 0, 1, 0);
            p.fillRect(v, current ? kCurrent : kMark);
            if (current) {
                p.setCompositionMode(QPainter::CompositionMode_SourceOver);
                p.setPen(QPen(kCurrentFrame, 0));
                p.drawRect(v);
                p.setCompositionMode(QPainter::CompositionMode_Multiply);
            }
        }
    }
    p.restore();
}

} // namespace vek
