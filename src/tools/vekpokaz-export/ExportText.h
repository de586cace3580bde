#pragma once
// The text of a page metafile, taken from its EMR_EXTTEXTOUTW records and put in reading order:
// pieces whose lines overlap vertically form one line, read left to right; lines top to bottom.

#include <QString>

namespace vek {
class TMetafile;
}

namespace vek::exporter {

// One line of text per printed line, each ending in "\n". Records that are cut short or point
// outside themselves are skipped.
QString pageText(const TMetafile& page);

} // namespace vek::exporter
