#include "KitTestUtil.h"
#include "kit/KitFonts.h"
#include "kit/bajery.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

using namespace vek;
using kittest::inkBox;
using kittest::shot;

namespace {

// A parent that counts the mouse presses it receives itself.
class PressCounter : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        ++presses;
        e->accept();
    }
};

} // namespace

TEST(PanelEx, TransparentHitTestHandsTheMouseToTheParent) {
    PressCounter parent;
    parent.resize(200, 100);
    auto* panel = new TPanelEx(&parent);
    panel->setGeometry(10, 10, 100, 50);
    int downs = 0;
    panel->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
    QPoint seen;
    panel->OnHitTest = [&](QObject*, int x, int y, int& result) {
        seen = QPoint(x, y);
        EXPECT_EQ(result, HTCLIENT);
        result = HTTRANSPARENT;
    };
    parent.show();
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 1);
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(seen, panel->mapToGlobal(QPoint(5, 5)));

    panel->OnHitTest = nullptr;
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 1);
    EXPECT_EQ(downs, 1);
}

TEST(PanelEx, APressInTheClientAreaHoldsTheMouseUntilReleased) {
    PressCounter parent;
    parent.resize(200, 100);
    auto* panel = new TPanelEx(&parent);
    panel->setGeometry(10, 10, 100, 50);
    // Transparent right of x = 50 only.
    panel->OnHitTest = [panel](QObject*, int x, int, int& result) {
        if (panel->mapFromGlobal(QPoint(x, 0)).x() > 50) {
            result = HTTRANSPARENT;
        }
    };
    QList<int> moves;
    panel->OnMouseMove = [&](QObject*, Qt::KeyboardModifiers, int x, int) { moves.append(x); };
    parent.show();
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent drag(QEvent::MouseMove, QPointF(80, 5), panel->mapToGlobal(QPointF(80, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &drag);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(80, 5));
    QMouseEvent hover(QEvent::MouseMove, QPointF(90, 5), panel->mapToGlobal(QPointF(90, 5)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &hover);
    EXPECT_EQ(moves, QList<int>{80});
    EXPECT_EQ(parent.presses, 0);
}

TEST(PanelEx, NonClientAnswersFireTheNonClientEvents) {
    TPanelEx panel;
    panel.OnHitTest = [](QObject*, int, int, int& result) { result = HTCAPTION; };
    int ncUp = 0, ncDbl = 0, clicks = 0;
    panel.OnNCLMouseUp = [&](QObject*) { ++ncUp; };
    panel.OnNCLMouseDblClk = [&](QObject*) { ++ncDbl; };
    panel.OnClick = [&](QObject*) { ++clicks; };
    panel.show();
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), panel.mapToGlobal(QPointF(5, 5)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &dbl);
    EXPECT_EQ(ncUp, 1);
    EXPECT_EQ(ncDbl, 1);
    EXPECT_EQ(clicks, 0);

    panel.OnHitTest = nullptr;
    QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ncUp, 1);
}

TEST(PanelEx, CursorEventChoosesTheCursorForTheHitCode) {
    TPanelEx panel;
    panel.setCursor(Qt::PointingHandCursor);
    panel.OnHitTest = [](QObject*, int, int, int& result) { result = HTBOTTOMRIGHT; };
    bool choose = true;
    panel.OnSetCursor = [&](QObject*, int hit, std::optional<Qt::CursorShape>& result) {
        EXPECT_EQ(hit, HTBOTTOMRIGHT);
        if (choose) {
            result = Qt::SizeFDiagCursor;
        }
    };
    panel.show();
    QTest::mouseMove(&panel, QPoint(6, 6));
    QMouseEvent move(QEvent::MouseMove, QPointF(7, 7), panel.mapToGlobal(QPointF(7, 7)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&panel, &move);
    EXPECT_EQ(panel.cursor().shape(), Qt::SizeFDiagCursor);
    choose = false;
    QCoreApplication::sendEvent(&panel, &move);
    EXPECT_EQ(panel.cursor().shape(), Qt::PointingHandCursor);
}

TEST(PanelEx, MinWidthStopsSizingAndResizeEventsSeeTheRectangle) {
    QWidget parent;
    parent.resize(300, 200);
    auto* panel = new TPanelEx(&parent);
    panel->setGeometry(10, 10, 150, 40);
    parent.show();
    QRect sized, moved;
    int exits = 0;
    panel->OnPanelResize = [&](QObject*, const QRect& r) { sized = r; };
    panel->OnPanelMove = [&](QObject*, const QRect& r) { moved = r; };
    panel->OnExitSizeMove = [&](QObject*) { ++exits; };
    panel->setMinWidth(100);
    panel->resize(60, 40);
    EXPECT_EQ(panel->width(), 100);
    EXPECT_EQ(sized, QRect(10, 10, 100, 40));
    panel->move(20, 30);
    EXPECT_EQ(moved, QRect(20, 30, 100, 40));
    QCoreApplication::processEvents();
    EXPECT_EQ(exits, 1); // one burst of moving and sizing, one end
}

TEST(PanelEx, AutoHeightFitsTheWrappedSecondCaption) {
    TPanelEx panel;
    panel.resize(120, 40);
    panel.setBorderWidth(2);
    panel.setAutoHeight(true);
    const QString text =
        QStringLiteral("Długi tekst panelu, który na pewno nie zmieści się w jednym wierszu.");
    panel.setCaption2(text);
    const int lineHeight = QFontMetrics(panel.font()).height();
    const QRect wrapped(0, 0, 116, int(wrapText(text, panel.font(), 116).size()) * lineHeight);
    EXPECT_GT(wrapped.height(), lineHeight); // more than one line
    EXPECT_EQ(panel.height(), wrapped.height() + 4);
    // The text is painted inside the border, on the panel colour, without bevels.
    panel.setColor(QColor(255, 255, 224));
    const QImage img = shot(panel);
    EXPECT_EQ(img.pixelColor(0, 0), QColor(255, 255, 224));
    const QRect ink = inkBox(img, [](QColor c) { return c.value() < 100; });
    EXPECT_GE(ink.left(), 2);
    EXPECT_GE(ink.top(), 2);
    EXPECT_LE(ink.bottom(), panel.height() - 3);
    // Without AutoHeight the height stays.
    panel.setAutoHeight(false);
    panel.setCaption2(text + text);
    EXPECT_EQ(panel.height(), wrapped.height() + 4);
}

TEST(PanelEx, WrappingBreaksAtBlanksLongWordsAndLineBreaks) {
    const QFont font = kitFont(QStringLiteral("MS Sans Serif"), -11);
    const QFontMetrics fm(font);
    QStringList lines =
        wrapText(QStringLiteral("ala ma kota"), font, fm.horizontalAdvance(QStringLiteral("ala ma")) + 1);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].trimmed(), QStringLiteral("ala ma"));
    EXPECT_EQ(lines[1], QStringLiteral("kota"));
    // A word wider than the box is broken inside.
    lines = wrapText(QStringLiteral("Niepodległościowy"), font, 30);
    EXPECT_GT(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()), QStringLiteral("Niepodległościowy"));
    for (const QString& l : lines) {
        EXPECT_LE(fm.horizontalAdvance(l), 30);
    }
    lines = wrapText(QStringLiteral("a\r\nb\rc\n\nd"), font, 200);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString(),
                                  QStringLiteral("d")}));
}

TEST(PanelEx, EmptySecondCaptionPaintsThePlainPanel) {
    TPanelEx panel;
    panel.resize(100, 30);
    panel.setCaption(QStringLiteral("Napis"));
    bool erased = false;
    panel.OnEraseBkgnd = [&](QObject*, bool& doErase) { erased = doErase; };
    QImage img = shot(panel);
    EXPECT_TRUE(erased);
    EXPECT_EQ(img.pixelColor(0, 0), sys::btnHighlight);
    EXPECT_EQ(img.pixelColor(99, 29), sys::btnShadow);
    EXPECT_EQ(img.pixelColor(3, 3), sys::btnFace);
    const QRect ink = inkBox(img, [](QColor c) { return c.value() < 100; });
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), 50, 2);
    EXPECT_NEAR(ink.center().y(), 15, 2);

    panel.setBevelOuter(bvLowered);
    img = shot(panel);
    EXPECT_EQ(img.pixelColor(0, 0), sys::btnShadow);
    EXPECT_EQ(img.pixelColor(99, 29), sys::btnHighlight);

    panel.setCaption2(QStringLiteral("x"));
    shot(panel);
    EXPECT_FALSE(erased);
}

TEST(PanelEx, PaintEventsCanReplaceAndDecorateThePainting) {
    TPanelEx panel;
    panel.resize(50, 20);
    int after = 0;
    panel.OnBeforePaint = [](QObject*, QPainter& p, bool& doDefault) {
        doDefault = false;
        p.fillRect(QRect(0, 0, 50, 20), Qt::blue);
    };
    panel.OnAfterPaint = [&](QObject*, QPainter& p) {
        ++after;
        p.fillRect(QRect(0, 0, 5, 5), Qt::red);
    };
    const QImage img = shot(panel);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(img.pixelColor(20, 10), QColor(Qt::blue));
    EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::red));
}

TEST(PanelEx, EnterLeaveAndFocusEventsFire) {
    QWidget parent;
    auto* panel = new TPanelEx(&parent);
    int enters = 0, leaves = 0, nexts = 0;
    panel->OnMouseEnter = [&](QObject*) { ++enters; };
    panel->OnMouseLeave = [&](QObject*) { ++leaves; };
    panel->OnNextDlgCtl = [&](QObject*) { ++nexts; };
    kittest::enter(*panel);
    kittest::leave(*panel);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 1);
    QTest::keyClick(panel, Qt::Key_Tab);
    EXPECT_EQ(nexts, 1);
    int key = 0;
    panel->OnKeyDown = [&](QObject*, int& k, Qt::KeyboardModifiers) { key = k; };
    QTest::keyClick(panel, Qt::Key_F5);
    EXPECT_EQ(key, int(Qt::Key_F5));
}

TEST(PanelEx, AlignedChildrenFillTheInnerRectangle) {
    QWidget window;
    window.resize(300, 200);
    auto* frame = new TPanelEx(&window);
    setAlign(frame, alClient);
    frame->setBevelWidth(2);
    frame->setBorderWidth(2);
    auto* caption = new TPanelEx(frame);
    caption->resize(10, 21);
    setAlign(caption, alTop);
    auto* bar = new TPanelEx(frame);
    bar->resize(10, 24);
    setAlign(bar, alBottom);
    auto* side = new TPanelEx(frame);
    side->resize(40, 10);
    setAlign(side, alRight);
    auto* body = new TPanelEx(frame);
    setAlign(body, alClient);
    window.show();
    EXPECT_EQ(frame->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(caption->geometry(), QRect(4, 4, 292, 21));
    EXPECT_EQ(bar->geometry(), QRect(4, 172, 292, 24));
    EXPECT_EQ(side->geometry(), QRect(256, 25, 40, 147));
    EXPECT_EQ(body->geometry(), QRect(4, 25, 252, 147));

    window.resize(400, 300);
    EXPECT_EQ(bar->geometry(), QRect(4, 272, 392, 24));
    caption->hide();
    EXPECT_EQ(body->geometry(), QRect(4, 4, 352, 268));
    caption->show();
    caption->resize(392, 30);
    EXPECT_EQ(body->geometry(), QRect(4, 34, 352, 238));
}
