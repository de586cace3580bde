#pragma once
// The state of a device context as GDI calls and metafile records change it, without any
// drawing: mapping (DcMapping), selected pen, brush and font, colours and modes, text alignment,
// the current position, the clip region and the SaveDC/RestoreDC stack.
//
// The player paints through a PainterDC, which is a DcModel that also paints; the display list
// and the page text follow records through a plain DcModel. Both change the state through the
// same code (EmfStateRecords.h), so what they compute lands where the player paints.

#include "DcMapping.h"
#include "GdiFont.h"

#include <QImage>
#include <QPainterPath>
#include <optional>

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
    DcMapping map;
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

class DcModel {
public:
    // devicePixelsPerMm: resolution of the device units, for the metric mapping modes.
    explicit DcModel(QSizeF devicePixelsPerMm);
    virtual ~DcModel() = default;
    DcModel(const DcModel&) = delete;
    DcModel& operator=(const DcModel&) = delete;

    const DcState& state() const { return m_s; }
    const DcMapping& mapping() const { return m_s.map; }
    // Logical units to device units (world, then window/viewport).
    QTransform logicalToDevice() const { return m_s.map.logicalToDevice(); }

    // Mapping, with GDI's rules (DcMapping).
    void setMapMode(int mode) { m_s.map.setMapMode(mode); }
    void setWindowOrg(QPointF p) { m_s.map.setWindowOrg(p); }
    void setWindowExt(QSizeF s) { m_s.map.setWindowExt(s); }
    void setViewportOrg(QPointF p) { m_s.map.setViewportOrg(p); }
    void setViewportExt(QSizeF s) { m_s.map.setViewportExt(s); }
    void scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
        m_s.map.scaleWindowExt(xNum, xDenom, yNum, yDenom);
    }
    void scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
        m_s.map.scaleViewportExt(xNum, xDenom, yNum, yDenom);
    }
    void setWorldTransform(const QTransform& t) { m_s.map.setWorldTransform(t); }
    void modifyWorldTransform(const QTransform& t, int mode) { m_s.map.modifyWorldTransform(t, mode); }
    int saveDC() { return m_saved.save(m_s); }
    void restoreDC(int level);

    // Selected objects and attributes.
    void selectPen(const DcPen& pen);
    void selectBrush(const DcBrush& brush) { m_s.brush = brush; }
    void selectFont(GdiFontPtr font) { m_s.font = std::move(font); }
    // The selected font, or the device's default font when none was selected.
    GdiFontPtr currentFont();
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

    // The current position, logical units.
    virtual void moveTo(QPointF p) { m_s.current = p; }
    // Where text drawn at ref starts: with TA_UPDATECP the current position, which then moves to
    // the end of the text (total advances along and across the baseline, logical units).
    QPointF textReference(QPointF ref, double total, double totalY);

    // Clipping. Rectangles are logical units, regions device units.
    void intersectClipRect(const QRectF& r);
    void excludeClipRect(const QRectF& r);
    void combineClip(const QPainterPath& deviceRegion, int mode);
    void resetClip();
    void offsetClip(QPointF logicalOffset);
    // The device rectangle that holds everything the clip lets through; nullopt without a clip.
    std::optional<QRectF> clipBounds() const;

protected:
    // Told after the clip or the pen changed (also by restoreDC), for a painter to follow.
    virtual void clipChanged() {}
    virtual void penChanged() {}

    DcState m_s;

private:
    DcStack<DcState> m_saved;
};

} // namespace vek
