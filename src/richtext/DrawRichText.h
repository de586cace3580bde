#pragma once
// Rich text drawn into a rectangle of a canvas, possibly scaled, possibly continued over several
// calls (pages).

#include <QByteArray>
#include <QRect>

namespace vek {

class GdiCanvas;
class TQmRichEdit;

// Lays out the rich text (RTF bytes as stored in a printout) into rect (canvas units) and draws
// it when render is set, else only measures. keepColour false makes the canvas's text colour the
// colour of text without its own. With scale ≠ 1 the text is laid out in a rectangle scale times
// smaller and magnified by the canvas mapping. startPos, when given, is the character to start
// from; on return it holds the first character that did not fit, or 0 when all of the text did.
// Returns the bottom of the laid-out text in canvas units times scale (0 when nothing was laid
// out). A line is laid out only when its whole height fits, except that the first line of a
// call always is, so a text continued from call to call always advances.
int DrawRichText(GdiCanvas& canvas, const QRect& rect, const QByteArray& text, bool render, bool keepColour,
                 float scale, int* startPos = nullptr);

// The same with a control that already holds the text: it is read once and its layout is kept
// from call to call, so a long text continued page after page is laid out only once.
int DrawRichText(GdiCanvas& canvas, const QRect& rect, TQmRichEdit& edit, bool render, bool keepColour,
                 float scale, int* startPos = nullptr);

} // namespace vek
