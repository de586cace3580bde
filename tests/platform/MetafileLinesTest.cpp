// What the metafile canvas makes of moveTo/lineTo runs (one poly-polyline record, straight
// pieces joined) and of clipped DrawText lines (characters outside the clip box left out): the
// records are smaller, and what they draw is pixel for pixel what was drawn.
#include "platform/DrawText.h"
#include "platform/EmfPlayer.h"
#include "platform/EmfWalk.h"
#include "platform/MetafileCanvas.h"
#include "platform/PainterCanvas.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

constexpr QSize kPage(1429, 2000);

struct PolyLines {
    QRect bounds;
    QList<quint32> counts;
    QList<QPoint> points;
};

struct Records {
    QList<std::uint32_t> types;
    QList<PolyLines> polys;
    QList<EmfTextRun> texts;
};

Records readRecords(const QByteArray& bytes) {
    Records out;
    EmfWalker w(bytes);
    EmfRecord rec;
    while (w.next(rec)) {
        out.types.append(rec.type());
        EmfTextRun run;
        if (readEmfText(rec, run))
            out.texts.append(run);
        if (rec.type() != emr::POLYPOLYLINE16 && rec.type() != emr::POLYPOLYLINE)
            continue;
        const bool small = rec.type() == emr::POLYPOLYLINE16;
        PolyLines p;
        p.bounds = rec.rectL(8);
        const quint32 lines = rec.u32(24), points = rec.u32(28);
        for (quint32 i = 0; i < lines; ++i)
            p.counts.append(rec.u32(32 + 4 * i));
        const std::int64_t at = 32 + 4 * std::int64_t(lines);
        for (quint32 i = 0; i < points; ++i)
            p.points.append(small ? QPoint(rec.i16(at + 4 * i), rec.i16(at + 4 * i + 2))
                                  : QPoint(rec.i32(at + 8 * i), rec.i32(at + 8 * i + 4)));
        out.polys.append(p);
    }
    EXPECT_FALSE(w.damaged());
    return out;
}

TMetafile record(const std::function<void(GdiCanvas&)>& draw) {
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas c(page);
        draw(c);
    }
    return page;
}

QImage played(const TMetafile& page) {
    QImage img(kPage, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const EmfPlayResult r = playEmf(p, QRectF(QPointF(0, 0), QSizeF(kPage)), page);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(r.skipped, 0);
    return img;
}

QImage direct(const std::function<void(GdiCanvas&)>& draw) {
    QImage img(kPage, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PainterCanvas c(p);
    draw(c);
    return img;
}

// A dashed rule in pieces of 10 with gaps of 4, as the composer draws one.
void dashedRule(GdiCanvas& c, int x0, int x1, int y) {
    for (int x = x0; x < x1; x += 14) {
        c.moveTo(x, y);
        c.lineTo(std::min(x + 10, x1), y);
    }
}

// A solid rule drawn in abutting pieces of 13.
void piecedRule(GdiCanvas& c, QPoint from, QPoint to) {
    c.moveTo(from.x(), from.y());
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())) / 13 + 1;
    for (int i = 1; i <= steps; ++i)
        c.lineTo(from.x() + (to.x() - from.x()) * i / steps, from.y() + (to.y() - from.y()) * i / steps);
}

// Ruled page: dashed and double rules, pen changes, text in between, a corner, a diagonal,
// a styled pen, and a current position taken back by restoreDC.
void drawRuledPage(GdiCanvas& c) {
    c.selectPen(LogPen{PS_SOLID, 1, 0});
    piecedRule(c, QPoint(45, 29), QPoint(1380, 29));
    piecedRule(c, QPoint(45, 31), QPoint(1380, 31));
    LogFont lf;
    lf.faceName = u"Courier New"_s;
    lf.height = -20;
    c.selectFont(GdiFont::get(lf));
    for (int row = 0; row < 30; ++row) {
        const int y = 60 + row * 50;
        c.extTextOut(45, y, 0, nullptr, u"Pozycja %1"_s.arg(row), nullptr);
        if (row % 3 == 0)
            c.selectPen(LogPen{PS_SOLID, row % 2 + 1, rgb(0, 0, row * 8)});
        dashedRule(c, 45, 1380, y + 30);
    }
    c.selectPen(LogPen{PS_SOLID, 3, rgb(160, 0, 0)});
    piecedRule(c, QPoint(700, 1600), QPoint(700, 1900));   // vertical, wide pen
    c.lineTo(1000, 1900);                                  // corner
    c.lineTo(1200, 1700);                                  // diagonal
    piecedRule(c, QPoint(1300, 1900), QPoint(1300, 1600)); // upwards
    c.selectPen(LogPen{PS_DASH, 1, rgb(0, 120, 0)});
    piecedRule(c, QPoint(45, 1950), QPoint(600, 1950)); // styled: the pattern restarts per piece
    c.selectPen(LogPen{PS_SOLID, 1, 0});
    c.moveTo(100, 1960);
    const int level = c.saveDC();
    c.moveTo(900, 1990);
    c.restoreDC(level);
    c.lineTo(400, 1960); // from (100, 1960), as restored
}

} // namespace

TEST(MetafileLines, RuledPagePlaysBackExactlyAsDrawnDirectly) {
    const TMetafile page = record(drawRuledPage);
    const QImage a = played(page), b = direct(drawRuledPage);
    qsizetype differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differ += a.pixel(x, y) != b.pixel(x, y) && (y < 55 || y > 1590 || (y - 60) % 50 >= 25);
    EXPECT_EQ(differ, 0); // rows of text left out: only the lines are compared pixel for pixel
    EXPECT_EQ(a.pixel(400, 29), qRgb(0, 0, 0));
    EXPECT_EQ(a.pixel(200, 1960), qRgb(0, 0, 0));
    EXPECT_EQ(a.pixel(800, 1990), qRgb(255, 255, 255));
}

TEST(MetafileLines, SegmentRunsBecomeOnePolyPolylineWithItsBounds) {
    const TMetafile page = record([](GdiCanvas& c) {
        dashedRule(c, 45, 1380, 661);
        piecedRule(c, QPoint(45, 700), QPoint(1380, 700));
        c.lineTo(1380, 800); // turns: a piece of its own
    });
    const Records r = readRecords(page.bytes());
    EXPECT_FALSE(r.types.contains(emr::LINETO));
    EXPECT_FALSE(r.types.contains(emr::MOVETOEX));
    ASSERT_EQ(r.polys.size(), 1);
    const PolyLines& p = r.polys[0];
    const int dashes = (1380 - 45 + 13) / 14;
    ASSERT_EQ(p.counts.size(), dashes + 2);
    EXPECT_EQ(p.points.size(), 2 * p.counts.size());
    EXPECT_TRUE(std::all_of(p.counts.begin(), p.counts.end(), [](quint32 n) { return n == 2; }));
    EXPECT_EQ(p.points.first(), QPoint(45, 661));
    EXPECT_EQ(p.points[1], QPoint(55, 661));
    EXPECT_EQ(p.points[2 * dashes], QPoint(45, 700)); // the pieced rule, joined
    EXPECT_EQ(p.points[2 * dashes + 1], QPoint(1380, 700));
    EXPECT_EQ(p.points.last(), QPoint(1380, 800));
    EXPECT_EQ(p.bounds, QRect(QPoint(45, 661), QPoint(1380, 800)));
    const QRect b = page.bounds();
    EXPECT_TRUE(b.contains(QRect(QPoint(45, 661), QPoint(1379, 799))));
    EXPECT_LE(b.top(), 661);
    EXPECT_GE(b.bottom(), 800);
}

TEST(MetafileLines, OtherRecordsEndARunAndLargeCoordinatesTakeFullPoints) {
    const TMetafile page = record([](GdiCanvas& c) {
        dashedRule(c, 0, 100, 10);
        c.extTextOut(0, 20, 0, nullptr, u"x", nullptr);
        dashedRule(c, 0, 100, 40);
        c.selectPen(LogPen{PS_SOLID, 2, rgb(255, 0, 0)}); // a new pen ends the run too
        c.moveTo(40000, 10);
        c.lineTo(40000, 20);
        c.moveTo(-40000, 10);
        c.lineTo(-39990, 10);
        c.rectangle(QRect(0, 0, 3, 3));
        c.moveTo(5, 5);
        c.lineTo(9, 5); // alone before the end: plain MOVETOEX and LINETO
    });
    const Records r = readRecords(page.bytes());
    const auto at = [&](std::uint32_t t, qsizetype from = 0) { return r.types.indexOf(t, from); };
    const qsizetype first = at(emr::POLYPOLYLINE16);
    ASSERT_GE(first, 0);
    EXPECT_LT(first, at(emr::EXTTEXTOUTW));
    const qsizetype second = at(emr::POLYPOLYLINE16, first + 1);
    EXPECT_GT(second, at(emr::EXTTEXTOUTW));
    EXPECT_LT(second, at(emr::CREATEPEN, at(emr::CREATEPEN) + 1));
    ASSERT_EQ(r.polys.size(), 3);
    EXPECT_EQ(r.polys[2].points, (QList<QPoint>{{40000, 10}, {40000, 20}, {-40000, 10}, {-39990, 10}}));
    EXPECT_EQ(r.polys[2].bounds, QRect(QPoint(-40000, 10), QPoint(40000, 20)));
    EXPECT_GE(at(emr::POLYPOLYLINE), 0);
    EXPECT_LT(at(emr::POLYPOLYLINE), at(emr::RECTANGLE));
    EXPECT_LT(at(emr::RECTANGLE), at(emr::MOVETOEX));
    EXPECT_EQ(at(emr::LINETO), at(emr::MOVETOEX) + 1);
}

TEST(MetafileLines, PictureDrawnInFindsTheCurrentPositionRecorded) {
    TMetafile picture;
    picture.setSize(QSize(10, 10));
    {
        MetafileCanvas c(picture);
        c.fillRect(QRect(0, 0, 10, 10), rgb(0, 0, 0));
    }
    const TMetafile page = record([&](GdiCanvas& c) {
        dashedRule(c, 0, 100, 10);
        c.stretchDraw(QRect(200, 200, 20, 20), picture);
    });
    EmfWalker w(page.bytes());
    EmfRecord rec;
    QPoint position(-1, -1);
    while (w.next(rec) && rec.type() != emr::SAVEDC) {
        if (rec.type() == emr::MOVETOEX)
            position = QPoint(rec.i32(8), rec.i32(12));
    }
    EXPECT_EQ(position, QPoint(100, 10));
}

TEST(MetafileLines, ClippedTextLeavesOutCharactersOutsideTheBox) {
    LogFont lf;
    lf.faceName = u"Courier New"_s;
    lf.height = -20;
    const GdiFontPtr font = GdiFont::get(lf);
    const QString leader = QString(97, u'.') + u"12,50"_s;
    const QRect box(400, 100, 120, 30);
    const TMetafile page = record([&](GdiCanvas& c) {
        c.selectFont(font);
        QRect r = box;
        DrawText(c, leader, r, DT_NOPREFIX | DT_SINGLELINE | DT_RIGHT);
        QRect left(400, 200, 120, 30);
        DrawText(c, leader, left, DT_NOPREFIX | DT_SINGLELINE);
    });
    const Records r = readRecords(page.bytes());
    ASSERT_EQ(r.texts.size(), 2);
    const int lh = font->height(), adv = font->advance(u'.');
    for (const EmfTextRun& t : r.texts) {
        EXPECT_LT(t.text.size(), 30);
        EXPECT_GE(t.reference.x(), box.left() - lh - adv);
        EXPECT_LE(t.reference.x(), box.left());
        EXPECT_LE(t.reference.x() + font->textWidth(t.text), box.right() + lh + adv + 1);
    }
    EXPECT_TRUE(r.texts[0].text.endsWith(u"12,50"_s));
    // The whole line clipped, drawn directly, gives the same pixels.
    const QImage full = direct([&](GdiCanvas& c) {
        c.selectFont(font);
        c.setBkMode(TRANSPARENT);
        const int w = font->textWidth(leader);
        QList<int> dx;
        font->advances(leader, dx);
        c.extTextOut(box.x() + box.width() - w, 100, ETO_CLIPPED, &box, leader, dx.constData());
        const QRect left(400, 200, 120, 30);
        c.extTextOut(400, 200, ETO_CLIPPED, &left, leader, dx.constData());
    });
    EXPECT_EQ(played(page), full);
}

TEST(MetafileLines, ClippedTextIsNotCutInsideASurrogatePair) {
    LogFont lf;
    lf.faceName = u"Courier New"_s;
    lf.height = -20;
    QString text;
    for (int i = 0; i < 60; ++i)
        text += u"a\U0001F600"_s;
    const TMetafile page = record([&](GdiCanvas& c) {
        c.selectFont(GdiFont::get(lf));
        for (int shift = 0; shift < 24; shift += 3) {
            QRect r(400 + shift, 100 + 30 * shift, 100, 30);
            DrawText(c, text, r, DT_NOPREFIX | DT_SINGLELINE | DT_RIGHT);
            QRect l(400, 1000 + 30 * shift, 100 + shift, 30);
            DrawText(c, text, l, DT_NOPREFIX | DT_SINGLELINE);
        }
    });
    const Records r = readRecords(page.bytes());
    ASSERT_EQ(r.texts.size(), 16);
    for (const EmfTextRun& t : r.texts) {
        ASSERT_FALSE(t.text.isEmpty());
        EXPECT_FALSE(t.text.front().isLowSurrogate()) << t.reference.x();
        EXPECT_FALSE(t.text.back().isHighSurrogate()) << t.reference.x();
        EXPECT_LT(t.text.size(), text.size());
    }
}
