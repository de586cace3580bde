// Field rendering: every kind drawn on a page, checked through the page's EMF records.
#include "ComposeSupport.h"

#include "platform/GdiCanvas.h"
#include "support/Kosztorys.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

WStyle namedStyle(QByteArray name, QByteArray font, qint32 cpl) {
    WStyle s;
    s.name = std::move(name);
    s.fontName = std::move(font);
    s.charsPerLine = cpl;
    s.charHeight = 294.0f / (float(cpl) * 84.0f / 132.0f);
    s.charWidth = 210.0f / float(cpl);
    return s;
}

WPrintout oneLine(std::vector<WField> fields, std::vector<WStyle> styles = {}) {
    WSection root;
    root.header = splitGroup({line(std::move(fields))});
    WPrintout p = printoutWithRoot(root);
    p.styles = std::move(styles);
    return p;
}

TMetafile firstPage(const WPrintout& p) {
    Loaded loaded(p);
    auto pages = loaded.compose();
    return pages.empty() ? TMetafile() : pages.front()->metafile();
}

// Lines drawn: pairs of MOVETOEX and LINETO, and the lines of poly-polylines, as (x0, y0, x1, y1).
std::vector<QLine> drawnLines(const TMetafile& page) {
    std::vector<QLine> out;
    QPoint from;
    EmfWalker walker(page.bytes());
    EmfRecord r;
    while (walker.next(r)) {
        if (r.type() == emr::MOVETOEX)
            from = QPoint(r.i32(8), r.i32(12));
        else if (r.type() == emr::LINETO) {
            const QPoint to(r.i32(8), r.i32(12));
            out.emplace_back(from, to);
            from = to;
        } else if (r.type() == emr::POLYPOLYLINE16 || r.type() == emr::POLYPOLYLINE) {
            const bool small = r.type() == emr::POLYPOLYLINE16;
            const std::uint32_t lines = r.u32(24);
            std::int64_t at = 32 + 4 * std::int64_t(lines);
            auto point = [&] {
                const QPoint p = small ? QPoint(r.i16(at), r.i16(at + 2)) : QPoint(r.i32(at), r.i32(at + 4));
                at += small ? 4 : 8;
                return p;
            };
            for (std::uint32_t i = 0; i < lines; ++i) {
                QPoint a = point();
                for (std::uint32_t k = 1; k < r.u32(32 + 4 * i); ++k) {
                    const QPoint b = point();
                    out.emplace_back(a, b);
                    a = b;
                }
            }
        }
    }
    return out;
}

// Pen widths of the pens created on a page.
std::vector<int> penWidths(const TMetafile& page) {
    std::vector<int> out;
    EmfWalker walker(page.bytes());
    EmfRecord r;
    while (walker.next(r))
        if (r.type() == emr::CREATEPEN)
            out.push_back(r.i32(16));
    return out;
}

WField rule(quint8 lineStyle, qint32 width = kWidth) {
    WField f = textField(kLeft, width, QByteArray(), "Domyslny", 4);
    f.lineStyle = lineStyle;
    return f;
}

} // namespace

TEST(Render, PageNumberReplacesTheFirstMarkOnly) {
    WSection root;
    root.header = numberedGroup(u"x"_s, 192);
    root.header.lines.push_back(line({textField(kLeft, kWidth, "Strona %n z %n", "Domyslny", 2)}));
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(pageTexts(pages[2]).contains(u"Strona 3 z %n"_s));
}

TEST(Render, RightAlignedKindsShowEvenAsTheFirstFieldOfALine) {
    const auto page = firstPage(oneLine({textField(kLeft, kWidth, "Razem: 1 234,50", "Domyslny", 1)}));
    const auto pieces = textPieces(page);
    ASSERT_EQ(pieces.size(), 1u);
    // Right-aligned: the text ends near the field's right edge (1380 page pixels).
    EXPECT_GT(pieces[0].at.x(), 1100);
}

TEST(Render, PageNumberAlignment) {
    WField right = textField(kLeft, kWidth, "Strona %n", "Domyslny", 2);
    WField centred = right;
    centred.align = 2;
    WField rightToo = right;
    rightToo.align = 1;
    WSection root;
    root.header = splitGroup({line({right}), line({centred}), line({rightToo})});
    Loaded loaded(printoutWithRoot(root));
    const auto pieces = textPieces(loaded.compose().front());
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_GT(pieces[0].at.x(), 1100);
    EXPECT_GT(pieces[1].at.x(), 500);
    EXPECT_LT(pieces[1].at.x(), 800);
    EXPECT_EQ(pieces[2].at.x(), pieces[0].at.x());
}

TEST(Render, RuleStyles) {
    // Style 0: one solid line across the field at its middle.
    auto lines = drawnLines(firstPage(oneLine({rule(0)})));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x1(), 45);
    EXPECT_EQ(lines[0].x2(), 45 + 1335);
    // Style 3: the same line with a pen three times as thick.
    const auto thin = penWidths(firstPage(oneLine({rule(0)})));
    const auto thick = penWidths(firstPage(oneLine({rule(3)})));
    ASSERT_FALSE(thin.empty());
    ASSERT_FALSE(thick.empty());
    EXPECT_EQ(thin.back(), 1);  // 0.15 mm at 6.8 page pixels per millimetre
    EXPECT_EQ(thick.back(), 3); // 0.45 mm
    // Style 1: dashes with gaps; style 2: two rows of pieces without gaps.
    const auto dashed = drawnLines(firstPage(oneLine({rule(1)})));
    ASSERT_GT(dashed.size(), 10u);
    EXPECT_GT(dashed[1].x1(), dashed[0].x2());
    const auto twin = drawnLines(firstPage(oneLine({rule(2)})));
    ASSERT_GE(twin.size(), 2u);
    EXPECT_NE(twin.front().y1(), twin.back().y1());
    // Each row runs without gaps across the field (the pieces may be recorded joined).
    std::map<int, std::vector<QLine>> rows;
    for (const QLine& l : twin)
        rows[l.y1()].push_back(l);
    EXPECT_EQ(rows.size(), 2u);
    for (auto& [y, pieces] : rows) {
        std::sort(pieces.begin(), pieces.end(), [](QLine a, QLine b) { return a.x1() < b.x1(); });
        EXPECT_EQ(pieces.front().x1(), 45);
        for (std::size_t i = 1; i < pieces.size(); ++i)
            EXPECT_EQ(pieces[i].x1(), pieces[i - 1].x2());
        EXPECT_EQ(pieces.back().x2(), 45 + 1335);
    }
    // A dashed rule shorter than one dash draws one shortened dash.
    const auto shortRule = drawnLines(firstPage(oneLine({rule(1, 20)})));
    ASSERT_EQ(shortRule.size(), 1u);
    EXPECT_EQ(shortRule[0].x2(), 45 + 3);
}

// Damaged rules far wider than the page, on either side, are dashed only where the page is.
TEST(Render, DashedRulesFarWiderThanThePageStopAtItsEdges) {
    WField wide = rule(1, 2'000'000'000);
    WField fromFarLeft = rule(2, 2'100'000'000);
    fromFarLeft.left = -2'000'000'000;
    for (const WField& f : {wide, fromFarLeft}) {
        const auto lines = drawnLines(firstPage(oneLine({f})));
        ASSERT_FALSE(lines.empty());
        EXPECT_LT(lines.size(), 2000u);
        for (const QLine& l : lines) {
            EXPECT_LT(l.x1(), 1429);
            EXPECT_GT(l.x2(), -50);
        }
    }
}

// An unknown rule style draws nothing but the line still takes its height.
TEST(Render, UnknownRuleStyleStillAdvances) {
    WSection root;
    root.header = splitGroup({line({rule(4)}), textLine(u"pod"_s)});
    Loaded loaded(printoutWithRoot(root));
    const TMetafile page = loaded.compose().front()->metafile();
    EXPECT_TRUE(drawnLines(page).empty());
    EXPECT_GT(textPieces(page).front().at.y(), 10);
}

TEST(Render, LeaderDotsAfterTheText) {
    const std::vector<WStyle> styles{namedStyle("Prop", "Arial", 132),
                                     namedStyle("Mono", "Courier New", 132)};
    const auto leaderOf = [&](QByteArray style, qint32 width, QByteArray text) {
        QString dots;
        for (const QString& t :
             pageTexts(firstPage(oneLine({textField(kLeft, width, text, style, 5)}, styles))))
            if (t.startsWith(u'.'))
                dots += t;
        return dots;
    };
    const QString prop = leaderOf("Prop", kWidth, "Razem");
    const QString mono = leaderOf("Mono", kWidth, "Razem");
    EXPECT_TRUE(prop.contains(u". ."_s)) << prop.toStdString();
    EXPECT_TRUE(mono.contains(u"....."_s)) << mono.toStdString();
    EXPECT_FALSE(mono.contains(u". ."_s));
    // Text that fills the field leaves no room for a leader.
    EXPECT_TRUE(leaderOf("Mono", 300, "Wartość kosztorysowa").isEmpty());
}

TEST(Render, PictureSpansThePageWidthAtItsAspect) {
    WField pic = textField(2000, 1000, QByteArray(), "Domyslny", 6);
    pic.picture = sampleEmf(21000, 4200); // 210 x 42 mm
    WSection root;
    root.header = splitGroup({line({pic}), textLine(u"pod obrazem"_s)});
    Loaded loaded(printoutWithRoot(root));
    TPole& field = *loaded.doc().Root->Header.Lines.front()->Fields.front();
    // 1429 pixels wide, a fifth of that tall.
    EXPECT_NEAR(field.GetHeight(), 1429 / 5, 2);
    const TMetafile page = loaded.compose().front()->metafile();
    EXPECT_NEAR(textPieces(page).front().at.y(), field.Height, 3);
}

TEST(Render, LogoTextIsCentredOnThePicture) {
    WField pic = textField(0, 0, QByteArray(), "Domyslny", 6);
    pic.picture = sampleEmf(21000, 3000); // 30 mm tall at the page width
    std::vector<WStyle> styles{namedStyle("LOGO", "Arial", 80), namedStyle("logo2", "Arial", 80)};
    styles[1].alias = "logo";
    const auto topOf = [&](QByteArray style) {
        const auto page = firstPage(oneLine({pic, textField(kLeft, 3000, "Firma", style)}, styles));
        return textPieces(page).front().at.y();
    };
    const int centred = topOf("LOGO");
    EXPECT_GT(centred, 60); // about half of the 204-pixel picture, less half a text line
    EXPECT_LT(centred, 120);
    EXPECT_LT(topOf("logo"), 20); // the comparison is exact: lower case is not centred
}

// Fields of a smaller style share the bottom of the line's tallest style.
TEST(Render, SmallerStylesShareTheBottomOfTheTallest) {
    const std::vector<WStyle> styles{namedStyle("Duzy", "Arial", 60), namedStyle("Maly", "Arial", 150)};
    const auto page = firstPage(
        oneLine({textField(kLeft, 3000, "Duży", "Duzy"), textField(4000, 3000, "mały", "Maly")}, styles));
    const auto pieces = textPieces(page);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_GT(pieces[1].at.y(), pieces[0].at.y() + 10);
}

TEST(Render, FontShrinksToTheStyleCellButNeverGrows) {
    WSection root;
    root.header = splitGroup({textLine(u"x"_s)});
    WPrintout p = printoutWithRoot(root);
    p.styles = {namedStyle("Szeroki", "Verdana", 132), namedStyle("Waski", "Courier New", 132)};
    Loaded loaded(p);
    TMLineWydruk& doc = loaded.doc();
    TStyl& wide = doc.Styles->FindStyle("Szeroki");
    TStyl& narrow = doc.Styles->FindStyle("Waski");
    const int nominal = doc.MmToPxX(wide.CharWidth);
    EXPECT_LT(std::abs(wide.GetFont()->logFont().width), nominal);
    EXPECT_EQ(std::abs(narrow.GetFont()->logFont().width), nominal);
    // A cell (ascent + descent) taller than the style's height is shrunk once, in proportion; the
    // hinted cell of the smaller em may still be a pixel over.
    const int H = doc.MmToPxY(narrow.CharHeight);
    EXPECT_LT(-narrow.GetFont()->logFont().height, H);
    EXPECT_LE(narrow.GetFont()->height(), H + 1);
}

TEST(Render, HiddenFieldsAreNeitherMeasuredNorDrawn) {
    WField hidden = textField(kLeft, 300, "bardzo długi ukryty tekst, który zawinąłby się w wiele wierszy",
                              "Domyslny", 3);
    const auto page = firstPage(oneLine({hidden, textField(4000, 2000, "widoczny")}));
    EXPECT_EQ(pageTexts(page), QStringList{u"widoczny"_s});
}

// Rich text longer than a page continues on new pages, each starting with the repeated headers;
// the fields after it in the same line are drawn on its last page.
TEST(Render, RichTextContinuesOverPagesWithHeaders) {
    WField rich = textField(kLeft, kWidth, rtfParagraphs(descriptionParagraphs(120)), "Domyslny", 7);
    WSection child;
    child.header = splitGroup({line({rich, textField(kLeft, 2000, "Koniec opisu")})});
    WSection root;
    root.repeatHeader = splitGroup({textLine(u"Opis techniczny"_s)});
    root.sections.push_back(child);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_GE(pages.size(), 3u);
    for (size_t i = 0; i < pages.size(); ++i) {
        const QStringList texts = pageTexts(pages[i]);
        ASSERT_FALSE(texts.isEmpty()) << i;
        EXPECT_EQ(texts.first(), u"Opis techniczny"_s) << i;
        EXPECT_EQ(texts.contains(u"Koniec opisu"_s), i + 1 == pages.size()) << i;
    }
    EXPECT_TRUE(pageTexts(pages.back()).join(u' ').contains(u"Akapit 120."_s));
}
