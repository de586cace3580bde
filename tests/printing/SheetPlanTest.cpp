// Sheet plans and the place of a page on a sheet, shared by the print run and the exporter.

#include "printing/SheetPlan.h"

#include <gtest/gtest.h>

using namespace vek;

namespace {

QList<int> upTo(int n) {
    QList<int> pages;
    for (int i = 1; i <= n; ++i)
        pages.append(i);
    return pages;
}

} // namespace

TEST(SheetPlan, BookletOfEightFoldsToReadOneToEight) {
    const QList<SheetRecord> expected{{8, 1, 2, 7}, {6, 3, 4, 5}};
    EXPECT_EQ(PlanSheets(upTo(8), SheetLayout::Booklet, false), expected);
    // Two-sidedness changes nothing for a booklet, which is always printed on both sides.
    EXPECT_EQ(PlanSheets(upTo(8), SheetLayout::Booklet, true), expected);
}

TEST(SheetPlan, ShortListsArePaddedWithEmptySlots) {
    EXPECT_EQ(PlanSheets(upTo(5), SheetLayout::Booklet, false),
              (QList<SheetRecord>{{0, 1, 2, 0}, {0, 3, 4, 5}}));
    EXPECT_EQ(PlanSheets(upTo(3), SheetLayout::Normal, true),
              (QList<SheetRecord>{{1, 0, 2, 0}, {3, 0, 0, 0}}));
    EXPECT_EQ(PlanSheets(upTo(3), SheetLayout::Reduced, false),
              (QList<SheetRecord>{{1, 2, 0, 0}, {3, 0, 0, 0}}));
    EXPECT_EQ(PlanSheets(upTo(5), SheetLayout::Reduced, true),
              (QList<SheetRecord>{{1, 2, 3, 4}, {5, 0, 0, 0}}));
    EXPECT_TRUE(PlanSheets({}, SheetLayout::Booklet, false).isEmpty());
}

TEST(SheetPlan, SlotsHoldThePagesInTheOrderTypedWithRepeats) {
    EXPECT_EQ(PlanSheets({3, 1, 3}, SheetLayout::Normal, false),
              (QList<SheetRecord>{{3, 0, 0, 0}, {1, 0, 0, 0}, {3, 0, 0, 0}}));
    EXPECT_EQ(PlanSheets({9, 4}, SheetLayout::Reduced, false), (QList<SheetRecord>{{9, 4, 0, 0}}));
}

TEST(SheetPlan, ForBookletsOfFortyPagesTenSheets) {
    EXPECT_EQ(PlanSheets(upTo(40), SheetLayout::Booklet, false).size(), 10);
    EXPECT_EQ(PlanSheets(upTo(36), SheetLayout::Booklet, false).size(), 9);
}

TEST(SheetPlan, MarginsAreMeasuredFromThePaperEdges) {
    // A4 at 254 dpi is 2100 x 2970 pixels; a millimetre is 10 pixels.
    const QSize sheet(2100, 2970);
    const QRect page = pageRectOnSheet(SheetMargins{15, 10, 10, 25}, sheet, 254, 254);
    EXPECT_EQ(page, QRect(QPoint(100, 150), QPoint(2100 - 100 - 1, 2970 - 250 - 1)));

    const QSize landscape(2970, 2100);
    const auto [left, right] = halvesOfSheet(SheetMargins{15, 10, 20, 25}, landscape, 254, 254);
    // Each half keeps both side margins around the middle of the sheet.
    EXPECT_EQ(left.left(), 100);
    EXPECT_EQ(left.right(), 1485 - 200 - 1);
    EXPECT_EQ(right.left(), 1485 + 100);
    EXPECT_EQ(right.right(), 2970 - 200 - 1);
    EXPECT_EQ(left.top(), right.top());
    EXPECT_EQ(left.bottom(), 2100 - 250 - 1);
}
