#pragma once
// A finished page: an immutable, shared object. The composer makes it once; the viewer, the print
// run and the exporter hold the same page without copying it, and it lives as long as anyone
// holds it. Everything a Page offers is safe to use from several threads at once.

#include "Metafile.h"

#include <QSize>
#include <memory>

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

private:
    const TMetafile m_metafile;
};

using PagePtr = std::shared_ptr<const Page>;

inline PagePtr makePage(TMetafile metafile) {
    return std::make_shared<const Page>(std::move(metafile));
}

} // namespace vek
