// WmfTranslator: lines, shapes, text, clipping and regions.
//
// Shapes keep their GDI meaning in both formats, so a WMF rectangle becomes an EMF rectangle with
// the same excluded right and bottom edges. Text: TEXTOUT and EXTTEXTOUT carry bytes in the code
// page of the selected font's character set; they become EMR_EXTTEXTOUTW with the text decoded and
// the advances (16-bit, one per byte) widened. A region (CREATEREGION) is a list of scans, each a
// band of rectangles; it is written as a path of those rectangles when it clips or is filled.
#include "WmfConvert.h"

#include "CodePage.h"
#include "PainterCanvas.h"
#include "WmfRecords.h"

namespace vek {
namespace {

constexpr std::size_t kMaxRegionRects = 1024;
constexpr std::uint32_t kTextOptions = ETO_OPAQUE | ETO_CLIPPED;
constexpr std::int64_t kTextHeader = 76; // EMR_EXTTEXTOUTW up to its string

// A rectangle given as bottom, right, top, left: left, top, right, bottom.
void ltrb(const EmfRecord& r, std::int64_t at, std::int32_t (&out)[4]) {
    out[0] = r.i16(at + 6);
    out[1] = r.i16(at + 4);
    out[2] = r.i16(at + 2);
    out[3] = r.i16(at);
}

QRect pointBounds(const EmfRecord& r, std::int64_t at, std::int64_t count) {
    QRect box;
    for (std::int64_t i = 0; i < count; ++i)
        box |= QRect(r.i16(at + 4 * i), r.i16(at + 4 * i + 2), 1, 1);
    return box;
}

} // namespace

void WmfTranslator::writeBounds(const QRect& box) {
    if (box.isEmpty())
        m_out.rectL(0, 0, -1, -1);
    else
        m_out.rectL(box.left(), box.top(), box.right(), box.bottom());
}

bool WmfTranslator::shapes(const EmfRecord& r) {
    std::int32_t box[4];
    switch (r.type()) {
    case wmr::MOVETO:
    case wmr::LINETO:
        if (!r.has(6, 4))
            return false;
        m_out.record(r.type() == wmr::MOVETO ? emr::MOVETOEX : emr::LINETO, {r.i16(8), r.i16(6)});
        return true;
    case wmr::RECTANGLE:
    case wmr::ELLIPSE:
        if (!r.has(6, 8))
            return false;
        ltrb(r, 6, box);
        m_out.record(r.type() == wmr::RECTANGLE ? emr::RECTANGLE : emr::ELLIPSE,
                     {box[0], box[1], box[2], box[3]});
        return true;
    case wmr::ROUNDRECT:
        // corner height, corner width, then the rectangle
        if (!r.has(6, 12))
            return false;
        ltrb(r, 10, box);
        m_out.record(emr::ROUNDRECT, {box[0], box[1], box[2], box[3], r.i16(8), r.i16(6)});
        return true;
    case wmr::ARC:
    case wmr::PIE:
    case wmr::CHORD:
        return arc(r);
    case wmr::POLYGON:
    case wmr::POLYLINE:
        return poly(r, r.type() == wmr::POLYGON ? emr::POLYGON16 : emr::POLYLINE16);
    case wmr::POLYPOLYGON:
        return polyPolygon(r);
    case wmr::SETPIXEL:
        // colour, y, x
        if (!r.has(6, 8))
            return false;
        m_out.record(emr::SETPIXELV, {r.i16(12), r.i16(10), std::int32_t(r.u32(6) & 0xFFFFFF)});
        return true;
    default:
        return true;
    }
}

bool WmfTranslator::arc(const EmfRecord& r) {
    // yEnd, xEnd, yStart, xStart, then the bounding rectangle
    if (!r.has(6, 16))
        return false;
    std::int32_t box[4];
    ltrb(r, 14, box);
    const std::uint32_t type = r.type() == wmr::ARC ? emr::ARC : r.type() == wmr::PIE ? emr::PIE : emr::CHORD;
    m_out.record(type, {box[0], box[1], box[2], box[3], r.i16(12), r.i16(10), r.i16(8), r.i16(6)});
    return true;
}

bool WmfTranslator::poly(const EmfRecord& r, std::uint32_t type) {
    // count, then (x, y) pairs: the layout of the EMF 16-bit forms
    const std::int64_t n = r.u16(6);
    if (!r.has(6, 2) || !r.hasArray(8, n, 4))
        return false;
    m_out.begin(type);
    writeBounds(pointBounds(r, 8, n));
    m_out.u32(std::uint32_t(n));
    m_out.bytes(r.span(8, 4 * n));
    m_out.end();
    return true;
}

bool WmfTranslator::polyPolygon(const EmfRecord& r) {
    // number of polygons, the point count of each, then all points
    const std::int64_t polys = r.u16(6);
    if (!r.has(6, 2) || !r.hasArray(8, polys, 2))
        return false;
    std::int64_t total = 0;
    for (std::int64_t i = 0; i < polys; ++i)
        total += r.u16(8 + 2 * i);
    const std::int64_t pointsAt = 8 + 2 * polys;
    if (!r.hasArray(pointsAt, total, 4))
        return false;
    m_out.begin(emr::POLYPOLYGON16);
    writeBounds(pointBounds(r, pointsAt, total));
    m_out.u32(std::uint32_t(polys));
    m_out.u32(std::uint32_t(total));
    for (std::int64_t i = 0; i < polys; ++i)
        m_out.u32(r.u16(8 + 2 * i));
    m_out.bytes(r.span(pointsAt, 4 * total));
    m_out.end();
    return true;
}

bool WmfTranslator::text(const EmfRecord& r) {
    if (r.type() == wmr::TEXTOUT)
        return textOut(r);
    if (r.type() == wmr::EXTTEXTOUT)
        return extTextOut(r);
    return true;
}

bool WmfTranslator::textOut(const EmfRecord& r) {
    // length, the bytes padded to a whole word, y, x
    const std::int64_t n = r.u16(6);
    const std::int64_t posAt = 8 + ((n + 1) & ~std::int64_t(1));
    if (!r.has(6, 2) || !r.has(8, n) || !r.has(posAt, 4))
        return false;
    writeText(QPoint(r.i16(posAt + 2), r.i16(posAt)), 0, QRect(), r.span(8, n), r, -1);
    return true;
}

bool WmfTranslator::extTextOut(const EmfRecord& r) {
    // y, x, length, options, the rectangle (left, top, right, bottom) when clipped or opaque, the
    // bytes padded to a whole word, then optionally one advance per byte (two with ETO_PDY)
    if (!r.has(6, 8))
        return false;
    const std::int64_t n = r.u16(10);
    const std::uint32_t options = r.u16(12);
    std::int64_t at = 14;
    QRect box;
    if (options & kTextOptions) {
        if (!r.has(at, 8))
            return false;
        box = QRect(QPoint(r.i16(at), r.i16(at + 2)), QPoint(r.i16(at + 4) - 1, r.i16(at + 6) - 1));
        at += 8;
    }
    if (!r.has(at, n))
        return false;
    writeText(QPoint(r.i16(8), r.i16(6)), options, box, r.span(at, n), r, at + ((n + 1) & ~std::int64_t(1)));
    return true;
}

void WmfTranslator::writeText(QPoint ref, std::uint32_t options, const QRect& box, QByteArrayView bytes,
                              const EmfRecord& r, std::int64_t dxAt) {
    const QString s = decodeCodePage(bytes, m_dc.codePage ? m_dc.codePage : 1252);
    const auto n = std::int64_t(s.size());
    const bool pdy = options & ETO_PDY;
    const std::int64_t advances = n * (pdy ? 2 : 1);
    const bool withDx = dxAt >= 0 && n > 0 && r.hasArray(dxAt, advances, 2);
    options = (options & kTextOptions) | (withDx && pdy ? std::uint32_t(ETO_PDY) : 0);
    const std::int64_t stringBytes = (2 * n + 3) & ~std::int64_t(3);

    m_out.begin(emr::EXTTEXTOUTW);
    m_out.rectL(0, 0, -1, -1);
    m_out.u32(1); // GM_COMPATIBLE
    m_out.f32(1);
    m_out.f32(1);
    m_out.i32(ref.x());
    m_out.i32(ref.y());
    m_out.u32(std::uint32_t(n));
    m_out.u32(std::uint32_t(kTextHeader));
    m_out.u32(options);
    m_out.rectL(box.left(), box.top(), box.right() + 1, box.bottom() + 1);
    m_out.u32(withDx ? std::uint32_t(kTextHeader + stringBytes) : 0);
    m_out.utf16(s);
    if (n % 2)
        m_out.u16(0);
    if (withDx) {
        for (std::int64_t i = 0; i < advances; ++i)
            m_out.i32(r.i16(dxAt + 2 * i));
    }
    m_out.end();
}

bool WmfTranslator::createRegion(const EmfRecord& r) {
    // next in chain, object type, object count, region size, scan count, largest scan, bounding
    // box (left, top, right, bottom), then the scans: a count of x coordinates, top, bottom, the
    // (left, right) pairs, the count again.
    if (!r.has(6, 22))
        return damagedCreate();
    const int i = allocate(Kind::Region);
    if (i < 0)
        return false;
    std::vector<QRect>& rects = m_objects[std::size_t(i)].rects;
    const std::int64_t scans = r.u16(16);
    std::int64_t at = 28;
    bool whole = true;
    for (std::int64_t s = 0; s < scans && rects.size() < kMaxRegionRects; ++s) {
        const std::int64_t coordinates = r.u16(at);
        if (!r.has(at, 8 + 2 * coordinates)) {
            whole = false;
            break;
        }
        const int top = r.i16(at + 2), bottom = r.i16(at + 4);
        for (std::int64_t k = 0; k + 1 < coordinates && rects.size() < kMaxRegionRects; k += 2)
            rects.emplace_back(QPoint(r.i16(at + 6 + 2 * k), top), QPoint(r.i16(at + 8 + 2 * k), bottom));
        at += 8 + 2 * coordinates;
    }
    if (scans == 0) {
        const QRect bound(QPoint(r.i16(20), r.i16(22)), QPoint(r.i16(24), r.i16(26)));
        if (bound.left() < bound.right() && bound.top() < bound.bottom())
            rects.push_back(bound);
    }
    return whole;
}

bool WmfTranslator::regions(const EmfRecord& r) {
    std::int32_t box[4];
    switch (r.type()) {
    case wmr::SELECTCLIPREGION: {
        if (!r.has(6, 2))
            return false;
        if (r.u16(6) == 0) { // no region: back to the whole picture
            m_out.record(emr::EXTSELECTCLIPRGN, {0, RGN_COPY});
            return true;
        }
        const Object* o = live(r.u16(6));
        if (!o || o->kind != Kind::Region)
            return false;
        selectClip(*o);
        return true;
    }
    case wmr::OFFSETCLIPRGN:
        if (!r.has(6, 4))
            return false;
        m_out.record(emr::OFFSETCLIPRGN, {r.i16(8), r.i16(6)});
        return true;
    case wmr::EXCLUDECLIPRECT:
    case wmr::INTERSECTCLIPRECT:
        if (!r.has(6, 8))
            return false;
        ltrb(r, 6, box);
        m_out.record(r.type() == wmr::EXCLUDECLIPRECT ? emr::EXCLUDECLIPRECT : emr::INTERSECTCLIPRECT,
                     {box[0], box[1], box[2], box[3]});
        return true;
    case wmr::FILLREGION:
    case wmr::PAINTREGION:
        return fillRegion(r);
    default:
        return true;
    }
}

// The region as a path of its rectangles, in the logical units of the moment.
void WmfTranslator::regionPath(const Object& region) {
    m_out.record(emr::BEGINPATH, {});
    for (const QRect& rc : region.rects)
        m_out.record(emr::RECTANGLE, {rc.left(), rc.top(), rc.right(), rc.bottom()});
    m_out.record(emr::ENDPATH, {});
}

void WmfTranslator::selectClip(const Object& region) {
    regionPath(region);
    m_out.record(emr::SELECTCLIPPATH, {RGN_COPY});
}

bool WmfTranslator::fillRegion(const EmfRecord& r) {
    // FILLREGION: region, brush; PAINTREGION: region, with the selected brush.
    const bool ownBrush = r.type() == wmr::FILLREGION;
    if (!r.has(6, ownBrush ? 4 : 2))
        return false;
    const Object* region = live(r.u16(6));
    const Object* brush = ownBrush ? live(r.u16(8)) : nullptr;
    if (!region || region->kind != Kind::Region || (ownBrush && (!brush || brush->kind != Kind::Brush)))
        return false;
    m_out.record(emr::SAVEDC, {});
    if (ownBrush)
        m_out.record(emr::SELECTOBJECT, {std::int32_t(handle(r.u16(8)))});
    regionPath(*region);
    m_out.record(emr::FILLPATH, {0, 0, -1, -1});
    m_out.record(emr::RESTOREDC, {-1});
    return true;
}

} // namespace vek
