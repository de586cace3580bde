#pragma once
// The exporter's writers to standard output: the text of every page (platform/PageText: pieces in
// reading order, word gaps where the page shows them) and the trace of its records
// (platform/EmfTrace).

#include "ExportWriters.h"

#include <memory>

namespace vek::exporter {

// --text: the text of every page in reading order, one line per printed line, pages separated by
// form feeds.
std::unique_ptr<PageWriter> makeTextWriter();

// --trace: every record of every page, one line each, each page opening with "# page N".
std::unique_ptr<PageWriter> makeTraceWriter();

} // namespace vek::exporter
