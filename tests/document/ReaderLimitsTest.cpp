// The reader's limits on hostile printouts: a small file whose body inflates to gigabytes of
// records is refused as soon as it passes a limit, with bounded memory on the way; a large real
// printout still loads.
#include "document/LineDruk.h"
#include "platform/InflateStream.h"
#include "support/PrintoutBomb.h"
#include "support/ProcessMemory.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

// Reads a whole file into doc; the message of the EReadFileError it raises, or empty.
QString readError(const QByteArray& file, TMLineWydruk& doc) {
    QBuffer buf;
    buf.setData(file);
    buf.open(QIODevice::ReadOnly);
    if (!CheckFileSignature(buf, "Wydruk"))
        return u"no printout"_s;
    InflateStream body(buf);
    try {
        doc.LoadFromStream(body);
    } catch (const EReadFileError& e) {
        return e.message();
    }
    return {};
}

qint64 fieldsIn(const TLinie& group) {
    qint64 n = 0;
    for (const auto& line : group.Lines)
        n += line->Count();
    return n;
}

// The peak resident memory of this process so far, in MB (VmHWM).
qint64 peakMb() {
    return qint64(processMemoryMb("VmHWM:"));
}

} // namespace

// 10,000 lines of 255 one-letter fields: 2.5 million fields and 72 MB inflated from a file of a
// few hundred KB. Without a limit the reader went on building the model for as long as the body
// lasted (a 1.4 GB body took 20 s and 3.9 GB before it failed).
TEST(ReaderLimits, FieldBombIsRefusedWhenItPassesTheObjectLimit) {
    const QByteArray file = fieldBomb(10'000);
    ASSERT_LT(file.size(), 1 << 20);
    const qint64 before = peakMb();
    {
        TMLineWydruk doc;
        EXPECT_EQ(readError(file, doc), u"Błąd czytania z pliku - wydruk jest zbyt duży [6]"_s);
        // Refused as the limit was passed, not later: the lines read whole before it are kept.
        const qint64 objects = fieldsIn(doc.Root->Header) + doc.Root->Header.Count();
        EXPECT_LE(objects, kMaxPrintoutObjects);
        EXPECT_GT(objects, kMaxPrintoutObjects - 256);
    }
    // A generous sanity bound: the objects up to the limit take a few hundred MB.
    EXPECT_LT(peakMb() - before, 800);
}

// Lines without fields cost a few bytes each in the file and an object each in memory.
TEST(ReaderLimits, EmptyLinesCountAsObjects) {
    TMLineWydruk doc;
    EXPECT_EQ(readError(fieldBomb(int(kMaxPrintoutObjects) + 10, 0), doc),
              u"Błąd czytania z pliku - wydruk jest zbyt duży [5]"_s);
}

// A picture claiming more than the body may hold is refused before a byte of it is inflated.
TEST(ReaderLimits, PictureBeyondTheBodyLimitIsRefusedAtOnce) {
    TMLineWydruk doc;
    EXPECT_EQ(readError(pictureBomb(quint32(kMaxPrintoutBody + 1), 4096), doc),
              u"Błąd czytania z pliku - wydruk jest zbyt duży [6]"_s);
    // A picture of a sane size in the same shape is read.
    TMLineWydruk ok;
    EXPECT_EQ(readError(pictureBomb(1 << 20, 1 << 20), ok), QString());
    ASSERT_EQ(fieldsIn(ok.Root->Header), 1);
    EXPECT_EQ(ok.Root->Header.Lines.front()->Fields.front()->Picture->bytes().size(), 1 << 20);
}

// A printout of about 1,000 dense pages is far below the limits, and the fields share their style
// name's bytes instead of holding a copy each.
TEST(ReaderLimits, LargeRealisticPrintoutLoads) {
    TMLineWydruk doc;
    EXPECT_EQ(readError(fieldBomb(1'000), doc), QString());
    EXPECT_EQ(fieldsIn(doc.Root->Header), 255'000);
    const TLinia& first = *doc.Root->Header.Lines.front();
    const TLinia& last = *doc.Root->Header.Lines.back();
    EXPECT_EQ(first.Fields.front()->StyleName, "Domyslny");
    EXPECT_EQ(first.Fields.front()->StyleName.constData(), last.Fields.back()->StyleName.constData());
}
