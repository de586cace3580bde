#pragma once
// Program-wide window routines: the one-message pump used during long work, the repaint of all
// windows, the busy-cursor stack and opening an address in the user's default handler.
// All of them run on the GUI thread only.

#include <QString>

namespace vek {

// True except while ProcessOneMessage runs; the application's idle handler answers with it, so
// that a pump from inside long work never waits for the next event.
bool IdleWaitAllowed();

// Handles the events that are waiting, once, and returns at once when none are waiting.
void ProcessOneMessage();

// Paints at once whatever is waiting to be repainted in every top-level window.
void RepaintAllWindows();

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
