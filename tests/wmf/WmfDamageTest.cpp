// Damaged Windows Metafiles: cut files, broken size fields, counts larger than their records,
// overfull object tables and files that make their output grow. Nothing may be read past the
// bytes (the sanitizer run checks that), and what can be drawn is drawn.
#include "support/EmfTestSupport.h"
#include "support/WmfWriter.h"

#include "platform/Errors.h"
#include "platform/Metafile.h"
#include "platform/WmfPlayer.h"
#include "platform/WmfRecords.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

QByteArray words(std::initializer_list<int> values) {
    return WmfWriter::words(values);
}

EmfPlayResult play(const QByteArray& wmf, QImage* out = nullptr) {
    QImage img(50, 50, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const EmfPlayResult r = playWmf(p, QRectF(0, 0, 50, 50), wmf);
    p.end();
    if (out)
        *out = img;
    return r;
}

// A picture with records of every kind, a black box at its end.
QByteArray everything() {
    WmfWriter w;
    w.window(0, 0, 100, 100);
    const int font = w.createFont(-10, "Arial", EASTEUROPE_CHARSET);
    const QRect r(0, 0, 50, 10);
    w.select(font).textOut(0, 0, "ab").extTextOut(0, 10, ETO_OPAQUE, &r, "abc", {5, 5, 5});
    w.polygon({{0, 0}, {10, 10}, {0, 10}});
    w.create(wmr::CREATEREGION, words({0, 6, 0, 0, 0, 1, 1, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2}));
    w.stretchDib(QRect(0, 0, 10, 10), QRect(0, 0, 1, 1), QImage(1, 1, QImage::Format_RGB32));
    const int brush = w.createBrush(BS_SOLID, 0);
    w.select(brush).rectangle(60, 60, 100, 100);
    return w.finish();
}

} // namespace

TEST(WmfDamage, CutFilesDrawWhatTheyHoldAndSayTheyWereCut) {
    const QByteArray full = everything();
    for (qsizetype n = 0; n <= full.size(); ++n) {
        const EmfPlayResult r = play(full.first(n));
        EXPECT_EQ(r.valid, n >= 18) << n;
        EXPECT_EQ(r.truncated, n >= 18 && n < full.size()) << n;
    }
    QImage img;
    EXPECT_FALSE(play(full, &img).truncated);
    EXPECT_FALSE(inkBounds(img.copy(30, 30, 20, 20)).isEmpty());
}

TEST(WmfDamage, BrokenSizeFieldsEndThePictureAndCountsLargerThanTheRecordSkipIt) {
    // Size fields of 0 and 2 words, and one past the end, after a black box that stays drawn.
    for (const QByteArray& broken : {QByteArray("\0\0\0\0\x24\x03", 6), QByteArray("\x02\0\0\0\x24\x03", 6),
                                     QByteArray("\xff\xff\xff\x7f\x24\x03", 6)}) {
        WmfWriter w;
        w.window(0, 0, 100, 100);
        const int brush = w.createBrush(BS_SOLID, 0);
        w.select(brush).rectangle(0, 0, 50, 50);
        QByteArray wmf = w.finish();
        wmf.insert(wmf.size() - 6, broken); // before the end record
        QImage img;
        const EmfPlayResult r = play(wmf, &img);
        EXPECT_TRUE(r.truncated);
        EXPECT_FALSE(inkBounds(img).isEmpty());
    }
    WmfWriter w;
    w.window(0, 0, 100, 100);
    w.raw(wmr::POLYGON, words({0xFFFF, 0, 0, 10, 10}));                              // 65535 points, 2 there
    w.raw(wmr::POLYPOLYGON, words({2, 0xFFFF, 0xFFFF, 0, 0}));                       // counts past the record
    w.raw(wmr::TEXTOUT, words({0x7FFF, 0x4141}));                                    // text past the record
    w.raw(wmr::EXTTEXTOUT, words({0, 0, 10, ETO_CLIPPED}));                          // no rectangle
    w.raw(wmr::CREATEREGION, words({0, 6, 0, 0, 0, 0x7FFF, 1, 0, 0, 9, 9, 4}));      // scans missing
    w.raw(wmr::STRETCHDIB, words({0x20, 0xCC, 0, 1, 1, 0, 0, 10, 10, 0, 0, 40, 0})); // DIB header only
    w.raw(wmr::SELECTOBJECT, words({7}));                                            // no such object
    w.raw(wmr::SCALEWINDOWEXT, words({0, 1, 0, 1}));                                 // zero denominators
    const EmfPlayResult r = play(w.finish());
    EXPECT_FALSE(r.truncated);
    EXPECT_EQ(r.skipped, 8);
}

TEST(WmfDamage, ObjectTablesAndSavedStatesStayBounded) {
    WmfWriter w;
    w.window(0, 0, 100, 100);
    for (int i = 0; i < 70000; ++i)
        w.record(wmr::CREATEPENINDIRECT, {0, 1, 0, 0, 0});
    for (int i = 0; i < 3000; ++i)
        w.record(wmr::SAVEDC, {});
    w.record(wmr::DELETEOBJECT, {5}).record(wmr::DELETEOBJECT, {5}); // the second finds nothing
    w.record(wmr::CREATEBRUSHINDIRECT, {0, 0, 0, 0});                // takes the freed slot 5
    w.select(5).rectangle(0, 0, 100, 100).record(wmr::RESTOREDC, {1});
    const WmfConversion c = convertWmf(w.finish());
    EXPECT_EQ(c.skipped, 70000 - 65534 + 1);
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    EXPECT_TRUE(playEmf(p, QRectF(0, 0, 10, 10), c.emf).valid);
    p.end();
    EXPECT_EQ(img.pixelColor(5, 5), QColor(0, 0, 0));
}

TEST(WmfDamage, OutputIsHeldToAMultipleOfTheInput) {
    // One region of many rectangles selected as the clip again and again.
    WmfWriter w;
    w.window(0, 0, 100, 100);
    QByteArray region = words({0, 6, 0, 0, 0, 1, 1, 0, 0, 100, 100, 2000, 0, 100});
    for (int i = 0; i < 1000; ++i)
        region += words({i % 100, i % 100 + 1});
    w.create(wmr::CREATEREGION, region + words({2000}));
    w.create(wmr::CREATEBRUSHINDIRECT, words({0, 0, 0, 0}));
    for (int i = 0; i < 20000; ++i)
        w.record(wmr::SELECTCLIPREGION, {0}).select(0);
    const QByteArray wmf = w.finish();
    const WmfConversion c = convertWmf(wmf);
    EXPECT_TRUE(c.truncated);
    EXPECT_LE(c.emf.size(), 16 * wmf.size() + (2 << 20));
}

TEST(WmfDamage, BytesThatAreNoWmfAreRefused) {
    for (const QByteArray& bytes : {QByteArray(), QByteArray(100, 'x'), QByteArray("\xd7\xcd\xc6\x9a", 4),
                                    QByteArray("\x01\x00\x08\x00\x00\x03", 6) + QByteArray(40, '\0')}) {
        EXPECT_TRUE(convertWmf(bytes).emf.isEmpty());
        EXPECT_FALSE(play(bytes).valid);
        EXPECT_THROW(wmfToMetafile(bytes), EInvalidGraphic);
    }
}
