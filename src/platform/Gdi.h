#pragma once
// Plain GDI values as the printout drawing code uses them: colours, format flags, logical fonts,
// pens and brushes, with the numeric values Windows gives them (they are written into metafiles).

#include <QColor>
#include <QString>
#include <cmath>
#include <cstdint>

namespace vek {

// A Windows colour value, 0x00BBGGRR.
using ColorRef = std::uint32_t;

constexpr ColorRef rgb(int r, int g, int b) {
    return ColorRef(r & 0xff) | (ColorRef(g & 0xff) << 8) | (ColorRef(b & 0xff) << 16);
}
inline QColor toQColor(ColorRef c) {
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
}
inline ColorRef fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

// Rounds to the nearest integer, halves to even (the rounding of every computed pixel value).
inline int roundHalfEven(long double v) {
    return int(std::nearbyintl(v));
}
inline int roundHalfEven(double v) {
    return int(std::nearbyint(v));
}

// DrawText format flags.
enum DrawTextFlag : unsigned {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_EDITCONTROL = 0x2000,
    DT_END_ELLIPSIS = 0x8000,
};

// ExtTextOut options.
enum ExtTextOutOption : unsigned {
    ETO_OPAQUE = 0x2,
    ETO_CLIPPED = 0x4,
    ETO_GLYPH_INDEX = 0x10,
    ETO_PDY = 0x2000
};

// Background modes.
enum BkMode : int { TRANSPARENT = 1, OPAQUE = 2 };

// Mapping modes.
enum MapMode : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8
};

// Pen and brush styles.
enum PenStyle : std::uint32_t {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5
};
enum BrushStyle : std::uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };

// Character sets of logical fonts.
enum Charset : std::uint8_t {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    RUSSIAN_CHARSET = 204,
    EASTEUROPE_CHARSET = 238,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    BALTIC_CHARSET = 186,
};

// A logical font, the fields of LOGFONT. Heights and widths are in logical units of the canvas:
// a negative height asks for the character (em) height, a positive one for the cell height;
// a non-zero width asks for that average character width.
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0; // tenths of a degree, counter-clockwise
    std::int32_t orientation = 0;
    std::int32_t weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = DEFAULT_CHARSET;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName;

    bool operator==(const LogFont&) const = default;
};

struct LogPen {
    std::uint32_t style = PS_SOLID;
    std::int32_t width = 0; // logical units; 0 is one device pixel
    ColorRef color = 0;
    bool operator==(const LogPen&) const = default;
};

struct LogBrush {
    std::uint32_t style = BS_SOLID;
    ColorRef color = rgb(255, 255, 255);
    std::uint32_t hatch = 0;
    bool operator==(const LogBrush&) const = default;
};

} // namespace vek
