#include "Page.h"

namespace vek {

const EmfDisplayList& Page::displayList() const {
    std::call_once(m_parsed,
                   [this] { m_displayList = std::make_unique<const EmfDisplayList>(m_metafile.bytes()); });
    return *m_displayList;
}

} // namespace vek
