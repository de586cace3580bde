// The page viewer: the strip arithmetic at every zoom level, page numbers, the ends of the strip,
// the mouse, the wheel and the keys.
#include "ViewingSupport.h"
#include "viewing/EmfViewer.h"
#include "viewing/GridHdrButton.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>

using namespace vek;
using namespace vektest;

namespace {

// A viewer whose view (without the scroll bar) is 600 x 410 pixels, with n blank pages.
class Viewer : public ::testing::Test {
protected:
    void SetUp() override {
        v.show(); // the layout follows resize events, which a hidden widget gets only when shown
        v.resize(100, 100);
        bar = v.width() - v.ViewWidth();
        v.resize(600 + bar, 410);
        ASSERT_EQ(v.ViewWidth(), 600);
        ASSERT_EQ(v.ViewHeight(), 410);
        v.OnMove = [this](QObject*) { ++moves; };
        v.OnZoom = [this](QObject*) { ++zooms; };
        v.OnChange = [this](QObject*) { ++changes; };
    }
    void addPages(int n) {
        static const PagePtr page = composedPages(linesPrintout({QStringLiteral("x")})).front();
        for (int i = 0; i < n; ++i)
            v.AddPage(page);
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&v, Qt::Key(k), mods); }

    TEmfViewer v;
    int bar = 0;
    int moves = 0;
    int zooms = 0;
    int changes = 0;
};

} // namespace

TEST_F(Viewer, SheetSizesAtEveryZoomLevel) {
    v.setMargLeft(10);
    v.setMargRight(10);
    const QSize expected[] = {{283, 400},  {435, 615},   {588, 832},  {657, 929},
                              {800, 1131}, {1000, 1414}, {1200, 1697}};
    for (int level = zoomPageH; level <= zoomExtra3; ++level) {
        v.setZoomLevel(TEmfZoomLevel(level));
        EXPECT_EQ(QSize(v.PageWidth(), v.PageHeight()), expected[level]) << "level " << level;
    }
    EXPECT_EQ(zooms, 7);
}

TEST_F(Viewer, SheetsAreCentredOrStartFiveFromTheLeftAndTheTextWidthLevelStartsAtTheText) {
    addPages(2);
    v.setZoomLevel(zoomPageH);
    EXPECT_EQ(v.SheetRect(0), QRect((600 - 283) / 2, 5, 283, 400));
    EXPECT_EQ(v.HorzPosition(), 0);
    v.setZoomLevel(zoomExtra1);
    EXPECT_EQ(v.SheetRect(0).left(), 5 - int(v.HorzPosition()));
    v.setMargLeft(10);
    v.setMargRight(10);
    v.setZoomLevel(zoomTextW);
    EXPECT_EQ(v.HorzPosition(), 34); // Round(657 x 10 / 210) + 3
    EXPECT_EQ(v.InnerRect(0).left(), 2);
    // A margin change at this level changes the sheet's width.
    v.setMargLeft(20);
    EXPECT_EQ(v.PageWidth(), 694);
    v.setMargLeft(0);
    v.setMargRight(0);
    EXPECT_EQ(v.InnerRect(0).width(), v.PageWidth()); // margins of 0: the page fills the sheet
}

TEST_F(Viewer, RangesAndTheEndsOfTheStrip) {
    EXPECT_EQ(v.VertMax(), 0);
    EXPECT_EQ(v.PageNr(), 1); // no pages
    addPages(10);
    EXPECT_EQ(changes, 10);
    EXPECT_EQ(v.VertMax(), 10 * 842 - 410);
    EXPECT_EQ(v.HorzMax(), 0);
    EXPECT_EQ(v.VertBar()->maximum(), 10 * 842 - 410);
    v.setPageNr(3);
    EXPECT_EQ(v.VertPosition(), 2 * 842);
    EXPECT_EQ(v.PageNr(), 3);
    v.setPageNr(99);
    EXPECT_EQ(v.VertPosition(), v.VertMax());
    EXPECT_EQ(v.PageNr(), 10);
    // The bottom of the last slot, 5 pixels below the last sheet, is the bottom of the view.
    const QRect last = v.SheetRect(9);
    EXPECT_EQ(last.top() + last.height(), 410 - 5);
    v.setPageNr(1);
    EXPECT_EQ(v.VertPosition(), 0);
    v.setPageNr(-5);
    EXPECT_EQ(v.VertPosition(), 0);
}

// With sheets much shorter than the view the centre of the view lay below the last sheet, and the
// page number read one past the last page ("2/1").
TEST_F(Viewer, PageNumberStaysWithinThePrintoutWhenTheSheetsAreShorterThanTheView) {
    v.resize(100 + bar, 410); // a narrow view: page-wide sheets are short
    addPages(1);
    ASSERT_LT(v.PageHeight() + 10, 410);
    EXPECT_EQ(v.VertMax(), 0);
    EXPECT_EQ(v.SheetRect(0).top(), 5);
    EXPECT_EQ(v.PageNr(), 1);
}

TEST_F(Viewer, ZoomKeepsTheProportionalPositionAndChangesMoveTheView) {
    addPages(10);
    v.setVertPosition(4005);
    moves = 0;
    v.setZoomLevel(zoomExtra1);
    EXPECT_EQ(v.VertMax(), 10 * 1141 - 410);
    EXPECT_EQ(v.VertPosition(), 5500); // Round(4005 / 8010 x 11000)
    EXPECT_GE(moves, 1);
    v.ZoomIn();
    v.ZoomIn();
    v.ZoomIn();
    EXPECT_EQ(v.ZoomLevel(), zoomExtra3);
    v.setPageNr(4);
    v.ZoomOut();
    v.ZoomOut();
    v.ZoomOut();
    v.ZoomOut();
    v.ZoomOut();
    v.ZoomOut();
    EXPECT_EQ(v.ZoomLevel(), zoomPageH);
    v.setVertPosition(v.VertPosition() + 200);
    v.ZoomOut(); // stays at the page-height level and snaps to the page under the centre
    EXPECT_EQ(v.ZoomLevel(), zoomPageH);
    EXPECT_EQ(v.VertPosition() % 410, 0);
}

// A view 10 pixels high or less gave a sheet height of 0 (or less) at the page-height level, and
// the point mapping divided by it.
TEST_F(Viewer, AViewTooSmallForASheetMapsPointsWithoutDividingByZero) {
    addPages(3);
    v.setZoomLevel(zoomPageH);
    v.resize(bar + 3, 8);
    EXPECT_GE(v.PageHeight(), 1);
    EXPECT_GE(v.PageWidth(), 1);
    const PagePoint at = v.PointToPage(1, 4);
    EXPECT_TRUE(std::isfinite(at.PageF));
    EXPECT_TRUE(std::isfinite(at.XF));
    EXPECT_GE(v.PageNr(), 1);
    EXPECT_LE(v.PageNr(), 3);
}

// The strip of a printout long enough, at the largest zoom, is taller than an int holds: the
// scroll range overflowed and the end of the printout could not be reached.
TEST_F(Viewer, AVeryLongStripScalesTheScrollBarInsteadOfOverflowing) {
    v.resize(20000 + bar, 1000);
    v.setZoomLevel(zoomExtra3);
    addPages(40000);
    const qint64 slot = v.PageHeight() + 10;
    ASSERT_GT(40000 * slot, qint64(INT_MAX));
    EXPECT_EQ(v.VertMax(), 40000 * slot - 1000);
    EXPECT_GT(v.VertBar()->maximum(), 0);
    EXPECT_LE(v.VertBar()->maximum(), INT_MAX);
    key(Qt::Key_End);
    EXPECT_EQ(v.VertPosition(), v.VertMax());
    EXPECT_EQ(v.VertBar()->value(), v.VertBar()->maximum());
    EXPECT_EQ(v.PageNr(), 40000);
    v.VertBar()->setValue(v.VertBar()->maximum() / 2);
    EXPECT_NEAR(double(v.VertPosition()) / double(v.VertMax()), 0.5, 0.01);
    v.setPageNr(30000);
    EXPECT_EQ(v.PageNr(), 30000);
}

TEST_F(Viewer, AClickZoomsInAndADragOfThreePixelsPans) {
    addPages(5);
    v.setZoomLevel(zoomPageH);
    v.setVertPosition(100);
    // Moved by 2 pixels: still a click.
    QTest::mousePress(&v, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(&v, QPoint(302, 198));
    QTest::mouseRelease(&v, Qt::LeftButton, {}, QPoint(302, 198));
    EXPECT_EQ(v.ZoomLevel(), zoomPageAvg);
    // Moved by 3 pixels: the strip follows the hand at three times the movement, no zoom.
    const qint64 before = v.VertPosition();
    QTest::mousePress(&v, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(&v, QPoint(300, 197));
    QTest::mouseMove(&v, QPoint(300, 187));
    QTest::mouseRelease(&v, Qt::LeftButton, {}, QPoint(300, 187));
    EXPECT_EQ(v.ZoomLevel(), zoomPageAvg);
    EXPECT_EQ(v.VertPosition(), before + 3 * 13);
    EXPECT_EQ(v.HorzPosition(), 0); // no sideways drag below the first extra level
    // A right click zooms out.
    QTest::mouseClick(&v, Qt::RightButton, {}, QPoint(300, 200));
    EXPECT_EQ(v.ZoomLevel(), zoomPageH);
}

TEST_F(Viewer, AClickKeepsThePointUnderTheCursor) {
    addPages(5);
    v.setZoomLevel(zoomExtra1);
    v.setVertPosition(2000);
    v.setHorzPosition(50);
    const QPoint at(420, 150);
    const PagePoint before = v.PointToPage(at.x(), at.y());
    QTest::mouseClick(&v, Qt::LeftButton, {}, at);
    ASSERT_EQ(v.ZoomLevel(), zoomExtra2);
    const PagePoint after = v.PointToPage(at.x(), at.y());
    EXPECT_NEAR(after.PageF, before.PageF, 1.5 / v.PageHeight());
    EXPECT_NEAR(after.XF, before.XF, 1.5 / v.PageWidth());
}

TEST_F(Viewer, KeysScrollAndZoom) {
    addPages(10);
    key(Qt::Key_PageDown);
    EXPECT_EQ(v.VertPosition(), 410);
    QTest::keyClick(&v, Qt::Key_3, Qt::KeypadModifier); // the pad's Page Down
    EXPECT_EQ(v.VertPosition(), 820);
    key(Qt::Key_Up);
    EXPECT_EQ(v.VertPosition(), 790);
    QTest::keyClick(&v, Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(v.VertPosition(), 820);
    key(Qt::Key_PageDown, Qt::ShiftModifier); // Shift: no action
    EXPECT_EQ(v.VertPosition(), 820);
    key(Qt::Key_End);
    EXPECT_EQ(v.VertPosition(), v.VertMax());
    key(Qt::Key_Home);
    EXPECT_EQ(v.VertPosition(), 0);
    // Sideways keys do nothing below the first extra level; above it they move the view.
    key(Qt::Key_End, Qt::ControlModifier);
    key(Qt::Key_Right);
    EXPECT_EQ(v.HorzPosition(), 0);
    v.setZoomLevel(zoomExtra1);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v.HorzPosition(), v.HorzMax());
    key(Qt::Key_Left);
    EXPECT_EQ(v.HorzPosition(), v.HorzMax() - 30);
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(v.HorzPosition(), 0);
    // Zoom keys of the numeric pad.
    QTest::keyClick(&v, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(v.ZoomLevel(), zoomExtra2);
    QTest::keyClick(&v, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(v.ZoomLevel(), zoomExtra1);
    QTest::keyClick(&v, Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_EQ(v.ZoomLevel(), zoomPageH);
    QTest::keyClick(&v, Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(v.ZoomLevel(), zoomPageW);
    v.setVertPosition(900);
    QTest::keyClick(&v, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_EQ(v.VertPosition(), 842); // snapped to the page under the centre
}

TEST_F(Viewer, KeysReachOnKeyDownConsumedOrNot) {
    addPages(3);
    QList<int> seen;
    v.OnKeyDown = [&](QObject*, int& k, Qt::KeyboardModifiers) { seen.append(k); };
    key(Qt::Key_Down);
    QTest::keyClick(&v, Qt::Key_Plus, Qt::KeypadModifier);
    key(Qt::Key_A);
    EXPECT_EQ(seen, (QList<int>{0, Qt::Key_Plus, Qt::Key_A}));
}

TEST_F(Viewer, TheWheelAndTheJumpButtons) {
    addPages(10);
    v.setVertPosition(1000);
    QWheelEvent wheel(QPointF(100, 100), v.mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&v, &wheel);
    EXPECT_EQ(v.VertPosition(), 1090);
    v.BtnBottom()->click();
    EXPECT_EQ(v.VertPosition(), v.VertMax());
    v.BtnTop()->click();
    EXPECT_EQ(v.VertPosition(), 0);
    EXPECT_EQ(v.BtnTop()->geometry(), QRect(600, 0, bar, 15));
    EXPECT_EQ(v.VertBar()->geometry(), QRect(600, 30, bar, 410 - 30));
}

TEST_F(Viewer, ThePagesAreSharedNotCopied) {
    const QList<PagePtr> pages = composedPages(numberedPrintout(200));
    ASSERT_GE(pages.size(), 2);
    const long before = pages.front().use_count();
    for (const PagePtr& p : pages)
        v.AddPage(p);
    EXPECT_EQ(pages.front().use_count(), before + 1);
    EXPECT_EQ(v.Pages().front()->metafile().bytes().constData(),
              pages.front()->metafile().bytes().constData());
    v.ClearPages();
    EXPECT_EQ(pages.front().use_count(), before);
    EXPECT_EQ(v.PageCount(), 0);
    EXPECT_EQ(changes, int(pages.size()) + 1);
    v.ClearPages(); // nothing to clear: no change
    EXPECT_EQ(changes, int(pages.size()) + 1);
}
