// The text of a page with its boxes, folding for search, and where a text is found on a page.
#include "platform/PageText.h"
#include "ViewingSupport.h"
#include "viewing/PageSearch.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace vek;
using namespace vektest;
using namespace Qt::StringLiterals;

TEST(PageText, LinesInReadingOrderWithABoxForEveryCharacter) {
    const QList<PagePtr> pages =
        composedPages(linesPrintout({u"Pierwsza linia"_s, u"Druga"_s, u"Trzecia"_s}));
    ASSERT_EQ(pages.size(), 1);
    const PageText t = extractPageText(*pages.front());
    EXPECT_EQ(t.text, u"Pierwsza linia\nDruga\nTrzecia"_s);
    ASSERT_EQ(t.boxes.size(), t.text.size());
    for (qsizetype i = 0; i < t.text.size(); ++i) {
        const bool inserted = t.text.at(i) == u'\n';
        EXPECT_EQ(t.boxes.at(i).isEmpty(), inserted) << i;
    }
    // Characters advance to the right on one line; lines go down the page, inside it.
    EXPECT_LT(t.boxes.at(0).left(), t.boxes.at(1).left());
    EXPECT_DOUBLE_EQ(t.boxes.at(0).top(), t.boxes.at(1).top());
    EXPECT_GT(t.boxes.at(15).top(), t.boxes.at(0).top());
    EXPECT_TRUE(QRectF(0, 0, 1429, 2000).contains(t.boxes.at(0)));
}

TEST(PageText, DamagedBytesGiveWhatCanBeRead) {
    const QList<PagePtr> pages = composedPages(linesPrintout({u"Ala ma kota"_s}));
    QByteArray bytes = pages.front()->metafile().bytes();
    EXPECT_TRUE(extractPageText(QByteArrayView()).text.isEmpty());
    EXPECT_TRUE(extractPageText(QByteArrayView(bytes).first(40)).text.isEmpty());
    QRandomGenerator random(7);
    for (int round = 0; round < 200; ++round) {
        QByteArray damaged = bytes;
        for (int k = 0; k < 8; ++k)
            damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        const PageText t = extractPageText(QByteArrayView(damaged));
        EXPECT_EQ(t.boxes.size(), t.text.size());
    }
}

TEST(PageSearchFolding, CaseAndDiacriticsFoldOneUnitForOne) {
    EXPECT_EQ(foldForSearch(u"Żółw ŁĄKA ĆMA źdźbło Ę"_s), u"zolw laka cma zdzblo e"_s);
    EXPECT_EQ(foldForSearch(u"Straße Øre Đak"_s), u"strase ore dak"_s);
    EXPECT_EQ(foldForSearch(u"a\nb\tc\u00a0d"_s), u"a b c d"_s);
    const QString withPair = u"x\U0001F600y"_s; // a surrogate pair stays as it is
    EXPECT_EQ(foldForSearch(withPair), withPair);
}

TEST(PageSearchFolding, FindAllGivesPlacesThatDoNotOverlap) {
    EXPECT_EQ(findAll(u"aaaa"_s, u"aa"_s), (QList<int>{0, 2}));
    EXPECT_EQ(findAll(u"zolw i zolwie"_s, u"zolw"_s), (QList<int>{0, 7}));
    EXPECT_TRUE(findAll(u"abc"_s, QString()).isEmpty());
    EXPECT_TRUE(findAll(QString(), u"a"_s).isEmpty());
}

TEST(PageSearchFolding, MarksJoinCharactersOfOneLine) {
    PageText t;
    t.text = u"ab\ncd"_s;
    t.boxes = {QRectF(10, 100, 5, 20), QRectF(15, 100, 6, 20), QRectF(), QRectF(10, 130, 5, 20),
               QRectF(15, 130, 5, 20)};
    EXPECT_EQ(matchRects(t, 0, 2), (QList<QRectF>{QRectF(10, 100, 11, 20)}));
    EXPECT_EQ(matchRects(t, 1, 3), (QList<QRectF>{QRectF(15, 100, 6, 20), QRectF(10, 130, 5, 20)}));
    EXPECT_TRUE(matchRects(t, 4, 10).size() == 1); // cut at the end of the text
    EXPECT_TRUE(matchRects(t, -3, 2).isEmpty());
}
