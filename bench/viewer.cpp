// The viewer on the offscreen platform, with dense printouts (about 80 KB of EMF a page):
//   FirstSheet     from showing the preview to its first page on screen, for 10, 100, 1000 and
//                  5000 pages (the page added as an empty sheet, then drawn); the printout is
//                  composed while it is read. 5000 dense pages pass the reader's object limit:
//                  the first page shows, the rest of the file would be refused.
//   Build          the whole printout built in the preview
//   RepaintCached  one repaint of a full view whose pages are drawn already
//   ScrollCached   scrolling through 1000 pages at page width, a third of the view a step, each
//                  step's pages drawn beforehand: the slowest and the mean frame
//   ScrollCold     the same without waiting for pages: frames show empty sheets, never wait
//   JumpFill       jumps across the printout: the time until the view is drawn, by drawing threads
//   ScrollPaced    60 frames a second through pages not drawn yet, by drawing threads
//   Memory1000     resident memory with a 1000-page printout built and scrolled through
//   Search1000     finding a text in 1000 pages whose text is extracted
//   ExtractText    the text of one page with its boxes
// Run Memory1000 on its own (--benchmark_filter=Memory) for a figure of that run alone.
#include "document/Wydruki.h"
#include "platform/PageText.h"
#include "support/DensePage.h"
#include "support/ProcessMemory.h"
#include "viewing/EmfViewer.h"
#include "viewing/PageRenderer.h"
#include "viewing/PageSearch.h"
#include "viewing/uFrmPodglad.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

using namespace vek;
using namespace vek::test;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// CPU time of this thread: a frame's own work, without the time other threads took the CPU.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// A dense printout of about the given number of pages (the table fills 91 % of a page).
const QString& printoutFile(int pages) {
    return densePrintoutFile(pages * 11 / 10);
}

const QList<PagePtr>& densePages() {
    static const QList<PagePtr> pages = [] {
        TWydruk w;
        w.LoadFromFile(printoutFile(1000));
        QList<PagePtr> out;
        w.OnNextPage = [&](TWydruk&, const PagePtr& page) { out.append(page); };
        w.MakePages();
        return out;
    }();
    return pages;
}

// A viewer of 1280 x 960 on screen holding the 1000 dense pages; threads: its drawing threads (0:
// as the viewer sets them).
struct ShownViewer {
    explicit ShownViewer(TEmfZoomLevel level, int threads = 0) {
        if (threads > 0)
            v.Renderer().setThreadCount(threads);
        v.resize(1280, 960);
        v.show();
        v.setZoomLevel(level);
        for (const PagePtr& p : densePages())
            v.AddPage(p);
        QCoreApplication::processEvents();
    }
    void settle() {
        v.repaint();
        v.Renderer().waitForIdle();
    }
    TEmfViewer v;
};

void BM_FirstSheet(benchmark::State& state) {
    const QString& file = printoutFile(int(state.range(0)));
    double sheet = 0;
    for (auto _ : state) {
        TFrmPodglad f;
        f.DisableSettingsSave();
        f.SetPrintoutFile(file);
        Clock::time_point start;
        double added = -1;
        double drawn = -1;
        bool tileReady = false;
        auto onChange = f.viewer->OnChange;
        f.viewer->OnChange = [&](QObject* s) {
            if (added < 0)
                added = msSince(start);
            onChange(s);
        };
        QObject::connect(&f.viewer->Renderer(), &PageRenderer::tileReady, [&] { tileReady = true; });
        f.viewer->OnPaintPage = [&](QPainter&, int, const QRect&) {
            if (tileReady && drawn < 0) {
                drawn = msSince(start);
                QTimer::singleShot(0, &f, &QWidget::close); // the rest of the composition is not measured
            }
        };
        start = Clock::now();
        f.show();
        while (drawn < 0 || f.Building())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.SetIterationTime(drawn / 1000.0);
        sheet = added;
    }
    state.counters["empty_sheet_ms"] = sheet;
}

// The whole printout built in the preview: reading, composing while the window answers, drawing
// the first pages.
void BM_Build(benchmark::State& state) {
    const QString& file = printoutFile(int(state.range(0)));
    for (auto _ : state) {
        TFrmPodglad f;
        f.DisableSettingsSave();
        f.SetPrintoutFile(file);
        f.show();
        while (f.viewer->PageCount() == 0 || f.Building())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.counters["pages"] = f.viewer->PageCount();
    }
}

void BM_RepaintCached(benchmark::State& state) {
    ShownViewer s(TEmfZoomLevel(state.range(0)));
    s.v.setPageNr(500);
    s.settle();
    for (auto _ : state)
        s.v.repaint();
    state.counters["tiles"] = s.v.Renderer().cache().count();
}

// Frames of scrolling: each moves the view and repaints it, timed on the wall and in the GUI
// thread's CPU.
struct FrameStats {
    int frames = 0;
    int over16 = 0;
    double slowest = 0;
    double slowestCpu = 0;
    double total = 0;

    // Moves the view to at and repaints it; returns when the frame started.
    Clock::time_point frame(TEmfViewer& v, qint64 at) {
        const auto start = Clock::now();
        const double cpuStart = threadCpuMs();
        v.setVertPosition(at);
        v.repaint();
        const double ms = msSince(start);
        slowestCpu = std::max(slowestCpu, threadCpuMs() - cpuStart);
        slowest = std::max(slowest, ms);
        over16 += ms > 16 ? 1 : 0;
        total += ms;
        ++frames;
        return start;
    }
    void report(benchmark::State& state) const {
        state.counters["frames"] = frames;
        state.counters["frames_over_16ms"] = over16;
        state.counters["slowest_frame_ms"] = slowest;
        state.counters["slowest_frame_cpu_ms"] = slowestCpu;
        state.counters["mean_frame_ms"] = total / std::max(frames, 1);
    }
};

void scroll(benchmark::State& state, bool waitForPages) {
    ShownViewer s(zoomPageW);
    const qint64 step = s.v.ViewHeight() / 3;
    FrameStats stats;
    for (auto _ : state) {
        for (qint64 at = 0; at <= s.v.VertMax(); at += step) {
            if (waitForPages) {
                s.v.setVertPosition(at);
                s.settle(); // this step's pages drawn beforehand, not timed
                s.v.setVertPosition(at - step);
            }
            stats.frame(s.v, at);
            if (!waitForPages)
                QCoreApplication::processEvents(); // results come in as they come
        }
    }
    stats.report(state);
    state.counters["cache_MB"] = double(s.v.Renderer().cache().bytes()) / (1 << 20);
}

void BM_ScrollCached(benchmark::State& state) {
    scroll(state, true);
}

void BM_ScrollCold(benchmark::State& state) {
    scroll(state, false);
}

// The drawing threads of a benchmark argument: 0 is the size of a default thread pool (one a core).
int drawingThreads(std::int64_t arg) {
    return arg > 0 ? int(arg) : QThread::idealThreadCount();
}

// Waits, without spinning, until the events that come within ms milliseconds are handled.
void handleEventsFor(double ms) {
    QEventLoop loop;
    QTimer::singleShot(std::max(0, int(ms)), &loop, &QEventLoop::quit);
    loop.exec();
}

// Jumps across the printout, as the page counter or End does, each once the work before it is
// done: the time until every tile on screen is drawn. Arg 0: drawing threads (0: one a core),
// arg 1: the zoom level (page width: two whole pages; zoomExtra2: six tiles).
void BM_JumpFill(benchmark::State& state) {
    ShownViewer s(TEmfZoomLevel(state.range(1)), drawingThreads(state.range(0)));
    const int jumps[] = {500, 120, 880, 300, 700, 40, 950, 610};
    double total = 0;
    double slowest = 0;
    int n = 0;
    for (auto _ : state) {
        for (const int page : jumps) {
            s.settle();
            const auto start = Clock::now();
            s.v.setPageNr(page);
            s.v.repaint();
            while (!s.v.Renderer().screenDrawn())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            const double ms = msSince(start);
            total += ms;
            slowest = std::max(slowest, ms);
            ++n;
        }
    }
    state.counters["threads"] = s.v.Renderer().threadCount();
    state.counters["mean_fill_ms"] = total / std::max(n, 1);
    state.counters["slowest_fill_ms"] = slowest;
}

// Scrolling at 60 frames a second through 100 pages not drawn yet, a quarter of the view a frame
// (about eight pages a second at page width), while the workers draw: the frames over 16 ms, and
// the frames that showed a page still empty. Arg: drawing threads (0: one a core).
void BM_ScrollPaced(benchmark::State& state) {
    ShownViewer s(zoomPageW, drawingThreads(state.range(0)));
    const qint64 step = s.v.ViewHeight() / 4;
    const qint64 end = 100 * (qint64(s.v.PageHeight()) + 10);
    constexpr double kFrameMs = 1000.0 / 60;
    FrameStats stats;
    int unfinished = 0;
    for (auto _ : state) {
        for (qint64 at = 0; at <= end; at += step) {
            const auto start = stats.frame(s.v, at);
            unfinished += s.v.Renderer().screenDrawn() ? 0 : 1;
            handleEventsFor(kFrameMs - msSince(start)); // the rest of the frame: tiles come in
        }
    }
    state.counters["threads"] = s.v.Renderer().threadCount();
    stats.report(state);
    state.counters["frames_unfinished"] = unfinished;
}

void BM_Memory1000(benchmark::State& state) {
    for (auto _ : state) {
        TFrmPodglad f;
        f.DisableSettingsSave();
        f.SetPrintoutFile(printoutFile(1000));
        f.resize(1280, 960);
        f.show();
        while (f.viewer->PageCount() == 0 || f.Building())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.counters["pages"] = f.viewer->PageCount();
        state.counters["built_MB"] = processMemoryMb("VmRSS:");
        for (int page = 1; page <= f.viewer->PageCount(); page += 20) {
            f.viewer->setPageNr(page);
            f.viewer->repaint();
            f.viewer->Renderer().waitForIdle();
        }
        state.counters["scrolled_MB"] = processMemoryMb("VmRSS:");
        f.finder->setText(QStringLiteral("beton"));
        f.finder->store().waitForIdle();
        state.counters["searched_MB"] = processMemoryMb("VmRSS:");
    }
}

void BM_Search1000(benchmark::State& state) {
    ShownViewer s(zoomPageW);
    TPageFinder finder(&s.v);
    finder.store().startExtraction();
    finder.store().waitForIdle();
    const QString needle = state.range(0) == 0 ? QStringLiteral("pozycja 65432") : QStringLiteral("beton");
    for (auto _ : state) {
        finder.setText(QString());
        finder.setText(needle);
    }
    state.counters["found"] = finder.count();
}

void BM_ExtractText(benchmark::State& state) {
    const Page& page = *densePages().at(10);
    qsizetype chars = 0;
    for (auto _ : state)
        chars = extractPageText(page).text.size();
    state.counters["chars"] = double(chars);
}

} // namespace

BENCHMARK(BM_FirstSheet)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Build)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintCached)->Arg(zoomPageH)->Arg(zoomPageW)->Arg(zoomExtra2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollCached)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollCold)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JumpFill)
    ->ArgsProduct({{1, 2, 4}, {zoomPageH, zoomPageW, zoomExtra2}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollPaced)->Arg(1)->Arg(2)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory1000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search1000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractText)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    QTemporaryDir config; // never the user's settings
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
