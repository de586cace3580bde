#pragma once
// A metafile parsed once into its records with the device rectangle each one draws into, to be
// played many times: bands of a printed page, tiles of a zoomed page, repaints of a part of it.
//
// Playing a display list gives the pixels playEmf gives, with three differences in cost only: a
// drawing record whose bounds lie outside what is drawn (the device, the painter's clip, the clip
// of the options) is left out, state records always play; the cancel token is checked between
// records; monochrome is a way of playing, not a rewritten copy. Bounds come from EmfScanner and
// are conservative (see there).
//
// A display list is immutable once built and may be played from several threads at once (each
// with its own painter).

#include "EmfPlayer.h"
#include "EmfScanner.h"

#include <QByteArray>
#include <vector>

namespace vek {

struct EmfDisplayItem {
    qsizetype offset = 0;   // of the record in the bytes
    std::uint32_t size = 0; // of the record, in bytes
    std::uint32_t type = 0; // EMR_ type
    EmfExtent::Kind kind = EmfExtent::State;
    QRectF bounds; // device units, for Bounded items
};

class EmfDisplayList {
public:
    // An empty list: not valid, plays nothing.
    EmfDisplayList() = default;
    // Parses the bytes (shared, not copied). Damaged input gives what precedes the damage.
    explicit EmfDisplayList(QByteArray bytes);

    // The bytes begin with an EMF header.
    bool isValid() const { return m_valid; }
    const EmfHeader& header() const { return m_header; }
    const QByteArray& bytes() const { return m_bytes; }
    // The record chain broke off before EMR_EOF.
    bool truncated() const { return m_truncated; }

    const std::vector<EmfDisplayItem>& items() const { return m_items; }
    EmfRecord record(const EmfDisplayItem& item) const {
        return EmfRecord(item.type, QByteArrayView(m_bytes).sliced(item.offset, item.size));
    }
    // Whether the item has to be played when only `visible` (device units) shows.
    static bool shows(const EmfDisplayItem& item, const QRectF& visible) {
        return item.kind != EmfExtent::Bounded || item.bounds.intersects(visible);
    }

    // Plays the list with the frame mapped onto target, as playEmf does.
    EmfPlayResult play(QPainter& painter, const QRectF& target, const EmfPlayOptions& options = {}) const;

private:
    QByteArray m_bytes;
    EmfHeader m_header;
    std::vector<EmfDisplayItem> m_items;
    bool m_valid = false;
    bool m_truncated = false;
};

} // namespace vek
