#include "richtext/RtfReader.h"
#include "RtfSamples.h"
#include "richtext/RtfFormat.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <gtest/gtest.h>

using namespace vek;

namespace {

QString read(const QByteArray& rtf) {
    QTextDocument doc;
    readRtf(rtf, doc);
    return doc.toRawText().replace(QChar(QChar::ParagraphSeparator), u'\n');
}

// The character format of the first occurrence of needle.
QTextCharFormat formatOf(const QTextDocument& doc, const QString& needle) {
    const int at = doc.toRawText().indexOf(needle);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (at >= f.position() && at < f.position() + f.length())
                return f.charFormat();
        }
    }
    return {};
}

} // namespace

TEST(RtfReader, ReadsRichEditPolishTextWithFontsSizesColoursAndAlignment) {
    QTextDocument doc;
    readRtf(test::polishDocument(1), doc);
    const QString text = doc.toRawText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Umowa użyczenia")));
    EXPECT_TRUE(text.contains(test::kPolishParagraph));
    EXPECT_TRUE(text.contains(QStringLiteral("1.\tŁańcuch znaków")));
    ASSERT_EQ(doc.blockCount(), 3);

    const QTextBlock title = doc.begin();
    EXPECT_EQ(title.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextCharFormat titleFormat = formatOf(doc, QStringLiteral("Umowa"));
    EXPECT_EQ(titleFormat.fontFamilies().toStringList().value(0), QStringLiteral("Times New Roman"));
    EXPECT_EQ(titleFormat.fontPointSize(), 14.0);
    EXPECT_EQ(titleFormat.fontWeight(), QFont::Bold);
    EXPECT_EQ(titleFormat.property(rtf::CharsetProperty).toInt(), 238);

    const QTextBlock body = title.next();
    EXPECT_EQ(body.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(body.blockFormat().bottomMargin(), 6.0); // \sa120
    const QTextCharFormat red = formatOf(doc, QStringLiteral("Czerwone"));
    EXPECT_EQ(red.foreground().color(), QColor(255, 0, 0));
    EXPECT_FALSE(red.hasProperty(rtf::AutoColorProperty));
    EXPECT_TRUE(formatOf(doc, QStringLiteral("Zażółć")).hasProperty(rtf::AutoColorProperty));
    EXPECT_EQ(formatOf(doc, QStringLiteral("Zażółć")).fontWeight(), QFont::Normal);

    const QTextBlockFormat list = body.next().blockFormat();
    EXPECT_EQ(list.leftMargin(), 18.0);
    EXPECT_EQ(list.textIndent(), -18.0);
    EXPECT_EQ(formatOf(doc, QStringLiteral("Łańcuch")).fontPointSize(), 9.0);
}

// \'xx is decoded in the code page of the current font's character set, else in \ansicpg.
TEST(RtfReader, DecodesBytesInTheCodePageOfTheFontOrTheDocument) {
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 Arial;}{\\f1\\fcharset204 Arial;}"
        "{\\f2\\fcharset0 Arial;}{\\f3 Arial;}}"
        "\\f0\\'b9\\'9c \\f1\\'e0\\'c1 \\f2\\'e0\\'b9 \\f3\\'b3 \\f9\\'bf}";
    EXPECT_EQ(read(rtf), QStringLiteral("ąś аБ à¹ ł ż"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'c4\\'e0}"), QStringLiteral("Да"));
    // Japanese fonts: two bytes make one character.
    EXPECT_EQ(read("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS PGothic;}}\\f0\\'82\\'a0\\'93\\'fa8}"),
              QStringLiteral("あ日8"));
}

TEST(RtfReader, UnicodeEscapesSkipTheirFallbackCharacters) {
    EXPECT_EQ(read("{\\rtf1\\uc1\\u321?\\u-3913?x}"), QStringLiteral("Ł\uF0B7x"));
    EXPECT_EQ(read("{\\rtf1\\ansicpg1250\\uc2\\u322\\'b3\\'b3y}"), QStringLiteral("ły"));
    EXPECT_EQ(read("{\\rtf1\\uc0\\u261 x}"), QStringLiteral("ąx"));
    // Skipping ends at a group's end; \uc is scoped to its group.
    EXPECT_EQ(read("{\\rtf1{\\uc3\\u380 a}bc}"), QStringLiteral("żbc"));
    EXPECT_EQ(read("{\\rtf1{\\uc3 x}\\u380 ab}"), QStringLiteral("xżb"));
    // A surrogate pair written as two escapes.
    EXPECT_EQ(read("{\\rtf1\\uc1\\u-10179?\\u-9047?}"), QString::fromUtf8("\xF0\x9F\x92\xA9"));
}

TEST(RtfReader, CharacterFormattingFollowsGroupsPlainAndToggles) {
    QTextDocument doc;
    readRtf(
        "{\\rtf1{\\colortbl;\\red0\\green128\\blue0;}\\b B{\\i I\\ul U\\ulnone N}\\b0 P\\strike S\\strike0"
        "\\super 2\\nosupersub\\sub 3\\plain\\fs40 X\\cf1\\highlight1 C\\cb0 D}",
        doc);
    EXPECT_EQ(doc.toRawText(), QStringLiteral("BIUNPS23XCD"));
    EXPECT_EQ(formatOf(doc, QStringLiteral("B")).fontWeight(), QFont::Bold);
    const QTextCharFormat i = formatOf(doc, QStringLiteral("I"));
    EXPECT_TRUE(i.fontItalic());
    EXPECT_EQ(i.fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(doc, QStringLiteral("U")).fontUnderline());
    EXPECT_FALSE(formatOf(doc, QStringLiteral("N")).fontUnderline());
    const QTextCharFormat p = formatOf(doc, QStringLiteral("P"));
    EXPECT_EQ(p.fontWeight(), QFont::Normal);
    EXPECT_FALSE(p.fontItalic()); // the group's italic ended with it
    EXPECT_TRUE(formatOf(doc, QStringLiteral("S")).fontStrikeOut());
    EXPECT_EQ(formatOf(doc, QStringLiteral("2")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(doc, QStringLiteral("3")).verticalAlignment(), QTextCharFormat::AlignSubScript);
    const QTextCharFormat x = formatOf(doc, QStringLiteral("X"));
    EXPECT_EQ(x.verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(x.fontPointSize(), 20.0);
    const QTextCharFormat c = formatOf(doc, QStringLiteral("C"));
    EXPECT_EQ(c.foreground().color(), QColor(0, 128, 0));
    EXPECT_EQ(c.background().color(), QColor(0, 128, 0));
    EXPECT_EQ(formatOf(doc, QStringLiteral("D")).background().style(), Qt::NoBrush);
}

TEST(RtfReader, ParagraphFormattingAndBreaks) {
    QTextDocument doc;
    readRtf(
        "{\\rtf1\\pard\\qr\\li1440\\ri720\\fi-240\\sb100\\sa200\\sl-360\\tx720\\tqr\\tx2880 a\\tab b\\line c"
        "\\par\\pard\\sl360\\slmult1 d\\page e\\par}",
        doc);
    ASSERT_EQ(doc.blockCount(), 3); // the final \par ends the last paragraph, adds none
    EXPECT_EQ(doc.toRawText(), QStringLiteral("a\tb\u2028c") + QChar(QChar::ParagraphSeparator) +
                                   QStringLiteral("d") + QChar(QChar::ParagraphSeparator) +
                                   QStringLiteral("e"));
    const QTextBlockFormat f = doc.begin().blockFormat();
    EXPECT_EQ(f.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(f.leftMargin(), 72.0);
    EXPECT_EQ(f.rightMargin(), 36.0);
    EXPECT_EQ(f.textIndent(), -12.0);
    EXPECT_EQ(f.topMargin(), 5.0);
    EXPECT_EQ(f.bottomMargin(), 10.0);
    EXPECT_EQ(f.property(rtf::LineSpacingProperty).toInt(), -360);
    ASSERT_EQ(f.tabPositions().size(), 2);
    EXPECT_EQ(f.tabPositions()[1].position, 144.0);
    EXPECT_EQ(f.tabPositions()[1].type, QTextOption::RightTab);
    const QTextBlockFormat g = doc.begin().next().blockFormat();
    EXPECT_EQ(g.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft); // \pard
    EXPECT_TRUE(g.property(rtf::LineSpacingMultipleProperty).toBool());
    EXPECT_TRUE(g.tabPositions().isEmpty());
}

TEST(RtfReader, SkipsDestinationsButShowsFieldResults) {
    const QByteArray rtf =
        "{\\rtf1{\\*\\generator Riched20 10.0;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}"
        "{\\*\\unknown {nested} text}{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} "
        "{\\header head}{\\footnote note}{\\*\\bkmkstart b}"
        "{\\pict\\wmetafile8\\picw10\\pich10 \\bin3 {}}}x}";
    EXPECT_EQ(read(rtf), QStringLiteral("link \uFFFCx"));
    // \bin data may hold braces and backslashes; it is skipped outside pictures too.
    EXPECT_EQ(read("{\\rtf1 a{\\*\\x \\bin3 }\\{}b}"), QStringLiteral("ab"));
    // Hidden text is not shown; literal braces and backslashes are.
    EXPECT_EQ(read("{\\rtf1 a{\\v hidden}\\{\\}\\\\b}"), QStringLiteral("a{}\\b"));
}

TEST(RtfReader, KeepsPngAndJpegPicturesAndSizesThem) {
    QImage img(8, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    QTextDocument doc;
    readRtf("{\\rtf1{\\pict\\pngblip\\picscalex50\\picscaley200 " + png.toHex() +
                "}{\\pict\\pngblip\\picwgoal720\\pichgoal360\\bin" + QByteArray::number(png.size()) + " " +
                png + "}{\\pict\\emfblip\\picwgoal720\\pichgoal360 0102}}",
            doc);
    ASSERT_EQ(doc.characterCount(), 4);
    const auto image = [&](int pos) {
        QTextCursor c(&doc);
        c.setPosition(pos + 1);
        return c.charFormat().toImageFormat();
    };
    EXPECT_EQ(image(0).property(rtf::PictureKindProperty).toInt(), int(rtf::PictureKind::Png));
    EXPECT_EQ(image(0).width(), 3.0); // 8 pixels = 6 points, at 50 %
    EXPECT_EQ(image(0).height(), 6.0);
    const QImage kept = doc.resource(QTextDocument::ImageResource, QUrl(image(1).name())).value<QImage>();
    EXPECT_EQ(kept.size(), QSize(8, 4));
    EXPECT_EQ(image(1).width(), 36.0);
    // Bytes that are no metafile keep the picture's place only.
    EXPECT_EQ(image(2).property(rtf::PictureKindProperty).toInt(), int(rtf::PictureKind::None));
    EXPECT_EQ(image(2).height(), 18.0);
}

// Small files can declare huge pictures: the pictures of one document share a pixel budget, and
// those beyond it keep their place only.
TEST(RtfReader, DecodedPicturesShareAPixelBudget) {
    QImage big(3000, 3000, QImage::Format_Mono);
    big.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    big.save(&buffer, "PNG");
    const QByteArray pict = "{\\pict\\pngblip " + png.toHex() + "}";
    QTextDocument doc;
    readRtf("{\\rtf1 " + pict + pict + "}", doc);
    QTextCursor c(&doc);
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().property(rtf::PictureKindProperty).toInt(), int(rtf::PictureKind::Png));
    c.setPosition(2);
    EXPECT_EQ(c.charFormat().property(rtf::PictureKindProperty).toInt(), int(rtf::PictureKind::None));
    EXPECT_EQ(c.charFormat().toImageFormat().width(), 2250.0); // its place stays
}

// Malformed input is read as far as it makes sense, never past its end.
TEST(RtfReader, SurvivesMalformedInput) {
    EXPECT_EQ(read("{\\rtf1 abc"), QStringLiteral("abc"));
    EXPECT_EQ(read("{\\rtf1 a}}}b}"), QStringLiteral("a"));
    EXPECT_EQ(read(QByteArray("{\\rtf1 a\\par}\r\n\0\0", 17)), QStringLiteral("a"));
    EXPECT_EQ(read("{\\rtf1 a\\'4"), QStringLiteral("a"));
    EXPECT_EQ(read("{\\rtf1 a\\'zz b\\"), QStringLiteral("azz b"));
    EXPECT_EQ(read("{\\rtf1 a\\fs99999999999999999999 b\\u99999999999 c\\uc2147483647 d}"),
              QStringLiteral("abd"));
    EXPECT_EQ(read("{\\rtf1 a\\bin2147483647 xyz"), QStringLiteral("a"));
    EXPECT_EQ(read("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
    EXPECT_EQ(read("{\\rtf1{\\pict\\pngblip 89504e47zz"), QString());
    EXPECT_EQ(read("{\\rtf1{\\fonttbl{\\f0\\fcharset99999 X"), QString());
    EXPECT_EQ(read("{\\rtf1\\thisisaverylongcontrolwordthatgoesonandonandonforever123 x}"),
              QStringLiteral("x"));
    const QByteArray deep = "{\\rtf1 " + QByteArray(200000, '{') + "deep" + QByteArray(200000, '}') + " end}";
    EXPECT_EQ(read(deep), QStringLiteral("deep end"));
}

TEST(RtfReader, PlainTextIsReadAsWindows1250) {
    EXPECT_EQ(read(encodeCp1250(QStringLiteral("Zażółć\r\njaźń"))), QStringLiteral("Zażółć\njaźń"));
}

TEST(RtfReader, ReadsRichEditAndWordPadFiles) {
    EXPECT_TRUE(read(test::readFile(test::rtfDataDir() + QStringLiteral("striprtf__ansicpg1250.rtf")))
                    .startsWith(QStringLiteral("Proszę o zapoznanie się z poniższą klauzulą informacyjną.")));
    const QString cyrillic = read(test::readFile(test::rtfDataDir() + QStringLiteral("striprtf__bytes.rtf")));
    EXPECT_TRUE(cyrillic.contains(QStringLiteral("УХВАЛА")));
    EXPECT_TRUE(cyrillic.contains(QStringLiteral("справа № 127\\7798/17")));
    const QString sample = read(test::readFile(test::rtfDataDir() + QStringLiteral("rtfjs__sample.rtf")));
    EXPECT_TRUE(sample.contains(QStringLiteral("Hi! I’m a test file.")));
    EXPECT_TRUE(sample.contains(QStringLiteral("•\tItem 1")));
    EXPECT_FALSE(sample.contains(QStringLiteral("Normal"))); // the style sheet
    QTextDocument doc;
    readRtf(test::readFile(test::rtfDataDir() + QStringLiteral("rtfjs__paragraph-properties.rtf")), doc);
    int centred = 0, right = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const auto a = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        centred += a == Qt::AlignHCenter;
        right += a == Qt::AlignRight;
    }
    EXPECT_EQ(centred, 1);
    EXPECT_EQ(right, 1);
}
