#include "EmfWalk.h"

#include "EmfTextRecord.h"
#include "Gdi.h"

#include <QtEndian>
#include <cstring>

namespace vek {

std::uint8_t EmfRecord::u8(std::int64_t off) const {
    return has(off, 1) ? std::uint8_t(m_bytes[qsizetype(off)]) : 0;
}

std::uint16_t EmfRecord::u16(std::int64_t off) const {
    return has(off, 2) ? qFromLittleEndian<quint16>(m_bytes.data() + off) : 0;
}

std::uint32_t EmfRecord::u32(std::int64_t off) const {
    return has(off, 4) ? qFromLittleEndian<quint32>(m_bytes.data() + off) : 0;
}

float EmfRecord::f32(std::int64_t off) const {
    const std::uint32_t bits = u32(off);
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

QRect EmfRecord::rectL(std::int64_t off) const {
    return QRect(QPoint(i32(off), i32(off + 4)), QPoint(i32(off + 8), i32(off + 12)));
}

bool EmfWalker::next(EmfRecord& record) {
    if (m_done)
        return false;
    const qsizetype left = m_bytes.size() - m_offset;
    if (left < 8) {
        m_damaged = left != 0;
        m_done = true;
        return false;
    }
    const quint32 type = qFromLittleEndian<quint32>(m_bytes.data() + m_offset);
    const quint32 size = qFromLittleEndian<quint32>(m_bytes.data() + m_offset + 4);
    if (size < 8 || std::int64_t(size) > std::int64_t(left)) {
        m_damaged = true;
        m_done = true;
        return false;
    }
    record = EmfRecord(type, m_bytes.sliced(m_offset, qsizetype(size)));
    m_offset += qsizetype(size);
    if (type == emr::EOF_)
        m_done = true;
    return true;
}

bool readEmfPoints(const EmfRecord& r, std::int64_t off, std::int64_t count, bool small,
                   std::vector<QPointF>& points) {
    const std::int64_t size = small ? 4 : 8;
    if (!r.hasArray(off, count, size))
        return false;
    points.resize(std::size_t(count));
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t at = off + i * size;
        points[std::size_t(i)] = small ? QPointF(r.i16(at), r.i16(at + 2)) : r.pointL(at);
    }
    return true;
}

bool readEmfPoly(const EmfRecord& r, bool small, std::vector<QPointF>& points) {
    return r.has(24, 4) && readEmfPoints(r, 28, r.u32(24), small, points);
}

bool readEmfPolyPoly(const EmfRecord& r, bool small, std::vector<std::uint32_t>& counts,
                     std::vector<QPointF>& points) {
    if (!r.has(24, 8))
        return false;
    const std::int64_t polys = r.u32(24), total = r.u32(28);
    if (!r.hasArray(32, polys, 4))
        return false;
    counts.resize(std::size_t(polys));
    std::int64_t sum = 0;
    for (std::int64_t i = 0; i < polys; ++i) {
        counts[std::size_t(i)] = r.u32(32 + 4 * i);
        sum += counts[std::size_t(i)];
    }
    return sum <= total && readEmfPoints(r, 32 + 4 * polys, total, small, points);
}

bool readEmfText(const EmfRecord& r, EmfTextRun& run) {
    EmfTextOut text;
    if (emfTextCount(r) < 1 || !readEmfTextOut(r, 0, EASTEUROPE_CHARSET, text))
        return false;
    run.reference = text.reference.toPoint();
    run.text = text.text;
    return true;
}

} // namespace vek
