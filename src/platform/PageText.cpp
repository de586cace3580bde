#include "platform/PageText.h"

#include "platform/EmfRecords.h"
#include "platform/EmfWalk.h"
#include "platform/Page.h"

#include <QHash>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace vek {

namespace {

// Offsets inside EMR_EXTTEXTOUTW: the character count and the advances array of its EMRTEXT.
constexpr std::int64_t CharCountField = 44;
constexpr std::int64_t OffDxField = 72;

// One text record: its characters with their boxes, and the band of the line it sits on.
struct Piece {
    double x = 0;
    double top = 0;
    double bottom = 0;
    QString text;
    QList<QRectF> boxes;
};

// Walks the records, remembering the height of every font so that each piece knows how tall its
// line is. The reference point of a text record is taken as the top left of its first character,
// as the composer writes text.
class PieceCollector {
public:
    QList<Piece> collect(QByteArrayView bytes) {
        EmfWalker walker(bytes);
        EmfRecord record;
        while (walker.next(record))
            take(record);
        return m_pieces;
    }

private:
    void take(const EmfRecord& record) {
        switch (record.type()) {
        case emr::EXTCREATEFONTINDIRECTW:
            m_fontHeights.insert(record.u32(8), std::abs(record.i32(12)));
            break;
        case emr::CREATEPEN:
        case emr::CREATEBRUSHINDIRECT:
        case emr::EXTCREATEPEN:
        case emr::DELETEOBJECT:
            m_fontHeights.remove(record.u32(8)); // the index now holds another object
            break;
        case emr::SELECTOBJECT:
            if (auto it = m_fontHeights.constFind(record.u32(8)); it != m_fontHeights.constEnd())
                m_fontHeight = it.value();
            break;
        default: {
            EmfTextRun run;
            if (readEmfText(record, run) && !run.text.isEmpty())
                add(record, run);
            break;
        }
        }
    }

    void add(const EmfRecord& record, const EmfTextRun& run) {
        Piece piece;
        piece.x = run.reference.x();
        piece.top = run.reference.y();
        piece.bottom = piece.top + std::max(m_fontHeight, 1);
        piece.text = run.text;
        const std::int64_t count = record.u32(CharCountField);
        const std::int64_t offDx = record.u32(OffDxField);
        const bool withDx = record.type() == emr::EXTTEXTOUTW && offDx > 0 && count == run.text.size() &&
                            record.hasArray(offDx, count, 4);
        const double guess = std::max(m_fontHeight, 1) / 2.0; // no advances: half the height
        double x = piece.x;
        piece.boxes.reserve(run.text.size());
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            const double w = withDx ? record.i32(offDx + 4 * i) : guess;
            piece.boxes.append(QRectF(x, piece.top, w, piece.bottom - piece.top));
            x += w;
        }
        m_pieces.append(std::move(piece));
    }

    QHash<std::uint32_t, int> m_fontHeights;
    int m_fontHeight = 0;
    QList<Piece> m_pieces;
};

// Pieces sorted top to bottom; a piece joins the current line while it overlaps the line's band by
// more than half of its own height.
QList<QList<Piece>> intoLines(QList<Piece> pieces) {
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.top < b.top; });
    QList<QList<Piece>> lines;
    double bandTop = 0;
    double bandBottom = 0;
    for (Piece& piece : pieces) {
        const double overlap = std::min(bandBottom, piece.bottom) - std::max(bandTop, piece.top);
        if (lines.isEmpty() || 2 * overlap <= piece.bottom - piece.top) {
            lines.append(QList<Piece>());
            bandTop = piece.top;
            bandBottom = piece.bottom;
        }
        bandBottom = std::max(bandBottom, piece.bottom);
        lines.last().append(std::move(piece));
    }
    return lines;
}

void append(PageText& out, QChar c, const QRectF& box = QRectF()) {
    out.text.append(c);
    out.boxes.append(box);
}

// One line: pieces left to right without their outer blanks, a space where a gap parts them.
void appendLine(PageText& out, QList<Piece> line) {
    std::stable_sort(line.begin(), line.end(), [](const Piece& a, const Piece& b) { return a.x < b.x; });
    bool any = false;
    double end = 0;
    for (const Piece& piece : line) {
        qsizetype first = 0;
        qsizetype last = piece.text.size();
        while (first < last && piece.text.at(first).isSpace())
            ++first;
        while (last > first && piece.text.at(last - 1).isSpace())
            --last;
        if (first == last)
            continue;
        if (any && piece.boxes.at(first).left() > end)
            append(out, u' ');
        for (qsizetype i = first; i < last; ++i)
            append(out, piece.text.at(i), piece.boxes.at(i));
        end = std::max(end, piece.boxes.at(last - 1).right());
        any = true;
    }
}

} // namespace

PageText extractPageText(QByteArrayView emfBytes) {
    PageText out;
    bool first = true;
    for (QList<Piece>& line : intoLines(PieceCollector().collect(emfBytes))) {
        const qsizetype before = out.text.size();
        if (!first)
            append(out, u'\n');
        appendLine(out, std::move(line));
        if (out.text.size() == before + (first ? 0 : 1)) { // a line of blanks only
            out.text.truncate(before);
            out.boxes.resize(before);
            continue;
        }
        first = false;
    }
    return out;
}

PageText extractPageText(const Page& page) {
    return extractPageText(QByteArrayView(page.metafile().bytes()));
}

} // namespace vek
