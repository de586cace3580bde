#include "WmfBitmap.h"

#include "EmfPlayback.h"

#include <QtEndian>
#include <cstring>

namespace vek {
namespace {

constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 25;
constexpr int kInfoHeaderSize = 40;

// The colours a 4-bit device bitmap stands for: the 16 standard colours in their usual order.
constexpr QRgb kStandardColours[16] = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};

QRgb deviceColour(int bitsPixel, int index) {
    if (bitsPixel == 1)
        return index ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    if (bitsPixel == 4)
        return kStandardColours[index & 15];
    return qRgb(index, index, index);
}

void put32(char* p, std::uint32_t v) {
    qToLittleEndian(v, p);
}

} // namespace

std::int64_t packedDibInfoSize(QByteArrayView dib, std::uint32_t usage) {
    const EmfRecord r(0, dib);
    if (!r.has(0, 12))
        return 0;
    const std::int64_t header = r.u32(0);
    std::int64_t size = header;
    std::int64_t colours = 0;
    std::int64_t entry = usage == 1 ? 2 : 4;
    if (header == 12) {
        const int bpp = r.u16(10);
        colours = bpp >= 1 && bpp <= 8 ? (1 << bpp) : 0;
        entry = usage == 1 ? 2 : 3;
    } else if (header >= kInfoHeaderSize && r.has(0, header)) {
        const int bpp = r.u16(14);
        const std::uint32_t compression = r.u32(16), used = r.u32(32);
        if (header == kInfoHeaderSize && compression == kBiBitfields)
            size += 12;
        else if (header == kInfoHeaderSize && compression == kBiAlphaBitfields)
            size += 16;
        colours = used ? used : (bpp >= 1 && bpp <= 8 ? (1 << bpp) : 0);
    } else {
        return 0;
    }
    size += colours * entry;
    return size <= dib.size() ? size : 0;
}

QSize packedDibSize(QByteArrayView dib) {
    const EmfRecord r(0, dib);
    if (r.u32(0) == 12)
        return QSize(r.u16(4), r.i16(6));
    return QSize(r.i32(4), r.i32(8));
}

QImage decodePackedDib(QByteArrayView dib) {
    const std::int64_t info = packedDibInfoSize(dib);
    if (info == 0 || dib.size() > std::int64_t(UINT32_MAX))
        return {};
    const EmfRecord r(0, dib);
    return decodeDib(r, 0, std::uint32_t(info), std::uint32_t(info), std::uint32_t(dib.size() - info), 0,
                     false)
        .image;
}

QByteArray deviceBitmapToDib(const DeviceBitmap& b) {
    const int bpp = b.bitsPixel;
    const bool knownDepth = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    if (!knownDepth || b.planes != 1 || b.width <= 0 || b.height <= 0 || b.width > 0xFFFF ||
        b.height > 0xFFFF || std::int64_t(b.width) * b.height > kMaxPixels)
        return {};
    const std::int64_t rowBytes = (std::int64_t(b.width) * bpp + 7) / 8;
    if (b.widthBytes < rowBytes || b.widthBytes > (1 << 20))
        return {};
    const std::int64_t stride = ((std::int64_t(b.width) * bpp + 31) / 32) * 4;
    const int colours = bpp <= 8 ? 1 << bpp : 0;
    const std::int64_t info = kInfoHeaderSize + 4 * colours;
    QByteArray dib(qsizetype(info + stride * b.height), char(0xFF)); // rows the bits lack stay white
    char* p = dib.data();
    std::memset(p, 0, std::size_t(info));
    put32(p, kInfoHeaderSize);
    put32(p + 4, std::uint32_t(b.width));
    put32(p + 8, std::uint32_t(-b.height)); // top-down rows, as the device bitmap has them
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(quint16(bpp), p + 14);
    put32(p + 20, std::uint32_t(stride * b.height));
    put32(p + 32, std::uint32_t(colours));
    for (int i = 0; i < colours; ++i) {
        const QRgb c = deviceColour(bpp, i);
        p[info - 4 * colours + 4 * i] = char(qBlue(c));
        p[info - 4 * colours + 4 * i + 1] = char(qGreen(c));
        p[info - 4 * colours + 4 * i + 2] = char(qRed(c));
    }
    const std::int64_t rows = std::min<std::int64_t>(b.height, b.bits.size() / b.widthBytes);
    for (std::int64_t y = 0; y < rows; ++y)
        std::memcpy(p + info + y * stride, b.bits.data() + y * b.widthBytes, std::size_t(rowBytes));
    return dib;
}

} // namespace vek
