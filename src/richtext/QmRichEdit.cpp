#include "QmRichEdit.h"

#include "RtfLayout.h"
#include "RtfReader.h"
#include "platform/GdiCanvas.h"

namespace vek {

TQmRichEdit::TQmRichEdit() = default;
TQmRichEdit::~TQmRichEdit() = default;

void TQmRichEdit::setJustify(bool justify) {
    if (justify != m_justify)
        m_layout.reset();
    m_justify = justify;
}

void TQmRichEdit::setDefaultTextColor(ColorRef color) {
    if (color != m_defaultTextColor)
        m_layout.reset();
    m_defaultTextColor = color;
}

void TQmRichEdit::loadRichText(QByteArrayView rtf) {
    m_layout.reset();
    readRtf(rtf, m_doc);
}

int TQmRichEdit::textLength() const {
    return std::max(0, m_doc.characterCount() - 1);
}

int TQmRichEdit::formatRange(FormatRange* range, bool render) {
    if (!range) {
        m_layout.reset();
        return 0;
    }
    if (!range->hdc || range->cpMin < 0)
        return -1;
    GdiCanvas& canvas = *range->hdc;
    const int dpiX = canvas.logPixelsX();
    const int dpiY = canvas.logPixelsY();
    if (dpiX <= 0 || dpiY <= 0)
        return -1;
    if (!m_layout || dpiX != m_layoutDpiX || dpiY != m_layoutDpiY) {
        rtf::LayoutOptions options;
        options.dpiX = dpiX;
        options.dpiY = dpiY;
        options.justify = m_justify;
        options.autoColor = m_defaultTextColor;
        m_layout = std::make_unique<rtf::Layout>(m_doc, options);
        m_layoutDpiX = dpiX;
        m_layoutDpiY = dpiY;
    }
    const TwipsRect& rc = range->rc;
    const auto toX = [&](int tw) { return int(qint64(tw) * dpiX / 1440); };
    const auto toY = [&](int tw) { return int(qint64(tw) * dpiY / 1440); };
    const QRect box(QPoint(toX(rc.left), toY(rc.top)), QPoint(toX(rc.right) - 1, toY(rc.bottom) - 1));
    const rtf::Layout::Result result = m_layout->run(range->cpMin, box, render ? &canvas : nullptr);
    range->rc.bottom = int(qint64(result.bottom) * 1440 / dpiY);
    return result.next;
}

} // namespace vek
