#pragma once
// Writing composed pages: one writer per output format. Writers receive each requested page once
// it is finished; a writer that needs a page later (the two-up layouts) holds its PagePtr. The
// sheets themselves (PDF, PNG, the printer) are the printing layer's; here pages are put on them in
// the chosen layout.

#include "platform/Page.h"
#include "printing/PageList.h"
#include "printing/SheetWriters.h"

#include <QString>
#include <memory>

namespace vek::exporter {

// One output format. write() is called once per requested page, in order; finish() once at the end.
class PageWriter {
public:
    virtual ~PageWriter() = default;
    virtual void write(int pageNumber, const PagePtr& page) = 0;
    virtual void finish() {}
    // Called instead of finish() when the export fails: nothing half-written stays behind.
    virtual void discard() {}
};

struct WriterOptions : SheetFormat {
    QString path;
    int dpi = 150;
    // Longer side of a thumbnail in pixels.
    int thumbnail = 0;
};

// Pages onto sheets in the options' layout, planned as printing plans them: reduced sheets are
// written as each pair is complete, a booklet when all pages exist.
std::unique_ptr<PageWriter> makeSheetPageWriter(std::unique_ptr<SheetWriter> sheets, SheetLayout layout);
// EMF: the page metafile itself, one file per page.
std::unique_ptr<PageWriter> makeEmfWriter(const WriterOptions& options);
// PNG: the first page written only, as an image whose longer side is options.thumbnail pixels.
std::unique_ptr<PageWriter> makeThumbnailWriter(const WriterOptions& options);

} // namespace vek::exporter
