// EmfPlayback: lines, shapes, paths and text records.
#include "EmfPlayback.h"

#include <cmath>

namespace vek {

bool EmfPlayback::readPoly(const EmfRecord& r, bool small) {
    return readEmfPoly(r, small, m_points);
}

bool EmfPlayback::readPolyPoly(const EmfRecord& r, bool small, bool polygon) {
    if (!readEmfPolyPoly(r, small, m_counts, m_points))
        return false;
    if (polygon)
        m_dc.polyPolygon(m_points.data(), m_counts.data(), qsizetype(m_counts.size()));
    else
        m_dc.polyPolyline(m_points.data(), m_counts.data(), qsizetype(m_counts.size()));
    return true;
}

// rclBounds, count, points, one type byte per point.
bool EmfPlayback::readPolyDraw(const EmfRecord& r, bool small) {
    if (!r.has(24, 4))
        return false;
    const std::int64_t count = r.u32(24);
    if (!readEmfPoints(r, 28, count, small, m_points))
        return false;
    const std::int64_t typesAt = 28 + count * (small ? 4 : 8);
    if (!r.has(typesAt, count))
        return false;
    m_dc.polyDraw(m_points.data(), reinterpret_cast<const std::uint8_t*>(r.bytes().data() + typesAt),
                  qsizetype(count));
    return true;
}

bool EmfPlayback::playShape(const EmfRecord& r) {
    PainterDC& dc = m_dc;
    const auto n = [this] { return qsizetype(m_points.size()); };
    switch (r.type()) {
    case emr::POLYBEZIER:
    case emr::POLYBEZIER16:
        if (!readPoly(r, r.type() == emr::POLYBEZIER16))
            return false;
        dc.polyBezier(m_points.data(), n());
        return true;
    case emr::POLYGON:
    case emr::POLYGON16:
        if (!readPoly(r, r.type() == emr::POLYGON16))
            return false;
        dc.polygon(m_points.data(), n());
        return true;
    case emr::POLYLINE:
    case emr::POLYLINE16:
        if (!readPoly(r, r.type() == emr::POLYLINE16))
            return false;
        dc.polyline(m_points.data(), n());
        return true;
    case emr::POLYBEZIERTO:
    case emr::POLYBEZIERTO16:
        if (!readPoly(r, r.type() == emr::POLYBEZIERTO16))
            return false;
        dc.polyBezierTo(m_points.data(), n());
        return true;
    case emr::POLYLINETO:
    case emr::POLYLINETO16:
        if (!readPoly(r, r.type() == emr::POLYLINETO16))
            return false;
        dc.polylineTo(m_points.data(), n());
        return true;
    case emr::POLYPOLYLINE:
    case emr::POLYPOLYLINE16:
        return readPolyPoly(r, r.type() == emr::POLYPOLYLINE16, false);
    case emr::POLYPOLYGON:
    case emr::POLYPOLYGON16:
        return readPolyPoly(r, r.type() == emr::POLYPOLYGON16, true);
    case emr::POLYDRAW:
    case emr::POLYDRAW16:
        return readPolyDraw(r, r.type() == emr::POLYDRAW16);
    case emr::LINETO:
        if (!r.has(8, 8))
            return false;
        dc.lineTo(r.pointL(8));
        return true;
    case emr::SETPIXELV:
        if (!r.has(8, 12))
            return false;
        dc.setPixel(r.pointL(8), r.u32(16) & 0xFFFFFF);
        return true;
    case emr::RECTANGLE:
        if (!r.has(8, 16))
            return false;
        dc.rectangle(r.boxL(8));
        return true;
    case emr::ROUNDRECT:
        if (!r.has(8, 24))
            return false;
        dc.roundRect(r.boxL(8), QSizeF(r.i32(24), r.i32(28)));
        return true;
    case emr::ELLIPSE:
        if (!r.has(8, 16))
            return false;
        dc.ellipse(r.boxL(8));
        return true;
    case emr::ARC:
    case emr::ARCTO:
    case emr::CHORD:
    case emr::PIE: {
        if (!r.has(8, 32))
            return false;
        const QRectF box = r.boxL(8);
        const QPointF a = r.pointL(24), b = r.pointL(32);
        if (r.type() == emr::ARC)
            dc.arc(box, a, b);
        else if (r.type() == emr::ARCTO)
            dc.arcTo(box, a, b);
        else if (r.type() == emr::CHORD)
            dc.chord(box, a, b);
        else
            dc.pie(box, a, b);
        return true;
    }
    case emr::ANGLEARC:
        if (!r.has(8, 20))
            return false;
        dc.angleArc(r.pointL(8), r.u32(16), r.f32(20), r.f32(24));
        return true;
    case emr::FILLRGN:
    case emr::FRAMERGN:
    case emr::PAINTRGN: {
        // rclBounds, cbRgnData, [ihBrush, [szlStroke]], RgnData.
        if (!r.has(24, 4))
            return false;
        const std::int64_t data = r.type() == emr::FILLRGN ? 32 : r.type() == emr::FRAMERGN ? 40 : 28;
        QPainterPath region;
        if (!r.has(24, data - 24) || !readEmfRegion(r, data, r.u32(24), region))
            return false;
        const DcBrush brush =
            r.type() == emr::PAINTRGN ? dc.state().brush : emfRecordBrush(dc, m_objects, r.u32(28));
        if (r.type() == emr::FRAMERGN)
            dc.frameWithBrush(region, brush, QSizeF(r.i32(32), r.i32(36)));
        else
            dc.fillWithBrush(region, brush);
        return true;
    }
    default:
        return true;
    }
}

bool EmfPlayback::playPath(const EmfRecord& r) {
    switch (r.type()) {
    case emr::BEGINPATH:
        m_dc.beginPath();
        return true;
    case emr::ENDPATH:
        m_dc.endPath();
        return true;
    case emr::CLOSEFIGURE:
        m_dc.closeFigure();
        return true;
    case emr::ABORTPATH:
        m_dc.abortPath();
        return true;
    case emr::FILLPATH:
        m_dc.fillPath();
        return true;
    case emr::STROKEPATH:
        m_dc.strokePath();
        return true;
    case emr::STROKEANDFILLPATH:
        m_dc.strokeAndFillPath();
        return true;
    case emr::FLATTENPATH:
        m_dc.flattenPath();
        return true;
    case emr::WIDENPATH:
        m_dc.widenPath();
        return true;
    case emr::SELECTCLIPPATH:
        if (!r.has(8, 4))
            return false;
        m_dc.selectClipPath(r.i32(8));
        return true;
    default:
        return true;
    }
}

bool EmfPlayback::playText(const EmfRecord& r) {
    const int strings = emfTextCount(r);
    if (strings < 0)
        return false;
    bool ok = true;
    for (int i = 0; i < strings; ++i) {
        if (!readEmfTextOut(r, i, m_dc.currentFont()->logFont().charSet, m_text)) {
            ok = false;
            continue;
        }
        m_dc.extTextOut(m_text.reference, m_text.options, m_text.rectOrNull(), m_text.text, m_text.advances(),
                        m_text.pdy, m_text.advancedMode);
    }
    return ok;
}

} // namespace vek
