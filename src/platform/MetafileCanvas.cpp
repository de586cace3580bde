// Records emitted by the metafile canvas. All fields are little-endian; every record starts with
// its type and its size in bytes, a multiple of 4. Coordinates are logical units (the canvas's).
//
//   EMR_HEADER (1)        rclBounds (device, inclusive, union of everything drawn), rclFrame
//                         (0.01 mm), " EMF", version 0x10000, nBytes, nRecords, nHandles,
//                         description "VekPokaz\0Strona\0\0", szlDevice = the metafile's pixel
//                         size, szlMillimeters and szlMicrometers = its frame: one device pixel
//                         is one canvas unit.
//   EMR_CREATEPEN (38)    ihPen, LOGPEN { style, width (POINTL, x used), colour }
//   EMR_CREATEBRUSHINDIRECT (39)  ihBrush, LOGBRUSH32 { style, colour, hatch }
//   EMR_EXTCREATEFONTINDIRECTW (82)  ihFont, LOGFONTW (92 bytes: height, width, escapement,
//                         orientation, weight, italic, underline, strike-out, charset, precisions,
//                         quality, pitch and family, face name of 32 UTF-16 units)
//   EMR_SELECTOBJECT (37), EMR_DELETEOBJECT (40)  ihObject; stock objects have bit 31 set.
//                         Objects are kept alive and selected again while they are in use: a font
//                         is written once per page as long as it is one of the recent ones.
//   EMR_SETTEXTCOLOR (24), EMR_SETBKCOLOR (25), EMR_SETBKMODE (18): written when they change.
//   EMR_MOVETOEX (27), EMR_LINETO (54): a point. A lone segment is written this way.
//   EMR_POLYLINE16 (87) / EMR_POLYLINE (4): rclBounds, count, points (16-bit when they fit).
//   EMR_POLYPOLYLINE16 (90) / EMR_POLYPOLYLINE (7): rclBounds, number of lines, number of points,
//                         the point count of each line (always 2), points: a run of moveTo/lineTo
//                         segments. It leaves the current position alone; MOVETOEX follows only
//                         where a later record depends on it.
//   EMR_RECTANGLE (43): rclBox, right and bottom excluded as in Rectangle().
//   EMR_EXTTEXTOUTW (84): rclBounds, iGraphicsMode 1, exScale, eyScale, then EMRTEXT
//                         { reference point (top-left of the text), nChars, offString, options,
//                         rcl, offDx }, the UTF-16 string padded to 4 bytes and one 32-bit
//                         advance per UTF-16 unit. The text alignment stays TA_TOP | TA_LEFT.
//   EMR_STRETCHDIBITS (81): rclBounds, destination, source rectangle, BITMAPINFOHEADER and the
//                         bottom-up 24-bit BGR rows, SRCCOPY, DIB_RGB_COLORS.
//   EMR_INTERSECTCLIPRECT (30), EMR_SAVEDC (33), EMR_RESTOREDC (34, always relative),
//   EMR_SETMAPMODE (17), EMR_SETWINDOWORGEX (10), EMR_SETWINDOWEXTEX (9),
//   EMR_SETVIEWPORTORGEX (12), EMR_SETVIEWPORTEXTEX (11).
//   Another metafile drawn into a rectangle: see MetafileCanvasEmbed.cpp.
//   EMR_EOF (14): no palette.
#include "MetafileCanvas.h"

#include "DrawText.h"
#include "EmfWalk.h"
#include "TextPlacement.h"

#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace vek {
namespace {

constexpr std::size_t kMaxFonts = 16;
constexpr std::size_t kMaxPens = 8;
constexpr std::size_t kMaxBrushes = 8;
constexpr int kFaceUnits = 32;
constexpr std::uint32_t kGmCompatible = 1;
constexpr std::uint32_t kSrcCopy = 0x00CC0020;

template <typename Points> bool fitsInt16(const Points& points) {
    return std::all_of(points.begin(), points.end(), [](QPoint p) {
        return p.x() >= -32768 && p.x() <= 32767 && p.y() >= -32768 && p.y() <= 32767;
    });
}

// Whether a segment from `from`, the last end point, to `to` goes on in the direction of the last segment,
// both along one axis: the two then draw exactly the pixels of one segment (with a solid pen).
bool continuesStraight(const std::vector<QPoint>& ends, QPoint from, QPoint to) {
    if (ends.size() < 2 || ends.back() != from)
        return false;
    const QPoint a = ends[ends.size() - 2], b = ends.back();
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    if (a.y() == b.y() && b.y() == to.y())
        return a.x() != b.x() && sign(b.x() - a.x()) == sign(to.x() - b.x());
    if (a.x() == b.x() && b.x() == to.x())
        return a.y() != b.y() && sign(b.y() - a.y()) == sign(to.y() - b.y());
    return false;
}

// One axis of QRectF::united(): the union's start u and size us joined with v and vs, in Qt's
// operations and order.
void uniteAxis(double& u, double& us, double v, double vs) {
    double low = u, high = u;
    (us < 0 ? low : high) += us;
    if (vs < 0) {
        low = qMin(low, v + vs);
        high = qMax(high, v);
    } else {
        low = qMin(low, v);
        high = qMax(high, v + vs);
    }
    u = low;
    us = high - low;
}

// The union of what the glyphs of text can cover: each character's cell (TextPlacement::cell)
// widened to the glyph's own advance where the mapping squeezes the advances more than the glyphs
// (without the advanced mode text scales by the vertical scale only). Computed with the very
// operations of QRectF::normalized() and QRectF::united() in their order, so to the last bit the
// bounds they would give, without a library call per character.
QRectF glyphCells(const TextPlacement& place, const GdiFont& font, QStringView text, const int* dx) {
    double ux = 0, uy = 0, uw = 0, uh = 0; // the union so far, as QRectF holds it
    const double ascent = font.ascent();
    const double height = font.height();
    for (qsizetype i = 0, at = 0; i < text.size(); at += dx[i], ++i) {
        // The cell, normalized, widened to the glyph's natural advance.
        const QPointF o = place.origin(double(at), 0);
        double x = o.x(), y = o.y() - ascent, w = double(dx[i]) * place.posScaleX, h = height;
        if (w < 0) {
            x += w;
            w = -w;
        }
        if (h < 0) {
            y += h;
            h = -h;
        }
        const double natural = font.advance(text[i].unicode()) / place.stretch;
        w = std::max(x + w, o.x() + natural) - x;
        // united()
        if (uw == 0. && uh == 0.) {
            ux = x, uy = y, uw = w, uh = h;
            continue;
        }
        if (w == 0. && h == 0.)
            continue;
        uniteAxis(ux, uw, x, w);
        uniteAxis(uy, uh, y, h);
    }
    return QRectF(ux, uy, uw, uh);
}

// The image as bottom-up 24-bit rows, transparent parts over white.
QByteArray dibRows(const QImage& image, int& stride) {
    QImage rgb(image.size(), QImage::Format_BGR888);
    rgb.fill(Qt::white);
    {
        QPainter p(&rgb);
        p.drawImage(0, 0, image);
    }
    stride = (rgb.width() * 3 + 3) & ~3;
    QByteArray rows(qsizetype(stride) * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* src = rgb.constScanLine(y);
        std::copy(src, src + rgb.width() * 3, rows.data() + qsizetype(rgb.height() - 1 - y) * stride);
    }
    return rows;
}

} // namespace

namespace {

// A device coordinate as a whole number: what hostile sizes and transforms can push past the range
// of int is held to +-1e9, and a coordinate that is not a number is 0.
int deviceCoord(double v) {
    return std::isnan(v) ? 0 : int(std::clamp(v, -1e9, 1e9));
}

} // namespace

QRect MetafileCanvas::inclusive(const QRectF& r) {
    return QRect(QPoint(deviceCoord(std::floor(r.left())), deviceCoord(std::floor(r.top()))),
                 QPoint(deviceCoord(std::ceil(r.right())) - 1, deviceCoord(std::ceil(r.bottom())) - 1));
}

std::uint32_t MetafileCanvas::Handles::allocate() {
    for (std::size_t i = 1; i < used.size(); ++i) {
        if (!used[i]) {
            used[i] = true;
            return std::uint32_t(i);
        }
    }
    used.push_back(true);
    return std::uint32_t(used.size() - 1);
}

void MetafileCanvas::Handles::release(std::uint32_t h) {
    if (h > 0 && h < used.size())
        used[h] = false;
}

MetafileCanvas::MetafileCanvas(TMetafile& target, int logPixels)
    : m_target(&target)
    , m_logPixels(logPixels) {
    if (target.size().isEmpty())
        target.setSize(QSize(1, 1));
    const QRect f = target.frame();
    if (f.right() <= f.left() || f.bottom() <= f.top())
        target.setFrame(QRect(QPoint(0, 0), QPoint(int(std::lround(target.width() * 2540.0 / 96.0)),
                                                   int(std::lround(target.height() * 2540.0 / 96.0)))));
    m_device = target.size();
    m_devicePerMm = QSizeF(m_device.width() * 100.0 / frameExtent().width(),
                           m_device.height() * 100.0 / frameExtent().height());
    m_dc.map = DcMapping(m_devicePerMm);
    m_out.setBeforeRecord([this] { flushLines(); });
    readExisting();
}

QSize MetafileCanvas::frameExtent() const {
    const QRect f = m_target->frame();
    return QSize(std::max(1, f.right() - f.left()), std::max(1, f.bottom() - f.top()));
}

MetafileCanvas::~MetafileCanvas() {
    finish();
}

void MetafileCanvas::readExisting() {
    const QByteArray& bytes = m_target->bytes();
    if (bytes.isEmpty())
        return;
    m_dc.played.reset(); // wherever the old records left it
    EmfWalker walker(bytes);
    EmfRecord rec;
    while (walker.next(rec)) {
        if (rec.type() == emr::HEADER) {
            const QRect b = rec.rectL(8);
            if (b.isValid())
                m_bounds = QRectF(b.left(), b.top(), b.width(), b.height());
            m_handles.used.assign(std::max<std::size_t>(1, rec.u16(56)), true);
        } else if (rec.type() != emr::EOF_ && rec.size() % 4 == 0) {
            m_out.raw(rec.bytes());
        }
    }
}

void MetafileCanvas::finish() {
    if (!open())
        return;
    flushLines();
    // Leave no object of ours alive in the handle table.
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::BLACK_PEN)});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::WHITE_BRUSH)});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::DEVICE_DEFAULT_FONT)});
    for (const CachedObject& o : m_objects)
        m_out.record(emr::DELETEOBJECT, {std::int32_t(o.handle)});
    m_objects.clear();

    EmfHeaderInfo info;
    if (!m_bounds.isEmpty())
        info.bounds = inclusive(m_bounds);
    const QRect f = m_target->frame();
    info.frame = f;
    info.devicePixels = m_device;
    info.deviceMicrons = frameExtent() * 10;
    info.records = m_out.records();
    info.bodyBytes = std::uint32_t(m_out.body().size());
    info.handles = std::uint16_t(std::min<std::uint32_t>(m_handles.tableSize(), 0xffff));
    TMetafile* target = m_target;
    m_target = nullptr;
    const QSize size = target->size();
    target->setBytes(assembleEmf(info, m_out.body()), size);
}

// --- objects ---------------------------------------------------------------------------------

bool MetafileCanvas::inUse(std::uint32_t handle) const {
    auto selected = [handle](const Emitted& e) {
        return e.pen == handle || e.brush == handle || e.font == handle;
    };
    if (selected(m_dc.emitted))
        return true;
    return std::any_of(m_saved.begin(), m_saved.end(), [&](const DcState& s) { return selected(s.emitted); });
}

std::uint32_t MetafileCanvas::newHandle(CachedObject::Kind kind) {
    const std::size_t limit = kind == CachedObject::Font  ? kMaxFonts
                              : kind == CachedObject::Pen ? kMaxPens
                                                          : kMaxBrushes;
    const auto count = std::count_if(m_objects.begin(), m_objects.end(),
                                     [kind](const CachedObject& o) { return o.kind == kind; });
    if (std::size_t(count) >= limit) {
        auto victim = m_objects.end();
        for (auto it = m_objects.begin(); it != m_objects.end(); ++it) {
            if (it->kind == kind && !inUse(it->handle) &&
                (victim == m_objects.end() || it->lastUse < victim->lastUse))
                victim = it;
        }
        if (victim != m_objects.end()) {
            const std::uint32_t h = victim->handle;
            m_out.record(emr::DELETEOBJECT, {std::int32_t(h)});
            m_objects.erase(victim);
            return h; // the slot is free again and taken at once
        }
    }
    return m_handles.allocate();
}

std::uint32_t MetafileCanvas::objectFor(const CachedObject& wanted) {
    for (CachedObject& o : m_objects) {
        if (o.kind != wanted.kind)
            continue;
        const bool same = (o.kind == CachedObject::Pen && o.pen == wanted.pen) ||
                          (o.kind == CachedObject::Brush && o.brush == wanted.brush) ||
                          (o.kind == CachedObject::Font && o.font == wanted.font);
        if (same) {
            o.lastUse = ++m_useCounter;
            return o.handle;
        }
    }
    CachedObject o = wanted;
    o.handle = newHandle(o.kind);
    o.lastUse = ++m_useCounter;
    writeCreate(o);
    m_objects.push_back(o);
    return o.handle;
}

void MetafileCanvas::writeCreate(const CachedObject& o) {
    switch (o.kind) {
    case CachedObject::Pen:
        m_out.record(emr::CREATEPEN, {std::int32_t(o.handle), std::int32_t(o.pen.style), o.pen.width, 0,
                                      std::int32_t(o.pen.color)});
        break;
    case CachedObject::Brush:
        m_out.record(emr::CREATEBRUSHINDIRECT, {std::int32_t(o.handle), std::int32_t(o.brush.style),
                                                std::int32_t(o.brush.color), std::int32_t(o.brush.hatch)});
        break;
    case CachedObject::Font: {
        const LogFont& lf = o.font->logFont();
        m_out.begin(emr::EXTCREATEFONTINDIRECTW);
        m_out.u32(o.handle);
        for (std::int32_t v : {lf.height, lf.width, lf.escapement, lf.orientation, lf.weight})
            m_out.i32(v);
        const char flags[8] = {char(lf.italic),  char(lf.underline),     char(lf.strikeOut),
                               char(lf.charSet), char(lf.outPrecision),  char(lf.clipPrecision),
                               char(lf.quality), char(lf.pitchAndFamily)};
        m_out.bytes(QByteArrayView(flags, 8));
        const QStringView face = QStringView(lf.faceName).left(kFaceUnits - 1);
        m_out.utf16(face);
        for (qsizetype i = face.size(); i < kFaceUnits; ++i)
            m_out.u16(0);
        m_out.end();
        break;
    }
    }
}

void MetafileCanvas::select(std::optional<std::uint32_t>& emitted, std::uint32_t handle) {
    if (emitted == handle)
        return;
    m_out.record(emr::SELECTOBJECT, {std::int32_t(handle)});
    emitted = handle;
}

void MetafileCanvas::usePen() {
    CachedObject want{CachedObject::Pen, m_dc.pen, {}, {}, 0, 0};
    const std::uint32_t h = m_dc.pen.style == PS_NULL ? std::uint32_t(emr::NULL_PEN) : objectFor(want);
    select(m_dc.emitted.pen, h);
}

void MetafileCanvas::useBrush(const LogBrush& brush) {
    CachedObject want{CachedObject::Brush, {}, brush, {}, 0, 0};
    const std::uint32_t h = brush.style == BS_NULL ? std::uint32_t(emr::NULL_BRUSH) : objectFor(want);
    select(m_dc.emitted.brush, h);
}

void MetafileCanvas::useFont() {
    if (!m_dc.font)
        m_dc.font = defaultFont();
    CachedObject want{CachedObject::Font, {}, {}, m_dc.font, 0, 0};
    select(m_dc.emitted.font, objectFor(want));
}

void MetafileCanvas::useTextColours(bool opaqueBox) {
    Emitted& e = m_dc.emitted;
    if (e.textColor != m_dc.textColor) {
        m_out.record(emr::SETTEXTCOLOR, {std::int32_t(m_dc.textColor)});
        e.textColor = m_dc.textColor;
    }
    if (e.bkMode != m_dc.bkMode) {
        m_out.record(emr::SETBKMODE, {m_dc.bkMode});
        e.bkMode = m_dc.bkMode;
    }
    if ((m_dc.bkMode == OPAQUE || opaqueBox) && e.bkColor != m_dc.bkColor) {
        m_out.record(emr::SETBKCOLOR, {std::int32_t(m_dc.bkColor)});
        e.bkColor = m_dc.bkColor;
    }
}

// --- bounds ----------------------------------------------------------------------------------

QRect MetafileCanvas::addDeviceBounds(QRectF dev) {
    if (m_dc.clip)
        dev = dev.intersected(*m_dc.clip);
    if (dev.isEmpty())
        return QRect(QPoint(0, 0), QPoint(-1, -1));
    m_bounds = m_bounds.isEmpty() ? dev : m_bounds.united(dev);
    return inclusive(dev);
}

QRect MetafileCanvas::addBounds(const QRectF& logical, double grow) {
    return addDeviceBounds(m_dc.map.toDevice(logical).adjusted(-grow, -grow, grow, grow));
}

double MetafileCanvas::penReach() const {
    // A pen of width 1 or less is one device pixel wide; a wider one is as wide as it is in
    // logical units, and its round ends reach half the width beyond the end points.
    const QSizeF pixel = m_dc.map.devicePixelInLogical();
    const double scale =
        pixel.width() > 0 && pixel.height() > 0 ? 1 / std::min(pixel.width(), pixel.height()) : 1;
    return (m_dc.pen.width > 1 ? m_dc.pen.width * scale : 1) / 2;
}

// --- drawing ---------------------------------------------------------------------------------

void MetafileCanvas::moveTo(int x, int y) {
    if (open())
        m_dc.current = QPoint(x, y);
}

void MetafileCanvas::lineTo(int x, int y) {
    if (!open())
        return;
    usePen(); // writes out held-back lines first when the pen changes
    const QPoint from = m_dc.current, to(x, y);
    const QRect box = QRect(from, QSize(1, 1)).united(QRect(to, QSize(1, 1)));
    m_lines.box = m_lines.ends.empty() ? box : m_lines.box.united(box);
    if (m_dc.pen.style == PS_SOLID && continuesStraight(m_lines.ends, from, to)) {
        m_lines.ends.back() = to;
    } else {
        m_lines.ends.push_back(from);
        m_lines.ends.push_back(to);
    }
    addBounds(QRectF(from, to).normalized(), penReach());
    m_dc.current = to;
}

void MetafileCanvas::flushLines() {
    if (m_lines.ends.empty())
        return;
    LineBatch batch;
    std::swap(batch, m_lines); // the records below must not flush it again
    if (batch.ends.size() > 2) {
        writePolyPolyline(batch);
        return;
    }
    // One segment is smaller as MOVETOEX and LINETO, and keeps the current position too.
    const QPoint from = batch.ends[0], to = batch.ends[1];
    if (m_dc.played != from)
        m_out.record(emr::MOVETOEX, {from.x(), from.y()});
    m_out.record(emr::LINETO, {to.x(), to.y()});
    m_dc.played = to;
}

void MetafileCanvas::writePolyPolyline(const LineBatch& batch) {
    const bool small = fitsInt16(batch.ends);
    const auto lines = std::uint32_t(batch.ends.size() / 2);
    const QRect& box = batch.box;
    m_out.begin(small ? emr::POLYPOLYLINE16 : emr::POLYPOLYLINE);
    m_out.rectL(box.left(), box.top(), box.right(), box.bottom());
    m_out.u32(lines);
    m_out.u32(lines * 2);
    char* p = m_out.extend(qsizetype(lines) * 4 + qsizetype(batch.ends.size()) * (small ? 4 : 8));
    for (std::uint32_t i = 0; i < lines; ++i, p += 4)
        qToLittleEndian(std::uint32_t(2), p);
    for (QPoint pt : batch.ends) {
        if (small) {
            qToLittleEndian(std::int16_t(pt.x()), p);
            qToLittleEndian(std::int16_t(pt.y()), p + 2);
            p += 4;
        } else {
            qToLittleEndian(std::int32_t(pt.x()), p);
            qToLittleEndian(std::int32_t(pt.y()), p + 4);
            p += 8;
        }
    }
    m_out.end();
}

void MetafileCanvas::syncCurrentPosition() {
    flushLines();
    if (m_dc.played == m_dc.current)
        return;
    m_out.record(emr::MOVETOEX, {m_dc.current.x(), m_dc.current.y()});
    m_dc.played = m_dc.current;
}

void MetafileCanvas::polyline(const QList<QPoint>& points) {
    if (!open() || points.size() < 2)
        return;
    usePen();
    QRect box(points.front(), QSize(1, 1));
    for (QPoint p : points)
        box = box.united(QRect(p, QSize(1, 1)));
    const bool small = fitsInt16(points);
    m_out.begin(small ? emr::POLYLINE16 : emr::POLYLINE);
    m_out.rectL(box.left(), box.top(), box.right(), box.bottom());
    m_out.u32(std::uint32_t(points.size()));
    for (QPoint p : points) {
        if (small) {
            m_out.u16(std::uint16_t(std::int16_t(p.x())));
            m_out.u16(std::uint16_t(std::int16_t(p.y())));
        } else {
            m_out.i32(p.x());
            m_out.i32(p.y());
        }
    }
    m_out.end();
    addBounds(QRectF(box), penReach());
}

void MetafileCanvas::rectangle(const QRect& r) {
    if (!open())
        return;
    usePen();
    useBrush(m_dc.brush);
    m_out.record(emr::RECTANGLE, {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
    addBounds(QRectF(r), penReach());
}

void MetafileCanvas::fillRect(const QRect& r, ColorRef color) {
    if (!open() || r.isEmpty())
        return;
    // A rectangle without a pen fills one unit less to the right and bottom: ask for one more.
    useBrush(LogBrush{BS_SOLID, color, 0});
    select(m_dc.emitted.pen, emr::NULL_PEN);
    m_out.record(emr::RECTANGLE, {r.x(), r.y(), r.x() + r.width() + 1, r.y() + r.height() + 1});
    addBounds(QRectF(r));
}

void MetafileCanvas::extTextOut(int x, int y, unsigned options, const QRect* rect, QStringView text,
                                const int* dx) {
    if (!open() || (text.isEmpty() && !(options & ETO_OPAQUE)))
        return;
    useFont();
    useTextColours((options & ETO_OPAQUE) != 0);
    if (!dx) {
        m_advances.clear();
        m_dc.font->advances(text, m_advances);
        dx = m_advances.constData();
    }
    // The cells of the text where the player puts them (TA_TOP | TA_LEFT, the compatible mode).
    // Left-aligned text is placed without its advances: their sum only moves other alignments.
    static const std::vector<double> kNoAdvances;
    const QTransform toDevice = m_dc.map.logicalToDevice();
    const TextPlacement place = placeText(toDevice, *m_dc.font, 0, QPointF(x, y), kNoAdvances, false);
    QRectF box = place.valid ? place.textToDevice.mapRect(glyphCells(place, *m_dc.font, text, dx)) : QRectF();
    if (options & ETO_CLIPPED && rect)
        box = box.intersected(toDevice.mapRect(QRectF(*rect)));
    if (options & ETO_OPAQUE && rect)
        box = box.united(toDevice.mapRect(QRectF(*rect)));
    const QRect devBox = addDeviceBounds(box);

    const qsizetype n = text.size();
    const std::uint32_t offString = 76;
    const std::uint32_t offDx = offString + ((std::uint32_t(n) * 2 + 3) & ~3u);
    EmfRecordCursor out = m_out.add(emr::EXTTEXTOUTW, offDx + std::uint32_t(n) * 4);
    out.rectL(devBox.left(), devBox.top(), devBox.right(), devBox.bottom());
    out.u32(kGmCompatible);
    out.f32(float(100.0 / m_devicePerMm.width()));
    out.f32(float(100.0 / m_devicePerMm.height()));
    out.i32(x);
    out.i32(y);
    out.u32(std::uint32_t(n));
    out.u32(offString);
    out.u32(options & (ETO_OPAQUE | ETO_CLIPPED));
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED)))
        out.rectL(rect->x(), rect->y(), rect->x() + rect->width(), rect->y() + rect->height());
    else
        out.rectL(0, 0, -1, -1);
    out.u32(n ? offDx : 0);
    for (QChar c : text)
        out.u16(c.unicode());
    if (n % 2)
        out.u16(0);
    for (qsizetype i = 0; i < n; ++i)
        out.i32(dx[i]);
}

void MetafileCanvas::stretchImage(const QRect& r, const QImage& image) {
    if (!open() || image.isNull() || r.isEmpty())
        return;
    int stride = 0;
    const QByteArray rows = dibRows(image, stride);
    const std::uint32_t offBmi = 80, cbBmi = 40;
    m_out.begin(emr::STRETCHDIBITS);
    const QRect dev = addBounds(QRectF(r));
    m_out.rectL(dev.left(), dev.top(), dev.right(), dev.bottom());
    m_out.i32(r.x());
    m_out.i32(r.y());
    m_out.rectL(0, 0, image.width(), image.height()); // xSrc, ySrc, cxSrc, cySrc
    m_out.u32(offBmi);
    m_out.u32(cbBmi);
    m_out.u32(offBmi + cbBmi);
    m_out.u32(std::uint32_t(rows.size()));
    m_out.u32(0); // DIB_RGB_COLORS
    m_out.u32(kSrcCopy);
    m_out.i32(r.width());
    m_out.i32(r.height());
    // BITMAPINFOHEADER
    m_out.u32(40);
    m_out.i32(image.width());
    m_out.i32(image.height());
    m_out.u16(1);
    m_out.u16(24);
    m_out.u32(0); // BI_RGB
    m_out.u32(std::uint32_t(rows.size()));
    m_out.i32(3780);
    m_out.i32(3780);
    m_out.u32(0);
    m_out.u32(0);
    m_out.bytes(rows);
    m_out.end();
}

// --- DC state --------------------------------------------------------------------------------

int MetafileCanvas::saveDC() {
    if (!open())
        return 0;
    m_out.record(emr::SAVEDC, {});
    return m_saved.save(m_dc);
}

void MetafileCanvas::restoreDC(int level) {
    if (!open())
        return;
    const int popped = m_saved.popped(level);
    if (popped == 0)
        return;
    m_out.record(emr::RESTOREDC, {-popped});
    m_saved.restore(level, m_dc);
}

void MetafileCanvas::writeMapping(std::uint32_t type, int a, int b) {
    if (open())
        m_out.record(type, {a, b});
}

void MetafileCanvas::setMapMode(int mode) {
    if (!open() || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    m_out.record(emr::SETMAPMODE, {mode});
    m_dc.map.setMapMode(mode);
}

void MetafileCanvas::setWindowOrg(QPoint p) {
    writeMapping(emr::SETWINDOWORGEX, p.x(), p.y());
    m_dc.map.setWindowOrg(p);
}

// The extents are recorded whatever the mode, as GDI records them; they act (here as in the
// player) only in MM_ISOTROPIC and MM_ANISOTROPIC.
void MetafileCanvas::setWindowExt(QSize s) {
    if (s.width() == 0 || s.height() == 0)
        return;
    writeMapping(emr::SETWINDOWEXTEX, s.width(), s.height());
    m_dc.map.setWindowExt(s);
}

void MetafileCanvas::setViewportOrg(QPoint p) {
    writeMapping(emr::SETVIEWPORTORGEX, p.x(), p.y());
    m_dc.map.setViewportOrg(p);
}

void MetafileCanvas::setViewportExt(QSize s) {
    if (s.width() == 0 || s.height() == 0)
        return;
    writeMapping(emr::SETVIEWPORTEXTEX, s.width(), s.height());
    m_dc.map.setViewportExt(s);
}

void MetafileCanvas::intersectClipRect(const QRect& r) {
    if (!open())
        return;
    m_out.record(emr::INTERSECTCLIPRECT, {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
    const QRectF dev = m_dc.map.toDevice(QRectF(r.x(), r.y(), r.width(), r.height()));
    m_dc.clip = m_dc.clip ? m_dc.clip->intersected(dev) : dev;
}

} // namespace vek
