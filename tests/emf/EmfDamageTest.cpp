// Damaged and hostile metafiles: the player, the display list, the page text and the trace take
// what they can, never read past a record, never loop or allocate from counts the record cannot
// hold.
#include "support/EmfTestSupport.h"

#include "platform/EmfDisplayList.h"
#include "platform/EmfRecords.h"
#include "platform/EmfTrace.h"
#include "platform/EmfWalk.h"
#include "platform/Gdi.h"
#include "platform/PageText.h"

#include <QPainter>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

const QRect kFrame(0, 0, 1000, 1000);

QByteArray finish(EmfBuilder& b) {
    return b.finish(kFrame, QRect(), QSize(400, 400), QSize(100, 100));
}

EmfPlayResult playInto(QImage& img, const QByteArray& bytes) {
    img = QImage(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    return playEmf(p, QRectF(0, 0, 40, 40), bytes);
}

// Everything else that reads a metafile: its display list played into a part of the image, its
// text and its trace.
void readEveryWay(QImage& img, const QByteArray& bytes) {
    playInto(img, bytes);
    const EmfDisplayList list(bytes);
    QPainter p(&img);
    EmfPlayOptions options;
    options.clip = QRectF(10, 5, 20, 20);
    list.play(p, QRectF(-20, -20, 80, 80), options);
    extractPageText(bytes);
    emfTrace(list);
}

void blackBox(EmfBuilder& b, int left) {
    b.record(emr::SELECTOBJECT, {std::int32_t(emr::BLACK_BRUSH)});
    b.record(emr::RECTANGLE, {left, 0, left + 10, 10});
}

} // namespace

TEST(EmfDamage, CountsThatOverrunTheRecordAreSkipped) {
    EmfBuilder b;
    blackBox(b, 0);
    b.record(emr::POLYGON, {0, 0, 10, 10, 0x7FFFFFFF, 1, 1});          // two billion points
    b.record(emr::POLYPOLYGON16, {0, 0, 10, 10, 1000000, 3, 3, 0, 0}); // a million polygons
    b.record(emr::POLYPOLYLINE, {0, 0, 10, 10, 1, 2, 5, 0, 0, 1, 1});  // counts above the total
    b.record(emr::EXTTEXTOUTW, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0x40000000, 76, 0, 0, 0, 0, 0, 0}); // chars
    b.record(emr::EXTSELECTCLIPRGN, {64, 1, 32, 1, 0x10000000, 0, 0, 0, 10, 10});              // rects
    b.record(emr::RESTOREDC, {-100000});
    b.record(emr::SELECTOBJECT, {0x7FFFFFF0});
    b.record(emr::GRADIENTFILL, {0, 0, 10, 10, 0x10000000, 1, 0});
    blackBox(b, 20);
    QImage img;
    const EmfPlayResult r = playInto(img, finish(b));
    EXPECT_TRUE(r.valid);
    EXPECT_GE(r.skipped, 7);
    EXPECT_FALSE(r.truncated);
    // The boxes before and after the damaged records are there.
    EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(img.pixel(25, 5) & 0xFFFFFF, 0u);
}

TEST(EmfDamage, ABrokenRecordChainEndsThePlaybackWithWhatWasDrawn) {
    EmfBuilder b;
    blackBox(b, 0);
    // The closing EOF record is replaced by a record whose size runs past the end.
    QByteArray bytes = finish(b).chopped(20);
    putI32(bytes, emr::RECTANGLE);
    putI32(bytes, 0x10000);
    bytes.append(QByteArray(12, '\xFF'));
    QImage img;
    const EmfPlayResult r = playInto(img, bytes);
    EXPECT_TRUE(r.truncated);
    EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, 0u);
    // Sizes below 8 stop the walk too.
    const QByteArray tooShort = QByteArray::fromHex("0100000004000000");
    EmfWalker walker(tooShort);
    EmfRecord rec;
    EXPECT_FALSE(walker.next(rec));
    EXPECT_TRUE(walker.damaged());
}

TEST(EmfDamage, NotAnEmfDrawsNothing) {
    QImage img;
    EXPECT_FALSE(playInto(img, QByteArray("GIF89a and some more bytes to be long enough for a header....."
                                          "..............................................................."))
                     .valid);
    EXPECT_FALSE(playInto(img, QByteArray()).valid);
    EXPECT_EQ(inkPixels(img), 0);
}

TEST(EmfDamage, EveryPrefixAndRandomCorruptionOfARealPicturePlays) {
    const QByteArray good = readFile(dataDir() + QStringLiteral("line_styles.emf"));
    ASSERT_FALSE(good.isEmpty());
    QImage img;
    for (qsizetype n = 0; n <= good.size(); n += 4)
        readEveryWay(img, good.left(n));
    QRandomGenerator rng(1234);
    for (const char* name : {"sign_with_bold_border.emf", "libreoffice_text.emf"}) {
        const QByteArray picture = readFile(dataDir() + QString::fromLatin1(name));
        ASSERT_FALSE(picture.isEmpty());
        for (int round = 0; round < 200; ++round) {
            QByteArray bad = picture;
            for (int k = 0; k < 4; ++k)
                bad[qsizetype(rng.bounded(quint32(bad.size())))] = char(rng.bounded(256));
            readEveryWay(img, bad);
        }
    }
    SUCCEED();
}

TEST(EmfWalkTest, TextRecordsGiveTheirTextAndReference) {
    QByteArray body;
    for (int v : {0, 0, 100, 20, 1, 0, 0, 15, 25, 3, 76, 0, 0, 0, 0, 0, 84})
        putI32(body, v);
    for (char16_t c : u"Łąk")
        putU16(body, c);
    EmfBuilder b;
    b.raw(emr::EXTTEXTOUTW, body);
    const QByteArray bytes = finish(b);
    EmfWalker walker(bytes);
    EmfRecord r;
    int texts = 0;
    while (walker.next(r)) {
        EmfTextRun run;
        if (readEmfText(r, run)) {
            EXPECT_EQ(run.text, QStringLiteral("Łąk"));
            EXPECT_EQ(run.reference, QPoint(15, 25));
            ++texts;
        }
    }
    EXPECT_EQ(texts, 1);
    EXPECT_FALSE(walker.damaged());
}
