// PainterDC: device-context state, mapping, objects and clipping.
#include "PainterCanvas.h"

#include <cmath>

namespace vek {
namespace {

constexpr std::size_t kMaxSavedStates = 1024;
constexpr double kHuge = 1e7; // stands for "everywhere" in clip arithmetic

// Logical units per millimetre of the fixed mapping modes.
double unitsPerMm(int mode) {
    switch (mode) {
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
        return 10;
    case MM_HIMETRIC:
        return 100;
    case MM_LOENGLISH:
        return 100 / 25.4;
    case MM_HIENGLISH:
        return 1000 / 25.4;
    case MM_TWIPS:
        return 1440 / 25.4;
    default:
        return 0;
    }
}

bool finiteTransform(const QTransform& t) {
    const double v[] = {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()};
    for (double x : v) {
        if (!std::isfinite(x) || std::abs(x) > 1e12)
            return false;
    }
    return true;
}

QPainterPath everywhere() {
    QPainterPath p;
    p.addRect(QRectF(-kHuge, -kHuge, 2 * kHuge, 2 * kHuge));
    return p;
}

bool axisAligned(const QTransform& t) {
    return t.m12() == 0 && t.m21() == 0 && t.type() <= QTransform::TxScale;
}

} // namespace

PainterDC::PainterDC(QPainter& painter, const QTransform& deviceToPainter, QSizeF devicePixelsPerMm)
    : m_painter(painter)
    , m_deviceToPainter(deviceToPainter)
    , m_pixelsPerMm(devicePixelsPerMm) {
    if (!(m_pixelsPerMm.width() > 0) || !(m_pixelsPerMm.height() > 0))
        m_pixelsPerMm = QSizeF(96 / 25.4, 96 / 25.4);
    m_painter.save();
    if (m_painter.hasClipping())
        m_outerClip = m_painter.transform().map(m_painter.clipPath());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setBrush(Qt::NoBrush);
    updateMapping();
}

PainterDC::~PainterDC() {
    m_painter.restore();
}

void PainterDC::invalidatePainter() {
    m_transformValid = false;
    m_penValid = false;
}

// ---- Mapping ----

void PainterDC::updateMapping() {
    double sx = 1, sy = 1;
    const int mode = m_s.mapMode;
    if (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC) {
        const double wx = m_s.windowExt.width(), wy = m_s.windowExt.height();
        sx = wx != 0 ? m_s.viewportExt.width() / wx : 1;
        sy = wy != 0 ? m_s.viewportExt.height() / wy : 1;
        if (mode == MM_ISOTROPIC) {
            // Both axes take the smaller scale, each keeping its own direction.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    } else if (mode != MM_TEXT) {
        const double u = unitsPerMm(mode);
        sx = m_pixelsPerMm.width() / u;
        sy = -m_pixelsPerMm.height() / u;
    }
    m_page = QTransform(sx, 0, 0, sy, m_s.viewportOrg.x() - m_s.windowOrg.x() * sx,
                        m_s.viewportOrg.y() - m_s.windowOrg.y() * sy);
    m_transformValid = false;
}

void PainterDC::setMapMode(int mode) {
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    m_s.mapMode = mode;
    if (mode == MM_TEXT) {
        m_s.windowExt = m_s.viewportExt = QSizeF(1, 1);
    } else if (mode != MM_ANISOTROPIC) {
        // Fixed modes, and the isotropic mode (which starts from the metric ones), set extents
        // that an anisotropic mode selected later keeps.
        const double u = unitsPerMm(mode);
        m_s.windowExt = QSizeF(u, u);
        m_s.viewportExt = QSizeF(m_pixelsPerMm.width(), -m_pixelsPerMm.height());
    }
    updateMapping();
}

void PainterDC::setWindowOrg(QPointF p) {
    m_s.windowOrg = p;
    updateMapping();
}

void PainterDC::setViewportOrg(QPointF p) {
    m_s.viewportOrg = p;
    updateMapping();
}

void PainterDC::setWindowExt(QSizeF s) {
    if ((m_s.mapMode != MM_ISOTROPIC && m_s.mapMode != MM_ANISOTROPIC) || s.width() == 0 || s.height() == 0)
        return;
    m_s.windowExt = s;
    updateMapping();
}

void PainterDC::setViewportExt(QSizeF s) {
    if ((m_s.mapMode != MM_ISOTROPIC && m_s.mapMode != MM_ANISOTROPIC) || s.width() == 0 || s.height() == 0)
        return;
    m_s.viewportExt = s;
    updateMapping();
}

void PainterDC::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return;
    setWindowExt(QSizeF(m_s.windowExt.width() * xNum / xDenom, m_s.windowExt.height() * yNum / yDenom));
}

void PainterDC::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return;
    setViewportExt(QSizeF(m_s.viewportExt.width() * xNum / xDenom, m_s.viewportExt.height() * yNum / yDenom));
}

void PainterDC::setWorldTransform(const QTransform& t) {
    if (!finiteTransform(t) || !t.isInvertible())
        return;
    m_s.world = t;
    m_transformValid = false;
}

void PainterDC::modifyWorldTransform(const QTransform& t, int mode) {
    switch (mode) {
    case 1:
        m_s.world = QTransform();
        break;
    case 2: // the new transform is applied first
        setWorldTransform(t * m_s.world);
        break;
    case 3:
        setWorldTransform(m_s.world * t);
        break;
    case 4:
        setWorldTransform(t);
        break;
    default:
        break;
    }
    m_transformValid = false;
}

QTransform PainterDC::logicalToDevice() const {
    return m_s.world * m_page;
}

int PainterDC::saveDC() {
    if (m_saved.size() >= kMaxSavedStates)
        return int(m_saved.size());
    m_saved.push_back(m_s);
    return int(m_saved.size());
}

void PainterDC::restoreDC(int level) {
    // Negative: relative to the current level; positive: an absolute level returned by saveDC.
    const qint64 n = qint64(m_saved.size());
    const qint64 target = level < 0 ? n + level : qint64(level) - 1;
    if (target < 0 || target >= n)
        return;
    m_s = m_saved[std::size_t(target)];
    m_saved.resize(std::size_t(target));
    updateMapping();
    m_penValid = false;
    applyClip();
}

// ---- Objects ----

void PainterDC::selectPen(const DcPen& pen) {
    m_s.pen = pen;
    m_penValid = false;
}

void PainterDC::selectBrush(const DcBrush& brush) {
    m_s.brush = brush;
}

void PainterDC::selectFont(GdiFontPtr font) {
    m_s.font = std::move(font);
}

GdiFontPtr PainterDC::currentFont() {
    if (!m_s.font) {
        LogFont lf;
        lf.height = 16;
        lf.faceName = QStringLiteral("System");
        m_s.font = GdiFont::get(lf);
    }
    return m_s.font;
}

QPen PainterDC::makePen() const {
    const DcPen& p = m_s.pen;
    const std::uint32_t style = p.style & PS_STYLE_MASK;
    if (style == PS_NULL)
        return Qt::NoPen;
    QPen pen(toQColor(p.color));
    const bool geometric = (p.style & PS_GEOMETRIC) || p.width > 1;
    if (geometric) {
        pen.setWidthF(p.width);
        switch (p.style & PS_ENDCAP_MASK) {
        case PS_ENDCAP_SQUARE:
            pen.setCapStyle(Qt::SquareCap);
            break;
        case PS_ENDCAP_FLAT:
            pen.setCapStyle(Qt::FlatCap);
            break;
        default:
            pen.setCapStyle(Qt::RoundCap);
        }
        switch (p.style & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case PS_JOIN_MITER:
            pen.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
        }
    } else {
        pen.setWidth(0);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
    }
    QList<qreal> dashes;
    switch (style) {
    case PS_DASH:
        dashes = geometric ? QList<qreal>{3, 1} : QList<qreal>{18, 6};
        break;
    case PS_DOT:
        dashes = geometric ? QList<qreal>{1, 1} : QList<qreal>{3, 3};
        break;
    case PS_DASHDOT:
        dashes = geometric ? QList<qreal>{3, 1, 1, 1} : QList<qreal>{9, 6, 3, 6};
        break;
    case PS_DASHDOTDOT:
        dashes = geometric ? QList<qreal>{3, 1, 1, 1, 1, 1} : QList<qreal>{9, 3, 3, 3, 3, 3};
        break;
    case PS_ALTERNATE:
        dashes = {1, 1};
        break;
    case PS_USERSTYLE:
        for (double d : p.dashes)
            dashes.append(std::clamp(std::isfinite(d) ? d : 1.0, 0.01, 1e4));
        if (dashes.size() % 2)
            dashes.append(dashes); // an odd pattern repeats with dash and gap exchanged
        break;
    default:
        break;
    }
    if (!dashes.isEmpty()) {
        if (geometric && pen.capStyle() != Qt::FlatCap)
            pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(dashes);
    }
    return pen;
}

QBrush PainterDC::makeBrush(const DcBrush& b) const {
    switch (b.style) {
    case BS_SOLID:
        return QBrush(toQColor(b.color));
    case BS_HATCHED: {
        static constexpr Qt::BrushStyle kHatch[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                    Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(toQColor(b.color), b.hatch < 6 ? kHatch[b.hatch] : Qt::SolidPattern);
    }
    case 3:
    case 5:
    case 6:
        if (b.pattern.isNull())
            return QBrush(toQColor(b.color));
        if (b.monoPattern) {
            QImage img = b.pattern.convertToFormat(QImage::Format_Indexed8);
            if (img.colorCount() >= 2) {
                img.setColor(0, toQColor(m_s.textColor).rgb());
                img.setColor(1, toQColor(m_s.bkColor).rgb());
            }
            return QBrush(img);
        }
        return QBrush(b.pattern);
    default:
        return Qt::NoBrush;
    }
}

// ---- Painter state ----

void PainterDC::applyTransform(const QTransform& t) {
    if (m_transformValid && m_painterTransform == t)
        return;
    m_painterTransform = t;
    m_transformValid = true;
    m_painter.setTransform(t);
}

void PainterDC::applyClip() {
    m_transformValid = false;
    m_painter.setTransform(QTransform());
    if (m_outerClip)
        m_painter.setClipPath(*m_outerClip, Qt::ReplaceClip);
    else
        m_painter.setClipping(false);
    if (!m_s.clip)
        return;
    m_painter.setTransform(m_deviceToPainter);
    const Qt::ClipOperation op = m_outerClip ? Qt::IntersectClip : Qt::ReplaceClip;
    if (m_s.clipRect)
        m_painter.setClipRect(*m_s.clipRect, op);
    else
        m_painter.setClipPath(*m_s.clip, op);
}

// ---- Clipping ----

void PainterDC::intersectClipRect(const QRectF& r) {
    const QTransform t = logicalToDevice();
    const QRectF n = r.normalized();
    if (axisAligned(t) && (!m_s.clip || m_s.clipRect)) {
        const QRectF dev = t.mapRect(n);
        const QRectF result = m_s.clipRect ? m_s.clipRect->intersected(dev) : dev;
        QPainterPath p;
        p.addRect(result);
        m_s.clip = p;
        m_s.clipRect = result;
        applyClip();
        return;
    }
    QPainterPath p;
    p.addRect(n);
    combineClip(t.map(p), RGN_AND);
}

void PainterDC::excludeClipRect(const QRectF& r) {
    QPainterPath p;
    p.addRect(r.normalized());
    combineClip(logicalToDevice().map(p), RGN_DIFF);
}

void PainterDC::combineClip(const QPainterPath& region, int mode) {
    const QPainterPath current = m_s.clip ? *m_s.clip : everywhere();
    QPainterPath result;
    switch (mode) {
    case RGN_AND:
        result = current.intersected(region);
        break;
    case RGN_OR:
        result = current.united(region);
        break;
    case RGN_XOR:
        result = current.subtracted(region).united(region.subtracted(current));
        break;
    case RGN_DIFF:
        result = current.subtracted(region);
        break;
    case RGN_COPY:
        result = region;
        break;
    default:
        return;
    }
    m_s.clip = result;
    m_s.clipRect.reset();
    applyClip();
}

void PainterDC::resetClip() {
    m_s.clip.reset();
    m_s.clipRect.reset();
    applyClip();
}

void PainterDC::offsetClip(QPointF logicalOffset) {
    if (!m_s.clip)
        return;
    const QTransform t = logicalToDevice();
    const QPointF d = t.map(logicalOffset) - t.map(QPointF(0, 0));
    m_s.clip->translate(d);
    if (m_s.clipRect)
        m_s.clipRect->translate(d);
    applyClip();
}

void PainterDC::selectClipPath(int mode) {
    QPainterPath path = m_path;
    path.setFillRule(m_s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    m_path.clear();
    m_inPath = false;
    combineClip(path, mode);
}

} // namespace vek
