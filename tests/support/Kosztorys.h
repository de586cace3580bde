#pragma once
// A realistic sample printout: a priced bill of quantities ("Kosztorys ofertowy") with a title
// header, a repeated table header with page numbers, sections of items, section sums and totals.
// Its size is set by the number of sections and items per section (about 20 items per page).

#include "WydWriter.h"

namespace vek::test {

WPrintout kosztorys(int sections = 8, int itemsPerSection = 12, quint8 version = 7);

// Rich text (RTF) with Polish letters escaped in Windows-1250.
QByteArray rtfParagraphs(const QStringList& paragraphs);

} // namespace vek::test
