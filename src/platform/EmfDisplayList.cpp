#include "EmfDisplayList.h"

#include "EmfPlayback.h"

namespace vek {

EmfDisplayList::EmfDisplayList(QByteArray bytes)
    : m_bytes(std::move(bytes)) {
    m_valid = readEmfHeader(m_bytes, m_header);
    if (!m_valid)
        return;
    EmfScanner scanner(m_header.pixelsPerMm());
    EmfWalker walker(m_bytes);
    EmfRecord r;
    while (true) {
        const qsizetype offset = walker.offset();
        if (!walker.next(r))
            break;
        const EmfExtent extent = scanner.scan(r);
        m_items.push_back(
            EmfDisplayItem{offset, std::uint32_t(r.size()), r.type(), extent.kind, extent.bounds});
    }
    m_truncated = walker.damaged();
}

EmfPlayResult EmfDisplayList::play(QPainter& painter, const QRectF& target,
                                   const EmfPlayOptions& options) const {
    if (!m_valid)
        return {};
    EmfPlayRun run(painter, target, m_header, options);
    if (!run.ready())
        return run.result();
    const QRectF visible = run.visibleDeviceRect();
    bool stopped = false;
    for (const EmfDisplayItem& item : m_items) {
        if (!run.step(record(item), shows(item, visible))) {
            stopped = true;
            break;
        }
    }
    run.result().truncated = m_truncated && !stopped;
    return run.result();
}

} // namespace vek
