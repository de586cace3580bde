#pragma once
// Building the bytes of an Enhanced Metafile, record by record. The record layouts themselves are
// described where they are written (MetafileCanvas.cpp).

#include "EmfRecords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>
#include <QSize>
#include <QStringView>
#include <QtEndian>
#include <bit>
#include <cstdint>
#include <functional>

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

// Writes the fields of a record whose size is known in advance, one after the other, in place.
class EmfRecordCursor {
public:
    explicit EmfRecordCursor(char* at)
        : m_p(at) {}
    void u16(std::uint16_t v) { put(v); }
    void u32(std::uint32_t v) { put(v); }
    void i32(std::int32_t v) { put(v); }
    void f32(float v) { put(std::bit_cast<std::uint32_t>(v)); }
    void rectL(int left, int top, int right, int bottom) {
        for (std::int32_t v : {left, top, right, bottom})
            put(v);
    }

private:
    template <typename T> void put(T v) {
        qToLittleEndian(v, m_p);
        m_p += sizeof(T);
    }
    char* m_p;
};

// Appends records to a body of records.
class EmfRecordBuffer {
public:
    // Room for a typical page, so that recording one does not grow the buffer step by step.
    static constexpr qsizetype kPageReserve = 64 * 1024;

    // Where the storage comes from: what an earlier buffer of the thread left (recording), or
    // an allocation of its own (a result that is kept, of the size asked for).
    enum class Storage { Reused, Own };

    EmfRecordBuffer()
        : EmfRecordBuffer(kPageReserve) {}
    explicit EmfRecordBuffer(qsizetype reserve, Storage storage = Storage::Reused);
    // Leaves its storage to the next buffer of the thread (see EmfWriter.cpp).
    ~EmfRecordBuffer();
    EmfRecordBuffer(const EmfRecordBuffer&) = delete;
    EmfRecordBuffer& operator=(const EmfRecordBuffer&) = delete;

    // Called before every record begins (not again while it runs): lets the owner write out
    // drawing it holds back, so that the records keep their order.
    void setBeforeRecord(std::function<void()> hook) { m_beforeRecord = std::move(hook); }

    // Starts the record; fields follow with the put functions; end() pads it to whole 32-bit
    // words and writes its size.
    void begin(std::uint32_t type);
    void end();
    // A record of size bytes (a multiple of 4) with its type and size written: the cursor puts
    // the rest, up to the next use of the buffer.
    EmfRecordCursor add(std::uint32_t type, std::uint32_t size);
    // A whole record of 32-bit fields.
    void record(std::uint32_t type, std::initializer_list<std::int32_t> fields);
    // A record copied as it stands (its size must be a multiple of 4).
    void raw(QByteArrayView record);

    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    // Makes room for n more bytes of the open record and returns where they start.
    char* extend(qsizetype n);
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
    void beforeRecord();

    QByteArray m_body;
    std::function<void()> m_beforeRecord;
    bool m_inHook = false;
    qsizetype m_start = -1;
    std::uint32_t m_records = 0;
};

} // namespace vek
