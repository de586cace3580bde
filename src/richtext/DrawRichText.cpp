#include "DrawRichText.h"

#include "QmRichEdit.h"
#include "platform/GdiCanvas.h"

#include <cmath>

namespace vek {
namespace {

// Restores the canvas state saved on construction, whatever happens in between.
class SavedDC {
public:
    explicit SavedDC(GdiCanvas& canvas)
        : m_canvas(canvas)
        , m_level(canvas.saveDC()) {}
    ~SavedDC() { m_canvas.restoreDC(m_level); }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    GdiCanvas& m_canvas;
    int m_level;
};

TwipsRect toTwips(const QRect& r, int dpiX, int dpiY) {
    const auto tx = [&](int v) { return int(qint64(v) * 1440 / dpiX); };
    const auto ty = [&](int v) { return int(qint64(v) * 1440 / dpiY); };
    return TwipsRect{tx(r.x()), ty(r.y()), tx(r.x() + r.width()), ty(r.y() + r.height())};
}

} // namespace

int DrawRichText(GdiCanvas& canvas, const QRect& rect, const QByteArray& text, bool render, bool keepColour,
                 float scale, int* startPos) {
    if (text.isEmpty())
        return 0;
    TQmRichEdit edit;
    edit.setJustify(true);
    edit.loadRichText(text);
    const int bottom = DrawRichText(canvas, rect, edit, render, keepColour, scale, startPos);
    edit.formatRange(nullptr, false);
    return bottom;
}

int DrawRichText(GdiCanvas& canvas, const QRect& rect, TQmRichEdit& edit, bool render, bool keepColour,
                 float scale, int* startPos) {
    if (edit.textLength() == 0) {
        if (startPos)
            *startPos = 0;
        return 0;
    }
    // A scale that is no number or not positive cannot map anything: draw unscaled.
    if (!std::isfinite(scale) || scale <= 0.0f)
        scale = 1.0f;
    const SavedDC saved(canvas);
    QRect layout = rect;
    if (scale != 1.0f) {
        canvas.setMapMode(MM_ANISOTROPIC);
        canvas.setViewportOrg(rect.topLeft());
        canvas.setViewportExt(rect.size());
        const int w = roundHalfEven(double(rect.width()) / double(scale));
        const int h = roundHalfEven(double(rect.height()) / double(scale));
        layout = QRect(0, 0, w, h);
        canvas.setWindowOrg(QPoint(0, 0));
        canvas.setWindowExt(QSize(std::max(1, w), std::max(1, h)));
    }
    const int dpiX = std::max(1, canvas.logPixelsX());
    const int dpiY = std::max(1, canvas.logPixelsY());

    edit.setColor(canvas.brush().color);
    edit.setDefaultTextColor(keepColour ? rgb(0, 0, 0) : canvas.textColor());

    FormatRange range;
    range.hdc = &canvas;
    range.rc = toTwips(layout, dpiX, dpiY);
    range.rcPage = range.rc;
    range.cpMin = startPos ? std::max(0, *startPos) : 0;
    range.cpMax = -1;
    const int n = edit.formatRange(&range, render);
    if (startPos)
        *startPos = n < 0 ? 0 : (n < edit.textLength() ? n : 0);
    if (n <= 0)
        return 0;
    const qint64 bottom = qint64(range.rc.bottom) * dpiY / 1440;
    return roundHalfEven(double(bottom) * double(scale));
}

} // namespace vek
