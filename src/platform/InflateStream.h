#pragma once
// A zlib decompressing input stream over a QIODevice: reads compressed bytes from the device as
// they are needed (never the whole file) and hands out the decompressed ones, by copy (read) or
// straight from its buffer (buffered, skip), which is what a reader of many small values wants.

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <cstring>
#include <memory>

class QIODevice;

namespace vek {

class InflateStream {
public:
    // Decompresses from the device's current position. The device must outlive the stream.
    explicit InflateStream(QIODevice& source);
    ~InflateStream();
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    // Reads up to maxSize decompressed bytes; fewer only at the end of the data. Throws
    // EZlibError when the compressed data are corrupt or the device cannot be read.
    qint64 read(char* data, qint64 maxSize) {
        if (maxSize <= m_end - m_next) { // the common case: the bytes are at hand
            std::memcpy(data, m_next, size_t(maxSize));
            m_next += maxSize;
            return maxSize;
        }
        return readOn(data, maxSize);
    }

    // The decompressed bytes at hand, decompressing more when none are: empty only at the end of
    // the data. Throws as read does. skip(n) hands out n of them (n at most their number).
    QByteArrayView buffered() {
        if (m_next == m_end)
            fill();
        return QByteArrayView(m_next, m_end - m_next);
    }
    void skip(qsizetype n) { m_next += n; }

    // True when the zlib stream ended properly (bytes after it are ignored).
    bool finished() const { return m_finished; }
    // True when the device ran out before the zlib stream ended: the data were cut short.
    bool truncated() const { return m_truncated; }
    // Decompressed bytes handed out so far.
    qint64 position() const { return m_inflated - (m_end - m_next); }
    // How far through its compressed data the stream has handed out bytes, from 0 to 1; 0 when
    // the device cannot tell its size.
    double progress() const;

private:
    qint64 readOn(char* data, qint64 maxSize);
    bool fill();

    struct State;
    QIODevice& m_source;
    std::unique_ptr<State> m_state;
    QByteArray m_in;
    QByteArray m_out;
    const char* m_next = nullptr; // the bytes of m_out not handed out yet
    const char* m_end = nullptr;
    qint64 m_inflated = 0; // decompressed bytes produced so far
    qint64 m_compressedSize = 0;
    bool m_finished = false;
    bool m_truncated = false;
};

} // namespace vek
