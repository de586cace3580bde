// The zlib input stream: streaming reads, stream end, cut and corrupt data.
#include "platform/InflateStream.h"
#include "platform/Errors.h"
#include "support/WydWriter.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace vek;

namespace {

QByteArray noise(qsizetype n) {
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator gen(42);
    for (char& c : b)
        c = char(gen.bounded(0, 12)); // compressible but not trivial
    return b;
}

} // namespace

TEST(InflateStream, ReadsInAnyPieceSize) {
    const QByteArray data = noise(300000);
    QBuffer buf;
    buf.setData(test::compress(data) + QByteArray("trailing bytes are not read"));
    buf.open(QIODevice::ReadOnly);
    InflateStream z(buf);
    QByteArray out;
    char piece[977];
    for (qint64 got; (got = z.read(piece, 1 + out.size() % int(sizeof piece))) > 0;)
        out.append(piece, got);
    EXPECT_EQ(out, data);
    EXPECT_TRUE(z.finished());
    EXPECT_FALSE(z.truncated());
    EXPECT_EQ(z.position(), data.size());
}

TEST(InflateStream, CutDataEndsEarlyAndSaysSo) {
    const QByteArray data = noise(100000);
    QBuffer buf;
    buf.setData(test::compress(data).left(500));
    buf.open(QIODevice::ReadOnly);
    InflateStream z(buf);
    QByteArray out(data.size(), Qt::Uninitialized);
    const qint64 got = z.read(out.data(), out.size());
    EXPECT_LT(got, data.size());
    EXPECT_TRUE(z.truncated());
    EXPECT_FALSE(z.finished());
    EXPECT_EQ(z.read(out.data(), 10), 0);
}

TEST(InflateStream, CorruptDataThrows) {
    QBuffer buf;
    buf.setData(QByteArray("\x78\x9c\xff\xff\xff\xff\xff\xff\xff\xff", 10));
    buf.open(QIODevice::ReadOnly);
    InflateStream z(buf);
    char c[16];
    try {
        z.read(c, sizeof c);
        FAIL() << "no error";
    } catch (const EZlibError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Błąd dekompresji danych wydruku"))) << e.what();
    }
}
