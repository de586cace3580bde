// Page composition: breaks, the widow rule, repeated headers, droppable lines, kept-whole groups,
// new pages before sections, and what reaches the receivers of pages.
#include "ComposeSupport.h"

#include <gtest/gtest.h>
#include <limits>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

int countStarting(const QStringList& texts, const QString& prefix) {
    int n = 0;
    for (const QString& t : texts)
        n += t.startsWith(prefix) ? 1 : 0;
    return n;
}

} // namespace

TEST(Compose, EmptyDocumentMakesNoPage) {
    Loaded loaded(printoutWithRoot(WSection()));
    int calls = 0;
    loaded.wydruk.OnNextPage = [&](TWydruk&, const PagePtr&) { ++calls; };
    loaded.wydruk.MakePages();
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(loaded.doc().Pages.empty());
}

TEST(Compose, SplitGroupFillsPagesAndBreaksBetweenLines) {
    WSection root;
    root.header = numberedGroup(u"Pozycja"_s, 177);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pageTexts(pages[0]).size(), kLinesPerPage);
    EXPECT_EQ(pageTexts(pages[0]).first(), u"Pozycja 1"_s);
    EXPECT_EQ(pageTexts(pages[1]).first(), u"Pozycja 81"_s);
    EXPECT_EQ(pageTexts(pages[2]).first(), u"Pozycja 161"_s);
    EXPECT_EQ(pageTexts(pages[2]).last(), u"Pozycja 177"_s);
}

// The last two lines of a group move together: a page never ends one line before a group's end.
TEST(Compose, WidowRuleMovesTheLastTwoLinesTogether) {
    WSection root;
    root.header = numberedGroup(u"Wiersz"_s, 81);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pageTexts(pages[0]).last(), u"Wiersz 79"_s);
    EXPECT_EQ(pageTexts(pages[1]), (QStringList{u"Wiersz 80"_s, u"Wiersz 81"_s}));

    // Exactly a page: everything fits, the bottom landing on the page end or above it.
    WSection exact;
    exact.header = numberedGroup(u"Wiersz"_s, kLinesPerPage);
    Loaded one(printoutWithRoot(exact));
    EXPECT_EQ(one.compose().size(), 1u);
}

TEST(Compose, KeptWholeGroupMovesToTheNextPage) {
    WSection root;
    root.header = numberedGroup(u"Tekst"_s, 77);
    root.footer = numberedGroup(u"Razem"_s, 5, false);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(countStarting(pageTexts(pages[0]), u"Razem"_s), 0);
    EXPECT_EQ(countStarting(pageTexts(pages[1]), u"Razem"_s), 5);
}

// A kept-whole group taller than a page cannot move: it is drawn across the page's bottom edge
// and the next piece starts a new page.
TEST(Compose, KeptWholeGroupTallerThanAPageRunsOverTheEdge) {
    WSection root;
    root.header = numberedGroup(u"Blok"_s, 96, false);
    root.footer = numberedGroup(u"Koniec"_s, 1);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 2u);
    const auto pieces = textPieces(pages[0]);
    EXPECT_EQ(int(pieces.size()), 96);
    EXPECT_GT(pieces.back().at.y(), 2000);
    EXPECT_EQ(pageTexts(pages[1]), QStringList{u"Koniec 1"_s});
}

// Every page after a break inside open sections begins with their repeat headers, outermost
// first; the DropAtPageTop line of a header is printed the first time only.
TEST(Compose, RepeatHeadersOutermostFirstOnEveryPage) {
    WSection inner;
    inner.header = numberedGroup(u"Pozycja"_s, 172);
    WSection middle;
    middle.repeatHeader = splitGroup({textLine(u"Nagłówek działu"_s)});
    middle.sections.push_back(inner);
    WSection root;
    WLine once = textLine(u"Tylko raz"_s);
    once.dropAtPageTop = true;
    root.repeatHeader = splitGroup({textLine(u"Nagłówek kosztorysu"_s), once});
    root.sections.push_back(middle);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_GE(pages.size(), 3u);
    EXPECT_EQ(pageTexts(pages[0]).mid(0, 4),
              (QStringList{u"Nagłówek kosztorysu"_s, u"Tylko raz"_s, u"Nagłówek działu"_s, u"Pozycja 1"_s}));
    // Three header lines take the place of three items: the second page starts with the 78th.
    EXPECT_EQ(pageTexts(pages[1]).mid(0, 3),
              (QStringList{u"Nagłówek kosztorysu"_s, u"Nagłówek działu"_s, u"Pozycja 78"_s}));
    for (size_t i = 1; i < pages.size(); ++i) {
        const QStringList texts = pageTexts(pages[i]);
        EXPECT_EQ(texts.mid(0, 2), (QStringList{u"Nagłówek kosztorysu"_s, u"Nagłówek działu"_s})) << i;
        EXPECT_FALSE(texts.contains(u"Tylko raz"_s)) << i;
    }
}

// A repeat header that would stand alone at the page end goes to the next page with the first
// line of the first subsection, and is laid out there once, not twice.
TEST(Compose, RepeatHeaderKeptWithWhatFollows) {
    WSection child;
    child.header = numberedGroup(u"Pozycja"_s, 3);
    WSection section;
    section.repeatHeader = splitGroup({textLine(u"Kolumny A"_s), textLine(u"Kolumny B"_s)});
    section.sections.push_back(child);
    WSection root;
    root.header = numberedGroup(u"Wstęp"_s, 78);
    root.sections.push_back(section);
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(countStarting(pageTexts(pages[0]), u"Kolumny"_s), 0);
    EXPECT_EQ(pageTexts(pages[1]),
              (QStringList{u"Kolumny A"_s, u"Kolumny B"_s, u"Pozycja 1"_s, u"Pozycja 2"_s, u"Pozycja 3"_s}));
}

// A lone rule is not carried to the top of a new page; inside a repeat header it is kept.
TEST(Compose, LoneRuleIsDroppedAtThePageTop) {
    WSection root;
    root.header = numberedGroup(u"Tekst"_s, kLinesPerPage);
    root.footer = splitGroup({ruleLine(), textLine(u"Podpis"_s)});
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(recordCount(pages[1], emr::LINETO), 0);
    EXPECT_EQ(pageTexts(pages[1]), QStringList{u"Podpis"_s});

    WSection child;
    child.header = numberedGroup(u"Pozycja"_s, 91);
    WSection withHeader;
    withHeader.repeatHeader = splitGroup({textLine(u"Kolumny"_s), ruleLine()});
    withHeader.sections.push_back(child);
    Loaded repeated(printoutWithRoot(withHeader));
    const auto pages2 = repeated.compose();
    ASSERT_EQ(pages2.size(), 2u);
    EXPECT_EQ(recordCount(pages2[1], emr::LINETO), 1);
}

TEST(Compose, NewPageBeforeSectionsAndGroups) {
    WSection a;
    a.header = numberedGroup(u"A"_s, 2);
    WSection b;
    b.newPageBefore = true;
    b.header = numberedGroup(u"B"_s, 2);
    WSection root;
    root.sections = {a, b};
    root.footer = numberedGroup(u"C"_s, 1);
    root.footer.newPageBefore = true;
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pageTexts(pages[0]), (QStringList{u"A 1"_s, u"A 2"_s}));
    EXPECT_EQ(pageTexts(pages[1]), (QStringList{u"B 1"_s, u"B 2"_s}));
    EXPECT_EQ(pageTexts(pages[2]), QStringList{u"C 1"_s});
}

// A section that asks for a new page at the very top of the document gives no empty first page.
TEST(Compose, NewPageAtTheTopIsNotAnEmptyPage) {
    WSection a;
    a.newPageBefore = true;
    a.header = numberedGroup(u"A"_s, 1);
    WSection root;
    root.sections = {a};
    Loaded loaded(printoutWithRoot(root));
    EXPECT_EQ(loaded.compose().size(), 1u);
}

TEST(Compose, LineSpacingAddsBelowEveryLine) {
    WSection root;
    root.header = numberedGroup(u"x"_s, 2);
    WPrintout p = printoutWithRoot(root);
    p.lineSpacing = 10;
    Loaded loaded(p);
    const auto pieces = textPieces(loaded.compose().front());
    ASSERT_EQ(pieces.size(), 2u);
    const float h = lineHeightMm(loaded.doc(), *loaded.doc().Root->Header.Lines.front());
    EXPECT_EQ(pieces[1].at.y() - pieces[0].at.y(), loaded.doc().MmToPxY(h + 10));
}

// Values from a damaged file (line spacing that is not a number, endless character heights,
// fields far off the page) used to reach integer conversions that overflow; they must compose
// into pages without undefined behaviour.
TEST(Compose, DamagedValuesComposeWithoutOverflow) {
    WStyle huge;
    huge.name = "Ogromny";
    huge.charHeight = std::numeric_limits<float>::infinity();
    huge.charWidth = std::numeric_limits<float>::quiet_NaN();
    WSection root;
    root.header = splitGroup({line({textField(2'000'000'000, 2'000'000'000, "daleko", "Ogromny")}),
                              line({textField(kLeft, kWidth, "bliżej")}), ruleLine(1)});
    WPrintout p = printoutWithRoot(root);
    p.styles = {huge};
    p.lineSpacing = std::numeric_limits<float>::quiet_NaN();
    Loaded loaded(p);
    EXPECT_NO_THROW(loaded.compose());

    p.lineSpacing = 1e30f;
    Loaded far(p);
    EXPECT_LE(far.compose().size(), 3u);

    // Negative cells are no cells: the digits probe must not "shrink" them by their own square.
    p.lineSpacing = 0;
    for (float size : {-1e9f, -3.5f}) {
        p.styles[0].charHeight = size;
        p.styles[0].charWidth = size;
        Loaded negative(p);
        EXPECT_FALSE(negative.compose().empty());
    }
}

// Met just below repeated headers, a kept-whole group taller than a page leaves a page holding
// only those headers, and is drawn across the bottom edge of the next one under the headers again.
TEST(Compose, TallKeptGroupBelowRepeatedHeaders) {
    WSection first;
    first.header = numberedGroup(u"Pozycja"_s, 3);
    WSection tall;
    tall.newPageBefore = true;
    tall.header = numberedGroup(u"Blok"_s, 91, false);
    WSection root;
    root.repeatHeader = splitGroup({textLine(u"Nagłówek"_s)});
    root.sections = {first, tall};
    Loaded loaded(printoutWithRoot(root));
    const auto pages = loaded.compose();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pageTexts(pages[0]),
              (QStringList{u"Nagłówek"_s, u"Pozycja 1"_s, u"Pozycja 2"_s, u"Pozycja 3"_s}));
    EXPECT_EQ(pageTexts(pages[1]), QStringList{u"Nagłówek"_s});
    EXPECT_EQ(pageTexts(pages[2]).first(), u"Nagłówek"_s);
    EXPECT_EQ(countStarting(pageTexts(pages[2]), u"Blok"_s), 91);
}
