#include "richtext/DrawRichText.h"
#include "RtfSamples.h"
#include "richtext/QmRichEdit.h"
#include "support/RecordingCanvas.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

using namespace vek;
using vek::test::RecordingCanvas;
using vek::test::TextRun;

namespace {

QString documentText(const QByteArray& rtf) {
    TQmRichEdit edit;
    edit.loadRichText(rtf);
    return edit.document().toRawText();
}

// Runs drawn on one text line, by their top.
std::map<int, std::vector<TextRun>> linesOf(const RecordingCanvas& c) {
    std::map<int, std::vector<TextRun>> lines;
    for (const TextRun& r : c.runs)
        lines[r.y + r.font->ascent()].push_back(r);
    return lines;
}

} // namespace

TEST(DrawRichText, ShortTextReturnsItsBottomAndCompletes) {
    RecordingCanvas canvas;
    const QByteArray rtf =
        test::richEdit("\\pard\\f0\\fs20 " + test::rtfText(QStringLiteral("Krótki tekst.")) + "\\par");
    int pos = 0;
    const int bottom = DrawRichText(canvas, QRect(10, 100, 600, 800), rtf, true, true, 1.0f, &pos);
    EXPECT_EQ(pos, 0);
    // Unscaled, the result is the bottom edge in canvas units: one 10-point line below y = 100.
    EXPECT_GT(bottom, 110);
    EXPECT_LT(bottom, 130);
    EXPECT_EQ(canvas.text(), QStringLiteral("Krótki tekst."));
    EXPECT_EQ(canvas.runs.front().x, 10);
    EXPECT_EQ(canvas.saveDepth, 0);
    EXPECT_EQ(DrawRichText(canvas, QRect(0, 0, 100, 100), QByteArray(), true, true, 1.0f, &pos), 0);
}

TEST(DrawRichText, MeasuringEqualsDrawing) {
    const QByteArray rtf = test::polishDocument(6);
    for (float scale : {1.0f, 1.8f}) {
        RecordingCanvas measure, draw;
        int posMeasure = 0, posDraw = 0;
        const QRect box(50, 40, 600, 500);
        const int h1 = DrawRichText(measure, box, rtf, false, true, scale, &posMeasure);
        const int h2 = DrawRichText(draw, box, rtf, true, true, scale, &posDraw);
        EXPECT_EQ(h1, h2);
        EXPECT_EQ(posMeasure, posDraw);
        EXPECT_GT(posDraw, 0);
        EXPECT_TRUE(measure.runs.empty());
        EXPECT_FALSE(draw.runs.empty());
        EXPECT_EQ(DrawRichText(measure, box, rtf, false, true, scale), h1); // without startPos
    }
}

// Continuing a text over several rectangles draws every character exactly once, never a line
// below a rectangle's bottom, and ends with startPos 0.
TEST(DrawRichText, ContinuationOverThreeRectanglesLosesAndRepeatsNothing) {
    const QByteArray rtf = test::polishDocument(4);
    const QRect box(30, 20, 500, 200);
    QString drawn;
    int pos = 0;
    int calls = 0;
    int previous = -1;
    do {
        RecordingCanvas canvas;
        const int bottom = DrawRichText(canvas, box, rtf, true, true, 1.0f, &pos);
        ++calls;
        ASSERT_LE(bottom, box.y() + box.height());
        for (const TextRun& r : canvas.runs)
            EXPECT_LE(r.y + r.font->height(), box.y() + box.height()) << qPrintable(r.text);
        drawn += canvas.text();
        ASSERT_TRUE(pos == 0 || pos > previous);
        previous = pos;
    } while (pos != 0 && calls < 10);
    EXPECT_GE(calls, 3);
    EXPECT_EQ(test::withoutBlanks(drawn), test::withoutBlanks(documentText(rtf)));
}

TEST(DrawRichText, ScaleTwoDoublesTheResultAndMapsTheRectangle) {
    const QByteArray rtf = test::polishDocument(3);
    RecordingCanvas plain, scaled;
    int posPlain = 0, posScaled = 0;
    const int h1 = DrawRichText(plain, QRect(0, 0, 400, 600), rtf, true, true, 1.0f, &posPlain);
    const int h2 = DrawRichText(scaled, QRect(0, 0, 800, 1200), rtf, true, true, 2.0f, &posScaled);
    EXPECT_EQ(h2, 2 * h1);
    EXPECT_EQ(posScaled, posPlain);
    EXPECT_EQ(scaled.text(), plain.text());
    EXPECT_EQ(scaled.windowExt, QSize(400, 600));
    EXPECT_EQ(scaled.viewportExt, QSize(800, 1200));
    EXPECT_EQ(scaled.mapMode, MM_TEXT); // restored
    EXPECT_EQ(scaled.saveDepth, 0);

    // 1.8 as the page composer uses it: the layout rectangle is rounded, halves to even.
    RecordingCanvas page;
    DrawRichText(page, QRect(100, 200, 1429, 1800), rtf, false, true, 1.8f);
    EXPECT_EQ(page.windowExt, QSize(794, 1000));
    EXPECT_EQ(page.viewportOrg, QPoint(100, 200));
}

// Every line of a justified paragraph but its last ends at the right edge; centred lines have
// equal margins.
TEST(DrawRichText, JustifiedLinesReachTheRightEdgeAndCentredLinesAreCentred) {
    const QByteArray rtf =
        test::richEdit("\\pard\\qj\\f0\\fs20 " + test::rtfText(test::kPolishParagraph) + "\\par\\pard\\qc " +
                       test::rtfText(QStringLiteral("Środek")) + "\\par");
    RecordingCanvas canvas;
    const QRect box(20, 0, 300, 1000);
    DrawRichText(canvas, box, rtf, true, true, 1.0f);
    const auto lines = linesOf(canvas);
    ASSERT_GE(lines.size(), 4u);
    std::vector<int> rights;
    for (const auto& [y, runs] : lines)
        rights.push_back(runs.back().right());
    for (std::size_t i = 0; i + 2 < rights.size(); ++i)
        EXPECT_EQ(rights[i], box.x() + box.width()) << "line " << i;
    EXPECT_LT(rights[rights.size() - 2], box.x() + box.width()); // last line of the paragraph
    const TextRun& centred = lines.rbegin()->second.front();
    EXPECT_EQ(centred.text, QStringLiteral("Środek"));
    EXPECT_LE(std::abs((centred.x - box.x()) - (box.x() + box.width() - centred.right())), 1);
}

TEST(DrawRichText, KeepColourDecidesTheColourOfTextWithoutItsOwn) {
    const QByteArray rtf = test::richEdit("\\pard\\f0\\fs20 auto \\cf1 red\\cf0  auto\\par");
    for (bool keep : {true, false}) {
        RecordingCanvas canvas;
        canvas.setTextColor(rgb(0, 128, 0));
        DrawRichText(canvas, QRect(0, 0, 600, 200), rtf, true, keep, 1.0f);
        ASSERT_EQ(canvas.runs.size(), 3u);
        const ColorRef automatic = keep ? rgb(0, 0, 0) : rgb(0, 128, 0);
        EXPECT_EQ(canvas.runs[0].color, automatic);
        EXPECT_EQ(canvas.runs[1].color, rgb(255, 0, 0));
        EXPECT_EQ(canvas.runs[2].color, automatic);
        EXPECT_EQ(canvas.textColor(), rgb(0, 128, 0));
    }
}

TEST(DrawRichText, UnderlineStrikeAndHighlightAreDrawn) {
    const QByteArray rtf = test::richEdit(
        "\\pard\\f0\\fs20 a \\ul under\\ulnone  \\strike gone\\strike0  \\highlight3 marked\\par");
    RecordingCanvas canvas;
    DrawRichText(canvas, QRect(0, 0, 600, 200), rtf, true, true, 1.0f);
    EXPECT_EQ(canvas.lines.size(), 2u);
    ASSERT_EQ(canvas.fills.size(), 1u);
    EXPECT_EQ(canvas.fills[0].second, rgb(255, 255, 0));
    // The underline lies below the baseline of its run, the strike-out above.
    const TextRun& under = canvas.runs[1];
    const int baseline = under.y + under.font->ascent();
    EXPECT_GT(canvas.lines[0].first.y1(), baseline);
    EXPECT_LT(canvas.lines[1].first.y1(), baseline);
    EXPECT_EQ(canvas.lines[0].first.x2() - canvas.lines[0].first.x1(), under.right() - under.x);
}

// A rectangle lower than the first line still takes that line, so a continued text always
// advances instead of asking for the same position again and again.
TEST(DrawRichText, ALineTallerThanTheRectangleStillAdvances) {
    const QByteArray rtf = test::richEdit("\\pard\\f0\\fs72 Jeden\\par Dwa\\par");
    RecordingCanvas canvas;
    int pos = 0;
    const int bottom = DrawRichText(canvas, QRect(0, 0, 600, 20), rtf, true, true, 1.0f, &pos);
    EXPECT_EQ(canvas.text(), QStringLiteral("Jeden"));
    EXPECT_EQ(pos, 6);
    EXPECT_GT(bottom, 20);
    RecordingCanvas next;
    DrawRichText(next, QRect(0, 0, 600, 20), rtf, true, true, 1.0f, &pos);
    EXPECT_EQ(next.text(), QStringLiteral("Dwa"));
    EXPECT_EQ(pos, 0);
}

TEST(DrawRichText, TabStopsAndIndentsPlaceText) {
    const QByteArray rtf =
        test::richEdit("\\pard\\li720\\fi-360\\tx1440\\f0\\fs20 a\\tab b\\tab c\\line d\\par");
    RecordingCanvas canvas;
    DrawRichText(canvas, QRect(0, 0, 600, 300), rtf, true, true, 1.0f);
    ASSERT_EQ(canvas.runs.size(), 4u);
    EXPECT_EQ(canvas.runs[0].x, 24); // first line: 720 - 360 twips at 96 dpi
    EXPECT_EQ(canvas.runs[1].x, 48); // the hanging indent is a tab stop
    EXPECT_EQ(canvas.runs[2].x, 96); // \tx1440: one inch
    EXPECT_EQ(canvas.runs[3].x, 48); // following lines: the left indent
    EXPECT_GT(canvas.runs[3].y, canvas.runs[2].y);
}

TEST(DrawRichText, RightAndCentredTabStopsPlaceTheTextAfterThem) {
    const QByteArray rtf =
        test::richEdit("\\pard\\tqr\\tx2880\\tqc\\tx4320\\f0\\fs20 a\\tab right\\tab mid\\par");
    RecordingCanvas canvas;
    DrawRichText(canvas, QRect(0, 0, 600, 300), rtf, true, true, 1.0f);
    ASSERT_EQ(canvas.runs.size(), 3u);
    EXPECT_EQ(canvas.runs[1].right(), 192);                                        // ends at two inches
    EXPECT_LE(std::abs((canvas.runs[2].x + canvas.runs[2].right()) / 2 - 288), 1); // centred on three
}

TEST(DrawRichText, PicturesTakeTheirPlace) {
    QImage img(4, 2, QImage::Format_RGB32);
    img.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "PNG");
    const QByteArray rtf = test::richEdit("\\pard\\f0\\fs20 x{\\pict\\pngblip\\picwgoal1440\\pichgoal720 " +
                                          png.toHex() + "}y\\par");
    RecordingCanvas canvas;
    const int bottom = DrawRichText(canvas, QRect(0, 0, 600, 300), rtf, true, true, 1.0f);
    ASSERT_EQ(canvas.pictures.size(), 1u);
    EXPECT_EQ(canvas.pictures[0].size(), QSize(96, 48));
    EXPECT_GE(bottom, 48);
    ASSERT_EQ(canvas.runs.size(), 2u);
    EXPECT_EQ(canvas.runs[1].x, canvas.pictures[0].right() + 1);
}

TEST(DrawRichText, CorpusFilesLayOutCompletely) {
    const QString dir = qEnvironmentVariable("VEK_CORPUS_DIR") + QStringLiteral("/rtf");
    QStringList files = QDir(test::rtfDataDir()).entryList({QStringLiteral("*.rtf")});
    for (QString& f : files)
        f.prepend(test::rtfDataDir());
    for (const QString& f : QDir(dir).entryList({QStringLiteral("*.rtf")}))
        files.append(dir + u'/' + f);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        const QByteArray rtf = test::readFile(file);
        QString drawn;
        int pos = 0;
        int calls = 0;
        do {
            RecordingCanvas canvas;
            DrawRichText(canvas, QRect(0, 0, 700, 900), rtf, true, true, 1.8f, &pos);
            drawn += canvas.text();
        } while (pos != 0 && ++calls < 100);
        const QString expected = test::withoutBlanks(documentText(rtf)).remove(QChar(0xFFFC));
        const QString got = test::withoutBlanks(drawn);
        qsizetype at = 0;
        while (at < got.size() && at < expected.size() && got[at] == expected[at])
            ++at;
        EXPECT_EQ(at, expected.size())
            << qPrintable(file) << " differs at " << at << ": " << qPrintable(got.mid(at, 20)) << " / "
            << qPrintable(expected.mid(at, 20));
    }
}

// Renders a justified Polish paragraph for a look with the eyes (richtext-polish.png in the
// build folder).
TEST(DrawRichText, RendersAJustifiedPolishParagraph) {
    RecordingCanvas canvas;
    const QRect box(20, 20, 560, 760);
    DrawRichText(canvas, box, test::polishDocument(2), true, true, 1.0f);
    QImage image(1200, 1600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(2, 2);
    painter.setPen(Qt::lightGray);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    canvas.paint(painter);
    painter.end();
    const QString out =
        qEnvironmentVariable("VEK_BINARY_DIR", QStringLiteral(".")) + QStringLiteral("/richtext-polish.png");
    EXPECT_TRUE(image.save(out));
    int inked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(inked, 10000);
}

// A control kept from page to page (the text read once) breaks the pages at the same characters
// and draws the same runs as reading the text again for every page.
TEST(DrawRichText, AKeptControlContinuesExactlyAsReadingAgain) {
    const QByteArray rtf = test::polishDocument(30);
    TQmRichEdit edit;
    edit.setJustify(true);
    edit.loadRichText(rtf);
    int posRead = 0, posKept = 0, pages = 0;
    do {
        RecordingCanvas read, kept;
        const QRect box(40, pages == 0 ? 300 : 0, 1229, pages == 0 ? 1700 : 2000);
        const int h1 = DrawRichText(read, box, rtf, true, true, 1.8f, &posRead);
        const int h2 = DrawRichText(kept, box, edit, true, true, 1.8f, &posKept);
        ASSERT_EQ(posKept, posRead);
        EXPECT_EQ(h2, h1);
        ASSERT_EQ(kept.runs.size(), read.runs.size());
        for (std::size_t i = 0; i < kept.runs.size(); ++i) {
            EXPECT_EQ(kept.runs[i].text, read.runs[i].text);
            EXPECT_EQ(QPoint(kept.runs[i].x, kept.runs[i].y), QPoint(read.runs[i].x, read.runs[i].y));
            EXPECT_EQ(kept.runs[i].dx, read.runs[i].dx);
        }
        ++pages;
    } while (posRead != 0 && pages < 20);
    EXPECT_GE(pages, 2);
}
