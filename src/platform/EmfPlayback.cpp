// EmfPlayback: record dispatch, device-context state records and the object table.
#include "EmfPlayback.h"

#include <cmath>

namespace vek {
namespace {

constexpr std::uint32_t kMaxObjects = 65536;
constexpr int kMaxFontHeight = 100000;

QSizeF sizeAt(const EmfRecord& r, std::int64_t off) {
    return QSizeF(r.i32(off), r.i32(off + 4));
}
QPointF pointAt(const EmfRecord& r, std::int64_t off) {
    return QPointF(r.i32(off), r.i32(off + 4));
}
QTransform xformAt(const EmfRecord& r, std::int64_t off) {
    return QTransform(r.f32(off), r.f32(off + 4), r.f32(off + 8), r.f32(off + 12), r.f32(off + 16),
                      r.f32(off + 20));
}

DcBrush solidBrush(ColorRef c) {
    DcBrush b;
    b.color = c;
    return b;
}

} // namespace

EmfPlayback::EmfPlayback(QPainter& painter, const QTransform& deviceToPainter, QSizeF pixelsPerMm)
    : m_dc(painter, deviceToPainter, pixelsPerMm) {}

bool EmfPlayback::play(const EmfRecord& r) {
    switch (r.type()) {
    case emr::HEADER:
    case emr::GDICOMMENT: // EMF+ and private data: the EMF records beside them carry the drawing
    case emr::EOF_:
        return true;
    default:
        break;
    }
    return playState(r) && playObject(r) && playShape(r) && playPath(r) && playClip(r) && playText(r) &&
           playBitmap(r);
}

// Each play* handles its own records and answers true for the others, so a record is skipped as
// damaged only by the handler that owns it.
bool EmfPlayback::playState(const EmfRecord& r) {
    PainterDC& dc = m_dc;
    switch (r.type()) {
    case emr::SETWINDOWEXTEX:
        if (!r.has(8, 8))
            return false;
        dc.setWindowExt(sizeAt(r, 8));
        return true;
    case emr::SETWINDOWORGEX:
        if (!r.has(8, 8))
            return false;
        dc.setWindowOrg(pointAt(r, 8));
        return true;
    case emr::SETVIEWPORTEXTEX:
        if (!r.has(8, 8))
            return false;
        dc.setViewportExt(sizeAt(r, 8));
        return true;
    case emr::SETVIEWPORTORGEX:
        if (!r.has(8, 8))
            return false;
        dc.setViewportOrg(pointAt(r, 8));
        return true;
    case emr::SCALEVIEWPORTEXTEX:
    case emr::SCALEWINDOWEXTEX: {
        if (!r.has(8, 16))
            return false;
        const double xn = r.i32(8), xd = r.i32(12), yn = r.i32(16), yd = r.i32(20);
        if (r.type() == emr::SCALEVIEWPORTEXTEX)
            dc.scaleViewportExt(xn, xd, yn, yd);
        else
            dc.scaleWindowExt(xn, xd, yn, yd);
        return true;
    }
    case emr::SETMAPMODE:
        if (!r.has(8, 4))
            return false;
        dc.setMapMode(r.i32(8));
        return true;
    case emr::SETBKMODE:
        if (!r.has(8, 4))
            return false;
        dc.setBkMode(r.i32(8) == TRANSPARENT ? TRANSPARENT : OPAQUE);
        return true;
    case emr::SETPOLYFILLMODE:
        if (!r.has(8, 4))
            return false;
        dc.setPolyFillMode(r.i32(8));
        return true;
    case emr::SETROP2:
        if (!r.has(8, 4))
            return false;
        dc.setRop2(r.i32(8));
        return true;
    case emr::SETSTRETCHBLTMODE:
        if (!r.has(8, 4))
            return false;
        dc.setStretchBltMode(r.i32(8));
        return true;
    case emr::SETTEXTALIGN:
        if (!r.has(8, 4))
            return false;
        dc.setTextAlign(r.u32(8));
        return true;
    case emr::SETTEXTCOLOR:
        if (!r.has(8, 4))
            return false;
        dc.setTextColor(r.u32(8) & 0xFFFFFF);
        return true;
    case emr::SETBKCOLOR:
        if (!r.has(8, 4))
            return false;
        dc.setBkColor(r.u32(8) & 0xFFFFFF);
        return true;
    case emr::SETARCDIRECTION:
        if (!r.has(8, 4))
            return false;
        dc.setArcDirection(r.i32(8));
        return true;
    case emr::MOVETOEX:
        if (!r.has(8, 8))
            return false;
        dc.moveTo(pointAt(r, 8));
        return true;
    case emr::SAVEDC:
        dc.saveDC();
        return true;
    case emr::RESTOREDC:
        if (!r.has(8, 4))
            return false;
        dc.restoreDC(r.i32(8));
        return true;
    case emr::SETWORLDTRANSFORM:
        if (!r.has(8, 24))
            return false;
        dc.setWorldTransform(xformAt(r, 8));
        return true;
    case emr::MODIFYWORLDTRANSFORM:
        if (!r.has(8, 28))
            return false;
        dc.modifyWorldTransform(xformAt(r, 8), r.i32(32));
        return true;
    default:
        return true;
    }
}

EmfObject* EmfPlayback::slot(std::uint32_t index, bool create) {
    if (index == 0 || index >= kMaxObjects)
        return nullptr;
    if (index >= m_objects.size()) {
        if (!create)
            return nullptr;
        m_objects.resize(index + 1);
    }
    return &m_objects[index];
}

bool EmfPlayback::playObject(const EmfRecord& r) {
    switch (r.type()) {
    case emr::CREATEPEN: {
        EmfObject* o = slot(r.u32(8), true);
        if (!o || !r.has(8, 20))
            return false;
        *o = DcPen{r.u32(12), double(std::clamp(r.i32(16), 0, 1 << 20)), r.u32(24) & 0xFFFFFF, {}};
        return true;
    }
    case emr::EXTCREATEPEN:
        return createExtPen(r);
    case emr::CREATEBRUSHINDIRECT: {
        EmfObject* o = slot(r.u32(8), true);
        if (!o || !r.has(8, 16))
            return false;
        DcBrush b;
        b.style = r.u32(12);
        b.color = r.u32(16) & 0xFFFFFF;
        b.hatch = r.u32(20);
        if (b.style > BS_HATCHED)
            b.style = BS_SOLID;
        *o = b;
        return true;
    }
    case emr::CREATEDIBPATTERNBRUSHPT:
    case emr::CREATEMONOBRUSH:
        return createPatternBrush(r);
    case emr::EXTCREATEFONTINDIRECTW:
        return createFont(r);
    case emr::CREATEPALETTE: {
        EmfObject* o = slot(r.u32(8), true);
        if (!o)
            return false;
        *o = EmfPalette{};
        return true;
    }
    case emr::SELECTOBJECT:
        if (!r.has(8, 4))
            return false;
        return selectObject(r.u32(8));
    case emr::DELETEOBJECT: {
        if (EmfObject* o = slot(r.u32(8), false))
            *o = std::monostate{};
        return true;
    }
    default:
        return true;
    }
}

bool EmfPlayback::selectObject(std::uint32_t index) {
    if (index & emr::STOCK_OBJECT) {
        DcPen pen;
        switch (index) {
        case emr::WHITE_BRUSH:
        case emr::DC_BRUSH:
            m_dc.selectBrush(solidBrush(rgb(255, 255, 255)));
            return true;
        case emr::LTGRAY_BRUSH:
            m_dc.selectBrush(solidBrush(rgb(192, 192, 192)));
            return true;
        case emr::GRAY_BRUSH:
            m_dc.selectBrush(solidBrush(rgb(128, 128, 128)));
            return true;
        case emr::DKGRAY_BRUSH:
            m_dc.selectBrush(solidBrush(rgb(64, 64, 64)));
            return true;
        case emr::BLACK_BRUSH:
            m_dc.selectBrush(solidBrush(0));
            return true;
        case emr::NULL_BRUSH: {
            DcBrush b;
            b.style = BS_NULL;
            m_dc.selectBrush(b);
            return true;
        }
        case emr::WHITE_PEN:
            pen.color = rgb(255, 255, 255);
            m_dc.selectPen(pen);
            return true;
        case emr::BLACK_PEN:
        case emr::DC_PEN:
            m_dc.selectPen(pen);
            return true;
        case emr::NULL_PEN:
            pen.style = PS_NULL;
            m_dc.selectPen(pen);
            return true;
        case emr::OEM_FIXED_FONT:
        case emr::ANSI_FIXED_FONT:
        case emr::SYSTEM_FIXED_FONT: {
            LogFont lf;
            lf.height = 16;
            lf.faceName = QStringLiteral("Courier New");
            m_dc.selectFont(GdiFont::get(lf));
            return true;
        }
        case emr::ANSI_VAR_FONT:
        case emr::SYSTEM_FONT:
        case emr::DEVICE_DEFAULT_FONT:
        case emr::DEFAULT_GUI_FONT: {
            LogFont lf;
            lf.height = index == emr::DEFAULT_GUI_FONT ? -11 : 16;
            lf.faceName = QStringLiteral("Arial");
            m_dc.selectFont(GdiFont::get(lf));
            return true;
        }
        default:
            return true; // palettes and unknown stock objects change nothing we draw
        }
    }
    EmfObject* o = slot(index, false);
    if (!o)
        return false;
    if (const auto* pen = std::get_if<DcPen>(o))
        m_dc.selectPen(*pen);
    else if (const auto* brush = std::get_if<DcBrush>(o))
        m_dc.selectBrush(*brush);
    else if (const auto* font = std::get_if<GdiFontPtr>(o))
        m_dc.selectFont(*font);
    return true;
}

bool EmfPlayback::createFont(const EmfRecord& r) {
    // ihFont, then LOGFONTW: height, width, escapement, orientation, weight, italic, underline,
    // strikeout, charset, precisions, quality, pitch and family, 32 UTF-16 face name characters.
    EmfObject* o = slot(r.u32(8), true);
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

bool EmfPlayback::createExtPen(const EmfRecord& r) {
    // ihPen, offBmi, cbBmi, offBits, cbBits, then LOGPEN_EX: style, width, brush style, colour,
    // hatch, number of style entries, the entries.
    EmfObject* o = slot(r.u32(8), true);
    if (!o || !r.has(8, 44))
        return false;
    DcPen pen;
    pen.style = r.u32(28);
    pen.width = std::clamp(r.i32(32), 0, 1 << 20);
    pen.color = r.u32(40) & 0xFFFFFF;
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

bool EmfPlayback::createPatternBrush(const EmfRecord& r) {
    // ihBrush, iUsage, offBmi, cbBmi, offBits, cbBits.
    EmfObject* o = slot(r.u32(8), true);
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

} // namespace vek
