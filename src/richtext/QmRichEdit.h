#pragma once
// TQmRichEdit: the hidden rich-text control that DrawRichText lays text out with. It holds a
// document read from Rich Text Format and answers the format-range request: lay the text out from
// a character position into a rectangle in twips of a canvas, optionally drawing it, and report
// the first character that did not fit and the bottom of the laid-out text.

#include "platform/Gdi.h"

#include <QByteArrayView>
#include <QTextDocument>
#include <memory>

namespace vek {

class GdiCanvas;
namespace rtf {
class Layout;
}

// A rectangle in twips, edges as Windows gives them (right and bottom exclusive).
struct TwipsRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The format-range request: the canvas to lay out for (and draw on), the layout and page
// rectangles in twips and the character range (cpMax −1: to the end).
struct FormatRange {
    GdiCanvas* hdc = nullptr;
    TwipsRect rc;
    TwipsRect rcPage;
    int cpMin = 0;
    int cpMax = -1;
};

class TQmRichEdit {
public:
    TQmRichEdit();
    ~TQmRichEdit();
    TQmRichEdit(const TQmRichEdit&) = delete;
    TQmRichEdit& operator=(const TQmRichEdit&) = delete;

    // Full justification of paragraphs marked justified (otherwise they are laid out left-aligned).
    bool Justify() const { return m_justify; }
    void setJustify(bool justify);

    // Background colour of the control; the laid-out text is drawn without a background.
    ColorRef Color() const { return m_color; }
    void setColor(ColorRef color) { m_color = color; }
    // Colour of text that has no colour of its own (black unless set).
    void setDefaultTextColor(ColorRef color);

    // Loads Rich Text Format (plain text when the bytes are not RTF).
    void loadRichText(QByteArrayView rtf);
    // Characters of the text, one per paragraph mark, the final mark excluded.
    int textLength() const;
    const QTextDocument& document() const { return m_doc; }

    // Lays out from range->cpMin into range->rc, drawing on range->hdc when render is set. Returns
    // the first character that did not fit (textLength() when all did), −1 when the request cannot
    // be served; range->rc.bottom becomes the bottom of the laid-out text. A null range releases
    // the layout kept between requests.
    int formatRange(FormatRange* range, bool render);

private:
    QTextDocument m_doc;
    bool m_justify = false;
    ColorRef m_color = rgb(255, 255, 255);
    ColorRef m_defaultTextColor = 0;
    std::unique_ptr<rtf::Layout> m_layout;
    int m_layoutDpiX = 0;
    int m_layoutDpiY = 0;
};

} // namespace vek
