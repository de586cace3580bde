#pragma once
// The text of a page (platform/PageText: pieces in reading order, word gaps where the page shows
// them), as the exporter prints it.

#include <QString>

namespace vek {
class TMetafile;
}

namespace vek::exporter {

// One line of text per printed line, each ending in "\n".
QString pageText(const TMetafile& page);

} // namespace vek::exporter
