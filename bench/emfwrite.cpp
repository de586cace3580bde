// Recording a dense printout page into an EMF: time per page and bytes per page.
// The page is the shared dense page of the benchmarks (support/DensePage.h).
#include "platform/DrawText.h"
#include "platform/MetafileCanvas.h"
#include "support/DensePage.h"

#include <benchmark/benchmark.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

void BM_RecordDensePage(benchmark::State& state) {
    qsizetype bytes = 0;
    for (auto _ : state) {
        TMetafile page;
        page.setPageSize();
        {
            MetafileCanvas canvas(page);
            test::drawDensePage(canvas);
        }
        bytes = page.bytes().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes_per_page"] = double(bytes);
    state.counters["pages_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordDensePage)->Unit(benchmark::kMillisecond);

void BM_ReopenAndCopyPage(benchmark::State& state) {
    TMetafile page;
    page.setPageSize();
    {
        MetafileCanvas canvas(page);
        test::drawDensePage(canvas);
    }
    for (auto _ : state) {
        TMetafile copy = page;
        MetafileCanvas canvas(copy);
        canvas.moveTo(0, 0);
        canvas.lineTo(10, 10);
        canvas.finish();
        benchmark::DoNotOptimize(copy.bytes().size());
    }
}
BENCHMARK(BM_ReopenAndCopyPage)->Unit(benchmark::kMicrosecond);

// Measuring a long wrapped paragraph, as a field of many lines is measured.
void BM_MeasureLongParagraph(benchmark::State& state) {
    TMetafile page;
    page.setPageSize();
    MetafileCanvas canvas(page);
    canvas.selectFont(GdiFont::get(test::denseFont(400)));
    QString text;
    while (text.size() < state.range(0))
        text += u"Pozycja kosztorysowa z opisem robót ziemnych i fundamentowych, "_s;
    for (auto _ : state) {
        QRect box(0, 0, 1300, 10);
        benchmark::DoNotOptimize(DrawText(
            canvas, text, box, DT_NOPREFIX | DT_CALCRECT | DT_NOCLIP | DT_WORDBREAK | DT_EDITCONTROL));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MeasureLongParagraph)->Arg(1000)->Arg(20000)->Unit(benchmark::kMicrosecond);

} // namespace
