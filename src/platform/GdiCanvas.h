#pragma once
// The GDI-style canvas every printout drawing goes through. The composer and the field rendering
// draw on it without knowing where the drawing goes: MetafileCanvas records it into an Enhanced
// Metafile, PainterCanvas paints it straight onto a QPainter.
//
// Coordinates are logical units of the canvas (page pixels for a page). Text is Unicode here;
// printout bytes are decoded before they reach the canvas.

#include "Gdi.h"
#include "GdiFont.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringView>

namespace vek {

class TMetafile;

class GdiCanvas {
public:
    virtual ~GdiCanvas() = default;

    // Logical pixels per inch of the device (GetDeviceCaps LOGPIXELSX / LOGPIXELSY).
    virtual int logPixelsX() const = 0;
    virtual int logPixelsY() const = 0;

    // Objects selected into the device context.
    virtual void selectFont(GdiFontPtr font) = 0;
    virtual GdiFontPtr font() const = 0;
    virtual void selectPen(const LogPen& pen) = 0;
    virtual LogPen pen() const = 0;
    virtual void selectBrush(const LogBrush& brush) = 0;
    virtual LogBrush brush() const = 0;

    virtual void setTextColor(ColorRef color) = 0;
    virtual ColorRef textColor() const = 0;
    virtual void setBkMode(int mode) = 0;
    virtual void setBkColor(ColorRef color) = 0;

    // Drawing with the current pen and brush. Rectangles exclude their right and bottom edges.
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void polyline(const QList<QPoint>& points) = 0;
    virtual void rectangle(const QRect& r) = 0;
    virtual void fillRect(const QRect& r, ColorRef color) = 0;

    // ExtTextOut with the text's top-left at (x, y): dx holds one advance per character (logical
    // units) or is null for the font's own; options ETO_CLIPPED / ETO_OPAQUE use rect.
    virtual void extTextOut(int x, int y, unsigned options, const QRect* rect, QStringView text,
                            const int* dx) = 0;

    // Another metafile played stretched into r (its frame mapped onto r).
    virtual void stretchDraw(const QRect& r, const TMetafile& picture) = 0;
    // A bitmap stretched into r.
    virtual void stretchImage(const QRect& r, const QImage& image) = 0;

    // Device-context state: SaveDC returns a level for RestoreDC (negative: relative).
    virtual int saveDC() = 0;
    virtual void restoreDC(int level) = 0;
    virtual void setMapMode(int mode) = 0;
    virtual void setWindowOrg(QPoint p) = 0;
    virtual void setWindowExt(QSize s) = 0;
    virtual void setViewportOrg(QPoint p) = 0;
    virtual void setViewportExt(QSize s) = 0;
    virtual void intersectClipRect(const QRect& r) = 0;
};

} // namespace vek
