// Composing a printout while it is read (TWydruk::OpenFile): the pages are byte for byte those of
// the whole document, whatever the structure (sections starting new pages, kept-whole groups,
// repeat headers kept with a first line that comes late in the file, versions without section
// trailers); read errors come out of MakePages after the pages before them; a stop while the
// composition waits for the file ends it like any abort.
#include "document/Wydruki.h"
#include "support/DensePage.h"
#include "support/Examples.h"
#include "support/Kosztorys.h"
#include "support/WydWriter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

struct Composed {
    QList<QByteArray> pages; // as the receiver holds them at the end
    int restarts = 0;
    QList<int> progress;
};

// Composes the printout's file, read whole first or while composing.
Composed compose(const QString& path, bool whileReading) {
    TWydruk w;
    Composed out;
    w.OnNextPage = [&](TWydruk&, const PagePtr& page) { out.pages.append(page->metafile().bytes()); };
    w.OnRestart = [&](TWydruk&) {
        out.pages.clear();
        ++out.restarts;
    };
    w.OnProgress = [&](TWydruk&, bool, int postep) { out.progress.append(postep); };
    if (whileReading)
        w.OpenFile(path);
    else
        w.LoadFromFile(path);
    w.MakePages();
    EXPECT_FALSE(w.Tekst().Loading());
    EXPECT_EQ(w.Tekst().LineCount(), w.Tekst().Root->LineCount());
    return out;
}

class ComposeWhileReading : public ::testing::Test {
protected:
    QString write(const WPrintout& p) {
        const QString path = dir.filePath(QStringLiteral("p%1.wyd").arg(++m_files));
        EXPECT_TRUE(writeWyd(path, p));
        return path;
    }
    // Composes both ways and compares; returns the number of restarts of the reading way.
    int expectSamePages(const WPrintout& p) {
        const QString path = write(p);
        const Composed whole = compose(path, false);
        const Composed read = compose(path, true);
        EXPECT_EQ(read.pages.size(), whole.pages.size());
        EXPECT_TRUE(read.pages == whole.pages) << "the pages differ";
        EXPECT_EQ(read.progress.isEmpty(), whole.progress.isEmpty());
        for (const int postep : read.progress)
            EXPECT_TRUE(postep >= 0 && postep <= 100) << postep;
        EXPECT_TRUE(read.progress.isEmpty() || read.progress.back() == 100);
        return read.restarts;
    }

    QTemporaryDir dir;

private:
    int m_files = 0;
};

WLine text(const QByteArray& t) {
    return line({textField(300, 8900, t)});
}

WGroup lines(const QByteArray& prefix, int n, bool split = true) {
    WGroup g;
    g.splitLines = split;
    for (int i = 1; i <= n; ++i)
        g.lines.push_back(text(prefix + ' ' + QByteArray::number(i)));
    return g;
}

// A title, then chapters of n lines under a repeated header, each starting a new page when told.
WPrintout chapters(int count, int n, bool newPage, quint8 version = 7) {
    WPrintout p;
    p.version = version;
    p.root.header = lines("Tytul", 3);
    p.root.repeatHeader = group({text("Naglowek strony")});
    for (int c = 0; c < count; ++c) {
        WSection s;
        s.header = lines("Rozdzial " + QByteArray::number(c), n);
        s.footer = group({text("Koniec rozdzialu")});
        s.newPageBefore = newPage;
        p.root.sections.push_back(std::move(s));
    }
    return p;
}

} // namespace

TEST_F(ComposeWhileReading, SamplePrintoutsGiveTheSamePagesWithoutStartingAgain) {
    EXPECT_EQ(expectSamePages(kosztorys()), 0);
    EXPECT_EQ(expectSamePages(kosztorys(3, 15, 1)), 0); // no section trailers
    EXPECT_EQ(expectSamePages(kosztorys(3, 15, 4)), 0);
    EXPECT_EQ(expectSamePages(faktura()), 0);
    EXPECT_EQ(expectSamePages(opisTechniczny()), 0);
    EXPECT_EQ(expectSamePages(densePrintout(3)), 0);
    EXPECT_EQ(expectSamePages(WPrintout()), 0); // no page at all
}

TEST_F(ComposeWhileReading, SectionsStartingNewPagesGiveTheSamePages) {
    // A section's flag is read after its content. The first page is composed as if the chapters
    // did not start new pages; a few pieces of the file later that is known to be wrong, and the
    // composition starts again before anything is handed out.
    EXPECT_EQ(expectSamePages(chapters(30, 10, true)), 0);
    EXPECT_EQ(expectSamePages(chapters(4, 200, true)), 0);
    // A first chapter too long to read before the first page: that page goes out, and is
    // withdrawn once the chapter's end is read.
    EXPECT_EQ(expectSamePages(chapters(2, 5000, true)), 1);
    EXPECT_EQ(expectSamePages(chapters(2, 5000, false)), 0);
    EXPECT_EQ(expectSamePages(chapters(2, 5000, true, 1)), 0); // version 1: no flags at all

    // Nested sections: the inner one is read long before the outer one, whose flag counts.
    WPrintout nested;
    nested.root.header = lines("Tytul", 3);
    WSection outer;
    outer.newPageBefore = true;
    outer.sections.push_back(WSection{});
    outer.sections.back().header = lines("Wewnatrz", 100);
    outer.footer = lines("Dlugie uwagi", 6000);
    nested.root.sections.push_back(std::move(outer));
    EXPECT_EQ(expectSamePages(nested), 1);
}

TEST_F(ComposeWhileReading, StructuresThatMakeTheComposerWaitGiveTheSamePages) {
    WPrintout p;
    p.root.header = lines("Wstep", 60);
    p.root.repeatHeader = group({text("Naglowek"), line({ruleField(0, "Domyslny", 300, 8900)})});
    // The repeat header is kept with the first child's first line: here its Footer's, which comes
    // after the child's subsections in the file.
    WSection first;
    for (int i = 0; i < 3; ++i) {
        WSection inner;
        inner.header = lines("Wewnatrz", 90);
        first.sections.push_back(std::move(inner));
    }
    first.footer = group({text(QByteArray("Uwagi ").repeated(500))}); // too tall for the page's rest
    p.root.sections.push_back(std::move(first));
    // Kept-whole groups, one taller than a page, and a group that starts a new page.
    WSection kept;
    kept.header = lines("Razem", 40, false);
    kept.footer = lines("Duza", 120, false);
    kept.sections.push_back(WSection{});
    kept.sections.back().header = lines("Nowa strona", 5);
    kept.sections.back().header.newPageBefore = true;
    p.root.sections.push_back(std::move(kept));
    p.root.footer = lines("Koniec", 2);
    EXPECT_EQ(expectSamePages(p), 0);
}

TEST_F(ComposeWhileReading, AReadErrorFollowsThePagesBeforeIt) {
    const QByteArray body = bodyBytes(kosztorys(20, 47));
    const QString path = dir.filePath(QStringLiteral("ucięty.wyd"));
    ASSERT_TRUE(writeFile(path, fileFromBody(body.left(body.size() * 2 / 3))));
    QString whole;
    try {
        TWydruk().LoadFromFile(path);
    } catch (const EReadFileError& e) {
        whole = e.message();
    }
    ASSERT_TRUE(whole.startsWith(QStringLiteral("Błąd czytania z pliku"))) << whole.toStdString();

    TWydruk w;
    int pages = 0;
    w.OnNextPage = [&](TWydruk&, const PagePtr&) { ++pages; };
    w.OpenFile(path);
    try {
        w.MakePages();
        FAIL() << "no error";
    } catch (const EReadFileError& e) {
        EXPECT_EQ(e.message(), whole);
    }
    EXPECT_GE(pages, 5);
    EXPECT_FALSE(w.PagesValid());
    // The reading stays failed.
    EXPECT_THROW(w.MakePages(), EReadFileError);
}

TEST_F(ComposeWhileReading, AnUnknownVersionIsReportedWhenTheFileIsOpened) {
    const QString path = dir.filePath(QStringLiteral("nowy.wyd"));
    ASSERT_TRUE(writeFile(path, fileFromBody(Bytes().u8(8).data())));
    TWydruk w;
    try {
        w.OpenFile(path);
        FAIL() << "no error";
    } catch (const EReadFileError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Błąd odczytu - nieznana wersja pliku [8]"));
    }
    EXPECT_FALSE(w.Tekst().Loading());
}

TEST_F(ComposeWhileReading, StoppingWhileWaitingForTheFileEndsLikeAnAbort) {
    // One long section: after its first page the composer waits until the section's end is read,
    // reporting progress meanwhile. A stop then ends MakePages; the next one composes it all.
    const QString path = write(densePrintout(100)); // too long to settle before the first page
    const Composed whole = compose(path, false);
    TWydruk w;
    QList<QByteArray> pages;
    w.OnNextPage = [&](TWydruk&, const PagePtr& page) { pages.append(page->metafile().bytes()); };
    w.OnProgress = [&](TWydruk& sender, bool drukowanie, int) {
        EXPECT_TRUE(drukowanie);
        if (!pages.isEmpty())
            sender.Abort();
    };
    w.OpenFile(path);
    w.MakePages();
    EXPECT_EQ(pages.size(), 1);
    EXPECT_FALSE(w.PagesValid());
    EXPECT_TRUE(w.Tekst().Loading()); // the rest of the file waits for the next composition

    pages.clear();
    w.OnProgress = nullptr;
    w.MakePages();
    EXPECT_TRUE(pages == whole.pages);
    EXPECT_TRUE(w.PagesValid());
}

TEST_F(ComposeWhileReading, ClearDropsTheReadingAndItsFile) {
    const QString path = write(densePrintout(5));
    TWydruk w;
    w.OpenFile(path);
    EXPECT_TRUE(w.Tekst().Loading());
    w.Clear();
    EXPECT_FALSE(w.Tekst().Loading());
    int pages = 0;
    w.OnNextPage = [&](TWydruk&, const PagePtr&) { ++pages; };
    w.MakePages();
    EXPECT_EQ(pages, 0);
}
