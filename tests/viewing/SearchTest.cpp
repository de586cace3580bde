// Finding text in the pages: places found on every page, moving between them, their marks, and
// the find strip's keys.
#include "ViewingSupport.h"
#include "viewing/EmfViewer.h"
#include "viewing/FindStrip.h"
#include "viewing/PageSearch.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace vek;
using namespace vektest;
using namespace Qt::StringLiterals;

namespace {

// Three turtles among numbered lines, on the first, a middle and the last page.
const QList<PagePtr>& turtlePages() {
    static const QList<PagePtr> pages = [] {
        QStringList lines;
        for (int i = 1; i <= 300; ++i)
            lines.append(i == 10 || i == 150 || i == 290 ? u"Żółw numer %1"_s.arg(i)
                                                         : u"Pozycja %1"_s.arg(i));
        return composedPages(linesPrintout(lines));
    }();
    return pages;
}

class Search : public ::testing::Test {
protected:
    void SetUp() override {
        v.resize(640, 480);
        v.show();
        v.setZoomLevel(zoomPageW);
        for (const PagePtr& p : turtlePages())
            v.AddPage(p);
        finder.pagesChanged();
        v.OnPaintPage = [this](QPainter& p, int page, const QRect& inner) {
            finder.paintPage(p, page, inner);
        };
    }
    void find(const QString& text) {
        finder.setText(text);
        finder.store().waitForIdle();
    }
    bool currentInView() {
        const PageText& t = finder.store().boxesNow(finder.currentPage());
        const int at = int(foldForSearch(t.text).indexOf(foldForSearch(finder.text())));
        const QRectF r =
            v.PageToView(finder.currentPage(), matchRects(t, at, int(finder.text().size())).front());
        return QRectF(0, 0, v.ViewWidth(), v.ViewHeight()).contains(r);
    }
    int markedPixels() {
        QImage image(v.size(), QImage::Format_RGB32);
        v.render(&image);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < v.ViewWidth(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() > 200 && c.green() > 120 && c.blue() < 60 ? 1 : 0;
            }
        return n;
    }

    TEmfViewer v;
    TPageFinder finder{&v};
};

} // namespace

TEST_F(Search, FindsEveryPlaceWithoutCaseOrDiacritics) {
    ASSERT_GE(v.PageCount(), 3);
    find(u"zolw"_s);
    EXPECT_TRUE(finder.complete());
    EXPECT_EQ(finder.count(), 3);
    EXPECT_EQ(finder.current(), 1); // the first place at or after the page in view
    EXPECT_EQ(finder.currentPage(), 0);
    find(u"ŻÓŁW NUMER 150"_s);
    EXPECT_EQ(finder.count(), 1);
    find(u"nie ma takiego tekstu"_s);
    EXPECT_EQ(finder.count(), 0);
    EXPECT_EQ(finder.current(), 0);
    EXPECT_FALSE(finder.next());
    find(QString());
    EXPECT_EQ(finder.count(), 0);
}

TEST_F(Search, NextAndPreviousGoRoundAndBringThePlaceIntoView) {
    find(u"żółw"_s);
    ASSERT_EQ(finder.count(), 3);
    EXPECT_TRUE(finder.next());
    EXPECT_EQ(finder.current(), 2);
    EXPECT_EQ(v.PageNr() - 1, finder.currentPage());
    EXPECT_TRUE(currentInView());
    finder.next();
    EXPECT_EQ(finder.current(), 3);
    EXPECT_EQ(finder.currentPage(), v.PageCount() - 1);
    EXPECT_TRUE(currentInView());
    finder.next();
    EXPECT_EQ(finder.current(), 1);
    EXPECT_TRUE(currentInView());
    finder.previous();
    EXPECT_EQ(finder.current(), 3);
}

TEST_F(Search, StartsFromThePageInView) {
    v.setPageNr(2);
    find(u"zolw"_s);
    EXPECT_EQ(finder.current(), 2);
    v.setPageNr(v.PageCount());
    finder.setText(QString());
    find(u"Pozycja 11"_s); // "Pozycja 11" and "Pozycja 110".."119": all on the first two pages
    EXPECT_GT(finder.count(), 1);
    EXPECT_EQ(finder.current(), 1); // round the end to the first
}

TEST_F(Search, MarksShowOnTheSheetsInViewWhileActive) {
    find(u"zolw"_s);
    v.setPageNr(1);
    finder.store().waitForIdle();
    EXPECT_EQ(markedPixels(), 0); // the strip is closed: no marks
    finder.setActive(true);
    markedPixels(); // asks for the page's boxes
    finder.store().waitForIdle();
    EXPECT_GT(markedPixels(), 50);
}

TEST_F(Search, PagesAddedLaterAreSearchedAsTheirTextArrives) {
    TEmfViewer growing;
    TPageFinder later(&growing);
    later.setText(u"zolw"_s);
    EXPECT_EQ(later.count(), 0);
    for (const PagePtr& p : turtlePages()) {
        growing.AddPage(p);
        later.pagesChanged();
    }
    later.store().waitForIdle();
    EXPECT_EQ(later.count(), 3);
    growing.ClearPages();
    later.pagesChanged();
    EXPECT_EQ(later.count(), 0);
}

TEST(FindStrip, CountTexts) {
    EXPECT_EQ(TFindStrip::CountText(u"abc"_s, 3, 17, true), u"3 z 17"_s);
    EXPECT_EQ(TFindStrip::CountText(u"abc"_s, 0, 0, true), u"Nie znaleziono"_s);
    EXPECT_EQ(TFindStrip::CountText(u"abc"_s, 0, 0, false), u"Szukanie..."_s);
    EXPECT_EQ(TFindStrip::CountText(QString(), 0, 0, true), QString());
}

TEST_F(Search, TheStripTypesSearchesAndClosesOnEsc) {
    QWidget window;
    window.resize(400, 60);
    TFindStrip strip(&finder, &window);
    strip.ReturnFocusTo = &v;
    strip.setGeometry(0, 0, 400, 26);
    window.show();
    strip.Open();
    ASSERT_TRUE(finder.active());
    QTest::keyClicks(strip.edSzukaj, u"zolw"_s);
    QTest::keyClick(strip.edSzukaj, Qt::Key_Return); // the search waiting for a pause runs at once
    finder.store().waitForIdle();
    EXPECT_EQ(finder.text(), u"zolw"_s);
    EXPECT_EQ(strip.lblIle->text(), u"1 z 3"_s);
    QTest::keyClick(strip.edSzukaj, Qt::Key_Return);
    EXPECT_EQ(strip.lblIle->text(), u"2 z 3"_s);
    QTest::keyClick(strip.edSzukaj, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(strip.lblIle->text(), u"1 z 3"_s);
    QTest::keyClick(strip.edSzukaj, Qt::Key_Escape);
    EXPECT_FALSE(strip.isVisible());
    EXPECT_FALSE(finder.active());
}
