#include "DrawText.h"

#include "CodePage.h"

#include <QVarLengthArray>
#include <algorithm>

namespace vek {
namespace {

constexpr char16_t kEllipsis[] = u"...";

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// The text with its prefix characters taken out: "&x" becomes "x" marked for underlining,
// "&&" becomes "&". A lone "&" at the very end stays.
// Without prefixes the text is only viewed, not copied.
struct PrefixedText {
    QStringView source;
    QString stripped; // the text when prefixes were taken out
    bool prefixes = false;
    QList<qsizetype> underlined; // ascending positions in text
    QStringView text() const { return prefixes ? QStringView(stripped) : source; }
};

PrefixedText stripPrefixes(QStringView in, bool prefixes) {
    PrefixedText out;
    out.source = in;
    out.prefixes = prefixes;
    if (!prefixes)
        return out;
    out.stripped.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&' && i + 1 < in.size()) {
            ++i;
            if (in[i] != u'&')
                out.underlined.append(out.stripped.size());
        }
        out.stripped.append(in[i]);
    }
    return out;
}

struct Line {
    QStringView text;         // the characters of the line, without "..."
    bool ellipsis = false;    // drawn with "..." after text
    int width = 0;            // with the "..."
    qsizetype underline = -1; // position in text of the underlined character, -1 for none
    // The line as drawn.
    QString shown() const {
        QString s = text.toString();
        if (ellipsis)
            s.append(QStringView(kEllipsis));
        return s;
    }
};

// Cuts the text into lines as DrawText does, one line per call.
class LineBreaker {
public:
    LineBreaker(const GdiFont& font, const PrefixedText& text, unsigned flags, int width)
        : m_font(font)
        , m_text(text)
        , m_chars(text.text())
        , m_flags(flags)
        , m_width(width) {}

    bool atEnd() const { return m_pos >= m_chars.size(); }
    Line next(bool lastLine);

private:
    struct Break {
        qsizetype length; // characters on the line
        qsizetype used;   // characters consumed, with skipped blanks
    };
    Break wordBreak(QStringView seg, qsizetype fit) const;
    qsizetype segmentEnd(); // end of the text line (CR or LF) that m_pos is in
    bool restIsNoneOrNewline(qsizetype from) const;
    void ellipsify(QStringView seg, Line& line) const;

    const GdiFont& m_font;
    const PrefixedText& m_text;
    const QStringView m_chars; // m_text.text()
    unsigned m_flags;
    int m_width;
    qsizetype m_pos = 0;
    qsizetype m_segmentEnd = -1;
};

qsizetype LineBreaker::segmentEnd() {
    const QStringView t = m_chars;
    if (m_flags & DT_SINGLELINE)
        return t.size();
    if (m_segmentEnd < m_pos) {
        m_segmentEnd = m_pos;
        while (m_segmentEnd < t.size() && !isLineEnd(t[m_segmentEnd]))
            ++m_segmentEnd;
    }
    return m_segmentEnd;
}

bool LineBreaker::restIsNoneOrNewline(qsizetype from) const {
    const QStringView rest = m_chars.mid(from);
    if (rest.isEmpty())
        return true;
    if (rest.size() == 1)
        return isLineEnd(rest[0]);
    return rest.size() == 2 && isLineEnd(rest[0]) && isLineEnd(rest[1]) && rest[0] != rest[1];
}

// seg does not fit; fit characters of it do (fit < seg.size()).
LineBreaker::Break LineBreaker::wordBreak(QStringView seg, qsizetype fit) const {
    const bool dropBlank = (m_flags & (DT_RIGHT | DT_CENTER)) != 0;
    if (fit > 0 && seg[fit] == u' ') {
        // Everything up to the blank fits.
        qsizetype len = fit;
        if (dropBlank && seg[len - 1] == u' ')
            --len;
        return {len, fit + 1};
    }
    qsizetype wordStart = fit;
    while (wordStart > 0 && seg[wordStart - 1] != u' ')
        --wordStart;
    if (wordStart > 0) {
        qsizetype len = wordStart;
        if (dropBlank)
            --len;
        return {len, wordStart};
    }
    if (fit == 0 && seg[0] == u' ')
        return {0, 1};
    if (m_flags & DT_EDITCONTROL) {
        const qsizetype len = std::max<qsizetype>(fit, 1);
        return {len, len};
    }
    // A word wider than the box stays whole.
    qsizetype end = fit;
    while (end < seg.size() && seg[end] != u' ')
        ++end;
    return {end, end < seg.size() ? end + 1 : end};
}

void LineBreaker::ellipsify(QStringView seg, Line& line) const {
    const int ellipsisWidth = m_font.textWidth(kEllipsis);
    qsizetype len = line.text.size();
    int w = m_font.textWidth(seg.first(len));
    while (len > 0 && w + ellipsisWidth > m_width) {
        --len;
        w -= m_font.advance(seg[len].unicode());
    }
    line.text = seg.first(len);
    line.ellipsis = true;
    line.width = w + ellipsisWidth;
    if (line.underline >= len)
        line.underline = -1;
}

Line LineBreaker::next(bool lastLine) {
    const qsizetype start = m_pos;
    const QStringView seg = m_chars.sliced(start, segmentEnd() - start);
    // Measure only as far as the box reaches: a long paragraph is not measured once per line.
    qsizetype fit = 0;
    int sum = 0;
    char16_t highest = 0; // surrogates measure as pairs, not one by one
    for (; fit < seg.size(); ++fit) {
        const char16_t c = seg[fit].unicode();
        const int a = m_font.advance(c);
        if (sum + a > m_width)
            break;
        sum += a;
        highest = std::max(highest, c);
    }

    Break brk{seg.size(), seg.size()};
    const bool wordBroken = fit < seg.size() && (m_flags & DT_WORDBREAK);
    if (wordBroken)
        brk = wordBreak(seg, fit);

    Line line;
    line.text = seg.first(brk.length);
    const bool measured = brk.length == fit && highest < 0xD800;
    line.width = measured ? sum : m_font.textWidth(line.text);
    for (qsizetype u : m_text.underlined) {
        if (u >= start && u < start + brk.length) {
            line.underline = u - start;
            break;
        }
    }
    const bool fits = line.width <= m_width;

    m_pos = start + brk.used;
    const bool lastOfText = restIsNoneOrNewline(m_pos);
    if (!wordBroken && m_pos < m_chars.size()) {
        // The line ends at CR, LF, CR LF or LF CR.
        const QChar first = m_chars[m_pos++];
        if (m_pos < m_chars.size() && isLineEnd(m_chars[m_pos]) && m_chars[m_pos] != first)
            ++m_pos;
    }
    if ((m_flags & DT_END_ELLIPSIS) && ((lastLine && !atEnd()) || (lastOfText && !fits)))
        ellipsify(seg, line);
    return line;
}

void drawPrefixUnderline(GdiCanvas& canvas, const GdiFont& font, const Line& line, int x, int y) {
    const QStringView text(line.text);
    const int from = x + font.textWidth(text.first(line.underline));
    const int to = x + font.textWidth(text.first(line.underline + 1)) - 1;
    const LogPen old = canvas.pen();
    canvas.selectPen(LogPen{PS_SOLID, 1, canvas.textColor()});
    canvas.moveTo(from, y + font.ascent() + 1);
    canvas.lineTo(to, y + font.ascent() + 1);
    canvas.selectPen(old);
}

// The part of a clipped line that can reach the clip box horizontally: characters whose cell
// lies wholly outside [left, right) are left out, with a margin of one line height for glyphs
// that overhang their cell (italics, negative bearings). The start x moves with them.
struct VisiblePart {
    qsizetype from = 0, to = 0; // characters [from, to)
    int x = 0;
};

VisiblePart visiblePart(const QVarLengthArray<int, 256>& dx, int x, int left, int right, int margin) {
    VisiblePart part{0, dx.size(), x};
    while (part.from < part.to && part.x + dx[part.from] <= left - margin)
        part.x += dx[part.from++];
    int end = part.x;
    qsizetype i = part.from;
    while (i < part.to && (end < right + margin || dx[i] == 0)) // keeps surrogate pairs whole
        end += dx[i++];
    part.to = i;
    return part;
}

GdiFontPtr canvasFont(const GdiCanvas& canvas) {
    if (GdiFontPtr f = canvas.font())
        return f;
    return defaultFont();
}

} // namespace

GdiFontPtr defaultFont() {
    LogFont lf;
    lf.height = -13;
    lf.weight = 700;
    lf.faceName = QStringLiteral("System");
    return GdiFont::get(lf);
}

int DrawText(GdiCanvas& canvas, QStringView text, QRect& rect, unsigned flags) {
    const GdiFontPtr font = canvasFont(canvas);
    const int lh = font->height();
    if (flags & DT_SINGLELINE)
        flags &= ~unsigned(DT_WORDBREAK);
    if (text.isEmpty()) {
        if (flags & DT_CALCRECT)
            rect.setSize(QSize(0, (flags & DT_SINGLELINE) ? lh : 0));
        return lh;
    }
    if (flags & DT_CALCRECT)
        flags |= DT_NOCLIP;

    const int left = rect.x();
    const int right = rect.x() + rect.width();
    const int top = rect.y();
    const int bottom = rect.y() + rect.height();
    const PrefixedText prepared = stripPrefixes(text, !(flags & DT_NOPREFIX));
    LineBreaker lines(*font, prepared, flags, right - left);
    const unsigned clip = (flags & DT_NOCLIP) ? 0u : unsigned(ETO_CLIPPED);
    const int lookAhead = (flags & DT_EDITCONTROL) ? 2 * lh - 1 : lh;

    int y = top;
    int maxWidth = 0;
    bool lastLine = false;
    QVarLengthArray<int, 256> dx; // the advances of the line drawn
    do {
        lastLine = !(flags & DT_NOCLIP) && y + lookAhead > bottom;
        const Line line = lines.next(lastLine);
        int x = left;
        if (flags & DT_CENTER)
            x = (left + right - line.width) / 2;
        else if (flags & DT_RIGHT)
            x = right - line.width;
        if (flags & DT_SINGLELINE) {
            if (flags & DT_VCENTER)
                y = top + (bottom - top) / 2 - lh / 2;
            else if (flags & DT_BOTTOM)
                y = bottom - lh;
        }
        if (flags & DT_CALCRECT) {
            maxWidth = std::max(maxWidth, line.width);
        } else if (!line.text.isEmpty() || line.ellipsis) {
            const QString ellipsized = line.ellipsis ? line.shown() : QString();
            const QStringView shown = line.ellipsis ? QStringView(ellipsized) : line.text;
            dx.resize(shown.size());
            font->advances(shown, dx.data());
            VisiblePart part{0, shown.size(), x};
            if (clip)
                part = visiblePart(dx, x, left, right, lh);
            if (part.to > part.from)
                canvas.extTextOut(part.x, y, clip, &rect, shown.sliced(part.from, part.to - part.from),
                                  dx.constData() + part.from);
            if (line.underline >= 0)
                drawPrefixUnderline(canvas, *font, line, x, y);
        }
        y += lh;
    } while (!lines.atEnd() && !lastLine);

    if (flags & DT_CALCRECT)
        rect.setSize(QSize(maxWidth, y - top));
    return y - top != 0 ? y - top : 1;
}

int DrawText(GdiCanvas& canvas, const QByteArray& cp1250, QRect& rect, unsigned flags) {
    // Decoded on the stack: a field's text is drawn or measured without an allocation.
    QVarLengthArray<char16_t, 512> text(cp1250.size());
    decodeCodePage(cp1250, 1250, text.data());
    return DrawText(canvas, QStringView(text.constData(), text.size()), rect, flags);
}

int TextWidth(const GdiCanvas& canvas, QStringView text) {
    return canvasFont(canvas)->textWidth(text);
}

int TextWidth(const GdiCanvas& canvas, const QByteArray& cp1250) {
    return TextWidth(canvas, decodeCp1250(cp1250));
}

} // namespace vek
