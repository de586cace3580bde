#include "EmfWalk.h"

#include "CodePage.h"

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

namespace {

QString utf16At(const EmfRecord& r, std::int64_t off, std::int64_t count) {
    if (!r.hasArray(off, count, 2))
        return {};
    QString s(qsizetype(count), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
        s[i] = QChar(r.u16(off + 2 * i));
    return s;
}

} // namespace

bool readEmfText(const EmfRecord& r, EmfTextRun& run) {
    if (r.type() == emr::EXTTEXTOUTW || r.type() == emr::EXTTEXTOUTA) {
        // rclBounds, iGraphicsMode, exScale, eyScale, then EMRTEXT: reference point, nChars,
        // offString, options, rectangle, offDx.
        if (!r.has(36, 40))
            return false;
        const std::int64_t count = r.u32(44);
        const std::int64_t off = r.u32(48);
        run.reference = QPoint(r.i32(36), r.i32(40));
        if (r.type() == emr::EXTTEXTOUTW) {
            if (!r.hasArray(off, count, 2))
                return false;
            run.text = utf16At(r, off, count);
        } else {
            if (!r.has(off, count))
                return false;
            run.text = decodeCp1250(r.span(off, count));
        }
        return true;
    }
    if (r.type() == emr::SMALLTEXTOUT) {
        // x, y, cChars, fuOptions, iGraphicsMode, exScale, eyScale, [rclClip], text.
        constexpr std::uint32_t kNoRect = 0x100, kSmallChars = 0x200;
        if (!r.has(8, 28))
            return false;
        const std::int64_t count = r.u32(16);
        const std::uint32_t options = r.u32(20);
        const std::int64_t off = (options & kNoRect) ? 36 : 52;
        run.reference = QPoint(r.i32(8), r.i32(12));
        if (options & kSmallChars) {
            if (!r.has(off, count))
                return false;
            run.text = decodeCp1250(r.span(off, count));
        } else {
            if (!r.hasArray(off, count, 2))
                return false;
            run.text = utf16At(r, off, count);
        }
        return true;
    }
    return false;
}

} // namespace vek
