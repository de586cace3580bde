#pragma once
// The dense page the benchmarks measure: 84 lines of about 120 Courier New characters in two
// fields each, with a rule every ten lines, as the composer draws a typical ledger printout.

#include "WydWriter.h"
#include "platform/GdiCanvas.h"

namespace vek::test {

// The page's Courier New font, 20 pixels high.
LogFont denseFont(int weight);

// Draws the page; clip is DT_NOCLIP or 0 (every field clipped to its box).
void drawDensePage(GdiCanvas& canvas, unsigned clip = DT_NOCLIP);

// A dense printout of about the given number of pages (a little fewer): a table of 80 lines a
// page, six fields each, under a repeated column header with the page number; about 80 KB of EMF
// a page.
WPrintout densePrintout(int pages);

// The file of densePrintout(pages), written once per size into a temporary folder that lasts as
// long as the program.
const QString& densePrintoutFile(int pages);

} // namespace vek::test
