#pragma once
// Helpers of the viewer tests: printouts built in code, written to a temporary folder and composed
// into shared pages, and a way to wait for the viewer's background work.

#include "platform/Page.h"
#include "support/ComposedPages.h"
#include "support/WydWriter.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace vektest {

using vek::test::WPrintout;

// A printout of one text field a line, the lines given.
inline WPrintout linesPrintout(const QStringList& lines) {
    WPrintout p;
    vek::test::WGroup g;
    g.splitLines = true;
    for (const QString& text : lines)
        g.lines.push_back(vek::test::line({vek::test::textField(300, 8900, vek::test::cp(text))}));
    p.root.header = std::move(g);
    return p;
}

// "Pozycja 1" .. "Pozycja n", about 80 lines a page.
inline WPrintout numberedPrintout(int lines) {
    QStringList texts;
    for (int i = 1; i <= lines; ++i)
        texts.append(QStringLiteral("Pozycja %1").arg(i));
    return linesPrintout(texts);
}

// Writes the printout into dir and returns its path.
inline QString writePrintout(const QTemporaryDir& dir, const WPrintout& p,
                             const QString& name = QStringLiteral("test.wyd")) {
    const QString path = dir.filePath(name);
    vek::test::writeWyd(path, p);
    return path;
}

// The printout's pages, composed, as the viewer holds them.
inline QList<vek::PagePtr> composedPages(const WPrintout& p) {
    const std::vector<vek::PagePtr> pages = vek::test::composePrintout(p);
    return QList<vek::PagePtr>(pages.begin(), pages.end());
}

} // namespace vektest
