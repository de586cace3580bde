#include "DensePage.h"

#include "platform/DrawText.h"

#include <QTemporaryDir>
#include <map>

using namespace Qt::StringLiterals;

namespace vek::test {

LogFont denseFont(int weight) {
    LogFont lf;
    lf.faceName = u"Courier New"_s;
    lf.height = -20;
    lf.weight = weight;
    lf.charSet = EASTEUROPE_CHARSET;
    return lf;
}

void drawDensePage(GdiCanvas& c, unsigned clip) {
    const GdiFontPtr body = GdiFont::get(denseFont(400));
    const GdiFontPtr bold = GdiFont::get(denseFont(700));
    c.selectPen(LogPen{PS_SOLID, 1, 0});
    for (int line = 0; line < 84; ++line) {
        const int y = 60 + line * 22;
        c.selectFont(body);
        QRect left(40, y, 660, 22);
        DrawText(
            c,
            u"%1. Konto 201-%2 Rozrachunki z odbiorcami krajowymi, faktura VAT nr %3/2024"_s.arg(line + 1)
                .arg(line * 7)
                .arg(line * 13),
            left, DT_NOPREFIX | clip);
        c.selectFont(line % 10 == 0 ? bold : body);
        QRect amounts(700, y, 690, 22);
        DrawText(c,
                 u"%1,%2 zł   %3,00 zł   saldo Wn   %4"_s.arg(line * 1234 + 17)
                     .arg(line % 100)
                     .arg(line * 98)
                     .arg(line),
                 amounts, DT_NOPREFIX | clip | DT_RIGHT);
        if (line % 10 == 9) {
            c.moveTo(40, y + 21);
            c.lineTo(1389, y + 21);
        }
    }
}

WPrintout densePrintout(int pages) {
    constexpr int kLinesPerPage = 80;
    WPrintout p;
    WStyle s;
    s.name = "Tabela";
    s.fontName = "Courier New";
    s.charsPerLine = 150;
    s.charHeight = 294.0f / (150.0f * 84.0f / 132.0f);
    s.charWidth = 210.0f / 150.0f;
    p.styles = {s};
    WSection table;
    table.repeatHeader.lines.push_back(line({textField(300, 4000, cp(u"Zestawienie materiałów"), "Tabela"),
                                             textField(7000, 2200, "Strona %n", "Tabela", 2)}));
    table.repeatHeader.lines.push_back(line({textField(300, 8900, {}, "Tabela", 4)}));
    WSection rows;
    rows.header.splitLines = true;
    for (int i = 0; i < pages * kLinesPerPage; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        rows.header.lines.push_back(line({
            textField(300, 500, n + ".", "Tabela", 0, 1),
            textField(900, 1400, "KNR 2-02 " + n, "Tabela"),
            textField(2400, 3400, cp(u"Beton towarowy klasy C20/25 pozycja ") + n, "Tabela"),
            textField(5900, 500, "m3", "Tabela", 0, 2),
            textField(6500, 1200, "12,50", "Tabela", 0, 1),
            textField(7800, 1400, "1 234,56", "Tabela", 0, 1),
        }));
    }
    table.sections.push_back(std::move(rows));
    p.root.sections.push_back(std::move(table));
    return p;
}

const QString& densePrintoutFile(int pages) {
    static QTemporaryDir dir;
    static std::map<int, QString> files;
    auto it = files.find(pages);
    if (it == files.end()) {
        const QString path = dir.filePath(QStringLiteral("dense-%1.wyd").arg(pages));
        writeWyd(path, densePrintout(pages));
        it = files.emplace(pages, path).first;
    }
    return it->second;
}

} // namespace vek::test
