#pragma once
// Writing composed pages: the order in which requested pages go out while the composition is still
// running, the names of per-page files, the place of a page on an A4 sheet, and one writer per
// output format. Writers receive each page once it is finished and keep nothing of it.

#include "document/PageList.h"
#include "platform/Errors.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
#include <utility>

namespace vek {
class TMetafile;
}

namespace vek::exporter {

// An output file that cannot be written.
class EOutputError : public Exception {
    using Exception::Exception;
};

// Margins on the sheet, whole millimetres from the paper edges.
struct SheetMargins {
    int top = 15;
    int left = 10;
    int right = 10;
    int bottom = 25;
};

// Sheet layouts as in printing: one page per A4 sheet, or two pages side by side on a landscape
// sheet (reduced), or folded into a booklet.
enum class SheetLayout { Normal, Reduced, Booklet };

// The rectangle a page fills on a 210 x 297 mm sheet of the given size in device pixels at dpi,
// measured from the paper edges as printing measures it.
QRect pageRectOnSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX, double dpiY);
// The two halves of a landscape sheet; each keeps both side margins.
std::pair<QRect, QRect> halvesOfSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX,
                                      double dpiY);

// The file of one page: "%d" in the pattern is replaced by the page number, otherwise "-N" goes
// before the extension (pages.png -> pages-3.png).
QString pageFileName(const QString& pattern, int pageNumber);

// Hands out requested pages in the order requested as soon as each exists, so that the first
// pages are written while later ones are still being composed. No ranges means every page.
class PageSchedule {
public:
    explicit PageSchedule(QList<PageRange> ranges = {});

    // Page `made` (1-based) has just been finished: emits every next requested page up to it.
    void pageMade(int made, const std::function<void(int)>& emit);
    // All requested pages went out.
    bool complete() const;

private:
    QList<PageRange> m_ranges;
    bool m_all;
    qsizetype m_range = 0;
    qint64 m_next = 0;
};

// One output format. write() is called once per requested page, in order; finish() once at the end.
class PageWriter {
public:
    virtual ~PageWriter() = default;
    virtual void write(int pageNumber, const TMetafile& page) = 0;
    virtual void finish() {}
    // Called instead of finish() when the export fails: nothing half-written stays behind.
    virtual void discard() {}
};

struct WriterOptions {
    QString path;
    SheetMargins margins;
    SheetLayout layout = SheetLayout::Normal;
    bool mono = false;
    int dpi = 150;
    // Longer side of a thumbnail in pixels.
    int thumbnail = 0;
};

// One side of a sheet: its page, or its left and right pages in the two-up layouts. Null slots
// stay empty.
struct SheetSide {
    const TMetafile* first = nullptr;
    const TMetafile* second = nullptr;
};

// Puts sides on sheets: PDF pages or PNG files, portrait A4 or landscape for two-up layouts.
class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    // number: the page number in the normal layout, the side's place in the output otherwise.
    virtual void side(int number, const SheetSide& side) = 0;
    virtual void finish() {}
    virtual void discard() {}
};

// Plays a side's pages into a sheet of the given size in device pixels (PDF, PNG and the printer):
// its page stretched into the margins, or its two pages into the halves of a landscape sheet.
void drawSide(QPainter& painter, const WriterOptions& options, const SheetSide& side, QSize sheet,
              double dpiX, double dpiY);
// Whether the options' layout puts two pages on a landscape sheet.
bool twoUp(const WriterOptions& options);

// PDF: one sheet per side, the pages stretched into the margins, text kept as text.
std::unique_ptr<SheetWriter> makePdfSheets(const WriterOptions& options);
// PNG: one image of the sheet per side at options.dpi.
std::unique_ptr<SheetWriter> makePngSheets(const WriterOptions& options);

// Pages onto sheets in the options' layout. pageAt gives any page already made (the two-up
// layouts place pages written earlier); a booklet is planned and written when all pages exist.
std::unique_ptr<PageWriter> makeSheetPageWriter(std::unique_ptr<SheetWriter> sheets, SheetLayout layout,
                                                std::function<const TMetafile&(int)> pageAt);
// EMF: the page metafile itself, one file per page.
std::unique_ptr<PageWriter> makeEmfWriter(const WriterOptions& options);
// PNG: the first page written only, as an image whose longer side is options.thumbnail pixels.
std::unique_ptr<PageWriter> makeThumbnailWriter(const WriterOptions& options);
// Text of every page in reading order to standard output, pages separated by form feeds.
std::unique_ptr<PageWriter> makeTextWriter();

} // namespace vek::exporter
