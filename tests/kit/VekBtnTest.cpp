#include "kit/VekBtn.h"
#include "KitTestUtil.h"
#include "kit/KitFonts.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace vek;
using kittest::inkBox;
using kittest::shot;

namespace {

// Strongly coloured pixels: the coloured key caps.
bool saturated(QColor c) {
    return c.saturation() > 100 && c.value() > 60;
}

bool dark(QColor c) {
    return c.value() < 60;
}

struct Host {
    QWidget parent;
    TVekBtn* btn;
    Host(QSize size, TVekBtnTyp typ = sbWlasny, const QString& opis = {}) {
        parent.resize(300, 200);
        btn = new TVekBtn(&parent);
        btn->setGeometry(QRect(QPoint(10, 10), size));
        btn->setTyp(typ);
        btn->setOpis(opis);
    }
};

} // namespace

TEST(VekBtn, ChoosesItsLayoutFromItsSize) {
    TVekBtn b;
    EXPECT_EQ(b.size(), QSize(40, 33));
    EXPECT_EQ(b.Typ(), sbWlasny);
    EXPECT_EQ(b.layout(), TVekBtn::PictureAbove);
    b.resize(70, 33);
    EXPECT_EQ(b.layout(), TVekBtn::PictureAbove);
    b.resize(15, 11);
    EXPECT_EQ(b.layout(), TVekBtn::PictureLeft);
    b.resize(140, 18);
    EXPECT_EQ(b.layout(), TVekBtn::PictureLeft);
    b.resize(30, 61);
    EXPECT_EQ(b.layout(), TVekBtn::PictureBelow);
    b.resize(30, 60);
    EXPECT_EQ(b.layout(), TVekBtn::PictureAbove);
    b.setKolor(7);
    EXPECT_EQ(b.Kolor(), 4);
    b.setKolor(-1);
    EXPECT_EQ(b.Kolor(), 0);
}

TEST(VekBtn, KeyCapSitsCentredAtTheTopWithTheCaptionBelow) {
    Host h({70, 33}, sbF7, QStringLiteral("Dodaj"));
    const QImage img = shot(*h.btn);
    const QRect cap = inkBox(img, saturated);
    EXPECT_EQ(cap, QRect(24, 2, 22, 17)); // x = (70 - 22) div 2, y = Margines
    const QRect text = inkBox(img, dark, QRect(2, 20, 66, 11));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), 35, 2);
}

TEST(VekBtn, DisabledButtonUsesGreyCellsAndAnEngravedCaption) {
    Host h({70, 33}, sbF7, QStringLiteral("Dodaj"));
    h.btn->setEnabled(false);
    const QImage img = shot(*h.btn);
    EXPECT_TRUE(inkBox(img, saturated).isEmpty());
    const QRect textArea(2, 19, 66, 12);
    const QRect light = inkBox(
        img, [](QColor c) { return c.value() >= 250; }, textArea);
    const QRect shadow = inkBox(
        img, [](QColor c) { return c.value() <= 150; }, textArea);
    ASSERT_FALSE(light.isEmpty());
    ASSERT_FALSE(shadow.isEmpty());
    EXPECT_NEAR(light.bottom() - shadow.bottom(), 1, 1);
    EXPECT_NEAR(light.right() - shadow.right(), 1, 1);
    EXPECT_TRUE(inkBox(img, dark, textArea).isEmpty()); // no black caption
}

TEST(VekBtn, NegativeMarginCentresTheCaptionOfALowButton) {
    Host h({140, 18}, sbWlasny, QStringLiteral("Dwustronnie"));
    h.btn->setMargines(-1);
    QRect text = inkBox(shot(*h.btn), dark, QRect(2, 2, 136, 14));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), 70, 2);
    h.btn->setMargines(2);
    text = inkBox(shot(*h.btn), dark, QRect(2, 2, 136, 14));
    EXPECT_LE(text.left(), 4);
}

TEST(VekBtn, TallNarrowButtonWritesItsCaptionUpwards) {
    Host h({30, 110}, sbF9, QStringLiteral("Podgląd"));
    const QImage img = shot(*h.btn);
    const QRect cap = inkBox(img, saturated);
    EXPECT_EQ(cap, QRect(4, 110 - 17 - 2, 22, 17));
    const QRect text = inkBox(img, dark, QRect(2, 2, 26, 110 - 17 - 4 - 2));
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GT(text.height(), 2 * text.width());
    EXPECT_NEAR(text.center().x(), 15, 2);
}

TEST(VekBtn, OwnPictureShowsItsLeftHalfOrWhenDisabledItsRightHalf) {
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(Qt::magenta); // the key colour, from the top-left pixel
    for (int x = 2; x < 8; ++x) {
        pic.setPixelColor(x, 5, Qt::red);
        pic.setPixelColor(x + 10, 5, Qt::blue);
    }
    Host h({100, 75}, sbWlasny, QString());
    h.btn->setIkonka(QPixmap::fromImage(pic));
    QImage img = shot(*h.btn);
    EXPECT_EQ(inkBox(img, kittest::is(Qt::red)), QRect(45 + 2, 2 + 5, 6, 1));
    EXPECT_TRUE(inkBox(img, kittest::is(Qt::magenta)).isEmpty());
    h.btn->setEnabled(false);
    img = shot(*h.btn);
    EXPECT_TRUE(inkBox(img, kittest::is(Qt::red)).isEmpty());
    EXPECT_EQ(inkBox(img, kittest::is(Qt::blue)), QRect(45 + 2, 2 + 5, 6, 1));
}

TEST(VekBtn, MarlettCaptionDrawsArrowGlyphs) {
    Host h({15, 11}, sbWlasny, QStringLiteral("6"));
    h.btn->setKolor(3);
    h.btn->setFont(kitFont(QStringLiteral("Marlett"), -11));
    const QRect arrow = inkBox(shot(*h.btn), kittest::is(Qt::black));
    ASSERT_FALSE(arrow.isEmpty());
    EXPECT_EQ(arrow.width(), 7); // the down arrow's base
}

TEST(VekBtn, FrameFollowsHotPressedAndShowFrame) {
    Host h({70, 33}, sbF7, QStringLiteral("Dodaj"));
    // Raised inner edge: white top-left, grey bottom-right.
    QImage img = shot(*h.btn);
    EXPECT_EQ(img.pixelColor(5, 0), sys::btnHighlight);
    EXPECT_EQ(img.pixelColor(5, 32), sys::btnShadow);
    kittest::enter(*h.btn);
    EXPECT_TRUE(h.btn->Hot());
    img = shot(*h.btn);
    EXPECT_EQ(img.pixelColor(5, 32), sys::btnDkShadow); // both edges when hot
    QTest::mousePress(h.btn, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_TRUE(h.btn->Pressed());
    img = shot(*h.btn);
    EXPECT_EQ(img.pixelColor(5, 0), sys::btnShadow); // sunken
    EXPECT_EQ(inkBox(img, saturated).topLeft(), QPoint(25, 3));
    QTest::mouseRelease(h.btn, Qt::RightButton, {}, QPoint(30, 15));
    EXPECT_FALSE(h.btn->Pressed());

    h.btn->setShowFrame(false);
    kittest::leave(*h.btn);
    img = shot(*h.btn);
    EXPECT_EQ(img.pixelColor(5, 0), controlColor(&h.parent));
    kittest::enter(*h.btn);
    EXPECT_EQ(shot(*h.btn).pixelColor(5, 0), sys::btnHighlight);
    h.btn->setEnabled(false);
    EXPECT_EQ(shot(*h.btn).pixelColor(5, 0), controlColor(&h.parent));
}

TEST(VekBtn, LatchedButtonFillsWithColorDownAndLooksSunk) {
    Host h({140, 18}, sbWlasny, QStringLiteral("Kolor"));
    h.btn->setColorDown(QColor(255, 255, 192));
    h.btn->setDown(true);
    const QImage img = shot(*h.btn);
    EXPECT_EQ(img.pixelColor(70, 3), QColor(255, 255, 192));
    EXPECT_EQ(img.pixelColor(5, 0), sys::btnShadow);
}

TEST(VekBtn, ClickCallsTheHandlerAndClearsTheStateEvenWhenItThrows) {
    Host h({70, 33}, sbF7, QStringLiteral("Dodaj"));
    int clicks = 0;
    h.btn->OnClick = [&](QObject* s) {
        EXPECT_EQ(s, h.btn);
        ++clicks;
    };
    kittest::enter(*h.btn);
    QTest::mouseClick(h.btn, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(h.btn->Hot());
    EXPECT_FALSE(h.btn->Pressed());
    // Dragged out, it pops up; released outside: no click.
    kittest::enter(*h.btn);
    QTest::mousePress(h.btn, Qt::LeftButton, {}, QPoint(30, 15));
    QMouseEvent out(QEvent::MouseMove, QPointF(100, 15), h.btn->mapToGlobal(QPointF(100, 15)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h.btn, &out);
    EXPECT_FALSE(h.btn->Hot());
    EXPECT_EQ(shot(*h.btn).pixelColor(5, 0), sys::btnHighlight); // raised again
    QTest::mouseRelease(h.btn, Qt::LeftButton, {}, QPoint(100, 15));
    EXPECT_EQ(clicks, 1);
    // A double click counts as a second click.
    QTest::mouseClick(h.btn, Qt::LeftButton, {}, QPoint(30, 15));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(30, 15), h.btn->mapToGlobal(QPointF(30, 15)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(h.btn, &dbl);
    QTest::mouseRelease(h.btn, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_EQ(clicks, 3);

    h.btn->OnClick = [](QObject*) { throw std::runtime_error("handler failed"); };
    kittest::enter(*h.btn);
    QTest::mousePress(h.btn, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_THROW(h.btn->Click(), std::runtime_error);
    EXPECT_FALSE(h.btn->Pressed());
    EXPECT_FALSE(h.btn->Hot());
}

TEST(VekBtn, AcceleratorClicksOnlyAVisibleEnabledButton) {
    Host h({90, 33}, sbD, QStringLiteral("&Drukuj"));
    int clicks = 0;
    h.btn->OnClick = [&](QObject*) { ++clicks; };
    h.parent.show();
    QApplication::setActiveWindow(&h.parent);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.parent));
    QTest::keyClick(&h.parent, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    QTest::keyClick(&h.parent, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    h.btn->setEnabled(false);
    QTest::keyClick(&h.parent, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    h.btn->setEnabled(true);
    h.btn->setOpis(QStringLiteral("&Anuluj"));
    QTest::keyClick(&h.parent, Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(&h.parent, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
}

TEST(VekBtn, CustomPaintRunsBeforeTheFrameOnTheInnerRectangle) {
    Host h({70, 33}, sbF7, QStringLiteral("Dodaj"));
    QRect seen;
    h.btn->OnPaint = [&](QObject*, QPainter& p, const QRect& r) {
        seen = r;
        p.fillRect(QRect(0, 0, 70, 33), Qt::green);
    };
    const QImage img = shot(*h.btn);
    EXPECT_EQ(seen, QRect(1, 1, 68, 31));
    EXPECT_EQ(img.pixelColor(5, 0), sys::btnHighlight); // the frame is drawn over it
    EXPECT_EQ(img.pixelColor(30, 15), QColor(Qt::green));
}
