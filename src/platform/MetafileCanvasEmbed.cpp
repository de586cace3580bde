// Drawing another metafile into a rectangle of a metafile canvas, by copying its records.
//
// The copy is framed by EMR_SAVEDC ... EMR_RESTOREDC, so nothing the picture changes outlives it.
// Inside, the picture starts from the default DC state (black pen, white brush, default font,
// black text on an opaque white background). Its drawing records are copied as they stand; what
// must change is:
//   - object handles: every object the picture creates gets a free slot of our handle table,
//     and its selections and deletions follow; objects it leaves alive are deleted after it.
//   - the page transform: the picture's mapping mode, window and viewport (tracked as it sets
//     them) are composed with the transform that takes the picture's frame onto the rectangle,
//     and written as MM_ANISOTROPIC window and viewport records (the window extent is scaled up
//     so that the composed viewport keeps its precision). World transforms act before the page
//     transform and are copied unchanged.
//   - clipping regions, which are in device units, are carried through the same transform.
//   - unbalanced EMR_RESTOREDC records that would restore past the picture's own saves are
//     dropped; EMR_HEADER, EMR_EOF and comments (which may hold EMF+ drawing) are left out.
#include "DcMapping.h"
#include "EmfWalk.h"
#include "MetafileCanvas.h"

#include <QtEndian>
#include <cmath>
#include <unordered_map>

namespace vek {

class EmfEmbedder {
public:
    EmfEmbedder(MetafileCanvas& canvas, const QRect& target)
        : m_canvas(canvas)
        , m_out(canvas.m_out)
        , m_target(target) {}

    void run(const QByteArray& bytes);

private:
    bool readHeader(const EmfRecord& header);
    void begin();
    void end();
    void copy(const EmfRecord& rec);
    void writeMapping();
    void mappingRecord(const EmfRecord& rec);
    void restoreRecord(const EmfRecord& rec);
    void clipRegionRecord(const EmfRecord& rec);
    void handleRecord(const EmfRecord& rec, bool creates);
    QPointF toDevice(QPointF pictureDevice) const {
        return QPointF(m_a.x() * pictureDevice.x() + m_b.x(), m_a.y() * pictureDevice.y() + m_b.y());
    }

    MetafileCanvas& m_canvas;
    EmfRecordBuffer& m_out;
    QRect m_target;
    QPointF m_a{1, 1}, m_b{0, 0}; // picture device -> our device
    QSizeF m_devicePerMm{96 / 25.4, 96 / 25.4};
    DcMapping m_map; // the picture's own window and viewport, in its device units
    DcStack<DcMapping> m_saved;
    std::unordered_map<std::uint32_t, std::uint32_t> m_handles; // picture's -> ours
};

namespace {

QByteArray patched(QByteArrayView rec, qsizetype off, std::uint32_t value) {
    QByteArray b = rec.toByteArray();
    qToLittleEndian(value, b.data() + off);
    return b;
}

// A device coordinate or extent as a record field, kept well inside 32 bits whatever the
// picture's mapping asks for.
int toField(double v) {
    if (!(v == v))
        return 0;
    return int(std::llround(std::clamp(v, -1073741824.0, 1073741824.0)));
}

bool isStock(std::uint32_t h) {
    return (h & emr::STOCK_OBJECT) != 0;
}

constexpr std::uint32_t kRgnCopy = 5;

} // namespace

bool EmfEmbedder::readHeader(const EmfRecord& header) {
    const double devW = header.i32(72), devH = header.i32(76);
    double mmW = header.i32(80), mmH = header.i32(84);
    if (header.size() >= 108 && header.u32(64) >= 108 && header.i32(100) > 0 && header.i32(104) > 0) {
        mmW = header.i32(100) / 1000.0;
        mmH = header.i32(104) / 1000.0;
    }
    if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0)
        m_devicePerMm = QSizeF(devW / mmW, devH / mmH);
    m_map = DcMapping(m_devicePerMm);
    const QRect frame = header.rectL(24);
    const double fx0 = frame.left() / 100.0 * m_devicePerMm.width();
    const double fy0 = frame.top() / 100.0 * m_devicePerMm.height();
    const double fw = (double(frame.right()) - frame.left()) / 100.0 * m_devicePerMm.width();
    const double fh = (double(frame.bottom()) - frame.top()) / 100.0 * m_devicePerMm.height();
    if (!(fw > 0) || !(fh > 0))
        return false;
    // Picture device -> canvas units, then through the canvas's own mapping.
    const double sx = m_target.width() / fw, sy = m_target.height() / fh;
    const QPointF off(m_target.x() - fx0 * sx, m_target.y() - fy0 * sy);
    m_b = m_canvas.toDevice(off);
    const QPointF unit = m_canvas.toDevice(off + QPointF(sx, sy));
    m_a = unit - m_b;
    return true;
}

void EmfEmbedder::begin() {
    m_out.record(emr::SAVEDC, {});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::BLACK_PEN)});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::WHITE_BRUSH)});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::DEVICE_DEFAULT_FONT)});
    m_out.record(emr::SETTEXTCOLOR, {0});
    m_out.record(emr::SETBKCOLOR, {0xffffff});
    m_out.record(emr::SETBKMODE, {OPAQUE});
    m_out.record(emr::SETTEXTALIGN, {0});
    m_out.record(emr::SETMAPMODE, {MM_ANISOTROPIC});
    writeMapping();
}

void EmfEmbedder::end() {
    m_out.record(emr::RESTOREDC, {-m_saved.depth() - 1});
    for (const auto& [theirs, ours] : m_handles) {
        m_out.record(emr::DELETEOBJECT, {std::int32_t(ours)});
        m_canvas.m_handles.release(ours);
    }
    m_handles.clear();
}

// The picture's window/viewport composed with our mapping of its device, as one anisotropic
// mapping with the picture's window origin.
void EmfEmbedder::writeMapping() {
    const QTransform& page = m_map.page();
    const double ax = m_a.x() * page.m11(), ay = m_a.y() * page.m22();
    const double k = std::max(std::abs(ax), std::abs(ay)) < 16384 ? 65536 : 1;
    auto nonZero = [](double v) {
        const int i = toField(v);
        return i != 0 ? i : (v < 0 ? -1 : 1);
    };
    const QPointF org = toDevice(m_map.viewportOrg());
    m_out.record(emr::SETWINDOWORGEX, {toField(m_map.windowOrg().x()), toField(m_map.windowOrg().y())});
    m_out.record(emr::SETWINDOWEXTEX, {int(k), int(k)});
    m_out.record(emr::SETVIEWPORTEXTEX, {nonZero(ax * k), nonZero(ay * k)});
    m_out.record(emr::SETVIEWPORTORGEX, {toField(org.x()), toField(org.y())});
}

void EmfEmbedder::mappingRecord(const EmfRecord& rec) {
    switch (rec.type()) {
    case emr::SETMAPMODE:
        m_map.setMapMode(rec.i32(8));
        break;
    case emr::SETWINDOWORGEX:
        m_map.setWindowOrg(rec.pointL(8));
        break;
    case emr::SETVIEWPORTORGEX:
        m_map.setViewportOrg(rec.pointL(8));
        break;
    case emr::SETWINDOWEXTEX:
        m_map.setWindowExt(rec.sizeL(8));
        break;
    case emr::SETVIEWPORTEXTEX:
        m_map.setViewportExt(rec.sizeL(8));
        break;
    case emr::SCALEVIEWPORTEXTEX:
        m_map.scaleViewportExt(rec.i32(8), rec.i32(12), rec.i32(16), rec.i32(20));
        break;
    case emr::SCALEWINDOWEXTEX:
        m_map.scaleWindowExt(rec.i32(8), rec.i32(12), rec.i32(16), rec.i32(20));
        break;
    }
    writeMapping();
}

void EmfEmbedder::restoreRecord(const EmfRecord& rec) {
    const int level = rec.i32(8);
    const int popped = m_saved.popped(level);
    if (popped == 0)
        return;
    m_out.record(emr::RESTOREDC, {-popped});
    m_saved.restore(level, m_map);
}

void EmfEmbedder::clipRegionRecord(const EmfRecord& rec) {
    const std::uint32_t cb = rec.u32(8), mode = rec.u32(12);
    if (cb == 0) {
        // Back to the default clip: keep the picture within the clip it was drawn under.
        if (mode == kRgnCopy && m_canvas.m_dc.clip) {
            const QRect c = MetafileCanvas::inclusive(*m_canvas.m_dc.clip);
            m_out.begin(emr::EXTSELECTCLIPRGN);
            m_out.u32(48);
            m_out.u32(kRgnCopy);
            m_out.u32(32);
            m_out.u32(1);
            m_out.u32(1);
            m_out.u32(16);
            m_out.rectL(c.left(), c.top(), c.right() + 1, c.bottom() + 1);
            m_out.rectL(c.left(), c.top(), c.right() + 1, c.bottom() + 1);
            m_out.end();
        } else {
            m_out.raw(rec.bytes());
        }
        return;
    }
    const std::uint32_t count = rec.u32(24);
    if (cb < 32 || !rec.has(16, cb) || !rec.hasArray(48, count, 16) || std::int64_t(count) * 16 + 32 > cb)
        return;
    std::vector<QRect> rects;
    for (std::uint32_t i = 0; i < count; ++i) {
        const qsizetype off = 48 + qsizetype(i) * 16;
        const QRectF r = QRectF(toDevice(QPointF(rec.i32(off), rec.i32(off + 4))),
                                toDevice(QPointF(rec.i32(off + 8), rec.i32(off + 12))))
                             .normalized();
        const QRect ri(QPoint(toField(r.left()), toField(r.top())),
                       QPoint(toField(r.right()) - 1, toField(r.bottom()) - 1));
        if (!ri.isEmpty())
            rects.push_back(ri);
    }
    QRect all;
    for (const QRect& r : rects)
        all = all.united(r);
    m_out.begin(emr::EXTSELECTCLIPRGN);
    m_out.u32(std::uint32_t(32 + rects.size() * 16));
    m_out.u32(mode);
    m_out.u32(32);
    m_out.u32(1);
    m_out.u32(std::uint32_t(rects.size()));
    m_out.u32(std::uint32_t(rects.size() * 16));
    m_out.rectL(all.left(), all.top(), all.right() + 1, all.bottom() + 1);
    for (const QRect& r : rects)
        m_out.rectL(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    m_out.end();
}

void EmfEmbedder::handleRecord(const EmfRecord& rec, bool creates) {
    if (!rec.has(8, 4))
        return;
    const std::uint32_t theirs = rec.u32(8);
    if (isStock(theirs)) {
        if (!creates)
            m_out.raw(rec.bytes());
        return;
    }
    auto it = m_handles.find(theirs);
    if (creates) {
        if (it == m_handles.end())
            it = m_handles.emplace(theirs, m_canvas.m_handles.allocate()).first;
        m_out.raw(patched(rec.bytes(), 8, it->second));
        return;
    }
    if (it == m_handles.end())
        return; // an object the picture never made
    m_out.raw(patched(rec.bytes(), 8, it->second));
    if (rec.type() == emr::DELETEOBJECT || rec.type() == emr::DELETECOLORSPACE) {
        m_canvas.m_handles.release(it->second);
        m_handles.erase(it);
    }
}

void EmfEmbedder::copy(const EmfRecord& rec) {
    switch (rec.type()) {
    case emr::HEADER:
    case emr::EOF_:
    case emr::GDICOMMENT:
        return;
    case emr::SETMAPMODE:
    case emr::SETWINDOWORGEX:
    case emr::SETWINDOWEXTEX:
    case emr::SETVIEWPORTORGEX:
    case emr::SETVIEWPORTEXTEX:
    case emr::SCALEVIEWPORTEXTEX:
    case emr::SCALEWINDOWEXTEX:
        mappingRecord(rec);
        return;
    case emr::SAVEDC:
        m_saved.save(m_map);
        m_out.raw(rec.bytes());
        return;
    case emr::RESTOREDC:
        restoreRecord(rec);
        return;
    case emr::EXTSELECTCLIPRGN:
        clipRegionRecord(rec);
        return;
    case emr::CREATEPEN:
    case emr::CREATEBRUSHINDIRECT:
    case emr::EXTCREATEFONTINDIRECTW:
    case emr::EXTCREATEPEN:
    case emr::CREATEPALETTE:
    case emr::CREATEMONOBRUSH:
    case emr::CREATEDIBPATTERNBRUSHPT:
    case emr::CREATECOLORSPACE:
    case emr::CREATECOLORSPACEW:
        handleRecord(rec, true);
        return;
    case emr::SELECTOBJECT:
    case emr::DELETEOBJECT:
    case emr::SELECTPALETTE:
    case emr::SETPALETTEENTRIES:
    case emr::RESIZEPALETTE:
    case emr::SETCOLORSPACE:
    case emr::DELETECOLORSPACE:
        handleRecord(rec, false);
        return;
    default:
        m_out.raw(rec.bytes());
    }
}

void EmfEmbedder::run(const QByteArray& bytes) {
    EmfWalker walker(bytes);
    EmfRecord rec;
    if (!walker.next(rec) || rec.type() != emr::HEADER || !readHeader(rec))
        return;
    begin();
    while (walker.next(rec)) {
        if (rec.size() % 4 == 0)
            copy(rec);
    }
    end();
}

void MetafileCanvas::stretchDraw(const QRect& r, const TMetafile& picture) {
    if (!open() || picture.isEmpty() || r.isEmpty())
        return;
    syncCurrentPosition(); // the picture may draw from it
    EmfEmbedder(*this, r).run(picture.bytes());
    addBounds(QRectF(r));
}

} // namespace vek
