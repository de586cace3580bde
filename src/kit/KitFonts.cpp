#include "kit/KitFonts.h"

#include "platform/GdiFont.h"

#include <QPainter>
#include <array>

namespace vek {

namespace {

const QString marlettFamily = QStringLiteral("Marlett");

} // namespace

QString kitFaceFor(const QString& face) {
    // Small Fonts captions of the old windows read best in a condensed face; the other faces
    // stand in as they do on printout pages.
    if (face.trimmed().compare(u"small fonts", Qt::CaseInsensitive) == 0)
        return QStringLiteral("DejaVu Sans Condensed");
    const QString substitute = GdiFont::substituteFor(face);
    return substitute.isEmpty() ? face : substitute;
}

bool isMarlettFont(const QFont& font) {
    return font.family().compare(marlettFamily, Qt::CaseInsensitive) == 0;
}

QFont kitFont(const QString& face, int height, unsigned style) {
    QFont f;
    if (face.compare(marlettFamily, Qt::CaseInsensitive) == 0) {
        f.setFamily(marlettFamily);
    } else {
        const QString real = kitFaceFor(face);
        // Fall back to the plain face of the same family first (the condensed DejaVu faces come
        // with an optional package).
        const QString sans = QStringLiteral("Liberation Sans");
        const QString dejavu = QStringLiteral("DejaVu Sans");
        f.setFamilies(real.startsWith(dejavu) ? QStringList{real, dejavu, sans}
                                              : QStringList{real, sans, dejavu});
    }
    f.setBold(style & kfBold);
    f.setItalic(style & kfItalic);
    f.setUnderline(style & kfUnderline);
    f.setStyleStrategy(QFont::PreferAntialias);
    int px = height < 0 ? -height : height;
    if (height > 0 && !isMarlettFont(f)) {
        // A positive height is the cell height, read as GDI reads a LOGFONT's: the em whose
        // ascent + descent (from the face's own metrics) make that height.
        LogFont lf;
        lf.height = height;
        lf.weight = (style & kfBold) ? 700 : 400;
        lf.italic = (style & kfItalic) ? 1 : 0;
        lf.faceName = f.families().constFirst();
        px = roundHalfEven(GdiFont::get(lf)->emSize());
    }
    f.setPixelSize(qMax(1, px));
    return f;
}

// ---- Marlett ----------------------------------------------------------------------------------

namespace {

using GlyphRows = std::array<const char*, 9>;

// The glyphs as drawn at an em size of about 11 pixels, on a 9 x 9 grid ('X' = ink).
const GlyphRows* glyphRows(QChar c) {
    static const GlyphRows minimise{".........", ".........", ".........", ".........", ".........",
                                    ".........", ".XXXXXX..", ".XXXXXX..", "........."};
    static const GlyphRows maximise{"XXXXXXXXX", "XXXXXXXXX", "X.......X", "X.......X", "X.......X",
                                    "X.......X", "X.......X", "X.......X", "XXXXXXXXX"};
    static const GlyphRows restore{"..XXXXXX.", "..XXXXXX.", "..X....X.", "XXXXXX.X.", "XXXXXX.X.",
                                   "X....XXX.", "X....X...", "X....X...", "XXXXXX..."};
    static const GlyphRows left{".........", ".....X...", "....XX...", "...XXX...", "..XXXX...",
                                "...XXX...", "....XX...", ".....X...", "........."};
    static const GlyphRows right{".........", "...X.....", "...XX....", "...XXX...", "...XXXX..",
                                 "...XXX...", "...XX....", "...X.....", "........."};
    static const GlyphRows up{".........", ".........", "....X....", "...XXX...", "..XXXXX..",
                              ".XXXXXXX.", ".........", ".........", "........."};
    static const GlyphRows down{".........", ".........", ".........", ".XXXXXXX.", "..XXXXX..",
                                "...XXX...", "....X....", ".........", "........."};
    static const GlyphRows close{".........", "XX....XX.", ".XX..XX..", "..XXXX...", "...XX....",
                                 "..XXXX...", ".XX..XX..", "XX....XX.", "........."};
    static const GlyphRows question{"..XXXX...", ".XX..XX..", ".....XX..", "....XX...", "...XX....",
                                    "...XX....", ".........", "...XX....", "...XX...."};
    switch (c.unicode()) {
    case u'0':
        return &minimise;
    case u'1':
        return &maximise;
    case u'2':
        return &restore;
    case u'3':
        return &left;
    case u'4':
        return &right;
    case u'5':
        return &up;
    case u'6':
        return &down;
    case u'r':
        return &close;
    case u's':
        return &question;
    default:
        return nullptr;
    }
}

// Whole-pixel scale of the 9 x 9 grid for an em size.
int glyphScale(int emSize) {
    return qMax(1, (emSize + 4) / 12);
}

int glyphAdvance(int emSize) {
    return 9 * glyphScale(emSize) + 1;
}

} // namespace

bool isMarlettGlyph(QChar glyph) {
    return glyphRows(glyph) != nullptr;
}

void paintMarlettGlyph(QPainter& p, const QRect& r, QChar glyph, const QColor& color, int emSize) {
    const GlyphRows* rows = glyphRows(glyph);
    if (!rows) {
        return;
    }
    if (emSize <= 0) {
        emSize = qMin(r.width(), r.height());
    }
    const int k = glyphScale(emSize);
    const int side = 9 * k;
    const int x0 = r.left() + (r.width() - side) / 2;
    const int y0 = r.top() + (r.height() - side) / 2;
    for (int row = 0; row < 9; ++row) {
        const char* line = (*rows)[row];
        for (int col = 0; col < 9; ++col) {
            if (line[col] == 'X') {
                p.fillRect(QRect(x0 + col * k, y0 + row * k, k, k), color);
            }
        }
    }
}

int marlettTextWidth(const QString& text, int emSize) {
    return int(text.size()) * glyphAdvance(emSize);
}

void paintMarlettText(QPainter& p, const QRect& r, const QString& text, const QColor& color, int emSize,
                      Qt::Alignment align) {
    if (text.isEmpty()) {
        return;
    }
    const int adv = glyphAdvance(emSize);
    const int w = marlettTextWidth(text, emSize);
    int x = r.left();
    if (align & Qt::AlignHCenter) {
        x = r.left() + (r.width() - w) / 2;
    } else if (align & Qt::AlignRight) {
        x = r.right() + 1 - w;
    }
    const int side = 9 * glyphScale(emSize);
    int y = r.top() + (r.height() - side) / 2;
    if (align & Qt::AlignTop) {
        y = r.top();
    } else if (align & Qt::AlignBottom) {
        y = r.bottom() + 1 - side;
    }
    for (QChar c : text) {
        paintMarlettGlyph(p, QRect(x, y, adv, side), c, color, emSize);
        x += adv;
    }
}

} // namespace vek
