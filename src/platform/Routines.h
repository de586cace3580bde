#pragma once
// Program-wide routines that need no widgets: the one-message pump used during long work, the
// busy-cursor stack and opening an address in the user's default handler. GUI thread only.
// The repaint of all windows is in kit/Repaint.h.

#include <QString>

namespace vek {

// True except while ProcessOneMessage runs; the application's idle handler answers with it, so
// that a pump from inside long work never waits for the next event.
bool IdleWaitAllowed();

// Handles the events that are waiting, once, and returns at once when none are waiting.
void ProcessOneMessage();

// on: saves the cursor shown now and shows the hourglass, or, when light and the hourglass is not
// already shown, the arrow with hourglass. Off: shows the cursor saved by the matching call; an
// unpaired call leaves the default cursor. Calls are paired by their users.
void BusyCursor(bool on, bool light = false);

// Number of cursors saved by BusyCursor and not yet restored.
int BusyCursorDepth();

// Opens an address (web page, mail, file) in the user's default handler. False when nothing
// could open it.
bool OpenAddress(const QString& address);

} // namespace vek
