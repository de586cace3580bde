#include "ExportPrint.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <cups/cups.h>

using namespace Qt::StringLiterals;

namespace vek::exporter {

namespace {

// The printer by name, or an error that lists the printers there are.
QPrinterInfo findPrinter(const QString& name) {
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (!info.isNull())
        return info;
    const QStringList known = QPrinterInfo::availablePrinterNames();
    throw EPrintError(u"Nie ma drukarki \"%1\". Dostępne drukarki: %2"_s.arg(
        name, known.isEmpty() ? u"(brak)"_s : known.join(u", "_s)));
}

class PrinterSheets : public SheetWriter {
public:
    PrinterSheets(const WriterOptions& options, const PrintJob& job)
        : m_options(options)
        , m_name(job.printer)
        , m_printer(findPrinter(job.printer), QPrinter::HighResolution) {
        if (m_printer.outputFormat() != QPrinter::NativeFormat || m_printer.printerName() != job.printer)
            fail(u"drukarka nie przyjmuje zadań"_s);
        m_printer.setDocName(job.documentName);
        m_printer.setCreator(u"VekPokaz"_s);
        m_printer.setDuplex(QPrinter::DuplexNone);
        m_printer.setCopyCount(job.copies);
        m_printer.setColorMode(options.mono ? QPrinter::GrayScale : QPrinter::Color);
        m_printer.setFullPage(true); // device pixels measured from the paper edges
        // The printer keeps its own unprintable margins; the sheet is measured from the paper edges
        // all the same.
        if (!m_printer.setPageSize(QPageSize(QPageSize::A4)))
            fail(u"nie można ustawić arkusza A4"_s);
        m_printer.setPageOrientation(twoUp(options.layout) ? QPageLayout::Landscape : QPageLayout::Portrait);
    }

    void side(int, const SheetSide& side) override {
        if (!m_painter.isActive()) {
            if (!m_painter.begin(&m_printer))
                fail(u"nie można rozpocząć zadania"_s);
        } else if (!m_printer.newPage()) {
            fail(u"nie można rozpocząć nowej strony"_s);
        }
        checkState();
        drawSide(m_painter, m_options, side, QSize(m_printer.width(), m_printer.height()),
                 m_printer.logicalDpiX(), m_printer.logicalDpiY());
    }

    void finish() override {
        if (!m_painter.isActive())
            return; // nothing was printed: no job
        // Ending the painter hands the job to CUPS, whose answer the print engine drops: libcups
        // keeps the status of that last request for this thread.
        if (!m_painter.end())
            fail(u"nie można wysłać zadania"_s);
        checkState();
        if (cupsLastError() > IPP_STATUS_OK_CONFLICTING)
            fail(u"CUPS odrzucił zadanie: "_s + QString::fromUtf8(cupsLastErrorString()));
    }

    // The print engine cannot abort a job: ending the painter would send the pages made so far.
    // Pointed at a server that does not exist, it sends nothing.
    void discard() override {
        if (!m_painter.isActive())
            return;
        cupsSetServer("/nonexistent/vekpokaz-discarded-job");
        m_printer.abort();
        m_painter.end();
        cupsSetServer(nullptr);
    }

private:
    [[noreturn]] void fail(const QString& why) const {
        throw EPrintError(u"Drukowanie na \"%1\" nie powiodło się: %2"_s.arg(m_name, why));
    }
    void checkState() const {
        if (m_printer.printerState() == QPrinter::Error || m_printer.printerState() == QPrinter::Aborted)
            fail(u"błąd drukarki"_s);
    }

    WriterOptions m_options;
    QString m_name;
    QPrinter m_printer;
    QPainter m_painter;
};

} // namespace

std::unique_ptr<SheetWriter> makePrinterSheets(const WriterOptions& options, const PrintJob& job) {
    return std::make_unique<PrinterSheets>(options, job);
}

} // namespace vek::exporter
