#pragma once
// The repaint of every window at once, used after a question window closes during long work.
// GUI thread only.

namespace vek {

// Paints at once whatever is waiting to be repainted in every top-level window.
void RepaintAllWindows();

} // namespace vek
