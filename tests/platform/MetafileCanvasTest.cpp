// The metafile canvas: the structure of the EMF it writes, object reuse, re-opening a page,
// pictures drawn into a page, and the size of a dense page.
#include "platform/MetafileCanvas.h"
#include "platform/DrawText.h"
#include "platform/EmfPlayer.h"
#include "platform/EmfWalk.h"
#include "platform/PainterCanvas.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>
#include <gtest/gtest.h>
#include <map>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

LogFont face(const QString& name, int height, int weight = 400) {
    LogFont lf;
    lf.faceName = name;
    lf.height = height;
    lf.weight = weight;
    lf.charSet = EASTEUROPE_CHARSET;
    lf.quality = 1;
    return lf;
}

struct Summary {
    std::map<std::uint32_t, int> counts;
    QList<EmfTextRun> texts;
    quint32 maxHandle = 0;
    bool aligned = true;
    int records = 0;
};

Summary walk(const QByteArray& bytes) {
    Summary s;
    EmfWalker w(bytes);
    EmfRecord rec;
    while (w.next(rec)) {
        ++s.records;
        ++s.counts[rec.type()];
        s.aligned = s.aligned && rec.size() % 4 == 0;
        EmfTextRun run;
        if (readEmfText(rec, run))
            s.texts.append(run);
        switch (rec.type()) {
        case emr::CREATEPEN:
        case emr::CREATEBRUSHINDIRECT:
        case emr::EXTCREATEFONTINDIRECTW:
        case emr::SELECTOBJECT:
        case emr::DELETEOBJECT:
            if (!(rec.u32(8) & emr::STOCK_OBJECT))
                s.maxHandle = std::max(s.maxHandle, rec.u32(8));
            break;
        default:
            break;
        }
    }
    EXPECT_FALSE(w.damaged());
    return s;
}

quint32 headerU32(const QByteArray& b, int off) {
    return qFromLittleEndian<quint32>(b.constData() + off);
}

// A dense printout page: 84 lines of 100-130 characters in a few fields each, rules and a title.
void drawDensePage(GdiCanvas& c) {
    c.selectFont(GdiFont::get(face(u"Arial"_s, -36, 700)));
    QRect title(40, 40, 1349, 60);
    DrawText(c, u"Zestawienie obrotów i sald kont księgi głównej", title,
             DT_NOPREFIX | DT_NOCLIP | DT_CENTER);
    c.selectPen(LogPen{PS_SOLID, 2, 0});
    c.moveTo(40, 100);
    c.lineTo(1389, 100);
    const GdiFontPtr body = GdiFont::get(face(u"Courier New"_s, -20));
    const GdiFontPtr bold = GdiFont::get(face(u"Courier New"_s, -20, 700));
    for (int line = 0; line < 84; ++line) {
        const int y = 110 + line * 22;
        c.selectFont(body);
        QRect left(40, y, 560, 22);
        DrawText(c, u"%1. Konto 201-%2 Rozrachunki z odbiorcami krajowymi"_s.arg(line + 1).arg(line * 7),
                 left, DT_NOPREFIX | DT_NOCLIP);
        c.selectFont(line % 10 == 0 ? bold : body);
        QRect amounts(610, y, 780, 22);
        DrawText(c, u"%1,%2 zł   %3,00 zł   saldo Wn"_s.arg(line * 1234 + 17).arg(line % 100).arg(line * 98),
                 amounts, DT_NOPREFIX | DT_NOCLIP | DT_RIGHT);
        if (line % 10 == 9) {
            c.moveTo(40, y + 21);
            c.lineTo(1389, y + 21);
        }
    }
}

TMetafile recordPage(const std::function<void(GdiCanvas&)>& draw) {
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas c(page);
        draw(c);
    }
    return page;
}

} // namespace

TEST(MetafileCanvas, PageHeaderDescribesTheFrameAndTheRecords) {
    const TMetafile page = recordPage(drawDensePage);
    const QByteArray& b = page.bytes();
    ASSERT_GE(b.size(), 108);
    EXPECT_EQ(headerU32(b, 0), 1u);
    EXPECT_EQ(headerU32(b, 40), 0x464D4520u);
    EXPECT_EQ(headerU32(b, 48), quint32(b.size()));
    EXPECT_EQ(page.size(), QSize(1429, 2000));
    EXPECT_EQ(page.frame(), QRect(QPoint(0, 0), QPoint(21000, 29400)));
    EXPECT_EQ(qint32(headerU32(b, 72)), 1429); // one device pixel per canvas unit
    EXPECT_EQ(qint32(headerU32(b, 76)), 2000);
    EXPECT_EQ(qint32(headerU32(b, 100)), 210000);
    const Summary s = walk(b);
    EXPECT_EQ(headerU32(b, 52), quint32(s.records));
    EXPECT_TRUE(s.aligned);
    EXPECT_GT(qFromLittleEndian<quint16>(b.constData() + 56), s.maxHandle);
    EXPECT_EQ(s.counts.at(emr::EOF_), 1);
    // Bounds: from the title's top to the last line, within the page.
    const QRect bounds = page.bounds();
    EXPECT_LE(bounds.left(), 40);
    EXPECT_GE(bounds.bottom(), 110 + 83 * 22);
    EXPECT_LE(bounds.right(), 1429);
}

TEST(MetafileCanvas, FontsPensAndColoursAreWrittenOnceAndReused) {
    const TMetafile page = recordPage(drawDensePage);
    const Summary s = walk(page.bytes());
    EXPECT_EQ(s.counts.at(emr::EXTCREATEFONTINDIRECTW), 3);
    EXPECT_EQ(s.counts.at(emr::CREATEPEN), 1);
    EXPECT_EQ(s.counts.at(emr::SETTEXTCOLOR), 1);
    EXPECT_EQ(s.counts.at(emr::EXTTEXTOUTW), 1 + 84 * 2);
    // Switching between the body and the bold font every tenth line only selects.
    EXPECT_LT(s.counts.at(emr::SELECTOBJECT), 60);
}

TEST(MetafileCanvas, TextKeepsItsPositionsAndAdvances) {
    const TMetafile page = recordPage([](GdiCanvas& c) {
        c.selectFont(GdiFont::get(face(u"Courier New"_s, -20)));
        const int dx[] = {12, 12, 30, 12};
        c.extTextOut(100, 200, ETO_CLIPPED, nullptr, u"ąbcd", nullptr);
        c.extTextOut(100, 300, 0, nullptr, u"Łódź", dx);
    });
    const Summary s = walk(page.bytes());
    ASSERT_EQ(s.texts.size(), 2);
    EXPECT_EQ(s.texts[0].text, u"ąbcd"_s);
    EXPECT_EQ(s.texts[0].reference, QPoint(100, 200));
    EXPECT_EQ(s.texts[1].text, u"Łódź"_s);

    EmfWalker w(page.bytes());
    EmfRecord rec;
    QList<QList<int>> advances;
    while (w.next(rec)) {
        if (rec.type() != emr::EXTTEXTOUTW)
            continue;
        const quint32 n = rec.u32(44), offDx = rec.u32(72);
        QList<int> a;
        for (quint32 i = 0; i < n; ++i)
            a.append(rec.i32(offDx + 4 * i));
        advances.append(a);
    }
    EXPECT_EQ(advances, QList<QList<int>>({{12, 12, 12, 12}, {12, 12, 30, 12}}));
}

TEST(MetafileCanvas, ReopenedPageKeepsWhatWasRecorded) {
    TMetafile page = recordPage([](GdiCanvas& c) {
        c.selectFont(GdiFont::get(face(u"Arial"_s, -20)));
        c.extTextOut(10, 10, 0, nullptr, u"pierwszy", nullptr);
    });
    const QRect firstBounds = page.bounds();
    {
        MetafileCanvas c(page);
        c.selectFont(GdiFont::get(face(u"Arial"_s, -20)));
        c.extTextOut(10, 1900, 0, nullptr, u"drugi", nullptr);
    }
    const Summary s = walk(page.bytes());
    ASSERT_EQ(s.texts.size(), 2);
    EXPECT_EQ(s.texts[0].text, u"pierwszy"_s);
    EXPECT_EQ(s.texts[1].text, u"drugi"_s);
    EXPECT_EQ(s.counts.at(emr::HEADER), 1);
    EXPECT_EQ(s.counts.at(emr::EOF_), 1);
    EXPECT_EQ(page.size(), QSize(1429, 2000));
    EXPECT_TRUE(page.bounds().contains(firstBounds));
    EXPECT_GE(page.bounds().bottom(), 1900);
    // A copy is the same bytes.
    const TMetafile copy = page;
    EXPECT_EQ(copy.bytes(), page.bytes());
}

TEST(MetafileCanvas, SaveAndRestoreKeepTheSelectedObjectsValid) {
    const TMetafile page = recordPage([](GdiCanvas& c) {
        c.selectPen(LogPen{PS_SOLID, 1, rgb(255, 0, 0)});
        c.moveTo(0, 0);
        c.lineTo(10, 10);
        const int level = c.saveDC();
        // Enough pens to push the first one out of the object cache if it were not in use.
        for (int i = 0; i < 20; ++i) {
            c.selectPen(LogPen{PS_SOLID, 1, rgb(0, i, 0)});
            c.lineTo(20 + i, 10);
        }
        c.restoreDC(level);
        c.lineTo(100, 100);
    });
    EmfWalker w(page.bytes());
    EmfRecord rec;
    std::map<quint32, bool> live;
    quint32 redPen = 0;
    int depth = 0;
    while (w.next(rec)) {
        if (rec.type() == emr::CREATEPEN) {
            live[rec.u32(8)] = true;
            if (rec.u32(24) == rgb(255, 0, 0))
                redPen = rec.u32(8);
        }
        if (rec.type() == emr::DELETEOBJECT)
            live[rec.u32(8)] = false;
        if (rec.type() == emr::SAVEDC)
            ++depth;
        if (rec.type() == emr::RESTOREDC) {
            --depth;
            EXPECT_TRUE(live[redPen]) << "the restored pen must still exist";
        }
    }
    EXPECT_EQ(depth, 0);
}

TEST(MetafileCanvas, PicturesAreCopiedWithTheirObjectsRenumbered) {
    const TMetafile picture = recordPage([](GdiCanvas& c) {
        c.selectPen(LogPen{PS_SOLID, 3, rgb(0, 0, 255)});
        c.selectFont(GdiFont::get(face(u"Times New Roman"_s, -40)));
        c.rectangle(QRect(100, 100, 400, 300));
        c.extTextOut(120, 120, 0, nullptr, u"logo", nullptr);
    });
    const TMetafile page = recordPage([&](GdiCanvas& c) {
        c.selectFont(GdiFont::get(face(u"Arial"_s, -20)));
        c.extTextOut(10, 10, 0, nullptr, u"przed", nullptr);
        c.stretchDraw(QRect(0, 500, 714, 1000), picture);
        c.extTextOut(10, 1600, 0, nullptr, u"po", nullptr);
    });
    const Summary s = walk(page.bytes());
    ASSERT_EQ(s.texts.size(), 3);
    EXPECT_EQ(s.texts[1].text, u"logo"_s);
    EXPECT_EQ(s.counts.at(emr::HEADER), 1);
    EXPECT_EQ(s.counts.at(emr::SAVEDC), s.counts.at(emr::RESTOREDC));
    // Our font (handle 1) stays alive and distinct from the picture's objects.
    std::map<quint32, int> creates;
    EmfWalker w(page.bytes());
    EmfRecord rec;
    while (w.next(rec)) {
        if (rec.type() == emr::CREATEPEN || rec.type() == emr::EXTCREATEFONTINDIRECTW)
            ++creates[rec.u32(8)];
    }
    EXPECT_EQ(creates.size(), 3u);
    EXPECT_TRUE(page.bounds().intersects(QRect(0, 500, 714, 1000)));
}

TEST(MetafileCanvas, ForeignPicturesAreCopiedWithoutBreakingThePage) {
    const QString dir = qEnvironmentVariable("VEK_CORPUS_DIR") + u"/emf"_s;
    int copied = 0;
    for (const char* name : {"TestDrawLine.emf", "line_styles.emf", "sine_wave.emf", "fdo48916.emf"}) {
        QFile f(dir + u'/' + QLatin1String(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const TMetafile picture = TMetafile::fromBytes(f.readAll());
        const TMetafile page =
            recordPage([&](GdiCanvas& c) { c.stretchDraw(QRect(100, 100, 600, 400), picture); });
        const Summary s = walk(page.bytes());
        EXPECT_TRUE(s.aligned) << name;
        EXPECT_EQ(headerU32(page.bytes(), 52), quint32(s.records)) << name;
        EXPECT_GT(qFromLittleEndian<quint16>(page.bytes().constData() + 56), s.maxHandle) << name;
        ++copied;
    }
    if (copied == 0)
        GTEST_SKIP() << "no corpus";
}

TEST(MetafileCanvas, DensePageStaysSmall) {
    const TMetafile page = recordPage(drawDensePage);
    EXPECT_LE(page.bytes().size(), 64 * 1024);
    const QByteArray out = qgetenv("VEK_EMF_DUMP");
    if (!out.isEmpty()) {
        QFile f(QString::fromLocal8Bit(out));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(page.bytes());
    }
}

namespace {

void drawMixedScene(GdiCanvas& c, const TMetafile& picture) {
    c.setBkMode(TRANSPARENT);
    c.fillRect(QRect(0, 0, 1429, 2000), rgb(255, 255, 255));
    drawDensePage(c);
    c.selectPen(LogPen{PS_SOLID, 3, rgb(0, 0, 200)});
    c.selectBrush(LogBrush{BS_SOLID, rgb(255, 230, 150), 0});
    c.rectangle(QRect(100, 1950 - 300, 400, 200));
    c.fillRect(QRect(600, 1700, 120, 80), rgb(0, 160, 0));
    const int level = c.saveDC();
    c.intersectClipRect(QRect(800, 1650, 150, 150));
    c.selectPen(LogPen{PS_SOLID, 8, rgb(200, 0, 0)});
    c.polyline({QPoint(780, 1640), QPoint(1000, 1900), QPoint(780, 1900)});
    c.restoreDC(level);
    QImage img(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            img.setPixel(x, y, qRgb(x * 4, y * 6, 128));
    c.stretchImage(QRect(1000, 1650, 180, 120), img);
    c.stretchDraw(QRect(1200, 1800, 200, 150), picture);
}

// Share of pixels that differ by more than a small amount in any channel.
double differingShare(const QImage& a, const QImage& b) {
    qsizetype differ = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 80 || std::abs(qGreen(p) - qGreen(q)) > 80 ||
                std::abs(qBlue(p) - qBlue(q)) > 80)
                ++differ;
        }
    }
    return double(differ) / (double(a.width()) * a.height());
}

} // namespace

TEST(MetafileCanvas, RecordedPagePlaysLikeTheDirectDrawing) {
    TMetafile picture;
    picture.setSize(QSize(200, 150));
    {
        MetafileCanvas c(picture);
        c.selectPen(LogPen{PS_SOLID, 4, rgb(128, 0, 128)});
        c.moveTo(0, 0);
        c.lineTo(199, 149);
        c.selectFont(GdiFont::get(face(u"Times New Roman"_s, -30)));
        c.setBkMode(TRANSPARENT);
        c.extTextOut(20, 90, 0, nullptr, u"Logo", nullptr);
    }
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas c(page);
        drawMixedScene(c, picture);
    }
    QImage played(1429, 2000, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
        QPainter p(&played);
        const EmfPlayResult r = playEmf(p, QRectF(0, 0, 1429, 2000), page);
        EXPECT_TRUE(r.valid);
        EXPECT_EQ(r.skipped, 0);
        EXPECT_FALSE(r.truncated);
    }
    QImage direct(1429, 2000, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter p(&direct);
        PainterCanvas c(p);
        drawMixedScene(c, picture);
    }
    EXPECT_LT(differingShare(played, direct), 0.003);
    // Something was drawn at all: text, the image and the picture.
    EXPECT_NE(played.pixel(1100, 1700), qRgb(255, 255, 255));
    if (!qEnvironmentVariableIsEmpty("VEK_ROUNDTRIP_DUMP")) {
        played.save(qEnvironmentVariable("VEK_ROUNDTRIP_DUMP") + u"-played.png"_s);
        direct.save(qEnvironmentVariable("VEK_ROUNDTRIP_DUMP") + u"-direct.png"_s);
    }
}

// Recording pages one after the other reuses the storage of the last one: what the earlier page
// recorded must never show in the next, nor may the next page's bytes change what an earlier
// page holds.
TEST(MetafileCanvas, PagesRecordedOneAfterAnotherShareNothing) {
    const auto small = [](GdiCanvas& c) {
        c.selectFont(GdiFont::get(face(u"Courier New"_s, -20)));
        QRect box(40, 40, 600, 22);
        DrawText(c, u"Strona druga"_s, box, DT_NOPREFIX | DT_NOCLIP);
    };
    const TMetafile alone = recordPage(small);
    const TMetafile dense = recordPage(drawDensePage);
    const QByteArray denseBytes(dense.bytes().constData(), dense.bytes().size()); // a deep copy
    const TMetafile after = recordPage(small);
    EXPECT_EQ(after.bytes(), alone.bytes());
    EXPECT_EQ(dense.bytes(), denseBytes);
    // The storage left behind holds a whole dense page; a page recorded into it is still exact.
    EXPECT_EQ(recordPage(drawDensePage).bytes(), denseBytes);
}
