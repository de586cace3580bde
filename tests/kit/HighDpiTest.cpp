// The kit on high-resolution screens.
//
// Fault: the hint bar's pictures, the key caps and labels of the skinned buttons and the Marlett
// glyphs of the caption buttons were single-size drawings enlarged pixel by pixel: blocky at 200 %,
// with strokes of uneven width at 150 %.

#include "KitTestUtil.h"
#include "kit/HintBar.h"
#include "kit/KitFonts.h"
#include "kit/VekBtn.h"
#include "kit/uVekForm.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

using namespace vek;
using kittest::inkBox;
using kittest::shot;

namespace {

// True when every 2 x 2 block of the (device pixel) area is of one colour: a single-size drawing
// enlarged. The area starts on even pixels.
bool pixelDoubled(const QImage& img, const QRect& area) {
    for (int y = area.top(); y + 1 <= area.bottom(); y += 2) {
        for (int x = area.left(); x + 1 <= area.right(); x += 2) {
            const QRgb c = img.pixel(x, y);
            if (img.pixel(x + 1, y) != c || img.pixel(x, y + 1) != c || img.pixel(x + 1, y + 1) != c)
                return false;
        }
    }
    return true;
}

QRect device(const QRect& logical, int ratio) {
    return {logical.topLeft() * ratio, logical.size() * ratio};
}

bool saturated(QColor c) {
    return c.saturation() > 100 && c.value() > 60;
}

} // namespace

TEST(HighDpi, HintBarPicturesAreDrawnAtDoubleSize) {
    THintBar bar;
    bar.resize(400, 24);
    bar.show();
    bar.setTextCancel(QStringLiteral("Zamknij"));
    bar.setTextAccept(QStringLiteral("Wybierz"));
    const QImage single = shot(bar, 1);
    const QImage twice = shot(bar, 2);
    for (THintBarButton* b : {bar.btnHelp(), bar.btnAccept(), bar.btnCancel()}) {
        // The picture's place on the bar: the button's margin, 16 pixels wide at most.
        const QRect picture(b->x() + 2, b->y(), 16, b->height());
        const QRect ink1 = inkBox(
            single, [](QColor c) { return c != Qt::black; }, picture);
        ASSERT_FALSE(ink1.isEmpty());
        EXPECT_FALSE(pixelDoubled(twice, device(picture, 2))) << b->text().toStdString();
        // Same place and size on the screen.
        const QRect ink2 = inkBox(
            twice, [](QColor c) { return c != Qt::black; }, device(picture, 2));
        EXPECT_NEAR(ink2.left(), 2 * ink1.left(), 1);
        EXPECT_NEAR(ink2.right(), 2 * ink1.right() + 1, 1);
        EXPECT_NEAR(ink2.top(), 2 * ink1.top(), 1);
        EXPECT_NEAR(ink2.bottom(), 2 * ink1.bottom() + 1, 1);
    }
}

TEST(HighDpi, KeyCapsAndLabelsAreDrawnAtDoubleSize) {
    QWidget host;
    host.resize(100, 50);
    auto* b = new TVekBtn(&host);
    b->setGeometry(0, 0, 70, 33);
    b->setTyp(sbF7);
    b->setOpis(QStringLiteral("Dodaj"));
    const QRect cap(24, 2, 22, 17);
    EXPECT_EQ(inkBox(shot(*b, 1), saturated), cap);
    const QImage twice = shot(*b, 2);
    EXPECT_EQ(inkBox(twice, saturated), device(cap, 2));
    EXPECT_FALSE(pixelDoubled(twice, device(cap, 2)));
    // The label alone (white on the cap) is drawn at double size too.
    EXPECT_FALSE(pixelDoubled(twice, device(QRect(25, 4, 20, 13), 2)));
    b->setEnabled(false);
    EXPECT_FALSE(pixelDoubled(shot(*b, 2), device(cap, 2)));

    // An own picture drawn at double size counts by its own size: two halves of 16 x 20.
    QImage own(64, 40, QImage::Format_RGB32);
    own.fill(QColor(0, 160, 0));
    own.setPixelColor(0, 0, Qt::magenta);
    QPixmap ownPicture = QPixmap::fromImage(own);
    ownPicture.setDevicePixelRatio(2);
    b->setEnabled(true);
    b->setTyp(sbWlasny);
    b->setGeometry(0, 0, 100, 75);
    b->setIkonka(ownPicture);
    const QRect green = inkBox(shot(*b, 2), [](QColor c) { return c == QColor(0, 160, 0); });
    EXPECT_EQ(green, device(QRect(42, 2, 16, 20), 2));
}

TEST(HighDpi, CaptionGlyphsAreDrawnInDevicePixels) {
    auto glyphAt = [](QChar g, qreal dpr) {
        QImage img(QSize(int(17 * dpr), int(15 * dpr)), QImage::Format_RGB32);
        img.setDevicePixelRatio(dpr);
        img.fill(Qt::white);
        QPainter p(&img);
        paintMarlettGlyph(p, QRect(0, 0, 17, 15), g, Qt::black, 11);
        return img;
    };
    // Arrows, the close cross and the question mark have slanted edges: smooth at 200 %.
    for (QChar g : QStringLiteral("3456rs")) {
        const QImage img = glyphAt(g, 2);
        const QRect ink = inkBox(img, [](QColor c) { return c.value() < 250; });
        ASSERT_FALSE(ink.isEmpty()) << g.toLatin1();
        EXPECT_TRUE(QRect(8, 6, 18, 18).contains(ink)) << g.toLatin1(); // the 9 x 9 box, in device pixels
        EXPECT_FALSE(pixelDoubled(img, img.rect())) << g.toLatin1();
    }
    // At 150 % the maximise box has sides and bottom of one width and a top twice as thick.
    const QImage box = glyphAt(u'1', 1.5);
    const auto black = [](QColor c) { return c == Qt::black; };
    const QRect outline = inkBox(box, black);
    ASSERT_FALSE(outline.isEmpty());
    const int mid = outline.center().y(), centre = outline.center().x();
    auto run = [&](QPoint from, QPoint step) {
        int n = 0;
        for (QPoint q = from; box.rect().contains(q) && black(box.pixelColor(q)); q += step)
            ++n;
        return n;
    };
    const int left = run({outline.left(), mid}, {1, 0});
    EXPECT_EQ(run({outline.right(), mid}, {-1, 0}), left);
    EXPECT_EQ(run({centre, outline.bottom()}, {0, -1}), left);
    EXPECT_GE(run({centre, outline.top()}, {0, 1}), 2 * left - 1);
}

TEST(HighDpi, CaptionButtonsShowTheirGlyphsInPlace) {
    // The glyphs are laid on device pixels through the painter's whole transformation, so a
    // button inside a window (painted with an offset) still shows its glyph in the middle.
    const auto form = std::make_unique<TVekForm>();
    form->SetBorderIcons(biHelp | biMaximize);
    form->resize(400, 300);
    for (qreal ratio : {1.5, 2.0}) {
        const QImage img = shot(*form, ratio);
        for (TCaptionButton* b : {form->btnCapHelp, form->btnCapMaximize, form->btnCapClose}) {
            const QRect r(b->mapTo(form.get(), QPoint(0, 0)), b->size());
            const QRectF inDevice(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio);
            const QRect inner = inDevice.toRect().adjusted(3, 3, -3, -3);
            const QRect ink = inkBox(
                img, [](QColor c) { return c.value() < 60; }, inner);
            ASSERT_FALSE(ink.isEmpty()) << b->text().toStdString() << " at " << ratio;
            EXPECT_NEAR(ink.center().x(), inDevice.center().x(), 2 * ratio) << b->text().toStdString();
            EXPECT_NEAR(ink.center().y(), inDevice.center().y(), 2 * ratio) << b->text().toStdString();
        }
    }
}
