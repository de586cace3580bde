// vek-make-examples: writes the sample printouts of examples/ with the fixture writer.
// Usage: vek-make-examples [FOLDER]   (default: the examples/ folder of the source tree)
#include "support/Kosztorys.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString folder = args.size() > 1 ? args[1] : QStringLiteral(VEK_EXAMPLES_DIR);
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(QStringLiteral("kosztorys.wyd"));
    if (!vek::test::writeWyd(path, vek::test::kosztorys())) {
        std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return 0;
}
