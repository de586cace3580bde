#pragma once
// Sample printouts beyond the bill of quantities: an invoice under a letterhead picture drawn with
// our own metafile canvas, and a technical description whose rich text runs over several pages.

#include "WydWriter.h"

namespace vek::test {

// A letterhead (EMF, 210 x 30 mm): a badge with the firm's initials and a rule along the bottom.
QByteArray letterheadEmf();

// "Faktura VAT" with a letterhead picture and the firm's name centred on it, a table of items
// over two pages under a repeated header, totals with dotted leaders and the amount in words.
WPrintout faktura(int items = 70);

// "Opis techniczny": chapters of rich text (headings, bold, colour, justified paragraphs), the
// longest of them running over several pages under the repeated header.
WPrintout opisTechniczny();

} // namespace vek::test
