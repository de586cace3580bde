#pragma once
// TPageFinder: finds a text in every page of a viewer, without regard to letter case and
// diacritics ("zolw" finds "żółw"), marks every place found on the sheets in view, and moves from
// one place to the next, bringing its page into view. Page texts come from a PageTextStore,
// extracted in the background once; places found on pages whose text arrives later are added as it
// arrives. GUI thread only.

#include "viewing/PageTextStore.h"

#include <QList>
#include <QObject>
#include <QRectF>

class QPainter;

namespace vek {

class TEmfViewer;

// Where needle occurs in haystack, both folded; places do not overlap. An empty needle is
// nowhere.
QList<int> findAll(QStringView haystack, QStringView needle);

// The marks of the text at [start, start + length): the boxes of its characters joined into one
// rectangle for each run on one line, page units.
QList<QRectF> matchRects(const PageText& text, int start, int length);

class TPageFinder : public QObject {
    Q_OBJECT
public:
    // The viewer must outlive the finder.
    explicit TPageFinder(TEmfViewer* viewer, QObject* parent = nullptr);

    // Takes in the viewer's page list after a change.
    void pagesChanged();
    // Searches for text in every page whose text is known, starts extracting the rest, and goes to
    // the first place at or after the page in view (as soon as it is known).
    void setText(const QString& text);
    QString text() const { return m_text; }

    // Places found so far; the 1-based number of the current one (0 for none).
    int count() const { return m_total; }
    int current() const;
    int currentPage() const { return m_page; }
    // Goes to the next or the previous place, round the end of the printout; false when there is
    // none.
    bool next();
    bool previous();

    // Marks are drawn while active (the find strip is open).
    bool active() const { return m_active; }
    void setActive(bool on);
    // Draws the marks of one page (for the viewer's OnPaintPage).
    void paintPage(QPainter& p, int page, const QRect& inner);

    PageTextStore& store() { return m_store; }
    // Whether every page's text is known.
    bool complete() const { return m_store.extractedCount() == m_store.pageCount(); }

Q_SIGNALS:
    // The count or the current place changed.
    void changed();

private:
    void pageExtracted(int page);
    void searchPage(int page);
    void goFirstFromStart();
    void select(int page, int index);
    void clearHits();

    TEmfViewer* m_viewer;
    PageTextStore m_store;
    QString m_text;
    QString m_needle;         // folded
    QList<QList<int>> m_hits; // per page: where the needle starts
    int m_total = 0;
    int m_page = -1; // the current place: page and index among its hits
    int m_index = -1;
    bool m_active = false;
    bool m_wantFirst = false; // go to the first place from m_startPage once it is known
    int m_startPage = 0;
};

} // namespace vek
