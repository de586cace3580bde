#include "kit/HintBar.h"
#include "KitTestUtil.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace vek;
using kittest::inkBox;
using kittest::is;
using kittest::shot;

namespace {

const QColor green(0, 255, 0), red(255, 0, 0), yellow(255, 255, 0), silver(192, 192, 192),
    white(255, 255, 255);

struct Bar {
    THintBar hb;
    Bar(int w = 400) {
        hb.resize(w, 24);
        hb.show(); // resize events reach visible widgets only
        hb.setTextCancel(QStringLiteral("Zamknij"));
    }
};

} // namespace

TEST(HintBar, LaysOutHelpAndCancelAroundTheTextZone) {
    Bar b;
    EXPECT_EQ(b.hb.btnHelp()->geometry(), QRect(2, 2, 75, 20));
    EXPECT_EQ(b.hb.btnCancel()->geometry(), QRect(323, 2, 75, 20));
    EXPECT_EQ(b.hb.btnAccept()->height(), 0);
    EXPECT_FALSE(b.hb.btnAccept()->isVisibleTo(&b.hb));
    EXPECT_EQ(b.hb.LeftEdge(), 80);
    EXPECT_EQ(b.hb.RightEdge(), 320);

    b.hb.setTextAccept(QStringLiteral("&Drukuj"));
    b.hb.setBtnWidth(90);
    EXPECT_EQ(b.hb.btnCancel()->geometry(), QRect(308, 2, 90, 20));
    EXPECT_EQ(b.hb.btnAccept()->geometry(), QRect(215, 2, 90, 20));
    EXPECT_EQ(b.hb.LeftEdge(), 95);
    EXPECT_EQ(b.hb.RightEdge(), 212);

    b.hb.setHelpButton(false);
    EXPECT_EQ(b.hb.btnHelp()->height(), 0);
    EXPECT_EQ(b.hb.LeftEdge(), 2);

    b.hb.resize(500, 30); // y = (30 - 20) div 2 = 5
    EXPECT_EQ(b.hb.btnCancel()->geometry(), QRect(405, 5, 90, 20));
    EXPECT_EQ(b.hb.LeftEdge(), 5);
}

TEST(HintBar, ColourTagsSplitOnlyAtKnownWords) {
    const QList<HintTextPart> parts =
        splitColourTags(QStringLiteral("50#% #BLUE# a#RED#b#NORMAL##YELLOW#c#"));
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0].text, QStringLiteral("50#% #BLUE# a"));
    EXPECT_EQ(parts[0].tag, HintTextPart::Red);
    EXPECT_EQ(parts[1].text, QStringLiteral("b"));
    EXPECT_EQ(parts[1].tag, HintTextPart::Normal);
    EXPECT_EQ(parts[2].text, QString());
    EXPECT_EQ(parts[2].tag, HintTextPart::Yellow);
    EXPECT_EQ(parts[3].text, QStringLiteral("c#"));
    EXPECT_EQ(parts[3].tag, HintTextPart::None);
    EXPECT_EQ(stripColourTags(QStringLiteral("#RED#x#red#")), QStringLiteral("x#red#"));
}

TEST(HintBar, CentredTextChangesColourAtTags) {
    Bar b;
    b.hb.setTextCenter(QStringLiteral("MMM#RED#WWW"));
    QImage img = shot(b.hb);
    const QRect greenBox = inkBox(img, is(green));
    const QRect redBox = inkBox(img, is(red), QRect(80, 0, 240, 24)); // not the Cancel cross
    ASSERT_FALSE(greenBox.isEmpty());
    ASSERT_FALSE(redBox.isEmpty());
    EXPECT_LT(greenBox.right(), redBox.left());
    // Centred in the zone 80..320.
    const int mid = (greenBox.left() + redBox.right()) / 2;
    EXPECT_NEAR(mid, 200, 3);

    b.hb.setActive(false);
    img = shot(b.hb);
    EXPECT_TRUE(inkBox(img, is(green)).isEmpty());
    EXPECT_TRUE(inkBox(img, is(red), QRect(80, 0, 240, 24)).isEmpty());
    EXPECT_FALSE(inkBox(img, is(silver), QRect(80, 0, 240, 24)).isEmpty());
}

TEST(HintBar, AlarmStyleDrawsRedWithAYellowCopy) {
    Bar b;
    b.hb.setTextCenter(QStringLiteral("Błąd"));
    b.hb.setErrorState(true);
    const QImage img = shot(b.hb);
    const QRect zone(80, 0, 240, 24);
    const QRect redBox = inkBox(img, is(red), zone);
    const QRect yellowBox = inkBox(img, is(yellow), zone);
    ASSERT_FALSE(redBox.isEmpty());
    ASSERT_FALSE(yellowBox.isEmpty());
    EXPECT_TRUE(inkBox(img, is(green), zone).isEmpty());
    EXPECT_EQ(yellowBox.topLeft() - redBox.topLeft(), QPoint(1, 1));

    b.hb.ShowStatus(QStringLiteral("Gotowe"));
    EXPECT_FALSE(b.hb.ErrorState());
    EXPECT_EQ(b.hb.TextCenter(), QStringLiteral("Gotowe"));
}

TEST(HintBar, WideCentredTextStartsAtTheZoneAndIsClipped) {
    Bar b;
    b.hb.setTextLeft(QStringLiteral("L"));
    b.hb.setTextRight(QStringLiteral("R"));
    b.hb.setTextCenter(QString(60, u'M'));
    const QImage img = shot(b.hb);
    const QRect whiteBox = inkBox(img, is(white), QRect(80, 0, 240, 24));
    const QRect greenBox = inkBox(img, is(green));
    ASSERT_FALSE(greenBox.isEmpty());
    // Left text at the zone's left edge, the centred text right behind it, the right text last.
    EXPECT_GE(whiteBox.left(), 80);
    EXPECT_LE(greenBox.right(), whiteBox.right());
    EXPECT_GT(greenBox.left(), 80);
    EXPECT_LT(greenBox.left(), 95);
    EXPECT_LT(greenBox.right(), 320);
    // Nothing spills between the zone and the Cancel button.
    EXPECT_TRUE(inkBox(
                    img, [](QColor c) { return c != Qt::black; }, QRect(320, 0, 3, 24))
                    .isEmpty());
}

TEST(HintBar, SideAndCentredTextsKeepTheirWholeGlyphs) {
    // With the fonts read as cell heights, each text is clipped only at its own edges: the side
    // texts lose no ink to their clip rectangles and the centred text runs up to the side texts.
    Bar b;
    const QString left = QStringLiteral("Wyjątek j"), right = QStringLiteral("gój W"),
                  centre = QStringLiteral("Wyjąj");
    b.hb.setTextLeft(left);
    b.hb.setTextRight(right);
    b.hb.setTextCenter(centre);
    const QImage img = shot(b.hb);
    // The same texts drawn freely, where the bar places them.
    const QFontMetrics side(THintBar::sideFont()), mid(THintBar::centerFont());
    QImage free(img.size(), QImage::Format_RGB32);
    free.fill(Qt::black);
    QPainter p(&free);
    p.setPen(white);
    p.setFont(THintBar::sideFont());
    const int baseline = (24 - side.height()) / 2 + side.ascent();
    p.drawText(b.hb.LeftEdge(), baseline, left);
    p.drawText(b.hb.RightEdge() - side.horizontalAdvance(right), baseline, right);
    const int l = b.hb.LeftEdge() + side.horizontalAdvance(left);
    const int r = b.hb.RightEdge() - side.horizontalAdvance(right);
    p.setPen(green);
    p.setFont(THintBar::centerFont());
    p.drawText(std::max(l, (l + r - mid.horizontalAdvance(centre)) / 2),
               (24 - mid.height()) / 2 + mid.ascent(), centre);
    p.end();
    const QRect zone(b.hb.LeftEdge(), 0, b.hb.RightEdge() - b.hb.LeftEdge(), 24);
    EXPECT_EQ(inkBox(img, is(white), zone), inkBox(free, is(white), zone));
    EXPECT_EQ(inkBox(img, is(green), zone), inkBox(free, is(green), zone));
    // The glyphs fit the bar: descenders and accents are not cut at its top or bottom.
    const QRect ink = inkBox(
        img, [](QColor c) { return c.value() > 0; }, zone);
    EXPECT_GT(ink.top(), 0);
    EXPECT_LT(ink.bottom(), 23);
}

TEST(HintBar, InactiveBarIsGreyWithSilverTextsAndDisabledButtons) {
    Bar b;
    b.hb.setTextLeft(QStringLiteral("Lewy"));
    EXPECT_EQ(shot(b.hb).pixelColor(200, 1), QColor(Qt::black));
    b.hb.setActive(false);
    const QImage img = shot(b.hb);
    EXPECT_EQ(img.pixelColor(200, 1), QColor(128, 128, 128));
    EXPECT_FALSE(inkBox(img, is(silver), QRect(80, 0, 100, 24)).isEmpty());
    EXPECT_TRUE(inkBox(img, is(white), QRect(80, 0, 100, 24)).isEmpty());
    EXPECT_FALSE(b.hb.btnCancel()->isEnabled());
    EXPECT_FALSE(b.hb.btnHelp()->isEnabled());
    int calls = 0;
    b.hb.OnCancel = [&](QObject*) { ++calls; };
    QTest::mouseClick(b.hb.btnCancel(), Qt::LeftButton);
    EXPECT_EQ(calls, 0);
    b.hb.setActive(true);
    EXPECT_TRUE(b.hb.btnCancel()->isEnabled());
}

TEST(HintBar, ButtonsCallTheirEventsWithTheirSenders) {
    Bar b;
    b.hb.setTextAccept(QStringLiteral("Wybierz"));
    QObject* accept = nullptr;
    QObject* cancel = nullptr;
    QObject* help = nullptr;
    // No handler assigned: clicking does nothing.
    QTest::mouseClick(b.hb.btnHelp(), Qt::LeftButton);
    b.hb.OnAccept = [&](QObject* s) { accept = s; };
    b.hb.OnCancel = [&](QObject* s) { cancel = s; };
    b.hb.OnHelp = [&](QObject* s) { help = s; };
    QTest::mouseClick(b.hb.btnAccept(), Qt::LeftButton);
    QTest::mouseClick(b.hb.btnCancel(), Qt::LeftButton);
    QTest::mouseClick(b.hb.btnHelp(), Qt::LeftButton);
    EXPECT_EQ(accept, b.hb.btnAccept());
    EXPECT_EQ(cancel, b.hb.btnCancel());
    EXPECT_EQ(help, &b.hb);
    EXPECT_EQ(b.hb.btnAccept()->toolTip(), QStringLiteral("Enter"));
    b.hb.setAcceptHint(QStringLiteral("Alt+D"));
    EXPECT_EQ(b.hb.btnAccept()->toolTip(), QStringLiteral("Alt+D"));
    EXPECT_EQ(b.hb.focusPolicy(), Qt::NoFocus);
}

TEST(HintBar, ShowLeftNowPaintsAtOnceAndTheBarDocksAtTheBottom) {
    QWidget parent;
    parent.resize(300, 200);
    auto* hb = new THintBar(&parent);
    parent.show();
    EXPECT_EQ(hb->geometry(), QRect(0, 176, 300, 24));
    parent.resize(360, 100);
    EXPECT_EQ(hb->geometry(), QRect(0, 76, 360, 24));
    hb->ShowLeftNow(QStringLiteral("Strona 1"));
    EXPECT_EQ(hb->TextLeft(), QStringLiteral("Strona 1"));
}
