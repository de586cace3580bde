// The skinned form: hit-testing of its own frame, size limits, fitting into the work area,
// maximizing by bounds, keys, the one-child rule and help mode.

#include "kit/HintBar.h"
#include "kit/uVekForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace vek;
using namespace vek::vekform;

namespace {

// The caption strip and frame of a 400 x 300 window: a 4-pixel frame, a 21-pixel caption.
int hitAt(int x, int y, QSize size = {400, 300}) {
    const QRect frame(QPoint(0, 0), size);
    const QRect caption(4, 4, size.width() - 8, 21);
    return FrameHitTest({x, y}, size, caption, frame, 4);
}

// A form that is not deleted on close, so the test can look at it afterwards.
struct Form : TVekForm {
    explicit Form(QWidget* owner = nullptr)
        : TVekForm(owner) {
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    QMap<QWidget*, QString> help;
    QString GetHelpText(QWidget* c) override { return help.value(c); }
};

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent e(type, QPointF(local), QPointF(global),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

} // namespace

TEST(VekFormArithmetic, FrameRingAndCaptionHitTest) {
    EXPECT_EQ(hitAt(2, 2), HTTOPLEFT);
    EXPECT_EQ(hitAt(200, 1), HTTOP);
    EXPECT_EQ(hitAt(395, 3), HTTOPRIGHT);
    EXPECT_EQ(hitAt(1, 150), HTLEFT);
    EXPECT_EQ(hitAt(398, 150), HTRIGHT);
    EXPECT_EQ(hitAt(3, 295), HTBOTTOMLEFT);
    EXPECT_EQ(hitAt(200, 298), HTBOTTOM);
    EXPECT_EQ(hitAt(396, 296), HTBOTTOMRIGHT);
    // The corners reach 10 pixels along the edges.
    EXPECT_EQ(hitAt(1, 9), HTTOPLEFT);
    EXPECT_EQ(hitAt(1, 10), HTLEFT);
    EXPECT_EQ(hitAt(390, 2), HTTOPRIGHT);
    EXPECT_EQ(hitAt(389, 2), HTTOP);
    EXPECT_EQ(hitAt(200, 14), HTCAPTION);
    EXPECT_EQ(hitAt(200, 150), HTCLIENT);
    EXPECT_EQ(hitAt(5, 150), HTCLIENT); // inside the frame's inner rectangle
}

TEST(VekFormArithmetic, RestrictionsTurnForbiddenAnswersIntoBorder) {
    const TSizeLimits fixedW{400, 400, 200, 0};
    EXPECT_EQ(RestrictHit(HTLEFT, false, fixedW), HTBORDER);
    EXPECT_EQ(RestrictHit(HTRIGHT, false, fixedW), HTBORDER);
    EXPECT_EQ(RestrictHit(HTTOP, false, fixedW), HTTOP);
    EXPECT_EQ(RestrictHit(HTBOTTOMRIGHT, false, fixedW), HTBOTTOMRIGHT);
    const TSizeLimits fixedBoth{400, 400, 200, 200};
    for (int hit : {HTLEFT, HTRIGHT, HTTOP, HTBOTTOM, HTTOPLEFT, HTTOPRIGHT, HTBOTTOMLEFT, HTBOTTOMRIGHT})
        EXPECT_EQ(RestrictHit(hit, false, fixedBoth), HTBORDER) << hit;
    EXPECT_EQ(RestrictHit(HTCAPTION, true, {}), HTBORDER);
    EXPECT_EQ(RestrictHit(HTLEFT, true, {}), HTLEFT);
    EXPECT_EQ(RestrictHit(HTCAPTION, false, fixedBoth), HTCAPTION);
}

TEST(VekFormArithmetic, SizingStopsAtTheLimitsOnTheDraggedEdge) {
    const TSizeLimits m{300, 500, 200, 400};
    // Left edge dragged too far right: the left edge stops 300 before the right one.
    EXPECT_EQ(LimitSizingRect(QRect(150, 100, 250, 300), HTLEFT, m), QRect(100, 100, 300, 300));
    // Right edge dragged too far right: the right edge stops 500 after the left one.
    EXPECT_EQ(LimitSizingRect(QRect(100, 100, 700, 300), HTRIGHT, m), QRect(100, 100, 500, 300));
    // Top edge: minimum height, bottom stays.
    EXPECT_EQ(LimitSizingRect(QRect(100, 250, 400, 100), HTTOP, m), QRect(100, 150, 400, 200));
    // Bottom-right corner: both limits.
    EXPECT_EQ(LimitSizingRect(QRect(0, 0, 900, 900), HTBOTTOMRIGHT, m), QRect(0, 0, 500, 400));
    // No limits: unchanged.
    EXPECT_EQ(LimitSizingRect(QRect(1, 2, 3, 4), HTBOTTOMLEFT, {}), QRect(1, 2, 3, 4));
}

TEST(VekFormArithmetic, FitIntoWorkAreaShrinksFirstThenMoves) {
    const QRect area(0, 0, 1000, 700);
    // Bottom 50 below the area, 80 taller than its minimum: 50 shorter, not moved.
    EXPECT_EQ(FitRectIntoArea(QRect(100, 370, 300, 380), area, {0, 0, 300, 0}), QRect(100, 370, 300, 330));
    // Only 20 to spare: 20 shorter and moved up by the other 30.
    EXPECT_EQ(FitRectIntoArea(QRect(100, 370, 300, 380), area, {0, 0, 360, 0}), QRect(100, 340, 300, 360));
    // Right overflow with no room to shrink: moved left.
    EXPECT_EQ(FitRectIntoArea(QRect(900, 10, 300, 200), area, {300, 0, 0, 0}), QRect(700, 10, 300, 200));
    // Left and top overflow.
    EXPECT_EQ(FitRectIntoArea(QRect(-40, -30, 300, 200), area, {300, 0, 200, 0}), QRect(0, 0, 300, 200));
    // Inside: unchanged.
    EXPECT_EQ(FitRectIntoArea(QRect(10, 10, 300, 200), area, {300, 0, 200, 0}), QRect(10, 10, 300, 200));
    // A minimum larger than the area: aligned to the area's top-left.
    const QRect big = FitRectIntoArea(QRect(50, 50, 1200, 900), area, {1200, 0, 900, 0});
    EXPECT_EQ(big.topLeft(), QPoint(0, 0));
    EXPECT_EQ(big.size(), QSize(1200, 900));
}

TEST(VekFormArithmetic, CentredAndDefaultBounds) {
    const QRect area(0, 30, 801, 571);
    EXPECT_EQ(CenteredRect(300, 200, area, {}), QRect(250, 215, 300, 200)); // (30 + 601 - 200) div 2
    EXPECT_EQ(CenteredRect(0, 0, area, {}), area);
    EXPECT_EQ(CenteredRect(100, 100, area, {300, 0, 200, 0}).size(), QSize(300, 200));
    EXPECT_EQ(CenteredRect(2000, 100, area, {}).x(), 0); // never left of the area
    // Default bounds are measured from the screen origin, not from the area's corner.
    EXPECT_EQ(DefaultBoundsIn(QRect(0, 0, 800, 600), 300, 200), QRect(250, 200, 300, 200));
    EXPECT_EQ(DefaultBoundsIn(QRect(0, 0, 900, 600), 0, 0), QRect(150, 100, 600, 400));
    EXPECT_EQ(DefaultBoundsIn(QRect(0, 0, 800, 600), 2000, 2000), QRect(0, 0, 800, 600));
}

TEST(VekForm, CreatedCentredAtTheMinimumSize) {
    Form f;
    EXPECT_EQ(f.size(), QSize(300, 200));
    const QRect a = f.WorkArea();
    EXPECT_EQ(f.x(), (a.left() + a.left() + a.width() - 300) / 2);
    f.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(f.size(), QSize(300, 200));
    f.MaxWidth = 350;
    f.SetBounds(0, 0, 1000, 250);
    EXPECT_EQ(f.size(), QSize(350, 250));
}

TEST(VekForm, FixedWidthWindowHasNoLeftOrRightSizing) {
    Form f;
    f.SetFixedWidth(400);
    EXPECT_EQ(f.width(), 400);
    EXPECT_EQ(f.HitTest({1, 100}), HTBORDER);
    EXPECT_EQ(f.HitTest({398, 100}), HTBORDER);
    EXPECT_EQ(f.HitTest({200, 1}), HTTOP);
    EXPECT_EQ(f.HitTest({200, f.height() - 2}), HTBOTTOM);
    EXPECT_EQ(f.HitTest({200, 12}), HTCAPTION);
}

TEST(VekForm, MaximizedWindowCannotBeMovedButCanBeSized) {
    Form f;
    f.SetBorderIcons(biHelp | biMaximize);
    f.show();
    QCoreApplication::processEvents(); // the look update
    const QRect normal = f.geometry();
    f.SetSizeMode(smMaximized);
    EXPECT_EQ(f.geometry(), f.WorkArea());
    EXPECT_EQ(f.SizeMode(), smMaximized);
    EXPECT_EQ(f.btnCapMaximize->text(), u"2"_s);
    EXPECT_EQ(f.HitTest({200, 12}), HTBORDER);
    EXPECT_EQ(f.HitTest({1, 100}), HTLEFT);
    f.SetSizeMode(smNormal);
    EXPECT_EQ(f.geometry(), normal);
    EXPECT_EQ(f.btnCapMaximize->text(), u"1"_s);
}

TEST(VekForm, WindowSizedToTheWorkAreaRestoresToDefaultBounds) {
    Form f;
    f.SetBorderIcons(biHelp | biMaximize);
    f.show();
    QCoreApplication::processEvents();
    f.SetBounds(f.WorkArea());
    EXPECT_EQ(f.SizeMode(), smMaximized);
    QTest::mouseDClick(f.pCapText, Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_EQ(f.SizeMode(), smNormal);
    EXPECT_EQ(f.geometry(), f.GetDefaultBounds());
}

TEST(VekForm, DoubleClickOnCaptionMaximizesOnlyWithTheMaximizeButton) {
    Form f;
    f.show();
    QCoreApplication::processEvents();
    QTest::mouseDClick(f.pCapText, Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_EQ(f.SizeMode(), smNormal); // the base window has no maximize button
    f.SetBorderIcons(biHelp | biMaximize);
    QTest::mouseDClick(f.pCapText, Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_EQ(f.SizeMode(), smMaximized);
}

TEST(VekForm, DraggingTheCaptionMovesAndTheFrameResizes) {
    Form f;
    f.show();
    QCoreApplication::processEvents();
    const QPoint start = f.pos();
    sendMouse(f.pCapText, QEvent::MouseButtonPress, {40, 8}, Qt::LeftButton);
    sendMouse(f.pCapText, QEvent::MouseMove, {70, 28}, Qt::LeftButton);
    sendMouse(f.pCapText, QEvent::MouseButtonRelease, {70, 28}, Qt::NoButton);
    EXPECT_EQ(f.pos(), start + QPoint(30, 20));

    const QSize size = f.size();
    const QPoint edge(f.width() - 2, f.height() / 2);
    sendMouse(f.pFrame, QEvent::MouseButtonPress, edge, Qt::LeftButton);
    sendMouse(f.pFrame, QEvent::MouseMove, edge + QPoint(50, 0), Qt::LeftButton);
    sendMouse(f.pFrame, QEvent::MouseButtonRelease, edge + QPoint(50, 0), Qt::NoButton);
    EXPECT_EQ(f.size(), size + QSize(50, 0));

    // Narrower than the minimum: stops at the minimum.
    const QPoint edge2(f.width() - 2, f.height() / 2);
    sendMouse(f.pFrame, QEvent::MouseButtonPress, edge2, Qt::LeftButton);
    sendMouse(f.pFrame, QEvent::MouseMove, edge2 - QPoint(200, 0), Qt::LeftButton);
    sendMouse(f.pFrame, QEvent::MouseButtonRelease, edge2 - QPoint(200, 0), Qt::NoButton);
    EXPECT_EQ(f.width(), f.MinWidth);
}

TEST(VekForm, CaptionShowsTheTitleAfterASpace) {
    Form f;
    f.setWindowTitle(u"Drukowanie"_s);
    EXPECT_EQ(f.pCapText->Caption(), u" Drukowanie"_s);
}

TEST(VekForm, CaptionButtonsFollowTheBorderIcons) {
    Form f;
    EXPECT_FALSE(f.btnCapHelp->isHidden());
    EXPECT_TRUE(f.btnCapMaximize->isHidden());
    EXPECT_TRUE(f.btnCapMinimize->isHidden());
    EXPECT_EQ(f.btnCapClose->x(), 19);
    EXPECT_EQ(f.pCaptionBtns->width(), 19 + 17 + 1);
    f.SetBorderIcons(biHelp | biMaximize);
    EXPECT_EQ(f.btnCapMaximize->x(), 19);
    EXPECT_EQ(f.btnCapClose->x(), 36);
    EXPECT_EQ(f.pCaptionBtns->width(), 36 + 17 + 1);
}

TEST(VekForm, EnterAndEscGoToTheHintBar) {
    Form f;
    f.show();
    int accepted = 0;
    QObject* sender = &f;
    f.hb->OnAccept = [&](QObject* s) {
        ++accepted;
        sender = s;
    };
    QTest::keyClick(&f, Qt::Key_Return);
    EXPECT_EQ(accepted, 0); // no Accept caption: nothing
    f.hb->setTextAccept(u"Wybierz"_s);
    QTest::keyClick(&f, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(accepted, 0); // not with Ctrl
    QTest::keyClick(&f, Qt::Key_Return);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(sender, nullptr);

    QTest::keyClick(&f, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_TRUE(f.isVisible());
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible()); // Cancel closes
}

TEST(VekForm, ClosedFormDeletesItself) {
    QPointer<TVekForm> f = new TVekForm; // deletes itself when closed
    f->show();
    f->btnCapClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f.isNull());
}

TEST(VekForm, OnlyOneChildWindowAtATime) {
    QStringList errors;
    const auto saved = TVekForm::ErrorDisplay;
    TVekForm::ErrorDisplay = [&errors](const QString& m) { errors << m; };
    auto owner = std::make_unique<Form>();
    QPointer<TVekForm> first = new TVekForm(owner.get()); // owned by its owner window
    EXPECT_EQ(owner->ChildForm(), first);
    EXPECT_EQ(first->ParentForm(), owner.get());
    {
        Form second(owner.get());
        QCoreApplication::processEvents();
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors[0], u"TVekForm.Create - próba utworzenia drugiego podokna przed zamknięciem "
                             u"poprzedniego (TVekForm)"_s);
        EXPECT_EQ(owner->ChildForm(), first);
    }
    // Regression: the second, unlinked window used to clear the owner's link to the first one.
    EXPECT_EQ(owner->ChildForm(), first);
    owner.reset();
    EXPECT_TRUE(first.isNull()); // freed with its owner
    TVekForm::ErrorDisplay = saved;
}

TEST(VekForm, ClosingTheChildAllowsANewOne) {
    Form owner;
    QPointer<TVekForm> child = new TVekForm(&owner);
    delete child.data();
    EXPECT_EQ(owner.ChildForm(), nullptr);
    QPointer<TVekForm> again = new TVekForm(&owner);
    EXPECT_EQ(owner.ChildForm(), again);
}

TEST(VekForm, HelpClimbsToTheFirstControlWithAText) {
    Form f;
    auto* box = new TPanelEx(f.pFrame);
    auto* inner = new QWidget(box);
    f.help[box] = u"Ramka"_s;
    EXPECT_EQ(f.ShowHelpFor(inner), u"Ramka"_s);
    EXPECT_EQ(f.ShowHelpFor(f.hb), QString());
    EXPECT_EQ(f.ShowHelpFor(f.btnCapClose), QString());
    EXPECT_EQ(f.ShowHelpFor(nullptr), QString());
    f.help[&f] = u"Okno"_s;
    EXPECT_EQ(f.ShowHelpFor(f.pCaption), u"Okno"_s);
}

TEST(VekForm, ControlAtPointFindsTheDeepestVisibleControl) {
    Form f;
    f.show();
    auto* box = new TPanelEx(f.pFrame);
    box->setGeometry(20, 40, 100, 60);
    auto* inner = new QWidget(box);
    inner->setGeometry(10, 10, 30, 20);
    box->show();
    inner->show();
    EXPECT_EQ(TVekForm::ControlAtPoint(&f, box->mapToGlobal(QPoint(15, 15))), inner);
    EXPECT_EQ(TVekForm::ControlAtPoint(&f, box->mapToGlobal(QPoint(80, 50))), box);
    inner->hide();
    EXPECT_EQ(TVekForm::ControlAtPoint(&f, box->mapToGlobal(QPoint(15, 15))), box);
    EXPECT_EQ(TVekForm::ControlAtPoint(&f, f.mapToGlobal(QPoint(-5, -5))), nullptr);
}

TEST(VekForm, HelpModeAsksForTheClickedControlAndEndsOnAKey) {
    Form f;
    f.show();
    auto* box = new TPanelEx(f.pFrame);
    box->setGeometry(20, 40, 100, 60);
    box->show();
    f.help[box] = u"Ramka"_s;
    f.btnCapHelp->click();
    EXPECT_TRUE(f.HelpMode());
    EXPECT_TRUE(f.btnCapHelp->isChecked());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WhatsThisCursor);
    QTest::keyClick(box, Qt::Key_A);
    EXPECT_FALSE(f.HelpMode());
    EXPECT_FALSE(f.btnCapHelp->isChecked());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    f.EnterHelpMode();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(f.HelpMode());
}

TEST(VekForm, FirstShowUpdatesTheLook) {
    Form f;
    f.SetBorderIcons(biHelp | biMaximize);
    f.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.IsActive());
    EXPECT_EQ(f.pCaption->Color(), QColor(0, 0, 128));
    EXPECT_TRUE(f.hb->Active());
    EXPECT_TRUE(f.btnCapMaximize->isEnabled());
    const QImage img = f.grab().toImage();
    // The navy strip with the caption buttons on its right.
    EXPECT_EQ(img.pixelColor(f.width() / 2, 6), QColor(0, 0, 128));
    EXPECT_NE(img.pixelColor(f.btnCapClose->mapTo(&f, QPoint(8, 7))), QColor(0, 0, 128));
}

TEST(VekForm, F1AsksHelpForTheFocusedControl) {
    struct HelpForm : Form {
        QWidget* asked = nullptr;
        QString GetHelpText(QWidget* c) override {
            if (!asked)
                asked = c;
            return {};
        }
    } f;
    auto* edit = new QWidget(f.pFrame);
    edit->setFocusPolicy(Qt::StrongFocus);
    f.show();
    QApplication::setActiveWindow(&f);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(f.asked, edit);
}

TEST(VekForm, SmallJitterOnTheCaptionDoesNotStartAMove) {
    // A move started on the press itself would take the second click of a double-click away.
    Form f;
    f.show();
    const QPoint start = f.pos();
    sendMouse(f.pCapText, QEvent::MouseButtonPress, {40, 8}, Qt::LeftButton);
    sendMouse(f.pCapText, QEvent::MouseMove, {41, 9}, Qt::LeftButton);
    sendMouse(f.pCapText, QEvent::MouseButtonRelease, {41, 9}, Qt::NoButton);
    EXPECT_EQ(f.pos(), start);
    sendMouse(f.pCapText, QEvent::MouseMove, {90, 40}, Qt::NoButton); // released: no drag left
    EXPECT_EQ(f.pos(), start);
}
