#pragma once
// The records of a metafile as text, one line per record: its type name, its parameters decoded
// and compact, and the device rectangle it draws into. What the exporter's --trace prints and the
// golden traces of our pages hold:
//
//   EXTTEXTOUTW ref=40,60 opts=0 "Razem" dx=[12 12 12 12 12] @ 39,55 87x38
//   SELECTOBJECT #3
//   LINETO 1389,81 @ 38,79 1353x4
//
// "@ x,y wxh" is the bounds the display list culls by (device units, rounded outwards), "@ *" an
// unbounded drawing record, "@ -" one that can never show; state records have none. Numbers are
// printed in a fixed form (no locale, no hash seeds), so a trace is the same on every machine that
// composes the same page.

#include "EmfDisplayList.h"

#include <QString>

namespace vek {

// "EXTTEXTOUTW", or "EMR_<number>" for a type EMF does not name.
QString emfRecordName(std::uint32_t type);
// One record as a line, without the line break.
QString emfTraceLine(const EmfRecord& r, const EmfExtent& extent);
// Every record of the list, one line each, each ending in a line break.
QString emfTrace(const EmfDisplayList& list);

} // namespace vek
