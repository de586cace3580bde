// Golden traces: the records of every page of the sample printouts and of one small printout per
// composition rule, compared line by line with tests/golden/*.trace. A change of what a page
// holds shows here as a readable diff. To take a change on purpose, regenerate the traces with
//   VEK_UPDATE_GOLDENS=1 build/tests/test_golden
// and commit them on their own.
#include "compose/ComposeSupport.h"
#include "platform/EmfTrace.h"
#include "support/ComposedPages.h"
#include "support/Examples.h"
#include "support/Kosztorys.h"
#include "support/WydWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;
using namespace Qt::StringLiterals;

namespace {

QString sourceDir() {
    return qEnvironmentVariable("VEK_SOURCE_DIR", QStringLiteral("."));
}

QString goldenPath(const QString& name) {
    return sourceDir() + u"/tests/golden/"_s + name + u".trace"_s;
}

// The trace of every page, as vekpokaz-export --trace prints it.
QString traceOf(const QString& path) {
    QString out;
    int number = 0;
    for (const PagePtr& page : composeFile(path))
        out += u"# page %1\n"_s.arg(++number) + emfTrace(page->displayList());
    return out;
}

QString traceOf(const WPrintout& printout) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"golden.wyd"_s);
    if (!writeWyd(path, printout))
        return u"<cannot write the printout>"_s;
    return traceOf(path);
}

// The first lines where the two traces part, as diff -u shows them.
QString readableDiff(const QString& goldenFile, const QString& actual) {
    QTemporaryDir dir;
    QFile out(dir.filePath(u"actual.trace"_s));
    if (!out.open(QIODevice::WriteOnly) || out.write(actual.toUtf8()) < 0)
        return u"<cannot write the actual trace>"_s;
    out.close();
    QProcess diff;
    diff.start(u"diff"_s, {u"-u"_s, goldenFile, out.fileName()});
    diff.waitForFinished(30000);
    const QStringList lines = QString::fromUtf8(diff.readAllStandardOutput()).split(u'\n');
    return lines.mid(0, 80).join(u'\n') + (lines.size() > 80 ? u"\n..."_s : QString());
}

void checkGolden(const QString& name, const QString& actual) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_FALSE(actual.isEmpty());
    const QString path = goldenPath(name);
    if (qEnvironmentVariableIsSet("VEK_UPDATE_GOLDENS")) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(actual.toUtf8());
        return;
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly))
        << path.toStdString() << " is missing: VEK_UPDATE_GOLDENS=1 makes it";
    const QString golden = QString::fromUtf8(f.readAll());
    if (golden != actual)
        ADD_FAILURE() << "the trace differs from " << path.toStdString() << ":\n"
                      << readableDiff(path, actual).toStdString();
}

// ---- One small printout per composition rule ----

// A split group over three pages; its last two lines move together (widow rule).
WPrintout pageBreaks() {
    WSection root;
    root.header = numberedGroup(u"Pozycja"_s, 160);
    return printoutWithRoot(root);
}

// Nested open sections repeat their headers outermost first; a DropAtPageTop line only once.
WPrintout repeatedHeaders() {
    WSection inner;
    inner.header = numberedGroup(u"Pozycja"_s, 120);
    WSection middle;
    middle.repeatHeader = group({textLine(u"Nagłówek działu"_s)}, true);
    middle.sections.push_back(inner);
    WSection root;
    WLine once = textLine(u"Tylko na pierwszej stronie"_s);
    once.dropAtPageTop = true;
    root.repeatHeader = group({textLine(u"Nagłówek kosztorysu"_s), once}, true);
    root.sections.push_back(middle);
    return printoutWithRoot(root);
}

// A group kept whole moves to the next page; sections and groups that start a new page.
WPrintout keptWholeAndNewPages() {
    WSection first;
    first.header = numberedGroup(u"Tekst"_s, 70);
    first.footer = numberedGroup(u"Razem"_s, 12, false);
    WSection second;
    second.newPageBefore = true;
    second.header = numberedGroup(u"Rozdział"_s, 3);
    WGroup forced = numberedGroup(u"Od nowej strony"_s, 2);
    forced.newPageBefore = true;
    second.footer = forced;
    WSection root;
    root.sections = {first, second};
    return printoutWithRoot(root);
}

// Page numbers in the repeated header, in every alignment.
WPrintout pageNumbers() {
    WSection body;
    body.header = numberedGroup(u"Wiersz"_s, 100);
    WSection root;
    root.repeatHeader = group({line({textField(kLeft, 3000, cp(u"Strona %n"_s), "Domyslny", 2, 0),
                                     textField(3500, 3000, cp(u"Strona %n z %n"_s), "Domyslny", 2, 1),
                                     textField(6500, 2700, cp(u"- %n -"_s), "Domyslny", 2, 2)})},
                              true);
    root.sections.push_back(body);
    return printoutWithRoot(root);
}

// Rules of every line style; a lone rule is not repeated at the top of a page.
WPrintout rules() {
    WSection root;
    WGroup g;
    for (quint8 style = 0; style <= 4; ++style) {
        g.lines.push_back(textLine(u"Styl linii %1"_s.arg(style)));
        g.lines.push_back(line({ruleField(style, "Domyslny", kLeft, kWidth)}));
    }
    g.lines.push_back(line({ruleField(1, "Domyslny", kLeft, 20)})); // shorter than one dash
    for (int i = 1; i <= 64; ++i)
        g.lines.push_back(textLine(u"Wypełnienie %1"_s.arg(i)));
    g.lines.push_back(line({ruleField(0, "Domyslny", kLeft, kWidth)}));
    g.lines.push_back(textLine(u"Po linii"_s));
    root.header = g;
    return printoutWithRoot(root);
}

// Dotted leaders in a monospaced and a proportional face; none after a text that fills its field.
WPrintout leaders() {
    std::vector<WStyle> styles{nominalStyle("Mono", "Courier New", 132), nominalStyle("Prop", "Arial", 132)};
    WSection root;
    root.header = group({
        line({textField(kLeft, 6000, cp(u"Roboty ziemne"_s), "Mono", 5),
              textField(6400, 2800, cp(u"1 234,56"_s), "Mono", 0, 1)}),
        line({textField(kLeft, 6000, cp(u"Roboty murowe"_s), "Prop", 5),
              textField(6400, 2800, cp(u"98,00"_s), "Prop", 0, 1)}),
        line({textField(kLeft, 600, cp(u"Tekst dłuższy niż pole"_s), "Prop", 5)}),
    });
    return printoutWithRoot(root, styles);
}

// A picture across the page with a LOGO text centred on it, and a second smaller one.
WPrintout pictures() {
    std::vector<WStyle> styles{nominalStyle("LOGO", "Arial", 40, 1)};
    WField picture;
    picture.kind = 6;
    picture.picture = letterheadEmf();
    WField small = picture;
    small.picture = sampleEmf(4000, 1000, 0x00206080);
    WSection root;
    root.header = group({
        line({picture, textField(2000, 5000, cp(u"Firma Budowlana"_s), "LOGO")}),
        textLine(u"Pod nagłówkiem"_s),
        line({small}),
        textLine(u"Koniec"_s),
    });
    return printoutWithRoot(root, styles);
}

// Rich text over about two and a half pages under a repeated header, a field after it in its line.
WPrintout richTextOverPages() {
    WField rich = textField(kLeft, kWidth, rtfParagraphs(descriptionParagraphs(70)), "Domyslny", 7);
    WSection body;
    body.header = group({line({rich, textField(kLeft, 2000, cp(u"Koniec opisu"_s))})}, true);
    WSection root;
    root.repeatHeader = group({textLine(u"Opis techniczny"_s)}, true);
    root.sections.push_back(body);
    return printoutWithRoot(root);
}

// Alignment, bottom alignment, ellipsis, no wrapping, wrapping, and styles of several sizes in one
// line sharing its bottom.
WPrintout alignment() {
    std::vector<WStyle> styles{nominalStyle("Duzy", "Arial", 60, 1),
                               nominalStyle("Maly", "Times New Roman", 150)};
    const QString longText = u"Tekst, który nie mieści się w jednym wierszu pola i zawija się na kolejne "
                             u"wiersze, tak jak w opisach pozycji kosztorysu."_s;
    WField ellipsis = textField(kLeft, 2500, cp(longText));
    ellipsis.ellipsis = 1;
    WField noWrap = textField(kLeft, 2500, cp(longText));
    noWrap.noWrap = 1;
    WField bottom = textField(4000, 3000, cp(u"Do dołu"_s), "Maly");
    bottom.alignBottom = 1;
    WSection root;
    root.header = group({
        textLine(u"Do lewej"_s, "Domyslny", 0, 0),
        textLine(u"Do prawej"_s, "Domyslny", 0, 1),
        textLine(u"Wyśrodkowany"_s, "Domyslny", 0, 2),
        line({ellipsis}),
        line({noWrap}),
        line({textField(kLeft, 3000, cp(longText))}),
        line({textField(kLeft, 3000, cp(u"Duży"_s), "Duzy"), bottom,
              textField(7500, 1500, cp(u"mały"_s), "Maly")}),
    });
    return printoutWithRoot(root, styles);
}

struct Rule {
    const char* name;
    std::function<WPrintout()> make;
};

const Rule kRules[] = {
    {"page-breaks", pageBreaks},
    {"repeated-headers", repeatedHeaders},
    {"kept-whole-new-pages", keptWholeAndNewPages},
    {"page-numbers", pageNumbers},
    {"rules", rules},
    {"leaders", leaders},
    {"pictures", pictures},
    {"rich-text-over-pages", richTextOverPages},
    {"alignment", alignment},
};

} // namespace

TEST(Golden, SamplePrintouts) {
    for (const char* name : {"kosztorys", "faktura", "opis-techniczny"})
        checkGolden(QString::fromLatin1(name),
                    traceOf(sourceDir() + u"/examples/"_s + QString::fromLatin1(name) + u".wyd"_s));
}

TEST(Golden, CompositionRules) {
    for (const Rule& rule : kRules)
        checkGolden(QString::fromLatin1(rule.name), traceOf(rule.make()));
}
