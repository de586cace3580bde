// Device-context state records and the object table, shared by every walk of a metafile.
#include "EmfState.h"

#include "EmfPlayback.h"

#include <QRegion>
#include <cmath>

namespace vek {
namespace {

constexpr std::uint32_t kMaxObjects = 65536;
constexpr int kMaxFontHeight = 100000;
constexpr std::int64_t kMaxRegionRects = 1 << 14; // more is no drawing but a way to stall the union below
constexpr std::int64_t kMaxRegionCoord = std::int64_t(1) << 28;

QTransform xformAt(const EmfRecord& r, std::int64_t off) {
    return QTransform(r.f32(off), r.f32(off + 4), r.f32(off + 8), r.f32(off + 12), r.f32(off + 16),
                      r.f32(off + 20));
}

DcBrush solidBrush(ColorRef c) {
    DcBrush b;
    b.color = c;
    return b;
}

GdiFontPtr stockFont(std::uint32_t index) {
    LogFont lf;
    if (index == emr::OEM_FIXED_FONT || index == emr::ANSI_FIXED_FONT || index == emr::SYSTEM_FIXED_FONT) {
        lf.height = 16;
        lf.faceName = QStringLiteral("Courier New");
    } else {
        lf.height = index == emr::DEFAULT_GUI_FONT ? -11 : 16;
        lf.faceName = QStringLiteral("Arial");
    }
    return GdiFont::get(lf);
}

void selectStock(DcModel& dc, std::uint32_t index) {
    DcPen pen;
    DcBrush nullBrush;
    nullBrush.style = BS_NULL;
    switch (index) {
    case emr::WHITE_BRUSH:
    case emr::DC_BRUSH:
        dc.selectBrush(solidBrush(rgb(255, 255, 255)));
        break;
    case emr::LTGRAY_BRUSH:
        dc.selectBrush(solidBrush(rgb(192, 192, 192)));
        break;
    case emr::GRAY_BRUSH:
        dc.selectBrush(solidBrush(rgb(128, 128, 128)));
        break;
    case emr::DKGRAY_BRUSH:
        dc.selectBrush(solidBrush(rgb(64, 64, 64)));
        break;
    case emr::BLACK_BRUSH:
        dc.selectBrush(solidBrush(0));
        break;
    case emr::NULL_BRUSH:
        dc.selectBrush(nullBrush);
        break;
    case emr::WHITE_PEN:
        pen.color = rgb(255, 255, 255);
        dc.selectPen(pen);
        break;
    case emr::BLACK_PEN:
    case emr::DC_PEN:
        dc.selectPen(pen);
        break;
    case emr::NULL_PEN:
        pen.style = PS_NULL;
        dc.selectPen(pen);
        break;
    case emr::OEM_FIXED_FONT:
    case emr::ANSI_FIXED_FONT:
    case emr::SYSTEM_FIXED_FONT:
    case emr::ANSI_VAR_FONT:
    case emr::SYSTEM_FONT:
    case emr::DEVICE_DEFAULT_FONT:
    case emr::DEFAULT_GUI_FONT:
        dc.selectFont(stockFont(index));
        break;
    default:
        break; // palettes and unknown stock objects change nothing we draw
    }
}

bool selectObject(DcModel& dc, const EmfObjectTable& objects, std::uint32_t index) {
    if (index & emr::STOCK_OBJECT) {
        selectStock(dc, index);
        return true;
    }
    const EmfObject* o = objects.find(index);
    if (!o)
        return false;
    if (const auto* pen = std::get_if<DcPen>(o))
        dc.selectPen(*pen);
    else if (const auto* brush = std::get_if<DcBrush>(o))
        dc.selectBrush(*brush);
    else if (const auto* font = std::get_if<GdiFontPtr>(o))
        dc.selectFont(*font);
    return true;
}

bool createFont(EmfObjectTable& objects, const EmfRecord& r) {
    // ihFont, then LOGFONTW: height, width, escapement, orientation, weight, italic, underline,
    // strikeout, charset, precisions, quality, pitch and family, 32 UTF-16 face name characters.
    EmfObject* o = objects.slot(r.u32(8), true);
    if (!o || !r.has(12, 28))
        return false;
    LogFont lf;
    lf.height = std::clamp(r.i32(12), -kMaxFontHeight, kMaxFontHeight);
    lf.width = std::clamp(r.i32(16), -kMaxFontHeight, kMaxFontHeight);
    lf.escapement = r.i32(20) % 3600;
    lf.orientation = r.i32(24) % 3600;
    lf.weight = std::clamp(r.i32(28), 0, 1000);
    lf.italic = r.u8(32);
    lf.underline = r.u8(33);
    lf.strikeOut = r.u8(34);
    lf.charSet = r.u8(35);
    lf.outPrecision = r.u8(36);
    lf.clipPrecision = r.u8(37);
    lf.quality = r.u8(38);
    lf.pitchAndFamily = r.u8(39);
    for (int i = 0; i < 32 && r.has(40 + 2 * i, 2); ++i) {
        const char16_t c = r.u16(40 + 2 * i);
        if (c == 0)
            break;
        lf.faceName.append(QChar(c));
    }
    *o = GdiFont::get(lf);
    return true;
}

bool createPen(EmfObjectTable& objects, const EmfRecord& r, const EmfColourPolicy& colours) {
    // ihPen, LOGPEN: style, width (a POINTL, x used), colour.
    EmfObject* o = objects.slot(r.u32(8), true);
    if (!o || !r.has(8, 20))
        return false;
    *o = DcPen{r.u32(12), double(std::clamp(r.i32(16), 0, 1 << 20)), colours.ofPen(r.u32(24) & 0xFFFFFF), {}};
    return true;
}

bool createExtPen(EmfObjectTable& objects, const EmfRecord& r, const EmfColourPolicy& colours) {
    // ihPen, offBmi, cbBmi, offBits, cbBits, then LOGPEN_EX: style, width, brush style, colour,
    // hatch, number of style entries, the entries.
    EmfObject* o = objects.slot(r.u32(8), true);
    if (!o || !r.has(8, 44))
        return false;
    DcPen pen;
    pen.style = r.u32(28);
    pen.width = std::clamp(r.i32(32), 0, 1 << 20);
    pen.color = colours.ofPen(r.u32(40) & 0xFFFFFF);
    if (r.u32(36) == BS_NULL)
        pen.style = (pen.style & ~PS_STYLE_MASK) | PS_NULL;
    const std::int64_t entries = r.u32(48);
    if ((pen.style & PS_STYLE_MASK) == PS_USERSTYLE && entries > 0 && entries <= 16 &&
        r.hasArray(52, entries, 4)) {
        const double unit = pen.width > 0 ? pen.width : 1;
        for (std::int64_t i = 0; i < entries; ++i)
            pen.dashes.push_back(r.u32(52 + 4 * i) / unit);
    }
    *o = std::move(pen);
    return true;
}

bool createBrush(EmfObjectTable& objects, const EmfRecord& r, const EmfColourPolicy& colours) {
    // ihBrush, LOGBRUSH32: style, colour, hatch.
    EmfObject* o = objects.slot(r.u32(8), true);
    if (!o || !r.has(8, 16))
        return false;
    DcBrush b;
    b.style = r.u32(12);
    b.color = colours.ofBrush(r.u32(16) & 0xFFFFFF);
    b.hatch = r.u32(20);
    if (b.style > BS_HATCHED)
        b.style = BS_SOLID;
    *o = b;
    return true;
}

bool createPatternBrush(EmfObjectTable& objects, const EmfRecord& r) {
    // ihBrush, iUsage, offBmi, cbBmi, offBits, cbBits.
    EmfObject* o = objects.slot(r.u32(8), true);
    if (!o || !r.has(8, 24))
        return false;
    const EmfDib dib = decodeDib(r, r.u32(16), r.u32(20), r.u32(24), r.u32(28), r.u32(12), false);
    DcBrush b;
    b.style = dib.image.isNull() ? std::uint32_t(BS_SOLID) : 5u;
    b.color = rgb(128, 128, 128);
    b.pattern = dib.image;
    b.monoPattern = r.type() == emr::CREATEMONOBRUSH;
    *o = std::move(b);
    return true;
}

EmfStateResult result(bool ok) {
    return ok ? EmfStateResult::Applied : EmfStateResult::Damaged;
}

EmfStateResult applyObjectRecord(DcModel& dc, EmfObjectTable& objects, const EmfRecord& r,
                                 const EmfColourPolicy& colours) {
    switch (r.type()) {
    case emr::CREATEPEN:
        return result(createPen(objects, r, colours));
    case emr::EXTCREATEPEN:
        return result(createExtPen(objects, r, colours));
    case emr::CREATEBRUSHINDIRECT:
        return result(createBrush(objects, r, colours));
    case emr::CREATEDIBPATTERNBRUSHPT:
    case emr::CREATEMONOBRUSH:
        return result(createPatternBrush(objects, r));
    case emr::EXTCREATEFONTINDIRECTW:
        return result(createFont(objects, r));
    case emr::CREATEPALETTE: {
        EmfObject* o = objects.slot(r.u32(8), true);
        if (o)
            *o = EmfPalette{};
        return result(o != nullptr);
    }
    case emr::SELECTOBJECT:
        return result(r.has(8, 4) && selectObject(dc, objects, r.u32(8)));
    case emr::DELETEOBJECT:
        if (EmfObject* o = objects.slot(r.u32(8), false))
            *o = std::monostate{};
        return EmfStateResult::Applied;
    default:
        return EmfStateResult::NotState;
    }
}

EmfStateResult applyClipRecord(DcModel& dc, const EmfRecord& r) {
    switch (r.type()) {
    case emr::INTERSECTCLIPRECT:
    case emr::EXCLUDECLIPRECT: {
        if (!r.has(8, 16))
            return EmfStateResult::Damaged;
        const QRectF box = r.boxL(8);
        if (r.type() == emr::INTERSECTCLIPRECT)
            dc.intersectClipRect(box);
        else
            dc.excludeClipRect(box);
        return EmfStateResult::Applied;
    }
    case emr::OFFSETCLIPRGN:
        if (!r.has(8, 8))
            return EmfStateResult::Damaged;
        dc.offsetClip(r.pointL(8));
        return EmfStateResult::Applied;
    case emr::EXTSELECTCLIPRGN: {
        // cbRgnData, iMode, RgnData (device units).
        if (!r.has(8, 8))
            return EmfStateResult::Damaged;
        const std::int64_t size = r.u32(8);
        const int mode = r.i32(12);
        if (mode == RGN_COPY && size < 32) {
            dc.resetClip();
            return EmfStateResult::Applied;
        }
        QPainterPath region;
        if (!readEmfRegion(r, 16, size, region))
            return EmfStateResult::Damaged;
        dc.combineClip(region, mode);
        return EmfStateResult::Applied;
    }
    default:
        return EmfStateResult::NotState;
    }
}

// Records of one 32-bit value.
EmfStateResult applyModeRecord(DcModel& dc, const EmfRecord& r, const EmfColourPolicy& colours) {
    switch (r.type()) {
    case emr::SETMAPMODE:
    case emr::SETBKMODE:
    case emr::SETPOLYFILLMODE:
    case emr::SETROP2:
    case emr::SETSTRETCHBLTMODE:
    case emr::SETTEXTALIGN:
    case emr::SETTEXTCOLOR:
    case emr::SETBKCOLOR:
    case emr::SETARCDIRECTION:
    case emr::RESTOREDC:
        break;
    default:
        return EmfStateResult::NotState;
    }
    if (!r.has(8, 4))
        return EmfStateResult::Damaged;
    const std::int32_t v = r.i32(8);
    switch (r.type()) {
    case emr::SETMAPMODE:
        dc.setMapMode(v);
        break;
    case emr::SETBKMODE:
        dc.setBkMode(v == TRANSPARENT ? TRANSPARENT : OPAQUE);
        break;
    case emr::SETPOLYFILLMODE:
        dc.setPolyFillMode(v);
        break;
    case emr::SETROP2:
        dc.setRop2(v);
        break;
    case emr::SETSTRETCHBLTMODE:
        dc.setStretchBltMode(v);
        break;
    case emr::SETTEXTALIGN:
        dc.setTextAlign(std::uint32_t(v));
        break;
    case emr::SETTEXTCOLOR:
        dc.setTextColor(colours.ofText(std::uint32_t(v) & 0xFFFFFF));
        break;
    case emr::SETBKCOLOR:
        dc.setBkColor(colours.ofBackground(std::uint32_t(v) & 0xFFFFFF));
        break;
    case emr::SETARCDIRECTION:
        dc.setArcDirection(v);
        break;
    default: // RESTOREDC
        dc.restoreDC(v);
        break;
    }
    return EmfStateResult::Applied;
}

EmfStateResult applyMappingRecord(DcModel& dc, const EmfRecord& r) {
    switch (r.type()) {
    case emr::SETWINDOWEXTEX:
    case emr::SETWINDOWORGEX:
    case emr::SETVIEWPORTEXTEX:
    case emr::SETVIEWPORTORGEX:
    case emr::MOVETOEX:
        if (!r.has(8, 8))
            return EmfStateResult::Damaged;
        if (r.type() == emr::SETWINDOWEXTEX)
            dc.setWindowExt(r.sizeL(8));
        else if (r.type() == emr::SETWINDOWORGEX)
            dc.setWindowOrg(r.pointL(8));
        else if (r.type() == emr::SETVIEWPORTEXTEX)
            dc.setViewportExt(r.sizeL(8));
        else if (r.type() == emr::SETVIEWPORTORGEX)
            dc.setViewportOrg(r.pointL(8));
        else
            dc.moveTo(r.pointL(8));
        return EmfStateResult::Applied;
    case emr::SCALEVIEWPORTEXTEX:
    case emr::SCALEWINDOWEXTEX: {
        if (!r.has(8, 16))
            return EmfStateResult::Damaged;
        const double xn = r.i32(8), xd = r.i32(12), yn = r.i32(16), yd = r.i32(20);
        if (r.type() == emr::SCALEVIEWPORTEXTEX)
            dc.scaleViewportExt(xn, xd, yn, yd);
        else
            dc.scaleWindowExt(xn, xd, yn, yd);
        return EmfStateResult::Applied;
    }
    case emr::SAVEDC:
        dc.saveDC();
        return EmfStateResult::Applied;
    case emr::SETWORLDTRANSFORM:
        if (!r.has(8, 24))
            return EmfStateResult::Damaged;
        dc.setWorldTransform(xformAt(r, 8));
        return EmfStateResult::Applied;
    case emr::MODIFYWORLDTRANSFORM:
        if (!r.has(8, 28))
            return EmfStateResult::Damaged;
        dc.modifyWorldTransform(xformAt(r, 8), r.i32(32));
        return EmfStateResult::Applied;
    default:
        return EmfStateResult::NotState;
    }
}

} // namespace

EmfObject* EmfObjectTable::slot(std::uint32_t index, bool create) {
    if (index == 0 || index >= kMaxObjects)
        return nullptr;
    if (index >= m_objects.size()) {
        if (!create)
            return nullptr;
        m_objects.resize(index + 1);
    }
    return &m_objects[index];
}

const EmfObject* EmfObjectTable::find(std::uint32_t index) const {
    return index != 0 && index < m_objects.size() ? &m_objects[index] : nullptr;
}

EmfStateResult applyEmfStateRecord(DcModel& dc, EmfObjectTable& objects, const EmfRecord& r,
                                   const EmfColourPolicy& colours) {
    EmfStateResult s = applyMappingRecord(dc, r);
    if (s == EmfStateResult::NotState)
        s = applyModeRecord(dc, r, colours);
    if (s == EmfStateResult::NotState)
        s = applyObjectRecord(dc, objects, r, colours);
    if (s == EmfStateResult::NotState)
        s = applyClipRecord(dc, r);
    return s;
}

DcBrush emfRecordBrush(const DcModel& dc, const EmfObjectTable& objects, std::uint32_t handle) {
    if (handle & emr::STOCK_OBJECT) {
        DcBrush brush;
        brush.color = handle == emr::BLACK_BRUSH ? 0 : rgb(255, 255, 255);
        brush.style = handle == emr::NULL_BRUSH ? BS_NULL : BS_SOLID;
        return brush;
    }
    if (const EmfObject* o = objects.find(handle); o && std::holds_alternative<DcBrush>(*o))
        return std::get<DcBrush>(*o);
    return dc.state().brush;
}

// RGNDATA: header (dwSize, iType, nCount, nRgnSize, rcBound), then nCount RECTLs.
bool readEmfRegion(const EmfRecord& r, std::int64_t off, std::int64_t size, QPainterPath& path) {
    if (size < 32 || !r.has(off, size))
        return false;
    const std::int64_t headerSize = std::max<std::int64_t>(32, r.u32(off));
    const std::int64_t count = r.u32(off + 8);
    if (count > kMaxRegionRects || !r.hasArray(off + headerSize, count, 16) || headerSize + count * 16 > size)
        return false;
    QRegion region;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t at = off + headerSize + 16 * i;
        // RECTL's right and bottom are exclusive, QRect's inclusive; far-out edges are held where
        // QRect's arithmetic cannot overflow.
        const auto edge = [&](std::int64_t at2, int minus) {
            return int(std::clamp<std::int64_t>(std::int64_t(r.i32(at2)) - minus, -kMaxRegionCoord,
                                                kMaxRegionCoord));
        };
        const QRect rc(QPoint(edge(at, 0), edge(at + 4, 0)), QPoint(edge(at + 8, 1), edge(at + 12, 1)));
        if (rc.isValid())
            region += rc;
    }
    path = QPainterPath();
    path.addRegion(region);
    return true;
}

} // namespace vek
