#pragma once
// Windows Metafiles (WMF): the 16-bit metafiles of older programs, found in rich text
// (\wmetafile) and in .wmf files.
//
// A WMF is played by turning it into an Enhanced Metafile record by record (each WMF record
// becomes the EMF records of the same device-context operations) and playing that EMF with the
// EMF player. A WMF picture in rich text on a page is kept as that EMF, so it is recorded into the
// page like any other EMF picture and one player draws pages everywhere.
//
// Reading is tolerant, as the EMF player is: every record is checked against its bytes before a
// field is read; a damaged record is skipped and counted; a record whose size field runs past the
// end or is too small ends the picture with what was read so far.
//
// Placement. A placeable (Aldus) header gives the picture's bounding box in logical units and the
// units per inch; without it the picture's window (its first SETWINDOWORG/SETWINDOWEXT), or else
// the box of what it draws, is the picture, and its size in millimetres is the extent the caller
// knows (RTF's \picw \pich) or the window at 96 units per inch. Playback starts in the anisotropic
// mapping mode with that box as the window, as programs that place a WMF set it up; the viewport is
// the player's (the picture's own viewport records are ignored), and the text mapping mode keeps the
// box's units.

#include "EmfPlayer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QPainter>
#include <QRect>
#include <QSize>

namespace vek {

class TMetafile;

struct WmfInfo {
    bool placeable = false;
    QRect bounds;            // the placeable header's box, logical units, right and bottom excluded
    int unitsPerInch = 0;    // of the placeable header
    qsizetype recordsAt = 0; // offset of the first record
};
// False when the bytes do not begin with a WMF header (optionally after a placeable header).
bool readWmfInfo(QByteArrayView bytes, WmfInfo& info);

struct WmfConversion {
    QByteArray emf;         // empty when the bytes are not a WMF
    int records = 0;        // WMF records read
    int skipped = 0;        // of them, skipped as damaged
    bool truncated = false; // the record chain broke off before META_EOF
};
// extentHimetric: the picture's size in 0.01 mm for a WMF without a placeable header (RTF's
// \picw \pich); empty when not known.
WmfConversion convertWmf(QByteArrayView wmf, QSize extentHimetric = {});

// The WMF as an EMF picture. Throws EInvalidGraphic when the bytes are not a WMF.
TMetafile wmfToMetafile(QByteArrayView wmf, QSize extentHimetric = {});

// Plays a WMF with its box mapped onto target. The counts are those of the WMF records.
EmfPlayResult playWmf(QPainter& painter, const QRectF& target, QByteArrayView wmf,
                      const EmfPlayOptions& options = {}, QSize extentHimetric = {});

} // namespace vek
