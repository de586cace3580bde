// The exporter end to end: `vekpokaz-export -o FILE` of a dense printout of about 1,000 pages,
// reading, composing and writing included, as a user runs it. Counters: the pages written, pages
// per second of wall time, and the CPU seconds of the exporter (both threads).
//
// VEK_EXPORT_EXE runs another build of the exporter (an older one, to compare); VEK_BENCH_OUT
// names the folder the output goes to (a tmpfs such as /dev/shm leaves the disk out).
//
// Figures, 1,000 pages (densePrintout(1162)), means of 3 runs, on 2 cores shared with other work
// (load 4-7, so wall times are loose; CPU seconds are steadier). "Before": the exporter composing
// and writing on one thread, a QSaveFile per EMF page. "After": writing on a thread of its own,
// text given to the PDF engine in glyph runs, EMF pages renamed into place.
//                      wall s before -> after         CPU s before -> after
//   PDF, /dev/shm      13.6, 7.5 -> 8.1, 5.6          6.76, 5.79 -> 4.26, 3.98
//   PDF, disk          14.2      -> 6.6               5.96       -> 4.77
//   EMF, /dev/shm      2.77, 2.33 -> 2.44, 1.59       1.83, 1.61 -> 1.42, 1.53
//   EMF, disk          12.3      -> 3.3               2.37       -> 1.69
// Instructions (valgrind --tool=callgrind --separate-threads=yes, 100 pages): PDF 3,745 M on one
// thread before; 817 M composing and 1,705 M writing now, so the longer thread does 2.2 times
// less. EMF 816 M before and after: composing is all of it, the writing thread does 1.6 M.
//
// Cheaper composing (text measured and drawn without copies or allocations, text records written
// in place, page pixels rounded without saving the floating-point environment, one record buffer
// reused from page to page), EMF of 1,000 pages, before -> after:
//   this benchmark, /dev/shm       1,611 -> 840 ms wall (621 -> 1,191 pages/s), CPU 1.76 -> 0.97 s
//   this benchmark, disk           1,492 -> 943 ms wall (670 -> 1,060 pages/s), CPU 1.79 -> 1.36 s
//   medians of 7 runs, alternated  1.29 -> 0.73 s wall (775 -> 1,370 pages/s), CPU 1.42 -> 0.83 s
//   instructions of the composing thread (callgrind): 7,888 M -> 3,932 M; 100 pages 858 -> 466 M
// Of the 0.73 s (perf samples): reading about 0.33 s, composing 0.37 s, freeing the document and
// its pages at the end 0.12 s. PDF: CPU 4.26 -> 3.93 s; its wall time is the writing thread's.
#include "support/DensePage.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <sys/resource.h>

using namespace vek;
using namespace vek::test;

namespace {

QString exporter() {
    const QString chosen = qEnvironmentVariable("VEK_EXPORT_EXE");
    return chosen.isEmpty() ? QStringLiteral(VEK_EXPORT_EXE) : chosen;
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The page count from the exporter's last line, "Zapisano stron: N".
int pagesWritten(const QByteArray& errors) {
    const QByteArray tag = QByteArrayLiteral("Zapisano stron: ");
    const qsizetype at = errors.lastIndexOf(tag);
    return at < 0 ? 0 : errors.mid(at + tag.size()).trimmed().toInt();
}

void exportTo(benchmark::State& state, const QString& fileName) {
    const QString& input = densePrintoutFile(int(state.range(0)));
    const QString base = qEnvironmentVariable("VEK_BENCH_OUT");
    int pages = 0;
    double wall = 0;
    double cpu = 0;
    for (auto _ : state) {
        QTemporaryDir out((base.isEmpty() ? QDir::tempPath() : base) + QStringLiteral("/vek-export-XXXXXX"));
        QProcess process;
        process.setProcessChannelMode(QProcess::SeparateChannels);
        const double cpuBefore = childCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        process.start(exporter(), {QStringLiteral("-o"), out.filePath(fileName), input});
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            state.SkipWithError("the exporter failed");
            return;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        wall += seconds;
        cpu += childCpuSeconds() - cpuBefore;
        pages = pagesWritten(process.readAllStandardError());
    }
    const double runs = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["pages"] = pages;
    state.counters["pages/s"] = wall > 0 ? pages * runs / wall : 0;
    state.counters["CPU s"] = cpu / runs;
}

void BM_ExportPdf(benchmark::State& state) {
    exportTo(state, QStringLiteral("p.pdf"));
}

void BM_ExportEmf(benchmark::State& state) {
    exportTo(state, QStringLiteral("p.emf"));
}

} // namespace

// densePrintout(1162) has 1,000 pages.
BENCHMARK(BM_ExportPdf)->Arg(1162)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportEmf)->Arg(1162)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
