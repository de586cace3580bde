#include "InflateStream.h"

#include "Errors.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace vek {
namespace {

constexpr qsizetype kInChunk = 64 * 1024;
constexpr qsizetype kOutChunk = 256 * 1024;

QString zlibMessage(int code, const char* detail) {
    QString text = QStringLiteral("Błąd dekompresji danych wydruku (zlib %1)").arg(code);
    if (detail)
        text += QStringLiteral(": ") + QString::fromLatin1(detail);
    return text;
}

} // namespace

struct InflateStream::State {
    z_stream z{};
    bool open = false;
    ~State() {
        if (open)
            inflateEnd(&z);
    }
};

InflateStream::InflateStream(QIODevice& source)
    : m_source(source)
    , m_state(std::make_unique<State>()) {
    if (inflateInit(&m_state->z) != Z_OK)
        throw EZlibError(zlibMessage(Z_MEM_ERROR, m_state->z.msg));
    m_state->open = true;
    m_in.resize(kInChunk);
    if (!source.isSequential())
        m_compressedSize = std::max<qint64>(source.size() - source.pos(), 0);
}

InflateStream::~InflateStream() = default;

double InflateStream::progress() const {
    if (m_compressedSize <= 0 || m_inflated <= 0)
        return 0;
    // The compressed bytes behind the decompressed ones, less the share still in the buffer.
    const double taken = double(position()) / double(m_inflated);
    return std::min(1.0, double(m_state->z.total_in) / double(m_compressedSize) * taken);
}

// Decompresses the next piece into m_out. Returns false when no more bytes will come.
bool InflateStream::fill() {
    z_stream& z = m_state->z;
    m_out.resize(kOutChunk);
    z.next_out = reinterpret_cast<Bytef*>(m_out.data());
    z.avail_out = uInt(m_out.size());
    while (z.avail_out == uInt(m_out.size()) && !m_finished && !m_truncated) {
        if (z.avail_in == 0) {
            const qint64 got = m_source.read(m_in.data(), m_in.size());
            if (got < 0)
                throw EZlibError(QStringLiteral("Błąd odczytu skompresowanych danych wydruku"));
            if (got == 0) {
                m_truncated = true;
                break;
            }
            z.next_in = reinterpret_cast<Bytef*>(m_in.data());
            z.avail_in = uInt(got);
        }
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END)
            m_finished = true;
        else if (rc == Z_BUF_ERROR && z.avail_in == 0)
            continue; // needs more input
        else if (rc != Z_OK)
            throw EZlibError(zlibMessage(rc, z.msg));
    }
    m_out.resize(m_out.size() - qsizetype(z.avail_out));
    m_inflated += m_out.size();
    m_next = m_out.constData();
    m_end = m_next + m_out.size();
    return !m_out.isEmpty();
}

qint64 InflateStream::readOn(char* data, qint64 maxSize) {
    qint64 done = 0;
    while (done < maxSize) {
        if (m_next == m_end && !fill())
            break;
        const qint64 n = std::min<qint64>(maxSize - done, m_end - m_next);
        std::memcpy(data + done, m_next, size_t(n));
        m_next += n;
        done += n;
    }
    return done;
}

} // namespace vek
