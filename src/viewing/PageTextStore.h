#pragma once
// PageTextStore: the text of every page of the viewer, for searching. Each page's text is
// extracted once, on a worker thread, folded for searching (see foldForSearch) and kept. The places
// of the characters (boxes) are bulky, about thirty times the text: they are kept only for the
// few pages whose marks are being drawn, and extracted again when such a page comes back.
//
// Threads: the store lives on the GUI thread; extraction runs on its own pool of one thread and
// results come back through a mailbox (see WorkerMailbox). The destructor cancels and waits.

#include "platform/Page.h"
#include "platform/PageText.h"
#include "viewing/WorkerMailbox.h"

#include <QList>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <list>
#include <memory>
#include <optional>

namespace vek {

// Text folded for searching: lower case, without diacritics ("Żółw" becomes "zolw"), blanks and
// line breaks as plain spaces. One UTF-16 unit for one unit, so a position in the folded text is
// the same position in the page text and its boxes.
QString foldForSearch(QStringView text);

class PageTextStore : public QObject {
    Q_OBJECT
public:
    explicit PageTextStore(QObject* parent = nullptr);
    ~PageTextStore() override;

    // Follows the page list: new pages at the end are taken in (and extracted when extraction has
    // started); a list that no longer begins with the known pages starts the store afresh.
    void setPages(const QList<PagePtr>& pages);
    // Starts extracting every page, in order, once.
    void startExtraction();
    bool extractionStarted() const { return m_started; }

    int pageCount() const { return int(m_pages.size()); }
    // The folded text of a page, or nullptr while it is not extracted yet.
    const QString* folded(int page) const;
    int extractedCount() const { return m_extracted; }

    // The page's text with its boxes, or nullptr; when missing it is extracted in the background
    // and pageBoxesReady follows. Valid until the next call that asks for boxes.
    const PageText* boxes(int page);
    // The same, extracted at once on this thread when missing (about a millisecond a page).
    const PageText& boxesNow(int page);

    // Waits for all extraction work and takes the results in (tests, benchmarks).
    void waitForIdle();

Q_SIGNALS:
    void pageExtracted(int page);
    void pageBoxesReady(int page);
    // The page list was replaced: every text is forgotten.
    void pagesReset();

private:
    void extract(int page);
    void requestBoxes(int page);
    void keepBoxes(int page, PageText text);
    void reset();

    QList<PagePtr> m_pages;
    QList<std::optional<QString>> m_folded;
    int m_extracted = 0;
    bool m_started = false;
    // Pages whose boxes are kept, most recently used first, and those being extracted.
    std::list<std::pair<int, PageText>> m_boxes;
    QList<int> m_boxesPending;
    static constexpr int kBoxesKept = 12;

    QThreadPool m_pool;
    std::shared_ptr<WorkerMailbox> m_mailbox;
    std::shared_ptr<std::atomic_bool> m_cancelled; // of the current generation of work
};

} // namespace vek
