// vekpokaz-export: the headless exporter. Parses the command line and runs one mode (Export.h).
#include "Export.h"
#include "ExportMessages.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <optional>

using namespace vek::exporter;

namespace {

const QString kUsageTail =
    QStringLiteral("exit status: 0 done; 1 the printout cannot be read; 2 wrong usage");

struct Parsed {
    Options options;
    QString error; // non-empty: wrong usage
};

std::optional<int> positiveInt(const QString& text, int max) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 1 || v > max)
        return std::nullopt;
    return v;
}

bool parseMargins(const QString& text, std::array<int, 4>& out) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return false;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int v = parts[i].trimmed().toInt(&ok);
        if (!ok || v < 0 || v > 200)
            return false;
        out[size_t(i)] = v;
    }
    return true;
}

void addOptions(QCommandLineParser& p) {
    p.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral(".pdf: one document; .png or .emf: one file per page (%d = page number)."),
         QStringLiteral("PATH")},
        {QStringLiteral("pages"), QStringLiteral("Page list, e.g. \"5-10, 12, 15\" (default: all)."),
         QStringLiteral("LIST")},
        {QStringLiteral("mono"), QStringLiteral("Black and white, as printed in monochrome mode.")},
        {QStringLiteral("margins"), QStringLiteral("Margins in mm on the A4 sheet (default 15,10,10,25)."),
         QStringLiteral("T,L,R,B")},
        {QStringLiteral("mode"), QStringLiteral("Sheet layout: normal, reduced or booklet."),
         QStringLiteral("MODE")},
        {QStringLiteral("dpi"), QStringLiteral("PNG resolution (default 150)."), QStringLiteral("N")},
        {QStringLiteral("info"), QStringLiteral("Print a JSON summary of the printout.")},
        {QStringLiteral("text"),
         QStringLiteral("Print the text of each page, pages separated by form feeds.")},
        {QStringLiteral("trace"),
         QStringLiteral("Print the records of each page, one line each, pages opened by \"# page N\".")},
        {QStringLiteral("print"), QStringLiteral("Send a one-sided job to a CUPS printer."),
         QStringLiteral("PRINTER")},
        {QStringLiteral("copies"), QStringLiteral("Copies for --print (default 1)."), QStringLiteral("N")},
        {QStringLiteral("thumbnail"),
         QStringLiteral("With -o FILE.png: the first page, longer side SIZE px."), QStringLiteral("SIZE")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress on standard error.")},
    });
    p.addPositionalArgument(QStringLiteral("FILE"),
                            QStringLiteral("The printout (.wyd) or an EMF or WMF picture."));
}

QString readValues(const QCommandLineParser& p, Options& o) {
    o.output = p.value(QStringLiteral("output"));
    o.pages = p.value(QStringLiteral("pages"));
    o.mono = p.isSet(QStringLiteral("mono"));
    o.info = p.isSet(QStringLiteral("info"));
    o.text = p.isSet(QStringLiteral("text"));
    o.trace = p.isSet(QStringLiteral("trace"));
    o.printer = p.value(QStringLiteral("print"));
    o.quiet = p.isSet(QStringLiteral("quiet"));
    if (p.isSet(QStringLiteral("margins")) && !parseMargins(p.value(QStringLiteral("margins")), o.margins))
        return QStringLiteral("--margins wants four whole millimetres: T,L,R,B");
    if (p.isSet(QStringLiteral("mode"))) {
        const QString m = p.value(QStringLiteral("mode"));
        if (m == u"normal")
            o.mode = SheetMode::Normal;
        else if (m == u"reduced")
            o.mode = SheetMode::Reduced;
        else if (m == u"booklet")
            o.mode = SheetMode::Booklet;
        else
            return QStringLiteral("--mode wants normal, reduced or booklet");
    }
    const auto number = [&](const QString& name, int max, int& out) {
        if (!p.isSet(name))
            return true;
        const auto v = positiveInt(p.value(name), max);
        if (v)
            out = *v;
        return v.has_value();
    };
    if (!number(QStringLiteral("dpi"), 2400, o.dpi))
        return QStringLiteral("--dpi wants a number from 1 to 2400");
    if (!number(QStringLiteral("copies"), 999, o.copies))
        return QStringLiteral("--copies wants a number from 1 to 999");
    if (!number(QStringLiteral("thumbnail"), 10000, o.thumbnail))
        return QStringLiteral("--thumbnail wants a size from 1 to 10000");
    return {};
}

QString checkCombination(const QCommandLineParser& p, const Options& o) {
    const int modes =
        int(o.info) + int(o.text) + int(o.trace) + int(!o.printer.isEmpty()) + int(!o.output.isEmpty());
    if (modes == 0)
        return QStringLiteral("nothing to do: give -o, --print, --info, --text or --trace");
    if (modes > 1)
        return QStringLiteral("-o, --print, --info, --text and --trace exclude one another");
    if (o.thumbnail > 0 && !o.output.endsWith(u".png", Qt::CaseInsensitive))
        return QStringLiteral("--thumbnail needs -o FILE.png");
    if (p.isSet(QStringLiteral("copies")) && o.printer.isEmpty())
        return QStringLiteral("--copies goes with --print");
    if (!o.output.isEmpty() && !o.output.endsWith(u".pdf", Qt::CaseInsensitive) &&
        !o.output.endsWith(u".png", Qt::CaseInsensitive) && !o.output.endsWith(u".emf", Qt::CaseInsensitive))
        return QStringLiteral("-o wants a .pdf, .png or .emf path");
    return {};
}

Parsed parse(QCommandLineParser& p, const QStringList& args) {
    Parsed r;
    if (!p.parse(args)) {
        r.error = p.errorText();
        return r;
    }
    const QStringList files = p.positionalArguments();
    if (files.size() != 1) {
        r.error = QStringLiteral("give exactly one input file");
        return r;
    }
    r.options.input = files.front();
    r.error = readValues(p, r.options);
    if (r.error.isEmpty())
        r.error = checkCombination(p, r.options);
    return r;
}

ExitCode run(const Options& o) {
    if (o.info)
        return exportInfo(o);
    if (o.text)
        return exportText(o);
    if (o.trace)
        return exportTrace(o);
    if (isPictureFile(o.input))
        return exportPicture(o);
    return exportPages(o);
}

} // namespace

int main(int argc, char** argv) {
    keepQtMessagesQuiet();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("vekpokaz-export"));
    QGuiApplication::setApplicationVersion(QStringLiteral(VEK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Exports Vekta printouts (.wyd) without a display."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    addOptions(parser);

    const Parsed parsed = parse(parser, QGuiApplication::arguments());
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().append(kUsageTail).append(u'\n').toUtf8().constData(), stdout);
        return int(ExitCode::Done);
    }
    if (parser.isSet(version)) {
        parser.showVersion();
    }
    if (!parsed.error.isEmpty()) {
        printError(QStringLiteral("vekpokaz-export: ") + parsed.error);
        printError(QStringLiteral("Try 'vekpokaz-export --help'."));
        return int(ExitCode::Usage);
    }
    return int(run(parsed.options));
}
