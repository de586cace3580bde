#include "DensePage.h"

#include "platform/DrawText.h"

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

} // namespace vek::test
