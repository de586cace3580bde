#pragma once
// Walking the records of an Enhanced Metafile without trusting it.
//
// An EMF is a sequence of records, each starting with two little-endian 32-bit words: the record
// type (see EmfRecords.h) and the record size in bytes, type and size included. The first record
// is EMR_HEADER, the last EMR_EOF. The walker hands out one record at a time as a type and a span
// of bytes that lies wholly inside the file; field reads on a record are checked against that span
// and give zero outside it, so a damaged record can never make a reader step out of the file.

#include "EmfRecords.h"

#include <QByteArrayView>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <cstdint>
#include <vector>

namespace vek {

// One record: its type and its bytes (the whole record, the 8-byte type/size prefix included).
class EmfRecord {
public:
    EmfRecord() = default;
    EmfRecord(std::uint32_t type, QByteArrayView bytes)
        : m_type(type)
        , m_bytes(bytes) {}

    std::uint32_t type() const { return m_type; }
    QByteArrayView bytes() const { return m_bytes; }
    qsizetype size() const { return m_bytes.size(); }

    // Whether len bytes at off lie inside the record. Computed in 64 bits: callers may pass the
    // products of counts and element sizes read from the record itself.
    bool has(std::int64_t off, std::int64_t len) const {
        return off >= 0 && len >= 0 && off <= m_bytes.size() && len <= m_bytes.size() - off;
    }
    // Whether count elements of elemSize bytes at off lie inside the record.
    bool hasArray(std::int64_t off, std::int64_t count, std::int64_t elemSize) const {
        return count >= 0 && elemSize >= 0 &&
               (elemSize == 0 || count <= (std::int64_t(1) << 40) / elemSize) && has(off, count * elemSize);
    }

    // Little-endian field reads; 0 when the field does not lie inside the record.
    std::uint8_t u8(std::int64_t off) const;
    std::uint16_t u16(std::int64_t off) const;
    std::int16_t i16(std::int64_t off) const { return std::int16_t(u16(off)); }
    std::uint32_t u32(std::int64_t off) const;
    std::int32_t i32(std::int64_t off) const { return std::int32_t(u32(off)); }
    float f32(std::int64_t off) const;
    // A RECTL (left, top, right, bottom) as given, right and bottom inclusive.
    QRect rectL(std::int64_t off) const;
    // A RECTL as GDI draws it: right and bottom are the excluded edges.
    QRectF boxL(std::int64_t off) const {
        const double l = i32(off), t = i32(off + 4), r = i32(off + 8), b = i32(off + 12);
        return QRectF(l, t, r - l, b - t);
    }
    // A POINTL and a SIZEL.
    QPointF pointL(std::int64_t off) const { return QPointF(i32(off), i32(off + 4)); }
    QSizeF sizeL(std::int64_t off) const { return QSizeF(i32(off), i32(off + 4)); }
    // The bytes at [off, off + len), empty when they do not lie inside the record.
    QByteArrayView span(std::int64_t off, std::int64_t len) const {
        return has(off, len) ? m_bytes.sliced(qsizetype(off), qsizetype(len)) : QByteArrayView();
    }

private:
    std::uint32_t m_type = 0;
    QByteArrayView m_bytes;
};

// Iterates the records of EMF bytes. The bytes must outlive the walker and its records.
class EmfWalker {
public:
    explicit EmfWalker(QByteArrayView bytes)
        : m_bytes(bytes) {}

    // The next record. False after EMR_EOF, at the end of the bytes, or at a record whose size
    // field is smaller than 8 or runs past the end (the walk stops there and damaged() is set).
    bool next(EmfRecord& record);
    bool damaged() const { return m_damaged; }
    // Offset of the record next() will return.
    qsizetype offset() const { return m_offset; }

private:
    QByteArrayView m_bytes;
    qsizetype m_offset = 0;
    bool m_damaged = false;
    bool m_done = false;
};

// The points of a figure: count POINTLs (8 bytes each) or, small, POINTSs (4 bytes) at off. False
// when they do not lie inside the record.
bool readEmfPoints(const EmfRecord& r, std::int64_t off, std::int64_t count, bool small,
                   std::vector<QPointF>& points);
// A poly record: rclBounds, count, points.
bool readEmfPoly(const EmfRecord& r, bool small, std::vector<QPointF>& points);
// A poly-poly record: rclBounds, number of figures, total points, the count of each, the points.
// The counts sum to no more than the points.
bool readEmfPolyPoly(const EmfRecord& r, bool small, std::vector<std::uint32_t>& counts,
                     std::vector<QPointF>& points);

// The (first) text of a text record, for tools that look at what a page says. ANSI text is decoded
// as Windows-1250.
struct EmfTextRun {
    QPoint reference; // logical units
    QString text;
};
// False for other records and for records whose text does not lie inside the record.
bool readEmfText(const EmfRecord& record, EmfTextRun& run);

} // namespace vek
