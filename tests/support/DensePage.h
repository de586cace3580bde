#pragma once
// The dense page the benchmarks measure: 84 lines of about 120 Courier New characters in two
// fields each, with a rule every ten lines, as the composer draws a typical ledger printout.

#include "platform/GdiCanvas.h"

namespace vek::test {

// The page's Courier New font, 20 pixels high.
LogFont denseFont(int weight);

// Draws the page; clip is DT_NOCLIP or 0 (every field clipped to its box).
void drawDensePage(GdiCanvas& canvas, unsigned clip = DT_NOCLIP);

} // namespace vek::test
