#include "Examples.h"

#include "Kosztorys.h"
#include "platform/DrawText.h"
#include "platform/Metafile.h"
#include "platform/MetafileCanvas.h"

#include <QStringList>
#include <array>

using namespace Qt::StringLiterals;

namespace vek::test {
namespace {

constexpr qint32 kFullX = 300, kFullW = 8900;
constexpr ColorRef kNavy = rgb(0, 48, 128);
constexpr ColorRef kGold = rgb(200, 150, 40);

WStyle style(QByteArray name, QByteArray font, qint32 cpl, quint8 fontStyle = 0, qint32 color = 0) {
    return nominalStyle(std::move(name), std::move(font), cpl, fontStyle, color);
}

WField field(qint32 x, qint32 w, const QString& text, const char* st, quint8 kind = 0, quint8 align = 0) {
    return textField(x, w, cp(text), QByteArray(st), kind, align);
}

WField rule(quint8 lineStyle, const char* st, qint32 x = kFullX, qint32 w = kFullW) {
    return ruleField(lineStyle, QByteArray(st), x, w);
}

// ---- invoice ----

constexpr qint32 kLpX = 300, kLpW = 350;
constexpr qint32 kNameX = 700, kNameW = 3900;
constexpr qint32 kQtyX = 4650, kQtyW = 700;
constexpr qint32 kUnitX = 5400, kUnitW = 450;
constexpr qint32 kPriceX = 5900, kPriceW = 1000;
constexpr qint32 kVatX = 6950, kVatW = 500;
constexpr qint32 kValueX = 7500, kValueW = 1700;

struct Product {
    const char16_t* name;
    const char16_t* unit;
    qint64 price; // grosze
};

const std::array<Product, 12> kProducts{{
    {u"Cement portlandzki CEM I 42,5R, worek 25 kg", u"szt.", 2890},
    {u"Bloczek z betonu komórkowego 24x24x59 cm, klasa 600", u"szt.", 1175},
    {u"Stal zbrojeniowa żebrowana fi 12 mm, B500SP", u"kg", 489},
    {u"Płyta gipsowo-kartonowa 12,5 mm, 1200x2600 mm", u"szt.", 3290},
    {u"Wełna mineralna 15 cm, współczynnik 0,035, paczka 3,6 m2", u"op.", 15900},
    {u"Klej do płytek elastyczny C2TE, worek 25 kg", u"szt.", 6450},
    {u"Farba lateksowa biała, wiadro 10 l", u"szt.", 18900},
    {u"Rura kanalizacyjna PVC-U 110 mm, długość 2 m", u"szt.", 4120},
    {u"Przewód YDYp 3x2,5 mm2, krążek 100 m", u"krąż.", 42900},
    {u"Dachówka ceramiczna karpiówka, czerwona naturalna", u"szt.", 485},
    {u"Folia paroizolacyjna 0,2 mm, rolka 50 m2", u"rol.", 8990},
    {u"Łata dachowa sosnowa impregnowana 4x5 cm, 4 m", u"szt.", 1650},
}};

WLine itemLine(int lp, const Product& p, int qty, qint64 value) {
    return line({
        field(kLpX, kLpW, QString::number(lp) + u'.', "Pozycja", 0, 1),
        field(kNameX, kNameW, QString::fromUtf16(p.name), "Nazwa"),
        field(kQtyX, kQtyW, QString::number(qty), "Pozycja", 0, 1),
        field(kUnitX, kUnitW, QString::fromUtf16(p.unit), "Pozycja", 0, 2),
        textField(kPriceX, kPriceW, money(p.price), "Pozycja", 0, 1),
        field(kVatX, kVatW, u"23%"_s, "Pozycja", 0, 1),
        textField(kValueX, kValueW, money(value), "Kwota", 0, 1),
    });
}

WGroup fakturaHeader() {
    WField letterhead;
    letterhead.kind = 6;
    letterhead.picture = letterheadEmf();
    letterhead.style = "Dane";
    return group({
        line({letterhead, field(1700, 7000, u"Przedsiębiorstwo Budowlane „Żuraw” Sp. z o.o."_s, "LOGO")}),
        line({field(1700, 7500, u"ul. Dębowa 7, 61-255 Poznań · NIP 779-00-12-345 · tel. 61 852 40 10"_s,
                    "Stopka")}),
        line({field(kFullX, kFullW, u"Faktura VAT nr FV/2026/12/0147"_s, "Tytul", 0, 2)}),
        line({field(kFullX, kFullW, u"ORYGINAŁ"_s, "Dane", 0, 2)}),
        line({field(kFullX, 2000, u"Data wystawienia:"_s, "Dane"), field(2400, 2000, u"08-12-2026"_s, "Dane"),
              field(5000, 2200, u"Termin płatności:"_s, "Dane"),
              field(7300, 1900, u"22-12-2026"_s, "Dane", 0, 1)}),
        line({field(kFullX, 2000, u"Data sprzedaży:"_s, "Dane"), field(2400, 2000, u"05-12-2026"_s, "Dane"),
              field(5000, 2200, u"Sposób zapłaty:"_s, "Dane"),
              field(7300, 1900, u"przelew"_s, "Dane", 0, 1)}),
        line({rule(0, "Dane")}),
        line({field(kFullX, 4300, u"Sprzedawca:"_s, "Naglowek"),
              field(4900, 4300, u"Nabywca:"_s, "Naglowek")}),
        line(
            {field(
                 kFullX, 4300,
                 u"Przedsiębiorstwo Budowlane „Żuraw” Sp. z o.o.\r\nul. Dębowa 7\r\n61-255 Poznań\r\nNIP 779-00-12-345"_s,
                 "Dane"),
             field(
                 4900, 4300,
                 u"Spółdzielnia Mieszkaniowa „Świt”\r\nul. Źródlana 24/3\r\n60-681 Poznań\r\nNIP 972-11-08-563"_s,
                 "Dane")}),
        line({field(kFullX, kFullW, u"Rachunek: 12 1020 4027 0000 1902 1234 5678 (PKO BP)"_s, "Dane")}),
    });
}

WGroup fakturaColumns() {
    WLine page = line({field(kFullX, 5000, u"Faktura VAT nr FV/2026/12/0147"_s, "Stopka"),
                       field(kValueX - 1500, kValueW + 1500, u"Strona %n"_s, "Stopka", 2)});
    return group({
        page,
        line({rule(3, "Tabela")}),
        line({field(kLpX, kLpW, u"Lp."_s, "Tabela", 0, 1),
              field(kNameX, kNameW, u"Nazwa towaru lub usługi"_s, "Tabela"),
              field(kQtyX, kQtyW, u"Ilość"_s, "Tabela", 0, 1),
              field(kUnitX, kUnitW, u"j.m."_s, "Tabela", 0, 2),
              field(kPriceX, kPriceW, u"Cena netto"_s, "Tabela", 0, 1),
              field(kVatX, kVatW, u"VAT"_s, "Tabela", 0, 1),
              field(kValueX, kValueW, u"Wartość netto"_s, "Tabela", 0, 1)}),
        line({rule(0, "Tabela")}),
    });
}

WGroup fakturaTotals(qint64 net) {
    const qint64 vat = (net * 23 + 50) / 100;
    const auto sum = [](const QString& label, qint64 v, const char* st) {
        return line({field(4000, kValueX - 4000 - 100, label, st, 5),
                     textField(kValueX, kValueW, money(v), st, 0, 1)});
    };
    return group({
        line({rule(2, "Suma", 4000, kValueX + kValueW - 4000)}),
        sum(u"Razem wartość netto"_s, net, "Suma"),
        sum(u"Podatek VAT 23%"_s, vat, "Suma"),
        sum(u"Razem do zapłaty"_s, net + vat, "Kwota"),
        line({rule(1, "Suma")}),
        line({field(
            kFullX, kFullW,
            u"Słownie: cztery tysiące sto dwadzieścia trzy złote 45/100 (kwota przykładowa w tym wzorze)"_s,
            "Dane")}),
        line({field(kFullX, 4000,
                    u"\r\n\r\n........................................\r\nWystawił: Łukasz Bąk"_s, "Stopka",
                    0, 2),
              field(5200, 4000, u"\r\n\r\n........................................\r\nOdebrał"_s, "Stopka", 0,
                    2)}),
    });
}

// ---- technical description ----

QByteArray rtfText(const QString& text) {
    return rtfEscape(text);
}

// A chapter of rich text: a bold coloured heading per subsection and justified paragraphs, with
// a few words in bold and italics.
QByteArray chapterRtf(int chapter, const QString& title, int subsections, const QStringList& paragraphs) {
    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\froman\\fcharset238 Times New Roman;}"
        "{\\f1\\fswiss\\fcharset238 Arial;}}{\\colortbl;\\red0\\green48\\blue128;\\red128\\green0\\blue0;}"
        "\\f0\\fs20 ";
    // The chapter's title travels with its text: a heading line of its own would be left alone at
    // the foot of a page when the text moves on to the next one.
    out += "\\pard\\sb60\\sa120\\f1\\fs24\\cf1\\b " + rtfText(u"%1. %2"_s.arg(chapter).arg(title)) +
           "\\b0\\cf0\\f0\\fs20\\par\n";
    for (int s = 1; s <= subsections; ++s) {
        out += "\\pard\\sb120\\sa60\\f1\\fs20\\cf1\\b " + rtfText(u"%1.%2. "_s.arg(chapter).arg(s)) +
               rtfText(paragraphs[(s - 1) % paragraphs.size()].section(u'.', 0, 0)) + "\\b0\\cf0\\f0\\par\n";
        for (int p = 0; p < 3; ++p) {
            const QString& text = paragraphs[(s + p) % paragraphs.size()];
            out += "\\pard\\qj\\fi284\\sa60\\fs20 ";
            if (p == 1)
                out += "{\\b " + rtfText(u"Uwaga: "_s) + "}";
            out += rtfText(text);
            if (p == 2)
                out += " {\\i\\cf2 " + rtfText(u"(wymaganie obowiązkowe)"_s) + "}";
            out += "\\par\n";
        }
    }
    return out + "}";
}

const QStringList kParagraphs{
    u"Konstrukcja nośna budynku. Ściany nośne zewnętrzne zaprojektowano z bloczków z betonu komórkowego "
    u"odmiany 600 grubości 24 cm, murowanych na zaprawie klejowej do cienkich spoin. Ściany należy wznosić "
    u"z zachowaniem przewiązania bloczków, a pierwszą warstwę układać na zaprawie cementowej wyrównującej."_s,
    u"Fundamenty. Ławy fundamentowe żelbetowe z betonu C20/25 zbrojone stalą B500SP, posadowione na "
    u"głębokości 1,0 m poniżej poziomu terenu, na warstwie chudego betonu grubości 10 cm. Przed "
    u"betonowaniem należy sprawdzić nośność gruntu i uzyskać odbiór wykopu przez geotechnika."_s,
    u"Izolacje. Izolację przeciwwilgociową poziomą wykonać z dwóch warstw papy termozgrzewalnej na ławach "
    u"fundamentowych, a izolację pionową ścian fundamentowych z masy bitumicznej nakładanej dwukrotnie. "
    u"Ściany fundamentowe docieplić płytami z polistyrenu ekstrudowanego grubości 10 cm."_s,
    u"Stropy. Strop gęstożebrowy prefabrykowany z belek i pustaków ceramicznych, wysokości konstrukcyjnej "
    u"24 cm, z nadbetonem z betonu C20/25 grubości 4 cm. Wieńce żelbetowe wykonywać jednocześnie z "
    u"nadbetonem, zapewniając ciągłość zbrojenia w narożach budynku."_s,
    u"Dach. Więźba dachowa drewniana krokwiowo-jętkowa z drewna sosnowego klasy C24, impregnowanego "
    u"ciśnieniowo. Pokrycie z dachówki ceramicznej karpiówki układanej w koronkę na łatach i kontrłatach, "
    u"na membranie wysokoparoprzepuszczalnej."_s,
    u"Instalacje. Instalację wodociągową wykonać z rur wielowarstwowych PE-RT/AL/PE-RT, a kanalizacyjną z "
    u"rur "
    u"PVC-U łączonych na uszczelki. Wszystkie przejścia przewodów przez przegrody ogniowe należy "
    u"zabezpieczyć masami ogniochronnymi o odporności co najmniej EI 60."_s,
};

WSection chapter(int number, const QString& title, int subsections) {
    WSection s;
    s.title = cp(title);
    WField rich;
    rich.kind = 7;
    rich.left = kFullX;
    rich.width = kFullW;
    rich.text = chapterRtf(number, title, subsections, kParagraphs);
    s.header = group({line({rich}), line({rule(0, "Dzial")})});
    return s;
}

} // namespace

QByteArray letterheadEmf() {
    TMetafile picture;
    picture.setSize(QSize(794, 113)); // 210 x 30 mm at 96 pixels per inch
    {
        MetafileCanvas canvas(picture);
        canvas.fillRect(QRect(30, 12, 84, 84), kNavy);
        canvas.fillRect(QRect(30, 96, 84, 6), kGold);
        LogFont lf;
        lf.height = -46;
        lf.weight = 700;
        lf.faceName = u"Arial"_s;
        lf.charSet = EASTEUROPE_CHARSET;
        canvas.selectFont(GdiFont::get(lf));
        canvas.setTextColor(rgb(255, 255, 255));
        canvas.setBkMode(TRANSPARENT);
        QRect badge(30, 12, 84, 84);
        DrawText(canvas, u"ŻB"_s, badge, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        canvas.selectPen(LogPen{PS_SOLID, 2, kGold});
        canvas.moveTo(30, 108);
        canvas.lineTo(764, 108);
    }
    return picture.bytes();
}

WPrintout faktura(int items) {
    WPrintout p;
    p.styles = {
        style("LOGO", "Arial", 70, 1, 0x00803000),
        style("Tytul", "Arial", 60, 1),
        style("Naglowek", "Arial", 110, 1),
        style("Dane", "Arial", 125),
        style("Tabela", "Arial", 140, 1),
        style("Pozycja", "Arial", 140),
        style("Nazwa", "Times New Roman", 130),
        style("Kwota", "Courier New", 135, 1),
        style("Suma", "Arial", 120, 1),
        style("Stopka", "Arial", 165, 2, 0x00505050),
    };
    p.lineSpacing = 0.6f;
    p.root.title = cp(u"Faktura VAT");
    p.root.header = fakturaHeader();
    p.root.repeatHeader = fakturaColumns();
    qint64 net = 0;
    for (int i = 0; i < items; ++i) {
        const Product& product = kProducts[size_t(i) % kProducts.size()];
        const int qty = 2 + (i * 37) % 120;
        const qint64 value = product.price * qty;
        net += value;
        WSection item;
        item.header = group({itemLine(i + 1, product, qty, value)});
        p.root.sections.push_back(std::move(item));
    }
    p.root.footer = fakturaTotals(net);
    return p;
}

WPrintout opisTechniczny() {
    WPrintout p;
    p.styles = {
        style("Tytul", "Times New Roman", 55, 1, 0x00602000),
        style("Naglowek", "Arial", 100, 1),
        style("Dane", "Arial", 125),
        style("Dzial", "Arial", 100, 1, 0x00803000),
        style("Stopka", "Arial", 165, 2, 0x00505050),
    };
    p.lineSpacing = 1.0f;
    p.root.title = cp(u"Opis techniczny");
    p.root.header = group({
        line({field(kFullX, kFullW, u"Opis techniczny"_s, "Tytul", 0, 2)}),
        line({field(kFullX, kFullW, u"do projektu budowlanego budynku mieszkalnego jednorodzinnego"_s,
                    "Naglowek", 0, 2)}),
        line({field(kFullX, 2400, u"Inwestor:"_s, "Dane"),
              field(2800, 6400, u"Anna i Piotr Wiśniewscy"_s, "Dane")}),
        line({field(kFullX, 2400, u"Lokalizacja:"_s, "Dane"),
              field(2800, 6400, u"działka nr 124/7, obręb Żółwin, gmina Brwinów"_s, "Dane")}),
        line({field(kFullX, 2400, u"Projektant:"_s, "Dane"),
              field(2800, 6400, u"mgr inż. arch. Małgorzata Ślęzak, upr. nr MAZ/0147/PWOA/12"_s, "Dane")}),
        line({rule(3, "Naglowek")}),
    });
    WLine running =
        line({field(kFullX, 6000, u"Opis techniczny – budynek mieszkalny jednorodzinny, Żółwin"_s, "Stopka"),
              field(7000, 2200, u"Strona %n"_s, "Stopka", 2)});
    running.dropAtPageTop = false;
    p.root.repeatHeader = group({running, line({rule(0, "Stopka")})});
    p.root.sections.push_back(chapter(1, u"Dane ogólne i zakres opracowania"_s, 2));
    p.root.sections.push_back(chapter(2, u"Rozwiązania konstrukcyjno-budowlane"_s, 14));
    p.root.sections.push_back(chapter(3, u"Instalacje i wyposażenie techniczne"_s, 4));
    p.root.footer = group({
        line({rule(1, "Dane")}),
        line({field(kFullX, 4400, u"Opracował: mgr inż. arch. Małgorzata Ślęzak"_s, "Dane"),
              field(5000, 4200, u"Sprawdził: mgr inż. Tomasz Żak"_s, "Dane", 0, 1)}),
    });
    return p;
}

} // namespace vek::test
