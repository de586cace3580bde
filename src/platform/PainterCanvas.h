#pragma once
// Drawing with GDI semantics straight onto a QPainter.
//
// PainterDC is the device-context state (DcModel: mapping, world transform, selected objects,
// colours, text alignment, clipping, the current position, SaveDC/RestoreDC) that also paints:
// it turns GDI calls in logical units into QPainter calls, and keeps path brackets. The EMF player replays
// records through it and PainterCanvas draws through it directly, so a page drawn directly and a page
// recorded and played back give the same pixels.
//
// Coordinates: logical units --(world, then window/viewport)--> device units --(device transform
// given at construction)--> the painter's own coordinates.

#include "DcModel.h"
#include "GdiCanvas.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <optional>
#include <vector>

namespace vek {

class PainterDC : public DcModel {
public:
    // devicePixelsPerMm: resolution of the device units, for the metric mapping modes.
    // The painter is saved here and restored by the destructor.
    PainterDC(QPainter& painter, const QTransform& deviceToPainter, QSizeF devicePixelsPerMm);
    ~PainterDC() override;

    // The painter, with all text drawn so far on it (someone else is about to paint).
    QPainter& painter() {
        flushText();
        return m_painter;
    }
    const QTransform& deviceToPainter() const { return m_deviceToPainter; }

    // The path of the bracket just closed becomes the clip (combined by mode).
    void selectClipPath(int mode);

    // Lines and shapes, logical units. Rectangles as GDI gives them: right and bottom excluded.
    void moveTo(QPointF p) override;
    void lineTo(QPointF p);
    void polyline(const QPointF* pts, qsizetype n);
    void polylineTo(const QPointF* pts, qsizetype n);
    void polyBezier(const QPointF* pts, qsizetype n);
    void polyBezierTo(const QPointF* pts, qsizetype n);
    // types: PT_MOVETO 6, PT_LINETO 2, PT_BEZIERTO 4, optionally | PT_CLOSEFIGURE 1.
    void polyDraw(const QPointF* pts, const std::uint8_t* types, qsizetype n);
    void polygon(const QPointF* pts, qsizetype n);
    // counts: number of points of each polygon; their sum must not exceed the points given.
    void polyPolygon(const QPointF* pts, const std::uint32_t* counts, qsizetype polys);
    void polyPolyline(const QPointF* pts, const std::uint32_t* counts, qsizetype polys);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, QSizeF corner);
    void ellipse(const QRectF& r);
    void arc(const QRectF& box, QPointF start, QPointF end);
    void arcTo(const QRectF& box, QPointF start, QPointF end);
    void chord(const QRectF& box, QPointF start, QPointF end);
    void pie(const QRectF& box, QPointF start, QPointF end);
    void angleArc(QPointF center, double radius, double startDeg, double sweepDeg);
    void fillRect(const QRectF& r, ColorRef color);
    void fillWithBrush(const QPainterPath& logical, const DcBrush& brush);
    void frameWithBrush(const QPainterPath& logical, const DcBrush& brush, QSizeF stroke);
    void setPixel(QPointF p, ColorRef color);

    // Path brackets.
    void beginPath();
    void endPath() { m_inPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath();
    void strokePath();
    void strokeAndFillPath();
    void flattenPath();
    void widenPath();

    // ExtTextOut. advances: one advance per character (two, x and y, with pdy), logical units,
    // or null for the font's own. rect is used by ETO_OPAQUE / ETO_CLIPPED. advancedMode draws
    // the text through the whole world transform, mirrored axes included.
    void extTextOut(QPointF ref, unsigned options, const QRectF* rect, QStringView text,
                    const double* advances, bool pdy, bool advancedMode);

    // A bitmap stretched into a logical rectangle (negative sizes mirror), the source rectangle in
    // image pixels. rop: a ternary raster operation; sources with alpha blend over.
    void drawImage(const QRectF& dest, const QImage& image, const QRectF& source, std::uint32_t rop);
    // A blit without source: PATCOPY, BLACKNESS, WHITENESS, DSTINVERT.
    void patBlt(const QRectF& dest, std::uint32_t rop);

    // Sets the painter to logical units, for drawing outside the calls above.
    void applyLogical() { applyTransform(logicalToPainter()); }
    // Forces the painter's state to be set again before the next drawing (after someone else has
    // painted on the painter).
    void invalidatePainter();

protected:
    void clipChanged() override { applyClip(); }
    void penChanged() override { m_penValid = false; }

private:
    // Text on a PDF engine is gathered into one glyph run per font, colour and scale, drawn when
    // anything else is painted or the state of the painter changes: the engine writes every call
    // with its own graphics state, and a page of short fields would be mostly state.
    struct TextBatch {
        GdiFontPtr font;  // whose raw font the glyphs index
        QTransform scale; // the painter's transform for the run: scale only
        ColorRef color = 0;
        std::vector<quint32> glyphs;
        std::vector<QPointF> positions; // in the scaled space, translation included
    };
    // Whether text with this transform may join the batch.
    bool canBatchText(const QTransform& textToPainter) const;
    // Adds the first count glyphs of m_glyphs at m_positions (text space) to the batch.
    void batchText(const GdiFontPtr& font, const QTransform& textToPainter, qsizetype count);
    void flushText();

    void applyTransform(const QTransform& t);
    QTransform logicalToPainter() const { return logicalToDevice() * m_deviceToPainter; }
    void applyClip();
    QPen makePen() const;
    QBrush makeBrush(const DcBrush& b) const;
    // Draws or, inside a path bracket, records a figure in logical units.
    void emitShape(const QPainterPath& path, bool fill, bool stroke);
    void emitOpen(const QPainterPath& path) { emitShape(path, false, true); }
    double devicePixelX() const;
    double devicePixelY() const;
    QPainterPath arcPath(const QRectF& box, QPointF start, QPointF end, int kind) const;
    bool drawingSuppressed() const { return m_s.rop2 == 11; } // R2_NOP

    QPainter& m_painter;
    QTransform m_deviceToPainter;
    // What the painter has now.
    QTransform m_painterTransform;
    bool m_transformValid = false;
    bool m_penValid = false;
    QPen m_pen;
    // The painter's own clip when the drawing began, in painter device coordinates.
    std::optional<QPainterPath> m_outerClip;
    // Path bracket, device units.
    bool m_inPath = false;
    QPainterPath m_path;
    bool m_batchText = false; // the painter writes a PDF
    TextBatch m_batch;
    // Reused buffers for text.
    std::vector<quint32> m_glyphs;
    std::vector<QPointF> m_positions;
    std::vector<double> m_advances;
};

// The GDI canvas painting onto a QPainter. Logical units are the painter's coordinates at
// construction. It starts as the metafile canvas does: transparent background mode, black text,
// a black cosmetic pen, a white brush. The painter must outlive the canvas; its state is restored when the
// canvas dies.
class PainterCanvas : public GdiCanvas {
public:
    explicit PainterCanvas(QPainter& painter, int logPixels = 96);

    PainterDC& dc() { return m_dc; }

    int logPixelsX() const override { return m_logPixels; }
    int logPixelsY() const override { return m_logPixels; }
    void selectFont(GdiFontPtr font) override;
    GdiFontPtr font() const override { return m_font; }
    void selectPen(const LogPen& pen) override;
    LogPen pen() const override { return m_logPen; }
    void selectBrush(const LogBrush& brush) override;
    LogBrush brush() const override { return m_logBrush; }
    void setTextColor(ColorRef color) override { m_dc.setTextColor(color); }
    ColorRef textColor() const override { return m_dc.state().textColor; }
    void setBkMode(int mode) override { m_dc.setBkMode(mode); }
    void setBkColor(ColorRef color) override { m_dc.setBkColor(color); }
    void moveTo(int x, int y) override { m_dc.moveTo(QPointF(x, y)); }
    void lineTo(int x, int y) override { m_dc.lineTo(QPointF(x, y)); }
    void polyline(const QList<QPoint>& points) override;
    void rectangle(const QRect& r) override;
    void fillRect(const QRect& r, ColorRef color) override;
    void extTextOut(int x, int y, unsigned options, const QRect* rect, QStringView text,
                    const int* dx) override;
    void stretchDraw(const QRect& r, const TMetafile& picture) override;
    void stretchImage(const QRect& r, const QImage& image) override;
    int saveDC() override;
    void restoreDC(int level) override;
    void setMapMode(int mode) override { m_dc.setMapMode(mode); }
    void setWindowOrg(QPoint p) override { m_dc.setWindowOrg(p); }
    void setWindowExt(QSize s) override { m_dc.setWindowExt(s); }
    void setViewportOrg(QPoint p) override { m_dc.setViewportOrg(p); }
    void setViewportExt(QSize s) override { m_dc.setViewportExt(s); }
    void intersectClipRect(const QRect& r) override;

private:
    int m_logPixels;
    PainterDC m_dc;
    GdiFontPtr m_font;
    LogPen m_logPen;
    LogBrush m_logBrush;
    // What saveDC kept of the canvas-level values the device context does not hold.
    struct Saved {
        GdiFontPtr font;
        LogPen pen;
        LogBrush brush;
    };
    DcStack<Saved> m_saved;
    std::vector<double> m_dx;
    std::vector<QPointF> m_points;
};

} // namespace vek
