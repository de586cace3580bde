#include "kit/KitFonts.h"
#include "KitTestUtil.h"
#include "kit/HintBar.h"
#include "kit/VekBtn.h"
#include "kit/okienko.h"
#include "kit/okienkoWidgets.h"
#include "kit/uVekForm.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

using namespace vek;
using kittest::inkBox;

TEST(KitFonts, OldFacesMapToInstalledFacesWithGdiHeights) {
    const QFont sans = kitFont(QStringLiteral("MS Sans Serif"), -11, kfBold);
    EXPECT_EQ(sans.pixelSize(), 11);
    EXPECT_TRUE(sans.bold());
    EXPECT_EQ(QFontInfo(sans).family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(QFontInfo(kitFont(QStringLiteral("Small Fonts"), -7)).family().left(11),
              QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(QFontInfo(kitFont(QStringLiteral("Courier New"), -12)).family(),
              QStringLiteral("Liberation Mono"));
    EXPECT_EQ(kitFaceFor(QStringLiteral("Nieznana")), QStringLiteral("Nieznana"));
    // A positive height is the cell height: ascent + descent.
    const QFont cell = kitFont(QStringLiteral("Arial"), 20);
    const QFontMetrics fm(cell);
    EXPECT_NEAR(fm.ascent() + fm.descent(), 20, 1);
    EXPECT_LT(cell.pixelSize(), 20);
    EXPECT_TRUE(isMarlettFont(kitFont(QStringLiteral("marlett"), -11)));
    EXPECT_FALSE(isMarlettFont(sans));
}

TEST(KitFonts, EveryWidgetReadsHeightsTheSameWay) {
    // Fault: the hint bar's "Arial 16", "MS Sans Serif 16" and "height 12" and the skinned button's
    // "Arial, height 11" were taken as letter sizes, while the form's "height 11" and the message
    // buttons' "Arial 16" were cell heights: those texts came out an eighth too large.
    TVekBtn btn;
    THintBar bar;
    TMsgOkienko msg;
    const auto form = std::make_unique<TVekForm>();
    const struct {
        const char* what;
        QFont font;
        int cell;
    } positive[] = {{"hint bar side texts", THintBar::sideFont(), 16},
                    {"hint bar centred text", THintBar::centerFont(), 16},
                    {"hint bar buttons", bar.btnHelp()->font(), 12},
                    {"skinned button", btn.font(), 11},
                    {"form", form->font(), 11},
                    {"message buttons", msg.btnOk->font(), 16}};
    for (const auto& c : positive) {
        const QFontMetrics fm(c.font);
        EXPECT_EQ(fm.ascent() + fm.descent(), c.cell) << c.what;
    }
    // Negative heights are character heights: the em itself.
    EXPECT_EQ(msg.lbl->font().pixelSize(), 17);
    EXPECT_EQ(msg.font().pixelSize(), 11);
    EXPECT_EQ(msg.lblTAK->font().pixelSize(), 13);
}

TEST(KitFonts, MarlettGlyphsAreDrawnCentredOnWholePixels) {
    for (QChar g : QStringLiteral("0123456rs")) {
        ASSERT_TRUE(isMarlettGlyph(g)) << g.toLatin1();
        QImage img(17, 15, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        paintMarlettGlyph(p, img.rect(), g, Qt::black, 11);
        p.end();
        const QRect ink = inkBox(img, kittest::is(Qt::black));
        ASSERT_FALSE(ink.isEmpty()) << g.toLatin1();
        EXPECT_TRUE(QRect(4, 3, 9, 9).contains(ink)) << g.toLatin1();
        // Only the two colours: no blended edge pixels.
        EXPECT_TRUE(inkBox(img, [](QColor c) { return c != Qt::black && c != Qt::white; }).isEmpty());
    }
    EXPECT_FALSE(isMarlettGlyph(u'x'));

    // Close glyph: an x, symmetric left to right; a larger em size scales it.
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paintMarlettGlyph(p, img.rect(), u'r', Qt::black, 24);
    paintMarlettGlyph(p, img.rect(), u'?', Qt::red, 24);
    p.end();
    const QRect ink = inkBox(img, kittest::is(Qt::black));
    EXPECT_EQ(ink.size(), QSize(16, 14));
    EXPECT_EQ(img.pixelColor(ink.left(), ink.top()), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(ink.right(), ink.top()), QColor(Qt::black));
    EXPECT_TRUE(inkBox(img, kittest::is(Qt::red)).isEmpty());
}

TEST(KitFonts, MarlettTextIsAlignedInItsRectangle) {
    QImage img(60, 15, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paintMarlettText(p, img.rect(), QStringLiteral("56"), Qt::black, 11, Qt::AlignRight | Qt::AlignVCenter);
    p.end();
    const QRect ink = inkBox(img, kittest::is(Qt::black));
    EXPECT_EQ(marlettTextWidth(QStringLiteral("56"), 11), 20);
    EXPECT_GE(ink.left(), 40);
    EXPECT_LE(ink.right(), 59);
}
