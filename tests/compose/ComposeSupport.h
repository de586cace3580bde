#pragma once
// Helpers of the composition tests: printouts built in code, composed through TWydruk, and the
// text pieces of every page read back from its EMF records.

#include "document/Wydruki.h"
#include "platform/EmfWalk.h"
#include "platform/Metafile.h"
#include "support/WydWriter.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace vek::test {

// Field positions in file units (1200 per inch; 0.15 page pixels each).
inline constexpr qint32 kLeft = 300;
inline constexpr qint32 kWidth = 8900;

// A line of one text field.
inline WLine textLine(const QString& text, QByteArray style = "Domyslny", quint8 kind = 0, quint8 align = 0) {
    return line({textField(kLeft, kWidth, cp(text), std::move(style), kind, align)});
}

// A group of lines "prefix 1" .. "prefix n".
inline WGroup numberedGroup(const QString& prefix, int n, bool split = true) {
    WGroup g;
    g.splitLines = split;
    for (int i = 1; i <= n; ++i)
        g.lines.push_back(textLine(prefix + u' ' + QString::number(i)));
    return g;
}

// A group of the given lines, split between lines unless told otherwise.
inline WGroup splitGroup(std::vector<WLine> lines, bool split = true) {
    WGroup g;
    g.splitLines = split;
    g.lines = std::move(lines);
    return g;
}

// n paragraphs of a technical description, "Akapit 1. Wykonawca ..." on, each longer than a line.
inline QStringList descriptionParagraphs(int n) {
    QStringList paragraphs;
    for (int i = 1; i <= n; ++i)
        paragraphs.append(QStringLiteral("Akapit %1. Wykonawca zobowiązuje się wykonać roboty zgodnie z "
                                         "dokumentacją projektową, sztuką budowlaną i obowiązującymi "
                                         "przepisami.")
                              .arg(i));
    return paragraphs;
}

// A rule line (Kind 4) of the given style.
inline WLine ruleLine(quint8 lineStyle = 0) {
    WField f = textField(kLeft, kWidth, QByteArray(), "Domyslny", 4);
    f.lineStyle = lineStyle;
    return line({f});
}

// One text piece on a page: where its reference point is and what it says.
struct TextPiece {
    QPoint at;
    QString text;
};

inline std::vector<TextPiece> textPieces(const TMetafile& page) {
    std::vector<TextPiece> out;
    EmfWalker walker(page.bytes());
    EmfRecord record;
    while (walker.next(record)) {
        EmfTextRun run;
        if (readEmfText(record, run))
            out.push_back({run.reference, run.text});
    }
    return out;
}

// The texts of a page in recording order.
inline QStringList pageTexts(const TMetafile& page) {
    QStringList out;
    for (const TextPiece& p : textPieces(page))
        out.append(p.text);
    return out;
}

// Counts the records of one type.
inline int recordCount(const TMetafile& page, std::uint32_t type) {
    int n = 0;
    EmfWalker walker(page.bytes());
    EmfRecord record;
    while (walker.next(record))
        n += record.type() == type ? 1 : 0;
    return n;
}

// The same for a composed page.
inline std::vector<TextPiece> textPieces(const PagePtr& page) {
    return textPieces(page->metafile());
}
inline QStringList pageTexts(const PagePtr& page) {
    return pageTexts(page->metafile());
}
inline int recordCount(const PagePtr& page, std::uint32_t type) {
    return recordCount(page->metafile(), type);
}

// A printout written to a temporary file and loaded into a component.
class Loaded {
public:
    explicit Loaded(const WPrintout& p) {
        const QString path = m_dir.filePath(QStringLiteral("test.wyd"));
        if (!writeWyd(path, p))
            throw Exception(QStringLiteral("cannot write the test printout"));
        wydruk.LoadFromFile(path);
    }
    TMLineWydruk& doc() { return wydruk.Tekst(); }
    // Composes and returns the pages delivered.
    std::vector<PagePtr> compose() {
        std::vector<PagePtr> pages;
        wydruk.OnNextPage = [&](TWydruk&, const PagePtr& page) { pages.push_back(page); };
        wydruk.MakePages();
        wydruk.OnNextPage = nullptr;
        return pages;
    }

    TWydruk wydruk;

private:
    QTemporaryDir m_dir;
};

// Height in millimetres of a line as the composer measures it.
inline float lineHeightMm(TMLineWydruk& doc, TLinia& line) {
    return doc.PxToMmY(line.GetHeight());
}

// Lines of the default style (Courier New, 3.5 mm) that fit on a page from its top. Known, not
// computed through the composer: the page breaks the tests expect are absolute.
inline constexpr int kLinesPerPage = 80;

inline WPrintout printoutWithRoot(WSection root, std::vector<WStyle> styles = {}) {
    WPrintout p;
    p.root = std::move(root);
    p.styles = std::move(styles);
    return p;
}

} // namespace vek::test
