#include "EmfScanner.h"

#include <cmath>

namespace vek {
namespace {

constexpr double kRounding = 1; // device units added around everything for pixel rounding

// Room around a line of text for what its glyphs draw outside their cells, in ems: accents above
// the ascent, italics leaning to the right, glyphs wider than their advance.
constexpr double kOverhangLeft = 0.5;
constexpr double kOverhangRight = 1.0;
constexpr double kOverhangVertical = 0.5;

// The largest stretch a transform gives any direction (at least its largest singular value).
double maxScale(const QTransform& t) {
    return std::sqrt(t.m11() * t.m11() + t.m12() * t.m12() + t.m21() * t.m21() + t.m22() * t.m22());
}

QRectF grown(const QRectF& r, double by) {
    return r.normalized().adjusted(-by, -by, by, by);
}

bool isShapeRecord(std::uint32_t type) {
    switch (type) {
    case emr::POLYBEZIER:
    case emr::POLYGON:
    case emr::POLYLINE:
    case emr::POLYBEZIERTO:
    case emr::POLYLINETO:
    case emr::POLYPOLYLINE:
    case emr::POLYPOLYGON:
    case emr::SETPIXELV:
    case emr::ANGLEARC:
    case emr::ELLIPSE:
    case emr::RECTANGLE:
    case emr::ROUNDRECT:
    case emr::ARC:
    case emr::CHORD:
    case emr::PIE:
    case emr::EXTFLOODFILL:
    case emr::LINETO:
    case emr::ARCTO:
    case emr::POLYDRAW:
    case emr::FILLRGN:
    case emr::FRAMERGN:
    case emr::INVERTRGN:
    case emr::PAINTRGN:
    case emr::POLYBEZIER16:
    case emr::POLYGON16:
    case emr::POLYLINE16:
    case emr::POLYBEZIERTO16:
    case emr::POLYLINETO16:
    case emr::POLYPOLYLINE16:
    case emr::POLYPOLYGON16:
    case emr::POLYDRAW16:
        return true;
    default:
        return false;
    }
}

bool isBitmapRecord(std::uint32_t type) {
    switch (type) {
    case emr::BITBLT:
    case emr::STRETCHBLT:
    case emr::SETDIBITSTODEVICE:
    case emr::STRETCHDIBITS:
    case emr::ALPHABLEND:
    case emr::TRANSPARENTBLT:
    case emr::GRADIENTFILL:
        return true;
    default:
        return false;
    }
}

EmfExtent unbounded() {
    return EmfExtent{EmfExtent::Unbounded, QRectF()};
}

} // namespace

EmfScanner::EmfScanner(QSizeF devicePixelsPerMm)
    : m_dc(devicePixelsPerMm) {}

EmfExtent EmfScanner::scan(const EmfRecord& r, std::vector<EmfPlacedText>* texts) {
    if (texts)
        texts->clear();
    switch (r.type()) {
    case emr::HEADER:
    case emr::GDICOMMENT:
    case emr::EOF_:
        return {};
    case emr::BEGINPATH:
        m_inPath = true;
        return {};
    case emr::ENDPATH:
    case emr::ABORTPATH:
        m_inPath = false;
        return {};
    case emr::FILLPATH:
    case emr::STROKEPATH:
    case emr::STROKEANDFILLPATH:
        m_inPath = false;
        return unbounded();
    case emr::SELECTCLIPPATH:
        // The clip becomes a path this model does not build: from here on it bounds nothing.
        m_inPath = false;
        m_clipKnown = false;
        return {};
    default:
        break;
    }
    switch (applyEmfStateRecord(m_dc, m_objects, r, m_colours)) {
    case EmfStateResult::Applied:
        if (r.type() == emr::MOVETOEX)
            m_currentKnown = true;
        return {};
    case EmfStateResult::Damaged:
        return {};
    case EmfStateResult::NotState:
        break;
    }
    if (m_inPath) {
        // Figures inside a path bracket only build the path (and may move the current position).
        if (isShapeRecord(r.type()))
            m_currentKnown = false;
        return {};
    }
    if (isShapeRecord(r.type()))
        return shape(r);
    if (isBitmapRecord(r.type()))
        return bitmap(r);
    if (isEmfTextRecord(r.type()))
        return text(r, texts);
    return {};
}

// ---- Figures ----

double EmfScanner::penReach() const {
    const DcPen& pen = m_dc.state().pen;
    if ((pen.style & PS_STYLE_MASK) == PS_NULL)
        return 0;
    if (!(pen.style & PS_GEOMETRIC) && pen.width <= 1)
        return 0; // one pixel of the target: the player's margin covers it
    // Half the width reaches out from the line; square caps and joins reach further, mitred joins
    // further still.
    const double width = pen.width * maxScale(m_dc.logicalToDevice());
    return (pen.style & PS_JOIN_MASK) == PS_JOIN_MITER ? 2 * width : width;
}

EmfExtent EmfScanner::bounded(QRectF device) const {
    if (m_clipKnown) {
        if (const std::optional<QRectF> clip = m_dc.clipBounds())
            device = device.intersected(*clip);
    }
    return EmfExtent{EmfExtent::Bounded, device};
}

EmfExtent EmfScanner::outlined(const QRectF& logical) {
    return bounded(grown(m_dc.logicalToDevice().mapRect(logical.normalized()), penReach() + kRounding));
}

EmfExtent EmfScanner::pointsExtent(bool withCurrent) {
    if (withCurrent)
        m_points.push_back(m_dc.state().current);
    if (m_points.empty())
        return bounded(QRectF());
    double l = m_points[0].x(), t = m_points[0].y(), rr = l, b = t;
    for (const QPointF& p : m_points) {
        l = std::min(l, p.x());
        rr = std::max(rr, p.x());
        t = std::min(t, p.y());
        b = std::max(b, p.y());
    }
    return outlined(QRectF(l, t, rr - l, b - t));
}

EmfExtent EmfScanner::shape(const EmfRecord& r) {
    const std::uint32_t type = r.type();
    switch (type) {
    case emr::POLYBEZIER:
    case emr::POLYGON:
    case emr::POLYLINE:
    case emr::POLYBEZIER16:
    case emr::POLYGON16:
    case emr::POLYLINE16: {
        const bool small = type == emr::POLYBEZIER16 || type == emr::POLYGON16 || type == emr::POLYLINE16;
        return readEmfPoly(r, small, m_points) ? pointsExtent(false) : unbounded();
    }
    case emr::POLYPOLYLINE:
    case emr::POLYPOLYGON:
    case emr::POLYPOLYLINE16:
    case emr::POLYPOLYGON16: {
        const bool small = type == emr::POLYPOLYLINE16 || type == emr::POLYPOLYGON16;
        return readEmfPolyPoly(r, small, m_counts, m_points) ? pointsExtent(false) : unbounded();
    }
    case emr::POLYLINETO:
    case emr::POLYLINETO16: {
        if (!readEmfPoly(r, type == emr::POLYLINETO16, m_points))
            return unbounded();
        if (m_points.empty())
            return bounded(QRectF());
        const QPointF last = m_points.back();
        const EmfExtent e = m_currentKnown ? pointsExtent(true) : unbounded();
        m_dc.moveTo(last);
        m_currentKnown = true;
        return e;
    }
    case emr::LINETO: {
        if (!r.has(8, 8))
            return unbounded();
        m_points.assign(1, r.pointL(8));
        const EmfExtent e = m_currentKnown ? pointsExtent(true) : unbounded();
        m_dc.moveTo(r.pointL(8));
        m_currentKnown = true;
        return e;
    }
    case emr::RECTANGLE:
    case emr::ELLIPSE:
        return r.has(8, 16) ? outlined(r.boxL(8)) : unbounded();
    case emr::ROUNDRECT:
        return r.has(8, 24) ? outlined(r.boxL(8)) : unbounded();
    case emr::ARC:
    case emr::CHORD:
    case emr::PIE:
        return r.has(8, 32) ? outlined(r.boxL(8)) : unbounded();
    case emr::SETPIXELV:
        return r.has(8, 12) ? outlined(QRectF(r.pointL(8), QSizeF(0, 0))) : unbounded();
    default:
        // Curves and arcs drawn on from the current position move it where this model does not
        // follow; regions and flood fills are not bounded here.
        m_currentKnown = false;
        return unbounded();
    }
}

// ---- Bitmaps ----

EmfExtent EmfScanner::bitmap(const EmfRecord& r) {
    QRectF dest;
    switch (r.type()) {
    case emr::STRETCHDIBITS:
        // rclBounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmiSrc, cbBmiSrc, offBitsSrc,
        // cbBitsSrc, iUsageSrc, dwRop, cxDest, cyDest.
        if (!r.has(8, 72))
            return unbounded();
        dest = QRectF(r.pointL(24), r.sizeL(72));
        break;
    case emr::SETDIBITSTODEVICE:
        // The same up to iUsageSrc; the destination takes the source's size.
        if (!r.has(8, 72))
            return unbounded();
        dest = QRectF(r.pointL(24), r.sizeL(40));
        break;
    case emr::GRADIENTFILL: {
        // rclBounds, nVer, nTri, ulMode, TRIVERTEX[nVer] (x, y, colour).
        if (!r.has(24, 12) || !r.hasArray(36, r.u32(24), 16))
            return unbounded();
        m_points.clear();
        for (std::int64_t i = 0; i < std::int64_t(r.u32(24)); ++i)
            m_points.push_back(r.pointL(36 + 16 * i));
        if (m_points.empty())
            return bounded(QRectF());
        return pointsExtent(false);
    }
    default:
        // BITBLT, STRETCHBLT, ALPHABLEND, TRANSPARENTBLT: rclBounds, xDest, yDest, cxDest, cyDest.
        if (!r.has(8, 92))
            return unbounded();
        dest = QRectF(r.pointL(24), r.sizeL(32));
        break;
    }
    return bounded(grown(m_dc.logicalToDevice().mapRect(dest.normalized()), kRounding));
}

// ---- Text ----

EmfExtent EmfScanner::text(const EmfRecord& r, std::vector<EmfPlacedText>* texts) {
    const int strings = emfTextCount(r);
    if (strings < 0)
        return unbounded();
    const bool atCurrent = m_dc.state().textAlign & TA_UPDATECP;
    QRectF all;
    bool uncertain = false;
    for (int i = 0; i < strings; ++i) {
        if (!readEmfTextOut(r, i, m_dc.currentFont()->logFont().charSet, m_text)) {
            uncertain = true;
            continue;
        }
        // Glyph indices say nothing of the characters or, without advances, of their widths.
        const bool indices = m_text.options & ETO_GLYPH_INDEX;
        uncertain = uncertain || (indices && m_text.dx.empty());
        EmfPlacedText* placed = texts && !indices ? &texts->emplace_back() : nullptr;
        all = all.united(placeString(m_text, placed));
    }
    if (atCurrent) {
        // Drawn at the current position, which the text then moves: both are the player's to know.
        m_currentKnown = false;
        return unbounded();
    }
    return uncertain ? unbounded() : bounded(all);
}

QRectF EmfScanner::placeString(const EmfTextOut& t, EmfPlacedText* placed) {
    const GdiFontPtr font = m_dc.currentFont();
    const QTransform toDevice = m_dc.logicalToDevice();
    QRectF opaque;
    if (t.hasRect && (t.options & ETO_OPAQUE))
        opaque = grown(toDevice.mapRect(t.rect.normalized()), kRounding);
    if (t.text.isEmpty())
        return opaque;
    textAdvances(*font, t.text, t.advances(), t.pdy, m_pairs);
    const QPointF sum = advanceSum(m_pairs);
    const QPointF ref = m_dc.textReference(t.reference, sum.x(), sum.y());
    const TextPlacement place =
        placeText(toDevice, *font, m_dc.state().textAlign, ref, m_pairs, t.advancedMode);
    if (!place.valid)
        return opaque;

    QRectF cells;
    double x = 0, y = 0;
    if (placed) {
        placed->text = t.text;
        placed->boxes.resize(std::size_t(t.text.size()));
    }
    for (qsizetype i = 0; i < t.text.size(); ++i) {
        const QRectF cell = place.cell(*font, x, y, m_pairs[2 * i]);
        cells = cells.isNull() ? cell : cells.united(cell);
        if (placed)
            placed->boxes[std::size_t(i)] = place.textToDevice.mapRect(cell);
        x += m_pairs[2 * i];
        y += m_pairs[2 * i + 1];
    }
    std::optional<QRectF> clip;
    if (t.hasRect && (t.options & ETO_CLIPPED))
        clip = toDevice.mapRect(t.rect.normalized());
    if (const std::optional<QRectF> dcClip = m_dc.clipBounds(); dcClip && m_clipKnown)
        clip = clip ? clip->intersected(*dcClip) : *dcClip;
    if (placed) {
        placed->clip = clip;
        const QTransform& m = place.textToDevice;
        placed->baseline = QLineF(m.map(place.origin(0, 0)), m.map(place.origin(x, y)));
        placed->em = font->emSize() * std::hypot(m.m21(), m.m22());
        placed->upright = m.m12() == 0 && m.m21() == 0 && m.m11() > 0 && m.m22() > 0 && place.totalY == 0;
    }
    const double em = font->emSize();
    QRectF ink = place.textToDevice.mapRect(cells.adjusted(-kOverhangLeft * em, -kOverhangVertical * em,
                                                           kOverhangRight * em, kOverhangVertical * em));
    ink = grown(ink, kRounding);
    if (t.hasRect && (t.options & ETO_CLIPPED))
        ink = ink.intersected(grown(toDevice.mapRect(t.rect.normalized()), kRounding));
    return ink.united(opaque);
}

} // namespace vek
