#pragma once
// Page lists as the print dialog takes them: "5-10, 12, 15". Items are separated by commas; an item
// is one page number or a range "a-b" (an open range "7-" is the single page 7). Characters other
// than digits, "-" and "," are skipped, so "1 2" reads as 12. Pages are 1-based, kept in the order
// typed, repeats allowed.

#include "platform/Errors.h"

#include <QList>
#include <QString>
#include <functional>

namespace vek {

// A page list that cannot be printed: the message is shown to the user as it stands.
class EPrintDlgError : public Exception {
    using Exception::Exception;
};

// A number that is no integer (an empty item, a number too large for an integer).
class EConvertError : public Exception {
    using Exception::Exception;
};

// Parses text for a document of pageCount pages. Throws EPrintDlgError for an empty text, a range
// whose end lies below its start, a page outside 1..pageCount and a text without any page number;
// EConvertError for an item without a number (",5" or "1,,2") or with a number out of range.
QList<int> ParsePageList(const QString& text, int pageCount);

// The same text as ranges, before the number of pages is known (a single page is the range
// [n, n]). Throws what ParsePageList throws except for pages past the end, which only the full
// parse can tell; a page below 1 is refused here already.
struct PageRange {
    int first = 0;
    int last = 0;
    bool operator==(const PageRange&) const = default;
};
QList<PageRange> ParsePageRanges(const QString& text);

// Hands out requested pages in the order requested as soon as each exists, so that the first
// pages are written or printed while later ones are still being composed. No ranges means every
// page.
class PageSchedule {
public:
    explicit PageSchedule(QList<PageRange> ranges = {});

    // Page `made` (1-based) has just been finished: emits every next requested page up to it.
    void pageMade(int made, const std::function<void(int)>& emit);
    // All requested pages went out.
    bool complete() const;

private:
    QList<PageRange> m_ranges;
    bool m_all;
    qsizetype m_range = 0;
    qint64 m_next = 0;
};

} // namespace vek
