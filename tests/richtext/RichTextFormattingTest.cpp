// Rich text as real files write it: where the text lands (columns, indents, baselines, raised
// text) and which face draws it. One small RTF per case.

#include "RtfSamples.h"
#include "richtext/DrawRichText.h"
#include "richtext/QmRichEdit.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

using namespace vek;
using namespace Qt::StringLiterals;
using vek::test::RecordingCanvas;
using vek::test::TextRun;

namespace {

RecordingCanvas draw(const QByteArray& rtf, const QRect& box = QRect(0, 0, 600, 800)) {
    RecordingCanvas canvas;
    DrawRichText(canvas, box, rtf, true, true, 1.0f);
    return canvas;
}

const TextRun* runWith(const RecordingCanvas& c, const QString& text) {
    for (const TextRun& r : c.runs)
        if (r.text.contains(text))
            return &r;
    return nullptr;
}

int baselineOf(const TextRun& r) {
    return r.y + r.font->ascent();
}

} // namespace

// The last paragraph had no closing \par and lost its alignment and indents: a centred title
// came out at the left edge.
TEST(RichTextFormatting, LastParagraphWithoutParKeepsItsAlignmentAndIndent) {
    const RecordingCanvas centred = draw("{\\rtf1\\qc Title}");
    ASSERT_EQ(centred.runs.size(), 1u);
    const TextRun& t = centred.runs.front();
    EXPECT_LE(std::abs(t.x - (600 - t.right())), 1);

    const RecordingCanvas indented = draw("{\\rtf1\\pard First\\par\\pard\\li1440\\qr Second}");
    const TextRun* second = runWith(indented, QStringLiteral("Second"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->right(), 600);
    EXPECT_EQ(indented.runs.front().x, 0);
    const RecordingCanvas left = draw("{\\rtf1\\pard\\li1440 Indented}");
    EXPECT_EQ(left.runs.front().x, 96);
}

// A literal character after \uN is its fallback when \uc says one character: a tab byte was
// kept and the "1" after it dropped.
TEST(RichTextFormatting, UnicodeFallbackMaySkipALiteralTabOrBlank) {
    TQmRichEdit edit;
    edit.loadRichText("{\\rtf1\\uc1\\u8804\t\t1234\\par}");
    EXPECT_EQ(edit.document().toPlainText(), QStringLiteral("\u2264\t1234"));
    edit.loadRichText("{\\rtf1\\uc1 a\\u8805  b\\uc2\\u8804\\'3c\\'3dc\\uc0\\u8800  d}");
    EXPECT_EQ(edit.document().toPlainText(), QStringLiteral("a\u2265b\u2264c\u2260 d"));
}

// A face that is not installed fell back to a sans face whatever it was: serif and monospaced
// faces, and the Central-European and other script variants of the Windows faces, came out in
// Liberation Sans and broke columns. The alternative face comes first, then the family.
TEST(RichTextFormatting, MissingFacesFallBackByAlternativeThenFamily) {
    const QByteArray rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset238 Times New Roman CE;}"
        "{\\f1\\fmodern\\fcharset238 Courier New CE;}{\\f2\\froman Garamond;}{\\f3\\fswiss Nowhere Grotesk;}"
        "{\\f4\\fnil\\fprq1 Nowhere Fixed;}{\\f5\\froman Nowhere Serif{\\*\\falt Courier New};}"
        "{\\f6\\fswiss\\fcharset204 Arial Cyr;}{\\f7\\fmodern Courier New Baltic;}}"
        "\\f0 a\\f1 b\\f2 c\\f3 d\\f4 e\\f5 f\\f6 g\\f7 h\\par}";
    const RecordingCanvas c = draw(rtf);
    const QStringList expected = {u"Liberation Serif"_s, u"Liberation Mono"_s, u"Liberation Serif"_s,
                                  u"Liberation Sans"_s,  u"Liberation Mono"_s, u"Liberation Mono"_s,
                                  u"Liberation Sans"_s,  u"Liberation Mono"_s};
    ASSERT_EQ(c.runs.size(), std::size_t(expected.size()));
    for (std::size_t i = 0; i < c.runs.size(); ++i)
        EXPECT_EQ(c.runs[i].font->qfont().family(), expected[qsizetype(i)]) << qPrintable(c.runs[i].text);
    // Printout styles name faces the same way.
    EXPECT_EQ(GdiFont::familyFor(u"Arial CE"_s), u"Liberation Sans"_s);
    EXPECT_EQ(GdiFont::familyFor(u"Times New Roman CE"_s), u"Liberation Serif"_s);
    EXPECT_EQ(GdiFont::familyFor(u"Bookman Old Style"_s), u"Liberation Serif"_s);
    EXPECT_EQ(GdiFont::familyFor(u"Whatever"_s, FF_MODERN), u"Liberation Mono"_s);
}

// Single lines are spaced by the font's cell, as GDI measures it for the face: 12-point Times
// New Roman lines are 18 pixels apart at 96 dpi, not 17.
TEST(RichTextFormatting, SingleLinesAreSpacedByTheCellHeight) {
    const QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0\\froman Times New Roman;}}\\f0\\fs24 one\\line two\\par}";
    const RecordingCanvas c = draw(rtf);
    ASSERT_EQ(c.runs.size(), 2u);
    EXPECT_EQ(baselineOf(c.runs[1]) - baselineOf(c.runs[0]), 18);
    EXPECT_EQ(c.runs[0].font->height(), 18);
}

TEST(RichTextFormatting, RaisedLoweredAndScaledText) {
    const RecordingCanvas c = draw(test::richEdit(
        "\\pard\\f0\\fs24 mid\\up6 up\\up0 mid\\dn6 down\\dn0 \\charscalex200 ww\\charscalex100 ww "
        "\\expndtw40 ee\\expndtw0 ee\\par"));
    const TextRun* up = runWith(c, u"up"_s);
    const TextRun* down = runWith(c, u"down"_s);
    ASSERT_TRUE(up && down);
    const int mid = baselineOf(c.runs.front());
    EXPECT_EQ(baselineOf(*up), mid - 4); // 3 points at 96 dpi
    EXPECT_EQ(baselineOf(*down), mid + 4);
    const TextRun* wide = runWith(c, u"ww"_s);
    ASSERT_NE(wide, nullptr);
    const TextRun& plain = *(wide + 1);
    EXPECT_NEAR(wide->dx[0], 2 * plain.dx[0], 2); // by the average width, as lfWidth does
    const TextRun* spaced = runWith(c, u"ee"_s);
    ASSERT_NE(spaced, nullptr);
    EXPECT_EQ(spaced->dx[0], (spaced + 1)->dx[0] + 3); // 2 points added after each character
}

TEST(RichTextFormatting, CapitalsAndSmallCapitals) {
    const RecordingCanvas c = draw(test::richEdit("\\pard\\f0\\fs24 \\caps abc\\caps0  \\scaps Def\\par"));
    EXPECT_EQ(c.text().remove(u' '), u"ABCDEF"_s);
    const TextRun* big = runWith(c, u"D"_s);
    const TextRun* small = runWith(c, u"EF"_s);
    ASSERT_TRUE(big && small);
    EXPECT_LT(small->font->emSize(), big->font->emSize());
    EXPECT_EQ(baselineOf(*small), baselineOf(*big));
}

TEST(RichTextFormatting, UnderlineKindsAndDoubleStrike) {
    const auto linesUnder = [](const QByteArray& body) { return draw(test::richEdit(body)).lines; };
    EXPECT_EQ(linesUnder("\\pard\\f0 \\uldb double\\par").size(), 2u);
    EXPECT_EQ(linesUnder("\\pard\\f0 \\ulw three words here\\par").size(), 3u);
    const auto dotted = linesUnder("\\pard\\f0 \\uld dotted\\par");
    ASSERT_EQ(dotted.size(), 1u);
    EXPECT_EQ(dotted[0].second.style, std::uint32_t(PS_DOT));
    const auto thick = linesUnder("\\pard\\f0 \\ulth thick\\par \\ul thin\\par");
    ASSERT_EQ(thick.size(), 2u);
    EXPECT_GT(thick[0].second.width, thick[1].second.width);
    EXPECT_EQ(linesUnder("\\pard\\f0 \\striked1 twice\\par").size(), 2u);
}

// Symbol-font text is shown as the characters it draws; \upr shows its Unicode part; footnote
// marks are their numbers and the footnotes themselves are not shown.
TEST(RichTextFormatting, SymbolFontUnicodeAlternativesAndFootnoteMarks) {
    TQmRichEdit edit;
    edit.loadRichText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\ftech\\fcharset2 Symbol;}}"
                      "\\f0 x {\\f1 a\\'b3b\\u-3913 ?}{\\upr{ansi}{\\*\\ud{uni\\u321 ?}}}"
                      " one{\\super\\chftn}{\\footnote\\chftn  note}, two{\\super\\chftn}\\par}");
    EXPECT_EQ(edit.document().toPlainText(), u"x \u03B1\u2265\u03B2\u2022uni\u0141 one1, two2"_s);
}

TEST(RichTextFormatting, TabLeadersFillTheTabSpace) {
    const RecordingCanvas c = draw(test::richEdit("\\pard\\tldot\\tx2880\\f0 a\\tab b\\par"));
    const TextRun* dots = runWith(c, u"..."_s);
    const TextRun* b = runWith(c, u"b"_s);
    ASSERT_TRUE(dots && b);
    EXPECT_GT(dots->x, c.runs.front().right());
    EXPECT_LE(dots->right(), b->x);
    EXPECT_GE(dots->right(), b->x - 2 * dots->dx[0]);
    const RecordingCanvas line = draw(test::richEdit("\\pard\\tlul\\tx2880\\f0 a\\tab b\\par"));
    ASSERT_EQ(line.lines.size(), 1u);
    EXPECT_EQ(line.lines[0].first.x2(), runWith(line, u"b"_s)->x);
}

TEST(RichTextFormatting, ParagraphBordersAndShading) {
    const RecordingCanvas c = draw(test::richEdit("\\pard\\box\\brdrs\\brdrw30\\brdrcf1\\brsp40\\cbpat3\\li72"
                                                  "0\\f0 boxed one\\line two\\par\\pard plain\\par"));
    EXPECT_EQ(c.lines.size(), 6u); // top, bottom, and left and right of each line
    for (const auto& [l, pen] : c.lines) {
        EXPECT_EQ(pen.color, rgb(255, 0, 0));
        EXPECT_EQ(pen.width, 2);
        EXPECT_GE(l.x1(), 48 - 3);
    }
    ASSERT_EQ(c.fills.size(), 2u);
    EXPECT_EQ(c.fills[0].second, rgb(255, 255, 0));
    const TextRun* plain = runWith(c, u"plain"_s);
    ASSERT_NE(plain, nullptr);
    EXPECT_GE(plain->y, c.fills[1].first.bottom());
}

namespace {

// A row of three cells, one inch wide each after a left edge that the gap brings back to zero;
// borders all round every cell.
QByteArray tableRow(const QByteArray& a, const QByteArray& b, const QByteArray& c) {
    const QByteArray cell = "\\clbrdrt\\brdrs\\brdrw15\\clbrdrl\\brdrs\\brdrw15\\clbrdrb\\brdrs\\brdrw15"
                            "\\clbrdrr\\brdrs\\brdrw15";
    return "\\trowd\\trgaph108\\trleft-108" + cell + "\\cellx1332" + cell + "\\cellx2772" + cell +
           "\\cellx4212\\pard\\intbl " + a + "\\cell\\pard\\intbl\\qc " + b + "\\cell\\pard\\intbl\\qr " + c +
           "\\cell\\row\r\n";
}

} // namespace

// Tables came out as one line of text per row at default tab stops.
TEST(RichTextFormatting, TableCellsAreLaidOutInTheirColumns) {
    const QByteArray rtf = test::richEdit("\\f0\\fs20 " + tableRow("A", "B", "one two three four five six") +
                                          "\\pard After\\par");
    const RecordingCanvas c = draw(rtf);
    // Edges at -5.4, 66.6, 138.6 and 210.6 points: -7, 89, 185 and 281 pixels; the gap is 7.
    const TextRun* a = runWith(c, u"A"_s);
    const TextRun* b = runWith(c, u"B"_s);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->x, 0);
    EXPECT_LE(std::abs((b->x + b->right()) / 2 - (96 + 178) / 2), 1); // centred in [96, 178)
    EXPECT_EQ(baselineOf(*a), baselineOf(*b));
    // The third cell wraps inside its column, each line flush right.
    int lines = 0, lowest = 0;
    for (const TextRun& r : c.runs) {
        if (r.x < 185)
            continue;
        ++lines;
        EXPECT_EQ(r.right(), 274) << qPrintable(r.text);
        lowest = std::max(lowest, r.y + r.font->height());
    }
    EXPECT_GE(lines, 2);
    // The row is as tall as its tallest cell; what follows starts below it.
    const TextRun* after = runWith(c, u"After"_s);
    ASSERT_NE(after, nullptr);
    EXPECT_GE(after->y, lowest);
    EXPECT_EQ(after->x, 0);
    // Four sides of three cells.
    EXPECT_EQ(c.lines.size(), 12u);
    for (const auto& [l, pen] : c.lines)
        EXPECT_LE(l.y2(), after->y);
}

TEST(RichTextFormatting, ATableRowThatDoesNotFitMovesWhole) {
    const QByteArray rtf = test::richEdit("\\f0\\fs20 " + tableRow("1", "2", "x") +
                                          tableRow("3", "4", "long text that wraps over lines") + "}");
    RecordingCanvas first;
    int pos = 0;
    DrawRichText(first, QRect(0, 0, 600, 30), rtf, true, true, 1.0f, &pos);
    EXPECT_EQ(first.text(), u"12x"_s);
    ASSERT_GT(pos, 0);
    RecordingCanvas second;
    DrawRichText(second, QRect(0, 0, 600, 300), rtf, true, true, 1.0f, &pos);
    EXPECT_TRUE(second.text().startsWith(u"34long"_s));
    EXPECT_EQ(pos, 0);
}

// Nested tables keep all their text.
TEST(RichTextFormatting, NestedTablesKeepTheirText) {
    const QByteArray rtf = test::richEdit(
        "\\f0\\fs20\\trowd\\cellx3000\\cellx6000\\pard\\intbl outer\\par"
        "\\pard\\intbl\\itap2 inner1\\nestcell "
        "inner2\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000"
        "\\nestrow}{\\nonesttables\\par}\\pard\\intbl tail\\cell right\\cell\\row\\pard end\\par");
    const RecordingCanvas c = draw(rtf);
    const QString text = c.text();
    for (const QString& word : {u"outer"_s, u"inner1"_s, u"inner2"_s, u"tail"_s, u"right"_s, u"end"_s})
        EXPECT_TRUE(text.contains(word)) << qPrintable(word) << " in " << qPrintable(text);
    EXPECT_GT(runWith(c, u"right"_s)->x, 190);
}

// Characters the face lacks were drawn as empty boxes: they are drawn in a face that has them,
// at their places in the line. A combining accent typed after its letter joins it.
TEST(RichTextFormatting, MissingGlyphsComeFromAFaceThatHasThem) {
    const RecordingCanvas c = draw(test::richEdit("\\pard\\f0\\fs24 x\\u9812 ?\\u8594 ?y a\\u769 ?\\par"));
    const TextRun* king = runWith(c, u"\u2654"_s);
    ASSERT_NE(king, nullptr);
    EXPECT_NE(king->font->qfont().family(), u"Liberation Sans"_s);
    EXPECT_TRUE(king->font->rawFont().supportsCharacter(char32_t(0x2654)));
    EXPECT_EQ(king->x, c.runs.front().right());
    EXPECT_EQ(king->font->emSize(), c.runs.front().font->emSize());
    for (const TextRun& r : c.runs)
        for (const QChar ch : r.text)
            EXPECT_TRUE(r.font->rawFont().supportsCharacter(ch)) << qPrintable(r.text);
    EXPECT_TRUE(c.text().endsWith(u"y \u00E1"_s)) << qPrintable(c.text());
}

// A character no installed face has (a Devanagari letter, a private-use code) in a face that lacks
// it too: Qt draws it with a stand-in without a family; the text lays out in the face asked for.
TEST(RichTextFormatting, ACharacterNoFaceHasStaysInTheFaceAskedFor) {
    const RecordingCanvas c = draw(test::richEdit("\\pard\\f2\\fs24 a\\u2321 ?b\\u-8192 ?c\\par"));
    EXPECT_TRUE(c.text().startsWith(u"a"_s)) << qPrintable(c.text());
    EXPECT_TRUE(c.text().endsWith(u"c"_s)) << qPrintable(c.text());
    for (const TextRun& r : c.runs)
        EXPECT_FALSE(r.font->qfont().family().isEmpty());
}
