#include "PrintoutBomb.h"

#include "WydWriter.h"

#include <algorithm>
#include <zlib.h>

namespace vek::test {

namespace {

// zlib (RFC 1950) compression fed piece by piece.
class Deflater {
public:
    explicit Deflater(QByteArray out)
        : m_out(std::move(out)) {
        deflateInit(&m_z, 6);
    }
    ~Deflater() { deflateEnd(&m_z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void add(QByteArrayView data, int flush = Z_NO_FLUSH) {
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        m_z.avail_in = uInt(data.size());
        char buffer[64 * 1024];
        do {
            m_z.next_out = reinterpret_cast<Bytef*>(buffer);
            m_z.avail_out = sizeof buffer;
            deflate(&m_z, flush);
            m_out.append(buffer, qsizetype(sizeof buffer - m_z.avail_out));
        } while (m_z.avail_out == 0);
    }
    QByteArray finish(QByteArrayView tail = {}) {
        add(tail, Z_FINISH);
        return std::move(m_out);
    }

private:
    z_stream m_z{};
    QByteArray m_out;
};

// Version 7 body up to the root section's header group, whose line count follows.
Bytes bodyStart() {
    Bytes b;
    b.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0); // header, no styles
    b.u8(3).u8(4).u8(0).u8(0);                            // root section, header group
    return b;
}

// The rest of the root section after its header group.
QByteArray sectionEnd() {
    Bytes b;
    b.emptyGroup().u8(12).i32(0).emptyGroup().emptyGroup().u8(15).str({}).u8(0);
    return b.data();
}

} // namespace

QByteArray fieldBomb(int lines, int fieldsPerLine) {
    Deflater z(fileHeader());
    z.add(bodyStart().i32(lines).data());
    Bytes line;
    line.u8(5).u8(0).u8(quint8(fieldsPerLine));
    for (int i = 0; i < fieldsPerLine; ++i)
        line.u8(6).i32(300).i32(600).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).str("Domyslny").str("x");
    // Whole lines in blocks of about 64 KB, so that short lines cost few calls to zlib.
    const int perBlock = std::max<int>(1, int(65536 / line.data().size()));
    const QByteArray block = line.data().repeated(perBlock);
    for (int done = 0; done < lines; done += perBlock)
        z.add(QByteArrayView(block).first(line.data().size() * std::min(perBlock, lines - done)));
    return z.finish(sectionEnd());
}

QByteArray pictureBomb(quint32 claimed, qint64 supplied) {
    Deflater z(fileHeader());
    z.add(bodyStart().i32(1).u8(5).u8(0).u8(1).data());
    Bytes field;
    field.u8(6).i32(0).i32(0).u8(6).u8(0).u8(0).u8(0).u8(0).u8(0).str("Domyslny").str({});
    z.add(field.data());
    // An EMF header record: type 1, size 100, and the signature and total size where they belong.
    QByteArray emf(100, '\0');
    const auto put = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            emf[at + i] = char((v >> (8 * i)) & 0xff);
    };
    put(0, 1);
    put(4, 100);
    put(40, 0x464D4520);
    put(48, claimed);
    z.add(emf);
    const QByteArray zeros(1024 * 1024, '\0');
    for (qint64 left = supplied - 100; left > 0; left -= zeros.size())
        z.add(QByteArrayView(zeros).first(qsizetype(std::min<qint64>(left, zeros.size()))));
    return z.finish(sectionEnd());
}

} // namespace vek::test
