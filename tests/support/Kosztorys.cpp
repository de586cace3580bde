#include "Kosztorys.h"

#include <QStringList>
#include <array>

namespace vek::test {
namespace {

// Columns in file units (1200 per inch): Lp., Podstawa, Opis, j.m., Ilość, Cena jedn., Wartość.
constexpr qint32 kLpX = 300, kLpW = 380;
constexpr qint32 kBaseX = 700, kBaseW = 1250;
constexpr qint32 kDescX = 2000, kDescW = 3300;
constexpr qint32 kUnitX = 5350, kUnitW = 500;
constexpr qint32 kQtyX = 5900, kQtyW = 900;
constexpr qint32 kPriceX = 6850, kPriceW = 1050;
constexpr qint32 kValueX = 7950, kValueW = 1250;
constexpr qint32 kFullX = 300, kFullW = 8900;

WStyle style(QByteArray name, QByteArray font, qint32 cpl, quint8 fontStyle = 0, qint32 color = 0) {
    return nominalStyle(std::move(name), std::move(font), cpl, fontStyle, color);
}

std::vector<WStyle> styles() {
    std::vector<WStyle> v{
        style("Tytul", "Times New Roman", 60, 1, 0x00602000),
        style("Naglowek", "Arial", 110, 1),
        style("Dane", "Arial", 130),
        style("Tabela", "Arial", 150, 1),
        style("Pozycja", "Courier New", 150),
        style("Opis", "Times New Roman", 140),
        style("Dzial", "Arial", 115, 1, 0x00803000),
        style("Suma", "Arial", 125, 1),
        style("Stopka", "Arial", 170, 2, 0x00606060),
    };
    v.push_back(style("Kwota", "Courier New", 140, 1));
    v.back().alias = "Liczby";
    return v;
}

QByteArray quantity(qint64 hundredths) {
    return cp(QStringLiteral("%1,%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0')));
}

WField field(qint32 x, qint32 w, QByteArray text, const char* style, quint8 kind = 0, quint8 align = 0) {
    return textField(x, w, std::move(text), QByteArray(style), kind, align);
}

WField rule(quint8 lineStyle, const char* style = "Tabela", qint32 x = kFullX, qint32 w = kFullW) {
    return ruleField(lineStyle, QByteArray(style), x, w);
}

WField leader(qint32 x, qint32 w, QByteArray text, const char* style) {
    return field(x, w, std::move(text), style, 5);
}

struct Item {
    const char16_t* base;
    const char16_t* description;
    const char16_t* unit;
};

struct Dzial {
    const char16_t* title;
    std::array<Item, 6> items;
};

const std::array<Dzial, 8> kDzialy{{
    {u"Roboty rozbiórkowe",
     {{{u"KNR 4-01 0811-07", u"Rozebranie posadzki z płytek na zaprawie cementowej", u"m2"},
       {u"KNR 4-01 0348-04", u"Rozebranie ścianek działowych z cegieł na zaprawie wapiennej", u"m2"},
       {u"KNR 4-01 0535-03", u"Wykucie z muru ościeżnic drewnianych o powierzchni do 2 m2", u"szt."},
       {u"KNR 4-04 1103-04",
        u"Wywiezienie gruzu spryzmowanego samochodami samowyładowczymi na odległość "
        u"do 1 km wraz z załadunkiem i wyładunkiem",
        u"m3"},
       {u"KNR 4-04 1103-05", u"Dopłata za każdy następny 1 km wywozu gruzu (krotność 9)", u"m3"},
       {u"kalk. własna", u"Utylizacja odpadów budowlanych wraz z opłatą za składowanie", u"t"}}}},
    {u"Roboty ziemne",
     {{{u"KNR 2-01 0217-02",
        u"Wykopy oraz przekopy wykonywane koparkami podsiębiernymi na odkład, "
        u"grunt kategorii III",
        u"m3"},
       {u"KNR 2-01 0310-01", u"Ręczne wykopy ciągłe lub jamiste ze skarpami w gruncie suchym", u"m3"},
       {u"KNR 2-01 0230-01",
        u"Zasypywanie wykopów spycharkami z przemieszczeniem gruntu na odległość "
        u"do 10 m",
        u"m3"},
       {u"KNR 2-01 0236-03", u"Zagęszczanie nasypów ubijakami mechanicznymi, grunty sypkie", u"m3"},
       {u"KNR 2-01 0126-01", u"Plantowanie powierzchni gruntu rodzimego spycharkami", u"m2"},
       {u"KNR 2-01 0505-01", u"Humusowanie skarp z obsianiem przy grubości warstwy 10 cm", u"m2"}}}},
    {u"Fundamenty",
     {{{u"KNR 2-02 0101-01", u"Podkłady betonowe na podłożu gruntowym z betonu C8/10", u"m3"},
       {u"KNR 2-02 0205-04", u"Ławy fundamentowe żelbetowe prostokątne z betonu C20/25", u"m3"},
       {u"KNR 2-02 0290-02", u"Przygotowanie i montaż zbrojenia elementów budynków ze stali A-IIIN", u"t"},
       {u"KNR 2-02 0207-03", u"Ściany fundamentowe z bloczków betonowych na zaprawie cementowej", u"m2"},
       {u"KNR 2-02 0602-01",
        u"Izolacje przeciwwilgociowe powłokowe bitumiczne, dwie warstwy, "
        u"powierzchnie pionowe",
        u"m2"},
       {u"KNR 2-02 0607-01",
        u"Izolacja cieplna ścian fundamentowych płytami z polistyrenu "
        u"ekstrudowanego grubości 10 cm",
        u"m2"}}}},
    {u"Ściany i konstrukcja",
     {{{u"KNR 2-02 0126-03", u"Ściany budynków z bloczków z betonu komórkowego grubości 24 cm", u"m2"},
       {u"KNR 2-02 0212-01", u"Wieńce żelbetowe z betonu C20/25 w deskowaniu tradycyjnym", u"m3"},
       {u"KNR 2-02 0213-02", u"Nadproża prefabrykowane typu L-19 o długości do 2,4 m", u"szt."},
       {u"KNR 2-02 0124-01", u"Ścianki działowe z cegły dziurawki grubości 1/2 cegły", u"m2"},
       {u"KNR 2-02 0333-01", u"Kominy murowane z cegieł pełnych, jednorzędowe", u"m3"},
       {u"KNR 2-02 0211-02", u"Słupy żelbetowe prostokątne o obwodzie do 2 m", u"m3"}}}},
    {u"Dach i pokrycie",
     {{{u"KNR 2-02 0406-02", u"Konstrukcje dachowe drewniane krokwiowo-jętkowe z tarcicy nasyconej", u"m2"},
       {u"KNR 2-02 0511-01", u"Pokrycie dachu blachodachówką powlekaną na łatach", u"m2"},
       {u"KNR 2-02 0516-03", u"Rynny dachowe półokrągłe z blachy stalowej powlekanej o średnicy 15 cm", u"m"},
       {u"KNR 2-02 0517-01", u"Rury spustowe okrągłe o średnicy 12 cm", u"m"},
       {u"KNR 2-02 0608-02", u"Ocieplenie stropodachu wełną mineralną grubości 25 cm", u"m2"},
       {u"KNR 2-02 0520-05", u"Obróbki blacharskie kominów i okapów z blachy powlekanej", u"m2"}}}},
    {u"Stolarka okienna i drzwiowa",
     {{{u"KNR 2-02 1019-04", u"Okna PCV rozwierano-uchylne jednodzielne o powierzchni do 1,5 m2", u"szt."},
       {u"KNR 2-02 1019-05", u"Okna PCV dwudzielne o powierzchni ponad 1,5 m2", u"szt."},
       {u"KNR 2-02 1017-02", u"Drzwi zewnętrzne stalowe ocieplane z ościeżnicą", u"szt."},
       {u"KNR 2-02 1017-05", u"Drzwi wewnętrzne płytowe z ościeżnicą regulowaną", u"szt."},
       {u"KNR 2-02 1020-01", u"Parapety wewnętrzne z konglomeratu szerokości do 30 cm", u"m"},
       {u"KNR 2-02 1021-02", u"Parapety zewnętrzne z blachy stalowej powlekanej", u"m"}}}},
    {u"Instalacje elektryczne",
     {{{u"KNR 5-08 0103-02", u"Przewody kabelkowe YDY 3x2,5 mm2 układane p.t. w gotowych bruzdach", u"m"},
       {u"KNR 5-08 0409-05", u"Gniazda wtyczkowe podtynkowe dwubiegunowe z uziemieniem", u"szt."},
       {u"KNR 5-08 0405-01", u"Łączniki instalacyjne podtynkowe jednobiegunowe", u"szt."},
       {u"KNR 5-08 1101-01", u"Rozdzielnica mieszkaniowa natynkowa na 24 moduły z zabezpieczeniami", u"kpl."},
       {u"KNR 5-08 1202-01", u"Oprawy oświetleniowe sufitowe LED z montażem", u"szt."},
       {u"KNR 5-08 1301-01", u"Badania i pomiary instalacji elektrycznej, obwód trójfazowy", u"pomiar"}}}},
    {u"Roboty wykończeniowe",
     {{{u"KNR 2-02 0803-03", u"Tynki wewnętrzne zwykłe kategorii III na ścianach, gipsowe maszynowe", u"m2"},
       {u"KNR 2-02 1505-01", u"Dwukrotne malowanie farbą emulsyjną ścian i sufitów z gruntowaniem", u"m2"},
       {u"KNR 2-02 1118-07", u"Posadzki z płytek gresowych 30x30 cm na klej, z fugowaniem", u"m2"},
       {u"KNR 2-02 0829-01", u"Licowanie ścian płytkami ceramicznymi na klej w łazience", u"m2"},
       {u"KNR 2-02 1110-01", u"Posadzki cementowe zatarte na gładko grubości 4 cm", u"m2"},
       {u"KNR 2-02 1130-01", u"Listwy przypodłogowe z tworzywa sztucznego", u"m"}}}},
}};

// Deterministic amounts: quantity in hundredths, price in grosze.
qint64 quantityFor(int section, int item) {
    return 150 + ((section * 37 + item * 53) % 97) * 125 + (item % 3) * 17;
}
qint64 priceFor(int section, int item) {
    return 1250 + ((section * 61 + item * 29) % 89) * 1875 + (section + item) % 7 * 3;
}

// Items repeat by storey after the first round: "(piętro)", "(poddasze)".
WLine itemLine(int lp, const Item& it, int round, qint64 qty, qint64 price, qint64 value) {
    static const std::array<QString, 3> storeys{QString(), QStringLiteral(" (piętro)"),
                                                QStringLiteral(" (poddasze)")};
    const QString description = QString::fromUtf16(it.description) + storeys[size_t(round % 3)];
    return line({
        field(kLpX, kLpW, cp(QString::number(lp) + u'.'), "Pozycja", 0, 1),
        field(kBaseX, kBaseW, cp(it.base), "Pozycja"),
        field(kDescX, kDescW, cp(description), "Opis"),
        field(kUnitX, kUnitW, cp(it.unit), "Pozycja", 0, 2),
        field(kQtyX, kQtyW, quantity(qty), "Pozycja", 0, 1),
        field(kPriceX, kPriceW, money(price), "Pozycja", 0, 1),
        field(kValueX, kValueW, money(value), "Kwota", 0, 1),
    });
}

WSection dzialSection(int d, int items, int& lp, qint64& total) {
    const Dzial& dz = kDzialy[size_t(d % int(kDzialy.size()))];
    WSection s;
    s.title = cp(dz.title);
    s.header = group(
        {line({field(kFullX, kFullW, cp(QStringLiteral("Dział %1. %2").arg(d + 1).arg(QStringView(dz.title))),
                     "Dzial")}),
         line({rule(1, "Dzial")})});
    qint64 sum = 0;
    for (int i = 0; i < items; ++i) {
        const qint64 qty = quantityFor(d, i), price = priceFor(d, i);
        const qint64 value = (qty * price + 50) / 100;
        sum += value;
        WSection item;
        const int n = int(dz.items.size());
        item.header = group({itemLine(++lp, dz.items[size_t(i % n)], i / n, qty, price, value)});
        s.sections.push_back(std::move(item));
    }
    total += sum;
    s.footer = group({line({rule(0, "Suma", kValueX, kValueW)}),
                      line({leader(kDescX, kValueX - kDescX - 100,
                                   cp(QStringLiteral("Razem dział %1").arg(d + 1)), "Suma"),
                            field(kValueX, kValueW, money(sum), "Suma", 0, 1)})});
    return s;
}

WSection titleSection() {
    WSection s;
    WField banner;
    banner.kind = 6;
    banner.picture = sampleEmf(21000, 1600, 0x00602000);
    banner.style = "Tytul";
    WField name = field(kFullX, kFullW, cp(u"Kosztorys ofertowy"), "Tytul", 0, 2);
    s.header = group({
        line({banner}),
        line({name}),
        line({field(kFullX, kFullW, cp(u"Budowa budynku mieszkalnego jednorodzinnego z garażem"), "Naglowek",
                    0, 2)}),
        line({field(kFullX, 2200, cp(u"Inwestor:"), "Dane"),
              field(2500, 6700, cp(u"Gmina Źródła Wielkie, ul. Łąkowa 12, 62-045 Pniewy"), "Dane")}),
        line({field(kFullX, 2200, cp(u"Wykonawca:"), "Dane"),
              field(2500, 6700, cp(u"Przedsiębiorstwo Budowlane „Żuraw” Sp. z o.o."), "Dane")}),
        line({field(kFullX, 2200, cp(u"Data opracowania:"), "Dane"),
              field(2500, 6700, cp(u"08-12-2026"), "Dane")}),
        line({rule(3, "Naglowek")}),
    });
    return s;
}

WGroup tableHeader() {
    WLine page = line({field(kFullX, 4000, cp(u"Kosztorys ofertowy – budynek mieszkalny"), "Stopka"),
                       field(kValueX - 1000, kValueW + 1000, cp(u"Strona %n"), "Stopka", 2)});
    page.dropAtPageTop = false;
    return group({
        page,
        line({rule(2)}),
        line({field(kLpX, kLpW, cp(u"Lp."), "Tabela"), field(kBaseX, kBaseW, cp(u"Podstawa"), "Tabela"),
              field(kDescX, kDescW, cp(u"Opis"), "Tabela"),
              field(kUnitX, kUnitW, cp(u"j.m."), "Tabela", 0, 2),
              field(kQtyX, kQtyW, cp(u"Ilość"), "Tabela", 0, 1),
              field(kPriceX, kPriceW, cp(u"Cena jedn."), "Tabela", 0, 1),
              field(kValueX, kValueW, cp(u"Wartość"), "Tabela", 0, 1)}),
        line({rule(0)}),
    });
}

WGroup totals(qint64 net) {
    const qint64 vat = (net * 23 + 50) / 100;
    const auto sumLine = [](const QString& label, qint64 v, const char* st, const char* valueStyle = "Suma") {
        return line({leader(kDescX, kValueX - kDescX - 100, cp(label), st),
                     field(kValueX, kValueW, money(v), valueStyle, 0, 1)});
    };
    WField note;
    note.kind = 7;
    note.left = kFullX;
    note.width = kFullW;
    note.text = rtfParagraphs({
        QStringLiteral("Warunki oferty: ceny jednostkowe zawierają koszty pośrednie 65% i zysk 12% "
                       "liczone od robocizny i sprzętu. Oferta jest ważna 30 dni od daty opracowania."),
        QStringLiteral("Termin wykonania: do 30 czerwca 2027 r. Gwarancja na wykonane roboty: 60 miesięcy."),
    });
    return group({
        line({rule(3, "Suma")}),
        sumLine(QStringLiteral("Razem netto"), net, "Suma"),
        sumLine(QStringLiteral("VAT 23%"), vat, "Suma"),
        line({rule(0, "Suma", kValueX, kValueW)}),
        sumLine(QStringLiteral("Razem brutto"), net + vat, "Suma"),
        line({rule(1, "Suma")}),
        line({note}),
    });
}

WGroup signatures() {
    return group({
        line({field(kFullX, 4400, cp(u"Sporządził: mgr inż. Łukasz Bąk"), "Dane"),
              field(5000, 4200, cp(u"Zatwierdził: ....................................."), "Dane")}),
    });
}

} // namespace

QByteArray rtfParagraphs(const QStringList& paragraphs) {
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
                     "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green48\\blue128;}\\f0\\fs18 ";
    for (const QString& p : paragraphs) {
        out += "\\pard\\qj ";
        out += rtfEscape(p);
        out += "\\par\n";
    }
    return out + "}";
}

WPrintout kosztorys(int sections, int itemsPerSection, quint8 version) {
    WPrintout p;
    p.version = version;
    p.styles = styles();
    p.lineSpacing = 0.4f;
    WSection& root = p.root;
    root.title = cp(u"Kosztorys ofertowy");
    root.header = titleSection().header;
    root.repeatHeader = tableHeader();
    int lp = 0;
    qint64 net = 0;
    for (int d = 0; d < sections; ++d)
        root.sections.push_back(dzialSection(d, itemsPerSection, lp, net));
    // The totals close the last section, so the page that holds them still has the table header
    // and its page number; the signatures end the printout.
    WSection summary;
    summary.title = cp(u"Podsumowanie");
    summary.footer = totals(net);
    root.sections.push_back(std::move(summary));
    root.footer = signatures();
    WLine footnote =
        line({field(kFullX, kFullW, cp(u"Kosztorys sporządzono metodą kalkulacji uproszczonej."), "Stopka")});
    root.spare = group({footnote});
    return p;
}

} // namespace vek::test
