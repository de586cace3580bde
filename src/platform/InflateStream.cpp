#include "InflateStream.h"

#include "Errors.h"

#include <QIODevice>
#include <cstring>
#include <zlib.h>

namespace vek {
namespace {

constexpr qsizetype kInChunk = 64 * 1024;
constexpr qsizetype kOutChunk = 64 * 1024;

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
}

InflateStream::~InflateStream() = default;

// Decompresses the next piece into m_out. Returns false when no more bytes will come.
bool InflateStream::fill() {
    z_stream& z = m_state->z;
    m_outPos = 0;
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
    return !m_out.isEmpty();
}

qint64 InflateStream::read(char* data, qint64 maxSize) {
    qint64 done = 0;
    while (done < maxSize) {
        if (m_outPos == m_out.size() && !fill())
            break;
        const qint64 n = std::min<qint64>(maxSize - done, m_out.size() - m_outPos);
        std::memcpy(data + done, m_out.constData() + m_outPos, size_t(n));
        m_outPos += qsizetype(n);
        done += n;
    }
    m_position += done;
    return done;
}

} // namespace vek
