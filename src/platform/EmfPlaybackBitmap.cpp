// EmfPlayback: device-independent bitmaps, blits and gradients.
//
// A DIB in a record is a BITMAPINFO (a BITMAPCOREHEADER of 12 bytes or a BITMAPINFOHEADER of 40
// bytes or more, then bit-field masks and/or a colour table) and the bits: rows padded to 32 bits,
// bottom row first unless the height is negative.
#include "EmfPlayback.h"

#include <QLinearGradient>
#include <bit>
#include <cmath>

namespace vek {
namespace {

constexpr std::int64_t kMaxPixels = std::int64_t(1) << 25;
constexpr std::int64_t kMaxSide = 1 << 16;
enum Compression : std::uint32_t {
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3,
    BI_JPEG = 4,
    BI_PNG = 5,
    BI_ALPHABITFIELDS = 6
};

struct DibInfo {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool bottomUp = true;
    int bpp = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t masks[4] = {0, 0, 0, 0};
};

// Scales a masked channel to 0..255; a missing mask gives full intensity.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Channel(std::uint32_t m)
        : mask(m)
        , shift(m ? std::countr_zero(m) : 0)
        , max(m ? (m >> shift) : 0) {}
    int get(std::uint32_t px) const { return max ? int(((px & mask) >> shift) * 255 / max) : 255; }
};

QList<QRgb> readColorTable(const EmfRecord& r, std::int64_t at, std::int64_t end, int bpp, std::uint32_t used,
                           int entrySize, std::uint32_t usage) {
    const std::int64_t wanted = used ? std::min<std::int64_t>(used, 1 << bpp) : (1 << bpp);
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (std::int64_t i = 0; i < wanted; ++i) {
        const std::int64_t e = at + i * entrySize;
        if (e + entrySize > end || !r.has(e, entrySize))
            break;
        if (usage == 1) { // palette indices: no palette here, so a grey ramp
            const int g = wanted > 1 ? int(i * 255 / (wanted - 1)) : 0;
            table[i] = qRgb(g, g, g);
        } else {
            table[i] = qRgb(r.u8(e + 2), r.u8(e + 1), r.u8(e));
        }
    }
    return table;
}

void decodeRle(const EmfRecord& r, std::int64_t off, std::int64_t len, bool four, QImage& img) {
    const std::int64_t w = img.width(), h = img.height();
    std::int64_t x = 0, y = 0; // y counts from the bottom row
    std::int64_t i = 0;
    auto put = [&](int index) {
        if (x < w && y < h)
            img.scanLine(int(h - 1 - y))[x] = uchar(index);
        ++x;
    };
    while (i + 1 < len) {
        const int count = r.u8(off + i), value = r.u8(off + i + 1);
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(four ? ((k & 1) ? value & 0xF : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (i + 1 >= len)
                return;
            x += r.u8(off + i);
            y += r.u8(off + i + 1);
            i += 2;
        } else {
            const std::int64_t bytes = four ? (value + 1) / 2 : value;
            for (int k = 0; k < value && i + (four ? k / 2 : k) < len; ++k) {
                const int b = r.u8(off + i + (four ? k / 2 : k));
                put(four ? ((k & 1) ? b & 0xF : b >> 4) : b);
            }
            i += (bytes + 1) & ~std::int64_t(1);
        }
        if (y >= h)
            return;
    }
}

} // namespace

EmfDib decodeDib(const EmfRecord& r, std::uint32_t offBmi, std::uint32_t cbBmi, std::uint32_t offBits,
                 std::uint32_t cbBits, std::uint32_t usage, bool alpha) {
    EmfDib dib;
    if (cbBmi < 12 || !r.has(offBmi, cbBmi) || !r.has(offBits, cbBits))
        return dib;
    const std::int64_t hdr = r.u32(offBmi);
    const std::int64_t bmiEnd = std::int64_t(offBmi) + cbBmi;
    DibInfo info;
    int entrySize = 4;
    std::uint32_t used = 0;
    if (hdr == 12) {
        info.width = r.u16(offBmi + 4);
        info.height = r.i16(offBmi + 6);
        info.bpp = r.u16(offBmi + 10);
        entrySize = 3;
    } else if (hdr >= 40 && hdr <= cbBmi) {
        info.width = r.i32(offBmi + 4);
        info.height = r.i32(offBmi + 8);
        info.bpp = r.u16(offBmi + 14);
        info.compression = r.u32(offBmi + 16);
        used = r.u32(offBmi + 32);
    } else {
        return dib;
    }
    info.bottomUp = info.height > 0;
    info.height = std::abs(info.height);
    dib.bottomUp = info.bottomUp;
    if (info.width <= 0 || info.height <= 0 || info.width > kMaxSide || info.height > kMaxSide ||
        info.width * info.height > kMaxPixels)
        return dib;

    if (info.compression == BI_JPEG || info.compression == BI_PNG) {
        dib.image = QImage::fromData(r.span(offBits, cbBits));
        dib.bottomUp = false;
        return dib;
    }
    std::int64_t tableAt = offBmi + hdr;
    if (info.compression == BI_BITFIELDS || info.compression == BI_ALPHABITFIELDS) {
        const int n = info.compression == BI_ALPHABITFIELDS ? 4 : 3;
        const std::int64_t at = hdr >= 52 ? offBmi + 40 : offBmi + hdr; // V4/V5 keep them inside
        for (int i = 0; i < n; ++i)
            info.masks[i] = at + 4 * i + 4 <= bmiEnd ? r.u32(at + 4 * i) : 0;
        if (hdr < 52)
            tableAt += 4 * n;
    } else if (info.compression != BI_RGB && info.compression != BI_RLE8 && info.compression != BI_RLE4) {
        return dib;
    }
    const int bpp = info.bpp;
    const int w = int(info.width), h = int(info.height);

    if (bpp == 1 || bpp == 4 || bpp == 8) {
        QImage img(w, h, QImage::Format_Indexed8);
        if (img.isNull())
            return dib;
        img.setColorTable(readColorTable(r, tableAt, bmiEnd, bpp, used, entrySize, usage));
        img.fill(0);
        if (info.compression == BI_RLE8 || info.compression == BI_RLE4) {
            decodeRle(r, offBits, cbBits, info.compression == BI_RLE4, img);
            dib.bottomUp = true;
            dib.image = img;
            return dib;
        }
        const std::int64_t stride = ((info.width * bpp + 31) / 32) * 4;
        const std::int64_t rows = std::min<std::int64_t>(h, cbBits / stride);
        if (rows == 0)
            return dib;
        const uchar* bits = reinterpret_cast<const uchar*>(r.bytes().data()) + offBits;
        for (std::int64_t y = 0; y < rows; ++y) {
            const uchar* src = bits + y * stride;
            uchar* dst = img.scanLine(int(info.bottomUp ? h - 1 - y : y));
            for (int x = 0; x < w; ++x) {
                if (bpp == 8)
                    dst[x] = src[x];
                else if (bpp == 4)
                    dst[x] = (x & 1) ? src[x / 2] & 0xF : src[x / 2] >> 4;
                else
                    dst[x] = (src[x / 8] >> (7 - (x & 7))) & 1;
            }
        }
        dib.image = img;
        return dib;
    }
    if (bpp != 16 && bpp != 24 && bpp != 32)
        return dib;
    if (info.compression == BI_RGB) {
        if (bpp == 16) {
            info.masks[0] = 0x7C00;
            info.masks[1] = 0x03E0;
            info.masks[2] = 0x001F;
        } else {
            info.masks[0] = 0xFF0000;
            info.masks[1] = 0xFF00;
            info.masks[2] = 0xFF;
            info.masks[3] = alpha && bpp == 32 ? 0xFF000000 : 0;
        }
    } else if (alpha && bpp == 32 && info.masks[3] == 0) {
        info.masks[3] = 0xFF000000;
    }
    const bool hasAlpha = info.masks[3] != 0;
    QImage img(w, h, hasAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (img.isNull())
        return dib;
    img.fill(hasAlpha ? 0u : 0xFFFFFFFFu);
    const Channel cr(info.masks[0]), cg(info.masks[1]), cb(info.masks[2]), ca(info.masks[3]);
    const std::int64_t stride = ((info.width * bpp + 31) / 32) * 4;
    const std::int64_t rows = std::min<std::int64_t>(h, cbBits / stride);
    if (rows == 0)
        return dib;
    const uchar* bits = reinterpret_cast<const uchar*>(r.bytes().data()) + offBits;
    const int bytesPerPixel = bpp / 8;
    for (std::int64_t y = 0; y < rows; ++y) {
        const uchar* src = bits + y * stride;
        auto* dst = reinterpret_cast<QRgb*>(img.scanLine(int(info.bottomUp ? h - 1 - y : y)));
        for (int x = 0; x < w; ++x) {
            const uchar* p = src + std::int64_t(x) * bytesPerPixel;
            std::uint32_t px = p[0] | (std::uint32_t(p[1]) << 8);
            if (bytesPerPixel >= 3)
                px |= std::uint32_t(p[2]) << 16;
            if (bytesPerPixel == 4)
                px |= std::uint32_t(p[3]) << 24;
            const int a = hasAlpha ? ca.get(px) : 255;
            int red = cr.get(px), green = cg.get(px), blue = cb.get(px);
            if (hasAlpha) { // premultiplied already; keep it consistent when it is not
                red = std::min(red, a);
                green = std::min(green, a);
                blue = std::min(blue, a);
            }
            dst[x] = qRgba(red, green, blue, a);
        }
    }
    dib.image = img;
    return dib;
}

bool EmfPlayback::playBitmap(const EmfRecord& r) {
    switch (r.type()) {
    case emr::STRETCHDIBITS:
    case emr::SETDIBITSTODEVICE:
        return stretchDib(r);
    case emr::BITBLT:
    case emr::STRETCHBLT:
    case emr::ALPHABLEND:
    case emr::TRANSPARENTBLT:
        return blt(r);
    case emr::GRADIENTFILL:
        return gradientFill(r);
    default:
        return true;
    }
}

bool EmfPlayback::stretchDib(const EmfRecord& r) {
    // rclBounds, xDest, yDest, xSrc, ySrc, cxSrc, cySrc, offBmiSrc, cbBmiSrc, offBitsSrc,
    // cbBitsSrc, iUsageSrc, then dwRop, cxDest, cyDest (STRETCHDIBITS) or iStartScan, cScans.
    const bool stretch = r.type() == emr::STRETCHDIBITS;
    if (!r.has(8, 72))
        return false;
    const QPointF dest(r.i32(24), r.i32(28));
    const QRectF srcRect(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
    const QSizeF destSize = stretch ? QSizeF(r.i32(72), r.i32(76)) : srcRect.size();
    const std::uint32_t rop = stretch ? r.u32(68) : 0x00CC0020;
    if (r.u32(52) == 0) {
        m_dc.patBlt(QRectF(dest, destSize), rop);
        return true;
    }
    const EmfDib dib = decodeDib(r, r.u32(48), r.u32(52), r.u32(56), r.u32(60), r.u32(64), false);
    if (dib.image.isNull())
        return false;
    QRectF src = srcRect;
    if (dib.bottomUp) // source y counts from the bottom row of a bottom-up bitmap
        src.moveTop(dib.image.height() - srcRect.y() - srcRect.height());
    m_dc.drawImage(QRectF(dest, destSize), dib.image, src, rop);
    return true;
}

bool EmfPlayback::blt(const EmfRecord& r) {
    // rclBounds, xDest, yDest, cxDest, cyDest, dwRop, xSrc, ySrc, xformSrc, crBkColorSrc,
    // iUsageSrc, offBmiSrc, cbBmiSrc, offBitsSrc, cbBitsSrc, then cxSrc, cySrc unless BITBLT.
    if (!r.has(8, 92))
        return false;
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const std::uint32_t rop = r.u32(40);
    const std::uint32_t cbBmi = r.u32(88);
    if (cbBmi == 0) {
        m_dc.patBlt(dest, rop);
        return true;
    }
    if (!r.has(92, 8))
        return false;
    const bool withSrcSize = r.type() != emr::BITBLT;
    if (withSrcSize && !r.has(100, 8))
        return false;
    const bool alphaBlend = r.type() == emr::ALPHABLEND;
    const bool srcAlpha = alphaBlend && (r.u8(43) & 1);
    EmfDib dib = decodeDib(r, r.u32(84), cbBmi, r.u32(92), r.u32(96), r.u32(80), srcAlpha);
    if (dib.image.isNull())
        return false;
    const QRectF src(r.i32(44), r.i32(48), withSrcSize ? r.i32(100) : dest.width(),
                     withSrcSize ? r.i32(104) : dest.height());
    if (r.type() == emr::TRANSPARENTBLT) {
        const QRgb key = toQColor(rop & 0xFFFFFF).rgb() & 0xFFFFFF;
        QImage img = dib.image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                if ((line[x] & 0xFFFFFF) == key)
                    line[x] = 0;
            }
        }
        m_dc.drawImage(dest, img, src, 0x00CC0020);
        return true;
    }
    if (alphaBlend) {
        QPainter& p = m_dc.painter();
        const double opacity = p.opacity();
        p.setOpacity(opacity * r.u8(42) / 255.0);
        m_dc.drawImage(dest, dib.image, src, 0x00CC0020);
        p.setOpacity(opacity);
        return true;
    }
    m_dc.drawImage(dest, dib.image, src, rop);
    return true;
}

bool EmfPlayback::gradientFill(const EmfRecord& r) {
    // rclBounds, nVer, nTri, ulMode, TRIVERTEX[nVer] (x, y, 16-bit red, green, blue, alpha), then
    // GRADIENT_RECT[nTri] (two indices) or GRADIENT_TRIANGLE[nTri] (three indices).
    if (!r.has(24, 12))
        return false;
    const std::int64_t nVer = r.u32(24), nTri = r.u32(28);
    const std::uint32_t mode = r.u32(32);
    const std::int64_t per = mode == 2 ? 12 : 8;
    if (mode > 2 || !r.hasArray(36, nVer, 16) || !r.hasArray(36 + 16 * nVer, nTri, per))
        return false;
    auto vertex = [&](std::uint32_t i, QPointF& p, QColor& c) {
        if (i >= nVer)
            return false;
        const std::int64_t at = 36 + 16 * std::int64_t(i);
        p = QPointF(r.i32(at), r.i32(at + 4));
        c = QColor(r.u16(at + 8) >> 8, r.u16(at + 10) >> 8, r.u16(at + 12) >> 8);
        return true;
    };
    QPainter& painter = m_dc.painter();
    for (std::int64_t i = 0; i < nTri; ++i) {
        const std::int64_t at = 36 + 16 * nVer + per * i;
        QPointF p[3];
        QColor c[3];
        const int corners = mode == 2 ? 3 : 2;
        bool ok = true;
        for (int k = 0; k < corners; ++k)
            ok = ok && vertex(r.u32(at + 4 * k), p[k], c[k]);
        if (!ok)
            continue;
        QPainterPath path;
        QBrush brush;
        if (mode == 2) {
            path.addPolygon(QPolygonF({p[0], p[1], p[2]}));
            brush = QColor((c[0].red() + c[1].red() + c[2].red()) / 3,
                           (c[0].green() + c[1].green() + c[2].green()) / 3,
                           (c[0].blue() + c[1].blue() + c[2].blue()) / 3);
        } else {
            const QRectF box = QRectF(p[0], p[1]).normalized();
            path.addRect(box);
            QLinearGradient g(p[0], mode == 0 ? QPointF(p[1].x(), p[0].y()) : QPointF(p[0].x(), p[1].y()));
            g.setColorAt(0, c[0]);
            g.setColorAt(1, c[1]);
            brush = g;
        }
        m_dc.applyLogical();
        painter.fillPath(path, brush);
    }
    return true;
}

} // namespace vek
