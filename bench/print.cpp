// A dense page as printing and the viewer's largest zoom draw it: the whole page at 300 dpi against
// the same page printed in 20 bitmap bands, and the full page at the largest zoom (a page 3200
// pixels wide) against one quarter of it drawn as a tile; and what parsing the page into its
// display list costs. Arg 0 plays the metafile's bytes (bands from a display list made for the
// call), arg 1 a Page, whose display list is parsed once.
#include "platform/MetafileCanvas.h"
#include "printing/MetafileDraw.h"
#include "support/DensePage.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace vek;

namespace {

const TMetafile& densePage() {
    static const TMetafile page = [] {
        TMetafile p;
        p.setPageSize();
        MetafileCanvas canvas(p);
        test::drawDensePage(canvas);
        canvas.finish();
        return p;
    }();
    return page;
}

const Page& parsedPage() {
    static const Page page(densePage());
    page.displayList();
    return page;
}

// A4 at 300 dpi: the page rectangle of a printer sheet.
const QRect kSheet(0, 0, 2480, 3508);
// The largest zoom of the viewer on a 1600-pixel view: the page twice the view's width.
const QRect kZoomed(0, 0, 3200, 4479);

void draw(benchmark::State& state, QPainter& p, const QRect& rect, bool mono) {
    if (state.range(0) == 0)
        DrawPage(p, rect, densePage(), mono);
    else
        DrawPage(p, rect, parsedPage(), mono);
}

// Arg 0: bytes or Page; arg 1: colour or black and white.
void BM_PrintFullPage(benchmark::State& state) {
    const bool mono = state.range(1) != 0;
    QImage image(kSheet.size(), mono ? QImage::Format_Grayscale8 : QImage::Format_RGB16);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        draw(state, p, kSheet, mono);
    }
}
BENCHMARK(BM_PrintFullPage)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_PrintPageInBands(benchmark::State& state) {
    const bool mono = state.range(1) != 0;
    QImage sheet(kSheet.size(), QImage::Format_RGB32);
    QPainter printer(&sheet);
    const BandSink dropBand = [](QPainter&, const QImage&, int, int) {};
    for (auto _ : state) {
        if (state.range(0) == 0)
            PrintPage(printer, kSheet, densePage(), mono, true, dropBand);
        else
            PrintPage(printer, kSheet, parsedPage(), mono, true, dropBand);
    }
}
BENCHMARK(BM_PrintPageInBands)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

void BM_ZoomedFullPage(benchmark::State& state) {
    QImage image(kZoomed.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        draw(state, p, kZoomed, false);
    }
}
BENCHMARK(BM_ZoomedFullPage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One quarter of the zoomed page (arg 1: quadrant 0..3, left to right, top to bottom) drawn into
// a tile of its size: the page is placed so that the tile shows that quarter.
void BM_ZoomedQuarterTile(benchmark::State& state) {
    const int q = int(state.range(1));
    const QSize tile(kZoomed.width() / 2, (kZoomed.height() + 1) / 2);
    const QRect placed = kZoomed.translated(-(q % 2) * tile.width(), -(q / 2) * tile.height());
    QImage image(tile, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        draw(state, p, placed, false);
    }
}
BENCHMARK(BM_ZoomedQuarterTile)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

void BM_ParseDensePage(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(EmfDisplayList(densePage().bytes()));
    state.counters["records"] = double(EmfDisplayList(densePage().bytes()).items().size());
}
BENCHMARK(BM_ParseDensePage)->Unit(benchmark::kMicrosecond);

} // namespace
