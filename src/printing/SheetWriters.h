#pragma once
// Writing sheets to files: a PDF document of A4 sheets, or one PNG image per sheet. The print run
// writes its sheets to the printer through the same interface.

#include "SheetPlan.h"
#include "platform/Errors.h"

#include <QString>
#include <memory>

namespace vek {

// An output file that cannot be written.
class EOutputError : public Exception {
    using Exception::Exception;
};

// Puts sides on sheets. side() is called once per side, in order; finish() once at the end, or
// discard() instead when the work fails, so that nothing half-written stays behind.
class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    // number: the page number in the normal layout, the side's place in the output otherwise.
    virtual void side(int number, const SheetSide& side) = 0;
    virtual void finish() {}
    virtual void discard() {}
};

// The file of one page or sheet: "%d" in the pattern is replaced by the number, otherwise "-N"
// goes before the extension (pages.png -> pages-3.png).
QString pageFileName(const QString& pattern, int number);

// PDF at path: one A4 sheet per side (landscape in the two-up layouts), pages stretched into the
// margins, text kept as text. Written to a temporary file and renamed into place by finish().
std::unique_ptr<SheetWriter> makePdfSheets(const QString& path, const SheetFormat& format);
// PNG: one image of the sheet per side at dpi, named by pageFileName(pattern, number).
std::unique_ptr<SheetWriter> makePngSheets(const QString& pattern, const SheetFormat& format, int dpi);

} // namespace vek
