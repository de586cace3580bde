// PainterDC: ExtTextOut. Text is drawn as glyph runs at the positions the advances give, so it
// lands where GDI put it whatever the scale. On a PDF engine, upright text without clipping or
// decorations is gathered into one run per font, colour and scale (TextBatch).
#include "PainterCanvas.h"
#include "TextPlacement.h"

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
    textAdvances(*font, text, advances, pdy, m_advances);
    const QPointF sum = advanceSum(m_advances);
    ref = textReference(ref, sum.x(), sum.y());
    const TextPlacement place =
        placeText(logicalToDevice(), *font, m_s.textAlign, ref, m_advances, advancedMode);
    if (!place.valid)
        return;
    const QTransform& textToDevice = place.textToDevice;
    const QTransform textToPainter = textToDevice * m_deviceToPainter;
    const bool clipped = rect && (options & ETO_CLIPPED);
    const LogFont& lf = font->logFont();
    const bool batched =
        !clipped && m_s.bkMode != OPAQUE && !lf.underline && !lf.strikeOut && canBatchText(textToPainter);
    if (!batched)
        applyTransform(textToPainter);
    // FreeType can fail to rasterise a glyph squeezed far out of proportion (seen from about
    // 128:1), and Qt then copies from a null bitmap; such text is filled as outlines instead,
    // and text too large is skipped. The glyph's largest and (at most) smallest extent on the
    // device: the norm of the linear part bounds its largest singular value, the determinant
    // over it the smallest. (A batch's painter has no view transform.)
    const QTransform dt = batched ? textToPainter : m_painter.deviceTransform();
    const double norm =
        std::sqrt(dt.m11() * dt.m11() + dt.m12() * dt.m12() + dt.m21() * dt.m21() + dt.m22() * dt.m22());
    const double emMax = font->emSize() * norm;
    const double emMin = norm > 0 ? font->emSize() * std::abs(dt.determinant()) / norm : 0;
    if (!(emMax > 0 && emMax <= kMaxDeviceEm))
        return;
    const bool asOutlines = emMax > kMaxGlyphAspect * emMin;

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
    double x = place.x0, y = place.baseline;
    qsizetype g = 0;
    for (qsizetype i = 0; i < n && g < glyphCount; ++i, ++g) {
        m_positions[g] = QPointF(x * place.posScaleX, y);
        x += m_advances[2 * i];
        y -= m_advances[2 * i + 1];
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate() &&
            !(options & ETO_GLYPH_INDEX)) {
            ++i;
            x += m_advances[2 * i];
            y -= m_advances[2 * i + 1];
        }
    }

    if (batched && !asOutlines) {
        batchText(font, textToPainter, g);
        return;
    }
    if (batched)
        applyTransform(textToPainter);
    if (m_s.bkMode == OPAQUE)
        m_painter.fillRect(place.cell(*font, 0, 0, place.total), toQColor(m_s.bkColor));
    if (clipped) {
        applyLogical();
        m_painter.setClipRect(rect->normalized(),
                              m_painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        applyTransform(textToDevice * m_deviceToPainter);
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setRawData(m_glyphs.data(), m_positions.data(), int(g));
    run.setUnderline(lf.underline != 0);
    run.setStrikeOut(lf.strikeOut != 0);
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

bool PainterDC::canBatchText(const QTransform& t) const {
    // Upright, unmirrored text only: its transform splits into a scale for the glyphs and a
    // translation that moves into their positions.
    return m_batchText && t.m12() == 0 && t.m21() == 0 && t.m11() > 0 && t.m22() > 0 &&
           !m_painter.viewTransformEnabled();
}

void PainterDC::batchText(const GdiFontPtr& font, const QTransform& t, qsizetype count) {
    const QTransform scale = QTransform::fromScale(t.m11(), t.m22());
    if (!m_batch.glyphs.empty() &&
        (m_batch.font != font || m_batch.scale != scale || m_batch.color != m_s.textColor))
        flushText();
    if (m_batch.glyphs.empty()) {
        m_batch.font = font;
        m_batch.scale = scale;
        m_batch.color = m_s.textColor;
    }
    // The offset is kept to the 1/64 unit glyph positions are held in, so that the steps between
    // glyphs stay what the advances make them.
    const QPointF offset(std::round(t.dx() / t.m11() * 64) / 64, std::round(t.dy() / t.m22() * 64) / 64);
    for (qsizetype i = 0; i < count; ++i) {
        m_batch.glyphs.push_back(m_glyphs[size_t(i)]);
        m_batch.positions.push_back(m_positions[size_t(i)] + offset);
    }
}

void PainterDC::flushText() {
    if (m_batch.glyphs.empty())
        return;
    m_painterTransform = m_batch.scale;
    m_transformValid = true;
    m_painter.setTransform(m_batch.scale);
    m_painter.setPen(toQColor(m_batch.color));
    QGlyphRun run;
    run.setRawFont(m_batch.font->rawFont());
    run.setRawData(m_batch.glyphs.data(), m_batch.positions.data(), int(m_batch.glyphs.size()));
    m_painter.drawGlyphRun(QPointF(0, 0), run);
    m_batch.glyphs.clear();
    m_batch.positions.clear();
    m_batch.font.reset();
}

} // namespace vek
