#pragma once
// DrawText with the Windows semantics of the DT_ flags the printout drawing uses, on any GdiCanvas,
// with the canvas's selected font, text colour and background mode.
//
// Rectangles are GDI rectangles held in a QRect: the box spans x() .. x() + width() and
// y() .. y() + height(), right and bottom excluded.
//
// - Lines break at CR, LF and CR LF unless DT_SINGLELINE is given.
// - DT_WORDBREAK breaks at blanks; a word wider than the box stays whole on its own line unless
//   DT_EDITCONTROL is given, which breaks it after the last character that fits. At a break a
//   left-aligned line keeps the blanks that fit, a centred or right-aligned one drops one of them,
//   and one blank at the start of the next line is skipped.
// - Without DT_NOCLIP the text is clipped to the box and no line is begun below its bottom.
// - DT_END_ELLIPSIS ends a line that does not fit (or the last line drawn when text remains)
//   with "...".
// - Without DT_NOPREFIX "&x" underlines x and "&&" is a single "&".
// - DT_VCENTER and DT_BOTTOM act with DT_SINGLELINE only.
// - DT_CALCRECT draws nothing; it sets the rectangle's right edge to the widest line and its
//   bottom to the end of the last line.
// The result is the height of the text: the number of lines times the font's tmHeight, measured
// from the box top (with DT_BOTTOM or DT_VCENTER: from the box top to the bottom of the text).

#include "GdiCanvas.h"

#include <QByteArray>
#include <QRect>
#include <QStringView>

namespace vek {

int DrawText(GdiCanvas& canvas, QStringView text, QRect& rect, unsigned flags);
// The same for Windows-1250 bytes.
int DrawText(GdiCanvas& canvas, const QByteArray& cp1250, QRect& rect, unsigned flags);

// Width of text in the canvas's font (GetTextExtentPoint).
int TextWidth(const GdiCanvas& canvas, QStringView text);
int TextWidth(const GdiCanvas& canvas, const QByteArray& cp1250);

// The font used when the canvas has none selected (the system font).
GdiFontPtr defaultFont();

} // namespace vek
