// WmfTranslator: blits, bitmaps and pattern brushes.
//
// Record layouts (after the 6-byte prefix; "reserved" is there only when the record carries no
// bitmap, which its size tells):
//   PATBLT         rop, height, width, y, x
//   BITBLT         rop, ySrc, xSrc, [reserved], height, width, yDest, xDest, BITMAP16
//   STRETCHBLT     rop, srcHeight, srcWidth, ySrc, xSrc, [reserved], destHeight, destWidth, yDest,
//                  xDest, BITMAP16
//   DIBBITBLT      as BITBLT with a packed DIB
//   DIBSTRETCHBLT  as STRETCHBLT with a packed DIB
//   STRETCHDIB     rop, colour usage, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth,
//                  yDest, xDest, packed DIB (source y from the bottom row, as StretchDIBits)
//   SETDIBTODEV    colour usage, scan count, start scan, yDib, xDib, height, width, yDest, xDest,
//                  packed DIB
// BITMAP16 is type, width, height, width in bytes (16-bit), planes, bits per pixel (bytes), bits.
// Bitmaps become EMR_STRETCHBLT (source from the top row) or EMR_STRETCHDIBITS; a device-dependent
// bitmap is rewritten as a DIB first.
#include "WmfConvert.h"

#include "WmfBitmap.h"
#include "WmfRecords.h"

#include <cstring>

namespace vek {
namespace {

constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr std::int64_t kStretchBltSize = 108;  // EMR_STRETCHBLT up to its bitmap
constexpr std::int64_t kStretchDibSize = 80;   // EMR_STRETCHDIBITS up to its bitmap
constexpr std::int64_t kPatternBrushSize = 32; // EMR_CREATEDIBPATTERNBRUSHPT up to its bitmap
constexpr std::int64_t kBitmap16Size = 10;
constexpr std::int64_t kPatternBitsAt = 6 + 14 + 18; // CREATEPATTERNBRUSH: BITMAP16, reserved, bits

std::int64_t align4(std::int64_t n) {
    return (n + 3) & ~std::int64_t(3);
}

DeviceBitmap deviceBitmapAt(const EmfRecord& r, std::int64_t at, std::int64_t bitsAt) {
    DeviceBitmap d;
    d.width = r.i16(at + 2);
    d.height = r.i16(at + 4);
    d.widthBytes = r.i16(at + 6);
    d.planes = r.u8(at + 8);
    d.bitsPixel = r.u8(at + 9);
    d.bits = r.span(bitsAt, r.size() - bitsAt);
    return d;
}

} // namespace

bool readWmfBlt(const EmfRecord& r, WmfBlt& b) {
    b = WmfBlt{};
    switch (r.type()) {
    case wmr::PATBLT:
        if (!r.has(6, 12))
            return false;
        b.rop = r.u32(6);
        b.dest = QRect(r.i16(16), r.i16(14), r.i16(12), r.i16(10));
        return true;
    case wmr::BITBLT:
    case wmr::STRETCHBLT:
    case wmr::DIBBITBLT:
    case wmr::DIBSTRETCHBLT: {
        const bool stretch = r.type() == wmr::STRETCHBLT || r.type() == wmr::DIBSTRETCHBLT;
        const bool bare = r.size() == ((r.type() >> 8) + 3) * 2;
        std::int64_t at = stretch ? 14 : 10;
        const std::int64_t sourceAt = at;
        at += bare ? 6 : 4;
        if (!r.has(6, at + 8 - 6))
            return false;
        b.rop = r.u32(6);
        b.dest = QRect(r.i16(at + 6), r.i16(at + 4), r.i16(at + 2), r.i16(at));
        b.source = QRect(r.i16(sourceAt + 2), r.i16(sourceAt), stretch ? r.i16(12) : b.dest.width(),
                         stretch ? r.i16(10) : b.dest.height());
        b.bitmapAt = bare ? 0 : at + 8;
        b.deviceBitmap = r.type() == wmr::BITBLT || r.type() == wmr::STRETCHBLT;
        return true;
    }
    case wmr::STRETCHDIB:
        if (!r.has(6, 22))
            return false;
        b.rop = r.u32(6);
        b.usage = r.u16(10);
        b.source = QRect(r.i16(18), r.i16(16), r.i16(14), r.i16(12));
        b.dest = QRect(r.i16(26), r.i16(24), r.i16(22), r.i16(20));
        b.bitmapAt = 28;
        b.sourceFromBottom = true;
        return true;
    case wmr::SETDIBTODEV:
        if (!r.has(6, 18))
            return false;
        b.rop = kSrcCopy;
        b.usage = r.u16(6);
        b.source = QRect(r.i16(14), r.i16(12), r.i16(18), r.i16(16));
        b.dest = QRect(r.i16(22), r.i16(20), r.i16(18), r.i16(16));
        b.bitmapAt = 24;
        b.sourceFromBottom = true;
        return true;
    default:
        return false;
    }
}

bool WmfTranslator::bitmaps(const EmfRecord& r) {
    switch (r.type()) {
    case wmr::PATBLT:
    case wmr::BITBLT:
    case wmr::STRETCHBLT:
    case wmr::DIBBITBLT:
    case wmr::DIBSTRETCHBLT:
    case wmr::STRETCHDIB:
    case wmr::SETDIBTODEV:
        return blt(r);
    default:
        return true;
    }
}

bool WmfTranslator::blt(const EmfRecord& r) {
    WmfBlt b;
    if (!readWmfBlt(r, b))
        return false;
    if (b.bitmapAt == 0) {
        writePatBlt(b.dest, b.rop);
        return true;
    }
    QByteArrayView dib = r.span(b.bitmapAt, r.size() - b.bitmapAt);
    QByteArray rewritten;
    if (b.deviceBitmap) {
        if (!r.has(b.bitmapAt, kBitmap16Size))
            return false;
        rewritten = deviceBitmapToDib(deviceBitmapAt(r, b.bitmapAt, b.bitmapAt + kBitmap16Size));
        dib = rewritten;
    }
    const std::int64_t info = packedDibInfoSize(dib, b.usage);
    if (info == 0)
        return false;
    if (b.source.width() == 0 || b.source.height() == 0) { // the whole bitmap
        const QSize size = packedDibSize(dib);
        b.source = QRect(0, 0, size.width(), std::abs(size.height()));
    }
    writeBlt(b, dib, info);
    return true;
}

void WmfTranslator::writePatBlt(const QRect& dest, std::uint32_t rop) {
    // EMR_BITBLT without a source bitmap.
    m_out.begin(emr::BITBLT);
    writeBounds(QRect());
    m_out.rectL(dest.x(), dest.y(), dest.width(), dest.height());
    m_out.u32(rop);
    m_out.i32(0);
    m_out.i32(0);
    for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
        m_out.f32(f);
    for (int i = 0; i < 6; ++i) // background colour, usage, bitmap offsets and sizes
        m_out.u32(0);
    m_out.end();
}

void WmfTranslator::writeBlt(const WmfBlt& b, QByteArrayView dib, std::int64_t info) {
    const std::int64_t head = b.sourceFromBottom ? kStretchDibSize : kStretchBltSize;
    const auto cbBmi = std::uint32_t(info);
    const auto offBits = std::uint32_t(head + align4(info));
    const auto cbBits = std::uint32_t(dib.size() - info);
    if (b.sourceFromBottom) {
        // rclBounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmi, cbBmi, offBits, cbBits,
        // iUsage, dwRop, cxDest, cyDest
        m_out.begin(emr::STRETCHDIBITS);
        writeBounds(QRect());
        m_out.rectL(b.dest.x(), b.dest.y(), b.source.x(), b.source.y());
        m_out.i32(b.source.width());
        m_out.i32(b.source.height());
        m_out.u32(std::uint32_t(head));
        m_out.u32(cbBmi);
        m_out.u32(offBits);
        m_out.u32(cbBits);
        m_out.u32(b.usage);
        m_out.u32(b.rop);
        m_out.i32(b.dest.width());
        m_out.i32(b.dest.height());
    } else {
        // rclBounds, xDest, yDest, cxDest, cyDest, dwRop, xSrc, ySrc, xformSrc, crBkColorSrc,
        // iUsage, offBmi, cbBmi, offBits, cbBits, cxSrc, cySrc
        m_out.begin(emr::STRETCHBLT);
        writeBounds(QRect());
        m_out.rectL(b.dest.x(), b.dest.y(), b.dest.width(), b.dest.height());
        m_out.u32(b.rop);
        m_out.i32(b.source.x());
        m_out.i32(b.source.y());
        for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
            m_out.f32(f);
        m_out.u32(0);
        m_out.u32(b.usage);
        m_out.u32(std::uint32_t(head));
        m_out.u32(cbBmi);
        m_out.u32(offBits);
        m_out.u32(cbBits);
        m_out.i32(b.source.width());
        m_out.i32(b.source.height());
    }
    writeDib(dib, info);
    m_out.end();
}

// The BITMAPINFO, padded to a whole 32-bit word, then the bits.
void WmfTranslator::writeDib(QByteArrayView dib, std::int64_t info) {
    m_out.bytes(dib.first(qsizetype(info)));
    if (const std::int64_t pad = align4(info) - info)
        std::memset(m_out.extend(qsizetype(pad)), 0, std::size_t(pad));
    m_out.bytes(dib.sliced(qsizetype(info)));
}

bool WmfTranslator::createPatternBrush(const EmfRecord& r) {
    // DIBCREATEPATTERNBRUSH: style, colour usage, packed DIB. CREATEPATTERNBRUSH: BITMAP16 with
    // its bits after 18 reserved bytes; a one-bit pattern takes the text and background colours.
    QByteArray rewritten;
    QByteArrayView dib;
    std::uint32_t usage = 0;
    bool mono = false;
    if (r.type() == wmr::DIBCREATEPATTERNBRUSH) {
        if (!r.has(6, 4))
            return damagedCreate();
        usage = r.u16(8);
        dib = r.span(10, r.size() - 10);
    } else {
        if (!r.has(6, kBitmap16Size))
            return damagedCreate();
        const DeviceBitmap d = deviceBitmapAt(r, 6, kPatternBitsAt);
        mono = d.bitsPixel == 1;
        rewritten = deviceBitmapToDib(d);
        dib = rewritten;
    }
    const std::int64_t info = packedDibInfoSize(dib, usage);
    if (info == 0)
        return damagedCreate();
    const int i = allocate(Kind::Brush);
    if (i < 0)
        return false;
    m_out.begin(mono ? emr::CREATEMONOBRUSH : emr::CREATEDIBPATTERNBRUSHPT);
    m_out.u32(handle(i));
    m_out.u32(usage);
    m_out.u32(std::uint32_t(kPatternBrushSize));
    m_out.u32(std::uint32_t(info));
    m_out.u32(std::uint32_t(kPatternBrushSize + align4(info)));
    m_out.u32(std::uint32_t(dib.size() - info));
    writeDib(dib, info);
    m_out.end();
    return true;
}

} // namespace vek
