#include "Metafile.h"

#include "Errors.h"
#include "Gdi.h"

#include <QtEndian>
#include <cmath>

namespace vek {
namespace {

constexpr quint32 kEmrHeader = 1;
constexpr quint32 kEmfSignature = 0x464D4520; // " EMF"
constexpr qsizetype kMinHeader = 88;

// Fields outside the bytes read as 0. Not inlined: inlined into readHeader, GCC's bounds
// analysis under the sanitizers takes the empty array's path despite the length checks.
[[gnu::noinline]] quint32 readU32(const QByteArray& b, qsizetype off) {
    if (off < 0 || off > b.size() - 4)
        return 0;
    return qFromLittleEndian<quint32>(b.constData() + off);
}
qint32 readI32(const QByteArray& b, qsizetype off) {
    return qint32(readU32(b, off));
}

QRect readRectL(const QByteArray& b, qsizetype off) {
    return QRect(QPoint(readI32(b, off), readI32(b, off + 4)),
                 QPoint(readI32(b, off + 8), readI32(b, off + 12)));
}

} // namespace

TMetafile TMetafile::fromBytes(QByteArray bytes) {
    TMetafile m;
    m.m_bytes = std::move(bytes);
    m.readHeader();
    return m;
}

void TMetafile::setBytes(QByteArray bytes) {
    m_bytes = std::move(bytes);
    readHeader();
}

void TMetafile::setBytes(QByteArray bytes, QSize size) {
    setBytes(std::move(bytes));
    m_size = size;
}

void TMetafile::setPageSize(int logPixels) {
    const auto px = [logPixels](double mm) { return roundHalfEven(logPixels * mm / 25.4 * 1.8); };
    setSize(QSize(px(210), px(294)));
    m_frame = QRect(QPoint(0, 0), QPoint(21000, 29400));
}

void TMetafile::readHeader() {
    const QString invalid = QStringLiteral("Nieprawidłowy metaplik");
    if (m_bytes.size() < kMinHeader || readU32(m_bytes, 0) != kEmrHeader ||
        readU32(m_bytes, 40) != kEmfSignature)
        throw EInvalidGraphic(invalid);
    const quint32 headerSize = readU32(m_bytes, 4);
    const quint32 nBytes = readU32(m_bytes, 48);
    if (headerSize < kMinHeader || headerSize > nBytes || nBytes > quint32(m_bytes.size()))
        throw EInvalidGraphic(invalid);
    if (qsizetype(nBytes) < m_bytes.size())
        m_bytes.truncate(nBytes);
    m_bounds = readRectL(m_bytes, 8);
    m_frame = readRectL(m_bytes, 24);
    // Pixel size of the frame at 96 pixels per inch, as the screen shows a picture.
    const double w = (double(m_frame.right()) - m_frame.left()) * 96.0 / 2540.0;
    const double h = (double(m_frame.bottom()) - m_frame.top()) * 96.0 / 2540.0;
    m_size = QSize(int(std::lround(std::max(0.0, w))), int(std::lround(std::max(0.0, h))));
}

void TMetafile::setSize(QSize size) {
    m_bytes.clear();
    m_bounds = QRect();
    m_size = size;
    m_frame = QRect(QPoint(0, 0), QPoint(int(std::lround(size.width() * 2540.0 / 96.0)),
                                         int(std::lround(size.height() * 2540.0 / 96.0))));
}

void TMetafile::clear() {
    m_bytes.clear();
    m_bounds = QRect();
}

} // namespace vek
