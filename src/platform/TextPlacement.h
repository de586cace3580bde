#pragma once
// Where ExtTextOut puts its characters, as GDI places them: one computation for the player that
// paints the glyphs, the metafile canvas that writes their bounds, the display list that culls
// them and the page text that finds them.
//
// Text space: origin at the reference point, x along the baseline, y down, units such that the
// font's em is its logical height. Without the advanced graphics mode GDI keeps text upright and
// unmirrored whatever the mapping, and scales it by the vertical scale only.

#include "GdiFont.h"

#include <QRectF>
#include <QStringView>
#include <QTransform>
#include <vector>

namespace vek {

struct TextPlacement {
    bool valid = false;      // false when the mapping flattens the text to nothing
    QTransform textToDevice; // text space to device units
    double posScaleX = 1;    // text-space x of one logical unit of advance
    double stretch = 1;      // the font's horizontal stretch, applied by textToDevice
    double x0 = 0;           // where the first character starts along the baseline, logical units
    double baseline = 0;     // text-space y of the baseline
    double total = 0;        // sum of the advances along the baseline, logical units
    double totalY = 0;       // sum of the advances across it (ETO_PDY), logical units

    // Text-space origin of a character whose advances before it sum to (x, y) logical units.
    QPointF origin(double x, double y) const { return QPointF((x0 + x) * posScaleX, baseline - y); }
    // The cell of a piece of text that starts after advances summing to (x, y) logical units and
    // advances by `advance` along the baseline: ascent above the baseline to descent below it, in
    // text space.
    QRectF cell(const GdiFont& font, double x, double y, double advance) const {
        const QPointF o = origin(x, y);
        return QRectF(o.x(), o.y() - font.ascent(), advance * posScaleX, font.height()).normalized();
    }
};

// Advances of every character as (along, across) pairs, logical units: from the given advances
// (one per character, or two with pdy) or, when null, the font's own.
void textAdvances(const GdiFont& font, QStringView text, const double* advances, bool pdy,
                  std::vector<double>& pairs);

// The sums of the advances along and across the baseline.
QPointF advanceSum(const std::vector<double>& pairs);

// Places text at ref (logical units, the reference point after TA_UPDATECP) with the alignment
// bits of textAlign; pairs as textAdvances gives them.
TextPlacement placeText(const QTransform& logicalToDevice, const GdiFont& font, unsigned textAlign,
                        QPointF ref, const std::vector<double>& pairs, bool advancedMode);

} // namespace vek
