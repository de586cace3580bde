#include "SheetPlan.h"

#include "MetafileDraw.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace vek {

QList<SheetRecord> PlanSheets(const QList<int>& pages, SheetLayout layout, bool twoSided) {
    const int perSheet = layout == SheetLayout::Booklet   ? 4
                         : layout == SheetLayout::Reduced ? (twoSided ? 4 : 2)
                                                          : (twoSided ? 2 : 1);
    const qsizetype n = pages.size();
    const qsizetype P = (n + perSheet - 1) / perSheet * perSheet;
    const auto slot = [&](qsizetype j) { return j >= 1 && j <= n ? pages[j - 1] : 0; };

    QList<SheetRecord> sheets;
    sheets.reserve(P / perSheet);
    for (qsizetype k = 1; k <= P / perSheet; ++k) {
        SheetRecord r;
        if (layout == SheetLayout::Booklet)
            r = {slot(P - 2 * k + 2), slot(2 * k - 1), slot(2 * k), slot(P - 2 * k + 1)};
        else if (layout == SheetLayout::Reduced && twoSided)
            r = {slot(4 * k - 3), slot(4 * k - 2), slot(4 * k - 1), slot(4 * k)};
        else if (layout == SheetLayout::Reduced)
            r = {slot(2 * k - 1), slot(2 * k), 0, 0};
        else if (twoSided)
            r = {slot(2 * k - 1), 0, slot(2 * k), 0};
        else
            r = {slot(k), 0, 0, 0};
        sheets.append(r);
    }
    return sheets;
}

QSizeF sheetSizeMm(SheetLayout layout) {
    constexpr double W = 210.0;
    constexpr double H = 297.0;
    return twoUp(layout) ? QSizeF(H, W) : QSizeF(W, H);
}

QRect pageRectOnSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX, double dpiY) {
    const float dx = float(dpiX) / 25.4f;
    const float dy = float(dpiY) / 25.4f;
    const int mL = int(std::nearbyint(float(margins.left) * dx));
    const int mR = int(std::nearbyint(float(margins.right) * dx));
    const int mT = int(std::nearbyint(float(margins.top) * dy));
    const int mB = int(std::nearbyint(float(margins.bottom) * dy));
    return QRect(QPoint(mL, mT), QPoint(sheetPixels.width() - mR - 1, sheetPixels.height() - mB - 1));
}

std::pair<QRect, QRect> halvesOfSheet(const SheetMargins& margins, QSize sheetPixels, double dpiX,
                                      double dpiY) {
    const QRect full = pageRectOnSheet(margins, sheetPixels, dpiX, dpiY);
    const float dx = float(dpiX) / 25.4f;
    const int mL = int(std::nearbyint(float(margins.left) * dx));
    const int mR = int(std::nearbyint(float(margins.right) * dx));
    const int M = sheetPixels.width() / 2;
    return {QRect(full.topLeft(), QPoint(M - mR - 1, full.bottom())),
            QRect(QPoint(M + mL, full.top()), full.bottomRight())};
}

void drawSide(QPainter& painter, const SheetFormat& format, const SheetSide& side, QSize sheet, double dpiX,
              double dpiY) {
    if (!twoUp(format.layout)) {
        if (side.first)
            DrawPage(painter, pageRectOnSheet(format.margins, sheet, dpiX, dpiY), *side.first, format.mono);
        return;
    }
    const auto [left, right] = halvesOfSheet(format.margins, sheet, dpiX, dpiY);
    if (side.first)
        DrawPage(painter, left, *side.first, format.mono);
    if (side.second)
        DrawPage(painter, right, *side.second, format.mono);
}

QImage renderSheet(const SheetFormat& format, const SheetSide& side, QSize size, double dpiX, double dpiY) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpiX / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpiY / 0.0254)));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawSide(painter, format, side, size, dpiX, dpiY);
    }
    return image;
}

} // namespace vek
