// Load time of generated printouts: header check, zlib and the body records into the model.
// Sizes are bills of quantities of about 10, 100 and 1000 composed pages. FirstPageWhileReading:
// from opening a dense printout of 10 to 5000 pages to its first page, composed while it is read.
#include "document/LineDruk.h"
#include "document/Wydruki.h"
#include "platform/InflateStream.h"
#include "support/DensePage.h"
#include "support/Kosztorys.h"
#include "support/PrintoutBomb.h"
#include "support/ProcessMemory.h"

#include <QBuffer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <map>

namespace {

const QByteArray& printoutOfPages(int pages) {
    static std::map<int, QByteArray> cache;
    auto it = cache.find(pages);
    if (it == cache.end())
        it = cache.emplace(pages, vek::test::wydBytes(vek::test::kosztorysOfPages(pages))).first;
    return it->second;
}

void BM_Load(benchmark::State& state) {
    const QByteArray& file = printoutOfPages(int(state.range(0)));
    int lines = 0;
    for (auto _ : state) {
        QBuffer buf;
        buf.setData(file);
        buf.open(QIODevice::ReadOnly);
        vek::TMLineWydruk doc;
        if (!vek::CheckFileSignature(buf, "Wydruk"))
            state.SkipWithError("not a printout");
        vek::InflateStream body(buf);
        doc.LoadFromStream(body);
        lines = doc.LineCount();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = lines;
    state.counters["fileKB"] = double(file.size()) / 1024.0;
    state.SetBytesProcessed(int64_t(state.iterations()) * file.size());
}

// A hostile printout: 200,000 lines of 255 one-letter fields, 1.4 GB inflated from a few MB. The
// reader refuses it when it passes its object limit; the time is that of getting to the refusal
// (and freeing what was read), the memory the peak on the way.
void BM_LoadFieldBomb(benchmark::State& state) {
    static const QByteArray file = vek::test::fieldBomb(200'000);
    const double before = vek::test::processMemoryMb("VmRSS:");
    for (auto _ : state) {
        QBuffer buf;
        buf.setData(file);
        buf.open(QIODevice::ReadOnly);
        vek::TMLineWydruk doc;
        vek::CheckFileSignature(buf, "Wydruk");
        vek::InflateStream body(buf);
        try {
            doc.LoadFromStream(body);
            state.SkipWithError("the bomb was read");
        } catch (const vek::EReadFileError&) {
        }
    }
    state.counters["fileKB"] = double(file.size()) / 1024.0;
    state.counters["peakMB over start"] = vek::test::processMemoryMb("VmHWM:") - before;
}

// The first page of a dense printout composed while it is read: opening the file, reading what the
// page needs, composing it. The rest is not read (the composition stops at the page).
void BM_FirstPageWhileReading(benchmark::State& state) {
    const QString& file = vek::test::densePrintoutFile(int(state.range(0)) * 11 / 10);
    for (auto _ : state) {
        vek::TWydruk w;
        std::chrono::steady_clock::time_point first;
        // After the abort the composer still hands out the page it was on: the time stays the first's.
        w.OnNextPage = [&](vek::TWydruk& sender, const vek::PagePtr&) {
            if (!sender.Tekst().Aborted) {
                first = std::chrono::steady_clock::now();
                sender.Abort();
            }
        };
        const auto start = std::chrono::steady_clock::now();
        w.OpenFile(file);
        w.MakePages();
        state.SetIterationTime(std::chrono::duration<double>(first - start).count());
    }
}

} // namespace

BENCHMARK(BM_Load)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFieldBomb)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPageWhileReading)
    ->Arg(10)
    ->Arg(1000)
    ->Arg(5000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
