// WMF headers, the record walk, placing the picture, and the conversion and playback entry points.
//
// A WMF file may open with a placeable header of 22 bytes: the key 0x9AC6CDD7, a handle word, the
// bounding box (left, top, right, bottom, 16-bit logical units), the units per inch, a reserved
// double word and a checksum. The metafile header of 18 bytes follows (or opens the file): type
// (1 memory, 2 disk), header size in words (9), version, file size in words, number of objects,
// largest record in words, a reserved word. The records come next.
#include "WmfPlayer.h"

#include "Errors.h"
#include "Metafile.h"
#include "WmfConvert.h"
#include "WmfRecords.h"

#include <QtEndian>
#include <cmath>
#include <optional>

namespace vek {
namespace {

constexpr int kMaxFrame = 10'000'000; // 100 m in 0.01 mm
constexpr int kDefaultBox = 1024;     // a picture that gives no size at all
constexpr qsizetype kMaxOutput = qsizetype(256) << 20;

struct Scan {
    std::optional<QPoint> windowOrg;
    std::optional<QSize> windowExt;
    QRect drawn; // what the records draw, logical units
};

void include(QRect& box, int x, int y) {
    box |= QRect(x, y, 1, 1);
}

// A rectangle given as bottom, right, top, left at the offset.
void includeRect(QRect& box, const EmfRecord& r, std::int64_t at) {
    include(box, r.i16(at + 6), r.i16(at + 4));
    include(box, r.i16(at + 2), r.i16(at));
}

void includePoints(QRect& box, const EmfRecord& r, std::int64_t at, std::int64_t count) {
    if (!r.hasArray(at, count, 4))
        return;
    for (std::int64_t i = 0; i < count; ++i)
        include(box, r.i16(at + 4 * i), r.i16(at + 4 * i + 2));
}

void includeDrawing(QRect& box, const EmfRecord& r) {
    switch (r.type()) {
    case wmr::MOVETO:
    case wmr::LINETO:
        if (r.has(6, 4))
            include(box, r.i16(8), r.i16(6));
        break;
    case wmr::RECTANGLE:
    case wmr::ELLIPSE:
        if (r.has(6, 8))
            includeRect(box, r, 6);
        break;
    case wmr::ROUNDRECT:
        if (r.has(6, 12))
            includeRect(box, r, 10);
        break;
    case wmr::ARC:
    case wmr::PIE:
    case wmr::CHORD:
        if (r.has(6, 16))
            includeRect(box, r, 14);
        break;
    case wmr::POLYGON:
    case wmr::POLYLINE:
        includePoints(box, r, 8, r.u16(6));
        break;
    case wmr::EXTTEXTOUT:
        if (r.has(6, 4))
            include(box, r.i16(8), r.i16(6));
        break;
    default: {
        WmfBlt blt;
        if (readWmfBlt(r, blt) && !blt.dest.isEmpty()) {
            include(box, blt.dest.left(), blt.dest.top());
            include(box, blt.dest.right(), blt.dest.bottom());
        }
    }
    }
}

Scan scanWmf(QByteArrayView wmf, qsizetype start) {
    Scan s;
    WmfWalker walker(wmf, start);
    EmfRecord r;
    while (walker.next(r)) {
        if (r.type() == wmr::SETWINDOWORG && !s.windowOrg && r.has(6, 4))
            s.windowOrg = QPoint(r.i16(8), r.i16(6));
        else if (r.type() == wmr::SETWINDOWEXT && !s.windowExt && r.has(6, 4) && r.i16(6) && r.i16(8))
            s.windowExt = QSize(r.i16(8), r.i16(6));
        else
            includeDrawing(s.drawn, r);
    }
    return s;
}

int frameLength(double units, double himetricPerUnit) {
    return int(std::clamp(std::round(std::abs(units) * himetricPerUnit), 1.0, double(kMaxFrame)));
}

} // namespace

bool readWmfInfo(QByteArrayView bytes, WmfInfo& info) {
    info = WmfInfo{};
    const EmfRecord r(0, bytes);
    qsizetype at = 0;
    if (r.u32(0) == wmr::PLACEABLE_KEY) {
        if (!r.has(0, wmr::PLACEABLE_HEADER_SIZE))
            return false;
        info.placeable = true;
        info.bounds = QRect(QPoint(r.i16(6), r.i16(8)), QSize(r.i16(10) - r.i16(6), r.i16(12) - r.i16(8)));
        info.unitsPerInch = r.u16(14);
        at = wmr::PLACEABLE_HEADER_SIZE;
    }
    const std::uint16_t type = r.u16(at), headerWords = r.u16(at + 2);
    if (!r.has(at, wmr::META_HEADER_SIZE) || (type != 1 && type != 2) || headerWords != 9)
        return false;
    info.recordsAt = at + wmr::META_HEADER_SIZE;
    return true;
}

bool WmfWalker::next(EmfRecord& record) {
    if (m_done)
        return false;
    const qsizetype left = m_bytes.size() - m_offset;
    if (left < 6) { // the bytes end before META_EOF
        m_damaged = true;
        m_done = true;
        return false;
    }
    const std::int64_t bytes = std::int64_t(qFromLittleEndian<quint32>(m_bytes.data() + m_offset)) * 2;
    const quint16 function = qFromLittleEndian<quint16>(m_bytes.data() + m_offset + 4);
    if (bytes < 6 || bytes > left) {
        m_damaged = true;
        m_done = true;
        return false;
    }
    if (function == wmr::EOF_) {
        m_done = true;
        return false;
    }
    record = EmfRecord(function, m_bytes.sliced(m_offset, qsizetype(bytes)));
    m_offset += qsizetype(bytes);
    return true;
}

WmfPlacement placeWmf(QByteArrayView wmf, const WmfInfo& info, QSize extentHimetric) {
    WmfPlacement p;
    const bool inches = info.placeable && info.unitsPerInch > 0;
    const double himetricPerUnit = 2540.0 / (inches ? info.unitsPerInch : 96);
    if (info.placeable && info.bounds.width() != 0 && info.bounds.height() != 0) {
        p.origin = info.bounds.topLeft();
        p.extent = info.bounds.size();
    } else {
        const Scan s = scanWmf(wmf, info.recordsAt);
        const bool extentKnown = extentHimetric.width() > 0 && extentHimetric.height() > 0;
        if (s.windowExt) {
            p.origin = s.windowOrg.value_or(QPoint());
            p.extent = *s.windowExt;
        } else if (extentKnown) {
            p.extent = QSize(std::max(1, int(std::lround(extentHimetric.width() / himetricPerUnit))),
                             std::max(1, int(std::lround(extentHimetric.height() / himetricPerUnit))));
        } else if (!s.drawn.isEmpty()) {
            p.origin = s.drawn.topLeft();
            p.extent = s.drawn.size();
        } else {
            p.extent = QSize(kDefaultBox, kDefaultBox);
        }
        if (extentKnown && !info.placeable) {
            p.frame = QSize(std::min(extentHimetric.width(), kMaxFrame),
                            std::min(extentHimetric.height(), kMaxFrame));
            return p;
        }
    }
    p.frame = QSize(frameLength(p.extent.width(), himetricPerUnit),
                    frameLength(p.extent.height(), himetricPerUnit));
    return p;
}

WmfConversion convertWmf(QByteArrayView wmf, QSize extentHimetric) {
    WmfConversion c;
    WmfInfo info;
    if (!readWmfInfo(wmf, info))
        return c;
    WmfTranslator translator(placeWmf(wmf, info, extentHimetric));
    // Some records grow when translated (text to UTF-16, a region selected again and again); the
    // output is held to a multiple of the input.
    const qsizetype budget = std::min(kMaxOutput, 16 * wmf.size() + (qsizetype(1) << 20));
    WmfWalker walker(wmf, info.recordsAt);
    EmfRecord r;
    while (walker.next(r)) {
        ++c.records;
        if (!translator.translate(r))
            ++c.skipped;
        if (translator.outputSize() > budget) {
            c.truncated = true;
            break;
        }
    }
    c.truncated = c.truncated || walker.damaged();
    c.emf = translator.finish();
    return c;
}

TMetafile wmfToMetafile(QByteArrayView wmf, QSize extentHimetric) {
    WmfConversion c = convertWmf(wmf, extentHimetric);
    if (c.emf.isEmpty())
        throw EInvalidGraphic(QStringLiteral("Nieprawidłowy metaplik"));
    return TMetafile::fromBytes(std::move(c.emf));
}

EmfPlayResult playWmf(QPainter& painter, const QRectF& target, QByteArrayView wmf,
                      const EmfPlayOptions& options, QSize extentHimetric) {
    const WmfConversion c = convertWmf(wmf, extentHimetric);
    EmfPlayResult result;
    if (c.emf.isEmpty())
        return result;
    const EmfPlayResult played = playEmf(painter, target, c.emf, options);
    result.valid = played.valid;
    result.skipped = c.skipped + played.skipped;
    result.records = std::max(0, c.records - result.skipped);
    result.truncated = c.truncated;
    return result;
}

} // namespace vek
