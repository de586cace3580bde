// The text of a page: word gaps where the page shows them, lines in reading order, text drawn
// under a mapping of its own placed where it lands, leaders and hidden characters left out, and
// foreign pictures read without harm.
#include "support/ComposedPages.h"
#include "support/EmfTestSupport.h"
#include "support/Kosztorys.h"
#include "support/WydWriter.h"

#include "platform/MetafileCanvas.h"
#include "platform/PageText.h"
#include "richtext/DrawRichText.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

GdiFontPtr arial(int weight = 400, bool italic = false) {
    LogFont lf;
    lf.faceName = u"Arial"_s;
    lf.height = -30;
    lf.weight = weight;
    lf.italic = italic;
    return GdiFont::get(lf);
}

PageText textOf(const std::function<void(GdiCanvas&)>& draw) {
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas c(page);
        draw(c);
    }
    return extractPageText(QByteArrayView(page.bytes()));
}

// Draws runs one after the other along a baseline, each in its own font: x moves by the run's width.
void runs(GdiCanvas& c, int x, int y, const std::vector<std::pair<GdiFontPtr, QString>>& pieces) {
    for (const auto& [font, text] : pieces) {
        c.selectFont(font);
        c.extTextOut(x, y, 0, nullptr, text, nullptr);
        x += font->textWidth(text);
    }
}

std::vector<PageText> composedPages(const WPrintout& printout) {
    std::vector<PageText> pages;
    for (const PagePtr& page : composePrintout(printout))
        pages.push_back(extractPageText(*page));
    return pages;
}

void expectBoxesMatchText(const PageText& t) {
    ASSERT_EQ(t.boxes.size(), t.text.size());
    for (qsizetype i = 0; i < t.text.size(); ++i) {
        if (t.text[i] == u'\n') {
            EXPECT_TRUE(t.boxes[i].isNull()) << i;
        }
    }
}

} // namespace

TEST(PageText, RunsOfDifferentFontsKeepTheirSpaces) {
    // A space that ends a run, one that starts a run, and words whose runs simply touch.
    const PageText t = textOf([](GdiCanvas& c) {
        runs(c, 100, 100,
             {{arial(), u"This "_s},
              {arial(700), u"is"_s},
              {arial(), u" a "_s},
              {arial(400, true), u"simple"_s},
              {arial(), u" document, "_s},
              {arial(700), u"Zaż"_s},
              {arial(), u"ółć"_s}});
    });
    EXPECT_EQ(t.text, u"This is a simple document, Zażółć"_s);
    expectBoxesMatchText(t);
    EXPECT_NEAR(t.boxes[0].left(), 100, 0.5);
    EXPECT_NEAR(t.boxes[0].top(), 100, 0.5);
}

TEST(PageText, AVisibleDistanceIsAWordGapAndLinesReadTopToBottom) {
    const PageText t = textOf([](GdiCanvas& c) {
        c.selectFont(arial());
        c.extTextOut(400, 300, 0, nullptr, u"dolny"_s, nullptr); // drawn first, read last
        c.extTextOut(100, 100, 0, nullptr, u"Kolumna"_s, nullptr);
        c.extTextOut(600, 100, 0, nullptr, u"Druga"_s, nullptr);
        c.extTextOut(100, 300, 0, nullptr, u"lewy"_s, nullptr);
        c.selectFont(arial(700));
        c.extTextOut(100 + arial()->textWidth(u"lewy"_s) + 4, 300, 0, nullptr, u"!"_s,
                     nullptr); // a hair apart
    });
    EXPECT_EQ(t.text, u"Kolumna Druga\nlewy! dolny"_s);
    expectBoxesMatchText(t);
    EXPECT_TRUE(t.boxes[7].isNull()); // the inserted word gap
}

// Lines are told by the body of their letters, not by whole cells: a large word just below small
// text reaches up into its line with its cell but stands on a line of its own; a raised small
// word shares its line.
TEST(PageText, PiecesOfDifferentSizesShareALineByTheirBodies) {
    LogFont big;
    big.faceName = u"Arial"_s;
    big.height = -80;
    const PageText t = textOf([&](GdiCanvas& c) {
        c.selectFont(arial());
        c.extTextOut(100, 100, 0, nullptr, u"mała"_s, nullptr);
        c.selectFont(GdiFont::get(big));
        c.extTextOut(100, 112, 0, nullptr, u"DUŻA"_s, nullptr);
        c.selectFont(arial());
        c.extTextOut(600, 125, 0, nullptr, u"2"_s, nullptr); // an exponent beside the large word
    });
    EXPECT_EQ(t.text, u"mała\nDUŻA 2"_s);
}

// Rich text is laid out in its own window and viewport: its characters are found where they land.
TEST(PageText, RichTextUnderItsOwnMappingLandsInItsBox) {
    const QRect box(150, 500, 1100, 700);
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 This \\b is\\b0  a "
                           "\\i simple\\i0  document.\\par Drugi akapit.\\par}";
    const PageText t = textOf([&](GdiCanvas& c) { DrawRichText(c, box, rtf, true, true, 1.8f); });
    EXPECT_EQ(t.text, u"This is a simple document.\nDrugi akapit."_s);
    expectBoxesMatchText(t);
    for (qsizetype i = 0; i < t.text.size(); ++i) {
        if (!t.boxes[i].isNull()) {
            EXPECT_TRUE(QRectF(box).adjusted(-2, -2, 2, 2).contains(t.boxes[i])) << i;
        }
    }
    // Scaled by 1.8: a line of 10-point text is about 24 page pixels high, not 13.
    EXPECT_GT(t.boxes[0].height(), 20);
}

TEST(PageText, AlignedFieldsAndLeadersOfComposedPages) {
    WPrintout p;
    p.styles = {nominalStyle("Mono", "Courier New", 132), nominalStyle("Prop", "Arial", 132)};
    p.root.header = group({
        line({textField(300, 8900, cp(u"Do prawej"_s), "Prop", 0, 1)}),
        line({textField(300, 8900, cp(u"Środek strony"_s), "Prop", 0, 2)}),
        line({textField(300, 6000, cp(u"Roboty ziemne"_s), "Mono", 5),
              textField(6400, 2800, cp(u"1 234,56"_s), "Mono", 0, 1)}),
        line({textField(300, 6000, cp(u"Roboty murowe"_s), "Prop", 5),
              textField(6400, 2800, cp(u"98,00"_s), "Prop", 0, 1)}),
        line({textField(300, 3000, cp(u"Strona %n"_s), "Prop", 2)}),
    });
    const std::vector<PageText> pages = composedPages(p);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].text.toStdString(),
              "Do prawej\nŚrodek strony\nRoboty ziemne 1 234,56\nRoboty murowe 98,00\nStrona 1");
    expectBoxesMatchText(pages[0]);
}

TEST(PageText, RichTextOverPagesReadsAsParagraphs) {
    QStringList paragraphs;
    for (int i = 1; i <= 40; ++i)
        paragraphs.append(
            u"Akapit %1. Wykonawca zobowiązuje się wykonać roboty zgodnie z dokumentacją."_s.arg(i));
    WPrintout p;
    p.root.header = group({line({textField(300, 8900, rtfParagraphs(paragraphs), "Domyslny", 7)})});
    const std::vector<PageText> pages = composedPages(p);
    ASSERT_FALSE(pages.empty());
    QString all;
    for (const PageText& page : pages)
        all += page.text + u'\n';
    for (int i = 1; i <= 40; ++i)
        EXPECT_TRUE(all.contains(u"Akapit %1. Wykonawca zobowiązuje się wykonać roboty zgodnie"_s.arg(i)))
            << i;
    EXPECT_FALSE(all.contains(u"  "_s));
}

// Characters the clip hides are not on the page.
TEST(PageText, ClippedCharactersAreLeftOut) {
    const PageText t = textOf([](GdiCanvas& c) {
        c.selectFont(arial());
        const QRect clip(100, 100, arial()->textWidth(u"Widać"_s), 40);
        c.extTextOut(100, 100, ETO_CLIPPED, &clip, u"Widać, ale nie to"_s, nullptr);
    });
    EXPECT_EQ(t.text, u"Widać"_s);
}

TEST(PageText, ForeignPicturesGiveTheirTextInsideTheFrame) {
    const QString dir = qEnvironmentVariable("VEK_CORPUS_DIR") + u"/emf/"_s;
    const QStringList files = QDir(dir).entryList({u"*.emf"_s}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        GTEST_SKIP() << "no corpus";
    int withText = 0;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray bytes = readFile(dir + name);
        const PageText t = extractPageText(QByteArrayView(bytes));
        expectBoxesMatchText(t);
        EmfHeader h;
        ASSERT_TRUE(readEmfHeader(bytes, h));
        const QRectF frame = h.frameInDeviceUnits();
        const double slack = std::max(frame.width(), frame.height()) * 0.1;
        for (const QRectF& b : t.boxes) {
            if (!b.isNull()) {
                EXPECT_TRUE(frame.adjusted(-slack, -slack, slack, slack).contains(b.center()));
            }
        }
        withText += t.text.isEmpty() ? 0 : 1;
    }
    EXPECT_GE(withText, 3);
    // Every prefix of a picture with text reads without harm.
    const QByteArray bytes = readFile(dir + u"TestDrawString.emf"_s);
    for (qsizetype cut = 0; cut < bytes.size(); cut += 97)
        extractPageText(QByteArrayView(bytes).first(cut));
}
