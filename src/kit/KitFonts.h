#pragma once
// Fonts and colours of the window kit. The windows name the faces of their era ("MS Sans Serif",
// "Small Fonts", "Marlett", "Arial", ...); kitFont maps every name to a face that exists here.
// "Marlett" has no outline font at all: a font made for it keeps the family name "Marlett" and
// widgets paint its few glyphs with paintMarlettGlyph.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace vek {

enum KitFontStyle : unsigned { kfNormal = 0, kfBold = 1, kfItalic = 2, kfUnderline = 4 };

// A font of the given face and GDI height, read as a LOGFONT's height everywhere in the kit: a
// negative height is the character height (the pixel size of the em), a positive one the whole
// cell height (ascent + descent), as GDI takes them. A caption "Arial 16" is Arial of height 16.
QFont kitFont(const QString& face, int height, unsigned style = kfNormal);

// The face that stands in for a face name of the original windows.
QString kitFaceFor(const QString& face);

// True for a font that kitFont made for "Marlett".
bool isMarlettFont(const QFont& font);

// True for the characters paintMarlettGlyph knows: "0" minimise, "1" maximise, "2" restore,
// "3" left, "4" right, "5" up, "6" down arrow, "r" close, "s" question mark.
bool isMarlettGlyph(QChar glyph);

// Paints one Marlett glyph of the given em size (pixels) centred in r. Glyphs are drawn on whole
// pixels, so they stay crisp at the small sizes of caption buttons. Unknown characters draw
// nothing.
void paintMarlettGlyph(QPainter& p, const QRect& r, QChar glyph, const QColor& color, int emSize = 0);

// Paints a caption written in the Marlett font, its glyphs side by side, aligned in r.
void paintMarlettText(QPainter& p, const QRect& r, const QString& text, const QColor& color, int emSize,
                      Qt::Alignment align = Qt::AlignCenter);

// Width in pixels of a Marlett caption of the given em size.
int marlettTextWidth(const QString& text, int emSize);

// The system colours of the classic Windows look the kit paints with.
namespace sys {
inline const QColor btnFace{212, 208, 200};
inline const QColor btnHighlight{255, 255, 255};
inline const QColor btnLight{212, 208, 200}; // 3-D light
inline const QColor btnShadow{128, 128, 128};
inline const QColor btnDkShadow{64, 64, 64};
inline const QColor btnText{0, 0, 0};
inline const QColor grayText{128, 128, 128};
inline const QColor window{255, 255, 255};
inline const QColor highlight{10, 36, 106};
inline const QColor captionText{255, 255, 255};
} // namespace sys

} // namespace vek
