// Table rows: the cells of a row side by side at the columns its definition gives, each cell's
// paragraphs wrapped inside it with their own alignment, the row as tall as its tallest cell and
// moved whole to the next box when it does not fit, the cell borders drawn around it.

#include "RtfFormat.h"
#include "RtfLayout.h"
#include "platform/GdiCanvas.h"

#include <QTextDocument>
#include <algorithm>

namespace vek::rtf {

void Layout::readTableCell(const QTextBlockFormat& format, Paragraph& p) const {
    p.row = format.property(TableRowProperty).toInt();
    if (p.row == 0)
        return;
    p.cell = std::max(0, format.property(TableCellProperty).toInt());
    for (const QVariant& edge : format.property(TableEdgesProperty).toList())
        p.edges.push_back(toX(edge.toDouble()));
    for (const QVariant& border : format.property(TableBordersProperty).toList())
        p.cellBorders.push_back(border.toInt());
    p.gap = std::max(0, toX(format.property(TableGapProperty).toDouble()));
    p.cellBorderWidth = std::max(1, toY(format.property(TableBorderWidthProperty).toDouble()));
}

// Left and right edge of a cell from the box's left edge. A cell the row does not define takes
// the rest of the box.
std::pair<int, int> Layout::cellColumn(const Paragraph& p, int cell, int boxWidth) const {
    const int defined = int(p.edges.size()) - 1;
    const int left = cell <= defined ? p.edges[std::size_t(cell)] : (defined >= 0 ? p.edges.back() : 0);
    const int right = cell < defined ? p.edges[std::size_t(cell) + 1] : std::max(left + 1, boxWidth);
    return {left, std::max(left + 1, right)};
}

// The box a cell's text goes in: its column less the row's gap on either side.
QRect Layout::cellBox(const Paragraph& row, int cell, const QRect& box) const {
    const auto [left, right] = cellColumn(row, cell, box.width());
    return QRect(box.x() + left + row.gap, box.y(), std::max(1, right - left - 2 * row.gap), box.height());
}

// Lays out the row that starts at first; returns the block after the row, or first itself when
// the row does not fit below y (and is not the first thing in the box).
QTextBlock Layout::layOutRow(const QTextBlock& first, const QRect& box, GdiCanvas* canvas, int& y,
                             Result& r) {
    const Paragraph& rowStart = paragraph(first);
    std::vector<CellLine> lines;
    std::vector<int> cellBottom;
    QTextBlock block = first;
    for (; block.isValid(); block = block.next()) {
        const Paragraph& p = paragraph(block);
        if (p.row != rowStart.row)
            break;
        const int width = cellBox(rowStart, p.cell, box).width();
        if (std::size_t(p.cell) >= cellBottom.size())
            cellBottom.resize(std::size_t(p.cell) + 1, y);
        int& at = cellBottom[std::size_t(p.cell)];
        const int n = int(p.text.size());
        for (int from = 0; from <= n;) {
            CellLine cl{&p, placeLine(p, from, width, at), p.cell, from == 0, false};
            cl.last = cl.line.end > n;
            at = below(p, cl.line);
            from = cl.line.end;
            lines.push_back(std::move(cl));
            if (lines.back().last)
                break;
        }
    }
    const int bottom = cellBottom.empty() ? y : *std::max_element(cellBottom.begin(), cellBottom.end());
    if (bottom > box.y() + box.height() && r.lines > 0)
        return first;
    if (canvas) {
        for (const CellLine& cl : lines) {
            const QRect inside = cellBox(rowStart, cl.cell, box);
            drawParagraphFrame(*canvas, *cl.paragraph, cl.line, cl.first, cl.last, inside);
            drawLine(*canvas, *cl.paragraph, cl.line, inside);
        }
        drawCellBorders(*canvas, rowStart, y, bottom, box);
    }
    r.lines += std::max<int>(1, int(lines.size()));
    y = bottom;
    r.bottom = bottom;
    return block;
}

void Layout::drawCellBorders(GdiCanvas& canvas, const Paragraph& row, int top, int bottom,
                             const QRect& box) const {
    bool penSelected = false;
    for (std::size_t c = 0; c < row.cellBorders.size(); ++c) {
        const int sides = row.cellBorders[c];
        if (sides == 0)
            continue;
        if (!penSelected) {
            canvas.selectPen(LogPen{PS_SOLID, row.cellBorderWidth, 0});
            penSelected = true;
        }
        const auto [left, right] = cellColumn(row, int(c), box.width());
        drawSides(canvas, sides, box.x() + left, top, box.x() + right, bottom);
    }
}

} // namespace vek::rtf
