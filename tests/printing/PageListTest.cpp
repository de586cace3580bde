// Page lists typed in the print dialog and given to the exporter.
#include "printing/PageList.h"

#include <gtest/gtest.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

QString errorOf(const QString& text, int pages) {
    try {
        ParsePageList(text, pages);
    } catch (const Exception& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(PageList, RangesAndSinglePagesInTypedOrder) {
    EXPECT_EQ(ParsePageList(u"5-10, 12, 15"_s, 20), (QList<int>{5, 6, 7, 8, 9, 10, 12, 15}));
    EXPECT_EQ(ParsePageList(u"3,1"_s, 3), (QList<int>{3, 1}));
    EXPECT_EQ(ParsePageList(u"2,2"_s, 3), (QList<int>{2, 2}));
    EXPECT_EQ(ParsePageList(u"7-"_s, 9), (QList<int>{7}));
    // Blanks are skipped inside numbers and a second dash only keeps the range open.
    EXPECT_EQ(ParsePageList(u"1 2"_s, 20), (QList<int>{12}));
    EXPECT_EQ(ParsePageList(u"1-3-5"_s, 40).size(), 35);
}

TEST(PageList, ErrorsCarryTheUsersText) {
    EXPECT_EQ(errorOf(u""_s, 5), u"Nie podano zestawu stron !"_s);
    EXPECT_EQ(errorOf(u"10-5"_s, 20), u"Podany zakres stron (10-5) jest nieprawidłowy !"_s);
    EXPECT_EQ(errorOf(u"4, 9"_s, 5), u"Nieprawidłowy numer strony: 9 !"_s);
    EXPECT_EQ(errorOf(u"0"_s, 5), u"Nieprawidłowy numer strony: 0 !"_s);
    EXPECT_EQ(errorOf(u"-5"_s, 5), u"Podane numery stron (-5)\rsą nieprawidłowe !"_s);
    EXPECT_EQ(errorOf(u"abc"_s, 5), u"Podane numery stron (abc)\rsą nieprawidłowe !"_s);
}

TEST(PageList, EmptyItemsAndHugeNumbersAreConversionErrors) {
    EXPECT_THROW(ParsePageList(u",5"_s, 9), EConvertError);
    EXPECT_THROW(ParsePageList(u"1,,2"_s, 9), EConvertError);
    EXPECT_THROW(ParsePageList(u"99999999999"_s, 9), EConvertError);
}

// A huge range must fail at the first page past the end, not collect a billion numbers first.
TEST(PageList, HugeRangeStopsAtTheEnd) {
    EXPECT_EQ(errorOf(u"1-2000000000"_s, 3), u"Nieprawidłowy numer strony: 4 !"_s);
}

TEST(PageList, RangesBeforeThePageCountIsKnown) {
    EXPECT_EQ(ParsePageRanges(u"5-10, 12"_s), (QList<PageRange>{{5, 10}, {12, 12}}));
    EXPECT_EQ(ParsePageRanges(u"1-2000000000"_s), (QList<PageRange>{{1, 2000000000}}));
    EXPECT_THROW(ParsePageRanges(u"0-3"_s), EPrintDlgError);
    EXPECT_THROW(ParsePageRanges(u"8-3"_s), EPrintDlgError);
    EXPECT_THROW(ParsePageRanges(u"x"_s), EPrintDlgError);
}
