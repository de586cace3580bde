#include "PageText.h"

#include "EmfPlayer.h"
#include "EmfScanner.h"
#include "Page.h"

#include <algorithm>

namespace vek {
namespace {

constexpr double kWordGapEm = 0.2;  // a distance between pieces wider than this is a word gap
constexpr int kLinesLookedBack = 8; // lines a piece may join, counted back from the newest

// One drawn string, with the characters the clip hides left out.
struct Piece {
    QString text;
    QList<QRectF> boxes;
    double em = 0;
    double baseline = 0; // y of the baseline (upright text), or of the middle (turned text)
    double left = 0, right = 0;
    bool upright = true;
    // The body of lower-case letters, from half an em above the baseline down to it: pieces whose
    // bodies overlap stand on one line, whatever their sizes.
    double bodyTop() const { return baseline - em / 2; }
};

struct Line {
    double baseline = 0, bodyTop = 0, bodyBottom = 0;
    std::vector<const Piece*> pieces;
};

bool isSpace(QChar c) {
    return c.isSpace();
}

// A dotted leader: nothing but dots (and the spaces between them).
bool isLeader(const QString& text) {
    int dots = 0;
    for (QChar c : text) {
        if (c == u'.' || c == QChar(0x00B7) || c == QChar(0x2026))
            ++dots;
        else if (!isSpace(c))
            return false;
    }
    return dots >= 3;
}

bool visible(const EmfPlacedText& t, const QRectF& box) {
    return !t.clip || t.clip->contains(box.center());
}

bool makePiece(const EmfPlacedText& t, Piece& piece) {
    for (qsizetype i = 0; i < t.text.size(); ++i) {
        const QRectF& box = t.boxes[std::size_t(i)];
        if (!visible(t, box))
            continue;
        // Control characters drawn as part of a string are no line structure of the page.
        const QChar c = t.text[i];
        piece.text.append(c.unicode() < 0x20 || c.unicode() == 0x7F ? QChar(u' ') : c);
        piece.boxes.append(box);
    }
    if (piece.text.trimmed().isEmpty())
        return false;
    QRectF all;
    for (const QRectF& b : piece.boxes)
        all = all.united(b);
    piece.em = t.em;
    piece.upright = t.upright;
    piece.left = all.left();
    piece.right = all.right();
    piece.baseline = t.upright ? t.baseline.p1().y() : all.center().y();
    return true;
}

std::vector<Piece> collectPieces(QByteArrayView bytes) {
    std::vector<Piece> pieces;
    EmfHeader header;
    if (!readEmfHeader(bytes, header))
        return pieces;
    EmfScanner scanner(header.pixelsPerMm());
    std::vector<EmfPlacedText> texts;
    EmfWalker walker(bytes);
    EmfRecord r;
    while (walker.next(r)) {
        scanner.scan(r, &texts);
        for (const EmfPlacedText& t : texts) {
            Piece piece;
            if (makePiece(t, piece))
                pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

bool sameLine(const Line& line, const Piece& p) {
    return std::min(line.bodyBottom, p.baseline) > std::max(line.bodyTop, p.bodyTop());
}

// Upright pieces whose bodies overlap make one line; a turned piece is a line of its own.
std::vector<Line> intoLines(const std::vector<Piece>& pieces) {
    std::vector<const Piece*> order;
    for (const Piece& p : pieces)
        order.push_back(&p);
    std::stable_sort(order.begin(), order.end(), [](const Piece* a, const Piece* b) {
        return a->baseline < b->baseline || (a->baseline == b->baseline && a->left < b->left);
    });
    std::vector<Line> lines;
    for (const Piece* p : order) {
        Line* joined = nullptr;
        for (int back = 0; p->upright && back < kLinesLookedBack && back < int(lines.size()); ++back) {
            Line& line = lines[lines.size() - 1 - std::size_t(back)];
            if (!line.pieces.front()->upright || !sameLine(line, *p))
                continue;
            joined = &line;
            break;
        }
        if (!joined) {
            lines.push_back(Line{p->baseline, p->bodyTop(), p->baseline, {}});
            joined = &lines.back();
        }
        joined->bodyTop = std::min(joined->bodyTop, p->bodyTop());
        joined->bodyBottom = std::max(joined->bodyBottom, p->baseline);
        joined->pieces.push_back(p);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.baseline < b.baseline; });
    return lines;
}

void append(PageText& out, QChar c, const QRectF& box = QRectF()) {
    out.text.append(c);
    out.boxes.append(box);
}

// The pieces of a line left to right, with a space where the page shows a gap.
PageText lineText(Line& line) {
    std::stable_sort(line.pieces.begin(), line.pieces.end(),
                     [](const Piece* a, const Piece* b) { return a->left < b->left; });
    PageText out;
    const Piece* previous = nullptr;
    double previousRight = 0;
    for (const Piece* p : line.pieces) {
        if (isLeader(p->text))
            continue; // the gap it fills stays a gap
        if (previous) {
            const bool spaced = isSpace(out.text.back()) || isSpace(p->text.front());
            const double gap = p->left - previousRight;
            if (!spaced && gap > kWordGapEm * std::min(previous->em, p->em))
                append(out, u' ');
        }
        out.text.append(p->text);
        out.boxes.append(p->boxes);
        previousRight = previous ? std::max(previousRight, p->right) : p->right;
        previous = p;
    }
    // Spaces at the ends of a line are no gap between words.
    qsizetype end = out.text.size();
    while (end > 0 && isSpace(out.text[end - 1]))
        --end;
    qsizetype lead = 0;
    while (lead < end && isSpace(out.text[lead]))
        ++lead;
    out.text = out.text.mid(lead, end - lead);
    out.boxes = out.boxes.mid(lead, end - lead);
    return out;
}

} // namespace

PageText extractPageText(QByteArrayView emfBytes) {
    const std::vector<Piece> pieces = collectPieces(emfBytes);
    PageText out;
    for (Line& line : intoLines(pieces)) {
        const PageText text = lineText(line);
        if (text.text.isEmpty())
            continue; // a line of nothing but a leader
        if (!out.text.isEmpty())
            append(out, u'\n');
        out.text.append(text.text);
        out.boxes.append(text.boxes);
    }
    return out;
}

PageText extractPageText(const Page& page) {
    return extractPageText(QByteArrayView(page.metafile().bytes()));
}

} // namespace vek
