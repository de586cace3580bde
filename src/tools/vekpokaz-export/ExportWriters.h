#pragma once
// Writing composed pages: one writer per output format. Writers receive each requested page once
// it is finished and keep nothing of it. The sheets themselves (PDF, PNG, the printer) are the
// printing layer's; here pages are put on them in the chosen layout.

#include "printing/PageList.h"
#include "printing/SheetWriters.h"

#include <QString>
#include <functional>
#include <memory>

namespace vek {
class TMetafile;
}

namespace vek::exporter {

// One output format. write() is called once per requested page, in order; finish() once at the end.
class PageWriter {
public:
    virtual ~PageWriter() = default;
    virtual void write(int pageNumber, const TMetafile& page) = 0;
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

// Pages onto sheets in the options' layout, planned as printing plans them. pageAt gives any page
// already made (the two-up layouts place pages written earlier); reduced sheets are written as
// each pair is complete, a booklet when all pages exist.
std::unique_ptr<PageWriter> makeSheetPageWriter(std::unique_ptr<SheetWriter> sheets, SheetLayout layout,
                                                std::function<const TMetafile&(int)> pageAt);
// EMF: the page metafile itself, one file per page.
std::unique_ptr<PageWriter> makeEmfWriter(const WriterOptions& options);
// PNG: the first page written only, as an image whose longer side is options.thumbnail pixels.
std::unique_ptr<PageWriter> makeThumbnailWriter(const WriterOptions& options);
// Text of every page in reading order to standard output, pages separated by form feeds.
std::unique_ptr<PageWriter> makeTextWriter();

} // namespace vek::exporter
