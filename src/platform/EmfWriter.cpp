#include "EmfWriter.h"

#include <QtEndian>
#include <cstring>

namespace vek {
namespace {

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kVersion = 0x10000;
constexpr std::uint32_t kHeaderFixed = 108;                // with szlMicrometers
constexpr char16_t kDescription[] = u"VekPokaz\0Strona\0"; // application, picture, two NULs
constexpr std::uint32_t kEofSize = 20;

} // namespace

void EmfRecordBuffer::begin(std::uint32_t type) {
    m_start = m_body.size();
    u32(type);
    u32(0);
}

void EmfRecordBuffer::end() {
    while ((m_body.size() - m_start) % 4 != 0)
        m_body.append('\0');
    patchU32(4, std::uint32_t(m_body.size() - m_start));
    m_start = -1;
    ++m_records;
}

void EmfRecordBuffer::record(std::uint32_t type, std::initializer_list<std::int32_t> fields) {
    begin(type);
    for (std::int32_t f : fields)
        i32(f);
    end();
}

void EmfRecordBuffer::raw(QByteArrayView record) {
    m_body.append(record);
    ++m_records;
}

void EmfRecordBuffer::u16(std::uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    m_body.append(b, 2);
}

void EmfRecordBuffer::u32(std::uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    m_body.append(b, 4);
}

void EmfRecordBuffer::f32(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    u32(bits);
}

void EmfRecordBuffer::rectL(int left, int top, int right, int bottom) {
    i32(left);
    i32(top);
    i32(right);
    i32(bottom);
}

void EmfRecordBuffer::utf16(QStringView s) {
    for (QChar c : s)
        u16(c.unicode());
}

void EmfRecordBuffer::patchU32(qsizetype recordOffset, std::uint32_t v) {
    qToLittleEndian(v, m_body.data() + m_start + recordOffset);
}

QByteArray assembleEmf(const EmfHeaderInfo& info, QByteArrayView body) {
    const QStringView description(kDescription, std::size(kDescription));
    const std::uint32_t descBytes = std::uint32_t(description.size() * 2);
    const std::uint32_t headerSize = (kHeaderFixed + descBytes + 3) & ~3u;
    const std::uint32_t total = headerSize + std::uint32_t(body.size()) + kEofSize;

    EmfRecordBuffer out;
    out.begin(emr::HEADER);
    const QRect b = info.bounds.isValid() ? info.bounds : QRect(QPoint(0, 0), QPoint(-1, -1));
    out.rectL(b.left(), b.top(), b.right(), b.bottom());
    out.rectL(info.frame.left(), info.frame.top(), info.frame.right(), info.frame.bottom());
    out.u32(kSignature);
    out.u32(kVersion);
    out.u32(total);
    out.u32(info.records + 2);
    out.u16(info.handles);
    out.u16(0);
    out.u32(std::uint32_t(description.size()));
    out.u32(kHeaderFixed);
    out.u32(0); // nPalEntries
    out.i32(info.devicePixels.width());
    out.i32(info.devicePixels.height());
    out.i32((info.deviceMicrons.width() + 500) / 1000);
    out.i32((info.deviceMicrons.height() + 500) / 1000);
    out.u32(0); // cbPixelFormat
    out.u32(0); // offPixelFormat
    out.u32(0); // bOpenGL
    out.i32(info.deviceMicrons.width());
    out.i32(info.deviceMicrons.height());
    out.utf16(description);
    out.end();
    out.bytes(body);
    out.record(emr::EOF_, {0, 16, std::int32_t(kEofSize)});
    return out.body();
}

} // namespace vek
