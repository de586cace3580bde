// The exporter's page modes: compose the printout and write every requested page as soon as it is
// finished (PDF, PNG, EMF, a thumbnail, or the text of the pages).
#include "Export.h"
#include "ExportPipeline.h"
#include "ExportPrint.h"
#include "ExportText.h"
#include "ExportWriters.h"

#include "document/Wydruki.h"
#include "platform/Errors.h"
#include "platform/Metafile.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace vek::exporter {

namespace {

// Progress on standard error: a percentage rewritten in place on a terminal, one line per written
// page otherwise.
class Progress {
public:
    explicit Progress(bool quiet)
        : m_quiet(quiet)
        , m_terminal(isatty(fileno(stderr)) != 0) {}

    void percent(int value) {
        if (m_quiet || !m_terminal || value == m_last)
            return;
        m_last = value;
        std::fprintf(stderr, "\rTworzenie stron... %d%%", value);
        std::fflush(stderr);
    }
    // Called on the writing thread; done() reads the count once that thread has ended.
    void written(int pageNumber) {
        ++m_written;
        if (!m_quiet && !m_terminal)
            std::fprintf(stderr, "strona %d\n", pageNumber);
    }
    void done() {
        if (m_quiet)
            return;
        if (m_terminal)
            std::fprintf(stderr, "\r");
        std::fprintf(stderr, "Zapisano stron: %d\n", m_written);
    }

private:
    bool m_quiet;
    bool m_terminal;
    int m_last = -1;
    int m_written = 0;
};

WriterOptions writerOptions(const Options& o) {
    WriterOptions w;
    w.path = o.output;
    w.margins = SheetMargins{o.marginTop(), o.marginLeft(), o.marginRight(), o.marginBottom()};
    w.mono = o.mono;
    w.dpi = o.dpi;
    w.thumbnail = o.thumbnail;
    w.layout = o.mode == SheetMode::Reduced   ? SheetLayout::Reduced
               : o.mode == SheetMode::Booklet ? SheetLayout::Booklet
                                              : SheetLayout::Normal;
    return w;
}

// Reports every page once it is written.
class ReportingWriter : public PageWriter {
public:
    ReportingWriter(std::unique_ptr<PageWriter> inner, Progress& progress)
        : m_inner(std::move(inner))
        , m_progress(progress) {}
    void write(int pageNumber, const PagePtr& page) override {
        m_inner->write(pageNumber, page);
        m_progress.written(pageNumber);
    }
    void finish() override { m_inner->finish(); }
    void discard() override { m_inner->discard(); }

private:
    std::unique_ptr<PageWriter> m_inner;
    Progress& m_progress;
};

// The writer for -o: thumbnail, EMF files, or sheets (PDF or PNG) in the chosen layout; for --print
// sheets on the printer.
std::unique_ptr<PageWriter> writerFor(const Options& o) {
    const WriterOptions w = writerOptions(o);
    if (!o.printer.isEmpty()) {
        const PrintJob job{o.printer, o.copies, QFileInfo(o.input).completeBaseName()};
        return makeSheetPageWriter(makePrinterSheets(w, job), w.layout);
    }
    if (o.thumbnail > 0)
        return makeThumbnailWriter(w);
    if (o.output.endsWith(u".emf", Qt::CaseInsensitive))
        return makeEmfWriter(w);
    auto sheets = o.output.endsWith(u".pdf", Qt::CaseInsensitive) ? makePdfSheets(w.path, w)
                                                                  : makePngSheets(w.path, w, w.dpi);
    return makeSheetPageWriter(std::move(sheets), w.layout);
}

ExitCode usage(const QString& what) {
    printError(u"vekpokaz-export: "_s + what);
    return ExitCode::Usage;
}

// Composes the printout and hands every requested page to the writer as soon as it exists; the
// writer works on a thread of its own (WriterThread) while the next pages are composed. A page
// asked for before a later one waits in the list of pages made (shared pages, nothing is copied).
// With firstOnly the composition stops after the first requested page.
void composeInto(const Options& o, const WriterFactory& makeWriter, bool firstOnly) {
    const QList<PageRange> ranges = o.pages.isEmpty() ? QList<PageRange>() : ParsePageRanges(o.pages);
    TWydruk wydruk;
    wydruk.LoadFromFile(o.input);
    Progress progress(o.quiet);
    WriterThread writer([&] { return std::make_unique<ReportingWriter>(makeWriter(), progress); });

    PageSchedule schedule(ranges);
    std::vector<PagePtr> pages;
    int made = 0;
    bool stopped = false;
    wydruk.OnProgress = [&](TWydruk&, bool, int postep) { progress.percent(postep); };
    wydruk.OnNextPage = [&](TWydruk& sender, const PagePtr& page) {
        pages.push_back(page);
        schedule.pageMade(++made, [&](int number) {
            if (stopped)
                return;
            writer.write(number, pages[size_t(number - 1)]);
            if (firstOnly || writer.failed()) {
                stopped = true;
                sender.Abort();
            }
        });
    };
    try {
        wydruk.MakePages();
        // Pages past the end are known only once every page exists.
        if (!o.pages.isEmpty() && !stopped)
            ParsePageList(o.pages, made);
        // A printout without a single page gives no file (a PDF cannot be empty); its text is empty.
        if (made == 0 && !o.text && !o.trace)
            throw Exception(u"Brak stron do wydrukowania !?"_s);
    } catch (...) {
        writer.discard();
        throw;
    }
    writer.finish();
    progress.done();
}

// Runs a mode and turns its errors into the exit status: a bad page list or an output that cannot
// be written is wrong usage, anything else means the input cannot be read.
template <typename Fn> ExitCode guarded(Fn fn) {
    try {
        fn();
        return ExitCode::Done;
    } catch (const EPrintDlgError& e) {
        printError(u"vekpokaz-export: --pages: "_s + QString(e.message()).replace(u'\r', u' '));
        return ExitCode::Usage;
    } catch (const EConvertError& e) {
        printError(u"vekpokaz-export: --pages: "_s + e.message());
        return ExitCode::Usage;
    } catch (const EOutputError& e) {
        printError(u"vekpokaz-export: "_s + e.message());
        return ExitCode::Usage;
    } catch (const Exception& e) {
        printError(QString(e.message()).replace(u'\r', u'\n'));
        return ExitCode::Unreadable;
    }
}

TMetafile readPicture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(u"Nie można otworzyć pliku \"%1\". %2"_s.arg(path, file.errorString()));
    return TMetafile::fromBytes(pictureAsEmf(file.readAll()));
}

} // namespace

ExitCode exportPages(const Options& o) {
    if (o.mode != SheetMode::Normal && o.output.endsWith(u".emf", Qt::CaseInsensitive))
        return usage(u"--mode reduced and booklet need -o FILE.pdf or FILE.png"_s);
    return guarded([&] {
        composeInto(
            o, [&] { return writerFor(o); }, o.thumbnail > 0);
    });
}

namespace {

// The text modes: every page to the writer; a single picture is one page.
ExitCode writeEveryPage(const Options& o, const WriterFactory& makeWriter) {
    return guarded([&] {
        if (isPictureFile(o.input)) { // a single picture is one page
            auto writer = makeWriter();
            writer->write(1, makePage(readPicture(o.input)));
            writer->finish();
            return;
        }
        composeInto(o, makeWriter, false);
    });
}

} // namespace

ExitCode exportText(const Options& o) {
    return writeEveryPage(o, makeTextWriter);
}

ExitCode exportTrace(const Options& o) {
    return writeEveryPage(o, makeTraceWriter);
}

} // namespace vek::exporter
