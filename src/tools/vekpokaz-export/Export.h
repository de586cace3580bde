#pragma once
// The exporter's parsed command line and its modes. Each mode lives in its own file
// (ExportInfo.cpp, ExportPicture.cpp, ExportPages.cpp, ...) and answers an exit code.

#include <QByteArray>
#include <QString>
#include <array>

namespace vek::exporter {

// Exit status of the exporter.
enum class ExitCode : int {
    Done = 0,       // the work was done
    Unreadable = 1, // the printout (or picture) cannot be read; its error text went to stderr
    Usage = 2,      // wrong command line
};

// Sheet layout, as in printing.
enum class SheetMode { Normal, Reduced, Booklet };

struct Options {
    QString input;     // FILE.wyd, or a single EMF picture
    QString output;    // -o: .pdf, .png or .emf; may hold %d for the page number
    QString pages;     // --pages, the print dialog's page-list syntax; empty = all pages
    bool mono = false; // --mono
    std::array<int, 4> margins{15, 10, 10, 25}; // --margins T,L,R,B in millimetres
    SheetMode mode = SheetMode::Normal;
    int dpi = 150;      // --dpi, PNG resolution
    bool info = false;  // --info
    bool text = false;  // --text
    bool trace = false; // --trace
    QString printer;    // --print PRINTER
    int copies = 1;     // --copies N
    int thumbnail = 0;  // --thumbnail SIZE (0 = none)
    bool quiet = false; // -q

    int marginTop() const { return margins[0]; }
    int marginLeft() const { return margins[1]; }
    int marginRight() const { return margins[2]; }
    int marginBottom() const { return margins[3]; }
};

// --info: a JSON summary of the printout on standard output.
ExitCode exportInfo(const Options& options);
// The input is a picture rather than a printout: its name or its header says EMF or WMF.
bool isPictureFile(const QString& path);
// A picture's bytes as EMF: anything that is no EMF is read as a WMF and converted (empty when it
// is neither).
QByteArray pictureAsEmf(QByteArray bytes);
// The input is a single EMF or WMF picture: played at its own frame size into -o.
ExitCode exportPicture(const Options& options);
// The composed pages to -o (PDF, PNG, EMF, thumbnail) or to a printer (--print).
ExitCode exportPages(const Options& options);
// --text: the text of each page on standard output, pages separated by form feeds.
ExitCode exportText(const Options& options);
// --trace: the records of each page on standard output, one line each (platform/EmfTrace.h).
ExitCode exportTrace(const Options& options);

// Writes an error text (UTF-8) and a line break to standard error.
void printError(const QString& text);

} // namespace vek::exporter
