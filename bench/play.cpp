// Playing a dense printout page (84 lines of about 120 Courier New characters) into a page-sized
// image, in colour and in black and white, and directly through PainterCanvas for comparison.
#include "platform/DrawText.h"
#include "platform/EmfPlayer.h"
#include "platform/MetafileCanvas.h"
#include "platform/PainterCanvas.h"
#include "support/DensePage.h"

#include <QImage>
#include <benchmark/benchmark.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

TMetafile recordPage(unsigned clip) {
    TMetafile p;
    p.setPageSize();
    MetafileCanvas canvas(p);
    test::drawDensePage(canvas, clip);
    canvas.finish();
    return p;
}

const TMetafile& densePage() {
    static const TMetafile page = recordPage(DT_NOCLIP);
    return page;
}

void playInto(benchmark::State& state, bool monochrome) {
    const TMetafile& page = densePage();
    QImage image(1429, 2000, QImage::Format_RGB32);
    EmfPlayOptions options;
    options.monochrome = monochrome;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        playEmf(p, QRectF(0, 0, 1429, 2000), page, options);
    }
    state.counters["bytes_per_page"] = double(page.bytes().size());
}

void BM_PlayDensePage(benchmark::State& state) {
    playInto(state, false);
}
BENCHMARK(BM_PlayDensePage)->Unit(benchmark::kMillisecond);

void BM_PlayDensePageMonochrome(benchmark::State& state) {
    playInto(state, true);
}
BENCHMARK(BM_PlayDensePageMonochrome)->Unit(benchmark::kMillisecond);

// Every field clipped to its box, as fields without DT_NOCLIP are written.
void BM_PlayDensePageClippedFields(benchmark::State& state) {
    const TMetafile page = recordPage(0);
    QImage image(1429, 2000, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        playEmf(p, QRectF(0, 0, 1429, 2000), page);
    }
}
BENCHMARK(BM_PlayDensePageClippedFields)->Unit(benchmark::kMillisecond);

// A thumbnail-sized playback, as the viewer's page list would draw it.
void BM_PlayDensePageSmall(benchmark::State& state) {
    const TMetafile& page = densePage();
    QImage image(143, 200, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        playEmf(p, QRectF(0, 0, 143, 200), page);
    }
}
BENCHMARK(BM_PlayDensePageSmall)->Unit(benchmark::kMillisecond);

void BM_PaintDensePageDirectly(benchmark::State& state) {
    QImage image(1429, 2000, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        PainterCanvas canvas(p);
        test::drawDensePage(canvas);
    }
}
BENCHMARK(BM_PaintDensePageDirectly)->Unit(benchmark::kMillisecond);

} // namespace
