// The shared window routines: the one-message pump, the repaint of all windows and the busy
// cursor stack.

#include "platform/Routines.h"
#include "kit/Repaint.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace vek;

namespace {

// Pops whatever override cursors a test left behind.
void clearCursors() {
    while (BusyCursorDepth() > 0)
        BusyCursor(false);
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

Qt::CursorShape shown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

} // namespace

TEST(Routines, ProcessOneMessageReturnsAtOnceOnAnEmptyQueue) {
    QCoreApplication::processEvents();
    QElapsedTimer t;
    t.start();
    ProcessOneMessage();
    // A pump that waited for the next event would block here for good; it must come straight back.
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(IdleWaitAllowed());
}

TEST(Routines, ProcessOneMessageHandlesWaitingEventsWithIdleWaitOff) {
    bool ran = false;
    bool idleDuring = true;
    QTimer::singleShot(0, qApp, [&] {
        ran = true;
        idleDuring = IdleWaitAllowed();
    });
    QElapsedTimer t;
    t.start();
    while (!ran && t.elapsed() < 2000)
        ProcessOneMessage();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(idleDuring);
    EXPECT_TRUE(IdleWaitAllowed());
}

TEST(Routines, RepaintAllWindowsPaintsPendingUpdatesNow) {
    PaintCounter w;
    w.resize(50, 50);
    w.show();
    QCoreApplication::processEvents();
    const int before = w.paints;
    w.update();
    RepaintAllWindows();
    EXPECT_GT(w.paints, before);
}

TEST(Routines, BusyCursorWithoutPushShowsTheDefault) {
    clearCursors();
    BusyCursor(false);
    EXPECT_EQ(BusyCursorDepth(), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Routines, NestedBusyCursorsRestoreTheFirstCursor) {
    clearCursors();
    QGuiApplication::setOverrideCursor(Qt::CrossCursor); // what was shown before
    BusyCursor(true, false);
    EXPECT_EQ(shown(), Qt::WaitCursor);
    BusyCursor(true, false);
    EXPECT_EQ(BusyCursorDepth(), 2);
    BusyCursor(false);
    EXPECT_EQ(shown(), Qt::WaitCursor);
    BusyCursor(false);
    EXPECT_EQ(shown(), Qt::CrossCursor);
    EXPECT_EQ(BusyCursorDepth(), 0);
    BusyCursor(false); // unpaired: nothing of ours to pop, the other cursor stays
    EXPECT_EQ(shown(), Qt::CrossCursor);
    clearCursors();
}

TEST(Routines, LightBusyCursorKeepsAnHourglassAlreadyShown) {
    clearCursors();
    BusyCursor(true, true);
    EXPECT_EQ(shown(), Qt::BusyCursor); // arrow with hourglass
    BusyCursor(false);
    BusyCursor(true, false);
    BusyCursor(true, true);
    EXPECT_EQ(shown(), Qt::WaitCursor);
    BusyCursor(false);
    BusyCursor(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Routines, OpenAddressRefusesAnEmptyAddress) {
    EXPECT_FALSE(OpenAddress(QString()));
    EXPECT_FALSE(OpenAddress(u"   "_s));
}
