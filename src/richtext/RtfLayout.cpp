#include "RtfLayout.h"

#include "RtfFormat.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextLayout>
#include <algorithm>
#include <numeric>

namespace vek::rtf {
namespace {

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kObject = 0xFFFC;

bool isBlank(QChar c) {
    return c == u' ' || c == QChar(kLineSeparator);
}

// A break may follow a blank, a tab or a hyphen.
bool breaksAfter(QChar c) {
    return c == u' ' || c == u'\t' || c == u'-';
}

// Characters that stay with the one before them.
bool clingsToPrevious(QChar c) {
    return c.isLowSurrogate() || c.isMark();
}

} // namespace

// Room a paragraph's top and bottom borders take beside its lines.
int Layout::frameTop(const Paragraph& p) {
    return (p.borders & BorderTop) ? p.borderSpace + p.borderWidth : 0;
}
int Layout::frameBottom(const Paragraph& p) {
    return (p.borders & BorderBottom) ? p.borderSpace + p.borderWidth : 0;
}

Layout::Layout(const QTextDocument& doc, const LayoutOptions& options)
    : m_doc(doc)
    , m_opt(options) {
    m_opt.dpiX = std::max(1, m_opt.dpiX);
    m_opt.dpiY = std::max(1, m_opt.dpiY);
}

int Layout::textLength() const {
    return std::max(0, m_doc.characterCount() - 1);
}

int Layout::toX(double points) const {
    return roundHalfEven(points * m_opt.dpiX / 72.0);
}
int Layout::toY(double points) const {
    return roundHalfEven(points * m_opt.dpiY / 72.0);
}

RunStyle Layout::makeStyle(const QTextCharFormat& format) const {
    RunStyle s;
    const double points = format.fontPointSize() > 0 ? format.fontPointSize() : 12.0;
    const int fullHeight = std::max(1, toY(points));
    const auto vertical = format.verticalAlignment();
    const bool shifted =
        vertical == QTextCharFormat::AlignSuperScript || vertical == QTextCharFormat::AlignSubScript;
    LogFont lf;
    lf.height = -(shifted ? std::max(1, fullHeight * 2 / 3) : fullHeight);
    lf.weight = format.fontWeight() > 0 ? format.fontWeight() : 400;
    lf.italic = format.fontItalic() ? 1 : 0;
    const QVariant charset = format.property(CharsetProperty);
    lf.charSet = std::uint8_t(charset.isValid() ? charset.toInt() : DEFAULT_CHARSET);
    // The face, or its alternative when only that one is here; else GdiFont falls back by family.
    const QStringList faces = format.fontFamilies().toStringList();
    lf.faceName = faces.value(0, QStringLiteral("Arial"));
    if (faces.size() > 1 && !GdiFont::hasFace(lf.faceName) && GdiFont::hasFace(faces[1]))
        lf.faceName = faces[1];
    lf.pitchAndFamily = std::uint8_t(format.property(PitchFamilyProperty).toInt());
    s.font = GdiFont::get(lf);
    if (const int scaleX = format.property(ScaleXProperty).toInt(); scaleX > 0 && scaleX != 100) {
        lf.width = std::max(1, roundHalfEven(s.font->averageCharWidth() * scaleX / 100.0));
        s.font = GdiFont::get(lf);
    }
    s.spacing = toX(format.property(SpacingProperty).toDouble());
    if (vertical == QTextCharFormat::AlignSuperScript)
        s.rise = roundHalfEven(fullHeight * 0.35);
    else if (vertical == QTextCharFormat::AlignSubScript)
        s.rise = -roundHalfEven(fullHeight * 0.15);
    s.rise += toY(format.property(RiseProperty).toDouble());
    s.ascent = std::max(0, s.font->ascent() + s.rise);
    s.descent = std::max(0, s.font->descent() - s.rise);
    s.color = format.hasProperty(AutoColorProperty) || !format.foreground().color().isValid()
                  ? m_opt.autoColor
                  : fromQColor(format.foreground().color());
    if (format.background().style() != Qt::NoBrush) {
        s.hasBack = true;
        s.back = fromQColor(format.background().color());
    }
    s.underline = format.fontUnderline();
    s.underlineKind = s.underline ? std::max(1, format.property(UnderlineKindProperty).toInt()) : 0;
    s.strike = format.fontStrikeOut();
    s.doubleStrike = format.property(StrikeKindProperty).toInt() > 1;
    const QFontMetricsF fm(s.font->qfont());
    s.lineWidth = std::max(1, roundHalfEven(fm.lineWidth()));
    s.underlinePos = std::max(1, roundHalfEven(fm.underlinePos()));
    s.strikePos = roundHalfEven(fm.strikeOutPos());
    if (format.isImageFormat()) {
        const QTextImageFormat image = format.toImageFormat();
        s.pictureKind = image.property(PictureKindProperty).toInt();
        s.pictureName = image.name();
        s.pictureSize = QSize(std::max(1, toX(image.width())), std::max(1, toY(image.height())));
        s.ascent = s.pictureSize.height();
        s.descent = 0;
    }
    return s;
}

// The style itself when its face has the character at, else the same style in the face that
// fontconfig falls back to for it (as Qt does for ordinary text): the run is drawn with that
// face, so the glyph is recorded as text of a face that has it.
int Layout::withGlyph(int style, QStringView text, qsizetype at) {
    const QChar c = text[at];
    if (c.isLowSurrogate() || c == u'\t' || c == QChar(kLineSeparator) || c == QChar(kObject) ||
        c.unicode() < 0x20)
        return style;
    char32_t code = c.unicode();
    if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        code = QChar::surrogateToUcs4(c, text[at + 1]);
    const GdiFontPtr& font = m_styles[std::size_t(style)].font;
    if (font->rawFont().supportsCharacter(code))
        return style;
    const quint64 key = (quint64(style) << 32) | code;
    if (const auto it = m_fallbackStyles.constFind(key); it != m_fallbackStyles.constEnd())
        return *it;
    int result = style;
    const QString family = fallbackFamily(font->qfont(), text.mid(at, code > 0xFFFF ? 2 : 1));
    if (!family.isEmpty() && family != font->qfont().family()) {
        RunStyle fallback = m_styles[std::size_t(style)];
        LogFont lf = font->logFont();
        lf.faceName = family;
        fallback.font = GdiFont::get(lf);
        m_styles.push_back(std::move(fallback));
        result = int(m_styles.size()) - 1;
    }
    m_fallbackStyles.insert(key, result);
    return result;
}

// The family Qt's own text layout draws the character with when font lacks it; empty when no
// installed face has it. Qt then lays it out in a stand-in that draws boxes: it has no font file
// behind it (no tables) and no family, and must not be asked for one.
QString Layout::fallbackFamily(const QFont& font, QStringView character) {
    QTextLayout layout(character.toString(), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        if (run.glyphIndexes().isEmpty() || run.glyphIndexes().front() == 0)
            continue;
        if (raw.isValid() && !raw.fontTable("head").isEmpty())
            return raw.familyName();
    }
    return {};
}

int Layout::styleFor(const QTextCharFormat& format, int formatIndex) {
    const auto it = m_styleByFormat.constFind(formatIndex);
    if (it != m_styleByFormat.constEnd())
        return *it;
    m_styles.push_back(makeStyle(format));
    const int index = int(m_styles.size()) - 1;
    m_styleByFormat.insert(formatIndex, index);
    return index;
}

const Layout::Paragraph& Layout::paragraph(const QTextBlock& block) {
    const auto found = m_paragraphs.find(block.blockNumber());
    if (found != m_paragraphs.end())
        return found->second;
    Paragraph p;
    p.block = block;
    p.text = block.text();
    const auto n = std::size_t(p.text.size());
    p.markStyle = styleFor(block.charFormat(), block.charFormatIndex());
    p.style.assign(n, p.markStyle);
    p.advance.assign(n, 0);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const int style = styleFor(f.charFormat(), f.charFormatIndex());
        const int from = std::max(0, f.position() - block.position());
        const int to = std::min(int(n), from + f.length());
        std::fill(p.style.begin() + from, p.style.begin() + to, style);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const QChar c = p.text[qsizetype(i)];
        p.style[i] = withGlyph(p.style[i], QStringView(p.text), qsizetype(i));
        const RunStyle& s = m_styles[std::size_t(p.style[i])];
        if (c == QChar(kObject) && !s.pictureName.isEmpty())
            p.advance[i] = s.pictureSize.width();
        else if (c == u'\t' || c == QChar(kLineSeparator) || c.isLowSurrogate())
            p.advance[i] = 0;
        else if (c.isHighSurrogate() && i + 1 < n)
            p.advance[i] = s.font->textWidth(QStringView(p.text).mid(qsizetype(i), 2));
        else if (c.isMark())
            p.advance[i] = 0; // a combining accent left alone sits on the letter before it
        else
            p.advance[i] = s.font->advance(c.unicode());
        if (c != u'\t' && c != QChar(kLineSeparator) && !c.isLowSurrogate())
            p.advance[i] = std::max(0, p.advance[i] + s.spacing);
    }
    const QTextBlockFormat bf = block.blockFormat();
    p.align = bf.alignment() & Qt::AlignHorizontal_Mask;
    p.left = toX(bf.leftMargin());
    p.right = toX(bf.rightMargin());
    p.first = toX(bf.textIndent());
    p.before = toY(bf.topMargin());
    p.after = toY(bf.bottomMargin());
    p.lineSpacing = bf.property(LineSpacingProperty).toInt();
    p.lineMultiple = bf.property(LineSpacingMultipleProperty).toBool();
    const QVariantList leaders = bf.property(TabLeadersProperty).toList();
    for (QTextOption::Tab t : bf.tabPositions()) {
        t.position = toX(t.position);
        p.leaders.push_back(leaders.value(qsizetype(p.tabs.size())).toInt());
        p.tabs.push_back(t);
    }
    p.borders = bf.property(BordersProperty).toInt();
    if (p.borders != 0) {
        p.borderWidth = std::max(1, toY(bf.property(BorderWidthProperty).toDouble()));
        p.borderSpace = toY(bf.property(BorderSpaceProperty).toDouble());
        p.borderColor = fromQColor(bf.property(BorderColorProperty).value<QColor>());
    }
    readTableCell(bf, p);
    if (const QVariant shading = bf.property(ShadingProperty); shading.isValid()) {
        p.shaded = true;
        p.shading = fromQColor(shading.value<QColor>());
    }
    return m_paragraphs.emplace(block.blockNumber(), std::move(p)).first->second;
}

// The advance of the tab at character at, standing at x: to the next tab stop, or to the next
// multiple of half an inch. Right, centred and decimal stops place the text that follows the tab
// (up to the next tab, or the decimal point) before or around the stop.
int Layout::tabAdvance(const Paragraph& p, int x, int at) const {
    const auto stop =
        std::find_if(p.tabs.begin(), p.tabs.end(), [&](const QTextOption::Tab& t) { return t.position > x; });
    if (p.first < 0 && x < p.left && (stop == p.tabs.end() || stop->position >= p.left))
        return p.left - x; // a hanging indent is a tab stop of its own
    if (stop == p.tabs.end()) {
        const int step = std::max(1, m_opt.dpiX / 2);
        return step - (x % step + step) % step;
    }
    const int gap = int(stop->position) - x;
    if (stop->type == QTextOption::LeftTab)
        return gap;
    int following = 0;
    for (int i = at + 1; i < int(p.text.size()); ++i) {
        const QChar c = p.text[i];
        if (c == u'\t' || c == QChar(kLineSeparator) ||
            (stop->type == QTextOption::DelimiterTab && (c == u'.' || c == u',')))
            break;
        following += p.advance[std::size_t(i)];
    }
    if (stop->type == QTextOption::CenterTab)
        following /= 2;
    return std::max(0, gap - following);
}

LaidLine Layout::breakLine(const Paragraph& p, int from, int width) const {
    LaidLine line;
    line.start = from;
    const int n = int(p.text.size());
    line.x = std::max(0, p.left + (from == 0 ? p.first : 0));
    const int right = std::max(line.x + 1, width - p.right);
    int x = line.x;
    int lastBreak = -1;
    int i = from;
    bool hardBreak = false;
    std::vector<int>& adv = line.advances;
    while (i < n) {
        const QChar c = p.text[i];
        if (c == QChar(kLineSeparator)) {
            adv.push_back(0);
            ++i;
            hardBreak = true;
            break;
        }
        const int a = c == u'\t' ? tabAdvance(p, x, i) : p.advance[std::size_t(i)];
        if (c != u' ' && i > from && x + a > right && !clingsToPrevious(c)) {
            if (lastBreak > from) {
                adv.resize(std::size_t(lastBreak - from));
                i = lastBreak;
            }
            break;
        }
        adv.push_back(a);
        x += a;
        ++i;
        if (breaksAfter(c))
            lastBreak = i;
    }
    line.end = (i >= n && !hardBreak) ? n + 1 : i;
    int content = i;
    while (content > from && isBlank(p.text[content - 1]))
        --content;
    line.contentEnd = content;
    adv.resize(std::size_t(content - from));
    return line;
}

void Layout::alignLine(const Paragraph& p, LaidLine& line, int width, bool lastOfParagraph) const {
    const int right = std::max(line.x + 1, width - p.right);
    const int used = std::accumulate(line.advances.begin(), line.advances.end(), 0);
    const int extra = std::max(0, right - line.x - used);
    if (p.align & Qt::AlignRight) {
        line.x += extra;
    } else if (p.align & Qt::AlignHCenter) {
        line.x += extra / 2;
    } else if ((p.align & Qt::AlignJustify) && m_opt.justify && !lastOfParagraph && extra > 0) {
        // Blanks after the last tab share the free space; the first ones get the remainder.
        int firstBlank = line.start;
        for (int i = line.start; i < line.contentEnd; ++i) {
            if (p.text[i] == u'\t')
                firstBlank = i + 1;
        }
        std::vector<int> blanks;
        for (int i = firstBlank; i < line.contentEnd; ++i) {
            if (p.text[i] == u' ')
                blanks.push_back(i - line.start);
        }
        if (blanks.empty())
            return;
        const int each = extra / int(blanks.size());
        const int rest = extra % int(blanks.size());
        for (std::size_t k = 0; k < blanks.size(); ++k)
            line.advances[std::size_t(blanks[k])] += each + (int(k) < rest ? 1 : 0);
    }
}

void Layout::measureHeight(const Paragraph& p, LaidLine& line) const {
    int ascent = 0;
    int descent = 0;
    const int n = int(p.text.size());
    const int to = std::min(line.end, n);
    bool any = false;
    for (int i = line.start; i < to; ++i) {
        if (p.text[i] == QChar(kLineSeparator))
            continue;
        const RunStyle& s = m_styles[std::size_t(p.style[std::size_t(i)])];
        ascent = std::max(ascent, s.ascent);
        descent = std::max(descent, s.descent);
        any = true;
    }
    if (!any) {
        const RunStyle& s = m_styles[std::size_t(p.markStyle)];
        ascent = s.ascent;
        descent = s.descent;
    }
    const int natural = ascent + descent;
    int height = natural;
    if (p.lineSpacing != 0) {
        const int spacing = roundHalfEven(std::abs(p.lineSpacing) * m_opt.dpiY / 1440.0);
        if (p.lineMultiple)
            height = p.lineSpacing > 0 ? roundHalfEven(natural * p.lineSpacing / 240.0) : natural;
        else if (p.lineSpacing > 0)
            height = std::max(natural, spacing);
        else
            height = spacing;
    }
    line.height = std::max(1, height);
    line.baseline = line.height - descent; // relative to the line top until placed
}

// The line of p that starts at from, broken to width, measured, aligned and placed below y.
LaidLine Layout::placeLine(const Paragraph& p, int from, int width, int y) const {
    LaidLine line = breakLine(p, from, width);
    measureHeight(p, line);
    alignLine(p, line, width, line.end > int(p.text.size()));
    line.top = y + (from == 0 ? p.before + frameTop(p) : 0);
    line.baseline += line.top;
    return line;
}

// Where the next line goes after line: below it, and below the paragraph's spacing after its last.
int Layout::below(const Paragraph& p, const LaidLine& line) {
    const bool last = line.end > int(p.text.size());
    return line.top + line.height + (last ? p.after + frameBottom(p) : 0);
}

Layout::Result Layout::run(int start, const QRect& box, GdiCanvas* canvas) {
    Result r;
    r.bottom = box.y();
    const int total = textLength();
    start = std::max(0, start);
    if (start >= total) {
        r.next = total;
        return r;
    }
    const int boxBottom = box.y() + box.height();
    const int width = std::max(1, box.width());
    QTextBlock block = m_doc.findBlock(start);
    int from = start - block.position();
    int y = box.y();
    if (canvas)
        beginDrawing(*canvas);
    while (block.isValid()) {
        const Paragraph& p = paragraph(block);
        if (p.row != 0) {
            const QTextBlock next = layOutRow(block, box, canvas, y, r);
            if (next == block) {
                r.next = block.position();
                return r;
            }
            block = next;
            from = 0;
            continue;
        }
        const int n = int(p.text.size());
        while (from <= n) {
            const LaidLine line = placeLine(p, from, width, y);
            const bool last = line.end > n;
            // A line goes on only when all of it fits; the first one always does, so that a
            // continued text makes progress even in a box lower than one line.
            if (line.top + line.height > boxBottom && r.lines > 0) {
                r.next = block.position() + from;
                return r;
            }
            if (canvas) {
                drawParagraphFrame(*canvas, p, line, from == 0, last, box);
                drawLine(*canvas, p, line, box);
            }
            ++r.lines;
            y = below(p, line);
            r.bottom = std::min(y, std::max(boxBottom, line.top + line.height));
            if (last)
                break;
            from = line.end;
        }
        block = block.next();
        from = 0;
    }
    r.next = total;
    return r;
}

} // namespace vek::rtf
