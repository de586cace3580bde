#pragma once
// --print: the composed pages as a one-sided job on a CUPS printer.

#include "ExportWriters.h"

namespace vek::exporter {

// A print job that cannot be started or sent (unknown printer, refused job).
class EPrintError : public Exception {
    using Exception::Exception;
};

struct PrintJob {
    QString printer; // queue name as CUPS knows it
    int copies = 1;
    QString documentName; // the job's title: the printout's name
};

// Sheets on the printer: A4, one-sided, in grayscale when options.mono, each side drawn in printer
// device pixels exactly as the PDF sheets are. The printer is checked at once; the job is sent by
// finish() and never sent by discard().
std::unique_ptr<SheetWriter> makePrinterSheets(const WriterOptions& options, const PrintJob& job);

} // namespace vek::exporter
