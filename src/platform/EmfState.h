#pragma once
// The records of an Enhanced Metafile that change the device context and its object table without
// drawing: mapping, world transform, SaveDC/RestoreDC, colours and modes, the current position,
// clipping, and the creation, selection and deletion of pens, brushes and fonts. The player, the
// display list and the page text all apply them through applyEmfStateRecord, onto the same model.

#include "DcModel.h"
#include "EmfWalk.h"

#include <variant>
#include <vector>

namespace vek {

// The colours a playback paints in place of the recorded ones. Monochrome: text and pens in ink,
// brushes and backgrounds in paper, bitmaps as they are.
struct EmfColourPolicy {
    bool monochrome = false;
    ColorRef ink = rgb(0, 0, 0);
    ColorRef paper = rgb(255, 255, 255);

    ColorRef ofText(ColorRef c) const { return monochrome ? ink : c; }
    ColorRef ofPen(ColorRef c) const { return monochrome ? ink : c; }
    ColorRef ofBrush(ColorRef c) const { return monochrome ? paper : c; }
    ColorRef ofBackground(ColorRef c) const { return monochrome ? paper : c; }
};

struct EmfPalette {};
using EmfObject = std::variant<std::monostate, DcPen, DcBrush, GdiFontPtr, EmfPalette>;

// The metafile's object table: what each handle holds.
class EmfObjectTable {
public:
    // The slot of a handle; with create, the table grows to hold it. Null for handle 0, for a
    // handle beyond the table's limit, and (without create) for one never made.
    EmfObject* slot(std::uint32_t index, bool create);
    const EmfObject* find(std::uint32_t index) const;

private:
    std::vector<EmfObject> m_objects;
};

enum class EmfStateResult {
    NotState, // the record draws (or is not one of these): the caller handles it
    Applied,  // the state changed as the record says
    Damaged,  // a state record too short or pointing at nothing: skipped
};

// Applies a state record to dc and objects, with the colours of the policy.
EmfStateResult applyEmfStateRecord(DcModel& dc, EmfObjectTable& objects, const EmfRecord& r,
                                   const EmfColourPolicy& colours);

// The brush a FILLRGN / FRAMERGN record names (a handle or a stock object); the selected brush
// when the handle holds none.
DcBrush emfRecordBrush(const DcModel& dc, const EmfObjectTable& objects, std::uint32_t handle);

// Reads an RGNDATA of size bytes at off into a path (logical or device units, as the record has
// them). False when it does not lie inside the record or is inconsistent.
bool readEmfRegion(const EmfRecord& r, std::int64_t off, std::int64_t size, QPainterPath& path);

} // namespace vek
