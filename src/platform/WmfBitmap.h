#pragma once
// Windows bitmaps as Windows Metafiles and rich text carry them:
//   - a packed device-independent bitmap: a BITMAPINFO (header, bit-field masks, colour table)
//     followed straight by its bits, as in WMF bitmap records and RTF \dibitmap;
//   - a device-dependent bitmap (BITMAP16 of old WMF records, RTF \wbitmap): rows top down, each
//     widthBytes long, no colour table; its colours are the device's, so one bit per pixel reads
//     as black and white, four as the 16 standard colours, eight as grey levels.
// Nothing here trusts the bytes: sizes are checked against them before anything is read.

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <cstdint>

namespace vek {

// The length of the BITMAPINFO that opens a packed DIB: 0 when it is not one or runs past the
// bytes. usage: 0 colour table of RGBQUADs, 1 of 16-bit palette indices.
std::int64_t packedDibInfoSize(QByteArrayView dib, std::uint32_t usage = 0);
// The width and height a packed DIB declares (height negative for top-down rows).
QSize packedDibSize(QByteArrayView dib);
// A packed DIB as an image; null when unusable.
QImage decodePackedDib(QByteArrayView dib);

struct DeviceBitmap {
    int width = 0;
    int height = 0;
    int widthBytes = 0; // bytes of one row
    int planes = 1;
    int bitsPixel = 1;
    QByteArrayView bits; // rows top down
};
// A device-dependent bitmap rewritten as a packed DIB with top-down rows; empty when unusable.
// Missing rows at the end stay white.
QByteArray deviceBitmapToDib(const DeviceBitmap& bitmap);

} // namespace vek
