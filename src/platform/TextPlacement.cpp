#include "TextPlacement.h"

#include "DcModel.h"

#include <cmath>

namespace vek {

void textAdvances(const GdiFont& font, QStringView text, const double* advances, bool pdy,
                  std::vector<double>& pairs) {
    const qsizetype n = text.size();
    pairs.resize(std::size_t(n) * 2);
    for (qsizetype i = 0; i < n; ++i) {
        if (advances) {
            pairs[2 * i] = advances[pdy ? 2 * i : i];
            pairs[2 * i + 1] = pdy ? advances[2 * i + 1] : 0;
        } else {
            pairs[2 * i] = font.advance(text[i].unicode());
            pairs[2 * i + 1] = 0;
        }
    }
}

QPointF advanceSum(const std::vector<double>& pairs) {
    double x = 0, y = 0;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        x += pairs[i];
        y += pairs[i + 1];
    }
    return QPointF(x, y);
}

TextPlacement placeText(const QTransform& m, const GdiFont& font, unsigned textAlign, QPointF ref,
                        const std::vector<double>& pairs, bool advancedMode) {
    TextPlacement p;
    const QPointF sum = advanceSum(pairs);
    p.total = sum.x();
    p.totalY = sum.y();
    switch (textAlign & TA_HORZ_MASK) {
    case TA_RIGHT:
        p.x0 = -p.total;
        break;
    case TA_CENTER:
        p.x0 = -p.total / 2;
        break;
    default:
        break;
    }
    p.baseline = font.ascent();
    if ((textAlign & TA_VERT_MASK) == TA_BASELINE)
        p.baseline = 0;
    else if ((textAlign & TA_VERT_MASK) == TA_BOTTOM)
        p.baseline = -font.descent();

    const double stretch = font.stretchFactor() > 0 ? font.stretchFactor() : 1;
    p.stretch = stretch;
    p.posScaleX = 1 / stretch;
    const bool axisAligned = m.m12() == 0 && m.m21() == 0;
    if (!advancedMode && axisAligned) {
        const double sx = std::abs(m.m11()), sy = std::abs(m.m22());
        if (sx == 0 || sy == 0)
            return p;
        const QPointF d = m.map(ref);
        p.textToDevice.translate(d.x(), d.y());
        p.textToDevice.rotate(-font.escapementDegrees());
        p.textToDevice.scale(sy * stretch, sy);
        p.posScaleX = sx / (sy * stretch);
    } else {
        p.textToDevice.translate(ref.x(), ref.y());
        p.textToDevice.rotate(-font.escapementDegrees());
        p.textToDevice.scale(stretch, 1);
        p.textToDevice = p.textToDevice * m;
    }
    p.valid = true;
    return p;
}

} // namespace vek
