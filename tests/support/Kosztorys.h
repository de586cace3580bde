#pragma once
// A realistic sample printout: a priced bill of quantities ("Kosztorys ofertowy") with a title
// header, a repeated table header with page numbers, sections of items, section sums and totals.
// Its size is set by the number of sections and items per section (about 20 items per page).

#include "WydWriter.h"

namespace vek::test {

WPrintout kosztorys(int sections = 8, int itemsPerSection = 15, quint8 version = 7);

// A bill of quantities that composes to about the given number of pages (one section of 47 items
// fills about one page), for benchmarks of 10, 100 and 1000 pages.
inline WPrintout kosztorysOfPages(int pages) {
    return kosztorys(pages, 47);
}

// Rich text (RTF) with Polish letters escaped in Windows-1250.
QByteArray rtfParagraphs(const QStringList& paragraphs);

} // namespace vek::test
