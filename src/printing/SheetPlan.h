#pragma once
// Sheets: which pages go on which side of which sheet, and where a page lands on a sheet. The
// print run and the exporter place pages with these same plans and rectangles.
//
// A sheet record has four slots (front first, front second, back first, back second), each a
// page number or 0 for an empty slot. In the normal layout only the first slot of a side is used;
// in the reduced and booklet layouts the first slot of a side is its left half, the second its
// right half.

#include <QList>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <utility>

class QImage;
class QPainter;

namespace vek {

class TMetafile;

// Sheet layouts: one page per A4 sheet, two pages side by side on a landscape sheet (reduced), or
// two pages a side folded into a booklet.
enum class SheetLayout { Normal = 1, Reduced = 2, Booklet = 3 };

// Margins on the sheet, whole millimetres from the paper edges.
struct SheetMargins {
    int top = 15;
    int left = 10;
    int right = 10;
    int bottom = 25;
};

struct SheetRecord {
    int frontFirst = 0;
    int frontSecond = 0;
    int backFirst = 0;
    int backSecond = 0;
    bool operator==(const SheetRecord&) const = default;
};

// Plans the sheets for the page numbers in the order given. With s pages per sheet (normal 1, or 2
// two-sided; reduced 2, or 4 two-sided; booklet 4) the list is padded with empty slots to a
// multiple of s, and record k (1-based) holds the slots
//   normal one-sided (k, 0, 0, 0)            normal two-sided (2k-1, 0, 2k, 0)
//   reduced one-sided (2k-1, 2k, 0, 0)       reduced two-sided (4k-3, 4k-2, 4k-1, 4k)
//   booklet (P-2k+2, 2k-1, 2k, P-2k+1)
// where slot j holds the j-th page number given, or 0 past the end. A booklet of 8 pages gives
// (8, 1, 2, 7) and (6, 3, 4, 5).
QList<SheetRecord> PlanSheets(const QList<int>& pages, SheetLayout layout, bool twoSided);

// Whether the layout puts two pages on a landscape sheet.
inline bool twoUp(SheetLayout layout) {
    return layout != SheetLayout::Normal;
}
// The A4 sheet in millimetres: portrait, or landscape for the two-up layouts.
QSizeF sheetSizeMm(SheetLayout layout);

// The rectangle a page fills on a sheet of the given size in device pixels at dpi, measured from
// the paper edges as printing measures it (dots per millimetre in single precision, margins
// rounded half to even). Held in QRect corners: right and bottom are the last pixels inside.
QRect pageRectOnSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX, double dpiY);
// The two halves of a landscape sheet; each keeps both side margins.
std::pair<QRect, QRect> halvesOfSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX,
                                      double dpiY);

// How pages are put on sheets.
struct SheetFormat {
    SheetMargins margins;
    SheetLayout layout = SheetLayout::Normal;
    bool mono = false;
};

// One side of a sheet: its page, or its left and right pages in the two-up layouts. Null slots
// stay empty.
struct SheetSide {
    const TMetafile* first = nullptr;
    const TMetafile* second = nullptr;
};

// Plays a side's pages into a sheet of the given size in device pixels (PDF, PNG, the printer):
// its page stretched into the margins, or its two pages into the halves of a landscape sheet.
void drawSide(QPainter& painter, const SheetFormat& format, const SheetSide& side, QSize sheet, double dpiX,
              double dpiY);
// The sheet as a white image of the given size with the side's pages played in.
QImage renderSheet(const SheetFormat& format, const SheetSide& side, QSize size, double dpiX, double dpiY);

} // namespace vek
