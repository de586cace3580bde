// PainterDC: the painter it paints on, pens and brushes as Qt draws them, the clip on the painter.
#include "PainterCanvas.h"

#include <QPaintEngine>
#include <cmath>

namespace vek {

PainterDC::PainterDC(QPainter& painter, const QTransform& deviceToPainter, QSizeF devicePixelsPerMm)
    : DcModel(devicePixelsPerMm)
    , m_painter(painter)
    , m_deviceToPainter(deviceToPainter) {
    const QPaintEngine* engine = painter.paintEngine();
    m_batchText = engine && engine->type() == QPaintEngine::Pdf;
    m_painter.save();
    if (m_painter.hasClipping())
        m_outerClip = m_painter.transform().map(m_painter.clipPath());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    m_painter.setBrush(Qt::NoBrush);
}

PainterDC::~PainterDC() {
    flushText();
    m_painter.restore();
}

void PainterDC::invalidatePainter() {
    flushText();
    m_transformValid = false;
    m_penValid = false;
}

// ---- Pens and brushes ----

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
    flushText();
    if (m_transformValid && m_painterTransform == t)
        return;
    m_painterTransform = t;
    m_transformValid = true;
    m_painter.setTransform(t);
}

void PainterDC::applyClip() {
    flushText();
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

void PainterDC::selectClipPath(int mode) {
    QPainterPath path = m_path;
    path.setFillRule(m_s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    m_path.clear();
    m_inPath = false;
    combineClip(path, mode);
}

} // namespace vek
