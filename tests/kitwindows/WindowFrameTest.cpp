// Message and progress windows under a real window manager, which adds a frame and a title bar
// around them once they are on screen. tests/e2e/kitwm.sh runs these under Xvfb with openbox, at
// 100 % and 200 %; on platforms where nothing frames the windows they are skipped.

#include "ModalAnswer.h"
#include "kit/okienko.h"

#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace vek;
using vektest::answerModal;

namespace {

bool framed(const QWidget& w) {
    return w.windowHandle() && !w.windowHandle()->frameMargins().isNull();
}

bool waitFramed(const QWidget& w) {
    return QTest::qWaitFor([&w] { return framed(w); }, 3000);
}

bool windowManagerFrames() {
    static const bool frames = [] {
        if (QGuiApplication::platformName() != u"xcb"_s)
            return false;
        QWidget probe;
        probe.setGeometry(50, 50, 200, 100);
        probe.show();
        return waitFramed(probe);
    }();
    return frames;
}

// A framed main window, as the program has under its message windows.
struct MainWindow {
    QWidget w;
    MainWindow() {
        w.setWindowTitle(u"VekPokaz"_s);
        w.setGeometry(160, 120, 700, 500);
        w.show();
        w.activateWindow();
        waitFramed(w);
    }
    QRect clientOnScreen() const { return {w.mapToGlobal(QPoint(0, 0)), w.size()}; }
};

// Where a message window's client area was when it first appeared on screen.
class FirstExposure : public QObject {
public:
    FirstExposure() { qApp->installEventFilter(this); }
    ~FirstExposure() override { qApp->removeEventFilter(this); }
    std::optional<QPoint> at;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* win = qobject_cast<QWindow*>(o);
        if (at || !win || e->type() != QEvent::Expose || !win->isExposed())
            return false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == win && qobject_cast<TMsgOkienko*>(w))
                at = win->geometry().topLeft();
        return false;
    }
};

struct Settled {
    QRect frame;
    QRect client;
    QRect screen;
};

// The window once its frame is known and any re-centring has happened.
Settled settle(QWidget* w) {
    waitFramed(*w);
    QTest::qWait(150);
    return {w->frameGeometry(), w->geometry(), w->screen()->geometry()};
}

void expectCentred(const QRect& frame, const QRect& area) {
    EXPECT_NEAR(frame.left() - area.left(), area.right() - frame.right(), 1) << "frame " << frame.x();
    EXPECT_NEAR(frame.top() - area.top(), area.bottom() - frame.bottom(), 1) << "frame " << frame.y();
}

} // namespace

TEST(WindowFrame, MessageWindowIsCentredByItsFrameWithoutMovingOnScreen) {
    // Fault: message windows were centred by their client area, so the window manager's title bar
    // and borders left the window below and to the right of the centre.
    if (!windowManagerFrames())
        GTEST_SKIP() << "no window manager frames windows here";
    MainWindow main;
    FirstExposure exposed;
    Settled s;
    answerModal([&s](QWidget* w) {
        s = settle(w);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    MsgYesNo(u"Pytanie"_s, u"Usunąć wybrany wydruk?\rTej operacji nie można cofnąć."_s);
    ASSERT_GT(s.frame.height(), s.client.height());
    expectCentred(s.frame, s.screen);
    // Placed with the expected frame from the start: it did not jump once shown.
    ASSERT_TRUE(exposed.at.has_value());
    EXPECT_EQ(*exposed.at, s.client.topLeft());
}

TEST(WindowFrame, ProgressWindowIsCentredByItsFrameOverTheOwner) {
    // Fault: the progress window was centred over its owner by its client area.
    if (!windowManagerFrames())
        GTEST_SKIP() << "no window manager frames windows here";
    MainWindow main;
    FirstExposure exposed;
    TWorkingDlg dlg(&main.w);
    dlg.Start(u"Trwa przesyłanie wydruku do kolejki drukarki"_s, true, true);
    const Settled s = settle(dlg.Window());
    ASSERT_GT(s.frame.height(), s.client.height());
    expectCentred(s.frame, main.clientOnScreen());
    ASSERT_TRUE(exposed.at.has_value());
    EXPECT_EQ(*exposed.at, s.client.topLeft());
}
