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
    canvas.extTextOut(x, baseline - s.font->ascent(), 0, nullptr, QStringView(p.text).mid(from, to - from),
                      dx.data());
    if (!s.underline && !s.strike)
        return;
    canvas.selectPen(LogPen{PS_SOLID, s.lineWidth, s.color});
    if (s.underline) {
        canvas.moveTo(x, baseline + s.underlinePos);
        canvas.lineTo(x + width, baseline + s.underlinePos);
    }
    if (s.strike) {
        canvas.moveTo(x, baseline - s.strikePos);
        canvas.lineTo(x + width, baseline - s.strikePos);
    }
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
        canvas.stretchImage(r, data.value<QImage>());
        break;
    default: // WMF and bitmaps keep their place only
        break;
    }
}

} // namespace vek::rtf
