#include "EmfTextRecord.h"

#include "CodePage.h"
#include "Gdi.h"

namespace vek {
namespace {

constexpr std::uint32_t kEtoNoRect = 0x100;
constexpr std::uint32_t kEtoSmallChars = 0x200;
constexpr std::uint32_t kGmAdvanced = 2;

QString ansiText(const EmfRecord& r, std::int64_t off, std::int64_t count, std::uint8_t charSet) {
    const int cp = codePageForCharset(charSet);
    return decodeCodePage(r.span(off, count), cp ? cp : 1252);
}

void wideText(const EmfRecord& r, std::int64_t off, std::int64_t count, QString& text) {
    text.resize(qsizetype(count));
    for (std::int64_t i = 0; i < count; ++i)
        text[qsizetype(i)] = QChar(r.u16(off + 2 * i));
}

// EMRTEXT at `at`: reference, nChars, offString, options, [rectangle], offDx. Offsets count from
// the start of the record.
bool readEmrText(const EmfRecord& r, std::int64_t at, bool wide, bool mayOmitRect, std::uint8_t charSet,
                 EmfTextOut& out) {
    if (!r.has(at, 20))
        return false;
    out.reference = QPointF(r.i32(at), r.i32(at + 4));
    const std::int64_t count = r.u32(at + 8);
    const std::int64_t offString = r.u32(at + 12);
    out.options = r.u32(at + 16);
    const bool rectPresent = !(mayOmitRect && (out.options & kEtoNoRect));
    const std::int64_t offDxAt = rectPresent ? at + 36 : at + 20;
    if (!r.has(offDxAt, 4))
        return false;
    out.hasRect = rectPresent && (out.options & (ETO_OPAQUE | ETO_CLIPPED));
    out.rect = rectPresent ? r.boxL(at + 20) : QRectF();
    if (!r.hasArray(offString, count, wide ? 2 : 1))
        return false;
    if (wide)
        wideText(r, offString, count, out.text);
    else
        out.text = ansiText(r, offString, count, charSet);
    out.pdy = out.options & ETO_PDY;
    const std::int64_t offDx = r.u32(offDxAt);
    const std::int64_t perChar = out.pdy ? 2 : 1;
    out.dx.clear();
    if (offDx != 0 && r.hasArray(offDx, count * perChar, 4) && out.text.size() == count) {
        out.dx.resize(std::size_t(count * perChar));
        for (std::int64_t i = 0; i < count * perChar; ++i)
            out.dx[std::size_t(i)] = r.i32(offDx + 4 * i);
    }
    out.pdy = out.pdy && !out.dx.empty();
    return true;
}

// x, y, cChars, fuOptions, iGraphicsMode, exScale, eyScale, [rclClip], characters.
bool readSmallText(const EmfRecord& r, std::uint8_t charSet, EmfTextOut& out) {
    if (!r.has(8, 28))
        return false;
    const std::int64_t count = r.u32(16);
    const std::uint32_t options = r.u32(20);
    const bool rectPresent = !(options & kEtoNoRect);
    const std::int64_t off = rectPresent ? 52 : 36;
    if (rectPresent && !r.has(36, 16))
        return false;
    if (options & kEtoSmallChars) {
        if (!r.has(off, count))
            return false;
        out.text = ansiText(r, off, count, charSet);
    } else {
        if (!r.hasArray(off, count, 2))
            return false;
        wideText(r, off, count, out.text);
    }
    out.reference = QPointF(r.i32(8), r.i32(12));
    out.options = options & ~(kEtoNoRect | kEtoSmallChars);
    out.hasRect = rectPresent && (options & (ETO_OPAQUE | ETO_CLIPPED));
    out.rect = rectPresent ? r.boxL(36) : QRectF();
    out.dx.clear();
    out.pdy = false;
    out.advancedMode = r.u32(24) == kGmAdvanced;
    return true;
}

} // namespace

bool isEmfTextRecord(std::uint32_t type) {
    return type == emr::EXTTEXTOUTW || type == emr::EXTTEXTOUTA || type == emr::POLYTEXTOUTW ||
           type == emr::POLYTEXTOUTA || type == emr::SMALLTEXTOUT;
}

int emfTextCount(const EmfRecord& r) {
    switch (r.type()) {
    case emr::EXTTEXTOUTW:
    case emr::EXTTEXTOUTA:
        // rclBounds, iGraphicsMode, exScale, eyScale, then EMRTEXT.
        return r.has(24, 4) ? 1 : -1;
    case emr::POLYTEXTOUTW:
    case emr::POLYTEXTOUTA: {
        // rclBounds, iGraphicsMode, exScale, eyScale, cStrings, then EMRTEXTs of 40 bytes.
        if (!r.has(24, 16))
            return -1;
        const std::int64_t count = r.u32(36);
        return r.hasArray(40, count, 40) && count < (1 << 20) ? int(count) : -1;
    }
    case emr::SMALLTEXTOUT:
        return r.has(8, 28) ? 1 : -1;
    default:
        return 0;
    }
}

bool readEmfTextOut(const EmfRecord& r, int index, std::uint8_t charSet, EmfTextOut& out) {
    switch (r.type()) {
    case emr::EXTTEXTOUTW:
    case emr::EXTTEXTOUTA:
        out.advancedMode = r.u32(24) == kGmAdvanced;
        return index == 0 && r.has(24, 4) &&
               readEmrText(r, 36, r.type() == emr::EXTTEXTOUTW, true, charSet, out);
    case emr::POLYTEXTOUTW:
    case emr::POLYTEXTOUTA:
        out.advancedMode = r.u32(24) == kGmAdvanced;
        return index >= 0 && index < emfTextCount(r) &&
               readEmrText(r, 40 + 40 * std::int64_t(index), r.type() == emr::POLYTEXTOUTW, false, charSet,
                           out);
    case emr::SMALLTEXTOUT:
        return index == 0 && readSmallText(r, charSet, out);
    default:
        return false;
    }
}

} // namespace vek
