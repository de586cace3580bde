#pragma once
// Building the bytes of an Enhanced Metafile, record by record. The record layouts themselves are
// described where they are written (MetafileCanvas.cpp).

#include "EmfRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>
#include <QSize>
#include <QStringView>
#include <cstdint>

namespace vek {

// The fields of EMR_HEADER that differ between metafiles.
struct EmfHeaderInfo {
    QRect bounds;              // device units, inclusive; invalid for nothing drawn
    QRect frame;               // 0.01 mm, inclusive
    QSize devicePixels;        // reference device, pixels
    QSize deviceMicrons;       // reference device, micrometres
    std::uint32_t records = 0; // without header and EOF
    std::uint32_t bodyBytes = 0;
    std::uint16_t handles = 1;
};

// The EMR_HEADER record, the body and the EMR_EOF record as one metafile.
QByteArray assembleEmf(const EmfHeaderInfo& info, QByteArrayView body);

// Appends records to a body of records.
class EmfRecordBuffer {
public:
    // Starts the record; fields follow with the put functions; end() pads it to whole 32-bit
    // words and writes its size.
    void begin(std::uint32_t type);
    void end();
    // A whole record of 32-bit fields.
    void record(std::uint32_t type, std::initializer_list<std::int32_t> fields);
    // A record copied as it stands (its size must be a multiple of 4).
    void raw(QByteArrayView record);

    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(std::uint32_t(v)); }
    void f32(float v);
    void rectL(int left, int top, int right, int bottom);
    void bytes(QByteArrayView b) { m_body.append(b); }
    void utf16(QStringView s); // without terminator
    // Overwrites a 32-bit field of the open record, counted from the record start.
    void patchU32(qsizetype recordOffset, std::uint32_t v);
    qsizetype recordSize() const { return m_body.size() - m_start; }

    const QByteArray& body() const { return m_body; }
    std::uint32_t records() const { return m_records; }

private:
    QByteArray m_body;
    qsizetype m_start = -1;
    std::uint32_t m_records = 0;
};

} // namespace vek
