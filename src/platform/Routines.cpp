#include "platform/Routines.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace vek {

namespace {

bool g_idleWaitAllowed = true;
int g_busyDepth = 0;

// Puts the flag back when the pump ends, also when an event handler throws.
struct IdleWaitGuard {
    IdleWaitGuard() { g_idleWaitAllowed = false; }
    ~IdleWaitGuard() { g_idleWaitAllowed = true; }
    IdleWaitGuard(const IdleWaitGuard&) = delete;
    IdleWaitGuard& operator=(const IdleWaitGuard&) = delete;
};

bool hourglassShown() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::WaitCursor;
}

} // namespace

bool IdleWaitAllowed() {
    return g_idleWaitAllowed;
}

void ProcessOneMessage() {
    IdleWaitGuard guard;
    // Without WaitForMoreEvents this handles what is queued and returns at once on an empty queue.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void BusyCursor(bool on, bool light) {
    if (on) {
        const Qt::CursorShape shape = light && !hourglassShown() ? Qt::BusyCursor : Qt::WaitCursor;
        QGuiApplication::setOverrideCursor(QCursor(shape));
        ++g_busyDepth;
        return;
    }
    if (g_busyDepth == 0)
        return; // nothing of ours to restore: the default cursor stays
    QGuiApplication::restoreOverrideCursor();
    --g_busyDepth;
}

int BusyCursorDepth() {
    return g_busyDepth;
}

bool OpenAddress(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromUserInput(trimmed));
}

} // namespace vek
