#include "support/ComposedPages.h"

#include "document/Wydruki.h"

#include <QTemporaryDir>

namespace vek::test {

std::vector<PagePtr> composeFile(const QString& path) {
    std::vector<PagePtr> pages;
    TWydruk w;
    w.LoadFromFile(path);
    w.OnNextPage = [&](TWydruk&, const PagePtr& page) { pages.push_back(page); };
    w.MakePages();
    return pages;
}

std::vector<PagePtr> composePrintout(const WPrintout& printout) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("printout.wyd"));
    writeWyd(path, printout);
    return composeFile(path);
}

} // namespace vek::test
