// Draws the kit's bitmaps (hint-bar pictures, key-cap and key-label sheets) and saves them as PNG
// files into the folder given as the first argument. Not part of the build; run it by hand:
//   g++ -std=c++20 -fPIC gen_kit_images.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/gen && \
//   QT_QPA_PLATFORM=offscreen /tmp/gen resources/kit
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <functional>

namespace {

using Mask = std::function<bool(int x, int y)>;

// Paints a body given by a mask: lighter on its upper edge, with a dark outline around it.
void paintBody(QImage& img, const Mask& body, QColor fill, QColor light, QColor outline) {
    const int w = img.width(), h = img.height();
    auto in = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && body(x, y); };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (in(x, y)) {
                img.setPixelColor(x, y, in(x, y - 1) ? fill : light);
                continue;
            }
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if (in(x + dx, y + dy)) {
                        img.setPixelColor(x, y, outline);
                    }
                }
            }
        }
    }
}

QImage transparentImage(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

QImage cancelPicture() {
    QImage img = transparentImage(16, 16);
    paintBody(
        img,
        [](int x, int y) {
            return x >= 2 && x <= 13 && y >= 2 && y <= 13 &&
                   (std::abs(x - y) <= 1 || std::abs(x + y - 15) <= 1);
        },
        QColor(224, 24, 24), QColor(255, 128, 112), QColor(112, 0, 0));
    return img;
}

QImage acceptPicture() {
    QImage img = transparentImage(16, 16);
    // A shaft from the left and a head pointing right.
    paintBody(
        img,
        [](int x, int y) {
            const bool shaft = x >= 1 && x <= 8 && y >= 6 && y <= 9;
            const bool head = x >= 8 && x <= 14 && std::abs(2 * y - 15) <= 2 * (14 - x) + 1;
            return shaft || head;
        },
        QColor(0, 200, 0), QColor(144, 255, 144), QColor(0, 80, 0));
    return img;
}

QImage helpPicture() {
    static const char* rows[12] = {"............", "....XXXX....", "...XX..XX...", "...XX..XX...",
                                   ".......XX...", "......XX....", ".....XX.....", ".....XX.....",
                                   "............", ".....XX.....", ".....XX.....", "............"};
    QImage img = transparentImage(12, 12);
    paintBody(
        img, [](int x, int y) { return rows[y][x] == 'X'; }, QColor(255, 240, 0), QColor(255, 255, 200),
        QColor(96, 72, 0));
    return img;
}

// ---- Key caps -----------------------------------------------------------------------------------

const QColor capKey(198, 198, 198);

// One 22 x 17 key cap at (ox, oy): rounded outline, a lit top face and a darker lip below it.
void paintCap(QImage& img, int ox, int oy, QColor c) {
    auto put = [&](int x, int y, QColor col) { img.setPixelColor(ox + x, oy + y, col); };
    const QColor edge = c.darker(260);
    const QColor side = c.darker(150);
    const QColor lip = c.darker(180);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 22; ++x) {
            const bool corner = (x == 0 || x == 21) && (y == 0 || y == 16);
            if (corner) {
                continue;
            }
            const bool border = x == 0 || x == 21 || y == 0 || y == 16;
            if (border) {
                put(x, y, edge);
            } else if (y >= 14) {
                put(x, y, lip);
            } else if (x == 1 || x == 20 || y == 13) {
                put(x, y, side);
            } else if (y == 1) {
                put(x, y, c.lighter(160));
            } else if (x == 2) {
                put(x, y, c.lighter(125));
            } else {
                // A soft vertical gradient over the face.
                const int k = 100 + (6 - y) * 4;
                put(x, y, k >= 100 ? c.lighter(k) : c.darker(200 - k));
            }
        }
    }
}

QImage capSheet() {
    QImage img(44, 85, QImage::Format_RGB32);
    img.fill(capKey);
    const QColor colours[5] = {QColor(40, 72, 200), QColor(136, 48, 168), QColor(136, 136, 24),
                               QColor(24, 144, 48), QColor(200, 32, 32)};
    for (int row = 0; row < 5; ++row) {
        paintCap(img, 0, row * 17, colours[row]);
        paintCap(img, 22, row * 17, QColor(176, 176, 176));
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

void hline(QImage& img, int x0, int x1, int y, QColor c) {
    for (int x = x0; x <= x1; ++x) {
        img.setPixelColor(x, y, c);
    }
}

void vline(QImage& img, int x, int y0, int y1, QColor c) {
    for (int y = y0; y <= y1; ++y) {
        img.setPixelColor(x, y, c);
    }
}

// An arrow pointing left whose tip is at (x, y), with a shaft of the given length.
void leftArrow(QImage& img, int x, int y, int shaft, QColor c) {
    for (int i = 0; i <= 3; ++i) {
        vline(img, x + i, y - i, y + i, c);
    }
    hline(img, x + 4, x + 3 + shaft, y - 1, c);
    hline(img, x + 4, x + 3 + shaft, y, c);
    hline(img, x + 4, x + 3 + shaft, y + 1, c);
}

void paintSymbol(QImage& img, int ox, int oy, const QString& name, QColor c, QPainter& p) {
    const int cx = ox + 10, cy = oy + 5;
    if (name == QLatin1String("bs")) {
        leftArrow(img, ox + 4, cy, 9, c);
    } else if (name == QLatin1String("enter")) {
        leftArrow(img, ox + 3, cy + 2, 8, c);
        vline(img, ox + 14, cy - 4, cy + 3, c);
        vline(img, ox + 15, cy - 4, cy + 3, c);
    } else if (name == QLatin1String("tab")) {
        // Arrow to the right against a bar.
        for (int i = 0; i <= 3; ++i) {
            vline(img, ox + 14 - i, cy - i, cy + i, c);
        }
        hline(img, ox + 3, ox + 10, cy - 1, c);
        hline(img, ox + 3, ox + 10, cy, c);
        hline(img, ox + 3, ox + 10, cy + 1, c);
        vline(img, ox + 16, cy - 4, cy + 4, c);
    } else if (name == QLatin1String("+")) {
        hline(img, cx - 4, cx + 3, cy - 1, c);
        hline(img, cx - 4, cx + 3, cy, c);
        vline(img, cx - 1, cy - 4, cy + 3, c);
        vline(img, cx, cy - 4, cy + 3, c);
    } else if (name == QLatin1String("-")) {
        hline(img, cx - 4, cx + 3, cy - 1, c);
        hline(img, cx - 4, cx + 3, cy, c);
    } else if (name == QLatin1String("*")) {
        for (int i = -3; i <= 3; ++i) {
            img.setPixelColor(cx + i, cy + i, c);
            img.setPixelColor(cx + i, cy - i, c);
            img.setPixelColor(cx + i, cy, c);
            img.setPixelColor(cx, cy + i, c);
        }
    } else if (name == QLatin1String("/")) {
        for (int i = 0; i < 10; ++i) {
            img.setPixelColor(cx + 2 - i / 2, oy + 1 + i, c);
            img.setPixelColor(cx + 3 - i / 2, oy + 1 + i, c);
        }
    } else if (name == QLatin1String("altbs")) {
        p.setPen(c);
        p.drawText(QRect(ox, oy, 10, 11), Qt::AlignCenter, QStringLiteral("A"));
        leftArrow(img, ox + 10, cy, 5, c);
    }
}

QImage labelSheet() {
    QImage img(40, 585, QImage::Format_RGB32);
    img.fill(labelKey);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(10);
    font.setStyleStrategy(QFont::NoAntialias);
    QFont narrow(QStringLiteral("Liberation Sans Narrow"));
    narrow.setBold(true);
    narrow.setPixelSize(11);
    narrow.setStyleStrategy(QFont::NoAntialias);
    for (int row = 0; row < 45; ++row) {
        for (int col = 0; col < 2; ++col) {
            const QColor ink = col == 0 ? QColor(255, 255, 255) : QColor(112, 112, 112);
            const int ox = col * 20, oy = row * 13;
            const QString text = QString::fromLatin1(labels[row]);
            QPainter p(&img);
            p.setFont(text.size() >= 3 ? narrow : font);
            if (text.startsWith(u'@')) {
                paintSymbol(img, ox, oy, text.mid(1), ink, p);
                continue;
            }
            p.setPen(ink);
            p.drawText(QRect(ox, oy, 20, 11), Qt::AlignCenter, text);
        }
    }
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    bool ok = cancelPicture().save(out.filePath(QStringLiteral("HINTBARCANCEL.png")));
    ok = acceptPicture().save(out.filePath(QStringLiteral("HINTBARACCEPT.png"))) && ok;
    ok = helpPicture().save(out.filePath(QStringLiteral("HINTBARHELP.png"))) && ok;
    ok = capSheet().save(out.filePath(QStringLiteral("VEKBTN_BG.png"))) && ok;
    ok = labelSheet().save(out.filePath(QStringLiteral("VEKBTN_FG.png"))) && ok;
    return ok ? 0 : 1;
}
