#pragma once
// The small jump buttons above the page viewer's scroll bar, with their 10 x 9 glyphs
// GRIDHDR_TOP (a bar over an upward triangle) and GRIDHDR_BOTTOM (a downward triangle over a bar),
// drawn in code on whole device pixels so that they stay crisp at any screen scale.

#include <QAbstractButton>

class QPainter;

namespace vek {

enum class GridHdrGlyph { Top, Bottom };

// Paints the glyph with its 10 x 9 cell centred in r.
void paintGridHdrGlyph(QPainter& p, const QRect& r, GridHdrGlyph glyph, const QColor& color);

// A flat-faced speed button of the classic raised look showing one of the glyphs. It takes no
// keyboard focus.
class TGridHdrButton : public QAbstractButton {
    Q_OBJECT
public:
    TGridHdrButton(GridHdrGlyph glyph, QWidget* parent);
    GridHdrGlyph glyph() const { return m_glyph; }
    QSize sizeHint() const override { return {17, 15}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    GridHdrGlyph m_glyph;
};

} // namespace vek
