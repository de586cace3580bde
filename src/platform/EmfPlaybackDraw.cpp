// EmfPlayback: lines, shapes, paths, clipping and text records.
#include "EmfPlayback.h"

#include "CodePage.h"

#include <QRegion>
#include <cmath>

namespace vek {
namespace {

QPointF pointAt(const EmfRecord& r, std::int64_t off) {
    return QPointF(r.i32(off), r.i32(off + 4));
}

// A RECTL as GDI draws it: right and bottom are the excluded edges.
QRectF boxAt(const EmfRecord& r, std::int64_t off) {
    const double l = r.i32(off), t = r.i32(off + 4), rr = r.i32(off + 8), b = r.i32(off + 12);
    return QRectF(l, t, rr - l, b - t);
}

constexpr std::uint32_t kEtoNoRect = 0x100;
constexpr std::uint32_t kEtoSmallChars = 0x200;
constexpr std::int64_t kMaxRegionRects = 1 << 14; // more is no drawing but a way to stall the union below
constexpr std::int64_t kMaxRegionCoord = std::int64_t(1) << 28;

} // namespace

bool EmfPlayback::readPoints(const EmfRecord& r, std::int64_t off, std::int64_t count, bool small) {
    const std::int64_t size = small ? 4 : 8;
    if (!r.hasArray(off, count, size))
        return false;
    m_points.resize(std::size_t(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t at = off + i * size;
        m_points[std::size_t(i)] =
            small ? QPointF(r.i16(at), r.i16(at + 2)) : QPointF(r.i32(at), r.i32(at + 4));
    }
    return true;
}

// rclBounds, count, points.
bool EmfPlayback::readPoly(const EmfRecord& r, bool small) {
    return r.has(24, 4) && readPoints(r, 28, r.u32(24), small);
}

// rclBounds, number of polygons, total points, the count of each, the points.
bool EmfPlayback::readPolyPoly(const EmfRecord& r, bool small, bool polygon) {
    if (!r.has(24, 8))
        return false;
    const std::int64_t polys = r.u32(24), total = r.u32(28);
    if (!r.hasArray(32, polys, 4))
        return false;
    m_counts.resize(std::size_t(polys));
    std::int64_t sum = 0;
    for (std::int64_t i = 0; i < polys; ++i) {
        m_counts[std::size_t(i)] = r.u32(32 + 4 * i);
        sum += m_counts[std::size_t(i)];
    }
    if (sum > total || !readPoints(r, 32 + 4 * polys, total, small))
        return false;
    if (polygon)
        m_dc.polyPolygon(m_points.data(), m_counts.data(), qsizetype(polys));
    else
        m_dc.polyPolyline(m_points.data(), m_counts.data(), qsizetype(polys));
    return true;
}

// rclBounds, count, points, one type byte per point.
bool EmfPlayback::readPolyDraw(const EmfRecord& r, bool small) {
    if (!r.has(24, 4))
        return false;
    const std::int64_t count = r.u32(24);
    if (!readPoints(r, 28, count, small))
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
        dc.lineTo(pointAt(r, 8));
        return true;
    case emr::SETPIXELV:
        if (!r.has(8, 12))
            return false;
        dc.setPixel(pointAt(r, 8), r.u32(16) & 0xFFFFFF);
        return true;
    case emr::RECTANGLE:
        if (!r.has(8, 16))
            return false;
        dc.rectangle(boxAt(r, 8));
        return true;
    case emr::ROUNDRECT:
        if (!r.has(8, 24))
            return false;
        dc.roundRect(boxAt(r, 8), QSizeF(r.i32(24), r.i32(28)));
        return true;
    case emr::ELLIPSE:
        if (!r.has(8, 16))
            return false;
        dc.ellipse(boxAt(r, 8));
        return true;
    case emr::ARC:
    case emr::ARCTO:
    case emr::CHORD:
    case emr::PIE: {
        if (!r.has(8, 32))
            return false;
        const QRectF box = boxAt(r, 8);
        const QPointF a = pointAt(r, 24), b = pointAt(r, 32);
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
        dc.angleArc(pointAt(r, 8), r.u32(16), r.f32(20), r.f32(24));
        return true;
    case emr::FILLRGN:
    case emr::FRAMERGN:
    case emr::PAINTRGN: {
        // rclBounds, cbRgnData, [ihBrush, [szlStroke]], RgnData.
        if (!r.has(24, 4))
            return false;
        const std::int64_t data = r.type() == emr::FILLRGN ? 32 : r.type() == emr::FRAMERGN ? 40 : 28;
        QPainterPath region;
        if (!r.has(24, data - 24) || !readRegion(r, data, r.u32(24), region))
            return false;
        DcBrush brush = dc.state().brush;
        if (r.type() != emr::PAINTRGN) {
            const std::uint32_t ih = r.u32(28);
            if (ih & emr::STOCK_OBJECT) {
                brush = DcBrush{};
                brush.color = ih == emr::BLACK_BRUSH ? 0 : rgb(255, 255, 255);
                brush.style = ih == emr::NULL_BRUSH ? BS_NULL : BS_SOLID;
            } else if (EmfObject* o = slot(ih, false); o && std::holds_alternative<DcBrush>(*o)) {
                brush = std::get<DcBrush>(*o);
            }
        }
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

// RGNDATA: header (dwSize, iType, nCount, nRgnSize, rcBound), then nCount RECTLs.
bool EmfPlayback::readRegion(const EmfRecord& r, std::int64_t off, std::int64_t size,
                             QPainterPath& path) const {
    if (size < 32 || !r.has(off, size))
        return false;
    const std::int64_t headerSize = std::max<std::int64_t>(32, r.u32(off));
    const std::int64_t count = r.u32(off + 8);
    if (count > kMaxRegionRects || !r.hasArray(off + headerSize, count, 16) || headerSize + count * 16 > size)
        return false;
    QRegion region;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t at = off + headerSize + 16 * i;
        // RECTL's right and bottom are exclusive, QRect's inclusive; far-out edges are held where
        // QRect's arithmetic cannot overflow.
        const auto edge = [&](std::int64_t at2, int minus) {
            return int(std::clamp<std::int64_t>(std::int64_t(r.i32(at2)) - minus, -kMaxRegionCoord,
                                                kMaxRegionCoord));
        };
        const QRect rc(QPoint(edge(at, 0), edge(at + 4, 0)), QPoint(edge(at + 8, 1), edge(at + 12, 1)));
        if (rc.isValid())
            region += rc;
    }
    path = QPainterPath();
    path.addRegion(region);
    return true;
}

bool EmfPlayback::playClip(const EmfRecord& r) {
    switch (r.type()) {
    case emr::INTERSECTCLIPRECT:
    case emr::EXCLUDECLIPRECT: {
        if (!r.has(8, 16))
            return false;
        const QRectF box = boxAt(r, 8);
        if (r.type() == emr::INTERSECTCLIPRECT)
            m_dc.intersectClipRect(box);
        else
            m_dc.excludeClipRect(box);
        return true;
    }
    case emr::OFFSETCLIPRGN:
        if (!r.has(8, 8))
            return false;
        m_dc.offsetClip(pointAt(r, 8));
        return true;
    case emr::EXTSELECTCLIPRGN: {
        // cbRgnData, iMode, RgnData (device units).
        if (!r.has(8, 8))
            return false;
        const std::int64_t size = r.u32(8);
        const int mode = r.i32(12);
        if (mode == RGN_COPY && size < 32) {
            m_dc.resetClip();
            return true;
        }
        QPainterPath region;
        if (!readRegion(r, 16, size, region))
            return false;
        m_dc.combineClip(region, mode);
        return true;
    }
    default:
        return true;
    }
}

bool EmfPlayback::playText(const EmfRecord& r) {
    switch (r.type()) {
    case emr::EXTTEXTOUTW:
    case emr::EXTTEXTOUTA:
        return extTextOut(r);
    case emr::SMALLTEXTOUT:
        return smallTextOut(r);
    case emr::POLYTEXTOUTW:
    case emr::POLYTEXTOUTA:
        return polyTextOut(r);
    default:
        return true;
    }
}

bool EmfPlayback::extTextOut(const EmfRecord& r) {
    // rclBounds, iGraphicsMode, exScale, eyScale, then EMRTEXT.
    if (!r.has(24, 4))
        return false;
    return textOut(r, 36, r.type() == emr::EXTTEXTOUTW, r.u32(24) == 2, true);
}

bool EmfPlayback::polyTextOut(const EmfRecord& r) {
    // rclBounds, iGraphicsMode, exScale, eyScale, cStrings, then cStrings EMRTEXTs of 40 bytes.
    if (!r.has(24, 16))
        return false;
    const std::int64_t count = r.u32(36);
    if (!r.hasArray(40, count, 40))
        return false;
    bool ok = true;
    for (std::int64_t i = 0; i < count; ++i)
        ok = textOut(r, 40 + 40 * i, r.type() == emr::POLYTEXTOUTW, r.u32(24) == 2, false) && ok;
    return ok;
}

bool EmfPlayback::textOut(const EmfRecord& r, std::int64_t at, bool wide, bool advanced, bool mayOmitRect) {
    // EMRTEXT: reference, nChars, offString, options, [rectangle], offDx. Offsets count from the
    // start of the record.
    if (!r.has(at, 20))
        return false;
    const QPointF ref = pointAt(r, at);
    const std::int64_t count = r.u32(at + 8);
    const std::int64_t offString = r.u32(at + 12);
    const std::uint32_t options = r.u32(at + 16);
    const bool hasRect = !(mayOmitRect && (options & kEtoNoRect));
    const std::int64_t offDxAt = hasRect ? at + 36 : at + 20;
    if (!r.has(offDxAt, 4))
        return false;
    const QRectF rect = hasRect ? boxAt(r, at + 20) : QRectF();
    if (!r.hasArray(offString, count, wide ? 2 : 1))
        return false;
    if (wide) {
        m_text.resize(qsizetype(count));
        for (std::int64_t i = 0; i < count; ++i)
            m_text[qsizetype(i)] = QChar(r.u16(offString + 2 * i));
    } else {
        const GdiFontPtr font = m_dc.currentFont();
        const int cp = codePageForCharset(font->logFont().charSet);
        m_text = decodeCodePage(r.span(offString, count), cp ? cp : 1252);
    }
    const bool pdy = options & ETO_PDY;
    const std::int64_t offDx = r.u32(offDxAt);
    const std::int64_t perChar = pdy ? 2 : 1;
    const double* dx = nullptr;
    if (offDx != 0 && r.hasArray(offDx, count * perChar, 4) && m_text.size() == count) {
        m_dx.resize(std::size_t(count * perChar));
        for (std::int64_t i = 0; i < count * perChar; ++i)
            m_dx[std::size_t(i)] = r.i32(offDx + 4 * i);
        dx = m_dx.data();
    }
    m_dc.extTextOut(ref, options, hasRect && (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rect : nullptr, m_text,
                    dx, pdy && dx, advanced);
    return true;
}

bool EmfPlayback::smallTextOut(const EmfRecord& r) {
    // x, y, cChars, fuOptions, iGraphicsMode, exScale, eyScale, [rclClip], characters.
    if (!r.has(8, 28))
        return false;
    const std::int64_t count = r.u32(16);
    const std::uint32_t options = r.u32(20);
    const bool hasRect = !(options & kEtoNoRect);
    const std::int64_t off = hasRect ? 52 : 36;
    if (hasRect && !r.has(36, 16))
        return false;
    if (options & kEtoSmallChars) {
        if (!r.has(off, count))
            return false;
        const GdiFontPtr font = m_dc.currentFont();
        const int cp = codePageForCharset(font->logFont().charSet);
        m_text = decodeCodePage(r.span(off, count), cp ? cp : 1252);
    } else {
        if (!r.hasArray(off, count, 2))
            return false;
        m_text.resize(qsizetype(count));
        for (std::int64_t i = 0; i < count; ++i)
            m_text[qsizetype(i)] = QChar(r.u16(off + 2 * i));
    }
    const QRectF rect = hasRect ? boxAt(r, 36) : QRectF();
    m_dc.extTextOut(pointAt(r, 8), options & ~(kEtoNoRect | kEtoSmallChars),
                    hasRect && (options & (ETO_OPAQUE | ETO_CLIPPED)) ? &rect : nullptr, m_text, nullptr,
                    false, r.u32(24) == 2);
    return true;
}

} // namespace vek
