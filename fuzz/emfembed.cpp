// Fuzzes copying a metafile into a page: the picture's records are walked, their handles
// renumbered and their mapping and clipping records rewritten. The page that comes out must be a
// well-formed metafile again.
#include "platform/EmfWalk.h"
#include "platform/Errors.h"
#include "platform/MetafileCanvas.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vek::TMetafile picture;
    try {
        picture = vek::TMetafile::fromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const vek::Exception&) {
        return 0;
    }
    vek::TMetafile page;
    page.setPageSize();
    {
        vek::MetafileCanvas canvas(page);
        canvas.setMapMode(vek::MM_ANISOTROPIC);
        canvas.setWindowExt(QSize(100, 100));
        canvas.setViewportExt(QSize(180, 180));
        canvas.intersectClipRect(QRect(0, 0, 700, 900));
        canvas.stretchDraw(QRect(10, 20, 600, 800), picture);
        canvas.stretchDraw(QRect(10, 20, 1, 1), picture);
    }
    vek::EmfWalker walker(page.bytes());
    vek::EmfRecord rec;
    while (walker.next(rec)) {
        if (rec.size() % 4 != 0)
            std::abort();
    }
    if (walker.damaged())
        std::abort();
    return 0;
}
