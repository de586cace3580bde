// Composition benchmarks on generated dense printouts of 10, 100 and 1000 pages: loading,
// composition (pages per second), latency of the first page, EMF bytes per page, PDF export.
// BM_Compose, medians of 5 runs on 2 shared cores, before -> after text was measured and drawn
// without copies or allocations: 100 pages (87) 64.9 -> 25.9 ms (1,341 -> 3,354 pages/s), 1000
// pages (861) 782 -> 266 ms (1,102 -> 3,243 pages/s); the EMF bytes are the same.
#include "document/Wydruki.h"
#include "platform/EmfWalk.h"
#include "printing/MetafileDraw.h"
#include "support/DensePage.h"
#include "support/WydWriter.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>
#include <chrono>

using namespace vek;
using namespace vek::test;

namespace {

void BM_Load(benchmark::State& state) {
    const QString& file = densePrintoutFile(int(state.range(0)));
    for (auto _ : state) {
        TWydruk w;
        w.LoadFromFile(file);
        benchmark::DoNotOptimize(w.Tekst().LineCount());
    }
}

void BM_Compose(benchmark::State& state) {
    TWydruk w;
    w.LoadFromFile(densePrintoutFile(int(state.range(0))));
    TMLineWydruk& doc = w.Tekst();
    qint64 pages = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        doc.MakePages();
        pages += qint64(doc.Pages.size());
        for (const PagePtr& page : doc.Pages)
            bytes += page->metafile().bytes().size();
    }
    // Where the bytes of a page go: text records against everything else.
    qint64 textBytes = 0;
    for (const PagePtr& page : doc.Pages) {
        EmfWalker walker(page->metafile().bytes());
        EmfRecord record;
        while (walker.next(record))
            textBytes += record.type() == emr::EXTTEXTOUTW ? record.size() : 0;
    }
    state.counters["text bytes/page"] = double(textBytes) / double(std::max<size_t>(doc.Pages.size(), 1));
    state.counters["pages"] = double(doc.Pages.size());
    state.counters["pages/s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
    state.counters["EMF bytes/page"] = double(bytes) / double(std::max<qint64>(pages, 1));
}

// Time from the start of MakePages to the first finished page; the rest is not composed.
void BM_FirstPage(benchmark::State& state) {
    TWydruk w;
    w.LoadFromFile(densePrintoutFile(int(state.range(0))));
    for (auto _ : state) {
        std::chrono::steady_clock::time_point first;
        w.OnNextPage = [&](TWydruk& sender, const PagePtr&) {
            if (!sender.Tekst().Aborted) {
                first = std::chrono::steady_clock::now();
                sender.Abort();
            }
        };
        const auto start = std::chrono::steady_clock::now();
        w.MakePages();
        state.SetIterationTime(std::chrono::duration<double>(first - start).count());
    }
}

// Composition and PDF writing, pages streamed into the PDF as they are finished.
void BM_PdfExport(benchmark::State& state) {
    TWydruk w;
    w.LoadFromFile(densePrintoutFile(int(state.range(0))));
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        pdf.setResolution(1200);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF());
        QPainter painter;
        w.OnNextPage = [&](TWydruk&, const PagePtr& page) {
            if (painter.isActive())
                pdf.newPage();
            else
                painter.begin(&pdf);
            const QRect sheet(0, 0, pdf.width(), pdf.height());
            DrawPage(painter, sheet.adjusted(472, 709, -472, -1181), *page, false);
        };
        w.Clear();
        w.LoadFromFile(densePrintoutFile(int(state.range(0))));
        w.MakePages();
        painter.end();
        state.counters["PDF bytes"] = double(out.data().size());
    }
}

} // namespace

BENCHMARK(BM_Load)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPage)->Arg(10)->Arg(1000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PdfExport)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
