#include "EmfWriter.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace vek {
namespace {

constexpr std::uint32_t kSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t kVersion = 0x10000;
constexpr std::uint32_t kHeaderFixed = 108;                // with szlMicrometers
constexpr char16_t kDescription[] = u"VekPokaz\0Strona\0"; // application, picture, two NULs
constexpr std::uint32_t kEofSize = 20;

// Storage a buffer left behind, taken by the next one on the same thread. Pages are recorded one
// after the other, each into a buffer of 100 KB or so; giving such a block back to the allocator
// and taking it again for every page made the allocator tidy its free lists every time.
constexpr qsizetype kMaxSpare = qsizetype(4) << 20;
thread_local QByteArray t_spare;

} // namespace

EmfRecordBuffer::EmfRecordBuffer(qsizetype reserve, Storage storage) {
    if (storage == Storage::Reused && t_spare.capacity() >= reserve) {
        m_body.swap(t_spare);
        return;
    }
    m_body.reserve(reserve);
}

EmfRecordBuffer::~EmfRecordBuffer() {
    // Storage shared with a copy of the body stays with the copy.
    if (m_body.isDetached() && m_body.capacity() > t_spare.capacity() && m_body.capacity() <= kMaxSpare) {
        m_body.resize(0);
        t_spare.swap(m_body);
    }
}

void EmfRecordBuffer::beforeRecord() {
    if (!m_beforeRecord || m_inHook)
        return;
    m_inHook = true;
    m_beforeRecord();
    m_inHook = false;
}

char* EmfRecordBuffer::extend(qsizetype n) {
    const qsizetype at = m_body.size();
    if (at + n > m_body.capacity())
        m_body.reserve(std::max(2 * m_body.capacity(), at + n));
    m_body.resize(at + n);
    return m_body.data() + at;
}

void EmfRecordBuffer::begin(std::uint32_t type) {
    beforeRecord();
    m_start = m_body.size();
    char* p = extend(8);
    qToLittleEndian(type, p);
    qToLittleEndian(std::uint32_t(0), p + 4);
}

void EmfRecordBuffer::end() {
    const qsizetype pad = (4 - (m_body.size() - m_start) % 4) % 4;
    if (pad)
        std::memset(extend(pad), 0, std::size_t(pad));
    patchU32(4, std::uint32_t(m_body.size() - m_start));
    m_start = -1;
    ++m_records;
}

void EmfRecordBuffer::record(std::uint32_t type, std::initializer_list<std::int32_t> fields) {
    EmfRecordCursor out = add(type, std::uint32_t(8 + 4 * fields.size()));
    for (std::int32_t f : fields)
        out.i32(f);
}

EmfRecordCursor EmfRecordBuffer::add(std::uint32_t type, std::uint32_t size) {
    beforeRecord();
    char* p = extend(size);
    qToLittleEndian(type, p);
    qToLittleEndian(size, p + 4);
    ++m_records;
    return EmfRecordCursor(p + 8);
}

void EmfRecordBuffer::raw(QByteArrayView record) {
    beforeRecord();
    m_body.append(record);
    ++m_records;
}

void EmfRecordBuffer::u16(std::uint16_t v) {
    qToLittleEndian(v, extend(2));
}

void EmfRecordBuffer::u32(std::uint32_t v) {
    qToLittleEndian(v, extend(4));
}

void EmfRecordBuffer::f32(float v) {
    EmfRecordCursor(extend(4)).f32(v);
}

void EmfRecordBuffer::rectL(int left, int top, int right, int bottom) {
    EmfRecordCursor(extend(16)).rectL(left, top, right, bottom);
}

void EmfRecordBuffer::utf16(QStringView s) {
    char* p = extend(s.size() * 2);
    for (QChar c : s) {
        qToLittleEndian(std::uint16_t(c.unicode()), p);
        p += 2;
    }
}

void EmfRecordBuffer::patchU32(qsizetype recordOffset, std::uint32_t v) {
    qToLittleEndian(v, m_body.data() + m_start + recordOffset);
}

QByteArray assembleEmf(const EmfHeaderInfo& info, QByteArrayView body) {
    const QStringView description(kDescription, std::size(kDescription));
    const std::uint32_t descBytes = std::uint32_t(description.size() * 2);
    const std::uint32_t headerSize = (kHeaderFixed + descBytes + 3) & ~3u;
    const std::uint32_t total = headerSize + std::uint32_t(body.size()) + kEofSize;

    EmfRecordBuffer out(total, EmfRecordBuffer::Storage::Own);
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
