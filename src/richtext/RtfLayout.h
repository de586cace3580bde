#pragma once
// Lays out a rich-text document (as the RTF reader builds it) into a rectangle of a GDI-style
// canvas, line by line, with fonts of GDI semantics: word wrapping, indents, tab stops, paragraph
// and line spacing, left, right, centred and fully justified paragraphs, superscript, subscript,
// pictures. A line is placed only when its whole height fits, so a long text continues exactly
// at the first character of the first line that did not fit.

#include "platform/Gdi.h"
#include "platform/GdiFont.h"

#include <QHash>
#include <QRect>
#include <QString>
#include <QTextBlock>
#include <QTextOption>
#include <unordered_map>
#include <vector>

class QTextDocument;

namespace vek {

class GdiCanvas;

namespace rtf {

struct LayoutOptions {
    int dpiX = 96;
    int dpiY = 96;
    bool justify = true;    // justified paragraphs really justified
    ColorRef autoColor = 0; // colour of text without its own
};

// The look of a run of characters in device terms.
struct RunStyle {
    GdiFontPtr font;
    ColorRef color = 0;
    bool hasBack = false;
    ColorRef back = 0;
    bool underline = false;
    int underlineKind = 0; // UnderlineKind
    bool strike = false;
    bool doubleStrike = false;
    int spacing = 0; // added to the advance of every character
    int rise = 0;    // baseline shift, upwards
    int ascent = 0;  // above the line's baseline, rise included
    int descent = 0;
    int lineWidth = 1;    // underline and strike-out thickness
    int underlinePos = 1; // below the baseline
    int strikePos = 0;    // above the baseline
    // Pictures.
    int pictureKind = 0;
    QString pictureName;
    QSize pictureSize;
};

// One laid-out line: characters [start, end) of its paragraph (end includes a paragraph mark or
// line separator), drawn from x with one advance per character.
struct LaidLine {
    int start = 0;
    int end = 0;
    int contentEnd = 0; // without trailing blanks and breaks
    int x = 0;
    int top = 0;
    int height = 0;
    int baseline = 0;
    std::vector<int> advances; // for [start, contentEnd)
};

class Layout {
public:
    Layout(const QTextDocument& doc, const LayoutOptions& options);

    // Number of characters, paragraph marks included, the final one excluded.
    int textLength() const;

    struct Result {
        int next = 0;   // first character not laid out (textLength() when all were)
        int bottom = 0; // bottom of the last line laid out (box top when none)
        int lines = 0;
    };
    // Lays out from character position start into box; draws on canvas unless it is null.
    Result run(int start, const QRect& box, GdiCanvas* canvas);

private:
    struct Paragraph {
        QTextBlock block;
        QString text;
        std::vector<int> style;   // per character
        std::vector<int> advance; // natural advance per character (tabs: 0)
        int markStyle = 0;        // style of the paragraph mark
        Qt::Alignment align = Qt::AlignLeft;
        int left = 0, right = 0, first = 0, before = 0, after = 0;
        int lineSpacing = 0; // twips as written
        bool lineMultiple = false;
        std::vector<QTextOption::Tab> tabs; // positions in logical units from the box's left edge
        std::vector<int> leaders;           // TabLeader of each tab stop
        int borders = 0;                    // BorderSide bits
        int borderWidth = 0;
        int borderSpace = 0;
        ColorRef borderColor = 0;
        bool shaded = false;
        ColorRef shading = 0;
        // In a table: the row (0 for none), the cell, and the row's definition in logical units.
        int row = 0;
        int cell = 0;
        std::vector<int> edges; // [left edge, right edge of each cell], from the box's left edge
        std::vector<int> cellBorders;
        int gap = 0;
        int cellBorderWidth = 1;
    };
    // A line of a table cell waiting for its row to be placed.
    struct CellLine {
        const Paragraph* paragraph = nullptr;
        LaidLine line;
        int cell = 0;
        bool first = false;
        bool last = false;
    };

    const Paragraph& paragraph(const QTextBlock& block);
    int styleFor(const QTextCharFormat& format, int formatIndex);
    int withGlyph(int style, QStringView text, qsizetype at);
    static QString fallbackFamily(const QFont& font, QStringView character);
    RunStyle makeStyle(const QTextCharFormat& format) const;
    int toX(double points) const;
    int toY(double points) const;

    void readTableCell(const QTextBlockFormat& format, Paragraph& p) const;
    QTextBlock layOutRow(const QTextBlock& first, const QRect& box, GdiCanvas* canvas, int& y, Result& r);
    std::pair<int, int> cellColumn(const Paragraph& p, int cell, int boxWidth) const;
    QRect cellBox(const Paragraph& row, int cell, const QRect& box) const;
    void drawCellBorders(GdiCanvas& canvas, const Paragraph& row, int top, int bottom,
                         const QRect& box) const;
    LaidLine placeLine(const Paragraph& p, int from, int width, int y) const;
    static int below(const Paragraph& p, const LaidLine& line);
    static int frameTop(const Paragraph& p);
    static int frameBottom(const Paragraph& p);
    LaidLine breakLine(const Paragraph& p, int from, int width) const;
    int tabAdvance(const Paragraph& p, int x, int at) const;
    void alignLine(const Paragraph& p, LaidLine& line, int width, bool lastOfParagraph) const;
    void measureHeight(const Paragraph& p, LaidLine& line) const;
    static void beginDrawing(GdiCanvas& canvas);
    void drawLine(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, const QRect& box) const;
    void drawSegment(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, int from, int to,
                     int x) const;
    void drawPicture(GdiCanvas& canvas, const RunStyle& s, const QRect& r) const;
    void drawLines(GdiCanvas& canvas, const RunStyle& s, int x, int baseline, const std::vector<int>& dx,
                   QStringView text) const;
    void drawLeader(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, int at, int x, int adv,
                    const QRect& box) const;
    static void drawSides(GdiCanvas& canvas, int sides, int left, int top, int right, int bottom);
    void drawParagraphFrame(GdiCanvas& canvas, const Paragraph& p, const LaidLine& line, bool first,
                            bool last, const QRect& box) const;

    const QTextDocument& m_doc;
    LayoutOptions m_opt;
    std::vector<RunStyle> m_styles;
    QHash<int, int> m_styleByFormat;
    QHash<quint64, int> m_fallbackStyles;            // (style, character) -> style in a face that has it
    std::unordered_map<int, Paragraph> m_paragraphs; // by block number, prepared on first use
};

} // namespace rtf
} // namespace vek
