#include "viewing/GridHdrButton.h"

#include "kit/KitFonts.h"
#include "kit/bajery.h"

#include <QPainter>

namespace vek {

namespace {

constexpr int kGlyphWidth = 10;
constexpr int kGlyphHeight = 9;

// The rows of GRIDHDR_TOP from the top: first column and width of the ink. GRIDHDR_BOTTOM is the
// same picture upside down.
struct Row {
    int x;
    int width;
};
constexpr Row kTopRows[kGlyphHeight] = {{0, 10}, {0, 10}, {0, 0},  {4, 2}, {3, 4},
                                        {2, 6},  {1, 8},  {0, 10}, {0, 0}};

} // namespace

void paintGridHdrGlyph(QPainter& p, const QRect& r, GridHdrGlyph glyph, const QColor& color) {
    const int left = r.left() + (r.width() - kGlyphWidth) / 2;
    const int top = r.top() + (r.height() - kGlyphHeight) / 2;
    for (int y = 0; y < kGlyphHeight; ++y) {
        const Row& row = kTopRows[glyph == GridHdrGlyph::Top ? y : kGlyphHeight - 1 - y];
        if (row.width > 0)
            p.fillRect(QRect(left + row.x, top + y, row.width, 1), color);
    }
}

TGridHdrButton::TGridHdrButton(GridHdrGlyph glyph, QWidget* parent)
    : QAbstractButton(parent)
    , m_glyph(glyph) {
    setFocusPolicy(Qt::NoFocus);
}

void TGridHdrButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, sys::btnFace);
    const bool sunk = isDown();
    if (sunk) {
        frame3D(p, r, sys::btnShadow, sys::btnShadow, 1);
    } else {
        frame3D(p, r, sys::btnHighlight, sys::btnDkShadow, 1);
        frame3D(p, r, sys::btnLight, sys::btnShadow, 1);
    }
    const QRect glyphRect = rect().translated(sunk ? 1 : 0, sunk ? 1 : 0);
    if (isEnabled()) {
        paintGridHdrGlyph(p, glyphRect, m_glyph, sys::btnText);
    } else {
        paintGridHdrGlyph(p, glyphRect.translated(1, 1), m_glyph, sys::btnHighlight);
        paintGridHdrGlyph(p, glyphRect, m_glyph, sys::btnShadow);
    }
}

} // namespace vek
