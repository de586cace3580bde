#pragma once
// Playing Enhanced Metafiles onto a QPainter: our own pages and pictures written by other
// programs. The picture's frame (rclFrame) is mapped onto the target rectangle; the records are
// replayed through PainterDC with GDI semantics.
//
// Playback is tolerant: every record is checked against the bytes it holds before any field is
// read; a record that is too short or inconsistent is skipped and counted; a record whose size
// field is damaged ends the playback with what was drawn so far. EMF+ records inside comment
// records are skipped: dual EMF/EMF+ files carry the same drawing as EMF records beside them.

#include "EmfWalk.h"
#include "Gdi.h"

#include <QByteArray>
#include <QPainter>
#include <QRectF>
#include <atomic>
#include <functional>

namespace vek {

class TMetafile;

struct EmfPlayOptions {
    // Black and white: text, lines and the header's text colour in ink, brushes and backgrounds in
    // paper, bitmaps as they are. A way of playing: the input is never altered.
    bool monochrome = false;
    ColorRef ink = rgb(0, 0, 0);
    ColorRef paper = rgb(255, 255, 255);
    // Called before each record with the record about to be played; answering false skips it.
    std::function<bool(const EmfRecord&)> onRecord;
    // Checked between records: once it is set the playback stops (what was drawn stays; an abort
    // is not an error).
    const std::atomic<bool>* cancel = nullptr;
    // Only this rectangle of the painter (its coordinates when the playback starts) needs drawing;
    // empty: the whole device. Beside it a display list leaves out what lies outside the device and
    // the painter's clip.
    QRectF clip;
};

struct EmfPlayResult {
    bool valid = false;     // the bytes begin with an EMF header; nothing is drawn otherwise
    int records = 0;        // records played
    int skipped = 0;        // records skipped as damaged
    int culled = 0;         // drawing records left out as lying outside what is drawn
    bool truncated = false; // the record chain broke off before EMR_EOF
    bool cancelled = false; // the cancel token stopped the playback
};

// The fields of the header the player and its users need.
struct EmfHeader {
    QRect bounds;       // rclBounds, device units, inclusive
    QRect frame;        // rclFrame, 0.01 mm, inclusive
    QSize device;       // szlDevice, pixels of the reference device
    QSizeF millimeters; // szlMillimeters, or szlMicrometers / 1000 when present
    std::uint32_t handles = 0;
    // Reference device pixels per millimetre (96 per inch when the header gives nonsense).
    QSizeF pixelsPerMm() const;
    // The frame in reference device units: what is mapped onto the target rectangle. Falls back to
    // the bounds when the frame is empty.
    QRectF frameInDeviceUnits() const;
};
bool readEmfHeader(QByteArrayView bytes, EmfHeader& header);

EmfPlayResult playEmf(QPainter& painter, const QRectF& target, QByteArrayView bytes,
                      const EmfPlayOptions& options = {});
EmfPlayResult playEmf(QPainter& painter, const QRectF& target, const TMetafile& picture,
                      const EmfPlayOptions& options = {});

// A copy of the metafile with its colours rewritten record by record for black-and-white files:
// EMR_SETTEXTCOLOR and EMR_CREATEPEN / EMR_EXTCREATEPEN colours become ink, EMR_SETBKCOLOR and
// EMR_CREATEBRUSHINDIRECT colours become paper. Everything else is copied as it is.
QByteArray emfMonochromeCopy(QByteArrayView bytes, ColorRef ink, ColorRef paper);

} // namespace vek
