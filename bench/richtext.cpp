// Rich text on a page: reading a justified Polish text from RTF, laying it out and drawing one
// full page of it (scale 1.8, as printout fields are drawn) into a page metafile. Also the
// measuring pass alone, the RTF reading alone, and a long text of short paragraphs continued
// over all the pages it needs, read once or again for every page.
#include "../tests/richtext/RtfSamples.h"
#include "platform/MetafileCanvas.h"
#include "richtext/DrawRichText.h"
#include "richtext/QmRichEdit.h"
#include "richtext/RtfReader.h"

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

// 12,000 short paragraphs: about 185 pages of a printout field.
const QByteArray& longText() {
    static const QByteArray text = [] {
        QByteArray body = "\\pard\\f0\\fs20 ";
        for (int i = 0; i < 12000; ++i)
            body += "Pozycja " + QByteArray::number(i) + " listy.\\par\r\n";
        return test::richEdit(body);
    }();
    return text;
}

// Draws the whole long text page after page; returns the number of pages.
template <typename Draw> int drawAllPages(Draw&& draw) {
    int pos = 0;
    int pages = 0;
    do {
        TMetafile page;
        page.setPageSize();
        MetafileCanvas canvas(page);
        draw(canvas, pos);
        ++pages;
    } while (pos != 0 && pages < 10000);
    return pages;
}

// As every page was drawn before: the text read and laid out from its start for each page.
void BM_LongTextReadPerPage(benchmark::State& state) {
    int pages = 0;
    for (auto _ : state)
        pages = drawAllPages([](MetafileCanvas& canvas, int& pos) {
            DrawRichText(canvas, QRect(100, 0, 1229, 2000), longText(), true, true, 1.8f, &pos);
        });
    state.counters["pages"] = pages;
}
BENCHMARK(BM_LongTextReadPerPage)->Unit(benchmark::kMillisecond)->Iterations(1);

// As the composer draws it now: read once, every page continuing the kept layout.
void BM_LongTextReadOnce(benchmark::State& state) {
    int pages = 0;
    for (auto _ : state) {
        TQmRichEdit edit;
        edit.setJustify(true);
        edit.loadRichText(longText());
        pages = drawAllPages([&](MetafileCanvas& canvas, int& pos) {
            DrawRichText(canvas, QRect(100, 0, 1229, 2000), edit, true, true, 1.8f, &pos);
        });
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_LongTextReadOnce)->Unit(benchmark::kMillisecond);

} // namespace
