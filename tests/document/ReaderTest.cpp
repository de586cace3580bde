// The printout reader: header check, version gates, conversions, error texts and hostile input.
#include "document/LineDruk.h"
#include "platform/InflateStream.h"
#include "support/Kosztorys.h"
#include "support/WydWriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <climits>
#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

void loadFile(const QByteArray& file, TMLineWydruk& doc) {
    QBuffer buf;
    buf.setData(file);
    buf.open(QIODevice::ReadOnly);
    if (!CheckFileSignature(buf, "Wydruk"))
        throw EStreamError(QStringLiteral("Plik nie zawiera prawidłowego wydruku Vekta"));
    InflateStream body(buf);
    doc.LoadFromStream(body);
}

void loadBody(const QByteArray& body, TMLineWydruk& doc) {
    loadFile(fileFromBody(body), doc);
}

// The message of the E thrown by f, or "<none>".
template <class E, class F> std::string errorOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.message().toStdString();
    }
    return "<none>";
}

std::string bodyError(const QByteArray& body) {
    TMLineWydruk doc;
    return errorOf<EReadFileError>([&] { loadBody(body, doc); });
}

// The empty printout, byte by byte: version 7, 1200 units per inch, no styles, empty root.
Bytes emptyBody(quint8 version = 7) {
    Bytes b;
    b.u8(version).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0);
    b.u8(3).emptyGroup().emptyGroup().u8(12).i32(0).emptyGroup().emptyGroup().u8(15).str("").u8(0);
    return b;
}

// Body header of version 7 with no styles, then the start of a root section whose Header group
// holds one line; the caller appends the line's fields.
Bytes oneLineBody(quint8 fieldCount, qint32 resolution = 1200) {
    Bytes b;
    b.u8(7).i32(resolution).f32(0).i32(0).u8(0).i32(84).i32(0);
    b.u8(3).u8(4).u8(1).u8(0).i32(1).u8(5).u8(0).u8(fieldCount);
    return b;
}

Bytes& finishOneLine(Bytes& b) {
    return b.emptyGroup().u8(12).i32(0).emptyGroup().emptyGroup().u8(15).str("").u8(0);
}

Bytes& fieldRecord(Bytes& b, qint32 left, qint32 width, quint8 kind = 0) {
    return b.u8(6).i32(left).i32(width).u8(kind).u8(0).u8(0).u8(0).u8(0).u8(0).str("Domyslny").str("x");
}

WPrintout sample(quint8 version) {
    WPrintout p = kosztorys(1, 2, version);
    p.linesPerPage = 60;
    p.styles[0].charset = 204;
    WField f = textField(1200, 2400, "abc");
    f.alignBottom = 1;
    f.ellipsis = 1;
    p.root.footer.lines.push_back(line({f}));
    return p;
}

const TPole& lastFooterField(TMLineWydruk& doc) {
    return *doc.Root->Footer.Lines.back()->Fields.front();
}

const TPole* findPicture(const TMLine& s) {
    for (const auto& l : s.Header.Lines)
        for (const auto& f : l->Fields)
            if (f->Kind == KindPicture)
                return f.get();
    return nullptr;
}

} // namespace

TEST(Reader, EmptyPrintoutLoads) {
    TMLineWydruk doc;
    loadBody(emptyBody().data(), doc);
    EXPECT_EQ(doc.Version, 7);
    EXPECT_EQ(doc.Styles->Count(), 1);
    EXPECT_EQ(doc.LinesPerPage, 84);
    EXPECT_FLOAT_EQ(doc.Scale, 0.15f);
    EXPECT_EQ(doc.Root->Sections.size(), 0u);
    EXPECT_EQ(doc.LineCount(), 0);
}

TEST(Reader, UnknownVersionIsReportedBeforeAnythingElse) {
    EXPECT_EQ(bodyError(Bytes().u8(8).data()), "Błąd odczytu - nieznana wersja pliku [8]");
    EXPECT_EQ(bodyError(emptyBody(255).data()), "Błąd odczytu - nieznana wersja pliku [255]");
}

TEST(Reader, VersionGates) {
    for (quint8 v = 0; v <= 7; ++v) {
        SCOPED_TRACE(int(v));
        TMLineWydruk doc;
        loadFile(wydBytes(sample(v)), doc);
        EXPECT_EQ(doc.Version, v);
        EXPECT_EQ(doc.LinesPerPage, v >= 2 ? 60 : 84);
        EXPECT_EQ(doc.Root->Title, v >= 2 ? cp(u"Kosztorys ofertowy") : QByteArray());
        EXPECT_EQ(doc.Styles->FindStyle("Tytul").Charset, v >= 3 ? 204 : 186);
        EXPECT_EQ(findPicture(*doc.Root) && findPicture(*doc.Root)->Picture != nullptr, v >= 4);
        EXPECT_EQ(lastFooterField(doc).AlignBottom, v >= 6);
        EXPECT_EQ(lastFooterField(doc).Ellipsis, v >= 6);
        EXPECT_EQ(lastFooterField(doc).Left, 180);
        EXPECT_EQ(doc.LineCount(), 7 + (2 + 1 + 1 + 2) + 7 + 2);
    }
}

TEST(Reader, StylesAndFieldsKeepTheirValues) {
    TMLineWydruk doc;
    loadFile(wydBytes(kosztorys(2, 3)), doc);
    EXPECT_EQ(doc.Styles->Count(), 11);
    const TStyl& kwota = doc.Styles->FindStyle("liczby");
    EXPECT_EQ(kwota.Name, "Kwota");
    EXPECT_EQ(kwota.FontName, "Courier New");
    EXPECT_EQ(kwota.FontStyle, 1);
    EXPECT_EQ(kwota.CharsPerLine, 140);
    EXPECT_EQ(kwota.Charset, 238);
    EXPECT_TRUE(kwota.Changed);
    EXPECT_FLOAT_EQ(doc.LineSpacing, 0.4f);
    const TMLine& dzial = *doc.Root->Sections[0];
    EXPECT_EQ(dzial.Title, cp(u"Roboty rozbiórkowe"));
    const TPole& desc = *dzial.Sections[0]->Header.Lines[0]->Fields[2];
    EXPECT_EQ(desc.Text(), cp(u"Rozebranie posadzki z płytek na zaprawie cementowej"));
    EXPECT_EQ(desc.StyleName, "Opis");
    EXPECT_EQ(desc.Left, 300);
    EXPECT_EQ(desc.Width, 495);
    EXPECT_EQ(&desc.Owner->Root->Sections[0]->Sections[0]->Header,
              desc.Owner->Root->Sections[0]->Sections[0]->Header.Lines[0]->Parent);
}

TEST(Reader, FieldPositionsAreScaled) {
    const auto loadOne = [](qint32 resolution, qint32 left, qint32 width) {
        Bytes b = oneLineBody(1, resolution);
        fieldRecord(b, left, width);
        TMLineWydruk doc;
        loadBody(finishOneLine(b).data(), doc);
        const TPole& f = *doc.Root->Header.Lines[0]->Fields[0];
        return std::pair(f.Left, f.Width);
    };
    EXPECT_EQ(loadOne(600, 600, 600), std::pair(180, 180));
    EXPECT_EQ(loadOne(1200, 600, 601), std::pair(90, 90));
    // Scale 0.5: halves round to even, widths drop the fraction.
    EXPECT_EQ(loadOne(360, 1, 3), std::pair(0, 1));
    EXPECT_EQ(loadOne(360, 3, 5), std::pair(2, 2));
    EXPECT_EQ(loadOne(360, 5, -3), std::pair(2, -1));
    EXPECT_EQ(loadOne(360, -3, 7), std::pair(-2, 3));
    // Huge products saturate instead of overflowing.
    EXPECT_EQ(loadOne(1, INT_MAX, INT_MIN), std::pair(INT_MAX, INT_MIN));
}

TEST(Reader, ZeroOrNegativeResolutionIsAReadError) {
    Bytes b = oneLineBody(0, 0);
    EXPECT_EQ(bodyError(finishOneLine(b).data()), "Błąd czytania z pliku - nieprawidłowa rozdzielczość [0]");
}

TEST(Reader, WrongTagNamesTheExpectedTag) {
    Bytes field = oneLineBody(1);
    field.u8(7);
    EXPECT_EQ(bodyError(field.data()), "Błąd czytania z pliku [6]");
    Bytes style;
    style.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(1).u8(2);
    EXPECT_EQ(bodyError(style.data()), "Błąd czytania z pliku [1]");
    Bytes section;
    section.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0).u8(4);
    EXPECT_EQ(bodyError(section.data()), "Błąd czytania z pliku [3]");
    Bytes group;
    group.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0).u8(3).u8(5);
    EXPECT_EQ(bodyError(group.data()), "Błąd czytania z pliku [4]");
    Bytes line;
    line.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0).u8(3).u8(4).u8(0).u8(0).i32(1).u8(6);
    EXPECT_EQ(bodyError(line.data()), "Błąd czytania z pliku [5]");
    Bytes list;
    list.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0).u8(3).emptyGroup().emptyGroup().u8(13);
    EXPECT_EQ(bodyError(list.data()), "Błąd czytania z pliku [12]");
    QByteArray trailer = emptyBody().data();
    trailer[trailer.size() - 4] = 16;
    EXPECT_EQ(bodyError(trailer), "Błąd czytania z pliku [15]");
}

TEST(Reader, BodyStrings) {
    Bytes longText = oneLineBody(1);
    longText.u8(6).i32(0).i32(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).str("Domyslny");
    longText.u8(102).u16(300).raw(QByteArray(300, 'z'));
    TMLineWydruk doc;
    loadBody(finishOneLine(longText).data(), doc);
    EXPECT_EQ(doc.Root->Header.Lines[0]->Fields[0]->Text(), QByteArray(300, 'z'));

    Bytes badTag = oneLineBody(1);
    badTag.u8(6).i32(0).i32(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(100).u8(1).u8('a');
    EXPECT_EQ(bodyError(finishOneLine(badTag).data()), "Błąd czytania z pliku [101]");
    // Any failure inside a string, a premature end included, is reported as a string error.
    Bytes cut = oneLineBody(1);
    cut.u8(6).i32(0).i32(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(101).u8(50).raw("abc");
    EXPECT_EQ(bodyError(cut.data()), "Błąd czytania z pliku [101]");
}

TEST(Reader, PrematureEndIsAReadError) {
    Bytes b = oneLineBody(2);
    fieldRecord(b, 0, 0);
    const std::string msg = bodyError(b.data());
    EXPECT_EQ(msg.rfind("Błąd czytania z pliku - nieoczekiwany koniec danych [", 0), 0u) << msg;
    EXPECT_EQ(msg.find("wersja"), std::string::npos);
}

TEST(Reader, PicturesNeedAValidHeader) {
    const auto withPicture = [](const QByteArray& emf) {
        Bytes b = oneLineBody(1);
        fieldRecord(b, 0, 0, KindPicture).raw(emf);
        return finishOneLine(b).data();
    };
    TMLineWydruk doc;
    loadBody(withPicture(sampleEmf(4000, 1000)), doc);
    const TMetafile* pic = doc.Root->Header.Lines[0]->Fields[0]->Picture.get();
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->frame().right(), 4000);

    QByteArray badSignature = sampleEmf();
    badSignature[40] = 'X';
    EXPECT_THROW(loadBody(withPicture(badSignature), doc), EInvalidGraphic);
    QByteArray tooShort = sampleEmf();
    tooShort[48] = 99;
    tooShort[49] = tooShort[50] = tooShort[51] = 0;
    EXPECT_THROW(loadBody(withPicture(tooShort), doc), EInvalidGraphic);
}

TEST(Reader, HostileCountsFailFast) {
    // Two billion styles, lines, sections or a 4 GB picture behind a few bytes.
    Bytes styles;
    styles.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(INT_MAX);
    EXPECT_NE(bodyError(styles.data()), "<none>");
    Bytes lines;
    lines.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0).u8(3).u8(4).u8(0).u8(0).i32(2000000000);
    EXPECT_NE(bodyError(lines.data()), "<none>");
    Bytes sections;
    sections.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0).u8(3).emptyGroup().emptyGroup().u8(12).i32(
        2000000000);
    EXPECT_NE(bodyError(sections.data()), "<none>");
    QByteArray huge = sampleEmf();
    huge[48] = huge[49] = huge[50] = huge[51] = char(0xFF);
    Bytes pic = oneLineBody(1);
    fieldRecord(pic, 0, 0, KindPicture).raw(huge.left(100));
    EXPECT_EQ(bodyError(pic.data()), "Błąd czytania z pliku - wydruk jest zbyt duży [6]");
    // Negative counts mean empty lists.
    Bytes negative;
    negative.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(-5);
    negative.u8(3).u8(4).u8(0).u8(0).i32(-1).emptyGroup().u8(12).i32(INT_MIN).emptyGroup().emptyGroup();
    negative.u8(15).str("").u8(0);
    TMLineWydruk doc;
    loadBody(negative.data(), doc);
    EXPECT_EQ(doc.LineCount(), 0);
}

TEST(Reader, DeepNestingIsRefused) {
    Bytes b;
    b.u8(7).i32(1200).f32(0).i32(0).u8(0).i32(84).i32(0);
    for (int i = 0; i < 200000; ++i)
        b.u8(3).emptyGroup().emptyGroup().u8(12).i32(1);
    const std::string msg = bodyError(b.data());
    EXPECT_NE(msg.find("zagnieżdżenie"), std::string::npos) << msg;
}

// Cutting a file anywhere gives a clean error, or the whole printout when only the zlib trailer
// is missing.
TEST(Reader, TruncationAtEveryByte) {
    WPrintout p = kosztorys(1, 2);
    p.root.footer.lines.push_back(
        line({textField(0, 100, rtfParagraphs({QStringLiteral("Zażółć")}), "Opis", 7)}));
    const QByteArray file = wydBytes(p);
    TMLineWydruk full;
    loadFile(file, full);
    for (qsizetype n = 0; n < file.size(); ++n) {
        TMLineWydruk doc;
        try {
            loadFile(file.left(n), doc);
            EXPECT_EQ(doc.LineCount(), full.LineCount()) << n;
            EXPECT_GE(n, file.size() - 8);
        } catch (const Exception&) {
        }
    }
    const QByteArray body = bodyBytes(p);
    for (qsizetype n = 0; n < body.size(); ++n) {
        TMLineWydruk doc;
        EXPECT_THROW(loadBody(body.left(n), doc), EReadFileError) << n;
    }
}

TEST(Reader, CorruptCompressedDataIsAZlibError) {
    QByteArray file = wydBytes(kosztorys(1, 2));
    for (qsizetype i = 18; i < 40; ++i)
        file[i] = char(0xA5);
    TMLineWydruk doc;
    EXPECT_THROW(loadFile(file, doc), EZlibError);
}

TEST(Reader, ReloadReplacesEverything) {
    TMLineWydruk doc;
    loadFile(wydBytes(kosztorys(3, 4)), doc);
    const int big = doc.LineCount();
    loadFile(wydBytes(kosztorys(1, 1)), doc);
    EXPECT_LT(doc.LineCount(), big);
    EXPECT_EQ(doc.LineCount(), doc.Root->LineCount());
    EXPECT_EQ(doc.Styles->Count(), 11);
}

TEST(Header, Signatures) {
    const auto check = [](const QByteArray& bytes, QByteArrayView kind = "Wydruk") {
        QBuffer buf;
        buf.setData(bytes);
        buf.open(QIODevice::ReadOnly);
        return CheckFileSignature(buf, kind);
    };
    EXPECT_TRUE(check(fileHeader("VEKTA2001")));
    EXPECT_TRUE(check(fileHeader("VEKTA2000")));
    EXPECT_FALSE(check(fileHeader("VEKTA2001", "wydruk")));
    EXPECT_TRUE(check(fileHeader("VEKTA2001", "Pakiet"), "Pakiet"));
    const QByteArray good = fileHeader();
    for (int i = 0; i < 9; ++i) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x20);
        EXPECT_FALSE(check(bad)) << i;
    }
    EXPECT_THROW(check("VEKTA"), EStreamError);
    EXPECT_THROW(check("VEKTA2001\x06Wyd"), EStreamError);
}

TEST(Header, StringForms) {
    const auto read = [](const QByteArray& bytes) {
        QBuffer buf;
        buf.setData(bytes);
        buf.open(QIODevice::ReadOnly);
        return ReadHeaderString(buf);
    };
    EXPECT_EQ(read(Bytes().u8(3).raw("abc").data()), "abc");
    EXPECT_EQ(read(Bytes().u8(254).u16(300).raw(QByteArray(300, 'q')).data()), QByteArray(300, 'q'));
    EXPECT_EQ(read(Bytes().u8(255).i32(4).raw("abcd").data()), "abcd");
    EXPECT_EQ(read(Bytes().u8(255).i32(-7).raw("abcd").data()), "");
    EXPECT_THROW(read(Bytes().u8(255).i32(INT_MAX).raw("abcd").data()), EStreamError);
}

TEST(Header, LoadPrintoutFile) {
    const QString dir =
        QDir::tempPath() + QStringLiteral("/vek-reader-test-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(dir);
    const QString good = dir + QStringLiteral("/a.wyd"), bad = dir + QStringLiteral("/b.wyd");
    ASSERT_TRUE(writeWyd(good, kosztorys(1, 1)));
    ASSERT_TRUE(writeFile(bad, fileHeader("VEKTA2001", "Pakiet") + compress(emptyBody().data())));
    TMLineWydruk doc;
    loadPrintoutFile(good, doc);
    EXPECT_GT(doc.LineCount(), 0);
    EXPECT_EQ(errorOf<EStreamError>([&] { loadPrintoutFile(bad, doc); }),
              "Plik nie zawiera prawidłowego wydruku Vekta");
    EXPECT_THROW(loadPrintoutFile(dir + QStringLiteral("/missing.wyd"), doc), EFOpenError);
    QDir(dir).removeRecursively();
}
