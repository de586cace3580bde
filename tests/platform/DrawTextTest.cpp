// DrawText: line breaking, placement and measuring with the Windows rules, checked on a canvas that
// records the text calls. Courier New at -20 has advances of 12 and a text height of 21.
#include "platform/DrawText.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

class DrawTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        LogFont lf;
        lf.height = -20;
        lf.faceName = u"Courier New"_s;
        canvas.selectFont(GdiFont::get(lf));
        lh = canvas.font()->height();
    }
    QStringList drawnTexts() const {
        QStringList out;
        for (const TextRun& c : canvas.runs)
            out.append(c.text);
        return out;
    }
    RecordingCanvas canvas;
    int lh = 0;
};

} // namespace

TEST_F(DrawTextTest, WordBreakKeepsFittingBlanksAndSkipsOneAtTheNextLine) {
    EXPECT_EQ(lh, 21);
    // 10 characters fit in 120 pixels.
    QRect r(0, 0, 120, 1000);
    const int h = DrawText(canvas, u"alpha beta gamma delta", r, DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK);
    EXPECT_EQ(drawnTexts(), QStringList({u"alpha beta"_s, u"gamma "_s, u"delta"_s}));
    EXPECT_EQ(h, 3 * lh);
    ASSERT_EQ(canvas.runs.size(), 3u);
    EXPECT_EQ(canvas.runs[1].y, lh);
    EXPECT_EQ(canvas.runs[1].dx, std::vector<int>(6, 12));
    EXPECT_EQ(canvas.runs[0].options, 0u);
}

TEST_F(DrawTextTest, RightAlignedBreakDropsOneBlankAndAlignsEachLine) {
    QRect r(100, 0, 120, 1000);
    DrawText(canvas, u"gamma delta", r, DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK | DT_RIGHT);
    ASSERT_EQ(drawnTexts(), QStringList({u"gamma"_s, u"delta"_s}));
    EXPECT_EQ(canvas.runs[0].x, 220 - 60);
    canvas.runs.clear();
    r = QRect(0, 0, 121, 1000);
    DrawText(canvas, u"ab", r, DT_NOPREFIX | DT_CENTER);
    EXPECT_EQ(canvas.runs[0].x, (0 + 121 - 24) / 2);
}

TEST_F(DrawTextTest, OverlongWordStaysWholeUnlessEditControl) {
    QRect r(0, 0, 60, 1000); // 5 characters
    QRect calc = r;
    int h = DrawText(canvas, u"ab abcdefghij cd", calc, DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 3 * lh);
    EXPECT_EQ(calc.width(), 120); // widened to the long word
    EXPECT_EQ(calc.height(), 3 * lh);

    calc = r;
    h = DrawText(canvas, u"ab abcdefghij cd", calc,
                 DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_EQ(h, 4 * lh);
    EXPECT_EQ(calc.width(), 60);

    DrawText(canvas, u"abcdefghijkl", r, DT_NOPREFIX | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_EQ(drawnTexts(), QStringList({u"abcde"_s, u"fghij"_s, u"kl"_s}));
}

TEST_F(DrawTextTest, CrLfCrAndLfBreakLinesUnlessSingleLine) {
    QRect r(0, 0, 1000, 1000);
    EXPECT_EQ(DrawText(canvas, u"a\r\nb\rc\nd\n\re", r, DT_NOPREFIX | DT_NOCLIP), 5 * lh);
    EXPECT_EQ(drawnTexts(), QStringList({u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}));
    // A trailing break adds no line, two breaks add an empty one.
    EXPECT_EQ(DrawText(canvas, u"a\r\n", r, DT_NOPREFIX | DT_CALCRECT), lh);
    EXPECT_EQ(DrawText(canvas, u"a\n\nb", r, DT_NOPREFIX | DT_CALCRECT), 3 * lh);
    QRect single(0, 0, 1000, 1000);
    EXPECT_EQ(DrawText(canvas, u"a\r\nb", single, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE), lh);
    EXPECT_GE(single.width(), 24);
}

TEST_F(DrawTextTest, CalcRectShrinksToTheWidestLine) {
    QRect r(10, 20, 1000, 10);
    const int h = DrawText(canvas, u"1234567890", r, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP | DT_RIGHT);
    EXPECT_EQ(h, lh);
    EXPECT_EQ(r, QRect(10, 20, 120, lh));
    EXPECT_TRUE(canvas.runs.empty());
    // An empty text still measures one line.
    QRect e(0, 0, 100, 10);
    EXPECT_EQ(DrawText(canvas, QString(), e, DT_NOPREFIX | DT_CALCRECT), lh);
}

TEST_F(DrawTextTest, SingleLineBottomReturnsTheDistanceToTheTextBottom) {
    QRect r(0, 100, 300, 50);
    const int h = DrawText(canvas, u"Suma", r, DT_NOPREFIX | DT_SINGLELINE | DT_BOTTOM);
    ASSERT_EQ(canvas.runs.size(), 1u);
    EXPECT_EQ(canvas.runs[0].y, 150 - lh);
    EXPECT_EQ(canvas.runs[0].options, unsigned(ETO_CLIPPED));
    EXPECT_EQ(h, 50);
    canvas.runs.clear();
    DrawText(canvas, u"Suma", r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(canvas.runs[0].y, 100 + 25 - lh / 2);
    // Without DT_SINGLELINE DT_BOTTOM does nothing.
    canvas.runs.clear();
    DrawText(canvas, u"Suma", r, DT_NOPREFIX | DT_BOTTOM);
    EXPECT_EQ(canvas.runs[0].y, 100);
}

TEST_F(DrawTextTest, EndEllipsisShortensALineThatDoesNotFit) {
    QRect r(0, 0, 96, 30); // 8 characters
    DrawText(canvas, u"Zażółć gęślą jaźń", r, DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(drawnTexts(), QStringList({u"Zażół..."_s}));
    canvas.runs.clear();
    DrawText(canvas, u"Krótki", r, DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(drawnTexts(), QStringList({u"Krótki"_s}));
    QRect calc = r;
    DrawText(canvas, u"Zażółć gęślą jaźń", calc, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(calc.width(), 96);
}

TEST_F(DrawTextTest, ClippedTextStopsAtTheLineThatReachesTheBottom) {
    QRect r(0, 0, 60, 30); // room for one whole line and part of a second
    const int h = DrawText(canvas, u"aaaa bbbb cccc dddd", r, DT_NOPREFIX | DT_WORDBREAK);
    EXPECT_EQ(drawnTexts(), QStringList({u"aaaa "_s, u"bbbb "_s}));
    EXPECT_EQ(h, 2 * lh);
    // An empty box still draws (invisibly) one line.
    QRect empty(0, 0, 60, 0);
    EXPECT_EQ(DrawText(canvas, u"aaaa bbbb", empty, DT_NOPREFIX | DT_WORDBREAK | DT_RIGHT), lh);
}

TEST_F(DrawTextTest, PrefixesAreTakenOutUnlessNoPrefix) {
    QRect r(0, 0, 1000, 100);
    DrawText(canvas, u"&Plik && dane", r, DT_NOCLIP);
    EXPECT_EQ(drawnTexts(), QStringList({u"Plik & dane"_s}));
    EXPECT_EQ(canvas.lines.size(), 1u);
    DrawText(canvas, u"&Plik", r, DT_NOCLIP | DT_NOPREFIX);
    EXPECT_EQ(canvas.runs.back().text, u"&Plik"_s);
}

TEST_F(DrawTextTest, Windows1250BytesAreDecoded) {
    QRect r(0, 0, 1000, 100);
    DrawText(canvas, QByteArray("\xbf\xf3\xb3w"), r, DT_NOPREFIX | DT_NOCLIP);
    EXPECT_EQ(drawnTexts(), QStringList({u"żółw"_s}));
    EXPECT_EQ(TextWidth(canvas, u"żółw"), 48);
}

TEST_F(DrawTextTest, MeasuringWithBottomAlignmentCountsFromTheBoxTop) {
    // The box decides: the text's bottom lands on the box bottom, measured or drawn.
    QRect r(0, 0, 200, 10);
    EXPECT_EQ(
        DrawText(canvas, u"Razem", r, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE | DT_BOTTOM), 10);
    // A text whose bottom is the box top still reports 1, never 0.
    QRect empty;
    EXPECT_EQ(DrawText(canvas, u"Razem", empty, DT_CALCRECT | DT_SINGLELINE | DT_BOTTOM), 1);
}

TEST_F(DrawTextTest, LineWidthsCountSurrogatePairsAndEllipsesThatLeaveNoText) {
    // A character beyond U+FFFF measures as one character, not as two halves without width.
    const QString text = u"ab"_s + QString::fromUcs4(U"\U0001D11E") + u"c"_s;
    QRect calc(0, 0, 1000, 100);
    DrawText(canvas, text, calc, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(calc.width(), canvas.font()->textWidth(text));
    QRect right(0, 0, 1000, 100);
    DrawText(canvas, text, right, DT_NOPREFIX | DT_NOCLIP | DT_RIGHT);
    ASSERT_EQ(canvas.runs.size(), 1u);
    EXPECT_EQ(canvas.runs[0].x, 1000 - canvas.font()->textWidth(text));
    // A box narrower than one character and "..." shows the "..." alone.
    canvas.runs.clear();
    QRect narrow(0, 0, 40, 30);
    DrawText(canvas, u"abcdef", narrow, DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(drawnTexts(), QStringList({u"..."_s}));
}
