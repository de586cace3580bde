#include "PainterCanvas.h"

#include "DrawText.h"
#include "EmfPlayer.h"
#include "Metafile.h"

namespace vek {

PainterCanvas::PainterCanvas(QPainter& painter, int logPixels)
    : m_logPixels(logPixels)
    , m_dc(painter, painter.transform(), QSizeF(logPixels / 25.4, logPixels / 25.4)) {
    // The canvas contract: text without a background until a mode is set, as the metafile canvas.
    m_dc.setBkMode(TRANSPARENT);
}

void PainterCanvas::selectFont(GdiFontPtr font) {
    m_font = font;
    m_dc.selectFont(std::move(font));
}

void PainterCanvas::selectPen(const LogPen& pen) {
    m_logPen = pen;
    m_dc.selectPen(DcPen{pen.style, double(pen.width), pen.color, {}});
}

void PainterCanvas::selectBrush(const LogBrush& brush) {
    m_logBrush = brush;
    DcBrush b;
    b.style = brush.style;
    b.color = brush.color;
    b.hatch = brush.hatch;
    m_dc.selectBrush(b);
}

void PainterCanvas::polyline(const QList<QPoint>& points) {
    m_points.assign(points.begin(), points.end());
    m_dc.polyline(m_points.data(), qsizetype(m_points.size()));
}

void PainterCanvas::rectangle(const QRect& r) {
    // QRect's right() is inclusive; GDI's right edge is the excluded one after it.
    m_dc.rectangle(QRectF(r.left(), r.top(), r.width(), r.height()));
}

void PainterCanvas::fillRect(const QRect& r, ColorRef color) {
    m_dc.fillRect(QRectF(r.left(), r.top(), r.width(), r.height()), color);
}

void PainterCanvas::extTextOut(int x, int y, unsigned options, const QRect* rect, QStringView text,
                               const int* dx) {
    const double* adv = nullptr;
    if (dx) {
        m_dx.assign(dx, dx + text.size());
        adv = m_dx.data();
    }
    if (!m_font)
        m_dc.selectFont(defaultFont()); // the font DrawText measures with when none is selected
    QRectF r;
    if (rect)
        r = QRectF(rect->left(), rect->top(), rect->width(), rect->height());
    m_dc.extTextOut(QPointF(x, y), options, rect ? &r : nullptr, text, adv, false, false);
}

void PainterCanvas::stretchDraw(const QRect& r, const TMetafile& picture) {
    QPainter& p = m_dc.painter();
    p.save();
    p.setTransform(m_dc.logicalToDevice() * m_dc.deviceToPainter());
    playEmf(p, QRectF(r.left(), r.top(), r.width(), r.height()), picture);
    p.restore();
    m_dc.invalidatePainter();
}

void PainterCanvas::stretchImage(const QRect& r, const QImage& image) {
    m_dc.drawImage(QRectF(r.left(), r.top(), r.width(), r.height()), image, QRectF(image.rect()), 0x00CC0020);
}

int PainterCanvas::saveDC() {
    m_saved.save(Saved{m_font, m_logPen, m_logBrush});
    return m_dc.saveDC();
}

void PainterCanvas::restoreDC(int level) {
    Saved s;
    if (!m_saved.restore(level, s))
        return;
    m_font = s.font;
    m_logPen = s.pen;
    m_logBrush = s.brush;
    m_dc.restoreDC(level);
}

void PainterCanvas::intersectClipRect(const QRect& r) {
    m_dc.intersectClipRect(QRectF(r.left(), r.top(), r.width(), r.height()));
}

} // namespace vek
