// Fonts with GDI semantics: face resolution, metrics and the cache.
#include "platform/GdiFont.h"

#include <QFontInfo>
#include <gtest/gtest.h>
#include <limits>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

LogFont logFont(const QString& face, int height, int width = 0, int weight = 400) {
    LogFont lf;
    lf.faceName = face;
    lf.height = height;
    lf.width = width;
    lf.weight = weight;
    lf.charSet = EASTEUROPE_CHARSET;
    return lf;
}

} // namespace

TEST(GdiFont, WindowsFacesLandOnMetricCompatibleFaces) {
    EXPECT_EQ(QFontInfo(GdiFont::get(logFont(u"Courier New"_s, -20))->qfont()).family(),
              u"Liberation Mono"_s);
    EXPECT_EQ(QFontInfo(GdiFont::get(logFont(u"Arial"_s, -20))->qfont()).family(), u"Liberation Sans"_s);
    EXPECT_EQ(QFontInfo(GdiFont::get(logFont(u"times new roman"_s, -20))->qfont()).family(),
              u"Liberation Serif"_s);
    EXPECT_EQ(GdiFont::familyFor(u"MS Sans Serif"_s), u"Liberation Sans"_s);
    EXPECT_EQ(GdiFont::familyFor(u"Small Fonts"_s), u"Liberation Sans"_s);
    EXPECT_EQ(GdiFont::familyFor(u"No Such Face 123"_s), u"Liberation Sans"_s);
    EXPECT_EQ(GdiFont::familyFor(QString()), u"Liberation Sans"_s);
}

TEST(GdiFont, CourierNewHasWholeAdvancesOfSixTenthsOfTheEm) {
    const GdiFontPtr f = GdiFont::get(logFont(u"Courier New"_s, -20));
    EXPECT_EQ(f->advance(u'W'), 12);
    EXPECT_EQ(f->advance(u'.'), 12);
    EXPECT_EQ(f->advance(u'ą'), 12);
    EXPECT_EQ(f->textWidth(u"1234567890"), 120);
    EXPECT_EQ(f->averageCharWidth(), 12);
    QList<int> dx;
    f->advances(u"Zażółć", dx);
    EXPECT_EQ(dx, QList<int>({12, 12, 12, 12, 12, 12}));
}

TEST(GdiFont, HeightsFollowTheWindowsAscentAndDescent) {
    // Arial: usWinAscent 1854, usWinDescent 434 of 2048 units (18.1 + 4.2 at a 20-pixel em). The
    // face has no VDMX table: its cell is the hinted extent of the ANSI characters, as a VDMX
    // records it.
    const GdiFontPtr em = GdiFont::get(logFont(u"Arial"_s, -20));
    EXPECT_EQ(em->ascent(), 18);
    EXPECT_EQ(em->descent(), 5);
    EXPECT_EQ(em->height(), 23);
    EXPECT_EQ(em->internalLeading(), 3);
    // Beyond the sizes a VDMX covers the scaled values are rounded each.
    const GdiFontPtr large = GdiFont::get(logFont(u"Arial"_s, -2048));
    EXPECT_EQ(large->ascent(), 1854);
    EXPECT_EQ(large->descent(), 434);
    // A positive height asks for the cell: ascent + descent.
    const GdiFontPtr cell = GdiFont::get(logFont(u"Arial"_s, 40));
    EXPECT_EQ(cell->height(), 40);
    EXPECT_NEAR(cell->emSize(), 40 * 2048.0 / 2288.0, 1e-9);
}

TEST(GdiFont, WidthStretchesTheAdvances) {
    const GdiFontPtr narrow = GdiFont::get(logFont(u"Courier New"_s, -20, -6));
    EXPECT_EQ(narrow->averageCharWidth(), 6);
    EXPECT_NEAR(narrow->stretchFactor(), 0.5, 0.001);
    EXPECT_EQ(narrow->advance(u'M'), 6);
    EXPECT_EQ(narrow->qfont().stretch(), 50);
    const GdiFontPtr natural = GdiFont::get(logFont(u"Arial"_s, -20));
    EXPECT_EQ(natural->stretchFactor(), 1.0);
    EXPECT_GT(natural->advance(u'W'), natural->advance(u'i'));
}

TEST(GdiFont, SameFieldsGiveTheSameObject) {
    const LogFont lf = logFont(u"Arial"_s, -17, 0, 700);
    EXPECT_EQ(GdiFont::get(lf), GdiFont::get(lf));
    LogFont italic = lf;
    italic.italic = 1;
    EXPECT_NE(GdiFont::get(lf), GdiFont::get(italic));
    EXPECT_TRUE(GdiFont::get(italic)->qfont().italic());
    EXPECT_EQ(GdiFont::get(lf)->qfont().weight(), QFont::Bold);
    EXPECT_EQ(GdiFont::get(lf)->qfont().hintingPreference(), QFont::PreferNoHinting);
}

TEST(GdiFont, EscapementIsKeptForRotatedText) {
    LogFont lf = logFont(u"Arial"_s, -20);
    lf.escapement = 900;
    EXPECT_DOUBLE_EQ(GdiFont::get(lf)->escapementDegrees(), 90.0);
}

TEST(GdiFont, ExtremeFieldsGiveAUsableFont) {
    // Heights and widths come from printout files.
    LogFont lf = logFont(u"Arial"_s, std::numeric_limits<std::int32_t>::min(),
                         std::numeric_limits<std::int32_t>::min());
    const GdiFontPtr huge = GdiFont::get(lf);
    EXPECT_GT(huge->height(), 0);
    EXPECT_GT(huge->averageCharWidth(), 0);
    lf.height = 0;
    lf.width = 0;
    EXPECT_GT(GdiFont::get(lf)->height(), 0);
}
