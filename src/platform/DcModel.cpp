#include "DcModel.h"

#include <cmath>

namespace vek {
namespace {

constexpr double kHuge = 1e7; // stands for "everywhere" in clip arithmetic

QPainterPath everywhere() {
    QPainterPath p;
    p.addRect(QRectF(-kHuge, -kHuge, 2 * kHuge, 2 * kHuge));
    return p;
}

bool axisAligned(const QTransform& t) {
    return t.m12() == 0 && t.m21() == 0 && t.type() <= QTransform::TxScale;
}

} // namespace

DcModel::DcModel(QSizeF devicePixelsPerMm) {
    m_s.map = DcMapping(devicePixelsPerMm);
}

void DcModel::restoreDC(int level) {
    if (!m_saved.restore(level, m_s))
        return;
    penChanged();
    clipChanged();
}

void DcModel::selectPen(const DcPen& pen) {
    m_s.pen = pen;
    penChanged();
}

GdiFontPtr DcModel::currentFont() {
    if (!m_s.font) {
        LogFont lf;
        lf.height = 16;
        lf.faceName = QStringLiteral("System");
        m_s.font = GdiFont::get(lf);
    }
    return m_s.font;
}

QPointF DcModel::textReference(QPointF ref, double total, double totalY) {
    if (!(m_s.textAlign & TA_UPDATECP))
        return ref;
    ref = m_s.current;
    if ((m_s.textAlign & TA_HORZ_MASK) == 0)
        m_s.current = QPointF(ref.x() + total, ref.y() - totalY);
    return ref;
}

// ---- Clipping ----

void DcModel::intersectClipRect(const QRectF& r) {
    const QTransform t = logicalToDevice();
    const QRectF n = r.normalized();
    if (axisAligned(t) && (!m_s.clip || m_s.clipRect)) {
        const QRectF dev = t.mapRect(n);
        const QRectF result = m_s.clipRect ? m_s.clipRect->intersected(dev) : dev;
        QPainterPath p;
        p.addRect(result);
        m_s.clip = p;
        m_s.clipRect = result;
        clipChanged();
        return;
    }
    QPainterPath p;
    p.addRect(n);
    combineClip(t.map(p), RGN_AND);
}

void DcModel::excludeClipRect(const QRectF& r) {
    QPainterPath p;
    p.addRect(r.normalized());
    combineClip(logicalToDevice().map(p), RGN_DIFF);
}

void DcModel::combineClip(const QPainterPath& region, int mode) {
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
    clipChanged();
}

void DcModel::resetClip() {
    m_s.clip.reset();
    m_s.clipRect.reset();
    clipChanged();
}

void DcModel::offsetClip(QPointF logicalOffset) {
    if (!m_s.clip)
        return;
    const QTransform t = logicalToDevice();
    const QPointF d = t.map(logicalOffset) - t.map(QPointF(0, 0));
    m_s.clip->translate(d);
    if (m_s.clipRect)
        m_s.clipRect->translate(d);
    clipChanged();
}

std::optional<QRectF> DcModel::clipBounds() const {
    if (m_s.clipRect)
        return m_s.clipRect->normalized();
    if (m_s.clip)
        return m_s.clip->boundingRect();
    return std::nullopt;
}

} // namespace vek
