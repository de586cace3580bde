// Draws the kit's bitmaps (hint-bar pictures, key-cap and key-label sheets) and saves them as PNG
// files into the folder given as the first argument: each once at its own size and once at double
// size for high-resolution screens (NAME@2x.png), drawn at that resolution rather than enlarged.
// Not part of the build; run it by hand:
//   g++ -std=c++20 -fPIC gen_kit_images.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/gen && \
//   QT_QPA_PLATFORM=offscreen /tmp/gen resources/kit
//
// Shapes are described in the pictures' own pixels: a point (u, v) is the centre of a device pixel
// measured in those pixels, so pixel i of the single-size picture spans [i, i + 1).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using Mask = std::function<bool(double u, double v)>;

// Paints a body given by a mask at scale s: lighter on its upper edge, with a dark outline around
// it; edge and outline are one picture pixel (s device pixels) wide.
void paintBody(QImage& img, int s, const Mask& body, QColor fill, QColor light, QColor outline) {
    const int w = img.width(), h = img.height();
    auto in = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && body((x + 0.5) / s, (y + 0.5) / s);
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (in(x, y)) {
                img.setPixelColor(x, y, in(x, y - s) ? fill : light);
                continue;
            }
            bool near = false;
            for (int dy = -s; dy <= s && !near; ++dy)
                for (int dx = -s; dx <= s && !near; ++dx)
                    near = in(x + dx, y + dy);
            if (near)
                img.setPixelColor(x, y, outline);
        }
    }
}

QImage transparentImage(int w, int h, int s) {
    QImage img(w * s, h * s, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

QImage cancelPicture(int s) {
    QImage img = transparentImage(16, 16, s);
    paintBody(
        img, s,
        [](double u, double v) {
            return u > 2 && u < 14 && v > 2 && v < 14 && (std::abs(u - v) <= 1 || std::abs(u + v - 16) <= 1);
        },
        QColor(224, 24, 24), QColor(255, 128, 112), QColor(112, 0, 0));
    return img;
}

QImage acceptPicture(int s) {
    QImage img = transparentImage(16, 16, s);
    // A shaft from the left and a head pointing right.
    paintBody(
        img, s,
        [](double u, double v) {
            const bool shaft = u > 1 && u < 9 && v > 6 && v < 10;
            const bool head = u > 8 && u < 15 && std::abs(2 * v - 16) <= 30 - 2 * u;
            return shaft || head;
        },
        QColor(0, 200, 0), QColor(144, 255, 144), QColor(0, 80, 0));
    return img;
}

// The question mark: pixel art at single size, a stroked outline at double size.
Mask questionMark(int s) {
    if (s == 1) {
        static const char* rows[12] = {"............", "....XXXX....", "...XX..XX...", "...XX..XX...",
                                       ".......XX...", "......XX....", ".....XX.....", ".....XX.....",
                                       "............", ".....XX.....", ".....XX.....", "............"};
        return [](double u, double v) { return rows[int(v)][int(u)] == 'X'; };
    }
    QPainterPath hook;
    hook.arcMoveTo(QRectF(4, 1.9, 4, 3.4), 180);
    hook.arcTo(QRectF(4, 1.9, 4, 3.4), 180, -225);
    hook.lineTo(6, 6.4);
    hook.lineTo(6, 8);
    QPainterPathStroker stroker;
    stroker.setWidth(1.9);
    stroker.setCapStyle(Qt::FlatCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath mark = stroker.createStroke(hook).simplified();
    mark.addEllipse(QRectF(5.05, 9.05, 1.9, 1.9));
    return [mark](double u, double v) { return mark.contains(QPointF(u, v)); };
}

QImage helpPicture(int s) {
    QImage img = transparentImage(12, 12, s);
    paintBody(img, s, questionMark(s), QColor(255, 240, 0), QColor(255, 255, 200), QColor(96, 72, 0));
    return img;
}

// ---- Key caps -----------------------------------------------------------------------------------

const QColor capKey(198, 198, 198);

// One 22 x 17 key cap at cell (ox, oy) (cap pixels): rounded outline, a lit top face and a darker
// lip below it, with the face's gradient computed for every device pixel.
void paintCap(QImage& img, int s, int ox, int oy, QColor c) {
    const QColor edge = c.darker(260);
    const QColor side = c.darker(150);
    const QColor lip = c.darker(180);
    for (int y = 0; y < 17 * s; ++y) {
        for (int x = 0; x < 22 * s; ++x) {
            const double u = (x + 0.5) / s, v = (y + 0.5) / s;
            // The corners are cut round, on a quarter circle of radius 1.8.
            constexpr double r = 1.8;
            const double cu = std::max({0.0, r - u, u - (22 - r)});
            const double cv = std::max({0.0, r - v, v - (17 - r)});
            if (cu > 0 && cv > 0 && cu * cu + cv * cv > r * r)
                continue;
            QColor col;
            if (u < 1 || u > 21 || v < 1 || v > 16) {
                col = edge;
            } else if (v > 14) {
                col = lip;
            } else if (u < 2 || u > 20 || v > 13) {
                col = side;
            } else if (v < 2) {
                col = c.lighter(160);
            } else if (u < 3) {
                col = c.lighter(125);
            } else {
                // A soft vertical gradient over the face.
                const int k = int(std::lround(100 + (6.5 - v) * 4));
                col = k >= 100 ? c.lighter(k) : c.darker(200 - k);
            }
            img.setPixelColor(ox * s + x, oy * s + y, col);
        }
    }
}

QImage capSheet(int s) {
    QImage img(44 * s, 85 * s, QImage::Format_RGB32);
    img.fill(capKey);
    const QColor colours[5] = {QColor(40, 72, 200), QColor(136, 48, 168), QColor(136, 136, 24),
                               QColor(24, 144, 48), QColor(200, 32, 32)};
    for (int row = 0; row < 5; ++row) {
        paintCap(img, s, 0, row * 17, colours[row]);
        paintCap(img, s, 22, row * 17, QColor(176, 176, 176));
    }
    return img;
}

// ---- Key labels ---------------------------------------------------------------------------------

const QColor labelKey(0, 0, 255);

// Labels in the order of the button types. A leading '@' marks a drawn symbol.
const char* const labels[45] = {
    "A",  "B",   "C",   "D",   "E",   "F",      "G",  "H",  "I",    "J",  "K",      "L",  "M",  "N",  "O",
    "P",  "R",   "S",   "T",   "U",   "W",      "Z",  "F1", "F2",   "F3", "F4",     "F5", "F6", "F7", "F8",
    "F9", "F10", "F11", "F12", "@bs", "@enter", "@+", "@-", "@tab", "@*", "@altbs", "1",  "",   "",   "@/"};

// A painter on a label cell, in label pixels, without antialiasing: the sheet's key colour must
// not blend into the edges of the ink.
struct LabelPen {
    QPainter& p;
    QColor c;
    void rect(double x, double y, double w, double h) const { p.fillRect(QRectF(x, y, w, h), c); }
    void hline(int x0, int x1, int y) const { rect(x0, y, x1 - x0 + 1, 1); }
    void vline(int x, int y0, int y1) const { rect(x, y0, 1, y1 - y0 + 1); }
    void polygon(const QPolygonF& poly) const {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(poly);
    }
    // A diagonal one label pixel wide through n pixels, from pixel (x, y) down to the right
    // (step 1) or down to the left (step -1).
    void diagonal(int x, int y, int n, int step) const {
        const double a = step > 0 ? x - 0.5 : x + 0.5;
        polygon(QPolygonF({QPointF(a, y), QPointF(a + 1, y), QPointF(a + 1 + step * n, y + n),
                           QPointF(a + step * n, y + n)}));
    }
};

// An arrow pointing left whose tip is pixel (x, y), with a shaft of the given length.
void leftArrow(const LabelPen& pen, int x, int y, int shaft) {
    pen.polygon(QPolygonF({QPointF(x, y + 0.5), QPointF(x + 4, y - 3.5), QPointF(x + 4, y + 4.5)}));
    pen.rect(x + 4, y - 1, shaft, 3);
}

void paintSymbol(const LabelPen& pen, int ox, int oy, const QString& name) {
    const int cx = ox + 10, cy = oy + 5;
    if (name == QLatin1String("bs")) {
        leftArrow(pen, ox + 4, cy, 9);
    } else if (name == QLatin1String("enter")) {
        leftArrow(pen, ox + 3, cy + 2, 8);
        pen.rect(ox + 14, cy - 4, 2, 8);
    } else if (name == QLatin1String("tab")) {
        // Arrow to the right against a bar.
        pen.polygon(
            QPolygonF({QPointF(ox + 15, cy + 0.5), QPointF(ox + 11, cy - 3.5), QPointF(ox + 11, cy + 4.5)}));
        pen.rect(ox + 3, cy - 1, 8, 3);
        pen.vline(ox + 16, cy - 4, cy + 4);
    } else if (name == QLatin1String("+")) {
        pen.rect(cx - 4, cy - 1, 8, 2);
        pen.rect(cx - 1, cy - 4, 2, 8);
    } else if (name == QLatin1String("-")) {
        pen.rect(cx - 4, cy - 1, 8, 2);
    } else if (name == QLatin1String("*")) {
        pen.diagonal(cx - 3, cy - 3, 7, 1);
        pen.diagonal(cx + 3, cy - 3, 7, -1);
        pen.hline(cx - 3, cx + 3, cy);
        pen.vline(cx, cy - 3, cy + 3);
    } else if (name == QLatin1String("/")) {
        pen.polygon(QPolygonF({QPointF(cx + 2.5, oy + 1), QPointF(cx + 4.5, oy + 1),
                               QPointF(cx - 0.5, oy + 11), QPointF(cx - 2.5, oy + 11)}));
    } else if (name == QLatin1String("altbs")) {
        pen.p.setPen(pen.c);
        pen.p.drawText(QRect(ox, oy, 10, 11), Qt::AlignCenter, QStringLiteral("A"));
        leftArrow(pen, ox + 10, cy, 5);
    }
}

QFont labelFont(const QString& family, int pixelSize, int s) {
    QFont f(family);
    f.setBold(true);
    f.setPixelSize(pixelSize * s);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QImage labelSheet(int s) {
    QImage img(40 * s, 585 * s, QImage::Format_RGB32);
    img.fill(labelKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int row = 0; row < 45; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QColor ink = col == 0 ? QColor(255, 255, 255) : QColor(112, 112, 112);
            const int ox = col * 20, oy = row * 13;
            const QString text = QString::fromLatin1(labels[row]);
            const bool narrow = text.size() >= 3;
            // Text is set in device pixels (a font of s times the size), symbols in label pixels.
            p.resetTransform();
            p.setFont(narrow ? labelFont(QStringLiteral("Liberation Sans Narrow"), 11, s)
                             : labelFont(QStringLiteral("DejaVu Sans"), 10, s));
            if (text.startsWith(u'@')) {
                p.scale(s, s);
                QFont f = p.font();
                f.setPixelSize(f.pixelSize() / s);
                p.setFont(f);
                paintSymbol(LabelPen{p, ink}, ox, oy, text.mid(1));
                continue;
            }
            p.setPen(ink);
            p.drawText(QRect(ox * s, oy * s, 20 * s, 11 * s), Qt::AlignCenter, text);
        }
    }
    return img;
}

bool save(const QDir& out, const QString& name, int s, const QImage& img) {
    return img.save(
        out.filePath(name + (s == 1 ? QString() : QStringLiteral("@%1x").arg(s)) + QStringLiteral(".png")));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    bool ok = true;
    for (int s : {1, 2}) {
        ok = save(out, QStringLiteral("HINTBARCANCEL"), s, cancelPicture(s)) && ok;
        ok = save(out, QStringLiteral("HINTBARACCEPT"), s, acceptPicture(s)) && ok;
        ok = save(out, QStringLiteral("HINTBARHELP"), s, helpPicture(s)) && ok;
        ok = save(out, QStringLiteral("VEKBTN_BG"), s, capSheet(s)) && ok;
        ok = save(out, QStringLiteral("VEKBTN_FG"), s, labelSheet(s)) && ok;
    }
    return ok ? 0 : 1;
}
