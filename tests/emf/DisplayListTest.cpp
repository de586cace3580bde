// Display lists against playing the bytes: the same pixels whole, inside any clip, in bands, in
// black and white; cancelling between records; a page parsed once for every thread.
#include "support/ComposedPages.h"
#include "support/DensePage.h"
#include "support/EmfTestSupport.h"
#include "support/Examples.h"

#include "platform/EmfDisplayList.h"
#include "platform/MetafileCanvas.h"
#include "platform/Page.h"
#include "printing/MetafileDraw.h"

#include <QDir>
#include <gtest/gtest.h>
#include <thread>

using namespace vek;
using namespace vek::test;

namespace {

QByteArray densePage() {
    TMetafile p;
    p.setPageSize();
    MetafileCanvas canvas(p);
    drawDensePage(canvas);
    canvas.finish();
    return p.bytes();
}

// What reaches beyond its cell or its line: italic and turned text, wide pens, a picture.
QByteArray overhangingPage() {
    TMetafile p;
    p.setPageSize();
    MetafileCanvas c(p);
    LogFont lf;
    lf.faceName = QStringLiteral("Times New Roman");
    lf.height = -90;
    lf.italic = 1;
    c.selectFont(GdiFont::get(lf));
    c.extTextOut(200, 560, 0, nullptr, u"fjord Żółw", nullptr);
    lf.italic = 0;
    lf.escapement = 300;
    c.selectFont(GdiFont::get(lf));
    c.extTextOut(300, 900, 0, nullptr, u"pod kątem", nullptr);
    c.selectPen(LogPen{PS_SOLID, 25, rgb(0, 120, 0)});
    c.moveTo(100, 1300);
    c.lineTo(1300, 1400);
    c.rectangle(QRect(400, 1500, 500, 200));
    c.stretchDraw(QRect(700, 100, 500, 200), TMetafile::fromBytes(letterheadEmf()));
    c.finish();
    return p.bytes();
}

// The pages of the invoice sample: a letterhead picture, tables, leaders, rules.
std::vector<QByteArray> invoicePages() {
    std::vector<QByteArray> pages;
    for (const PagePtr& page : composePrintout(faktura(30)))
        pages.push_back(page->metafile().bytes());
    return pages;
}

// Our pages and the third-party pictures of the shared corpus.
std::vector<QByteArray> pictures() {
    std::vector<QByteArray> out = invoicePages();
    out.push_back(densePage());
    out.push_back(overhangingPage());
    const QString corpus = qEnvironmentVariable("VEK_CORPUS_DIR") + QStringLiteral("/emf/");
    for (const QString& name : QDir(corpus).entryList({QStringLiteral("*.emf")}, QDir::Files, QDir::Name))
        out.push_back(readFile(corpus + name));
    return out;
}

QImage blank(QSize size = QSize(715, 1000)) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

QImage playList(const EmfDisplayList& list, QSize size, const EmfPlayOptions& options = {},
                const QRect& painterClip = QRect()) {
    QImage img = blank(size);
    QPainter p(&img);
    if (!painterClip.isNull())
        p.setClipRect(painterClip);
    list.play(p, QRectF(0, 0, size.width(), size.height()), options);
    return img;
}

// Pixels inside `area` that differ between the images.
int differing(const QImage& a, const QImage& b, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += a.pixel(x, y) != b.pixel(x, y);
    }
    return n;
}

} // namespace

TEST(EmfDisplayList, PlaysTheSamePixelsAsTheBytes) {
    for (const QByteArray& bytes : pictures()) {
        const EmfDisplayList list(bytes);
        ASSERT_TRUE(list.isValid());
        const QImage played = renderEmf(bytes, QSize(715, 1000));
        const QImage listed = playList(list, QSize(715, 1000));
        EXPECT_EQ(differing(played, listed, played.rect()), 0);
    }
}

// Clips that cut through lines of text, through rules and through a picture; a tile at the
// corner; a band one pixel high.
TEST(EmfDisplayList, InsideAClipEveryPixelIsTheFullPlayback) {
    const QRect clips[] = {QRect(0, 300, 715, 37), QRect(200, 0, 13, 1000), QRect(350, 480, 61, 43),
                           QRect(0, 0, 180, 120),  QRect(0, 701, 715, 1),   QRect(230, 250, 40, 30),
                           QRect(170, 400, 70, 60)};
    for (const QByteArray& bytes : pictures()) {
        const EmfDisplayList list(bytes);
        const QImage full = renderEmf(bytes, QSize(715, 1000));
        for (const QRect& clip : clips) {
            SCOPED_TRACE(clip.y());
            EXPECT_EQ(differing(full, playList(list, full.size(), {}, clip), clip), 0);
            EmfPlayOptions options;
            options.clip = clip;
            EXPECT_EQ(differing(full, playList(list, full.size(), options), clip), 0);
        }
    }
}

TEST(EmfDisplayList, RecordsOutsideTheClipAreLeftOut) {
    const EmfDisplayList list(densePage());
    QImage tile = blank(QSize(100, 100));
    QPainter p(&tile);
    // A tenth of the page drawn at full size: only the records near its corner play.
    const EmfPlayResult r = list.play(p, QRectF(0, 0, 1429, 2000));
    EXPECT_GT(r.culled, 100);
    EXPECT_LT(r.records, int(list.items().size()) / 4);
}

TEST(EmfDisplayList, BandsPutTogetherAreTheFullPlayback) {
    const Page page(TMetafile::fromBytes(densePage()));
    for (bool mono : {false, true}) {
        SCOPED_TRACE(mono);
        QImage direct(715, 1003, mono ? QImage::Format_Grayscale8 : QImage::Format_RGB16);
        direct.fill(Qt::white);
        {
            QPainter p(&direct);
            DrawPage(p, direct.rect(), page, mono);
        }
        if (mono)
            direct = direct.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither | Qt::MonoOnly);
        QImage banded = blank(direct.size());
        {
            QPainter sheet(&banded);
            PrintPage(
                sheet, banded.rect(), page, mono, true,
                [](QPainter& printer, const QImage& band, int x, int y) { printer.drawImage(x, y, band); });
        }
        EXPECT_EQ(differing(direct.convertToFormat(QImage::Format_RGB32), banded, banded.rect()), 0);
    }
}

// Monochrome is a way of playing now; it must give what the rewritten copy gave.
TEST(EmfDisplayList, MonochromeIsTheRewrittenCopyPlayed) {
    const ColorRef ink = rgb(0, 0, 0), paper = rgb(255, 255, 255);
    EmfPlayOptions mono;
    mono.monochrome = true;
    for (const QByteArray& bytes : pictures()) {
        const QImage copy = renderEmf(emfMonochromeCopy(bytes, ink, paper), QSize(715, 1000));
        EXPECT_EQ(differing(copy, renderEmf(bytes, copy.size(), mono), copy.rect()), 0);
        EXPECT_EQ(differing(copy, playList(EmfDisplayList(bytes), copy.size(), mono), copy.rect()), 0);
    }
}

TEST(EmfDisplayList, CancelStopsBetweenRecords) {
    const EmfDisplayList list(densePage());
    std::atomic<bool> cancel = false;
    EmfPlayOptions options;
    options.cancel = &cancel;
    int texts = 0;
    options.onRecord = [&](const EmfRecord& r) {
        if (r.type() == emr::EXTTEXTOUTW && ++texts == 10)
            cancel = true; // set while the tenth text plays: the next record is not played
        return true;
    };
    const QImage img = playList(list, QSize(715, 1000), options);
    const EmfPlayResult r = [&] {
        QImage again = blank();
        QPainter p(&again);
        texts = 0;
        cancel = false;
        return list.play(p, QRectF(0, 0, 715, 1000), options);
    }();
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.skipped, 0);
    EXPECT_LT(r.records, int(list.items().size()) / 4);
    // Five lines of two fields: the ink ends after the fifth line (lines 11 page pixels apart here).
    EXPECT_LT(inkBounds(img).bottom(), 30 + 6 * 11);
    EXPECT_GT(inkBounds(img).bottom(), 30 + 4 * 11);

    cancel = true; // set before: nothing at all
    EXPECT_EQ(inkPixels(playList(list, QSize(715, 1000), options)), 0);
}

// Damaged pictures: the list plays the records the bytes hold, counting what it skips.
TEST(EmfDisplayList, DamagedBytesPlayAsTheyDoWithoutAList) {
    const QByteArray whole = densePage();
    for (qsizetype cut : {qsizetype(200), whole.size() / 3, whole.size() - 30}) {
        QByteArray bytes = whole.left(cut);
        bytes[cut / 2] = char(0xFF); // a wrong byte in some record
        const EmfDisplayList list(bytes);
        QImage a = blank(), b = blank();
        QPainter pa(&a), pb(&b);
        const EmfPlayResult ra = playEmf(pa, QRectF(0, 0, 715, 1000), bytes);
        const EmfPlayResult rb = list.play(pb, QRectF(0, 0, 715, 1000));
        EXPECT_EQ(ra.records, rb.records + rb.culled);
        EXPECT_EQ(ra.skipped, rb.skipped);
        EXPECT_EQ(ra.truncated, rb.truncated);
        pa.end();
        pb.end();
        EXPECT_EQ(differing(a, b, a.rect()), 0);
    }
    EXPECT_FALSE(EmfDisplayList(QByteArray("not a metafile")).isValid());
}

TEST(Page, DisplayListIsParsedOnceWhicheverThreadAsks) {
    const Page page(TMetafile::fromBytes(densePage()));
    std::vector<const EmfDisplayList*> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] { seen[i] = &page.displayList(); });
    for (std::thread& t : threads)
        t.join();
    for (const EmfDisplayList* list : seen)
        EXPECT_EQ(list, seen.front());
    EXPECT_GT(seen.front()->items().size(), 100u);
}
