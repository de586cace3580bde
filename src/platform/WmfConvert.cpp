// WmfTranslator: the start of the EMF, mapping and state records, and the object table.
//
// The EMF's reference device has 0.01 mm units and spans the picture's frame, so the picture's box
// maps onto the frame by an anisotropic window (the box) and viewport (the frame). The viewport is
// ours: the picture's own viewport records are left out, and every change of mapping mode writes it
// again. The text mapping mode is written as the anisotropic mode with the box as window, so that
// its logical units stay those of the box; window extents set while it is on are ignored, as GDI
// ignores them there.
//
// WMF objects take the lowest free slot of the object table when created and are selected and
// deleted by that index; EMF objects carry their handle. Slot i becomes EMF handle i + 1. Regions
// live only here: selecting one as the clip writes it as a clip path.
#include "WmfConvert.h"

#include "CodePage.h"
#include "PainterCanvas.h"
#include "WmfRecords.h"

namespace vek {
namespace {

constexpr int kMaxObjects = 65534; // EMF handles are counted in 16 bits
constexpr std::size_t kMaxSavedStates = 1024;
constexpr int kMaxCoordinate = 1 << 30;
constexpr std::int32_t kR2CopyPen = 13;
constexpr std::int32_t kBlackOnWhite = 1;

int clampCoordinate(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, -kMaxCoordinate, kMaxCoordinate));
}

} // namespace

WmfTranslator::WmfTranslator(const WmfPlacement& placement)
    : m_place(placement) {
    m_dc.windowOrg = placement.origin;
    m_out.record(emr::SETMAPMODE, {MM_ANISOTROPIC});
    m_out.record(emr::SETWINDOWORGEX, {placement.origin.x(), placement.origin.y()});
    m_out.record(emr::SETWINDOWEXTEX, {placement.extent.width(), placement.extent.height()});
    m_out.record(emr::SETVIEWPORTORGEX, {0, 0});
    m_out.record(emr::SETVIEWPORTEXTEX, {placement.frame.width(), placement.frame.height()});
    // The state a metafile is played in: stock pen, brush and font, black text on an opaque white
    // background.
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::BLACK_PEN)});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::WHITE_BRUSH)});
    m_out.record(emr::SELECTOBJECT, {std::int32_t(emr::SYSTEM_FONT)});
    m_out.record(emr::SETTEXTCOLOR, {0});
    m_out.record(emr::SETBKCOLOR, {0xFFFFFF});
    m_out.record(emr::SETBKMODE, {OPAQUE});
    m_out.record(emr::SETTEXTALIGN, {0});
    m_out.record(emr::SETPOLYFILLMODE, {ALTERNATE});
    m_out.record(emr::SETROP2, {kR2CopyPen});
    m_out.record(emr::SETSTRETCHBLTMODE, {kBlackOnWhite});
}

QByteArray WmfTranslator::finish() {
    EmfHeaderInfo h;
    const QSize f = m_place.frame;
    h.bounds = QRect(0, 0, f.width(), f.height());
    h.frame = QRect(QPoint(0, 0), QPoint(f.width(), f.height()));
    h.devicePixels = f;
    h.deviceMicrons = f * 10;
    h.records = m_out.records();
    h.bodyBytes = std::uint32_t(m_out.body().size());
    h.handles = std::uint16_t(m_objects.size() + 1);
    return assembleEmf(h, m_out.body());
}

bool WmfTranslator::translate(const EmfRecord& r) {
    // Each part handles its own records and answers true for the others.
    return mapping(r) && state(r) && objects(r) && shapes(r) && text(r) && regions(r) && bitmaps(r);
}

bool WmfTranslator::mapping(const EmfRecord& r) {
    const bool scalable = m_dc.mapMode == MM_ISOTROPIC || m_dc.mapMode == MM_ANISOTROPIC;
    switch (r.type()) {
    case wmr::SETMAPMODE:
        if (!r.has(6, 2))
            return false;
        setMapMode(r.i16(6));
        return true;
    case wmr::SETWINDOWORG:
    case wmr::OFFSETWINDOWORG: {
        if (!r.has(6, 4))
            return false;
        const QPoint p(r.i16(8), r.i16(6));
        const QPoint base = r.type() == wmr::SETWINDOWORG ? QPoint() : m_dc.windowOrg;
        m_dc.windowOrg = QPoint(clampCoordinate(std::int64_t(base.x()) + p.x()),
                                clampCoordinate(std::int64_t(base.y()) + p.y()));
        m_out.record(emr::SETWINDOWORGEX, {m_dc.windowOrg.x(), m_dc.windowOrg.y()});
        return true;
    }
    case wmr::SETWINDOWEXT:
        if (!r.has(6, 4))
            return false;
        if (scalable)
            m_out.record(emr::SETWINDOWEXTEX, {r.i16(8), r.i16(6)});
        return true;
    case wmr::SCALEWINDOWEXT: {
        // yDenom, yNum, xDenom, xNum
        if (!r.has(6, 8) || r.i16(6) == 0 || r.i16(10) == 0)
            return false;
        if (scalable)
            m_out.record(emr::SCALEWINDOWEXTEX, {r.i16(12), r.i16(10), r.i16(8), r.i16(6)});
        return true;
    }
    case wmr::SETVIEWPORTORG:
    case wmr::SETVIEWPORTEXT:
    case wmr::OFFSETVIEWPORTORG:
    case wmr::SCALEVIEWPORTEXT:
        return true; // the viewport is the player's
    case wmr::SAVEDC:
        if (m_saved.size() < kMaxSavedStates) {
            m_saved.push_back(m_dc);
            m_out.record(emr::SAVEDC, {});
        }
        return true;
    case wmr::RESTOREDC:
        if (!r.has(6, 2))
            return false;
        restoreDC(r.i16(6));
        return true;
    default:
        return true;
    }
}

void WmfTranslator::setMapMode(int mode) {
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    m_dc.mapMode = mode;
    const QSize frame = m_place.frame;
    if (mode == MM_TEXT) {
        m_out.record(emr::SETMAPMODE, {MM_ANISOTROPIC});
        m_out.record(emr::SETWINDOWEXTEX, {m_place.extent.width(), m_place.extent.height()});
        m_out.record(emr::SETVIEWPORTEXTEX, {frame.width(), frame.height()});
        return;
    }
    m_out.record(emr::SETMAPMODE, {mode});
    m_out.record(emr::SETVIEWPORTORGEX, {0, 0});
    if (mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC)
        m_out.record(emr::SETVIEWPORTEXTEX, {frame.width(), frame.height()});
}

void WmfTranslator::restoreDC(int level) {
    // Negative: that many levels back; positive: the absolute level a SaveDC returned.
    const auto depth = std::int64_t(m_saved.size());
    const std::int64_t pops = level < 0 ? -std::int64_t(level) : depth - level + 1;
    if (level == 0 || pops < 1 || pops > depth)
        return;
    m_dc = m_saved[std::size_t(depth - pops)];
    m_saved.resize(std::size_t(depth - pops));
    m_out.record(emr::RESTOREDC, {-std::int32_t(pops)});
}

bool WmfTranslator::state(const EmfRecord& r) {
    std::uint32_t type = 0;
    switch (r.type()) {
    case wmr::SETBKCOLOR:
    case wmr::SETTEXTCOLOR:
        if (!r.has(6, 4))
            return false;
        m_out.record(r.type() == wmr::SETBKCOLOR ? emr::SETBKCOLOR : emr::SETTEXTCOLOR,
                     {std::int32_t(r.u32(6) & 0xFFFFFF)});
        return true;
    case wmr::SETBKMODE:
        type = emr::SETBKMODE;
        break;
    case wmr::SETPOLYFILLMODE:
        type = emr::SETPOLYFILLMODE;
        break;
    case wmr::SETROP2:
        type = emr::SETROP2;
        break;
    case wmr::SETSTRETCHBLTMODE:
        type = emr::SETSTRETCHBLTMODE;
        break;
    case wmr::SETTEXTALIGN:
        type = emr::SETTEXTALIGN;
        break;
    default:
        return true; // palettes, escapes, flood fills and the rest change nothing we draw
    }
    if (!r.has(6, 2))
        return false;
    m_out.record(type, {r.u16(6)});
    return true;
}

int WmfTranslator::allocate(Kind kind) {
    int index = -1;
    if (!m_free.empty()) {
        index = *m_free.begin();
        m_free.erase(m_free.begin());
    } else if (m_objects.size() < std::size_t(kMaxObjects)) {
        index = int(m_objects.size());
        m_objects.emplace_back();
    } else {
        return -1;
    }
    m_objects[std::size_t(index)] = Object{kind, 0, {}};
    return index;
}

WmfTranslator::Object* WmfTranslator::live(std::uint32_t index) {
    if (index >= m_objects.size() || m_objects[index].kind == Kind::Free)
        return nullptr;
    return &m_objects[index];
}

bool WmfTranslator::objects(const EmfRecord& r) {
    switch (r.type()) {
    case wmr::CREATEPENINDIRECT:
        return createPen(r);
    case wmr::CREATEBRUSHINDIRECT:
        return createBrush(r);
    case wmr::CREATEFONTINDIRECT:
        return createFont(r);
    case wmr::CREATEREGION:
        return createRegion(r);
    case wmr::DIBCREATEPATTERNBRUSH:
    case wmr::CREATEPATTERNBRUSH:
        return createPatternBrush(r);
    case wmr::CREATEPALETTE: {
        const int i = allocate(Kind::Palette);
        if (i < 0)
            return false;
        m_out.record(emr::CREATEPALETTE, {std::int32_t(handle(i)), 0x300}); // LOGPALETTE without entries
        return true;
    }
    case wmr::CREATEBRUSH:
    case wmr::CREATEBITMAP:
    case wmr::CREATEBITMAPINDIRECT:
        return allocate(Kind::Other) >= 0; // obsolete objects: they take their slot, nothing more
    case wmr::SELECTOBJECT:
        return r.has(6, 2) && selectObject(r.u16(6));
    case wmr::DELETEOBJECT:
        return r.has(6, 2) && deleteObject(r.u16(6));
    default:
        return true;
    }
}

bool WmfTranslator::selectObject(std::uint32_t index) {
    const Object* o = live(index);
    if (!o)
        return false;
    switch (o->kind) {
    case Kind::Font:
        m_dc.codePage = o->codePage;
        [[fallthrough]];
    case Kind::Pen:
    case Kind::Brush:
        m_out.record(emr::SELECTOBJECT, {std::int32_t(handle(int(index)))});
        return true;
    case Kind::Region:
        selectClip(*o);
        return true;
    default:
        return true; // palettes are selected by their own record; obsolete objects draw nothing
    }
}

bool WmfTranslator::deleteObject(std::uint32_t index) {
    Object* o = live(index);
    if (!o)
        return false;
    if (o->kind != Kind::Region && o->kind != Kind::Other)
        m_out.record(emr::DELETEOBJECT, {std::int32_t(handle(int(index)))});
    *o = Object{};
    m_free.insert(int(index));
    return true;
}

// A create record too short for its object still takes its slot, so that later records select
// the objects they mean.
bool WmfTranslator::damagedCreate() {
    allocate(Kind::Other);
    return false;
}

bool WmfTranslator::createPen(const EmfRecord& r) {
    // LOGPEN16: style, width (x, y), colour.
    if (!r.has(6, 10))
        return damagedCreate();
    const int i = allocate(Kind::Pen);
    if (i < 0)
        return false;
    m_out.record(emr::CREATEPEN, {std::int32_t(handle(i)), r.u16(6), r.i16(8), 0, std::int32_t(r.u32(12))});
    return true;
}

bool WmfTranslator::createBrush(const EmfRecord& r) {
    // LOGBRUSH16: style, colour, hatch.
    if (!r.has(6, 8))
        return damagedCreate();
    const int i = allocate(Kind::Brush);
    if (i < 0)
        return false;
    m_out.record(emr::CREATEBRUSHINDIRECT,
                 {std::int32_t(handle(i)), r.u16(6), std::int32_t(r.u32(8)), r.u16(12)});
    return true;
}

bool WmfTranslator::createFont(const EmfRecord& r) {
    // LOGFONT16: height, width, escapement, orientation, weight (16-bit, logical units), italic,
    // underline, strike-out, character set, precisions, quality, pitch and family (bytes), then
    // the face name in the character set's code page, at most 32 bytes with its terminator
    // (writers often store it shorter).
    constexpr std::int64_t kFace = 24, kFaceBytes = 32;
    if (!r.has(6, 18))
        return damagedCreate();
    const int i = allocate(Kind::Font);
    if (i < 0)
        return false;
    const int codePage = codePageForCharset(r.u8(19));
    m_objects[std::size_t(i)].codePage = codePage;
    QByteArrayView face = r.span(kFace, std::min<std::int64_t>(kFaceBytes, r.size() - kFace));
    if (const qsizetype end = face.indexOf('\0'); end >= 0)
        face = face.first(end);
    const QString name = decodeCodePage(face, codePage ? codePage : 1252).left(31);

    m_out.begin(emr::EXTCREATEFONTINDIRECTW);
    m_out.u32(handle(i));
    for (std::int64_t at = 6; at <= 14; at += 2)
        m_out.i32(r.i16(at));
    m_out.bytes(r.span(16, 8));
    m_out.utf16(name);
    for (qsizetype k = name.size(); k < 32; ++k)
        m_out.u16(0);
    m_out.end();
    return true;
}

} // namespace vek
