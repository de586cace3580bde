// --info: loads the printout and prints a JSON summary of its model.
#include "Export.h"

#include "document/LineDruk.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace vek::exporter {
namespace {

struct Counts {
    int sections = 0;
    int lines = 0;
    int fields = 0;
    int pictures = 0;
};

void countGroup(const TLinie& group, Counts& c) {
    c.lines += group.Count();
    for (const auto& line : group.Lines) {
        c.fields += line->Count();
        for (const auto& field : line->Fields)
            c.pictures += field->Picture ? 1 : 0;
    }
}

void countSection(const TMLine& section, Counts& c) {
    ++c.sections;
    for (const TLinie* g : {&section.Header, &section.RepeatHeader, &section.Spare, &section.Footer})
        countGroup(*g, c);
    for (const auto& child : section.Sections)
        countSection(*child, c);
}

} // namespace

void printError(const QString& text) {
    std::fputs(text.toUtf8().append('\n').constData(), stderr);
}

ExitCode exportInfo(const Options& options) {
    TMLineWydruk doc;
    try {
        loadPrintoutFile(options.input, doc);
    } catch (const Exception& e) {
        printError(e.message());
        return ExitCode::Unreadable;
    }
    Counts c;
    countSection(*doc.Root, c);
    try {
        doc.MakePages();
    } catch (const Exception& e) {
        printError(e.message());
        return ExitCode::Unreadable;
    }
    QJsonObject o;
    o.insert(u"version", doc.Version);
    o.insert(u"resolution", doc.Resolution);
    o.insert(u"scale", double(doc.Scale));
    o.insert(u"lineSpacing", double(doc.LineSpacing));
    o.insert(u"linesPerPage", doc.LinesPerPage);
    o.insert(u"styles", doc.Styles->Count() - 1);
    o.insert(u"sections", c.sections);
    o.insert(u"lines", c.lines);
    o.insert(u"fields", c.fields);
    o.insert(u"lineCount", doc.LineCount());
    o.insert(u"pictures", c.pictures);
    o.insert(u"pages", qint64(doc.Pages.size()));
    std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
    return ExitCode::Done;
}

} // namespace vek::exporter
