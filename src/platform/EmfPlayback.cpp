// EmfPlayback: record dispatch. State records go to the shared model (EmfState.h), drawing
// records to the handlers of EmfPlaybackDraw.cpp and EmfPlaybackBitmap.cpp.
#include "EmfPlayback.h"

namespace vek {

EmfPlayback::EmfPlayback(QPainter& painter, const QTransform& deviceToPainter, QSizeF pixelsPerMm,
                         const EmfColourPolicy& colours)
    : m_dc(painter, deviceToPainter, pixelsPerMm)
    , m_colours(colours) {}

bool EmfPlayback::play(const EmfRecord& r) {
    switch (r.type()) {
    case emr::HEADER:
    case emr::GDICOMMENT: // EMF+ and private data: the EMF records beside them carry the drawing
    case emr::EOF_:
        return true;
    default:
        break;
    }
    switch (applyEmfStateRecord(m_dc, m_objects, r, m_colours)) {
    case EmfStateResult::Applied:
        return true;
    case EmfStateResult::Damaged:
        return false;
    case EmfStateResult::NotState:
        break;
    }
    // Each handler plays its own records and answers true for the others, so a record is skipped
    // as damaged only by the handler that owns it.
    return playShape(r) && playPath(r) && playText(r) && playBitmap(r);
}

void EmfPlayback::skip(const EmfRecord& r) {
    switch (r.type()) {
    case emr::LINETO:
        if (r.has(8, 8))
            m_dc.moveTo(QPointF(r.i32(8), r.i32(12)));
        break;
    case emr::POLYLINETO:
    case emr::POLYLINETO16: {
        // rclBounds, count, points: the last point is the new position.
        const bool small = r.type() == emr::POLYLINETO16;
        const std::int64_t count = r.u32(24);
        const std::int64_t size = small ? 4 : 8;
        if (count <= 0 || !r.hasArray(28, count, size))
            break;
        const std::int64_t at = 28 + (count - 1) * size;
        m_dc.moveTo(small ? QPointF(r.i16(at), r.i16(at + 2)) : QPointF(r.i32(at), r.i32(at + 4)));
        break;
    }
    default:
        break;
    }
}

} // namespace vek
