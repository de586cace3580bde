#include "ExportText.h"

#include "platform/EmfRecords.h"
#include "platform/EmfWalk.h"
#include "platform/Metafile.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace vek::exporter {

namespace {

// Offset of the advances array inside EMR_EXTTEXTOUTW (offDx of its EMRTEXT).
constexpr std::int64_t OffDxField = 72;
constexpr std::int64_t CharCountField = 44;

struct Piece {
    int x = 0;
    int top = 0;
    int bottom = 0;
    int right = 0;
    QString text;
};

// Walks the records, remembering the height of every font so that each piece knows how tall its
// line is.
class PageTextCollector {
public:
    QList<Piece> collect(const QByteArray& bytes) {
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
            if (m_fontHeights.contains(record.u32(8)))
                m_fontHeight = m_fontHeights.value(record.u32(8));
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
        piece.right = piece.x;
        if (record.type() == emr::EXTTEXTOUTW) {
            const std::int64_t count = record.u32(CharCountField);
            const std::int64_t offDx = record.u32(OffDxField);
            if (offDx > 0 && record.hasArray(offDx, count, 4))
                for (std::int64_t i = 0; i < count; ++i)
                    piece.right += record.i32(offDx + 4 * i);
        }
        piece.text = run.text;
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
    int bandTop = 0;
    int bandBottom = 0;
    for (Piece& piece : pieces) {
        const int overlap = std::min(bandBottom, piece.bottom) - std::max(bandTop, piece.top);
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

QString joinLine(QList<Piece> line) {
    std::stable_sort(line.begin(), line.end(), [](const Piece& a, const Piece& b) { return a.x < b.x; });
    QString out;
    int end = 0;
    for (const Piece& piece : line) {
        const QString text = piece.text.trimmed();
        if (text.isEmpty())
            continue;
        if (!out.isEmpty() && piece.x > end)
            out.append(u' ');
        out.append(text);
        end = std::max(end, piece.right);
    }
    return out;
}

} // namespace

QString pageText(const TMetafile& page) {
    QString out;
    for (QList<Piece>& line : intoLines(PageTextCollector().collect(page.bytes())))
        out.append(joinLine(std::move(line)).trimmed() + u'\n');
    return out;
}

} // namespace vek::exporter
