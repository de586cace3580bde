// Rich text on a page: reading a justified Polish text from RTF, laying it out and drawing one
// full page of it (scale 1.8, as printout fields are drawn) into a page metafile. Also the
// measuring pass alone, and the RTF reading alone.
#include "../tests/richtext/RtfSamples.h"
#include "platform/MetafileCanvas.h"
#include "richtext/DrawRichText.h"
#include "richtext/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <benchmark/benchmark.h>

using namespace vek;

namespace {

// More text than a page holds: the page is full and the rest continues elsewhere.
const QByteArray& pageText() {
    static const QByteArray text = test::polishDocument(20);
    return text;
}
const QRect kBox(0, 0, 1429, 2000);

void BM_DrawRichTextPage(benchmark::State& state) {
    int pos = 0;
    qsizetype bytes = 0;
    for (auto _ : state) {
        TMetafile page;
        page.setPageSize();
        {
            MetafileCanvas canvas(page);
            pos = 0;
            benchmark::DoNotOptimize(DrawRichText(canvas, kBox, pageText(), true, true, 1.8f, &pos));
        }
        bytes = page.bytes().size();
    }
    state.counters["chars_on_page"] = double(pos);
    state.counters["emf_bytes"] = double(bytes);
    state.counters["pages_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawRichTextPage)->Unit(benchmark::kMillisecond);

void BM_MeasureRichTextPage(benchmark::State& state) {
    TMetafile page;
    page.setPageSize();
    MetafileCanvas canvas(page);
    for (auto _ : state)
        benchmark::DoNotOptimize(DrawRichText(canvas, kBox, pageText(), false, true, 1.8f));
}
BENCHMARK(BM_MeasureRichTextPage)->Unit(benchmark::kMillisecond);

void BM_ReadRtf(benchmark::State& state) {
    for (auto _ : state) {
        QTextDocument doc;
        readRtf(pageText(), doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(qint64(state.iterations()) * pageText().size());
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
