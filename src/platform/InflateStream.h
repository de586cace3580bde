#pragma once
// A zlib decompressing input stream over a QIODevice: reads compressed bytes from the device as
// they are needed (never the whole file) and hands out the decompressed ones.

#include <QByteArray>
#include <QtGlobal>
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
    qint64 read(char* data, qint64 maxSize);

    // True when the zlib stream ended properly (bytes after it are ignored).
    bool finished() const { return m_finished; }
    // True when the device ran out before the zlib stream ended: the data were cut short.
    bool truncated() const { return m_truncated; }
    // Decompressed bytes handed out so far.
    qint64 position() const { return m_position; }

private:
    bool fill();

    struct State;
    QIODevice& m_source;
    std::unique_ptr<State> m_state;
    QByteArray m_in;
    QByteArray m_out;
    qsizetype m_outPos = 0;
    qint64 m_position = 0;
    bool m_finished = false;
    bool m_truncated = false;
};

} // namespace vek
