// The few Marlett glyphs the kit's windows use (caption buttons, arrows), drawn rather than taken
// from a font. On an ordinary screen they are pixel art on a 9 x 9 grid, so they stay crisp at the
// small sizes of caption buttons; on a high-resolution screen they are drawn again in device
// pixels, with strokes of whole device pixels, rather than enlarged pixel by pixel.

#include "kit/KitFonts.h"
#include "kit/KitPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <array>
#include <cmath>

namespace vek {

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

// ---- the glyphs in device pixels ----

// A glyph box laid on the device's pixels: its corner and the size of one of the 9 grid units in
// device pixels, and the way back to the painter's coordinates, so that edges fall on whole device
// pixels whatever the painter's transformation.
struct DeviceGrid {
    QTransform toPainter;
    QPoint origin;
    qreal unit;
    int at(qreal units) const { return int(std::lround(units * unit)); }
    // One and two grid units as whole strokes, so that like strokes are equally wide.
    int thin() const { return std::max(1, at(1)); }
    int thick() const { return std::max(2, at(2)); }
    QRect box(int x0, int y0, int x1, int y1) const {
        return {origin + QPoint(at(x0), at(y0)), origin + QPoint(at(x1) - 1, at(y1) - 1)};
    }
    QPointF point(qreal x, qreal y) const {
        return toPainter.map(QPointF(origin) + QPointF(x * unit, y * unit));
    }
    QPainterPath polygon(std::initializer_list<QPointF> units) const {
        QPolygonF poly;
        for (const QPointF& u : units)
            poly << point(u.x(), u.y());
        QPainterPath path;
        path.addPolygon(poly);
        path.closeSubpath();
        return path;
    }
    // Fills whole device pixels.
    void fill(QPainter& p, const QRegion& pixels, const QColor& c) const {
        for (const QRect& r : pixels)
            p.fillRect(toPainter.mapRect(QRectF(r)), c);
    }
};

// A window outline from grid (x0, y0) to (x1, y1): a thick top and thin sides and bottom.
QRegion windowOutline(const DeviceGrid& g, int x0, int y0, int x1, int y1) {
    const QRect r = g.box(x0, y0, x1, y1);
    QRegion outline(QRect(r.left(), r.top(), r.width(), g.thick()));
    outline += QRect(r.left(), r.top(), g.thin(), r.height());
    outline += QRect(r.right() + 1 - g.thin(), r.top(), g.thin(), r.height());
    outline += QRect(r.left(), r.bottom() + 1 - g.thin(), r.width(), g.thin());
    return outline;
}

void fillSmooth(QPainter& p, const QPainterPath& path, const QColor& c) {
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(path, c);
}

void paintDeviceGlyph(QPainter& p, const DeviceGrid& g, QChar c, const QColor& color) {
    switch (c.unicode()) {
    case u'0':
        g.fill(p, QRect(g.origin + QPoint(g.at(1), g.at(6)), QSize(g.at(7) - g.at(1), g.thick())), color);
        break;
    case u'1':
        g.fill(p, windowOutline(g, 0, 0, 9, 9), color);
        break;
    case u'2':
        // The window behind shows only where the one in front does not cover it.
        g.fill(p, windowOutline(g, 2, 0, 8, 6).subtracted(g.box(0, 3, 6, 9)), color);
        g.fill(p, windowOutline(g, 0, 3, 6, 9), color);
        break;
    case u'3':
        fillSmooth(p, g.polygon({{6, 1}, {6, 8}, {2, 4.5}}), color);
        break;
    case u'4':
        fillSmooth(p, g.polygon({{3, 1}, {3, 8}, {7, 4.5}}), color);
        break;
    case u'5':
        fillSmooth(p, g.polygon({{1, 6}, {8, 6}, {4.5, 2}}), color);
        break;
    case u'6':
        fillSmooth(p, g.polygon({{1, 3}, {8, 3}, {4.5, 7}}), color);
        break;
    case u'r':
        // Two bars two units wide across, from corner to corner.
        fillSmooth(p, g.polygon({{0, 1}, {1.5, 1}, {8, 7.5}, {8, 8}, {6.5, 8}, {0, 1.5}}), color);
        fillSmooth(p, g.polygon({{8, 1}, {6.5, 1}, {0, 7.5}, {0, 8}, {1.5, 8}, {8, 1.5}}), color);
        break;
    case u's': {
        QPainterPath hook;
        const QRectF arc(g.point(2, 0.85), g.point(6, 3.85)); // the kit's painters do not rotate
        hook.arcMoveTo(arc, 195);
        hook.arcTo(arc, 195, -240);
        hook.lineTo(g.point(4, 4.6));
        hook.lineTo(g.point(4, 6));
        QPen pen(color, 1.6 * g.unit, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
        pen.setCosmetic(true); // its width is in device pixels, as the grid's unit
        p.setRenderHint(QPainter::Antialiasing);
        p.strokePath(hook, pen);
        g.fill(p, g.box(3, 7, 5, 9), color);
        break;
    }
    default:
        break;
    }
}

// Draws a glyph whose box is `box` (painter coordinates) on the device's own pixels.
void paintGlyphInDevicePixels(QPainter& p, const QRect& box, QChar glyph, const QColor& color) {
    const QTransform toDevice = p.deviceTransform();
    const QPointF corner = toDevice.map(QPointF(box.topLeft()));
    const qreal scale = std::hypot(toDevice.m11(), toDevice.m12());
    const DeviceGrid grid{toDevice.inverted(),
                          QPoint(int(std::lround(corner.x())), int(std::lround(corner.y()))),
                          box.width() * scale / 9.0};
    p.save();
    paintDeviceGlyph(p, grid, glyph, color);
    p.restore();
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
    if (!qFuzzyCompare(paintRatio(p), 1.0)) {
        paintGlyphInDevicePixels(p, QRect(x0, y0, side, side), glyph, color);
        return;
    }
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
