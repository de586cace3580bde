// Recording a dense printout page into an EMF: time per page and bytes per page.
// A page is 84 lines of about 115 characters in two fields each, with rules every ten lines,
// as the composer draws a typical ledger printout.
#include "platform/DrawText.h"
#include "platform/MetafileCanvas.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace vek;
using namespace Qt::StringLiterals;

namespace {

LogFont courier(int weight) {
    LogFont lf;
    lf.faceName = u"Courier New"_s;
    lf.height = -20;
    lf.weight = weight;
    lf.charSet = EASTEUROPE_CHARSET;
    lf.quality = 1;
    return lf;
}

void drawPage(GdiCanvas& c) {
    const GdiFontPtr body = GdiFont::get(courier(400));
    const GdiFontPtr bold = GdiFont::get(courier(700));
    c.selectPen(LogPen{PS_SOLID, 1, 0});
    for (int line = 0; line < 84; ++line) {
        const int y = 60 + line * 22;
        c.selectFont(body);
        QRect left(40, y, 620, 22);
        DrawText(
            c,
            u"%1. Konto 201-%2 Rozrachunki z odbiorcami krajowymi, faktura VAT"_s.arg(line + 1).arg(line * 7),
            left, DT_NOPREFIX | DT_NOCLIP);
        c.selectFont(line % 10 == 0 ? bold : body);
        QRect amounts(670, y, 720, 22);
        DrawText(c,
                 u"%1,%2 zł   %3,00 zł   saldo Wn   %4"_s.arg(line * 1234 + 17)
                     .arg(line % 100)
                     .arg(line * 98)
                     .arg(line),
                 amounts, DT_NOPREFIX | DT_NOCLIP | DT_RIGHT);
        if (line % 10 == 9) {
            c.moveTo(40, y + 21);
            c.lineTo(1389, y + 21);
        }
    }
}

void BM_RecordDensePage(benchmark::State& state) {
    qsizetype bytes = 0;
    for (auto _ : state) {
        TMetafile page;
        page.setPageSize();
        {
            MetafileCanvas canvas(page);
            drawPage(canvas);
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
        drawPage(canvas);
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
    canvas.selectFont(GdiFont::get(courier(400)));
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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
