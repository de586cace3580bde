#pragma once
// A finished page: an immutable, shared object. The composer makes it once; the viewer, the print
// run and the exporter hold the same page without copying it, and it lives as long as anyone
// holds it. Everything a Page offers is safe to use from several threads at once.

#include "EmfDisplayList.h"
#include "Metafile.h"

#include <QSize>
#include <memory>
#include <mutex>

namespace vek {

class Page {
public:
    explicit Page(TMetafile metafile)
        : m_metafile(std::move(metafile)) {}
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // The page's Enhanced Metafile bytes, never changed after construction.
    const TMetafile& metafile() const { return m_metafile; }
    QSize size() const { return m_metafile.size(); }

    // The page's records with their device bounds, parsed on first use (once, whichever thread
    // asks first; the others wait for it).
    const EmfDisplayList& displayList() const;

private:
    const TMetafile m_metafile;
    mutable std::once_flag m_parsed;
    mutable std::unique_ptr<const EmfDisplayList> m_displayList;
};

using PagePtr = std::shared_ptr<const Page>;

inline PagePtr makePage(TMetafile metafile) {
    return std::make_shared<const Page>(std::move(metafile));
}

} // namespace vek
