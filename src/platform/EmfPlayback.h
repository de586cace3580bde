#pragma once
// The record interpreter behind playEmf: one object per playback, holding the device context
// and the object table. Internal to the player.

#include "EmfPlayer.h"
#include "PainterCanvas.h"

#include <variant>
#include <vector>

namespace vek {

struct EmfPalette {};
using EmfObject = std::variant<std::monostate, DcPen, DcBrush, GdiFontPtr, EmfPalette>;

// A decoded device-independent bitmap.
struct EmfDib {
    QImage image;
    bool bottomUp = true; // rows were stored bottom row first
};

// Decodes the BITMAPINFO at offBmi (cbBmi bytes) and the bits at offBits (cbBits bytes) of a
// record: 1, 4, 8, 16, 24 and 32 bits per pixel, RLE4/RLE8, bit fields, embedded JPEG/PNG.
// alpha: keep the alpha bytes of 32-bit bitmaps (premultiplied). Null image when unusable.
EmfDib decodeDib(const EmfRecord& r, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                 std::uint32_t cbBits, std::uint32_t usage, bool alpha);

class EmfPlayback {
public:
    EmfPlayback(QPainter& painter, const QTransform& deviceToPainter, QSizeF pixelsPerMm);

    PainterDC& dc() { return m_dc; }
    // Plays one record; false when it was skipped as damaged.
    bool play(const EmfRecord& r);

private:
    bool playState(const EmfRecord& r);
    bool playObject(const EmfRecord& r);
    bool playShape(const EmfRecord& r);
    bool playPath(const EmfRecord& r);
    bool playClip(const EmfRecord& r);
    bool playText(const EmfRecord& r);
    bool playBitmap(const EmfRecord& r);

    bool readPoints(const EmfRecord& r, std::int64_t off, std::int64_t count, bool small);
    bool readPoly(const EmfRecord& r, bool small);
    bool readPolyPoly(const EmfRecord& r, bool small, bool polygon);
    bool readPolyDraw(const EmfRecord& r, bool small);
    bool readRegion(const EmfRecord& r, std::int64_t off, std::int64_t size, QPainterPath& path) const;
    bool selectObject(std::uint32_t index);
    EmfObject* slot(std::uint32_t index, bool create);
    bool createFont(const EmfRecord& r);
    bool createExtPen(const EmfRecord& r);
    bool createPatternBrush(const EmfRecord& r);
    bool extTextOut(const EmfRecord& r);
    bool smallTextOut(const EmfRecord& r);
    bool polyTextOut(const EmfRecord& r);
    bool textOut(const EmfRecord& r, std::int64_t at, bool wide, bool advanced, bool mayOmitRect);
    bool stretchDib(const EmfRecord& r);
    bool blt(const EmfRecord& r);
    bool gradientFill(const EmfRecord& r);

    PainterDC m_dc;
    std::vector<EmfObject> m_objects;
    std::vector<QPointF> m_points;
    std::vector<std::uint32_t> m_counts;
    std::vector<double> m_dx;
    QString m_text;
};

} // namespace vek
