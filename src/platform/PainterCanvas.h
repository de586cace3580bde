#pragma once
// Drawing with GDI semantics straight onto a QPainter.
//
// PainterDC is the device-context state machine: mapping mode with window and viewport, world
// transform, selected pen, brush and font, text and background colours, text alignment, clipping,
// the current position, path brackets and SaveDC/RestoreDC. It turns GDI calls in logical units
// into QPainter calls. The EMF player replays records through it and PainterCanvas draws through
// it directly, so a page drawn directly and a page recorded and played back give the same pixels.
//
// Coordinates: logical units --(world, then window/viewport)--> device units --(device transform
// given at construction)--> the painter's own coordinates.

#include "GdiCanvas.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <optional>
#include <vector>

namespace vek {

// Extended pen style bits beside the basic styles of Gdi.h.
enum PenStyleBits : std::uint32_t {
    PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8,
    PS_STYLE_MASK = 0xF,
    PS_ENDCAP_SQUARE = 0x100,
    PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x10000,
};

// Text alignment flags (SetTextAlign).
enum TextAlign : unsigned {
    TA_UPDATECP = 1,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_HORZ_MASK = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_VERT_MASK = 24,
};

// Polygon fill modes, arc directions, region combination modes.
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// A pen as the device context holds it.
struct DcPen {
    std::uint32_t style = PS_SOLID; // style word with the geometric, end cap and join bits
    double width = 0;               // logical units; 0 is one device pixel
    ColorRef color = 0;
    std::vector<double> dashes; // PS_USERSTYLE entries, in pen widths
};

// A brush as the device context holds it.
struct DcBrush {
    std::uint32_t style = BS_SOLID; // BS_SOLID, BS_NULL, BS_HATCHED, 3/5/6 = pattern
    ColorRef color = rgb(255, 255, 255);
    std::uint32_t hatch = 0;
    QImage pattern;
    bool monoPattern = false; // 1-bit pattern painted in text and background colours
};

struct DcState {
    int mapMode = MM_TEXT;
    QPointF windowOrg;
    QPointF viewportOrg;
    QSizeF windowExt{1, 1};
    QSizeF viewportExt{1, 1};
    QTransform world;
    DcPen pen;
    DcBrush brush;
    GdiFontPtr font;
    ColorRef textColor = 0;
    ColorRef bkColor = rgb(255, 255, 255);
    int bkMode = OPAQUE;
    unsigned textAlign = 0;
    int polyFillMode = ALTERNATE;
    int arcDirection = AD_COUNTERCLOCKWISE;
    int rop2 = 13;          // R2_COPYPEN
    int stretchBltMode = 1; // BLACKONWHITE: no smoothing; HALFTONE (4) smooths
    QPointF current;
    // Clip in device units; none when clip is unset. A rectangular clip is also kept as a rect.
    std::optional<QPainterPath> clip;
    std::optional<QRectF> clipRect;
};

class PainterDC {
public:
    // devicePixelsPerMm: resolution of the device units, for the metric mapping modes.
    // The painter is saved here and restored by the destructor.
    PainterDC(QPainter& painter, const QTransform& deviceToPainter, QSizeF devicePixelsPerMm);
    ~PainterDC();
    PainterDC(const PainterDC&) = delete;
    PainterDC& operator=(const PainterDC&) = delete;

    QPainter& painter() { return m_painter; }
    const DcState& state() const { return m_s; }
    const QTransform& deviceToPainter() const { return m_deviceToPainter; }

    // Mapping.
    void setMapMode(int mode);
    void setWindowOrg(QPointF p);
    void setWindowExt(QSizeF s);
    void setViewportOrg(QPointF p);
    void setViewportExt(QSizeF s);
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void setWorldTransform(const QTransform& t);
    // mode: 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void modifyWorldTransform(const QTransform& t, int mode);
    // Logical units to device units (world, then window/viewport).
    QTransform logicalToDevice() const;
    int saveDC();
    void restoreDC(int level);

    // Selected objects and attributes.
    void selectPen(const DcPen& pen);
    void selectBrush(const DcBrush& brush);
    void selectFont(GdiFontPtr font);
    void setTextColor(ColorRef c) { m_s.textColor = c; }
    void setBkColor(ColorRef c) { m_s.bkColor = c; }
    void setBkMode(int mode) { m_s.bkMode = mode; }
    void setTextAlign(unsigned align) { m_s.textAlign = align; }
    void setPolyFillMode(int mode) { m_s.polyFillMode = mode == WINDING ? WINDING : ALTERNATE; }
    void setArcDirection(int dir) {
        m_s.arcDirection = dir == AD_CLOCKWISE ? AD_CLOCKWISE : AD_COUNTERCLOCKWISE;
    }
    void setRop2(int rop) { m_s.rop2 = rop; }
    void setStretchBltMode(int mode) { m_s.stretchBltMode = mode; }
    GdiFontPtr currentFont();

    // Clipping. Rectangles are logical, regions and paths device units.
    void intersectClipRect(const QRectF& r);
    void excludeClipRect(const QRectF& r);
    void combineClip(const QPainterPath& deviceRegion, int mode);
    void resetClip();
    void offsetClip(QPointF logicalOffset);
    void selectClipPath(int mode);

    // Lines and shapes, logical units. Rectangles as GDI gives them: right and bottom excluded.
    void moveTo(QPointF p);
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

private:
    void applyTransform(const QTransform& t);
    QTransform logicalToPainter() const { return logicalToDevice() * m_deviceToPainter; }
    void applyClip();
    void updateMapping();
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
    QSizeF m_pixelsPerMm;
    DcState m_s;
    std::vector<DcState> m_saved;
    QTransform m_page; // window/viewport mapping of m_s, kept up to date
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
    std::vector<Saved> m_saved;
    std::vector<double> m_dx;
    std::vector<QPointF> m_points;
};

} // namespace vek
