// PainterDC: ExtTextOut. Text is drawn as glyph runs at the positions the advances give, so it
// lands where GDI put it whatever the scale.
#include "PainterCanvas.h"

#include <QGlyphRun>
#include <QPainterPath>
#include <cmath>

namespace vek {
namespace {

constexpr double kMaxDeviceEm = 20000; // larger text is no text: skip it rather than rasterise it
constexpr double kMaxGlyphAspect = 16; // glyphs stretched further are drawn as outlines

} // namespace

void PainterDC::extTextOut(QPointF ref, unsigned options, const QRectF* rect, QStringView text,
                           const double* advances, bool pdy, bool advancedMode) {
    const GdiFontPtr font = currentFont();
    if (rect && (options & ETO_OPAQUE) && !m_inPath)
        fillRect(*rect, m_s.bkColor);
    const qsizetype n = text.size();
    if (n == 0 || m_inPath || drawingSuppressed())
        return;
    if (m_s.textAlign & TA_UPDATECP)
        ref = m_s.current;

    // Advances along the baseline (and across it with pdy), logical units.
    m_advances.resize(std::size_t(n) * 2);
    if (advances) {
        for (qsizetype i = 0; i < n; ++i) {
            m_advances[2 * i] = advances[pdy ? 2 * i : i];
            m_advances[2 * i + 1] = pdy ? advances[2 * i + 1] : 0;
        }
    } else {
        for (qsizetype i = 0; i < n; ++i) {
            m_advances[2 * i] = font->advance(text[i].unicode());
            m_advances[2 * i + 1] = 0;
        }
    }
    double total = 0, totalY = 0;
    for (qsizetype i = 0; i < n; ++i) {
        total += m_advances[2 * i];
        totalY += m_advances[2 * i + 1];
    }
    if (m_s.textAlign & TA_UPDATECP) {
        if ((m_s.textAlign & TA_HORZ_MASK) == 0)
            m_s.current = QPointF(ref.x() + total, ref.y() - totalY);
    }
    double x0 = 0;
    switch (m_s.textAlign & TA_HORZ_MASK) {
    case TA_RIGHT:
        x0 = -total;
        break;
    case TA_CENTER:
        x0 = -total / 2;
        break;
    default:
        break;
    }
    double baseline = font->ascent();
    if ((m_s.textAlign & TA_VERT_MASK) == TA_BASELINE)
        baseline = 0;
    else if ((m_s.textAlign & TA_VERT_MASK) == TA_BOTTOM)
        baseline = -font->descent();

    // Text space: origin at the reference point, x along the baseline, y down, units such that
    // the font's em is its logical height. Without the advanced graphics mode GDI keeps text
    // upright and unmirrored whatever the mapping, and scales it by the vertical scale only.
    const QTransform m = logicalToDevice();
    const double stretch = font->stretchFactor() > 0 ? font->stretchFactor() : 1;
    double posScaleX = 1 / stretch;
    QTransform textToDevice;
    const bool axisAligned = m.m12() == 0 && m.m21() == 0;
    if (!advancedMode && axisAligned) {
        const double sx = std::abs(m.m11()), sy = std::abs(m.m22());
        if (sx == 0 || sy == 0)
            return;
        const QPointF d = m.map(ref);
        textToDevice.translate(d.x(), d.y());
        textToDevice.rotate(-font->escapementDegrees());
        textToDevice.scale(sy * stretch, sy);
        posScaleX = sx / (sy * stretch);
    } else {
        textToDevice.translate(ref.x(), ref.y());
        textToDevice.rotate(-font->escapementDegrees());
        textToDevice.scale(stretch, 1);
        textToDevice = textToDevice * m;
    }
    applyTransform(textToDevice * m_deviceToPainter);
    // FreeType can fail to rasterise a glyph squeezed far out of proportion (seen from about
    // 128:1), and Qt then copies from a null bitmap; such text is filled as outlines instead,
    // and text too large is skipped. The glyph's largest and (at most) smallest extent on the
    // device: the norm of the linear part bounds its largest singular value, the determinant
    // over it the smallest.
    const QTransform dt = m_painter.deviceTransform();
    const double norm =
        std::sqrt(dt.m11() * dt.m11() + dt.m12() * dt.m12() + dt.m21() * dt.m21() + dt.m22() * dt.m22());
    const double emMax = font->emSize() * norm;
    const double emMin = norm > 0 ? font->emSize() * std::abs(dt.determinant()) / norm : 0;
    if (!(emMax > 0 && emMax <= kMaxDeviceEm))
        return;
    const bool asOutlines = emMax > kMaxGlyphAspect * emMin;

    if (m_s.bkMode == OPAQUE) {
        const QRectF cell(x0 * posScaleX, baseline - font->ascent(), total * posScaleX, font->height());
        m_painter.fillRect(cell.normalized(), toQColor(m_s.bkColor));
    }

    const QRawFont& raw = font->rawFont();
    m_glyphs.resize(std::size_t(n));
    int glyphCount = int(n);
    if (options & ETO_GLYPH_INDEX) {
        for (qsizetype i = 0; i < n; ++i)
            m_glyphs[i] = text[i].unicode();
    } else if (!raw.glyphIndexesForChars(text.data(), int(n), m_glyphs.data(), &glyphCount)) {
        return;
    }
    // Surrogate pairs give one glyph for two characters; their advances were given as (a, 0).
    m_positions.resize(std::size_t(n));
    double x = x0, y = baseline;
    qsizetype g = 0;
    for (qsizetype i = 0; i < n && g < glyphCount; ++i, ++g) {
        m_positions[g] = QPointF(x * posScaleX, y);
        x += m_advances[2 * i];
        y -= m_advances[2 * i + 1];
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate() &&
            !(options & ETO_GLYPH_INDEX)) {
            ++i;
            x += m_advances[2 * i];
            y -= m_advances[2 * i + 1];
        }
    }

    const bool clipped = rect && (options & ETO_CLIPPED);
    if (clipped) {
        applyLogical();
        m_painter.setClipRect(rect->normalized(),
                              m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        applyTransform(textToDevice * m_deviceToPainter);
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setRawData(m_glyphs.data(), m_positions.data(), int(g));
    run.setUnderline(font->logFont().underline != 0);
    run.setStrikeOut(font->logFont().strikeOut != 0);
    if (asOutlines) {
        QPainterPath outlines;
        for (qsizetype i = 0; i < g; ++i)
            outlines.addPath(raw.pathForGlyph(m_glyphs[i]).translated(m_positions[i]));
        m_painter.fillPath(outlines, toQColor(m_s.textColor));
    } else {
        m_painter.setPen(toQColor(m_s.textColor));
        m_painter.drawGlyphRun(QPointF(0, 0), run);
    }
    if (clipped)
        applyClip();
}

} // namespace vek
