// Drawing laid-out lines on a GDI-style canvas: one ExtTextOut with explicit advances per run of
// equal look, highlight as a filled rectangle, underline and strike-out as lines, pictures
// stretched into their place.

#include "RtfFormat.h"
#include "RtfLayout.h"
#include "platform/Errors.h"
#include "platform/GdiCanvas.h"
#include "platform/Metafile.h"

#include <QImage>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>
#include <numeric>

namespace vek::rtf {
namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObject = 0xFFFC;

} // namespace

void Layout::beginDrawing(GdiCanvas& canvas) {
    canvas.setBkMode(TRANSPARENT);
}

void Layout::drawLine(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, const QRect& box) const {
    int x = box.x() + line.x;
    int i = line.start;
    while (i < line.contentEnd) {
        const QChar c = p.text[i];
        const int adv = line.advances[std::size_t(i - line.start)];
        const RunStyle& s = m_styles[std::size_t(p.style[std::size_t(i)])];
        if (c == u'\t' || c == QChar(kLineSeparator)) {
            if (c == u'\t')
                drawLeader(canvas, p, line, i, x, adv, box);
            x += adv;
            ++i;
            continue;
        }
        if (c == QChar(kObject) && !s.pictureName.isEmpty()) {
            const QSize size = s.pictureSize;
            drawPicture(canvas, s, QRect(QPoint(x, line.baseline - size.height()), size));
            x += adv;
            ++i;
            continue;
        }
        int j = i + 1;
        while (j < line.contentEnd && p.style[std::size_t(j)] == p.style[std::size_t(i)] &&
               p.text[j] != u'\t' && p.text[j] != QChar(kLineSeparator) && p.text[j] != QChar(kObject))
            ++j;
        drawSegment(canvas, p, line, i, j, x);
        const auto first = line.advances.begin() + (i - line.start);
        x += std::accumulate(first, first + (j - i), 0);
        i = j;
    }
}

void Layout::drawSegment(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, int from, int to,
                         int x) const {
    const RunStyle& s = m_styles[std::size_t(p.style[std::size_t(from)])];
    const auto first = line.advances.begin() + (from - line.start);
    const std::vector<int> dx(first, first + (to - from));
    const int width = std::accumulate(dx.begin(), dx.end(), 0);
    const int baseline = line.baseline - s.rise;
    if (s.hasBack)
        canvas.fillRect(QRect(x, line.top, width, line.height), s.back);
    canvas.selectFont(s.font);
    canvas.setTextColor(s.color);
    const QStringView text = QStringView(p.text).mid(from, to - from);
    canvas.extTextOut(x, baseline - s.font->ascent(), 0, nullptr, text, dx.data());
    if (s.underline || s.strike)
        drawLines(canvas, s, x, baseline, dx, text);
}

// Underline of its kind and strike-out, single or double, under and through the run.
void Layout::drawLines(GdiCanvas& canvas, const RunStyle& s, int x, int baseline, const std::vector<int>& dx,
                       QStringView text) const {
    const int width = std::accumulate(dx.begin(), dx.end(), 0);
    const int w = s.lineWidth;
    const auto hline = [&](int from, int to, int y) {
        canvas.moveTo(from, y);
        canvas.lineTo(to, y);
    };
    if (s.strike) {
        canvas.selectPen(LogPen{PS_SOLID, w, s.color});
        hline(x, x + width, baseline - s.strikePos);
        if (s.doubleStrike)
            hline(x, x + width, baseline - s.strikePos - 2 * w);
    }
    if (!s.underline)
        return;
    const int y = baseline + s.underlinePos;
    switch (s.underlineKind) {
    case UlDouble:
        canvas.selectPen(LogPen{PS_SOLID, w, s.color});
        hline(x, x + width, y);
        hline(x, x + width, y + 2 * w);
        break;
    case UlWords: {
        // Under the words only, not under the blanks between them.
        canvas.selectPen(LogPen{PS_SOLID, w, s.color});
        int at = x;
        for (qsizetype i = 0; i < text.size();) {
            qsizetype j = i;
            int end = at;
            while (j < text.size() && text[j] != u' ')
                end += dx[std::size_t(j++)];
            if (end > at)
                hline(at, end, y);
            at = end;
            for (; j < text.size() && text[j] == u' '; ++j)
                at += dx[std::size_t(j)];
            i = j;
        }
        break;
    }
    case UlDotted:
    case UlDash:
        canvas.selectPen(LogPen{s.underlineKind == UlDotted ? PS_DOT : PS_DASH, 0, s.color});
        hline(x, x + width, y);
        break;
    case UlThick:
        canvas.selectPen(LogPen{PS_SOLID, 2 * w, s.color});
        hline(x, x + width, y);
        break;
    case UlWave: {
        canvas.selectPen(LogPen{PS_SOLID, w, s.color});
        const int step = std::max(2, 2 * w);
        QList<QPoint> points;
        for (int px = x, k = 0; px <= x + width; px += step, ++k)
            points.append(QPoint(px, y + (k % 2 ? step / 2 : -step / 2) + step / 2));
        canvas.polyline(points);
        break;
    }
    default:
        canvas.selectPen(LogPen{PS_SOLID, w, s.color});
        hline(x, x + width, y);
        break;
    }
}

// Fills the space a tab takes with the leader of its tab stop: dots, hyphens or a line.
void Layout::drawLeader(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, int at, int x, int adv,
                        const QRect& box) const {
    const int relative = x - box.x();
    const auto stop = std::find_if(p.tabs.begin(), p.tabs.end(),
                                   [&](const QTextOption::Tab& t) { return t.position > relative; });
    if (stop == p.tabs.end() || adv <= 0)
        return;
    const int leader = p.leaders[std::size_t(stop - p.tabs.begin())];
    if (leader == LeaderNone)
        return;
    const RunStyle& s = m_styles[std::size_t(p.style[std::size_t(at)])];
    canvas.setTextColor(s.color);
    if (leader == LeaderUnderline || leader == LeaderThick) {
        canvas.selectPen(LogPen{PS_SOLID, leader == LeaderThick ? 2 * s.lineWidth : s.lineWidth, s.color});
        canvas.moveTo(x, line.baseline + s.underlinePos);
        canvas.lineTo(x + adv, line.baseline + s.underlinePos);
        return;
    }
    const QChar mark = leader == LeaderHyphens ? u'-' : leader == LeaderEquals ? u'=' : u'.';
    const int step = std::max(1, s.font->advance(mark.unicode()));
    const int count = std::max(0, adv / step - 1);
    if (count == 0)
        return;
    // Marks on a grid of their own advance, ending a mark short of the text after the tab.
    const std::vector<int> dx(std::size_t(count), step);
    const int first = x + adv - (count + 1) * step + (adv % step);
    canvas.selectFont(s.font);
    canvas.extTextOut(first, line.baseline - s.font->ascent(), 0, nullptr, QString(count, mark), dx.data());
}

// Shading behind the paragraph's lines and its borders, at the indents (widened by the border's
// space) and above its first and below its last line.
void Layout::drawParagraphFrame(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, bool first,
                                bool last, const QRect& box) const {
    if (p.borders == 0 && !p.shaded)
        return;
    const int space = p.borders ? p.borderSpace : 0;
    const int left = box.x() + p.left + std::min(0, p.first) - space;
    const int right = box.x() + box.width() - p.right + space;
    const int top = line.top - (first ? space : 0);
    const int bottom = line.top + line.height + (last ? space : 0);
    if (p.shaded)
        canvas.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), p.shading);
    if (p.borders == 0)
        return;
    canvas.selectPen(LogPen{PS_SOLID, p.borderWidth, p.borderColor});
    // The top edge only above the first line, the bottom one only below the last.
    const int sides = p.borders & ~(first ? 0 : BorderTop) & ~(last ? 0 : BorderBottom);
    drawSides(canvas, sides, left, top, right, bottom);
}

// The sides (BorderSide bits) of a rectangle, with the current pen.
void Layout::drawSides(GdiCanvas& canvas, int sides, int left, int top, int right, int bottom) {
    const auto edge = [&](int x1, int y1, int x2, int y2) {
        canvas.moveTo(x1, y1);
        canvas.lineTo(x2, y2);
    };
    if (sides & BorderTop)
        edge(left, top, right, top);
    if (sides & BorderBottom)
        edge(left, bottom, right, bottom);
    if (sides & BorderLeft)
        edge(left, top, left, bottom);
    if (sides & BorderRight)
        edge(right, top, right, bottom);
}

void Layout::drawPicture(GdiCanvas& canvas, const RunStyle& s, const QRect& r) const {
    const QVariant data = m_doc.resource(QTextDocument::ImageResource, QUrl(s.pictureName));
    switch (PictureKind(s.pictureKind)) {
    case PictureKind::Emf:
        try {
            canvas.stretchDraw(r, TMetafile::fromBytes(data.toByteArray()));
        } catch (const EInvalidGraphic&) {
            // checked when read; nothing to draw
        }
        break;
    case PictureKind::Png:
    case PictureKind::Jpeg:
    case PictureKind::Bitmap:
        canvas.stretchImage(r, data.value<QImage>());
        break;
    default: // pictures we cannot read keep their place only
        break;
    }
}

} // namespace vek::rtf
