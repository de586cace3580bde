#pragma once
// The record interpreter behind playEmf: one object per playback, holding the device context
// and the object table. Internal to the player.

#include "EmfPlayer.h"
#include "EmfState.h"
#include "EmfTextRecord.h"
#include "PainterCanvas.h"

#include <optional>
#include <vector>

namespace vek {

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
    EmfPlayback(QPainter& painter, const QTransform& deviceToPainter, QSizeF pixelsPerMm,
                const EmfColourPolicy& colours = {});

    PainterDC& dc() { return m_dc; }
    // Plays one record; false when it was skipped as damaged.
    bool play(const EmfRecord& r);
    // Leaves out a drawing record that cannot reach the target, keeping what it does to the
    // state: a line drawn to a point moves the current position there.
    void skip(const EmfRecord& r);

private:
    bool playShape(const EmfRecord& r);
    bool playPath(const EmfRecord& r);
    bool playText(const EmfRecord& r);
    bool playBitmap(const EmfRecord& r);

    bool readPoly(const EmfRecord& r, bool small);
    bool readPolyPoly(const EmfRecord& r, bool small, bool polygon);
    bool readPolyDraw(const EmfRecord& r, bool small);
    bool stretchDib(const EmfRecord& r);
    bool blt(const EmfRecord& r);
    bool gradientFill(const EmfRecord& r);

    PainterDC m_dc;
    EmfObjectTable m_objects;
    EmfColourPolicy m_colours;
    std::vector<QPointF> m_points;
    std::vector<std::uint32_t> m_counts;
    EmfTextOut m_text;
};

// One playback of a metafile onto a painter, the part playEmf and EmfDisplayList::play share: the
// frame mapped onto the target, the colours, the cancel token and the counts.
class EmfPlayRun {
public:
    EmfPlayRun(QPainter& painter, const QRectF& target, const EmfHeader& header,
               const EmfPlayOptions& options);

    // False when nothing can be drawn (no frame, no target, the painter not active).
    bool ready() const { return m_playback.has_value(); }
    // The part of the reference device that can show on the painter, device units: the device,
    // the painter's clip and the options' clip, with a margin of two pixels of the painter for
    // antialiasing and cosmetic pens. Unbounded (a huge rectangle) when it cannot be known.
    QRectF visibleDeviceRect() const { return m_visible; }
    // Plays one record, or with visible false leaves it out keeping its effect on the state.
    // False when the loop must stop: at EMR_EOF or once cancelled.
    bool step(const EmfRecord& r, bool visible = true);
    EmfPlayResult& result() { return m_result; }

private:
    QRectF computeVisible(QPainter& painter, const QTransform& deviceToBase) const;

    const EmfPlayOptions& m_options;
    EmfPlayResult m_result;
    QRectF m_visible;
    std::optional<EmfPlayback> m_playback;
};

} // namespace vek
