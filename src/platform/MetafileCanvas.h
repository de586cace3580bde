#pragma once
// MetafileCanvas: a GdiCanvas that records what is drawn on it as an Enhanced Metafile.
//
// The canvas records onto a TMetafile. Whatever the metafile already holds is kept: the new
// records follow the old ones, so a page can be re-opened and drawn on further. The recording is
// written into the metafile by finish() or when the canvas is destroyed.
//
// The metafile's reference device has one pixel per logical unit of the canvas (for a page, a
// 1429 x 2000 device spanning the 210 x 294 mm frame), so the canvas draws in MM_TEXT and its
// viewport calls are in canvas units. logPixelsX/Y answer the resolution the drawing code
// measures with (96 for a page), independent of the device.
//
// Runs of moveTo/lineTo segments are held back and written as one EMR_POLYPOLYLINE16 record as
// soon as anything else is recorded; abutting pieces of one straight horizontal or vertical line
// drawn with a solid pen become one segment (the same pixels). The recorded current position is
// brought up to date only where it matters (before another metafile is drawn in).
//
// The DC starts with a transparent background mode (the page canvas draws text without a
// background), black text, a black cosmetic pen and a white brush.

#include "DcMapping.h"
#include "EmfWriter.h"
#include "GdiCanvas.h"
#include "Metafile.h"

#include <QList>
#include <QRectF>
#include <cstdint>
#include <optional>
#include <vector>

namespace vek {

class MetafileCanvas final : public GdiCanvas {
public:
    explicit MetafileCanvas(TMetafile& target, int logPixels = 96);
    ~MetafileCanvas() override;
    MetafileCanvas(const MetafileCanvas&) = delete;
    MetafileCanvas& operator=(const MetafileCanvas&) = delete;

    // Ends the recording and writes it into the metafile; later drawing is ignored.
    void finish();

    int logPixelsX() const override { return m_logPixels; }
    int logPixelsY() const override { return m_logPixels; }

    void selectFont(GdiFontPtr font) override { m_dc.font = std::move(font); }
    GdiFontPtr font() const override { return m_dc.font; }
    void selectPen(const LogPen& pen) override { m_dc.pen = pen; }
    LogPen pen() const override { return m_dc.pen; }
    void selectBrush(const LogBrush& brush) override { m_dc.brush = brush; }
    LogBrush brush() const override { return m_dc.brush; }
    void setTextColor(ColorRef color) override { m_dc.textColor = color; }
    ColorRef textColor() const override { return m_dc.textColor; }
    void setBkMode(int mode) override { m_dc.bkMode = mode; }
    void setBkColor(ColorRef color) override { m_dc.bkColor = color; }

    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void polyline(const QList<QPoint>& points) override;
    void rectangle(const QRect& r) override;
    void fillRect(const QRect& r, ColorRef color) override;
    void extTextOut(int x, int y, unsigned options, const QRect* rect, QStringView text,
                    const int* dx) override;
    void stretchDraw(const QRect& r, const TMetafile& picture) override;
    void stretchImage(const QRect& r, const QImage& image) override;

    int saveDC() override;
    void restoreDC(int level) override;
    void setMapMode(int mode) override;
    void setWindowOrg(QPoint p) override;
    void setWindowExt(QSize s) override;
    void setViewportOrg(QPoint p) override;
    void setViewportExt(QSize s) override;
    void intersectClipRect(const QRect& r) override;

    // Bytes recorded so far, without header (for measuring); held-back lines are not counted.
    qsizetype recordedBytes() const { return m_out.body().size(); }

    // Object handles of the output DC, and their life in the handle table. Shared with the code
    // that copies another metafile's records into this one.
    struct Handles {
        std::vector<bool> used{true}; // slot 0 is the metafile itself
        std::uint32_t allocate();
        void release(std::uint32_t h);
        std::uint32_t tableSize() const { return std::uint32_t(used.size()); }
    };

private:
    // What is selected and set in the recorded DC (nullopt: not known, must be recorded).
    struct Emitted {
        std::optional<std::uint32_t> pen, brush, font;
        std::optional<ColorRef> textColor, bkColor;
        std::optional<int> bkMode;
    };
    struct DcState {
        GdiFontPtr font;
        LogPen pen;
        LogBrush brush;
        ColorRef textColor = 0;
        ColorRef bkColor = rgb(255, 255, 255);
        int bkMode = TRANSPARENT;
        DcMapping map;              // kept to compute the device bounds of what is drawn
        std::optional<QRectF> clip; // device units
        Emitted emitted;
        QPoint current;                         // where the next lineTo starts
        std::optional<QPoint> played{QPoint()}; // the position the recorded DC has; nullopt: not known
    };
    struct CachedObject {
        enum Kind { Pen, Brush, Font } kind;
        LogPen pen;
        LogBrush brush;
        GdiFontPtr font;
        std::uint32_t handle = 0;
        std::uint64_t lastUse = 0;
    };

    // Line segments held back to be written as one record (start and end of each).
    struct LineBatch {
        std::vector<QPoint> ends;
        QRect box; // logical, inclusive
    };
    // Writes the held-back segments; every other record is preceded by this.
    void flushLines();
    void writePolyPolyline(const LineBatch& batch);
    // Writes the current position where the recorded DC does not have it yet.
    void syncCurrentPosition();

    void usePen();
    void useBrush(const LogBrush& brush);
    void useFont();
    // Text colour and background mode; the background colour too when it is painted.
    void useTextColours(bool opaqueBox);
    void select(std::optional<std::uint32_t>& emitted, std::uint32_t handle);
    std::uint32_t objectFor(const CachedObject& wanted);
    std::uint32_t newHandle(CachedObject::Kind kind);
    bool inUse(std::uint32_t handle) const;
    void writeCreate(const CachedObject& o);

    QPointF toDevice(QPointF logical) const { return m_dc.map.toDevice(logical); }
    static QRect inclusive(const QRectF& r);
    // Adds a drawn area, device units, to the bounds (within the clip); returns it, inclusive.
    QRect addDeviceBounds(QRectF device);
    // The same for a logical area, grown by `grow` device units all round.
    QRect addBounds(const QRectF& logical, double grow = 0);
    // How far the current pen reaches beyond the line it draws, device units.
    double penReach() const;
    void writeMapping(std::uint32_t type, int a, int b);
    bool open() const { return m_target != nullptr; }
    void readExisting();
    QSize frameExtent() const; // 0.01 mm

    TMetafile* m_target;
    int m_logPixels;
    QSize m_device;
    QSizeF m_devicePerMm;
    EmfRecordBuffer m_out;
    Handles m_handles;
    std::vector<CachedObject> m_objects;
    std::uint64_t m_useCounter = 0;
    DcState m_dc;
    DcStack<DcState> m_saved;
    QRectF m_bounds; // device units
    LineBatch m_lines;
    QList<int> m_advances; // of text drawn without advances, kept to spare an allocation a call

    friend class EmfEmbedder;
};

} // namespace vek
