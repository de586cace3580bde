#pragma once
// The text of a page (platform/PageText: pieces in reading order, word gaps where the page shows
// them) and the trace of its records (platform/EmfTrace), as the exporter prints them.

#include "ExportWriters.h"

#include <QString>

namespace vek {
class Page;
}

namespace vek::exporter {

// One line of text per printed line, each ending in "\n".
QString pageText(const Page& page);

// --trace: every record of every page, one line each, each page opening with "# page N".
std::unique_ptr<PageWriter> makeTraceWriter();

} // namespace vek::exporter
