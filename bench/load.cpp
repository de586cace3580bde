// Load time of generated printouts: header check, zlib and the body records into the model.
// Sizes are bills of quantities of about 10, 100 and 1000 composed pages.
#include "document/LineDruk.h"
#include "platform/InflateStream.h"
#include "support/Kosztorys.h"

#include <QBuffer>
#include <benchmark/benchmark.h>
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

} // namespace

BENCHMARK(BM_Load)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
