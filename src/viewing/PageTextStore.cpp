#include "viewing/PageTextStore.h"

#include <QCoreApplication>
#include <array>

namespace vek {

namespace {

// Letters that carry their mark in their own shape and so have no decomposition.
char16_t plainLetter(char16_t c) {
    switch (c) {
    case u'ł':
    case u'Ł':
        return u'l';
    case u'đ':
    case u'Đ':
        return u'd';
    case u'ø':
    case u'Ø':
        return u'o';
    case u'ß':
        return u's';
    case u'ı':
        return u'i';
    case u'ħ':
    case u'Ħ':
        return u'h';
    default:
        return 0;
    }
}

char16_t foldOne(char16_t c) {
    if (QChar::isSurrogate(c))
        return c;
    if (QChar::isSpace(c))
        return u' ';
    if (const char16_t plain = plainLetter(c))
        return plain;
    char32_t base = c;
    // The first character of the canonical decomposition, down to the letter without its marks.
    for (int depth = 0; depth < 4 && QChar::decompositionTag(base) == QChar::Canonical; ++depth) {
        const QString d = QChar::decomposition(base);
        if (d.isEmpty())
            break;
        base = d.at(0).unicode();
    }
    base = QChar::toCaseFolded(base);
    if (const char16_t plain = plainLetter(char16_t(base)))
        return plain;
    return base > 0xFFFF ? c : char16_t(base);
}

const std::array<char16_t, 0x10000>& foldTable() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<char16_t, 0x10000>>();
        for (std::size_t c = 0; c < t->size(); ++c)
            (*t)[c] = foldOne(char16_t(c));
        return t;
    }();
    return *table;
}

} // namespace

QString foldForSearch(QStringView text) {
    const auto& table = foldTable();
    QString out(text.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = table[text[i].unicode()];
    return out;
}

PageTextStore::PageTextStore(QObject* parent)
    : QObject(parent)
    , m_mailbox(std::make_shared<WorkerMailbox>(this))
    , m_cancelled(std::make_shared<std::atomic_bool>(false)) {
    m_pool.setMaxThreadCount(1); // text is wanted later than pictures: one worker is enough
}

PageTextStore::~PageTextStore() {
    m_mailbox->close();
    *m_cancelled = true;
    m_pool.clear();
    m_pool.waitForDone();
}

void PageTextStore::reset() {
    const bool had = !m_pages.isEmpty();
    *m_cancelled = true;
    m_cancelled = std::make_shared<std::atomic_bool>(false);
    m_pool.clear();
    m_pages.clear();
    m_folded.clear();
    m_extracted = 0;
    m_boxes.clear();
    m_boxesPending.clear();
    if (had)
        Q_EMIT pagesReset();
}

void PageTextStore::setPages(const QList<PagePtr>& pages) {
    bool continues = pages.size() >= m_pages.size();
    for (qsizetype i = 0; continues && i < m_pages.size(); ++i)
        continues = pages.at(i) == m_pages.at(i);
    if (!continues)
        reset();
    for (qsizetype i = m_pages.size(); i < pages.size(); ++i) {
        m_pages.append(pages.at(i));
        m_folded.append(std::nullopt);
        if (m_started)
            extract(int(i));
    }
}

void PageTextStore::startExtraction() {
    if (m_started)
        return;
    m_started = true;
    for (int i = 0; i < m_pages.size(); ++i)
        if (!m_folded.at(i))
            extract(i);
}

void PageTextStore::extract(int page) {
    // r is never touched on the worker: it only travels back through the mailbox.
    m_pool.start([r = this, page, pagePtr = m_pages.at(page), cancelled = m_cancelled, mailbox = m_mailbox] {
        if (*cancelled)
            return;
        QString folded = foldForSearch(extractPageText(*pagePtr).text);
        mailbox->post([r, page, cancelled, folded = std::move(folded)]() mutable {
            if (*cancelled || page >= r->m_folded.size() || r->m_folded.at(page))
                return;
            r->m_folded[page] = std::move(folded);
            ++r->m_extracted;
            Q_EMIT r->pageExtracted(page);
        });
    });
}

const QString* PageTextStore::folded(int page) const {
    if (page < 0 || page >= m_folded.size() || !m_folded.at(page))
        return nullptr;
    return &*m_folded.at(page);
}

const PageText* PageTextStore::boxes(int page) {
    for (auto it = m_boxes.begin(); it != m_boxes.end(); ++it) {
        if (it->first == page) {
            m_boxes.splice(m_boxes.begin(), m_boxes, it);
            return &m_boxes.front().second;
        }
    }
    requestBoxes(page);
    return nullptr;
}

const PageText& PageTextStore::boxesNow(int page) {
    if (const PageText* known = boxes(page))
        return *known;
    keepBoxes(page, extractPageText(*m_pages.at(page)));
    return m_boxes.front().second;
}

void PageTextStore::requestBoxes(int page) {
    if (page < 0 || page >= m_pages.size() || m_boxesPending.contains(page))
        return;
    m_boxesPending.append(page);
    m_pool.start(
        [r = this, page, pagePtr = m_pages.at(page), cancelled = m_cancelled, mailbox = m_mailbox] {
            if (*cancelled)
                return;
            PageText text = extractPageText(*pagePtr);
            mailbox->post([r, page, cancelled, text = std::move(text)]() mutable {
                if (*cancelled)
                    return;
                r->m_boxesPending.removeOne(page);
                r->keepBoxes(page, std::move(text));
                Q_EMIT r->pageBoxesReady(page);
            });
        },
        1); // before the pages still waiting for their text
}

void PageTextStore::keepBoxes(int page, PageText text) {
    std::erase_if(m_boxes, [page](const auto& e) { return e.first == page; });
    m_boxes.emplace_front(page, std::move(text));
    while (int(m_boxes.size()) > kBoxesKept)
        m_boxes.pop_back();
}

void PageTextStore::waitForIdle() {
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

} // namespace vek
