// The printout component: loading, progress, abort, re-delivery of pages, streaming.
#include "ComposeSupport.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

// 10 Header lines in one section and 30 Footer lines in another, plus repeat-header lines that
// are laid out but not counted.
WPrintout fortyLines() {
    WSection a;
    a.header = numberedGroup(u"Nagłówek"_s, 10);
    a.repeatHeader = numberedGroup(u"Powtarzany"_s, 2);
    WSection b;
    b.footer = numberedGroup(u"Stopka"_s, 30);
    WSection root;
    root.sections = {a, b};
    return printoutWithRoot(root);
}

WPrintout pagesOfLines(int lines) {
    WSection root;
    root.header = numberedGroup(u"Pozycja"_s, lines);
    return printoutWithRoot(root);
}

} // namespace

TEST(Wydruk, ProgressCountsHeaderAndFooterLines) {
    Loaded loaded(fortyLines());
    std::vector<int> postep;
    bool allDrukowanie = true;
    loaded.wydruk.OnProgress = [&](TWydruk&, bool drukowanie, int p) {
        postep.push_back(p);
        allDrukowanie = allDrukowanie && drukowanie;
    };
    loaded.compose();
    EXPECT_TRUE(allDrukowanie);
    EXPECT_EQ(loaded.doc().LinesTotal, 40);
    EXPECT_EQ(loaded.doc().LinesDone, 40);
    ASSERT_EQ(postep.size(), 42u); // 40 counted lines and 2 repeat-header lines
    EXPECT_EQ(postep.front(), 2);  // 1 of 40
    EXPECT_EQ(postep[9], 25);      // the 10th counted line
    EXPECT_EQ(postep[10], 25);     // a repeat-header line counts nothing
    EXPECT_EQ(postep.back(), 100);
    EXPECT_EQ(loaded.wydruk.State(), 0);
}

TEST(Wydruk, EmptyDocumentReportsZero) {
    WSection root;
    root.repeatHeader = numberedGroup(u"x"_s, 3);
    Loaded loaded(printoutWithRoot(root));
    std::vector<int> postep;
    loaded.wydruk.OnProgress = [&](TWydruk&, bool, int p) { postep.push_back(p); };
    loaded.compose();
    EXPECT_EQ(postep, (std::vector<int>{0, 0, 0}));
}

// Pages are handed out while the composition is still running, not all at the end.
TEST(Wydruk, FirstPageArrivesBeforeTheCompositionEnds) {
    Loaded loaded(pagesOfLines(500));
    int linesAtFirstPage = -1;
    loaded.wydruk.OnNextPage = [&](TWydruk& w, const PagePtr&) {
        if (linesAtFirstPage < 0)
            linesAtFirstPage = w.Tekst().LinesDone;
    };
    loaded.wydruk.MakePages();
    EXPECT_GT(linesAtFirstPage, 0);
    EXPECT_LT(linesAtFirstPage, 100);
}

TEST(Wydruk, AbortDeliversThePartialPageAndTheNextRunComposesAgain) {
    Loaded loaded(pagesOfLines(500));
    std::vector<QStringList> delivered;
    loaded.wydruk.OnNextPage = [&](TWydruk&, const PagePtr& page) { delivered.push_back(pageTexts(page)); };
    loaded.wydruk.OnProgress = [&](TWydruk& w, bool, int) {
        if (w.Tekst().LinesDone == 5)
            w.Abort();
    };
    loaded.wydruk.MakePages();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].size(), 5);
    EXPECT_FALSE(loaded.wydruk.PagesValid());

    delivered.clear();
    loaded.wydruk.OnProgress = nullptr;
    loaded.wydruk.MakePages();
    EXPECT_GT(delivered.size(), 5u);
    EXPECT_EQ(delivered.back().last(), u"Pozycja 500"_s);
    EXPECT_TRUE(loaded.wydruk.PagesValid());
}

// A second MakePages hands the very same page objects out again, in order, without composing.
TEST(Wydruk, ValidPagesAreDeliveredAgainWithoutComposing) {
    Loaded loaded(pagesOfLines(200));
    std::vector<PagePtr> first;
    loaded.wydruk.OnNextPage = [&](TWydruk&, const PagePtr& page) { first.push_back(page); };
    loaded.wydruk.MakePages();
    EXPECT_EQ(first, loaded.doc().Pages);
    std::vector<PagePtr> second;
    int progressCalls = 0;
    loaded.wydruk.OnNextPage = [&](TWydruk&, const PagePtr& page) { second.push_back(page); };
    loaded.wydruk.OnProgress = [&](TWydruk&, bool, int) { ++progressCalls; };
    loaded.wydruk.MakePages();
    EXPECT_EQ(first, second);
    EXPECT_EQ(progressCalls, 0);

    // A changed style makes the pages stale: the next run composes again.
    loaded.doc().Styles->AddStyle("Nowy", 0, 100, 0, "Arial");
    loaded.wydruk.MakePages();
    EXPECT_GT(progressCalls, 0);
}

TEST(Wydruk, NamesFromTheLoadedFile) {
    TWydruk fresh;
    EXPECT_EQ(fresh.WczytanyPlikNazwa(), u"WYDRUK"_s);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Faktura 12.wyd"_s);
    ASSERT_TRUE(writeWyd(path, pagesOfLines(1)));
    fresh.LoadFromFile(path);
    EXPECT_EQ(fresh.WczytanyPlikNazwa(), u"Faktura 12"_s);
    EXPECT_EQ(fresh.Tytul(), path);
    EXPECT_EQ(fresh.WczytanyPlikSciezka(), path);
}

TEST(Wydruk, WrongSignatureLeavesTheNamesAlone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"zly.wyd"_s);
    ASSERT_TRUE(writeFile(path, "VEKTA1999 and more bytes after it"));
    TWydruk w;
    try {
        w.LoadFromFile(path);
        FAIL() << "no error";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.message(), u"Plik nie zawiera prawidłowego wydruku Vekta"_s);
    }
    EXPECT_EQ(w.WczytanyPlikNazwa(), u"WYDRUK"_s);
    EXPECT_TRUE(w.Tytul().isEmpty());
}

// Printouts on read-only media must open: nothing is ever written to them.
TEST(Wydruk, ReadOnlyFileOpens) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"tylko.wyd"_s);
    ASSERT_TRUE(writeWyd(path, pagesOfLines(3)));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    TWydruk w;
    w.LoadFromFile(path);
    int pages = 0;
    w.OnNextPage = [&](TWydruk&, const PagePtr&) { ++pages; };
    w.MakePages();
    EXPECT_EQ(pages, 1);
}

// Pages used to be handed out as references into the document's list of pages: the next page
// could move them, and a new load or the end of the component freed them under their receiver.
// A page now lives as long as someone holds it, unchanged.
TEST(Wydruk, HandedOutPagesOutliveTheComponentAndLaterLoads) {
    QTemporaryDir dir;
    const QString first = dir.filePath(u"pierwszy.wyd"_s);
    const QString second = dir.filePath(u"drugi.wyd"_s);
    ASSERT_TRUE(writeWyd(first, pagesOfLines(300)));
    WSection other;
    other.header = numberedGroup(u"Inny"_s, 400);
    ASSERT_TRUE(writeWyd(second, printoutWithRoot(other)));

    std::vector<PagePtr> kept;
    std::vector<QStringList> textsWhenMade;
    const TMetafile* firstMetafile = nullptr;
    {
        auto w = std::make_unique<TWydruk>();
        w->LoadFromFile(first);
        w->OnNextPage = [&](TWydruk&, const PagePtr& page) {
            kept.push_back(page);
            textsWhenMade.push_back(pageTexts(page));
        };
        w->MakePages();
        ASSERT_GT(kept.size(), 2u);
        firstMetafile = &kept.front()->metafile();

        w->OnNextPage = nullptr;
        w->LoadFromFile(second);
        w->MakePages();
        EXPECT_NE(w->Tekst().Pages.front(), kept.front());
    } // the component and its document end here

    EXPECT_EQ(&kept.front()->metafile(), firstMetafile);
    for (size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(pageTexts(kept[i]), textsWhenMade[i]) << "page " << i + 1;
    EXPECT_EQ(textsWhenMade.front().front(), u"Pozycja 1"_s);
    EXPECT_EQ(kept.front()->size(), freshPageSize());
}
