// PainterDC: lines, shapes, path brackets and bitmaps.
#include "PainterCanvas.h"

#include <QPaintEngine>
#include <QPainterPathStroker>
#include <QtMath>
#include <cmath>

namespace vek {
namespace {

constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr std::uint32_t kSrcPaint = 0x00EE0086;
constexpr std::uint32_t kSrcAnd = 0x008800C6;
constexpr std::uint32_t kSrcInvert = 0x00660046;
constexpr std::uint32_t kPatCopy = 0x00F00021;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;
constexpr std::uint32_t kDstInvert = 0x00550009;

enum ArcKind { Arc, Chord, Pie };

QPainterPath polyPath(const QPointF* pts, qsizetype n, bool close) {
    QPainterPath path;
    if (n <= 0)
        return path;
    path.reserve(int(std::min<qsizetype>(n, 1 << 20)) + 1);
    path.moveTo(pts[0]);
    for (qsizetype i = 1; i < n; ++i)
        path.lineTo(pts[i]);
    if (close)
        path.closeSubpath();
    return path;
}

} // namespace

double PainterDC::devicePixelX() const {
    const QTransform t = logicalToDevice();
    const double s = std::hypot(t.m11(), t.m12());
    return s > 0 ? 1 / s : 0;
}

double PainterDC::devicePixelY() const {
    const QTransform t = logicalToDevice();
    const double s = std::hypot(t.m21(), t.m22());
    return s > 0 ? 1 / s : 0;
}

void PainterDC::emitShape(const QPainterPath& path, bool fill, bool stroke) {
    if (m_inPath) {
        m_path.addPath(logicalToDevice().map(path));
        return;
    }
    if (drawingSuppressed())
        return;
    applyLogical();
    if (fill && m_s.brush.style != BS_NULL) {
        QPainterPath p = path;
        p.setFillRule(m_s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        if (m_s.brush.style == BS_HATCHED && m_s.bkMode == OPAQUE)
            m_painter.fillPath(p, toQColor(m_s.bkColor));
        m_painter.fillPath(p, makeBrush(m_s.brush));
    }
    if (stroke && (m_s.pen.style & PS_STYLE_MASK) != PS_NULL) {
        if (!m_penValid) {
            m_pen = makePen();
            m_penValid = true;
        }
        m_painter.strokePath(path, m_pen);
    }
}

// ---- Lines ----

void PainterDC::moveTo(QPointF p) {
    m_s.current = p;
    if (m_inPath)
        m_path.moveTo(logicalToDevice().map(p));
}

void PainterDC::lineTo(QPointF p) {
    if (m_inPath) {
        const QPointF d = logicalToDevice().map(p);
        if (m_path.elementCount() == 0)
            m_path.moveTo(logicalToDevice().map(m_s.current));
        m_path.lineTo(d);
    } else {
        QPainterPath path(m_s.current);
        path.lineTo(p);
        emitOpen(path);
    }
    m_s.current = p;
}

void PainterDC::polyline(const QPointF* pts, qsizetype n) {
    if (n >= 2)
        emitOpen(polyPath(pts, n, false));
}

void PainterDC::polylineTo(const QPointF* pts, qsizetype n) {
    for (qsizetype i = 0; i < n && m_inPath; ++i)
        lineTo(pts[i]);
    if (m_inPath || n <= 0)
        return;
    QPainterPath path(m_s.current);
    for (qsizetype i = 0; i < n; ++i)
        path.lineTo(pts[i]);
    emitOpen(path);
    m_s.current = pts[n - 1];
}

void PainterDC::polyBezier(const QPointF* pts, qsizetype n) {
    if (n < 4)
        return;
    QPainterPath path(pts[0]);
    for (qsizetype i = 1; i + 2 < n; i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    emitOpen(path);
}

void PainterDC::polyBezierTo(const QPointF* pts, qsizetype n) {
    if (n < 3)
        return;
    QPainterPath path(m_s.current);
    qsizetype i = 0;
    for (; i + 2 < n; i += 3)
        path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
    m_s.current = pts[i - 1];
    if (m_inPath)
        m_path.connectPath(logicalToDevice().map(path));
    else
        emitOpen(path);
}

void PainterDC::polyDraw(const QPointF* pts, const std::uint8_t* types, qsizetype n) {
    constexpr std::uint8_t kClose = 1, kLineTo = 2, kBezierTo = 4, kMoveTo = 6;
    QPainterPath path(m_s.current);
    for (qsizetype i = 0; i < n; ++i) {
        const std::uint8_t t = types[i] & ~kClose;
        if (t == kMoveTo) {
            path.moveTo(pts[i]);
        } else if (t == kLineTo) {
            path.lineTo(pts[i]);
        } else if (t == kBezierTo && i + 2 < n) {
            path.cubicTo(pts[i], pts[i + 1], pts[i + 2]);
            i += 2;
        } else {
            break;
        }
        m_s.current = pts[i];
        if (types[i] & kClose)
            path.closeSubpath();
    }
    if (m_inPath)
        m_path.connectPath(logicalToDevice().map(path));
    else
        emitOpen(path);
}

void PainterDC::polygon(const QPointF* pts, qsizetype n) {
    if (n >= 2)
        emitShape(polyPath(pts, n, true), true, true);
}

void PainterDC::polyPolygon(const QPointF* pts, const std::uint32_t* counts, qsizetype polys) {
    QPainterPath path;
    qsizetype at = 0;
    for (qsizetype i = 0; i < polys; ++i) {
        path.addPath(polyPath(pts + at, counts[i], true));
        at += counts[i];
    }
    emitShape(path, true, true);
}

void PainterDC::polyPolyline(const QPointF* pts, const std::uint32_t* counts, qsizetype polys) {
    QPainterPath path;
    qsizetype at = 0;
    for (qsizetype i = 0; i < polys; ++i) {
        path.addPath(polyPath(pts + at, counts[i], false));
        at += counts[i];
    }
    emitOpen(path);
}

// ---- Shapes ----

void PainterDC::rectangle(const QRectF& r) {
    const QRectF n = r.normalized();
    if (m_inPath) {
        QPainterPath p;
        p.addRect(n);
        emitShape(p, true, true);
        return;
    }
    // GDI leaves out the right and bottom edges: the outline runs one device pixel inside them,
    // and without a pen the filling stops one more pixel short.
    QPainterPath fill;
    if ((m_s.pen.style & PS_STYLE_MASK) == PS_NULL)
        fill.addRect(n.adjusted(0, 0, -devicePixelX(), -devicePixelY()));
    else
        fill.addRect(n);
    emitShape(fill, true, false);
    QPainterPath outline;
    outline.addRect(n.adjusted(0, 0, -devicePixelX(), -devicePixelY()));
    emitShape(outline, false, true);
}

void PainterDC::roundRect(const QRectF& r, QSizeF corner) {
    QPainterPath p;
    const QRectF n = r.normalized().adjusted(0, 0, -devicePixelX(), -devicePixelY());
    p.addRoundedRect(n, std::abs(corner.width()) / 2, std::abs(corner.height()) / 2);
    emitShape(p, true, true);
}

void PainterDC::ellipse(const QRectF& r) {
    QPainterPath p;
    p.addEllipse(r.normalized().adjusted(0, 0, -devicePixelX(), -devicePixelY()));
    emitShape(p, true, true);
}

QPainterPath PainterDC::arcPath(const QRectF& boxIn, QPointF start, QPointF end, int kind) const {
    const QRectF box = boxIn.normalized();
    QPainterPath path;
    const double rx = box.width() / 2, ry = box.height() / 2;
    if (rx <= 0 || ry <= 0)
        return path;
    const QPointF c = box.center();
    // Angles of the radial lines through start and end, as points on the ellipse.
    const double a1 = qRadiansToDegrees(std::atan2(-(start.y() - c.y()) / ry, (start.x() - c.x()) / rx));
    const double a2 = qRadiansToDegrees(std::atan2(-(end.y() - c.y()) / ry, (end.x() - c.x()) / rx));
    double sweep = a2 - a1;
    if (m_s.arcDirection == AD_COUNTERCLOCKWISE) {
        while (sweep <= 0)
            sweep += 360;
    } else {
        while (sweep >= 0)
            sweep -= 360;
    }
    if (kind == Pie)
        path.moveTo(c);
    else
        path.arcMoveTo(box, a1);
    path.arcTo(box, a1, sweep);
    if (kind != Arc)
        path.closeSubpath();
    return path;
}

void PainterDC::arc(const QRectF& box, QPointF start, QPointF end) {
    emitOpen(arcPath(box, start, end, Arc));
}

void PainterDC::arcTo(const QRectF& box, QPointF start, QPointF end) {
    const QPainterPath a = arcPath(box, start, end, Arc);
    if (a.isEmpty())
        return;
    QPainterPath path(m_s.current);
    path.connectPath(a);
    m_s.current = a.currentPosition();
    if (m_inPath)
        m_path.connectPath(logicalToDevice().map(path));
    else
        emitOpen(path);
}

void PainterDC::chord(const QRectF& box, QPointF start, QPointF end) {
    emitShape(arcPath(box, start, end, Chord), true, true);
}

void PainterDC::pie(const QRectF& box, QPointF start, QPointF end) {
    emitShape(arcPath(box, start, end, Pie), true, true);
}

void PainterDC::angleArc(QPointF c, double radius, double startDeg, double sweepDeg) {
    if (!std::isfinite(radius) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg))
        return;
    const QRectF box(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(m_s.current);
    QPainterPath a;
    a.arcMoveTo(box, startDeg);
    a.arcTo(box, startDeg, std::clamp(sweepDeg, -3600.0, 3600.0));
    path.connectPath(a);
    m_s.current = a.currentPosition();
    if (m_inPath)
        m_path.connectPath(logicalToDevice().map(path));
    else
        emitOpen(path);
}

void PainterDC::fillRect(const QRectF& r, ColorRef color) {
    if (drawingSuppressed())
        return;
    applyLogical();
    m_painter.fillRect(r.normalized(), toQColor(color));
}

void PainterDC::fillWithBrush(const QPainterPath& logical, const DcBrush& brush) {
    if (drawingSuppressed() || brush.style == BS_NULL)
        return;
    applyLogical();
    m_painter.fillPath(logical, makeBrush(brush));
}

void PainterDC::frameWithBrush(const QPainterPath& logical, const DcBrush& brush, QSizeF stroke) {
    if (drawingSuppressed() || brush.style == BS_NULL)
        return;
    QPainterPathStroker stroker;
    stroker.setWidth(std::clamp(std::max(std::abs(stroke.width()), std::abs(stroke.height())), 0.0, 1e6) * 2);
    const QPainterPath ring = stroker.createStroke(logical).intersected(logical);
    applyLogical();
    m_painter.fillPath(ring, makeBrush(brush));
}

void PainterDC::setPixel(QPointF p, ColorRef color) {
    if (drawingSuppressed())
        return;
    fillRect(QRectF(p, QSizeF(devicePixelX(), devicePixelY())), color);
}

// ---- Path brackets ----

void PainterDC::beginPath() {
    m_path.clear();
    m_inPath = true;
}

void PainterDC::abortPath() {
    m_path.clear();
    m_inPath = false;
}

void PainterDC::closeFigure() {
    if (m_inPath)
        m_path.closeSubpath();
}

void PainterDC::fillPath() {
    m_inPath = false;
    if (!drawingSuppressed() && m_s.brush.style != BS_NULL) {
        QPainterPath p = m_path;
        p.setFillRule(m_s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
        applyTransform(m_deviceToPainter);
        if (m_s.brush.style == BS_HATCHED && m_s.bkMode == OPAQUE)
            m_painter.fillPath(p, toQColor(m_s.bkColor));
        m_painter.fillPath(p, makeBrush(m_s.brush));
    }
    m_path.clear();
}

void PainterDC::strokePath() {
    m_inPath = false;
    bool ok = false;
    const QTransform inverse = logicalToDevice().inverted(&ok);
    if (ok && !drawingSuppressed() && (m_s.pen.style & PS_STYLE_MASK) != PS_NULL) {
        applyLogical();
        if (!m_penValid) {
            m_pen = makePen();
            m_penValid = true;
        }
        m_painter.strokePath(inverse.map(m_path), m_pen);
    }
    m_path.clear();
}

void PainterDC::strokeAndFillPath() {
    const QPainterPath keep = m_path;
    fillPath();
    m_path = keep;
    strokePath();
}

void PainterDC::flattenPath() {
    QPainterPath flat;
    for (const QPolygonF& poly : m_path.toSubpathPolygons()) {
        flat.addPolygon(poly);
        if (poly.isClosed())
            flat.closeSubpath();
    }
    m_path = flat;
}

void PainterDC::widenPath() {
    const QTransform t = logicalToDevice();
    const double width = std::max(1.0, m_s.pen.width * std::hypot(t.m11(), t.m12()));
    if (!std::isfinite(width) || width > 1e6)
        return;
    QPainterPathStroker stroker(makePen());
    stroker.setWidth(width);
    m_path = stroker.createStroke(m_path);
}

// ---- Bitmaps ----

void PainterDC::drawImage(const QRectF& dest, const QImage& image, const QRectF& source, std::uint32_t rop) {
    if (image.isNull() || drawingSuppressed() || dest.width() == 0 || dest.height() == 0)
        return;
    applyLogical();
    QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
    const bool rasterOps =
        m_painter.paintEngine() && m_painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    if (rasterOps && rop == kSrcAnd)
        mode = QPainter::RasterOp_SourceAndDestination;
    else if (rasterOps && rop == kSrcPaint)
        mode = QPainter::RasterOp_SourceOrDestination;
    else if (rasterOps && rop == kSrcInvert)
        mode = QPainter::RasterOp_SourceXorDestination;
    else if (rop != kSrcCopy && (rop == kSrcAnd || rop == kSrcPaint || rop == kSrcInvert))
        return; // mask operations without raster support would paint the masks themselves
    // Only the part of the source inside the image is drawn, onto the matching part of dest:
    // the painter must never sample outside the bitmap.
    const QRectF srcIn = source.normalized();
    const QRectF clipped = srcIn.intersected(QRectF(image.rect()));
    if (clipped.isEmpty() || srcIn.width() <= 0 || srcIn.height() <= 0)
        return;
    if (clipped != srcIn) {
        const double sx = dest.width() / srcIn.width(), sy = dest.height() / srcIn.height();
        const QRectF part(dest.x() + (clipped.x() - srcIn.x()) * sx,
                          dest.y() + (clipped.y() - srcIn.y()) * sy, clipped.width() * sx,
                          clipped.height() * sy);
        drawImage(part, image, clipped, rop);
        return;
    }
    // A part of a bitmap is cut out first: under rotations the raster engine may sample beyond
    // a source rectangle that does not cover the whole image.
    const QRect whole = srcIn.toAlignedRect();
    QImage part = whole == image.rect() ? image : image.copy(whole);
    const bool flipX = dest.width() < 0, flipY = dest.height() < 0;
    if (flipX || flipY)
        part = part.mirrored(flipX, flipY);
    QRectF src = srcIn.translated(-whole.topLeft());
    if (flipX)
        src.moveLeft(part.width() - src.right());
    if (flipY)
        src.moveTop(part.height() - src.bottom());
    if (mode != QPainter::CompositionMode_SourceOver)
        m_painter.setCompositionMode(mode);
    // Stretched bitmaps take the nearest pixel unless halftoning is asked for; shrunk ones are
    // smoothed, as a scaled-down page would otherwise lose its thin lines.
    const QRectF onDevice = m_painterTransform.mapRect(dest.normalized());
    const bool shrunk = onDevice.width() < src.width() || onDevice.height() < src.height();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, m_s.stretchBltMode == 4 || shrunk);
    m_painter.drawImage(dest.normalized(), part, src);
    if (mode != QPainter::CompositionMode_SourceOver)
        m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PainterDC::patBlt(const QRectF& dest, std::uint32_t rop) {
    if (drawingSuppressed())
        return;
    QPainterPath p;
    p.addRect(dest.normalized());
    switch (rop) {
    case kPatCopy:
        fillWithBrush(p, m_s.brush);
        break;
    case kBlackness:
        fillRect(dest, 0);
        break;
    case kWhiteness:
        fillRect(dest, rgb(255, 255, 255));
        break;
    case kDstInvert:
        if (m_painter.paintEngine() && m_painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
            applyLogical();
            m_painter.setCompositionMode(QPainter::RasterOp_NotDestination);
            m_painter.fillPath(p, Qt::black);
            m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        break;
    default:
        break;
    }
}

} // namespace vek
