// vek-make-examples: writes the sample printouts of examples/ with the fixture writer.
// Usage: vek-make-examples [FOLDER]   (default: the examples/ folder of the source tree)
//        vek-make-examples --fuzz-corpus FOLDER   (seeds of the reader's fuzz target)
//        vek-make-examples --kosztorys SECTIONS ITEMS FILE   (a bill of quantities of any size)
//        vek-make-examples --empty FILE   (a printout without a single line)
//        vek-make-examples --dense PAGES FILE   (the benchmarks' dense table of about PAGES pages)
#include "support/DensePage.h"
#include "support/Examples.h"
#include "support/Kosztorys.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace {

// Whole files of several versions, and raw bodies (the fuzz target compresses those itself).
int writeFuzzCorpus(const QString& folder) {
    QDir().mkpath(folder);
    const QDir dir(folder);
    bool ok = true;
    for (const quint8 v : {0, 1, 3, 4, 5, 7}) {
        const auto p = vek::test::kosztorys(1, 2, v);
        ok &= vek::test::writeWyd(dir.filePath(QStringLiteral("file-v%1.wyd").arg(v)), p);
    }
    for (const quint8 v : {2, 6}) {
        const auto p = vek::test::kosztorys(2, 1, v);
        ok &= vek::test::writeFile(dir.filePath(QStringLiteral("body-v%1.bin").arg(v)),
                                   vek::test::bodyBytes(p));
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Fonts are needed for the letterhead picture, drawn with our own metafile canvas.
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() > 2 && args[1] == u"--fuzz-corpus")
        return writeFuzzCorpus(args[2]);
    if (args.size() > 2 && args[1] == u"--empty")
        return vek::test::writeWyd(args[2], vek::test::WPrintout()) ? 0 : 1;
    if (args.size() > 3 && args[1] == u"--dense")
        return vek::test::writeWyd(args[3], vek::test::densePrintout(args[2].toInt())) ? 0 : 1;
    if (args.size() > 4 && args[1] == u"--kosztorys")
        return vek::test::writeWyd(args[4], vek::test::kosztorys(args[2].toInt(), args[3].toInt())) ? 0 : 1;
    const QString folder = args.size() > 1 ? args[1] : QStringLiteral(VEK_EXAMPLES_DIR);
    QDir().mkpath(folder);
    const std::pair<const char*, vek::test::WPrintout> examples[] = {
        {"kosztorys.wyd", vek::test::kosztorys()},
        {"faktura.wyd", vek::test::faktura()},
        {"opis-techniczny.wyd", vek::test::opisTechniczny()},
    };
    for (const auto& [name, printout] : examples) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(name));
        if (!vek::test::writeWyd(path, printout)) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
        std::printf("%s\n", path.toLocal8Bit().constData());
    }
    return 0;
}
